// The get-preset and send-preset dialogs: end to end with the keyboard simulator on loopback
// ports, the results they tell apart, and the slot they refuse.
#include "DialogsFixture.h"

#include "editor/PresetSlotDialogs.h"

#include "kx/controls/Button.h"
#include "kx/controls/ComboBox.h"

using namespace KX;
using namespace editor;
using kxtest::KeyboardSimulator;
using SimKind = KeyboardSimulator::Kind;

namespace {

// A manager whose get and send answer from a script and record the slots asked for.
class ScriptedManager : public LMidiManager {
public:
    ScriptedManager() : LMidiManager(Timings{}) {}
    int32_t GetPresetFromMidiDevice(int32_t slot) override { return Next(slot); }
    int32_t SendPresetToMidiDevice(int32_t slot) override { return Next(slot); }

    std::vector<int32_t> results;
    std::vector<int32_t> slots;

private:
    int32_t Next(int32_t slot)
    {
        slots.push_back(slot);
        const int32_t r = results.empty() ? 0 : results.front();
        if (!results.empty())
            results.erase(results.begin());
        return r;
    }
};

class PresetDialogs : public dlgtest::DialogsTest {
protected:
    RCPtr<LComboBox> SlotChooser(LControl& dialog)
    {
        const RCPtr<LControl> panel = dialog.FindChild(WString(u"presetSlot"));
        return panel ? RCPtr<LComboBox>::DynamicCast(ConstRCPtr<LControl>(panel->FindChild(WString(u"comboBox"))))
                     : RCPtr<LComboBox>();
    }
    // Dialogs made by a test lie on each other: the one clicked is the only one shown.
    RCPtr<LControl> Make(const char16_t* name)
    {
        RCPtr<LControl> dialog = Create(name);
        if (dialog)
            made.push_back(dialog);
        return dialog;
    }
    void Click(LControl& dialog, const char16_t* button)
    {
        for (const RCPtr<LControl>& d : made)
            d->SetVisible(d.Get() == &dialog);
        const RCPtr<LControl> b = dialog.FindChild(WString(button));
        ASSERT_TRUE(b);
        ClickOn(*b);
    }
    RCPtr<ScriptedManager> Script(std::vector<int32_t> results)
    {
        RCPtr<ScriptedManager> m(new ScriptedManager());
        m->results = std::move(results);
        fake.manager = RCPtr<LMidiManager>(m);
        return m;
    }
    std::vector<std::string> Boxes() const
    {
        std::vector<std::string> out;
        for (const auto& b : fake.boxes)
            out.push_back(b.caption + ": " + b.text);
        return out;
    }
    std::vector<RCPtr<LControl>> made;

