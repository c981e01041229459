// The keybed zones on the editor's real skin: the 9-byte zone value both ways, byte exact; values
// of another length or zone refused; the key rule in the panel and the tile; one flip per click,
// shown with a mark.
#include "PanelsFixture.h"

#include "editor/KeybedZoneEditPanel.h"
#include "editor/KeybedZoneGroupPanel.h"
#include "editor/KeybedZonePanel.h"

#include "kx/controls/Button.h"
#include "kx/controls/ComboBox.h"
#include "kx/controls/Label.h"
#include "kx/controls/NumericUpDown.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace KX;
using Bytes = std::vector<uint8_t>;

namespace {

class ZonePanels : public paneltest::PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        StartEngine();
        BuildMain();
        ASSERT_TRUE(view);
        panel = ViewChildAs<LKeybedZoneEditPanel>(u"zoneEditPanel");
        zones = ViewChildAs<LKeybedZoneGroupPanel>(u"keybedZones");
        ASSERT_TRUE(panel && zones);
    }
    void TearDown() override
    {
        zones = nullptr;
        panel = nullptr;
        PanelTest::TearDown();
    }

    int32_t ZoneId(int32_t index) const { return zones->GetFirstParamID() + index; }
    RCPtr<LKeybedZonePanel> Tile(int32_t index)
    {
        return RCPtr<LKeybedZonePanel>(dynamic_cast<LKeybedZonePanel*>(zones->GetTile(index).Get()));
    }
    // A click on the zone's tile, then the engine's value comes down the tree.
    void ClickZone(int32_t index)
    {
        ClickOn(*Tile(index)->FindChild(WString(u"button")));
        RunIdle();
    }
    Bytes Shown() const
    {
        const Array<signed char> v = panel->GetKeybedZoneValue();
        Bytes out;
        for (uint32_t i = 0; i < v.GetCount(); ++i)
            out.push_back(static_cast<uint8_t>(v.ElementAt(i)));
        return out;
    }
    std::string Info(int32_t index) { return apptest::Narrow(Tile(index)->GetInfoLabel()->GetText()); }

    RCPtr<LKeybedZoneEditPanel> panel;
    RCPtr<LKeybedZoneGroupPanel> zones;
};

} // namespace

TEST_F(ZonePanels, TheNineBytesGoInAndComeBackByteForByte)
{
    ClickZone(1);
    EXPECT_EQ(apptest::Narrow(panel->FindChild(WString(u"zoneName"))->GetText()), "ZONE 2");
    EXPECT_EQ(Shown(), (Bytes{0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x18, 0x05, 0x0C})) << "zone 2's default";
    EXPECT_EQ(apptest::Narrow(panel->GetChannelCombo()->GetItemText(1)), "Channel 1");
    EXPECT_EQ(Info(1), "First: C (2) | Last C (4)");

    // Octave byte 0 is -5 and transpose byte 24 is +12; the widgets give back the same bytes and
    // the record reaches the engine and the tile.
    const Bytes record{0x01, 0x10, 0x7F, 0x03, 0x04, 0x0A, 0x14, 0x00, 0x18};
    ASSERT_EQ(panel->SetParamValueLocal(ParamDescriptor(ZoneId(1)), viewtest::Bytes(record), true), S_OK);
    const auto octave = RCPtr<LNumericUpDown>::DynamicCast(
        ConstRCPtr<LControl>(panel->FindChild(WString(u"octave"))->FindChild(WString(u"numericUpDown"))));
    ASSERT_TRUE(octave);
    EXPECT_EQ(octave->NormalizedToValue(octave->GetNormalizedValue()), -5.0);
    EXPECT_EQ(Shown(), record);
    EXPECT_EQ(EngineValue(ZoneId(1)), record);
    EXPECT_EQ(Info(1), "First: Bb (2) | Last Ab (3)");
    EXPECT_EQ(EngineValue(ZoneId(0)), (Bytes{0, 0, 0, 0, 0, 0, 24, 5, 12})) << "zone 1 is untouched";
}

TEST_F(ZonePanels, AValueOfAnotherLengthOrZoneIsRefusedAndChangesNothing)
{
    ClickZone(2);
    const Bytes shown = Shown();
    for (const Bytes& wrong : {Bytes{1, 4, 9, 0, 0, 2, 3, 5}, Bytes{1, 4, 9, 0, 0, 2, 3, 5, 12, 0}, Bytes{}})
        EXPECT_EQ(panel->SetParamValueLocal(ParamDescriptor(ZoneId(2)), viewtest::Bytes(wrong), true), E_FAIL);
    EXPECT_EQ(
        panel->SetParamValueLocal(ParamDescriptor(ZoneId(3)), viewtest::Bytes({1, 4, 9, 0, 0, 2, 3, 5, 12}), true),
        E_FAIL);
    EXPECT_EQ(Tile(2)->SetParamValueLocal(ParamDescriptor(ZoneId(2)), viewtest::Bytes({1, 4, 9, 0, 0, 2, 3}), true),
              E_FAIL);
    EXPECT_EQ(Shown(), shown);
    EXPECT_EQ(Info(2), "First: C (2) | Last C (4)");
}

