// Controls built from the skin's descriptors: creation by skin name runs the create steps for
// the whole tree, binds looks, font, label and create parameters, and a rebuild on a skin change
// keeps the controls, their enabling, label and shown look while dropping what the new skin
// lacks. The context menu and tool tip are built from their skin names only when present.
#include "SkinTree.h"
#include "kx/ui/FrameworkControlSeams.h"
#include "kx/ui/Look.h"

#include <gtest/gtest.h>

using namespace uitest;
using KX::RCPtr;
using KX::WString;
using KXTest::Narrow;

namespace {

std::string Face(const KX::LControl& c)
{
    return c.GetFont() ? Narrow(c.GetFont()->GetFaceName()) : "";
}

} // namespace

TEST(ControlConstruct, CreatingBySkinNameBuildsTheWholeTree)
{
    SkinTree t;
    RCPtr<SkinControl> main = t.Create(u"mainControl");
    ASSERT_TRUE(main);
    EXPECT_TRUE(main->IsBuilt());
    EXPECT_EQ(main->postInitialisations, 1);
    EXPECT_TRUE(main->GetLayout()->visible); // creation by name shows it
    EXPECT_EQ(main->GetSize(), (KX::PointT<double>{1200, 750}));
    // Children in LayoutOrder, each built once, children initialised before their parent.
    ASSERT_EQ(main->GetChildren().GetCount(), 3u);
    EXPECT_EQ(Narrow(main->GetChildren().GetAt(0, KX::kOrderInsertion)->GetName()), "buttonA");
    EXPECT_EQ(Narrow(main->GetChildren().GetAt(2, KX::kOrderInsertion)->GetName()), "buttonC");
    SkinControl* label = Child(*main, u"labelB");
    SkinControl* inner = Child(*label, u"innerLabel");
    ASSERT_NE(inner, nullptr);
    EXPECT_TRUE(inner->IsBuilt());
    EXPECT_EQ(inner->postInitialisations, 1);
    EXPECT_TRUE(main->childrenInitialisedFirst);
    EXPECT_TRUE(label->childrenInitialisedFirst);

    // The label from the string table; the create parameters read by Initialize.
    EXPECT_EQ(Narrow(main->GetText()), "Main");
    EXPECT_EQ(Narrow(label->GetText()), "");
    EXPECT_TRUE(main->IsNotFocusable(false));
    EXPECT_FALSE(Child(*main, u"buttonA")->IsNotFocusable(false));
    EXPECT_LT(main->GetLayout()->tabStop, 0); // NOT_FOCUSABLE keeps the tab stop's sign in step

    // The descriptor's layout is copied: the control's changes stay out of the skin.
    main->GetLayout()->zOrder = 99;
    EXPECT_EQ(t.factory->FindControlDescriptor(WString(u"mainControl"))->GetLayout()->zOrder, 2);
}

TEST(ControlConstruct, LooksFollowTheLookListIndexForIndex)
{
    SkinTree t;
    RCPtr<SkinControl> main = t.Create(u"mainControl");
    // PanelLooks: Framed, then GradientLook, whose fills the renderer refuses: its index stays,
    // empty, and the tree is still built.
    ASSERT_EQ(main->GetLookCount(), 2u);
    EXPECT_TRUE(main->GetLookAt(0));
    EXPECT_FALSE(main->GetLookAt(1));
    EXPECT_EQ(main->GetLookOpacity(0), 1.0f);
    EXPECT_EQ(main->GetLookOpacity(1), 0.0f);
    // First "ButtonLooks" wins; index 2 names no look, 3 is Centred, 4 and -1 are ignored.
    SkinControl* c = Child(*main, u"buttonC");
    ASSERT_EQ(c->GetLookCount(), 4u);
    EXPECT_FALSE(c->GetLookAt(2));
    EXPECT_TRUE(c->GetLookAt(3));
    EXPECT_EQ(c->GetLookOpacity(2), 0.0f);
    // Wrap text overflow makes word-wrapping looks; the looks are laid at the control's size.
    auto* framed = dynamic_cast<KX::LLook*>(c->GetLookAt(1).Get());
    ASSERT_NE(framed, nullptr);
    EXPECT_TRUE(framed->GetWordWrap());
    auto* mainLook = dynamic_cast<KX::LLook*>(main->GetLookAt(0).Get());
    EXPECT_EQ(mainLook->GetWidth(), 1200);
    EXPECT_EQ(Narrow(mainLook->GetFontText()->GetText()), "Main");
    // No look list: no looks; a sparse list keeps its length.
    EXPECT_EQ(Child(*main, u"labelB")->GetLookCount(), 0u);
    EXPECT_EQ(Child(*Child(*main, u"labelB"), u"innerLabel")->GetLookCount(), 14u);
}

