#pragma once
// The one object that holds the keyboard's parameter model together at run time: it owns
// the device communication, the parameter cache and the root module, connects the model
// to the keyboard, runs the device monitor thread, keeps the connection state and posts
// every change the model reports to the "application" centre for the user interface.
// It is also the door through which values are set and read (IParamValueStore).
//
// Lock order of the engine (a lock may be taken while holding only those above it):
//   1. engine lock            (LRootModuleEngine: connection state, device ids, device list)
//   2. delivery lock          (device communication: held while its receiver is called,
//                              by the delivery thread's drain and by the -4 echo)
//   3. root module lock       (LRootModule: the tree and the parameter cache)
//   4. send lock              (LRootModule: taken under 3, held across the device call
//                              after 3 is let go)
//   5. state lock             (device communication: the device id; a leaf, held only to
//                              copy or store it, never across a call)
//   6. queue lock             (device communication: the received lists; a leaf)
// The notification queue's locks are leaves below all of these: the engine posts under
// 1 and the root module's owner callback posts under 3; nothing posted is handled there.
// The engine lock is never taken under 2-6. Library calls run under 1 or 4, never under
// 5 or 6, and the library's callback takes only 6.
#include "engine/DeviceCommunicationInterface.h"
#include "engine/ParamCache.h"
#include "engine/ParamValueStore.h"
#include "engine/RootModule.h"

#include "kx/Array.h"
#include "kx/Event.h"
#include "kx/KXResult.h"
#include "kx/Mutex.h"
#include "kx/NotificationClient.h"
#include "kx/NotificationHandler.h"
#include "kx/ParamValues.h"
#include "kx/RetriggerableThreader.h"
#include "kx/StringT.h"
#include "kx/ThreadWorker.h"
#include "kx/Variant.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

class LRootModuleEngine : public KX::LNotificationClient, public KX::LThreadWorker, public IParamValueStore {
public:
    enum DeviceConnectionState : int32_t {
        kNoDevice = 0,
        kConnectionPending = 1,   // the device is present but connecting failed; the monitor retries
        kRemoteDevicePending = 2, // the monitor connects the pending remote device
        kConnected = 3,
    };

    // The monitor's pause between passes and its wait for a remote list change.
    static constexpr uint32_t kMonitorIntervalMs = 1500;
    // Quick waits for a list change before a full remote search.
    static constexpr int32_t kQuickSearchPasses = 8;
    // How long a stop waits for the monitor: at most this many 1 ms polls, and about as many
    // milliseconds in all.
    static constexpr uint32_t kMonitorStopPolls = 10000;

    struct Options {
        // The device-control library that the device communication loads; empty for the
        // one in the executable's folder.
        KX::WString libraryPath;
        uint32_t monitorIntervalMs = kMonitorIntervalMs;
        // At most this many 1 ms polls (and about as many milliseconds) when stopping the monitor.
        uint32_t monitorStopPolls = kMonitorStopPolls;
        // Used instead of a device communication of the engine's own making (tests).
        KX::RCPtr<LDeviceCommunicationInterface> deviceCommunication;
    };

    static KX::RCPtr<LRootModuleEngine> Create();
    static KX::RCPtr<LRootModuleEngine> Create(const Options& options);

    // Creates and wires everything (device communication, cache of 83 entries, root module
    // numbered from firstId), posts every current value once and connects to the first
    // device. Only a failed device communication makes the engine offline. 0, or E_FAIL
    // when the notification handler cannot be made; throws the failed-result exception
    // when it cannot be registered. A second call does nothing (S_FALSE).
    KX::KXRESULT Initialize(int32_t firstId);

    // The set path of the user interface, the MIDI manager and the preset files. E_FAIL
    // (nothing changed) unless connected; otherwise the root module's result. A failure
    // re-evaluates the connection state.
    [[nodiscard]] KX::KXRESULT SetParamValues(const KX::ParamDescriptor& descriptor, const KX::Variant& value) override;
    // The root module's read; negative ids reach the device communication.
    KX::KXRESULT GetParamValue(const KX::ParamDescriptor& descriptor, KX::Variant& value);
    // Element startIndex + k receives id firstId + k with its current value; a negative
    // startIndex empties values first and counts as 0. E_INVALIDARG when the range does
    // not fit 32 bits.
    KX::KXRESULT GetParamValues(int32_t firstId, int32_t count, KX::IArray<KX::ParamValue>& values,
                                int32_t startIndex) override;
    int32_t GetFirstParamID() override;

    // Posts the current values of a list of descriptor ranges (a KX::ParamDescriptors
    // list) as PostParamValues does; nothing for anything else. Returns 0.
    KX::KXRESULT PostParamModuleStateChange(const KX::Variant& descriptors);
    // Fewer than three values: one "NID_PARAM_MODULE_STATE_CHANGE" per value with a
    // KX::LParamPair; three or more: one with all of them packed in a ParamValues wrapper.
    void PostParamValues(const KX::IArray<KX::ParamValue>& values);
    // Posts a notification of that name with payload to the "application" centre's queue.
    KX::KXRESULT PostNotification(const char16_t* name, const KX::ConstRCPtr<KX::LRefCountedObject>& payload);
    // The root module's owner callback: context is the engine.
    static int32_t ParamValuesCallback(void* context, const KX::IArray<KX::ParamValue>& values);

