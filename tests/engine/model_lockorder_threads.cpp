// The model's locks under load: pseudo-parameter reads, echoes, sets and deliveries from
// different threads at once must all finish (no lock taken in two orders).
#include "DevCommSupport.h"

#include "engine/DeviceCommunicationInterface.h"
#include "engine/ParamCache.h"
#include "engine/RootModule.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace {

std::atomic<int> g_echoReports{0};
std::atomic<int> g_reports{0};

int32_t CountReports(void*, const KX::IArray<KX::ParamValue>& values)
{
    for (uint32_t i = 0; i < values.GetCount(); ++i) {
        ++g_reports;
        if (values.GetData()[i].descriptor.id == kParamIdEcho)
            ++g_echoReports;
    }
    return 0;
}

KX::Variant Encoder(uint8_t channel)
{
    const uint8_t bytes[6] = {channel, 0, 7, 0, 0, 127};
    return KX::MakeBytesVariant(bytes, 6);
}

// Ends the program when the threads have not finished after a very generous while: a
// deadlock would otherwise hold the run until the test driver's own time-out.
class Watchdog {
public:
    explicit Watchdog(int seconds)
        : m_thread([this, seconds] {
              std::unique_lock<std::mutex> lock(m_lock);
              if (!m_done.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_finished; })) {
                  std::fprintf(stderr, "deadlock: the threads did not finish\n");
                  std::abort();
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_finished = true;
        }
        m_done.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

TEST(ModelLockOrder, StatusReadsEchoesSetsAndDeliveriesAllFinish)
{
    const KX::RCPtr<LDeviceCommunicationInterface> comm =
        LDeviceCommunicationInterface::Create(KX::WString(devcommtest::LibraryPath().c_str()));
    // With the library loaded, a status read copies the device id under the state lock.
    ASSERT_EQ(comm->CreateClient(), KX::S_OK);
    ASSERT_TRUE(comm->IsLibraryLoaded());
    const KX::RCPtr<LParamCache> cache = LParamCache::Create(83);
    const KX::RCPtr<LRootModule> root = LRootModule::Create(false);
    root->Setup(&CountReports, nullptr, KX::RCPtr<IParamCache>(cache.Get()),
                KX::RCPtr<IDeviceCommunication>(comm.Get()), 0);
    g_reports = 0;
    g_echoReports = 0;

    constexpr int kRounds = 2000;
    {
        Watchdog watchdog(120);
        std::thread reader([&] {
            KX::Variant status;
            for (int i = 0; i < kRounds; ++i)
                root->GetParamValue(KX::ParamDescriptor(kParamIdStatusText), status);
        });
        std::thread echoer([&] {
            for (int i = 0; i < kRounds; ++i) {
                // Straight at the device communication, and through the root.
                EXPECT_EQ(comm->SetParamValue(KX::ParamDescriptor(kParamIdEcho), KX::MakeInt64Variant(i)), KX::S_OK);
                EXPECT_EQ(root->SetParamValues(KX::ParamDescriptor(kParamIdEcho), KX::MakeInt64Variant(i)), KX::S_OK);
            }
        });
        std::thread setter([&] {
            // Only the lock order is checked here, not each result.
            for (int i = 0; i < kRounds; ++i)
                (void)root->SetParamValues(KX::ParamDescriptor(65 + i % 16), Encoder(static_cast<uint8_t>(i % 16)));
        });
        std::thread library([&] {
            for (int i = 0; i < kRounds; ++i) {
                const KX::ParamValue v(KX::ParamDescriptor(45 + i % 20), Encoder(static_cast<uint8_t>(i % 16)));
                const KX::ParamValues list(&v, 1);
                LDeviceCommunicationInterface::OnParamValues(comm.Get(), nullptr, &list);
            }
        });
        reader.join();
        echoer.join();
        setter.join();
        library.join();
    }
    // Every echo reached the owner before its call returned.
    EXPECT_EQ(g_echoReports.load(), 2 * kRounds);
    root->StopReceiving();
}

} // namespace