    // The slot byte of each preset request or preset message the keyboard received.
    std::vector<int> SlotsReceived(SimKind kind)
    {
        std::vector<int> out;
        for (const auto& m : keyboard.Log())
            if (m.kind == kind)
                out.push_back(kind == SimKind::PresetMessage ? m.bytes[10] : m.bytes[m.bytes.size() - 2]);
        return out;
    }
};

const std::string kGotIt = "Retrieve Sucessful: The preset has been sucessfully retreived.";
const std::string kGetMidiError = "Retrieve Preset Error: get: midi error";
const std::string kGetFirmware = "Retrieve Preset Error: get: firmware";
const std::string kSentIt = "Send Sucess: The preset has been sucessfully sent to the device";
const std::string kSendMidiError = "Send Preset Error: send: midi error";
const std::string kSendFirmware = "Send Preset Error: send: firmware";

TEST_F(PresetDialogs, GetFromSlotThreePutsTheKeyboardsBytesIntoTheModel)
{
    RCPtr<LControl> dialog = Make(u"dialogRetrievePresetFromHardware");
    ASSERT_TRUE(dialog);
    // Right after opening the chooser shows "RAM": slot 0.
    Click(*dialog, u"getButton");
    EXPECT_EQ(engine->Records(), KeyboardSimulator::PatternFor(0));

    SlotChooser(*dialog)->SetSelectedIndex(3);
    Click(*dialog, u"getButton");
    EXPECT_EQ(engine->Records(), KeyboardSimulator::PatternFor(3));
    EXPECT_EQ(SlotsReceived(SimKind::PresetRequest), (std::vector<int>{0, 3}));
    EXPECT_EQ(Boxes(), (std::vector<std::string>{kGotIt, kGotIt}));
    Screenshot("get_preset");
}

TEST_F(PresetDialogs, SendToSlotFiveDeliversTheModelsBytes)
{
    engine->SetRecords(KeyboardSimulator::PatternFor(9));
    RCPtr<LControl> dialog = Make(u"dialogSendPreset");
    ASSERT_TRUE(dialog);
    SlotChooser(*dialog)->SetSelectedIndex(5);
    Click(*dialog, u"send");
    ASSERT_TRUE(keyboard.WaitIdle());
    EXPECT_EQ(SlotsReceived(SimKind::PresetMessage), (std::vector<int>{5}));
    EXPECT_EQ(keyboard.Slot(5), KeyboardSimulator::PatternFor(9));
    EXPECT_EQ(keyboard.Slot(4), KeyboardSimulator::PatternFor(4));
    EXPECT_EQ(Boxes(), (std::vector<std::string>{kSentIt}));
    EXPECT_EQ(fake.boxes[0].flags, 0u) << "news of success is no error";
}

TEST_F(PresetDialogs, KeyboardFaultsShowTheirMessages)
{
    // Short waits: every fault here runs them out.
    fake.manager = LMidiManager::Create(mmtest::FastTimings(30));
    RCPtr<LControl> get = Make(u"dialogRetrievePresetFromHardware");
    RCPtr<LControl> send = Make(u"dialogSendPreset");
    ASSERT_TRUE(get && send);
    const std::vector<uint8_t> before = engine->Records();

    // A dump cut one byte short is no dump: the wait runs out (-3), the model stays.
    keyboard.SetReplyLengthDelta(-1);
    keyboard.SetFaultsOnlyFor(SimKind::PresetRequest);
    SlotChooser(*get)->SetSelectedIndex(3);
    Click(*get, u"getButton");
    EXPECT_EQ(engine->Records(), before);
    keyboard.SetReplyLengthDelta(0);

    // Old firmware: both dialogs name it.
    keyboard.SetFirmware("1040");
    Click(*get, u"getButton");
    Click(*send, u"send");
    keyboard.SetFirmware("1041");

    // A silent keyboard, and one that answers after every wait ran out: the identity check
    // fails first, which the manager reports as the firmware's fault.
    keyboard.SetSilent(true);
    Click(*get, u"getButton");
    keyboard.SetSilent(false);
    keyboard.SetReplyDelay(1500);
    Click(*send, u"send");
    EXPECT_EQ(engine->Records(), before);

    EXPECT_EQ(Boxes(),
              (std::vector<std::string>{kGetMidiError, kGetFirmware, kSendFirmware, kGetFirmware, kSendFirmware}));
    for (const auto& box : fake.boxes)
        EXPECT_EQ(box.flags & 0xF0u, 0x10u) << box.caption << ": an error box wears the error's mark";
    EXPECT_EQ(SlotsReceived(SimKind::PresetMessage), std::vector<int>{});
}

TEST_F(PresetDialogs, AnyNegativeSendResultIsAFailure)
{
    RCPtr<ScriptedManager> manager =
        Script({0, 7, -1, -2, -3, static_cast<int32_t>(E_FAIL), static_cast<int32_t>(0x80070005)});
    RCPtr<LControl> dialog = Make(u"dialogSendPreset");
    ASSERT_TRUE(dialog);
    for (int i = 0; i < 7; ++i)
        Click(*dialog, u"send");
    EXPECT_EQ(Boxes(), (std::vector<std::string>{kSentIt, kSentIt, kSendMidiError, kSendFirmware, kSendMidiError,
                                                 kSendMidiError, kSendMidiError}));
}

TEST_F(PresetDialogs, GetResultsAndTheSlotsAskedFor)
{
    RCPtr<ScriptedManager> manager = Script({0, -1, -2, -3, static_cast<int32_t>(E_FAIL)});
    RCPtr<LControl> dialog = Make(u"dialogRetrievePresetFromHardware");
    ASSERT_TRUE(dialog);
    for (int slot : {12, 0, 1, 5, 7}) {
        SlotChooser(*dialog)->SetSelectedIndex(slot);
        Click(*dialog, u"getButton");
    }
    EXPECT_EQ(manager->slots, (std::vector<int32_t>{12, 0, 1, 5, 7}));
    EXPECT_EQ(Boxes(), (std::vector<std::string>{kGotIt, kGetMidiError, kGetFirmware, kGetMidiError, kGetMidiError}));
}

TEST_F(PresetDialogs, NoChosenSlotIsRefusedAndTold)
{
    RCPtr<ScriptedManager> manager = Script({});
    RCPtr<LControl> get = Make(u"dialogRetrievePresetFromHardware");
    RCPtr<LControl> send = Make(u"dialogSendPreset");
    RCPtr<LControl> noChooser = Make(u"retrieveWithoutSlot");
    ASSERT_TRUE(get && send && noChooser);
    SlotChooser(*get)->SetSelectedIndex(-1);
    SlotChooser(*send)->SetSelectedIndex(-1);
    Click(*get, u"getButton");
    Click(*send, u"send");
    Click(*noChooser, u"getButton");
    EXPECT_TRUE(manager->slots.empty());
    // The table's own text when it has one.
    fake.strings["LABEL_PRESET_SLOT_NOT_SELECTED_MSGBOX_TEXT"] = "Pick a slot.";
    Click(*send, u"send");
    EXPECT_TRUE(manager->slots.empty());
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"Retrieve Preset Error: Choose a preset slot first.",
                                                 "Send Preset Error: Choose a preset slot first.",
                                                 "Retrieve Preset Error: Choose a preset slot first.",
                                                 "Send Preset Error: Pick a slot."}));
    for (const auto& box : fake.boxes)
        EXPECT_EQ(box.flags & 0xF0u, 0x10u) << box.caption;
    EXPECT_EQ(GetPresetFromSlot(13), -1);
    EXPECT_TRUE(manager->slots.empty());
}

