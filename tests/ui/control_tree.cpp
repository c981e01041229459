// The child tree: orders, look-ups, unclipped counts, focus walks and the release of cycles.
#include "UiTestControls.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using namespace KX;
using uitest::Make;
using uitest::TestControl;

namespace {
std::string Names(LControl& parent, uint32_t order)
{
    std::string out;
    for (uint32_t i = 0; i < parent.GetChildren().GetCount(); ++i)
        out += WString(parent.GetChildren().GetAt(i, order)->GetName()).ToNarrow().GetString();
    return out;
}
} // namespace

TEST(ControlTree, EmptyListThrowsTheFrameworkErrorsInEveryOrder)
{
    RCPtr<TestControl> c = Make(nullptr, u"c", 0, 0, 10, 10);
    for (uint32_t order = 0; order < 3; ++order) {
        try {
            c->GetChildren().GetAt(0, order);
            FAIL() << "no throw";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(),
                         "Runtime Error : KX::LControl::ChildControlList::GetAt : ControlBase\\Control : Line 3276");
        }
        const LChildControlList& constList = c->GetChildren();
        EXPECT_THROW(constList.GetAt(0, order), std::runtime_error);
    }
    RCPtr<TestControl> child = Make(c, u"x", 0, 0, 1, 1);
    try {
        c->GetChildren().GetAt(0, 3);
        FAIL() << "no throw";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(),
                     "Runtime Error : KX::LControl::ChildControlList::GetAt : ControlBase\\Control : Line 3296");
    }
    const LChildControlList& constList = c->GetChildren();
    EXPECT_THROW(constList.GetAt(1, 0), std::runtime_error);
    EXPECT_EQ(c->GetChildIndex(RCPtr<LControl>(c), 0), -1);
}

TEST(ControlTree, DrawingAndTabOrdersFollowTheirKeysWithInsertionBreakingTies)
{
    uitest::Tree t;
    RCPtr<TestControl> a = Make(t.root, u"a", 0, 0, 10, 10);
    RCPtr<TestControl> b = Make(t.root, u"b", 0, 0, 10, 10);
    RCPtr<TestControl> c = Make(t.root, u"c", 0, 0, 10, 10);
    RCPtr<TestControl> d = Make(t.root, u"d", 0, 0, 10, 10);
    EXPECT_EQ(Names(*t.root, kOrderDrawing), "abcd");
    EXPECT_EQ(Names(*t.root, kOrderTab), "abcd");

    a->GetLayout()->zOrder = 5; // sort keys changed behind the list: it needs a touch
    d->GetLayout()->Position(0).docked = 1;
    c->GetLayout()->tabStop = -1;
    b->GetLayout()->tabStop = 3;
    t.root->GetChildren().Touch();
    EXPECT_EQ(Names(*t.root, kOrderDrawing), "bcad"); // undocked by Z, then docked
    EXPECT_EQ(Names(*t.root, kOrderTab), "cadb");

    // Clearing ClipToParent moves a child behind every clipped sibling without a manual touch.
    EXPECT_FALSE(b->SetClipToParent(false));
    EXPECT_EQ(Names(*t.root, kOrderDrawing), "cadb");
    EXPECT_EQ(t.root->GetChildIndex(RCPtr<LControl>(b), kOrderDrawing), 3);
    EXPECT_EQ(t.root->GetChildIndex(RCPtr<LControl>(b), kOrderInsertion), 1);
}

TEST(ControlTree, FindChildSearchesDirectChildrenFromTheLast)
{
    uitest::Tree t;
    RCPtr<TestControl> first = Make(t.root, u"twin", 0, 0, 1, 1);
    RCPtr<TestControl> second = Make(t.root, u"twin", 0, 0, 1, 1);
    RCPtr<TestControl> deep = Make(second, u"deep", 0, 0, 1, 1);
    EXPECT_EQ(t.root->FindChild(WString(u"twin")).Get(), second.Get());
    EXPECT_FALSE(t.root->FindChild(WString(u"deep")));
    EXPECT_FALSE(t.root->FindChild(WString(u"Twin"))); // case-sensitive

    RCPtr<TestControl> inFirst = Make(first, u"twin", 0, 0, 1, 1);
    RCPtrArray<LControl> found;
    EXPECT_EQ(t.root->FindDescendantsByName(WString(u"twin"), found), 3u);
    EXPECT_EQ(found.GetData()[0].Get(), second.Get());
    EXPECT_EQ(found.GetData()[1].Get(), first.Get());
    EXPECT_EQ(found.GetData()[2].Get(), inFirst.Get());
}

