// The renderer's context stack, the render state stack (origin, clip, stencil) and its scope
// guard, and the factory's refusals.
#include "RenderCoreFakes.h"

#include "kx/Renderer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace KX;
using rendercore::FakeContext;
using rendercore::FakeRenderer;

namespace {

template <class E, class F>
std::string ThrownText(F&& f)
{
    try {
        f();
    } catch (const E& e) {
        return e.what();
    } catch (...) {
        return "other exception";
    }
    return "no exception";
}

class RendererTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        renderer = FakeRenderer::Create();
        context = FakeContext::Create();
        renderer->RenderStart(context);
    }
    void TearDown() override
    {
        if (renderer->GetCurrentContext())
            renderer->RenderFinish(context);
    }

    RenderState& State() { return context->GetCurrentState(); }
    size_t Saved() { return context->GetSavedStates().size(); }

    RCPtr<FakeRenderer> renderer;
    RCPtr<FakeContext> context;
};

const RectT<double> kNoClip{-5000000136282112.0, -5000000136282112.0, 10000000272564224.0, 10000000272564224.0};

} // namespace

TEST(RendererContexts, StartAndFinishChecks)
{
    const RCPtr<FakeRenderer> renderer = FakeRenderer::Create();
    const RCPtr<FakeContext> a = FakeContext::Create();
    const RCPtr<FakeContext> b = FakeContext::Create();

    EXPECT_EQ(ThrownText<std::runtime_error>([&] { renderer->RenderStart(ConstRCPtr<LRenderContextInfo>()); }),
              "Runtime Error : Render context is NULL : KX::LRenderer::RenderStart : Renderer\\Renderer : Line 231");
    // Finishing with nothing started does nothing.
    EXPECT_EQ(renderer->RenderFinish(a), S_OK);

    EXPECT_EQ(renderer->RenderStart(a), S_OK);
    EXPECT_EQ(renderer->GetCurrentContext(), a.Get());
    EXPECT_EQ(ThrownText<std::runtime_error>([&] { renderer->RenderStart(a); }),
              "Runtime Error : Render context reentered. : KX::LRenderer::RenderStart : Renderer\\Renderer : Line 237");
    EXPECT_EQ(renderer->GetContextStack().GetCount(), 1u);

    // A second context nests and must be finished first.
    EXPECT_EQ(renderer->RenderStart(b), S_OK);
    EXPECT_EQ(renderer->GetCurrentContext(), b.Get());
    EXPECT_EQ(ThrownText<std::runtime_error>([&] { renderer->RenderStart(a); }),
              "Runtime Error : Render context reentered. : KX::LRenderer::RenderStart : Renderer\\Renderer : Line 237");
    EXPECT_EQ(ThrownText<std::runtime_error>([&] { renderer->RenderFinish(a); }),
              "Runtime Error : RenderFinish context does not match RenderStart context : "
              "KX::LRenderer::RenderFinish : Renderer\\Renderer : Line 250");
    EXPECT_EQ(renderer->GetContextStack().GetCount(), 2u);
    EXPECT_EQ(renderer->RenderFinish(b), S_OK);
    EXPECT_EQ(renderer->GetCurrentContext(), a.Get());
    EXPECT_EQ(renderer->RenderFinish(a), S_OK);
    EXPECT_EQ(renderer->GetCurrentContext(), nullptr);

    // The stack held references: a context survives while started even when its owner lets go.
    RCPtr<FakeContext> temporary = FakeContext::Create();
    const FakeContext* raw = temporary.Get();
    renderer->RenderStart(temporary);
    temporary = nullptr;
    EXPECT_EQ(renderer->GetCurrentContext(), raw);
    EXPECT_EQ(renderer->RenderFinish(ConstRCPtr<LRenderContextInfo>(raw)), S_OK);
}

TEST(RendererContexts, NewContextState)
{
    const RCPtr<FakeContext> context = FakeContext::Create({1, 2, 30, 40});
    const RenderState& state = context->GetCurrentState();
    EXPECT_EQ(state.originX, 0.0);
    EXPECT_EQ(state.originY, 0.0);
    EXPECT_EQ(state.clip, kNoClip);
    EXPECT_EQ(state.alpha, 1.0f);
    EXPECT_FALSE(state.IsStencilSet());
    EXPECT_FALSE(state.stencil);
    EXPECT_TRUE(context->GetSavedStates().empty());
    EXPECT_EQ(context->GetViewport(), (RectT<int32_t>{1, 2, 30, 40}));
    EXPECT_EQ(context->GetDeviceContext(), nullptr);
    EXPECT_FALSE(context->IsOffscreenOnly());
}

