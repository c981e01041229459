// The popup menu's input: activation, sub-menus and their timer, keys, focus, help texts on
// hover, the pointer leaving a captured popup, and placement on the screen.
#include "kx/controls/MainMenu.h"
#include "kx/controls/PopupMenu.h"

#include "kx/ui/ControlCreate.h"
#include "kx/ui/ControlDescriptor.h"
#include "kx/ui/ControlHost.h"
#include "kx/ui/FrameworkApp.h"
#include "kx/ui/LayoutDescriptor.h"
#include "kx/ui/RootWindow.h"

#include <algorithm>

namespace KX {

namespace {
constexpr uint32_t kKeyLeft = 0x20250000;
constexpr uint32_t kKeyRight = 0x20270000;
constexpr uint32_t kKeyEscape = 0x201B0000;

LRootWindow* RootWindowOf(LControl& control)
{
    return dynamic_cast<LRootWindow*>(control.GetTopLevelOwnerSlot().Get());
}

// An absolute placement against the parent, keeping the size.
void PlaceAt(LControl& control, int32_t axis, double position)
{
    const RCPtr<LLayoutDescriptor>& layout = control.GetLayout();
    if (!layout)
        return;
    AxisPlacement placement;
    placement.kind = kPositionToParent;
    placement.absolute = position;
    control.SetAxisPlacement(axis, placement, layout->Size(axis));
}

bool Contains(const RectT<double>& r, PointT<double> p)
{
    return r.width > 0 && r.height > 0 && p.x >= r.x && p.x < r.x + r.width && p.y >= r.y && p.y < r.y + r.height;
}
} // namespace

void LPopupMenu::OnItemActivated()
{
    ActivateHotItem();
}

void LPopupMenu::ActivateHotItem()
{
    const int32_t index = GetCaretIndex();
    if (!m_menu || index < 0)
        return;
    const RCPtr<LPopupMenu> self(this);
    const RCPtr<LMenuDescriptor> menu = m_menu;
    const RCPtr<LMenuItemDescriptor> item = menu->GetItem(static_cast<uint32_t>(index));
    if (!item)
        return;
    if (item->HasSubItems()) {
        // Cascading items open their sub-menu; the popup itself stays open.
        m_keepOpen = 1;
        if (!m_subMenu || m_subMenuItem.Get() != item.Get())
            OpenSubMenu(index);
        if (m_subMenu) {
            m_subMenu->SelectFirstItem();
            m_subMenu->SetFocus(true);
        }
        return;
    }
    // The focus goes back to the control that had it before the menu bar took it.
    for (RCPtr<LControl> up = GetParent(); up; up = up->GetParent()) {
        if (LMainMenu* bar = dynamic_cast<LMainMenu*>(up.Get())) {
            const RCPtr<LControl> saved = bar->GetSavedFocus();
            if (saved && saved->GetTopLevelOwnerSlot())
                saved->SetFocus(true);
            break;
        }
    }
    if (m_closeOnFocusLoss && !m_closing)
        SetVisible(false);
    const RCPtr<LNotificationReceiver> receiver = GetCommandReceiver();
    const RCPtr<LMenuActivationParam> param = LMenuActivationParam::Create(ConstRCPtr<LMenuDescriptor>(menu), index);
    const ConstRCPtr<LRefCountedObject> payload(param.Get());
    SendListNotification(NID_ITEM_ACTIVATED, payload);
    if (receiver && !item->id.IsEmpty())
        DeliverNotification(receiver, item->id.GetString(), payload);
    if (m_closeOnFocusLoss && !m_closing)
        Close();
}

void LPopupMenu::SetVisible(bool visible)
{
    // The list hides itself after every activation; not after one that opened a sub-menu.
    if (!visible && m_keepOpen) {
        m_keepOpen = 0;
        return;
    }
    LCheckedListBox::SetVisible(visible);
}

void LPopupMenu::SelectFirstItem()
{
    for (int32_t i = 0; i < GetItemCount(); ++i) {
        if (IsItemSelectable(i)) {
            SelectRange(i, -1, true);
            return;
        }
    }
}

KXRESULT LPopupMenu::OpenSubMenu(int32_t index)
{
    const RCPtr<LMenuItemDescriptor> item =
        m_menu && index >= 0 ? m_menu->GetItem(static_cast<uint32_t>(index)) : RCPtr<LMenuItemDescriptor>();
    if (!item || !item->HasSubItems())
        return E_INVALIDARG;
    const RCPtr<LPopupMenu> self(this);
    CloseSubMenus();
    const ConstRCPtr<LControlDescriptor>& own = GetDescriptor();
    RCPtr<LControlDescriptor> copy;
    if (!own || Failed(own->Copy(copy)) || !copy)
        return E_FAIL;
    copy->SetName(WString(u"submenu"));
    if (own->GetLayout())
        copy->SetLayout(ConstRCPtr<LLayoutDescriptor>(LLayoutDescriptor::Clone(*own->GetLayout()).Get()));
    RCPtr<LControl> made;
    RCPtr<LControl> parent(this);
    ConstRCPtr<LControlDescriptor> descriptor(copy.Get());
    CreateControlOfClass<LPopupMenu>(made, parent, descriptor);
    const RCPtr<LPopupMenu> sub = RCPtr<LPopupMenu>::DynamicCast(made);
    if (!sub)
        return E_FAIL;
    m_subMenu = sub;
    m_subMenuItem = item;
    sub->m_commandReceiver = m_commandReceiver;
    sub->m_closeOnFocusLoss = m_closeOnFocusLoss;
    sub->m_itemUpdater = m_itemUpdater;
    sub->SetMenuFromParentItem(static_cast<uint32_t>(index));

    // Right of the row, or left of the popup when the window ends first; below the row's top,
    // or moved up to end at the window's bottom.
    const RectT<double> row = GetItemRowRect(index);
    const PointT<double> origin = GetOriginInRootWindow();
    const PointT<double> size = sub->GetSize();
    double areaWidth = 0.0, areaHeight = 0.0;
    if (const RCPtr<IRootWindow>& window = GetTopLevelOwnerSlot()) {
        const RectT<int32_t> client = window->GetClientRect();
        areaWidth = client.width;
        areaHeight = client.height;
    }
    double x = row.x + row.width;
    if (origin.x + x + size.x > areaWidth)
        x = -size.x;
    if (origin.x + x < 0.0)
        x = row.x + row.width;
    double y = row.y;
    if (origin.y + y + size.y > areaHeight)
        y = areaHeight - size.y - origin.y;
    if (origin.y + y < 0.0)
        y = 0.0;
    PlaceAt(*sub, 0, x);
    PlaceAt(*sub, 1, y);
    sub->SetVisible(true);
    return S_OK;
}

void LPopupMenu::CloseSubMenus()
{
    StopTimer();
    if (m_subMenu) {
        const RCPtr<LPopupMenu> self(this);
        m_closingSubMenus = 1;
        const RCPtr<LPopupMenu> sub = std::move(m_subMenu);
        const bool hadFocus = (sub->GetConditionFlags() & (Condition::kHasFocus | Condition::kContainsFocus)) != 0;
        sub->CloseSubMenus();
        sub->SetVisible(false);
        RemoveChildDeferred(RCPtr<LControl>(sub));
        if (hadFocus && IsShowing(true))
            LCheckedListBox::SetFocus(true);
        m_closingSubMenus = 0;
    }
    m_subMenuItem = nullptr;
}

void LPopupMenu::Close()
{
    const RCPtr<LPopupMenu> self(this);
    m_closing = 1;
    if (const RCPtr<LPopupMenu> parent = GetParentPopup()) {
        if (!parent->m_closing)
            parent->Close();
        return;
    }
    StopTimer();
    CloseSubMenus();
    if (const RCPtr<LControl> parent = GetParent())
        parent->RemoveChildDeferred(RCPtr<LControl>(this));
}

bool LPopupMenu::IsInMenuChain(const LPopupMenu* popup) const
{
    if (!popup)
        return false;
    for (const LPopupMenu* down = m_subMenu.Get(); down; down = down->m_subMenu.Get())
        if (down == popup)
            return true;
    for (RCPtr<LPopupMenu> up = GetParentPopup(); up; up = up->GetParentPopup())
        if (up.Get() == popup)
            return true;
    return false;
}

void LPopupMenu::StartTimer()
{
    m_timerStart = GetAppTickTime();
    if (!m_timerRunning) {
        m_timerRunning = 1;
        SubscribeIdle();
    }
}

void LPopupMenu::StopTimer()
{
    if (m_timerRunning) {
        m_timerRunning = 0;
        UnsubscribeIdle();
    }
}

void LPopupMenu::OnIdleHook()
{
    LCheckedListBox::OnIdleHook();
    if (!m_timerRunning || GetAppTickTime() - m_timerStart <= kSubMenuDelay)
        return;
    const RCPtr<LPopupMenu> self(this);
    StopTimer();
    CloseSubMenus();
    const int32_t hot = GetCaretIndex();
    const RCPtr<LMenuItemDescriptor> item =
        m_menu && hot >= 0 ? m_menu->GetItem(static_cast<uint32_t>(hot)) : RCPtr<LMenuItemDescriptor>();
    if (item && item->HasSubItems())
        OpenSubMenu(hot);
}

void LPopupMenu::OnSelectionChanged()
{
    LCheckedListBox::OnSelectionChanged();
    const RCPtr<LPopupMenu> self(this);
    if (const RCPtr<LPopupMenu> parent = GetParentPopup()) {
        // The parent keeps its highlight on the item whose sub-menu this is.
        if (parent->m_menu && parent->m_subMenuItem)
            for (uint32_t i = 0; i < parent->m_menu->GetItemCount(); ++i)
                if (parent->m_menu->GetItem(i).Get() == parent->m_subMenuItem.Get()) {
                    parent->SelectRange(static_cast<int32_t>(i), -1, true);
                    break;
                }
        parent->StopTimer();
    }
    const int32_t hot = GetCaretIndex();
    const RCPtr<LMenuItemDescriptor> item =
        m_menu && hot >= 0 ? m_menu->GetItem(static_cast<uint32_t>(hot)) : RCPtr<LMenuItemDescriptor>();
    if (!item)
        return;
    if (!item->HasSubItems()) {
        if (m_subMenu)
            StartTimer();
        return;
    }
    if (item.Get() == m_subMenuItem.Get()) {
        StopTimer();
        return;
    }
    // Only a row under the pointer starts the timer; keys open cascades with Right.
    const RCPtr<LListBoxItem> row = GetRowAt(GetRowOfItem(hot));
    if (row && (row->GetConditionFlags() & Condition::kHover))
        StartTimer();
}

KXRESULT LPopupMenu::FilterKey(const RCPtr<LKeyParam>& param)
{
    if (!param)
        return S_FALSE;
    const uint32_t code = param->GetKey().code & ~KeyCode::kExtra;
    const RCPtr<LPopupMenu> self(this);
    if (code == kKeyLeft) {
        if (const RCPtr<LPopupMenu> parent = GetParentPopup())
            parent->CloseSubMenus();
        return S_OK;
    }
    if (code == kKeyRight) {
        const int32_t hot = GetCaretIndex();
        const RCPtr<LMenuItemDescriptor> item =
            m_menu && hot >= 0 ? m_menu->GetItem(static_cast<uint32_t>(hot)) : RCPtr<LMenuItemDescriptor>();
        if (item && item->HasSubItems() && OpenSubMenu(hot) == S_OK && m_subMenu) {
            m_subMenu->SelectFirstItem();
            m_subMenu->SetFocus(true);
        }
        return S_OK;
    }
    if (code == kKeyEscape) {
        if (m_closeOnFocusLoss) {
            if (!m_closing)
                Close();
        } else if (const RCPtr<LPopupMenu> parent = GetParentPopup()) {
            parent->CloseSubMenus();
        } else {
            // A menu-bar menu hides; the focus goes back where the bar took it from, else to the
            // title (hidden first, so that the title does not count its focus as a close).
            RCPtr<LControl> back;
            for (RCPtr<LControl> up = GetParent(); up; up = up->GetParent())
                if (LMainMenu* bar = dynamic_cast<LMainMenu*>(up.Get())) {
                    back = bar->GetSavedFocus();
                    break;
                }
            CloseSubMenus();
            if (back && back->GetTopLevelOwnerSlot())
                back->SetFocus(true);
            SetVisible(false);
        }
        return S_OK;
    }
    return LCheckedListBox::FilterKey(param);
}

void LPopupMenu::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    LCheckedListBox::OnConditionsChanged(param);
    if (!param)
        return;
    const RCPtr<LPopupMenu> self(this);
    const uint32_t before = param->GetPreviousMask();
    const uint32_t now = param->GetCurrentMask();
    const uint32_t focus = Condition::kHasFocus | Condition::kContainsFocus;
    if ((before & focus) != (now & focus) && !GetParentPopup() && !(now & focus) && IsShowing(false) &&
        m_closeOnFocusLoss && !m_closing && !m_closingSubMenus)
        Close();
    if ((now & Condition::kShowing) && !(before & Condition::kShowing))
        RefreshItemStates();
    if (!(now & Condition::kShowing) && (before & Condition::kShowing) && !GetParentPopup())
        CloseSubMenus();
}

