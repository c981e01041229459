// The device-control client library's reporting thread, through its C entry points.
#include "DevCommSupport.h"

#include "devicecontrol/DeviceControlClientApi.h"
#include "kx/ParamValues.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <set>
#include <thread>

namespace {

using namespace devcommtest;
namespace DC = KX::DeviceControl;

class DeviceControlLibraryThreads : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Sanitizer runtimes start a helper thread with the first thread a program makes;
        // make it exist before any thread count is taken.
        std::thread([] {}).join();
        ASSERT_TRUE(lib.loaded) << lib.error;
        ASSERT_TRUE(lib.Complete());
        lib.ReleaseAll();
    }
    void TearDown() override
    {
        if (lib.loaded)
            lib.ReleaseAll();
    }

    void RequestStatus()
    {
        const KX::ParamDescriptors status(DC::kStatusTextParam, 1);
        ASSERT_EQ(lib.RequestParamValues(nullptr, &status), 0);
    }

    Library& lib = Library::Get();
};

TEST_F(DeviceControlLibraryThreads, OneThreadOfItsOwnReportsAndReleaseAllEndsIt)
{
    const int before = ThreadCount();
    Recorder recorder;
    ASSERT_EQ(lib.ConnectDevice(nullptr, &Recorder::Callback, &recorder), 0);
    EXPECT_EQ(ThreadCount(), before + 1);

    for (int32_t id = 9; id < 25; ++id) {
        const KX::ParamDescriptor d(id);
        const KX::Variant pad = Bytes({1, 4, 3, 7, 5, 1, 19, static_cast<uint8_t>(id), 0, 0, 0, 0, 0, 1});
        ASSERT_EQ(lib.SetParamValue(nullptr, &d, &pad), 0);
    }
    ASSERT_TRUE(recorder.WaitForId(24));
    std::set<std::thread::id> threads;
    for (const Recorder::Report& r : recorder.Reports())
        threads.insert(r.thread);
    EXPECT_EQ(threads.size(), 1u);
    EXPECT_EQ(threads.count(std::this_thread::get_id()), 0u);
    // Changes arrive in the order they were made, each once.
    std::vector<int32_t> ids;
    for (const KX::ParamValue& v : recorder.Values())
        ids.push_back(v.descriptor.id);
    std::vector<int32_t> expected;
    for (int32_t id = 9; id < 25; ++id)
        expected.push_back(id);
    EXPECT_EQ(ids, expected);

    ASSERT_EQ(lib.ReleaseAll(), 0);
    EXPECT_TRUE(WaitForThreadCount(before));
    // A later connect starts it again.
    Recorder again;
    ASSERT_EQ(lib.ConnectDevice(nullptr, &Recorder::Callback, &again), 0);
    RequestStatus();
    EXPECT_TRUE(again.WaitForId(DC::kStatusTextParam));
    lib.ReleaseAll();
    EXPECT_TRUE(WaitForThreadCount(before));
}

struct BlockingCallback {
    std::mutex lock;
    std::condition_variable changed;
    bool entered = false;
    bool release = false;
    std::atomic<bool> exited{false};
    std::atomic<int> calls{0};

    static void Callback(void* context, const KX::Variant*, const KX::Variant*)
    {
        auto* self = static_cast<BlockingCallback*>(context);
        self->calls.fetch_add(1);
        std::unique_lock<std::mutex> guard(self->lock);
        self->entered = true;
        self->changed.notify_all();
        self->changed.wait(guard, [self] { return self->release; });
        self->exited.store(true);
    }
};

