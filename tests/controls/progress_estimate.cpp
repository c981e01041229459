// The progress bar: its bar and percentage, the remaining time in words, and the estimate on the
// injected clock, which shows nothing until progress runs forward at a rate that gives a time.
#include "MiscFixture.h"

#include "kx/controls/ProgressBar.h"

using namespace KX;

namespace {

class ProgressEstimate : public ctltest::MiscTest {
protected:
    void SetUp() override
    {
        ctltest::MiscTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        bar = CreateAs<LProgressBar>(u"progress");
        ASSERT_TRUE(bar && bar->GetOverlay() && bar->GetPercentLabel() && bar->GetTimeLabel());
    }
    bool TimeShown() const { return bar->GetTimeLabel()->IsShowing(false); }
    std::string TimeText() const { return Text(*bar->GetTimeLabel()); }

    RCPtr<LProgressBar> bar;
};

} // namespace

TEST_F(ProgressEstimate, TheBarAndThePercentageFollowTheValue)
{
    EXPECT_EQ(bar->GetMaximum(), 100.0);
    EXPECT_FALSE(bar->GetOverlay()->IsShowing(false));
    EXPECT_EQ(Text(*bar->GetPercentLabel()), "0");
    EXPECT_FALSE(TimeShown());

    bar->SetNormalizedValue(0.424);
    EXPECT_EQ(Text(*bar->GetPercentLabel()), "42");
    EXPECT_EQ(bar->GetOverlay()->GetSize().x, 85.0);
    Screenshot("forty_two");
    bar->SetNormalizedValue(0.002);
    EXPECT_FALSE(bar->GetOverlay()->IsShowing(false)) << "less than a pixel of progress";
    bar->SetNormalizedValue(1.0);
    EXPECT_EQ(bar->GetOverlay()->GetSize().x, 200.0);
    EXPECT_EQ(Text(*bar->GetPercentLabel()), "100");
}

TEST_F(ProgressEstimate, RemainingTimeInWords)
{
    EXPECT_EQ(bar->FormatRemainingTime(65).ToNarrow(), NString("1 Minute 5 Seconds Remaining"));
    EXPECT_EQ(bar->FormatRemainingTime(3600).ToNarrow(), NString("1 Hour 0 Minutes 0 Seconds Remaining"));
    EXPECT_EQ(bar->FormatRemainingTime(59).ToNarrow(), NString("59 Seconds Remaining"));
    EXPECT_EQ(bar->FormatRemainingTime(7201).ToNarrow(), NString("2 Hours 0 Minutes 1 Second Remaining"));
    EXPECT_EQ(bar->FormatRemainingTime(0).ToNarrow(), NString("0 Seconds Remaining"));
    EXPECT_EQ(bar->FormatRemainingTime(-5).ToNarrow(), NString("0 Seconds Remaining"));
}

TEST_F(ProgressEstimate, TheEstimateFollowsTheAverageRateAndStopsAtTheEnd)
{
    bar->SetTimeEstimation(true);
    Advance(10000);
    bar->SetNormalizedValue(0.1);
    ASSERT_TRUE(TimeShown());
    EXPECT_EQ(TimeText(), "1 Minute 30 Seconds Remaining") << "0.1 in 10 s leaves 90 s";
    // No growth: the text stays.
    Advance(5000);
    bar->SetNormalizedValue(0.1);
    EXPECT_EQ(TimeText(), "1 Minute 30 Seconds Remaining");
    // Within a second of the last sample the estimate is renewed from the start's average.
    Advance(5000);
    bar->SetNormalizedValue(0.4);
    EXPECT_EQ(TimeText(), "30 Seconds Remaining") << "0.4 in 20 s leaves 30 s";
    Screenshot("estimate");
    Advance(10000);
    bar->SetNormalizedValue(1.0);
    EXPECT_EQ(TimeText(), "0 Seconds Remaining");
    EXPECT_FALSE(bar->IsEstimating()) << "done: estimation ends, the text stays";
    EXPECT_TRUE(TimeShown());
}

TEST_F(ProgressEstimate, NoEstimateUntilTheRateIsPositiveAndTheTimeFits)
{
    // Back below where estimation began, then forward again but not past it: no estimate.
    bar->SetNormalizedValue(0.5);
    bar->SetTimeEstimation(true);
    Advance(2000);
    bar->SetNormalizedValue(0.2);
    Advance(2000);
    bar->SetNormalizedValue(0.4);
    EXPECT_FALSE(TimeShown());

    // A crawl over a long time: the remaining time would not fit in seconds; still none.
    bar->SetTimeEstimation(false);
    bar->SetNormalizedValue(0.0);
    bar->SetTimeEstimation(true);
    Advance(3600000);
    bar->SetNormalizedValue(1e-12);
    EXPECT_FALSE(TimeShown());
    // A real rate shows at last.
    Advance(2000);
    bar->SetNormalizedValue(0.5);
    ASSERT_TRUE(TimeShown());
    EXPECT_EQ(TimeText(), "1 Hour 0 Minutes 2 Seconds Remaining");
}
