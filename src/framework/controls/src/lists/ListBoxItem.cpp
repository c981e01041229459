// A list box row: its state turned into one of fourteen looks.
#include "kx/controls/ListBoxItem.h"

#include "kx/controls/ListBox.h"

#include <typeinfo>

namespace KX {

LListBoxItem::LListBoxItem(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

LListBoxItem::~LListBoxItem() = default;

void LListBoxItem::OnValueChanged()
{
    RefreshLook();
}

void LListBoxItem::OnConditionsChanged(const RCPtr<LConditionsParam>&)
{
    RefreshLook();
}

KXRESULT LListBoxItem::PostInitialize()
{
    SetNotFocusable(true);
    return S_OK;
}

WString LListBoxItem::GetToolTipText()
{
    if (IsTextClipped())
        return GetText();
    return LControl::GetToolTipText();
}

KXRESULT LListBoxItem::BeginDrag(int32_t button, int32_t x, int32_t y)
{
    const RCPtr<LControl> parent = GetParent();
    if (!m_dropDownMode || !parent)
        return LControl::BeginDrag(button, x, y);
    PointT<double> p{static_cast<double>(x), static_cast<double>(y)};
    parent->MapPointFromControl(*this, p);
    return parent->BeginDrag(button, static_cast<int32_t>(p.x), static_cast<int32_t>(p.y));
}

KXRESULT LListBoxItem::OnParentResized(PointT<double> oldOffset, PointT<double> newOffset)
{
    // Called for every row on every scroll: the exact class is checked first, the cast only for
    // lists derived from it.
    LControl* parent = GetParent().Get();
    LListBox* list = parent && typeid(*parent) == typeid(LListBox) ? static_cast<LListBox*>(parent)
                                                                   : dynamic_cast<LListBox*>(parent);
    if (list) {
        if (list->IsRowInPlace(this))
            return S_OK;
        // The list rewrites its rows' placements as it turns them: a row is laid out, never shifted.
        if (GetLayout() && (GetLayout()->IsXDocked() || GetLayout()->IsYDocked()))
            PerformLayout();
        return S_OK;
    }
    return LControl::OnParentResized(oldOffset, newOffset);
}

int32_t LListBoxItem::GetStateLookIndex(int32_t)
{
    const uint32_t mask = GetConditionFlags();
    const bool selected = GetNormalizedValue() >= 0.5;
    const bool hovered = (mask & Condition::kHoverOrHighlighted) != 0;
    const bool captured = (mask & Condition::kCapture) != 0;
    const bool left = (mask & (Condition::kLeftPressed | Condition::kLeftDrag)) != 0;
    const bool pressed = captured && left;
    if (m_blank)
        return RowLook::kBlank;
    if (!IsEnabled(true))
        return selected ? RowLook::kBlank : RowLook::kDisabled;
    int32_t state; // 0 normal, 1 hover, 2 pressed
    if (!pressed && (!hovered || captured))
        state = 0;
    else if (pressed && hovered)
        state = 2;
    else
        state = 1;
    if (selected)
        return (m_alternate ? RowLook::kSelectedAlternate : RowLook::kSelected) + state;
    return (m_alternate ? RowLook::kAlternateOffset : RowLook::kNormal) + state;
}

void LListBoxItem::RefreshLook()
{
    const RCPtr<LControl> self(this);
    const int32_t look = GetStateLookIndex(0);
    if (look >= 0 && static_cast<uint32_t>(look) < GetLookCount())
        ShowLook(look, 1);
    const PointT<double> size = GetSize();
    const RCPtr<LLayoutDescriptor>& layout = GetLayout();
    Invalidate(RectT<double>{0.0, 0.0, size.x, size.y}, layout ? layout->clipToParent : true);
}

void LListBoxItem::SetAlternateLook(bool on)
{
    if ((m_alternate != 0) == on)
        return;
    m_alternate = on ? 1 : 0;
    RefreshLook();
}

void LListBoxItem::SetBlank(bool on)
{
    if ((m_blank != 0) == on)
        return;
    m_blank = on ? 1 : 0;
    if (on)
        SetText(WString());
    RefreshLook();
}

} // namespace KX
