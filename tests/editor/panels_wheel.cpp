// The wheel edit panel on the editor's real skin: the 5-byte value both ways, byte exact, and
// values of another length refused.
#include "PanelsFixture.h"

#include "editor/WheelEditPanel.h"

#include "kx/controls/NumericUpDown.h"

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

class WheelPanel : public paneltest::PanelTest {
protected:
    static constexpr int32_t kPitchWheelId = 5;

    void SetUp() override
    {
        PanelTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        StartEngine();
        BuildMain();
        ASSERT_TRUE(view);
        wheel = ViewChildAs<LWheelEditPanel>(u"wheelEditPanel");
        ASSERT_TRUE(wheel && wheel->GetSubEditor());
        wheel->SetFirstParamID(nullptr, kPitchWheelId, 0);
        RunIdle();
    }
    void TearDown() override
    {
        wheel = nullptr;
        PanelTest::TearDown();
    }

    RCPtr<LWheelEditPanel> wheel;
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
    EXPECT_EQ(apptest::Narrow(wheel->FindChild(WString(u"wheelName"))->GetText()), "P. WHEEL");
    // The model's pitch-wheel default came down the tree as the typed "Pitch Bend" message.
    EXPECT_EQ(Unsigned(wheel->GetSubEditor()->GetMoveableMessage()), (Bytes{0, 1, 16, 0, 0, 127}));

    EXPECT_EQ(wheel->SetParamValueLocal(ParamDescriptor(kPitchWheelId), viewtest::Bytes({2, 0, 1, 10, 100}), true),
              S_OK);
    EXPECT_EQ(Unsigned(wheel->GetSubEditor()->GetMoveableMessage()), (Bytes{2, 0, 1, 0, 10, 100}));
    wheel->GetSubEditor()->GetMaximumBoxes().ElementAt(0)->SetValueAndRead(90);
    EXPECT_EQ(EngineValue(kPitchWheelId), (Bytes{2, 0, 1, 10, 90}));
}

TEST_F(WheelPanel, RefusesValuesOfAnotherLengthAndKeepsWhatItShows)
{
    const Bytes shown = Unsigned(wheel->GetSubEditor()->GetMoveableMessage());
    EXPECT_EQ(wheel->SetParamValueLocal(ParamDescriptor(kPitchWheelId), viewtest::Bytes({1, 0, 9, 0, 0, 1}), true),
              E_FAIL);
    EXPECT_EQ(wheel->SetParamValueLocal(ParamDescriptor(kPitchWheelId), viewtest::Bytes({1, 0, 9, 0}), true), E_FAIL);
    EXPECT_EQ(wheel->SetParamValueLocal(ParamDescriptor(kPitchWheelId + 1), viewtest::Bytes({1, 0, 9, 0, 1}), true),
              E_FAIL);
    EXPECT_EQ(Unsigned(wheel->GetSubEditor()->GetMoveableMessage()), shown);
}
