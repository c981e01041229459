// Initialising a control: create parameters, tool tip, and the deferred removal of children with
// its idle subscription at a real root window.
#include "KeyFakes.h"

#include "kx/ui/ControlDescriptor.h"

#include <gtest/gtest.h>

using namespace KX;
using keytest::Log;

namespace {

// A child whose deferred removal takes it out of its parent, optionally queueing another.
class Removable : public uitest::TestControl {
public:
    Removable(const RCPtr<LControl>& parent, const char16_t* name, Log* log)
        : uitest::TestControl(parent, name, nullptr), m_log(log), m_tag(keytest::Narrow(WString(name)))
    {
    }
    KXRESULT FinishDeferredRemoval() override
    {
        m_log->push_back(m_tag + ": removed");
        RCPtr<LControl> parent = GetParent();
        SetParent(nullptr);
        if (parent && queueNext)
            parent->RemoveChildDeferred(queueNext);
        if (parent && flushAgain)
            parent->FlushPendingChildren();
        return S_OK;
    }
    RCPtr<LControl> queueNext;
    bool flushAgain = false;

private:
    Log* m_log;
    std::string m_tag;
};

RCPtr<LControlDescriptor> WithParams(std::initializer_list<std::pair<const char16_t*, const char16_t*>> entries)
{
    RCPtr<LControlDescriptor> descriptor(new LControlDescriptor(WString(u"X"), WString(u"x"), nullptr));
    RCPtr<LStringTable> params(new LStringTable());
    for (const auto& [k, v] : entries)
        params->SetString(WString(k), WString(v));
    descriptor->SetCreateParams(params);
    return descriptor;
}

class ControlInit : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = LRootWindow::Create(nullptr, &services);
        main = rwtest::MakeRecorder(nullptr, u"main", nullptr, 0, 0, 320, 200);
        window->AttachMainControl(main);
        main->SetBuilt();
        main->Initialize();
    }
    void TearDown() override
    {
        main = nullptr;
        window = nullptr;
    }
    RCPtr<uitest::TestControl> Child(const char16_t* name, int32_t tabStop = 0)
    {
        RCPtr<uitest::TestControl> c = uitest::Make(main, name, 0, 0, 40, 20);
        c->GetLayout()->tabStop = tabStop;
        return c;
    }

    rwtest::FakeServices services;
    Log log;
    RCPtr<LRootWindow> window;
    RCPtr<rwtest::Recorder> main;
};

} // namespace

TEST_F(ControlInit, NotFocusableCountsOnlyTheWordTrueAndDefaultsToTheTabStopSign)
{
    RCPtr<uitest::TestControl> shouting = Child(u"shouting");
    shouting->AdoptDescriptor(ConstRCPtr<LControlDescriptor>(WithParams({{u"NOT_FOCUSABLE", u" \tTRUE\r\n"}})));
    shouting->Initialize();
    EXPECT_TRUE(shouting->IsNotFocusable(false));

    RCPtr<uitest::TestControl> digit = Child(u"digit");
    digit->AdoptDescriptor(ConstRCPtr<LControlDescriptor>(WithParams({{u"NOT_FOCUSABLE", u"1"}})));
    digit->Initialize();
    EXPECT_FALSE(digit->IsNotFocusable(false));

    RCPtr<uitest::TestControl> negative = Child(u"negative", -3), zero = Child(u"zero", 0);
    negative->AdoptDescriptor(ConstRCPtr<LControlDescriptor>(WithParams({})));
    negative->Initialize();
    zero->Initialize(); // no descriptor at all
    EXPECT_TRUE(negative->IsNotFocusable(false));
    EXPECT_FALSE(zero->IsNotFocusable(false));
}

TEST_F(ControlInit, InitialValueIsParsedWithoutLocaleAndSendsTheValueNotification)
{
    RCPtr<uitest::TestControl> c = Child(u"c");
    c->SetBuilt();
    RCPtr<keytest::LogClient> client(new keytest::LogClient(&log, "c"));
    client->RegisterForNotification(RCPtr<LNotificationDistributor>(c), u"NID_VALUE_CHANGE", 0);
    c->AdoptDescriptor(ConstRCPtr<LControlDescriptor>(
        WithParams({{u"INITIAL_VALUE", u"0.25"}, {u"USE_PARENT_TOOLTIP", u"true"}, {u"WANTS_TAB", u"yes"}})));
    c->Initialize();
    EXPECT_EQ(c->GetNormalizedValue(), 0.25);
    EXPECT_EQ(log, (Log{"c: NID_VALUE_CHANGE"}));
    EXPECT_TRUE(c->UsesParentToolTip());
    EXPECT_FALSE(c->WantsTab());

    RCPtr<uitest::TestControl> junk = Child(u"junk");
    junk->SetNormalizedValue(0.5);
    junk->AdoptDescriptor(ConstRCPtr<LControlDescriptor>(WithParams({{u"INITIAL_VALUE", u"half"}})));
    junk->Initialize();
    EXPECT_EQ(junk->GetNormalizedValue(), 0.0);
    client->UnregisterFromAll();
}