TEST(ControlConstruct, FontSpecsDeriveFromTheParentOrTheDefault)
{
    SkinTree t;
    KX::LControl::SetDefaultFont(KX::LFont::GetFont(WString(u"DejaVu Sans"), 9.0f, 0));
    RCPtr<SkinControl> main = t.Create(u"mainControl");
    EXPECT_EQ(Face(*main), "Arial");
    EXPECT_EQ(main->GetFont()->GetSize(), 10.0f);
    EXPECT_EQ(main->GetFont()->GetStyle(), 2);
    // Inherits from the parent: face, size (relative, scale 1) and style all from it.
    SkinControl* c = Child(*main, u"buttonC");
    EXPECT_EQ(c->GetFont().Get(), main->GetFont().Get());
    // Not inherited: the default font is the base; a relative size of 0.75 scales it.
    SkinControl* label = Child(*main, u"labelB");
    EXPECT_EQ(Face(*label), "DejaVu Sans");
    EXPECT_FLOAT_EQ(label->GetFont()->GetSize(), 6.75f);
    EXPECT_FLOAT_EQ(label->GetFontSizeScale(), 0.75f);
    SkinControl* a = Child(*main, u"buttonA");
    EXPECT_EQ(Face(*a), "Verdana");
    EXPECT_EQ(a->GetFont()->GetSize(), 9.0f);

    // Direct specs against an inheriting child: 1.5 relative, 0, style -1.
    EXPECT_EQ(c->ApplyFontSpec(WString(), 1.5f, -1, true), KX::S_OK);
    EXPECT_FLOAT_EQ(c->GetFont()->GetSize(), 15.0f);
    EXPECT_EQ(c->GetFont()->GetStyle(), 2);
    EXPECT_TRUE(c->IsFontSizeRelative());
    EXPECT_EQ(c->ApplyFontSpec(WString(u"Mono"), 0.0f, 0, false), KX::S_OK);
    EXPECT_FLOAT_EQ(c->GetFont()->GetSize(), 10.0f);
    EXPECT_EQ(Face(*c), "Mono");
    EXPECT_EQ(c->GetFont()->GetStyle(), 0);
    EXPECT_FLOAT_EQ(c->GetFontSizeScale(), 1.0f);
    // A parent's new font reaches the inheriting child: the relative size follows it, the face and
    // style the child chose stay.
    EXPECT_EQ(main->ApplyFontSpec(WString(u"Arial"), 20.0f, 2, false), KX::S_OK);
    EXPECT_FLOAT_EQ(c->GetFont()->GetSize(), 20.0f);
    EXPECT_EQ(Face(*c), "Mono");
    EXPECT_EQ(c->GetFont()->GetStyle(), 0);
    // A scaled size keeps its scale against the parent's next font.
    EXPECT_EQ(c->ApplyFontSpec(WString(), 0.5f, -1, true), KX::S_OK);
    EXPECT_EQ(main->ApplyFontSpec(WString(u"Arial"), 12.0f, 2, false), KX::S_OK);
    EXPECT_FLOAT_EQ(c->GetFont()->GetSize(), 6.0f);
    EXPECT_EQ(Face(*c), "Arial");
    EXPECT_FLOAT_EQ(label->GetFont()->GetSize(), 6.75f);
    KX::LControl::SetDefaultFont(nullptr);
}

