// Placement pass: parent and client areas, anchors, docking, named siblings, top-level controls
// against the screen, and pixel snapping.
#include "LayoutFakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace KX;
using uitest::Bounds;
using uitest::Child;
using uitest::Make;
using uitest::SetPosition;
using uitest::SetSize;
using uitest::TestControl;

namespace {

// A 200 x 100 parent under the tree's root whose current look is lookRect.
RCPtr<TestControl> Parent(uitest::Tree& t, RectT<int32_t> lookRect = {0, 0, 200, 100})
{
    RCPtr<TestControl> p = Make(t.root, u"p", 0, 0, 200, 100);
    p->AddLook(RCPtr<IControlLook>(new kxtest::FakeLook(lookRect, 0)));
    p->ShowLook(0, 1);
    return p;
}

RectT<double> Place(const LLayoutDescriptor& layout)
{
    RectT<double> out{-1, -1, -1, -1};
    EXPECT_EQ(ComputeControlPlacement(&layout, nullptr, {0, 0, 200, 100}, {200, 100}, {0, 0}, out), S_OK);
    return out;
}

} // namespace

TEST(LayoutPlacement, ClientEdgesAndParentAreaFollowTheLookRectangle)
{
    uitest::Tree t;
    RCPtr<TestControl> p = Parent(t);
    // 15 pixels from the right edge, 17 wide; and a band with 16 pixels on either side.
    RCPtr<TestControl> right = Child(p, u"r");
    SetPosition(*right, 0, kPositionToClient, 1.0f, -15, 1.0f);
    SetSize(*right, 0, kSizeToSelf, 0, 17);
    right->PerformLayout();
    EXPECT_EQ(Bounds(*right), (RectT<double>{168, 0, 17, 40}));
    RCPtr<TestControl> band = Child(p, u"b");
    SetPosition(*band, 0, kPositionToClient, 0, 16);
    SetSize(*band, 0, kSizeToClient, 1.0f, -16);
    band->PerformLayout();
    EXPECT_EQ(Bounds(*band).x, 16);
    EXPECT_EQ(Bounds(*band).width, 200 - 32);

    // A look inset by (10, 20) with a 180 x 60 client: the parent area starts at minus the inset
    // and spans the parent's size, the client area spans the look.
    uitest::Tree t2;
    RCPtr<TestControl> inset = Parent(t2, {10, 20, 180, 60});
    RCPtr<TestControl> c = Child(inset, u"c");
    SetPosition(*c, 0, kPositionToParent, 0, 0);
    SetSize(*c, 0, kSizeToParent, 1.0f, 0);
    SetPosition(*c, 1, kPositionToParent, 0.5f, 0);
    SetSize(*c, 1, kSizeToClient, 1.0f, 0);
    c->PerformLayout();
    EXPECT_EQ(Bounds(*c), (RectT<double>{-10, 30, 200, 30}));
}

TEST(LayoutPlacement, AnchorDecidesWhichWayTheSizeMayPoint)
{
    RCPtr<LLayoutDescriptor> l = LLayoutDescriptor::Create();
    l->Position(0) = AxisPlacement{1.0f, kPositionToClient, WString(), 0, 50, 0};
    l->Size(0) = SizeSpec{kSizeToClient, WString(), 0, 120};
    EXPECT_EQ(Place(*l).width, 0); // end to the right needs an anchor below 1
    l->Position(0).anchor = 0.0f;
    l->Size(0).absolute = 20;
    EXPECT_EQ(Place(*l).width, 0); // end to the left needs an anchor above 0
    l->Position(0).anchor = 0.5f;
    l->Position(0).absolute = 100;
    l->Size(0).absolute = 160;
    EXPECT_EQ(Place(*l), (RectT<double>{40, 0, 120, 40})); // centred on 100
    l->Size(0).absolute = 40;
    EXPECT_EQ(Place(*l), (RectT<double>{40, 0, 120, 40})); // the same from the other side
    l->Size(0) = SizeSpec{kSizeToSelf, WString(), 0, -5};
    EXPECT_EQ(Place(*l).width, 0);
    RectT<double> untouched{1, 2, 3, 4};
    EXPECT_EQ(ComputeControlPlacement(nullptr, nullptr, {}, {}, {}, untouched), E_INVALIDARG);
    EXPECT_EQ(untouched, (RectT<double>{1, 2, 3, 4}));
}