TEST(ControlTree, UnclippedCountsClimbTheChainAndComeBackExactly)
{
    uitest::Tree t;
    RCPtr<TestControl> panel = Make(t.root, u"panel", 0, 0, 100, 100);
    RCPtr<TestControl> inner = Make(panel, u"inner", 0, 0, 50, 50);
    RCPtr<TestControl> leaf = Make(inner, u"leaf", 0, 0, 5, 5);
    leaf->SetClipToParent(false);
    EXPECT_EQ(inner->GetUnclippedDescendantCount(), 1);
    EXPECT_EQ(panel->GetUnclippedDescendantCount(), 1);
    EXPECT_EQ(t.root->GetUnclippedDescendantCount(), 1);
    inner->SetClipToParent(false);
    EXPECT_EQ(panel->GetUnclippedDescendantCount(), 2);
    EXPECT_EQ(t.root->GetUnclippedDescendantCount(), 2);

    // Moving the subtree takes its share along.
    EXPECT_EQ(inner->SetParent(RCPtr<LControl>(t.root)), S_OK);
    EXPECT_EQ(inner->SetParent(RCPtr<LControl>(t.root)), S_FALSE);
    EXPECT_EQ(panel->GetUnclippedDescendantCount(), 0);
    EXPECT_EQ(t.root->GetUnclippedDescendantCount(), 2);
    inner->SetClipToParent(true);
    leaf->SetClipToParent(true);
    EXPECT_EQ(inner->GetUnclippedDescendantCount(), 0);
    EXPECT_EQ(t.root->GetUnclippedDescendantCount(), 0);
    EXPECT_EQ(leaf->GetEffectiveZOrder(), kClippedZOrder);
}

TEST(ControlTree, ReleasingTheLastOutsideReferenceFreesTheWholeTree)
{
    int deaths = 0;
    {
        RCPtr<TestControl> root = Make(nullptr, u"root", 0, 0, 10, 10, &deaths);
        RCPtr<TestControl> a = Make(root, u"a", 0, 0, 1, 1, &deaths);
        Make(a, u"a1", 0, 0, 1, 1, &deaths);
        Make(root, u"b", 0, 0, 1, 1, &deaths);
        root->GetMenuItemUpdater(); // a second cycle: the updater points back at the control
        a->GetMenuItemUpdater();
        EXPECT_EQ(root->GetInternalRefCount(), 3); // two child links and the updater
    }
    EXPECT_EQ(deaths, 4);
}

TEST(ControlTree, AChildKeptElsewhereKeepsItsParentUntilReleased)
{
    int deaths = 0;
    RCPtr<TestControl> child;
    {
        RCPtr<TestControl> root = Make(nullptr, u"root", 0, 0, 10, 10, &deaths);
        child = Make(root, u"c", 0, 0, 1, 1, &deaths);
    }
    // The parent broke its side of the cycle: the child is out of the list and freed with us.
    EXPECT_EQ(deaths, 1);
    EXPECT_FALSE(child->GetParent());
    child = nullptr;
    EXPECT_EQ(deaths, 2);
}