TEST(ControlConstruct, ARebuildKeepsControlsEnablingLabelAndShownLook)
{
    SkinTree t;
    RCPtr<SkinControl> main = t.Create(u"mainControl");
    RCPtr<SkinControl> a(Child(*main, u"buttonA"));
    RCPtr<SkinControl> inner(Child(*Child(*main, u"labelB"), u"innerLabel"));
    a->ShowLook(2, 1);
    a->SetEnabled(false);
    a->SetText(WString(u"kept"));
    const auto* oldLook = a->GetLookAt(2).Get();

    ASSERT_EQ(t.factory->ReapplyDescriptor(RCPtr<KX::LControl>(main)), KX::S_OK);
    EXPECT_EQ(Child(*main, u"buttonA"), a.Get());
    EXPECT_EQ(Child(*Child(*main, u"labelB"), u"innerLabel"), inner.Get());
    EXPECT_FALSE(a->GetLayout()->enabled);
    EXPECT_EQ(a->GetFirstVisibleLook(), 2);
    EXPECT_NE(a->GetLookAt(2).Get(), oldLook); // new looks, showing the kept label
    EXPECT_EQ(Narrow(a->GetText()), "kept");
    EXPECT_EQ(a->postInitialisations, 2); // a rebuild post-initialises again
    EXPECT_FALSE(main->IsRebuildingChildren());

    // Skin2's main control names no children and no looks: the children leave, the opacities stay.
    ASSERT_EQ(t.factory->SetCurrentSkinIndex(1), KX::S_OK);
    ASSERT_EQ(t.factory->ReapplyDescriptor(RCPtr<KX::LControl>(main)), KX::S_OK);
    EXPECT_EQ(main->GetChildren().GetCount(), 0u);
    EXPECT_FALSE(a->GetParent());
    EXPECT_EQ(main->GetLookCount(), 0u);
    EXPECT_EQ(main->GetLookOpacity(0), 1.0f);
    EXPECT_EQ(Narrow(main->GetText()), "Main");
    EXPECT_EQ(Face(*main), "Arial");
    // A top-level control fills its window's client area after a rebuild.
    EXPECT_EQ(main->GetSize(), (KX::PointT<double>{1200, 750}));
    // Back to Skin1: the children it names are not created again.
    ASSERT_EQ(t.factory->SetCurrentSkinIndex(0), KX::S_OK);
    ASSERT_EQ(t.factory->ReapplyDescriptor(RCPtr<KX::LControl>(main)), KX::S_OK);
    EXPECT_EQ(main->GetChildren().GetCount(), 0u);
    EXPECT_EQ(main->GetLookCount(), 2u);
}

TEST(ControlConstruct, ARebuildHidesThroughTheVisibilityRulesAndAttachChildRefusesNulls)
{
    SkinTree t;
    RCPtr<SkinControl> main = t.Create(u"mainControl");
    RCPtr<SkinControl> a(Child(*main, u"buttonA"));
    const KX::ConstRCPtr<KX::LControlDescriptor> hidden = Child(*main, u"buttonC")->GetDescriptor();
    ASSERT_FALSE(hidden->GetLayout()->visible);
    ASSERT_TRUE(a->GetLayout()->visible);
    t.window->invalidated.clear();
    EXPECT_EQ(main->AttachChild(a, hidden), KX::S_FALSE); // already the parent
    EXPECT_FALSE(a->GetLayout()->visible);
    EXPECT_FALSE(t.window->invalidated.empty());
    EXPECT_EQ(a->GetLookCount(), 4u); // ButtonLooks now

    EXPECT_EQ(main->AttachChild(nullptr, hidden), KX::E_FAIL);
    EXPECT_EQ(main->AttachChild(a, nullptr), KX::E_FAIL);
    // Adopting a control of another parent moves it.
    RCPtr<SkinControl> label(Child(*main, u"labelB"));
    EXPECT_EQ(label->AttachChild(a, hidden), KX::S_OK);
    EXPECT_EQ(a->GetParent().Get(), label.Get());
    EXPECT_EQ(Child(*main, u"buttonA"), nullptr);
}

