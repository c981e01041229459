// Sliders made from the skin and driven through the offscreen window: thumb drags along horizontal,
// vertical and slanted tracks framed by "NID_VALUE_CHANGE_CAPTURE", values set during a drag, page
// steps on the track with their repeat, keys, wheel steps on linear and logarithmic ranges, tracks
// of no length, and the hidden slider of a number box.
#include "ValuesFixture.h"

#include "kx/controls/Button.h"
#include "kx/controls/NumericUpDown.h"
#include "kx/controls/Slider.h"
#include "kx/controls/TextBox.h"

using namespace KX;
using valuestest::ValuesTest;

namespace {

class SliderTest : public ValuesTest {
protected:
    // The thumb's centre in window coordinates.
    PointT<int32_t> ThumbCentre(const LSlider& slider) { return CentreOf(*slider.GetThumb()); }
};

} // namespace

TEST_F(SliderTest, DragOnAHorizontalTrackKeepsTheRowStopsAtTheMarkersAndIsFramedByCapture)
{
    RCPtr<LSlider> slider = Make<LSlider>(u"hSlider");
    ASSERT_TRUE(slider && slider->GetThumb());
    EXPECT_FALSE(slider->GetThumbStart()->IsShowing(false));
    EXPECT_FALSE(slider->GetThumbEnd()->IsShowing(false));
    EXPECT_EQ(slider->GetTrackLength(), 200.0);
    EXPECT_EQ(slider->GetMaximum(), 127.0);
    const PointT<int32_t> at = ThumbCentre(*slider);
    Press(at.x, at.y);
    EXPECT_TRUE(slider->IsDragging());
    MoveTo(at.x + 100, at.y + 14); // off the row: the thumb keeps its y
    EXPECT_EQ(TopLeft(*slider->GetThumb()).x, 100);
    EXPECT_EQ(TopLeft(*slider->GetThumb()).y, 0);
    EXPECT_DOUBLE_EQ(slider->GetNormalizedValue(), 0.5);
    MoveTo(at.x + 400, at.y);
    EXPECT_EQ(slider->GetNormalizedValue(), 1.0);
    MoveTo(0, at.y);
    EXPECT_EQ(slider->GetNormalizedValue(), 0.0);
    Release(0, at.y);
    EXPECT_FALSE(slider->IsDragging());
    const std::vector<std::string> expected{"NID_VALUE_CHANGE_CAPTURE:1", "NID_VALUE_CHANGE:63.5",
                                            "NID_VALUE_CHANGE:127", "NID_VALUE_CHANGE:0", "NID_VALUE_CHANGE_CAPTURE:0"};
    EXPECT_EQ(log->lines, expected);
    Screenshot("dragged");
}

TEST_F(SliderTest, ARebuildFromTheSkinKeepsTheThumbOnTheTrack)
{
    RCPtr<LSlider> slider = Make<LSlider>(u"hSlider");
    ASSERT_TRUE(slider && slider->GetThumb());
    slider->SetNormalizedValue(0.5);
    ASSERT_EQ(factory->ReapplyDescriptor(RCPtr<LControl>(slider)), S_OK);
    ASSERT_TRUE(slider->GetThumb());
    EXPECT_GE(slider->GetChildIndex(RCPtr<LControl>(slider->GetThumb()), kOrderInsertion), 0);
    EXPECT_TRUE(slider->GetThumb()->IsShowing(true));
    EXPECT_FALSE(slider->GetThumbStart()->IsShowing(false));
    EXPECT_EQ(TopLeft(*slider->GetThumb()).x, 100);
    const PointT<int32_t> at = CentreOf(*slider->GetThumb());
    Press(at.x, at.y);
    MoveTo(at.x + 50, at.y);
    Release(at.x + 50, at.y);
    EXPECT_DOUBLE_EQ(slider->GetNormalizedValue(), 0.75);
}

