// Interned ids and the notification pool.
#include "NotificationFakes.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using KX::ConstRCPtr;
using KX::LNotification;
using KX::LRefCountedObject;
using KX::RCPtr;
using kxtest::Make;
using kxtest::Payload;
using kxtest::PoolingScope;

TEST(NotificationIds, EqualNamesShareOneIdAndAnIdInternsToItself)
{
    std::u16string a = u"NID_TEST_SAME";
    std::u16string b = u"NID_TEST_SAME";
    const KX::NotificationId first = KX::GetNotificationID(a.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(KX::GetNotificationID(b.c_str()), first);
    EXPECT_EQ(KX::GetNotificationID(first), first);
    EXPECT_NE(static_cast<const void*>(first), static_cast<const void*>(a.c_str()));
    // Case-sensitive.
    EXPECT_NE(KX::GetNotificationID(u"nid_test_same"), first);
}

TEST(NotificationIds, NullAndEmptyNamesHaveNoIdAndLeaveTheRegistryAlone)
{
    uint32_t before;
    {
        KX::MutexLock guard(KX::GetNotificationLock());
        before = KX::GetNotificationNameTable().GetCount();
    }
    EXPECT_EQ(KX::GetNotificationID(nullptr), nullptr);
    EXPECT_EQ(KX::GetNotificationID(u""), nullptr);
    KX::MutexLock guard(KX::GetNotificationLock());
    EXPECT_EQ(KX::GetNotificationNameTable().GetCount(), before);
}

TEST(NotificationIds, TheTextBehindAnIdOutlivesTheCallersBuffer)
{
    auto buffer = std::make_unique<std::u16string>(u"NID_TEST_OWNED_COPY");
    const KX::NotificationId id = KX::GetNotificationID(buffer->c_str());
    buffer.reset();
    EXPECT_TRUE(KX::GetNotificationName(id) == KX::WString(u"NID_TEST_OWNED_COPY"));
    EXPECT_EQ(std::u16string(id), u"NID_TEST_OWNED_COPY");
    // A pointer that is not an interned id has no name.
    const char16_t other[] = u"NID_TEST_OWNED_COPY";
    EXPECT_TRUE(KX::GetNotificationName(other).IsEmpty());
}

TEST(NotificationIds, ABufferAskedAgainWithOtherTextGetsTheIdOfThatText)
{
    // Names are remembered by the caller's address: a reused buffer must still be read.
    char16_t buffer[] = u"NID_TEST_REUSED_A";
    const KX::NotificationId a = KX::GetNotificationID(buffer);
    buffer[16] = u'B';
    const KX::NotificationId b = KX::GetNotificationID(buffer);
    EXPECT_NE(a, b);
    EXPECT_EQ(std::u16string(b), u"NID_TEST_REUSED_B");
    buffer[10] = 0; // a prefix of the remembered text
    EXPECT_EQ(std::u16string(KX::GetNotificationID(buffer)), u"NID_TEST_R");
    buffer[10] = u'E';
    buffer[16] = u'A';
    EXPECT_EQ(KX::GetNotificationID(buffer), a);
}

TEST(NotificationIds, ManyNamesKeepTheirIdsStable)
{
    std::vector<KX::NotificationId> ids;
    for (int i = 0; i < 500; ++i) {
        const std::u16string name = u"NID_TEST_MANY_" + std::u16string(1, char16_t(u'A' + i % 26)) +
                                    std::u16string(1, char16_t(u'0' + i / 26 % 10)) +
                                    std::u16string(1, char16_t(u'0' + i / 260));
        ids.push_back(KX::GetNotificationID(name.c_str()));
    }
    // Interning more names grows the registry; earlier ids still point at their text.
    for (int i = 0; i < 500; ++i) {
        EXPECT_EQ(KX::GetNotificationID(ids[i]), ids[i]);
        EXPECT_EQ(KX::GetNotificationName(ids[i]).GetString(), ids[i]);
    }
}

TEST(NotificationCreate, CarriesTheIdAndPayloadAndRejectsNamesWithoutId)
{
    RCPtr<Payload> payload(new Payload(7));
    RCPtr<LNotification> n = Make(u"NID_TEST_CREATE", payload);
    ASSERT_TRUE(n);
    EXPECT_EQ(n->GetID(), KX::GetNotificationID(u"NID_TEST_CREATE"));
    EXPECT_EQ(n->GetPayload().Get(), payload.Get());
    EXPECT_EQ(payload->GetRefCount(), 2);
    EXPECT_FALSE(n->IsPosted());

    EXPECT_FALSE(Make(nullptr));
    EXPECT_FALSE(Make(u""));
    {
        PoolingScope pooling;
        EXPECT_FALSE(Make(u""));
    }
}

TEST(NotificationPool, AReleasedNotificationIsReusedWithNewIdAndPayloadAndTheOldPayloadGoes)
{
    PoolingScope pooling;
    bool firstGone = false;
    const LNotification* address;
    {
        RCPtr<LNotification> n = Make(u"NID_TEST_POOL_A", RCPtr<Payload>(new Payload(1, &firstGone)));
        address = n.Get();
        EXPECT_FALSE(firstGone);
    }
    // Released into the pool: the payload is gone, the object kept.
    EXPECT_TRUE(firstGone);
    EXPECT_EQ(LNotification::GetPoolCount(), 1u);

    RCPtr<Payload> second(new Payload(2));
    RCPtr<LNotification> reused = Make(u"NID_TEST_POOL_B", second);
    EXPECT_EQ(reused.Get(), address);
    EXPECT_EQ(reused->GetID(), KX::GetNotificationID(u"NID_TEST_POOL_B"));
    EXPECT_EQ(reused->GetPayload().Get(), second.Get());
    EXPECT_EQ(LNotification::GetPoolCount(), 0u);
}

TEST(NotificationPool, LastInFirstOut)
{
    PoolingScope pooling;
    RCPtr<LNotification> a = Make(u"NID_TEST_LIFO");
    RCPtr<LNotification> b = Make(u"NID_TEST_LIFO");
    const LNotification* first = a.Get();
    const LNotification* second = b.Get();
    a = nullptr;
    b = nullptr;
    EXPECT_EQ(Make(u"NID_TEST_LIFO").Get(), second);
    RCPtr<LNotification> keep = Make(u"NID_TEST_LIFO");
    EXPECT_EQ(keep.Get(), second);
    EXPECT_EQ(Make(u"NID_TEST_LIFO").Get(), first);
}

TEST(NotificationPool, AReusedNotificationNeverKeepsAStalePostedState)
{
    // A notification taken out of a queue whose drain was cut short used to keep its posted mark,
    // and the pool handed it out again with its old id and payload.
    PoolingScope pooling;
    auto d = kxtest::Distributor::Create();
    auto queue = KX::LNotificationQueue::Create();
    ASSERT_EQ(queue->AttachDistributor(d), KX::S_OK);
    auto thrower = kxtest::Recorder::Create("thrower", nullptr);
    thrower->action = [](auto&, auto&, auto&) { throw std::runtime_error("receiver failed"); };
    thrower->RegisterForNotification(d, u"NID_TEST_STALE_OLD", 0);

    bool oldPayloadGone = false;
    {
        RCPtr<LNotification> n = Make(u"NID_TEST_STALE_OLD", RCPtr<Payload>(new Payload(1, &oldPayloadGone)));
        ASSERT_EQ(queue->PostNotification(n), KX::S_OK);
    }
    EXPECT_THROW(queue->ProcessQueue(false), std::runtime_error);
    thrower->last = nullptr;
    EXPECT_TRUE(oldPayloadGone);

    RCPtr<Payload> fresh(new Payload(2));
    RCPtr<LNotification> reused = Make(u"NID_TEST_STALE_NEW", fresh);
    EXPECT_EQ(reused->GetID(), KX::GetNotificationID(u"NID_TEST_STALE_NEW"));
    EXPECT_EQ(reused->GetPayload().Get(), fresh.Get());
    EXPECT_FALSE(reused->IsPosted());
    EXPECT_EQ(queue->PostNotification(reused), KX::S_OK);
    queue->Detach();
    thrower->UnregisterFromAll();
}

TEST(NotificationPool, SwitchingPoolingOffFreesThePoolAndLaterReleasesFree)
{
    {
        PoolingScope pooling;
        RCPtr<LNotification> a = Make(u"NID_TEST_OFF");
        RCPtr<LNotification> b = Make(u"NID_TEST_OFF");
        a = nullptr;
        b = nullptr;
        EXPECT_EQ(LNotification::GetPoolCount(), 2u);
    }
    EXPECT_EQ(LNotification::GetPoolCount(), 0u);
    RCPtr<LNotification> c = Make(u"NID_TEST_OFF");
    c = nullptr;
    EXPECT_EQ(LNotification::GetPoolCount(), 0u);
}

// A payload whose destructor takes and drops a reference to the notification carrying it.
class TouchingPayload : public LRefCountedObject {
public:
    ~TouchingPayload() override
    {
        RCPtr<LNotification> again(carrier);
        seenCount = carrier->GetRefCount();
    }
    LNotification* carrier = nullptr;
    int32_t seenCount = 0;
};

TEST(NotificationPool, AReleaseFromInsideRecyclingDoesNotRecycleAgain)
{
    PoolingScope pooling;
    RCPtr<LNotification> n;
    {
        RCPtr<TouchingPayload> payload(new TouchingPayload());
        LNotification::Create(n, u"NID_TEST_REENTRY", payload);
        payload->carrier = n.Get();
    }
    const LNotification* address = n.Get();
    n = nullptr;
    // Pooled exactly once, alive, and handed out again.
    EXPECT_EQ(LNotification::GetPoolCount(), 1u);
    RCPtr<LNotification> again = Make(u"NID_TEST_REENTRY");
    EXPECT_EQ(again.Get(), address);
    EXPECT_EQ(again->GetRefCount(), 1);
    EXPECT_EQ(LNotification::GetPoolCount(), 0u);
}

} // namespace
