// The array interface's default bodies, the vector array and the inline fixed array.
#include "kx/Array.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Fixed8 = KX::SimpleFixedArray<signed char, 8>;

template <class A>
void Fill(A& a, std::initializer_list<int> values)
{
    for (int v : values)
        a.AddItem(static_cast<typename std::remove_reference_t<decltype(a.ElementAt(0))>>(v));
}

} // namespace

TEST(ArrayInterface, EmptyArraysHaveNullPositions)
{
    KX::Array<int> a;
    Fixed8 f;
    EXPECT_EQ(a.GetMaxCount(), 2147483647u);
    EXPECT_EQ(f.GetMaxCount(), 8u);
    EXPECT_EQ(a.FirstPosition(), nullptr);
    EXPECT_EQ(a.EndPosition(), nullptr);
    EXPECT_EQ(a.Begin().GetPosition(), nullptr);
    EXPECT_EQ(a.End().GetPosition(), nullptr);
    EXPECT_EQ(a.GetData(), nullptr);
    EXPECT_NE(f.GetData(), nullptr);
    EXPECT_EQ(f.FirstPosition(), nullptr);
    // Stepping the null position stays null.
    EXPECT_EQ(a.Advance(nullptr, 1), nullptr);
    EXPECT_EQ(a.Advance(nullptr, -1), nullptr);
    EXPECT_EQ(a.IndexOf(3), -1);
}

TEST(ArrayInterface, AdvanceIsClampedToTheElements)
{
    KX::Array<int> a;
    Fill(a, {1, 2, 3});
    int* last = a.GetData() + 2;
    EXPECT_EQ(a.Advance(last, 1), a.EndPosition());
    EXPECT_EQ(a.Advance(last, 5), a.EndPosition());
    EXPECT_EQ(a.Advance(last, -7), a.FirstPosition());
    EXPECT_EQ(a.Advance(a.GetData(), 1), a.GetData() + 1);

    int sum = 0;
    auto it = a.Begin();
    for (uint32_t k = 0; k < a.GetCount(); ++k, ++it)
        sum += *it;
    EXPECT_EQ(sum, 6);
    EXPECT_TRUE(it == a.End());
}

TEST(ArrayInterface, SwapIndexOfAndCopyIn)
{
    KX::Array<int> a;
    Fill(a, {5, 7, 5, 9, 11});
    EXPECT_EQ(a.SwapItems(1, 1), KX::S_OK);
    EXPECT_EQ(a.SwapItems(0, 5), KX::E_INVALIDARG);
    EXPECT_EQ(a.SwapItems(0xFFFFFFFFu, 0), KX::E_INVALIDARG);
    EXPECT_EQ(a.SwapItems(1, 3), KX::S_OK);
    EXPECT_EQ(a.ElementAt(1), 9);
    EXPECT_EQ(a.ElementAt(3), 7);
    EXPECT_EQ(a.IndexOf(5), 0);
    EXPECT_EQ(a.IndexOf(11), 4);
    EXPECT_EQ(a.IndexOf(4), -1);

    const int source[] = {-1, -2, -3, -4, -5, -6, -7, -8, -9, -10};
    EXPECT_EQ(a.CopyIn(source, 2, 10), 3u);
    EXPECT_EQ(a.ElementAt(2), -1);
    EXPECT_EQ(a.ElementAt(4), -3);
    EXPECT_EQ(a.CopyIn(source, 5, 1), 0u);
    // start + n past 2^32 still stops at the count.
    EXPECT_EQ(a.CopyIn(source, 1, 0xFFFFFFFFu), 4u);
    EXPECT_EQ(a.ElementAt(4), -4);
}

TEST(ArrayInterface, AppendAndAssign)
{
    KX::Array<signed char> a;
    Fill(a, {1, 2});
    Fixed8 f;
    Fill(f, {3, 4, 5});
    KX::Array<signed char> empty;
    EXPECT_EQ(a.Append(empty), 2);
    EXPECT_EQ(a.Append(f), 5); // added after the old elements
    EXPECT_EQ(a.ElementAt(0), 1);
    EXPECT_EQ(a.ElementAt(2), 3);
    EXPECT_EQ(a.ElementAt(4), 5);

    // Past the fixed capacity the count stops at N and E_FAIL is returned.
    f.AddItem(6);
    EXPECT_EQ(f.Append(a), KX::E_FAIL);
    EXPECT_EQ(f.GetCount(), 8u);

    EXPECT_EQ(a.Assign(a), 5); // assigning an array to itself keeps it
    EXPECT_EQ(a.ElementAt(0), 1);
    EXPECT_EQ(f.Assign(a), 5);
    EXPECT_EQ(f.ElementAt(0), 1);
    EXPECT_EQ(a.Append(a), 10);
    EXPECT_EQ(a.ElementAt(9), 5);
}

