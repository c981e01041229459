#pragma once
// Owning holders for the Cairo objects that the graphics layer's classes keep, declared without
// Cairo's header: each holds one reference and releases it when dropped.
#include <memory>

extern "C" {
struct _cairo;
struct _cairo_surface;
struct _cairo_pattern;
}

namespace gdi {

struct CairoRelease {
    void operator()(_cairo* context) const noexcept;
    void operator()(_cairo_surface* surface) const noexcept;
    void operator()(_cairo_pattern* pattern) const noexcept;
};

using CairoContext = std::unique_ptr<_cairo, CairoRelease>;
using CairoSurface = std::unique_ptr<_cairo_surface, CairoRelease>;
using CairoPattern = std::unique_ptr<_cairo_pattern, CairoRelease>;

} // namespace gdi
