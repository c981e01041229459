#pragma once
// The picture end to end: the real program with its own skin on SDL's offscreen driver and the
// keyboard simulator on loopback ports. Picture reaches the program's groups, tiles and engine,
// clicks and types through SDL's event queue and runs the program's loop; the fixture runs the
// program once per call with the picture handed to a script. Main thread only.
#include "AppTestSupport.h"
#include "KeyboardSimulator.h"
#include "RecordingMessageBoxes.h"

#include "editor/Application.h"
#include "editor/ButtonPanel.h"
#include "editor/ControlTiles.h"
#include "editor/DeviceView.h"
#include "editor/GroupPanels.h"
#include "editor/MainControl.h"
#include "editor/MoveableControlViewPanel.h"
#include "editor/PadEditPanel.h"
#include "editor/PadPanel.h"
#include "editor/PedalGroupPanel.h"
#include "editor/PresetNamePanel.h"

#include "engine/MidiManager.h"
#include "engine/PresetManager.h"
#include "engine/RootModuleEngine.h"

#include "kx/AppServices.h"
#include "kx/controls/ComboBox.h"
#include "kx/controls/Label.h"
#include "kx/controls/TextBox.h"
#include "kx/ui/RootWindow.h"

#include "platform/sdl/Window.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace e2etest {

// Whether control is ancestor or lies inside it.
inline bool Contains(const KX::LControl& ancestor, KX::RCPtr<KX::LControl> control)
{
    for (; control; control = control->GetParent())
        if (control.Get() == &ancestor)
            return true;
    return false;
}

using namespace KX;

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

    // The loop run for a while, as between a user's keys.
    void Pause(int milliseconds = 40)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        Until([&] { return std::chrono::steady_clock::now() >= end; });
    }

    // The window manager hands the main window the keyboard.
    void Activate()
    {
        apptest::PushWindowEvent(app.GetMainWindow()->GetPlatformWindow().Id(), SDL_WINDOWEVENT_FOCUS_GAINED);
    }

    void Click(const LControl& control)
    {
        const PointT<double> origin = control.GetOriginInRootWindow();
        const PointT<double> size = control.GetSize();
        Activate();
        ClickAt(static_cast<int32_t>(origin.x + size.x / 2), static_cast<int32_t>(origin.y + size.y / 2));
    }

    // A click on a tile, then the loop until panel shows (the record id, when one is given); false
    // after the guard.
    template <class Panel>
    bool Open(LControl& tile, Panel& panel, int32_t id = -1)
    {
        Click(*tile.FindChild(WString(u"button")));
        return Until([&] { return panel.IsShowing(false) && (id < 0 || panel.GetFirstParamID() == id); });
    }

    // A move to a point of the main window and a click of a mouse button there.
    void ClickAt(int32_t x, int32_t y, uint8_t button = SDL_BUTTON_LEFT)
    {
        const Uint32 id = app.GetMainWindow()->GetPlatformWindow().Id();
        for (Uint32 type : {SDL_MOUSEMOTION, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
            apptest::PushMouse(id, type, x, y, button);
            app.GetEvents().ProcessPending();
        }
    }

    // The control that has the main window's focus.
    RCPtr<LControl> Focused() { return app.GetRootWindows().front()->GetFocusControl(); }

    // A key pressed and released, and text typed, at the control that has the focus.
    void Key(SDL_Keycode key, uint16_t mod = KMOD_NONE)
    {
        SDL_SetModState(static_cast<SDL_Keymod>(mod));
        for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
            SDL_Event e{};
            e.type = type;
            e.key.windowID = app.GetMainWindow()->GetPlatformWindow().Id();
            e.key.keysym.sym = key;
            e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
            e.key.keysym.mod = mod;
            SDL_PushEvent(&e);
            app.GetEvents().ProcessPending();
        }
        SDL_SetModState(KMOD_NONE);
    }
    void Type(const char* utf8)
    {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        e.text.windowID = app.GetMainWindow()->GetPlatformWindow().Id();
        std::snprintf(e.text.text, sizeof e.text.text, "%s", utf8);
        SDL_PushEvent(&e);
        app.GetEvents().ProcessPending();
    }

    // A box's whole text typed over, a character at a time, after a click on it.
    void TypeOver(const LControl& box, const char* text)
    {
        Click(box);
        Key(SDLK_END);
        Key(SDLK_HOME, KMOD_LSHIFT);
        for (const char* c = text; *c; ++c) {
            const char one[2] = {*c, 0};
            Type(one);
        }
    }

    // A child of the device view as T; null when missing or of another class.
    template <class T>
    RCPtr<T> ViewChild(const char16_t* name)
    {
        return RCPtr<T>(dynamic_cast<T*>(view->FindChild(WString(name)).Get()));
    }

    // The picture as its texts: per tile of every group (hidden banks too), the pedals and the
    // preset name, the texts of the tile's labels and the look its colour indicator shows.
    std::map<std::string, std::string> Texts()
    {
        std::map<std::string, std::string> texts;
        for (const char16_t* group : {u"pads", u"buttons", u"encoders", u"faders", u"wheels", u"xyPad", u"keybedZones"})
            if (const RCPtr<LGroupPanelFrame> frame = ViewChild<LGroupPanelFrame>(group))
                for (uint32_t i = 0; i < frame->GetTileCount(); ++i)
                    if (const RCPtr<LControl> tile = frame->GetTile(i))
                        texts[WString(group).ToNarrow().GetString() + std::to_string(i)] = TextOf(*tile);
        if (const RCPtr<LPedalGroupPanel> pedals = ViewChild<LPedalGroupPanel>(u"pedals")) {
            texts["volumePedal"] = TextOf(*pedals->GetVolumeTile());
            texts["sustainPedal"] = TextOf(*pedals->GetSustainTile());
        }
        if (const RCPtr<LPresetNamePanel> name = ViewChild<LPresetNamePanel>(u"presetNameEditPanel"))
            texts["presetName"] = name->GetTextBox()->GetText().ToNarrow().GetString();
        return texts;
    }
    static std::string TextOf(LControl& control)
    {
        std::string text;
        if (const auto* pad = dynamic_cast<LPadPanel*>(&control))
            text += "look " + std::to_string(ShownLook(*pad->GetColorIndicator())) + "|";
        if (const auto* button = dynamic_cast<LButtonPanel*>(&control))
            text += "look " + std::to_string(ShownLook(*button->GetColorIndicator())) + "|";
        for (uint32_t i = 0; i < control.GetChildren().GetCount(); ++i) {
            const RCPtr<LControl>& child = control.GetChildren().GetAt(i, kOrderInsertion);
            if (!child->GetText().IsEmpty())
                text += std::string(child->GetName().ToNarrow().GetString()) + "=" +
                        child->GetText().ToNarrow().GetString() + "|";
            text += TextOf(*child);
        }
        return text;
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
    // configure may change the options first.
    void Run(const std::function<void(Picture&)>& script,
             const std::function<void(EditorProgramOptions&)>& configure = nullptr)
    {
        EditorProgramOptions options = apptest::OfflineOptions(tree);
        options.resourceFolder = "::";
        if (configure)
            configure(options);
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

} // namespace e2etest
