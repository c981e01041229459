// The list box's scrolling: rows turned by whole-row scrolls, the first shown item following the
// offset, an item scrolled into view, and items and rows found by point.
#include "kx/controls/ListBox.h"

#include "kx/ui/LayoutPasses.h"

#include <algorithm>
#include <cmath>

namespace KX {

void LListBox::PlaceRow(LLayoutDescriptor& layout, int32_t row)
{
    PlaceRowBelow(layout, row > 0 ? RowAt(row - 1) : nullptr);
}

void LListBox::PlaceRowBelow(LLayoutDescriptor& layout, const LControl* previous)
{
    // Rows stay in view while the content scrolls (docked): the first at the client top, each
    // other one directly below the row before it. Scrolling rewrites what they show.
    AxisPlacement& y = layout.Position(1);
    y.anchor = 0.0f;
    y.absolute = 0.0;
    y.docked = 1;
    // Most rows keep the row above them when the rows turn: their names are left alone.
    if (!previous) {
        y.kind = kPositionToClient;
        if (!y.controlName.IsEmpty())
            y.controlName = WString();
        y.relative = 0.0f;
    } else {
        y.kind = kPositionToControl;
        if (!(y.controlName == previous->GetName()))
            y.controlName = previous->GetName();
        y.relative = 1.0f;
    }
}

bool LListBox::IsRowInPlace(const LControl* row)
{
    if (!m_rowsInPlace)
        return false;
    // Only compared, never followed: a stale entry cannot match a live row.
    for (int32_t r = m_wrappedFrom; r < m_wrappedTo && r < GetRowCount(); ++r)
        if (m_rows[static_cast<size_t>(r)].item == row)
            return false;
    return true;
}

int32_t LListBox::FirstShownForOffset(double offset) const
{
    const int32_t step = m_rowHeight > 0 ? m_rowHeight : 14;
    const double rows = std::trunc(offset / step);
    return rows > 0.0 && rows < 2147483647.0 ? static_cast<int32_t>(rows) : 0;
}

void LListBox::SyncFirstShownToOffset(double offset)
{
    const int32_t first = FirstShownForOffset(offset);
    if (first == m_firstShown)
        return;
    m_firstShown = first;
    FillRows();
    RewriteRowsFrom(first);
}

int32_t LListBox::RotateRowsTo(int32_t first)
{
    const int32_t rows = GetRowCount();
    const int32_t shift = first - m_firstShown;
    if (shift == 0 || m_fixedRows || shift >= rows || -shift >= rows)
        return 0;
    // The rows that still show their items keep them and move up or down one place; only the rows
    // that wrap round to the other end are rewritten.
    if (shift > 0)
        std::rotate(m_rows.begin(), m_rows.begin() + shift, m_rows.end());
    else
        std::rotate(m_rows.begin(), m_rows.end() + shift, m_rows.end());
    m_firstShown = first;
    const LControl* previous = nullptr;
    m_turnedRowsUniform = true;
    for (int32_t r = 0; r < rows; ++r) {
        LListBoxItem* row = RowAt(r);
        if (row && row->GetLayout())
            PlaceRowBelow(*row->GetLayout(), previous);
        if (row && row->GetSize().y != static_cast<double>(m_rowHeight))
            m_turnedRowsUniform = false;
        previous = row;
    }
    m_wrappedFrom = shift > 0 ? rows - shift : 0;
    m_wrappedTo = shift > 0 ? rows : -shift;
    m_wrappedUnwritten = true;
    return shift;
}

void LListBox::RewriteWrappedRows()
{
    if (!m_wrappedUnwritten)
        return;
    m_wrappedUnwritten = false;
    for (int32_t r = m_wrappedFrom; r < m_wrappedTo; ++r)
        UpdateRow(m_firstShown + r);
}

const PointT<double>& LListBox::SetScrollOffset(PointT<double> offset)
{
    const RCPtr<LControl> self(this);
    if (m_bulkUpdate)
        return LScrollView::SetScrollOffset(offset);
    // Before the base moves the docked rows, so that each lands where it already stands.
    const double oldY = GetScrollOffset().y;
    const double newY = RoundLayoutValue(offset.y);
    const int32_t shift = RotateRowsTo(FirstShownForOffset(newY));
    // A move by whole rows of one height leaves every row that kept its item where it is: only the
    // rows that wrapped round are placed while the base moves the docked children.
    m_rowsInPlace = shift != 0 && m_turnedRowsUniform && newY - oldY == static_cast<double>(shift) * m_rowHeight;
    // Rows are counted only once all stand where they belong. With the rows in place the bars
    // and the corner shift with the offset, and only the rows that name a moved one are laid out.
    m_deferFill = true;
    SetScrollShiftsNamedChildren(m_rowsInPlace);
    const PointT<double>& result = LScrollView::SetScrollOffset(offset);
    SetScrollShiftsNamedChildren(false);
    // Written while the scroll ran (its repaint covers them), or now when it did not get there.
    RewriteWrappedRows();
    m_rowsInPlace = false;
    m_deferFill = false;
    return result;
}

void LListBox::InvalidateBoundsChange(PointT<double> oldOffset, PointT<double> newOffset)
{
    // The docked rows were laid out in child order; one placed below a row that moved after it is
    // placed again, in row order, before the rows are counted or filled.
    // A single row that wrapped round hangs from the client top or from a row that stayed: the
    // base has placed it for good.
    RewriteWrappedRows();
    const int32_t from = m_rowsInPlace ? m_wrappedFrom : 0;
    const int32_t to = m_rowsInPlace ? m_wrappedTo : GetRowCount();
    // The list holds its rows; a row being placed holds itself.
    for (int32_t r = from; r < to; ++r)
        if (LListBoxItem* row = RowAt(r))
            if (!(m_rowsInPlace && to - from == 1 && row->GetLayout() && row->GetLayout()->IsYDocked()))
                row->PerformLayout();
    m_deferFill = false;
    SyncFirstShownToOffset(newOffset.y);
    LScrollView::InvalidateBoundsChange(oldOffset, newOffset);
}

void LListBox::CheckTrackedBoundsChanged()
{
    LScrollView::CheckTrackedBoundsChanged();
    FillRows();
}

void LListBox::AddInvalidRect(const RCPtr<LControl>& child)
{
    LScrollView::AddInvalidRect(child);
    // The layout moves the siblings after a changed child in child order; turned rows follow one
    // another in row order.
    if (!m_deferFill && !m_placingRows && child) {
        const RCPtr<LControl> self(this);
        m_placingRows = true;
        bool after = false;
        for (int32_t r = 0; r < GetRowCount(); ++r) {
            const RCPtr<LListBoxItem> row = GetRowAt(r);
            if (after && row)
                row->PerformLayout();
            after = after || row.Get() == child.Get();
        }
        m_placingRows = false;
    }
    FillRows();
}

KXRESULT LListBox::EnsureItemVisible(int32_t index)
{
    const int32_t count = GetItemCount();
    if (index < 0 || index >= count)
        return E_INVALIDARG;
    const RectT<double> client = GetClientRect();
    const PointT<double> scroll = GetScrollOffset();
    const double bottom = client.y + client.height + scroll.y;
    int32_t last = m_firstShown;
    for (int32_t r = 1; r < GetRowCount(); ++r) {
        const RCPtr<LListBoxItem> row = GetRowAt(r);
        if (row && row->GetPosition().y + row->GetSize().y <= bottom)
            ++last;
    }
    // A closed drop-down has no rows yet: count the whole rows its client area will hold.
    if (GetRowCount() == 0 && m_rowHeight > 0)
        last += std::max(0, static_cast<int32_t>(client.height / m_rowHeight) - 1);
    if (m_firstShown <= index && index <= last)
        return S_OK;
    const int32_t shown = last - m_firstShown + 1;
    int32_t top = index < m_firstShown ? index : index - shown + 1;
    if (count - top + 1 < shown)
        top = count - shown + 1;
    if (top < 0)
        top = 0;
    SetScrollOffset(PointT<double>{scroll.x, static_cast<double>(m_rowHeight) * top});
    return S_OK;
}

int32_t LListBox::GetItemAtPoint(PointT<double> point)
{
    // The spare row below the last visible one is out of sight: no point outside the list hits it.
    const PointT<double> size = GetSize();
    if (point.x < 0.0 || point.y < 0.0 || point.x >= size.x || point.y >= size.y)
        return -1;
    for (int32_t r = 0; r < GetRowCount(); ++r) {
        const RectT<double> rect = GetItemRowRect(m_firstShown + r);
        if (point.x >= rect.x && point.y >= rect.y && point.x < rect.x + rect.width && point.y < rect.y + rect.height) {
            const int32_t item = m_firstShown + r;
            return item < GetItemCount() ? item : -1;
        }
    }
    return -1;
}

int32_t LListBox::GetRowOfItem(int32_t index)
{
    const int32_t row = index - m_firstShown;
    return index >= 0 && row >= 0 && row < GetRowCount() ? row : -1;
}

RectT<double> LListBox::GetItemRowRect(int32_t index)
{
    const RCPtr<LListBoxItem> row = GetRowAt(GetRowOfItem(index));
    if (!row)
        return RectT<double>{};
    PointT<double> origin{};
    MapPointFromControl(*row, origin);
    return RectT<double>{origin.x, origin.y, row->GetSize().x, row->GetSize().y};
}

} // namespace KX
