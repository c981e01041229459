// Frames painted by the root window into an offscreen GDI+ surface: equal to drawing the tree
// directly, limited to the invalid region, overlays in Z order.
#include "RootWindowFakes.h"

#include "TestSupport.h"
#include "kx/GDIRenderContextInfo.h"
#include "kx/GDIRenderer.h"

#include <gtest/gtest.h>

using namespace KX;
using kxtest::FakeLook;
using kxtest::GiveLook;
using kxtest::Hex;
using uitest::Make;
using uitest::TestControl;

namespace {
constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF,
                   kYellow = 0xFFFFFF00;
constexpr int32_t kW = 320, kH = 200;

class RootPaint : public ::testing::Test {
protected:
    void SetUp() override
    {
        renderer = RCPtr<LGDIRenderer>(new LGDIRenderer());
        window = LRootWindow::Create(RCPtr<LRenderer>(renderer), &services);
        main = Make(nullptr, u"main", 0, 0, 10, 10);
        mainLook = GiveLook(*main, {0, 0, kW, kH}, kWhite);
        window->AttachMainControl(main);
        panel = Make(main, u"panel", 20, 30, 150, 100);
        panelLook = GiveLook(*panel, {0, 0, 150, 100}, kRed);
        RCPtr<TestControl> inner = Make(panel, u"inner", 100, 50, 100, 100); // cut by the panel
        GiveLook(*inner, {0, 0, 100, 100}, kBlue);
        far = Make(main, u"far", 250, 150, 50, 30);
        farLook = GiveLook(*far, {0, 0, 50, 30}, kGreen);
    }
    void TearDown() override
    {
        far = panel = main = nullptr;
        window = nullptr;
    }
    RCPtr<LGDIRenderContextInfo> NewContext()
    {
        RCPtr<LRenderContextInfo> info;
        EXPECT_EQ(renderer->InitRenderContextInfo({0, 0, kW, kH}, nullptr, true, info), S_OK);
        return RCPtr<LGDIRenderContextInfo>::DynamicCast(info);
    }
    // One frame as the platform window paints it.
    void PaintFrame(const RCPtr<LGDIRenderContextInfo>& context)
    {
        LRegion region;
        window->TakeInvalidRegion(region);
        renderer->RenderStart(context);
        window->Paint(region);
        renderer->RenderFinish(context);
    }
    static uint32_t At(const RCPtr<LGDIRenderContextInfo>& context, int32_t x, int32_t y)
    {
        gdi::ARGB value = 0xDEADBEEF;
        EXPECT_EQ(context->GetBitmap()->GetPixel(x, y, value), gdi::Status::Ok);
        return value;
    }

    rwtest::FakeServices services;
    RCPtr<LGDIRenderer> renderer;
    RCPtr<LRootWindow> window;
    RCPtr<TestControl> main, panel, far;
    RCPtr<FakeLook> mainLook, panelLook, farLook;
};
} // namespace

TEST_F(RootPaint, FrameEqualsDrawingTheTreeDirectly)
{
    ASSERT_EQ(main->GetSize().x, kW) << "the main control fills the client area";
    const RCPtr<LGDIRenderContextInfo> framed = NewContext();
    PaintFrame(framed);

    const RCPtr<LGDIRenderContextInfo> direct = NewContext();
    LRegion whole;
    whole.AddRect(0, 0, kW, kH);
    renderer->RenderStart(direct);
    RCPtrArray<LControl> unclipped;
    ASSERT_EQ(main->Draw(RCPtr<LRenderer>(renderer), whole, unclipped, false), S_OK);
    renderer->RenderFinish(direct);

    int differing = 0;
    for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; ++x)
            differing += At(framed, x, y) != At(direct, x, y) ? 1 : 0;
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(Hex(At(framed, 169, 129)), Hex(kBlue));
    EXPECT_EQ(Hex(At(framed, 170, 130)), Hex(kWhite)) << "the inner control is clipped to its panel";
}

TEST_F(RootPaint, OnlyTheInvalidRegionIsRepainted)
{
    const RCPtr<LGDIRenderContextInfo> context = NewContext();
    PaintFrame(context);
    const int farDraws = farLook->clientDraws;
    // Recoloured without invalidation: only the rectangle asked for shows the new colour.
    panelLook->argb = kYellow;
    services.invalidated.clear();
    window->InvalidateArea({30, 40, 10, 10});
    ASSERT_EQ(services.invalidated.size(), 1u) << "the platform is asked for a paint";
    PaintFrame(context);
    EXPECT_EQ(Hex(At(context, 30, 40)), Hex(kYellow));
    EXPECT_EQ(Hex(At(context, 39, 49)), Hex(kYellow));
    EXPECT_EQ(Hex(At(context, 40, 40)), Hex(kRed));
    EXPECT_EQ(Hex(At(context, 29, 40)), Hex(kRed));
    EXPECT_EQ(farLook->clientDraws, farDraws) << "a control outside the region is not drawn";
    LRegion empty;
    window->TakeInvalidRegion(empty);
    EXPECT_TRUE(empty.IsEmpty()) << "taking the region empties the window's";
}

