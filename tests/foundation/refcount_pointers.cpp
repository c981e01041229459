// Owning smart pointers: reference moves, casts and copy-on-write.
#include "kx/RefCountedObject.h"

#include <gtest/gtest.h>

#include <string>

namespace pointer_test {

struct Counted : public virtual KX::LRefCountedObject {
    explicit Counted(int* live) : live(live) { ++*live; }
    Counted(const Counted& other) : KX::LRefCountedObject(other), live(other.live), value(other.value) { ++*live; }
    ~Counted() override { --*live; }
    int* live;
    int value = 0;
};

struct Derived : public Counted {
    using Counted::Counted;
};

struct Unrelated : public virtual KX::LRefCountedObject {};

// Copyable the way the byte buffers are.
struct Cow : public Counted {
    using Counted::Counted;
    KX::ConstRCPtr<KX::LRefCountedObject> CreateCopy() const override
    {
        ++copies;
        return KX::ConstRCPtr<KX::LRefCountedObject>(new Cow(*this));
    }
    static inline int copies = 0;
};

// Its copy is of another class.
struct BadCow : public Counted {
    using Counted::Counted;
    KX::ConstRCPtr<KX::LRefCountedObject> CreateCopy() const override
    {
        return KX::ConstRCPtr<KX::LRefCountedObject>(new Counted(live));
    }
};

struct Node : public Counted {
    using Counted::Counted;
    KX::RCPtr<Node> next;
};

} // namespace pointer_test

using namespace pointer_test;

TEST(RCPtr, IsOneRawPointerWide)
{
    EXPECT_EQ(sizeof(KX::RCPtr<Counted>), sizeof(Counted*));
    EXPECT_EQ(sizeof(KX::ConstRCPtr<Counted>), sizeof(Counted*));
}

TEST(RCPtr, AssigningTheSameObjectMovesNoCount)
{
    int live = 0;
    KX::RCPtr<Counted> p(new Counted(&live));
    auto& alias = p;
    p = alias;
    EXPECT_EQ(p->GetRefCount(), 1);
    EXPECT_EQ(live, 1);

    KX::RCPtr<Counted> q(p);
    EXPECT_EQ(p->GetRefCount(), 2);
    p = q;
    EXPECT_EQ(p->GetRefCount(), 2);

    p = std::move(alias); // self-move keeps the object
    EXPECT_EQ(live, 1);
}

TEST(RCPtr, AssignmentTakesAndDropsOneReference)
{
    int live = 0;
    KX::RCPtr<Counted> p(new Counted(&live));
    p = nullptr;
    EXPECT_EQ(live, 0);
    EXPECT_FALSE(p);

    KX::RCPtr<Counted> a(new Counted(&live));
    KX::RCPtr<Counted> b;
    b = a;
    EXPECT_EQ(a->GetRefCount(), 2);
    KX::RCPtr<Counted> c(new Counted(&live));
    b = c;
    EXPECT_EQ(a->GetRefCount(), 1);
    EXPECT_EQ(c->GetRefCount(), 2);
    EXPECT_EQ(live, 2);
}

TEST(RCPtr, NewObjectSurvivesAssignmentFromItsOnlyHoldersMember)
{
    int live = 0;
    KX::RCPtr<Node> head(new Node(&live));
    head->next = KX::RCPtr<Node>(new Node(&live));
    head->next->value = 7;
    head = head->next; // the old head held the only reference to the new one
    ASSERT_TRUE(head);
    EXPECT_EQ(head->value, 7);
    EXPECT_EQ(head->GetRefCount(), 1);
    EXPECT_EQ(live, 1);
}

TEST(RCPtr, MovesTransferTheReference)
{
    int live = 0;
    KX::RCPtr<Counted> a(new Counted(&live));
    KX::RCPtr<Counted> b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_EQ(b->GetRefCount(), 1);
    KX::RCPtr<Counted> c(new Counted(&live));
    c = std::move(b);
    EXPECT_EQ(live, 1);
    EXPECT_EQ(c->GetRefCount(), 1);
}

TEST(RCPtr, UpCastsAndDynamicCasts)
{
    int live = 0;
    KX::RCPtr<Derived> d(new Derived(&live));
    KX::RCPtr<Counted> base = d;
    KX::ConstRCPtr<KX::LRefCountedObject> handle = d;
    EXPECT_EQ(d->GetRefCount(), 3);

    KX::RCPtr<Derived> back;
    back.DynamicCastFromObject(handle);
    EXPECT_EQ(back.Get(), d.Get());
    EXPECT_EQ(d->GetRefCount(), 4);

    KX::RCPtr<Unrelated> other;
    other.DynamicCastFromObject(handle);
    EXPECT_FALSE(other);
    EXPECT_EQ(d->GetRefCount(), 4);

    KX::ConstRCPtr<KX::LRefCountedObject> none;
    back.DynamicCastFromObject(none);
    EXPECT_FALSE(back);
    EXPECT_EQ(d->GetRefCount(), 3);

    EXPECT_TRUE(KX::RCPtr<Derived>::DynamicCast(handle) == d);
    EXPECT_TRUE(KX::ToConstRCPtr(base) == d);
    EXPECT_EQ(d->GetRefCount(), 3);
}

