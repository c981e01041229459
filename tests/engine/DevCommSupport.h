#pragma once
// The device-control client library as its clients see it: loaded from the test program's
// folder and called through its C entry points; plus a callback recorder.
#include "devicecontrol/DeviceControlClientApi.h"
#include "kx/ParamValues.h"
#include "platform/posix/SharedLibrary.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace devcommtest {

inline std::filesystem::path ProgramFolder()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

inline std::filesystem::path LibraryPath()
{
    return ProgramFolder() / "libDeviceControlClient.so";
}

// The library, loaded once for the whole test program and never unloaded (its core lives on
// between tests; every test starts with ZVDI_ReleaseAll).
struct Library {
    bool loaded = false;
    std::string error; // the loader's message when it is not loaded
    KX::DeviceControl::FindDevicesFn FindDevices = nullptr;
    KX::DeviceControl::FindRemoteDevicesFn FindRemoteDevices = nullptr;
    KX::DeviceControl::ConnectDeviceFn ConnectDevice = nullptr;
    KX::DeviceControl::RequestParamRangesFn RequestParamRanges = nullptr;
    KX::DeviceControl::RequestParamValuesFn RequestParamValues = nullptr;
    KX::DeviceControl::GetParamRangesFn GetParamRanges = nullptr;
    KX::DeviceControl::GetParamValuesFn GetParamValues = nullptr;
    KX::DeviceControl::GetParamValueFn GetParamValue = nullptr;
    KX::DeviceControl::SetParamValueFn SetParamValue = nullptr;
    KX::DeviceControl::SetParamValuesFn SetParamValues = nullptr;
    KX::DeviceControl::DisconnectDeviceFn DisconnectDevice = nullptr;
    KX::DeviceControl::IsDeviceConnectedFn IsDeviceConnected = nullptr;
    KX::DeviceControl::GetDeviceInfoFn GetDeviceInfo = nullptr;
    KX::DeviceControl::ReleaseAllFn ReleaseAll = nullptr;

    bool Complete() const
    {
        return FindDevices && FindRemoteDevices && ConnectDevice && RequestParamRanges && RequestParamValues &&
               GetParamRanges && GetParamValues && GetParamValue && SetParamValue && SetParamValues &&
               DisconnectDevice && IsDeviceConnected && GetDeviceInfo && ReleaseAll;
    }

    static Library& Get()
    {
        static Library lib = Load();
        return lib;
    }

private:
    static Library Load()
    {
        Library lib;
        platform::posix::SharedLibrary module(LibraryPath().string());
        lib.loaded = module.IsLoaded();
        lib.error = module.LastError();
        if (!lib.loaded)
            return lib;
        module.Resolve(lib.FindDevices, "ZVDI_FindDevices");
        module.Resolve(lib.FindRemoteDevices, "ZVDI_FindRemoteDevices");
        module.Resolve(lib.ConnectDevice, "ZVDI_ConnectDevice");
        module.Resolve(lib.RequestParamRanges, "ZVDI_RequestParamRanges");
        module.Resolve(lib.RequestParamValues, "ZVDI_RequestParamValues");
        module.Resolve(lib.GetParamRanges, "ZVDI_GetParamRanges");
        module.Resolve(lib.GetParamValues, "ZVDI_GetParamValues");
        module.Resolve(lib.GetParamValue, "ZVDI_GetParamValue");
        module.Resolve(lib.SetParamValue, "ZVDI_SetParamValue");
        module.Resolve(lib.SetParamValues, "ZVDI_SetParamValues");
        module.Resolve(lib.DisconnectDevice, "ZVDI_DisconnectDevice");
        module.Resolve(lib.IsDeviceConnected, "ZVDI_IsDeviceConnected");
        module.Resolve(lib.GetDeviceInfo, "ZVDI_GetDeviceInfo");
        module.Resolve(lib.ReleaseAll, "ZVDI_ReleaseAll");
        module.Release(); // kept loaded until the process ends
        return lib;
    }
};

// Collects what the library reports through its callback.
class Recorder {
public:
    struct Report {
        std::thread::id thread;
        std::vector<KX::ParamValue> values;
    };

    static void Callback(void* context, const KX::Variant*, const KX::Variant* values)
    {
        static_cast<Recorder*>(context)->Add(values);
    }

    void Add(const KX::Variant* values)
    {
        Report r;
        r.thread = std::this_thread::get_id();
        const KX::ParamValues list(*values);
        for (uint32_t i = 0; i < list.GetCount(); ++i) {
            KX::ParamValue v;
            list.GetParamValueAt(i, v);
            r.values.push_back(v);
        }
        std::lock_guard<std::mutex> lock(m_lock);
        m_reports.push_back(std::move(r));
        m_changed.notify_all();
    }

    // Waits (at most a generous while, so a fault cannot hang the run) until pred holds for the
    // reports so far.
    template <class P>
    bool WaitFor(P pred)
    {
        std::unique_lock<std::mutex> lock(m_lock);
        return m_changed.wait_for(lock, std::chrono::seconds(20), [&] { return pred(m_reports); });
    }

    // All reported values, in order.
    std::vector<KX::ParamValue> Values()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        std::vector<KX::ParamValue> all;
        for (const Report& r : m_reports)
            all.insert(all.end(), r.values.begin(), r.values.end());
        return all;
    }

    std::vector<Report> Reports()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_reports;
    }

    // Waits until a report holds a value of id.
    bool WaitForId(int32_t id)
    {
        return WaitFor([id](const std::vector<Report>& reports) {
            for (const Report& r : reports)
                for (const KX::ParamValue& v : r.values)
                    if (v.descriptor.id == id)
                        return true;
            return false;
        });
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<Report> m_reports;
};

inline KX::Variant Bytes(std::vector<uint8_t> bytes)
{
    return KX::MakeBytesVariant(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

// Number of threads of this process.
inline int ThreadCount()
{
    int n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ++n;
    return n;
}

// Waits (at most a generous while) until this process has n threads; an ended thread may
// linger in the listing for a moment after it was joined.
inline bool WaitForThreadCount(int n)
{
    for (int i = 0; i < 20000; ++i) {
        if (ThreadCount() == n)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

} // namespace devcommtest
