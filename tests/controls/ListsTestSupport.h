#pragma once
// The list controls' tests: the lists area's skin with its icon images as resources, a log of the
// notifications a list sends, and row helpers.
#include "ControlsHarness.h"

#include "kx/Resources.h"
#include "kx/controls/CheckedListBox.h"
#include "kx/controls/ListBox.h"
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

} // namespace ctltest
