// The list box's input: its notification chain, row presses, hover and drags, keys, the pointer
// in drop-down mode, activation and the list's own look.
#include "kx/controls/ListBox.h"
#include "kx/controls/ListParams.h"

#include "kx/controls/ComboBox.h"
#include "kx/controls/ComboMenu.h"
#include "kx/ui/KeyCode.h"

#include "ConditionEdges.h"

#include <cmath>

namespace KX {

namespace {

constexpr uint32_t Pressed(uint8_t virtualKey, uint32_t modifiers = 0)
{
    return (static_cast<uint32_t>(virtualKey) << KeyCode::kVirtualKeyShift) | KeyCode::kKeyDown | modifiers;
}

// Combo boxes and combo menus keep their drop-down list open while the pointer is released over
// them; the list knows them by their type, whatever class name their skin registers.
bool IsDropDownOwner(const LControl& control)
{
    return dynamic_cast<const LComboBox*>(&control) != nullptr || dynamic_cast<const LComboMenu*>(&control) != nullptr;
}

double ClampCoordinate(double value)
{
    constexpr double kLimit = 4503599627370496.0; // 2^52
    return value > kLimit ? kLimit : value < -kLimit ? -kLimit : value;
}

// The row that sent a condition change, and the change; false unless both are there and the row
// is enabled.
bool EnabledRowChange(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n, RCPtr<LControl>& row,
                      ConstRCPtr<LConditionsParam>& change)
{
    row = RCPtr<LControl>::DynamicCast(from);
    change = n ? ConstRCPtr<LConditionsParam>::DynamicCast(n->GetPayload()) : ConstRCPtr<LConditionsParam>();
    return row && change && row->IsEnabled(true);
}

// What the list tells of a row's condition change: the change, the row's item, its look and
// whether the pointer itself is over it (not merely lit by its owner).
ConstRCPtr<LRefCountedObject> ItemConditions(const LConditionsParam& change, int32_t item, const LControl& row)
{
    return ConstRCPtr<LRefCountedObject>(
        LItemConditionsParam::Create(change.GetPreviousMask(), change.GetCurrentMask(), change.GetPoint(), item,
                                     row.GetFirstVisibleLook(), (row.GetConditionFlags() & Condition::kHover) != 0)
            .Get());
}

} // namespace

KXRESULT LListBox::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!IsBuilt())
        return S_FALSE;
    if (m_listHandler && m_listHandler->Receive(from, n))
        return S_OK;
    return LScrollView::Receive(from, n);
}

KXRESULT LListBox::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_listHandler && name)
        m_listHandler->RemoveDistributorHandler(d, name);
    return LScrollView::UnregisterForNotification(d, name);
}

void LListBox::SendListNotification(const char16_t* id, const ConstRCPtr<LRefCountedObject>& param)
{
    RCPtr<LNotification> n;
    LNotification::Create(n, id, param);
    if (n)
        SendNotification(n);
}

KXRESULT LListBox::OnRowMouseDown(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (m_dropDownMode || !n)
        return kConsumed;
    const RCPtr<LMouseButtonParam> press = RCPtr<LMouseButtonParam>::DynamicCast(n->GetPayload());
    const RCPtr<LControl> row = RCPtr<LControl>::DynamicCast(from);
    if (!press || press->GetButton() != kMouseButtonLeft)
        return kConsumed;
    const int32_t item = GetItemOfRowControl(row.Get());
    if (item < 0 || item >= GetItemCount())
        return kConsumed;
    const RCPtr<LControl> self(this);
    const bool ctrl = (press->GetModifiers() & Modifier::Ctrl) != 0;
    const bool shift = (press->GetModifiers() & Modifier::Shift) != 0;
    if (!m_multiSelection) {
        SelectRange(item, item, true);
    } else if (m_selectionMode == 1 && !ctrl) {
        SelectRange(shift && m_anchor >= 0 ? m_anchor : item, item, true);
    } else if (m_selectionMode == 1 && shift) {
        m_anchor = m_caret = item;
        SelectRange(item, item, false);
    } else if (IsItemSelected(item)) {
        DeselectItem(item);
    } else {
        SelectRange(item, item, false);
    }
    if (press->IsDoubleClick())
        SendListNotification(NID_ITEM_DOUBLE_CLICKED);
    return kConsumed;
}

