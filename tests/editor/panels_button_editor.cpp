// The button message sub-editor built from its own skin fragment and the shipped strings: each
// kind of message selects its page and fills it without telling the edit panel, the widgets build
// the message back byte for byte, the cycle pages show two to four values, and a list with no
// item selected never yields a message.
#include "ControlsHarness.h"

#include "editor/ButtonControlEditPanel.h"
#include "editor/ButtonMessage.h"
#include "editor/EditorClasses.h"

#include "kx/NotificationClient.h"
#include "kx/controls/Button.h"
#include "kx/controls/ComboBox.h"
#include "kx/controls/Label.h"
#include "kx/controls/NumericUpDown.h"
#include "kx/controls/TabControl.h"

#include <filesystem>

#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

using namespace KX;

namespace {

std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// The skin folder beside the strings' source.
std::string SkinFolder()
{
    return std::filesystem::path(KX_EDITOR_STRINGS_SOURCE).parent_path().parent_path().string() + "/skins/";
}

// The editor's looks and the sub-editor's fragment as a harness area, with a copy of the
// sub-editor that lacks its tab control.
std::string WriteArea()
{
    // One folder per process: ctest runs the tests of one program side by side.
    const std::string folder = ctltest::ScreenshotFolder() + "button_editor_area_" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    std::string skin = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Test_Skin_Root>\n"
                       "  <Application Name=\"ControlsTest\">\n";
    skin += Read(SkinFolder() + "appearance.xml");
    skin += "    <Skins>\n      <Skin Name=\"Default\" FontName=\"DejaVu Sans\" FontSize=\"9\">\n";
    skin += Read(SkinFolder() + "edit_button_message.xml");
    skin += "        <SubControl Class=\"PresetEditor.MainControl.EditPanel.ButtonTypePanel\" Name=\"bareEditor\" "
            "XPositionAbs=\"0\" YPositionAbs=\"0\" XSizeAbs=\"100\" YSizeAbs=\"100\">\n"
            "          <Skin Name=\"bareEditorSkin\" LookList=\"Bare\"/>\n        </SubControl>\n";
    skin += "      </Skin>\n    </Skins>\n  </Application>\n</Test_Skin_Root>\n";
    Write(folder + "/button_skin.xml", skin);
    Write(folder + "/button_strings.xml", Read(KX_EDITOR_STRINGS_SOURCE));
    return folder + "/button";
}

class ChangeCounter : public LNotificationClient {
public:
    KXRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&) override
    {
        ++count;
        return S_OK;
    }
    int count = 0;
};

std::vector<uint8_t> Bytes(const IArray<char>& a)
{
    std::vector<uint8_t> out;
    for (uint32_t i = 0; i < a.GetCount(); ++i)
        out.push_back(static_cast<uint8_t>(a.ElementAt(i)));
    return out;
}

Array<char> Msg(const std::vector<uint8_t>& bytes)
{
    Array<char> m;
    for (uint8_t b : bytes)
        m.AddItem(static_cast<char>(b));
    return m;
}

std::string Narrow(const WString& s)
{
    return s.ToNarrow().GetString();
}

class ButtonEditor : public ctltest::ControlsTest {
protected:
    std::vector<std::string> Areas() const override { return {WriteArea()}; }
    void RegisterClasses(LControlFactory& f) override { RegisterEditorControlClasses(f); }
    int32_t WindowWidth() const override { return 1168; }
    int32_t WindowHeight() const override { return 240; }

    void SetUp() override
    {
        ctltest::ControlsTest::SetUp();
        editor = CreateAs<LButtonControlEditPanel>(u"midiPage");
        ASSERT_TRUE(editor);
        counter = RCPtr<ChangeCounter>(new ChangeCounter());
        counter->RegisterForNotification(RCPtr<LNotificationDistributor>(editor), u"NID_PARAMETERS_CHANGED", 0);
    }
    void TearDown() override
    {
        counter->UnregisterFromAll();
        counter = nullptr;
        editor = nullptr;
        ctltest::ControlsTest::TearDown();
    }

