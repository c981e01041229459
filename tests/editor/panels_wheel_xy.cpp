// The wheel, XY-pad and sustain pedal edit panels on the editor's real skin: the 5-byte wheel
// value, the 15-byte axis value and the 6-byte sustain value both ways, byte exact, and values of
// another length refused.
#include "PanelsFixture.h"

#include "editor/ButtonControlEditPanel.h"
#include "editor/NoteModeEditPanel.h"
#include "editor/PedalEditPanels.h"
#include "editor/WheelEditPanel.h"
#include "editor/XYPadEditPanel.h"
#include "kx/controls/ComboBox.h"
#include "kx/controls/Label.h"

#include "kx/controls/NumericUpDown.h"
#include "kx/controls/TabControl.h"

#include <gtest/gtest.h>

using namespace KX;
using Bytes = std::vector<uint8_t>;

namespace {

Array<signed char> Signed(const Bytes& bytes)
{
    Array<signed char> m;
    for (uint8_t b : bytes)
        m.AddItem(static_cast<signed char>(b));
    return m;
}
Bytes Unsigned(const Array<signed char>& m)
{
    Bytes out;
    for (uint32_t i = 0; i < m.GetCount(); ++i)
        out.push_back(static_cast<uint8_t>(m.ElementAt(i)));
    return out;
}

class WheelPanel : public paneltest::OnePanelTest<LWheelEditPanel> {
protected:
    static constexpr int32_t kPitchWheelId = 5;

    void SetUp() override
    {
        PanelTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_NO_FATAL_FAILURE(Open(u"wheelEditPanel", kPitchWheelId));
        ASSERT_TRUE(panel->GetSubEditor());
    }
};

} // namespace

TEST(WheelValueBytes, DropsAndRestoresTheRelativeFlag)
{
    EXPECT_EQ(Unsigned(WheelValue::ToMessage(Signed({0, 1, 16, 0, 127}))), (Bytes{0, 1, 16, 0, 0, 127}));
    EXPECT_EQ(Unsigned(WheelValue::FromMessage(Signed({2, 0, 1, 0, 10, 100}))), (Bytes{2, 0, 1, 10, 100}));
    // A relative flag the sub-editor might report never reaches the wheel's bytes.
    EXPECT_EQ(Unsigned(WheelValue::FromMessage(Signed({2, 0, 1, 1, 3, 0}))), (Bytes{2, 0, 1, 3, 0}));
}

TEST_F(WheelPanel, ShowsThePitchWheelDefaultAndSendsFiveBytes)
{
    EXPECT_EQ(apptest::Narrow(panel->FindChild(WString(u"wheelName"))->GetText()), "P. WHEEL");
    // The pitch wheel's default: the typed "Pitch Bend" message on the other page, read back whole.
    EXPECT_EQ(panel->SetParamValueLocal(ParamDescriptor(kPitchWheelId), viewtest::Bytes({0, 1, 16, 0, 127}), true),
              S_OK);
    EXPECT_EQ(panel->GetSubEditor()->GetTabControl()->GetSelectedIndex(), LMoveableControlEditPanel::kOtherPage);
    EXPECT_EQ(Unsigned(panel->GetSubEditor()->GetMoveableMessage()), (Bytes{0, 1, 16, 0, 0, 127}));

    EXPECT_EQ(panel->SetParamValueLocal(ParamDescriptor(kPitchWheelId), viewtest::Bytes({2, 0, 1, 10, 100}), true),
              S_OK);
    EXPECT_EQ(Unsigned(panel->GetSubEditor()->GetMoveableMessage()), (Bytes{2, 0, 1, 0, 10, 100}));
    panel->GetSubEditor()->GetMaximumBoxes().ElementAt(0)->SetValueAndRead(90);
    EXPECT_EQ(EngineValue(kPitchWheelId), (Bytes{2, 0, 1, 10, 90}));
}

TEST_F(WheelPanel, RefusesValuesOfAnotherLengthAndKeepsWhatItShows)
{
    const Bytes shown = Unsigned(panel->GetSubEditor()->GetMoveableMessage());
    EXPECT_EQ(panel->SetParamValueLocal(ParamDescriptor(kPitchWheelId), viewtest::Bytes({1, 0, 9, 0, 0, 1}), true),
              E_FAIL);
    EXPECT_EQ(panel->SetParamValueLocal(ParamDescriptor(kPitchWheelId), viewtest::Bytes({1, 0, 9, 0}), true), E_FAIL);
    EXPECT_EQ(panel->SetParamValueLocal(ParamDescriptor(kPitchWheelId + 1), viewtest::Bytes({1, 0, 9, 0, 1}), true),
              E_FAIL);
    EXPECT_EQ(Unsigned(panel->GetSubEditor()->GetMoveableMessage()), shown);
}

namespace {
class XYPadPanel : public paneltest::OnePanelTest<LXYPadEditPanel> {
protected:
    static constexpr int32_t kXAxisId = 81;

    void SetUp() override
    {
        PanelTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_NO_FATAL_FAILURE(Open(u"xyPadEditPanel", kXAxisId));
        ASSERT_TRUE(panel->GetMidiPage());
    }
};
} // namespace

