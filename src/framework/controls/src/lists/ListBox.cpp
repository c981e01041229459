// The list box's item records: the store, the selection, sorting and items from a string table.
#include "kx/controls/ListBox.h"

#include "kx/Wrappers.h"
#include "kx/ui/StringTable.h"

#include <algorithm>
#include <numeric>

namespace KX {

LListBox::LListBox(const RCPtr<LControl>& parent, const WString& name) : LScrollView(parent, name) {}

LListBox::~LListBox() = default;

// The store.

int32_t LListBox::GetItemCount() const
{
    return static_cast<int32_t>(m_items.size());
}

LListItemRecord& LListBox::GetItemRecord(int32_t index)
{
    return m_items[static_cast<size_t>(index)];
}

const LListItemRecord& LListBox::GetItemRecord(int32_t index) const
{
    return m_items[static_cast<size_t>(index)];
}

void LListBox::InsertItemRecord(int32_t index)
{
    m_items.insert(m_items.begin() + index, LListItemRecord{});
}

void LListBox::RemoveItemRecord(int32_t index)
{
    m_items.erase(m_items.begin() + index);
}

void LListBox::SwapItems(int32_t a, int32_t b)
{
    std::swap(GetItemRecord(a), GetItemRecord(b));
}

int32_t LListBox::SetItemCount(int32_t count)
{
    if (count < 0)
        count = 0;
    const int32_t before = GetItemCount();
    if (count == before)
        return count;
    const RCPtr<LControl> self(this);
    m_bulkUpdate = true;
    // A selection listener may edit the list meanwhile: each pass takes the last item there is.
    for (int32_t passes = before; GetItemCount() > count && passes > 0; --passes)
        RemoveItemAt(GetItemCount() - 1);
    while (count > before && GetItemCount() < count)
        InsertItemRecord(GetItemCount());
    m_bulkUpdate = false;
    FillRows();
    RewriteRowsFrom(std::min({before, count, GetItemCount()}));
    RelayoutRows();
    RecomputeWidestText();
    FitHeightToContent();
    const int32_t reached = GetItemCount();
    return reached == count ? count : -reached;
}

double LListBox::GetContentHeight()
{
    return static_cast<double>(GetItemCount()) * static_cast<double>(m_rowHeight);
}

// Items.

int32_t LListBox::InsertItem(int32_t index, const RCPtr<LTaggableObject>& text)
{
    if (index < 0 || index > GetItemCount())
        return E_INVALIDARG;
    const RCPtr<LControl> self(this);
    InsertItemRecord(index);
    GetItemRecord(index).text = text;
    // The caret and the anchor stay on their items.
    if (m_caret >= index)
        ++m_caret;
    if (m_anchor >= index)
        ++m_anchor;
    FillRows();
    RewriteRowsFrom(index);
    RelayoutRows();
    const int32_t width = m_bulkUpdate ? 0 : MeasureItemText(index);
    if (width > m_widestText) {
        m_widestText = width;
        RelayoutRows();
    }
    FitHeightToContent();
    if (m_sorted)
        SortItems();
    return index;
}

int32_t LListBox::InsertItem(int32_t index, const WString& text)
{
    return InsertItem(index, TaggableFromString(text));
}

KXRESULT LListBox::RemoveItemAt(int32_t index)
{
    if (index < 0 || index >= GetItemCount())
        return E_INVALIDARG;
    const RCPtr<LControl> self(this);
    const int32_t width = m_bulkUpdate ? 0 : MeasureItemText(index);
    const int32_t before = GetItemCount();
    DeselectItem(index);
    // The deselection notifies: a listener that changed the list leaves index naming another
    // item, or none.
    if (GetItemCount() != before)
        return S_FALSE;
    RemoveItemRecord(index);
    if (m_caret > index)
        --m_caret;
    if (m_anchor > index)
        --m_anchor;
    const int32_t count = GetItemCount();
    if (m_caret >= count || m_anchor >= count)
        m_caret = m_anchor = -1;
    FillRows();
    RewriteRowsFrom(index);
    RelayoutRows();
    if (!m_bulkUpdate && width >= m_widestText)
        RecomputeWidestText();
    FitHeightToContent();
    return S_OK;
}

void LListBox::RemoveAllItems()
{
    const RCPtr<LControl> self(this);
    const bool wasBulk = m_bulkUpdate;
    m_bulkUpdate = true;
    for (int32_t i = GetItemCount() - 1; i >= 0; --i)
        RemoveItemAt(i);
    m_bulkUpdate = wasBulk;
    m_widestText = 0;
    RelayoutRows();
    FitHeightToContent();
}

void LListBox::SetItemText(int32_t index, const RCPtr<LTaggableObject>& text)
{
    if (index < 0 || index >= GetItemCount())
        return;
    const bool wasWidest = !m_bulkUpdate && m_widestText > 0 && MeasureItemText(index) >= m_widestText;
    GetItemRecord(index).text = text;
    UpdateRow(index);
    if (m_bulkUpdate)
        return;
    const int32_t width = MeasureItemText(index);
    if (wasWidest && width < m_widestText) {
        RecomputeWidestText();
        RelayoutRows();
    } else if (width > m_widestText) {
        m_widestText = width;
        RelayoutRows();
    }
}

void LListBox::SetItemText(int32_t index, const WString& text)
{
    SetItemText(index, TaggableFromString(text));
}

void LListBox::SetItem(int32_t index, const RCPtr<LTaggableObject>& text, double value, bool alternate, bool blank)
{
    if (index < 0 || index >= GetItemCount())
        return;
    LListItemRecord& record = GetItemRecord(index);
    record.alternate = alternate ? 1 : 0;
    record.blank = blank ? 1 : 0;
    SetItemText(index, text);
    if (!SetItemValue(index, value))
        UpdateRow(index);
}

WString LListBox::GetItemText(int32_t index) const
{
    if (index < 0 || index >= GetItemCount())
        return WString();
    const RCPtr<LTaggableObject>& text = GetItemRecord(index).text;
    return text ? text->ToString() : WString();
}

int32_t LListBox::FindItemByText(const WString& text, int32_t start, bool caseSensitive) const
{
    const int32_t count = GetItemCount();
    if (start < -1 || start >= count)
        start = -1;
    auto matches = [&](int32_t i) {
        const WString item = GetItemText(i);
        return caseSensitive ? item == text : TextCompareNoCase(item.GetString(), text.GetString()) == 0;
    };
    for (int32_t i = start + 1; i < count; ++i)
        if (matches(i))
            return i;
    for (int32_t i = 0; i <= start; ++i)
        if (matches(i))
            return i;
    return -1;
}

std::vector<WString> LListBox::CollectStringTableItems(const LStringTable& table)
{
    Array<LStringTable::EntryPair> entries;
    table.GetEntriesByPrefix(WString(u"ITEM."), entries);
    std::vector<WString> texts;
    for (uint32_t e = 0; e < entries.GetCount(); ++e) {
        const LStringTable::EntryPair& entry = entries.GetData()[e];
        // A negative or absurdly large number would index or allocate wildly: such keys are ignored.
        const int index = entry.first.Mid(5).ToInt();
        if (index < 0 || index >= kMaxStringTableItems)
            continue;
        if (static_cast<size_t>(index) >= texts.size())
            texts.resize(static_cast<size_t>(index) + 1);
        texts[static_cast<size_t>(index)] = entry.second;
    }
    return texts;
}

KXRESULT LListBox::FillFromStringTable(const ConstRCPtr<LStringTable>& table)
{
    if (!table)
        return E_INVALIDARG;
    const RCPtr<LControl> self(this);
    RemoveAllItems();
    const std::vector<WString> texts = CollectStringTableItems(*table);
    m_bulkUpdate = true;
    SetItemCount(static_cast<int32_t>(texts.size()));
    m_bulkUpdate = true;
    for (size_t i = 0; i < texts.size(); ++i)
        SetItemText(static_cast<int32_t>(i), texts[i]);
    m_bulkUpdate = false;
    RelayoutRows();
    RecomputeWidestText();
    RelayoutRows();
    FitHeightToContent();
    return S_OK;
}

void LListBox::SortItems()
{
    const int32_t count = GetItemCount();
    if (count <= 0)
        return;
    const RCPtr<LControl> self(this);
    struct Entry {
        int32_t original;
        WString text;
    };
    std::vector<Entry> entries(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        entries[static_cast<size_t>(i)] = Entry{i, GetItemText(i)};
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.text.GetBuffer().Get() != b.text.GetBuffer().Get() &&
               TextCompareNoCase(a.text.GetString(), b.text.GetString()) < 0;
    });
    std::vector<int32_t> newPosition(static_cast<size_t>(count));
    for (int32_t k = 0; k < count; ++k)
        newPosition[static_cast<size_t>(entries[static_cast<size_t>(k)].original)] = k;
    if (m_anchor >= 0 && m_anchor < count)
        m_anchor = newPosition[static_cast<size_t>(m_anchor)];
    if (m_caret >= 0 && m_caret < count)
        m_caret = newPosition[static_cast<size_t>(m_caret)];
    // Apply the permutation with swaps, tracking where each original item stands now.
    std::vector<int32_t> where(static_cast<size_t>(count)), at(static_cast<size_t>(count));
    std::iota(where.begin(), where.end(), 0);
    std::iota(at.begin(), at.end(), 0);
    for (int32_t k = 0; k < count; ++k) {
        const int32_t original = entries[static_cast<size_t>(k)].original;
        const int32_t from = where[static_cast<size_t>(original)];
        if (from == k)
            continue;
        SwapItems(k, from);
        const int32_t displaced = at[static_cast<size_t>(k)];
        at[static_cast<size_t>(from)] = displaced;
        where[static_cast<size_t>(displaced)] = from;
        at[static_cast<size_t>(k)] = original;
        where[static_cast<size_t>(original)] = k;
    }
    RewriteRowsFrom(m_firstShown);
    if (m_caret >= 0)
        EnsureItemVisible(m_caret);
}

