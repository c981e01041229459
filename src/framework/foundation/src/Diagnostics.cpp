#include "kx/Diagnostics.h"

#include <atomic>
#include <cstdio>

namespace KX {

namespace {
std::atomic<DiagnosticHandler> g_handler{nullptr};
} // namespace

DiagnosticHandler SetDiagnosticHandler(DiagnosticHandler handler) noexcept
{
    return g_handler.exchange(handler);
}

void ReportDiagnostic(const char* line) noexcept
{
    if (const DiagnosticHandler handler = g_handler.load()) {
        handler(line);
        return;
    }
    std::fprintf(stderr, "%s\n", line);
}

} // namespace KX
