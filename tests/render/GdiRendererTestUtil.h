#pragma once
// Helpers for the GDI+ renderer's tests: a window without a screen, contexts and pixel reads.
#include "RenderTestUtil.h"

#include "kx/Bitmap.h"
#include "kx/GDIRenderer.h"

#include <gtest/gtest.h>

#include <memory>

namespace gditest {

// A window whose client area is an offscreen surface.
class TestWindow : public KX::IRenderWindow {
public:
    TestWindow(int32_t width, int32_t height)
    {
        EXPECT_EQ(gdi::OffscreenWindowSurface::Create(width, height, surface), gdi::Status::Ok);
    }
    gdi::WindowSurface* GetWindowSurface() override { return surface.get(); }
    void* GetDeviceContext() override { return nullptr; }

    std::unique_ptr<gdi::OffscreenWindowSurface> surface;
};

inline KX::RCPtr<KX::LGDIRenderer> MakeRenderer()
{
    return KX::RCPtr<KX::LGDIRenderer>(new KX::LGDIRenderer());
}

inline KX::RCPtr<KX::LGDIRenderContextInfo> MakeContext(KX::LGDIRenderer& renderer, KX::RectT<int32_t> viewport,
                                                        KX::WindowHandle window = nullptr, bool offscreenOnly = true)
{
    KX::RCPtr<KX::LRenderContextInfo> context;
    EXPECT_EQ(renderer.InitRenderContextInfo(viewport, window, offscreenOnly, context), KX::S_OK);
    auto gdiContext = KX::RCPtr<KX::LGDIRenderContextInfo>::DynamicCast(context);
    EXPECT_TRUE(gdiContext);
    return gdiContext;
}

// A pixel of the context's current surface (straight ARGB).
inline gdi::ARGB SurfacePixel(const KX::LGDIRenderContextInfo& context, int32_t x, int32_t y)
{
    gdi::ARGB value = 0xDEADBEEF;
    EXPECT_EQ(context.GetBitmap()->GetPixel(x, y, value), gdi::Status::Ok) << x << "," << y;
    return value;
}

// A root bitmap of width x height whose pixel (x, y) is pattern(x, y).
template <class Pattern>
KX::RCPtr<KX::LBitmap> MakePatternBitmap(int32_t width, int32_t height, Pattern pattern)
{
    KX::RCPtr<KX::LBitmap> bitmap = KX::LBitmap::CreateFilledBitmap(width, height, KX::LColor());
    gdi::Bitmap* image = bitmap->GetBitmapData();
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            EXPECT_EQ(image->SetPixel(x, y, pattern(x, y)), gdi::Status::Ok);
    return bitmap;
}

// Opaque colours that survive the surfaces' premultiplication exactly.
inline gdi::ARGB Checker(int32_t x, int32_t y)
{
    return gdi::MakeARGB(255, uint32_t(x * 20), uint32_t(y * 20), (x + y) % 2 ? 255u : 0u);
}

} // namespace gditest