TEST(LayoutPlacement, DockedControlsKeepTheirPlaceWhileTheParentScrolls)
{
    uitest::Tree t;
    RCPtr<TestControl> p = Parent(t);
    p->SetScrollOffset({0, 120});
    RCPtr<TestControl> docked = Child(p, u"docked");
    SetPosition(*docked, 1, kPositionToClient, 0, 10);
    docked->GetLayout()->Position(1).docked = 1;
    SetSize(*docked, 1, kSizeToSelf, 0, 25);
    docked->PerformLayout();
    EXPECT_EQ(Bounds(*docked).y, 130);
    RCPtr<TestControl> plain = Child(p, u"plain");
    SetPosition(*plain, 1, kPositionToClient, 0, 10);
    plain->PerformLayout();
    EXPECT_EQ(Bounds(*plain).y, 10);
    // Below the docked one: its place is seen without the scroll it was given.
    RCPtr<TestControl> below = Child(p, u"below");
    SetPosition(*below, 1, kPositionToControl, 1.0f, 2, 0, u"docked");
    below->PerformLayout();
    EXPECT_EQ(Bounds(*below).y, 10 + 25 + 2);
}

TEST(LayoutPlacement, NamedSiblingsAndMissingNames)
{
    uitest::Tree t;
    RCPtr<TestControl> p = Parent(t);
    Make(p, u"a", 20, 30, 50, 40);
    RCPtr<TestControl> b = Child(p, u"b");
    SetPosition(*b, 0, kPositionToControl, 1.0f, 5, 0, u"a"); // 5 right of a's right edge
    SetPosition(*b, 1, kPositionToControl, 0, 0, 0, u"a");    // level with a's top
    SetSize(*b, 1, kSizeToControl, 1.0f, 10, u"a");           // 10 below a's bottom
    b->PerformLayout();
    EXPECT_EQ(Bounds(*b), (RectT<double>{75, 30, 16, 50}));
    // An unknown name leaves the absolute values alone.
    RCPtr<TestControl> lost = Child(p, u"lost");
    SetPosition(*lost, 0, kPositionToControl, 1.0f, 7, 0, u"nobody");
    SetSize(*lost, 0, kSizeToControl, 1.0f, 12, u"nobody");
    lost->PerformLayout();
    EXPECT_EQ(Bounds(*lost).x, 7);
    EXPECT_EQ(Bounds(*lost).width, 5);
}

TEST(LayoutPlacement, LayingOutAgainFollowsWhateverChangedSinceTheLastRun)
{
    uitest::Tree t;
    RCPtr<TestControl> p = Parent(t);
    Make(p, u"a", 20, 30, 50, 40);
    RCPtr<TestControl> b = Child(p, u"b");
    SetPosition(*b, 0, kPositionToControl, 1.0f, 5, 0, u"a");
    SetSize(*b, 0, kSizeToClient, 1.0f, -10);
    SetPosition(*b, 1, kPositionToClient, 0, 10);
    ASSERT_EQ(b->PerformLayout(), S_OK);
    EXPECT_EQ(Bounds(*b), (RectT<double>{75, 10, 115, 40}));
    EXPECT_EQ(b->PerformLayout(), S_FALSE);

    // The layout edited in place, then the control moved by hand.
    b->GetLayout()->Position(1).absolute = 12;
    EXPECT_EQ(b->PerformLayout(), S_OK);
    EXPECT_EQ(Bounds(*b), (RectT<double>{75, 12, 115, 40}));
    b->SetBounds({0, 0}, {1, 1});
    EXPECT_EQ(b->PerformLayout(), S_OK);
    EXPECT_EQ(Bounds(*b), (RectT<double>{75, 12, 115, 40}));

    // The named sibling replaced by another of the same name (added after b, so b is not
    // laid out by its arrival).
    RCPtr<LControl>(p->FindChild(WString(u"a")))->SetParent(RCPtr<LControl>());
    Make(p, u"a", 100, 0, 20, 20);
    EXPECT_EQ(b->PerformLayout(), S_OK);
    EXPECT_EQ(Bounds(*b), (RectT<double>{125, 12, 65, 40}));

    // The parent's client area narrowed by another look of the same size.
    p->AddLook(RCPtr<IControlLook>(new kxtest::FakeLook({10, 0, 180, 100}, 0)));
    p->ShowLook(1, 1);
    EXPECT_EQ(b->PerformLayout(), S_OK);
    EXPECT_EQ(Bounds(*b), (RectT<double>{125, 12, 45, 40}));
}

