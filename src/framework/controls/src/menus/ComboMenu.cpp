#include "kx/controls/ComboMenu.h"

#include "kx/controls/PopupMenu.h"
#include "kx/ui/ControlDescriptor.h"
#include "kx/ui/LayoutDescriptor.h"
#include "kx/ui/MenuDescriptor.h"
#include "kx/ui/RootWindow.h"

#include <algorithm>

namespace KX {

LComboMenu::LComboMenu(const RCPtr<LControl>& parent, const WString& name) : LDropDownControl(parent, name) {}

LComboMenu::~LComboMenu() = default;

KXRESULT LComboMenu::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!IsBuilt())
        return S_FALSE;
    if (m_handler && m_handler->Receive(from, n))
        return S_OK;
    return LDropDownControl::Receive(from, n);
}

KXRESULT LComboMenu::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_handler)
        m_handler->RemoveDistributorHandler(d, name);
    return LDropDownControl::UnregisterForNotification(d, name);
}

RCPtr<LPopupMenu> LComboMenu::GetPopupMenu()
{
    for (uint32_t i = 0; i < GetChildren().GetCount(); ++i) {
        const RCPtr<LControl> child(GetChildren().GetAt(i, 0));
        if (child && child->GetName() == WString(u"popupMenu"))
            return RCPtr<LPopupMenu>(dynamic_cast<LPopupMenu*>(child.Get()));
    }
    return nullptr;
}

RCPtr<LControl> LComboMenu::GetDropDownPart()
{
    return RCPtr<LControl>(GetPopupMenu());
}

KXRESULT LComboMenu::Initialize()
{
    if (Failed(LDropDownControl::Initialize()))
        return E_FAIL;
    if (!m_handler)
        m_handler = RCPtr<LNotificationHandler<LComboMenu>>(new LNotificationHandler<LComboMenu>(this));
    if (const RCPtr<LPopupMenu> popup = GetPopupMenu()) {
        const RCPtr<LNotificationDistributor> source(popup);
        TraceFailedResult(m_handler->AddDistributorHandler(&LComboMenu::OnPopupVisibilityChange, source,
                                                           NID_VISIBLITY_CONDITION_CHANGE, 0),
                          "LComboMenu::Initialize");
        TraceFailedResult(
            m_handler->AddDistributorHandler(&LComboMenu::OnPopupItemActivated, source, NID_ITEM_ACTIVATED, 0),
            "LComboMenu::Initialize");
        popup->SetClosesOnFocusLoss(false);
    }
    return S_OK;
}

KXRESULT LComboMenu::PostInitialize()
{
    LDropDownControl::PostInitialize();
    if (const RCPtr<LPopupMenu> popup = GetPopupMenu())
        if (const ConstRCPtr<LControlDescriptor>& descriptor = popup->GetDescriptor())
            if (const ConstRCPtr<LLayoutDescriptor>& layout = descriptor->GetLayout())
                m_popupX = layout->Position(0).absolute;
    return S_OK;
}

bool LComboMenu::IsDropDownShowing()
{
    const RCPtr<LPopupMenu> popup = GetPopupMenu();
    return popup && popup->GetLayout() && popup->GetLayout()->visible && popup->GetSize().x > 0.0 &&
           popup->GetSize().y > 0.0;
}

void LComboMenu::ShowStateLook()
{
    if (IsDropDownShowing()) {
        ShowLook(ComboMenuLook::kOpen, true);
        return;
    }
    const bool hover = (GetConditionFlags() & Condition::kHover) != 0;
    const uint32_t ring = Condition::kHasFocus | Condition::kFocusVisible;
    if ((GetConditionFlags() & ring) == ring && GetLookCount() > static_cast<uint32_t>(ComboMenuLook::kHoverFocused))
        ShowLook(hover ? ComboMenuLook::kHoverFocused : ComboMenuLook::kNormalFocused, true);
    else
        ShowLook(hover ? ComboMenuLook::kHover : ComboMenuLook::kNormal, true);
}