TEST_F(SliderTest, AValueSetDuringADragWaitsForTheDragsEnd)
{
    RCPtr<LSlider> slider = Make<LSlider>(u"hSlider");
    ASSERT_TRUE(slider && slider->GetThumb());
    const PointT<int32_t> at = ThumbCentre(*slider);
    Press(at.x, at.y);
    MoveTo(at.x + 100, at.y);
    EXPECT_EQ(slider->SetNormalizedValue(0.25), 0.5) << "the drag owns the value";
    EXPECT_EQ(TopLeft(*slider->GetThumb()).x, 100);
    Release(at.x + 100, at.y);
    EXPECT_EQ(slider->GetNormalizedValue(), 0.25);
    EXPECT_EQ(TopLeft(*slider->GetThumb()).x, 50);
    ASSERT_GE(log->lines.size(), 2u);
    EXPECT_EQ(log->lines[log->lines.size() - 2], "NID_VALUE_CHANGE:31.75");
    EXPECT_EQ(log->lines.back(), "NID_VALUE_CHANGE_CAPTURE:0");

    // Without the flag the outside value is dropped.
    slider->SetApplyPendingAtDragEnd(false);
    Press(CentreOf(*slider->GetThumb()).x, at.y);
    slider->SetNormalizedValue(0.9);
    Release(CentreOf(*slider->GetThumb()).x, at.y);
    EXPECT_EQ(slider->GetNormalizedValue(), 0.25);
    EXPECT_LT(slider->GetPendingValue(), 0.0);
}

TEST_F(SliderTest, VerticalAndSlantedTracksFollowThePointerAlongTheirLine)
{
    RCPtr<LSlider> up = Make<LSlider>(u"vSlider");
    ASSERT_TRUE(up && up->GetThumb());
    PointT<int32_t> at = ThumbCentre(*up);
    Press(at.x, at.y);
    MoveTo(at.x + 40, at.y - 50); // sideways too: the thumb keeps its x
    Release(at.x + 40, at.y - 50);
    EXPECT_DOUBLE_EQ(up->GetNormalizedValue(), 0.5);
    EXPECT_EQ(TopLeft(*up->GetThumb()).x, 0);
    EXPECT_EQ(TopLeft(*up->GetThumb()).y, 50);

    RCPtr<LSlider> slant = Make<LSlider>(u"slantSlider");
    ASSERT_TRUE(slant && slant->GetThumb());
    at = ThumbCentre(*slant);
    Press(at.x, at.y);
    // (60, 40) from the start lies off the diagonal; its foot on the track is (50, 50).
    MoveTo(at.x + 60, at.y + 40);
    EXPECT_EQ(TopLeft(*slant->GetThumb()).x, 50);
    EXPECT_EQ(TopLeft(*slant->GetThumb()).y, 50);
    EXPECT_NEAR(slant->GetNormalizedValue(), 0.5, 1e-12);
    MoveTo(at.x + 300, at.y + 10); // beyond the end marker
    Release(at.x + 300, at.y + 10);
    EXPECT_EQ(slant->GetNormalizedValue(), 1.0);
    Screenshot("tracks");
}

TEST_F(SliderTest, TrackPressesStepAPageTowardsThePointerAndRepeatWhileHeld)
{
    RCPtr<LSlider> slider = Make<LSlider>(u"hSlider");
    ASSERT_TRUE(slider && slider->GetThumb());
    const PointT<int32_t> corner = CornerOf(*slider);
    // The grip point is the thumb's centre: this spot means a value of 0.75.
    const int32_t x = corner.x + 5 + 150, y = corner.y + 10;
    Click(x, y);
    EXPECT_DOUBLE_EQ(slider->GetNormalizedValue(), 0.1);
    EXPECT_EQ(TopLeft(*slider->GetThumb()).x, 20);

    Press(x, y);
    EXPECT_TRUE(slider->IsTrackRepeating());
    Advance(290);
    EXPECT_DOUBLE_EQ(slider->GetNormalizedValue(), 0.1) << "no repeat before 0.3 s";
    Advance(20);
    EXPECT_DOUBLE_EQ(slider->GetNormalizedValue(), 0.2);
    // Idle passes come a little apart; each 0.1 s or more makes one step.
    for (int i = 0; i < 4; ++i)
        Advance(110);
    EXPECT_NEAR(slider->GetNormalizedValue(), 0.6, 1e-12);
    for (int i = 0; i < 5; ++i)
        Advance(110);
    EXPECT_DOUBLE_EQ(slider->GetNormalizedValue(), 0.75) << "the thumb stops at the pointer";
    Release(x, y);
    EXPECT_FALSE(slider->IsTrackRepeating());
    EXPECT_DOUBLE_EQ(slider->GetNormalizedValue(), 0.75);

    // A press between the start and the thumb steps back, again not past the pointer.
    Click(corner.x + 5 + 140, y);
    EXPECT_DOUBLE_EQ(slider->GetNormalizedValue(), 0.7);
    EXPECT_EQ(log->Count("NID_VALUE_CHANGE_CAPTURE"), 0) << "track presses are no drags";
}

