#pragma once
// Helpers shared by the pieces of the OpenGL renderer: the error source name and the current colour.
#include "kx/Color.h"

#include <GL/gl.h>

namespace KX {

namespace {

constexpr const char* kSource = "Renderer\\OpenGL\\GLRenderer";

inline void SetColor(const LColor& color) noexcept
{
    glColor4f(color.red, color.green, color.blue, color.alpha);
}

} // namespace

} // namespace KX
