// Numeric up-downs made from the skin and driven through the offscreen window: typed numbers
// clamped to the range, the filter per range and decimals, step buttons with auto-repeat, the Up
// and Down keys, the owner's say in validation, and bad ranges.
#include "TextFixture.h"

#include "kx/controls/Button.h"
#include "kx/controls/NumericUpDown.h"
#include "kx/ui/KeyCode.h"

#include <cmath>

using namespace KX;
using texttest::TextLog;

namespace {

// Counts "NID_VALUE_CHANGE" and keeps the last mapped value.
class ValueLog : public LNotificationReceiver {
public:
    KXRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override
    {
        if (const auto* v = dynamic_cast<const LValueParam*>(n->GetPayload().Get()))
            last = v->GetMappedValue();
        ++count;
        return S_OK;
    }
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override
    {
        return d->UnregisterClient(RCPtr<LNotificationReceiver>(this), name);
    }
    int count = 0;
    double last = NAN;
};

class NumericUpDown : public texttest::TextTest {
protected:
    RCPtr<LNumericUpDown> Make(double minimum, double maximum, double value)
    {
        RCPtr<LNumericUpDown> box = CreateAs<LNumericUpDown>(u"numberBox");
        if (!box)
            return box;
        EXPECT_EQ(box->SetValueRange(minimum, maximum, 0), S_OK);
        box->SetValueAndRead(value);
        values = RCPtr<ValueLog>(new ValueLog());
        EXPECT_FALSE(KX::Failed(box->RegisterClient(RCPtr<LNotificationReceiver>(values), u"NID_VALUE_CHANGE", 0)));
        return box;
    }
    // Replaces the text box's text by typing, then presses Enter.
    void Enter(LNumericUpDown& box, const char* typed)
    {
        // A click into the focused box would validate it first.
        if (!(box.GetTextBox()->GetConditionFlags() & Condition::kHasFocus))
            ClickOn(*box.GetTextBox());
        Key(SDLK_END);
        Key(SDLK_HOME, KMOD_LSHIFT);
        Key(SDLK_DELETE);
        Type(typed);
        Key(SDLK_RETURN);
    }
    static std::string Shown(const LNumericUpDown& box) { return Text(*box.GetTextBox()); }

    RCPtr<ValueLog> values;
};

} // namespace

TEST_F(NumericUpDown, TypedNumbersAreClampedToTheRangeAndTheFilterFollowsIt)
{
    RCPtr<LNumericUpDown> box = Make(0, 127, 64);
    ASSERT_TRUE(box && box->GetTextBox() && box->GetUpButton() && box->GetDownButton());
    EXPECT_EQ(Shown(*box), "64");
    Enter(*box, "200");
    EXPECT_EQ(Shown(*box), "127");
    EXPECT_EQ(box->GetValue(), 127.0);
    EXPECT_EQ(values->count, 1);
    EXPECT_EQ(values->last, 127.0);
    // Neither a sign nor a point can be typed here.
    Enter(*box, "-5.5");
    EXPECT_EQ(Shown(*box), "55");
    EXPECT_EQ(box->GetValue(), 55.0);
    Screenshot("typed");
    // Below zero the sign comes into the filter.
    ASSERT_EQ(box->SetValueRange(-64, 63, 0), S_OK);
    Enter(*box, "-70");
    EXPECT_EQ(Shown(*box), "-64");
    EXPECT_EQ(box->GetValue(), -64.0);
    // Nothing typed reads as 0.
    Enter(*box, "");
    EXPECT_EQ(box->GetValue(), 0.0);
    EXPECT_EQ(Shown(*box), "0");
}

