// Lists: building, counting and reading items, and lists whose data is malformed.
#include "VariantSupport.h"

#include <gtest/gtest.h>

#include <vector>

using KX::Variant;
using namespace kxtest;

namespace {

Variant ThreeItems()
{
    const Variant items[] = {Int32(7), Double(2.25), Text("abc")};
    Variant list;
    EXPECT_EQ(list.SetList(items, 3), Variant::TypeList);
    return list;
}

TEST(VariantList, ItemsComeBackInOrder)
{
    const Variant list = ThreeItems();
    EXPECT_EQ(list.GetListCount(), 3u);

    Variant out;
    ASSERT_EQ(list.GetListItem(1, out), 0);
    EXPECT_EQ(out.GetType(), Variant::TypeDouble);
    EXPECT_EQ(out.ToDouble(), 2.25);
    ASSERT_EQ(list.GetListItem(0, out), 0);
    EXPECT_TRUE(out == Int32(7));
    ASSERT_EQ(list.GetListItem(2, out), 0);
    EXPECT_STREQ(out.GetString(), "abc");

    out = Blob({1, 2});
    EXPECT_EQ(list.GetListItem(3, out), -1);
    EXPECT_EQ(out.GetType(), Variant::TypeEmpty);
    out = Blob({1, 2});
    EXPECT_EQ(list.GetListItem(0xFFFFFFFFu, out), -1);
    EXPECT_EQ(out.GetType(), Variant::TypeEmpty);
}

TEST(VariantList, EmptyListAndNonLists)
{
    Variant empty = Int32(1);
    EXPECT_EQ(empty.SetList(nullptr, 0), Variant::TypeList);
    EXPECT_EQ(empty.GetType(), Variant::TypeList);
    EXPECT_TRUE(DataOf(empty).empty());
    EXPECT_EQ(empty.GetListCount(), 0u);
    Variant out = Int32(1);
    EXPECT_EQ(empty.GetListItem(0, out), -1);
    EXPECT_EQ(out.GetType(), Variant::TypeEmpty);

    // A blob holding a valid record is not a list.
    const Variant blob = Blob(Words({16, 0, 2, 7}));
    EXPECT_EQ(blob.GetListCount(), 0u);
    EXPECT_EQ(blob.GetListItem(0, out), -1);
}

TEST(VariantList, NestedListsAndRoundTrip)
{
    const Variant inner = ThreeItems();
    const Variant items[] = {inner, Blob({0xDE, 0xAD}), Variant()};
    Variant outer;
    outer.SetList(items, 3);
    ASSERT_EQ(outer.GetListCount(), 3u);

    const Bytes record = RecordOf(outer);
    Variant read;
    ASSERT_EQ(Variant::Deserialize(read, record.data(), static_cast<uint32_t>(record.size())), KX::S_OK);
    EXPECT_TRUE(read == outer);

    Variant first;
    ASSERT_EQ(read.GetListItem(0, first), 0);
    EXPECT_TRUE(first == inner);
    Variant last = Int32(3);
    ASSERT_EQ(read.GetListItem(2, last), 0);
    EXPECT_EQ(last.GetType(), Variant::TypeEmpty);
}

TEST(VariantList, BorrowedItemWithoutDataKeepsItsPlace)
{
    Variant noData;
    noData.SetBorrowed(Variant::TypeBorrowed, nullptr, 0);
    const Variant items[] = {Int32(1), noData, Int32(3)};
    Variant list;
    list.SetList(items, 3);

    EXPECT_EQ(DataOf(list), Concat({Words({16, 0, 2, 1}), Words({12, 0, 0}), Words({16, 0, 2, 3})}));
    EXPECT_EQ(list.GetListCount(), 3u);
    Variant out = Int32(9);
    ASSERT_EQ(list.GetListItem(1, out), 0);
    EXPECT_EQ(out.GetType(), Variant::TypeEmpty);
    ASSERT_EQ(list.GetListItem(2, out), 0);
    EXPECT_EQ(out.ToInt32(), 3);
}

TEST(VariantList, ItemsMayBeTheListItself)
{
    Variant list = ThreeItems();
    const Bytes before = RecordOf(list);
    // The list as its own item.
    list.SetList(&list, 1);
    Variant out;
    ASSERT_EQ(list.GetListItem(0, out), 0);
    EXPECT_EQ(RecordOf(out), before);

    // An item read into the list it came from.
    list = ThreeItems();
    ASSERT_EQ(list.GetListItem(2, list), 0);
    EXPECT_STREQ(list.GetString(), "abc");
    list = ThreeItems();
    EXPECT_EQ(list.GetListItem(5, list), -1);
    EXPECT_EQ(list.GetType(), Variant::TypeEmpty);
}

TEST(VariantList, ItemsReadInAnyOrderAndAfterChanges)
{
    std::vector<Variant> items;
    for (int32_t i = 0; i < 40; ++i)
        items.push_back(i % 3 ? Int32(i) : Blob(Bytes(static_cast<size_t>(1 + i % 7), static_cast<uint8_t>(i))));
    Variant list;
    list.SetList(items.data(), 40);
    Variant out;
    for (uint32_t i : {0u, 1u, 2u, 39u, 38u, 5u, 5u, 20u, 3u, 39u, 0u}) {
        ASSERT_EQ(list.GetListItem(i, out), 0) << i;
        EXPECT_TRUE(out == items[i]) << i;
    }

    // New contents after a read far into the old list.
    ASSERT_EQ(list.GetListItem(30, out), 0);
    list.SetList(items.data() + 35, 5);
    EXPECT_EQ(list.GetListCount(), 5u);
    EXPECT_EQ(list.GetListItem(30, out), -1);
    ASSERT_EQ(list.GetListItem(4, out), 0);
    EXPECT_TRUE(out == items[39]);

    // A copy reads from its own data, and the original after being read from.
    ASSERT_EQ(list.GetListItem(3, out), 0);
    Variant copy(list);
    ASSERT_EQ(copy.GetListItem(1, out), 0);
    EXPECT_TRUE(out == items[36]);
    const Bytes other = Concat({Words({16, 0, 2, 1}), Words({16, 0, 2, 2})});
    list.SetRaw(Variant::TypeList, other.data(), static_cast<uint32_t>(other.size()));
    ASSERT_EQ(list.GetListItem(1, out), 0);
    EXPECT_EQ(out.ToInt32(), 2);
}

TEST(VariantList, WalkStopsAtMalformedLengths)
{
    const Bytes good = Words({16, 0, 2, 7});
    const struct {
        const char* name;
        Bytes data;
        uint32_t count;
    } cases[] = {
        {"zero length first", Words({0, 0, 0, 0, 0}), 0},
        {"zero length after a good item", Concat({good, Words({0, 0, 0})}), 1},
        {"length below header", Concat({good, Words({4, 0, 2, 7})}), 1},
        {"length past the end", Concat({good, Words({17, 0, 2, 7})}), 1},
        {"huge length", Concat({good, Words({0xFFFFFFF0u, 0, 2, 7})}), 1},
        {"a few bytes only", Bytes{16, 0, 0, 0, 0}, 0},
        {"trailing bytes after items", Concat({good, good, Bytes{1, 2, 3, 4, 5, 6}}), 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Variant list = ListFrom(c.data);
        EXPECT_EQ(list.GetListCount(), c.count);
        Variant out = Int32(1);
        for (uint32_t i = 0; i < c.count; ++i) {
            ASSERT_EQ(list.GetListItem(i, out), 0);
            EXPECT_EQ(out.ToInt32(), 7);
        }
        EXPECT_EQ(list.GetListItem(c.count, out), -1);
        EXPECT_EQ(out.GetType(), Variant::TypeEmpty);
    }
}

TEST(VariantList, UnreadableItemGivesMinusOne)
{
    const struct {
        const char* name;
        Bytes item;
    } cases[] = {
        {"reserved not 0", Words({16, 5, 2, 7})},
        {"type 11", Words({16, 0, 11, 7})},
        {"int32 without data", Words({12, 0, 2})},
        {"empty type with data", Words({16, 0, 0, 7})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Variant list = ListFrom(Concat({c.item, Words({16, 0, 2, 8})}));
        ASSERT_EQ(list.GetListCount(), 2u);
        Variant out = Int32(1);
        EXPECT_EQ(list.GetListItem(0, out), -1);
        EXPECT_EQ(out.GetType(), Variant::TypeEmpty);
        ASSERT_EQ(list.GetListItem(1, out), 0);
        EXPECT_EQ(out.ToInt32(), 8);
    }
}

} // namespace