// Selection.

bool LListBox::IsItemSelected(int32_t index) const
{
    return index >= 0 && index < GetItemCount() && GetItemRecord(index).value >= 0.5;
}

bool LListBox::SetItemValue(int32_t index, double value)
{
    LListItemRecord& record = GetItemRecord(index);
    const bool was = record.value >= 0.5;
    record.value = value;
    const bool now = value >= 0.5;
    if (was != now)
        m_selectedCount += now ? 1 : -1;
    UpdateRow(index);
    return was != now;
}

void LListBox::ReportSelectionChange()
{
    OnSelectionChanged();
    if (!m_dropDownMode)
        SendListNotification(NID_SELECTION_CHANGE);
}

int32_t LListBox::SelectRange(int32_t first, int32_t last, bool replace)
{
    const int32_t count = GetItemCount();
    if (first < 0 || first >= count)
        return E_INVALIDARG;
    if (last < 0)
        last = first;
    if (last >= count)
        last = count - 1;
    const RCPtr<LControl> self(this);
    if (first == last && IsItemSelected(first) && (!replace || m_selectedCount == 1)) {
        EnsureItemVisible(first);
        return first;
    }
    m_anchor = first;
    m_caret = last;
    bool changed = false;
    if (replace) {
        const int32_t low = std::min(first, last), high = std::max(first, last);
        for (int32_t i = count - 1; i >= 0; --i) {
            const bool inside = i >= low && i <= high;
            const bool selected = GetItemRecord(i).value >= 0.5;
            if (inside && !selected)
                changed |= SetItemValue(i, 1.0);
            else if (!inside && selected)
                changed |= SetItemValue(i, 0.0);
        }
    } else {
        const int32_t step = last >= first ? 1 : -1;
        for (int32_t i = first; i != last; i += step)
            if (GetItemRecord(i).value < 0.5)
                changed |= SetItemValue(i, 1.0);
        if (GetItemRecord(last).value < 0.5)
            changed |= SetItemValue(last, 1.0);
    }
    EnsureItemVisible(m_caret);
    if (changed)
        ReportSelectionChange();
    return first;
}

