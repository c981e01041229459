// Combo sliders made from the skin and driven through the offscreen window: the pop-up slider
// opened by a press and dragged, the value text, values set from outside without echoes, the
// panel kept inside the window, the looks of each state, and a box without a pop-up.
#include "ValuesFixture.h"

#include "kx/controls/Button.h"
#include "kx/controls/ComboSlider.h"
#include "kx/controls/Panel.h"
#include "kx/controls/Slider.h"

using namespace KX;
using valuestest::ValueLog;
using valuestest::ValuesTest;

namespace {

class ComboSliderTest : public ValuesTest {
protected:
    static std::string Text(const LControl& control) { return control.GetText().ToNarrow().GetString(); }
};

} // namespace

TEST_F(ComboSliderTest, ThePopUpSliderOpensOnAPressAndItsDragShowsInTheBox)
{
    RCPtr<LComboSlider> box = Make<LComboSlider>(u"comboSlider");
    ASSERT_TRUE(box && box->GetDropDownPanel() && box->GetSlider());
    EXPECT_EQ(box->GetMaximum(), 127.0) << "the box takes its slider's range";
    EXPECT_EQ(Text(*box), "0");
    EXPECT_FALSE(box->IsDropDownShowing());
    ClickOn(*box);
    ASSERT_TRUE(box->IsDropDownShowing());
    EXPECT_EQ(box->GetFirstVisibleLook(), 5) << "open, pointer over it";
    const RCPtr<LSlider> slider = box->GetSlider();
    const PointT<double> panel = box->GetDropDownPanel()->GetOriginInRootWindow();
    EXPECT_EQ(panel.y, box->GetOriginInRootWindow().y + 22) << "below the box";

    // A quarter of the 140-pixel track: 31.75 shows as 32.
    const PointT<int32_t> at = CentreOf(*slider->GetThumb());
    Press(at.x, at.y);
    MoveTo(at.x + 35, at.y);
    EXPECT_EQ(box->GetFirstVisibleLook(), 4) << "open, pointer elsewhere";
    Release(at.x + 35, at.y);
    EXPECT_DOUBLE_EQ(box->GetNormalizedValue(), 0.25);
    EXPECT_EQ(Text(*box), "32");
    const std::vector<std::string> expected{"NID_VALUE_CHANGE:31.75"};
    EXPECT_EQ(log->lines, expected);
    EXPECT_TRUE(box->IsDropDownShowing()) << "a drag inside the pop-up keeps it open";
    Screenshot("open");

    // Another press on the box closes the pop-up and it stays closed.
    ClickOn(*box);
    EXPECT_FALSE(box->IsDropDownShowing());
    EXPECT_EQ(box->GetFirstVisibleLook(), 2) << "closed, hovered, no focus look after a press";
}

TEST_F(ComboSliderTest, AValueFromOutsideMovesThePopUpSliderWithoutEchoes)
{
    RCPtr<LComboSlider> box = Make<LComboSlider>(u"comboSlider");
    ASSERT_TRUE(box && box->GetSlider());
    const RCPtr<LSlider> slider = box->GetSlider();
    const RCPtr<ValueLog> sliderLog(new ValueLog());
    sliderLog->Listen(RCPtr<LControl>(slider));
    box->SetNormalizedValue(0.5);
    EXPECT_EQ(slider->GetNormalizedValue(), 0.5);
    EXPECT_EQ(TopLeft(*slider->GetThumb()).x, 70);
    EXPECT_EQ(sliderLog->Count("NID_VALUE_CHANGE:"), 1);
    EXPECT_EQ(log->Count("NID_VALUE_CHANGE:"), 1);
    EXPECT_EQ(Text(*box), "64");

    // A range of one's own reaches the slider: its keys step units of the box's value.
    ASSERT_EQ(box->SetValueRange(-10.0, 10.0, 0), S_OK);
    EXPECT_EQ(Text(*box), "0");
    EXPECT_EQ(slider->GetMinimum(), -10.0);
    box->SetDecimalPlaces(2);
    box->SetNormalizedValue(0.0);
    EXPECT_EQ(Text(*box), "-10.00");
    ClickOn(*box);
    ASSERT_GE(slider->SetFocus(true), 0);
    Key(SDLK_RIGHT);
    EXPECT_EQ(Text(*box), "-9.00");
    EXPECT_EQ(sliderLog->nonFinite + log->nonFinite, 0);
    EXPECT_EQ(box->SetNormalizedValue(NAN), 0.05) << "no value is NaN";
}

