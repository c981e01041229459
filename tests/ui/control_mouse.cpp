// Pointer input of the control base: acceptance of presses and releases, notifications, clicks,
// focus hand-off to the parent and capture loss.
#include "RootWindowFakes.h"
#include "UiTestControls.h"

#include "kx/ui/RootWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace KX;

namespace {

// Records the names of the notifications it receives.
class Listener : public LNotificationReceiver {
public:
    KXRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override
    {
        std::string s;
        for (const char16_t* p = GetNotificationName(n->GetID()).GetString(); *p; ++p)
            s += static_cast<char>(*p);
        names.push_back(s);
        if (auto* b = dynamic_cast<const LPointWithModifiersParam*>(n->GetPayload().Get()))
            points.push_back(b->GetPoint());
        return S_OK;
    }
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>&, const char16_t*) override
    {
        return S_OK;
    }
    std::vector<std::string> names;
    std::vector<PointT<int32_t>> points;
};

// A control that records the hooks and the focus requests the base class makes.
class Probe : public uitest::TestControl {
public:
    Probe(const RCPtr<LControl>& parent, const char16_t* name, std::vector<std::string>* log)
        : uitest::TestControl(parent, name, nullptr), m_log(log), m_tag(name[0] == u'p' ? "parent" : "child")
    {
    }
    KXRESULT SetFocus(bool) override { return Log("focus"); }
    KXRESULT FocusFromChild(const RCPtr<LControl>& child) override
    {
        Log("focus-from-child");
        return LControl::FocusFromChild(child);
    }
    KXRESULT BeginDrag(int32_t button, int32_t x, int32_t y) override
    {
        return Log("begin-drag b" + std::to_string(button) + " " + std::to_string(x) + "," + std::to_string(y));
    }
    void OnLeftDown(const RCPtr<LMouseButtonParam>&) override { Log("left-down"); }
    void OnRightUp(const RCPtr<LMouseButtonParam>&) override { Log("right-up"); }
    void OnRightClickHook(const RCPtr<LMouseButtonParam>&) override { Log("right-click-hook"); }
    void MakeFocusable() { SetNotFocusableFlag(false); }
    void SetNotFocusableFlag(bool on) { LControl::SetNotFocusable(on); }

private:
    KXRESULT Log(const std::string& s)
    {
        if (m_log)
            m_log->push_back(m_tag + ": " + s);
        return S_OK;
    }
    std::vector<std::string>* m_log;
    std::string m_tag;
};

RCPtr<Probe> MakeProbe(const RCPtr<LControl>& parent, const char16_t* name, std::vector<std::string>* log, double x,
                       double y, double w, double h)
{
    RCPtr<Probe> c(new Probe(parent, name, log));
    LLayoutDescriptor& l = *c->GetLayout();
    l.Position(0).absolute = x;
    l.Position(1).absolute = y;
    l.Size(0).absolute = w;
    l.Size(1).absolute = h;
    c->PerformLayout();
    return c;
}

RCPtr<LMouseButtonParam> Press(uint32_t button, int32_t x, int32_t y, uint32_t held = 1)
{
    return LMouseButtonParam::Create(button, PointT<int32_t>{x, y}, 0, false, held);
}

class ControlMouse : public ::testing::Test {
protected:
    void SetUp() override
    {
        parent = MakeProbe(tree.root, u"parent", &log, 10, 10, 300, 200);
        child = MakeProbe(parent, u"child", &log, 20, 20, 50, 30);
        listener = RCPtr<Listener>(new Listener());
        for (const char16_t* n : {u"NID_MOUSE_DOWN", u"NID_MOUSE_UP", u"NID_MOUSE_MOVE", u"NID_LEFT_CLICK",
                                  u"NID_MIDDLE_CLICK", u"NID_RIGHT_CLICK"})
            EXPECT_FALSE(KX::Failed(child->RegisterClient(listener, n, 0)));
    }
    uitest::Tree tree;
    std::vector<std::string> log;
    RCPtr<Probe> parent, child;
    RCPtr<Listener> listener;
};

} // namespace

TEST_F(ControlMouse, BadPressesAndReleasesAreRefusedWithoutSideEffects)
{
    EXPECT_EQ(child->OnMouseDown(nullptr), E_INVALIDARG);
    EXPECT_EQ(child->OnMouseDown(Press(3, 1, 1)), E_INVALIDARG);
    EXPECT_EQ(child->OnMouseUp(Press(8, 1, 1)), E_INVALIDARG);
    EXPECT_EQ(child->OnClick(Press(3, 1, 1)), E_INVALIDARG);
    EXPECT_EQ(child->OnLeftClick(nullptr), E_INVALIDARG);
    // A disabled ancestor, or a hidden control, refuses with 1 and sends nothing.
    parent->GetLayout()->enabled = false;
    EXPECT_EQ(child->OnMouseDown(Press(1, 1, 1)), S_FALSE);
    EXPECT_EQ(child->OnMouseUp(Press(1, 1, 1)), S_FALSE);
    parent->GetLayout()->enabled = true;
    child->GetLayout()->visible = false;
    EXPECT_EQ(child->OnMouseDown(Press(1, 1, 1)), S_FALSE);
    EXPECT_TRUE(listener->names.empty());
    EXPECT_TRUE(log.empty());
}

