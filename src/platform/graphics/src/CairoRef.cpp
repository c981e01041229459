#include "platform/gdi/CairoRef.h"

#include <cairo.h>

namespace gdi {

void CairoRelease::operator()(cairo_t* context) const noexcept
{
    if (context)
        cairo_destroy(context);
}

void CairoRelease::operator()(cairo_surface_t* surface) const noexcept
{
    if (surface)
        cairo_surface_destroy(surface);
}

void CairoRelease::operator()(cairo_pattern_t* pattern) const noexcept
{
    if (pattern)
        cairo_pattern_destroy(pattern);
}

} // namespace gdi
