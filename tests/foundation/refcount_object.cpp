// Reference counts, internal references and the shareable flag of LRefCountedObject.
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"
#include "kx/TaggableObject.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace refcount_test {

// Counts live instances so tests can see deletion.
struct Tracked : public virtual KX::LRefCountedObject {
    explicit Tracked(int* live) : live(live) { ++*live; }
    ~Tracked() override { --*live; }
    int* live;
};

struct Plain : public Tracked {
    using Tracked::Tracked;
};

class Owner;

// A part that points back at its owner; the owner counts that reference as internal.
struct Part : public virtual KX::LRefCountedObject {
    explicit Part(Owner* owner);
    ~Part() override;
    KX::RCPtr<Owner> back;
};

class Owner : public Tracked {
public:
    Owner(int* live, int* calls) : Tracked(live), calls(calls) {}

    void AddPart()
    {
        parts[partCount++] = KX::RCPtr<Part>(new Part(this));
        AddToRefCount(1);
    }

    KX::KXRESULT ReleaseInternalReferences() override
    {
        ++*calls;
        for (int i = 0; i < partCount; ++i) {
            parts[i] = nullptr;
            AddToRefCount(-1);
        }
        partCount = 0;
        return KX::LRefCountedObject::ReleaseInternalReferences();
    }

    KX::RCPtr<Part> parts[2];
    int partCount = 0;
    int* calls;
};

Part::Part(Owner* owner) : back(owner) {}
Part::~Part() = default;

} // namespace refcount_test

using namespace refcount_test;

TEST(RefCountedObject, NewObjectHasNoHolderAndIsShareable)
{
    int live = 0;
    auto* obj = new Plain(&live);
    EXPECT_EQ(obj->GetRefCount(), 0);
    EXPECT_EQ(obj->GetInternalRefCount(), 0);
    EXPECT_TRUE(obj->IsShareable());
    KX::RCPtr<Plain> p(obj);
    EXPECT_EQ(obj->GetRefCount(), 1);
    p = nullptr;
    EXPECT_EQ(live, 0);
}

TEST(RefCountedObject, LastReleaseDeletesWithoutBreakingCycles)
{
    int live = 0;
    int calls = 0;
    auto* obj = new Owner(&live, &calls);
    obj->AddRef();
    EXPECT_EQ(obj->Release(), 0);
    EXPECT_EQ(live, 0);
    EXPECT_EQ(calls, 0);
}

TEST(RefCountedObject, CopiedObjectStartsWithoutHolders)
{
    int live = 0;
    KX::RCPtr<Plain> p(new Plain(&live));
    p->SetUnshareable(true);
    KX::RCPtr<Plain> copy(new Plain(*p));
    EXPECT_EQ(copy->GetRefCount(), 1);
    EXPECT_TRUE(copy->IsShareable());
    p->SetUnshareable(false);
}

