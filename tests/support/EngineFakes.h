#pragma once
// Test doubles for the root module engine: a scriptable device communication (no library,
// searches and presence under the test's control), an engine that records where it was
// destroyed, and a collector of the notifications the engine posts. Header-only.
#include "engine/RootModuleEngine.h"

#include "devicecontrol/DeviceControlClientApi.h"
#include "kx/Notifications.h"
#include "kx/ParamValues.h"
#include "kx/Wrappers.h"
#include "platform/posix/Threads.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kxtest {

// A device communication without a library: connects, presence and remote searches answer
// as the test sets them; model values sent to the device are recorded.
class FakeEngineDeviceCommunication : public LDeviceCommunicationInterface {
public:
    FakeEngineDeviceCommunication()
        : LDeviceCommunicationInterface(KX::WString("/nonexistent/libNone.so")), m_creator(std::this_thread::get_id())
    {
    }

    std::atomic<KX::KXRESULT> createClientResult{KX::S_OK};
    std::atomic<KX::KXRESULT> connectResult{KX::S_OK};
    // A successful connect makes the device connected.
    std::atomic<bool> connected{true};
    std::atomic<bool> present{true};
    std::atomic<KX::KXRESULT> quickSearchResult{KX::S_OK};
    // Full searches answer this (1: repeat full searches) unless they fail.
    std::atomic<KX::KXRESULT> fullSearchResult{KX::S_OK};
    // Searches wait while this is set.
    std::atomic<bool> blockSearches{false};
    std::atomic<int> blockedSearches{0};
    std::atomic<int> connects{0};
    std::atomic<int> deviceSets{0};
    // The keyboard leaves while the next parameter value is being sent: that send fails.
    std::atomic<bool> leaveDuringNextSet{false};

    KX::KXRESULT CreateClient() override { return createClientResult.load(); }
    bool IsDeviceConnected() override { return connected.load(); }

    KX::KXRESULT ConnectDevice(const KX::Variant&) override
    {
        ++connects;
        const KX::KXRESULT r = connectResult.load();
        if (r >= 0)
            connected.store(true);
        return r;
    }
    KX::KXRESULT DisconnectDevice() override { return KX::S_OK; }
    KX::KXRESULT RequestParamRanges(const KX::ParamDescriptors&) override { return KX::S_OK; }
    KX::KXRESULT RequestParamValue(const KX::ParamDescriptor&) override { return KX::S_OK; }
    KX::KXRESULT SetParamValue(const KX::ParamDescriptor& d, const KX::Variant& v) override
    {
        if (d.id < 0)
            return LDeviceCommunicationInterface::SetParamValue(d, v);
        if (leaveDuringNextSet.exchange(false)) {
            connected.store(false);
            return KX::E_FAIL;
        }
        ++deviceSets;
        return KX::S_OK;
    }

    KX::KXRESULT GetDeviceInfo(const KX::Variant&, uint8_t* record) override
    {
        std::memset(record, 0, KX::DeviceControl::kDeviceInfoSize);
        record[KX::DeviceControl::kDeviceInfoPresentOffset] = present.load() ? 1 : 0;
        return KX::S_OK;
    }

    // Quick search: a changed remote list answers at once; otherwise 1 at once (no waiting).
    KX::KXRESULT WaitForRemoteDeviceListChange(const KX::Array<ZVDI_GUID>&, KX::IArray<KX::Variant>& devices, uint32_t,
                                               KX::Event*) override
    {
        Block();
        std::lock_guard<std::mutex> lock(m_lock);
        m_log += std::this_thread::get_id() == m_creator ? 'Q' : 'q';
        if (quickSearchResult.load() < 0)
            return quickSearchResult.load();
        if (Same(devices))
            return KX::S_FALSE;
        Fill(devices);
        return KX::S_OK;
    }

    KX::KXRESULT FindRemoteDevices(const KX::Array<ZVDI_GUID>&, KX::IArray<KX::Variant>& devices) override
    {
        Block();
        std::lock_guard<std::mutex> lock(m_lock);
        m_log += 'F';
        const KX::KXRESULT r = fullSearchResult.load();
        if (r >= 0)
            Fill(devices);
        return r;
    }

    void SetRemoteDevices(std::vector<KX::Variant> devices)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_remote = std::move(devices);
    }
    // The searches so far: 'q' quick, 'F' full; 'Q' a quick one on the thread that made this.
    std::string SearchLog()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_log;
    }
    std::thread::id SearchThread()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_searchThread;
    }

