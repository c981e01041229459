// The condition mask and its notifications: presses and drags started by BeginDrag, highlight,
// the cursor, and keys offered to sibling controls in tab order.
#include "FocusFakes.h"

#include <gtest/gtest.h>

using namespace KX;
using focustest::FocusTree;
using focustest::Watcher;
using Log = std::vector<std::string>;

namespace {
// Watches the press and drag notifications of the left button and the capture.
struct DragWatch {
    explicit DragWatch(const RCPtr<LControl>& c) : w(new Watcher(&log, "c"))
    {
        w->Watch(c, u"NID_LEFT_DRAG_CONDITION_CHANGE");
        w->Watch(c, u"NID_CAPTURE_CONDITION_CHANGE");
    }
    ~DragWatch() { w->UnregisterFromAll(); }
    Log log;
    RCPtr<Watcher> w;
};
} // namespace

TEST(ControlConditions, APressNeedsItsButtonHeldAndASecondWhileCapturedIsRefused)
{
    FocusTree t;
    DragWatch d(t.a);
    t.services.buttons = 0;
    EXPECT_EQ(t.a->BeginDrag(1, 5, 5), S_FALSE) << "the left button is not down";
    t.services.buttons = 2;
    EXPECT_EQ(t.a->BeginDrag(1, 5, 5), S_FALSE);
    EXPECT_EQ(t.a->BeginDrag(3, 5, 5), S_FALSE) << "not a single button";
    EXPECT_TRUE(d.log.empty());
    t.services.buttons = 1;
    EXPECT_EQ(t.a->BeginDrag(1, 5, 7), S_OK);
    EXPECT_EQ(t.window->GetCaptureControl().Get(), t.a.Get());
    EXPECT_EQ(t.a->GetConditionFlags() & (Condition::kCapture | Condition::kLeftPressed | Condition::kLeftDrag),
              Condition::kCapture | Condition::kLeftPressed);
    EXPECT_EQ(t.a->GetConditions()->GetPoint().x, 5.0 + t.a->GetPosition().x);
    EXPECT_EQ(t.a->GetConditions()->GetPoint().y, 7.0 + t.a->GetPosition().y);
    EXPECT_EQ(d.log, (Log{"c: NID_CAPTURE_CONDITION_CHANGE", "c: NID_LEFT_DRAG_CONDITION_CHANGE"}));
    EXPECT_EQ(t.a->BeginDrag(1, 5, 5), S_FALSE);
    EXPECT_EQ(d.log.size(), 2u);
}

TEST(ControlConditions, ThresholdZeroTurnsAPressIntoADragAtOnceAndDisabledControlsRefuse)
{
    FocusTree t;
    DragWatch d(t.a);
    t.services.buttons = 1;
    t.a->SetDragThreshold(0);
    EXPECT_EQ(t.a->BeginDrag(1, 1, 1), S_OK);
    EXPECT_EQ(d.log, (Log{"c: NID_CAPTURE_CONDITION_CHANGE", "c: NID_LEFT_DRAG_CONDITION_CHANGE",
                          "c: NID_LEFT_DRAG_CONDITION_CHANGE"}));
    EXPECT_EQ(t.a->GetConditionFlags() & (Condition::kLeftPressed | Condition::kLeftDrag), Condition::kLeftDrag);

    t.panel->SetEnabled(false);
    EXPECT_EQ(t.b->BeginDrag(1, 1, 1), S_FALSE) << "the parent chain is disabled";
}

TEST(ControlConditions, HighlightFeedsTheHoverBitOnlyOnChange)
{
    FocusTree t;
    Log log;
    RCPtr<Watcher> w(new Watcher(&log, "a"));
    w->Watch(t.a, u"NID_HOVER_CONDITION_CHANGE");
    w->Watch(t.a, u"NID_CONDITION_CHANGE");
    t.a->SetHighlighted(true);
    EXPECT_EQ(log, (Log{"a: NID_CONDITION_CHANGE", "a: NID_HOVER_CONDITION_CHANGE"}));
    EXPECT_EQ(t.a->GetConditions()->GetPreviousMask() & Condition::kHoverOrHighlighted, 0u);
    EXPECT_TRUE(t.a->GetConditions()->GetCurrentMask() & Condition::kHoverOrHighlighted);
    t.a->SetHighlighted(true);
    EXPECT_EQ(log.size(), 2u);
    w->UnregisterFromAll();
}