TEST(LayoutPlacement, ANameHandedOnByRenamesIsFollowedToItsNewHolder)
{
    uitest::Tree t;
    RCPtr<TestControl> p = Parent(t);
    // b comes first: renaming the siblings after it leaves its reference as it is.
    RCPtr<TestControl> b = Child(p, u"b");
    SetPosition(*b, 0, kPositionToControl, 1.0f, 5, 0, u"a");
    RCPtr<TestControl> a = Make(p, u"a", 20, 30, 50, 40);
    RCPtr<TestControl> c = Make(p, u"c", 100, 0, 30, 20);
    ASSERT_EQ(b->PerformLayout(), S_OK);
    EXPECT_EQ(Bounds(*b).x, 75);
    // The child list keeps its members and order; only the name moves from a to c.
    LChildControlList& children = p->GetChildren();
    ASSERT_EQ(children.RenameChild(a, WString(u"old")), S_OK);
    ASSERT_EQ(children.RenameChild(c, WString(u"a")), S_OK);
    EXPECT_EQ(b->PerformLayout(), S_OK);
    EXPECT_EQ(Bounds(*b).x, 135);
    // And b keeps following c, not a, as either moves.
    a->SetBounds({0, 30}, {10, 40});
    c->SetBounds({110, 0}, {40, 20});
    EXPECT_EQ(b->PerformLayout(), S_OK);
    EXPECT_EQ(Bounds(*b).x, 155);
}

TEST(LayoutPlacement, TopLevelControlsPlaceAgainstTheScreenInClientCoordinates)
{
    uitest::FakeHost host;
    uitest::ScopedHost scoped(host);
    RCPtr<uitest::PlacedRootWindow> window(new uitest::PlacedRootWindow({0, 0, 800, 600}));
    window->origin = {100, 50};
    host.cursor = {400, 300};
    RCPtr<TestControl> top(new TestControl(nullptr, u"top", nullptr));
    top->SetRootWindow(window);
    SetPosition(*top, 0, kPositionToParent, 0, 0);
    SetSize(*top, 0, kSizeToParent, 1.0f, 0);
    SetPosition(*top, 1, kPositionToClient, 1.0f, -20, 1.0f);
    SetSize(*top, 1, kSizeToSelf, 0, 30);
    top->PerformLayout();
    EXPECT_EQ(Bounds(*top), (RectT<double>{-100, 550, 1920, 30}));
    // A named reference without parent falls back to the cursor in client coordinates.
    SetPosition(*top, 0, kPositionToControl, 1.0f, 5, 0, u"whatever");
    SetSize(*top, 0, kSizeToSelf, 0, 10);
    top->PerformLayout();
    EXPECT_EQ(Bounds(*top).x, 305);
}

TEST(LayoutPlacement, SnappingRoundsHalfAwayFromZeroAndSaturates)
{
    RectT<double> r{10.5, 0, 20.4, 0};
    SnapRectToPixels(r);
    EXPECT_EQ(r, (RectT<double>{11, 0, 20, 0})); // right = round(30.9) = 31
    r = {-2.5, -0.4, 1, 0.4};
    SnapRectToPixels(r);
    EXPECT_EQ(r, (RectT<double>{-3, 0, 1, 0}));
    const double inf = std::numeric_limits<double>::infinity();
    r = {1e300, std::nan(""), inf, -1e300};
    SnapRectToPixels(r);
    EXPECT_EQ(r, (RectT<double>{kMaxLayoutCoordinate, 0, 0, 0}));
    EXPECT_EQ(RoundLayoutValue(-inf), -kMaxLayoutCoordinate);
    EXPECT_EQ(RoundLayoutValue(2.5), 3);
    EXPECT_EQ(RoundLayoutValue(-2.5), -3);
}
