#include "devicecontrol/DeviceControlCore.h"

#include "devicecontrol/DeviceControlCoreInternal.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <system_error>

namespace KX::DeviceControl {

namespace {

constexpr int32_t kLowestId = kProductNameParam;
constexpr uint32_t kIdSlots = static_cast<uint32_t>(kParamCount - kLowestId);

constexpr char kProductName[] = "Lumo 25 Preset Editor";

// First id, count and record length of each control kind, in id order.
struct Kind {
    int32_t first;
    int32_t count;
    uint32_t length;
};
constexpr Kind kKinds[] = {
    {0, 1, 6},    // preset name
    {1, 4, 9},    // keybed zones
    {5, 2, 5},    // wheels
    {7, 1, 6},    // volume pedal
    {8, 1, 6},    // sustain pedal
    {9, 16, 14},  // pads
    {25, 20, 17}, // push buttons
    {45, 20, 6},  // faders
    {65, 16, 6},  // encoders
    {81, 2, 15},  // XY pad axes
};

const Kind* KindOf(int32_t id)
{
    for (const Kind& k : kKinds)
        if (id >= k.first && id < k.first + k.count)
            return &k;
    return nullptr;
}

// Readiness is answered on request but never reported: a client may take a reported
// readiness as a cue to check the hardware set-up.
bool IsReportable(int32_t id)
{
    return IsKnownId(id) && id != kReadyParam;
}

Variant TextVariant(const char* text)
{
    Variant v;
    v.SetString(text);
    return v;
}

} // namespace

DeviceControlCore::DeviceControlCore() : m_pendingFlags(kIdSlots, false)
{
    ResetValuesLocked();
}

DeviceControlCore::~DeviceControlCore()
{
    ReleaseAll();
    std::unique_lock<std::mutex> lock(m_lock);
    if (m_reporter.joinable()) {
        // Only left running when the last ReleaseAll came from inside a callback.
        if (m_reporter.get_id() == std::this_thread::get_id()) {
            m_reporter.detach();
        } else {
            std::thread t = std::move(m_reporter);
            lock.unlock();
            t.join();
        }
    }
}

Variant DeviceControlCore::GetRemoteDeviceId()
{
    return TextVariant(kDeviceName);
}

uint32_t DeviceControlCore::GetRecordLength(int32_t id)
{
    const Kind* kind = KindOf(id);
    return kind ? kind->length : 0;
}

Variant DeviceControlCore::GetDefaultRecord(int32_t id)
{
    const Kind* kind = KindOf(id);
    if (!kind)
        return Variant();
    const auto index = static_cast<uint8_t>(id - kind->first);
    std::vector<uint8_t> r(kind->length, 0);
    switch (kind->first) {
    case 0: std::memcpy(r.data(), "PRESET", 6); break;
    case 1: r = {0, index, 0, 0, 0, 0, 24, 5, 12}; break;
    case 5: r = index == 0 ? std::vector<uint8_t>{0, 1, 16, 0, 127} : std::vector<uint8_t>{0, 0, 0, 0, 127}; break;
    case 7: r = {0, 0, 7, 0, 0, 127}; break;
    case 8: r = {0, 0, 64, 0, 0, 127}; break;
    case 9: r = {0, 4, 3, 7, 5, 1, 19, static_cast<uint8_t>(36 + index), 0, 0, 0, 0, 0, 0}; break;
    case 25: r = {0, 4, 3, 7, 5, 1, 19, index, 0, 0, 0, 0, 0, 127, 0, 0, 0}; break;
    case 45: r = {0, 0, index, 0, 0, 127}; break;
    case 65: r = {0, 0, static_cast<uint8_t>(40 + index), 0, 0, 127}; break;
    case 81:
        r = index == 0 ? std::vector<uint8_t>{0, 0, 112, 0, 0, 127, 8, 60, 72, 62, 64, 65, 67, 69, 71}
                       : std::vector<uint8_t>{0, 0, 113, 0, 0, 127, 8, 69, 81, 71, 72, 74, 76, 77, 79};
        break;
    default: break;
    }
    Variant v;
    v.SetBytes(r.data(), static_cast<uint32_t>(r.size()));
    return v;
}

bool DeviceControlCore::IsKnownDevice(const Variant* deviceId)
{
    if (!deviceId || deviceId->GetType() == Variant::TypeEmpty)
        return true;
    return *deviceId == GetRemoteDeviceId();
}

bool DeviceControlCore::ForEachKnownId(const Variant* descriptors, const std::function<void(int32_t)>& fn)
{
    if (!descriptors || descriptors->GetType() != Variant::TypeList)
        return false;
    const ParamDescriptors list(*descriptors);
    const uint32_t n = list.GetRangeCount();
    uint32_t size = 0;
    list.GetData(size);
    if (n == 0 && size != 0)
        return false;
    std::vector<std::pair<int32_t, int32_t>> ranges;
    for (uint32_t i = 0; i < n; ++i) {
        int32_t first = 0;
        int32_t count = 0;
        if (list.GetRangeAt(i, first, count) != 0 || count < 0)
            return false;
        ranges.emplace_back(first, count);
    }
    for (const auto& [first, count] : ranges) {
        // Only the known ids of the range, however wide it is.
        const int64_t end = static_cast<int64_t>(first) + count;
        const int64_t from = std::max<int64_t>(first, kLowestId);
        const int64_t to = std::min<int64_t>(end, kParamCount);
        for (int64_t id = from; id < to; ++id)
            if (IsKnownId(static_cast<int32_t>(id)))
                fn(static_cast<int32_t>(id));
    }
    return true;
}

Variant DeviceControlCore::ValueLocked(int32_t id) const
{
    if (id >= 0 && id < kParamCount)
        return m_values[static_cast<size_t>(id)];
    switch (id) {
    case kReadyParam: return MakeBoolVariant(true);
    case kStatusTextParam:
        if (!m_statusText.empty())
            return TextVariant(m_statusText.c_str());
        return TextVariant(m_connected ? "Connected" : "Not connected");
    case kMakerNameParam: return TextVariant(kMakerName);
    case kProductNameParam: return TextVariant(kProductName);
    default: return Variant();
    }
}

int32_t DeviceControlCore::CheckValue(int32_t id, const Variant& value)
{
    if (id >= 0 && id < kParamCount) {
        uint32_t size = 0;
        value.GetData(size);
        if (value.GetType() != Variant::TypeBlob || size != GetRecordLength(id))
            return kInvalidValue;
        return kOk;
    }
    if (id == kStatusTextParam)
        return value.GetType() == Variant::TypeString ? kOk : kInvalidValue;
    // Readiness, maker and product are read only; nothing else exists.
    return kUnknownParameter;
}

bool DeviceControlCore::StoreLocked(int32_t id, const Variant& value)
{
    if (id == kStatusTextParam) {
        const char* text = value.GetString();
        const std::string newText = text ? text : "";
        if (newText == m_statusText)
            return false;
        m_statusText = newText;
    } else {
        Variant& slot = m_values[static_cast<size_t>(id)];
        if (slot == value)
            return false;
        slot = value;
    }
    return QueueReportLocked(id);
}

bool DeviceControlCore::QueueReportLocked(int32_t id)
{
    if (!m_connected || !m_callback || !IsReportable(id))
        return false;
    const auto slot = static_cast<size_t>(id - kLowestId);
    if (m_pendingFlags[slot])
        return false;
    m_pendingFlags[slot] = true;
    m_pending.push_back(id);
    // The reporter takes every pending value once it runs: only the first one needs to wake it.
    return m_pending.size() == 1;
}

void DeviceControlCore::WakeReporter()
{
    m_wake.notify_all();
}

void DeviceControlCore::ResetValuesLocked()
{
    m_values.resize(kParamCount);
    for (int32_t id = 0; id < kParamCount; ++id)
        m_values[static_cast<size_t>(id)] = GetDefaultRecord(id);
    m_statusText.clear();
}

int32_t DeviceControlCore::StartReporterLocked(std::unique_lock<std::mutex>& lock)
{
    if (m_reporter.joinable() && m_reporterGeneration != m_generation) {
        // A reporter told to stop from inside its own callback: wait for it to end first.
        if (m_reporter.get_id() == std::this_thread::get_id())
            return kInternalError;
        std::thread old = std::move(m_reporter);
        lock.unlock();
        old.join();
        lock.lock();
    }
    if (m_reporter.joinable())
        return kOk;
    try {
        m_reporterGeneration = m_generation;
        m_reporter = std::thread(&DeviceControlCore::ReporterLoop, this, m_generation);
    } catch (const std::system_error&) {
        return kInternalError;
    }
    return kOk;
}

void DeviceControlCore::ReporterLoop(uint64_t generation)
{
    std::unique_lock<std::mutex> lock(m_lock);
    for (;;) {
        m_wake.wait(lock, [&] { return m_generation != generation || !m_pending.empty(); });
        if (m_generation != generation)
            break;
        std::vector<ParamValue> batch;
        batch.reserve(m_pending.size());
        for (int32_t id : m_pending) {
            m_pendingFlags[static_cast<size_t>(id - kLowestId)] = false;
            batch.emplace_back(ParamDescriptor(id), ValueLocked(id));
        }
        m_pending.clear();
        const ZVDI_ParamValuesCallback callback = m_callback;
        void* const context = m_context;
        const Variant deviceId = m_connectedId;
        if (!callback || !m_connected)
            continue;
        m_inCallback = true;
        lock.unlock();
        try {
            const ParamValues list(batch.data(), static_cast<uint32_t>(batch.size()));
            callback(context, &deviceId, &list);
        } catch (...) {
            // Nothing the client throws may end this thread.
        }
        lock.lock();
        m_inCallback = false;
        m_idle.notify_all();
    }
}

} // namespace KX::DeviceControl
