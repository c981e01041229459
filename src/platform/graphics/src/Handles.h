#pragma once
// Owning holders for the Cairo, fontconfig and FreeType handles of the graphics layer: each one
// frees its handle with the library's own call when dropped. For Cairo's counted objects a holder
// owns one reference.
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include "platform/gdi/CairoRef.h"

#include <memory>

namespace gdi {

template <auto Free>
struct HandleFree {
    template <class T>
    void operator()(T* handle) const noexcept
    {
        if (handle)
            Free(handle);
    }
};

template <class T, auto Free>
using Handle = std::unique_ptr<T, HandleFree<Free>>;

// CairoContext, CairoSurface and CairoPattern: in CairoRef.h, for the public classes.
using CairoFontFace = Handle<cairo_font_face_t, cairo_font_face_destroy>;
using CairoScaledFont = Handle<cairo_scaled_font_t, cairo_scaled_font_destroy>;
using CairoFontOptions = Handle<cairo_font_options_t, cairo_font_options_destroy>;
using CairoGlyphs = Handle<cairo_glyph_t, cairo_glyph_free>;

using FcPatternHandle = Handle<FcPattern, FcPatternDestroy>;
using FcObjectSetHandle = Handle<FcObjectSet, FcObjectSetDestroy>;
using FcFontSetHandle = Handle<FcFontSet, FcFontSetDestroy>;

using FtFace = Handle<FT_FaceRec_, FT_Done_Face>;
using FtLibrary = Handle<FT_LibraryRec_, FT_Done_FreeType>;

} // namespace gdi
