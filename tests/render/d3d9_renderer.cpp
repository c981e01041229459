// The Direct3D 9 renderer: contexts are made, nothing is drawn or tracked.
#include "kx/Bitmap.h"
#include "kx/D3D9Renderer.h"
#include "kx/Font.h"

#include <gtest/gtest.h>

using namespace KX;

namespace {

class CountingWindow : public IRenderWindow {
public:
    gdi::WindowSurface* GetWindowSurface() override { return nullptr; }
    void* GetDeviceContext() override
    {
        ++deviceContextRequests;
        return this;
    }
    int deviceContextRequests = 0;
};

} // namespace

TEST(D3D9Renderer, TheFactoryMakesItForTypeTwo)
{
    RCPtr<LRenderer> renderer = LRenderer::Create(kRendererDirect3D9, {0, 0, 10, 10}, nullptr);
    ASSERT_TRUE(renderer);
    EXPECT_EQ(renderer->GetRendererType(), 2);
    EXPECT_NE(dynamic_cast<LD3D9Renderer*>(renderer.Get()), nullptr);
}

TEST(D3D9Renderer, MeasuresNothingAndImplementsNoSurfaces)
{
    RCPtr<LRenderer> renderer(new LD3D9Renderer());
    const ConstRCPtr<LFont> font = LFont::GetFont(WString(u"Arial"), 10.0f, 0);
    EXPECT_EQ(renderer->MeasureText(WString(u"Pad 16"), font), (RectT<float>{0, 0, 0, 0}));
    int32_t height = 7, ascent = 8, descent = 9;
    EXPECT_EQ(renderer->GetFontMetrics(font, height, ascent, descent), S_OK);
    EXPECT_EQ(height, 7);
    EXPECT_EQ(ascent, 8);
    EXPECT_EQ(descent, 9);

    RCPtr<LRenderContextInfo> context;
    EXPECT_EQ(renderer->InitRenderContextInfo({0, 0, 10, 10}, nullptr, true, context), S_OK);
    EXPECT_EQ(renderer->DrawContextSurface(context, {0, 0}, {0, 0, 5, 5}), E_NOTIMPL);
    EXPECT_EQ(renderer->ScrollContextSurface(context, {1, 1}), E_NOTIMPL);
}

TEST(D3D9Renderer, ContextsAreMadeButNeverBecomeCurrent)
{
    RCPtr<LRenderer> renderer(new LD3D9Renderer());
    CountingWindow window;
    RCPtr<LRenderContextInfo> context;
    ASSERT_EQ(renderer->InitRenderContextInfo({1, 2, 30, 40}, &window, false, context), S_OK);
    ASSERT_NE(dynamic_cast<LD3D9RenderContextInfo*>(context.Get()), nullptr);
    EXPECT_EQ(context->GetWindow(), &window);
    EXPECT_EQ(context->GetDeviceContext(), &window);
    EXPECT_EQ(window.deviceContextRequests, 1);
    EXPECT_FALSE(context->IsOffscreenOnly());
    EXPECT_EQ(context->GetViewport(), (RectT<int32_t>{1, 2, 30, 40}));
    int32_t width = -1, height = -1;
    context->GetMaxSurfaceSize(width, height);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);

    // Unmatched and repeated frames raise nothing.
    EXPECT_EQ(renderer->RenderStart(context), S_OK);
    EXPECT_EQ(renderer->RenderStart(context), S_OK);
    EXPECT_EQ(renderer->RenderFinish(context), S_OK);
    EXPECT_EQ(renderer->RenderFinish(context), S_OK);
    EXPECT_EQ(renderer->RenderFinish(nullptr), S_OK);
    EXPECT_EQ(renderer->RenderStart(nullptr), S_OK);

    // Inside a "frame" there is still no current context, so state operations change nothing.
    renderer->RenderStart(context);
    EXPECT_EQ(renderer->GetCurrentContext(), nullptr);
    renderer->PushState();
    renderer->PushOrigin({5, 5});
    renderer->PushClipRect({0, 0, 5, 5}, {0, 0, 5, 5}, LStencil::Create(2, 2), true);
    renderer->OffsetOrigin({3, 3});
    renderer->SetClipRect({1, 1, 1, 1});
    renderer->SetViewport({0, 0, 1, 1});
    renderer->PopState();
    EXPECT_TRUE(context->GetSavedStates().empty());
    EXPECT_EQ(context->GetCurrentState().originX, 0.0);
    EXPECT_EQ(context->GetViewport(), (RectT<int32_t>{1, 2, 30, 40}));
    EXPECT_FALSE(context->GetCurrentState().stencil);

    // Drawing is accepted and does nothing.
    renderer->FillRect({0, 0, 5, 5}, LColor(1, 0, 0, 1), false);
    renderer->DrawBitmap(nullptr, {0, 0, 5, 5}, 99);
    renderer->DrawText(WString(u"x"), nullptr, {0, 0}, LColor());
    renderer->RenderFinish(context);
}
