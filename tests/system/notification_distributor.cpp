// Synchronous delivery: order, changes of registrations during a send, reference bookkeeping,
// handlers and the centre manager.
#include "NotificationFakes.h"

#include <gtest/gtest.h>

namespace {

using KX::LNotification;
using KX::LNotificationDistributor;
using KX::RCPtr;
using kxtest::Distributor;
using kxtest::Make;
using kxtest::Recorder;
using Log = std::vector<std::string>;

constexpr char16_t kPing[] = u"NID_TEST_PING";
constexpr char16_t kOther[] = u"NID_TEST_OTHER";

TEST(NotificationSend, NewestRegistrationFirstAndResults)
{
    Log log;
    auto d = Distributor::Create();
    auto p = Recorder::Create("P", &log);
    auto q = Recorder::Create("Q", &log);
    auto r = Recorder::Create("R", &log);
    EXPECT_EQ(d->SendNotification(Make(kPing)), KX::S_FALSE); // nobody ever registered
    EXPECT_EQ(d->SendNotification(nullptr), KX::E_INVALIDARG);
    for (auto* c : {&p, &q, &r})
        ASSERT_EQ((*c)->RegisterForNotification(d, kPing, 0), KX::GetNotificationID(kPing));
    q->result = KX::E_FAIL; // a failure does not stop the send

    EXPECT_EQ(d->SendNotification(Make(kPing)), KX::S_OK);
    EXPECT_EQ(log, (Log{"R", "Q", "P"}));
    log.clear();
    EXPECT_EQ(d->SendNotification(Make(kOther)), KX::S_FALSE);
    EXPECT_TRUE(log.empty());

    // A pool that lost all its registrations answers like a missing one.
    for (auto* c : {&p, &q, &r})
        (*c)->UnregisterFromAll();
    EXPECT_EQ(d->SendNotification(Make(kPing)), KX::S_FALSE);
}

TEST(NotificationSend, ChangesOfRegistrationsDuringTheSend)
{
    Log log;
    auto d = Distributor::Create();
    auto p = Recorder::Create("P", &log);
    auto q = Recorder::Create("Q", &log);
    auto r = Recorder::Create("R", &log);
    auto s = Recorder::Create("S", &log);
    p->RegisterForNotification(d, kPing, 0);
    q->RegisterForNotification(d, kPing, 0);
    r->RegisterForNotification(d, kPing, 0);

    // Q leaves while it is being called: P is still reached.
    q->action = [&](Recorder& self, auto&, auto&) { self.UnregisterForNotification(d, kPing); };
    d->SendNotification(Make(kPing));
    EXPECT_EQ(log, (Log{"R", "Q", "P"}));

    // R removes P before P's turn: P is not called. R adds S: S waits for the next send.
    log.clear();
    q->RegisterForNotification(d, kPing, 0);
    q->action = nullptr;
    r->action = [&](Recorder&, auto&, auto&) {
        p->UnregisterForNotification(d, kPing);
        s->RegisterForNotification(d, kPing, 0);
    };
    d->SendNotification(Make(kPing)); // order now P, R, Q
    EXPECT_EQ(log, (Log{"Q", "R"}));
    log.clear();
    r->action = nullptr;
    d->SendNotification(Make(kPing));
    EXPECT_EQ(log, (Log{"S", "Q", "R"}));

    // The one being called removes itself and an older one; the rest is reached once each.
    log.clear();
    p->RegisterForNotification(d, kPing, 0); // order now R, Q, S, P (oldest first)
    s->action = [&](Recorder& self, auto&, auto&) {
        self.UnregisterForNotification(d, kPing);
        q->UnregisterForNotification(d, kPing);
    };
    d->SendNotification(Make(kPing));
    EXPECT_EQ(log, (Log{"P", "S", "R"}));
    for (auto* c : {&p, &q, &r, &s})
        (*c)->UnregisterFromAll();
}

TEST(NotificationSend, AReceiverThatDropsItsOwnLastReferenceSurvivesItsCall)
{
    Log log;
    auto d = Distributor::Create();
    auto p = Recorder::Create("P", &log);
    p->RegisterForNotification(d, kPing, 0);
    RCPtr<Recorder> holder = Recorder::Create("Q", &log);
    holder->RegisterForNotification(d, kPing, 0);
    holder->action = [&](Recorder& self, auto&, auto&) {
        self.UnregisterForNotification(d, kPing);
        holder = nullptr; // the last outside reference
        // Still alive: the send keeps the removed registration until it is done.
        log.push_back(self.Name() + " after");
    };
    d->SendNotification(Make(kPing));
    EXPECT_EQ(log, (Log{"Q", "Q after", "P"}));
    EXPECT_EQ(d->GetRegistrationCount(), 1);
    p->UnregisterFromAll();
}

TEST(NotificationSend, ANestedSendOfTheSameIdReachesEveryReceiverForBothNotifications)
{
    Log log;
    auto d = Distributor::Create();
    std::vector<RCPtr<Recorder>> clients;
    for (const char* name : {"A", "B", "C", "D"}) {
        clients.push_back(Recorder::Create(name, &log));
        clients.back()->RegisterForNotification(d, kPing, 0);
    }
    RCPtr<LNotification> outer = Make(kPing);
    RCPtr<LNotification> inner = Make(kPing);
    // C (second newest) sends again from inside its call.
    clients[2]->action = [&](Recorder&, auto&, const RCPtr<LNotification>& n) {
        if (n == outer)
            d->SendNotification(inner);
    };
    std::vector<std::pair<std::string, const LNotification*>> seen;
    for (auto& c : clients)
        c->action = [&, previous = c->action](Recorder& self, auto& from, const RCPtr<LNotification>& n) {
            seen.emplace_back(self.Name(), n.Get());
            if (previous)
                previous(self, from, n);
        };
    d->SendNotification(outer);
    const std::vector<std::pair<std::string, const LNotification*>> expected{
        {"D", outer.Get()}, {"C", outer.Get()}, {"D", inner.Get()}, {"C", inner.Get()},
        {"B", inner.Get()}, {"A", inner.Get()}, {"B", outer.Get()}, {"A", outer.Get()}};
    EXPECT_EQ(seen, expected);
    for (auto& c : clients)
        c->UnregisterFromAll();
}

TEST(NotificationSend, RemovalsDuringANestedSendMoveBothWalks)
{
    Log log;
    auto d = Distributor::Create();
    std::vector<RCPtr<Recorder>> c;
    for (const char* name : {"A", "B", "C", "D"}) {
        c.push_back(Recorder::Create(name, &log));
        c.back()->RegisterForNotification(d, kPing, 0);
    }
    RCPtr<LNotification> outer = Make(kPing);
    RCPtr<LNotification> inner = Make(kPing);
    // During the outer send, D sends again; in the nested send, C removes A.
    c[3]->action = [&](Recorder&, auto&, const RCPtr<LNotification>& n) {
        if (n == outer)
            d->SendNotification(inner);
    };
    c[2]->action = [&](Recorder&, auto&, const RCPtr<LNotification>& n) {
        if (n == inner)
            c[0]->UnregisterForNotification(d, kPing);
    };
    d->SendNotification(outer);
    EXPECT_EQ(log, (Log{"D", "D", "C", "B", "C", "B"}));
    for (auto& r : c)
        r->UnregisterFromAll();
}

TEST(NotificationSend, ExceptionsFromAReceiverPassThroughAndLeaveNothingHeld)
{
    Log log;
    auto d = Distributor::Create();
    auto p = Recorder::Create("P", &log);
    auto q = Recorder::Create("Q", &log);
    p->RegisterForNotification(d, kPing, 0);
    q->RegisterForNotification(d, kPing, 0);
    q->action = [&](Recorder& self, auto&, auto&) {
        self.UnregisterForNotification(d, kPing);
        throw std::runtime_error("receiver failed");
    };
    const int32_t before = d->GetRefCount();
    EXPECT_THROW(d->SendNotification(Make(kPing)), std::runtime_error);
    EXPECT_EQ(log, (Log{"Q"}));
    // The removed registration was released when the send ended.
    EXPECT_EQ(q->GetRefCount(), 1);
    EXPECT_EQ(d->GetRefCount(), before - 1);
    log.clear();
    d->SendNotification(Make(kPing));
    EXPECT_EQ(log, (Log{"P"}));
    p->UnregisterFromAll();
}

TEST(NotificationRegistration, RegisteringTwiceKeepsOneRegistrationWithTheNewFlags)
{
    Log log;
    auto d = Distributor::Create();
    auto p = Recorder::Create("P", &log);
    ASSERT_NE(p->RegisterForNotification(d, kPing, 0), nullptr);
    ASSERT_NE(p->RegisterForNotification(d, kPing, 0), nullptr);
    EXPECT_EQ(p->GetRegistrationCount(), 1);
    EXPECT_EQ(d->GetRegistrationCount(), 1);
    EXPECT_EQ(p->GetDistributorCount(), 1u);
    EXPECT_EQ(d->RegisterClient(p, kPing, 6), KX::S_FALSE);
    uint32_t flags = 0;
    EXPECT_EQ(d->GetClientRegistrationData(p, kPing, flags), KX::S_OK);
    EXPECT_EQ(flags, 6u);
    EXPECT_EQ(d->FindClientPool(KX::GetNotificationID(kPing))->GetFlagsSummary(), 6u);
    EXPECT_EQ(d->GetClientRegistrationData(p, kOther, flags), KX::E_FAIL);
    EXPECT_EQ(d->GetClientRegistrationData(p, u"", flags), KX::E_FAIL);

    EXPECT_EQ(p->RegisterForNotification(nullptr, kPing, 0), nullptr);
    EXPECT_EQ(p->RegisterForNotification(d, u"", 0), nullptr);
    EXPECT_EQ(d->RegisterClient(nullptr, kPing, 0), KX::E_INVALIDARG);
    EXPECT_EQ(d->RegisterClient(p, nullptr, 0), KX::S_FALSE);

    EXPECT_EQ(p->UnregisterForNotification(d, kOther), KX::S_FALSE);
    EXPECT_EQ(p->UnregisterForNotification(nullptr, kPing), KX::E_INVALIDARG);
    EXPECT_EQ(p->UnregisterForNotification(d, u""), KX::E_INVALIDARG);
    EXPECT_EQ(p->UnregisterForNotification(d, kPing), KX::S_OK);
    EXPECT_EQ(p->UnregisterForNotification(d, kPing), KX::S_FALSE); // none left at all
    EXPECT_EQ(p->GetDistributorCount(), 0u);
}

TEST(NotificationRegistration, ALatestPostedOnlyRegistrationIsNeverCalledByAPlainSend)
{
    Log log;
    auto d = Distributor::Create();
    auto p = Recorder::Create("P", &log);
    auto q = Recorder::Create("Q", &log);
    p->RegisterForNotification(d, kPing, 0);
    q->RegisterForNotification(d, kPing, LNotificationDistributor::kLatestPostedOnly);
    d->SendNotification(Make(kPing));
    EXPECT_EQ(log, (Log{"P"}));
    p->UnregisterFromAll();
    q->UnregisterFromAll();
}

TEST(NotificationRegistration, ReferenceBookkeepingReturnsToItsStartingPoint)
{
    auto d = Distributor::Create();
    auto p = Recorder::Create("P", nullptr);
    auto q = Recorder::Create("Q", nullptr);
    const uint32_t active = LNotificationDistributor::GetActiveDistributorCount();
    EXPECT_EQ(d->GetRefCount(), 1);
    EXPECT_EQ(d->GetInternalRefCount(), 0);

    p->RegisterForNotification(d, kPing, 0);
    p->RegisterForNotification(d, kOther, 0);
    q->RegisterForNotification(d, kPing, 0);
    // Three registrations and the active list.
    EXPECT_EQ(d->GetRefCount(), 5);
    EXPECT_EQ(d->GetInternalRefCount(), 4);
    EXPECT_EQ(p->GetRefCount(), 3);
    EXPECT_EQ(p->GetInternalRefCount(), 2);
    EXPECT_EQ(LNotificationDistributor::GetActiveDistributorCount(), active + 1);
    EXPECT_TRUE(d->IsClientRegistered(p));

    EXPECT_EQ(p->UnregisterFromAll(), 2);
    EXPECT_EQ(p->GetRefCount(), 1);
    EXPECT_EQ(p->GetInternalRefCount(), 0);
    EXPECT_FALSE(d->IsClientRegistered(p));
    EXPECT_EQ(q->UnregisterForNotification(d, kPing), KX::S_OK);
    EXPECT_EQ(d->GetRefCount(), 1);
    EXPECT_EQ(d->GetInternalRefCount(), 0);
    EXPECT_EQ(LNotificationDistributor::GetActiveDistributorCount(), active);
}

TEST(NotificationRegistration, AClientWhoseLastOutsideHolderGoesDropsItsRegistrationsAndIsFreed)
{
    Log log;
    auto d = Distributor::Create();
    bool destroyed = false;
    struct Watched : Recorder {
        Watched(Log* log, bool* flag) : Recorder("W", log), destroyed(flag) {}
        ~Watched() override { *destroyed = true; }
        bool* destroyed;
    };
    {
        RCPtr<Watched> w(new Watched(&log, &destroyed));
        w->RegisterForNotification(d, kPing, 0);
        w->RegisterForNotification(d, kOther, 0);
    }
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(d->GetRegistrationCount(), 0);
    EXPECT_EQ(d->GetRefCount(), 1);
    EXPECT_EQ(d->SendNotification(Make(kPing)), KX::S_FALSE);
}

TEST(NotificationRegistration, UnregisterAllClientsAsksEveryReceiver)
{
    Log log;
    auto d = Distributor::Create();
    auto p = Recorder::Create("P", &log);
    auto q = Recorder::Create("Q", &log);
    p->RegisterForNotification(d, kPing, 0);
    p->RegisterForNotification(d, kOther, 0);
    q->RegisterForNotification(d, kPing, 0);
    // A posting receiver refuses to go this way.
    auto queue = KX::LNotificationQueue::Create();
    ASSERT_EQ(d->RegisterClient(queue->GetReceiver(), kPing, 0), KX::S_OK);

    EXPECT_EQ(d->UnregisterAllClients(), KX::S_OK);
    EXPECT_EQ(p->GetRegistrationCount(), 0);
    EXPECT_EQ(q->GetRegistrationCount(), 0);
    EXPECT_EQ(p->GetInternalRefCount(), 0);
    EXPECT_EQ(d->GetRegistrationCount(), 1);
    EXPECT_TRUE(d->IsClientRegistered(queue->GetReceiver()));
    EXPECT_EQ(d->UnregisterClient(queue->GetReceiver(), kPing), KX::S_OK);
    EXPECT_EQ(d->UnregisterClient(queue->GetReceiver(), kPing), KX::S_FALSE);
    EXPECT_EQ(d->UnregisterClient(nullptr, kPing), KX::E_INVALIDARG);
    EXPECT_EQ(d->GetRefCount(), 1);
    queue->Detach();
}

TEST(NotificationRegistration, DeliverToClientRoutesOneRegistrationAtATime)
{
    Log log;
    auto d = Distributor::Create();
    auto p = Recorder::Create("P", &log);
    auto q = Recorder::Create("Q", &log);
    auto r = Recorder::Create("R", &log);
    p->RegisterForNotification(d, kPing, 0);
    q->RegisterForNotification(d, kPing, LNotificationDistributor::kLatestPostedOnly);
    r->RegisterForNotification(d, kPing, 0);
    auto pool = d->FindClientPool(KX::GetNotificationID(kPing));
    ASSERT_TRUE(pool);
    EXPECT_FALSE(d->FindClientPool(KX::GetNotificationID(u"NID_TEST_NEVER_REGISTERED")));
    RCPtr<LNotification> n = Make(kPing);

    EXPECT_EQ(d->DeliverToClient(pool, d, 0, n), 0);
    EXPECT_EQ(d->DeliverToClient(pool, d, 1, n), 1); // latest-posted-only: skipped
    EXPECT_EQ(log, (Log{"P"}));
    // R removes P (below it) while being called: the returned position moves down.
    r->action = [&](Recorder&, auto&, auto&) { p->UnregisterForNotification(d, kPing); };
    EXPECT_EQ(d->DeliverToClient(pool, d, 2, n), 1);
    EXPECT_EQ(d->DeliverToClient(pool, d, 7, n), 7);
    q->UnregisterFromAll();
    r->UnregisterFromAll();
}

// A client with handlers at two class levels, chained as the controls do.
class BaseClient : public KX::LNotificationClient {
public:
    BaseClient() : m_baseHandler(new KX::LNotificationHandler<BaseClient>(this)) {}

