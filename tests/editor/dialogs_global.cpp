// The global settings dialog read from, edited and sent to the keyboard simulator; its refusals,
// the keyboard's faults, its missing children; and the about box.
#include "GlobalSettingsSupport.h"

#include "editor/AboutDlg.h"
#include "editor/Version.h"

#include "kx/controls/Button.h"

#include <map>

using namespace KX;
using namespace editor;
using namespace dlgtest;
using SimKind = kxtest::KeyboardSimulator::Kind;
using D = LGlobalSettingsDlg;

namespace {

class GlobalSettings : public DialogsTest {
protected:
    RCPtr<D> Make(const char16_t* name = u"globalEditorControl")
    {
        RCPtr<D> dialog = CreateAs<D>(name);
        return dialog;
    }
    void ClickButton(D& dialog, const char16_t* name)
    {
        const RCPtr<LControl> b = dialog.FindChild(WString(name));
        ASSERT_TRUE(b);
        ClickOn(*b);
    }
    std::vector<std::string> Boxes() const
    {
        std::vector<std::string> out;
        for (const auto& b : fake.boxes)
            out.push_back(b.caption + ": " + b.text);
        return out;
    }
    std::vector<double> AllShown(const D& d)
    {
        std::vector<double> v;
        for (int s = 0; s < D::kSettingCount; ++s)
            v.push_back(Shown(d, static_cast<Setting>(s)));
        return v;
    }
};

const std::string kMidiError = "Global Settings Error: global: midi error";
const std::string kFirmware = "Send Preset Error: send: firmware";

TEST_F(GlobalSettings, ReadEditAndSendEverySetting)
{
    // Keyboard codes: 0 channel, 4 Mackie/HUI, 5..7 keys, 8..10 pads, 11 curve, 12 XY pad,
    // 13 program, 14 MSB, 15 LSB.
    const std::vector<std::pair<int, int32_t>> keyboardValues{{0, 3},    {4, 1},   {5, 1},  {6, 24}, {7, 6},
                                                              {8, 0},    {9, 0},   {10, 9}, {11, 3}, {12, 5},
                                                              {13, 127}, {14, 64}, {15, 1}, {1, 77}, {2, 77}};
    for (const auto& [code, value] : keyboardValues)
        keyboard.SetGlobal(code, value);
    // Every setting is asked for once, also when the machine is slow to pass a reply on.
    fake.manager = LMidiManager::Create(mmtest::PatientTimings());
    RCPtr<D> dialog = Make();
    ASSERT_TRUE(dialog);
    // Before any exchange: lists on their first item, octaves and transposes at 0.
    EXPECT_EQ(AllShown(*dialog), (std::vector<double>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    ClickButton(*dialog, u"getGlobalSettingsButton");
    // Channel 3; key octave 1 shows -4, transpose 24 shows 12; pad octave 0 shows -5, 0 shows -12.
    EXPECT_EQ(AllShown(*dialog), (std::vector<double>{2, 1, -4, 12, 6, -5, -12, 9, 3, 5, 127, 64, 1}));
    EXPECT_EQ(keyboard.Count(SimKind::GlobalRequest), 13u);
    EXPECT_TRUE(fake.boxes.empty());
    Screenshot("global_settings_read");

    ListOf(*dialog, D::kMidiChannel)->SetSelectedIndex(15);
    BoxOf(*dialog, D::kKeyOctave)->SetValueAndRead(7); // pulled back to 5
    BoxOf(*dialog, D::kPadOctave)->SetValueAndRead(3);
    BoxOf(*dialog, D::kKeyTranspose)->SetValueAndRead(-12);
    BoxOf(*dialog, D::kProgram)->SetValueAndRead(5);
    ListOf(*dialog, D::kControlCurve)->SetSelectedIndex(0);
    EXPECT_EQ(Shown(*dialog, D::kKeyOctave), 5);

    keyboard.ClearLog();
    ClickButton(*dialog, u"sendGlobalSettingsButton");
    ASSERT_TRUE(keyboard.WaitIdle());
    EXPECT_EQ(keyboard.Count(SimKind::GlobalSet), 13u);
    const std::vector<std::pair<int, int32_t>> expected{{0, 16}, {4, 1},   {5, 10}, {6, 0},  {7, 6},
                                                        {8, 8},  {9, 0},   {10, 9}, {11, 0}, {12, 5},
                                                        {13, 5}, {14, 64}, {15, 1}, {1, 77}, {2, 77}};
    for (const auto& [code, value] : expected)
        EXPECT_EQ(keyboard.Global(code), value) << "code " << code;
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(GlobalSettings, AListWithoutAChoiceIsNotSent)
{
    // A channel of 0 from the keyboard clears the channel list.
    keyboard.SetGlobal(0, 0);
    RCPtr<D> dialog = Make();
    ASSERT_TRUE(dialog);
    ClickButton(*dialog, u"getGlobalSettingsButton");
    EXPECT_EQ(Shown(*dialog, D::kMidiChannel), -1);
    keyboard.ClearLog();
    ClickButton(*dialog, u"sendGlobalSettingsButton");
    ASSERT_TRUE(keyboard.WaitIdle());
    EXPECT_EQ(keyboard.Count(SimKind::GlobalSet), 0u);
    EXPECT_EQ(keyboard.Count(SimKind::IdentityRequest), 0u);

    ListOf(*dialog, D::kMidiChannel)->SetSelectedIndex(0);
    ListOf(*dialog, D::kXyPadSensitivity)->SetSelectedIndex(-1);
    fake.strings["LABEL_GLOBALSETTINGS_NO_SELECTION_MESSAGEBOX_TEXT"] = "Pick every list.";
    ClickButton(*dialog, u"sendGlobalSettingsButton");
    ASSERT_TRUE(keyboard.WaitIdle());
    EXPECT_EQ(keyboard.Count(SimKind::GlobalSet), 0u);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{
                           "Global Settings Error: Choose a value in every list before sending the settings.",
                           "Global Settings Error: Pick every list."}));
}

TEST_F(GlobalSettings, KeyboardFaultsStopTheExchangeWithOneMessage)
{
    fake.manager = LMidiManager::Create(mmtest::FastTimings(30));
    keyboard.SetGlobal(0, 5);
    keyboard.SetGlobal(4, 1);
    RCPtr<D> dialog = Make();
    ASSERT_TRUE(dialog);

    // The second request goes unanswered: the first value is shown, the rest keep theirs.
    keyboard.SetAnswerOnly(SimKind::GlobalRequest, 1);
    ClickButton(*dialog, u"getGlobalSettingsButton");
    EXPECT_EQ(Shown(*dialog, D::kMidiChannel), 4);
    EXPECT_EQ(Shown(*dialog, D::kMackieHui), 0);
    // The first setting answered (asked again only if its reply came late on a busy machine),
    // then ten tries of the second; the third is never asked.
    std::map<int, size_t> asked;
    for (const auto& m : keyboard.Log())
        if (m.kind == SimKind::GlobalRequest && m.bytes.size() == 13)
            ++asked[m.bytes[11]];
    EXPECT_GE(asked[0], 1u);
    EXPECT_EQ(asked[4], 10u);
    EXPECT_EQ(asked.size(), 2u);
    keyboard.SetAnswerOnly(SimKind::GlobalRequest, 0);

    // A reply cut short is no reply.
    keyboard.ClearLog();
    keyboard.SetReplyLengthDelta(-1);
    keyboard.SetFaultsOnlyFor(SimKind::GlobalRequest);
    ClickButton(*dialog, u"getGlobalSettingsButton");
    EXPECT_EQ(keyboard.Count(SimKind::GlobalRequest), 10u);
    EXPECT_EQ(Shown(*dialog, D::kMackieHui), 0);
    keyboard.SetReplyLengthDelta(0);

    // Silent, or old firmware: only the firmware box, nothing exchanged.
    keyboard.ClearLog();
    keyboard.SetSilent(true);
    ClickButton(*dialog, u"sendGlobalSettingsButton");
    keyboard.SetSilent(false);
    keyboard.SetFirmware("1040");
    ClickButton(*dialog, u"getGlobalSettingsButton");
    ASSERT_TRUE(keyboard.WaitIdle());
    EXPECT_EQ(keyboard.Count(SimKind::GlobalSet) + keyboard.Count(SimKind::GlobalRequest), 0u);

    EXPECT_EQ(Boxes(), (std::vector<std::string>{kMidiError, kMidiError, kFirmware, kFirmware}));
}

TEST_F(GlobalSettings, ValuesAfterClosingAreDropped)
{
    RCPtr<D> dialog = CreateTopLevelAs<D>(u"globalEditorControl");
    ASSERT_TRUE(dialog);
    Announce(*fake.manager, u"PAD_SENSITIVITY", 4);
    Announce(*fake.manager, u"XYPAD_VELOCITY", 3); // not the dialog's
    EXPECT_EQ(Shown(*dialog, D::kPadSensitivity), 4);
    EXPECT_EQ(dialog->Close(1), S_OK);
    EXPECT_TRUE(dialog->IsClosed());
    Announce(*fake.manager, u"PAD_SENSITIVITY", 7);
    EXPECT_EQ(Shown(*dialog, D::kPadSensitivity), 4);
}

TEST_F(GlobalSettings, MissingPartsAreReportedByName)
{
    const std::string tail = " : LGlobalSettingsDlg::Initialize : UI\\LumoSeriesCommon\\GlobalSettingsDlg : Line ";
    EXPECT_EQ(CreationError(u"globalWithoutXyList"),
              "Runtime Error : Null Pointer : Could not find child combo box" + tail + "114");
    EXPECT_EQ(CreationError(u"globalWithoutKeyOctave"),
              "Runtime Error : Null Pointer : Could not find child Key Octave" + tail + "36");
    fake.manager = nullptr;
    EXPECT_EQ(CreationError(u"globalEditorControl"),
              "Runtime Error : Null Pointer : Could not find MidiManager" + tail + "126");
}

// ---------------------------------------------------------------- about

class About : public DialogsTest {};

TEST_F(About, ShowsTheProductLineAndTheNotice)
{
    RCPtr<LControl> about = Create(u"dialogAbout");
    ASSERT_TRUE(about);
    // The version block compiled into the program.
    const Version version;
    const std::string number = Narrow(version.GetProductVersion());
    ASSERT_FALSE(number.empty());
    EXPECT_EQ(Narrow(about->FindChild(WString(u"labelProduct"))->GetText()),
              Narrow(version.GetCompanyName()) + " " + Narrow(version.GetProductName()) + " Version " + number);
    EXPECT_EQ(Narrow(about->FindChild(WString(u"labelCopyright"))->GetText()), Narrow(version.GetCopyright()));
    EXPECT_EQ(Narrow(version.GetCompanyName()), "Tarvel");
    EXPECT_FALSE(version.GetCopyright().IsEmpty());
    Screenshot("about");

    // Without the version word the blanks stay.
    fake.strings.erase("APP_VERSION");
    RCPtr<LControl> bare = CreateTopLevel(u"dialogAbout");
    ASSERT_TRUE(bare);
    EXPECT_EQ(Narrow(bare->FindChild(WString(u"labelProduct"))->GetText()), "Tarvel Lumo 25 Preset Editor  " + number);

    EXPECT_EQ(CreationError(u"aboutWithoutCopyright"),
              "Runtime Error : Null Pointer : Cannot find child labelCopyright : LAboutDlg::Initialize : "
              "UI\\PresetEditorCommon\\AboutDlg : Line 25");
}

} // namespace
