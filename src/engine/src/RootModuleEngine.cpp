#include "engine/RootModuleEngine.h"

#include "kx/Exception.h"
#include "kx/Notification.h"
#include "kx/NotificationCenter.h"
#include "kx/NotificationId.h"
#include "kx/Thread.h"

#include <new>

// The monitor thread's worker. It holds no reference on the engine: the engine keeps
// itself alive while its loop may run (see TakeMonitorReference).
class LRootModuleEngine::MonitorWorker : public KX::LThreadWorker {
public:
    explicit MonitorWorker(LRootModuleEngine* engine) : m_engine(engine) {}

    KX::KXRESULT Work(const KX::RCPtr<KX::LRefCountedObject>& params) override { return m_engine->Work(params); }

private:
    LRootModuleEngine* m_engine;
};

KX::RCPtr<LRootModuleEngine> LRootModuleEngine::Create()
{
    return Create(Options());
}

KX::RCPtr<LRootModuleEngine> LRootModuleEngine::Create(const Options& options)
{
    return KX::RCPtr<LRootModuleEngine>(new LRootModuleEngine(options));
}

LRootModuleEngine::LRootModuleEngine(const Options& options)
    : m_options(options), m_monitorWorker(new MonitorWorker(this)),
      m_monitor(std::make_unique<KX::RetriggerableThreader>(KX::WString()))
{
}

LRootModuleEngine::~LRootModuleEngine()
{
    RequestMonitorStop();
    // No values arrive after this.
    if (m_rootModule)
        m_rootModule->StopReceiving();
    // Joins the monitor thread (idle by now), unless this runs on it.
    m_monitor.reset();
    m_rootModule = nullptr;
    m_paramCache = nullptr;
    m_deviceCommunication = nullptr;
    m_monitorWorker = nullptr;
    m_handler = nullptr;
}

KX::KXRESULT LRootModuleEngine::Initialize(int32_t firstId)
{
    if (m_handler)
        return KX::S_FALSE;
    try {
        m_handler = KX::RCPtr<KX::LNotificationHandler<LRootModuleEngine>>(
            new KX::LNotificationHandler<LRootModuleEngine>(this));
    } catch (const std::bad_alloc&) {
        return KX::E_FAIL;
    }
    const KX::KXRESULT registered = RegisterChangeRequestHandler();
    if (KX::Failed(registered))
        KX::ThrowFailedResult(registered, "LRootModuleEngine::Initialize",
                              "Engine\\PresetEditorCommon\\RootModuleEngine", 237);

    m_deviceCommunication = m_options.deviceCommunication
                                ? m_options.deviceCommunication
                                : LDeviceCommunicationInterface::Create(m_options.libraryPath);
    m_paramCache = LParamCache::Create(kParamCount);

    m_offline.store(false);
    KX::Array<KX::Variant> devices;
    if (KX::Failed(m_deviceCommunication->CreateClient()))
        m_offline.store(true);
    else
        m_deviceCommunication->FindDevices(KX::Array<ZVDI_GUID>(), devices);

    m_rootModule = LRootModule::Create(m_offline.load());
    m_rootModule->Setup(&LRootModuleEngine::ParamValuesCallback, this, KX::RCPtr<IParamCache>(m_paramCache.Get()),
                        KX::RCPtr<IDeviceCommunication>(m_deviceCommunication.Get()), firstId);
    m_initialized.store(true);

    PostParamModuleStateChange(KX::ParamDescriptors(firstId, static_cast<int32_t>(kParamCount)));

    if (!m_offline.load() && devices.GetCount() > 0)
        ConnectDevice(devices.GetData()[0], false);
    return KX::S_OK;
}

KX::KXRESULT LRootModuleEngine::RegisterChangeRequestHandler()
{
    const KX::RCPtr<KX::LNotificationDistributor> centre(KX::GetNotificationQueue().Get());
    return m_handler->AddDistributorHandler(&LRootModuleEngine::OnParamModuleChangeRequest, centre,
                                            KX::NID_PARAM_MODULE_CHANGE_REQ, 0);
}

KX::KXRESULT LRootModuleEngine::Work(const KX::RCPtr<KX::LRefCountedObject>&)
{
    RunMonitorLoop();
    // The loop's last look at the engine. When teardown gave up waiting for it, the loop lets
    // go of the engine's own reference, which may destroy the engine: nothing follows.
    bool drop = false;
    {
        std::lock_guard<std::mutex> guard(m_monitorRefLock);
        m_monitorLoopActive = false;
        drop = m_monitorDropsRef;
        m_monitorDropsRef = false;
    }
    if (drop)
        DropMonitorReference();
    return KX::S_OK;
}

KX::KXRESULT LRootModuleEngine::ReleaseInternalReferences()
{
    StopDeviceMonitor();
    UnregisterFromAll();
    bool drop = true;
    {
        std::lock_guard<std::mutex> guard(m_monitorRefLock);
        if (m_monitorLoopActive) {
            // Still running (stuck in a library call, or this is its own thread): the loop
            // lets go when it ends.
            m_monitorDropsRef = true;
            drop = false;
        }
    }
    if (drop)
        DropMonitorReference();
    return (GetInternalRefCount() == 0 && GetRefCount() == 1) ? KX::S_OK : KX::E_FAIL;
}

// The application's engine

namespace {

std::mutex& EngineLock()
{
    static std::mutex* const lock = new std::mutex();
    return *lock;
}

// Never destroyed: the application lets go of its engine itself, on its own thread.
KX::RCPtr<LRootModuleEngine>& EngineSlot()
{
    static auto* const slot = new KX::RCPtr<LRootModuleEngine>();
    return *slot;
}

} // namespace

KX::RCPtr<LRootModuleEngine> GetRootModuleEngine()
{
    std::lock_guard<std::mutex> guard(EngineLock());
    return EngineSlot();
}

bool IsRootModuleEngineConnected()
{
    const KX::RCPtr<LRootModuleEngine> engine = GetRootModuleEngine();
    return engine && engine->GetConnectionState() == LRootModuleEngine::kConnected;
}

void SetRootModuleEngine(const KX::RCPtr<LRootModuleEngine>& engine)
{
    KX::RCPtr<LRootModuleEngine> previous; // released outside the lock
    {
        std::lock_guard<std::mutex> guard(EngineLock());
        previous = EngineSlot();
        EngineSlot() = engine;
    }
    SetParamValueStore(KX::RCPtr<IParamValueStore>(engine.Get()));
}
