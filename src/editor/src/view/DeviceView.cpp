// The device view: its children, the banks, the edit panels and the group accessors.
#include "editor/DeviceView.h"

#include "editor/MainControl.h"

#include "engine/PresetManager.h"

#include "kx/Exception.h"
#include "kx/controls/Button.h"
#include "kx/controls/FileDialog.h"
#include "kx/controls/MainMenu.h"

#include <string>
#include <utility>

using namespace KX;

namespace {

constexpr const char* kMethod = "LDeviceView::Initialize";
constexpr const char* kSource = "UI\\DeviceView";

// Bank panel names per group, numbered from 1.
constexpr const char16_t* kFaderBank = u"faderBank";
constexpr const char16_t* kButtonBank = u"buttonBank";
constexpr const char16_t* kEncoderBank = u"encoderBank";

WString Numbered(const char16_t* stem, int32_t n)
{
    return WString(stem) + WString(std::to_string(n).c_str());
}

// Shows bank panel n of group (stem1..stem4) and hides the other three; missing ones are skipped.
void ShowBankOf(const RCPtr<LControl>& group, const char16_t* stem, int32_t bank)
{
    if (!group)
        return;
    for (int32_t n = 1; n <= LDeviceView::kBankCount; ++n)
        if (const RCPtr<LControl> panel = group->FindChild(Numbered(stem, n)))
            panel->SetVisible(n == bank);
}

void SetVisibleIf(const RCPtr<LControl>& panel, bool visible)
{
    if (panel)
        panel->SetVisible(visible);
}

template <class I>
RCPtr<I> As(const RCPtr<LControl>& panel)
{
    return RCPtr<I>(dynamic_cast<I*>(panel.Get()));
}

} // namespace

LDeviceView::LDeviceView(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

LDeviceView::~LDeviceView()
{
    m_handler = nullptr;
}

RCPtr<LControl> LDeviceView::FindRequiredChild(const char16_t* name, int line)
{
    RCPtr<LControl> child = FindChild(WString(name));
    if (!child)
        Throw<std::runtime_error>(std::string("Null Pointer : Cannot find child: ") +
                                      WString(name).ToNarrow().GetString(),
                                  kMethod, kSource, line);
    return child;
}

KXRESULT LDeviceView::Initialize()
{
    const KXRESULT base = LControl::Initialize();
    if (Failed(base))
        return base;
    m_handler = RCPtr<LNotificationHandler<LDeviceView>>(new LNotificationHandler<LDeviceView>(this));
    m_fileDialog = RCPtr<LFileDialog>(new LFileDialog(WString(u".")));

    m_padEditPanel = FindRequiredChild(u"padEditPanel", 84);
    m_encoderEditPanel = FindRequiredChild(u"knobEditPanel", 87);
    m_faderEditPanel = FindRequiredChild(u"faderEditPanel", 90);
    m_volumePedalEditPanel = FindRequiredChild(u"volumePedalEditPanel", 93);
    m_wheelEditPanel = FindRequiredChild(u"wheelEditPanel", 96);
    m_xyPadEditPanel = FindRequiredChild(u"xyPadEditPanel", 99);
    m_sustainPedalEditPanel = FindRequiredChild(u"sustainEditPage", 102);
    m_keybedZoneEditPanel = FindRequiredChild(u"zoneEditPanel", 105);
    m_pushButtonEditPanel = FindRequiredChild(u"buttonEditPanel", 108);
    m_pads = FindRequiredChild(u"pads", 111);
    m_encoders = FindRequiredChild(u"encoders", 114);
    m_faders = FindRequiredChild(u"faders", 117);
    m_wheels = FindRequiredChild(u"wheels", 120);
    m_pedals = FindRequiredChild(u"pedals", 123);
    m_keybedZones = FindRequiredChild(u"keybedZones", 126);
    m_pushButtons = FindRequiredChild(u"buttons", 129);
    m_xyPad = FindRequiredChild(u"xyPad", 132);
    m_presetNamePanel = FindRequiredChild(u"presetNameEditPanel", 135);

    // The bank buttons; a missing group or button is skipped.
    if (const RCPtr<LControl> bankGroup = FindChild(WString(u"groupBankPanel"))) {
        for (int32_t i = 0; i < kBankCount; ++i) {
            m_bankButtons[i] =
                RCPtr<LButton>(dynamic_cast<LButton*>(bankGroup->FindChild(Numbered(u"bank", i + 1)).Get()));
            if (!m_bankButtons[i])
                continue;
            const KXRESULT r = m_handler->AddDistributorHandler(
                &LDeviceView::OnBankButtonClick, RCPtr<LNotificationDistributor>(m_bankButtons[i]), NID_LEFT_CLICK, 0);
            if (Failed(r))
                ThrowFailedResult(r, kMethod, kSource, 142 + i);
        }
    }
    if (m_bankButtons[0])
        m_bankButtons[0]->SetNormalizedValue(1.0);

    m_hiddenAtStart = {m_padEditPanel,   m_encoderEditPanel, m_faderEditPanel,        m_volumePedalEditPanel,
                       m_wheelEditPanel, m_xyPadEditPanel,   m_sustainPedalEditPanel, m_keybedZoneEditPanel};
    for (const RCPtr<LControl>& panel : m_hiddenAtStart)
        panel->SetVisible(false);

    InstallMenuItemUpdater();

    m_statusView = RCPtr<LStatusView>(new LStatusView());
    m_presetManager = LPresetManager::Create();
    return base;
}

bool LDeviceView::InstallMenuItemUpdater()
{
    const RCPtr<LControl>& parent = LControl::GetParent();
    if (!dynamic_cast<LMainControl*>(parent.Get()))
        return false;
    auto* menu = dynamic_cast<LMainMenu*>(parent->FindChild(WString(u"mainMenu")).Get());
    if (!menu)
        return false;
    menu->SetMenuItemUpdater(GetMenuItemUpdater());
    return true;
}

KXRESULT LDeviceView::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!IsBuilt())
        return S_FALSE;
    const RCPtr<LDeviceView> self(this);
    if (m_handler && m_handler->Receive(from, n))
        return S_OK;
    return LControl::Receive(from, n);
}

