// Sorting runs of arrays in place and into index arrays.
#include "kx/ArrayUtils.h"
#include "kx/Buffer.h"
#include "kx/RCPtrArray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

class LDescriptor : public virtual KX::LRefCountedObject {
public:
    LDescriptor(int layoutOrder, int id) : layoutOrder(layoutOrder), id(id) {}
    int layoutOrder;
    int id;
};

using Descriptors = KX::RCPtrArray<LDescriptor>;
using DescriptorView = KX::IArray<KX::RCPtr<LDescriptor>>;

// Layout order, then the element stored at the lower address.
struct ByLayoutOrder {
    bool operator()(const KX::RCPtr<LDescriptor>& a, const KX::RCPtr<LDescriptor>& b) const
    {
        if (a->layoutOrder != b->layoutOrder)
            return a->layoutOrder < b->layoutOrder;
        return &a < &b;
    }
};

std::vector<int> Values(const KX::IArray<int>& a)
{
    std::vector<int> v;
    for (uint32_t k = 0; k < a.GetCount(); ++k)
        v.push_back(a.ElementAt(k));
    return v;
}

std::vector<unsigned> Entries(const KX::IArray<unsigned>& a)
{
    std::vector<unsigned> v;
    for (uint32_t k = 0; k < a.GetCount(); ++k)
        v.push_back(a.ElementAt(k));
    return v;
}

std::string OutOfRangeText(const std::function<void()>& f)
{
    try {
        f();
    } catch (const std::out_of_range& e) {
        return e.what();
    }
    return "no exception";
}

const auto kLess = [](const int& a, const int& b) { return a < b; };

} // namespace

TEST(ArrayUtilsSort, SortsOnlyTheRunAndChecksItFirst)
{
    KX::Array<int> a;
    for (int v : {9, 8, 7, 6, 5})
        a.AddItem(v);
    KX::ArrayUtils::Sort(a, 2, 3, kLess);
    EXPECT_EQ(Values(a), (std::vector<int>{9, 8, 5, 6, 7}));

    EXPECT_EQ(OutOfRangeText([&] { KX::ArrayUtils::Sort(a, 3, 3, kLess); }),
              "Out of Range : KX::ArrayUtils::Sort : kxframework\\utilities\\Storage/ArrayUtils : Line 254");
    // start + count wrapping past 2^32 does not slip through.
    EXPECT_THROW(KX::ArrayUtils::Sort(a, 0xFFFFFFFFu, 2, kLess), std::out_of_range);
    EXPECT_EQ(Values(a), (std::vector<int>{9, 8, 5, 6, 7}));

    // Runs of fewer than two elements are not checked.
    KX::ArrayUtils::Sort(a, 1000, 1, kLess);
    KX::ArrayUtils::Sort(a, 1000, 0, kLess);
}

TEST(ArrayUtilsSort, EqualLayoutOrdersKeepTheListOrder)
{
    Descriptors list;
    const int orders[] = {2, 1, 2, 0, 1, 2, 1, 0, 2, 1, 0, 2, 2, 1, 0, 1, 2, 0, 1, 2};
    int id = 0;
    for (int order : orders)
        list.AddItem(new LDescriptor(order, id++));
    KX::ArrayUtils::Sort<KX::RCPtr<LDescriptor>>(list, 0, list.GetCount(), ByLayoutOrder());

    int lastOrder = -1;
    int lastId = -1;
    for (uint32_t k = 0; k < list.GetCount(); ++k) {
        const LDescriptor& d = *list.ElementAt(k);
        EXPECT_EQ(d.GetRefCount(), 1);
        if (d.layoutOrder == lastOrder)
            EXPECT_GT(d.id, lastId);
        else
            EXPECT_GT(d.layoutOrder, lastOrder);
        lastOrder = d.layoutOrder;
        lastId = d.id;
    }
}

TEST(ArrayUtilsSort, AnInconsistentOrderingStaysInsideTheRun)
{
    KX::ArrayBuffer<int> a;
    for (int v = 0; v < 64; ++v)
        a.AddItem(v);
    KX::ArrayUtils::Sort(a, 0, 64, [](const int&, const int&) { return true; });
    std::vector<int> values = Values(a);
    std::sort(values.begin(), values.end());
    for (int v = 0; v < 64; ++v)
        EXPECT_EQ(values[v], v);
}

TEST(ArrayUtilsSortIndecies, FillsAPermutationAndLeavesTheSourceAlone)
{
    Descriptors children;
    for (int tabStop : {3, 1, 2, 1, 0})
        children.AddItem(new LDescriptor(tabStop, 0));
    DescriptorView& view = children;
    const KX::RCPtr<LDescriptor>* items = view.GetData();
    auto byTabStop = [items](const unsigned& a, const unsigned& b) {
        if (items[a]->layoutOrder != items[b]->layoutOrder)
            return items[a]->layoutOrder < items[b]->layoutOrder;
        return a < b;
    };

    KX::ArrayBuffer<unsigned int> order;
    KX::ArrayUtils::SortIndecies(order, view, 0, 5, byTabStop);
    EXPECT_EQ(Entries(order), (std::vector<unsigned>{4, 1, 3, 2, 0}));
    EXPECT_EQ(children.ElementAt(0)->layoutOrder, 3);
    for (uint32_t k = 0; k < 5; ++k)
        EXPECT_EQ(children.ElementAt(k)->GetRefCount(), 1);

    KX::ArrayUtils::SortIndecies(order, view, 2, 1, byTabStop);
    EXPECT_EQ(Entries(order), (std::vector<unsigned>{2}));
    KX::ArrayUtils::SortIndecies(order, view, 5, 0, byTabStop);
    EXPECT_EQ(order.GetCount(), 0u);
}

TEST(ArrayUtilsSortIndecies, ChecksTheRunForEveryCount)
{
    KX::Array<int> source;
    source.AddItem(1);
    source.AddItem(2);
    KX::Array<unsigned int> order;
    order.AddItem(7);
    auto less = [](const unsigned& a, const unsigned& b) { return a < b; };
    EXPECT_EQ(OutOfRangeText([&] { KX::ArrayUtils::SortIndecies(order, source, 3, 0, less); }),
              "Out of Range : KX::ArrayUtils::SortIndecies : kxframework\\utilities\\Storage/ArrayUtils : Line 266");
    EXPECT_THROW(KX::ArrayUtils::SortIndecies(order, source, 1, 0xFFFFFFFFu, less), std::out_of_range);
    EXPECT_EQ(Entries(order), (std::vector<unsigned>{7}));

    // An index array that cannot grow to the run is never written past its end.
    KX::SimpleFixedArray<unsigned int, 1> tooSmall;
    EXPECT_THROW(KX::ArrayUtils::SortIndecies(tooSmall, source, 0, 2, less), std::out_of_range);
}
