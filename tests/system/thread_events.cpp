// Events, gates and event pools on one thread: reset modes, timed waits, wait-any.
#include "kx/Event.h"
#include "kx/EventPool.h"

#include <gtest/gtest.h>

namespace {

TEST(ThreadEvents, TimedWaitReturnsZeroWhenSignalledAnd258OnTimeOut)
{
    KX::Event event(true);
    EXPECT_EQ(event.Wait(0), KX::WAIT_TIMEOUT);
    EXPECT_EQ(event.Wait(20), 258u);
    ASSERT_TRUE(event.Set());
    EXPECT_EQ(event.Wait(20), 0u);
}

TEST(ThreadEvents, AutoResetEventIsConsumedByOneWait)
{
    KX::Event event(true);
    event.Signal();
    EXPECT_TRUE(event.IsSet());
    // IsSet is a zero wait: it took the signal.
    EXPECT_FALSE(event.IsSet());
    event.Set();
    event.Set(); // a second set on a signalled event adds nothing
    EXPECT_EQ(event.Wait(0), KX::WAIT_OBJECT_0);
    EXPECT_EQ(event.Wait(0), KX::WAIT_TIMEOUT);
}

TEST(ThreadEvents, ManualResetGateStaysOpenUntilClosed)
{
    KX::TrafficLight gate;
    EXPECT_FALSE(gate.IsSet()); // created closed
    gate.Set();
    EXPECT_EQ(gate.Wait(0), KX::WAIT_OBJECT_0);
    EXPECT_EQ(gate.Wait(10), KX::WAIT_OBJECT_0);
    EXPECT_TRUE(gate.IsSet());
    EXPECT_TRUE(gate.Reset());
    EXPECT_EQ(gate.Wait(10), KX::WAIT_TIMEOUT);
    EXPECT_EQ(gate.GetWaiterCount(), 0);
}

TEST(ThreadEvents, SharedEventIsAutoResetWhateverTheFlag)
{
    for (int32_t flag : {0, 1}) {
        KX::RCPtr<KX::LEvent> event = KX::LEvent::Create(flag);
        ASSERT_TRUE(event);
        EXPECT_EQ(event->GetRefCount(), 1);
        EXPECT_FALSE(event->IsSet());
        event->Set();
        EXPECT_EQ(event->Wait(0), KX::WAIT_OBJECT_0);
        EXPECT_EQ(event->Wait(0), KX::WAIT_TIMEOUT);
        event->Signal();
        event->Reset();
        EXPECT_EQ(event->Wait(5), KX::WAIT_TIMEOUT);
    }
}

TEST(ThreadEventPool, WaitAnyGivesTheLowestSignalledIndexAndConsumesOnlyIt)
{
    KX::EventPool pool(4);
    ASSERT_EQ(pool.GetCount(), 4u);
    pool.GetEvent(3)->Set();
    pool.GetEvent(1)->Set();
    EXPECT_EQ(pool.WaitAny(0), 1);
    EXPECT_EQ(pool.WaitAny(0), 3);
    EXPECT_EQ(pool.WaitAny(0), -1);
}

TEST(ThreadEventPool, TimeOutIsMinusOneNot258)
{
    KX::EventPool pool(2);
    EXPECT_EQ(pool.WaitAny(0), -1);
    EXPECT_EQ(pool.WaitAny(15), -1);
    EXPECT_EQ(pool.GetWaiterCount(), 0);
}

TEST(ThreadEventPool, EventsAreSharedAndOutliveThePool)
{
    KX::RCPtr<KX::LEvent> kept;
    {
        KX::EventPool pool(2);
        EXPECT_FALSE(pool.GetEvent(2)); // out of range: null
        kept = pool.GetEvent(0);
        EXPECT_EQ(kept.Get(), pool.GetEvent(0).Get());
        kept->Set();
        EXPECT_EQ(pool.WaitAny(0), 0);
    }
    kept->Set();
    EXPECT_TRUE(kept->IsSet());
    EXPECT_EQ(kept->GetRefCount(), 1);
}

TEST(ThreadEventPool, EmptyPoolOrTooManyEventsFailsAsMinusOne)
{
    KX::EventPool none(0);
    EXPECT_EQ(none.WaitAny(0), -1);
    KX::EventPool many(65);
    many.GetEvent(0)->Set();
    EXPECT_EQ(many.WaitAny(0), -1);
}

} // namespace