    RCPtr<LControl> PageOf(const char16_t* name) { return editor->GetTabControl()->GetPageForTab(WString(name)); }
    RCPtr<LControl> On(const char16_t* page, std::initializer_list<const char16_t*> path)
    {
        RCPtr<LControl> c = PageOf(page);
        for (const char16_t* name : path)
            c = c ? c->FindChild(WString(name)) : RCPtr<LControl>();
        return c;
    }
    RCPtr<LNumericUpDown> Number(const char16_t* page, std::initializer_list<const char16_t*> path)
    {
        return RCPtr<LNumericUpDown>::DynamicCast(ConstRCPtr<LControl>(On(page, path)));
    }
    RCPtr<LComboBox> Combo(const char16_t* page, const char16_t* selector)
    {
        return RCPtr<LComboBox>::DynamicCast(ConstRCPtr<LControl>(On(page, {selector, u"comboBox"})));
    }
    std::string Label(const char16_t* page, const char16_t* field)
    {
        const RCPtr<LControl> label = On(page, {field, u"controlNameLabel"});
        return label ? Narrow(label->GetText()) : "<none>";
    }
    bool Showing(const char16_t* page, const char16_t* field)
    {
        const RCPtr<LControl> c = On(page, {field});
        return c && c->IsShowing(false);
    }
    // Shows the message and returns the selected page's name.
    std::string Show(const std::vector<uint8_t>& bytes)
    {
        Array<char> m = Msg(bytes);
        editor->SetButtonMessage(m);
        return Narrow(editor->GetTabControl()->GetSelectedName());
    }
    std::vector<uint8_t> Read() { return Bytes(editor->GetButtonMessage()); }

    RCPtr<LButtonControlEditPanel> editor;
    RCPtr<ChangeCounter> counter;
};

} // namespace

TEST_F(ButtonEditor, FindsEveryWidgetAndLabelsTheCycleValues)
{
    EXPECT_EQ(editor->GetChannelCombos().GetCount(), 10u);
    EXPECT_EQ(editor->GetCCNumbers().GetCount(), 3u);
    for (uint32_t i = 0; i < 10; ++i)
        ASSERT_TRUE(editor->GetChannelCombos().ElementAt(i)) << i;
    const RCPtr<LComboBox> channel = editor->GetChannelCombos().ElementAt(0);
    EXPECT_EQ(channel->GetItemCount(), 22);
    EXPECT_EQ(Narrow(channel->GetItemText(21)), "Omni");
    EXPECT_EQ(Combo(u"otherPage", u"type")->GetItemCount(), 16);
    EXPECT_EQ(Combo(u"mmcPage", u"mmc")->GetItemCount(), 13);
    EXPECT_EQ(Label(u"ccCyclePage", u"ccValue1") + "|" + Label(u"ccCyclePage", u"ccValue2") + "|" +
                  Label(u"ccCyclePage", u"ccValue3") + "|" + Label(u"ccCyclePage", u"ccValue4"),
              "FIRST|LAST|VALUE 2|VALUE 3");
    EXPECT_EQ(Label(u"programCyclePage", u"program1") + "|" + Label(u"programCyclePage", u"program4"), "FIRST|VALUE 3");
    // Every number field holds 0..127.
    const RCPtr<LNumericUpDown> note = Number(u"notePage", {u"note", u"noteSelector", u"numericUpDown"});
    EXPECT_EQ(note->SetValueAndRead(300.0), 127.0);
    EXPECT_EQ(note->SetValueAndRead(-5.0), 0.0);
}

