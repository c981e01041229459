// Minimum and maximum passes: absolute limits with anchors, named children, the children's box
// with its look frame, the maximum winning over the minimum, and the label text's Expand rule.
#include "LayoutFakes.h"

#include <gtest/gtest.h>

using namespace KX;
using uitest::Bounds;
using uitest::Child;
using uitest::Make;
using uitest::SetPosition;
using uitest::SetSize;
using uitest::TestControl;

namespace {

SizeLimit Named(const char16_t* name, float rel = 1.0f, double abs = 0)
{
    return SizeLimit{1, WString(name), rel, abs};
}

} // namespace

TEST(LayoutLimits, AbsoluteLimitsKeepTheAnchorPointAndTheMaximumWins)
{
    uitest::Tree t;
    RCPtr<TestControl> c = Make(t.root, u"c", 0, 0, 10, 10);
    LLayoutDescriptor& l = *c->GetLayout();
    l.Position(0).anchor = 1.0f;
    l.MinSize(0).absolute = 40;
    PointT<double> pos{100, 0}, size{30, 10};
    EXPECT_EQ(ApplyMinimumSize(*c, pos, size), S_FALSE);
    EXPECT_EQ(pos, (PointT<double>{90, 0})); // a right-anchored control grows to the left
    EXPECT_EQ(size, (PointT<double>{40, 10}));
    EXPECT_EQ(ApplyMinimumSize(*c, pos, size), S_OK);

    l.MaxSize(0).absolute = 25;
    EXPECT_EQ(ApplyMaximumSize(*c, pos, size), S_FALSE);
    EXPECT_EQ(pos.x, 105); // and shrinks from the left
    EXPECT_EQ(size.x, 25);
    l.MaxSize(0).absolute = -5; // no maximum rather than a negative size
    EXPECT_EQ(ApplyMaximumSize(*c, pos, size), S_OK);
    EXPECT_EQ(size.x, 25);

    // A top-level control whose minimum is larger than its maximum stays at the maximum.
    RCPtr<kxtest::FakeRootWindow> window(new kxtest::FakeRootWindow({0, 0, 1600, 1000}));
    RCPtr<TestControl> top(new TestControl(nullptr, u"top", nullptr));
    top->SetRootWindow(window);
    LLayoutDescriptor& tl = *top->GetLayout();
    SetSize(*top, 0, kSizeToClient, 1.0f, 0);
    tl.MinSize(0).absolute = 1500;
    tl.MinSize(1).absolute = 800;
    tl.MaxSize(0).absolute = 1200;
    tl.MaxSize(1).absolute = 750;
    top->PerformLayout();
    EXPECT_EQ(Bounds(*top), (RectT<double>{0, 0, 1200, 750}));
}

TEST(LayoutLimits, NamedChildMinimumAndAnchorsThatCannotReachIt)
{
    uitest::Tree t;
    RCPtr<TestControl> c = Make(t.root, u"c", 10, 20, 100, 50);
    Make(c, u"kid", 30, 0, 120, 10); // spans 40..160 where c is placed
    LLayoutDescriptor& l = *c->GetLayout();
    l.MinSize(0) = Named(u"kid", 1.0f, 5);
    PointT<double> pos{10, 20}, size{100, 50};
    EXPECT_EQ(ApplyMinimumSize(*c, pos, size), S_FALSE);
    EXPECT_EQ(size.x, 165 - 10);

    // A right anchor cannot push the far edge out: the axis stays and the pass fails...
    l.Position(0).anchor = 1.0f;
    pos = {10, 20};
    size = {100, 50};
    EXPECT_EQ(ApplyMinimumSize(*c, pos, size), E_FAIL);
    EXPECT_EQ(size.x, 100);
    // ...unless the y axis changes afterwards.
    l.MinSize(1).absolute = 60;
    EXPECT_EQ(ApplyMinimumSize(*c, pos, size), S_FALSE);
    EXPECT_EQ(size, (PointT<double>{100, 60}));

    // An unknown name, and a control without children, leave the axis alone.
    l.MinSize(1) = Named(u"nobody", 1.0f, 500);
    RCPtr<TestControl> leaf = Make(t.root, u"leaf", 0, 0, 5, 5);
    leaf->GetLayout()->MinSize(0) = Named(u"Children", 1.0f, 500);
    pos = {0, 0};
    size = {5, 5};
    EXPECT_EQ(ApplyMinimumSize(*leaf, pos, size), S_OK);
    EXPECT_EQ(size, (PointT<double>{5, 5}));
}

TEST(LayoutLimits, ChildrenBoxSkipsUnclippedChildrenForTheMinimumOnlyAndAddsTheLookFrame)
{
    uitest::Tree t;
    RCPtr<TestControl> c = Make(t.root, u"box", 0, 0, 88, 33);
    Make(c, u"a", 10, 10, 30, 20);
    Make(c, u"b", 50, 5, 40, 10);
    Make(c, u"far", 500, 500, 10, 10)->GetLayout()->clipToParent = false;
    LLayoutDescriptor& l = *c->GetLayout();
    l.MinSize(0) = Named(u"Children");
    l.MinSize(1) = Named(u"Children");
    PointT<double> pos{0, 0}, size{0, 0};
    ApplyMinimumSize(*c, pos, size);
    EXPECT_EQ(size, (PointT<double>{80, 25})); // x 10..90, y 5..30

    // A look with an 80 x 25 client inside the control's 88 x 33: the frame is added around.
    RCPtr<kxtest::FakeLook> look(new kxtest::FakeLook({0, 0, 88, 33}, 0));
    look->hasClientPart = true;
    look->clientPart = {4, 4, 80, 25};
    c->AddLook(RCPtr<IControlLook>(look));
    c->ShowLook(0, 1);
    size = {0, 0};
    ApplyMinimumSize(*c, pos, size);
    EXPECT_EQ(size, (PointT<double>{88, 33}));

    // The maximum counts the unclipped child: 10..510.
    RCPtr<TestControl> m = Make(t.root, u"m", 0, 0, 1000, 1000);
    Make(m, u"a", 10, 10, 30, 20);
    Make(m, u"b", 50, 5, 40, 10);
    Make(m, u"far", 500, 500, 10, 10)->GetLayout()->clipToParent = false;
    m->GetLayout()->MaxSize(0) = Named(u"Children");
    size = {1000, 1000};
    EXPECT_EQ(ApplyMaximumSize(*m, pos, size), S_FALSE);
    EXPECT_EQ(size.x, 500);
    // A first child docked on both axes gives no box.
    m->GetChildren().GetAt(0, kOrderInsertion)->GetLayout()->Position(0).docked = 1;
    m->GetChildren().GetAt(0, kOrderInsertion)->GetLayout()->Position(1).docked = 1;
    size = {1000, 1000};
    EXPECT_EQ(ApplyMaximumSize(*m, pos, size), S_OK);
    EXPECT_EQ(size.x, 1000);
}

