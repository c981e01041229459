// The pedal group: two named tiles, two edit panels.
#include "editor/PedalGroupPanel.h"

#include "editor/DeviceView.h"

#include "dialogs/DialogSupport.h"

#include "kx/Exception.h"
#include "kx/NotificationId.h"
#include "kx/controls/Button.h"

using namespace KX;

namespace {
constexpr const char* kSource = "UI\\LumoSeriesCommon\\PedalGroupPanel";
constexpr const char* kInitialize = "LPedalGroupPanel::Initialize";

template <class I>
I* ModuleOf(const RCPtr<LControl>& control)
{
    return dynamic_cast<I*>(control.Get());
}

RCPtr<LButton> TileButton(const RCPtr<LControl>& tile)
{
    return tile ? RCPtr<LButton>(dynamic_cast<LButton*>(tile->FindChild(WString(u"button")).Get())) : RCPtr<LButton>();
}

// Own flag and size only: the parents are not asked.
bool Showing(const RCPtr<LControl>& panel)
{
    return panel && panel->IsShowing(false);
}
} // namespace

LPedalGroupPanel::LPedalGroupPanel(const RCPtr<LControl>& parent, const WString& name) : LPanel(parent, name) {}

LPedalGroupPanel::~LPedalGroupPanel()
{
    m_sustainEditPanel = nullptr;
    m_volumeEditPanel = nullptr;
    m_sustainTile = nullptr;
    m_volumeTile = nullptr;
    m_handler = nullptr;
}

LDeviceView* LPedalGroupPanel::FindDeviceView()
{
    const RCPtr<LControl> top = GetTopLevelControl();
    return top ? dynamic_cast<LDeviceView*>(top->FindChild(WString(u"viewDevice")).Get()) : nullptr;
}

KXRESULT LPedalGroupPanel::Initialize()
{
    const KXRESULT base = LPanel::Initialize();
    if (Failed(base))
        return base;
    m_handler = RCPtr<LNotificationHandler<LPedalGroupPanel>>(new LNotificationHandler<LPedalGroupPanel>(this));
    LDeviceView* view = FindDeviceView();
    if (!view)
        return base;
    const RCPtr<LControl> volumePanel = view->FindChild(WString(u"volumePedalEditPanel"));
    if (!ModuleOf<IVolumePedal>(volumePanel))
        editor::ThrowNullPointer("volumeEditPanel not found", kInitialize, kSource, __LINE__);
    m_volumeEditPanel = volumePanel;
    const RCPtr<LControl> sustainPanel = view->FindChild(WString(u"sustainEditPage"));
    if (!ModuleOf<ISustainPedal>(sustainPanel))
        editor::ThrowNullPointer("sustainEditPanel not found", kInitialize, kSource, __LINE__);
    m_sustainEditPanel = sustainPanel;
    for (const RCPtr<LControl>& panel : {m_volumeEditPanel, m_sustainEditPanel})
        CheckResult(m_handler->AddDistributorHandler(&LPedalGroupPanel::OnVisibilityConditionChange,
                                                     RCPtr<LNotificationDistributor>(panel.Get()),
                                                     NID_VISIBLITY_CONDITION_CHANGE, 0),
                    kInitialize, kSource, __LINE__);
    // A skin without a pedal tile is reported like a missing edit panel.
    const RCPtr<LControl> sustainTile = FindChild(WString(u"sustainPedal"));
    if (!ModuleOf<ISustainPedal>(sustainTile))
        editor::ThrowNullPointer("sustainPedal not found", kInitialize, kSource, __LINE__);
    const RCPtr<LControl> volumeTile = FindChild(WString(u"volumePedal"));
    if (!ModuleOf<IVolumePedal>(volumeTile))
        editor::ThrowNullPointer("volumePedal not found", kInitialize, kSource, __LINE__);
    m_sustainTile = sustainTile;
    m_volumeTile = volumeTile;
    for (const RCPtr<LControl>& tile : {m_volumeTile, m_sustainTile})
        CheckResult(m_handler->AddDistributorHandler(&LPedalGroupPanel::OnPedalClicked,
                                                     RCPtr<LNotificationDistributor>(TileButton(tile).Get()),
                                                     NID_LEFT_CLICK, 0),
                    kInitialize, kSource, __LINE__);
    return base;
}