    // Switches the remote device search on or off. On: the first successful search runs
    // at once and the monitor starts; its result is returned (negative: the search stays
    // off). Off: 0.
    KX::KXRESULT SetActive(bool active);
    // The remote device list: the monitor's while the remote search is on, else a fresh
    // search's. A failed search's result is returned.
    KX::KXRESULT FindDevices(KX::IArray<KX::Variant>& devices);
    // (Re)connects the root module to device; with keepTrying a failed connect to a present
    // device is retried by the monitor. Returns the root module's connect result.
    KX::KXRESULT ConnectDevice(const KX::Variant& device, bool keepTrying);
    KX::KXRESULT DisconnectDevice();

    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>& from,
                         const KX::RCPtr<KX::LNotification>& n) override;
    KX::KXRESULT UnregisterForNotification(const KX::RCPtr<KX::LNotificationDistributor>& d,
                                           const char16_t* name) override;
    // "NID_PARAM_MODULE_CHANGE_REQ": sets the pair's value while connected.
    KX::KXRESULT OnParamModuleChangeRequest(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                            const KX::RCPtr<KX::LNotification>& n);

    // The device monitor loop (on the monitor thread).
    KX::KXRESULT Work(const KX::RCPtr<KX::LRefCountedObject>& params) override;

    // Stops the monitor (never waiting for itself) and drops the registrations.
    KX::KXRESULT ReleaseInternalReferences() override;

    DeviceConnectionState GetConnectionState() const noexcept { return m_connectionState.load(); }
    bool IsInitialized() const noexcept { return m_initialized.load(); }
    bool IsOffline() const noexcept { return m_offline.load(); }
    bool IsRemoteSearchActive() const noexcept { return m_remoteSearchActive.load(); }
    // Whether the monitor thread is running its loop.
    bool IsMonitorRunning();
    KX::Variant GetCurrentDeviceId();
    KX::RCPtr<LParamCache> GetParamCache() const { return m_paramCache; }
    KX::RCPtr<LDeviceCommunicationInterface> GetDeviceCommunication() const { return m_deviceCommunication; }

protected:
    explicit LRootModuleEngine(const Options& options);
    ~LRootModuleEngine() override;

    // Registers the handler for "NID_PARAM_MODULE_CHANGE_REQ" at the application's centre;
    // the handler map's result.
    virtual KX::KXRESULT RegisterChangeRequestHandler();
    // Runs one remote search without waiting and stores its list as the device list.
    KX::KXRESULT SearchRemoteDevices();
    // 3 when the device communication reports connected, else 1 with a pending connect,
    // else 0; a change is stored and posted.
    void UpdateConnectionState();
    KX::KXRESULT StartDeviceMonitor();
    // Asks the monitor to end and waits for it (never on the monitor thread); true when idle.
    bool StopDeviceMonitor();
    // Ends the monitor when nothing needs it: remote search off, no connect running, and no
    // device connected or the connected device gone.
    void StopDeviceMonitorIfIdle();

private:
    class MonitorWorker;

    bool IsDevicePresent(const KX::Variant& device);
    // One pass's connection step: retries a pending connect to a present device.
    void MonitorConnectionStep();
    void RunMonitorLoop();
    // Sleeps for ms unless a stop request wakes it first.
    void MonitorPause(uint32_t ms);
    void RequestMonitorStop();
    void PostConnectionState(DeviceConnectionState state);
    void PostDeviceCount(uint32_t count);
    // The reference that keeps the engine alive while its monitor may still run.
    void TakeMonitorReference();
    void DropMonitorReference();

    const Options m_options;

    KX::RCPtr<KX::LNotificationHandler<LRootModuleEngine>> m_handler;
    std::atomic<bool> m_initialized{false};
    std::atomic<bool> m_offline{false};
    std::atomic<bool> m_monitorStop{true};
    std::atomic<bool> m_connectPending{false};
    std::atomic<bool> m_remoteSearchActive{false};
    std::atomic<bool> m_firstSearchDone{false};
    std::atomic<bool> m_connectInProgress{false};
    std::atomic<KX::KXRESULT> m_firstSearchResult{KX::S_OK};
    std::atomic<DeviceConnectionState> m_connectionState{kNoDevice};
    KX::Array<KX::Variant> m_deviceList;
    KX::Variant m_currentDeviceId;
    KX::RCPtr<LDeviceCommunicationInterface> m_deviceCommunication;
    KX::RCPtr<LParamCache> m_paramCache;
    KX::RCPtr<LRootModule> m_rootModule;
    // The monitor's worker: a small object of the engine's, so that the thread never holds
    // (and never drops) a reference on the engine itself.
    KX::RCPtr<KX::LThreadWorker> m_monitorWorker;
    std::unique_ptr<KX::RetriggerableThreader> m_monitor;
    // Wakes the monitor from its pauses when a stop is requested.
    KX::Event m_monitorWake{true};
    KX::Variant m_pendingRemoteDeviceId;
    // The engine lock: connection state, connect-pending flag, device ids and device list.
    KX::Mutex m_lock;

    // Who lets go of the engine once its monitor has run: the engine's own reference while
    // a monitor loop may still run, counted as internal.
    std::mutex m_monitorRefLock;
    KX::RCPtr<LRootModuleEngine> m_monitorRef;
    bool m_monitorLoopActive = false; // triggered and not yet past its last look at the engine
    bool m_monitorDropsRef = false;   // teardown gave up waiting: the loop drops m_monitorRef
};

// The application's engine, with a reference added; null until one is registered.
KX::RCPtr<LRootModuleEngine> GetRootModuleEngine();
// Whether an engine is registered and connected to the keyboard.
bool IsRootModuleEngineConnected();
// Registers the application's engine (null to drop it), also as the MIDI manager's value
// store (SetParamValueStore).
void SetRootModuleEngine(const KX::RCPtr<LRootModuleEngine>& engine);
