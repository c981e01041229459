#pragma once
// Helpers for the OpenGL renderer's tests: a renderer over OSMesa with the FreeType font
// renderer and the glyph renderer, offscreen contexts and pixel reads.
#include "RenderCoreFakes.h"

#include "OSMesaContext.h"
#include "fonts/FreetypeFontRenderer.h"
#include "kx/Bitmap.h"
#include "kx/Font.h"
#include "opengl/GLGlyphRenderer.h"
#include "opengl/GLRenderer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

namespace gltest {

using KX::ConstRCPtr;
using KX::RCPtr;

// Channels of a 32-bit ARGB pixel.
inline int Red(uint32_t p)
{
    return static_cast<int>((p >> 16) & 255);
}
inline int Green(uint32_t p)
{
    return static_cast<int>((p >> 8) & 255);
}
inline int Blue(uint32_t p)
{
    return static_cast<int>(p & 255);
}
inline int Alpha(uint32_t p)
{
    return static_cast<int>(p >> 24);
}
inline uint32_t Rgb(uint32_t p)
{
    return p & 0x00FFFFFFu;
}

// The largest difference of red, green and blue.
inline int RgbDistance(uint32_t a, uint32_t b)
{
    return std::max({std::abs(Red(a) - Red(b)), std::abs(Green(a) - Green(b)), std::abs(Blue(a) - Blue(b))});
}

// A renderer as the factory makes it, over its own OSMesa context, with the render host
// measuring fonts through it.
struct GLRig {
    RCPtr<KX::LGLGlyphRenderer> glyphs{new KX::LGLGlyphRenderer()};
    RCPtr<KX::LFreetypeFontRenderer> fonts{new KX::LFreetypeFontRenderer(RCPtr<KX::LGlyphProcessor>(glyphs.Get()))};
    RCPtr<KX::LGLRenderer> renderer{new KX::LGLRenderer(RCPtr<KX::LFontRenderer>(fonts.Get()), nullptr)};
    rendercore::ScopedRenderHost host{ConstRCPtr<KX::LMeasurementRenderer>(renderer.Get())};

    RCPtr<KX::LGLRenderContextInfo> MakeContext(int32_t width, int32_t height, bool offscreenOnly = true)
    {
        RCPtr<KX::LRenderContextInfo> context;
        EXPECT_EQ(renderer->InitRenderContextInfo({0, 0, width, height}, nullptr, offscreenOnly, context), KX::S_OK);
        return RCPtr<KX::LGLRenderContextInfo>::DynamicCast(context);
    }
};

inline KX::LOSMesaSurface& SurfaceOf(const KX::LGLRenderContextInfo& context)
{
    return *dynamic_cast<KX::LOSMesaSurface*>(context.GetSurface().Get());
}

// Pixel (x, y) of the context's surface, after its frame ended.
inline uint32_t PixelAt(const KX::LGLRenderContextInfo& context, int32_t x, int32_t y)
{
    return SurfaceOf(context).GetPixel(x, y);
}

// A root bitmap of width x height whose pixel (x, y) is pattern(x, y) (straight ARGB).
template <class Pattern>
RCPtr<KX::LBitmap> MakeBitmap(int32_t width, int32_t height, Pattern pattern)
{
    RCPtr<KX::LBitmap> bitmap = KX::LBitmap::CreateFilledBitmap(width, height, KX::LColor());
    gdi::Bitmap* image = bitmap->GetBitmapData();
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            EXPECT_EQ(image->SetPixel(x, y, pattern(x, y)), gdi::Status::Ok);
    return bitmap;
}

inline const KX::LColor kBlack = KX::LColor::MakeFromARGB(0xFF000000u);
inline const KX::LColor kWhite = KX::LColor::MakeFromARGB(0xFFFFFFFFu);

} // namespace gltest