KXRESULT LListBox::OnRowHoverChange(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    RCPtr<LControl> row;
    ConstRCPtr<LConditionsParam> change;
    if (!EnabledRowChange(from, n, row, change))
        return kConsumed;
    const RCPtr<LControl> self(this);
    const int32_t item = GetItemOfRowControl(row.Get());
    const uint32_t hover = Condition::kHoverOrHighlighted;
    if (m_dropDownMode && conditions::Rose(*change, hover) && item >= 0 && item < GetItemCount() &&
        IsItemSelectable(item))
        SelectRange(item, -1, true);
    SendListNotification(NID_ITEM_HOVER_CONDITION_CHANGE, ItemConditions(*change, item, *row));
    return kConsumed;
}

KXRESULT LListBox::OnRowLeftDragChange(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    RCPtr<LControl> row;
    ConstRCPtr<LConditionsParam> change;
    if (!EnabledRowChange(from, n, row, change))
        return kConsumed;
    const RCPtr<LControl> self(this);
    SendListNotification(NID_ITEM_LEFT_DRAG_CONDITION_CHANGE,
                         ItemConditions(*change, GetItemOfRowControl(row.Get()), *row));
    return kConsumed;
}

KXRESULT LListBox::FilterKey(const RCPtr<LKeyParam>& param)
{
    if (!param)
        return S_FALSE;
    const RCPtr<LControl> self(this);
    const uint32_t code = param->GetKey().code;
    const int32_t count = GetItemCount();
    auto selectableFrom = [&](int32_t start, int32_t step) {
        for (int32_t i = start; i >= 0 && i < count; i += step)
            if (IsItemSelectable(i))
                return i;
        return -1;
    };
    const bool up = code == Pressed(VKey::Up) || code == Pressed(VKey::Up, KeyCode::kShift);
    const bool down = code == Pressed(VKey::Down) || code == Pressed(VKey::Down, KeyCode::kShift);
    if (up || down) {
        const int32_t item = up ? selectableFrom(m_caret - 1, -1) : selectableFrom(m_caret + 1, 1);
        if (item < 0)
            return S_OK;
        if ((code & KeyCode::kShift) && m_multiSelection)
            SelectRange(m_anchor >= 0 ? m_anchor : item, item, false);
        else
            SelectRange(item, -1, true);
        return S_OK;
    }
    if (code == Pressed(VKey::Return)) {
        if (m_caret < 0)
            return S_FALSE;
        ActivateItem(m_caret);
        return S_OK;
    }
    const RCPtr<LControl> horizontal(GetHorizontalBar().Get());
    const RCPtr<LControl> vertical(GetVerticalBar().Get());
    if (code == Pressed(VKey::Left) || code == Pressed(VKey::Right))
        return PassKeyToBar(horizontal, param) ? S_OK : S_FALSE;
    if (code == Pressed(VKey::PageUp) || code == Pressed(VKey::PageDown))
        return PassKeyToBar(vertical, param) ? S_OK : S_FALSE;
    if (code == Pressed(VKey::Home) || code == Pressed(VKey::End)) {
        const bool h = PassKeyToBar(horizontal, param);
        const bool v = PassKeyToBar(vertical, param);
        return h || v ? S_OK : S_FALSE;
    }
    return S_FALSE;
}

bool LListBox::PassKeyToBar(const RCPtr<LControl>& bar, const RCPtr<LKeyParam>& param)
{
    if (!bar)
        return false;
    // The bars take their keys as siblings' keys passed up through the list box.
    const RCPtr<LSiblingKeyParam> record = LSiblingKeyParam::Create(param->GetKey(), RCPtr<LControl>(this));
    RCPtr<LNotification> n;
    LNotification::Create(n, NID_SIBLING_KEY, ConstRCPtr<LRefCountedObject>(record.Get()));
    if (!n)
        return false;
    bar->Receive(RCPtr<LNotificationDistributor>(this), n);
    return true;
}