TEST_F(ComboSliderTest, APopUpNearTheRightEdgeIsPulledBackIntoTheWindow)
{
    RCPtr<LComboSlider> box = Make<LComboSlider>(u"edgeComboSlider");
    ASSERT_TRUE(box && box->GetDropDownPanel());
    ASSERT_EQ(box->SetDropDownOpen(true), S_OK);
    const RCPtr<LPanel> panel = box->GetDropDownPanel();
    EXPECT_EQ(panel->GetOriginInRootWindow().x + panel->GetSize().x, static_cast<double>(kW));
    ASSERT_EQ(box->SetDropDownOpen(false), S_OK);
    EXPECT_FALSE(box->IsDropDownShowing());

    // The box moved left: the panel goes back to its own place.
    RCPtr<LComboSlider> left = Make<LComboSlider>(u"comboSlider");
    ASSERT_TRUE(left);
    ASSERT_EQ(left->SetDropDownOpen(true), S_OK);
    EXPECT_EQ(left->GetDropDownPanel()->GetOriginInRootWindow().x, left->GetOriginInRootWindow().x);
    Screenshot("edge");
}

TEST_F(ComboSliderTest, LooksFollowFocusHoverAndEnablingAndABoxWithoutPopUpStillShowsItsValue)
{
    RCPtr<LComboSlider> box = Make<LComboSlider>(u"comboSlider");
    RCPtr<LComboSlider> bare = Make<LComboSlider>(u"bareComboSlider");
    ASSERT_TRUE(box && bare);
    ASSERT_GE(box->SetFocus(true), 0);
    MoveTo(5, 5);
    EXPECT_EQ(box->GetFirstVisibleLook(), 0) << "no focus look before a key";
    Key(SDLK_ESCAPE);
    EXPECT_EQ(box->GetFirstVisibleLook(), 1) << "focused";
    const PointT<int32_t> at = CentreOf(*box);
    MoveTo(at.x, at.y);
    EXPECT_EQ(box->GetFirstVisibleLook(), 3) << "focused, hovered";
    ASSERT_GE(bare->SetFocus(true), 0);
    EXPECT_EQ(box->GetFirstVisibleLook(), 2) << "hovered";
    MoveTo(5, 5);
    EXPECT_EQ(box->GetFirstVisibleLook(), 0);
    box->SetEnabled(false);
    EXPECT_EQ(box->GetFirstVisibleLook(), 6);
    box->SetEnabled(true);
    EXPECT_EQ(box->GetFirstVisibleLook(), 0);

    EXPECT_FALSE(bare->GetDropDownPanel());
    EXPECT_EQ(bare->SetDropDownOpen(true), E_FAIL);
    ASSERT_EQ(bare->SetValueRange(0.0, 127.0, 0), S_OK);
    bare->SetNormalizedValue(1.0);
    EXPECT_EQ(Text(*bare), "127");
    ClickOn(*bare);
    EXPECT_FALSE(bare->IsDropDownShowing());
    EXPECT_EQ(bare->GetFirstVisibleLook(), 2) << "closed, hovered, no focus look after a press";
}

TEST_F(ComboSliderTest, ARangeAcrossTheWholeDoubleShowsFiniteValues)
{
    RCPtr<LComboSlider> box = Make<LComboSlider>(u"comboSlider");
    ASSERT_TRUE(box && box->GetSlider());
    ASSERT_EQ(box->SetValueRange(-1.7e308, 1.7e308, 0), S_OK);
    for (double t : {0.0, 0.25, 0.5, 0.75, 1.0}) {
        box->SetNormalizedValue(t);
        const std::string text = Text(*box);
        SCOPED_TRACE(text);
        EXPECT_EQ(text.find("inf"), std::string::npos);
        EXPECT_EQ(text.find("nan"), std::string::npos);
        EXPECT_DOUBLE_EQ(box->ValueToNormalized(box->NormalizedToValue(t)), t) << "the mapping goes both ways";
    }
    box->SetNormalizedValue(0.5);
    EXPECT_EQ(Text(*box), "0");
    box->SetNormalizedValue(1.0);
    EXPECT_EQ(Text(*box).substr(0, 3), "169") << "the double nearest 1.7e308";
    EXPECT_EQ(Text(*box).size(), 309u);
    // A logarithmic range whose ends are too far apart for their ratio.
    ASSERT_EQ(box->SetValueRange(1e-300, 1e300, 1), S_OK);
    EXPECT_NEAR(box->NormalizedToValue(0.5), 1.0, 1e-9);
    EXPECT_DOUBLE_EQ(box->ValueToNormalized(1e200), 5.0 / 6.0);
}
