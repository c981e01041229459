// The push-button and pad edit panels in the main window built from the editor's own skin, over an
// engine with a connected device: a value shown fills the widgets and reads back byte for byte,
// every user change reaches the engine as the whole value, values of the wrong length or for another
// control are refused, and a box left without a choice never sends a byte of 0x80 or above.
#include "SkinTestDocs.h"
#include "ViewFixture.h"

#include "editor/ButtonControlEditPanel.h"
#include "editor/ButtonEditPanel.h"
#include "editor/PadEditPanel.h"

#include "kx/controls/ComboBox.h"
#include "kx/controls/Label.h"
#include "kx/controls/NumericUpDown.h"
#include "kx/controls/TabControl.h"

#include <filesystem>
#include <fstream>
#include <vector>

using namespace KX;
using viewtest::Bytes;

namespace {

constexpr int32_t kButton7 = IDevice::kPushButtonsOffset + 7; // first id 0
constexpr int32_t kPad15 = IDevice::kPadsOffset + 15;

// The group a panel reports its shown values to.
class ShownValues : public IPushButton {
public:
    KXRESULT SetParamValueGlobal(const ParamDescriptor& d, const Variant& v) override
    {
        shown.push_back({d.id, v});
        return S_OK;
    }
    std::vector<std::pair<int32_t, Variant>> shown;
};

std::vector<uint8_t> Unsigned(const Array<signed char>& bytes)
{
    std::vector<uint8_t> out;
    for (uint32_t i = 0; i < bytes.GetCount(); ++i)
        out.push_back(static_cast<uint8_t>(bytes.ElementAt(i)));
    return out;
}

// A folder of the test's own: the test processes run side by side.
std::string OwnAreaFolder(const char* stem)
{
    return ctltest::ScreenshotFolder() + stem + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

std::string Selected(const RCPtr<LComboBox>& combo)
{
    const int32_t index = combo->GetSelectedIndex();
    return index < 0 ? std::string("<none>") : viewtest::Narrow(combo->GetItemText(index));
}

class PadsPanels : public viewtest::ViewTest {
protected:
    std::vector<std::string> Areas() const override { return {skintest::WriteHarnessArea(OwnAreaFolder("pads_area"))}; }
    int32_t WindowWidth() const override { return 1200; }
    int32_t WindowHeight() const override { return 750; }

    void SetUp() override
    {
        viewtest::ViewTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        StartEngine();
        if (HasFatalFailure())
            return;
        BuildMain();
        if (HasFatalFailure())
            return;
        button = ViewChildAs<LButtonEditPanel>(u"buttonEditPanel");
        pad = ViewChildAs<LPadEditPanel>(u"padEditPanel");
        ASSERT_TRUE(button && pad);
        parent = RCPtr<ShownValues>(new ShownValues());
    }
    void TearDown() override
    {
        button = nullptr;
        pad = nullptr;
        viewtest::ViewTest::TearDown();
        parent = nullptr;
    }

    // The value the engine holds for id.
    std::vector<uint8_t> Stored(int32_t id)
    {
        Variant v;
        engine->GetParamValue(ParamDescriptor(id), v);
        uint32_t n = 0;
        const uint8_t* data = v.GetData(n);
        return data ? std::vector<uint8_t>(data, data + n) : std::vector<uint8_t>();
    }
    std::string Label(const RCPtr<LControl>& panel, const char16_t* name)
    {
        return viewtest::Narrow(panel->FindChild(WString(name))->GetText());
    }
    // The note number field of a panel's sub-editor.
    RCPtr<LNumericUpDown> NoteField(const RCPtr<LButtonControlEditPanel>& sub)
    {
        return FindNoteNumericUpDown(
            sub->GetTabControl()->GetPageForTab(WString(u"notePage"))->FindChild(WString(u"note")));
    }

    RCPtr<LButtonEditPanel> button;
    RCPtr<LPadEditPanel> pad;
    RCPtr<ShownValues> parent;
};

TEST_F(PadsPanels, PushButtonValueFillsTheWidgetsSendsNothingAndReadsBackByteForByte)
{
    button->SetFirstParamID(parent.Get(), kButton7, 7);
    EXPECT_EQ(Label(button, u"buttonName"), "BUTTON 3");
    EXPECT_EQ(Label(button, u"bankName"), "BANK 2");

    // Channel 3, colours 4 3 7 5, a latching note 60 (off 16, on 112), HID colour 2, key "A", modifier 5.
    const std::vector<uint8_t> value{0x03, 0x04, 0x03, 0x07, 0x05, 0x01, 0x14, 0x3C, 0x10,
                                     0x00, 0x00, 0x00, 0x00, 0x70, 0x02, 0x0A, 0x05};
    const int sets = comm->deviceSets.load();
    ASSERT_EQ(button->SetParamValueLocal(ParamDescriptor(kButton7), Bytes(value), true), S_OK);
    EXPECT_EQ(comm->deviceSets.load(), sets) << "showing a value sent it back";
    ASSERT_EQ(parent->shown.size(), 1u);
    EXPECT_EQ(parent->shown[0].first, kButton7);

    EXPECT_EQ(Selected(button->GetColorCombo(0)), "Magenta");
    EXPECT_EQ(Selected(button->GetColorCombo(1)), "Blue");
    EXPECT_EQ(Selected(button->GetColorCombo(2)), "White");
    EXPECT_EQ(Selected(button->GetColorCombo(3)), "Red");
    EXPECT_EQ(Selected(button->GetHidColorCombo()), "Cyan");
    EXPECT_EQ(Selected(button->GetKeyCombo()), "A");
    EXPECT_EQ(Selected(button->GetModifierCombo()), "Shift + Ctrl (Windows)");
    EXPECT_EQ(NoteField(button->GetButtonTypePanel())->GetValue(), 60.0);
    EXPECT_EQ(Unsigned(button->AssembleValue()), value);

    // The colour labels carry their numbers although the HID colour's selector comes first.
    const RCPtr<LControl> colors = button->FindChild(WString(u"viewTabControl"));
    const RCPtr<LControl> page =
        RCPtr<LTabControl>::DynamicCast(ConstRCPtr<LControl>(colors))->GetPageForTab(WString(u"colorPage"));
    EXPECT_EQ(Label(page->FindChild(WString(u"color1")), u"colorNameLabel"), "COLOR 1");
    EXPECT_EQ(Label(page->FindChild(WString(u"color4")), u"colorNameLabel"), "COLOR 4");
    EXPECT_EQ(Label(page->FindChild(WString(u"asciiColor")), u"colorNameLabel"), "HID COLOR");

    // Key bytes at the ends of the list: 0x57 is "Off", 0 the key "0", 85 "Num 0"; 86 names no key.
    std::vector<uint8_t> keyed = value;
    for (const auto& [byte, text] : std::vector<std::pair<uint8_t, std::string>>{
             {0x57, "Off"}, {0x00, "0"}, {85, "Num 0"}, {0xFF, "Off"}, {86, "<none>"}}) {
        keyed[15] = byte;
        ASSERT_EQ(button->SetParamValueLocal(ParamDescriptor(kButton7), Bytes(keyed), true), S_OK);
        EXPECT_EQ(Selected(button->GetKeyCombo()), text) << "key byte " << int(byte);
    }
}

TEST_F(PadsPanels, EveryPushButtonEditReachesTheEngineAsTheWholeValue)
{
    button->SetFirstParamID(parent.Get(), kButton7, 7);
    std::vector<uint8_t> value{0x00, 0x04, 0x03, 0x07, 0x05, 0x01, 0x13, 0x07, 0x00,
                               0x00, 0x00, 0x00, 0x00, 0x7F, 0x00, 0x00, 0x00};
    ASSERT_EQ(button->SetParamValueLocal(ParamDescriptor(kButton7), Bytes(value), true), S_OK);

    button->GetColorCombo(1)->SetSelectedIndex(6); // "Yellow"
    value[2] = 6;
    EXPECT_EQ(Stored(kButton7), value);
    button->GetKeyCombo()->SetSelectedIndex(0); // "Off"
    value[15] = 0x57;
    EXPECT_EQ(Stored(kButton7), value);
    button->GetKeyCombo()->SetSelectedIndex(86); // "Num 0"
    value[15] = 85;
    EXPECT_EQ(Stored(kButton7), value);
    button->GetModifierCombo()->SetSelectedIndex(28);
    value[16] = 28;
    EXPECT_EQ(Stored(kButton7), value);
    button->GetHidColorCombo()->SetSelectedIndex(7);
    value[14] = 7;
    EXPECT_EQ(Stored(kButton7), value);

    // A change in the sub-editor: the message bytes 5..13 follow, the panel's own bytes stay.
    const RCPtr<LNumericUpDown> note = NoteField(button->GetButtonTypePanel());
    ASSERT_TRUE(note);
    note->SetNormalizedValue(note->ValueToNormalized(61));
    value[7] = 61;
    EXPECT_EQ(Stored(kButton7), value);
}

TEST_F(PadsPanels, AnMmcCommandTheListDoesNotNameSurvivesUntilTheUserPicksAnother)
{
    button->SetFirstParamID(parent.Get(), kButton7, 7);
    // MMC command 0x40, which "Other" stands for, on a push button.
    std::vector<uint8_t> value{0x02, 0x04, 0x03, 0x07, 0x05, 0x01, 0x15, 0x00, 0x40,
                               0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x0A, 0x03};
    ASSERT_EQ(engine->SetParamValues(ParamDescriptor(kButton7), Bytes(value)), S_OK);
    RunIdle();
    ASSERT_EQ(button->SetParamValueLocal(ParamDescriptor(kButton7), Bytes(value), true), S_OK);
    EXPECT_EQ(Unsigned(button->AssembleValue()), value);

    // An edit elsewhere on the panel sends the command as it was.
    button->GetColorCombo(0)->SetSelectedIndex(6);
    value[1] = 6;
    EXPECT_EQ(Stored(kButton7), value);

    // A named command replaces it.
    const RCPtr<LComboBox> mmc = FindComboBoxChild(
        button->GetButtonTypePanel()->GetTabControl()->GetPageForTab(WString(u"mmcPage"))->FindChild(WString(u"mmc")));
    ASSERT_TRUE(mmc);
    mmc->SetSelectedIndex(1); // "Play"
    value[8] = 0x02;
    EXPECT_EQ(Stored(kButton7), value);
}

TEST_F(PadsPanels, AValueOfTheWrongLengthOrForAnotherControlIsRefusedAndChangesNothing)
{
    button->SetFirstParamID(parent.Get(), kButton7, 7);
    pad->SetFirstParamID(parent.Get(), kPad15, 15);
    const std::vector<uint8_t> shown{0x00, 0x01, 0x02, 0x03, 0x04, 0x01, 0x13, 0x07, 0x00,
                                     0x00, 0x00, 0x00, 0x00, 0x7F, 0x00, 0x00, 0x00};
    ASSERT_EQ(button->SetParamValueLocal(ParamDescriptor(kButton7), Bytes(shown), true), S_OK);
    const size_t reported = parent->shown.size();

    for (size_t n : {0u, 14u, 16u, 18u}) {
        std::vector<uint8_t> wrong(n, 0x06);
        EXPECT_EQ(button->SetParamValueLocal(ParamDescriptor(kButton7), Bytes(wrong), true), E_FAIL) << n;
    }
    std::vector<uint8_t> other = shown;
    other[1] = 7;
    EXPECT_EQ(button->SetParamValueLocal(ParamDescriptor(kButton7 + 1), Bytes(other), true), E_FAIL);
    EXPECT_EQ(Unsigned(button->AssembleValue()), shown);
    EXPECT_EQ(parent->shown.size(), reported) << "a refused value was passed on";

    const std::vector<uint8_t> padShown{0x00, 0x04, 0x03, 0x07, 0x05, 0x01, 0x13,
                                        0x33, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    ASSERT_EQ(pad->SetParamValueLocal(ParamDescriptor(kPad15), Bytes(padShown), true), S_OK);
    for (size_t n : {13u, 15u, 17u})
        EXPECT_EQ(pad->SetParamValueLocal(ParamDescriptor(kPad15), Bytes(std::vector<uint8_t>(n, 1)), true), E_FAIL);
    EXPECT_EQ(Unsigned(pad->AssembleValue()), padShown);
}

TEST_F(PadsPanels, ABoxLeftWithoutAChoiceKeepsTheStoredSettingInEveryEdit)
{
    button->SetFirstParamID(parent.Get(), kButton7, 7);
    const std::vector<uint8_t> good{0x00, 0x04, 0x03, 0x07, 0x05, 0x01, 0x13, 0x07, 0x00,
                                    0x00, 0x00, 0x00, 0x00, 0x7F, 0x00, 0x00, 0x00};
    ASSERT_EQ(engine->SetParamValues(ParamDescriptor(kButton7), Bytes(good)), S_OK);
    RunIdle();
    // Colour 3 names no item (0x80 reads as -128), the key byte 86 no key.
    std::vector<uint8_t> hostile = good;
    hostile[3] = 0x80;
    hostile[15] = 86;
    ASSERT_EQ(button->SetParamValueLocal(ParamDescriptor(kButton7), Bytes(hostile), true), S_OK);
    EXPECT_EQ(button->GetColorCombo(2)->GetSelectedIndex(), -1);
    EXPECT_EQ(button->GetKeyCombo()->GetSelectedIndex(), -1);

    // Each edit is taken; the empty boxes keep what the engine holds (colour 3 is 7, the key 0).
    button->GetColorCombo(0)->SetSelectedIndex(1);
    std::vector<uint8_t> sent = good;
    sent[1] = 1;
    EXPECT_EQ(Stored(kButton7), sent) << "the edit was dropped, or an empty box's byte reached the engine";
    button->GetKeyCombo()->SetSelectedIndex(11);
    sent[15] = 10;
    EXPECT_EQ(Stored(kButton7), sent);
    button->GetColorCombo(2)->SetSelectedIndex(2);
    sent[3] = 2;
    EXPECT_EQ(Stored(kButton7), sent);
}

TEST_F(PadsPanels, PadValueFillsTheWidgetsAndEveryEditSendsTheWholeValue)
{
    pad->SetFirstParamID(parent.Get(), kPad15, 15);
    EXPECT_EQ(Label(pad, u"padName"), "PAD 16");
    EXPECT_EQ(pad->SetPadLabelText(16), E_FAIL);
    EXPECT_EQ(Label(pad, u"padName"), "PAD 16");

    // The default of pad 15: colours 4 3 7 5, a momentary note 51 with velocities 0.
    std::vector<uint8_t> value{0x00, 0x04, 0x03, 0x07, 0x05, 0x01, 0x13, 0x33, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    const int sets = comm->deviceSets.load();
    ASSERT_EQ(pad->SetParamValueLocal(ParamDescriptor(kPad15), Bytes(value), true), S_OK);
    EXPECT_EQ(comm->deviceSets.load(), sets);
    EXPECT_EQ(Selected(pad->GetColorCombo(0)), "Cyan");
    EXPECT_EQ(Selected(pad->GetColorCombo(1)), "Aquamarine");
    EXPECT_EQ(Selected(pad->GetColorCombo(2)), "Violet");
    EXPECT_EQ(Selected(pad->GetColorCombo(3)), "Azure");
    EXPECT_EQ(Unsigned(pad->AssembleValue()), value);

    pad->GetColorCombo(3)->SetSelectedIndex(13); // "White", the last pad colour
    value[4] = 13;
    EXPECT_EQ(Stored(kPad15), value);
    const RCPtr<LNumericUpDown> note = NoteField(pad->GetButtonTypePanel());
    ASSERT_TRUE(note);
    note->SetNormalizedValue(note->ValueToNormalized(200)); // clamped to 127
    value[7] = 127;
    EXPECT_EQ(Stored(kPad15), value);
    pad->GetColorCombo(0)->SetSelectedIndex(14); // past the list: no choice, nothing sent
    EXPECT_EQ(Stored(kPad15), value);
}

TEST_F(PadsPanels, ColourAndKeyStrokePagesShowTheirBoxes)
{
    view->ShowEditPanel(LDeviceView::kPushButtonPanel, 0);
    button->SetFirstParamID(parent.Get(), kButton7, 7);
    RunIdle(); // the engine's current value arrives first
    const std::vector<uint8_t> value{0x00, 0x04, 0x03, 0x07, 0x05, 0x01, 0x13, 0x07, 0x00,
                                     0x00, 0x00, 0x00, 0x00, 0x7F, 0x06, 0x24, 0x19};
    ASSERT_EQ(button->SetParamValueLocal(ParamDescriptor(kButton7), Bytes(value), true), S_OK);
    const RCPtr<LTabControl> tabs =
        RCPtr<LTabControl>::DynamicCast(ConstRCPtr<LControl>(button->FindChild(WString(u"viewTabControl"))));
    ASSERT_TRUE(tabs);
    const std::filesystem::path folder = KX_EDITOR_SCREENSHOTS;
    std::filesystem::create_directories(folder);
    for (const char16_t* page : {u"colorPage", u"asciiPage"}) {
        ASSERT_EQ(tabs->SelectTab(WString(page)), S_OK);
        RunIdle();
        EXPECT_TRUE(tabs->GetPageForTab(WString(page))->IsShowing(false));
        const std::string name = "edit_push_button_" + viewtest::Narrow(WString(page));
        std::error_code error;
        std::filesystem::copy_file(Screenshot(name), folder / (name + ".png"),
                                   std::filesystem::copy_options::overwrite_existing, error);
        EXPECT_FALSE(error) << error.message();
    }
    EXPECT_EQ(Selected(button->GetKeyCombo()), "Space");
    EXPECT_EQ(Selected(button->GetModifierCombo()), "Shift + Ctrl + Cmd (Mac)");
}

// The editor's skin with the pad panel's third colour selector misnamed.
class PadsPanelsBrokenSkin : public viewtest::ViewTest {
protected:
    std::vector<std::string> Areas() const override
    {
        const std::string area = skintest::WriteHarnessArea(OwnAreaFolder("pads_broken_area"));
        std::string skin = skintest::ReadFile(area + "_skin.xml");
        const std::string selector = "Class=\"PresetEditor.Control.LabeledPadColorSelector\" Name=\"color3\"";
        const size_t at = skin.find(selector);
        if (at != std::string::npos)
            skin.replace(at, selector.size(),
                         "Class=\"PresetEditor.Control.LabeledPadColorSelector\" Name=\"colour3\"");
        std::ofstream(area + "_skin.xml", std::ios::binary) << skin;
        return {area};
    }
};

TEST_F(PadsPanelsBrokenSkin, AMissingColourSelectorIsNamedWithoutADoubledPrefix)
{
    try {
        const RCPtr<LControl> main = CreateMain(u"mainControl");
        ASSERT_TRUE(main);
        // The panel is made when it is first shown.
        main->FindChild(WString(u"viewDevice"))->FindChild(WString(u"padEditPanel"))->SetVisible(true);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        const std::string text = e.what();
        EXPECT_EQ(text.rfind("Runtime Error : Null Pointer : Couldn't find child color3 : LPadEditPanel::Initialize : "
                             "UI\\LumoSeriesCommon\\PadEditPanel : Line ",
                             0),
                  0u)
            << text;
    }
}

} // namespace
