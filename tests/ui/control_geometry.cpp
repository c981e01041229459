// Pixel conversions, coordinate mapping, layout entry, value range and axis animation.
#include "UiTestControls.h"

#include "kx/ui/ControlHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace KX;
using uitest::Make;
using uitest::TestControl;

TEST(ControlGeometry, ConversionsRoundHalfAwayAndSaturate)
{
    EXPECT_EQ(RoundPointToLong({2.5, -2.5}), (PointT<int32_t>{3, -3}));
    EXPECT_EQ(RoundPointToLong({1e10, -1e10}), (PointT<int32_t>{INT32_MAX, INT32_MIN}));
    EXPECT_EQ(RoundPointToLong({std::nan(""), 0.49999999999999994}).x, INT32_MIN);
    EXPECT_EQ(RoundPointToLong({0, 0.49999999999999994}).y, 0);
    EXPECT_EQ(RoundRectToLong({-0.5, 0.5, 1.5, -1.5}), (RectT<int32_t>{-1, 1, 2, -2}));
    EXPECT_EQ(LongRectToDoubleRect({INT32_MIN, 0, INT32_MAX, 0}).x, -2147483648.0);
    EXPECT_EQ(LongToDouble(INT64_MAX), kMaxGeometryValue);

    LRegion region;
    AddRectToRegion(region, {-0.7, 0, 2, 3}); // truncation toward zero of -0.2
    EXPECT_EQ(GetRegionRectAt(region, 0), (RectT<int32_t>{0, 0, 2, 3}));
    EXPECT_EQ(GetRegionRectAt(region, 1), (RectT<int32_t>{}));

    RectT<double> r{0.9999999999999999, 0, 1, 1};
    SnapRect(r);
    EXPECT_EQ(r.x, 1.0);
    r = {-0.5, 0, 1, 1};
    SnapRect(r);
    EXPECT_EQ(r, (RectT<double>{-1, 0, 1, 1}));
    r = {10, 10, -4, -2.5}; // negative sizes flip to the other edge
    SnapRect(r);
    EXPECT_EQ(r, (RectT<double>{6, 7, 4, 3}));
}

TEST(ControlGeometry, OriginsAddPositionsLookOriginsAndScroll)
{
    uitest::Tree t;
    RCPtr<TestControl> panel = Make(t.root, u"panel", 100, 50, 400, 300);
    panel->AddLook(RCPtr<IControlLook>(new kxtest::FakeLook({10, 20, 380, 260}, 0xFF000000)));
    panel->ShowLook(0, 1);
    RCPtr<TestControl> child = Make(panel, u"child", 5, 6, 20, 20);
    panel->SetScrollOffset({2.5, 0}); // rounds to 3
    EXPECT_EQ(panel->GetScrollOffset(), (PointT<double>{3, 0}));
    EXPECT_EQ(child->GetOriginInRootWindow(), (PointT<double>{100 + 10 - 3 + 5, 50 + 20 + 6}));
    PointT<double> top;
    EXPECT_EQ(child->GetOriginInTopLevel(top), S_OK);
    EXPECT_EQ(top, child->GetOriginInRootWindow());
    EXPECT_EQ(child->GetRootToLocalOffset(), (PointT<double>{-top.x, -top.y}));

    PointT<double> p{1, 1};
    t.root->MapPointFromControl(*child, p);
    EXPECT_EQ(p, (PointT<double>{113, 77}));

    EXPECT_EQ(child->GetParentRectLocal(), (RectT<double>{-(5 - 3 + 10), -(6 + 20), 400, 300}));
    EXPECT_EQ(panel->GetClientRect(), (RectT<double>{0, 0, 380, 260}));
    EXPECT_EQ(panel->GetBounds(), (RectT<double>{3, 0, 380, 260}));
    EXPECT_EQ(panel->GetLookRect(7), (RectT<double>{0, 0, 400, 300})); // no such look
    EXPECT_EQ(t.root->GetParentRectLocal(), (RectT<double>{0, 0, 1200, 750}));
}

TEST(ControlGeometry, ChildrenBoundsSkipDockedChildrenAndStartFromTheExtremes)
{
    uitest::Tree t;
    RCPtr<TestControl> panel = Make(t.root, u"panel", 0, 0, 400, 300);
    EXPECT_EQ(panel->GetChildrenBounds(), (RectT<int32_t>{INT32_MAX, INT32_MAX, 1, 1}));
    Make(panel, u"a", 10, 20, 30, 40);
    Make(panel, u"b", -5, 50, 10, 10);
    RCPtr<TestControl> docked = Make(panel, u"d", 300, 300, 50, 50);
    docked->GetLayout()->Position(1).docked = 1;
    EXPECT_EQ(panel->GetChildrenBounds(), (RectT<int32_t>{-5, 20, 45, 40}));
}

TEST(ControlGeometry, LayoutNeedsADescriptorAndSomethingToPlaceAgainst)
{
    RCPtr<TestControl> loose(new TestControl(nullptr, u"loose", nullptr));
    EXPECT_EQ(loose->PerformLayout(), E_FAIL); // no window, no host
    loose->SetLayout(nullptr);
    EXPECT_EQ(loose->PerformLayout(), E_FAIL);

    uitest::Tree t;
    RCPtr<TestControl> c = Make(t.root, u"c", 1.25, 2.75, 10.5, 3);
    EXPECT_EQ(c->GetPosition(), (PointT<double>{1, 3})); // snapped to whole pixels
    EXPECT_EQ(c->GetSize(), (PointT<double>{11, 3}));    // edges rounded: 1.25..11.75, 2.75..5.75
    EXPECT_EQ(c->PerformLayout(), S_FALSE);              // already in place
    t.root->SetBuilt();
    RCPtr<TestControl> orphan(new TestControl(nullptr, u"o", nullptr));
    orphan->SetBuilt();
    EXPECT_EQ(orphan->PerformLayout(), E_FAIL); // built without a window
}