TEST(LayoutLimits, NamedMaximumMovesThePositionByTheAnchorsShareOfTheCut)
{
    uitest::Tree t;
    RCPtr<TestControl> c = Make(t.root, u"c", 0, 0, 100, 10);
    RCPtr<TestControl> kid = Make(c, u"kid", 0, 0, 60, 10);
    LLayoutDescriptor& l = *c->GetLayout();
    l.MaxSize(0) = Named(u"kid");
    PointT<double> pos{0, 0}, size{100, 10};
    EXPECT_EQ(ApplyMaximumSize(*c, pos, size), S_FALSE);
    EXPECT_EQ(pos.x, 0);
    EXPECT_EQ(size.x, 60);
    // Centred: the far edge comes back to 60 and the position moves by half the cut of 40.
    l.Position(0).anchor = 0.5f;
    pos = {0, 0};
    size = {100, 10};
    ApplyMaximumSize(*c, pos, size);
    EXPECT_EQ(pos.x, 20);
    EXPECT_EQ(size.x, 40);
    // Anchored at the far edge: the whole cut moves the position, leaving 20.
    l.Position(0).anchor = 1.0f;
    pos = {0, 0};
    size = {100, 10};
    EXPECT_EQ(ApplyMaximumSize(*c, pos, size), S_FALSE);
    EXPECT_EQ(pos.x, 40);
    EXPECT_EQ(size.x, 20);
    // A cut that would move the position past the end (a negative size) moves the far edge only.
    l.Position(0).anchor = 0.0f; // the kid's change lays c out again: keep c where it is
    kid->GetLayout()->Size(0).absolute = 30;
    kid->PerformLayout();
    l.Position(0).anchor = 0.5f;
    pos = {0, 0};
    size = {100, 10};
    ApplyMaximumSize(*c, pos, size);
    EXPECT_EQ(pos.x, 0);
    EXPECT_EQ(size.x, 30);
}

TEST(LayoutLimits, ExpandWidensForTheTextThenWrapsAtTheMaximum)
{
    uitest::Tree t;
    RCPtr<TestControl> c = Make(t.root, u"label", 0, 0, 100, 20);
    LookTextProperties edges;
    edges.rightRel = 1.0f;
    edges.bottomRel = 1.0f;
    RCPtr<uitest::LabelLook> look(new uitest::LabelLook({0, 0, 100, 20}, edges));
    c->AddLook(RCPtr<IControlLook>(look));
    c->ShowLook(0, 1);
    uitest::FakeLabel& label = look->label;
    label.textWidth = 130;
    label.wrap = true;
    LLayoutDescriptor& l = *c->GetLayout();
    l.textOverflowX = kTextOverflowExpand;
    PointT<double> pos{0, 0}, size{100, 20};
    EXPECT_EQ(ApplyMinimumSize(*c, pos, size), S_FALSE);
    EXPECT_EQ(size.x, 130);
    EXPECT_FALSE(label.wrap);

    // Capped by the maximum: the text wraps inside 110 and the height follows at that width.
    l.MaxSize(0).absolute = 110;
    l.textOverflowY = kTextOverflowWrap;
    size = {100, 15};
    ApplyMinimumSize(*c, pos, size);
    EXPECT_EQ(size, (PointT<double>{110, 20})); // two lines of 10
    EXPECT_TRUE(label.wrap);
    ASSERT_FALSE(label.askedWidths.empty());
    EXPECT_EQ(label.askedWidths.back(), 110);

    // A box spanning half the control grows the control twice the missing width; a box with
    // coinciding edges does not scale and cannot grow it.
    l.MaxSize(0).absolute = 0;
    l.textOverflowY = kTextOverflowClip;
    edges.leftRel = 0.25f;
    edges.rightRel = 0.75f;
    look->label.descriptor->SetTextProperties(edges, nullptr);
    size = {200, 20}; // box 100 wide
    ApplyMinimumSize(*c, pos, size);
    EXPECT_EQ(size.x, 260);
    edges.leftRel = edges.rightRel = 0;
    edges.rightAbs = 100;
    look->label.descriptor->SetTextProperties(edges, nullptr);
    size = {200, 20};
    EXPECT_EQ(ApplyMinimumSize(*c, pos, size), S_OK);
    EXPECT_EQ(size.x, 200);
    // Wrap takes nothing from the text on x.
    l.textOverflowX = kTextOverflowWrap;
    label.textWidth = 1000;
    size = {50, 20};
    ApplyMinimumSize(*c, pos, size);
    EXPECT_EQ(size.x, 50);
}
