#pragma once
// A unit of work that a threader or a thread pool runs.
#include "kx/KXResult.h"
#include "kx/RefCountedObject.h"

namespace KX {

class LThreadWorker : public virtual LRefCountedObject {
public:
    // Runs on the thread that took the work. Its ToString names that thread.
    virtual KXRESULT Work(const RCPtr<LRefCountedObject>& params) = 0;
};

} // namespace KX
