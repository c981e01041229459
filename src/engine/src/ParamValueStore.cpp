#include "engine/ParamValueStore.h"

#include <mutex>

namespace {

std::mutex& StoreLock()
{
    static std::mutex lock;
    return lock;
}

KX::RCPtr<IParamValueStore>& Store()
{
    static KX::RCPtr<IParamValueStore> store;
    return store;
}

} // namespace

void SetParamValueStore(const KX::RCPtr<IParamValueStore>& store)
{
    KX::RCPtr<IParamValueStore> previous; // released outside the lock
    std::lock_guard<std::mutex> guard(StoreLock());
    previous = Store();
    Store() = store;
}

KX::RCPtr<IParamValueStore> GetParamValueStore()
{
    std::lock_guard<std::mutex> guard(StoreLock());
    return Store();
}
