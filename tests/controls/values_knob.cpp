// Knobs made from the skin and driven through the offscreen window: the radial gesture with its
// dead zone, the linear gesture with its axis rule, fine steps and quantizing, frames, values set
// during a drag, keys, and the focus and disabled images laid over the frames.
#include "ValuesFixture.h"

#include "kx/controls/Knob.h"
#include "kx/ui/ControlFactory.h"
#include "kx/ui/Look.h"

using namespace KX;
using valuestest::ValuesTest;

namespace {

class KnobTest : public ValuesTest {
protected:
    // A linear knob of frames frames and the given create parameters, read after the area's skin.
    RCPtr<LKnob> MakeLinear(int frames, const std::string& params = "")
    {
        std::string looks;
        for (int i = 0; i < frames; ++i)
            looks += "<Look Name=\"ValFrame" + std::to_string(i % 11) + "Look\" Index=\"" + std::to_string(i) + "\"/>";
        const std::string document =
            "<Root><Application Name=\"ControlsTest\"><LookLists><LookList Name=\"ManyFrames\" NumLooks=\"" +
            std::to_string(frames) + "\">" + looks +
            "</LookList></LookLists><Skins><Skin Name=\"Knobs\"><SubControl Class=\"Framework.Knob\" Name=\"manyKnob\" "
            "XPositionAbs=\"200\" YPositionAbs=\"40\" XSizeAbs=\"60\" YSizeAbs=\"60\" TabStop=\"1\">" +
            (params.empty() ? std::string() : "<CreateParamList>" + params + "</CreateParamList>") +
            "<Skin Name=\"ManySkin\" LookList=\"ManyFrames\"/></SubControl></Skin></Skins></Application></Root>";
        EXPECT_EQ(factory->ParseXMLBuffer(document.data(), document.size()), S_OK)
            << factory->GetLastXMLErrorText().ToNarrow().GetString();
        return Make<LKnob>(u"manyKnob");
    }
    static bool FramesCarryImage(const LKnob& knob, const char* which)
    {
        for (int32_t i = 0; i < knob.GetFrameCount(); ++i) {
            const auto* look = dynamic_cast<const LLook*>(knob.GetLookAt(i).Get());
            const bool has = look && look->GetImagePart();
            if (has != (which != nullptr))
                return false;
        }
        return true;
    }
};

} // namespace

TEST_F(KnobTest, TheRadialGestureFollowsTheAngleAndSnapsToTheNearerEndInTheGap)
{
    RCPtr<LKnob> knob = Make<LKnob>(u"radialKnob");
    ASSERT_TRUE(knob);
    EXPECT_TRUE(knob->IsRadial());
    EXPECT_EQ(knob->GetFrameCount(), 11);
    const PointT<int32_t> corner = CornerOf(*knob);
    const PointT<int32_t> centre{corner.x + 30, corner.y + 30};
    // Straight up is halfway from 225 to 135 degrees (through 0).
    Press(centre.x, centre.y - 20);
    EXPECT_DOUBLE_EQ(knob->GetNormalizedValue(), 0.5) << "the press sets the value at once";
    EXPECT_EQ(knob->GetFirstVisibleLook(), 5);
    MoveTo(centre.x + 1, centre.y + 57); // just right of straight down: 179 degrees
    EXPECT_EQ(knob->GetNormalizedValue(), 1.0);
    MoveTo(centre.x - 1, centre.y + 57); // 181 degrees
    EXPECT_EQ(knob->GetNormalizedValue(), 0.0);
    MoveTo(centre.x + 20, centre.y); // 90 degrees: a third of the way from 225 round to 135
    EXPECT_NEAR(knob->GetNormalizedValue(), 225.0 / 270.0, 1e-12);
    Release(centre.x + 20, centre.y);
    ASSERT_GE(log->lines.size(), 2u);
    EXPECT_EQ(log->lines.front(), "NID_VALUE_CHANGE_CAPTURE:1");
    EXPECT_EQ(log->lines.back(), "NID_VALUE_CHANGE_CAPTURE:0");
    EXPECT_EQ(log->Count("NID_VALUE_CHANGE:"), 4);

    // Frames: 11 frames at 0.55 show frame 6 (5.5 rounds up).
    knob->SetNormalizedValue(0.55);
    EXPECT_EQ(knob->GetFirstVisibleLook(), 6);
    Screenshot("radial");
}