TEST_F(NumericUpDown, AnEqualValueTypedInAnotherFormShowsAsTheValue)
{
    RCPtr<LNumericUpDown> box = Make(0, 127, 5);
    ASSERT_TRUE(box);
    RCPtr<TextLog> log = Listen(RCPtr<LControl>(box), {u"NID_TEXTBOX_VALIDATED"});
    Enter(*box, "05");
    EXPECT_EQ(Shown(*box), "5");
    EXPECT_EQ(values->count, 0) << "no change of value";
    EXPECT_EQ(log->lines, (std::vector<std::string>{"NID_TEXTBOX_VALIDATED:5"}));
    Enter(*box, "6");
    EXPECT_EQ(Shown(*box), "6");
    EXPECT_EQ(values->count, 1);
    box->SetValueAndRead(127);
    Enter(*box, "0127");
    EXPECT_EQ(Shown(*box), "127") << "at the maximum the text is the formatted value";
}

TEST_F(NumericUpDown, TheOwnerMayRefuseOrCorrectTheTypedTextFirst)
{
    RCPtr<LNumericUpDown> box = Make(0, 100, 10);
    ASSERT_TRUE(box);
    RCPtr<TextLog> log = Listen(RCPtr<LControl>(box), {u"NID_TEXTBOX_VALIDATING", u"NID_TEXTBOX_VALIDATED"});
    log->onValidating = [](LTextValidationParams& p) { p.accepted = p.text != WString(u"13"); };
    Enter(*box, "13");
    EXPECT_EQ(box->GetValue(), 10.0);
    EXPECT_EQ(Shown(*box), "13") << "refused: the text stays as typed";
    EXPECT_EQ(log->lines, (std::vector<std::string>{"NID_TEXTBOX_VALIDATING:13"}));
    log->lines.clear();
    log->onValidating = [](LTextValidationParams& p) { p.text = WString(u"42"); };
    Enter(*box, "7");
    EXPECT_EQ(box->GetValue(), 42.0);
    EXPECT_EQ(Shown(*box), "42");
}

TEST_F(NumericUpDown, StepButtonsRepeatWhileHeldAndStopAtTheRangeEnds)
{
    RCPtr<LNumericUpDown> box = Make(0, 10, 5);
    ASSERT_TRUE(box);
    ClickOn(*box->GetUpButton());
    EXPECT_EQ(box->GetValue(), 6.0);
    EXPECT_EQ(Shown(*box), "6");
    ClickOn(*box->GetDownButton());
    ClickOn(*box->GetDownButton());
    EXPECT_EQ(box->GetValue(), 4.0);
    // Held: at once, after 0.3 s, then every 0.1 s.
    const PointT<int32_t> up = CentreOf(*box->GetUpButton());
    Press(up.x, up.y);
    EXPECT_EQ(box->GetValue(), 5.0);
    Advance(310);
    EXPECT_EQ(box->GetValue(), 6.0);
    for (int i = 0; i < 10; ++i)
        Advance(100);
    EXPECT_EQ(box->GetValue(), 10.0) << "held at the maximum it stays there";
    Release(up.x, up.y);
    EXPECT_EQ(Shown(*box), "10");
    const int changes = values->count;
    ClickOn(*box->GetUpButton());
    EXPECT_EQ(values->count, changes) << "no change past the end";
}

TEST_F(NumericUpDown, UpAndDownKeysStepLikeTheButtonsAndTabSkipsTheButtons)
{
    RCPtr<LNumericUpDown> box = Make(0, 127, 20);
    ASSERT_TRUE(box);
    ClickOn(*box->GetTextBox());
    KeyDown(SDLK_UP);
    Advance(200);
    KeyUp(SDLK_UP);
    EXPECT_EQ(box->GetValue(), 21.0);
    KeyDown(SDLK_DOWN);
    Advance(200);
    KeyUp(SDLK_DOWN);
    KeyDown(SDLK_DOWN);
    Advance(200);
    KeyUp(SDLK_DOWN);
    EXPECT_EQ(box->GetValue(), 19.0);
    EXPECT_TRUE(box->GetTextBox()->GetConditionFlags() & Condition::kHasFocus) << "the focus stays in the text";
    // Shift+Up is not a step.
    Key(SDLK_UP, KMOD_LSHIFT);
    Advance(200);
    EXPECT_EQ(box->GetValue(), 19.0);
    EXPECT_TRUE(box->GetUpButton()->IsNotFocusable(false));
    EXPECT_TRUE(box->GetDownButton()->IsNotFocusable(false));
    EXPECT_FALSE(box->IsNotFocusable(false));
}

