#include "kx/RetriggerableThreader.h"

#include <atomic>
#include <mutex>

namespace KX {

// Everything the thread touches lives here, shared between the threader and its thread, so
// that a thread outliving its threader (stopped from itself, or not ending in time) still
// runs on live storage.
struct RetriggerableThreader::State {
    Event trigger{true};
    RCPtr<LEvent> doneEvent;
    std::atomic<bool> busy{false};
    std::atomic<bool> stopping{false};
    RCPtr<LThreadWorker> worker;
    RCPtr<LRefCountedObject> params;
    std::atomic<KXRESULT> lastResult{S_OK};
    // Serialises triggers from several threads.
    std::mutex triggerLock;
    mutable std::mutex nameLock;
    StringT<char16_t, char> name;

    void Run()
    {
        do {
            trigger.Wait(INFINITE);
            // The fields are stored before busy is set and busy before the trigger, so they
            // are complete here.
            if (!stopping.load() && worker)
                lastResult.store(worker->Work(params));
            params = nullptr;
            worker = nullptr;
            // busy is cleared before the done event is set, so a waiter woken by the event can
            // trigger again at once.
            RCPtr<LEvent> done = std::move(doneEvent);
            busy.store(false);
            if (done)
                done->Set();
        } while (!stopping.load());
    }

    static uint32_t Routine(void* context)
    {
        std::unique_ptr<std::shared_ptr<State>> holder(static_cast<std::shared_ptr<State>*>(context));
        (*holder)->Run();
        return 0;
    }
};

namespace {
constexpr uint32_t kStopWaitMs = 60000;
}

RetriggerableThreader::RetriggerableThreader(const StringT<char16_t, char>& name)
    : m_state(std::make_shared<State>()), m_thread(nullptr)
{
    m_state->name = name;
    auto* context = new std::shared_ptr<State>(m_state);
    m_thread = new Thread(&State::Routine, context);
    if (!m_thread->IsValid()) {
        delete context;
        return;
    }
    m_thread->SetPriorityBoost(false);
    m_thread->Resume();
}

RetriggerableThreader::~RetriggerableThreader()
{
    const bool ended = Stop(kStopWaitMs);
    if (ended) {
        // The thread is gone: what it held is released here.
        m_state->params = nullptr;
        m_state->worker = nullptr;
        m_state->doneEvent = nullptr;
    }
    delete m_thread;
    m_state.reset();
}

StringT<char16_t, char> RetriggerableThreader::ToString() const
{
    std::lock_guard lock(m_state->nameLock);
    return m_state->name;
}

void RetriggerableThreader::SetName(const StringT<char16_t, char>& name)
{
    std::lock_guard lock(m_state->nameLock);
    m_state->name = name;
}

KXRESULT RetriggerableThreader::Trigger(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& params,
                                        const RCPtr<LEvent>& doneEvent, int32_t priority)
{
    State& s = *m_state;
    std::lock_guard lock(s.triggerLock);
    if (s.stopping.load() || !m_thread->IsValid())
        return E_FAIL;
    if (s.busy.load()) {
        if (!m_thread->IsFinished())
            return E_FAIL;
        s.busy.store(false);
    }
    m_thread->SetPriority(priority);
    s.worker = worker;
    s.params = params;
    s.doneEvent = doneEvent;
    if (doneEvent)
        doneEvent->Reset();
    s.busy.store(true);
    if (!s.trigger.Set()) {
        s.params = nullptr;
        s.worker = nullptr;
        s.doneEvent = nullptr;
        s.busy.store(false);
        return E_FAIL;
    }
    return S_OK;
}

KXRESULT RetriggerableThreader::Trigger(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& params,
                                        int32_t priority)
{
    return Trigger(worker, params, RCPtr<LEvent>(), priority);
}

bool RetriggerableThreader::IsBusy()
{
    if (m_state->busy.load() && m_thread->IsFinished())
        m_state->busy.store(false);
    return m_state->busy.load();
}

bool RetriggerableThreader::IsStopping() const noexcept
{
    return m_state->stopping.load();
}

KXRESULT RetriggerableThreader::GetLastResult() const noexcept
{
    return m_state->lastResult.load();
}

void RetriggerableThreader::RequestStop()
{
    m_state->stopping.store(true);
    m_state->trigger.Set();
}

bool RetriggerableThreader::Stop(uint32_t milliseconds)
{
    RequestStop();
    if (!m_thread->IsValid())
        return true;
    if (m_thread->IsCurrentThread())
        return false;
    return m_thread->WaitForExit(milliseconds);
}

Thread& RetriggerableThreader::GetThread() noexcept
{
    return *m_thread;
}

bool RetriggerableThreader::IsCurrentThread() const
{
    return m_thread->IsCurrentThread();
}

} // namespace KX
