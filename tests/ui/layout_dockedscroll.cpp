// Docked children moved by a scroll: they land where laying each out again would place them,
// whatever names, anchors, limits and offsets their layouts hold.
#include "LayoutFakes.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <random>
#include <string>
#include <vector>

using namespace KX;
using uitest::Bounds;
using uitest::Make;
using uitest::SetPosition;
using uitest::SetSize;
using uitest::TestControl;

namespace {

// Lays itself out again on every scroll of its parent: the reference for the moved children.
class RelaidControl : public TestControl {
public:
    RelaidControl(const RCPtr<LControl>& parent, const char16_t* name) : TestControl(parent, name, nullptr) {}
    KXRESULT OnParentResized(PointT<double>, PointT<double>) override
    {
        if (GetLayout()->IsXDocked() || GetLayout()->IsYDocked())
            PerformLayout();
        return S_OK;
    }
};

struct Scene {
    // With clipped false every child is drawn outside the parent, so none is shifted.
    Scene(bool relaid, bool clipped)
    {
        parent = Make(tree.root, u"p", 0, 0, 200, 100);
        parent->AddLook(RCPtr<IControlLook>(new kxtest::FakeLook({0, 0, 200, 100}, 0)));
        parent->ShowLook(0, 1);
        auto add = [&](const char16_t* name) {
            RCPtr<TestControl> c = relaid ? RCPtr<TestControl>(new RelaidControl(parent, name))
                                          : RCPtr<TestControl>(new TestControl(parent, name, nullptr));
            children.push_back(c);
            return c;
        };
        // A corner in the far corner and a bar above it sized to it, as a scroll view has them.
        RCPtr<TestControl> corner = add(u"corner");
        SetPosition(*corner, 0, kPositionToParent, 1.0f, 0, 1.0f);
        SetPosition(*corner, 1, kPositionToParent, 1.0f, 0, 1.0f);
        SetSize(*corner, 0, kSizeToSelf, 0, 12);
        SetSize(*corner, 1, kSizeToSelf, 0, 10);
        RCPtr<TestControl> bar = add(u"bar");
        SetPosition(*bar, 0, kPositionToControl, 0, 0, 0.0f, u"corner");
        SetSize(*bar, 0, kSizeToControl, 1.0f, 0, u"corner");
        SetSize(*bar, 1, kSizeToControl, 0, 0, u"corner");
        // One placed below a docked sibling that comes after it.
        RCPtr<TestControl> early = add(u"early");
        SetPosition(*early, 1, kPositionToControl, 1.0f, 2, 0.0f, u"late");
        SetSize(*early, 1, kSizeToSelf, 0, 5);
        RCPtr<TestControl> late = add(u"late");
        SetPosition(*late, 1, kPositionToClient, 0, 30);
        SetSize(*late, 1, kSizeToSelf, 0, 8);
        // Centred on 3 with an odd height: its top is half a pixel off and rounds away from zero.
        RCPtr<TestControl> centred = add(u"centred");
        SetPosition(*centred, 1, kPositionToClient, 0, 3, 0.5f);
        SetSize(*centred, 1, kSizeToSelf, 0, 13);
        // A minimum height measured to its own child, and one drawn outside the parent.
        RCPtr<TestControl> limited = add(u"limited");
        SetPosition(*limited, 1, kPositionToClient, 0, 50);
        SetSize(*limited, 1, kSizeToSelf, 0, 4);
        limited->GetLayout()->MinSize(1) = SizeLimit{1, WString(u"kid"), 1.0f, 0};
        RCPtr<TestControl> unclipped = add(u"unclipped");
        SetPosition(*unclipped, 0, kPositionToClient, 0, 40);
        unclipped->GetLayout()->clipToParent = false;
        // A plain one below the bar, placed without the scroll, and two in a chain below the one
        // with limits, which is laid out rather than shifted.
        RCPtr<TestControl> plain = add(u"plain");
        SetPosition(*plain, 1, kPositionToControl, 1.0f, 1, 0.0f, u"bar");
        RCPtr<TestControl> follower = add(u"follower");
        SetPosition(*follower, 1, kPositionToControl, 1.0f, 3, 0.0f, u"limited");
        SetSize(*follower, 1, kSizeToSelf, 0, 6);
        RCPtr<TestControl> chained = add(u"chained");
        SetPosition(*chained, 1, kPositionToControl, 1.0f, 0, 0.0f, u"follower");
        for (const RCPtr<TestControl>& c : children)
            if (c.Get() != plain.Get() && c.Get() != follower.Get() && c.Get() != chained.Get())
                for (int32_t axis = 0; axis < 2; ++axis)
                    c->GetLayout()->Position(axis).docked = (c.Get() == early.Get() || c.Get() == late.Get() ||
                                                             c.Get() == centred.Get() || c.Get() == limited.Get())
                                                                ? axis == 1
                                                                : 1;
        Make(limited, u"kid", 0, 0, 10, 9);
        if (!clipped)
            for (const RCPtr<TestControl>& c : children)
                c->GetLayout()->clipToParent = false;
        for (const RCPtr<TestControl>& c : children)
            c->PerformLayout();
    }