TEST_F(PresetDialogs, AMissingTextShowsNoBoxThoughTheExchangeRan)
{
    RCPtr<ScriptedManager> manager = Script({0, -1});
    fake.strings.erase("LABEL_GET_PRESET_SUCEESS_MSGBOX_TEXT");
    fake.strings.erase("LABEL_GET_PRESET_FAILED_MIDI_ERROR_MSGBOX_TEXT");
    RCPtr<LControl> dialog = Make(u"dialogRetrievePresetFromHardware");
    ASSERT_TRUE(dialog);
    Click(*dialog, u"getButton");
    Click(*dialog, u"getButton");
    EXPECT_EQ(manager->slots, (std::vector<int32_t>{0, 0}));
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(PresetDialogs, AMissingButtonIsReportedByName)
{
    EXPECT_EQ(CreationError(u"retrieveWithoutButton"),
              "Runtime Error : Null Pointer : Cannot find child getButton : LGetPresetFromMidiDeviceDlg::Initialize : "
              "UI\\PresetEditorCommon\\GetPresetFromMidiDeviceDlg : Line 46");
    EXPECT_EQ(CreationError(u"sendWithoutButton"),
              "Runtime Error : Null Pointer : Cannot find child send : LSendPresetToMidiDeviceDlg::Initialize : "
              "UI\\PresetEditorCommon\\SendPresetToMidiDeviceDlg : Line 45");
}

} // namespace
