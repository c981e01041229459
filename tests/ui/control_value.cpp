// The working setters of a control: value, text, scroll offset, bounds, font, looks, placement,
// drag threshold, deferred removal and the small helpers beside them.
#include "FocusFakes.h"
#include "LayoutFakes.h"

#include "kx/Bitmap.h"
#include "kx/ui/RootWindow.h"
#include "kx/ui/VisualPart.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace KX;
using focustest::Watcher;
using Log = std::vector<std::string>;

TEST(ControlValue, ValueIsClampedMappedAndAnnouncedOnlyOnChange)
{
    uitest::Tree t;
    RCPtr<uitest::TestControl> c = uitest::Make(t.root, u"c", 0, 0, 10, 10);
    ASSERT_EQ(c->SetValueRange(20.0, 20000.0, 1), S_OK);
    Log log;
    double mapped = 0.0;
    RCPtr<Watcher> w(new Watcher(&log, "c"));
    w->onReceive = [&](const RCPtr<LNotification>& n) {
        mapped = dynamic_cast<const LValueParam*>(n->GetPayload().Get())->GetMappedValue();
    };
    w->Watch(c, u"NID_VALUE_CHANGE");
    EXPECT_EQ(c->SetNormalizedValue(1.7), 1.0);
    EXPECT_EQ(c->SetNormalizedValue(1.0), 1.0);
    EXPECT_EQ(log.size(), 1u) << "the second call changes nothing";
    EXPECT_NEAR(mapped, 20000.0, 1e-9);
    c->SetNormalizedValue(0.5);
    EXPECT_NEAR(mapped, 632.4555, 1e-3);
    EXPECT_EQ(c->SetNormalizedValue(std::nan("")), 0.5) << "not a number is never stored";
    EXPECT_EQ(log.size(), 2u);
    w->UnregisterFromAll();
}

TEST(ControlValue, TextUnchangedInvalidatesNothingAndATopLevelTextTitlesTheWindow)
{
    uitest::Tree t;
    RCPtr<uitest::TestControl> c = uitest::Make(t.root, u"c", 0, 0, 10, 10);
    ASSERT_EQ(c->SetText(WString(u"Hello")), S_OK);
    t.window->invalidated.clear();
    EXPECT_EQ(c->SetText(WString(u"Hello")), S_FALSE);
    EXPECT_TRUE(t.window->invalidated.empty());

    struct TitleServices : rwtest::FakeServices {
        KXRESULT SetTitle(const WString& text) override
        {
            title = text;
            return S_OK;
        }
        WString title;
    } services;
    RCPtr<LRootWindow> window = LRootWindow::Create(nullptr, &services);
    RCPtr<uitest::TestControl> main = uitest::Make(nullptr, u"main", 0, 0, 100, 100);
    main->SetText(WString(u"Before"));
    window->AttachMainControl(main);
    EXPECT_EQ(services.title, WString(u"Before")) << "attaching gives the label as the title";
    main->SetText(WString(u"Preset 1"));
    EXPECT_EQ(services.title, WString(u"Preset 1"));
}

TEST(ControlValue, ScrollOffsetRoundsHalfAwayAnnouncesAndMovesTheHoverWithTheContent)
{
    rwtest::FakeServices services;
    RCPtr<LRootWindow> window = LRootWindow::Create(nullptr, &services);
    RCPtr<uitest::TestControl> main = uitest::Make(nullptr, u"main", 0, 0, 320, 200);
    rwtest::GiveHitLook(*main, 320, 200, 0);
    window->AttachMainControl(main);
    RCPtr<uitest::TestControl> child = uitest::Make(main, u"child", 0, 0, 50, 20);
    rwtest::GiveHitLook(*child, 50, 20);
    Log log;
    RCPtr<Watcher> w(new Watcher(&log, "main"));
    w->Watch(main, u"NID_SCROLL_OFFSET_CHANGE");
    services.pointer = {10, 30}; // below the child until the content moves down by 20
    const PointT<double> stored = main->SetScrollOffset(PointT<double>{2.5, -20.5});
    EXPECT_EQ(stored.x, 3.0);
    EXPECT_EQ(stored.y, -21.0);
    EXPECT_EQ(window->GetHoverControl().Get(), child.Get());
    main->SetScrollOffset(PointT<double>{3.4, -20.6});
    EXPECT_EQ(log, (Log{"main: NID_SCROLL_OFFSET_CHANGE"})) << "the same whole offset changes nothing";
    EXPECT_FALSE(main->IsScrolling());
    w->UnregisterFromAll();
}

