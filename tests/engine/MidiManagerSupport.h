#pragma once
// Doubles for the MIDI manager's tests: an engine that keeps the 83 values and records
// every set, a client of the manager's parameter notifications, fast timings, and a manager
// over the shared port double whose handler bindings fail on demand.
#include "FakeMidiPortObject.h"
#include "KeyboardSimulator.h"

#include "engine/MidiManager.h"
#include "engine/ParamRecords.h"
#include "engine/ParamValueStore.h"

#include "kx/MidiCaptureNotificationData.h"
#include "kx/Notification.h"
#include "kx/NotificationClient.h"
#include "kx/NotificationId.h"

#include <mutex>
#include <utility>
#include <vector>

namespace mmtest {

using Bytes = std::vector<uint8_t>;
using Kind = kxtest::KeyboardSimulator::Kind;

// The engine's side: 83 values (the defaults at first), sets recorded in order.
class FakeEngine : public IParamValueStore {
public:
    FakeEngine()
    {
        for (int32_t id = 0; id < 83; ++id)
            m_values.push_back(MakeDefaultParamRecord(id));
    }

    int32_t GetFirstParamID() override { return 0; }

    KX::KXRESULT GetParamValues(int32_t firstId, int32_t count, KX::IArray<KX::ParamValue>& values,
                                int32_t startIndex) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (startIndex < 0) {
            values.SetSize(0);
            startIndex = 0;
        }
        if (values.GetCount() < static_cast<uint32_t>(count + startIndex))
            values.SetSize(static_cast<uint32_t>(count + startIndex));
        for (int32_t k = 0; k < count; ++k) {
            const int32_t id = firstId + k;
            KX::ParamValue& v = values.ElementAt(static_cast<uint32_t>(startIndex + k));
            v.descriptor = KX::ParamDescriptor(id);
            v.value = (id >= 0 && id < 83) ? m_values[static_cast<size_t>(id)] : KX::Variant();
        }
        return 0;
    }

    KX::KXRESULT SetParamValues(const KX::ParamDescriptor& d, const KX::Variant& value) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_sets.emplace_back(d.id, value);
        if (!m_connected)
            return KX::E_FAIL;
        if (d.id < 0 || d.id >= 83 || !IsValidParamRecord(d.id, value))
            return KX::E_INVALIDARG;
        m_values[static_cast<size_t>(d.id)] = value;
        return 0;
    }

    void SetConnected(bool connected)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_connected = connected;
    }
    void SetValue(int32_t id, const KX::Variant& value)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_values.at(static_cast<size_t>(id)) = value;
    }
    // The 874 record bytes of the model, in id order.
    Bytes Records() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        Bytes out;
        for (const KX::Variant& v : m_values) {
            uint32_t n = 0;
            const uint8_t* p = v.GetData(n);
            out.insert(out.end(), p, p + n);
        }
        return out;
    }
    // Sets the model from 874 record bytes.
    void SetRecords(const Bytes& records)
    {
        uint32_t offset = 0;
        for (int32_t id = 0; id < 83; ++id) {
            const uint32_t n = GetParamRecordLength(id);
            SetValue(id, KX::MakeBytesVariant(records.data() + offset, n));
            offset += n;
        }
    }
    std::vector<std::pair<int32_t, KX::Variant>> Sets() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_sets;
    }
    size_t SetCount() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_sets.size();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<KX::Variant> m_values;
    std::vector<std::pair<int32_t, KX::Variant>> m_sets;
    bool m_connected = true;
};

// Registers a fake engine for the scope.
class ScopedEngine {
public:
    ScopedEngine() : engine(new FakeEngine) { SetParamValueStore(engine); }
    ~ScopedEngine() { SetParamValueStore(nullptr); }
    ScopedEngine(const ScopedEngine&) = delete;
    ScopedEngine& operator=(const ScopedEngine&) = delete;

    FakeEngine* operator->() const { return engine.Get(); }

    KX::RCPtr<FakeEngine> engine;
};

// What the global settings dialog does: registers at the manager and keeps what it is told.
class ParameterListener : public KX::LNotificationClient {
public:
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>&, const KX::RCPtr<KX::LNotification>& n) override
    {
        const auto p = KX::ConstRCPtr<KX::LMidiParameterNotification>::DynamicCast(n->GetPayload());
        if (p) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_received.emplace_back(p->GetName(), p->GetValue());
        }
        return 0;
    }
    std::vector<std::pair<KX::WString, int32_t>> Received() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_received;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::pair<KX::WString, int32_t>> m_received;
};

// Short waits, no pauses: a silent keyboard costs attempts x waitMs.
inline KX::LMidiManager::Timings FastTimings(uint32_t waitMs = 60)
{
    KX::LMidiManager::Timings t;
    t.replyWaitMs = waitMs;
    t.attempts = 10;
    t.pauseMs = 0;
    return t;
}

// For a keyboard that answers every request: no wait runs out however long a busy machine stalls
// the reply's threads, so nothing is asked twice; a reply ends its wait at once.
inline KX::LMidiManager::Timings PatientTimings()
{
    KX::LMidiManager::Timings t;
    t.replyWaitMs = 30000;
    t.attempts = 2;
    t.pauseMs = 0;
    return t;
}

inline Bytes Slice(const Bytes& b, size_t from, size_t to)
{
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from), b.begin() + static_cast<std::ptrdiff_t>(to));
}

using FakePortObject = kxtest::FakeMidiPortObject;

// Its port objects answer identity requests and record every send.
class FakePortManager : public kxtest::FakeMidiPortManager {
public:
    FakePortManager() : kxtest::FakeMidiPortManager(FastTimings(10))
    {
        answerIdentity = true;
        recordSends = true;
    }

    // Fails the failBindAt-th binding of the captured-data handler (counting from 1).
    KX::KXRESULT Bind(const KX::RCPtr<KX::LMidiCommInterface>& portObject) override
    {
        if (++binds == failBindAt)
            return failBindResult;
        return KX::LMidiManager::Bind(portObject);
    }

    // The send step on the current ports, lead-in first.
    int32_t Send(const Bytes& message) { return SendSysEx(message, CurrentPorts(), true); }

    int binds = 0;
    int failBindAt = -1;
    KX::KXRESULT failBindResult = KX::E_OUTOFMEMORY;
};

} // namespace mmtest
