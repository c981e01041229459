// Sorting the multi-column list: every column follows one stable permutation of the rows, ordered
// by one column's texts; cells, selections and alternate looks move with their rows.
#include "kx/controls/MultiColumnListBox.h"

#include "kx/Exception.h"
#include "kx/controls/ListBox.h"

#include <algorithm>

namespace KX {

namespace {

constexpr const char* kSortMethod = "KX::LMultiColumnListBox::PerformSort";
constexpr const char* kSortSource = "Controls\\MultiColumnListBox";
constexpr int kSuspendLine = 708;
constexpr int kRestoreLine = 751;

struct SortRecord {
    int32_t row;
    WString key;
    bool alternate;
};

} // namespace

WString LMultiColumnListBox::GetCellText(int32_t column, int32_t row) const
{
    if (column < 0 || column >= GetColumnCount() || row < 0 || row >= m_columns.front()->GetItemCount())
        return WString();
    return m_columns[static_cast<size_t>(column)]->GetItemText(row);
}

void LMultiColumnListBox::PerformSort(int32_t column)
{
    if (column < 0 || column >= GetColumnCount() || !m_tableHandler)
        return;
    const RCPtr<LControl> self(this);
    const RCPtr<LListBox> first = m_columns.front();
    const int32_t rows = first->GetItemCount();
    const int32_t columns = GetColumnCount();

    std::vector<SortRecord> records(static_cast<size_t>(rows));
    for (int32_t row = 0; row < rows; ++row)
        records[static_cast<size_t>(row)] = SortRecord{row, GetCellText(column, row), first->IsItemAlternate(row)};

    // The columns' selections are rewritten below; no column may sync the others meanwhile.
    for (int32_t c = columns - 1; c >= 0; --c) {
        const RCPtr<LNotificationDistributor> source(m_columns[static_cast<size_t>(c)].Get());
        KXRESULT hr = m_tableHandler->RemoveDistributorHandler(source, NID_SELECTION_CHANGE) ? S_OK : E_FAIL;
        if (Succeeded(hr))
            hr = LPanel::UnregisterForNotification(source, NID_SELECTION_CHANGE);
        if (Failed(hr)) {
            // The table stays as it was: the columns suspended so far listen again.
            ResubscribeSelections(c + 1);
            ThrowFailedResult(hr, kSortMethod, kSortSource, kSuspendLine);
        }
    }

    std::vector<uint8_t> wasSelected(static_cast<size_t>(rows), 0);
    for (const int32_t row : first->GetSelectedIndices())
        if (row >= 0 && row < rows)
            wasSelected[static_cast<size_t>(row)] = 1;
    for (const RCPtr<LListBox>& c : m_columns)
        c->ClearSelection();

    // Stable: rows whose texts are equal keep their order in both directions.
    const bool ascending = m_sortAscending[static_cast<size_t>(column)] != 0;
    std::stable_sort(records.begin(), records.end(), [ascending](const SortRecord& a, const SortRecord& b) {
        if (a.key.GetBuffer().Get() == b.key.GetBuffer().Get())
            return false;
        const int order = TextCompareNoCase(a.key.GetString(), b.key.GetString());
        return ascending ? order < 0 : order > 0;
    });
    m_sortAscending[static_cast<size_t>(column)] = ascending ? 0 : 1;

    for (int32_t c = columns - 1; c >= 0; --c) {
        const RCPtr<LListBox> list = m_columns[static_cast<size_t>(c)];
        // A shorter column gets empty cells, so that none of its texts is overwritten unseen.
        if (list->GetItemCount() < rows)
            list->SetItemCount(rows);
        std::vector<RCPtr<LTaggableObject>> texts(static_cast<size_t>(rows));
        for (int32_t row = 0; row < rows; ++row)
            texts[static_cast<size_t>(row)] = list->GetItemRecord(row).text;
        for (int32_t k = rows - 1; k >= 0; --k)
            list->SetItemText(k, texts[static_cast<size_t>(records[static_cast<size_t>(k)].row)]);
    }

    for (int32_t k = rows - 1; k >= 0; --k) {
        const SortRecord& record = records[static_cast<size_t>(k)];
        for (int32_t c = columns - 1; c >= 0; --c)
            if (!m_columns[static_cast<size_t>(c)]->SetItemAlternate(k, record.alternate))
                break;
        if (wasSelected[static_cast<size_t>(record.row)])
            for (int32_t c = columns - 1; c >= 0; --c)
                m_columns[static_cast<size_t>(c)]->SelectRange(k, -1, false);
    }

    const KXRESULT hr = ResubscribeSelections(0);
    if (Failed(hr))
        ThrowFailedResult(hr, kSortMethod, kSortSource, kRestoreLine);
}

KXRESULT LMultiColumnListBox::ResubscribeSelections(int32_t first)
{
    // Every column is tried; the first failure is reported.
    KXRESULT result = S_OK;
    for (int32_t c = GetColumnCount() - 1; c >= first; --c) {
        const KXRESULT hr = m_tableHandler->AddDistributorHandler(
            &LMultiColumnListBox::OnColumnSelection,
            RCPtr<LNotificationDistributor>(m_columns[static_cast<size_t>(c)].Get()), NID_SELECTION_CHANGE, 0);
        if (Failed(hr) && Succeeded(result))
            result = hr;
    }
    return result;
}

} // namespace KX
