#pragma once
// Named distributors with a queue of their own, and the process-wide manager that owns them.
#include "kx/KXResult.h"
#include "kx/Mutex.h"
#include "kx/NotificationDistributor.h"
#include "kx/NotificationQueue.h"
#include "kx/RCPtrArray.h"
#include "kx/StringT.h"

#include <atomic>

namespace KX {

class LNotificationCenter : public LNotificationDistributor {
public:
    // A new centre whose queue is attached to it.
    static RCPtr<LNotificationCenter>& Create(RCPtr<LNotificationCenter>& out, const WString& name);

    // Post here to have a notification sent through this centre later on the main thread.
    const RCPtr<LNotificationQueue>& GetQueue() const noexcept { return m_queue; }
    const WString& GetName() const noexcept { return m_name; }

    // Teardown: unregisters every receiver and detaches the queue.
    KXRESULT ReleaseInternalReferences() override;

protected:
    explicit LNotificationCenter(const WString& name);
    ~LNotificationCenter() override;

private:
    RCPtr<LNotificationQueue> m_queue;
    WString m_name;
    std::atomic<bool> m_tornDown{false};
};

class LNotificationCenterManager : public virtual LRefCountedObject {
public:
    // The process-wide manager, created on first use.
    static RCPtr<LNotificationCenterManager> GetInstance();
    // Drops the process-wide manager (the framework application's exit); a later GetInstance
    // makes a new, empty one.
    static void ClearInstance();

    // The centre of that name, created when missing; null for an empty name.
    RCPtr<LNotificationCenter> GetCenter(const WString& name);
    // The existing centre of that name, or null.
    RCPtr<LNotificationCenter> FindCenter(const WString& name);
    // Drains every centre's queue, the newest centre first; true when any queue has entries left.
    bool ProcessAll(bool sendIdle);
    uint32_t GetCenterCount();

protected:
    LNotificationCenterManager() = default;
    ~LNotificationCenterManager() override;

private:
    RCPtr<LNotificationCenter> FindLocked(const WString& name);

    Mutex m_lock;
    RCPtrArray<LNotificationCenter> m_centres;
};

// The name of the application's centre.
inline constexpr char16_t kApplicationCenterName[] = u"application";

// The application's centre ("application"): handlers register here, senders post to its queue.
RCPtr<LNotificationCenter> GetNotificationQueue();

} // namespace KX
