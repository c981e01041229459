#include "kx/EventGatedThreader.h"

#include <atomic>

namespace KX {

// What the thread touches, shared with it so that it never runs on freed storage.
struct LEventGatedThreader::State {
    RCPtr<LEvent> gate;
    std::atomic<bool> stopping{false};
    RCPtr<LThreadWorker> worker;
    RCPtr<LRefCountedObject> params;

    void Run()
    {
        while (!stopping.load()) {
            gate->Wait(INFINITE);
            if (stopping.load())
                break;
            if (worker)
                worker->Work(params);
        }
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

RCPtr<LEventGatedThreader> LEventGatedThreader::Create(const RCPtr<LEvent>& gate, const RCPtr<LThreadWorker>& worker,
                                                       const RCPtr<LRefCountedObject>& params, int32_t priority)
{
    return RCPtr<LEventGatedThreader>(new LEventGatedThreader(gate, worker, params, priority));
}

LEventGatedThreader::LEventGatedThreader(const RCPtr<LEvent>& gate, const RCPtr<LThreadWorker>& worker,
                                         const RCPtr<LRefCountedObject>& params, int32_t priority)
    : m_state(std::make_shared<State>()), m_thread(nullptr)
{
    m_state->gate = gate;
    m_state->worker = worker;
    m_state->params = params;
    // Without a gate there is nothing to wait for: no thread.
    if (!gate) {
        m_thread = new Thread(nullptr, nullptr);
        return;
    }
    auto* context = new std::shared_ptr<State>(m_state);
    m_thread = new Thread(&State::Routine, context);
    if (!m_thread->IsValid()) {
        delete context;
        return;
    }
    m_thread->SetPriority(priority);
    m_thread->SetPriorityBoost(false);
    m_thread->Resume();
}

LEventGatedThreader::~LEventGatedThreader()
{
    m_state->stopping.store(true);
    bool ended = true;
    if (m_thread->IsValid()) {
        m_state->gate->Set();
        ended = !m_thread->IsCurrentThread() && m_thread->WaitForExit(kStopWaitMs);
    }
    if (ended) {
        m_state->worker = nullptr;
        m_state->params = nullptr;
        m_state->gate = nullptr;
    }
    delete m_thread;
    m_state.reset();
}

bool LEventGatedThreader::IsStopping() const noexcept
{
    return m_state->stopping.load();
}

Thread& LEventGatedThreader::GetThread() noexcept
{
    return *m_thread;
}

} // namespace KX
