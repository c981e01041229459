// The device communication's delivery thread: order, waiting for drains, and teardown from
// either side of the thread.
#include "DevCommReceiver.h"
#include "DevCommSupport.h"

#include "engine/DeviceCommunicationInterface.h"
#include "kx/KXResult.h"
#include "kx/ParamValues.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

using namespace devcommtest;
namespace DC = KX::DeviceControl;

KX::WString LibraryInProgramFolder()
{
    return KX::WString(LibraryPath().c_str());
}

KX::ParamValues OneValue(int32_t id, uint8_t marker)
{
    const KX::ParamValue v(KX::ParamDescriptor(id), Bytes({marker, 0, 0, 0, 0, 127}));
    return KX::ParamValues(&v, 1);
}

// Holds the delivering thread inside the receiver until opened.
struct Latch {
    std::mutex lock;
    std::condition_variable changed;
    bool entered = false;
    bool open = false;
    std::atomic<bool> left{false};

    void Block()
    {
        std::unique_lock<std::mutex> guard(lock);
        entered = true;
        changed.notify_all();
        changed.wait(guard, [this] { return open; });
        left.store(true);
    }
    bool WaitEntered()
    {
        std::unique_lock<std::mutex> guard(lock);
        return changed.wait_for(guard, std::chrono::seconds(20), [this] { return entered; });
    }
    void Open()
    {
        std::lock_guard<std::mutex> guard(lock);
        open = true;
        changed.notify_all();
    }
};

class DeliveryThread : public ::testing::Test {
protected:
    void SetUp() override
    {
        comm = LDeviceCommunicationInterface::Create(LibraryInProgramFolder());
        comm->SetReceiver(&receiver);
        comm->SetDeliveryEnabled(true);
    }

    // Blocks the delivery thread in the receiver with a first list.
    void HoldDeliveryThread()
    {
        receiver.onDelivery = [this] { latch.Block(); };
        const KX::ParamValues first = OneValue(45, 0);
        LDeviceCommunicationInterface::OnParamValues(comm.Get(), nullptr, &first);
        ASSERT_TRUE(latch.WaitEntered());
    }

    TestReceiver receiver;
    Latch latch;
    KX::RCPtr<LDeviceCommunicationInterface> comm;
};

TEST_F(DeliveryThread, ListsQueuedDuringADrainFollowInArrivalOrder)
{
    HoldDeliveryThread();
    // The library's thread keeps reporting meanwhile.
    std::thread reporter([this] {
        for (uint8_t i = 1; i <= 10; ++i) {
            const KX::ParamValues list = OneValue(45 + i, i);
            LDeviceCommunicationInterface::OnParamValues(comm.Get(), nullptr, &list);
        }
    });
    reporter.join();
    latch.Open();
    ASSERT_TRUE(receiver.WaitForCount(11));
    const auto deliveries = receiver.Deliveries();
    ASSERT_EQ(deliveries.size(), 11u);
    const uint32_t thread = comm->GetDeliveryThread()->GetId();
    for (uint8_t i = 0; i <= 10; ++i) {
        ASSERT_EQ(deliveries[i].values.size(), 1u);
        EXPECT_EQ(deliveries[i].values[0].descriptor.id, 45 + i);
        EXPECT_EQ(deliveries[i].thread, thread);
    }
}

TEST_F(DeliveryThread, TurningDeliveryOffWaitsForTheRunningDrain)
{
    HoldDeliveryThread();
    std::atomic<bool> returned{false};
    bool leftFirst = false;
    std::thread switcher([&] {
        comm->SetDeliveryEnabled(false);
        leftFirst = latch.left.load();
        returned.store(true);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned.load());
    latch.Open();
    switcher.join();
    EXPECT_TRUE(leftFirst);
}

TEST_F(DeliveryThread, ReleaseWaitsForTheRunningDrain)
{
    const int before = ThreadCount();
    HoldDeliveryThread();
    std::atomic<bool> returned{false};
    bool leftFirst = false;
    std::thread releaser([&] {
        comm = nullptr;
        leftFirst = latch.left.load();
        returned.store(true);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned.load());
    latch.Open();
    releaser.join();
    EXPECT_TRUE(leftFirst);
    EXPECT_TRUE(WaitForThreadCount(before - 1));
}

TEST_F(DeliveryThread, LastReleaseOnTheDeliveryThreadDoesNotWaitForItself)
{
    Library& lib = Library::Get();
    ASSERT_TRUE(lib.Complete());
    ASSERT_EQ(comm->CreateClient(), KX::S_OK);
    ASSERT_EQ(comm->ConnectDevice(KX::Variant()), 0);
    const int withThreads = ThreadCount();

    // The receiver's owner lets go of the last outside reference while a list is delivered.
    std::atomic<bool> released{false};
    receiver.onDelivery = [&] {
        comm = nullptr;
        released.store(true);
    };
    ASSERT_EQ(comm->RequestParamValue(KX::ParamDescriptor(kParamIdStatusText)), 0);
    for (int i = 0; i < 20000 && !released.load(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(released.load());
    // Both the delivery thread and the library's reporting thread end; the library was
    // disconnected and released (as our own handle shows).
    EXPECT_TRUE(WaitForThreadCount(withThreads - 2));
    for (int i = 0; i < 20000 && lib.IsDeviceConnected(nullptr) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(lib.IsDeviceConnected(nullptr), DC::kNotConnected);
    EXPECT_EQ(receiver.Deliveries().size(), 1u);
}

TEST_F(DeliveryThread, ReportsFromSeveralThreadsKeepTheirOrder)
{
    constexpr int kReporters = 4;
    constexpr int kLists = 100;
    std::vector<std::thread> reporters;
    for (int r = 0; r < kReporters; ++r) {
        reporters.emplace_back([this, r] {
            for (int i = 0; i < kLists; ++i) {
                const KX::ParamValues list = OneValue(r, static_cast<uint8_t>(i));
                LDeviceCommunicationInterface::OnParamValues(comm.Get(), nullptr, &list);
                if (i % 10 == 0)
                    comm->Synchronize();
            }
        });
    }
    for (std::thread& t : reporters)
        t.join();
    ASSERT_TRUE(receiver.WaitForCount(kReporters * kLists));
    std::vector<int> next(kReporters, 0);
    for (const auto& d : receiver.Deliveries()) {
        ASSERT_EQ(d.values.size(), 1u);
        const int r = d.values[0].descriptor.id;
        uint32_t n = 0;
        const uint8_t* bytes = d.values[0].value.GetData(n);
        ASSERT_EQ(n, 6u);
        EXPECT_EQ(bytes[0], next[r]) << "reporter " << r;
        ++next[r];
    }
}

} // namespace
