// The moveable-control sub-editor and the fader and encoder edit panels on the editor's real skin:
// the 6-byte message both ways, byte exact; clamping and truncation of the number fields; silence
// while a value is shown; and the fader panel between the engine and the widgets.
#include "PanelsFixture.h"

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

// Counts what a sub-editor raises.
class Counter : public LNotificationClient {
public:
    KXRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override
    {
        if (n && !n->GetPayload())
            ++count;
        return 0;
    }
    uint32_t count = 0;
};

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
    // 200 is -56 as a signed byte: the boxes show 0, and no channel is selected anywhere.
    sub->SetMoveableMessage(Message({200, 0, 200, 0, 200, 255}));
    for (uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(sub->GetChannelCombos().ElementAt(i)->GetSelectedIndex(), -1);
    EXPECT_EQ(sub->GetNumberBoxes().ElementAt(0)->GetValue(), 0.0);
    EXPECT_EQ(sub->GetMaximumBoxes().ElementAt(0)->GetValue(), 0.0);
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