namespace {

class FakePopup : public SkinControl, public KX::IPopupMenuControl {
public:
    using SkinControl::SkinControl;
    KX::KXRESULT ShowMenu(const RCPtr<KX::LMenuDescriptor>&) override
    {
        ++shown;
        return KX::S_OK;
    }
    KX::KXRESULT PositionOnScreen() override
    {
        positionedHidden = !GetLayout()->visible;
        return KX::S_OK;
    }
    void LetOwnerPrepare(KX::LControl&) override { ++prepared; }
    static inline int shown = 0, prepared = 0;
    static inline bool positionedHidden = false;
};

class FakeTip : public SkinControl, public KX::IToolTipControl {
public:
    using SkinControl::SkinControl;
    void Hide() override { ++hidden; }
    KX::KXRESULT ShowForControl(const RCPtr<KX::LControl>& c) override
    {
        shownFor = c.Get();
        return KX::S_OK;
    }
    static inline int hidden = 0;
    static inline KX::LControl* shownFor = nullptr;
};

RCPtr<KX::LControlFactory> MenuSkin(const char* menuClass)
{
    RCPtr<KX::LControlFactory> factory(new KX::LControlFactory(WString(u"App")));
    const std::string document = KXTest::SkinDocument(
        std::string("<Skin Name=\"S\"><SubControl Class=\"Test.Panel\" Name=\"owner\"/>") + "<SubControl Class=\"" +
        menuClass + "\" Name=\"contextMenu\"/>" + "<SubControl Class=\"Fake.Tip\" Name=\"toolTip\"/></Skin>");
    EXPECT_EQ(factory->ParseXMLBuffer(document.data(), document.size()), KX::S_OK);
    factory->RegisterControlClass(WString(u"Fake.Popup"), &KX::CreateControlOfClass<FakePopup>);
    factory->RegisterControlClass(WString(u"Fake.Tip"), &KX::CreateControlOfClass<FakeTip>);
    return factory;
}

} // namespace

TEST(ControlConstruct, ContextMenuAndToolTipOnlyFromTheirSkinControls)
{
    {
        // The test skin has neither: nothing is built.
        SkinTree t;
        RCPtr<SkinControl> main = t.Create(u"mainControl");
        EXPECT_EQ(main->ShowPopupMenu(main->GetContextMenuRef()), KX::S_OK);
        main->SetText(WString(u"x"));
        EXPECT_EQ(main->ShowToolTip(true), KX::S_OK);
        EXPECT_EQ(main->ShowToolTip(false), KX::S_OK);
        EXPECT_EQ(main->GetChildren().GetCount(), 3u);
    }
    {
        // A context menu of another class shows nothing and leaves the tree.
        SkinTree t(MenuSkin("Test.Panel"));
        RCPtr<SkinControl> owner = t.Create(u"owner");
        EXPECT_EQ(owner->ShowPopupMenu(owner->GetContextMenuRef()), KX::S_OK);
        EXPECT_EQ(owner->GetChildren().GetCount(), 0u);
    }
    SkinTree t(MenuSkin("Fake.Popup"));
    RCPtr<SkinControl> owner = t.Create(u"owner");
    EXPECT_EQ(owner->ShowPopupMenu(owner->GetContextMenuRef()), KX::S_OK);
    EXPECT_EQ(FakePopup::shown, 1);
    EXPECT_EQ(FakePopup::prepared, 1);
    EXPECT_TRUE(FakePopup::positionedHidden);
    ASSERT_EQ(owner->GetChildren().GetCount(), 1u);

    // No tool-tip text: nothing; with text a tip under the owner, hidden again by name.
    EXPECT_EQ(owner->ShowToolTip(true), KX::S_OK);
    EXPECT_EQ(owner->GetChildren().GetCount(), 1u);
    owner->GetStringTable(); // the tip text comes from the string table or a subclass
    struct TipOwner : SkinControl {
        using SkinControl::SkinControl;
        WString GetToolTipText() override { return WString(u"Tip"); }
    };
    RCPtr<TipOwner> tipOwner(new TipOwner(RCPtr<KX::LControl>(owner), WString(u"tipOwner")));
    EXPECT_EQ(tipOwner->ShowToolTip(true), KX::S_OK);
    SkinControl* tip = Child(*tipOwner, u"toolTip");
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(Narrow(tip->GetText()), "Tip");
    EXPECT_EQ(FakeTip::shownFor, tipOwner.Get());
    EXPECT_EQ(tipOwner->ShowToolTip(false), KX::S_OK);
    EXPECT_EQ(FakeTip::hidden, 1);
}