KXRESULT LListBox::DeselectItem(int32_t index)
{
    if (!IsItemSelected(index))
        return S_FALSE;
    const RCPtr<LControl> self(this);
    SetItemValue(index, 0.0);
    const int32_t count = GetItemCount();
    auto selectedAt = [&](int32_t i) { return i >= 0 && i < count && GetItemRecord(i).value >= 0.5; };
    if (m_selectedCount == 0) {
        m_anchor = m_caret = -1;
    } else if (m_caret == index) {
        const bool together = m_anchor == m_caret;
        if (selectedAt(index + 1))
            m_caret = index + 1;
        else if (selectedAt(index - 1))
            m_caret = index - 1;
        else
            m_caret = m_anchor;
        if (together)
            m_anchor = m_caret;
    } else if (m_anchor == index) {
        if (selectedAt(index + 1))
            m_anchor = index + 1;
        else if (selectedAt(index - 1))
            m_anchor = index - 1;
        else
            m_anchor = -1;
    }
    ReportSelectionChange();
    return S_OK;
}

void LListBox::ClearSelection()
{
    const RCPtr<LControl> self(this);
    bool changed = false;
    for (int32_t i = GetItemCount() - 1; i >= 0 && m_selectedCount > 0; --i)
        if (GetItemRecord(i).value >= 0.5)
            changed |= SetItemValue(i, 0.0);
    if (!changed)
        return;
    m_anchor = m_caret = -1;
    ReportSelectionChange();
}

const std::vector<int32_t>& LListBox::GetSelectedIndices()
{
    m_selectedIndices.clear();
    for (int32_t i = 0; i < GetItemCount(); ++i)
        if (GetItemRecord(i).value >= 0.5)
            m_selectedIndices.push_back(i);
    return m_selectedIndices;
}

bool LListBox::IsItemAlternate(int32_t index) const
{
    return index >= 0 && index < GetItemCount() && GetItemRecord(index).alternate != 0;
}

int32_t LListBox::SetItemAlternate(int32_t index, bool on)
{
    if (index < 0 || index >= GetItemCount())
        return 0;
    GetItemRecord(index).alternate = on ? 1 : 0;
    UpdateRow(index);
    return 1;
}

int32_t LListBox::SetItemBlank(int32_t index, bool on)
{
    if (index < 0 || index >= GetItemCount())
        return 0;
    GetItemRecord(index).blank = on ? 1 : 0;
    UpdateRow(index);
    return 1;
}

} // namespace KX
