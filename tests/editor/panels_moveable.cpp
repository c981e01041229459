// The moveable-control sub-editor and the fader and encoder edit panels on the editor's real skin:
// the 6-byte message both ways, byte exact; clamping and truncation of the number fields; silence
// while a value is shown; and the fader panel between the engine and the widgets.
#include "PanelsFixture.h"

#include "editor/ControlUtilities.h"
#include "editor/EncoderEditPanel.h"
#include "editor/MoveableControlEditPanel.h"

#include "kx/controls/ComboBox.h"
#include "kx/controls/Label.h"
#include "kx/controls/NumericUpDown.h"
#include "kx/controls/TabControl.h"

#include <gtest/gtest.h>

using namespace KX;
using Bytes = std::vector<uint8_t>;

namespace {

using Counter = ctltest::PlainNotificationCounter;

class MoveablePanels : public paneltest::PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        StartEngine();
        BuildMain();
        ASSERT_TRUE(view);
        fader = ViewChildAs<LFaderEditPanel>(u"faderEditPanel");
        encoder = ViewChildAs<LEncoderEditPanel>(u"knobEditPanel");
        faders = ViewChildAs<paneltest::FaderGroup>(u"faders");
        ASSERT_TRUE(fader && encoder && faders);
        sub = fader->GetSubEditor();
        ASSERT_TRUE(sub);
        counter = RCPtr<Counter>(new Counter());
        counter->RegisterForNotification(RCPtr<LNotificationDistributor>(sub.Get()), NID_PARAMETERS_CHANGED, 0);
    }

    void TearDown() override
    {
        if (counter)
            counter->UnregisterFromAll();
        counter = nullptr;
        sub = nullptr;
        faders = nullptr;
        encoder = nullptr;
        fader = nullptr;
        PanelTest::TearDown();
    }

    static Array<signed char> Message(const Bytes& bytes)
    {
        Array<signed char> m;
        for (uint8_t b : bytes)
            m.AddItem(static_cast<signed char>(b));
        return m;
    }
    static Bytes Read(LMoveableControlEditPanel& editor)
    {
        const Array<signed char> m = editor.GetMoveableMessage();
        Bytes out;
        for (uint32_t i = 0; i < m.GetCount(); ++i)
            out.push_back(static_cast<uint8_t>(m.ElementAt(i)));
        return out;
    }
    static std::string Selected(const RCPtr<LComboBox>& combo)
    {
        return apptest::Narrow(combo->GetItemText(combo->GetSelectedIndex()));
    }
    // Points the fader panel at fader index and lets the engine's value come down the tree.
    void Target(int32_t index)
    {
        view->ShowEditPanel(LDeviceView::kFaderPanel, 0);
        fader->SetFirstParamID(faders.Get(), kFirstFaderId + index, index);
        RunIdle();
    }

    RCPtr<LFaderEditPanel> fader;
    RCPtr<LEncoderEditPanel> encoder;
    RCPtr<paneltest::FaderGroup> faders;
    RCPtr<LMoveableControlEditPanel> sub;
    RCPtr<Counter> counter;
};

} // namespace