TEST_F(ControlInit, ToolTipComesFromTheStringTableAndAMissingEntryKeepsTheText)
{
    RCPtr<uitest::TestControl> c = Child(u"c");
    keytest::GiveStrings(*c, {{u"TOOLTIP", u"Load a preset"}});
    c->Initialize();
    EXPECT_EQ(keytest::Narrow(c->GetToolTipText()), "Load a preset");
    keytest::GiveStrings(*c, {{u"LABEL", u"x"}});
    c->Initialize();
    EXPECT_EQ(keytest::Narrow(c->GetToolTipText()), "Load a preset");
}

TEST_F(ControlInit, DeferredRemovalsShareOneIdleSubscriptionAndAllGoOnFlush)
{
    RCPtr<Removable> one(new Removable(main, u"one", &log)), two(new Removable(main, u"two", &log));
    one->PerformLayout();
    two->PerformLayout();
    const int32_t registrations = keytest::ClientRegistrations(*main);
    ASSERT_EQ(main->RemoveChildDeferred(one), S_OK);
    ASSERT_EQ(main->RemoveChildDeferred(two), S_OK);
    EXPECT_EQ(main->GetIdleSubscriptionCount(), 1);
    EXPECT_EQ(keytest::ClientRegistrations(*main), registrations + 1) << "NID_IDLE at the root window";
    EXPECT_FALSE(one->GetLayout()->visible);
    EXPECT_EQ(one->GetParent().Get(), main.Get()) << "still a child until the idle pass";

    EXPECT_EQ(main->FlushPendingChildren(), S_OK);
    EXPECT_EQ(log, (Log{"one: removed", "two: removed"}));
    EXPECT_EQ(main->GetChildren().GetCount(), 0u);
    EXPECT_EQ(main->GetIdleSubscriptionCount(), 0);
    EXPECT_EQ(keytest::ClientRegistrations(*main), registrations);
    EXPECT_EQ(main->FlushPendingChildren(), S_OK) << "nothing pending";
    EXPECT_EQ(main->GetIdleSubscriptionCount(), 0) << "never below zero";
}

TEST_F(ControlInit, TheIdlePassOfTheRootWindowRemovesTheChildrenAndKeepsTheParent)
{
    RCPtr<Removable> one(new Removable(main, u"one", &log));
    main->RemoveChildDeferred(one);
    window->ProcessQueue(true); // sends "NID_IDLE"
    EXPECT_EQ(log, (Log{"one: removed"}));
    EXPECT_EQ(main->GetIdleSubscriptionCount(), 0);
    EXPECT_EQ(window->GetMainControl().Get(), main.Get());
    EXPECT_EQ(main->GetTopLevelOwnerSlot().Get(), static_cast<IRootWindow*>(window.Get()));
}

TEST_F(ControlInit, ARemovalQueuedDuringTheFlushKeepsTheSubscriptionForTheNextPass)
{
    RCPtr<Removable> one(new Removable(main, u"one", &log)), two(new Removable(main, u"two", &log));
    one->queueNext = two;
    main->RemoveChildDeferred(one);
    main->FlushPendingChildren();
    EXPECT_EQ(main->GetPendingRemovalCount(), 1u);
    EXPECT_EQ(main->GetIdleSubscriptionCount(), 1);
    main->FlushPendingChildren();
    EXPECT_EQ(log, (Log{"one: removed", "two: removed"}));
    EXPECT_EQ(main->GetIdleSubscriptionCount(), 0);
}

TEST_F(ControlInit, ARemovalThatFlushesAgainFinishesEveryChildOnce)
{
    RCPtr<Removable> one(new Removable(main, u"one", &log)), two(new Removable(main, u"two", &log));
    one->flushAgain = true; // used to finish "one" again and again until the stack ran out
    main->RemoveChildDeferred(one);
    main->RemoveChildDeferred(two);
    main->FlushPendingChildren();
    EXPECT_EQ(log, (Log{"one: removed", "two: removed"}));
    EXPECT_EQ(main->GetPendingRemovalCount(), 0u);
    EXPECT_EQ(main->GetIdleSubscriptionCount(), 0);
}

TEST_F(ControlInit, RemovalOfAControlThatIsNotAChildIsRefused)
{
    RCPtr<uitest::TestControl> c = Child(u"c");
    RCPtr<uitest::TestControl> grandchild = uitest::Make(c, u"g", 0, 0, 5, 5);
    EXPECT_EQ(main->RemoveChildDeferred(grandchild), E_INVALIDARG);
    EXPECT_EQ(main->RemoveChildDeferred(nullptr), E_INVALIDARG);
    EXPECT_EQ(main->GetIdleSubscriptionCount(), 0);
    EXPECT_TRUE(grandchild->GetLayout()->visible);
    EXPECT_EQ(main->GetChildren().Remove(grandchild.Get()), -1);
    EXPECT_EQ(c->GetChildren().GetCount(), 1u);
}