TEST(RendererContexts, StateOperationsWithoutAContextDoNothing)
{
    const RCPtr<FakeRenderer> renderer = FakeRenderer::Create();
    renderer->PushState();
    renderer->PushOrigin({5, 5});
    renderer->PushClipRect({0, 0, 5, 5}, {0, 0, 5, 5}, LStencil::Create(2, 2), true);
    renderer->SetClipRect({0, 0, 1, 1});
    renderer->OffsetOrigin({1, 1});
    renderer->PopState();
    EXPECT_EQ(renderer->SetViewport({0, 0, 1, 1}), S_OK);
    EXPECT_EQ(renderer->SetStencil(LStencil::Create(1, 1)), S_OK);
    EXPECT_EQ(renderer->GetCurrentContext(), nullptr);
}

TEST_F(RendererTest, PushOriginNeedsASavedState)
{
    renderer->PushOrigin({7, 7});
    EXPECT_EQ(Saved(), 0u);
    EXPECT_EQ(State().originX, 0.0);

    renderer->PushState();
    renderer->SetClipRect({10, 20, 100, 50});
    renderer->PushOrigin({3.5, -2.5});
    EXPECT_EQ(Saved(), 2u);
    EXPECT_EQ(State().originX, 4.0);
    EXPECT_EQ(State().originY, -3.0);
    // The clip stays where it was on the target.
    EXPECT_EQ(State().clip, (RectT<double>{6, 23, 100, 50}));

    renderer->PopState();
    EXPECT_EQ(State().originX, 0.0);
    EXPECT_EQ(State().originY, 0.0);
    EXPECT_EQ(State().clip, (RectT<double>{10, 20, 100, 50}));
    renderer->PopState();
    EXPECT_EQ(State().clip, kNoClip);
    // Popping with nothing saved is harmless.
    renderer->PopState();
    EXPECT_EQ(State().clip, kNoClip);
}

TEST_F(RendererTest, PopRestoresThroughTheOverridesInOrder)
{
    renderer->PushState();
    renderer->OffsetOrigin({0.1, 0.2});
    renderer->OffsetOrigin({0.2, 0.1});
    State().alpha = 0.5f;
    renderer->log.clear();
    renderer->PopState();
    EXPECT_EQ(renderer->log, (std::vector<std::string>{"origin", "clip", "stencil"}));
    // Exactly, even where the difference of fractions loses bits.
    EXPECT_EQ(State().originX, 0.0);
    EXPECT_EQ(State().originY, 0.0);
    EXPECT_EQ(State().alpha, 1.0f);

    renderer->OffsetOrigin({0.1, 0.7});
    renderer->PushState();
    renderer->OffsetOrigin({0.2, 0.3});
    renderer->PopState();
    EXPECT_EQ(State().originX, 0.1);
    EXPECT_EQ(State().originY, 0.7);
}

TEST_F(RendererTest, AbsoluteClipRectMovesTheOriginOnly)
{
    renderer->PushClipRect({10.4, 20.6, 50, 50}, {0.25, 0.5, 30, 30}, ConstRCPtr<LStencil>(), false);
    EXPECT_EQ(Saved(), 1u);
    EXPECT_EQ(State().originX, 10.0);
    EXPECT_EQ(State().originY, 21.0);
    // Not intersected and not moved, only widened to whole pixels.
    EXPECT_EQ(State().clip, (RectT<double>{0, 0, 31, 31}));

    // Nested: the offset is taken from the current origin.
    renderer->PushClipRect({15, 25, 10, 10}, {0, 0, 10, 10}, ConstRCPtr<LStencil>(), false);
    EXPECT_EQ(State().originX, 15.0);
    EXPECT_EQ(State().originY, 25.0);
    renderer->PopState();
    renderer->PopState();
    EXPECT_EQ(State().originX, 0.0);
    EXPECT_EQ(State().clip, kNoClip);
}

TEST_F(RendererTest, RelativeClipRectIntersectsAndStaysOnTarget)
{
    renderer->PushClipRect({10, 10, 100, 100}, {0, 0, 1000, 1000}, ConstRCPtr<LStencil>(), true);
    EXPECT_EQ(State().originX, 10.0);
    EXPECT_EQ(State().originY, 10.0);
    // clip ∩ area = (10, 10, 100, 100), relative to the new origin (0, 0, 100, 100).
    EXPECT_EQ(State().clip, (RectT<double>{0, 0, 100, 100}));

    // Inside it: clip (5.5, 5.5, 200, 30) ∩ area (20, 0, 50, 50) ∩ current (0, 0, 100, 100)
    // = (20, 5.5, 50, 30) widened to (20, 5, 50, 31), then moved by the new offset (20, 0).
    renderer->PushClipRect({20, 0, 50, 50}, {5.5, 5.5, 200, 30}, ConstRCPtr<LStencil>(), true);
    EXPECT_EQ(State().originX, 30.0);
    EXPECT_EQ(State().originY, 10.0);
    EXPECT_EQ(State().clip, (RectT<double>{0, 5, 50, 31}));

    // Outside the current clip the clip becomes empty.
    renderer->PushClipRect({500, 500, 10, 10}, {500, 500, 10, 10}, ConstRCPtr<LStencil>(), true);
    EXPECT_EQ(State().clip.width, 0.0);
    EXPECT_EQ(State().clip.height, 0.0);

    renderer->PopState();
    renderer->PopState();
    EXPECT_EQ(State().clip, (RectT<double>{0, 0, 100, 100}));
    renderer->PopState();
    EXPECT_EQ(State().originX, 0.0);
    EXPECT_EQ(State().clip, kNoClip);
}

