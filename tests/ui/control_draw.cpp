// Drawing a control tree through the GDI+ renderer into an offscreen surface, and hit-testing it.
#include "UiTestControls.h"

#include "TestSupport.h"
#include "kx/GDIRenderContextInfo.h"
#include "kx/GDIRenderer.h"

#include <gtest/gtest.h>

#include <string>

using namespace KX;
using kxtest::FakeLook;
using kxtest::GiveLook;
using kxtest::Hex;
using uitest::Make;
using uitest::TestControl;

namespace {
constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;

class ControlDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        renderer = RCPtr<LGDIRenderer>(new LGDIRenderer());
        RCPtr<LRenderContextInfo> info;
        ASSERT_EQ(renderer->InitRenderContextInfo({0, 0, 1200, 750}, nullptr, true, info), S_OK);
        context = RCPtr<LGDIRenderContextInfo>::DynamicCast(info);
        ASSERT_TRUE(context);
        renderer->RenderStart(context);
        renderer->FillRect({0, 0, 1200, 750}, LColor::MakeFromARGB(kWhite), false);
        invalid.AddRect(0, 0, 1200, 750);
    }
    void TearDown() override
    {
        while (renderer->GetContextStack().GetCount() != 0)
            renderer->RenderFinish(renderer->GetContextStack().ElementAt(renderer->GetContextStack().GetCount() - 1));
    }
    std::string At(int32_t x, int32_t y) const
    {
        gdi::ARGB value = 0xDEADBEEF;
        EXPECT_EQ(context->GetBitmap()->GetPixel(x, y, value), gdi::Status::Ok);
        return Hex(value);
    }
    KXRESULT DrawTree(RCPtrArray<LControl>& unclipped)
    {
        return t.root->Draw(RCPtr<LRenderer>(renderer), invalid, unclipped, false);
    }

    uitest::Tree t;
    RCPtr<LGDIRenderer> renderer;
    RCPtr<LGDIRenderContextInfo> context;
    LRegion invalid;
};
} // namespace

TEST_F(ControlDraw, ChildrenPaintOverTheirParentClippedToItAndScrolled)
{
    RCPtr<TestControl> panel = Make(t.root, u"panel", 100, 100, 200, 100);
    GiveLook(*panel, {0, 0, 200, 100}, kRed);
    RCPtr<TestControl> child = Make(panel, u"child", 150, 20, 100, 30); // sticks out on the right
    GiveLook(*child, {0, 0, 100, 30}, kBlue);
    RCPtrArray<LControl> unclipped;
    ASSERT_EQ(DrawTree(unclipped), S_OK);
    EXPECT_EQ(At(100, 100), Hex(kRed));
    EXPECT_EQ(At(299, 199), Hex(kRed));
    EXPECT_EQ(At(300, 100), Hex(kWhite));
    EXPECT_EQ(At(250, 120), Hex(kBlue));
    EXPECT_EQ(At(299, 149), Hex(kBlue));
    EXPECT_EQ(At(300, 130), Hex(kWhite)); // clipped to the panel
    EXPECT_EQ(unclipped.GetCount(), 0u);
    EXPECT_GT(child->beforeChildrenPaints, 0);

    panel->SetScrollOffset({50, 0});
    renderer->FillRect({0, 0, 1200, 750}, LColor::MakeFromARGB(kWhite), false);
    ASSERT_EQ(DrawTree(unclipped), S_OK);
    EXPECT_EQ(At(200, 120), Hex(kBlue)); // 100 + 150 - 50
    EXPECT_EQ(At(199, 120), Hex(kRed));
}

TEST_F(ControlDraw, LaterSiblingsAndHigherZOrderPaintOnTop)
{
    RCPtr<TestControl> a = Make(t.root, u"a", 10, 10, 50, 50);
    GiveLook(*a, {0, 0, 50, 50}, kRed);
    RCPtr<TestControl> b = Make(t.root, u"b", 30, 30, 50, 50);
    GiveLook(*b, {0, 0, 50, 50}, kGreen);
    RCPtrArray<LControl> unclipped;
    ASSERT_EQ(DrawTree(unclipped), S_OK);
    EXPECT_EQ(At(40, 40), Hex(kGreen));
    a->GetLayout()->zOrder = 1;
    t.root->GetChildren().Touch();
    ASSERT_EQ(DrawTree(unclipped), S_OK);
    EXPECT_EQ(At(40, 40), Hex(kRed));

    // Hidden looks and hidden controls draw nothing.
    a->SetLookOpacity(0, 0.0f, false);
    b->GetLayout()->visible = false;
    renderer->FillRect({0, 0, 1200, 750}, LColor::MakeFromARGB(kWhite), false);
    ASSERT_EQ(DrawTree(unclipped), S_OK);
    EXPECT_EQ(At(40, 40), Hex(kWhite));
}

TEST_F(ControlDraw, UnclippedControlsAreHandedToTheRootWindowsPass)
{
    RCPtr<TestControl> panel = Make(t.root, u"panel", 100, 100, 0, 50); // zero width
    RCPtr<TestControl> overlay = Make(panel, u"overlay", 0, 0, 40, 40);
    GiveLook(*overlay, {0, 0, 40, 40}, kGreen);
    overlay->SetClipToParent(false);
    RCPtrArray<LControl> unclipped;
    ASSERT_EQ(DrawTree(unclipped), S_OK);
    ASSERT_EQ(unclipped.GetCount(), 1u);
    EXPECT_EQ(unclipped.GetData()[0].Get(), overlay.Get());
    EXPECT_EQ(At(110, 110), Hex(kWhite)); // not drawn by its parent
    // Each pass refuses the other kind of control.
    EXPECT_EQ(overlay->Draw(RCPtr<LRenderer>(renderer), invalid, unclipped, false), E_INVALIDARG);
    EXPECT_EQ(panel->Draw(RCPtr<LRenderer>(renderer), invalid, unclipped, true), E_INVALIDARG);
}