TEST_F(ControlMouse, PressOfANotFocusableChildHandsTheFocusToItsParentThenBeginsTheDrag)
{
    // The parent takes the focus only when its own ancestors let it.
    parent->MakeFocusable();
    ASSERT_EQ(child->OnMouseDown(Press(1, 7, 9)), S_OK);
    EXPECT_EQ(log,
              (std::vector<std::string>{"parent: focus-from-child", "child: left-down", "child: begin-drag b1 7,9"}));
    log.clear();
    tree.root->SetNotFocusable(false);
    ASSERT_EQ(child->OnMouseDown(Press(1, 7, 9)), S_OK);
    EXPECT_EQ(log, (std::vector<std::string>{"parent: focus-from-child", "parent: focus", "child: left-down",
                                             "child: begin-drag b1 7,9"}));
    EXPECT_EQ(listener->names, (std::vector<std::string>{"NID_MOUSE_DOWN", "NID_MOUSE_DOWN"}));
    log.clear();
    child->MakeFocusable();
    ASSERT_EQ(child->OnMouseDown(Press(4, 1, 2)), S_OK);
    EXPECT_EQ(log, (std::vector<std::string>{"child: focus", "child: begin-drag b4 1,2"}));
}

TEST_F(ControlMouse, AReleaseWithoutAPendingPressIsNoClick)
{
    child->OnMouseEnter();
    ASSERT_EQ(child->OnMouseUp(Press(1, 3, 3, 0)), S_OK);
    EXPECT_EQ(listener->names, (std::vector<std::string>{"NID_MOUSE_UP"}));
    EXPECT_EQ(child->OnCaptureLost(), S_FALSE); // no capture to lose
}

TEST_F(ControlMouse, ClicksDispatchOnTheButtonAndRightClickRunsItsHookFirst)
{
    EXPECT_EQ(child->OnClick(Press(4, 2, 2)), S_OK);
    EXPECT_EQ(child->OnClick(Press(2, 2, 2)), S_OK);
    EXPECT_EQ(child->OnClick(Press(1, 2, 2)), S_OK);
    EXPECT_EQ(listener->names, (std::vector<std::string>{"NID_RIGHT_CLICK", "NID_MIDDLE_CLICK", "NID_LEFT_CLICK"}));
    EXPECT_EQ(log, (std::vector<std::string>{"child: right-click-hook"}));
}

TEST_F(ControlMouse, MovesWithoutAPressAreReportedInControlCoordinates)
{
    ASSERT_EQ(child->OnMouseMove(LPointWithModifiersParam::Create(PointT<int32_t>{4, 5}, 8)), S_OK);
    EXPECT_EQ(listener->names, (std::vector<std::string>{"NID_MOUSE_MOVE"}));
    ASSERT_EQ(listener->points.size(), 1u);
    EXPECT_EQ(listener->points[0].x, 4);
    EXPECT_EQ(listener->points[0].y, 5);
}

TEST(ControlMouseRouting, ARootWindowPressReachesTheHitControlsNotificationInItsCoordinates)
{
    rwtest::FakeServices services;
    RCPtr<LRootWindow> window = LRootWindow::Create(nullptr, &services);
    RCPtr<uitest::TestControl> main = uitest::Make(nullptr, u"main", 0, 0, 320, 200);
    rwtest::GiveHitLook(*main, 320, 200, 0);
    window->AttachMainControl(main);
    RCPtr<uitest::TestControl> button = uitest::Make(main, u"button", 30, 40, 50, 20);
    rwtest::GiveHitLook(*button, 50, 20);
    RCPtr<Listener> listener(new Listener());
    EXPECT_FALSE(KX::Failed(button->RegisterClient(listener, u"NID_MOUSE_DOWN", 0)));
    services.pointer = PointT<int32_t>{35, 45};
    window->OnMouseButton(kMousePress, kMouseButtonLeft, 0, PointT<int32_t>{35, 45});
    EXPECT_EQ(listener->names, (std::vector<std::string>{"NID_MOUSE_DOWN"}));
    ASSERT_EQ(listener->points.size(), 1u);
    EXPECT_EQ(listener->points[0].x, 5);
    EXPECT_EQ(listener->points[0].y, 5);
    button = nullptr;
    main = nullptr;
    window = nullptr;
}