KXRESULT LDeviceView::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_handler)
        m_handler->RemoveDistributorHandler(d, name);
    return LControl::UnregisterForNotification(d, name);
}

KXRESULT LDeviceView::OnBankButtonClick(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>&)
{
    for (int32_t i = 0; i < kBankCount; ++i) {
        if (m_bankButtons[i] && static_cast<LNotificationDistributor*>(m_bankButtons[i].Get()) == from.Get()) {
            ShowBank(i + 1);
            break;
        }
    }
    return 1;
}

void LDeviceView::ShowBank(int32_t bank)
{
    ShowBankOf(FindChild(WString(u"faders")), kFaderBank, bank);
    ShowBankOf(FindChild(WString(u"buttons")), kButtonBank, bank);
    ShowBankOf(FindChild(WString(u"encoders")), kEncoderBank, bank);
    for (int32_t i = 0; i < kBankCount; ++i)
        if (m_bankButtons[i])
            m_bankButtons[i]->SetNormalizedValue(i + 1 == bank ? 1.0 : 0.0);
}

int32_t LDeviceView::ShowEditPanel(int32_t kind, int32_t index)
{
    const std::pair<const RCPtr<LControl>*, bool> panels[] = {
        {&m_xyPadEditPanel, kind == kXYPadPanel},
        {&m_padEditPanel, kind == kPadPanel},
        {&m_pushButtonEditPanel, kind == kPushButtonPanel},
        {&m_encoderEditPanel, kind == kEncoderPanel},
        {&m_faderEditPanel, kind == kFaderPanel},
        {&m_wheelEditPanel, kind == kWheelPanel},
        {&m_keybedZoneEditPanel, kind == kKeybedZonePanel},
        {&m_volumePedalEditPanel, kind == kPedalPanel && index == 0},
        {&m_sustainPedalEditPanel, kind == kPedalPanel && index == 1},
    };
    // A pedal kind with another index leaves the pedal panels as they are.
    const bool pedalsKept = kind == kPedalPanel && index != 0 && index != 1;
    const RCPtr<LControl> self(this);
    // The panel shown takes the keyboard focus before the others hide, so that the focus never
    // falls back through the view to the preset name.
    for (const auto& [panel, shown] : panels) {
        if (!shown || !*panel)
            continue;
        const RCPtr<LControl> hold = *panel;
        hold->SetVisible(true);
        if (hold->HasFocusableDescendant() && !(hold->GetConditionFlags() & Condition::kContainsFocus))
            hold->SetFocus(true);
    }
    for (const auto& [panel, shown] : panels) {
        const bool pedal = panel == &m_volumePedalEditPanel || panel == &m_sustainPedalEditPanel;
        if (!shown && !(pedal && pedalsKept))
            SetVisibleIf(*panel, false);
    }
    return 0;
}

RCPtr<IPresetName> LDeviceView::GetPresetName()
{
    return As<IPresetName>(m_presetNamePanel);
}

RCPtr<IKeybedZones> LDeviceView::GetKeybedZones()
{
    return As<IKeybedZones>(m_keybedZones);
}

RCPtr<IWheels> LDeviceView::GetWheels()
{
    return As<IWheels>(m_wheels);
}

RCPtr<IPedals> LDeviceView::GetPedals()
{
    return As<IPedals>(m_pedals);
}

RCPtr<IPads> LDeviceView::GetPads()
{
    return As<IPads>(m_pads);
}

RCPtr<IPushButtons> LDeviceView::GetPushButtons()
{
    return As<IPushButtons>(m_pushButtons);
}

RCPtr<IFaders> LDeviceView::GetFaders()
{
    return As<IFaders>(m_faders);
}

RCPtr<IEncoders> LDeviceView::GetEncoders()
{
    return As<IEncoders>(m_encoders);
}

RCPtr<ITouchPadAxises> LDeviceView::GetTouchPadAxises()
{
    return As<ITouchPadAxises>(m_xyPad);
}
