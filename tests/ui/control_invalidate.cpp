// Repainting what draws outside the parent, the clipped-label test and the wheel's way up the tree.
#include "RootWindowFakes.h"
#include "UiTestControls.h"

#include "kx/ui/LookDescriptor.h"
#include "kx/ui/MouseWheelParam.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace KX;

namespace {

// Takes wheel steps when told to and records who was asked.
class WheelControl : public uitest::TestControl {
public:
    WheelControl(const RCPtr<LControl>& parent, const char16_t* name, std::vector<std::u16string>* log)
        : uitest::TestControl(parent, name, nullptr), m_log(log)
    {
    }
    KXRESULT HandleVerticalWheel(const RCPtr<LMouseWheelParam>& step) override
    {
        m_log->push_back(GetName().GetString());
        return onStep ? onStep(step) : result;
    }
    KXRESULT HandleHorizontalWheel(const RCPtr<LMouseWheelParam>&) override
    {
        m_log->push_back(std::u16string(u"h:") + GetName().GetString());
        return result;
    }
    // Each look at the control for a point: the cost of finding what lies under the pointer.
    bool ContainsPoint(PointT<double> point) override
    {
        ++probes;
        return uitest::TestControl::ContainsPoint(point);
    }
    KXRESULT result = S_FALSE;
    std::function<KXRESULT(const RCPtr<LMouseWheelParam>&)> onStep;
    static inline int probes = 0;

private:
    std::vector<std::u16string>* m_log;
};

RCPtr<WheelControl> MakeWheel(const RCPtr<LControl>& parent, const char16_t* name, std::vector<std::u16string>* log,
                              double x, double y, double w, double h)
{
    RCPtr<WheelControl> c(new WheelControl(parent, name, log));
    LLayoutDescriptor& l = *c->GetLayout();
    l.Position(0).absolute = x;
    l.Position(1).absolute = y;
    l.Size(0).absolute = w;
    l.Size(1).absolute = h;
    c->PerformLayout();
    c->ShowLook(c->AddLook(RCPtr<IControlLook>(
                    new kxtest::FakeLook({0, 0, static_cast<int32_t>(w), static_cast<int32_t>(h)}, 0xFF808080u))),
                1);
    return c;
}

// Unclipped overlays of a 100x100 panel, as many as count, stacked where they hang out of it; the
// last on top.
std::vector<RCPtr<WheelControl>> StackOverlays(uitest::Tree& tree, std::vector<std::u16string>* log, int count)
{
    const RCPtr<WheelControl> panel = MakeWheel(tree.root, u"panel", log, 0, 0, 100, 100);
    std::vector<RCPtr<WheelControl>> overlays;
    for (int i = 0; i < count; ++i) {
        overlays.push_back(MakeWheel(panel, u"overlay", log, 80, 10, 60, 20));
        overlays.back()->SetClipToParent(false);
    }
    return overlays;
}

RCPtr<LMouseWheelParam> Wheel(int32_t x, int32_t y, uint32_t direction)
{
    return LMouseWheelParam::Create(PointT<int32_t>{x, y}, 0, direction);
}

// A look with a label of a fixed measured width inside text edges.
class LabelLook : public kxtest::FakeLook, public ILookLabel {
public:
    LabelLook(RectT<int32_t> r, int32_t textWidth, LookTextProperties text)
        : kxtest::FakeLook(r, 0xFF000000u), m_width(textWidth), m_descriptor(new LLookDescriptor(WString(u"l")))
    {
        m_descriptor->SetTextProperties(text, ConstRCPtr<LVisualPartDescriptor>());
    }
    ILookLabel* GetLabel() override { return this; }
    const LLookDescriptor& GetDescriptor() const override { return *m_descriptor; }
    bool GetWordWrap() const override { return false; }
    bool SetWordWrap(bool) override { return false; }
    int32_t GetTextWidth() const override { return m_width; }
    int32_t GetHeightForWidth(int32_t) const override { return 10; }

private:
    int32_t m_width;
    RCPtr<LLookDescriptor> m_descriptor;
};

} // namespace