TEST_F(MoveablePanels, ShowsEachPageAndReadsTheSameSixBytesBack)
{
    struct Case {
        Bytes bytes;
        const char* page;
        const char* channel;
    } cases[] = {
        {{3, 0, 74, 1, 2, 0}, "ccRelativePage", "Channel 3"},
        {{0, 1, 6, 0, 5, 1}, "nrpnRpnPage", "Global"},
        {{21, 1, 16, 0, 0, 127}, "otherPage", "Omni"},
        {{20, 1, 17, 0, 3, 90}, "otherPage", "Zone 4"},
        {{16, 0, 1, 0, 10, 100}, "ccAbsolutePage", "Channel 16"},
    };
    for (const Case& c : cases) {
        sub->SetMoveableMessage(Message(c.bytes));
        EXPECT_EQ(apptest::Narrow(sub->GetTabControl()->GetSelectedName()), c.page);
        for (uint32_t i = 0; i < 4; ++i)
            EXPECT_EQ(Selected(sub->GetChannelCombos().ElementAt(i)), c.channel);
        EXPECT_EQ(Read(*sub), c.bytes);
    }
    // What the widgets showed for the cases above.
    sub->SetMoveableMessage(Message({3, 0, 74, 1, 2, 0}));
    EXPECT_EQ(Selected(sub->GetRelativeTypeCombo()), "Up (Type 2)");
    EXPECT_EQ(sub->GetNumberBoxes().ElementAt(1)->GetValue(), 74.0);
    sub->SetMoveableMessage(Message({0, 1, 6, 0, 5, 1}));
    EXPECT_EQ(Selected(sub->GetRpnTypeCombo()), "NRPN Coarse");
    EXPECT_EQ(sub->GetLsbBox()->GetValue(), 5.0);
    EXPECT_EQ(sub->GetMsbBox()->GetValue(), 1.0);
    // The dropped item leaves Pitch Bend at 12 and Reverb Time at 13 of the other page's list.
    sub->SetMoveableMessage(Message({0, 1, 16, 0, 0, 127}));
    EXPECT_EQ(sub->GetOtherTypeCombo()->GetSelectedIndex(), 12);
    EXPECT_EQ(Selected(sub->GetOtherTypeCombo()), "Pitch Bend");
    sub->SetMoveableMessage(Message({0, 1, 17, 0, 0, 127}));
    EXPECT_EQ(Selected(sub->GetOtherTypeCombo()), "Reverb Time (Sysex)");
    EXPECT_EQ(sub->GetOtherTypeCombo()->GetItemCount(), 15);
}

TEST_F(MoveablePanels, WidgetsSetByHandGiveTheBytesOfTheirPage)
{
    sub->GetTabControl()->SelectTab(WString(u"otherPage"));
    sub->GetOtherTypeCombo()->SetSelectedIndex(14); // "Chorus Type (Sysex)", code 18
    sub->GetChannelCombos().ElementAt(3)->SetSelectedIndex(17);
    sub->GetMinimumBoxes().ElementAt(1)->SetValueAndRead(12);
    sub->GetMaximumBoxes().ElementAt(1)->SetValueAndRead(99);
    EXPECT_EQ(Read(*sub), (Bytes{17, 1, 18, 0, 12, 99}));

    sub->GetTabControl()->SelectTab(WString(u"nrpnRpnPage"));
    sub->GetRpnTypeCombo()->SetSelectedIndex(3);
    EXPECT_EQ(Read(*sub)[2], 7) << "NRPN Fine";

    // No page selected: six zeros.
    sub->GetTabControl()->SelectTab(WString(u"noSuchPage"));
    EXPECT_EQ(Read(*sub), Bytes(6, 0));
}