TEST(ControlValue, BoundsMoveFollowingSiblingsAndAZeroSizeSendsTheFocusOn)
{
    focustest::FocusTree t;
    // b is placed after a's right edge.
    uitest::SetPosition(*t.b, 0, kPositionToControl, 1.0f, 5, 0.0f, u"a");
    t.b->PerformLayout();
    ASSERT_EQ(t.b->GetPosition().x, 55.0);
    EXPECT_EQ(t.a->SetBounds(PointT<double>{0, 0}, PointT<double>{80, 20}), S_OK);
    EXPECT_EQ(t.b->GetPosition().x, 85.0);
    EXPECT_EQ(t.a->SetBounds(PointT<double>{0, 0}, PointT<double>{80, 20}), S_FALSE);
    EXPECT_EQ(t.a->GetSize().x, 80.0) << "the setter does not lay the control itself out again";

    t.a->SetFocus(true);
    t.a->SetBounds(PointT<double>{0, 0}, PointT<double>{0, 20});
    EXPECT_EQ(t.window->GetFocusControl().Get(), t.b.Get());
}

TEST(ControlValue, LookOpacityRefusesBadIndexesAndExclusiveClearsTheOthersEvenForAnIgnoredValue)
{
    uitest::Tree t;
    RCPtr<uitest::TestControl> c = uitest::Make(t.root, u"c", 0, 0, 10, 10);
    for (int i = 0; i < 3; ++i)
        c->AddLook(RCPtr<IControlLook>(new kxtest::FakeLook({0, 0, 10, 10}, 0xFF000000u)));
    c->SetLookOpacity(0, 0.5f, false);
    c->SetLookOpacity(2, 0.25f, false);
    EXPECT_EQ(c->SetLookOpacity(-1, 1.0f, true), E_INVALIDARG);
    EXPECT_EQ(c->SetLookOpacity(INT32_MIN, 1.0f, true), E_INVALIDARG);
    EXPECT_EQ(c->SetLookOpacity(3, 1.0f, true), E_INVALIDARG);
    EXPECT_EQ(c->GetLookOpacity(0), 0.5f);
    EXPECT_EQ(c->GetLookOpacity(2), 0.25f);
    EXPECT_EQ(c->SetLookOpacity(1, 1.5f, true), S_OK);
    EXPECT_EQ(c->GetLookOpacity(0), 0.0f);
    EXPECT_EQ(c->GetLookOpacity(1), 0.0f) << "outside 0..1: ignored";
    EXPECT_EQ(c->GetLookOpacity(2), 0.0f);
}

TEST(ControlValue, RefusedSettersChangeNothing)
{
    uitest::Tree t;
    RCPtr<uitest::TestControl> c = uitest::Make(t.root, u"c", 0, 0, 10, 10);
    EXPECT_EQ(c->SetDragThreshold(-1), E_INVALIDARG);
    EXPECT_EQ(c->GetDragThreshold(), 1);
    EXPECT_EQ(c->SetDragThreshold(0), S_OK);
    EXPECT_EQ(c->InstallFont(ConstRCPtr<LFont>()), E_INVALIDARG);
    const ConstRCPtr<LFont> font = c->GetFont();
    if (font) {
        EXPECT_EQ(c->InstallFont(font), S_FALSE);
    }
    AxisPlacement p;
    SizeSpec s;
    EXPECT_EQ(c->SetAxisPlacement(2, p, s), E_INVALIDARG);
    EXPECT_EQ(c->GetSize().x, 10.0);
}

TEST(ControlValue, PlacementIsStoredLaidOutAndADockingChangeReordersTheParent)
{
    uitest::Tree t;
    RCPtr<uitest::TestControl> c = uitest::Make(t.root, u"c", 0, 0, 10, 10);
    AxisPlacement p;
    p.absolute = 40;
    SizeSpec s = c->GetLayout()->Size(0);
    s.absolute = 25;
    EXPECT_EQ(c->SetAxisPlacement(0, p, s), S_OK);
    EXPECT_EQ(c->GetPosition().x, 40.0);
    EXPECT_EQ(c->GetSize().x, 25.0);
    const uint32_t stamp = t.root->GetChildren().GetChangeStamp();
    p.docked = 1;
    c->SetAxisPlacement(0, p, s);
    EXPECT_NE(t.root->GetChildren().GetChangeStamp(), stamp);
}

