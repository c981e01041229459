// The group panel frame: tile collection, the child accessor with the edit panel in its tile's
// place, clicks, highlights and mirroring.
#include "editor/GroupPanelFrame.h"

#include "dialogs/DialogSupport.h"
#include "editor/DeviceView.h"

#include "kx/Exception.h"
#include "kx/NotificationId.h"
#include "kx/controls/Button.h"
#include "kx/controls/Label.h"

#include <string>

using namespace KX;

namespace {

constexpr const char16_t* kViewDevice = u"viewDevice";

std::string NarrowOf(const WString& text)
{
    return std::string(text.ToNarrow().GetString());
}

WString Numbered(const char16_t* stem, uint32_t n)
{
    return WString::Format(u"%s%u", WString(stem).GetString(), n);
}

RCPtr<LButton> TileButton(const RCPtr<LControl>& tile)
{
    if (!tile)
        return RCPtr<LButton>();
    return RCPtr<LButton>(dynamic_cast<LButton*>(tile->FindChild(WString(LGroupPanelFrame::kTileButton)).Get()));
}

} // namespace

LGroupPanelFrame::LGroupPanelFrame(const RCPtr<LControl>& parent, const WString& name, const GroupPanelLayout& layout)
    : LPanel(parent, name), m_layout(layout)
{
}

LGroupPanelFrame::~LGroupPanelFrame()
{
    m_editModule = nullptr;
    m_editPanel = nullptr;
    m_tileModules.clear();
    m_tiles.RemoveAll();
    m_handler = nullptr;
}

std::string LGroupPanelFrame::Method(const char* member) const
{
    return std::string(m_layout.className) + "::" + member;
}

LDeviceView* LGroupPanelFrame::FindDeviceView()
{
    const RCPtr<LControl> top = GetTopLevelControl();
    if (!top)
        return nullptr;
    return dynamic_cast<LDeviceView*>(top->FindChild(WString(kViewDevice)).Get());
}

KXRESULT LGroupPanelFrame::Initialize()
{
    const KXRESULT base = LPanel::Initialize();
    if (Failed(base))
        return base;
    m_handler = RCPtr<LNotificationHandler<LGroupPanelFrame>>(new LNotificationHandler<LGroupPanelFrame>(this));

    m_editPanel = nullptr;
    m_editModule = nullptr;
    if (LDeviceView* view = FindDeviceView()) {
        const RCPtr<LControl> panel = view->FindChild(WString(m_layout.editPanelName));
        if (LParameterizedModule* module = LeafModuleOf(panel.Get())) {
            m_editPanel = panel;
            m_editModule = module;
        }
        if (!m_editModule && m_layout.missingEditPanelText)
            editor::ThrowNullPointer(m_layout.missingEditPanelText, Method("Initialize"), m_layout.sourcePath, 56);
        if (!m_layout.watchOnClick)
            WatchEditPanel("Initialize", 58);
    }
    // Without an edit panel every click would have nothing to point.
    if (!m_editModule)
        editor::ThrowNullPointer(m_layout.noEditPanelText ? std::string(m_layout.noEditPanelText)
                                                          : NarrowOf(WString(m_layout.editPanelName)) + " knob found",
                                 Method("Initialize"), m_layout.sourcePath, 62);

    CollectTiles();

    KXRESULT result = base;
    for (uint32_t i = 0; i < m_tiles.GetCount(); ++i) {
        const RCPtr<LControl> tile = m_tiles.ElementAt(i);
        if (!tile) {
            result = E_FAIL;
            if (m_layout.missingTileStops)
                break;
            continue;
        }
        const RCPtr<LNotificationDistributor> button(tile->FindChild(WString(kTileButton)).Get());
        const KXRESULT r =
            m_handler->AddDistributorHandler(&LGroupPanelFrame::OnTileClicked, button, NID_LEFT_CLICK, 0);
        if (Failed(r))
            ThrowFailedResult(r, Method("Initialize"), m_layout.sourcePath, 79);
    }
    if (m_layout.requiredTileCount != 0 && m_tiles.GetCount() != m_layout.requiredTileCount)
        result = E_FAIL;
    if (Failed(result))
        ThrowFailedResult(result, Method("Initialize"), m_layout.sourcePath, 86);
    return result;
}

void LGroupPanelFrame::WatchEditPanel(const char* method, int line)
{
    const KXRESULT r = m_handler->AddDistributorHandler(&LGroupPanelFrame::OnVisibilityConditionChange,
                                                        RCPtr<LNotificationDistributor>(m_editPanel.Get()),
                                                        NID_VISIBLITY_CONDITION_CHANGE, 0);
    if (Failed(r))
        ThrowFailedResult(r, Method(method), m_layout.sourcePath, line);
}

