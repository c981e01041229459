#include "kx/NotificationCenter.h"

#include <mutex>

namespace KX {

// Centre.

LNotificationCenter::LNotificationCenter(const WString& name) : m_name(name) {}

LNotificationCenter::~LNotificationCenter() = default;

RCPtr<LNotificationCenter>& LNotificationCenter::Create(RCPtr<LNotificationCenter>& out, const WString& name)
{
    RCPtr<LNotificationCenter> centre(new LNotificationCenter(name));
    centre->m_queue = LNotificationQueue::Create();
    // The queue's link back to its centre is internal.
    if (centre->m_queue->AttachDistributor(centre) == S_OK)
        centre->AddToRefCount(1);
    out = std::move(centre);
    return out;
}

KXRESULT LNotificationCenter::ReleaseInternalReferences()
{
    if (!m_tornDown.exchange(true)) {
        UnregisterAllClients();
        // Posting receivers refuse to unregister themselves; nobody can post here any more, so
        // their registrations go too (they hold this centre).
        DropAllRegistrations();
        if (m_queue->GetDistributor().Get() == this) {
            AddToRefCount(-1);
            m_queue->Detach();
        }
    }
    return LRefCountedObject::ReleaseInternalReferences();
}

// Manager.

namespace {

struct ManagerInstance {
    std::mutex lock;
    RCPtr<LNotificationCenterManager> manager;
};

// Never destroyed, so code that runs at exit still finds it; the framework application clears
// the manager itself when it ends.
ManagerInstance& Instance()
{
    static ManagerInstance* const instance = new ManagerInstance();
    return *instance;
}

class Manager final : public LNotificationCenterManager {
public:
    Manager() = default;
};

} // namespace

LNotificationCenterManager::~LNotificationCenterManager() = default;

RCPtr<LNotificationCenterManager> LNotificationCenterManager::GetInstance()
{
    ManagerInstance& instance = Instance();
    std::lock_guard<std::mutex> guard(instance.lock);
    if (!instance.manager)
        instance.manager = new Manager();
    return instance.manager;
}

void LNotificationCenterManager::ClearInstance()
{
    RCPtr<LNotificationCenterManager> released;
    {
        ManagerInstance& instance = Instance();
        std::lock_guard<std::mutex> guard(instance.lock);
        released = std::move(instance.manager);
    }
}

RCPtr<LNotificationCenter> LNotificationCenterManager::FindLocked(const WString& name)
{
    const RCPtr<LNotificationCenter>* centres = m_centres.GetData();
    for (uint32_t i = 0, n = m_centres.GetCount(); i < n; ++i) {
        const WString& other = centres[i]->GetName();
        if (other.GetString() == name.GetString() || other == name)
            return centres[i];
    }
    return nullptr;
}

RCPtr<LNotificationCenter> LNotificationCenterManager::FindCenter(const WString& name)
{
    MutexLock guard(m_lock);
    return FindLocked(name);
}

RCPtr<LNotificationCenter> LNotificationCenterManager::GetCenter(const WString& name)
{
    if (name.IsEmpty())
        return nullptr;
    MutexLock guard(m_lock);
    RCPtr<LNotificationCenter> centre = FindLocked(name);
    if (!centre) {
        LNotificationCenter::Create(centre, name);
        m_centres.AddItem(centre);
    }
    return centre;
}

uint32_t LNotificationCenterManager::GetCenterCount()
{
    MutexLock guard(m_lock);
    return m_centres.GetCount();
}

bool LNotificationCenterManager::ProcessAll(bool sendIdle)
{
    // Drained outside the lock: receivers may ask for centres.
    RCPtrArray<LNotificationCenter, 4, 4> centres;
    {
        MutexLock guard(m_lock);
        for (uint32_t i = 0, n = m_centres.GetCount(); i < n; ++i)
            centres.AddItem(m_centres.GetData()[i]);
    }
    bool left = false;
    for (int32_t i = static_cast<int32_t>(centres.GetCount()) - 1; i >= 0; --i) {
        if (centres.GetData()[i]->GetQueue()->ProcessQueue(sendIdle))
            left = true;
    }
    return left;
}

RCPtr<LNotificationCenter> GetNotificationQueue()
{
    static const WString* const name = new WString(kApplicationCenterName);
    return LNotificationCenterManager::GetInstance()->GetCenter(*name);
}

} // namespace KX
