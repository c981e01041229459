// Hostile layout descriptors: non-finite and huge values never give NaN or unbounded bounds,
// and controls that refer to themselves or to each other in a ring are laid out and stop.
#include "LayoutFakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace KX;
using uitest::Bounds;
using uitest::Child;
using uitest::Make;
using uitest::SetPosition;
using uitest::TestControl;

namespace {

void ExpectSane(const LControl& c)
{
    const RectT<double> b = Bounds(c);
    for (double v : {b.x, b.y, b.width, b.height}) {
        EXPECT_TRUE(std::isfinite(v)) << v;
        EXPECT_LE(std::fabs(v), 4 * kMaxLayoutCoordinate) << v;
    }
}

// Every number of both axes set to v (factors and anchors to f), with the given kinds and names.
void Poison(LLayoutDescriptor& l, double v, float f, int32_t positionKind, int32_t sizeKind, uint8_t named)
{
    for (int32_t a = 0; a < 2; ++a) {
        l.Position(a) = AxisPlacement{f, positionKind, WString(u"sib"), f, v, static_cast<uint8_t>(a)};
        l.Size(a) = SizeSpec{sizeKind, WString(u"sib"), f, v};
        l.MinSize(a) = SizeLimit{named, WString(u"Children"), f, v};
        l.MaxSize(a) = SizeLimit{named, WString(u"kid"), f, v};
    }
    l.textOverflowX = kTextOverflowExpand;
    l.textOverflowY = kTextOverflowWrap;
}

} // namespace

TEST(LayoutHostile, NonFiniteAndHugeValuesGiveFiniteBounds)
{
    const double inf = std::numeric_limits<double>::infinity();
    const float finf = std::numeric_limits<float>::infinity();
    const double values[] = {std::nan(""), inf, -inf, 1e300, -1e300, 3e9, -0.0};
    const float factors[] = {std::nanf(""), finf, -finf, std::numeric_limits<float>::max(), -1e30f, 0.999999f, 2.0f};
    uitest::Tree t;
    RCPtr<TestControl> p = Make(t.root, u"p", 0, 0, 300, 200);
    p->SetScrollOffset({0, 1e12}); // huge scroll as well
    Make(p, u"sib", 5, 5, 50, 50);
    LookTextProperties edges;
    edges.leftRel = std::nanf("");
    edges.rightRel = finf;
    edges.bottomRel = 1e-30f;
    edges.bottomAbs = INT32_MIN;
    for (int32_t positionKind : {kPositionToParent, kPositionToClient, kPositionToControl, 99})
        for (int32_t sizeKind : {kSizeToParent, kSizeToClient, kSizeToSelf, kSizeToControl, -1})
            for (uint8_t named : {0, 1})
                for (size_t i = 0; i < std::size(values); ++i) {
                    RCPtr<TestControl> c = Child(p, u"c");
                    Make(c, u"kid", values[i], 1, 1e300, values[i]);
                    RCPtr<uitest::LabelLook> look(new uitest::LabelLook({0, 0, 10, 10}, edges));
                    look->label.textWidth = INT32_MAX;
                    look->label.lineHeight = INT32_MAX;
                    c->AddLook(RCPtr<IControlLook>(look));
                    c->ShowLook(0, 1);
                    Poison(*c->GetLayout(), values[i], factors[i], positionKind, sizeKind, named);
                    c->PerformLayout();
                    ExpectSane(*c);
                    if (::testing::Test::HasFailure())
                        FAIL() << "kinds " << positionKind << "/" << sizeKind << " named " << int(named) << " value "
                               << i;
                    p->GetChildren().Remove(c.Get());
                }
}

TEST(LayoutHostile, SelfReferencesAndRingsOfNamesTerminate)
{
    uitest::Tree t;
    RCPtr<TestControl> p = Make(t.root, u"p", 0, 0, 300, 200);
    RCPtr<TestControl> me = Child(p, u"me");
    SetPosition(*me, 0, kPositionToControl, 1.0f, 3, 0, u"me");
    me->GetLayout()->Size(1) = SizeSpec{kSizeToControl, WString(u"me"), 1.0f, 0};
    me->GetLayout()->MinSize(0) = SizeLimit{1, WString(u"me"), 1.0f, 0};
    me->PerformLayout();
    EXPECT_EQ(Bounds(*me).x, 3); // its own place before this layout: (0, 0, 0, 0)
    me->PerformLayout();
    EXPECT_EQ(Bounds(*me).x, 3 + 16 + 3); // each layout reads the last one and stops
    ExpectSane(*me);

    RCPtr<TestControl> a = Child(p, u"a");
    RCPtr<TestControl> b = Child(p, u"b");
    SetPosition(*a, 0, kPositionToControl, 1.0f, 1, 0, u"b");
    SetPosition(*b, 0, kPositionToControl, 1.0f, 1, 0, u"a");
    a->GetLayout()->Size(0) = SizeSpec{kSizeToControl, WString(u"b"), 1.0f, 0};
    b->GetLayout()->Size(0) = SizeSpec{kSizeToControl, WString(u"a"), 1.0f, 0};
    for (int i = 0; i < 3; ++i) {
        a->PerformLayout();
        b->PerformLayout();
    }
    ExpectSane(*a);
    ExpectSane(*b);

    // A parent sized by its children whose child is always 10 wider than the parent: each
    // layout grows them a step, and the chain of relayouts stops.
    RCPtr<TestControl> box = Make(p, u"box", 0, 0, 0, 0);
    box->GetLayout()->MinSize(0) = SizeLimit{1, WString(u"Children"), 1.0f, 0};
    RCPtr<TestControl> inner = Child(box, u"inner");
    inner->GetLayout()->Size(0) = SizeSpec{kSizeToParent, WString(), 1.0f, 10};
    inner->PerformLayout();
    inner->PerformLayout();
    ExpectSane(*box);
    EXPECT_GT(Bounds(*box).width, 0);
    EXPECT_LT(Bounds(*box).width, 100);
}