TEST_F(DeviceControlLibraryThreads, DisconnectWaitsForACallbackInProgress)
{
    BlockingCallback cb;
    ASSERT_EQ(lib.ConnectDevice(nullptr, &BlockingCallback::Callback, &cb), 0);
    RequestStatus();
    {
        std::unique_lock<std::mutex> guard(cb.lock);
        ASSERT_TRUE(cb.changed.wait_for(guard, std::chrono::seconds(20), [&] { return cb.entered; }));
    }

    std::atomic<bool> returned{false};
    bool exitedWhenReturned = false;
    std::thread disconnecter([&] {
        lib.DisconnectDevice(nullptr);
        exitedWhenReturned = cb.exited.load();
        returned.store(true);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned.load());
    {
        std::lock_guard<std::mutex> guard(cb.lock);
        cb.release = true;
        cb.changed.notify_all();
    }
    disconnecter.join();
    EXPECT_TRUE(exitedWhenReturned);

    // Nothing is reported after the disconnect.
    const KX::ParamDescriptors status(DC::kStatusTextParam, 1);
    EXPECT_EQ(lib.RequestParamValues(nullptr, &status), DC::kNoConnection);
    EXPECT_EQ(cb.calls.load(), 1);
}

// Calls back into the library from inside its callback: sets, disconnects, releases.
struct ReentrantCallback {
    enum class Action { Set, Disconnect, Release };
    Library* lib = nullptr;
    Action action = Action::Set;
    std::atomic<int> results{1};
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;

    static void Callback(void* context, const KX::Variant*, const KX::Variant*)
    {
        auto* self = static_cast<ReentrantCallback*>(context);
        int32_t hr = 0;
        switch (self->action) {
        case Action::Set: {
            const KX::ParamDescriptor d(0);
            const KX::Variant name = Bytes({78, 65, 77, 69, 0, 0});
            hr = self->lib->SetParamValue(nullptr, &d, &name);
            break;
        }
        case Action::Disconnect: hr = self->lib->DisconnectDevice(nullptr); break;
        case Action::Release: hr = self->lib->ReleaseAll(); break;
        }
        self->results.store(hr);
        std::lock_guard<std::mutex> guard(self->lock);
        self->finished = true;
        self->done.notify_all();
    }

    bool Wait()
    {
        std::unique_lock<std::mutex> guard(lock);
        return done.wait_for(guard, std::chrono::seconds(20), [this] { return finished; });
    }
};

TEST_F(DeviceControlLibraryThreads, CallbackMayCallBackIntoTheLibrary)
{
    for (auto action :
         {ReentrantCallback::Action::Set, ReentrantCallback::Action::Disconnect, ReentrantCallback::Action::Release}) {
        const int before = ThreadCount();
        ReentrantCallback cb;
        cb.lib = &lib;
        cb.action = action;
        ASSERT_EQ(lib.ConnectDevice(nullptr, &ReentrantCallback::Callback, &cb), 0);
        RequestStatus();
        ASSERT_TRUE(cb.Wait());
        EXPECT_EQ(cb.results.load(), 0);
        // The thread released from inside its callback ends by itself; the next connect
        // (or release) joins it.
        Recorder recorder;
        ASSERT_EQ(lib.ConnectDevice(nullptr, &Recorder::Callback, &recorder), 0);
        RequestStatus();
        EXPECT_TRUE(recorder.WaitForId(DC::kStatusTextParam));
        lib.ReleaseAll();
        EXPECT_TRUE(WaitForThreadCount(before));
    }
}

TEST_F(DeviceControlLibraryThreads, ConcurrentSettersEndWithTheStoredValuesReported)
{
    Recorder recorder;
    ASSERT_EQ(lib.ConnectDevice(nullptr, &Recorder::Callback, &recorder), 0);
    constexpr int kThreads = 4;
    constexpr int kRounds = 200;
    std::vector<std::thread> setters;
    for (int t = 0; t < kThreads; ++t) {
        setters.emplace_back([&, t] {
            for (int r = 0; r < kRounds; ++r) {
                const KX::ParamDescriptor d(45 + t);
                const KX::Variant fader = Bytes({0, 0, static_cast<uint8_t>(r % 128), 0, 0, 127});
                lib.SetParamValue(nullptr, &d, &fader);
            }
        });
    }
    for (std::thread& t : setters)
        t.join();
    // A marker after all sets: once it is in, every change has been reported.
    RequestStatus();
    ASSERT_TRUE(recorder.WaitForId(DC::kStatusTextParam));

    std::map<int32_t, KX::Variant> last;
    for (const KX::ParamValue& v : recorder.Values())
        last[v.descriptor.id] = v.value;
    for (int t = 0; t < kThreads; ++t) {
        KX::Variant stored;
        const KX::ParamDescriptor d(45 + t);
        ASSERT_EQ(lib.GetParamValue(nullptr, &d, &stored), 0);
        EXPECT_EQ(last[45 + t], stored);
        EXPECT_EQ(stored, Bytes({0, 0, static_cast<uint8_t>((kRounds - 1) % 128), 0, 0, 127}));
    }
}

} // namespace
