// Owning arrays of smart pointers: references, release order, growth and range errors.
#include "kx/RCPtrArray.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// Named as in the exception texts the arrays raise; used only in this file.
class LEncoder : public virtual KX::LRefCountedObject {
public:
    explicit LEncoder(int id = 0, std::vector<int>* deaths = nullptr) : m_id(id), m_deaths(deaths) {}
    ~LEncoder() override
    {
        if (m_deaths)
            m_deaths->push_back(m_id);
    }
    int Id() const { return m_id; }

private:
    int m_id;
    std::vector<int>* m_deaths;
};

namespace {

using Encoders = KX::RCPtrArray<LEncoder, 1, 0>;
using ConstEncoders = KX::ConstRCPtrArray<LEncoder, 1, 0>;
using Ptr = KX::RCPtr<LEncoder>;

// Exposes the storage size of the element block.
template <uint32_t G, uint32_t S>
struct Probe : KX::RCPtrArray<LEncoder, G, S> {
    uint32_t Slots() const { return this->GetAllocatedSize() / static_cast<uint32_t>(sizeof(void*)); }
};

std::string MessageOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const std::out_of_range& e) {
        return e.what();
    }
    return "no exception";
}

} // namespace

TEST(RCPtrArray, RemovingFromAnEmptyArray)
{
    Encoders a;
    EXPECT_EQ(a.GetCount(), 0u);
    Ptr out(new LEncoder(7));
    EXPECT_EQ(a.RemoveLast(out), KX::E_FAIL);
    EXPECT_EQ(out.Get(), nullptr);

    Ptr kept(new LEncoder(8));
    EXPECT_EQ(MessageOf([&] { a.RemoveItem(0, kept); }),
              "Out of Range : KX::RCPtrArray<class LEncoder,1,0>::RemoveItem : "
              "kxframework/utilities/Storage/RCPtrArray : Line 175");
    EXPECT_EQ(kept->Id(), 8);
    EXPECT_EQ(kept->GetRefCount(), 1);

    KX::ConstRCPtr<LEncoder> constOut(kept);
    ConstEncoders& constView = a;
    EXPECT_EQ(MessageOf([&] { constView.RemoveItem(0, constOut); }),
              "Out of Range : KX::ConstRCPtrArray<class LEncoder,1,0>::RemoveItem : "
              "kxframework/utilities/Storage/ConstRCPtrArray : Line 216");
    EXPECT_EQ(constOut.Get(), kept.Get());

    Probe<256, 256> queue;
    EXPECT_EQ(MessageOf([&] { queue.RemoveItem(0, kept); }),
              "Out of Range : KX::RCPtrArray<class LEncoder,256,256>::RemoveItem : "
              "kxframework/utilities/Storage/RCPtrArray : Line 175");
}

TEST(RCPtrArray, InsertingTakesOneReferencePerElement)
{
    Encoders a;
    Ptr p(new LEncoder(1));
    EXPECT_EQ(a.InsertItem(0, p), 0);
    EXPECT_EQ(a.InsertItem(1, p), 1); // appends, returns the old count
    EXPECT_EQ(p->GetRefCount(), 3);
    EXPECT_EQ(a.InsertItem(3, p), KX::E_INVALIDARG);
    EXPECT_EQ(a.GetCount(), 2u);
    EXPECT_EQ(p->GetRefCount(), 3);

    EXPECT_EQ(a.AddItem(nullptr), 2);
    EXPECT_EQ(a.ElementAt(2).Get(), nullptr);
    EXPECT_EQ(a.SetSize(5), 5);
    EXPECT_EQ(a.ElementAt(4).Get(), nullptr);
    EXPECT_EQ(p->GetRefCount(), 3);
    EXPECT_EQ(a.IndexOf(p), 0);

    Ptr out;
    EXPECT_EQ(a.RemoveItem(1, out), 4);
    EXPECT_EQ(out.Get(), p.Get());
    EXPECT_EQ(p->GetRefCount(), 3); // moved, not copied
    out = nullptr;
    EXPECT_EQ(p->GetRefCount(), 2);
}

TEST(RCPtrArray, InsertingAnElementOfTheSameArray)
{
    Encoders a; // the block moves on every insertion
    a.AddItem(new LEncoder(1));
    a.AddItem(new LEncoder(2));
    a.AddItem(new LEncoder(3));
    EXPECT_EQ(a.InsertItem(0, a.ElementAt(2)), 0);
    EXPECT_EQ(a.ElementAt(0)->Id(), 3);
    EXPECT_EQ(a.ElementAt(3)->GetRefCount(), 2);
}