    KX::KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override
    {
        return m_baseHandler->Receive(from, n);
    }
    KX::KXRESULT OnBasePing(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
    {
        log.push_back("base ping");
        return 1;
    }
    KX::KXRESULT OnBaseOther(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
    {
        log.push_back("base other");
        return 1;
    }

    RCPtr<KX::LNotificationHandler<BaseClient>> m_baseHandler;
    Log log;
};

class DerivedClient : public BaseClient {
public:
    DerivedClient() : m_handler(new KX::LNotificationHandler<DerivedClient>(this)) {}

    KX::KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override
    {
        const KX::KXRESULT r = m_handler->Receive(from, n);
        return r != 0 ? r : BaseClient::Receive(from, n);
    }
    KX::KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override
    {
        m_handler->RemoveDistributorHandler(d, name);
        m_baseHandler->RemoveDistributorHandler(d, name);
        return BaseClient::UnregisterForNotification(d, name);
    }
    KX::KXRESULT OnPing(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
    {
        log.push_back("derived ping");
        return 2;
    }
    KX::KXRESULT OnPingSecond(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
    {
        // Short enough for the string's own buffer: GCC 12 at -O3 misreads the copy of a longer literal here.
        log.push_back("derived second");
        return 2;
    }
    KX::KXRESULT OnDirect(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
    {
        log.push_back(n->GetPayload() ? "direct with payload" : "direct");
        return 3;
    }

    RCPtr<KX::LNotificationHandler<DerivedClient>> m_handler;
};

TEST(NotificationHandler, BindingsChainsAndRemoval)
{
    auto d = Distributor::Create();
    auto e = Distributor::Create();
    RCPtr<DerivedClient> c(new DerivedClient());
    EXPECT_EQ(c->m_handler->AddDistributorHandler(&DerivedClient::OnPing, d, kPing, 0), KX::S_OK);
    // The first binding for a key stays.
    EXPECT_EQ(c->m_handler->AddDistributorHandler(&DerivedClient::OnPingSecond, d, kPing, 0), KX::S_OK);
    EXPECT_EQ(c->m_handler->GetBindingCount(), 1u);
    EXPECT_EQ(c->m_baseHandler->AddHandler(&BaseClient::OnBasePing, d, kPing, 0), KX::S_OK);
    EXPECT_EQ(c->m_baseHandler->AddHandler(&BaseClient::OnBaseOther, d, kOther, 0), KX::S_OK);
    EXPECT_EQ(c->m_baseHandler->AddHandler(&BaseClient::OnBaseOther, e, kPing, 0), KX::S_OK);
    EXPECT_EQ(c->m_handler->AddDistributorHandler(&DerivedClient::OnPing, nullptr, kPing, 0), KX::E_INVALIDARG);
    EXPECT_EQ(c->m_handler->AddDistributorHandler(&DerivedClient::OnPing, d, u"", 0), KX::E_FAIL);
    EXPECT_EQ(c->m_handler->AddObjectHandler(&DerivedClient::OnDirect, u""), KX::E_FAIL);
    EXPECT_EQ(c->m_handler->AddObjectHandler(&DerivedClient::OnDirect, kPing), KX::S_OK);
    EXPECT_EQ(c->GetRegistrationCount(), 3);

    // The derived level answers non-zero: the base level is not asked.
    d->SendNotification(Make(kPing));
    EXPECT_EQ(c->log, (Log{"derived ping"}));
    // No derived binding: the base level is.
    c->log.clear();
    d->SendNotification(Make(kOther));
    e->SendNotification(Make(kPing)); // the key includes the distributor
    EXPECT_EQ(c->log, (Log{"base other", "base other"}));
    // Handed over without a distributor.
    c->log.clear();
    KX::SendNotificationTo(c, kPing, RCPtr<kxtest::Payload>(new kxtest::Payload(1)));
    KX::SendNotificationTo(nullptr, kPing, nullptr);
    KX::SendNotificationTo(c, u"", nullptr);
    EXPECT_EQ(c->log, (Log{"direct with payload"}));
    EXPECT_EQ(c->m_handler->Receive(d, Make(u"NID_TEST_UNBOUND")), KX::S_OK);

    // Unregistering through the chain removes the bindings of every level.
    c->log.clear();
    EXPECT_EQ(c->UnregisterForNotification(d, kPing), KX::S_OK);
    EXPECT_FALSE(c->m_handler->RemoveDistributorHandler(d, kPing));
    EXPECT_FALSE(c->m_handler->IsBound(d.Get(), kPing));
    EXPECT_TRUE(c->m_baseHandler->IsBound(d.Get(), kOther)) << "only the unregistered name went";
    EXPECT_EQ(d->SendNotification(Make(kPing)), KX::S_FALSE);
    EXPECT_EQ(c->m_handler->Receive(d, Make(kPing)), KX::S_OK);
    EXPECT_TRUE(c->log.empty());
    c->UnregisterFromAll();
}

TEST(NotificationHandler, AutoDisablerSilencesOneBindingWhileItLivesAndNests)
{
    auto d = Distributor::Create();
    RCPtr<DerivedClient> c(new DerivedClient());
    ASSERT_EQ(c->m_handler->AddDistributorHandler(&DerivedClient::OnPing, d, kPing, 0), KX::S_OK);
    ASSERT_EQ(c->m_handler->AddDistributorHandler(&DerivedClient::OnPingSecond, d, kOther, 0), KX::S_OK);
    {
        KX::CAutoNotificationDisabler<DerivedClient> outer(c->m_handler, d.Get(), kPing);
        {
            KX::CAutoNotificationDisabler<DerivedClient> inner(c->m_handler, d.Get(), kPing);
        }
        d->SendNotification(Make(kPing)); // still silenced by the outer one
        d->SendNotification(Make(kOther));
    }
    d->SendNotification(Make(kPing));
    EXPECT_EQ(c->log, (Log{"derived second", "derived ping"}));
    // A binding that does not exist is refused with the failed-result exception.
    EXPECT_FALSE(c->m_handler->IsBound(d.Get(), u"NID_TEST_UNBOUND"));
    EXPECT_FALSE(c->m_handler->IsBound(nullptr, kPing)) << "the key includes the distributor";
    EXPECT_THROW(KX::CAutoNotificationDisabler<DerivedClient>(c->m_handler, d.Get(), u"NID_TEST_UNBOUND"),
                 std::exception);
    EXPECT_EQ(c->m_handler->EnableNotification(d.Get(), kPing), KX::E_FAIL) << "not disabled";
    c->UnregisterFromAll();
}

TEST(NotificationCentres, TheManagerFindsCentresByNameAndCreatesThemOnce)
{
    {
        auto manager = KX::LNotificationCenterManager::GetInstance();
        EXPECT_EQ(manager, KX::LNotificationCenterManager::GetInstance());
        auto app = KX::GetNotificationQueue();
        ASSERT_TRUE(app);
        EXPECT_TRUE(app->GetName() == KX::WString(u"application"));
        EXPECT_EQ(manager->GetCenter(KX::WString(u"application")), app);
        EXPECT_FALSE(manager->GetCenter(KX::WString()));
        EXPECT_FALSE(manager->FindCenter(KX::WString(u"Application")));
        const uint32_t count = manager->GetCenterCount();
        auto other = manager->GetCenter(KX::WString(u"other"));
        EXPECT_NE(other, app);
        EXPECT_EQ(manager->GetCenterCount(), count + 1);
        EXPECT_EQ(other->GetQueue()->GetDistributor().Get(), other.Get());
    }
    KX::LNotificationCenterManager::ClearInstance();
    EXPECT_EQ(KX::LNotificationCenterManager::GetInstance()->GetCenterCount(), 0u);
    KX::LNotificationCenterManager::ClearInstance();
}

TEST(NotificationCentres, ClearingTheManagerTearsDownCentresWithTheirRegistrations)
{
    bool destroyed = false;
    struct Watched : Recorder {
        explicit Watched(bool* flag) : Recorder("W", nullptr), destroyed(flag) {}
        ~Watched() override { *destroyed = true; }
        bool* destroyed;
    };
    RCPtr<Watched> w(new Watched(&destroyed));
    auto forwarding = KX::LNotificationQueue::Create();
    {
        auto app = KX::GetNotificationQueue();
        w->RegisterForNotification(app, kPing, 0);
        EXPECT_FALSE(KX::Failed(app->RegisterClient(forwarding->GetReceiver(), kPing, 0)));
        ASSERT_EQ(app->GetQueue()->PostNotification(Make(kPing)), KX::S_OK);
    }
    KX::LNotificationCenterManager::ClearInstance();
    // The centre went: the client's registration and the posting receiver's with it.
    EXPECT_EQ(w->GetRegistrationCount(), 0);
    EXPECT_EQ(w->GetRefCount(), 1);
    EXPECT_EQ(forwarding->GetReceiver()->GetRefCount(), 2); // the queue's and ours
    w = nullptr;
    EXPECT_TRUE(destroyed);
    forwarding->Detach();
}

} // namespace