private:
    void Block()
    {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_searchThread = std::this_thread::get_id();
        }
        if (!blockSearches.load())
            return;
        ++blockedSearches;
        while (blockSearches.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    bool Same(const KX::IArray<KX::Variant>& devices) const
    {
        if (devices.GetCount() != m_remote.size())
            return false;
        for (uint32_t i = 0; i < devices.GetCount(); ++i)
            if (!(devices.GetData()[i] == m_remote[i]))
                return false;
        return true;
    }
    void Fill(KX::IArray<KX::Variant>& devices) const
    {
        devices.RemoveAll();
        for (const KX::Variant& v : m_remote)
            devices.AddItem(v);
    }

    const std::thread::id m_creator;
    std::mutex m_lock;
    std::vector<KX::Variant> m_remote;
    std::string m_log;
    std::thread::id m_searchThread;
};

// An engine that records the thread its destructor ran on.
class ProbeEngine : public LRootModuleEngine {
public:
    struct Record {
        std::atomic<bool> destroyed{false};
        std::thread::id thread;
    };

    static KX::RCPtr<ProbeEngine> Create(const Options& options, Record* record)
    {
        return KX::RCPtr<ProbeEngine>(new ProbeEngine(options, record));
    }

protected:
    ProbeEngine(const Options& options, Record* record) : LRootModuleEngine(options), m_record(record) {}
    ~ProbeEngine() override
    {
        m_record->thread = std::this_thread::get_id();
        m_record->destroyed.store(true);
    }

private:
    Record* m_record;
};

// Collects what is posted to the "application" centre, once drained on this thread.
class EngineNotes : public KX::LNotificationClient {
public:
    struct Note {
        KX::NotificationId id;
        KX::ConstRCPtr<KX::LRefCountedObject> payload;
    };

    static KX::RCPtr<EngineNotes> Listen()
    {
        // Whatever earlier tests left in the queue is not ours.
        KX::LNotificationCenterManager::GetInstance()->ProcessAll(true);
        KX::RCPtr<EngineNotes> notes(new EngineNotes());
        const KX::RCPtr<KX::LNotificationDistributor> centre(KX::GetNotificationQueue().Get());
        for (const char16_t* name : {KX::NID_PARAM_MODULE_STATE_CHANGE, KX::NID_DEVICE_CONNECTION_STATE_CHANGE,
                                     KX::NID_REMOTE_DEVICE_LIST_CHANGE})
            notes->RegisterForNotification(centre, name, 0);
        return notes;
    }

    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>&, const KX::RCPtr<KX::LNotification>& n) override
    {
        m_notes.push_back({n->GetID(), n->GetPayload()});
        return KX::S_OK;
    }

    // Drains the queues and returns everything received so far (and forgets it).
    std::vector<Note> Take()
    {
        KX::LNotificationCenterManager::GetInstance()->ProcessAll(true);
        std::vector<Note> out;
        out.swap(m_notes);
        return out;
    }

    // Drains until pred holds for the notes gathered meanwhile (at most a generous while).
    template <class P>
    std::vector<Note> TakeUntil(P pred)
    {
        std::vector<Note> all;
        for (int i = 0; i < 20000; ++i) {
            std::vector<Note> more = Take();
            all.insert(all.end(), more.begin(), more.end());
            if (pred(all))
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return all;
    }

    ~EngineNotes() override = default;

private:
    EngineNotes() = default;
    std::vector<Note> m_notes;
};

inline std::vector<EngineNotes::Note> OfId(const std::vector<EngineNotes::Note>& notes, KX::NotificationId id)
{
    std::vector<EngineNotes::Note> out;
    for (const EngineNotes::Note& n : notes)
        if (n.id == id)
            out.push_back(n);
    return out;
}

inline KX::NotificationId Id(const char16_t* name)
{
    return KX::GetNotificationID(name);
}

// The connection states posted, in order.
inline std::vector<int32_t> PostedStates(const std::vector<EngineNotes::Note>& notes)
{
    std::vector<int32_t> states;
    for (const EngineNotes::Note& n : OfId(notes, Id(KX::NID_DEVICE_CONNECTION_STATE_CHANGE))) {
        const auto holder =
            KX::ConstRCPtr<KX::LHolder<LRootModuleEngine::DeviceConnectionState>>::DynamicCast(n.payload);
        states.push_back(holder ? static_cast<int32_t>(holder->Value()) : -1);
    }
    return states;
}

// Waits until no more platform threads exist than baseline.
inline bool WaitForPlatformThreads(uint32_t baseline)
{
    for (int i = 0; i < 20000; ++i) {
        platform::posix::ReapClosedThreads();
        if (platform::posix::CountThreadObjects() <= baseline)
            return true;
        platform::posix::SleepMilliseconds(1);
    }
    return false;
}

template <class P>
bool WaitUntil(P pred)
{
    for (int i = 0; i < 20000; ++i) {
        if (pred())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

} // namespace kxtest
