#pragma once
// The device-control client library's inner working: one device with the keyboard's parameter
// set, a connection with its callback, and a reporting thread that hands requested and changed
// values to the callback. The C entry points forward to one process-wide instance; tests may make
// their own.
#include "devicecontrol/DeviceControlClientApi.h"
#include "kx/ParamValues.h"
#include "kx/Variant.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace KX::DeviceControl {

class DeviceControlCore {
public:
    DeviceControlCore();
    // Stops the reporting thread (as ReleaseAll).
    ~DeviceControlCore();
    DeviceControlCore(const DeviceControlCore&) = delete;
    DeviceControlCore& operator=(const DeviceControlCore&) = delete;

    // The id under which searches list the device (a type 9 text).
    static Variant GetRemoteDeviceId();
    // Record length of parameter id (0 to 82); 0 for any other id.
    static uint32_t GetRecordLength(int32_t id);
    // The keyboard's default record of parameter id (0 to 82); empty for any other id.
    static Variant GetDefaultRecord(int32_t id);

    int32_t FindDevices(Variant* result);
    int32_t FindRemoteDevices(Variant* result, int32_t mode);
    int32_t ConnectDevice(const Variant* deviceId, ZVDI_ParamValuesCallback callback, void* context);
    int32_t RequestParamRanges(const Variant* deviceId, const Variant* descriptors);
    int32_t RequestParamValues(const Variant* deviceId, const Variant* descriptors);
    int32_t GetParamRanges(const Variant* deviceId, const Variant* descriptors, Variant* ranges);
    int32_t GetParamValues(const Variant* deviceId, const Variant* descriptors, Variant* values);
    int32_t GetParamValue(const Variant* deviceId, const ParamDescriptor* descriptor, Variant* value);
    int32_t SetParamValue(const Variant* deviceId, const ParamDescriptor* descriptor, const Variant* value);
    int32_t SetParamValues(const Variant* deviceId, const Variant* values);
    int32_t DisconnectDevice(const Variant* deviceId);
    int32_t IsDeviceConnected(const Variant* deviceId);
    int32_t GetDeviceInfo(const Variant* deviceId, uint8_t* info);
    int32_t ReleaseAll();

private:
    static bool IsKnownDevice(const Variant* deviceId);
    // Calls fn for every id of the list that this device knows, in list order; false for an
    // unreadable list.
    static bool ForEachKnownId(const Variant* descriptors, const std::function<void(int32_t)>& fn);
    // Current value of a known id; the caller holds m_lock.
    Variant ValueLocked(int32_t id) const;
    // Checks a value for id; kOk or the failure code.
    static int32_t CheckValue(int32_t id, const Variant& value);
    // Stores a checked value and queues a report when it changed; the caller holds m_lock.
    // True when the reporter must be woken (WakeReporter, after m_lock is released).
    [[nodiscard]] bool StoreLocked(int32_t id, const Variant& value);
    // Queues a report of id (once until it is reported); the caller holds m_lock.
    // True when the reporter must be woken (WakeReporter, after m_lock is released).
    [[nodiscard]] bool QueueReportLocked(int32_t id);
    // Wakes the reporter; called without m_lock, so that it does not wake into a held lock.
    void WakeReporter();
    // Starts the reporting thread when it is not running; the caller holds lock.
    int32_t StartReporterLocked(std::unique_lock<std::mutex>& lock);
    // Runs until ReleaseAll moves on from generation.
    void ReporterLoop(uint64_t generation);
    void ResetValuesLocked();

    std::mutex m_lock;
    std::condition_variable m_wake; // reports queued, or stop
    std::condition_variable m_idle; // a callback has returned
    std::thread m_reporter;
    uint64_t m_generation = 0;         // advanced by ReleaseAll; a reporter of an older one ends
    uint64_t m_reporterGeneration = 0; // the generation m_reporter was started for
    bool m_inCallback = false;

    bool m_connected = false;
    ZVDI_ParamValuesCallback m_callback = nullptr;
    void* m_context = nullptr;
    Variant m_connectedId; // as the client named the device

    std::vector<Variant> m_values; // ids 0 to 82
    std::string m_statusText;      // set by the client; empty: the connection state

    std::vector<int32_t> m_pending;   // ids to report, oldest first
    std::vector<bool> m_pendingFlags; // by id minus the lowest known id
};

} // namespace KX::DeviceControl