TEST(ControlTree, NextFocusableChildWrapsAndSkipsHiddenOrDisabled)
{
    uitest::Tree t;
    RCPtr<TestControl> only = Make(t.root, u"only", 0, 0, 10, 10);
    EXPECT_EQ(t.root->GetNextFocusableChild(RCPtr<LControl>(only), false).Get(), only.Get());
    only->GetLayout()->enabled = false;
    EXPECT_FALSE(t.root->GetNextFocusableChild(RCPtr<LControl>(only), false));
    only->GetLayout()->enabled = true;

    RCPtr<TestControl> two = Make(t.root, u"two", 0, 0, 10, 10);
    RCPtr<TestControl> three = Make(t.root, u"three", 0, 0, 0, 10);                          // zero width: not showing
    EXPECT_EQ(t.root->GetNextFocusableChild(RCPtr<LControl>(two), false).Get(), only.Get()); // wraps past three
    EXPECT_EQ(t.root->GetNextFocusableChild(RCPtr<LControl>(only), true).Get(), two.Get());
    RCPtr<TestControl> stranger = Make(nullptr, u"x", 0, 0, 1, 1);
    EXPECT_FALSE(t.root->GetNextFocusableChild(RCPtr<LControl>(stranger), false));

    // Controls start not focusable: the root hands nothing out until one says otherwise.
    EXPECT_FALSE(t.root->GetFirstFocusableChild());
    two->SetNotFocusable(false);
    EXPECT_FALSE(t.root->GetFirstFocusableChild()); // a not-focusable parent blocks its children
    t.root->SetNotFocusable(false);
    EXPECT_EQ(t.root->GetFirstFocusableChild().Get(), two.Get());
    EXPECT_EQ(t.root->GetLastFocusableChild().Get(), two.Get());
    EXPECT_TRUE(t.root->HasFocusableDescendant());
    EXPECT_FALSE(t.root->CanReceiveFocus()); // it hands the focus down
}

TEST(ControlTree, NotFocusableKeepsTheSignOfTabStop)
{
    uitest::Tree t;
    RCPtr<TestControl> c = Make(t.root, u"c", 0, 0, 10, 10);
    c->SetNotFocusable(false);
    c->SetNotFocusable(true);
    EXPECT_EQ(c->GetLayout()->tabStop, -1);
    c->SetNotFocusable(false);
    EXPECT_EQ(c->GetLayout()->tabStop, 1);
}

TEST(ControlTree, EditTargetAndMenuStateDefaults)
{
    uitest::Tree t;
    RCPtr<TestControl> c = Make(t.root, u"c", 0, 0, 10, 10);
    EXPECT_FALSE(c->GetEditTarget());
    EXPECT_THROW(c->PerformEdit(kOrderInsertion), std::logic_error);
    try {
        c->PerformEdit(0);
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "Logic Error : LControl::PerformEdit must be overridden : KX::LControl::PerformEdit : "
                               "kxframework\\include\\../ControlBase/Control : Line 580");
    }
}

TEST(ControlTree, ShowingEnablingAndOverlayDepthFollowTheParentChain)
{
    uitest::Tree t;
    RCPtr<TestControl> panel = Make(t.root, u"panel", 0, 0, 100, 100);
    RCPtr<TestControl> leaf = Make(panel, u"leaf", 0, 0, 10, 10);
    EXPECT_TRUE(leaf->IsShowing(true));
    panel->GetLayout()->visible = false;
    EXPECT_TRUE(leaf->IsShowing(false));
    EXPECT_FALSE(leaf->IsShowing(true));
    panel->GetLayout()->visible = true;
    panel->GetLayout()->enabled = false;
    EXPECT_TRUE(leaf->IsEnabled(false));
    EXPECT_FALSE(leaf->IsEnabled(true));

    // A clipped control inside an overlay inherits the overlay's depth when that is larger.
    panel->GetLayout()->zOrder = 4;
    panel->SetClipToParent(false);
    EXPECT_EQ(panel->GetEffectiveZOrder(), 4);
    EXPECT_EQ(leaf->GetEffectiveZOrder(), 4);
    leaf->GetLayout()->zOrder = 9;
    leaf->SetClipToParent(false);
    EXPECT_EQ(leaf->GetEffectiveZOrder(), 9);
    panel->SetClipToParent(true);
    EXPECT_EQ(t.root->GetUnclippedDescendantCount(), 1);

    RCPtr<TestControl> loose = Make(nullptr, u"loose", 3, 4, 10, 20); // laid out nowhere: no window
    EXPECT_EQ(loose->GetParentRectLocal(), (RectT<double>{0, 0, 0, 0}));
}

TEST(ControlTree, FontDescriptionsCompareByFaceSizeAndStyle)
{
    ConstRCPtr<LFont> a = LFont::GetFont(WString(u"Sans"), 9.0f, 0);
    ConstRCPtr<LFont> b = LFont::GetFont(WString(u"Sans"), 9.0f, 1);
    ConstRCPtr<LFont> c = LFont::GetFont(WString(u"Sans"), 9.5f, 0);
    EXPECT_TRUE(*a == *a);
    EXPECT_TRUE(*a != *b);
    EXPECT_TRUE(*a != *c);
}
