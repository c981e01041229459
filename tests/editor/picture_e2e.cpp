// The picture end to end: the real program with its own skin on SDL's offscreen driver and the
// keyboard simulator on loopback ports. A click on pad 7 opens and points the pad edit panel, a
// colour changed there comes back to the tile, a saved preset file loads into a fresh program,
// the banks keep their tiles, and a preset retrieved from the keyboard reaches every tile.
#include "AppTestSupport.h"
#include "KeyboardSimulator.h"
#include "RecordingMessageBoxes.h"

#include "editor/Application.h"
#include "editor/ControlTiles.h"
#include "editor/DeviceView.h"
#include "editor/GroupPanels.h"
#include "editor/MainControl.h"
#include "editor/MoveableControlViewPanel.h"
#include "editor/PadEditPanel.h"
#include "editor/PadPanel.h"

#include "engine/MidiManager.h"
#include "engine/PresetManager.h"
#include "engine/RootModuleEngine.h"

#include "kx/AppServices.h"
#include "kx/controls/ComboBox.h"
#include "kx/controls/Label.h"
#include "kx/ui/RootWindow.h"

#include "platform/sdl/Window.h"

#include <SDL.h>

#include <chrono>
#include <thread>

using namespace KX;

namespace {

// The program's picture as the tests reach it.
struct Picture {
    explicit Picture(LApplication& app) : app(app)
    {
        main = RCPtr<LMainControl>::DynamicCast(app.GetRootWindows().front()->GetMainControl());
        view = main ? main->GetDeviceView() : RCPtr<LDeviceView>();
        if (view) {
            pads = RCPtr<LPadGroupPanel>(dynamic_cast<LPadGroupPanel*>(view->FindChild(WString(u"pads")).Get()));
            buttons =
                RCPtr<LButtonGroupPanel>(dynamic_cast<LButtonGroupPanel*>(view->FindChild(WString(u"buttons")).Get()));
            padEdit =
                RCPtr<LPadEditPanel>(dynamic_cast<LPadEditPanel*>(view->FindChild(WString(u"padEditPanel")).Get()));
        }
    }

    // The text a moveable tile's summary shows, and the one its stored value should give.
    static std::string InfoOf(LControl& tile)
    {
        const auto label = RCPtr<LLabel>::DynamicCast(
            ConstRCPtr<LControl>(tile.FindChild(WString(u"viewPanel"))->FindChild(WString(u"infoLabel"))));
        return label ? label->GetText().ToNarrow().GetString() : "<none>";
    }
    std::string ExpectedInfo(LControl& tile, int32_t id)
    {
        const std::vector<uint8_t> value = Stored(id);
        const auto label = tile.FindChild(WString(u"viewPanel"))->FindChild(WString(u"infoLabel"));
        if (value.size() != 6 || !label)
            return "<bad value>";
        Array<char> m;
        for (uint8_t b : value)
            m.AddItem(static_cast<char>(b));
        return LMoveableControlViewPanel::Describe(*label, m).ToNarrow().GetString();
    }
    // Runs the program's loop until done() holds; false after a generous guard.
    bool Until(const std::function<bool()>& done)
    {
        const auto guard = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (;;) {
            if (done())
                return true;
            if (std::chrono::steady_clock::now() > guard)
                return false;
            app.GetEvents().ProcessPending();
            for (int32_t pass = 0; pass < 8 && RunIdlePass(pass); ++pass) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    void Click(const LControl& control)
    {
        const PointT<double> origin = control.GetOriginInRootWindow();
        const PointT<double> size = control.GetSize();
        const Uint32 id = app.GetMainWindow()->GetPlatformWindow().Id();
        SDL_Event focus{};
        focus.type = SDL_WINDOWEVENT;
        focus.window.windowID = id;
        focus.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
        SDL_PushEvent(&focus);
        for (Uint32 type : {SDL_MOUSEMOTION, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
            SDL_Event e{};
            e.type = type;
            const int32_t x = static_cast<int32_t>(origin.x + size.x / 2);
            const int32_t y = static_cast<int32_t>(origin.y + size.y / 2);
            if (type == SDL_MOUSEMOTION) {
                e.motion.windowID = id;
                e.motion.x = x;
                e.motion.y = y;
            } else {
                e.button.windowID = id;
                e.button.button = SDL_BUTTON_LEFT;
                e.button.clicks = 1;
                e.button.x = x;
                e.button.y = y;
            }
            SDL_PushEvent(&e);
            app.GetEvents().ProcessPending();
        }
    }

    std::vector<uint8_t> Stored(int32_t id)
    {
        Variant value;
        app.GetRootModuleEngine()->GetParamValue(ParamDescriptor(id), value);
        uint32_t n = 0;
        const auto* p = static_cast<const uint8_t*>(value.GetData(n));
        return p ? std::vector<uint8_t>(p, p + n) : std::vector<uint8_t>();
    }

    // The look a colour indicator shows: the one at full opacity.
    static int32_t ShownLook(const LControl& indicator)
    {
        for (uint32_t i = 0; i < indicator.GetLookCount(); ++i)
            if (indicator.GetLookOpacity(i) > 0.5f)
                return static_cast<int32_t>(i);
        return -1;
    }
    LPadPanel& Pad(uint32_t i) { return dynamic_cast<LPadPanel&>(*pads->GetTile(i)); }
    bool PadShowsItsStoredColour(uint32_t i)
    {
        const std::vector<uint8_t> value = Stored(pads->GetFirstParamID() + static_cast<int32_t>(i));
        if (value.size() != LPadPanel::kValueLength)
            return false;
        // A colour without a look leaves the indicator as it was.
        return value[1] >= LPadPanel::kColorLookCount || ShownLook(*Pad(i).GetColorIndicator()) == value[1];
    }

    LApplication& app;
    RCPtr<LMainControl> main;
    RCPtr<LDeviceView> view;
    RCPtr<LPadGroupPanel> pads;
    RCPtr<LButtonGroupPanel> buttons;
    RCPtr<LPadEditPanel> padEdit;
};

class PictureEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!apptest::KeepOffscreenVideo())
            GTEST_SKIP() << "no offscreen video driver: " << SDL_GetError();
        ASSERT_FALSE(tree.Root().empty());
        keyboard.SetSlot(3, kxtest::KeyboardSimulator::PatternFor(3));
    }

    // Runs the program with the embedded face; script gets the picture once the keyboard is there.
    void Run(const std::function<void(Picture&)>& script)
    {
        EditorProgramOptions options = apptest::OfflineOptions(tree);
        options.resourceFolder = "::";
        bool ran = false;
        options.onStarted = [&](LApplication& app) {
            Picture picture(app);
            ASSERT_TRUE(picture.pads && picture.buttons && picture.padEdit);
            ASSERT_TRUE(picture.Until(
                [&] { return app.GetRootModuleEngine()->GetConnectionState() == LRootModuleEngine::kConnected; }));
            script(picture);
            ran = true;
            app.RequestExit();
        };
        EXPECT_EQ(RunEditorProgram({"lumo25-preset-editor"}, std::move(options)), kExitNormal);
        EXPECT_TRUE(ran);
    }

    apptest::TempTree tree;
    kxtest::KeyboardSimulator keyboard;
    kxtest::RecordingMessageBoxes boxes;
};

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

} // namespace