KXRESULT LPopupMenu::SetFocus(bool forward)
{
    // A popup asked for the focus it holds stays open: a press on one of its rows asks so, and
    // the release still has to choose the item.
    m_closingSubMenus = 0;
    return LCheckedListBox::SetFocus(forward);
}

KXRESULT LPopupMenu::AddRowControl()
{
    const KXRESULT hr = LCheckedListBox::AddRowControl();
    if (m_handler && GetRowCount() > 0)
        if (const RCPtr<LListBoxItem> row = GetRowAt(GetRowCount() - 1))
            TraceFailedResult(m_handler->AddDistributorHandler(&LPopupMenu::OnMenuRowHover,
                                                               RCPtr<LNotificationDistributor>(row),
                                                               NID_HOVER_CONDITION_CHANGE, 0),
                              "LPopupMenu::AddRowControl");
    return hr;
}

KXRESULT LPopupMenu::OnMenuRowHover(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    const RCPtr<LConditionsParam> param =
        n ? RCPtr<LConditionsParam>::DynamicCast(n->GetPayload()) : RCPtr<LConditionsParam>();
    LControl* row = dynamic_cast<LControl*>(from.Get());
    LFrameworkApp* app = LFrameworkApp::GetCurrent();
    if (!param || !row || !app)
        return S_OK;
    const bool was = (param->GetPreviousMask() & Condition::kHoverOrHighlighted) != 0;
    const bool is = (param->GetCurrentMask() & Condition::kHoverOrHighlighted) != 0;
    if (is && !was) {
        const int32_t index = GetItemOfRowControl(row);
        const RCPtr<LMenuItemDescriptor> item =
            m_menu && index >= 0 ? m_menu->GetItem(static_cast<uint32_t>(index)) : RCPtr<LMenuItemDescriptor>();
        if (item && !item->helpText.IsEmpty())
            app->SetStatusText(item->helpText, false);
    } else if (was && !is) {
        app->ResetStatusText(false);
    }
    // Not taken: the list box's own handler of the row's hover runs next.
    return S_OK;
}