TEST(ControlConstruct, TheHostSkipsDeferredSubControlsAndUnknownNames)
{
    RCPtr<KX::LControlFactory> factory(new KX::LControlFactory(WString(u"App")));
    const std::string document = KXTest::SkinDocument(
        "<Skin Name=\"S\"><SubControl Class=\"Test.Panel\" Name=\"owner\"><Skin Name=\"o\">"
        "<SubControl Class=\"Test.Panel\" Name=\"later\"><CreateParamList>"
        "<CreateParam ID=\"DEFER_CREATE\" Type=\"Boolean\"> True\n</CreateParam></CreateParamList></SubControl>"
        "<SubControl Class=\"Test.Panel\" Name=\"now\"><CreateParamList>"
        "<CreateParam ID=\"DEFER_CREATE\" Type=\"Boolean\">1</CreateParam></CreateParamList></SubControl>"
        "</Skin></SubControl></Skin>");
    ASSERT_EQ(factory->ParseXMLBuffer(document.data(), document.size()), KX::S_OK);
    SkinTree t(factory);
    RCPtr<SkinControl> owner = t.Create(u"owner");
    ASSERT_EQ(owner->GetChildren().GetCount(), 1u);
    EXPECT_EQ(Narrow(owner->GetChildren().GetAt(0, KX::kOrderInsertion)->GetName()), "now");
    EXPECT_FALSE(t.host->CreateSkinControl(WString(u"noSuchControl"), RCPtr<KX::LControl>(owner)));
    EXPECT_EQ(owner->GetChildren().GetCount(), 1u);
}

namespace {

// Counts the showing-condition changes it is told of; asks for its window to move on a rebuild.
class WatchControl : public SkinControl {
public:
    using SkinControl::SkinControl;
    void OnConditionsChanged(const RCPtr<KX::LConditionsParam>& record) override
    {
        if ((record->GetPreviousMask() ^ record->GetCurrentMask()) & KX::Condition::kShowing)
            ++showingChanges;
    }
    KX::KXRESULT ConfirmWindowRect(KX::RectT<double>& rect) override
    {
        offered = rect;
        rect.x += 10.4;
        rect.y += 0.5;
        return moveWindow ? KX::S_FALSE : KX::S_OK;
    }
    int showingChanges = 0;
    KX::RectT<double> offered{};
    bool moveWindow = false;
};

} // namespace

TEST(ControlConstruct, ARebuildAnnouncesAChildShownByTheNewSkinAndMayMoveTheWindow)
{
    RCPtr<KX::LControlFactory> factory(new KX::LControlFactory(WString(u"App")));
    const char* owner = "<SubControl Class=\"Watch\" Name=\"owner\" XSizeToControl=\"Self\" XSizeAbs=\"400\" "
                        "YSizeToControl=\"Self\" YSizeAbs=\"300\"><Skin Name=\"o\">";
    const std::string document = KXTest::SkinDocument(
        std::string("<Skin Name=\"S1\">") + owner +
        "<SubControl Class=\"Watch\" Name=\"late\" IsVisible=\"False\" XSizeToControl=\"Self\" XSizeAbs=\"0\" "
        "YSizeToControl=\"Self\" YSizeAbs=\"0\"/></Skin></SubControl></Skin><Skin Name=\"S2\">" +
        owner +
        "<SubControl Class=\"Watch\" Name=\"late\" XSizeToControl=\"Self\" XSizeAbs=\"50\" "
        "YSizeToControl=\"Self\" YSizeAbs=\"20\"/></Skin></SubControl></Skin>");
    ASSERT_EQ(factory->ParseXMLBuffer(document.data(), document.size()), KX::S_OK);
    factory->RegisterControlClass(WString(u"Watch"), &KX::CreateControlOfClass<WatchControl>);
    ASSERT_EQ(factory->SetCurrentSkinIndex(0), KX::S_OK);
    SkinTree t(factory);
    t.window->client = {30, 40, 400, 300};
    RCPtr<WatchControl> main(static_cast<WatchControl*>(t.Create(u"owner").Get()));
    ASSERT_TRUE(main);
    RCPtr<WatchControl> late(static_cast<WatchControl*>(main->FindChild(WString(u"late")).Get()));
    ASSERT_TRUE(late);
    EXPECT_FALSE(late->GetConditionFlags() & KX::Condition::kShowing);
    EXPECT_EQ(late->GetSize().x, 0.0);

    // The new skin shows the child and gives it a size: its record and its watchers learn it.
    ASSERT_EQ(t.factory->SetCurrentSkinIndex(1), KX::S_OK);
    ASSERT_EQ(t.factory->ReapplyDescriptor(RCPtr<KX::LControl>(main)), KX::S_OK);
    EXPECT_TRUE(late->GetConditionFlags() & KX::Condition::kShowing);
    EXPECT_EQ(late->GetConditions()->GetCurrentMask(), late->GetConditionFlags());
    EXPECT_EQ(late->showingChanges, 1);
    EXPECT_EQ(main->offered.x, 30.0);
    EXPECT_EQ(main->offered.width, 400.0);
    EXPECT_EQ(t.window->clientRectSets, 0) << "an answer of 0 leaves the window where it is";

    // Answering 1 gives the window the changed rectangle, rounded half away from zero.
    main->moveWindow = true;
    ASSERT_EQ(t.factory->ReapplyDescriptor(RCPtr<KX::LControl>(main)), KX::S_OK);
    EXPECT_EQ(t.window->clientRectSets, 1);
    EXPECT_EQ(t.window->client.x, 40);
    EXPECT_EQ(t.window->client.y, 41);
    EXPECT_EQ(t.window->client.width, 400);
    EXPECT_EQ(t.window->client.height, 300);
}