TEST_F(XYPadPanel, SendsAllFifteenBytesAndRefusesOtherLengths)
{
    EXPECT_EQ(apptest::Narrow(panel->FindChild(WString(u"axisName"))->GetText()), "X-AXIS");
    const Bytes value{3, 0, 112, 0, 5, 120, 4, 60, 65, 62, 64, 67, 68, 70, 72};
    EXPECT_EQ(panel->SetParamValueLocal(ParamDescriptor(kXAxisId), viewtest::Bytes(value), true), S_OK);
    EXPECT_EQ(Unsigned(panel->GetMidiPage()->GetMoveableMessage()), (Bytes{3, 0, 112, 0, 5, 120}));
    EXPECT_EQ(Unsigned(panel->BuildValue()), value);

    // A MIDI page edit sends the whole value: the note-mode bytes as they were shown.
    panel->GetMidiPage()->GetMaximumBoxes().ElementAt(0)->SetValueAndRead(100);
    EXPECT_EQ(EngineValue(kXAxisId), (Bytes{3, 0, 112, 0, 5, 100, 4, 60, 65, 62, 64, 67, 68, 70, 72}));

    // A note-mode edit sends the whole value too: the first six bytes as the MIDI page says.
    panel->GetNoteModePage()->GetTypeCombo()->SetSelectedIndex(0);
    const Bytes sent = EngineValue(kXAxisId);
    ASSERT_EQ(sent.size(), 15u);
    EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 6), (Bytes{3, 0, 112, 0, 5, 100}));
    EXPECT_EQ(Bytes(sent.begin() + 6, sent.end()), Unsigned(panel->GetNoteModePage()->GetNoteModeValue()));
    EXPECT_NE(sent[6], 4) << "the type change reached the engine";

    // 14 or 16 bytes, or another axis's id, change neither page.
    const Bytes shown = Unsigned(panel->BuildValue());
    Bytes shortValue(14, 1);
    Bytes longValue(16, 1);
    EXPECT_EQ(panel->SetParamValueLocal(ParamDescriptor(kXAxisId), viewtest::Bytes(shortValue), true), E_FAIL);
    EXPECT_EQ(panel->SetParamValueLocal(ParamDescriptor(kXAxisId), viewtest::Bytes(longValue), true), E_FAIL);
    EXPECT_EQ(panel->SetParamValueLocal(ParamDescriptor(kXAxisId + 1), viewtest::Bytes(value), true), E_FAIL);
    EXPECT_EQ(Unsigned(panel->BuildValue()), shown);

    // An axis index outside the two keeps the name it has.
    panel->SetFirstParamID(nullptr, kXAxisId, 2);
    EXPECT_EQ(apptest::Narrow(panel->FindChild(WString(u"axisName"))->GetText()), "X-AXIS");
}

TEST_F(WheelPanel, SustainPedalShowsItsValueAsAButtonMessageAndRefusesOtherLengths)
{
    const RCPtr<LSustainPedalEditPanel> sustain = ViewChildAs<LSustainPedalEditPanel>(u"sustainEditPage");
    ASSERT_TRUE(sustain && sustain->GetSubEditor());
    constexpr int32_t kSustainId = 8;
    sustain->SetFirstParamID(nullptr, kSustainId, 0);
    RunIdle();
    EXPECT_EQ(sustain->SetParamValueLocal(ParamDescriptor(kSustainId), viewtest::Bytes({0, 0, 64, 0, 0, 127}), true),
              S_OK);
    const auto asBytes = [](const Array<char>& m) {
        Bytes out;
        for (uint32_t i = 0; i < m.GetCount(); ++i)
            out.push_back(static_cast<uint8_t>(m.ElementAt(i)));
        return out;
    };
    EXPECT_EQ(asBytes(SustainPedalValue::ToButtonMessage(Signed({0, 0, 64, 0, 0, 127}))),
              (Bytes{0, 0, 64, 0, 0, 1, 0, 1, 0, 127}));
    // The absolute controller page reads back controller 64 with the press value 127.
    const Bytes shown = asBytes(sustain->GetSubEditor()->GetButtonMessage());
    ASSERT_EQ(shown.size(), 10u);
    EXPECT_EQ(shown[2], 64);
    EXPECT_EQ(shown[9], 127);

    EXPECT_EQ(sustain->SetParamValueLocal(ParamDescriptor(kSustainId), viewtest::Bytes({1, 0, 9, 0, 0}), true), E_FAIL);
    EXPECT_EQ(sustain->SetParamValueLocal(ParamDescriptor(kSustainId), viewtest::Bytes({1, 0, 9, 0, 0, 1, 2}), true),
              E_FAIL);
    EXPECT_EQ(sustain->GetSubEditor()->GetButtonMessage().GetCount(), 10u);
    EXPECT_EQ(sustain->GetSubEditor()->GetButtonMessage().ElementAt(2), 64);

    // Back to six bytes: the release/press bytes the sub-editor holds are dropped.
    Array<char> edited;
    for (int b : {2, 0, 11, 0, 0, 1, 5, 1, 9, 100})
        edited.AddItem(static_cast<char>(b));
    EXPECT_EQ(Unsigned(SustainPedalValue::FromButtonMessage(edited)), (Bytes{2, 0, 11, 0, 0, 100}));
    EXPECT_EQ(SustainPedalValue::FromButtonMessage(Array<char>()).GetCount(), 0u);
}