TEST_F(ButtonEditor, EachMessageSelectsItsPageSilentlyAndReadsBackByteForByte)
{
    struct Case {
        const char* page;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"notePage", {0x00, 0x01, 0x13, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7F}},
        {"notePage", {0x05, 0x01, 0x14, 0x3C, 0x10, 0x00, 0x00, 0x00, 0x00, 0x64}},
        {"ccAbsolutePage", {0x00, 0x00, 0x40, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00, 0x70}},
        {"ccCyclePage", {0x01, 0x01, 0x12, 0x07, 0x0A, 0x01, 0x00, 0x01, 0x00, 0x14}},
        {"ccCyclePage", {0x02, 0x01, 0x12, 0x07, 0x0A, 0x00, 0x1E, 0x01, 0x00, 0x14}},
        {"ccCyclePage", {0x03, 0x01, 0x12, 0x07, 0x0A, 0x00, 0x1E, 0x00, 0x28, 0x14}},
        {"ccIncDecPage", {0x04, 0x01, 0x1A, 0x07, 0x05, 0x01, 0x00, 0x01, 0x00, 0x60}},
        {"ccIncDecPage", {0x04, 0x01, 0x19, 0x08, 0x06, 0x01, 0x00, 0x01, 0x00, 0x61}},
        {"programPage", {0x10, 0x01, 0x11, 0x05, 0x05, 0x00, 0x00, 0x00, 0x00, 0x02}},
        {"programCyclePage", {0x11, 0x01, 0x1D, 0x00, 0x0A, 0x01, 0x00, 0x01, 0x00, 0x14}},
        {"programCyclePage", {0x11, 0x01, 0x1D, 0x00, 0x0A, 0x00, 0x1E, 0x01, 0x00, 0x14}},
        {"programCyclePage", {0x11, 0x01, 0x1D, 0x00, 0x0A, 0x00, 0x1E, 0x00, 0x28, 0x14}},
        {"programIncDecPage", {0x12, 0x01, 0x1B, 0x00, 0x03, 0x01, 0x00, 0x01, 0x00, 0x09}},
        {"programIncDecPage", {0x12, 0x01, 0x1C, 0x00, 0x03, 0x01, 0x00, 0x01, 0x00, 0x09}},
        {"mmcPage", {0x13, 0x01, 0x15, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {"mmcPage", {0x13, 0x01, 0x15, 0x00, 0x0D, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {"nrpnRpnPage", {0x14, 0x01, 0x06, 0x40, 0x11, 0x00, 0x00, 0x00, 0x00, 0x22}},
        {"otherPage", {0x15, 0x01, 0x10, 0x00, 0x33, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {"otherPage", {0x00, 0x01, 0x18, 0x00, 0x7F, 0x00, 0x00, 0x00, 0x00, 0x00}},
    };
    for (const Case& c : cases) {
        counter->count = 0;
        EXPECT_EQ(Show(c.bytes), c.page) << "type " << int(c.bytes[2]);
        // A cycle type tells the edit panel once, from its cycle update; nothing else does.
        const bool cycle = c.page == std::string("ccCyclePage") || c.page == std::string("programCyclePage");
        EXPECT_EQ(counter->count, cycle ? 1 : 0) << "showing type " << int(c.bytes[2]);
        EXPECT_EQ(Read(), c.bytes) << c.page << " type " << int(c.bytes[2]);
    }
    // An absolute control change writes its controller to the other CC pages too.
    Show({0x00, 0x00, 0x40, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00, 0x70});
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(editor->GetCCNumbers().ElementAt(i)->GetValue(), 64.0) << i;
}

TEST_F(ButtonEditor, AStepWithoutBothFlagsIsShownAndReadAsACycle)
{
    EXPECT_EQ(Show({0x00, 0x01, 0x1A, 0x07, 0x05, 0x00, 0x06, 0x01, 0x00, 0x09}), "ccCyclePage");
    EXPECT_EQ(Combo(u"ccCyclePage", u"cycleType")->GetSelectedIndex(), 1);
    EXPECT_EQ(Read(), (std::vector<uint8_t>{0x00, 0x01, 0x12, 0x07, 0x05, 0x00, 0x06, 0x01, 0x00, 0x09}));
}

TEST_F(ButtonEditor, OutOfRangeBytesAreClampedIntoTheFields)
{
    // 0x90 reads as -112 and lands on 0; nothing above 127 can come back.
    Show({0x00, 0x01, 0x13, 0x90, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7F});
    EXPECT_EQ(Read(), (std::vector<uint8_t>{0x00, 0x01, 0x13, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7F}));
}

TEST_F(ButtonEditor, AListWithNothingSelectedYieldsNoMessage)
{
    // A channel beyond the list falls back to the global channel: the message stays whole.
    Show({0x1E, 0x01, 0x13, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7F});
    EXPECT_EQ(editor->GetChannelCombos().ElementAt(0)->GetSelectedIndex(), 0);
    ASSERT_EQ(editor->GetButtonMessage().GetCount(), 10u);
    EXPECT_EQ(editor->GetButtonMessage().ElementAt(0), 0x00);

    // A type beyond the other page's list selects nothing; such a message would carry 0xFF, which
    // the keyboard cannot take.

    EXPECT_EQ(Show({0x00, 0x01, 0x1E, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00}), "otherPage");
    EXPECT_EQ(Combo(u"otherPage", u"type")->GetSelectedIndex(), -1);
    EXPECT_EQ(editor->GetButtonMessage().GetCount(), 0u);

    // Choosing a type makes it whole again.
    Combo(u"otherPage", u"type")->SetSelectedIndex(3);
    EXPECT_EQ(Read(), (std::vector<uint8_t>{0x00, 0x01, 0x03, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00}));
}

TEST_F(ButtonEditor, AnUnlistedMmcCommandShowsOtherUntilTheNextMessage)
{
    const RCPtr<LComboBox> mmc = Combo(u"mmcPage", u"mmc");
    Show({0x00, 0x01, 0x15, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00});
    EXPECT_EQ(mmc->GetItemCount(), 12);
    Show({0x00, 0x01, 0x15, 0x00, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00});
    EXPECT_EQ(mmc->GetItemCount(), 13);
    EXPECT_EQ(mmc->GetSelectedIndex(), 12);
    EXPECT_EQ(Narrow(mmc->GetItemText(12)), "Other");
    EXPECT_EQ(Read()[4], 0x0C) << "\"Other\" keeps the command it stands for";
    Show({0x00, 0x01, 0x15, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x00, 0x00});
    EXPECT_EQ(mmc->GetItemCount(), 12);
    EXPECT_EQ(mmc->GetSelectedIndex(), 10);
}

TEST_F(ButtonEditor, EveryUserChangeTellsTheEditPanelOnce)
{
    // Two messages in a row leave one registration per widget.
    Show({0x00, 0x01, 0x13, 0x24, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7F});
    Show({0x00, 0x01, 0x13, 0x25, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7F});
    counter->count = 0;
    Number(u"notePage", {u"note", u"noteSelector", u"numericUpDown"})->SetValueAndRead(60.0);
    EXPECT_EQ(counter->count, 1);
    EXPECT_EQ(Read(), (std::vector<uint8_t>{0x00, 0x01, 0x13, 0x3C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7F}));

    counter->count = 0;
    editor->GetChannelCombos().ElementAt(0)->SetSelectedIndex(16);
    EXPECT_EQ(counter->count, 1);
    EXPECT_EQ(Read()[0], 16);

    // The latch box: its value change and its click each count.
    counter->count = 0;
    RCPtr<LButton> latch = RCPtr<LButton>::DynamicCast(ConstRCPtr<LControl>(On(u"notePage", {u"latching", u"button"})));
    ClickOn(*latch);
    EXPECT_EQ(counter->count, 2);
    EXPECT_EQ(Read()[2], 20);

    // Another page: the message now comes from its widgets.
    counter->count = 0;
    editor->GetTabControl()->SelectTab(WString(u"programPage"));
    EXPECT_EQ(counter->count, 1);
    EXPECT_EQ(Read()[2], 17);
}

TEST_F(ButtonEditor, CyclePagesShowTwoThreeOrFourValues)
{
    Show({0x00, 0x01, 0x12, 0x07, 0x0A, 0x00, 0x1E, 0x00, 0x28, 0x14});
    EXPECT_TRUE(Showing(u"ccCyclePage", u"ccValue4"));
    EXPECT_EQ(Label(u"ccCyclePage", u"ccValue4"), "LAST");

    const RCPtr<LComboBox> type = Combo(u"ccCyclePage", u"cycleType");
    counter->count = 0;
    type->SetSelectedIndex(1);
    EXPECT_EQ(counter->count, 1);
    EXPECT_TRUE(Showing(u"ccCyclePage", u"ccValue2"));
    EXPECT_TRUE(Showing(u"ccCyclePage", u"ccValue3"));
    EXPECT_FALSE(Showing(u"ccCyclePage", u"ccValue4"));
    EXPECT_EQ(Label(u"ccCyclePage", u"ccValue1") + "|" + Label(u"ccCyclePage", u"ccValue2") + "|" +
                  Label(u"ccCyclePage", u"ccValue3"),
              "FIRST|VALUE 2|LAST");
    EXPECT_EQ(Read(), (std::vector<uint8_t>{0x00, 0x01, 0x12, 0x07, 0x0A, 0x00, 0x1E, 0x01, 0x00, 0x28}));

    // Back to two values: the hidden fields keep their numbers.
    type->SetSelectedIndex(0);
    EXPECT_FALSE(Showing(u"ccCyclePage", u"ccValue3"));
    EXPECT_EQ(Label(u"ccCyclePage", u"ccValue2"), "LAST");
    EXPECT_EQ(Number(u"ccCyclePage", {u"ccValue4", u"numericUpDown"})->GetValue(), 20.0);
    EXPECT_EQ(Read(), (std::vector<uint8_t>{0x00, 0x01, 0x12, 0x07, 0x0A, 0x01, 0x00, 0x01, 0x00, 0x1E}));

    // The program cycle page follows its own type.
    Show({0x00, 0x01, 0x1D, 0x00, 0x0A, 0x00, 0x1E, 0x01, 0x00, 0x14});
    EXPECT_TRUE(Showing(u"programCyclePage", u"program3"));
    EXPECT_FALSE(Showing(u"programCyclePage", u"program4"));
    EXPECT_EQ(Label(u"programCyclePage", u"program3"), "LAST");
}

TEST_F(ButtonEditor, PadsShowNoteOnOffOnlyForLatchingNotes)
{
    const RCPtr<LControl> onOff = On(u"notePage", {u"onOffSelectors"});
    Show({0x00, 0x01, 0x13, 0x24, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7F});
    EXPECT_TRUE(onOff->IsShowing(false)) << "push buttons leave the group alone";
    editor->SetNoteOnOffFollowsLatch(true);
    Show({0x00, 0x01, 0x13, 0x24, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7F});
    EXPECT_FALSE(onOff->IsShowing(false));
    Show({0x00, 0x01, 0x14, 0x24, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7F});
    EXPECT_TRUE(onOff->IsShowing(false));
}

TEST_F(ButtonEditor, AMissingTabControlIsANullPointerErrorWithOnePrefix)
{
    std::string text;
    try {
        Create(u"bareEditor");
    } catch (const std::runtime_error& e) {
        text = e.what();
    }
    EXPECT_EQ(text.rfind("Runtime Error : Null Pointer : Couldn't find child tabControl : "
                         "LButtonControlEditPanel::Initialize",
                         0),
              0u)
        << text;
    EXPECT_EQ(text.find("Null Pointer", 20), std::string::npos) << text;
}

TEST_F(ButtonEditor, NoShownMessageReadsBackWithAByteTheKeyboardRefuses)
{
    for (int typed : {0x00, 0x01, 0x80}) {
        for (int type = 0; type < 256; ++type) {
            const std::vector<uint8_t> hostile{0x00, uint8_t(typed), uint8_t(type), 0xFF, 0x80,
                                               0xFF, 0x90,           0x00,          0xC0, 0xFF};
            const int before = counter->count;
            const std::string page = Show(hostile);
            EXPECT_EQ(counter->count - before, page == "ccCyclePage" || page == "programCyclePage" ? 1 : 0);
            const Array<char> read = editor->GetButtonMessage();
            if (read.GetCount() == 0)
                continue;
            EXPECT_TRUE(editor::IsSendableButtonMessage(read)) << "typed " << typed << " type " << type;
            EXPECT_EQ(read.GetCount(), editor::kButtonMessageLength);
        }
    }
}