TEST(ControlConstruct, AControlMadeWhenShownWaitsWhileHiddenAndIsMadeOnceWhenShownOrLookedInto)
{
    RCPtr<KX::LControlFactory> factory(new KX::LControlFactory(WString(u"App")));
    const std::string document =
        KXTest::SkinDocument("<Skin Name=\"S\"><SubControl Class=\"Test.Panel\" Name=\"owner\"><Skin Name=\"o\">"
                             "<SubControl Class=\"Test.Lazy\" Name=\"shownLater\" IsVisible=\"False\"><Skin Name=\"a\">"
                             "<SubControl Class=\"Test.Panel\" Name=\"inner\"/></Skin></SubControl>"
                             "<SubControl Class=\"Test.Lazy\" Name=\"lookedInto\" IsVisible=\"False\"><Skin Name=\"b\">"
                             "<SubControl Class=\"Test.Panel\" Name=\"inner\"/></Skin></SubControl>"
                             "<SubControl Class=\"Test.Lazy\" Name=\"shownNow\"><Skin Name=\"c\">"
                             "<SubControl Class=\"Test.Panel\" Name=\"inner\"/></Skin></SubControl>"
                             "<SubControl Class=\"Test.Lazy\" Name=\"searched\" IsVisible=\"False\"><Skin Name=\"d\">"
                             "<SubControl Class=\"Test.Panel\" Name=\"deep\"/></Skin></SubControl>"
                             "</Skin></SubControl></Skin>");
    ASSERT_EQ(factory->ParseXMLBuffer(document.data(), document.size()), KX::S_OK);
    SkinTree t(factory);
    factory->RegisterControlClass(WString(u"Test.Lazy"), &KX::CreateControlOfClassWhenShown<SkinControl>);
    RCPtr<SkinControl> owner = t.Create(u"owner");
    ASSERT_EQ(owner->GetChildren().GetCount(), 4u);
    auto lazy = [&](uint32_t i) { return static_cast<SkinControl*>(owner->GetChildren().GetAt(i, 0).Get()); };

    // Created shown: made at once, as any other class.
    EXPECT_TRUE(lazy(2)->IsBuilt());
    EXPECT_EQ(lazy(2)->GetChildren().GetCount(), 1u);

    // Created hidden: bound to its skin, nothing below it, not initialised.
    SkinControl* later = lazy(0);
    EXPECT_FALSE(later->IsBuilt());
    EXPECT_TRUE(later->IsSubtreeDeferred());
    EXPECT_EQ(later->GetChildren().GetCount(), 0u);
    EXPECT_FALSE(later->initialised);
    later->SetVisible(false);
    EXPECT_EQ(later->GetChildren().GetCount(), 0u) << "hiding it again makes nothing";

    // Shown: its children, then its own initialisation, exactly once.
    later->SetVisible(true);
    EXPECT_TRUE(later->IsBuilt());
    ASSERT_EQ(later->GetChildren().GetCount(), 1u);
    EXPECT_TRUE(later->initialised);
    EXPECT_TRUE(later->childrenInitialisedFirst);
    later->SetVisible(false);
    later->SetVisible(true);
    EXPECT_EQ(later->postInitialisations, 1);
    EXPECT_EQ(later->GetChildren().GetCount(), 1u);

    // Looked into while hidden: made, and still hidden.
    SkinControl* lookedInto = lazy(1);
    EXPECT_TRUE(lookedInto->FindChild(WString(u"inner")));
    EXPECT_TRUE(lookedInto->IsBuilt());
    EXPECT_FALSE(lookedInto->GetLayout()->visible);
    EXPECT_EQ(lookedInto->postInitialisations, 1);

    // A search of the tree makes a hidden subtree only when its skin names what is searched for.
    KX::RCPtrArray<KX::LControl> found;
    EXPECT_EQ(owner->FindDescendantsByName(WString(u"inner"), found), 3u);
    EXPECT_TRUE(lazy(3)->IsSubtreeDeferred());
    EXPECT_EQ(owner->FindDescendantsByName(WString(u"deep"), found), 1u);
    EXPECT_TRUE(lazy(3)->IsBuilt());
}