TEST(RCPtrArray, RemoveItemReleasesWhatOutHeldFirst)
{
    std::vector<int> deaths;
    Encoders a;
    a.AddItem(new LEncoder(1, &deaths));
    Ptr out(new LEncoder(2, &deaths));
    EXPECT_EQ(a.RemoveItem(0, out), 0);
    EXPECT_EQ(deaths, std::vector<int>{2});
    EXPECT_EQ(out->Id(), 1);
    EXPECT_EQ(out->GetRefCount(), 1);
}

TEST(RCPtrArray, ElementsAreReleasedInIndexOrder)
{
    std::vector<int> deaths;
    {
        Encoders a;
        for (int id = 0; id < 6; ++id)
            a.AddItem(new LEncoder(id, &deaths));
        EXPECT_EQ(a.SetSize(4), 4);
        EXPECT_EQ(deaths, (std::vector<int>{4, 5}));
        EXPECT_EQ(a.RemoveItems(99, 0), 4);
        EXPECT_EQ(a.RemoveItems(1, 2), 2);
        EXPECT_EQ(deaths, (std::vector<int>{4, 5, 1, 2}));
        deaths.clear();
    }
    EXPECT_EQ(deaths, (std::vector<int>{0, 3}));

    deaths.clear();
    Encoders b;
    for (int id = 0; id < 3; ++id)
        b.AddItem(new LEncoder(id, &deaths));
    EXPECT_EQ(b.RemoveAll(), KX::S_OK);
    EXPECT_EQ(deaths, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(b.GetCount(), 0u);
}

TEST(RCPtrArray, RemoveItemsPastTheEndThrowsAfterTheEarlierRemovals)
{
    std::vector<int> deaths;
    Encoders a;
    for (int id = 0; id < 3; ++id)
        a.AddItem(new LEncoder(id, &deaths));
    EXPECT_THROW(a.RemoveItems(1, 5), std::out_of_range);
    EXPECT_EQ(a.GetCount(), 1u);
    EXPECT_EQ(deaths, (std::vector<int>{1, 2}));
}

TEST(RCPtrArray, RemoveLastMovesTheReference)
{
    Encoders a;
    a.AddItem(new LEncoder(1));
    a.AddItem(new LEncoder(2));
    Ptr out;
    EXPECT_EQ(a.RemoveLast(out), 1);
    EXPECT_EQ(out->Id(), 2);
    EXPECT_EQ(out->GetRefCount(), 1);
}

TEST(RCPtrArray, SwapChecksIndexesInBothViews)
{
    Encoders a;
    Ptr first(new LEncoder(1));
    Ptr second(new LEncoder(2));
    a.AddItem(first);
    a.AddItem(second);
    EXPECT_EQ(a.SwapItems(0, 2), KX::E_INVALIDARG);
    ConstEncoders& constView = a;
    EXPECT_EQ(constView.SwapItems(2, 0), KX::E_INVALIDARG);
    EXPECT_EQ(constView.SwapItems(0, 0xFFFFFFFFu), KX::E_INVALIDARG);
    EXPECT_EQ(a.SwapItems(0, 1), KX::S_OK);
    EXPECT_EQ(constView.SwapItems(0, 1), KX::S_OK);
    EXPECT_EQ(constView.SwapItems(0, 1), KX::S_OK);
    EXPECT_EQ(a.ElementAt(0)->Id(), 2);
    EXPECT_EQ(first->GetRefCount(), 2);
    EXPECT_EQ(second->GetRefCount(), 2);
    EXPECT_THROW(a.ElementAt(2), std::out_of_range);
    EXPECT_THROW(constView.ElementAt(2), std::out_of_range);
}

TEST(RCPtrArray, AssignSharesTheObjects)
{
    Encoders a;
    a.AddItem(new LEncoder(1));
    a.AddItem(new LEncoder(2));
    Encoders b;
    b.AddItem(new LEncoder(3));
    EXPECT_EQ(b.Assign(a), 2);
    EXPECT_EQ(b.ElementAt(1).Get(), a.ElementAt(1).Get());
    EXPECT_EQ(a.ElementAt(0)->GetRefCount(), 2);
    EXPECT_EQ(b.Append(a), 4);
    EXPECT_EQ(a.ElementAt(0)->GetRefCount(), 3);
}

TEST(RCPtrArray, UnshareableObjectsAreCopiedOnStore)
{
    KX::ConstRCPtr<KX::LIBuffer> buffer;
    KX::LBufferT<1, 0, 8, char>::Create(buffer, 2, 0, true);
    const_cast<KX::LIBuffer*>(buffer.Get())->SetUnshareable(true);
    KX::ConstRCPtrArray<KX::LIBuffer> buffers;
    EXPECT_EQ(buffers.AddItem(buffer), 0);
    EXPECT_NE(buffers.ElementAt(0).Get(), buffer.Get());
    EXPECT_EQ(buffer->GetRefCount(), 1);
    EXPECT_EQ(buffers.ElementAt(0)->GetRefCount(), 1);

    // A class without CreateCopy: the logic error passes out and nothing is stored.
    Ptr p(new LEncoder(1));
    p->SetUnshareable(true);
    Encoders a;
    a.AddItem(new LEncoder(2));
    EXPECT_THROW(a.InsertItem(0, p), std::logic_error);
    EXPECT_EQ(a.GetCount(), 1u);
    EXPECT_EQ(p->GetRefCount(), 1);
}

TEST(RCPtrArray, StorageFollowsTheGrowStepAndReserve)
{
    Probe<256, 256> queue;
    for (int k = 0; k < 300; ++k)
        queue.AddItem(nullptr);
    EXPECT_EQ(queue.Slots(), 512u);
    Ptr out;
    while (queue.GetCount() > 200)
        queue.RemoveLast(out);
    EXPECT_EQ(queue.Slots(), 256u);
    queue.RemoveAll();
    EXPECT_EQ(queue.Slots(), 256u);

    Probe<1, 0> exact;
    for (uint32_t k = 1; k <= 5; ++k) {
        exact.AddItem(nullptr);
        EXPECT_EQ(exact.Slots(), k);
    }
    exact.RemoveItem(1, out);
    EXPECT_EQ(exact.Slots(), 4u);
}

TEST(RCPtrArray, StartsWithNullElements)
{
    KX::RCPtrArray<LEncoder, 256, 256> ring(256, 256);
    EXPECT_EQ(ring.GetCount(), 256u);
    EXPECT_EQ(ring.ElementAt(255).Get(), nullptr);
    EXPECT_THROW(Encoders(0x40000000u, 0), std::bad_alloc);
}

TEST(RCPtrArray, SharedListReleasesItsElementsWithItself)
{
    std::vector<int> deaths;
    {
        KX::ConstRCPtr<KX::LRCPtrArray<LEncoder>> list(new KX::LRCPtrArray<LEncoder>());
        auto* mutableList = const_cast<KX::LRCPtrArray<LEncoder>*>(list.Get());
        mutableList->AddItem(new LEncoder(1, &deaths));
        mutableList->AddItem(new LEncoder(2, &deaths));
        EXPECT_TRUE(deaths.empty());
    }
    EXPECT_EQ(deaths, (std::vector<int>{1, 2}));
}

namespace {

// Takes the first element of its array with it when it dies, as an owner that unregisters a
// sibling would.
class LSiblingRemover : public LEncoder {
public:
    LSiblingRemover(int id, std::vector<int>* deaths, Encoders* array) : LEncoder(id, deaths), m_array(array) {}
    ~LSiblingRemover() override
    {
        if (m_array && m_array->GetCount() > 0) {
            Ptr sibling;
            m_array->RemoveItem(0, sibling);
        }
    }

private:
    Encoders* m_array;
};

} // namespace

TEST(RCPtrArray, ElementsThatRemoveSiblingsWhileDyingEndTheEmptyingEarly)
{
    std::vector<int> deaths;
    {
        Encoders a;
        a.AddItem(new LSiblingRemover(0, &deaths, &a));
        for (int id = 1; id < 4; ++id)
            a.AddItem(new LEncoder(id, &deaths));
        // 0 goes, taking 1 with it; then 2 and 3 in order.
        EXPECT_EQ(a.RemoveAll(), KX::S_OK);
        EXPECT_EQ(a.GetCount(), 0u);
        EXPECT_EQ(deaths, (std::vector<int>{1, 0, 2, 3}));

        deaths.clear();
        a.AddItem(new LEncoder(10, &deaths));
        a.AddItem(new LEncoder(11, &deaths));
        a.AddItem(new LSiblingRemover(12, &deaths, &a));
        a.AddItem(new LEncoder(13, &deaths));
        // 12 goes, taking 10 with it: two remain, so 13 stays.
        EXPECT_EQ(a.SetSize(2), 2);
        EXPECT_EQ(deaths, (std::vector<int>{10, 12}));
        ASSERT_EQ(a.GetCount(), 2u);
        EXPECT_EQ(a.ElementAt(0)->Id(), 11);
        EXPECT_EQ(a.ElementAt(1)->Id(), 13);
        EXPECT_EQ(a.RemoveAll(), KX::S_OK);

        // The destructor meets the same: the last element's death removes nothing that is left,
        // the first's removes the one behind it.
        deaths.clear();
        a.AddItem(new LSiblingRemover(20, &deaths, &a));
        a.AddItem(new LEncoder(21, &deaths));
        a.AddItem(new LSiblingRemover(22, &deaths, &a));
    }
    EXPECT_EQ(deaths, (std::vector<int>{21, 20, 22}));
}