    uitest::Tree tree;
    RCPtr<TestControl> parent;
    std::vector<RCPtr<TestControl>> children;
};

// The bounds as (x, y, width, height), printable.
std::array<double, 4> Box(const LControl& c)
{
    const RectT<double> r = Bounds(c);
    return {r.x, r.y, r.width, r.height};
}

// A scene drawn from the generator: children docked on random axes, placed against the parent,
// its client area or (in two scenes of three) a sibling before or after them, sized by themselves
// or to a sibling.
struct RandomScene {
    RandomScene(bool relaid, uint32_t seed)
    {
        std::mt19937 random(seed);
        auto pick = [&](int n) { return static_cast<int>(random() % static_cast<uint32_t>(n)); };
        parent = Make(tree.root, u"p", 0, 0, 200, 100);
        parent->AddLook(RCPtr<IControlLook>(new kxtest::FakeLook({0, 0, 200, 100}, 0)));
        parent->ShowLook(0, 1);
        const int count = 3 + pick(6);
        for (int i = 0; i < count; ++i) {
            names.push_back(u"c" + std::u16string(1, static_cast<char16_t>(u'0' + i)));
            children.push_back(relaid ? RCPtr<TestControl>(new RelaidControl(parent, names.back().c_str()))
                                      : RCPtr<TestControl>(new TestControl(parent, names.back().c_str(), nullptr)));
        }
        const float fractions[] = {0.0f, 0.5f, 1.0f};
        const bool naming = seed % 3 != 0;
        for (int i = 0; i < count; ++i) {
            TestControl& c = *children[i];
            for (int32_t axis = 0; axis < 2; ++axis) {
                int other = pick(count);
                if (other == i)
                    other = (i + 1) % count;
                const char16_t* sibling = names[static_cast<size_t>(other)].c_str();
                const double at = pick(121) - 20 + (pick(4) == 0 ? 0.5 : 0.0);
                switch (pick(naming ? 3 : 2)) {
                case 0: SetPosition(c, axis, kPositionToParent, fractions[pick(3)], at, fractions[pick(3)]); break;
                case 1: SetPosition(c, axis, kPositionToClient, 0, at, fractions[pick(3)]); break;
                default:
                    SetPosition(c, axis, kPositionToControl, fractions[pick(3)], pick(9) - 4, fractions[pick(3)],
                                sibling);
                }
                if (naming && pick(4) == 0)
                    SetSize(c, axis, kSizeToControl, fractions[1 + pick(2)], pick(5), sibling);
                else
                    SetSize(c, axis, kSizeToSelf, 0, 1 + pick(40));
                c.GetLayout()->Position(axis).docked = pick(2);
            }
        }
        for (const RCPtr<TestControl>& c : children)
            c->PerformLayout();
    }

    uitest::Tree tree;
    RCPtr<TestControl> parent;
    std::vector<std::u16string> names;
    std::vector<RCPtr<TestControl>> children;
};

} // namespace