TEST_F(KnobTest, TheLinearGestureQuantizesToTheTravelAndCountsOnlyTheLeadingAxis)
{
    RCPtr<LKnob> knob = MakeLinear(64);
    ASSERT_TRUE(knob);
    EXPECT_FALSE(knob->IsRadial());
    EXPECT_EQ(knob->GetFrameCount(), 64);
    EXPECT_EQ(knob->GetLinearFullRange(), 128) << "128 pixels, a whole multiple of 64 frames";
    const PointT<int32_t> at = CentreOf(*knob);
    Press(at.x, at.y);
    MoveTo(at.x + 3, at.y);
    EXPECT_DOUBLE_EQ(knob->GetNormalizedValue(), 3.0 / 127.0);
    MoveTo(at.x + 3, at.y - 2); // up increases as right does
    EXPECT_DOUBLE_EQ(knob->GetNormalizedValue(), 5.0 / 127.0);
    MoveTo(at.x + 13, at.y - 2); // a rightward move...
    EXPECT_DOUBLE_EQ(knob->GetNormalizedValue(), 15.0 / 127.0);
    MoveTo(at.x + 14, at.y + 1); // ...then steeply down-right: only its rightward pixel counts
    EXPECT_DOUBLE_EQ(knob->GetNormalizedValue(), 16.0 / 127.0);
    MoveTo(at.x - 200, at.y + 1);
    EXPECT_EQ(knob->GetNormalizedValue(), 0.0) << "clamped at the start";
    // A value from outside waits for the drag's end.
    EXPECT_EQ(knob->SetNormalizedValue(0.5), 0.0);
    Release(at.x - 200, at.y + 1);
    EXPECT_EQ(knob->GetNormalizedValue(), 0.5);
    EXPECT_EQ(log->lines.back(), "NID_VALUE_CHANGE_CAPTURE:0");
    EXPECT_EQ(log->nonFinite, 0);
}

TEST_F(KnobTest, CtrlSlowsTheLinearGestureToAQuarterAndQuantizesFourTimesFiner)
{
    RCPtr<LKnob> knob = MakeLinear(64);
    ASSERT_TRUE(knob);
    const PointT<int32_t> at = CentreOf(*knob);
    Press(at.x, at.y);
    app->keys[VKey::Control] = true;
    MoveTo(at.x + 4, at.y);
    // 4 pixels of 127 steps, a quarter of that, on a grid of 511 steps.
    EXPECT_DOUBLE_EQ(knob->GetNormalizedValue(), 4.0 / 511.0);
    app->keys[VKey::Control] = false;
    MoveTo(at.x + 5, at.y);
    EXPECT_DOUBLE_EQ(knob->GetNormalizedValue(), RoundHalfAwayFromZero(127.0 * (4.0 / 511.0 + 1.0 / 127.0)) / 127.0);
    Release(at.x + 5, at.y);
}

TEST_F(KnobTest, HostileCreateParametersLeaveAUsableGesture)
{
    // One pixel of travel and a negative fine factor would divide by zero and reverse the gesture.
    RCPtr<LKnob> knob = MakeLinear(11, "<CreateParam ID=\"LINEAR_GESTURE_FULL_RANGE\" Type=\"String\">1</CreateParam>"
                                       "<CreateParam ID=\"FINE_ADJUST_MULTIPLIER\" Type=\"String\">-3</CreateParam>");
    ASSERT_TRUE(knob);
    EXPECT_EQ(knob->GetLinearFullRange(), 132) << "round(128 / 11) * 11";
    EXPECT_EQ(knob->GetFineMultiplier(), 0.25);
    const PointT<int32_t> at = CentreOf(*knob);
    Press(at.x, at.y);
    MoveTo(at.x + 10, at.y);
    app->keys[VKey::Control] = true;
    MoveTo(at.x + 14, at.y);
    app->keys[VKey::Control] = false;
    Release(at.x + 14, at.y);
    EXPECT_GT(knob->GetNormalizedValue(), 10.0 / 131.0);
    EXPECT_LT(knob->GetNormalizedValue(), 12.0 / 131.0);
    EXPECT_EQ(log->nonFinite, 0);
}