TEST_F(SliderTest, HeldArrowKeysStepOneUnitAndReportTheirPressOnce)
{
    RCPtr<LSlider> slider = Make<LSlider>(u"hSlider");
    RCPtr<LSlider> other = CreateAs<LSlider>(u"vSlider");
    ASSERT_TRUE(slider && other);
    ASSERT_GE(slider->SetFocus(true), 0);
    EXPECT_EQ(slider->GetFirstVisibleLook(), 0) << "no focused look before a key";
    Key(SDLK_ESCAPE);
    EXPECT_EQ(slider->GetFirstVisibleLook(), 1) << "the focused look";
    KeyDown(SDLK_RIGHT);
    KeyDown(SDLK_RIGHT, 0, true);
    KeyDown(SDLK_RIGHT, 0, true);
    KeyUp(SDLK_RIGHT);
    std::vector<std::string> expected{"NID_VALUE_CHANGE_KEY_DOWN:key", "NID_VALUE_CHANGE:1", "NID_VALUE_CHANGE:2",
                                      "NID_VALUE_CHANGE:3", "NID_VALUE_CHANGE_KEY_UP:key"};
    EXPECT_EQ(log->lines, expected);
    EXPECT_EQ(TopLeft(*slider->GetThumb()).x, 5) << "3/127 of 200 pixels";

    // Down lowers; the focus leaving while the key is held ends the press without a key.
    log->lines.clear();
    KeyDown(SDLK_DOWN);
    ASSERT_GE(other->SetFocus(true), 0);
    expected = {"NID_VALUE_CHANGE_KEY_DOWN:key", "NID_VALUE_CHANGE:2", "NID_VALUE_CHANGE_KEY_UP:-"};
    EXPECT_EQ(log->lines, expected);
    EXPECT_FALSE(slider->IsKeyHeld());
    EXPECT_EQ(slider->GetFirstVisibleLook(), 0);
    slider->SetEnabled(false);
    EXPECT_EQ(slider->GetFirstVisibleLook(), 2) << "the disabled look";
}

TEST_F(SliderTest, WheelStepsAreUnitsOfTheRangeOnLinearAndLogarithmicScales)
{
    RCPtr<LSlider> slider = Make<LSlider>(u"hSlider");
    ASSERT_TRUE(slider);
    const PointT<int32_t> centre = CentreOf(*slider);
    Wheel(centre.x, centre.y, 1.0f);
    Wheel(centre.x, centre.y, 1.0f);
    EXPECT_NEAR(slider->NormalizedToValue(slider->GetNormalizedValue()), 2.0, 1e-9);
    Wheel(centre.x, centre.y, -1.0f);
    EXPECT_NEAR(slider->NormalizedToValue(slider->GetNormalizedValue()), 1.0, 1e-9);

    // Logarithmic 1..1000: the middle of the track is 31.6, and one step is one unit of value there.
    ASSERT_EQ(slider->SetValueRange(1.0, 1000.0, 1), S_OK);
    slider->SetNormalizedValue(0.0);
    const PointT<int32_t> at = CentreOf(*slider->GetThumb());
    Press(at.x, at.y);
    MoveTo(at.x + 100, at.y);
    Release(at.x + 100, at.y);
    EXPECT_NEAR(log->lastValue, std::sqrt(1000.0), 1e-9);
    Wheel(centre.x, centre.y, 1.0f);
    EXPECT_NEAR(log->lastValue, std::sqrt(1000.0) + 1.0, 1e-9);
    Wheel(centre.x, centre.y, 0.0f, -1.0f); // horizontal: left lowers
    EXPECT_NEAR(log->lastValue, std::sqrt(1000.0), 1e-9);
    EXPECT_EQ(TopLeft(*slider->GetThumb()).x, 100);
    EXPECT_EQ(log->nonFinite, 0);
}

