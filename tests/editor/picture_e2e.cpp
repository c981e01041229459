// The picture end to end: a click on pad 7 opens and points the pad edit panel, a colour changed
// there comes back to the tile, a saved preset file loads into a fresh program, the banks keep
// their tiles, and a preset retrieved from the keyboard reaches every tile. With the keyboard there
// File > Global Settings opens its dialog (the user guide's picture of it).
#include "ControlsHarness.h"
#include "GuideScreenshots.h"
#include "PictureEndToEnd.h"

#include "kx/ui/OSWindow.h"

using namespace KX;

namespace {

using e2etest::Picture;
using e2etest::PictureEndToEnd;

TEST_F(PictureEndToEnd, PadSevenEditedInItsPanelComesBackToItsTileAndThroughAPresetFile)
{
    const std::string file = tree.Root() + "/pad7." + LDeviceView::GetPresetFileExtension().ToNarrow().GetString();
    int32_t colour = -1;
    Run([&](Picture& p) {
        const int32_t pad7 = p.pads->GetFirstParamID() + 6;
        p.Click(*p.pads->GetTile(6)->FindChild(WString(u"button")));
        ASSERT_TRUE(p.Until([&] { return p.padEdit->IsShowing(false) && p.padEdit->GetFirstParamID() == pad7; }));
        // The panel shows the pad's stored colours once the value has come down the tree.
        const std::vector<uint8_t> before = p.Stored(pad7);
        ASSERT_EQ(before.size(), LPadPanel::kValueLength);
        ASSERT_TRUE(p.Until([&] { return p.padEdit->GetColorCombo(0)->GetSelectedIndex() == before[1]; }));
        EXPECT_TRUE(p.PadShowsItsStoredColour(6));

        colour = before[1] == 11 ? 4 : 11;
        p.padEdit->GetColorCombo(0)->SetSelectedIndex(colour);
        p.padEdit->GetColorCombo(3)->SetSelectedIndex(1);
        ASSERT_TRUE(p.Until([&] { return p.Stored(pad7)[1] == colour && p.Stored(pad7)[4] == 1; }));
        ASSERT_TRUE(p.Until([&] { return Picture::ShownLook(*p.Pad(6).GetColorIndicator()) == colour; }))
            << "the tile follows the value that came back";
        EXPECT_EQ(p.Pad(6).GetColorIndicator()->GetLookCount(), 14u);
        EXPECT_EQ(p.pads->GetTile(6)->FindChild(WString(u"button"))->GetNormalizedValue(), 1.0);
        EXPECT_EQ(LPresetManager::Create()->Save(WString(file.c_str())), S_OK);
    });
    ASSERT_EQ(colour == 4 || colour == 11, true);

    Run([&](Picture& p) {
        const int32_t pad7 = p.pads->GetFirstParamID() + 6;
        EXPECT_NE(p.Stored(pad7)[1], colour) << "a fresh program starts from the keyboard's own preset";
        EXPECT_GE(LPresetManager::Create()->Load(WString(file.c_str())), 0);
        EXPECT_TRUE(p.Until([&] { return Picture::ShownLook(*p.Pad(6).GetColorIndicator()) == colour; }));
        EXPECT_EQ(p.Stored(pad7)[4], 1);
    });
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(PictureEndToEnd, BanksKeepTheirTilesAndARetrievedPresetReachesEveryTile)
{
    Run([&](Picture& p) {
        // Bank 3 shown: the group still holds the tiles of all four banks and routes to them.
        const RCPtr<LControl> bankButtons = p.view->FindChild(WString(u"groupBankPanel"));
        p.Click(*bankButtons->FindChild(WString(u"bank3")));
        const RCPtr<LControl> bank3 = p.buttons->FindChild(WString(u"buttonBank3"));
        ASSERT_TRUE(p.Until([&] { return bank3->IsShowing(false); }));
        EXPECT_FALSE(p.buttons->FindChild(WString(u"buttonBank1"))->IsShowing(false));
        ASSERT_EQ(p.buttons->GetTileCount(), 20u);
        for (uint32_t i = 0; i < 20; ++i)
            EXPECT_EQ(p.buttons->GetPushButton(i)->GetFirstParamID(), p.buttons->GetFirstParamID() + int32_t(i));

        // A preset from the keyboard: every pad tile shows its new colour.
        const std::vector<uint8_t> before = p.Stored(p.pads->GetFirstParamID());
        ASSERT_EQ(p.app.GetMidiManager()->GetPresetFromMidiDevice(3), 0);
        ASSERT_TRUE(p.Until([&] { return p.Stored(p.pads->GetFirstParamID()) != before; }));
        EXPECT_TRUE(p.Until([&] {
            for (uint32_t i = 0; i < 16; ++i)
                if (!p.PadShowsItsStoredColour(i))
                    return false;
            return true;
        }));
    });
}

TEST_F(PictureEndToEnd, EncoderAndFaderTilesNumberThemselvesAndFollowARetrievedPreset)
{
    Run([&](Picture& p) {
        const auto faders =
            RCPtr<LFaderGroupPanel>(dynamic_cast<LFaderGroupPanel*>(p.view->FindChild(WString(u"faders")).Get()));
        const auto encoders =
            RCPtr<LEncoderGroupPanel>(dynamic_cast<LEncoderGroupPanel*>(p.view->FindChild(WString(u"encoders")).Get()));
        ASSERT_TRUE(faders && encoders);
        ASSERT_EQ(faders->GetTileCount(), 20u);
        ASSERT_EQ(encoders->GetTileCount(), 16u);
        // Fader 14 is the fourth of bank 3, encoder 14 the second of bank 4.
        const auto fader = RCPtr<LFaderPanel>(dynamic_cast<LFaderPanel*>(faders->GetTile(13).Get()));
        const auto encoder = RCPtr<LEncoderPanel>(dynamic_cast<LEncoderPanel*>(encoders->GetTile(13).Get()));
        ASSERT_TRUE(fader && encoder);
        EXPECT_EQ(std::string(fader->KX::LControl::GetParent()->GetName().ToNarrow().GetString()), "faderBank3");
        EXPECT_EQ(std::string(fader->FindChild(WString(u"faderNumberLabel"))->GetText().ToNarrow().GetString()), "F4");
        EXPECT_EQ(std::string(encoder->FindChild(WString(u"encoderNameLabel"))->GetText().ToNarrow().GetString()),
                  "E2");

        const int32_t first = faders->GetFirstParamID();
        const std::vector<uint8_t> before = p.Stored(first);
        ASSERT_EQ(p.app.GetMidiManager()->GetPresetFromMidiDevice(3), 0);
        ASSERT_TRUE(p.Until([&] { return p.Stored(first) != before; }));
        EXPECT_TRUE(p.Until([&] {
            for (uint32_t i = 0; i < 20; ++i)
                if (Picture::InfoOf(*faders->GetTile(i)) != p.ExpectedInfo(*faders->GetTile(i), first + int32_t(i)))
                    return false;
            return true;
        }));
        EXPECT_EQ(Picture::InfoOf(*encoders->GetTile(13)),
                  p.ExpectedInfo(*encoders->GetTile(13), encoders->GetFirstParamID() + 13));
    });
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(PictureEndToEnd, GlobalSettingsOpensFromTheFileMenuOnceTheKeyboardIsThere)
{
    const std::string folder = KX_EDITOR_SCREENSHOTS;
    apptest::fs::create_directories(folder);
    const std::string shot = folder + "dialog_global_settings.png";
    apptest::fs::remove(shot);
    Run([&](Picture& p) {
        // A few idle passes after the dialog's window opened, its picture; then the desktop closes it.
        int passes = 0;
        SDL_Window* dialog = nullptr;
        p.app.onIdle = [&] {
            const auto& windows = p.app.GetRootWindows();
            if (windows.size() != 2 || ++passes != 6)
                return;
            auto* window = dynamic_cast<OSWindow*>(windows.back()->GetServices());
            ASSERT_TRUE(window);
            dialog = window->GetPlatformWindow().Handle();
            ctltest::SaveWindowPng(dialog, shot);
            apptest::PushWindowEvent(window->GetPlatformWindow().Id(), SDL_WINDOWEVENT_CLOSE);
        };
        p.ClickAt(24, 12); // File
        ASSERT_TRUE(p.Until([&] { return p.main->FindChild(WString(u"mainMenu")) != nullptr; }));
        p.ClickAt(68, 178); // Global Settings
        EXPECT_TRUE(p.Until([&] { return dialog && p.app.GetRootWindows().size() == 1; }))
            << "File > Global Settings opened no dialog";
        p.app.onIdle = nullptr;
    });
    guidetest::ExpectGuidePictureCurrent(shot, "dialog_global_settings.png");
}

} // namespace
