#pragma once
// Helpers for the look and visual-part tests: skin descriptions built in code, a GDI+ renderer on
// an offscreen window surface, and pixel reads.
#include "../render/GdiRendererTestUtil.h"
#include "ScopedRenderHost.h"
#include "resources/LookTestImages.h"

#include "kx/ui/DescriptorCreation.h"
#include "kx/ui/Look.h"
#include "kx/ui/VisualPart.h"

#include <gtest/gtest.h>

namespace uitest {

using KX::ConstRCPtr;
using KX::RCPtr;
using KX::WString;

inline RCPtr<KX::LColorizer> Solid(uint32_t argb, uint32_t type = KX::LColorizer::kSolidFill, uint32_t endArgb = 0)
{
    const KX::LColor c = KX::LColor::MakeFromARGB(argb);
    const KX::LColor e = KX::LColor::MakeFromARGB(endArgb);
    const float color[4] = {c.red, c.green, c.blue, c.alpha};
    const float end[4] = {e.red, e.green, e.blue, e.alpha};
    RCPtr<KX::LColorizer> colorizer;
    return KX::CreateColorizer(colorizer, WString(u"C"), type, color, end, 0, 0, 1, 1);
}

inline RCPtr<KX::LVisualPartDescriptor> FlatPart(uint32_t argb, int32_t width, int32_t height,
                                                 uint32_t resize = KX::LVisualPartDescriptor::kResizeStretch,
                                                 float alphaModifier = 1.0f)
{
    RCPtr<KX::LVisualPartDescriptor> part;
    return KX::CreateVisualPartDescriptor(part, WString(u"Flat"), Solid(argb), width, height, resize, alphaModifier,
                                          KX::ImageRegion());
}

inline RCPtr<KX::LVisualPartDescriptor> ImagePart(const WString& path, int32_t x, int32_t y, int32_t width,
                                                  int32_t height, uint32_t resize,
                                                  const ConstRCPtr<KX::LColorizer>& colorizer = nullptr)
{
    RCPtr<KX::LVisualPartDescriptor> part;
    return KX::CreateImagePartDescriptor(part, WString(u"Image"), KX::ImageRegion{path, x, y, width, height}, resize,
                                         colorizer, 1.0f, KX::ImageRegion());
}

inline RCPtr<KX::LDockedPart> Docked(const ConstRCPtr<KX::LVisualPartDescriptor>& part, const KX::DockSpec& dock)
{
    RCPtr<KX::LDockedPart> docked;
    return KX::CreateDockedPart(docked, part, dock);
}

inline KX::DockSpec Edges(uint32_t given, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    KX::DockSpec dock;
    dock.givenEdges = given;
    dock.left = left;
    dock.top = top;
    dock.right = right;
    dock.bottom = bottom;
    return dock;
}

// A GDI+ renderer drawing into a width x height offscreen window, one frame at a time; it also
// measures the text of the labels.
class Surface {
public:
    Surface(int32_t width, int32_t height)
        : window(width, height), renderer(gditest::MakeRenderer()),
          context(gditest::MakeContext(*renderer, {0, 0, width, height}, &window, false)),
          host(ConstRCPtr<KX::LMeasurementRenderer>(renderer.Get())), m_width(width), m_height(height)
    {
    }

    // Starts a frame on an opaque background.
    void Begin(uint32_t background = 0xFF000000)
    {
        renderer->RenderStart(context);
        renderer->FillRect({0, 0, m_width, m_height}, KX::LColor::MakeFromARGB(background), false);
    }
    void End() { renderer->RenderFinish(context); }
    uint32_t Pixel(int32_t x, int32_t y) const { return gditest::SurfacePixel(*context, x, y); }
    const gdi::Bitmap& Bitmap() const { return *context->GetBitmap(); }
    // The whole surface as an invalid region.
    KX::LRegion All() const
    {
        KX::LRegion region;
        region.AddRect(0, 0, m_width, m_height);
        return region;
    }

    gditest::TestWindow window;
    RCPtr<KX::LGDIRenderer> renderer;
    RCPtr<KX::LGDIRenderContextInfo> context;
    kxtest::ScopedRenderHost host;

private:
    int32_t m_width;
    int32_t m_height;
};

} // namespace uitest
