#include "kx/RenderHost.h"

#include "kx/Renderer.h"

#include <chrono>

namespace KX {

namespace {
IRenderHost* g_host = nullptr;
} // namespace

void SetRenderHost(IRenderHost* host) noexcept
{
    g_host = host;
}

IRenderHost* GetRenderHost() noexcept
{
    return g_host;
}

ConstRCPtr<LMeasurementRenderer> GetMeasurementRenderer()
{
    return g_host ? g_host->GetMeasurementRenderer() : ConstRCPtr<LMeasurementRenderer>();
}

KXRESULT GetDefaultFont(WString& faceName, float& size, int32_t& style)
{
    return g_host ? g_host->GetDefaultFont(faceName, size, style) : E_FAIL;
}

uint32_t GetTickTime()
{
    if (g_host)
        return g_host->GetTickTime();
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

} // namespace KX