TEST_F(MoveablePanels, NumberFieldsClampWhatTheyShowAndGiveWholeBytes)
{
    // 200 is -56 as a signed byte: the boxes show 0, and every channel list falls back to its
    // first item (the global channel).
    sub->SetMoveableMessage(Message({200, 0, 200, 0, 200, 255}));
    for (uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(sub->GetChannelCombos().ElementAt(i)->GetSelectedIndex(), 0);
    EXPECT_EQ(sub->GetNumberBoxes().ElementAt(0)->GetValue(), 0.0);
    EXPECT_EQ(sub->GetMaximumBoxes().ElementAt(0)->GetValue(), 0.0);
    EXPECT_EQ(Read(*sub)[0], 0x00);
    sub->GetChannelCombos().ElementAt(0)->SetSelectedIndex(-1);
    EXPECT_EQ(Read(*sub)[0], 0xFF) << "an unselected combo reads as 0xFF";

    const RCPtr<LNumericUpDown> maximum = sub->GetMaximumBoxes().ElementAt(0);
    EXPECT_EQ(maximum->SetValueAndRead(300), 127.0);
    EXPECT_EQ(Read(*sub)[5], 127);
    // A position between two whole numbers settles on the box's whole number, which is the byte.
    maximum->SetNormalizedValue(maximum->ValueToNormalized(99.4));
    EXPECT_EQ(Read(*sub)[5], static_cast<uint8_t>(maximum->GetValue()));
    EXPECT_EQ(maximum->SetValueAndRead(-3), 0.0);
}

TEST_F(MoveablePanels, ShowingRaisesNothingAndEachLaterChangeRaisesOne)
{
    const uint32_t before = counter->count;
    sub->SetMoveableMessage(Message({3, 0, 74, 0, 5, 100}));
    EXPECT_EQ(counter->count, before);
    sub->GetChannelCombos().ElementAt(2)->SetSelectedIndex(9);
    EXPECT_EQ(counter->count, before + 1);
    sub->GetLsbBox()->SetValueAndRead(33);
    EXPECT_EQ(counter->count, before + 2);
}

TEST_F(MoveablePanels, FaderPanelShowsItsFaderAndSendsEveryChangeAsAWholeValue)
{
    Target(7);
    EXPECT_EQ(apptest::Narrow(fader->FindChild(WString(u"faderName"))->GetText()), "FADER 3");
    EXPECT_EQ(apptest::Narrow(fader->FindChild(WString(u"bankName"))->GetText()), "BANK 2");
    // The model's default for fader 7 came down the tree, was shown and reported to the group,
    // and showing it sent nothing back.
    EXPECT_EQ(Read(*sub), (Bytes{0, 0, 7, 0, 0, 127}));
    ASSERT_FALSE(faders->reported.empty());
    EXPECT_EQ(faders->reported.back(), (std::pair<int32_t, Bytes>{kFirstFaderId + 7, Bytes{0, 0, 7, 0, 0, 127}}));
    const int sets = comm->deviceSets.load();
    EXPECT_EQ(sets, 0);

    sub->GetNumberBoxes().ElementAt(0)->SetValueAndRead(74);
    EXPECT_EQ(EngineValue(kFirstFaderId + 7), (Bytes{0, 0, 74, 0, 0, 127}));
    sub->GetChannelCombos().ElementAt(0)->SetSelectedIndex(3);
    EXPECT_EQ(EngineValue(kFirstFaderId + 7), (Bytes{3, 0, 74, 0, 0, 127}));
    // A click on a page button alone is an edit: the relative page gives what it showed, the
    // channel and controller of the last message shown, not those chosen on the absolute page.
    ClickOn(*sub->GetTabControl()->GetButtonHolder()->FindChild(WString(u"ccRelativePage")));
    RunIdle();
    EXPECT_EQ(EngineValue(kFirstFaderId + 7), (Bytes{0, 0, 7, 1, 0, 0}));
    sub->GetRelativeTypeCombo()->SetSelectedIndex(3);
    EXPECT_EQ(EngineValue(kFirstFaderId + 7), (Bytes{0, 0, 7, 1, 3, 0}));
    EXPECT_EQ(comm->deviceSets.load(), 4);
    EXPECT_EQ(EngineValue(kFirstFaderId + 6), (Bytes{0, 0, 6, 0, 0, 127})) << "the neighbour is untouched";
}

TEST_F(MoveablePanels, FaderPanelRefusesForeignValuesAndAnUnselectedComboKeepsTheStoredByte)
{
    Target(2);
    const Bytes shown = Read(*sub);
    EXPECT_EQ(fader->SetParamValueLocal(ParamDescriptor(kFirstFaderId + 2), viewtest::Bytes({1, 0, 9, 0, 0}), true),
              E_FAIL);
    EXPECT_EQ(
        fader->SetParamValueLocal(ParamDescriptor(kFirstFaderId + 2), viewtest::Bytes({1, 0, 9, 0, 0, 1, 2}), true),
        E_FAIL);
    EXPECT_EQ(fader->SetParamValueLocal(ParamDescriptor(kFirstFaderId + 3), viewtest::Bytes({1, 0, 9, 0, 0, 1}), true),
              E_FAIL);
    EXPECT_EQ(Read(*sub), shown);

    // A channel byte of 200 shows the global channel, so the next edit is sent whole.
    EXPECT_EQ(
        fader->SetParamValueLocal(ParamDescriptor(kFirstFaderId + 2), viewtest::Bytes({200, 0, 9, 0, 0, 1}), true),
        S_OK);
    EXPECT_EQ(sub->GetChannelCombos().ElementAt(0)->GetSelectedIndex(), 0);
    sub->GetMaximumBoxes().ElementAt(0)->SetValueAndRead(64);
    EXPECT_EQ(EngineValue(kFirstFaderId + 2), (Bytes{0, 0, 9, 0, 0, 64}));
    // An unselected combo keeps the stored channel; the edit is taken.
    sub->GetChannelCombos().ElementAt(0)->SetSelectedIndex(-1);
    sub->GetMaximumBoxes().ElementAt(0)->SetValueAndRead(32);
    EXPECT_EQ(EngineValue(kFirstFaderId + 2), (Bytes{0, 0, 9, 0, 0, 32}));
    // A channel chosen is sent.
    sub->GetChannelCombos().ElementAt(0)->SetSelectedIndex(5);
    EXPECT_EQ(EngineValue(kFirstFaderId + 2), (Bytes{5, 0, 9, 0, 0, 32}));
}

TEST_F(MoveablePanels, LabelsFollowTheIndexWithinTheirRange)
{
    fader->SetFaderLabelText(19);
    EXPECT_EQ(apptest::Narrow(fader->FindChild(WString(u"faderName"))->GetText()), "FADER 5");
    EXPECT_EQ(apptest::Narrow(fader->FindChild(WString(u"bankName"))->GetText()), "BANK 4");
    fader->SetFaderLabelText(20);
    EXPECT_EQ(apptest::Narrow(fader->FindChild(WString(u"faderName"))->GetText()), "FADER 5");

    encoder->SetEncoderLabelText(13);
    EXPECT_EQ(apptest::Narrow(encoder->FindChild(WString(u"knobName"))->GetText()), "ENCODER 2");
    EXPECT_EQ(apptest::Narrow(encoder->FindChild(WString(u"bankName"))->GetText()), "BANK 4");
    encoder->SetEncoderLabelText(16);
    EXPECT_EQ(apptest::Narrow(encoder->FindChild(WString(u"knobName"))->GetText()), "ENCODER 2");
}

TEST_F(MoveablePanels, AMissingSubEditorIsNamedOnceAsANullPointer)
{
    const RCPtr<LFaderEditPanel> bare(new LFaderEditPanel(Page(), WString(u"bareFaderPanel")));
    try {
        bare->Initialize();
        FAIL() << "no error for a panel without its sub-editor";
    } catch (const std::runtime_error& e) {
        const std::string text = e.what();
        EXPECT_EQ(text.rfind("Runtime Error : Null Pointer : Cannot find child: moveableTypePanel : "
                             "LFaderEditPanel::Initialize",
                             0),
                  0u)
            << text;
        EXPECT_EQ(text.find("Null Pointer", 20), std::string::npos) << text;
    }
}

TEST_F(MoveablePanels, WidgetListsGoOnPastAGapForRangesAndStopAtItForHandlers)
{
    RCPtrArray<LNumericUpDown> list;
    list.AddItem(sub->GetLsbBox());
    list.AddItem(RCPtr<LNumericUpDown>());
    list.AddItem(sub->GetMsbBox());
    EXPECT_EQ(editor::SetValueRangeForAllArrayItems(list, 0.0, 15.0), E_FAIL);
    EXPECT_EQ(sub->GetMsbBox()->SetValueAndRead(40), 15.0) << "the entry after the gap got its range";

    LNotificationHandler<Counter> handler(counter.Get());
    try {
        editor::SetNotificationForAllArrayItems(list, handler, &Counter::Receive, NID_VALUE_CHANGE);
        FAIL() << "an empty entry registers nothing";
    } catch (const FailedResultException& e) {
        EXPECT_NE(std::string(e.what()).find("KXRESULT = 80070057 : SetNotificationForAllArrayItems"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(handler.GetBindingCount(), 1u) << "the entry before the gap stays registered";
}