TEST(LayoutDockedScroll, RandomScenesLandWhereLayingThemOutAgainWouldPlaceThem)
{
    int differing = 0;
    for (uint32_t seed = 1; seed <= 400; ++seed) {
        RandomScene moved(false, seed), reference(true, seed);
        std::mt19937 random(seed * 7919u);
        bool same = true;
        for (int step = 0; step < 8 && same; ++step) {
            const PointT<double> offset{static_cast<double>(static_cast<int>(random() % 61u) - 10),
                                        static_cast<double>(static_cast<int>(random() % 61u) - 10)};
            moved.parent->SetScrollOffset(offset);
            reference.parent->SetScrollOffset(offset);
            for (size_t i = 0; i < moved.children.size() && same; ++i)
                same = Box(*moved.children[i]) == Box(*reference.children[i]);
        }
        differing += same ? 0 : 1;
        EXPECT_TRUE(same) << "scene " << seed;
        if (differing > 5)
            break;
    }
    EXPECT_EQ(differing, 0);
}

TEST(LayoutDockedScroll, ChildrenLandWhereLayingThemOutAgainWouldPlaceThem)
{
    for (bool clipped : {true, false}) {
        SCOPED_TRACE(clipped ? "clipped" : "unclipped");
        Scene moved(false, clipped), reference(true, clipped);
        const double nan = std::numeric_limits<double>::quiet_NaN();
        // Row steps, steps back, offsets that carry the centred one across zero, both axes at once,
        // offsets the layout clamps, a fractional one that is rounded, and not-a-number.
        const PointT<double> offsets[] = {{0, 14},  {0, 28},   {0, 27},   {0, -3},    {0, 4},    {0, 3},
                                          {0, -4},  {0, 5},    {7, 5},    {-9, -120}, {0, 1e12}, {0, -2e9},
                                          {0, 6.5}, {nan, 12}, {0, 1e12}, {3, 0},     {0, 0}};
        for (const PointT<double>& offset : offsets) {
            moved.parent->SetScrollOffset(offset);
            reference.parent->SetScrollOffset(offset);
            for (size_t i = 0; i < moved.children.size(); ++i) {
                SCOPED_TRACE(std::to_string(offset.x) + ", " + std::to_string(offset.y) + ": " +
                             moved.children[i]->GetName().ToNarrow().GetString());
                EXPECT_EQ(Box(*moved.children[i]), Box(*reference.children[i]));
            }
        }
    }
}

// A parent that keeps its children's places itself, and a child that takes its victim out of the
// tree when it moves.
class KeepsNamedPlaces : public TestControl {
public:
    explicit KeepsNamedPlaces(const RCPtr<LControl>& parent) : TestControl(parent, u"p", nullptr)
    {
        SetScrollShiftsNamedChildren(true);
    }
};
class RemovesOnMove : public TestControl {
public:
    using TestControl::TestControl;
    void CheckTrackedBoundsChanged() override
    {
        const RCPtr<LControl> gone = victim;
        victim = nullptr;
        if (gone)
            gone->SetParent(RCPtr<LControl>());
    }
    RCPtr<LControl> victim;
};

TEST(LayoutDockedScroll, ALayoutThatRemovesAMovedChildLeavesTheNamesComparedAfterItReadable)
{
    uitest::Tree tree;
    RCPtr<KeepsNamedPlaces> parent(new KeepsNamedPlaces(tree.root));
    // Docked "b" is placed below docked "a", which comes after it: "a" is shifted, then "b" is
    // laid out and removes it; "d" names a sibling whose name is as long as the one removed.
    RCPtr<RemovesOnMove> b(new RemovesOnMove(parent, u"b", nullptr));
    SetPosition(*b, 1, kPositionToControl, 1.0f, 0, 0.0f, u"a");
    b->GetLayout()->textOverflowX = kTextOverflowExpand; // keeps no memo of the name it read
    int deaths = 0;
    RCPtr<LControl> a(new TestControl(parent, u"a", &deaths));
    RCPtr<TestControl> d(new TestControl(parent, u"d", nullptr));
    SetPosition(*d, 1, kPositionToControl, 1.0f, 0, 0.0f, u"c");
    for (LControl* docked : {a.Get(), static_cast<LControl*>(b.Get())}) {
        docked->GetLayout()->Position(1).docked = 1;
        docked->PerformLayout();
    }
    b->victim = a;
    a = nullptr;

    parent->SetScrollOffset(PointT<double>{0, 4});
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(parent->FindChild(WString(u"a")).Get(), nullptr);
}