TEST(ControlGeometry, MeasurementRestoresTheSizeSpec)
{
    uitest::Tree t;
    RCPtr<TestControl> c(new TestControl(RCPtr<LControl>(t.root), u"c", nullptr));
    c->GetLayout()->Size(0) = SizeSpec{kSizeToClient, WString(), 0.5f, 0};
    c->GetLayout()->MinSize(0).absolute = 33;
    c->PerformLayout();
    EXPECT_EQ(c->GetSize().x, 600);
    EXPECT_EQ(c->MeasureNaturalSize().x, 33);
    EXPECT_EQ(c->GetLayout()->Size(0).kind, kSizeToClient);
    EXPECT_EQ(c->GetSize().x, 600);
    c->GetLayout()->MaxSize(1).absolute = 70;
    c->GetLayout()->MaxSize(0) = SizeLimit{1, WString(u"Children"), 0, 90};
    EXPECT_EQ(c->GetMaximumSize(), (PointT<double>{0, 70}));
}

TEST(ControlGeometry, ValueRangesMapBothWaysAndRefuseBadRanges)
{
    RCPtr<TestControl> c = Make(nullptr, u"v", 0, 0, 1, 1);
    EXPECT_EQ(c->SetValueRange(10, 1000, 1), S_OK);
    EXPECT_DOUBLE_EQ(c->ValueToNormalized(100), 0.5);
    EXPECT_DOUBLE_EQ(c->ValueToNormalized(5), 0.0); // clamped to the range
    EXPECT_DOUBLE_EQ(c->ValueToNormalized(1e9), 1.0);
    EXPECT_NEAR(c->NormalizedToValue(0.5), 100.0, 1e-9);
    EXPECT_NEAR(c->NormalizedToValue(2.0), 100000.0, 1e-6); // t is not clamped

    EXPECT_EQ(c->SetValueRange(0, 10, 1), E_INVALIDARG);
    EXPECT_EQ(c->SetValueRange(1, 10, 2), E_INVALIDARG);
    EXPECT_EQ(c->SetValueRange(std::nan(""), 10, 0), E_INVALIDARG);
    EXPECT_EQ(c->SetValueRange(0, std::numeric_limits<double>::infinity(), 0), E_INVALIDARG);
    EXPECT_EQ(c->GetMinimum(), 10); // unchanged by the refusals
    EXPECT_EQ(c->GetScaleType(), 1);

    EXPECT_EQ(c->SetValueRange(1, 0, 0), S_OK); // reversed
    EXPECT_DOUBLE_EQ(c->ValueToNormalized(0.25), 0.75);
    EXPECT_EQ(c->ValueToNormalized(std::nan("")), 0.0);
    EXPECT_EQ(c->SetValueRange(5, 5, 0), S_OK);
    EXPECT_EQ(c->ValueToNormalized(5), 0.0);

    EXPECT_EQ(c->SetNormalizedValue(1.7), 1.0);
    EXPECT_EQ(c->SetNormalizedValue(std::nan("")), 1.0); // never stored
    EXPECT_EQ(c->SetNormalizedValue(-std::numeric_limits<double>::infinity()), 0.0);
}

TEST(ControlGeometry, AxisAnimationKeepsItsStepTimeAndStopsOnce)
{
    uitest::Tree t;
    RCPtr<TestControl> c = Make(t.root, u"c", 0, 0, 10, 10);
    RCPtr<TestControl> dragged = Make(t.root, u"d", 0, 0, 10, 10);
    EXPECT_EQ(c->StartAxisAnimation(0, 300, 100, 0, RCPtr<LControl>(dragged)), S_OK);
    EXPECT_TRUE(c->IsAxisAnimating(0));
    EXPECT_EQ(c->GetIdleSubscriptionCount(), 1);
    const double stamp = c->GetAxisStepTime(0);
    EXPECT_EQ(c->StartAxisAnimation(0, -50, 100, 0, nullptr), S_OK);
    EXPECT_EQ(c->GetAxisStepTime(0), stamp);
    EXPECT_EQ(c->GetAxisSpeed(0), -50);
    EXPECT_EQ(c->GetIdleSubscriptionCount(), 1);
    EXPECT_EQ(c->StopAxisAnimation(0), S_OK);
    EXPECT_EQ(c->GetIdleSubscriptionCount(), 0);
    EXPECT_EQ(c->StopAxisAnimation(0), S_FALSE);
    EXPECT_EQ(c->StopAxisAnimation(1), S_FALSE);
}

TEST(ControlGeometry, IdleCountNeverGoesBelowZero)
{
    uitest::Tree t;
    RCPtr<TestControl> c = Make(t.root, u"c", 0, 0, 10, 10);
    // Drops without a subscription change nothing: the next subscription is the first again.
    EXPECT_EQ(c->UnsubscribeIdle(), S_FALSE);
    EXPECT_EQ(c->UnsubscribeIdle(), S_FALSE);
    EXPECT_EQ(c->GetIdleSubscriptionCount(), 0);
    EXPECT_EQ(c->StartAxisAnimation(1, 10, 100, 0, nullptr), S_OK);
    EXPECT_EQ(c->GetIdleSubscriptionCount(), 1);
    EXPECT_EQ(c->StopAxisAnimation(1), S_OK);
    EXPECT_EQ(c->GetIdleSubscriptionCount(), 0);
    EXPECT_EQ(c->UnsubscribeIdle(), S_FALSE);
    EXPECT_EQ(c->GetIdleSubscriptionCount(), 0);
}