TEST(RefCountedObject, ReleaseOfLastOutsideHolderBreaksCycleOnce)
{
    int live = 0;
    int calls = 0;
    auto* obj = new Owner(&live, &calls);
    obj->AddRef(); // the outside holder
    obj->AddPart();
    obj->AddPart();
    ASSERT_EQ(obj->GetRefCount(), 3);
    ASSERT_EQ(obj->GetInternalRefCount(), 2);

    // The parts' releases from inside the call must not call it again.
    EXPECT_EQ(obj->Release(), 0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(live, 0);
}

TEST(RefCountedObject, CycleBreakingWaitsForTheLastOutsideHolder)
{
    int live = 0;
    int calls = 0;
    KX::RCPtr<Owner> keep(new Owner(&live, &calls));
    keep->AddPart();
    keep->AddPart();
    Owner* raw = keep.Get();
    raw->AddRef(); // keep an extra raw reference so the object can be inspected afterwards
    // Counts: 4 (keep, raw, two parts), internal 2. Dropping `keep` is not the last outside one.
    keep = nullptr;
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(raw->GetRefCount(), 3);

    raw->AddRef();
    EXPECT_EQ(raw->Release(), 3);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(raw->Release(), 0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(live, 0);
}

TEST(RefCountedObject, BaseReleaseInternalReferencesLeavesCycleAlive)
{
    int live = 0;
    auto* obj = new Plain(&live);
    obj->AddRef();
    // Two references counted as internal that the base never drops.
    obj->AddRef();
    obj->AddRef();
    obj->AddToRefCount(2);
    ASSERT_EQ(obj->GetRefCount(), 3);
    ASSERT_EQ(obj->GetInternalRefCount(), 2);
    EXPECT_EQ(obj->Release(), 2);
    EXPECT_EQ(live, 1);
    // Tear down by hand.
    obj->AddToRefCount(-2);
    obj->Release();
    EXPECT_EQ(obj->Release(), 0);
    EXPECT_EQ(live, 0);
}

// Holds itself through an internal reference. Its first cycle breaking is declined because
// another holder, on another thread, takes a reference and lets it go meanwhile.
struct SelfHeld : public KX::LRefCountedObject {
    bool* deleted = nullptr;
    int calls = 0;
    KX::RCPtr<SelfHeld> self;
    ~SelfHeld() override { *deleted = true; }
    KX::KXRESULT ReleaseInternalReferences() override
    {
        if (++calls == 1) {
            std::thread([this] {
                AddRef();
                Release();
            }).join();
            return KX::E_FAIL;
        }
        AddToRefCount(-1);
        KX::RCPtr<SelfHeld> drop = std::move(self);
        return KX::S_OK;
    }
};

TEST(RefCountedObject, AHolderComingAndGoingDuringCycleBreakingLeavesNothingStranded)
{
    bool deleted = false;
    auto* object = new SelfHeld;
    object->deleted = &deleted;
    KX::RCPtr<SelfHeld> outside(object);
    object->self = outside;
    object->AddToRefCount(1);

    outside = nullptr;
    EXPECT_TRUE(deleted);
    if (!deleted) {
        EXPECT_EQ(object->calls, 2);
        object->AddToRefCount(-1);
        KX::RCPtr<SelfHeld> drop = std::move(object->self);
    }
}

// Holds itself through an internal reference that it never drops, and takes a temporary
// reference on itself while asked to: its own releases are no reason to ask it again.
struct SelfPinning : public KX::LRefCountedObject {
    bool* deleted = nullptr;
    int calls = 0;
    KX::RCPtr<SelfPinning> self;
    ~SelfPinning() override { *deleted = true; }
    KX::KXRESULT ReleaseInternalReferences() override
    {
        // Lets a Release that keeps asking come to an end, so that the test can report it.
        if (++calls > 100)
            AddToRefCount(-GetInternalRefCount());
        KX::RCPtr<SelfPinning> pin(this);
        return KX::E_FAIL;
    }
};

TEST(RefCountedObject, OwnReleasesDuringCycleBreakingDoNotRepeatIt)
{
    bool deleted = false;
    auto* object = new SelfPinning;
    object->deleted = &deleted;
    object->AddRef(); // the outside holder
    object->self = object;
    object->AddToRefCount(1);

    EXPECT_EQ(object->Release(), 1);
    EXPECT_EQ(object->calls, 1);
    EXPECT_FALSE(deleted);
    // The override declined, so the cycle stays; take it down by hand.
    object->AddToRefCount(-object->GetInternalRefCount());
    KX::RCPtr<SelfPinning> drop = std::move(object->self);
    drop = nullptr;
    EXPECT_TRUE(deleted);
}

TEST(RefCountedObject, ReleaseOfOneOfTwoOutsideHoldersCallsNothing)
{
    int live = 0;
    int calls = 0;
    auto* obj = new Owner(&live, &calls);
    obj->AddRef();
    obj->AddRef();
    obj->AddPart();
    ASSERT_EQ(obj->GetRefCount(), 3);
    EXPECT_EQ(obj->Release(), 2);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(obj->Release(), 0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(live, 0);
}

TEST(RefCountedObject, BaseReleaseInternalReferencesResult)
{
    int live = 0;
    KX::RCPtr<Plain> p(new Plain(&live));
    EXPECT_EQ(p->ReleaseInternalReferences(), KX::S_OK);
    KX::RCPtr<Plain> q = p;
    EXPECT_EQ(p->ReleaseInternalReferences(), KX::E_FAIL);
    q = nullptr;
    p->AddToRefCount(1);
    EXPECT_EQ(p->ReleaseInternalReferences(), KX::E_FAIL);
    p->AddToRefCount(-1);
}

TEST(RefCountedObject, AddToRefCountAddsAndSubtracts)
{
    int live = 0;
    KX::RCPtr<Plain> p(new Plain(&live));
    p->AddToRefCount(3);
    p->AddToRefCount(-1);
    EXPECT_EQ(p->GetInternalRefCount(), 2);
    p->AddToRefCount(-2);
    EXPECT_EQ(p->GetInternalRefCount(), 0);
    EXPECT_EQ(p->GetRefCount(), 1);
}

TEST(RefCountedObject, SetUnshareableRefusedWithTwoHolders)
{
    int live = 0;
    auto* obj = new Plain(&live);
    obj->SetUnshareable(true); // no holder
    EXPECT_FALSE(obj->IsShareable());
    obj->SetUnshareable(false);
    KX::RCPtr<Plain> p(obj);
    obj->SetUnshareable(true); // one holder
    EXPECT_FALSE(obj->IsShareable());
    obj->SetUnshareable(false);
    KX::RCPtr<Plain> q(p);
    try {
        obj->SetUnshareable(true);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(),
                     "Runtime Error : KX::LRefCountedObject::SetUnshareable : ObjectBase\\RefCountedObject : Line 29");
        EXPECT_NE(dynamic_cast<const KX::ExceptionBase*>(&e), nullptr);
    }
    EXPECT_TRUE(obj->IsShareable());
    obj->SetUnshareable(false); // always allowed
    EXPECT_TRUE(obj->IsShareable());
}

TEST(RefCountedObject, UndoAndCreateCopyOfBaseThrowExactTexts)
{
    int live = 0;
    KX::RCPtr<Plain> p(new Plain(&live));
    try {
        p->Undo();
        FAIL() << "no exception";
    } catch (const KX::Exception<std::logic_error>& e) {
        EXPECT_STREQ(e.what(), "Logic Error : Undo() not implemented for RefCountedObject : "
                               "KX::LRefCountedObject::Undo : kxframework\\objectbase\\RefCountedObject : Line 155");
    }
    try {
        (void)p->CreateCopy();
        FAIL() << "no exception";
    } catch (const KX::Exception<std::logic_error>& e) {
        EXPECT_STREQ(e.what(), "Logic Error : CreateCopy() not implemented for RefCountedObject : "
                               "KX::LRefCountedObject::CreateCopy : kxframework\\objectbase\\RefCountedObject : "
                               "Line 228");
    }
    EXPECT_EQ(p->GetRefCount(), 1);
}

TEST(RefCountedObject, ToStringNamesTheDynamicClass)
{
    int live = 0;
    KX::RCPtr<Plain> p(new Plain(&live));
    const KX::LRefCountedObject& base = *p;
    EXPECT_TRUE(base.ToString() == KX::WString(u"refcount_test::Plain"));

    KX::RCPtr<KX::LTaggableObject> tagged(new KX::LTaggableObject);
    EXPECT_TRUE(tagged->ToString() == KX::WString(u"KX::LTaggableObject"));
}

TEST(TaggableObject, ReleasesItsTag)
{
    int live = 0;
    {
        KX::RCPtr<KX::LTaggableObject> tagged(new KX::LTaggableObject);
        EXPECT_FALSE(tagged->GetTag());
        KX::RCPtr<Plain> tag(new Plain(&live));
        tagged->SetTag(tag);
        EXPECT_EQ(tag->GetRefCount(), 2);
    }
    EXPECT_EQ(live, 0);
}