TEST_F(RootPaint, InvalidationIsClippedToTheClientArea)
{
    LRegion region;
    window->TakeInvalidRegion(region);
    services.invalidated.clear();
    window->InvalidateArea({kW, 0, 50, 50});
    window->InvalidateArea({-10, -10, 10, 500});
    window->InvalidateArea({INT32_MAX - 5, INT32_MAX - 5, 100, 100});
    window->InvalidateRect({5, 5, 5, 9}); // left, top, right, bottom: empty
    EXPECT_TRUE(services.invalidated.empty());
    window->TakeInvalidRegion(region);
    EXPECT_TRUE(region.IsEmpty());
    window->InvalidateArea({-10, 190, 20, 50});
    window->InvalidateRect({300, 0, 400, 5});
    ASSERT_EQ(services.invalidated.size(), 2u);
    EXPECT_EQ(services.invalidated[0].x, 0);
    EXPECT_EQ(services.invalidated[0].width, 10);
    EXPECT_EQ(services.invalidated[0].height, 10);
    EXPECT_EQ(services.invalidated[1].width, 20);
    window->SetFullRepaintPending();
    window->TakeInvalidRegion(region);
    int32_t l, t, r, b;
    ASSERT_TRUE(region.GetBounds(l, t, r, b));
    EXPECT_EQ(r, kW);
    EXPECT_EQ(b, kH);
}

TEST_F(RootPaint, AControlsInvalidationTravelsUpToTheWindowInRootCoordinates)
{
    LRegion region;
    window->TakeInvalidRegion(region);
    services.invalidated.clear();
    panel->Invalidate(RectT<double>{10, 5, 30, 20}, true);
    ASSERT_FALSE(services.invalidated.empty());
    const RectT<int32_t> r = services.invalidated.back();
    EXPECT_EQ(r.x, 30);
    EXPECT_EQ(r.y, 35);
    EXPECT_EQ(r.width, 30);
    EXPECT_EQ(r.height, 20);
    window->TakeInvalidRegion(region);
    int32_t l, t, rr, b;
    ASSERT_TRUE(region.GetBounds(l, t, rr, b));
    EXPECT_EQ(l, 30);
    EXPECT_EQ(b, 55);
}

namespace {
// A context that says whether it can be drawn into now.
class GatedContext : public LGDIRenderContextInfo {
public:
    GatedContext() : LGDIRenderContextInfo({0, 0, kW, kH}, nullptr, true) {}
    bool CanDrawNow() const override { return open; }
    bool open = false;
};
} // namespace

TEST_F(RootPaint, PaintWithoutARenderContextAsksForAFullRepaint)
{
    LRegion region;
    window->TakeInvalidRegion(region);
    window->Paint(region);
    EXPECT_EQ(services.invalidateAlls, 1);
    LRegion none;
    window->Paint(none);
    EXPECT_EQ(services.invalidateAlls, 1);

    // A started context that cannot draw now: nothing is drawn and a full repaint is asked for.
    const RCPtr<GatedContext> gated(new GatedContext());
    region.AddRect(0, 0, kW, kH);
    renderer->RenderStart(RCPtr<LGDIRenderContextInfo>(gated));
    window->Paint(region);
    renderer->RenderFinish(RCPtr<LGDIRenderContextInfo>(gated));
    EXPECT_EQ(services.invalidateAlls, 2);
    EXPECT_EQ(Hex(At(RCPtr<LGDIRenderContextInfo>(gated), 5, 5)), Hex(0));
    gated->open = true;
    renderer->RenderStart(RCPtr<LGDIRenderContextInfo>(gated));
    window->Paint(region);
    renderer->RenderFinish(RCPtr<LGDIRenderContextInfo>(gated));
    EXPECT_EQ(services.invalidateAlls, 2);
    EXPECT_EQ(Hex(At(RCPtr<LGDIRenderContextInfo>(gated), 5, 5)), Hex(kWhite));
}

TEST_F(RootPaint, OverlaysPaintAfterTheTreeInZOrderKeepingListOrderForEqualZ)
{
    // Three overlays at one spot, sticking out of their panel: sorted by Z order, equal Z orders
    // keeping their list order.
    panel->SetScrollOffset({5, 5});
    RCPtr<TestControl> first = Make(panel, u"first", 130, 80, 40, 40);
    RCPtr<TestControl> second = Make(panel, u"second", 130, 80, 30, 30);
    RCPtr<TestControl> low = Make(panel, u"low", 130, 80, 40, 40); // last in the list, lowest Z

    GiveLook(*low, {0, 0, 40, 40}, kYellow);
    GiveLook(*first, {0, 0, 40, 40}, kGreen);
    GiveLook(*second, {0, 0, 30, 30}, kBlue);
    low->GetLayout()->zOrder = 9;
    first->GetLayout()->zOrder = 10;
    second->GetLayout()->zOrder = 10;
    // An overlay of a later sibling comes later in the list but has a lower Z order.
    RCPtr<TestControl> later = Make(far, u"later", -80, -40, 30, 30); // root 170,110
    GiveLook(*later, {0, 0, 30, 30}, kYellow);
    later->GetLayout()->zOrder = 5;
    for (const RCPtr<TestControl>& c : {second, first, low, later})
        c->SetClipToParent(false);
    const RCPtr<LGDIRenderContextInfo> context = NewContext();
    window->SetFullRepaintPending();
    PaintFrame(context);
    // Panel at 20,30 scrolled by 5,5: the overlays start at 145,105 and end past the panel (170,130).
    EXPECT_EQ(Hex(At(context, 145, 105)), Hex(kBlue));
    EXPECT_EQ(Hex(At(context, 180, 140)), Hex(kGreen)) << "outside the panel, past the blue one";
    EXPECT_EQ(Hex(At(context, 175, 115)), Hex(kGreen)) << "the lower Z order lies below";
    EXPECT_EQ(Hex(At(context, 185, 145)), Hex(kWhite));
    EXPECT_EQ(Hex(At(context, 180, 120)), Hex(kGreen)) << "a higher Z order of an earlier branch stays on top";
    EXPECT_EQ(Hex(At(context, 195, 125)), Hex(kYellow));
}