TEST_F(ControlDraw, HitTestingFindsTheDeepestOpaqueControl)
{
    RCPtr<TestControl> panel = Make(t.root, u"panel", 100, 100, 200, 100);
    GiveLook(*panel, {0, 0, 200, 100}, kRed);
    RCPtr<TestControl> child = Make(panel, u"child", 20, 20, 30, 30);
    GiveLook(*child, {0, 0, 30, 30}, kBlue);
    GiveLook(*t.root, {0, 0, 1200, 750}, kWhite);
    EXPECT_EQ(t.window->HitTest({125, 125}, true, false).Get(), child.Get());
    EXPECT_EQ(t.window->HitTest({105, 105}, true, false).Get(), panel.Get());
    EXPECT_EQ(t.window->HitTest({5, 5}, true, false).Get(), t.root.Get());
    EXPECT_FALSE(t.window->HitTest({1300, 5}, true, false)); // outside, nothing unclipped

    child->SetHitTransparent(true);
    EXPECT_EQ(t.window->HitTest({125, 125}, true, false).Get(), panel.Get());
    child->SetHitTransparent(false);
    child->SetLookOpacity(0, 0.0f, false); // nothing visible covers the point: it falls through
    EXPECT_EQ(t.window->HitTest({125, 125}, true, false).Get(), panel.Get());

    // Overlays: the larger effective Z order wins wherever the point is.
    RCPtr<TestControl> low = Make(panel, u"low", 150, 50, 100, 100);
    GiveLook(*low, {0, 0, 100, 100}, kGreen);
    low->GetLayout()->zOrder = 1;
    low->SetClipToParent(false);
    RCPtr<TestControl> high = Make(t.root, u"high", 260, 160, 100, 100);
    GiveLook(*high, {0, 0, 100, 100}, kGreen);
    high->GetLayout()->zOrder = 2;
    high->SetClipToParent(false);
    EXPECT_EQ(t.window->HitTest({255, 205}, true, false).Get(), low.Get()); // outside its parent
    EXPECT_EQ(t.window->HitTest({270, 170}, true, false).Get(), high.Get());
}

TEST_F(ControlDraw, LookListFallbacksAndOpacities)
{
    RCPtr<TestControl> c = Make(t.root, u"c", 0, 0, 10, 10);
    EXPECT_FALSE(c->GetLookAt(-1));
    EXPECT_EQ(c->GetFirstVisibleLook(), -1);
    EXPECT_EQ(c->AddLook(nullptr), 0); // an empty entry still takes its index
    RCPtr<FakeLook> one(new FakeLook({0, 0, 10, 10}, kRed));
    RCPtr<FakeLook> two(new FakeLook({0, 0, 10, 10}, kBlue));
    EXPECT_EQ(c->AddLook(RCPtr<IControlLook>(one)), 1);
    EXPECT_EQ(c->AddLook(RCPtr<IControlLook>(two)), 2);
    EXPECT_EQ(c->GetLookOpacity(0), 0.0f);
    EXPECT_EQ(c->GetLookAt(-1).Get(), one.Get()); // first set look
    EXPECT_EQ(c->ShowLook(2, 1), S_OK);
    EXPECT_EQ(c->GetLookOpacity(1), 0.0f);
    EXPECT_EQ(c->GetLookOpacity(2), 1.0f);
    EXPECT_EQ(c->GetLookAt(-1).Get(), two.Get());
    EXPECT_EQ(c->ShowLook(3, 1), E_INVALIDARG);
    EXPECT_EQ(c->GetLookOpacity(2), 1.0f);
    EXPECT_EQ(c->SetLookOpacity(1, 1.5f, true), S_OK); // out of range ignored, exclusive still applies
    EXPECT_EQ(c->GetLookOpacity(1), 0.0f);
    EXPECT_EQ(c->GetLookOpacity(2), 0.0f);

    uint32_t colour = 0;
    c->GetColorAtPoint(colour, {3, 3}, 2);
    EXPECT_EQ(colour, kBlue);
    c->GetColorAtPoint(colour, {30, 3}, 2);
    EXPECT_EQ(colour, 0x00FFFFFFu);
    EXPECT_EQ(c->SetLookRegionExcept(0, 1), E_INVALIDARG);
}

TEST_F(ControlDraw, InvalidationReachesTheWindowClippedToEachParent)
{
    RCPtr<TestControl> panel = Make(t.root, u"panel", 100, 100, 200, 100);
    RCPtr<TestControl> child = Make(panel, u"child", 150, 20, 100, 30);
    t.window->invalidated.clear();
    EXPECT_EQ(child->Invalidate({0, 0, 100, 30}, true), S_OK);
    ASSERT_EQ(t.window->invalidated.size(), 1u);
    EXPECT_EQ(t.window->invalidated[0], (RectT<int32_t>{250, 120, 300, 150})); // cut at the panel's edge
    t.window->invalidated.clear();
    EXPECT_EQ(child->Invalidate({60, 0, 10, 10}, true), S_FALSE); // entirely outside the panel
    EXPECT_EQ(child->Invalidate({60, 0, 10, 10}, false), S_OK);
    ASSERT_EQ(t.window->invalidated.size(), 1u);
    EXPECT_EQ(t.window->invalidated[0], (RectT<int32_t>{310, 120, 320, 130}));
    child->GetLayout()->visible = false;
    EXPECT_EQ(child->Invalidate({0, 0, 5, 5}, false), S_FALSE);
}
