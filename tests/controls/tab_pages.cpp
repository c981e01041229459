// The tab control made from the skin: tab clicks switch pages and announce them, indices and
// names agree, and the selection survives a rebuild from the skin.
#include "ControlsHarness.h"

#include "kx/controls/Button.h"
#include "kx/controls/TabControl.h"

using namespace KX;

namespace {

// Records the page each "NID_TAB_SELECTED" carries.
class PageLog : public LNotificationReceiver {
public:
    KXRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override
    {
        const auto* page = dynamic_cast<const LControl*>(n->GetPayload().Get());
        pages.push_back(page ? page->GetName().ToNarrow().GetString() : "<none>");
        return S_OK;
    }
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override
    {
        return d->UnregisterClient(RCPtr<LNotificationReceiver>(this), name);
    }
    std::vector<std::string> pages;
};

class TabPages : public ctltest::ControlsTest {
protected:
    std::vector<bool> Shown(LTabControl& tabs)
    {
        std::vector<bool> shown;
        for (int32_t i = 0; i < tabs.GetPageCount(); ++i)
            shown.push_back(tabs.GetPage(i)->IsShowing(false));
        return shown;
    }
    std::vector<double> Values(LTabControl& tabs)
    {
        std::vector<double> values;
        LChildControlList& buttons = tabs.GetButtonHolder()->GetChildren();
        for (uint32_t i = 0; i < buttons.GetCount(); ++i)
            values.push_back(buttons.GetAt(i, kOrderInsertion)->GetNormalizedValue());
        return values;
    }
};

} // namespace

TEST_F(TabPages, ClickingATabShowsItsPageAndAnnouncesItEvenWhenAlreadySelected)
{
    RCPtr<LTabControl> tabs = CreateAs<LTabControl>(u"tabControl");
    ASSERT_TRUE(tabs);
    EXPECT_EQ(tabs->GetSelectedName().ToNarrow(), NString("general")) << "the first tab is selected at start";
    EXPECT_EQ(Shown(*tabs), (std::vector<bool>{true, false}));
    RCPtr<PageLog> log(new PageLog());
    EXPECT_FALSE(KX::Failed(tabs->RegisterClient(RCPtr<LNotificationReceiver>(log), u"NID_TAB_SELECTED", 0)));

    const RCPtr<LControl> midi = tabs->GetButtonHolder()->FindChild(WString(u"midi"));
    ClickOn(*midi);
    EXPECT_EQ(Shown(*tabs), (std::vector<bool>{false, true}));
    EXPECT_EQ(Values(*tabs), (std::vector<double>{0.0, 1.0, 0.0}));
    EXPECT_EQ(tabs->GetSelectedIndex(), 1);
    EXPECT_EQ(tabs->GetSelectedPage().Get(), tabs->GetPage(1).Get());
    Screenshot("midi");
    ClickOn(*midi);
    EXPECT_EQ(log->pages, (std::vector<std::string>{"midi", "midi"}));

    // A tab without a page hides every page and announces none.
    ClickOn(*tabs->GetButtonHolder()->FindChild(WString(u"extra")));
    EXPECT_EQ(Shown(*tabs), (std::vector<bool>{false, false}));
    EXPECT_EQ(log->pages.back(), "<none>");
    EXPECT_FALSE(tabs->GetPage(tabs->GetPageCount()));
    EXPECT_FALSE(tabs->GetPage(-1));
    EXPECT_EQ(tabs->SelectTabByIndex(3), E_FAIL);
    EXPECT_EQ(tabs->GetTabIndex(WString(u"nowhere")), -1);
    tabs->UnregisterClient(RCPtr<LNotificationReceiver>(log), u"NID_TAB_SELECTED");
}

TEST_F(TabPages, RebuildFromTheSkinKeepsTheSelectedTab)
{
    RCPtr<LTabControl> tabs = CreateAs<LTabControl>(u"tabControl");
    ASSERT_TRUE(tabs);
    ASSERT_EQ(tabs->SelectTab(WString(u"midi")), S_OK);
    ASSERT_EQ(tabs->CreateFromDescriptor(tabs->GetDescriptor()), S_OK);
    EXPECT_EQ(tabs->GetSelectedName().ToNarrow(), NString("midi"));
    EXPECT_EQ(Shown(*tabs), (std::vector<bool>{false, true}));
    EXPECT_EQ(Values(*tabs), (std::vector<double>{0.0, 1.0, 0.0}));
    // The rebuilt buttons still switch pages.
    ClickOn(*tabs->GetButtonHolder()->FindChild(WString(u"general")));
    EXPECT_EQ(Shown(*tabs), (std::vector<bool>{true, false}));
}
