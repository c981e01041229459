// Posting and draining on one thread: order, growth, re-posting, latest-only delivery, idle
// notifications, nested and failing drains, the posting receiver and the idle pass rule.
#include "FakeAppServices.h"
#include "NotificationFakes.h"

#include "kx/AppServices.h"

#include <gtest/gtest.h>

namespace {

using KX::LNotification;
using KX::LNotificationDistributor;
using KX::LNotificationQueue;
using KX::RCPtr;
using kxtest::Distributor;
using kxtest::Make;
using kxtest::Recorder;
using Log = std::vector<std::string>;

constexpr char16_t kPing[] = u"NID_TEST_QPING";

// A queue attached to its own distributor, with a client that records the payload values it gets.
struct QueueFixture : ::testing::Test {
    QueueFixture()
    {
        queue->AttachDistributor(d);
        client->RegisterForNotification(d, kPing, 0);
        client->action = [this](Recorder&, auto&, const RCPtr<LNotification>& n) {
            auto p = KX::ConstRCPtr<kxtest::Payload>::DynamicCast(n->GetPayload());
            values.push_back(p ? p->value : -1);
        };
    }
    ~QueueFixture() override
    {
        queue->Detach();
        client->UnregisterFromAll();
    }

    KX::KXRESULT Post(int value)
    {
        return queue->PostNotification(Make(kPing, RCPtr<kxtest::Payload>(new kxtest::Payload(value))));
    }