TEST(ControlConditions, CursorAppliesOnlyWhileHovered)
{
    FocusTree t;
    t.services.cursor = 7;
    t.a->SetCursor(3);
    EXPECT_EQ(t.services.cursor, 7) << "the pointer is elsewhere";
}

namespace {
// A sibling that records the keys offered to it and may take them.
class KeySibling : public uitest::TestControl {
public:
    KeySibling(const RCPtr<LControl>& parent, const char16_t* name, Log* log, bool takes)
        : uitest::TestControl(parent, name, nullptr), takes(takes), m_log(log), m_name(name)
    {
    }
    KXRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override
    {
        auto* p = const_cast<LSiblingKeyParam*>(dynamic_cast<const LSiblingKeyParam*>(n->GetPayload().Get()));
        std::string tag;
        for (const char16_t* c = m_name; *c; ++c)
            tag += static_cast<char>(*c);
        m_log->push_back(tag);
        if (p && takes)
            p->SetResult(0);
        return S_OK;
    }
    bool takes;

private:
    Log* m_log;
    const char16_t* m_name;
};
} // namespace

TEST(ControlConditions, SiblingKeysGoAfterTheSenderInTabOrderAndNeverToTheSender)
{
    FocusTree t;
    Log log;
    RCPtr<KeySibling> s[4];
    const char16_t* names[4] = {u"s0", u"s1", u"s2", u"s3"};
    for (int i = 0; i < 4; ++i) {
        s[i] = RCPtr<KeySibling>(new KeySibling(t.main, names[i], &log, false));
        s[i]->GetLayout()->tabStop = 10 + i;
        s[i]->SetNotFocusable(false);
    }
    // Registered in scrambled order: the tab order decides.
    for (int i : {2, 0, 3, 1})
        s[i]->RegisterForNotification(RCPtr<LNotificationDistributor>(t.main.Get()), u"NID_SIBLING_KEY", 0);
    RCPtr<LKeyParam> key = LKeyParam::Create(KeyCode{}, true);
    key->GetRoute().AddItem(RCPtr<LControl>(s[1].Get()));
    EXPECT_EQ(t.main->HandleSiblingKey(key), S_FALSE);
    EXPECT_EQ(log, (Log{"s0", "s3", "s2"})) << "walked backwards: before the sender, then those after it";

    log.clear();
    RCPtr<KeySibling> taker(new KeySibling(t.main, u"taker", &log, true));
    taker->RegisterForNotification(RCPtr<LNotificationDistributor>(t.main.Get()), u"NID_SIBLING_KEY", 0);
    EXPECT_EQ(t.main->HandleSiblingKey(key), S_OK);
    EXPECT_EQ(log, (Log{"s0", "s3", "s2", "taker"})) << "receivers that are not focusable come last";
    log.clear();
    s[3]->takes = true;
    EXPECT_EQ(t.main->HandleSiblingKey(key), S_OK);
    EXPECT_EQ(log, (Log{"s0", "s3"})) << "the first receiver that takes the key ends the walk";
    for (auto& c : s)
        c->LNotificationClient::UnregisterFromAll();
    taker->LNotificationClient::UnregisterFromAll();
}

TEST(ControlConditions, AHandlerThatChangesConditionsAgainRunsANestedUpdateToCompletion)
{
    FocusTree t;
    Log log;
    std::vector<uint32_t> seen; // current masks in delivery order
    RCPtr<Watcher> w(new Watcher(&log, "a"));
    w->onReceive = [&](const RCPtr<LNotification>& n) {
        seen.push_back(dynamic_cast<const LConditionsParam*>(n->GetPayload().Get())->GetCurrentMask());
        if (seen.size() == 1)
            t.a->SetHighlighted(true);
    };
    w->Watch(t.a, u"NID_CONDITION_CHANGE");
    w->Watch(t.a, u"NID_ENABLED_CONDITION_CHANGE");
    t.a->SetEnabled(false);
    ASSERT_EQ(log, (Log{"a: NID_CONDITION_CHANGE", "a: NID_CONDITION_CHANGE", "a: NID_ENABLED_CONDITION_CHANGE"}));
    EXPECT_FALSE(seen[0] & Condition::kHoverOrHighlighted);
    EXPECT_TRUE(seen[1] & Condition::kHoverOrHighlighted) << "the nested update";
    EXPECT_FALSE(seen[2] & Condition::kHoverOrHighlighted) << "the outer pass keeps its own record";
    EXPECT_EQ(t.a->GetConditions()->GetCurrentMask(), t.a->GetConditionFlags());
    w->UnregisterFromAll();
}
