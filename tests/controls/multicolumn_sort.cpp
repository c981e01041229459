// Multi-column list sorting by header clicks: ascending, descending and ascending again, case
// ignored, rows with equal texts keeping their order both ways, every row's cells, selection and
// alternate look moving together; headers without a column, short columns and a lost subscription.
#include "ListsFixture.h"

#include "kx/StringT.h"

#include <algorithm>
#include <array>
#include <cctype>

using namespace KX;

namespace {

using Row = std::array<std::string, 3>;

class MultiColumnSort : public ctltest::Lists2Test {
protected:
    static std::vector<Row> Rows(const LMultiColumnListBox& table)
    {
        const std::vector<std::string> a = ColumnTexts(table, 0), b = ColumnTexts(table, 1), c = ColumnTexts(table, 2);
        std::vector<Row> rows;
        for (size_t i = 0; i < a.size(); ++i)
            rows.push_back(Row{a[i], b[i], c[i]});
        return rows;
    }
    // The rows stably sorted by one column, case ignored.
    static std::vector<Row> Expected(std::vector<Row> rows, size_t column, bool ascending)
    {
        std::stable_sort(rows.begin(), rows.end(), [&](const Row& x, const Row& y) {
            const int order = TextCompareNoCase(x[column].c_str(), y[column].c_str());
            return ascending ? order < 0 : order > 0;
        });
        return rows;
    }
    void ClickHeader(const LMultiColumnListBox& table, int32_t header) { ClickOn(*table.GetHeader(header)); }
    static int32_t RowOf(const LMultiColumnListBox& table, const char* name)
    {
        const std::vector<std::string> names = ColumnTexts(table, 0);
        const auto it = std::find(names.begin(), names.end(), name);
        return it == names.end() ? -1 : static_cast<int32_t>(it - names.begin());
    }
};

} // namespace

TEST_F(MultiColumnSort, HeaderClicksSortAscendingDescendingAscendingAndEqualTextsKeepTheirOrder)
{
    RCPtr<LMultiColumnListBox> table = CreateAs<LMultiColumnListBox>(u"table");
    ASSERT_TRUE(table);
    const std::vector<Row> original = Rows(*table);
    ASSERT_EQ(original.size(), 10u);

    // "Kind" holds four Berry and three Stone rows.
    EXPECT_TRUE(table->IsNextSortAscending(1));
    ClickHeader(*table, 1);
    EXPECT_EQ(Rows(*table), Expected(original, 1, true));
    EXPECT_FALSE(table->IsNextSortAscending(1));
    Screenshot("kind_ascending");
    ClickHeader(*table, 1);
    EXPECT_EQ(Rows(*table), Expected(original, 1, false));
    ClickHeader(*table, 1);
    EXPECT_EQ(Rows(*table), Expected(original, 1, true));

    // Another header sorts ascending the first time whatever the last one did; case is ignored.
    ClickHeader(*table, 1);
    ClickHeader(*table, 0);
    const std::vector<std::string> names = ColumnTexts(*table, 0);
    EXPECT_EQ(names, (std::vector<std::string>{"apple", "Banana", "cherry", "date", "Elder", "Fig", "grape", "Kiwi",
                                               "lemon", "Mango"}));
    EXPECT_EQ(Rows(*table), Expected(original, 0, true)) << "each row's cells stay together";
    Screenshot("name_ascending");
}

TEST_F(MultiColumnSort, ManyRowsWithEqualTextsKeepTheirOrderBothWays)
{
    RCPtr<LMultiColumnListBox> narrow = CreateAs<LMultiColumnListBox>(u"narrowTable");
    ASSERT_TRUE(narrow);
    // Enough rows that an unstable sort reorders equal keys; the keys differ only in case.
    const char* const keys[] = {"b", "A", "a", "B", "c"};
    constexpr int32_t kRows = 60;
    for (int32_t c = 0; c < 2; ++c)
        narrow->GetColumn(c)->SetItemCount(kRows);
    for (int32_t r = 0; r < kRows; ++r) {
        narrow->GetColumn(0)->SetItemText(r, WString::Format(u"row %02d", r));
        narrow->GetColumn(1)->SetItemText(r, WString(std::string(keys[(r * 7) % 5]).c_str()));
    }
    std::vector<std::pair<int, int>> original; // (key class, row number)
    for (int32_t r = 0; r < kRows; ++r)
        original.emplace_back(std::tolower(keys[(r * 7) % 5][0]), r);
    for (const bool ascending : {true, false}) {
        narrow->PerformSort(1);
        std::vector<std::pair<int, int>> wanted = original;
        std::stable_sort(wanted.begin(), wanted.end(), [&](const auto& x, const auto& y) {
            return ascending ? x.first < y.first : x.first > y.first;
        });
        for (int32_t k = 0; k < kRows; ++k) {
            const std::string name = ItemText(*narrow->GetColumn(0), k);
            ASSERT_EQ(
                name,
                std::string(WString::Format(u"row %02d", wanted[static_cast<size_t>(k)].second).ToNarrow().GetString()))
                << (ascending ? "ascending" : "descending") << " position " << k;
        }
    }
}