void LPopupMenu::OnMove(const RCPtr<LPointWithModifiersParam>& param)
{
    LCheckedListBox::OnMove(param);
    if (!param || !(GetConditionFlags() & Condition::kCapture))
        return;
    const PointT<int32_t> p = param->GetPoint();
    if (Contains(RectT<double>{0, 0, GetSize().x, GetSize().y}, PointT<double>{double(p.x), double(p.y)}))
        return;
    LRootWindow* root = RootWindowOf(*this);
    if (!root)
        return;
    const RCPtr<LPopupMenu> self(this);
    const PointT<double> origin = GetOriginInRootWindow();
    const PointT<int32_t> at{static_cast<int32_t>(origin.x) + p.x, static_cast<int32_t>(origin.y) + p.y};
    PointT<int32_t> local{};
    const RCPtr<LControl> hit = root->HitTest(at, local, false);
    for (RCPtr<LControl> up = hit; up; up = up->GetParent()) {
        LPopupMenu* popup = dynamic_cast<LPopupMenu*>(up.Get());
        if (dynamic_cast<LMainMenu*>(up.Get()) || (popup && IsInMenuChain(popup))) {
            // Hand the pointer on in the receiver's own coordinates.
            const PointT<double> there = up->GetOriginInRootWindow();
            up->OnMouseMove(LPointWithModifiersParam::Create(
                PointT<int32_t>{at.x - static_cast<int32_t>(there.x), at.y - static_cast<int32_t>(there.y)},
                param->GetModifiers()));
            return;
        }
    }
}

