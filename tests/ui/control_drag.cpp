// Drag steps of the control base: panning content in mode 6 and the auto-scroll of the parent
// near its edges in mode 3, driven by the idle pass.
#include "ScopedRenderHost.h"
#include "UiTestControls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace KX;

namespace {
RCPtr<LPointWithModifiersParam> At(int32_t x, int32_t y)
{
    return LPointWithModifiersParam::Create(PointT<int32_t>{x, y}, 0);
}
} // namespace

TEST(ControlDrag, PanningMovesTheOwnScrollOffsetAgainstThePointerOnTheEnabledAxisOnly)
{
    uitest::Tree tree;
    RCPtr<uitest::TestControl> pane = uitest::Make(tree.root, u"pane", 0, 0, 100, 100);
    pane->SetDragMode(DragMode::kPan, DragAxis::kX);
    pane->OnDragMove(At(10, 10)); // content pulled right past the start: held at 0
    EXPECT_EQ(pane->GetScrollOffset().x, 0.0);
    pane->OnDragMove(At(4, 30)); // 6 back to the left: the view scrolls 6 on X, never on Y
    EXPECT_EQ(pane->GetScrollOffset().x, 6.0);
    EXPECT_EQ(pane->GetScrollOffset().y, 0.0);
}

TEST(ControlDrag, NearTheParentsFarEdgeTheParentScrollsByTheOvershootAndStopsAwayFromIt)
{
    kxtest::ScopedRenderHost host{ConstRCPtr<LMeasurementRenderer>()};
    host.tick = 1000;
    uitest::Tree tree;
    RCPtr<uitest::TestControl> parent = uitest::Make(tree.root, u"parent", 10, 10, 300, 200);
    RCPtr<uitest::TestControl> bar = uitest::Make(parent, u"bar", 20, 20, 50, 30);
    bar->SetDragMode(DragMode::kMoveScroll, DragAxis::kX);
    // The pointer 10 pixels inside the right edge: overshoot 20, (20 + 1) * 15 pixels per second.
    bar->OnDragMove(At(270, 5));
    ASSERT_TRUE(parent->IsAxisAnimating(0));
    EXPECT_EQ(parent->GetAxisSpeed(0), 315.0);
    EXPECT_FALSE(parent->IsAxisAnimating(1)); // only X is a drag axis
    // 200 ms later the idle pass scrolls round(315 * 0.2) = 63 pixels.
    host.tick = 1200;
    parent->OnIdle(nullptr, nullptr);
    EXPECT_EQ(parent->GetScrollOffset().x, 63.0);
    // Back near the middle (the bar now sits at 290 in the parent's content) the auto-scroll stops.
    bar->OnDragMove(At(-250, 5));
    EXPECT_FALSE(parent->IsAxisAnimating(0));
    EXPECT_EQ(parent->GetIdleSubscriptionCount(), 0);
}

namespace {
// A drop target that records the drag's visit; its drop fails like a target that changed its mind.
class Bin : public uitest::TestControl {
public:
    explicit Bin(const RCPtr<LControl>& parent) : uitest::TestControl(parent, u"bin", nullptr) {}
    bool AcceptsControl(const RCPtr<LControl>&) override { return true; }
    void OnDragEnter(const RCPtr<LControl>&) override { log.push_back("enter"); }
    void OnDragOver(const RCPtr<LControl>&, PointT<double> p) override
    {
        log.push_back("over " + std::to_string(static_cast<int>(p.x)) + "," + std::to_string(static_cast<int>(p.y)));
    }
    void OnDragLeave(const RCPtr<LControl>&) override { log.push_back("leave"); }
    KXRESULT OnDrop(const RCPtr<LControl>&) override
    {
        log.push_back("drop");
        return E_FAIL;
    }
    std::vector<std::string> log;
};
} // namespace

TEST(ControlDrag, MoveAndDropVisitsTheAcceptingTargetAndRestoresClippingAndDocking)
{
    uitest::Tree tree;
    RCPtr<Bin> bin(new Bin(tree.root));
    LLayoutDescriptor& l = *bin->GetLayout();
    l.Position(0).absolute = 200;
    l.Size(0).absolute = 100;
    l.Size(1).absolute = 100;
    bin->PerformLayout();
    bin->ShowLook(bin->AddLook(RCPtr<IControlLook>(new kxtest::FakeLook({0, 0, 100, 100}, 0xFF808080u))), 1);
    RCPtr<uitest::TestControl> file = uitest::Make(tree.root, u"file", 10, 10, 20, 20);
    file->ShowLook(file->AddLook(RCPtr<IControlLook>(new kxtest::FakeLook({0, 0, 20, 20}, 0xFF808080u))), 1);
    file->SetDragMode(DragMode::kDropMove, DragAxis::kBoth);
    file->OnDragBegin();
    EXPECT_FALSE(file->GetLayout()->clipToParent);
    EXPECT_TRUE(file->GetLayout()->IsXDocked());
    file->OnDragMove(At(200, 20)); // root point 210,30: over the bin, the file itself skipped
    file->OnDragMove(At(0, 0));
    EXPECT_FALSE(file->IsHitTransparent());
    ASSERT_GE(bin->log.size(), 3u);
    EXPECT_EQ(bin->log[0], "enter");
    EXPECT_EQ(bin->log[1], "over 210,30");
    file->OnDragEnd();
    EXPECT_EQ(bin->log.back(), "leave");
    EXPECT_EQ(bin->log[bin->log.size() - 2], "drop");
    EXPECT_TRUE(file->GetLayout()->clipToParent);
    EXPECT_FALSE(file->GetLayout()->IsXDocked());
    EXPECT_FALSE(file->GetLayout()->IsYDocked());
}