TEST(ControlWheel, AStepClimbsToTheFirstAncestorThatTakesItAndNullIsAllBits)
{
    uitest::Tree tree;
    std::vector<std::u16string> log;
    RCPtr<WheelControl> outer = MakeWheel(tree.root, u"outer", &log, 0, 0, 400, 300);
    RCPtr<WheelControl> middle = MakeWheel(outer, u"middle", &log, 10, 10, 200, 200);
    RCPtr<WheelControl> inner = MakeWheel(middle, u"inner", &log, 10, 10, 50, 50);
    outer->result = S_OK;
    EXPECT_EQ(inner->RouteMouseWheel(nullptr), static_cast<KXRESULT>(-1));
    EXPECT_EQ(inner->OnMouseWheel(Wheel(25, 25, 1)), S_OK);
    EXPECT_EQ(log, (std::vector<std::u16string>{u"inner", u"middle", u"outer"}));
    log.clear();
    EXPECT_EQ(inner->OnMouseHWheel(Wheel(25, 25, 3)), S_OK);
    EXPECT_EQ(log, (std::vector<std::u16string>{u"h:inner", u"h:middle", u"h:outer"}));
    outer->result = S_FALSE;
    EXPECT_EQ(inner->OnMouseWheel(Wheel(25, 25, 0)), S_FALSE);
}

TEST(ControlWheel, AnUnclippedControlPassesTheStepToTheControlBeneathItNotItsParent)
{
    uitest::Tree tree;
    std::vector<std::u16string> log;
    RCPtr<WheelControl> left = MakeWheel(tree.root, u"left", &log, 0, 0, 100, 100);
    RCPtr<WheelControl> right = MakeWheel(tree.root, u"right", &log, 100, 0, 100, 100);
    // An overlay of left that hangs over right.
    RCPtr<WheelControl> overlay = MakeWheel(left, u"overlay", &log, 80, 10, 60, 20);
    overlay->SetClipToParent(false);
    right->result = S_OK;
    EXPECT_EQ(overlay->OnMouseWheel(Wheel(120, 15, 1)), S_OK);
    EXPECT_EQ(log, (std::vector<std::u16string>{u"overlay", u"right"}));
    EXPECT_FALSE(overlay->IsHitTransparent()); // the marks are cleared again
}

TEST(ControlWheel, AStepThroughManyStackedOverlaysIsHandedOnAFewHundredTimesAtMost)
{
    uitest::Tree tree;
    std::vector<std::u16string> log;
    const std::vector<RCPtr<WheelControl>> overlays = StackOverlays(tree, &log, 600);
    EXPECT_EQ(overlays.back()->OnMouseWheel(Wheel(120, 15, 1)), S_FALSE);
    EXPECT_GE(log.size(), 100u);
    EXPECT_LE(log.size(), 256u);
}

TEST(ControlWheel, ARouteStartedWhileAnOverlayIsAskedKeepsItsOwnMarksAndLooksUnderThePointerOnce)
{
    uitest::Tree tree;
    std::vector<std::u16string> log;
    // The top one hands the step on along a route of its own, one at a time.
    const RCPtr<WheelControl> top = StackOverlays(tree, &log, 40).back();
    int routes = 0;
    bool busy = false;
    top->onStep = [&](const RCPtr<LMouseWheelParam>& step) {
        if (busy)
            return S_FALSE;
        busy = true;
        ++routes;
        const KXRESULT answer = top->RouteMouseWheel(step);
        busy = false;
        return answer;
    };
    WheelControl::probes = 0;
    EXPECT_EQ(top->OnMouseWheel(Wheel(120, 15, 1)), S_FALSE);
    EXPECT_EQ(routes, 1) << "the outer route asked the top overlay again";
    EXPECT_EQ(log.size(), 80u) << "each of the two routes asks each overlay once";
    EXPECT_LE(WheelControl::probes, 2 * 41) << "one look under the pointer per route";
}

