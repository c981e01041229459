#pragma once
// One-line reports of misuse that the foundation survives (a pool block freed twice). They go to
// standard error until a higher layer installs a handler (its trace, or a test collecting them).
// Handlers may be called from any thread and never while a foundation lock is held.

namespace KX {

using DiagnosticHandler = void (*)(const char* line) noexcept;

// Installs handler (null: standard error again); returns the handler it replaces.
DiagnosticHandler SetDiagnosticHandler(DiagnosticHandler handler) noexcept;
// Hands one line, without its line break, to the current handler.
void ReportDiagnostic(const char* line) noexcept;

} // namespace KX
