// Level meters from the skin: the bar's length on either axis, the peak marker held where the
// caller puts it and dropped by an outside value, a meter without a far peak end, hostile
// levels, and the clip light lit by a new count, latched until clicked.
#include "MiscFixture.h"

#include "kx/controls/LevelMeter.h"

#include <cmath>
#include <limits>

using namespace KX;

namespace {

class MeterLevels : public ctltest::MiscTest {
protected:
    static RCPtr<LControl> Part(LControl& meter, const char16_t* name) { return meter.FindChild(WString(name)); }
    static bool Shown(const RCPtr<LControl>& c) { return c && c->IsShowing(false); }
};

} // namespace

TEST_F(MeterLevels, AHorizontalBarFollowsTheLevelAndThePeakMarkerIsHeldWhereTheCallerPutsIt)
{
    RCPtr<LLevelMeter> meter = CreateAs<LLevelMeter>(u"meterH");
    ASSERT_TRUE(meter);
    EXPECT_FALSE(meter->IsVertical());
    const RCPtr<LControl> bar = Part(*meter, u"activeOverlay"), peak = Part(*meter, u"peakLo");
    ASSERT_TRUE(bar && peak);
    EXPECT_FALSE(Shown(bar)) << "level 0 shows no bar";
    EXPECT_FALSE(Shown(Part(*meter, u"peakHi")));

    meter->SetPeakAndLevel(1.0, 0.0);
    ASSERT_TRUE(Shown(bar));
    EXPECT_EQ(bar->GetSize().x, 120.0) << "level 1 fills the meter's width";
    EXPECT_FALSE(Shown(peak)) << "peak 0 hides the marker";

    meter->SetPeakAndLevel(0.3, 0.8);
    EXPECT_EQ(bar->GetSize().x, 36.0);
    ASSERT_TRUE(Shown(peak));
    EXPECT_EQ(peak->GetPosition().x, 78.0) << "0.8 of the way from peakLo to peakHi (98 pixels)";
    meter->SetPeakAndLevel(0.1, 0.8);
    EXPECT_EQ(peak->GetPosition().x, 78.0) << "the marker stays while the caller holds the peak";
    Screenshot("held");

    // A value set from outside: the bar follows, the marker drops.
    meter->SetNormalizedValue(0.5);
    EXPECT_EQ(bar->GetSize().x, 60.0);
    EXPECT_FALSE(Shown(peak));

    // Hostile levels never reach the value.
    meter->SetPeakAndLevel(std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(meter->GetNormalizedValue(), 0.0);
    EXPECT_FALSE(Shown(bar));
    meter->SetPeakAndLevel(std::numeric_limits<double>::infinity(), 7.0);
    EXPECT_EQ(meter->GetNormalizedValue(), 1.0);
    EXPECT_EQ(peak->GetPosition().x, 98.0) << "a peak past 1 stops at the far end";
}

TEST_F(MeterLevels, AVerticalMeterCoversFromTheTopAndAMeterWithoutAFarEndShowsNoPeak)
{
    RCPtr<LLevelMeter> meter = CreateAs<LLevelMeter>(u"meterV");
    ASSERT_TRUE(meter);
    EXPECT_TRUE(meter->IsVertical());
    const RCPtr<LControl> cover = Part(*meter, u"activeOverlay"), peak = Part(*meter, u"peakLo");
    meter->SetPeakAndLevel(0.25, 0.5);
    ASSERT_TRUE(Shown(cover));
    EXPECT_EQ(cover->GetSize().y, 60.0) << "the unlit part above a quarter of 80 pixels";
    ASSERT_TRUE(Shown(peak));
    EXPECT_EQ(peak->GetPosition().y, 39.0) << "half way up from 78 towards 0";
    Screenshot("quarter");
    meter->SetPeakAndLevel(1.0, 0.5);
    EXPECT_FALSE(Shown(cover));

    RCPtr<LLevelMeter> lone = CreateAs<LLevelMeter>(u"meterNoPeakHi");
    ASSERT_TRUE(lone);
    lone->SetPeakAndLevel(0.5, 0.9);
    EXPECT_FALSE(Shown(Part(*lone, u"peakLo")));
    EXPECT_EQ(lone->SetClipLatched(true), E_FAIL) << "no clip light";
    EXPECT_FALSE(lone->IsClipLatched());
    EXPECT_FALSE(lone->IsClipLit());
}

TEST_F(MeterLevels, ANewClipCountLightsTheLightAndLatchedItStaysLitUntilClicked)
{
    RCPtr<LLevelMeter> meter = CreateAs<LLevelMeter>(u"meterH");
    ASSERT_TRUE(meter);
    const RCPtr<LControl> clip = Part(*meter, u"clipButton");
    ASSERT_TRUE(clip);
    RCPtr<ctltest::NotificationLog> log = Listen(*meter, {u"NID_CLIPLIGHT_UNLATCHED"});

    meter->SetLevelsWithClip(0.9, 0.9, 1);
    EXPECT_TRUE(meter->IsClipLit());
    meter->SetLevelsWithClip(0.5, 0.9, 1);
    EXPECT_FALSE(meter->IsClipLit()) << "a steady count lets the light go dark";

    ASSERT_EQ(meter->SetClipLatched(true), S_OK);
    meter->SetLevelsWithClip(0.9, 0.9, 2);
    meter->SetLevelsWithClip(0.5, 0.9, 2);
    EXPECT_TRUE(meter->IsClipLit()) << "latched, the light stays lit";
    Screenshot("latched");
    ClickOn(*clip);
    EXPECT_FALSE(meter->IsClipLit());
    EXPECT_EQ(log->Count("NID_CLIPLIGHT_UNLATCHED"), 1);
    ClickOn(*clip);
    EXPECT_EQ(log->Count("NID_CLIPLIGHT_UNLATCHED"), 1) << "a dark light sends nothing";

    // Unlatched again, clicks are not the meter's business.
    ASSERT_EQ(meter->SetClipLatched(false), S_OK);
    meter->SetLevelsWithClip(0.9, 0.9, 3);
    ClickOn(*clip);
    EXPECT_EQ(log->Count("NID_CLIPLIGHT_UNLATCHED"), 1);
    meter->SetClipCounter(9);
    EXPECT_EQ(meter->GetClipCounter(), 9);
    EXPECT_TRUE(meter->IsClipLit()) << "storing a count leaves the light alone";
}