TEST(ControlWheel, AWindowsWheelNotchReachesTheScrollingAncestorOfTheControlUnderThePointer)
{
    rwtest::FakeServices services;
    std::vector<std::u16string> log;
    RCPtr<LRootWindow> window = LRootWindow::Create(nullptr, &services);
    RCPtr<WheelControl> main = MakeWheel(nullptr, u"main", &log, 0, 0, 320, 200);
    window->AttachMainControl(main);
    RCPtr<WheelControl> view = MakeWheel(main, u"view", &log, 20, 30, 200, 100);
    RCPtr<WheelControl> knob = MakeWheel(view, u"knob", &log, 10, 10, 50, 20);
    view->result = S_OK;
    window->OnMouseWheel({35, 45}, 0, kWheelDown);
    EXPECT_EQ(log, (std::vector<std::u16string>{u"knob", u"view"}));
    knob = nullptr;
    view = nullptr;
    main = nullptr;
    window = nullptr;
}

TEST(ControlInvalidate, UnclippedRepaintsOnlyWhatDrawsOutsideTheParent)
{
    uitest::Tree tree;
    RCPtr<uitest::TestControl> panel = uitest::Make(tree.root, u"panel", 100, 100, 200, 200);
    RCPtr<uitest::TestControl> clipped = uitest::Make(panel, u"clipped", 10, 10, 20, 20);
    tree.window->invalidated.clear();
    clipped->InvalidateUnclipped();
    EXPECT_TRUE(tree.window->invalidated.empty());
    RCPtr<uitest::TestControl> popout = uitest::Make(panel, u"popout", 190, 10, 40, 30);
    popout->SetClipToParent(false);
    tree.window->invalidated.clear();
    panel->InvalidateUnclipped();
    ASSERT_EQ(tree.window->invalidated.size(), 1u);
    const RectT<int32_t> r = tree.window->invalidated[0]; // left, top, right, bottom
    EXPECT_EQ(r.x, 290);
    EXPECT_EQ(r.y, 110);
    EXPECT_EQ(r.width, 330); // reaches past the panel's right edge at 300
    EXPECT_EQ(r.height, 140);
}

TEST(ControlText, ClippedWhenTheLabelIsWiderThanItsEdgesOrThereIsNoLaidOutText)
{
    uitest::Tree tree;
    RCPtr<uitest::TestControl> c = uitest::Make(tree.root, u"c", 0, 0, 100, 20);
    EXPECT_FALSE(c->IsTextClipped()); // no look at all
    c->ShowLook(c->AddLook(RCPtr<IControlLook>(new kxtest::FakeLook({0, 0, 100, 20}, 0xFF000000u))), 1);
    EXPECT_FALSE(c->IsTextClipped());
    c->ApplyText(WString(u"Label"), false);
    EXPECT_TRUE(c->IsTextClipped()); // a text but no laid-out block

    LookTextProperties edges;
    edges.leftAbs = 5;
    edges.rightRel = 1.0f;
    edges.rightAbs = -5; // 90 pixels of room in 100
    RCPtr<uitest::TestControl> d = uitest::Make(tree.root, u"d", 0, 30, 100, 20);
    RCPtr<LabelLook> fits(new LabelLook({0, 0, 100, 20}, 90, edges));
    d->ShowLook(d->AddLook(RCPtr<IControlLook>(fits)), 1);
    EXPECT_FALSE(d->IsTextClipped());
    RCPtr<uitest::TestControl> e = uitest::Make(tree.root, u"e", 0, 60, 100, 20);
    e->ShowLook(e->AddLook(RCPtr<IControlLook>(new LabelLook({0, 0, 100, 20}, 91, edges))), 1);
    EXPECT_TRUE(e->IsTextClipped());
}