TEST_F(ZonePanels, KeysStayOnTheKeybedAndTheFirstNeverPassesTheLast)
{
    ClickZone(0);
    panel->GetLastKeyBox()->SetValueAndRead(20);
    panel->GetFirstKeyBox()->SetValueAndRead(30);
    // 30 snaps to 24, which is above the last key, so the first key follows the last.
    EXPECT_EQ(EngineValue(ZoneId(0)), (Bytes{0, 0, 0, 0, 0, 20, 20, 5, 12}));
    panel->GetLastKeyBox()->SetValueAndRead(7);
    EXPECT_EQ(EngineValue(ZoneId(0)), (Bytes{0, 0, 0, 0, 0, 7, 7, 5, 12}));
    // A record with the keys crossed is shown, and sent back, as the last key twice.
    panel->SetParamValueLocal(ParamDescriptor(ZoneId(0)), viewtest::Bytes({0, 0, 0, 0, 0, 20, 10, 5, 12}), true);
    EXPECT_EQ(EngineValue(ZoneId(0)), (Bytes{0, 0, 0, 0, 0, 10, 10, 5, 12}));

    // The tile shows the keys as stored: no key rule, no clamping; a byte no note name fits shows
    // its number rather than reading outside the name tables.
    EXPECT_EQ(Tile(3)->SetParamValueLocal(ParamDescriptor(ZoneId(3)),
                                          viewtest::Bytes({0, 0, 0, 0, 0, 0xF0, 0x80, 5, 12}), true),
              S_OK);
    EXPECT_EQ(Info(3), "First: 240  | Last 128 ");
    Tile(3)->SetParamValueLocal(ParamDescriptor(ZoneId(3)), viewtest::Bytes({0, 0, 0, 0, 0, 0x7F, 0x7F, 5, 12}), true);
    EXPECT_EQ(Info(3), "First: G (12) | Last G (12)");
    Tile(3)->SetParamValueLocal(ParamDescriptor(ZoneId(3)), viewtest::Bytes({0, 0, 0, 0, 0, 20, 5, 5, 12}), true);
    EXPECT_EQ(Info(3), "First: Ab (3) | Last F (2)");
}

TEST_F(ZonePanels, OneClickOnTheSwitchFlipsItOnceAndSendsIt)
{
    ClickZone(3);
    // "On" shows as a dark mark on the accent (a point of its stroke left of and below the centre),
    // not as the fill alone; "off" shows the plain face there.
    const PointT<int32_t> centre = CentreOf(*panel->GetEnabledToggle());
    const auto near = [](uint32_t rgb, uint32_t expected) {
        for (int shift = 0; shift <= 16; shift += 8)
            if (std::abs(static_cast<int>((rgb >> shift) & 0xFF) - static_cast<int>((expected >> shift) & 0xFF)) > 24)
                return false;
        return true;
    };
    ClickOn(*panel->GetEnabledToggle());
    RunIdle();
    EXPECT_EQ(EngineValue(ZoneId(3))[0], 1);
    EXPECT_TRUE(near(Pixel(centre.x - 2, centre.y + 5), 0x1B1D20)) << std::hex << Pixel(centre.x - 2, centre.y + 5);
    EXPECT_TRUE(near(Pixel(centre.x - 8, centre.y - 8), 0x3FA9F5)) << std::hex << Pixel(centre.x - 8, centre.y - 8);
    // The tile in the picture drops its "OFF" tag.
    const RCPtr<LControl> offTag = Tile(3)->FindChild(WString(u"zoneOff"));
    ASSERT_TRUE(offTag);
    EXPECT_FALSE(offTag->IsShowing(false));
    EXPECT_EQ(apptest::Narrow(offTag->GetText()), "OFF");
    ClickOn(*panel->GetEnabledToggle());
    RunIdle();
    EXPECT_EQ(EngineValue(ZoneId(3))[0], 0);
    EXPECT_FALSE(near(Pixel(centre.x - 2, centre.y + 5), 0x1B1D20)) << std::hex << Pixel(centre.x - 2, centre.y + 5);
    EXPECT_TRUE(offTag->IsShowing(false));
    // Retargeting again and again keeps a single watch on the panel: hiding it clears every tile.
    ClickZone(1);
    ClickZone(2);
    EXPECT_EQ(Tile(2)->FindChild(WString(u"button"))->GetNormalizedValue(), 1.0);
    view->ShowEditPanel(LDeviceView::kFaderPanel, 0);
    RunIdle();
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_EQ(Tile(i)->FindChild(WString(u"button"))->GetNormalizedValue(), 0.0) << i;
}