void LGroupPanelFrame::CollectTiles()
{
    m_tiles.RemoveAll();
    m_tileModules.clear();
    auto add = [this](const RCPtr<LControl>& tile, uint32_t number = 0) {
        LParameterizedModule* module = tile ? LeafModuleOf(tile.Get()) : nullptr;
        m_tiles.AddItem(module ? tile : RCPtr<LControl>());
        m_tileModules.push_back(module);
        // The label's own text is the format, as the tile's own numbering reads it later: once
        // formatted here, that later call keeps the same number.
        if (module && number != 0 && m_layout.numberLabel)
            if (const auto label = editor::FindChildAs<LLabel>(tile.Get(), m_layout.numberLabel))
                label->SetText(WString::Format(label->GetText().GetString(), static_cast<int32_t>(number)));
    };
    if (m_layout.tileNames) {
        for (uint32_t t = 0; t < m_layout.tilesPerBank; ++t)
            add(FindChild(WString(m_layout.tileNames[t])));
        return;
    }
    if (!m_layout.bankStem) {
        for (uint32_t t = 1; t <= m_layout.tilesPerBank; ++t)
            add(FindChild(Numbered(m_layout.tileStem, t)), t);
        return;
    }
    std::vector<RCPtr<LControl>> banks;
    for (uint32_t b = 1; b <= m_layout.bankCount; ++b)
        banks.push_back(FindChild(Numbered(m_layout.bankStem, b)));
    if (m_layout.checkBanks) {
        for (uint32_t b = 1; b <= m_layout.bankCount; ++b)
            if (!banks[b - 1])
                editor::ThrowNullPointer("can not find child " + NarrowOf(Numbered(m_layout.bankStem, b)),
                                         Method("Initialize"), m_layout.sourcePath, 114);
    }
    // A missing bank leaves its places empty: they fail like missing tiles.
    for (const RCPtr<LControl>& bank : banks)
        for (uint32_t t = 1; t <= m_layout.tilesPerBank; ++t)
            add(bank ? bank->FindChild(Numbered(m_layout.tileStem, t)) : RCPtr<LControl>(), t);
}

KXRESULT LGroupPanelFrame::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    const RCPtr<LGroupPanelFrame> self(this);
    if (m_handler && m_handler->Receive(from, n))
        return S_OK;
    return LPanel::Receive(from, n);
}

KXRESULT LGroupPanelFrame::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_handler)
        m_handler->RemoveDistributorHandler(d, name);
    return LPanel::UnregisterForNotification(d, name);
}

RCPtr<LControl> LGroupPanelFrame::GetTile(uint32_t index) const
{
    return index < m_tiles.GetCount() ? m_tiles.ElementAt(index) : RCPtr<LControl>();
}

KXRESULT LGroupPanelFrame::OnTileClicked(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>&)
{
    // An edit panel made on first use is made before it is pointed at the tile's control.
    if (m_editPanel)
        m_editPanel->BuildDeferredSubtree();
    if (m_layout.retargetFirst)
        ClickFromSender(from.Get());
    else
        ClickFromTiles(from.Get());
    return 1;
}

void LGroupPanelFrame::ClickFromTiles(LNotificationDistributor* sender)
{
    // The count is read anew for every tile: a handler below may change the tree.
    for (uint32_t i = 0; i < m_tiles.GetCount(); ++i) {
        const RCPtr<LButton> button = TileButton(m_tiles.ElementAt(i));
        if (!button)
            continue;
        if (static_cast<LNotificationDistributor*>(button.Get()) != sender) {
            button->SetNormalizedValue(0.0);
            continue;
        }
        button->SetNormalizedValue(1.0);
        LDeviceView* view = FindDeviceView();
        if (!view || !m_editModule)
            continue;
        const RCPtr<LDeviceView> holdView(view);
        view->ShowEditPanel(m_layout.editPanelKind, static_cast<int32_t>(i));
        m_editModule->SetFirstParamID(GroupModule(), m_tileModules[i]->GetFirstParamID(), static_cast<int32_t>(i));
        if (m_layout.watchOnClick)
            WatchEditPanel("OnFaderClicked", 151);
    }
}

void LGroupPanelFrame::ClickFromSender(LNotificationDistributor* sender)
{
    auto* button = dynamic_cast<LButton*>(sender);
    if (!button)
        return;
    const RCPtr<LControl> tile = button->GetParent();
    LParameterizedModule* module = LeafModuleOf(tile.Get());
    if (!module || !m_editModule)
        return;
    const RCPtr<LButton> holdButton(button);
    SetAllButtonValues(0.0);
    button->SetNormalizedValue(1.0);
    m_editModule->SetFirstParamID(GroupModule(), module->GetFirstParamID(), module->GetIndex());
    if (LDeviceView* view = FindDeviceView())
        view->ShowEditPanel(m_layout.editPanelKind, module->GetIndex());
}

KXRESULT LGroupPanelFrame::OnVisibilityConditionChange(const RCPtr<LNotificationDistributor>&,
                                                       const RCPtr<LNotification>&)
{
    if (m_editPanel && m_editPanel->IsShowing(false))
        return 1;
    SetAllButtonValues(0.0);
    return 1;
}

void LGroupPanelFrame::SetAllButtonValues(double value)
{
    for (uint32_t i = 0; i < m_tiles.GetCount(); ++i)
        if (const RCPtr<LButton> button = TileButton(m_tiles.ElementAt(i)))
            button->SetNormalizedValue(value);
}

LParameterizedModule* LGroupPanelFrame::ChildModule(uint32_t index)
{
    const uint32_t count = static_cast<uint32_t>(m_tileModules.size());
    LParameterizedModule* result = index < count ? m_tileModules[index] : nullptr;
    if (result && !m_inIdPass && m_editModule && result->GetFirstParamID() == m_editModule->GetFirstParamID())
        return m_editModule;
    return result;
}

KXRESULT LGroupPanelFrame::MirrorToTiles(const ParamDescriptor& descriptor, const Variant& value)
{
    if (!m_editModule)
        return S_OK;
    const int32_t edited = m_editModule->GetFirstParamID();
    for (uint32_t i = 0; i < m_tileModules.size(); ++i) {
        LParameterizedModule* tile = m_tileModules[i];
        if (tile && tile->GetFirstParamID() == edited) {
            const RCPtr<LControl> hold(m_tiles.ElementAt(i));
            tile->SetParamValueLocal(descriptor, value, false);
        }
    }
    return S_OK;
}