TEST(ControlValue, DeferredRemovalDrainsIdleWorkHidesAndLeavesTheParent)
{
    uitest::Tree t;
    RCPtr<uitest::TestControl> c = uitest::Make(t.root, u"c", 0, 0, 10, 10);
    c->SubscribeIdle();
    c->SubscribeIdle();
    EXPECT_EQ(c->FinishDeferredRemoval(), S_OK);
    EXPECT_EQ(c->GetIdleSubscriptionCount(), 0);
    EXPECT_FALSE(c->GetLayout()->visible);
    EXPECT_EQ(c->GetParent().Get(), nullptr);
    EXPECT_EQ(t.root->GetChildren().GetCount(), 0u);
}

TEST(ControlValue, ParamTextAsNumberIsLocaleFreeAndForgiving)
{
    EXPECT_EQ(ParseParamAsDouble(WString(u" -2.5e1px")), -25.0);
    EXPECT_EQ(ParseParamAsDouble(WString(u"0.125")), 0.125);
    EXPECT_EQ(ParseParamAsDouble(WString(u"abc")), 0.0);
    EXPECT_EQ(ParseParamAsDouble(WString(u"1,5")), 1.0);
    EXPECT_EQ(ParseParamAsDouble(WString(u"")), 0.0);
    EXPECT_EQ(ParseParamAsDouble(WString(u"3e")), 3.0);
}

TEST(ControlValue, DeliverNotificationHandsItStraightToTheReceiver)
{
    Log log;
    RCPtr<Watcher> w(new Watcher(&log, "w"));
    DeliverNotification(RCPtr<LNotificationReceiver>(w.Get()), u"NID_VALUE_CHANGE", ConstRCPtr<LRefCountedObject>());
    DeliverNotification(RCPtr<LNotificationReceiver>(), u"NID_VALUE_CHANGE", ConstRCPtr<LRefCountedObject>());
    EXPECT_EQ(log, (Log{"w: NID_VALUE_CHANGE"}));
}

TEST(ControlValue, RenamingAChildToATakenNameFailsAndLaterSiblingsFollowARename)
{
    uitest::Tree t;
    RCPtr<uitest::TestControl> a = uitest::Make(t.root, u"a", 0, 0, 10, 10);
    RCPtr<uitest::TestControl> b = uitest::Make(t.root, u"b", 0, 0, 10, 10);
    uitest::SetPosition(*b, 0, kPositionToControl, 1.0f, 0, 0.0f, u"a");
    LChildControlList& children = t.root->GetChildren();
    EXPECT_EQ(children.RenameChild(a, WString(u"b")), E_FAIL);
    EXPECT_EQ(a->GetName(), WString(u"a"));
    EXPECT_EQ(b->GetName(), WString(u"b"));
    EXPECT_EQ(children.RenameChild(a, WString(u"a")), S_FALSE);
    RCPtr<uitest::TestControl> stranger = uitest::Make(nullptr, u"x", 0, 0, 1, 1);
    EXPECT_EQ(children.RenameChild(stranger, WString(u"y")), E_INVALIDARG);
    EXPECT_EQ(children.RenameChild(a, WString(u"left")), S_OK);
    EXPECT_EQ(a->GetName(), WString(u"left"));
    EXPECT_EQ(b->GetLayout()->Position(0).controlName, WString(u"left"));
}

TEST(ControlValue, LookRegionAndPartNeedALook)
{
    uitest::Tree t;
    RCPtr<uitest::TestControl> c = uitest::Make(t.root, u"c", 0, 0, 10, 10);
    LRegion region;
    region.AddRect(1, 1, 4, 4);
    EXPECT_EQ(c->SetLookRegion(0, region), E_INVALIDARG);
    EXPECT_EQ(c->SetLookPart(ConstRCPtr<LVisualPart>(), 0), E_FAIL);
    EXPECT_EQ(c->SetLookBitmap(ConstRCPtr<LBitmap>(), 0, -1, false), E_FAIL);
    c->AddLook(RCPtr<IControlLook>(new kxtest::FakeLook({0, 0, 10, 10}, 0xFF000000u)));
    c->GetLookAt(0)->GetRegion().AddRect(5, 5, 9, 9);
    EXPECT_EQ(c->SetLookRegion(0, region), S_OK);
    int32_t l = 0, top = 0, r = 0, b = 0;
    ASSERT_TRUE(c->GetLookAt(0)->GetRegion().GetBounds(l, top, r, b));
    EXPECT_EQ(l, 1);
    EXPECT_EQ(r, 4) << "the old region is emptied first";
}