KXRESULT LComboMenu::ShowDropDown(bool show)
{
    const RCPtr<LPopupMenu> popup = GetPopupMenu();
    if (!popup)
        return S_OK;
    const RCPtr<LComboMenu> self(this);
    if (show) {
        // Keep the popup inside the outermost control, never left of its edge.
        const RCPtr<LControl> top = GetTopLevelControl();
        PointT<double> origin{};
        GetOriginInTopLevel(origin);
        double x = origin.x + m_popupX;
        const double width = popup->GetSize().x;
        if (top && x + width > top->GetSize().x)
            x = std::max(top->GetSize().x - width, 0.0);
        x -= origin.x;
        if (const RCPtr<LLayoutDescriptor>& layout = popup->GetLayout()) {
            AxisPlacement placement = layout->Position(0);
            if (placement.absolute != x || placement.relative != 0.0f) {
                placement.absolute = x;
                placement.relative = 0.0f;
                popup->SetAxisPlacement(0, placement, layout->Size(0));
            }
        }
    }
    popup->SetVisible(show);
    if (show) {
        popup->SetFocus(true);
        // A holder that keeps the focus (a field whose text does not validate) keeps the menu
        // shut: open without the focus, neither Escape nor a press elsewhere would close it.
        if (!(popup->GetConditionFlags() & (Condition::kHasFocus | Condition::kContainsFocus))) {
            popup->SetVisible(false);
            ShowStateLook();
            return S_OK;
        }
        ShowLook(ComboMenuLook::kOpen, true);
        // A press still held on the title goes on in the popup, so that a release on an item
        // chooses it.
        if (GetConditionFlags() & Condition::kLeftPressed)
            if (auto* root = dynamic_cast<LRootWindow*>(GetTopLevelOwnerSlot().Get())) {
                const PointT<int32_t> cursor = root->GetCursorPos();
                const PointT<double> at = popup->GetOriginInRootWindow();
                popup->OnMouseDown(LMouseButtonParam::Create(
                    kMouseButtonLeft,
                    PointT<int32_t>{cursor.x - static_cast<int32_t>(at.x), cursor.y - static_cast<int32_t>(at.y)},
                    root->GetModifierState(), false, kMouseButtonLeft));
            }
    } else {
        ShowStateLook();
    }
    return S_OK;
}

void LComboMenu::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    if (!param)
        return;
    const RCPtr<LComboMenu> self(this);
    if (!IsEnabled(true))
        ShowLook(ComboMenuLook::kDisabled, true);
    else
        ShowStateLook();
    const uint32_t before = param->GetPreviousMask();
    const uint32_t now = param->GetCurrentMask();
    // An open menu moves to the title under the pointer.
    if ((now & Condition::kHover) && !(before & Condition::kHover) && IsEnabled(true)) {
        if (const RCPtr<LControl> parent = GetParent()) {
            LChildControlList& siblings = parent->GetChildren();
            for (uint32_t i = siblings.GetCount(); i > 0; --i) {
                const RCPtr<LComboMenu> other(dynamic_cast<LComboMenu*>(siblings.GetAt(i - 1, 0).Get()));
                if (!other || !other->IsDropDownShowing())
                    continue;
                if (other.Get() != this) {
                    if (const RCPtr<LPopupMenu> popup = other->GetPopupMenu())
                        popup->SetVisible(false);
                    other->ShowStateLook();
                    ShowDropDown(true);
                }
                break;
            }
        }
    }
    if ((now & Condition::kLeftPressed) && !(before & Condition::kLeftPressed))
        if (const RCPtr<LPopupMenu> popup = GetPopupMenu()) {
            m_pressX = param->GetPoint().x - popup->GetPosition().x;
            m_pressY = param->GetPoint().y - popup->GetPosition().y;
        }
    LDropDownControl::OnConditionsChanged(param);
}

KXRESULT LComboMenu::OnPopupVisibilityChange(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    if (IsEnabled(true))
        ShowStateLook();
    return S_FALSE;
}

KXRESULT LComboMenu::OnPopupItemActivated(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    if (!n || !dynamic_cast<const LMenuActivationParam*>(n->GetPayload().Get()))
        return S_FALSE;
    const RCPtr<LComboMenu> self(this);
    if (const RCPtr<LPopupMenu> popup = GetPopupMenu())
        popup->SetVisible(false);
    ShowStateLook();
    return S_FALSE;
}

} // namespace KX
