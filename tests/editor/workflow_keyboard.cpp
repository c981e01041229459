// Moving through the real program from the keyboard: Tab and Ctrl+Tab leave the edit panel for
// the other parts of the window, Tab comes round to it again, and the focus is never lost.
#include "PictureEndToEnd.h"

#include "editor/EncoderEditPanel.h"

using namespace KX;

namespace {

using e2etest::Picture;
using e2etest::PictureEndToEnd;

} // namespace

TEST_F(PictureEndToEnd, CtrlTabLeavesTheEditPanelAndNeverLosesTheFocus)
{
    Run([&](Picture& p) {
        const auto panel = p.ViewChild<LEncoderEditPanel>(u"knobEditPanel");
        const auto encoders = p.ViewChild<LGroupPanelFrame>(u"encoders");
        ASSERT_TRUE(panel && encoders);
        p.Click(*encoders->GetTile(0)->FindChild(WString(u"button")));
        ASSERT_TRUE(p.Until([&] { return panel->IsShowing(false); }));
        ASSERT_TRUE(e2etest::Contains(*panel, p.Focused()));

        p.Key(SDLK_TAB, KMOD_LCTRL);
        ASSERT_TRUE(p.Focused());
        EXPECT_FALSE(e2etest::Contains(*panel, p.Focused())) << "Ctrl+Tab stays in the edit panel";
        for (int i = 0; i < 8; ++i) {
            p.Key(SDLK_TAB, i % 2 ? KMOD_LCTRL : KMOD_LCTRL | KMOD_LSHIFT);
            ASSERT_TRUE(p.Focused()) << "the focus is lost after " << i + 2 << " Ctrl+Tab";
        }
    });
}

TEST_F(PictureEndToEnd, TabGoesOnFromAnEditPanelThroughTheWindowAndBack)
{
    Run([&](Picture& p) {
        const auto panel = p.ViewChild<LEncoderEditPanel>(u"knobEditPanel");
        const auto encoders = p.ViewChild<LGroupPanelFrame>(u"encoders");
        const auto name = p.ViewChild<LControl>(u"presetNameEditPanel");
        ASSERT_TRUE(panel && encoders && name);
        p.Click(*encoders->GetTile(0)->FindChild(WString(u"button")));
        ASSERT_TRUE(p.Until([&] { return panel->IsShowing(false); }));
        ASSERT_TRUE(e2etest::Contains(*panel, p.Focused()));

        // A nested panel does not wrap: Tab moves on through the window.
        bool left = false, named = false, back = false;
        for (int i = 0; i < 60 && !back; ++i) {
            p.Key(SDLK_TAB);
            const RCPtr<LControl> now = p.Focused();
            ASSERT_TRUE(now) << "the focus is lost after " << i + 1 << " Tab";
            left = left || !e2etest::Contains(*panel, now);
            named = named || e2etest::Contains(*name, now);
            back = left && e2etest::Contains(*panel, now);
        }
        EXPECT_TRUE(named) << "Tab never reaches the preset name";
        EXPECT_TRUE(back) << "Tab never comes back to the edit panel";
    });
}