void LListBox::OnMove(const RCPtr<LPointWithModifiersParam>& param)
{
    LScrollView::OnMove(param);
    const uint32_t mask = GetConditionFlags();
    if (!m_dropDownMode || !param || !(mask & Condition::kCapture) ||
        !(mask & (Condition::kLeftPressed | Condition::kLeftDrag)))
        return;
    const RCPtr<LControl> self(this);
    const PointT<int32_t> p = param->GetPoint();
    const int32_t item = GetItemAtPoint(PointT<double>{static_cast<double>(p.x), static_cast<double>(p.y)});
    if (item < 0)
        ClearSelection();
    else if (IsItemSelectable(item))
        SelectRange(item, -1, true);
}

void LListBox::OnLeftUp(const RCPtr<LMouseButtonParam>& param)
{
    LScrollView::OnLeftUp(param);
    // A list hidden or disabled (with its owner) meanwhile chooses nothing.
    if (!m_dropDownMode || !param || !IsShowing(true) || !IsEnabled(true))
        return;
    const RCPtr<LControl> self(this);
    const PointT<int32_t> p = param->GetPoint();
    const PointT<double> point{static_cast<double>(p.x), static_cast<double>(p.y)};
    const int32_t item = GetItemAtPoint(point);
    const RCPtr<LControl> parent = GetParent();
    if (item >= 0 && parent) {
        ActivateItem(item);
        return;
    }
    if (!parent || !IsDropDownOwner(*parent))
        return;
    PointT<double> inParent{ClampCoordinate(point.x), ClampCoordinate(point.y)};
    parent->MapPointFromControl(*this, inParent);
    const PointT<double> size = parent->GetSize();
    const bool inside = inParent.x >= 0.0 && inParent.y >= 0.0 && inParent.x < size.x && inParent.y < size.y;
    if (!inside)
        SetVisible(false);
}

void LListBox::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    LScrollView::OnConditionsChanged(param);
    if (!param)
        return;
    const uint32_t changed = param->GetPreviousMask() ^ param->GetCurrentMask();
    if (!(changed & (Condition::kEnabled | Condition::kHasFocus | Condition::kFocusVisible)))
        return;
    // The caret's row shows its mark only while the list has the focus and keys are in use.
    if (changed & (Condition::kHasFocus | Condition::kFocusVisible))
        if (const RCPtr<LListBoxItem> row = GetRowAt(GetRowOfItem(m_caret)))
            row->Invalidate(RectT<double>{0.0, 0.0, row->GetSize().x, row->GetSize().y}, true);
    const uint32_t mask = param->GetCurrentMask();
    constexpr uint32_t ring = Condition::kHasFocus | Condition::kFocusVisible;
    int32_t look = !(mask & Condition::kEnabled) ? 1 : (mask & ring) == ring ? 2 : 0;
    if (static_cast<uint32_t>(look) >= GetLookCount())
        look = 0;
    if (GetLookCount() > 0)
        ShowLook(look, 1);
}

void LListBox::ActivateItem(int32_t index)
{
    if (index < 0 || index >= GetItemCount() || !IsItemSelectable(index))
        return;
    const RCPtr<LControl> self(this);
    OnItemActivated();
    if (m_dropDownMode)
        SetVisible(false);
    if (GetParent())
        SendListNotification(NID_ITEM_ACTIVATED);
}

void LListBox::SetVerticalLineSize(int32_t pixels)
{
    SetLineMode(pixels);
}

void LListBox::SetDropDownMode(bool on)
{
    m_dropDownMode = on;
    for (int32_t r = 0; r < GetRowCount(); ++r)
        if (const RCPtr<LListBoxItem> row = GetRowAt(r))
            row->SetDropDownMode(on);
}

KXRESULT LListBox::SetItemRowHighlighted(int32_t index, bool on)
{
    const RCPtr<LListBoxItem> row = GetRowAt(GetRowOfItem(index));
    if (!row)
        return S_FALSE;
    row->SetHighlighted(on);
    return S_OK;
}

KXRESULT LListBox::ShowLookOnItemRow(int32_t index, int32_t look)
{
    const RCPtr<LListBoxItem> row = GetRowAt(GetRowOfItem(index));
    if (!row)
        return S_FALSE;
    return row->ShowLook(look, 1);
}

} // namespace KX
