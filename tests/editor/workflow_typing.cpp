// Typing in the real program as a musician does: one key at a time with the loop running between
// keys, the focus leaving a field by Tab or by a click, names and numbers that come back from the
// engine, the text box's own context menu, where the focus goes after a click in the picture, and
// an edit panel that is made only when its first control is picked.
#include "EngineFakes.h"
#include "PictureEndToEnd.h"

#include "editor/EncoderEditPanel.h"
#include "editor/FaderEditPanel.h"
#include "editor/KeybedZoneEditPanel.h"
#include "editor/MoveableControlEditPanel.h"

#include "engine/ParamRecords.h"

#include "kx/Clipboard.h"
#include "kx/NotificationCenter.h"
#include "kx/NotificationId.h"
#include "kx/controls/Dialog.h"
#include "kx/controls/NumericUpDown.h"
#include "kx/controls/PopupMenu.h"
#include "kx/ui/FrameworkApp.h"
#include "kx/ui/Look.h"
#include "kx/ui/OSWindow.h"

#include <cstring>

using namespace KX;

namespace {

using e2etest::Picture;
using e2etest::PictureEndToEnd;
using Bytes = std::vector<uint8_t>;

std::string Narrow(const WString& text)
{
    return text.ToNarrow().GetString();
}

// Each character typed on its own, with a pause after it.
void TypeSlowly(Picture& p, const char* text)
{
    for (const char* c = text; *c; ++c) {
        const char one[2] = {*c, 0};
        p.Type(one);
        p.Pause();
    }
}

// The whole text of the focused box replaced by typing.
void Retype(Picture& p, const char* text)
{
    p.Key(SDLK_END);
    p.Key(SDLK_HOME, KMOD_LSHIFT);
    TypeSlowly(p, text);
}

struct Encoder {
    explicit Encoder(Picture& p)
    {
        group = p.ViewChild<LGroupPanelFrame>(u"encoders");
        panel = p.ViewChild<LEncoderEditPanel>(u"knobEditPanel");
        id = p.view->GetFirstParamID() + IDevice::kEncodersOffset;
    }
    // Clicks tile E1 and waits for its panel.
    bool Open(Picture& p)
    {
        p.Click(*group->GetTile(0)->FindChild(WString(u"button")));
        return p.Until([&] { return panel->IsShowing(false) && panel->GetFirstParamID() == id; });
    }
    RCPtr<LNumericUpDown> Cc() { return panel->GetSubEditor()->GetNumberBoxes().ElementAt(0); }
    RCPtr<LNumericUpDown> Minimum() { return panel->GetSubEditor()->GetMinimumBoxes().ElementAt(0); }
    RCPtr<LNumericUpDown> Maximum() { return panel->GetSubEditor()->GetMaximumBoxes().ElementAt(0); }

    RCPtr<LGroupPanelFrame> group;
    RCPtr<LEncoderEditPanel> panel;
    int32_t id = 0;
};

constexpr uint32_t kNumberByte = 2, kLowByte = 4, kHighByte = 5;

} // namespace