TEST_F(MultiColumnSort, SelectionsAndAlternateLooksMoveWithTheirRows)
{
    RCPtr<LMultiColumnListBox> table = CreateAs<LMultiColumnListBox>(u"table");
    ASSERT_TRUE(table);
    const PointT<int32_t> date = CellCentre(*table, 2, RowOf(*table, "date"));
    Click(date.x, date.y);
    const int32_t fig = RowOf(*table, "Fig");
    for (int32_t c = 0; c < 3; ++c)
        table->GetColumn(c)->SetItemAlternate(fig, true);

    ClickHeader(*table, 0);
    const int32_t dateNow = RowOf(*table, "date"), figNow = RowOf(*table, "Fig");
    ASSERT_EQ(dateNow, 3);
    ASSERT_EQ(figNow, 5);
    for (int32_t c = 0; c < 3; ++c) {
        const RCPtr<LListBox> column = table->GetColumn(c);
        EXPECT_EQ(column->GetSelectedCount(), 1) << c;
        EXPECT_TRUE(column->IsItemSelected(dateNow)) << c;
        EXPECT_TRUE(column->IsItemAlternate(figNow)) << c;
        EXPECT_FALSE(column->IsItemAlternate(fig)) << c;
    }
    // The rows keep their alignment afterwards: a click selects one row everywhere.
    const PointT<int32_t> p = CellCentre(*table, 1, 1);
    Click(p.x, p.y);
    for (int32_t c = 0; c < 3; ++c) {
        EXPECT_TRUE(table->GetColumn(c)->IsItemSelected(1)) << c;
        EXPECT_EQ(table->GetColumn(c)->GetSelectedCount(), 1) << c;
    }
    Screenshot("moved");
}

TEST_F(MultiColumnSort, HeadersWithoutColumnsShortColumnsAndALostSubscription)
{
    RCPtr<LMultiColumnListBox> narrow = CreateAs<LMultiColumnListBox>(u"narrowTable");
    ASSERT_TRUE(narrow);
    const std::vector<std::string> names = ColumnTexts(*narrow, 0);
    ClickHeader(*narrow, 2);
    narrow->PerformSort(2);
    narrow->PerformSort(-1);
    EXPECT_EQ(ColumnTexts(*narrow, 0), names) << "a header beyond the columns sorts nothing";

    // A column shorter than the first gains empty cells instead of losing texts to the permutation.
    const RCPtr<LListBox> kinds = narrow->GetColumn(1);
    kinds->SetItemCount(4);
    narrow->PerformSort(0);
    EXPECT_EQ(kinds->GetItemCount(), 10);
    std::vector<std::string> kept;
    for (int32_t r = 0; r < 10; ++r)
        if (!kinds->GetItemText(r).IsEmpty())
            kept.push_back(ItemText(*kinds, r));
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (std::vector<std::string>{"Berry", "Fig", "Pome", "Stone"}));
    EXPECT_EQ(narrow->GetCellText(1, RowOf(*narrow, "Banana")), WString(u"Berry"));

    // Sorting needs the table's own subscriptions; one taken away from outside is a clear failure.
    narrow->UnregisterForNotification(RCPtr<LNotificationDistributor>(kinds.Get()), u"NID_SELECTION_CHANGE");
    try {
        narrow->PerformSort(0);
        FAIL() << "no exception";
    } catch (const FailedResultException& e) {
        EXPECT_STREQ(e.what(), "Failed Result : KXRESULT = 80004005 : KX::LMultiColumnListBox::PerformSort : "
                               "Controls\\MultiColumnListBox : Line 708");
    }
}
