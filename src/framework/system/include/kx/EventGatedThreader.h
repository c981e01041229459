#pragma once
// A thread that runs its one worker each time its gate event is set.
#include "kx/Event.h"
#include "kx/RefCountedObject.h"
#include "kx/Thread.h"
#include "kx/ThreadWorker.h"

#include <memory>

namespace KX {

class LEventGatedThreader : public virtual LRefCountedObject {
public:
    // Starts the thread at the priority given, with dynamic boosting off; it waits for the gate
    // and runs worker->Work(params) after each wake-up until it is stopped.
    static RCPtr<LEventGatedThreader> Create(const RCPtr<LEvent>& gate, const RCPtr<LThreadWorker>& worker,
                                             const RCPtr<LRefCountedObject>& params, int32_t priority);

    LEventGatedThreader(const RCPtr<LEvent>& gate, const RCPtr<LThreadWorker>& worker,
                        const RCPtr<LRefCountedObject>& params, int32_t priority);
    // Sets stopping and the gate and waits up to 60000 ms for the thread unless called on it.
    // The worker, parameters and gate are released here once the thread has ended; a thread
    // still running keeps them until it ends.
    ~LEventGatedThreader() override;

    bool IsStopping() const noexcept;
    Thread& GetThread() noexcept;

    struct State;

private:
    std::shared_ptr<State> m_state;
    Thread* m_thread;
};

} // namespace KX