TEST_F(KnobTest, KeysStepAndTheFocusAndDisabledImagesLieOverEveryFrame)
{
    RCPtr<LKnob> other = CreateAs<LKnob>(u"radialKnob");
    RCPtr<LKnob> knob = Make<LKnob>(u"linearKnob");
    ASSERT_TRUE(knob && other);
    ASSERT_GE(other->SetFocus(true), 0);
    EXPECT_EQ(knob->GetFocusLookIndex(), 12);
    EXPECT_EQ(knob->GetDisabledLookIndex(), 13);
    EXPECT_TRUE(FramesCarryImage(*knob, nullptr));
    ASSERT_GE(knob->SetFocus(true), 0);
    EXPECT_TRUE(FramesCarryImage(*knob, nullptr)) << "no focus image before a key";
    Key(SDLK_ESCAPE);
    EXPECT_TRUE(FramesCarryImage(*knob, "focus"));
    const PointT<int32_t> at = CentreOf(*knob);
    Paint();
    EXPECT_EQ(Pixel(at.x, at.y), 0x2060E0u) << "the focus image over frame 0";

    KeyDown(SDLK_UP);
    KeyDown(SDLK_UP, 0, true);
    KeyUp(SDLK_UP);
    KeyDown(SDLK_LEFT);
    const std::vector<std::string> expected{
        "NID_VALUE_CHANGE_KEY_DOWN:key", "NID_VALUE_CHANGE:1", "NID_VALUE_CHANGE:2", "NID_VALUE_CHANGE_KEY_UP:key",
        "NID_VALUE_CHANGE_KEY_DOWN:key", "NID_VALUE_CHANGE:1"};
    EXPECT_EQ(log->lines, expected);
    ASSERT_GE(other->SetFocus(true), 0);
    EXPECT_EQ(log->lines.back(), "NID_VALUE_CHANGE_KEY_UP:-") << "the focus leaving ends the held key";
    EXPECT_TRUE(FramesCarryImage(*knob, nullptr));

    knob->SetEnabled(false);
    EXPECT_TRUE(FramesCarryImage(*knob, "disabled"));
    Paint();
    EXPECT_EQ(Pixel(at.x, at.y), 0xA0A0A0u);
    knob->SetEnabled(true);
    EXPECT_TRUE(FramesCarryImage(*knob, nullptr));
    Screenshot("enabled_again");
}

TEST_F(KnobTest, WheelNotchesStepByOneUnitAndADisabledKnobKeepsItsValue)
{
    RCPtr<LKnob> knob = Make<LKnob>(u"linearKnob");
    ASSERT_TRUE(knob);
    const PointT<int32_t> at = CentreOf(*knob);
    Wheel(at.x, at.y, 1.0f);
    Wheel(at.x, at.y, 1.0f);
    Wheel(at.x, at.y, 0.0f, 1.0f); // right raises
    EXPECT_NEAR(knob->NormalizedToValue(knob->GetNormalizedValue()), 3.0, 1e-9);
    Wheel(at.x, at.y, -1.0f);
    Wheel(at.x, at.y, 0.0f, -1.0f); // left lowers
    EXPECT_NEAR(knob->NormalizedToValue(knob->GetNormalizedValue()), 1.0, 1e-9);
    EXPECT_EQ(knob->GetFirstVisibleLook(), knob->GetFrameIndex());

    knob->SetEnabled(false);
    const double before = knob->GetNormalizedValue();
    Wheel(at.x, at.y, 1.0f);
    EXPECT_EQ(knob->GetNormalizedValue(), before) << "a disabled knob keeps its value";
    EXPECT_EQ(log->nonFinite, 0);
}
