#pragma once
// The list controls' tests: the lists area's skin with its icon images as resources, a log of the
// notifications a list sends, and row helpers; for the checked combo box and the multi-column list,
// the lists area's looks under the lists2 area's skin and helpers to reach a row of a list or of a
// table column.
#include "ControlsHarness.h"

#include "kx/Resources.h"
#include "kx/controls/CheckedComboBox.h"
#include "kx/controls/CheckedListBox.h"
#include "kx/controls/ListBox.h"
#include "kx/controls/MultiColumnListBox.h"
#include "kx/ui/ControlCreate.h"

#include <memory>
#include <string>
#include <vector>

namespace ctltest {

class ListsTest : public ControlsTest {
protected:
    std::vector<std::string> Areas() const override { return {"lists"}; }

    void SetUp() override
    {
        // The skin's icon parts read these images as resources.
        m_icons = AddImageResources({"lists_icon_a.png", "lists_icon_b.png"});
        ControlsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        RegisterScrollChannelClass(*factory);
        counter = KX::RCPtr<NotificationLog>(new NotificationLog());
    }
    void TearDown() override
    {
        counter = nullptr;
        ControlsTest::TearDown();
        m_icons.clear();
    }

    // The skin's list box of that name, watched by the log.
    template <class T = KX::LListBox>
    KX::RCPtr<T> MakeList(const char16_t* name)
    {
        KX::RCPtr<T> list = CreateAs<T>(name);
        if (list)
            counter->Listen(list.Get(), {u"NID_SELECTION_CHANGE", u"NID_ITEM_ACTIVATED", u"NID_ITEM_DOUBLE_CLICKED",
                                         u"NID_ITEM_CHECK_CHANGE", u"NID_ITEM_HOVER_CONDITION_CHANGE"});
        return list;
    }
    // The centre of the row that shows item (window coordinates).
    static KX::PointT<int32_t> RowCentre(KX::LListBox& list, int32_t item)
    {
        const KX::RCPtr<KX::LListBoxItem> row = list.GetRowAt(list.GetRowOfItem(item));
        return row ? CentreOf(*row) : KX::PointT<int32_t>{-1, -1};
    }
    static std::string RowText(KX::LListBox& list, int32_t row)
    {
        const KX::RCPtr<KX::LListBoxItem> control = list.GetRowAt(row);
        return control ? std::string(control->GetText().ToNarrow().GetString()) : std::string("<no row>");
    }
    static std::string ItemText(const KX::LListBox& list, int32_t item)
    {
        return list.GetItemText(item).ToNarrow().GetString();
    }

    KX::RCPtr<NotificationLog> counter;

private:
    std::vector<std::unique_ptr<KX::ScopedResource>> m_icons;
};

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
