// The tiles without a colour indicator and the moveable-control summary, created from the shipped
// skin: what each tile hands its summary, and the texts the summary makes of it.
#include "ControlsHarness.h"
#include "SkinTestDocs.h"

#include "editor/ButtonControlViewPanel.h"
#include "editor/ControlTiles.h"
#include "editor/EditorClasses.h"
#include "editor/MIDIChannelViewPanel.h"
#include "editor/MoveableControlViewPanel.h"

#include "kx/controls/Label.h"
#include "kx/ui/ParamRecords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace KX;

namespace {

constexpr int32_t kId = 40;

std::string Narrow(const WString& s)
{
    return std::string(s.ToNarrow().GetString());
}

Variant Bytes(const std::vector<uint8_t>& bytes)
{
    return MakeBytesVariant(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

template <class T>
RCPtr<T> Child(LControl& parent, const char16_t* name)
{
    return RCPtr<T>::DynamicCast(ConstRCPtr<LControl>(parent.FindChild(WString(name))));
}

class ControlTiles : public ctltest::ControlsTest {
protected:
    std::vector<std::string> Areas() const override
    {
        return {skintest::WriteHarnessArea(ctltest::ScreenshotFolder() + "editor_area")};
    }
    void RegisterClasses(LControlFactory& f) override { RegisterEditorControlClasses(f); }
    int32_t WindowWidth() const override { return 120; }
    int32_t WindowHeight() const override { return 100; }

    // The info and channel texts of a moveable tile's summary.
    template <class Tile>
    std::string Info(Tile& tile)
    {
        const auto info = Child<LLabel>(*tile.GetViewPanel(), u"infoLabel");
        return info ? Narrow(info->GetText()) : "<no info>";
    }
    template <class Tile>
    std::string Channel(Tile& tile)
    {
        const auto field = Child<LMIDIChannelViewPanel>(*tile.GetViewPanel(), u"midiChannel");
        return field ? Narrow(field->GetLabel()->GetText()) : "<no channel>";
    }
};

TEST_F(ControlTiles, MoveableSummaryTextsForEveryMessageKind)
{
    const auto tile = CreateAs<LFaderPanel>(u"faderTile");
    ASSERT_TRUE(tile && tile->GetViewPanel());
    tile->SetFirstParamID(nullptr, kId, 0);
    auto show = [&](std::vector<uint8_t> v) {
        EXPECT_EQ(tile->SetParamValueLocal(ParamDescriptor(kId), Bytes(v), true), S_OK);
        return Info(*tile);
    };
    EXPECT_EQ(show({0x00, 0x00, 0x07, 0x00, 0x00, 0x7F}), "CC:\n7");
    EXPECT_EQ(Channel(*tile), "CH:G");
    EXPECT_EQ(show({0x03, 0x01, 0x06, 0x00, 0x05, 0x01}), "NRPN:\n133");
    EXPECT_EQ(Channel(*tile), "CH:3");
    EXPECT_EQ(show({0x00, 0x01, 0x04, 0x00, 0x00, 0x00}), "RPN:\n0");
    EXPECT_EQ(show({0x00, 0x01, 0x10, 0x00, 0x00, 0x00}), "PITCH\nBEND");
    EXPECT_EQ(show({0x00, 0x01, 0x03, 0x00, 0x00, 0x00}), "CH.\nAFT.");
    EXPECT_EQ(show({0x00, 0x01, 0x02, 0x00, 0x00, 0x00}), "OTH.");
    EXPECT_EQ(show({0x00, 0x01, 0x09, 0x00, 0x00, 0x00}), "SYSEX");
    // Negative codes are "other"; a negative controller is shown as its unsigned pattern.
    EXPECT_EQ(show({0x00, 0x01, 0x90, 0x00, 0x00, 0x00}), "OTH.");
    EXPECT_EQ(show({0x00, 0x00, 0x90, 0x00, 0x00, 0x00}), "CC:\n4294967184");

    // A 5-byte value is refused by the fader and ignored by the summary itself.
    EXPECT_EQ(tile->SetParamValueLocal(ParamDescriptor(kId), Bytes({0x05, 0x00, 0x01, 0x00, 0x00}), true), E_FAIL);
    Array<char> five;
    for (char c : {5, 0, 1, 0, 0})
        five.AddItem(c);
    tile->GetViewPanel()->SetMoveableValue(five);
    EXPECT_EQ(Info(*tile), "CC:\n4294967184");
    EXPECT_EQ(Channel(*tile), "CH:G");
    // Another control's id is refused whatever the bytes.
    EXPECT_EQ(tile->SetParamValueLocal(ParamDescriptor(kId + 1), Bytes({0, 0, 1, 0, 0, 0}), true), E_FAIL);
    EXPECT_EQ(Info(*tile), "CC:\n4294967184");
}

TEST_F(ControlTiles, EachTileAdaptsItsOwnValueLength)
{
    // The wheel's five bytes get a zero as byte 3: its last two are the number's low and high parts.
    const auto wheel = CreateAs<LWheelPanel>(u"wheelTile");
    ASSERT_TRUE(wheel);
    wheel->SetFirstParamID(nullptr, kId, 0);
    EXPECT_EQ(wheel->SetParamValueLocal(ParamDescriptor(kId), Bytes({0x02, 0x01, 0x04, 0x05, 0x01}), true), S_OK);
    EXPECT_EQ(Info(*wheel), "RPN:\n133");
    EXPECT_EQ(Channel(*wheel), "CH:2");
    EXPECT_EQ(wheel->SetParamValueLocal(ParamDescriptor(kId), Bytes({0, 0, 1, 0, 0, 0}), true), E_FAIL);

    // The axis shows only a whole 15-byte value, by its first six bytes.
    const auto axis = CreateAs<LXYPadDirectionPanel>(u"axisTile");
    ASSERT_TRUE(axis);
    axis->SetFirstParamID(nullptr, kId, 1);
    EXPECT_EQ(axis->SetParamValueLocal(ParamDescriptor(kId), Bytes({0, 1, 0x10, 0, 0, 0}), true), E_FAIL);
    std::vector<uint8_t> axisValue(15, 0x55);
    axisValue[0] = 0;
    axisValue[1] = 0;
    axisValue[2] = 74;
    EXPECT_EQ(axis->SetParamValueLocal(ParamDescriptor(kId), Bytes(axisValue), true), S_OK);
    EXPECT_EQ(Info(*axis), "CC:\n74");

    // The sustain pedal's six bytes become a button message with zero step bytes.
    const auto sustain = CreateAs<LSustainPedalPanel>(u"sustainPedalTile");
    ASSERT_TRUE(sustain);
    sustain->SetFirstParamID(nullptr, kId, 0);
    const auto info = Child<LLabel>(*sustain->GetViewPanel(), u"infoLabel");
    ASSERT_TRUE(info);
    EXPECT_EQ(sustain->SetParamValueLocal(ParamDescriptor(kId), Bytes({0x00, 0x00, 0x40, 0x00, 0x00, 0x7F}), true),
              S_OK);
    Array<char> expected;
    for (char c : {0, 0, 0x40, 0, 0, 0, 0, 0, 0, 0x7F})
        expected.AddItem(c);
    EXPECT_EQ(Narrow(info->GetText()), Narrow(sustain->GetViewPanel()->DescribeMessage(expected)));
    EXPECT_EQ(sustain->SetParamValueLocal(ParamDescriptor(kId), Bytes({0, 0, 0x40, 0, 0}), true), E_FAIL);
    Screenshot("sustain_pedal_tile");
}

TEST_F(ControlTiles, NumbersWithinTheBankAndPedalsKeepTheirLabels)
{
    const auto encoder = CreateAs<LEncoderPanel>(u"encoderTile");
    const auto fader = CreateAs<LFaderPanel>(u"faderTile");
    ASSERT_TRUE(encoder && fader);
    encoder->SetFirstParamID(nullptr, kId + 13, 13);
    fader->SetFirstParamID(nullptr, kId + 13, 13);
    EXPECT_EQ(Narrow(Child<LLabel>(*encoder, u"encoderNameLabel")->GetText()), "E2");
    EXPECT_EQ(Narrow(Child<LLabel>(*fader, u"faderNumberLabel")->GetText()), "F4");
    EXPECT_EQ(encoder->GetFirstParamID(), kId + 13);

    // A tile of no skin names the missing child; the module fields are stored first.
    RCPtr<LFaderPanel> bare(new LFaderPanel(Page(), WString(u"bareFader")));
    try {
        bare->SetFirstParamID(nullptr, kId, 2);
        ADD_FAILURE() << "no error";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("Null Pointer : Cannot find child: faderNumberLabel"), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(bare->GetFirstParamID(), kId);
    RCPtr<LWheelPanel> bareWheel(new LWheelPanel(Page(), WString(u"bareWheel")));
    EXPECT_THROW(bareWheel->Initialize(), std::runtime_error);
}

} // namespace