TEST(ControlConstruct, AControlMadeWhenShownThatARebuildShowsIsMadeThen)
{
    RCPtr<KX::LControlFactory> factory(new KX::LControlFactory(WString(u"App")));
    auto skin = [](const char* name, const char* shown) {
        return std::string("<Skin Name=\"") + name +
               "\"><SubControl Class=\"Test.Panel\" Name=\"owner\"><Skin Name=\"o\">"
               "<SubControl Class=\"Test.Lazy\" Name=\"lazy\" IsVisible=\"" +
               shown +
               "\"><Skin Name=\"a\"><SubControl Class=\"Test.Panel\" Name=\"inner\"/></Skin></SubControl>"
               "<SubControl Class=\"Test.Lazy\" Name=\"hidden\" IsVisible=\"False\"><Skin Name=\"b\">"
               "<SubControl Class=\"Test.Panel\" Name=\"inner\"/></Skin></SubControl></Skin></SubControl></Skin>";
    };
    const std::string document = KXTest::SkinDocument(skin("S1", "False") + skin("S2", "True"));
    ASSERT_EQ(factory->ParseXMLBuffer(document.data(), document.size()), KX::S_OK);
    ASSERT_EQ(factory->SetCurrentSkinIndex(0), KX::S_OK);
    SkinTree t(factory);
    factory->RegisterControlClass(WString(u"Test.Lazy"), &KX::CreateControlOfClassWhenShown<SkinControl>);
    RCPtr<SkinControl> owner = t.Create(u"owner");
    ASSERT_EQ(owner->GetChildren().GetCount(), 2u);
    auto* lazy = static_cast<SkinControl*>(owner->GetChildren().GetAt(0, 0).Get());
    auto* hidden = static_cast<SkinControl*>(owner->GetChildren().GetAt(1, 0).Get());
    ASSERT_TRUE(lazy->IsSubtreeDeferred());

    ASSERT_EQ(factory->SetCurrentSkinIndex(1), KX::S_OK);
    ASSERT_EQ(factory->ReapplyDescriptor(RCPtr<KX::LControl>(owner)), KX::S_OK);
    EXPECT_TRUE(lazy->IsBuilt());
    EXPECT_EQ(lazy->GetChildren().GetCount(), 1u);
    EXPECT_EQ(lazy->postInitialisations, 1);
    EXPECT_EQ(lazy->GetConditions()->GetCurrentMask(), lazy->GetConditionFlags());
    EXPECT_TRUE(hidden->IsSubtreeDeferred()) << "one the new skin keeps hidden still waits";
}