TEST(RCPtr, CopyOfUnshareableObjectGetsPrivateCopy)
{
    int live = 0;
    KX::RCPtr<Cow> writer(new Cow(&live));
    writer->value = 5;
    writer->SetUnshareable(true);
    EXPECT_EQ(writer->GetRefCount(), 1); // the sole holder keeps it

    KX::ConstRCPtr<Cow> reader(writer);
    EXPECT_NE(reader.Get(), writer.Get());
    EXPECT_EQ(reader->value, 5);
    EXPECT_EQ(reader->GetRefCount(), 1);
    EXPECT_TRUE(reader->IsShareable());
    EXPECT_EQ(writer->GetRefCount(), 1);
    EXPECT_EQ(live, 2);

    KX::ConstRCPtr<Cow> assigned;
    assigned = writer;
    EXPECT_NE(assigned.Get(), writer.Get());
    EXPECT_EQ(writer->GetRefCount(), 1);
    writer->SetUnshareable(false);

    KX::ConstRCPtr<Cow> shared(writer);
    EXPECT_EQ(shared.Get(), writer.Get());
}

TEST(RCPtr, FirstHolderOfUnshareableObjectMakesNoCopy)
{
    int live = 0;
    auto* obj = new Cow(&live);
    obj->SetUnshareable(true);
    const int before = Cow::copies;
    KX::RCPtr<Cow> p(obj);
    EXPECT_EQ(p.Get(), obj);
    EXPECT_EQ(Cow::copies, before);
    p->SetUnshareable(false);
}

TEST(RCPtr, FailedCopyOnConstructionLeaksNoReference)
{
    int live = 0;
    KX::RCPtr<Counted> p(new Counted(&live));
    p->SetUnshareable(true);
    try {
        KX::ConstRCPtr<Counted> q(p);
        FAIL() << "no exception";
    } catch (const KX::Exception<std::logic_error>& e) {
        EXPECT_STREQ(e.what(), "Logic Error : CreateCopy() not implemented for RefCountedObject : "
                               "KX::LRefCountedObject::CreateCopy : kxframework\\objectbase\\RefCountedObject : "
                               "Line 228");
    }
    EXPECT_EQ(p->GetRefCount(), 1);
    p->SetUnshareable(false);
    p = nullptr;
    EXPECT_EQ(live, 0);
}

TEST(RCPtr, FailedCopyOnAssignmentKeepsTheOldObject)
{
    int live = 0;
    KX::RCPtr<Counted> p(new Counted(&live));
    KX::RCPtr<Counted> q(new Counted(&live));
    p->SetUnshareable(true);
    Counted* old = q.Get();
    EXPECT_THROW(q = p, std::logic_error);
    EXPECT_EQ(q.Get(), old);
    EXPECT_EQ(old->GetRefCount(), 1);
    EXPECT_EQ(p->GetRefCount(), 1);
    p->SetUnshareable(false);
    p = nullptr;
    q = nullptr;
    EXPECT_EQ(live, 0);
}

TEST(RCPtr, CopyOfAnotherClassLeavesPointerNullWithExactText)
{
    int live = 0;
    KX::RCPtr<BadCow> p(new BadCow(&live));
    p->SetUnshareable(true);
    try {
        KX::RCPtr<BadCow> q(p);
        FAIL() << "no exception";
    } catch (const KX::Exception<std::logic_error>& e) {
        EXPECT_STREQ(e.what(), "Logic Error : class pointer_test::BadCow : KX::ConstRCPtr<class pointer_test::BadCow>"
                               "::Unshare : kxframework\\objectbase\\RefCountedObject : Line 369");
    }
    EXPECT_EQ(p->GetRefCount(), 1);
    EXPECT_EQ(live, 1); // the foreign copy is gone again

    // Unshare called directly: the pointer is left null, having let go of its object.
    KX::RCPtr<BadCow> r;
    p->SetUnshareable(false);
    r = p;
    EXPECT_EQ(p->GetRefCount(), 2);
    EXPECT_THROW(r.Unshare(), std::logic_error);
    EXPECT_FALSE(r);
    EXPECT_EQ(p->GetRefCount(), 1);
}

TEST(RCPtr, NullPointerDoesNothing)
{
    KX::RCPtr<Counted> p;
    KX::ConstRCPtr<Counted> c(p);
    p.Unshare();
    p.Acquire();
    EXPECT_FALSE(p);
    EXPECT_FALSE(c);
    EXPECT_TRUE(p == nullptr);
}