TEST_F(PictureEndToEnd, TypedNumbersAreStoredWhenTheFocusLeavesByTabOrByAClickAndShowWhatWasStored)
{
    Run([&](Picture& p) {
        Encoder e1(p);
        ASSERT_TRUE(e1.group && e1.panel);
        ASSERT_TRUE(e1.Open(p));
        ASSERT_TRUE(p.Until([&] { return e1.Cc()->GetValue() == p.Stored(e1.id)[kNumberByte]; }));

        // Tab away.
        p.Click(*e1.Cc()->GetTextBox());
        Retype(p, "55");
        p.Key(SDLK_TAB);
        EXPECT_TRUE(p.Until([&] { return p.Stored(e1.id)[kNumberByte] == 55; })) << "the value stays as it was";
        EXPECT_EQ(Narrow(e1.Cc()->GetTextBox()->GetText()), "55");

        // Click another field.
        p.Click(*e1.Cc()->GetTextBox());
        Retype(p, "66");
        p.Click(*e1.Maximum()->GetTextBox());
        EXPECT_TRUE(p.Until([&] { return p.Stored(e1.id)[kNumberByte] == 66; }));

        // Past the range: the box shows what was stored.
        Retype(p, "999");
        p.Key(SDLK_TAB);
        EXPECT_TRUE(p.Until([&] { return p.Stored(e1.id)[kHighByte] == 127; }));
        p.Pause();
        EXPECT_EQ(Narrow(e1.Maximum()->GetTextBox()->GetText()), "127");

        // Enter commits too.
        p.Click(*e1.Cc()->GetTextBox());
        Retype(p, "300");
        p.Key(SDLK_RETURN);
        EXPECT_TRUE(p.Until([&] { return p.Stored(e1.id)[kNumberByte] == 127; }));
        p.Pause();
        EXPECT_EQ(Narrow(e1.Cc()->GetTextBox()->GetText()), "127");
        Retype(p, "66");
        p.Key(SDLK_RETURN);
        ASSERT_TRUE(p.Until([&] { return p.Stored(e1.id)[kNumberByte] == 66; }));

        // A zone's PROGRAM (0-127), committed by Tab and by Enter.
        const auto zones = p.ViewChild<LGroupPanelFrame>(u"keybedZones");
        const auto zonePanel = p.ViewChild<LControl>(u"zoneEditPanel");
        ASSERT_TRUE(zones && zonePanel);
        const int32_t zone1 = p.view->GetFirstParamID() + IDevice::kKeybedZonesOffset;
        p.Click(*zones->GetTile(0)->FindChild(WString(u"button")));
        ASSERT_TRUE(p.Until([&] { return zonePanel->IsShowing(false); }));
        const auto program = RCPtr<LNumericUpDown>::DynamicCast(
            zonePanel->FindChild(WString(u"program"))->FindChild(WString(u"numericUpDown")));
        ASSERT_TRUE(program);
        for (SDL_Keycode commit : {SDLK_TAB, SDLK_RETURN}) {
            p.Click(*program->GetTextBox());
            Retype(p, "999");
            p.Key(commit);
            EXPECT_TRUE(p.Until([&] { return p.Stored(zone1)[KeybedZoneByte::kProgram] == 127; }));
            p.Pause();
            EXPECT_EQ(Narrow(program->GetTextBox()->GetText()), "127");
            p.Click(*program->GetTextBox());
            Retype(p, "5");
            p.Key(SDLK_RETURN);
            EXPECT_TRUE(p.Until([&] { return p.Stored(zone1)[KeybedZoneByte::kProgram] == 5; }));
        }

        // The next visit shows the stored values.
        p.Click(*p.pads->GetTile(0)->FindChild(WString(u"button")));
        ASSERT_TRUE(p.Until([&] { return !e1.panel->IsShowing(false); }));
        ASSERT_TRUE(e1.Open(p));
        EXPECT_EQ(Narrow(e1.Cc()->GetTextBox()->GetText()), "66");
    });
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(PictureEndToEnd, AnEditTheKeyboardLeavesDuringIsKeptAndSavedAndOneMadeWithoutItGivesWay)
{
    const RCPtr<kxtest::FakeEngineDeviceCommunication> comm(new kxtest::FakeEngineDeviceCommunication());
    const std::string file = tree.Root() + "/left." + LDeviceView::GetPresetFileExtension().ToNarrow().GetString();
    const auto shown = [&] { return boxes.Boxes().back().text + "|" + boxes.Boxes().back().caption; };
    Run(
        [&](Picture& p) {
            Encoder e1(p);
            ASSERT_TRUE(e1.group && e1.panel);
            ASSERT_TRUE(e1.Open(p));
            const uint8_t held = p.Stored(e1.id)[kNumberByte];
            ASSERT_TRUE(p.Until([&] { return e1.Cc()->GetValue() == held; }));
            const uint8_t typed = held == 42 ? 43 : 42;

            // The keyboard leaves while the edit is being sent: the model took it, the keyboard did not.
            comm->leaveAtSet.store(comm->deviceSets.load() + 1);
            p.Click(*e1.Cc()->GetTextBox());
            Retype(p, std::to_string(typed).c_str());
            p.Key(SDLK_RETURN);
            ASSERT_TRUE(p.Until([&] { return !boxes.Boxes().empty(); })) << "nothing says what became of the edit";
            EXPECT_EQ(shown(), "The change was kept in the editor and will be saved with the preset, but the keyboard "
                               "was disconnected while it was being sent and did not get it. Connect the keyboard "
                               "with its USB cable and send it the preset with File > Send Preset.|Change Not Sent");
            p.Pause();
            EXPECT_EQ(p.Stored(e1.id)[kNumberByte], typed);
            EXPECT_EQ(Narrow(e1.Cc()->GetTextBox()->GetText()), std::to_string(typed));
            LControl& tile = *e1.group->GetTile(0);
            EXPECT_EQ(Picture::InfoOf(tile), p.ExpectedInfo(tile, e1.id));
            ASSERT_EQ(LPresetManager::Create()->Save(WString(file.c_str())), S_OK);
            const std::string saved = apptest::ReadFile(file);
            constexpr int32_t kE1 = IDevice::kEncodersOffset;
            const size_t at = LPresetManager::kHeaderBytes + LPresetManager::kRecordHeadBytes * (kE1 + 1) +
                              GetParamRecordOffset(kE1) + kNumberByte;
            ASSERT_EQ(saved.size(), LPresetManager::kPresetFileBytes);
            EXPECT_EQ(static_cast<uint8_t>(saved[at]), typed) << "the file lacks the edit";

            // Without the keyboard the engine takes no edit: the field gives way to the value the model holds.
            boxes.Clear();
            p.Click(*e1.Cc()->GetTextBox());
            Retype(p, "44");
            p.Key(SDLK_RETURN);
            EXPECT_TRUE(p.Until([&] { return Narrow(e1.Cc()->GetTextBox()->GetText()) == std::to_string(typed); }))
                << "the box shows " << Narrow(e1.Cc()->GetTextBox()->GetText());
            EXPECT_EQ(p.Stored(e1.id)[kNumberByte], typed);
            ASSERT_FALSE(boxes.Boxes().empty()) << "nothing says why";
            EXPECT_EQ(shown(), "The change was not kept: the keyboard is not connected. Connect it with its USB cable "
                               "and try again.|Keyboard Not Connected");
        },
        [&](EditorProgramOptions& options) { options.engine.deviceCommunication = comm; });
}

TEST_F(PictureEndToEnd, TheClickThatCommitsARefusedEditActsFirstAndTheBoxFollows)
{
    // The program's own box, modal as the user meets it.
    platform::sdl::SetMessageBoxes(nullptr);
    const RCPtr<kxtest::FakeEngineDeviceCommunication> comm(new kxtest::FakeEngineDeviceCommunication());
    Run(
        [&](Picture& p) {
            Encoder e1(p);
            const auto faders = p.ViewChild<LGroupPanelFrame>(u"faders");
            const auto fader = p.ViewChild<LFaderEditPanel>(u"faderEditPanel");
            ASSERT_TRUE(e1.group && e1.panel && faders && fader);
            ASSERT_TRUE(e1.Open(p));
            const uint8_t held = p.Stored(e1.id)[kNumberByte];
            comm->connected.store(false);
            p.app.GetRootModuleEngine()->DisconnectDevice();
            p.Click(*e1.Cc()->GetTextBox());
            Retype(p, held == 55 ? "56" : "55");

            // Each box that opens says what it says and is answered with Enter on its own loop.
            std::vector<std::string> shown;
            const LControl* answered = nullptr;
            int passes = 0;
            p.app.onIdle = [&] {
                const auto windows = p.app.GetRootWindows();
                auto* os = windows.size() < 2 ? nullptr : dynamic_cast<OSWindow*>(windows.back()->GetServices());
                const RCPtr<LControl> box = os ? windows.back()->GetMainControl() : RCPtr<LControl>();
                if (!box)
                    return;
                // One that Enter left open is closed, so that the test ends.
                if (box.Get() == answered) {
                    if (++passes == 500)
                        dynamic_cast<LDialog&>(*box).Close(2);
                    return;
                }
                answered = box.Get();
                passes = 0;
                shown.push_back(Narrow(box->FindChild(WString(u"labelTitle"))->GetText()) + "|" +
                                Narrow(box->FindChild(WString(u"labelText"))->GetText()));
                // The desktop hands the box the keyboard.
                apptest::PushWindowEvent(p.app.GetMainWindow()->GetPlatformWindow().Id(), SDL_WINDOWEVENT_FOCUS_LOST);
                apptest::PushWindowEvent(os->GetPlatformWindow().Id(), SDL_WINDOWEVENT_FOCUS_GAINED);
                apptest::PushKey(os->GetPlatformWindow().Id(), SDLK_RETURN);
            };
            // A quick click on fader 1's tile: press and release reach the program together.
            const RCPtr<LControl> tile = faders->GetTile(0)->FindChild(WString(u"button"));
            const PointT<double> origin = tile->GetOriginInRootWindow();
            apptest::PushClick(p.app.GetMainWindow()->GetPlatformWindow().Id(),
                               static_cast<int32_t>(origin.x + tile->GetSize().x / 2),
                               static_cast<int32_t>(origin.y + tile->GetSize().y / 2));
            EXPECT_TRUE(p.Until([&] { return !shown.empty() && p.app.GetRootWindows().size() == 1; }))
                << "no box said why";
            p.Pause(100);
            p.app.onIdle = nullptr;
            EXPECT_TRUE(fader->IsShowing(false) &&
                        fader->GetFirstParamID() == p.view->GetFirstParamID() + IDevice::kFadersOffset)
                << "the click on the fader's tile was lost";
            EXPECT_EQ(shown, std::vector<std::string>{"Keyboard Not Connected|The change was not kept: the keyboard is "
                                                      "not connected. Connect it with its USB cable and try again."});
            EXPECT_EQ(p.Stored(e1.id)[kNumberByte], held);
        },
        [&](EditorProgramOptions& options) { options.engine.deviceCommunication = comm; });
}

TEST_F(PictureEndToEnd, ANameTypedKeyByKeyKeepsItsOrderAndCaseAndANameFromTheKeyboardReplacesIt)
{
    // Slot 4 holds a name typing could not give.
    Bytes records = kxtest::KeyboardSimulator::PatternFor(4);
    const Bytes bang{'H', 'I', '!', 0, 0, 0};
    std::copy(bang.begin(), bang.end(), records.begin());
    keyboard.SetSlot(4, records);
    Run([&](Picture& p) {
        const int32_t nameId = p.view->GetFirstParamID() + IDevice::kPresetNameOffset;
        const auto name = p.ViewChild<LPresetNamePanel>(u"presetNameEditPanel");
        ASSERT_TRUE(name);
        const RCPtr<LTextBox> box = name->GetTextBox();
        p.Click(*box);
        Retype(p, "Lead 1");
        EXPECT_TRUE(p.Until([&] { return p.Stored(nameId) == Bytes{'L', 'E', 'A', 'D', 0x22, '1'}; }));
        EXPECT_EQ(Narrow(box->GetText()), "Lead 1") << "the box keeps what was typed";
        EXPECT_EQ(box->GetCaretPosition(), 6);
        p.Key(SDLK_LEFT);
        p.Key(SDLK_LEFT);
        p.Key(SDLK_BACKSPACE);
        p.Pause();
        TypeSlowly(p, "f");
        EXPECT_TRUE(p.Until([&] { return p.Stored(nameId) == Bytes{'L', 'E', 'A', 'F', 0x22, '1'}; }));
        EXPECT_EQ(Narrow(box->GetText()), "Leaf 1");

        // Typed faster than the engine answers: every key queued before the loop runs once.
        p.Key(SDLK_END);
        p.Key(SDLK_HOME, KMOD_LSHIFT);
        for (const char* c : {"b", "a", "s", "s", " ", "2"}) {
            SDL_Event e{};
            e.type = SDL_TEXTINPUT;
            e.text.windowID = p.app.GetMainWindow()->GetPlatformWindow().Id();
            std::snprintf(e.text.text, sizeof e.text.text, "%s", c);
            SDL_PushEvent(&e);
        }
        EXPECT_TRUE(p.Until([&] { return p.Stored(nameId) == Bytes{'B', 'A', 'S', 'S', 0x22, '2'}; }));
        p.Pause(100);
        EXPECT_EQ(Narrow(box->GetText()), "bass 2");
        EXPECT_EQ(p.Stored(nameId), (Bytes{'B', 'A', 'S', 'S', 0x22, '2'}));

        // From the keyboard: shown as stored, the caret kept where the shorter text allows, and the
        // name still editable although typing could not give its "!".
        ASSERT_EQ(p.app.GetMidiManager()->GetPresetFromMidiDevice(4), 0);
        ASSERT_TRUE(p.Until([&] { return p.Stored(nameId) == bang; }));
        EXPECT_TRUE(p.Until([&] { return Narrow(box->GetText()) == "HI!"; }));
        EXPECT_EQ(box->GetCaretPosition(), 3);
        TypeSlowly(p, "x");
        EXPECT_TRUE(p.Until([&] { return p.Stored(nameId) == Bytes{'H', 'I', '!', 'X', 0, 0}; }));
        EXPECT_EQ(Narrow(box->GetText()), "HI!x");
    });
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(PictureEndToEnd, ANameTypedAsSoonAsTheKeyboardIsThereKeepsItsCase)
{
    Run([&](Picture& p) {
        const int32_t nameId = p.view->GetFirstParamID() + IDevice::kPresetNameOffset;
        const RCPtr<LTextBox> box = p.ViewChild<LPresetNamePanel>(u"presetNameEditPanel")->GetTextBox();
        p.Click(*box);
        Retype(p, "ab");
        EXPECT_TRUE(p.Until([&] { return p.Stored(nameId) == Bytes{'A', 'B', 0, 0, 0, 0}; }));
        p.Pause(100);
        EXPECT_EQ(Narrow(box->GetText()), "ab");
    });
}

TEST_F(PictureEndToEnd, AChannelTheListDoesNotHoldFallsBackToGlobalAndLaterEditsAreSent)
{
    Bytes records = kxtest::KeyboardSimulator::PatternFor(4);
    const uint32_t at = GetParamRecordOffset(IDevice::kEncodersOffset);
    // Channel byte 22, controller 10 from 0 to 127.
    const Bytes e1{22, 0x00, 0x0A, 0x00, 0x00, 0x7F};
    std::copy(e1.begin(), e1.end(), records.begin() + at);
    // Zone 1 on channel byte 17, program 10.
    const Bytes zone{1, 17, 10, 0, 0, 0, 24, 5, 12};
    std::copy(zone.begin(), zone.end(), records.begin() + GetParamRecordOffset(IDevice::kKeybedZonesOffset));
    keyboard.SetSlot(4, records);
    Run([&](Picture& p) {
        Encoder e1(p);
        ASSERT_EQ(p.app.GetMidiManager()->GetPresetFromMidiDevice(4), 0);
        ASSERT_TRUE(p.Until([&] { return p.Stored(e1.id)[0] == 22; }));
        ASSERT_TRUE(e1.Open(p));
        ASSERT_TRUE(p.Until([&] { return e1.Cc()->GetValue() == 10.0; }));
        const RCPtr<LComboBox> channel = e1.panel->GetSubEditor()->GetChannelCombos().ElementAt(0);
        ASSERT_TRUE(p.Until([&] { return channel->GetSelectedIndex() == 0; })) << "the global channel";
        p.Click(*e1.Cc()->GetTextBox());
        Retype(p, "21");
        p.Key(SDLK_RETURN);
        EXPECT_TRUE(p.Until([&] { return p.Stored(e1.id)[kNumberByte] == 21; })) << "the edit was dropped";
        EXPECT_EQ(p.Stored(e1.id)[0], 0);

        // A zone shows the global channel and sends it back at once; its edits are sent.
        const int32_t zoneId = p.view->GetFirstParamID() + IDevice::kKeybedZonesOffset;
        const auto zones = p.ViewChild<LGroupPanelFrame>(u"keybedZones");
        const auto panel = p.ViewChild<LKeybedZoneEditPanel>(u"zoneEditPanel");
        p.Click(*zones->GetTile(0)->FindChild(WString(u"button")));
        ASSERT_TRUE(p.Until([&] { return panel->IsShowing(false) && panel->GetFirstParamID() == zoneId; }));
        EXPECT_TRUE(p.Until([&] { return p.Stored(zoneId)[1] == 0; })) << "no correction was sent";
        EXPECT_EQ(panel->GetChannelCombo()->GetSelectedIndex(), 0);
        const auto program = RCPtr<LNumericUpDown>::DynamicCast(
            ConstRCPtr<LControl>(panel->FindChild(WString(u"program"))->FindChild(WString(u"numericUpDown"))));
        p.Click(*program->GetTextBox());
        Retype(p, "11");
        p.Key(SDLK_RETURN);
        EXPECT_TRUE(p.Until([&] { return p.Stored(zoneId)[2] == 11; })) << "the edit was dropped";
    });
}

TEST_F(PictureEndToEnd, TheNameBoxsOwnMenuCutsTheSelectionToTheClipboard)
{
    Run([&](Picture& p) {
        const auto name = p.ViewChild<LPresetNamePanel>(u"presetNameEditPanel");
        ASSERT_TRUE(name);
        const RCPtr<LTextBox> box = name->GetTextBox();
        p.Click(*box);
        Retype(p, "Pad 2");
        p.Key(SDLK_HOME, KMOD_LSHIFT);
        ASSERT_EQ(box->GetSelectionLength(), 5);

        const PointT<double> origin = box->GetOriginInRootWindow();
        p.ClickAt(static_cast<int32_t>(origin.x + 10), static_cast<int32_t>(origin.y + box->GetSize().y / 2),
                  SDL_BUTTON_RIGHT);
        RCPtr<LPopupMenu> menu;
        ASSERT_TRUE(p.Until([&] {
            menu = RCPtr<LPopupMenu>::DynamicCast(box->FindChild(WString(u"contextMenu")));
            return menu && menu->IsShowing(false);
        }));
        p.Pause();
        // Cut, Copy, Paste (the clipboard may be empty), Delete.
        const RCPtr<LMenuDescriptor> items = menu->GetMenu();
        ASSERT_EQ(items->GetItemCount(), 4u);
        EXPECT_TRUE(items->GetItem(0)->IsEnabled());
        EXPECT_TRUE(items->GetItem(1)->IsEnabled());
        EXPECT_TRUE(items->GetItem(3)->IsEnabled());
        // Cut as its item or its hot key asks for it: through the application's queue, while the
        // menu still holds the focus.
        RCPtr<LNotification> cut;
        LNotification::Create(cut, NID_EDIT_CUT_REQ, ConstRCPtr<LRefCountedObject>());
        GetNotificationQueue()->GetQueue()->PostNotification(cut);
        EXPECT_TRUE(p.Until([&] { return box->GetText().IsEmpty(); }));
        const auto* text = dynamic_cast<const LClipboard::TextContent*>(
            LFrameworkApp::GetCurrent()->GetClipboard()->ReadSystemClipboard().Get());
        ASSERT_TRUE(text);
        EXPECT_EQ(Narrow(*text), "Pad 2");
    });
}

TEST_F(PictureEndToEnd, KeysTypedBeforeAnyClickLeaveThePresetNameAlone)
{
    Run([&](Picture& p) {
        const int32_t nameId = p.view->GetFirstParamID() + IDevice::kPresetNameOffset;
        const auto name = p.ViewChild<LPresetNamePanel>(u"presetNameEditPanel");
        ASSERT_TRUE(name);
        p.Activate();
        p.Pause();
        const Bytes before = p.Stored(nameId);
        const WString shown = name->GetTextBox()->GetText();
        EXPECT_TRUE(p.Focused()) << "the window's hot keys need a focus owner";
        EXPECT_FALSE(e2etest::Contains(*name, p.Focused())) << "the name has the focus";
        TypeSlowly(p, "qz");
        p.Key(SDLK_BACKSPACE);
        p.Pause();
        EXPECT_EQ(p.Stored(nameId), before);
        EXPECT_EQ(Narrow(name->GetTextBox()->GetText()), Narrow(shown));

        // Before the menu bar has laid out its titles the window hands the keyboard to the picture.
        p.view->SetFocus(true);
        EXPECT_FALSE(e2etest::Contains(*name, p.Focused())) << "the picture hands the keyboard to the name";
        TypeSlowly(p, "qz");
        EXPECT_EQ(p.Stored(nameId), before);
    });
}

TEST_F(PictureEndToEnd, AClickOnATileFocusesItsEditPanelAndNeverTheName)
{
    Run([&](Picture& p) {
        const int32_t nameId = p.view->GetFirstParamID() + IDevice::kPresetNameOffset;
        const auto name = p.ViewChild<LPresetNamePanel>(u"presetNameEditPanel");
        const Bytes before = p.Stored(nameId);
        p.Click(*p.pads->GetTile(2)->FindChild(WString(u"button")));
        ASSERT_TRUE(p.Until([&] { return p.padEdit->IsShowing(false); }));
        p.Pause();
        EXPECT_FALSE(e2etest::Contains(*name, p.Focused())) << "the name has the focus";
        EXPECT_TRUE(e2etest::Contains(*p.padEdit, p.Focused()));
        TypeSlowly(p, "q");
        EXPECT_EQ(p.Stored(nameId), before);

        // Another tile: the focus follows to the panel shown.
        Encoder e1(p);
        ASSERT_TRUE(e1.Open(p));
        p.Pause();
        EXPECT_FALSE(e2etest::Contains(*p.padEdit, p.Focused())) << "the focus stays in the hidden panel";
        EXPECT_TRUE(e2etest::Contains(*e1.panel, p.Focused()));
        EXPECT_EQ(p.Stored(nameId), before);
    });
}

TEST_F(PictureEndToEnd, TheCaretTakesTheFieldsTextColour)
{
    Run([&](Picture& p) {
        const auto name = p.ViewChild<LPresetNamePanel>(u"presetNameEditPanel");
        ASSERT_TRUE(name);
        const RCPtr<LTextBox> box = name->GetTextBox();
        p.Click(*box);
        p.Key(SDLK_END);
        p.Pause();
        ASSERT_TRUE(box->IsCaretShown());
        const auto* look = dynamic_cast<const LLook*>(box->GetLookAt(LTextBox::kLookFocusedHot).Get());
        ASSERT_TRUE(look && look->GetTextForegroundPart());
        const uint32_t ink = look->GetTextForegroundPart()->GetFlatColor().ToARGB() & 0xFFFFFFu;

        // The window as the loop painted it.
        const PointT<double> origin = box->GetOriginInRootWindow();
        const int32_t x = static_cast<int32_t>(origin.x + box->GetCaretRect().x - box->GetScrollOffset().x);
        const int32_t y = static_cast<int32_t>(origin.y + box->GetCaretRect().y + box->GetCaretRect().height / 2);
        const uint32_t pixel = apptest::WindowPixel(p.app.GetMainWindow()->GetPlatformWindow().Handle(), x, y);
        ASSERT_NE(pixel, 0xFFFFFFFFu) << "off the window";
        for (const int shift : {16, 8, 0})
            EXPECT_NEAR(int32_t(pixel >> shift & 0xFF), int32_t(ink >> shift & 0xFF), 24)
                << std::hex << "pixel " << pixel << " ink " << ink;
    });
}

TEST_F(PictureEndToEnd, AnEditPanelMadeWhenItsFirstControlIsPickedShowsTheValueAndTypedNumbersReachTheModel)
{
    Run([&](Picture& p) {
        const auto faders = p.ViewChild<LGroupPanelFrame>(u"faders");
        const auto panel = p.ViewChild<LFaderEditPanel>(u"faderEditPanel");
        ASSERT_TRUE(faders && panel);
        ASSERT_TRUE(panel->IsSubtreeDeferred()) << "made at start although nothing shows it";
        EXPECT_FALSE(panel->GetSubEditor());

        const int32_t id = p.view->GetFirstParamID() + IDevice::kFadersOffset + 2;
        p.Click(*faders->GetTile(2)->FindChild(WString(u"button")));
        ASSERT_TRUE(p.Until([&] { return panel->IsShowing(false) && panel->GetFirstParamID() == id; }));
        ASSERT_TRUE(panel->GetSubEditor());
        const RCPtr<LNumericUpDown> cc = panel->GetSubEditor()->GetNumberBoxes().ElementAt(0);
        ASSERT_TRUE(cc);
        EXPECT_TRUE(p.Until([&] { return cc->GetValue() == p.Stored(id)[kNumberByte]; })) << "bound to the fader";
        p.Pause();
        EXPECT_TRUE(e2etest::Contains(*panel, p.Focused())) << "the focus goes into the panel just made";

        const bool was42 = p.Stored(id)[kNumberByte] == 42;
        p.Click(*cc->GetTextBox());
        Retype(p, was42 ? "43" : "42");
        p.Key(SDLK_TAB);
        EXPECT_TRUE(p.Until([&] { return p.Stored(id)[kNumberByte] == (was42 ? 43 : 42); }))
            << testing::PrintToString(p.Stored(id));
        EXPECT_EQ(cc->GetValue(), p.Stored(id)[kNumberByte]);
    });
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(PictureEndToEnd, TypingOverASelectedDigitEqualToTheFirstTypedKeepsTheDigitsInOrder)
{
    Run([&](Picture& p) {
        Encoder e1(p);
        ASSERT_TRUE(e1.Open(p));
        ASSERT_TRUE(p.Until([&] { return e1.Cc()->GetValue() == p.Stored(e1.id)[kNumberByte]; }));
        p.Click(*e1.Cc()->GetTextBox());
        for (const int32_t typed : {4, 45}) {
            Retype(p, std::to_string(typed).c_str());
            p.Key(SDLK_RETURN);
            EXPECT_TRUE(p.Until([&] { return p.Stored(e1.id)[kNumberByte] == typed; })) << typed;
        }
        EXPECT_EQ(Narrow(e1.Cc()->GetTextBox()->GetText()), "45");
    });
}

TEST_F(PictureEndToEnd, AFieldReachedByTabOrShiftTabHasItsTextReplacedByTyping)
{
    Run([&](Picture& p) {
        Encoder e1(p);
        ASSERT_TRUE(e1.Open(p));
        ASSERT_TRUE(p.Until([&] { return e1.Minimum()->GetValue() == p.Stored(e1.id)[kLowByte]; }));
        p.Click(*e1.Cc()->GetTextBox());
        // From CC into MIN (showing 0) by Tab, then back into it from MAX by Shift+Tab.
        for (const auto& [mod, typed] : {std::pair{KMOD_NONE, 10}, std::pair{KMOD_LSHIFT, 20}}) {
            p.Pause();
            p.Key(SDLK_TAB, mod);
            p.Pause();
            ASSERT_EQ(p.Focused().Get(), static_cast<LControl*>(e1.Minimum()->GetTextBox().Get()));
            TypeSlowly(p, std::to_string(typed).c_str());
            p.Key(SDLK_TAB);
            const int32_t want = typed;
            EXPECT_TRUE(p.Until([&] { return p.Stored(e1.id)[kLowByte] == want; })) << want;
        }
    });
}

TEST_F(PictureEndToEnd, ANumberLeftEmptyOrTypedAsMinusZeroShowsTheStoredValueHereAndOnTheNextZone)
{
    Run([&](Picture& p) {
        const auto zones = p.ViewChild<LGroupPanelFrame>(u"keybedZones");
        const auto panel = p.ViewChild<LKeybedZoneEditPanel>(u"zoneEditPanel");
        ASSERT_TRUE(zones && panel);
        const int32_t zone1 = p.view->GetFirstParamID() + IDevice::kKeybedZonesOffset;
        for (const int32_t zone : {zone1, zone1 + 1})
            ASSERT_EQ(p.Stored(zone)[KeybedZoneByte::kOctave], KeybedZoneByte::kOctaveOffset) << "octave 0";
        p.Click(*zones->GetTile(0)->FindChild(WString(u"button")));
        ASSERT_TRUE(p.Until([&] { return panel->IsShowing(false) && panel->GetFirstParamID() == zone1; }));
        const auto octave = RCPtr<LNumericUpDown>::DynamicCast(
            panel->FindChild(WString(u"octave"))->FindChild(WString(u"numericUpDown")));
        ASSERT_TRUE(p.Until([&] { return octave->GetValue() == 0.0; }));
        const RCPtr<LTextBox> box = octave->GetTextBox();
        p.Click(*box);
        Retype(p, "");
        p.Key(SDLK_BACKSPACE);
        p.Key(SDLK_TAB);
        p.Pause();
        EXPECT_EQ(Narrow(box->GetText()), "0") << "emptied and left by Tab";

        p.Click(*box);
        Retype(p, "-0");
        p.Key(SDLK_RETURN);
        p.Click(*zones->GetTile(1)->FindChild(WString(u"button")));
        ASSERT_TRUE(p.Until([&] { return panel->GetFirstParamID() == zone1 + 1; }));
        p.Pause();
        EXPECT_EQ(Narrow(box->GetText()), "0") << "zone 2's octave, equal to zone 1's";
    });
}
