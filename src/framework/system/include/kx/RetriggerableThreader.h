#pragma once
// One long-lived thread that runs one piece of work each time it is triggered.
#include "kx/Event.h"
#include "kx/KXResult.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"
#include "kx/Thread.h"
#include "kx/ThreadWorker.h"

#include <memory>

namespace KX {

class RetriggerableThreader : public IStringable {
public:
    // Starts the thread, which waits for the first trigger.
    explicit RetriggerableThreader(const StringT<char16_t, char>& name = StringT<char16_t, char>());
    // Stops the thread: waits up to 60000 ms for it unless called on the thread itself.
    // A thread that is still running then keeps what it uses (worker, parameters, done event)
    // until it ends; it is never left with freed storage.
    virtual ~RetriggerableThreader();
    RetriggerableThreader(const RetriggerableThreader&) = delete;
    RetriggerableThreader& operator=(const RetriggerableThreader&) = delete;

    // A copy of the display name.
    StringT<char16_t, char> ToString() const override;
    void SetName(const StringT<char16_t, char>& name);

    // Runs worker->Work(params) on the thread. The done event, when given, is reset now and
    // set when the run has ended. E_FAIL while stopping, while a run is busy, or when the
    // thread is missing or cannot be woken; S_OK otherwise.
    KXRESULT Trigger(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& params,
                     const RCPtr<LEvent>& doneEvent, int32_t priority);
    // The same without a done event; an earlier done event is dropped.
    KXRESULT Trigger(const RCPtr<LThreadWorker>& worker, const RCPtr<LRefCountedObject>& params, int32_t priority);

    // The busy flag; a thread that has ended counts as idle (the flag is cleared).
    bool IsBusy();
    bool IsStopping() const noexcept;
    // The result of the last Work call.
    KXRESULT GetLastResult() const noexcept;

    // Sets the stopping flag (final) and wakes the thread.
    void RequestStop();
    // RequestStop, then waits up to ms for the thread unless called on the thread itself;
    // true when the thread has ended.
    bool Stop(uint32_t milliseconds);

    Thread& GetThread() noexcept;
    bool IsCurrentThread() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
    Thread* m_thread;
};

} // namespace KX