TEST_F(RendererTest, StencilsOfNestedClips)
{
    const RCPtr<LStencil> first = LStencil::Create(40, 30);
    const RCPtr<LStencil> second = LStencil::Create(20, 10);
    renderer->PushClipRect({0, 0, 50, 50}, {0, 0, 50, 50}, first, true);
    EXPECT_EQ(State().stencil.Get(), first.Get());
    EXPECT_TRUE(State().IsStencilSet());

    // With a stencil already set, a fresh one of the given size is installed.
    renderer->PushClipRect({0, 0, 50, 50}, {0, 0, 50, 50}, second, true);
    ASSERT_TRUE(State().stencil);
    EXPECT_NE(State().stencil.Get(), second.Get());
    EXPECT_NE(State().stencil.Get(), first.Get());
    EXPECT_EQ(State().stencil->GetWidth(), 20);
    EXPECT_EQ(State().stencil->GetHeight(), 10);
    int32_t l, t, r, b;
    State().stencil->GetRect(l, t, r, b);
    EXPECT_EQ(l, 0);
    EXPECT_EQ(t, 0);
    EXPECT_EQ(r, 20);
    EXPECT_EQ(b, 10);

    renderer->PopState();
    EXPECT_EQ(State().stencil.Get(), first.Get());
    EXPECT_TRUE(State().IsStencilSet());
    renderer->PopState();
    EXPECT_FALSE(State().stencil);
    EXPECT_FALSE(State().IsStencilSet());
    // The saved states held their own references, all given back.
    EXPECT_EQ(first->GetRefCount(), 1);
}

TEST_F(RendererTest, SavedStatesOutliveAFrame)
{
    renderer->PushState();
    renderer->OffsetOrigin({5, 5});
    renderer->RenderFinish(context);
    EXPECT_EQ(Saved(), 1u);
    renderer->RenderStart(context);
    renderer->PopState();
    EXPECT_EQ(State().originX, 0.0);
    EXPECT_EQ(renderer->SetViewport({0, 0, 7, 8}), S_OK);
    EXPECT_EQ(context->GetViewport(), (RectT<int32_t>{0, 0, 7, 8}));
}

TEST_F(RendererTest, AutoClipPushesAndPops)
{
    const RCPtr<LRenderer> base(renderer);
    {
        CAutoClip outer(base, RectT<double>{10, 10, 20, 20}, RectT<double>{0, 0, 20, 20}, ConstRCPtr<LStencil>());
        EXPECT_EQ(Saved(), 1u);
        EXPECT_EQ(State().originX, 10.0);
        {
            CAutoClip origin(base, PointT<double>{2.4, 2.6});
            EXPECT_EQ(Saved(), 2u);
            EXPECT_EQ(State().originX, 12.0);
            EXPECT_EQ(State().originY, 13.0);
        }
        EXPECT_EQ(Saved(), 1u);
        {
            PushClipDescriptor descriptor;
            descriptor.flavor = 0;
            CAutoClip state(base, descriptor);
            EXPECT_EQ(Saved(), 2u);
        }
        PushClipDescriptor bad;
        bad.flavor = 3;
        EXPECT_EQ(ThrownText<std::runtime_error>([&] { CAutoClip clip(base, bad); }),
                  "Runtime Error : Unknown PushClip flavor : KX::CAutoClip::CAutoClip : Renderer\\Renderer : Line 404");
        // A refused push pops nothing.
        EXPECT_EQ(Saved(), 1u);
    }
    EXPECT_EQ(Saved(), 0u);
    EXPECT_EQ(State().originX, 0.0);
    EXPECT_EQ(State().clip, kNoClip);
}

TEST(RendererFactory, UnknownTypesAreRefused)
{
    EXPECT_EQ(ThrownText<std::domain_error>([] {
                  LRenderer::Create(3, {0, 0, 10, 10}, nullptr);
              }),
              "Domain Error : KX::LRenderer::Create : Renderer\\Renderer : Line 114");
    EXPECT_EQ(ThrownText<std::domain_error>([] {
                  LRenderer::Create(-1, {0, 0, 10, 10}, nullptr);
              }),
              "Domain Error : KX::LRenderer::Create : Renderer\\Renderer : Line 114");
}