    RCPtr<Distributor> d = Distributor::Create();
    RCPtr<LNotificationQueue> queue = LNotificationQueue::Create();
    RCPtr<Recorder> client = Recorder::Create("client", nullptr);
    std::vector<int> values;
};

std::vector<int> Range(int from, int to)
{
    std::vector<int> r;
    for (int i = from; i < to; ++i)
        r.push_back(i);
    return r;
}

TEST_F(QueueFixture, GrowsPastItsSlotsAndKeepsTheOrder)
{
    for (int i = 0; i < 255; ++i)
        ASSERT_EQ(Post(i), KX::S_OK);
    EXPECT_EQ(queue->GetSlotCount(), 256u);
    ASSERT_EQ(Post(255), KX::S_OK);
    EXPECT_EQ(queue->GetSlotCount(), 257u);
    EXPECT_EQ(queue->GetCount(), 256u);
    EXPECT_FALSE(queue->ProcessQueue(false));
    EXPECT_EQ(values, Range(0, 256));

    // Well past the start size, with a drain in between.
    values.clear();
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(Post(i), KX::S_OK);
    EXPECT_EQ(queue->GetCount(), 1000u);
    EXPECT_FALSE(queue->ProcessQueue(false));
    EXPECT_EQ(values, Range(0, 1000));
}

TEST_F(QueueFixture, GrowsCorrectlyWhenItsEntriesWrapAroundTheEnd)
{
    // Move both indices into the middle of the ring, then fill it so the entries wrap.
    for (int i = 0; i < 100; ++i)
        Post(-1);
    queue->ProcessQueue(false);
    values.clear();
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(Post(i), KX::S_OK);
    EXPECT_GT(queue->GetSlotCount(), 256u);
    queue->ProcessQueue(false);
    EXPECT_EQ(values, Range(0, 300));
}

TEST_F(QueueFixture, ANotificationIsQueuedOnceAtATime)
{
    RCPtr<LNotification> n = Make(kPing);
    EXPECT_EQ(queue->PostNotification(n), KX::S_OK);
    EXPECT_TRUE(n->IsPosted());
    EXPECT_EQ(queue->PostNotification(n), KX::E_INVALIDARG);
    EXPECT_EQ(queue->PostNotification(nullptr), KX::E_INVALIDARG);
    // Not in another queue either while it waits in this one.
    auto second = LNotificationQueue::Create();
    second->AttachDistributor(d);
    EXPECT_EQ(second->PostNotification(n), KX::E_INVALIDARG);
    queue->ProcessQueue(false);
    EXPECT_EQ(values.size(), 1u);
    EXPECT_FALSE(n->IsPosted());
    EXPECT_EQ(queue->PostNotification(n), KX::S_OK);
    second->Detach();
}

TEST_F(QueueFixture, PostsMadeDuringADrainWaitForTheNextOne)
{
    Post(1);
    Post(2);
    client->action = [this, inner = client->action](Recorder& self, auto& from, const RCPtr<LNotification>& n) {
        inner(self, from, n);
        if (values.size() == 1)
            Post(3);
    };
    EXPECT_TRUE(queue->ProcessQueue(false));
    EXPECT_EQ(values, (std::vector<int>{1, 2}));
    EXPECT_FALSE(queue->ProcessQueue(false));
    EXPECT_EQ(values, (std::vector<int>{1, 2, 3}));
}

TEST_F(QueueFixture, ProcessOneSendsTheOldestOnlyAndNothingInsideADrain)
{
    Post(1);
    Post(2);
    EXPECT_TRUE(queue->ProcessOne());
    EXPECT_EQ(values, (std::vector<int>{1}));
    EXPECT_EQ(queue->GetCount(), 1u);
    // Called from a receiver while this queue drains: nothing is sent out of order.
    client->action = [this, inner = client->action](Recorder& self, auto& from, const RCPtr<LNotification>& n) {
        inner(self, from, n);
        Post(3);
        EXPECT_FALSE(queue->ProcessOne());
    };
    EXPECT_TRUE(queue->ProcessOne());
    EXPECT_EQ(values, (std::vector<int>{1, 2}));
    queue->Detach();
    EXPECT_FALSE(queue->ProcessOne()) << "a detached queue is empty";
}

TEST_F(QueueFixture, OnlyTheLatestPostedReachesALatestOnlyRegistration)
{
    constexpr char16_t kStatus[] = u"NID_SET_STATUS_TEXT";
    std::vector<int> latest;
    std::vector<int> all;
    auto status = Recorder::Create("status", nullptr);
    auto plain = Recorder::Create("plain", nullptr);
    auto record = [](std::vector<int>& into) {
        return [&into](Recorder&, auto&, const RCPtr<LNotification>& n) {
            into.push_back(KX::ConstRCPtr<kxtest::Payload>::DynamicCast(n->GetPayload())->value);
        };
    };
    status->action = record(latest);
    plain->action = record(all);
    // plain is newer, so it is called first.
    status->RegisterForNotification(d, kStatus, LNotificationDistributor::kLatestPostedOnly);
    plain->RegisterForNotification(d, kStatus, 0);
    for (int i = 1; i <= 3; ++i)
        queue->PostNotification(Make(kStatus, RCPtr<kxtest::Payload>(new kxtest::Payload(i))));
    queue->ProcessQueue(false);
    EXPECT_EQ(latest, (std::vector<int>{3}));
    EXPECT_EQ(all, (std::vector<int>{1, 2, 3}));

    // A newer post made while the drain runs overtakes the queued one: it waits for the next
    // drain and is the only one the latest-only registration gets.
    latest.clear();
    all.clear();
    plain->action = [&, inner = record(all)](Recorder& self, auto& from, const RCPtr<LNotification>& n) {
        inner(self, from, n);
        if (all.size() == 1)
            queue->PostNotification(Make(kStatus, RCPtr<kxtest::Payload>(new kxtest::Payload(5))));
    };
    queue->PostNotification(Make(kStatus, RCPtr<kxtest::Payload>(new kxtest::Payload(4))));
    queue->ProcessQueue(false);
    queue->ProcessQueue(false);
    EXPECT_EQ(all, (std::vector<int>{4, 5}));
    EXPECT_EQ(latest, (std::vector<int>{5}));
    status->UnregisterFromAll();
    plain->UnregisterFromAll();
}

TEST_F(QueueFixture, ALatestOnlyRegistrationGetsOnlyPostsMadeAfterIt)
{
    constexpr char16_t kStatus[] = u"NID_SET_STATUS_TEXT";
    std::vector<int> latest;
    auto status = Recorder::Create("status", nullptr);
    status->action = [&latest](Recorder&, auto&, const RCPtr<LNotification>& n) {
        latest.push_back(KX::ConstRCPtr<kxtest::Payload>::DynamicCast(n->GetPayload())->value);
    };
    auto post = [this, kStatus](int v) {
        return queue->PostNotification(Make(kStatus, RCPtr<kxtest::Payload>(new kxtest::Payload(v))));
    };
    // Posted before the registration existed: not for it, though it is the newest of its id.
    post(1);
    status->RegisterForNotification(d, kStatus, LNotificationDistributor::kLatestPostedOnly);
    queue->ProcessQueue(false);
    EXPECT_TRUE(latest.empty());

    // Registered between two posts: the second is its pending one.
    auto late = Recorder::Create("late", nullptr);
    std::vector<int> lateValues;
    late->action = [&lateValues](Recorder&, auto&, const RCPtr<LNotification>& n) {
        lateValues.push_back(KX::ConstRCPtr<kxtest::Payload>::DynamicCast(n->GetPayload())->value);
    };
    post(2);
    late->RegisterForNotification(d, kStatus, LNotificationDistributor::kLatestPostedOnly);
    post(3);
    post(4);
    // A plain send of a notification pending for both does not reach them.
    EXPECT_EQ(d->SendNotification(Make(kStatus, RCPtr<kxtest::Payload>(new kxtest::Payload(9)))), KX::S_OK);
    queue->ProcessQueue(false);
    EXPECT_EQ(latest, (std::vector<int>{4}));
    EXPECT_EQ(lateValues, (std::vector<int>{4}));

    // Discarded before the drain: nothing pending is delivered later.
    latest.clear();
    post(5);
    queue->DiscardAll();
    queue->ProcessQueue(false);
    EXPECT_TRUE(latest.empty());
    status->UnregisterFromAll();
    late->UnregisterFromAll();
}

TEST(NotificationQueue, AReceiverThatDropsTheLastOwnerReferenceDoesNotFreeTheQueueMidDrain)
{
    auto d = Distributor::Create();
    auto queue = LNotificationQueue::Create();
    queue->AttachDistributor(d);
    LNotificationQueue* raw = queue.Get();
    std::vector<int> values;
    auto client = Recorder::Create("dropper", nullptr);
    client->action = [&](Recorder&, auto&, const RCPtr<LNotification>& n) {
        values.push_back(KX::ConstRCPtr<kxtest::Payload>::DynamicCast(n->GetPayload())->value);
        queue = nullptr; // the owner lets go while its queue is being drained
    };
    client->RegisterForNotification(d, kPing, 0);
    for (int i = 1; i <= 3; ++i)
        raw->PostNotification(Make(kPing, RCPtr<kxtest::Payload>(new kxtest::Payload(i))));
    // The drain finishes what it counted, sends idle, and only then lets the queue go.
    EXPECT_FALSE(raw->ProcessQueue(true));
    EXPECT_EQ(values, (std::vector<int>{1, 2, 3}));
    // The queue detached itself on its way out: the distributor is held by the test alone.
    EXPECT_EQ(d->GetRefCount(), 1 + d->GetInternalRefCount());
    client->UnregisterFromAll();
    EXPECT_EQ(d->GetRefCount(), 1);
}

TEST_F(QueueFixture, IdleIsSentAlsoWhenTheQueueIsBusyFurtherUp)
{
    Log idle;
    auto idler = Recorder::Create("idle", &idle);
    idler->RegisterForNotification(d, KX::NID_IDLE, 0);
    // Empty queue: only the idle notification.
    EXPECT_FALSE(queue->ProcessQueue(true));
    EXPECT_EQ(idle.size(), 1u);
    EXPECT_TRUE(values.empty());

    // A receiver that runs a nested drain (as a modal loop would): the nested pass takes nothing
    // but still sends idle.
    Post(1);
    Post(2);
    bool nestedLeft = false;
    client->action = [this, &nestedLeft, inner = client->action](Recorder& self, auto& from,
                                                                 const RCPtr<LNotification>& n) {
        inner(self, from, n);
        if (values.size() == 1) {
            EXPECT_TRUE(queue->IsBusy());
            nestedLeft = queue->ProcessQueue(true);
        }
    };
    idle.clear();
    EXPECT_FALSE(queue->ProcessQueue(false));
    EXPECT_TRUE(nestedLeft);
    EXPECT_EQ(values, (std::vector<int>{1, 2}));
    EXPECT_EQ(idle.size(), 1u);
    EXPECT_FALSE(queue->IsBusy());
    idler->UnregisterFromAll();
}

TEST_F(QueueFixture, AThrowingReceiverLeavesTheQueueUsable)
{
    Post(1);
    Post(2);
    Post(3);
    client->action = [this, inner = client->action](Recorder& self, auto& from, const RCPtr<LNotification>& n) {
        inner(self, from, n);
        if (values.size() == 1)
            throw std::runtime_error("receiver failed");
    };
    RCPtr<LNotification> kept;
    EXPECT_THROW(queue->ProcessQueue(false), std::runtime_error);
    EXPECT_FALSE(queue->IsBusy());
    EXPECT_FALSE(client->last->IsPosted());
    EXPECT_EQ(queue->GetCount(), 2u);
    EXPECT_FALSE(queue->ProcessQueue(false));
    EXPECT_EQ(values, (std::vector<int>{1, 2, 3}));
    // The thrown-through notification can be posted again.
    EXPECT_EQ(queue->PostNotification(client->last), KX::S_OK);
}

TEST_F(QueueFixture, AReceiverThatDiscardsTheQueueEndsTheDrain)
{
    Post(1);
    Post(2);
    Post(3);
    client->action = [this, inner = client->action](Recorder& self, auto& from, const RCPtr<LNotification>& n) {
        inner(self, from, n);
        queue->DiscardAll();
    };
    EXPECT_FALSE(queue->ProcessQueue(false));
    EXPECT_EQ(values, (std::vector<int>{1}));
}

TEST_F(QueueFixture, DetachingDiscardsAndRefusesLaterPosts)
{
    RCPtr<LNotification> n = Make(kPing);
    Post(1);
    queue->PostNotification(n);
    auto receiver = queue->GetReceiver();
    ASSERT_TRUE(receiver);
    EXPECT_EQ(queue->GetInternalRefCount(), 1);
    queue->Detach();
    EXPECT_FALSE(n->IsPosted());
    EXPECT_EQ(queue->GetCount(), 0u);
    EXPECT_EQ(queue->PostNotification(Make(kPing)), KX::E_FAIL);
    EXPECT_FALSE(queue->GetReceiver());
    EXPECT_FALSE(receiver->IsLinked());
    EXPECT_EQ(queue->GetInternalRefCount(), 0);
    EXPECT_EQ(queue->AttachDistributor(d), KX::E_FAIL);
    queue->Detach(); // a second detach changes nothing
    EXPECT_EQ(queue->GetInternalRefCount(), 0);
    EXPECT_FALSE(queue->ProcessQueue(true));
    EXPECT_TRUE(values.empty());
}

TEST(NotificationQueue, AttachingTwiceFailsAndNullChangesNothing)
{
    auto d = Distributor::Create();
    auto queue = LNotificationQueue::Create();
    EXPECT_EQ(queue->PostNotification(Make(kPing)), KX::E_FAIL);
    EXPECT_EQ(queue->AttachDistributor(nullptr), KX::S_OK);
    EXPECT_FALSE(queue->GetDistributor());
    EXPECT_EQ(queue->AttachDistributor(d), KX::S_OK);
    EXPECT_EQ(queue->AttachDistributor(Distributor::Create()), KX::E_FAIL);
    EXPECT_EQ(queue->GetDistributor(), d);
    queue->Detach();
}

TEST(NotificationQueue, AnUnownedQueueBreaksTheLinkWithItsPostingReceiver)
{
    auto d = Distributor::Create();
    RCPtr<LNotificationQueue::LPostingReceiver> receiver;
    {
        auto queue = LNotificationQueue::Create();
        queue->AttachDistributor(d);
        receiver = queue->GetReceiver();
        queue->PostNotification(Make(kPing));
    }
    // The last outside holder went: the queue detached itself and was freed.
    EXPECT_FALSE(receiver->IsLinked());
    EXPECT_EQ(receiver->GetRefCount(), 1);
    EXPECT_EQ(d->GetRefCount(), 1);
}

TEST(NotificationQueue, APostingReceiverForwardsCopiesToItsQueue)
{
    Log log;
    auto source = Distributor::Create();
    auto target = Distributor::Create();
    auto queue = LNotificationQueue::Create();
    queue->AttachDistributor(target);
    auto client = Recorder::Create("later", &log);
    client->RegisterForNotification(target, kPing, 0);
    auto receiver = queue->GetReceiver();
    ASSERT_EQ(source->RegisterClient(receiver, kPing, 0), KX::S_OK);
    EXPECT_EQ(receiver->UnregisterForNotification(source, kPing), KX::E_FAIL);

    RCPtr<kxtest::Payload> payload(new kxtest::Payload(9));
    RCPtr<LNotification> original = Make(kPing, payload);
    source->SendNotification(original);
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(original->IsPosted()); // a copy was posted
    EXPECT_EQ(queue->GetCount(), 1u);
    queue->ProcessQueue(false);
    ASSERT_EQ(log, (Log{"later"}));
    EXPECT_NE(client->last, original);
    EXPECT_EQ(client->last->GetID(), original->GetID());
    EXPECT_EQ(client->last->GetPayload().Get(), payload.Get());

    // Detached: the receiver stays registered but forwards nothing.
    queue->Detach();
    source->SendNotification(Make(kPing));
    EXPECT_EQ(log.size(), 1u);
    EXPECT_EQ(source->UnregisterClient(receiver, kPing), KX::S_OK);
    client->UnregisterFromAll();
}

TEST(NotificationCentres, ProcessAllDrainsEveryCentreNewestFirst)
{
    Log log;
    auto manager = KX::LNotificationCenterManager::GetInstance();
    auto first = manager->GetCenter(KX::WString(u"first"));
    auto second = manager->GetCenter(KX::WString(u"second"));
    auto a = Recorder::Create("first", &log);
    auto b = Recorder::Create("second", &log);
    auto idle = Recorder::Create("idle", &log);
    a->RegisterForNotification(first, kPing, 0);
    b->RegisterForNotification(second, kPing, 0);
    idle->RegisterForNotification(first, KX::NID_IDLE, 0);
    first->GetQueue()->PostNotification(Make(kPing));
    second->GetQueue()->PostNotification(Make(kPing));
    EXPECT_FALSE(manager->ProcessAll(true));
    EXPECT_EQ(log, (Log{"second", "first", "idle"}));
    log.clear();
    EXPECT_FALSE(manager->ProcessAll(false));
    EXPECT_TRUE(log.empty());
    first = nullptr;
    second = nullptr;
    manager = nullptr;
    KX::LNotificationCenterManager::ClearInstance();
    EXPECT_EQ(a->GetRegistrationCount(), 0);
    EXPECT_EQ(idle->GetRegistrationCount(), 0);
}

// The application as the system services see it: drains the centres, answers "KEY".
class FakeApp : public kxtest::FakeAppServices {
public:
    FakeApp() : FakeAppServices(false)
    {
        drain = [](bool firstPass) { return KX::LNotificationCenterManager::GetInstance()->ProcessAll(firstPass); };
        lookup = [](const KX::WString& key) {
            return key == KX::WString(u"KEY") ? KX::WString(u"text") : KX::WString();
        };
        answer = [](uint32_t flags) { return static_cast<int32_t>(flags) + 1; };
    }
};

TEST(NotificationIdlePass, FollowsTheHostsPassRule)
{
    EXPECT_FALSE(KX::RunIdlePass(0)); // nothing registered
    EXPECT_TRUE(KX::LookupAppString(KX::WString(u"KEY")).IsEmpty());
    FakeApp app;
    KX::SetAppServices(&app);
    EXPECT_TRUE(KX::LookupAppString(KX::WString(u"KEY")) == KX::WString(u"text"));
    EXPECT_EQ(KX::ShowAppMessageBox(KX::WString(u"t"), KX::WString(u"c"), 0x10), 0x11);

    Log log;
    auto centre = KX::GetNotificationQueue();
    auto client = Recorder::Create("client", &log);
    // Each delivery posts one more, so the queue never runs dry.
    client->action = [&](Recorder&, auto&, auto&) { centre->GetQueue()->PostNotification(Make(kPing)); };
    client->RegisterForNotification(centre, kPing, 0);
    centre->GetQueue()->PostNotification(Make(kPing));
    EXPECT_TRUE(KX::RunIdlePass(0));
    EXPECT_TRUE(KX::RunIdlePass(1));
    EXPECT_FALSE(KX::RunIdlePass(2)); // at most three drains per idle period
    EXPECT_EQ(app.passes, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(log.size(), 3u);

    client->action = nullptr;
    EXPECT_FALSE(KX::RunIdlePass(0)); // drained dry
    app.exitRequested = true;
    centre->GetQueue()->PostNotification(Make(kPing));
    const size_t drains = app.passes.size();
    EXPECT_FALSE(KX::RunIdlePass(0));
    EXPECT_EQ(app.passes.size(), drains); // exit requested: nothing drained
    KX::SetAppServices(nullptr);
    centre = nullptr;
    client->UnregisterFromAll();
    KX::LNotificationCenterManager::ClearInstance();
}

} // namespace