KXRESULT LPedalGroupPanel::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    const RCPtr<LPedalGroupPanel> self(this);
    if (m_handler && m_handler->Receive(from, n))
        return S_OK;
    return LPanel::Receive(from, n);
}

KXRESULT LPedalGroupPanel::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_handler)
        m_handler->RemoveDistributorHandler(d, name);
    return LPanel::UnregisterForNotification(d, name);
}

void LPedalGroupPanel::Highlight(const RCPtr<LControl>& tile, double value)
{
    if (const RCPtr<LButton> button = TileButton(tile))
        button->SetNormalizedValue(value);
}

KXRESULT LPedalGroupPanel::OnPedalClicked(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>&)
{
    const RCPtr<LButton> sustainButton = TileButton(m_sustainTile);
    const RCPtr<LButton> volumeButton = TileButton(m_volumeTile);
    const bool sustain = sustainButton && from.Get() == static_cast<LNotificationDistributor*>(sustainButton.Get());
    const bool volume = volumeButton && from.Get() == static_cast<LNotificationDistributor*>(volumeButton.Get());
    if (!sustain && !volume)
        return 1;
    Highlight(m_sustainTile, sustain ? 1.0 : 0.0);
    Highlight(m_volumeTile, volume ? 1.0 : 0.0);
    LDeviceView* view = FindDeviceView();
    if (!view)
        return 1;
    const RCPtr<LDeviceView> holdView(view);
    const RCPtr<LControl>& tile = sustain ? m_sustainTile : m_volumeTile;
    const RCPtr<LControl>& panel = sustain ? m_sustainEditPanel : m_volumeEditPanel;
    view->ShowEditPanel(LDeviceView::kPedalPanel, sustain ? kSustainPedal : kVolumePedal);
    LParameterizedModule* tileModule =
        sustain ? static_cast<LParameterizedModule*>(ModuleOf<ISustainPedal>(tile)) : ModuleOf<IVolumePedal>(tile);
    LParameterizedModule* panelModule =
        sustain ? static_cast<LParameterizedModule*>(ModuleOf<ISustainPedal>(panel)) : ModuleOf<IVolumePedal>(panel);
    if (tileModule && panelModule)
        panelModule->SetFirstParamID(this, tileModule->GetFirstParamID(), tileModule->GetIndex());
    return 1;
}

KXRESULT LPedalGroupPanel::OnVisibilityConditionChange(const RCPtr<LNotificationDistributor>&,
                                                       const RCPtr<LNotification>&)
{
    Highlight(m_volumeTile, Showing(m_volumeEditPanel) ? 1.0 : 0.0);
    Highlight(m_sustainTile, Showing(m_sustainEditPanel) ? 1.0 : 0.0);
    return 1;
}

RCPtr<IVolumePedal> LPedalGroupPanel::GetVolumePedal()
{
    return RCPtr<IVolumePedal>(ModuleOf<IVolumePedal>(Showing(m_volumeEditPanel) ? m_volumeEditPanel : m_volumeTile));
}

RCPtr<ISustainPedal> LPedalGroupPanel::GetSustainPedal()
{
    return RCPtr<ISustainPedal>(
        ModuleOf<ISustainPedal>(Showing(m_sustainEditPanel) ? m_sustainEditPanel : m_sustainTile));
}

KXRESULT LPedalGroupPanel::SetParamValueGlobal(const ParamDescriptor& descriptor, const Variant& value)
{
    LParameterizedModule* target = nullptr;
    ISustainPedal* sustainPanel = ModuleOf<ISustainPedal>(m_sustainEditPanel);
    IVolumePedal* volumePanel = ModuleOf<IVolumePedal>(m_volumeEditPanel);
    if (sustainPanel && descriptor.id == sustainPanel->GetFirstParamID())
        target = ModuleOf<ISustainPedal>(m_sustainTile);
    else if (volumePanel && descriptor.id == volumePanel->GetFirstParamID())
        target = ModuleOf<IVolumePedal>(m_volumeTile);
    else
        return E_FAIL;
    if (target)
        target->SetParamValueLocal(descriptor, value, false);
    return S_OK;
}
