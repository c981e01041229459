#pragma once
// The checked combo box and multi-column list tests: the lists area's looks and icon images under
// the lists2 area's skin, and helpers to reach a row of a list or of a table column.
#include "ListsTestSupport.h"

#include "kx/controls/CheckedComboBox.h"
#include "kx/controls/MultiColumnListBox.h"

#include <string>
#include <vector>

namespace ctltest {

class Lists2Test : public ListsTest {
protected:
    std::vector<std::string> Areas() const override { return {"lists", "lists2"}; }

    // The texts of a column's items, in item order.
    static std::vector<std::string> ColumnTexts(const KX::LMultiColumnListBox& table, int32_t column)
    {
        std::vector<std::string> texts;
        const KX::RCPtr<KX::LListBox> first = table.GetColumn(0);
        for (int32_t row = 0; first && row < first->GetItemCount(); ++row)
            texts.push_back(table.GetCellText(column, row).ToNarrow().GetString());
        return texts;
    }
    // The window point at the centre of the cell that shows row of column (the row must be shown).
    static KX::PointT<int32_t> CellCentre(const KX::LMultiColumnListBox& table, int32_t column, int32_t row)
    {
        const KX::RCPtr<KX::LListBox> list = table.GetColumn(column);
        return list ? RowCentre(*list, row) : KX::PointT<int32_t>{-1, -1};
    }
    // The centre of the row of an open combo box's list that shows item.
    static KX::PointT<int32_t> ListRowCentre(KX::LComboBox& combo, int32_t item)
    {
        return RowCentre(*combo.GetListBox(), item);
    }
    // The centre of the check box on the open list's row that shows item.
    static KX::PointT<int32_t> ListCheckCentre(KX::LCheckedComboBox& combo, int32_t item)
    {
        const KX::RCPtr<KX::LCheckedListBox>& list = combo.GetCheckedList();
        const KX::RCPtr<KX::LCheckedListBoxItem> row = list->GetRowControl(list->GetRowOfItem(item));
        return row && row->GetCheckBox() ? CentreOf(*row->GetCheckBox()) : KX::PointT<int32_t>{-1, -1};
    }
};

} // namespace ctltest