TEST(VectorArray, InsertRemoveAndCheckedAccess)
{
    KX::Array<std::string> a;
    EXPECT_EQ(a.InsertItems(0, 3), 3);
    EXPECT_TRUE(a.ElementAt(2).empty());
    EXPECT_EQ(a.InsertItems(4, 1), KX::E_INVALIDARG);
    EXPECT_EQ(a.RemoveItems(3, 0), KX::E_INVALIDARG);
    EXPECT_EQ(a.RemoveItems(0, 0), 3);
    EXPECT_EQ(a.RemoveItems(1, 0xFFFFFFFFu), KX::E_INVALIDARG);
    a.ElementAt(0) = "a";
    a.ElementAt(1) = "b";
    a.ElementAt(2) = "c";
    EXPECT_EQ(a.InsertItem(4, "x"), KX::E_INVALIDARG);
    EXPECT_EQ(a.AddItem("d"), 3); // the index, not the count
    EXPECT_EQ(a.InsertItem(0, a.ElementAt(3)), 0);
    EXPECT_EQ(a.ElementAt(0), "d");
    EXPECT_EQ(a.RemoveItems(1, 2), 3);
    EXPECT_EQ(a.ElementAt(1), "c");

    std::string removed = "kept";
    EXPECT_THROW(a.RemoveItem(3, removed), std::out_of_range);
    EXPECT_EQ(removed, "kept");
    EXPECT_EQ(a.RemoveLast(removed), 2);
    EXPECT_EQ(removed, "d");
    EXPECT_EQ(a.RemoveAll(), KX::S_OK);
    EXPECT_THROW(a.RemoveLast(removed), std::out_of_range);
    EXPECT_EQ(removed, "d");

    KX::Array<std::string> copy;
    copy.AddItem("z");
    KX::Array<std::string> second(copy);
    copy.ElementAt(0) = "y";
    EXPECT_EQ(second.ElementAt(0), "z");
}

TEST(FixedArray, StaysWithinItsCapacity)
{
    Fixed8 f;
    Fill(f, {1, 2, 3, 4, 5});
    EXPECT_EQ(f.AddItem(6), 6); // the count
    EXPECT_EQ(f.SetSize(9), 8);
    EXPECT_EQ(f.InsertItem(0, 1), KX::E_INVALIDARG);
    EXPECT_EQ(f.InsertItems(99, 0), 8);
    EXPECT_EQ(f.InsertItems(9, 1), KX::E_INVALIDARG);
    EXPECT_EQ(f.RemoveItems(99, 0), 8);
    EXPECT_EQ(f.RemoveItems(7, 2), KX::E_INVALIDARG);
    EXPECT_EQ(f.RemoveItems(0xFFFFFFFFu, 2), KX::E_INVALIDARG);
    EXPECT_EQ(f.RemoveItems(1, 2), 6);
    EXPECT_EQ(f.ElementAt(1), 4);
    EXPECT_EQ(f.GetCount(), 6u);
}

TEST(FixedArray, InsertingAnElementOfTheSameArray)
{
    Fixed8 f;
    Fill(f, {1, 2, 3});
    EXPECT_EQ(f.InsertItem(0, f.ElementAt(1)), 4);
    EXPECT_EQ(f.ElementAt(0), 2);
    EXPECT_EQ(f.ElementAt(1), 1);
    EXPECT_EQ(f.ElementAt(2), 2);
}

TEST(FixedArray, ElementAccessChecksTheIndex)
{
    Fixed8 f;
    Fill(f, {1, 2});
    try {
        f.ElementAt(2);
        FAIL() << "no exception";
    } catch (const KX::ExceptionBase& e) {
        EXPECT_EQ(std::string(e.GetMessageText()).rfind("Out of Range : KX::IArray<signed char>::ElementAt : ", 0), 0u);
    }
    Fixed8 empty;
    signed char removed = 42;
    EXPECT_THROW(empty.RemoveLast(removed), std::out_of_range);
    EXPECT_EQ(removed, 42);
}