KXRESULT LPopupMenu::PositionOnScreen()
{
    const RCPtr<LPopupMenu> self(this);
    LRootWindow* root = RootWindowOf(*this);
    PointT<double> wanted = GetOriginInRootWindow();
    if (root && !GetParentPopup()) {
        const PointT<int32_t> cursor = root->GetCursorPos();
        wanted = PointT<double>{double(cursor.x), double(cursor.y)};
    }
    RectT<int32_t> area{};
    if (const RCPtr<IRootWindow>& window = GetTopLevelOwnerSlot())
        area = window->GetClientRect();
    const PointT<double> parentOrigin = GetParent() ? GetParent()->GetOriginInRootWindow() : PointT<double>{};
    const double extent[2] = {double(area.width), double(area.height)};
    const double size[2] = {GetSize().x, GetSize().y};
    const double want[2] = {wanted.x, wanted.y};
    const double base[2] = {parentOrigin.x, parentOrigin.y};
    for (int32_t axis = 0; axis < 2; ++axis) {
        double position = want[axis];
        if (position + size[axis] > extent[axis])
            position = extent[axis] - size[axis];
        position = std::max(position, 0.0);
        PlaceAt(*this, axis, position - base[axis]);
    }
    SetVisible(true);
    if (!(GetConditionFlags() & Condition::kHasFocus))
        SetFocus(true);
    // A menu that cannot take the focus would close only on a focus loss it never gets.
    if (!(GetConditionFlags() & (Condition::kHasFocus | Condition::kContainsFocus)))
        Close();
    return S_OK;
}

} // namespace KX