TEST_F(SliderTest, ATrackOfNoLengthNeverMakesAValueAndNoValueIsEverNaNOrInfinite)
{
    RCPtr<LSlider> flat = Make<LSlider>(u"flatSlider");
    ASSERT_TRUE(flat && flat->GetThumb());
    EXPECT_EQ(flat->GetTrackLength(), 0.0);
    flat->SetNormalizedValue(0.4);
    log->lines.clear();
    // A click beside the markers and a drag of the thumb: nothing to divide the distance by.
    const PointT<int32_t> corner = CornerOf(*flat);
    Click(corner.x + 90, corner.y + 10);
    Click(corner.x + 2, corner.y + 10);
    const PointT<int32_t> at = CentreOf(*flat->GetThumb());
    Press(at.x, at.y);
    MoveTo(at.x + 30, at.y + 3);
    Release(at.x + 30, at.y + 3);
    EXPECT_EQ(flat->GetNormalizedValue(), 0.4);
    EXPECT_EQ(log->Count("NID_VALUE_CHANGE:"), 0);
    // Keys still work.
    ASSERT_GE(flat->SetFocus(true), 0);
    Key(SDLK_UP);
    EXPECT_NEAR(flat->NormalizedToValue(flat->GetNormalizedValue()), 0.4 * 127 + 1, 1e-9);

    // Hostile values from outside: NaN is refused, infinities clamp to the ends.
    const double before = flat->GetNormalizedValue();
    EXPECT_EQ(flat->SetNormalizedValue(NAN), before);
    EXPECT_EQ(flat->SetNormalizedValue(INFINITY), 1.0);
    EXPECT_EQ(flat->SetNormalizedValue(-INFINITY), 0.0);
    EXPECT_EQ(flat->SetValueRange(0.0, INFINITY, 0), E_INVALIDARG);
    EXPECT_EQ(log->nonFinite, 0);

    // Without markers there is no thumb and no track; keys still change the value.
    RCPtr<LSlider> bare = Make<LSlider>(u"bareSlider");
    ASSERT_TRUE(bare);
    EXPECT_FALSE(bare->GetThumb());
    ClickOn(*bare);
    EXPECT_EQ(bare->GetNormalizedValue(), 0.0);
    Key(SDLK_RIGHT);
    EXPECT_NEAR(bare->NormalizedToValue(bare->GetNormalizedValue()), 1.0, 1e-9);
}

TEST_F(SliderTest, ANumberBoxWithAHiddenSliderStillStepsAndTypes)
{
    RCPtr<LNumericUpDown> box = CreateAs<LNumericUpDown>(u"numberBox");
    ASSERT_TRUE(box && box->GetTextBox() && box->GetUpButton());
    RCPtr<LSlider> hidden = RCPtr<LSlider>::DynamicCast(box->FindChild(WString(u"slider1")));
    ASSERT_TRUE(hidden) << "the skin's slider part is a real slider now";
    EXPECT_FALSE(hidden->IsShowing(false));
    ASSERT_EQ(box->SetValueRange(0, 127, 0), S_OK);
    box->SetValueAndRead(5);
    ClickOn(*box->GetUpButton());
    Advance(50);
    EXPECT_EQ(box->GetValue(), 6.0);
    ClickOn(*box->GetTextBox());
    Key(SDLK_UP);
    Advance(200);
    EXPECT_EQ(box->GetValue(), 7.0) << "the Up key reaches the box, not the hidden slider";
    EXPECT_EQ(hidden->GetNormalizedValue(), 0.0);
    Key(SDLK_END);
    Key(SDLK_HOME, KMOD_LSHIFT);
    Type("42");
    Key(SDLK_RETURN);
    EXPECT_EQ(box->GetValue(), 42.0);
}
