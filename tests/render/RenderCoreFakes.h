#pragma once
// Test doubles for the renderer interface: a monospace measurer, a render host that hands it
// out, and a renderer that draws nothing but records the state calls it receives.
#include "ScopedRenderHost.h"

#include "kx/Font.h"
#include "kx/RenderHost.h"
#include "kx/Renderer.h"

#include <string>
#include <vector>

namespace rendercore {

// Every character is `advance` wide; a text measures (x, ascent, length * advance, height).
class FakeMeasurer : public KX::LMeasurementRenderer {
public:
    static KX::RCPtr<FakeMeasurer> Create(float advance = 10.0f)
    {
        return KX::RCPtr<FakeMeasurer>(new FakeMeasurer(advance));
    }

    KX::KXRESULT GetFontMetrics(const KX::ConstRCPtr<KX::LFont>& font, int32_t& height, int32_t& ascent,
                                int32_t& descent) const override
    {
        ++metricsCalls;
        if (!font)
            return KX::E_INVALIDARG;
        height = lineHeight;
        ascent = -(lineHeight - 4);
        descent = 4;
        return KX::S_OK;
    }

    KX::RectT<float> MeasureText(const KX::WString& text, const KX::ConstRCPtr<KX::LFont>&) const override
    {
        ++measureCalls;
        if (text.IsEmpty())
            return {};
        return KX::RectT<float>{x, static_cast<float>(-(lineHeight - 4)), advance * text.GetLength(),
                                static_cast<float>(lineHeight)};
    }

    float advance;
    float x = 0.0f;
    int32_t lineHeight = 16;
    mutable int metricsCalls = 0;
    mutable int measureCalls = 0;

private:
    explicit FakeMeasurer(float a) : advance(a) {}
};

using ScopedRenderHost = kxtest::ScopedRenderHost;

class FakeContext : public KX::LRenderContextInfo {
public:
    static KX::RCPtr<FakeContext> Create(KX::RectT<int32_t> viewport = {0, 0, 100, 50},
                                         KX::WindowHandle window = nullptr, bool offscreenOnly = false)
    {
        return KX::RCPtr<FakeContext>(new FakeContext(viewport, window, offscreenOnly));
    }
    void GetMaxSurfaceSize(int32_t& width, int32_t& height) const override
    {
        width = 4096;
        height = 4096;
    }

private:
    FakeContext(KX::RectT<int32_t> viewport, KX::WindowHandle window, bool offscreenOnly)
        : KX::LRenderContextInfo(viewport, window, offscreenOnly)
    {
    }
};

// Draws nothing; logs the state operations that renderers override to apply state.
class FakeRenderer : public KX::LRenderer {
public:
    static KX::RCPtr<FakeRenderer> Create() { return KX::RCPtr<FakeRenderer>(new FakeRenderer()); }

    KX::KXRESULT GetFontMetrics(const KX::ConstRCPtr<KX::LFont>&, int32_t&, int32_t&, int32_t&) const override
    {
        return KX::S_OK;
    }
    KX::RectT<float> MeasureText(const KX::WString&, const KX::ConstRCPtr<KX::LFont>&) const override { return {}; }
    int32_t GetRendererType() const override { return 99; }
    KX::KXRESULT InitRenderContextInfo(const KX::RectT<int32_t>& viewport, KX::WindowHandle window, bool offscreenOnly,
                                       KX::RCPtr<KX::LRenderContextInfo>& out) override
    {
        out = FakeContext::Create(viewport, window, offscreenOnly);
        return KX::S_OK;
    }
    void DrawText(const KX::WString&, const KX::ConstRCPtr<KX::LFont>&, const KX::PointT<int32_t>&,
                  const KX::LColor&) override
    {
    }
    void DrawRect(const KX::RectT<int32_t>&, const KX::LColor&, float) override {}
    void FillRect(const KX::RectT<int32_t>&, const KX::LColor&, bool) override {}
    void DrawFilledRect(const KX::RectT<int32_t>&, const KX::LColor&, const KX::LColor&, float) override {}
    void DrawColorRectList(const KX::ColorRectListT<float>&, const KX::PointT<double>&, bool) override {}
    void DrawLine(const KX::PointT<float>&, const KX::PointT<float>&, const KX::LColor&, float) override {}
    void DrawLineSegments(const KX::PolylineT<float>&, const KX::LColor&, const KX::PointT<float>&,
                          const KX::PointT<float>&, bool) override
    {
    }
    void DrawPolyline(const KX::PolylineT<float>&, const KX::LColor&, const KX::PointT<float>&,
                      const KX::PointT<float>&, bool) override
    {
    }
    void DrawPolygon(const KX::PolylineT<float>&, const KX::LColor&, const KX::PointT<float>&, const KX::PointT<float>&,
                     bool) override
    {
    }
    void FillPolygon(const KX::PolylineT<float>&, const KX::LColor&, const KX::PointT<float>&, const KX::PointT<float>&,
                     bool) override
    {
    }
    void DrawBitmap(const KX::ConstRCPtr<KX::LBitmap>&, const KX::RectT<int32_t>&, int32_t) override {}
    KX::KXRESULT DrawContextSurface(const KX::ConstRCPtr<KX::LRenderContextInfo>&, const KX::PointT<int32_t>&,
                                    const KX::RectT<int32_t>&) override
    {
        return KX::E_NOTIMPL;
    }
    KX::KXRESULT ScrollContextSurface(const KX::ConstRCPtr<KX::LRenderContextInfo>&,
                                      const KX::PointT<int32_t>&) override
    {
        return KX::E_NOTIMPL;
    }

    // Logged overrides: each calls the base first, as real renderers do.
    KX::KXRESULT SetStencil(const KX::ConstRCPtr<KX::LStencil>& stencil) override
    {
        log.push_back("stencil");
        return LRenderer::SetStencil(stencil);
    }
    void SetClipRect(const KX::RectT<double>& rect) override
    {
        log.push_back("clip");
        LRenderer::SetClipRect(rect);
    }
    void OffsetOrigin(const KX::PointT<double>& offset) override
    {
        log.push_back("origin");
        LRenderer::OffsetOrigin(offset);
    }

    std::vector<std::string> log;

private:
    FakeRenderer() = default;
};

} // namespace rendercore
