#include "kx/AppServices.h"

#include <atomic>

namespace KX {

namespace {
std::atomic<IAppServices*> g_services{nullptr};
}

void SetAppServices(IAppServices* services) noexcept
{
    g_services.store(services, std::memory_order_release);
}

IAppServices* GetAppServices() noexcept
{
    return g_services.load(std::memory_order_acquire);
}

bool RunIdlePass(int32_t passCount)
{
    IAppServices* services = GetAppServices();
    if (!services || services->IsExitRequested())
        return false;
    if (!services->ProcessNotificationQueues(passCount == 0))
        return false;
    return passCount < 2;
}

WString LookupAppString(const WString& key)
{
    IAppServices* services = GetAppServices();
    return services ? services->LookupAppString(key) : WString();
}

int32_t ShowAppMessageBox(const WString& text, const WString& caption, uint32_t flags)
{
    IAppServices* services = GetAppServices();
    return services ? services->ShowAppMessageBox(text, caption, flags) : 0;
}

} // namespace KX