TEST_F(NumericUpDown, DecimalsFormatTheValueAndAdmitThePoint)
{
    RCPtr<LNumericUpDown> box = Make(0, 10, 1);
    ASSERT_TRUE(box);
    box->SetDecimalPlaces(2);
    EXPECT_EQ(Shown(*box), "1.00");
    box->SetStep(0.25);
    ClickOn(*box->GetUpButton());
    EXPECT_EQ(Shown(*box), "1.25");
    Enter(*box, "2.5");
    EXPECT_EQ(box->GetValue(), 2.5);
    EXPECT_EQ(Shown(*box), "2.50");
    // A negative value that prints as zero shows no sign.
    ASSERT_EQ(box->SetValueRange(-1, 1, 0), S_OK);
    box->SetDecimalPlaces(0);
    box->SetValueAndRead(-0.3);
    EXPECT_EQ(Shown(*box), "0");
    box->SetDecimalPlaces(1000);
    EXPECT_EQ(box->GetDecimalPlaces(), 15);
}

TEST_F(NumericUpDown, BadRangesAreRefusedAndChangeNothing)
{
    RCPtr<LNumericUpDown> box = Make(1, 1000, 10);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->SetValueRange(0, 100, 1), E_INVALIDARG) << "logarithmic from 0";
    EXPECT_EQ(box->SetValueRange(-1, 100, 1), E_INVALIDARG);
    EXPECT_EQ(box->SetValueRange(1, 100, 2), E_INVALIDARG) << "unknown mode";
    EXPECT_EQ(box->SetValueRange(NAN, 100, 0), E_INVALIDARG);
    EXPECT_EQ(box->SetValueRange(0, INFINITY, 0), E_INVALIDARG);
    EXPECT_EQ(box->GetMinimum(), 1.0);
    EXPECT_EQ(box->GetMaximum(), 1000.0);
    EXPECT_EQ(Shown(*box), "10");
    // A logarithmic range keeps the normalized value and shows what it now means.
    const double normalized = box->GetNormalizedValue();
    ASSERT_EQ(box->SetValueRange(1, 1000, 1), S_OK);
    EXPECT_EQ(box->GetNormalizedValue(), normalized);
    EXPECT_EQ(Shown(*box), "1") << "1000 to the power 9/999";
    EXPECT_EQ(box->SetValueAndRead(1e300), 1000.0);
    EXPECT_EQ(box->SetValueAndRead(-5), 1.0);
    // Text set from code: its leading number, else 0 (clamped).
    box->SetText(WString(u"100 Hz"));
    EXPECT_NEAR(box->GetValue(), 100.0, 1e-9);
    box->SetText(WString(u"nan"));
    EXPECT_EQ(box->GetValue(), 1.0);
}

TEST_F(NumericUpDown, AnUpDownWithoutItsPartsStaysInert)
{
    RCPtr<LNumericUpDown> box = CreateAs<LNumericUpDown>(u"bareNumberBox");
    ASSERT_TRUE(box);
    EXPECT_FALSE(box->GetTextBox());
    EXPECT_EQ(box->SetValueRange(0, 10, 0), S_OK);
    EXPECT_EQ(box->SetValueAndRead(4), 4.0);
    EXPECT_EQ(box->HandleKey(LKeyParam::Create(KeyCode(VKey::Up, true, 0, 0), true)), S_FALSE);
    EXPECT_EQ(box->GetValue(), 4.0);
}
