// The push-button tile, its assignment summary and its channel field, created from the shipped skin
// over an engine whose stored values the colour indicator reads.
#include "ControlsHarness.h"
#include "EngineFakes.h"
#include "SkinTestDocs.h"

#include "editor/ButtonControlViewPanel.h"
#include "editor/ButtonPanel.h"
#include "editor/EditorClasses.h"
#include "editor/MIDIChannelViewPanel.h"

#include "engine/RootModuleEngine.h"

#include "kx/controls/Label.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace KX;

namespace {

// Push button i has relative id 25 + i in an engine numbered from 0.
constexpr int32_t kFirstButtonId = 25;

std::string Narrow(const WString& s)
{
    return std::string(s.ToNarrow().GetString());
}

Variant Bytes(const std::vector<uint8_t>& bytes)
{
    return MakeBytesVariant(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

std::vector<uint8_t> DefaultButton(uint8_t i)
{
    return {0x00, 0x04, 0x03, 0x07, 0x05, 0x01, 0x13, i, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7F, 0x00, 0x00, 0x00};
}

// The look shown alone at full opacity, -1 when none is.
int32_t ShownLook(const LControl& c)
{
    int32_t shown = -1;
    for (uint32_t i = 0; i < c.GetLookCount(); ++i) {
        if (c.GetLookOpacity(i) == 1.0f) {
            if (shown >= 0)
                return -1;
            shown = static_cast<int32_t>(i);
        }
    }
    return shown;
}

class Tiles : public ctltest::ControlsTest {
protected:
    std::vector<std::string> Areas() const override
    {
        return {skintest::WriteHarnessArea(ctltest::ScreenshotFolder() + "editor_area"),
                std::string(KX_EDITOR_TEST_RESOURCES) + "tiles"};
    }
    void RegisterClasses(LControlFactory& f) override { RegisterEditorControlClasses(f); }
    int32_t WindowWidth() const override { return 200; }
    int32_t WindowHeight() const override { return 120; }

    void SetUp() override
    {
        ctltest::ControlsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        comm = RCPtr<kxtest::FakeEngineDeviceCommunication>(new kxtest::FakeEngineDeviceCommunication());
        LRootModuleEngine::Options options;
        options.deviceCommunication = comm;
        options.monitorIntervalMs = 5;
        engine = LRootModuleEngine::Create(options);
        ASSERT_EQ(engine->Initialize(0), S_OK);
        Variant device;
        device.SetString("Lumo 25");
        ASSERT_GE(engine->ConnectDevice(device, false), 0);
        SetRootModuleEngine(engine);
        tile = CreateAs<LButtonPanel>(u"pushButtonTile");
        ASSERT_TRUE(tile);
        view = tile->GetViewPanel();
        info = RCPtr<LLabel>::DynamicCast(ConstRCPtr<LControl>(view->FindChild(WString(u"infoLabel"))));
        channel =
            RCPtr<LMIDIChannelViewPanel>::DynamicCast(ConstRCPtr<LControl>(view->FindChild(WString(u"midiChannel"))));
        ASSERT_TRUE(info && channel);
    }
    void TearDown() override
    {
        tile = nullptr;
        view = nullptr;
        info = nullptr;
        channel = nullptr;
        ctltest::ControlsTest::TearDown();
        SetRootModuleEngine(nullptr);
        engine = nullptr;
        comm = nullptr;
    }

    // The summary's text for a message (a copy: the panel normalizes what it gets).
    std::string Summary(std::vector<uint8_t> message)
    {
        Array<char> m;
        for (uint8_t b : message)
            m.AddItem(static_cast<char>(b));
        view->SetButtonMessage(m);
        return Narrow(info->GetText());
    }
    std::string Channel(int8_t c)
    {
        channel->SetMIDIChannel(c);
        return Narrow(channel->GetLabel()->GetText());
    }
    void Store(int32_t id, const std::vector<uint8_t>& value)
    {
        ASSERT_GE(engine->SetParamValues(ParamDescriptor(id), Bytes(value)), 0) << int(value[1]);
    }

    RCPtr<kxtest::FakeEngineDeviceCommunication> comm;
    RCPtr<LRootModuleEngine> engine;
    RCPtr<LButtonPanel> tile;
    RCPtr<LButtonControlViewPanel> view;
    RCPtr<LLabel> info;
    RCPtr<LMIDIChannelViewPanel> channel;
};

TEST_F(Tiles, ChannelSelectorTexts)
{
    EXPECT_EQ(Channel(0), "CH:G");
    EXPECT_EQ(Channel(1), "CH:1");
    EXPECT_EQ(Channel(16), "CH:16");
    EXPECT_EQ(Channel(17), "CH:Z1");
    EXPECT_EQ(Channel(20), "CH:Z4");
    EXPECT_EQ(Channel(21), "CH:OM");
    // Past omni nothing is named: the text stays.
    EXPECT_EQ(Channel(22), "CH:OM");
    EXPECT_EQ(Channel(127), "CH:OM");
    // Bytes 0x80..0xFF are negative and fall into the channel row.
    EXPECT_EQ(Channel(static_cast<int8_t>(0x80)), "CH:-128");
    EXPECT_EQ(Channel(static_cast<int8_t>(0xFF)), "CH:-1");
}

TEST_F(Tiles, SummaryTextForEachMessageType)
{
    // Bytes: channel, typed flag, type, data, first, step 1, cycle, step 2, cycle, last.
    EXPECT_EQ(Summary({0, 1, 19, 5, 0, 0, 0, 0, 0, 0x7F}), "NT:\n5");
    EXPECT_EQ(Narrow(channel->GetLabel()->GetText()), "CH:G");
    // Typed flag 0: an absolute control change, whatever byte 2 would mean as a type.
    EXPECT_EQ(Summary({0, 0, 26, 0, 0, 0, 0, 0, 0, 0x7F}), "CC:\n26");
    EXPECT_EQ(Summary({0, 1, 17, 9, 0, 0, 0, 0, 0, 0}), "PG:\n9");
    EXPECT_EQ(Summary({0, 1, 18, 7, 0, 0, 0, 0, 0, 0}), "CC:\n7");
    // A step without both step flags is read as a cycle.
    EXPECT_EQ(Summary({0, 1, 26, 12, 0, 0, 0, 0, 0, 0}), "CC:\n12");
    EXPECT_EQ(Summary({0, 1, 28, 0, 0, 1, 0, 1, 0, 0x7F}), "PG\n+/-");
    EXPECT_EQ(Summary({0, 1, 27, 0, 0, 1, 0, 0, 0, 0x7F}), "PG\nCYCLE");
    EXPECT_EQ(Summary({0, 1, 5, 0, 2, 0, 0, 0, 0, 1}), "RPN:\n130");
    EXPECT_EQ(Summary({0, 1, 7, 0, 3, 0, 0, 0, 0, 2}), "NRPN:\n259");
    EXPECT_EQ(Summary({0, 1, 0, 0, 0, 0, 0, 0, 0, 0}), "OTH.");
    EXPECT_EQ(Summary({0, 1, 3, 0, 0, 0, 0, 0, 0, 0}), "CH.\nAFT.");
    EXPECT_EQ(Summary({0, 1, 16, 0, 0, 0, 0, 0, 0, 0}), "PITCH\nBEND");
    EXPECT_EQ(Summary({0, 1, 23, 0, 0, 0, 0, 0, 0, 0}), "SYSEX");
    EXPECT_EQ(Summary({0, 1, 40, 0, 0, 0, 0, 0, 0, 0}), "SYSEX");
}

TEST_F(Tiles, HostileMessageBytesAndLengths)
{
    EXPECT_EQ(Summary({0, 1, 0xFD, 0, 0, 0, 0, 0, 0, 0}), "OTH.");
    // A negative typed flag is typed, but the step fix-up leaves it alone.
    EXPECT_EQ(Summary({0, 0x80, 28, 0, 0, 0, 0, 0, 0, 0}), "PG\n+/-");
    // "%u" with -128 prints its unsigned 32-bit form.
    EXPECT_EQ(Summary({0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0}), "CC:\n4294967168");
    // Wrong lengths change nothing, not even the channel.
    Summary({5, 1, 19, 5, 0, 0, 0, 0, 0, 0x7F});
    EXPECT_EQ(Summary({0, 1, 17, 9, 0, 0, 0, 0, 0}), "NT:\n5");
    EXPECT_EQ(Summary({0, 1, 17, 9, 0, 0, 0, 0, 0, 0, 0}), "NT:\n5");
    EXPECT_EQ(Narrow(channel->GetLabel()->GetText()), "CH:5");
    // MMC names come from the edit panel's selector; without it the text stays.
    EXPECT_EQ(Summary({0, 1, 21, 0, 2, 0, 0, 0, 0, 0}), "NT:\n5");
}

TEST_F(Tiles, MmcCommandsAreNamedByTheEditPanelsSelector)
{
    ASSERT_TRUE(Create(u"viewDevice"));
    EXPECT_EQ(Summary({0, 1, 21, 0, 1, 0, 0, 0, 0, 0}), "STOP");
    // "Deferred Play" loses its blank on the way to its key.
    EXPECT_EQ(Summary({0, 1, 21, 0, 3, 0, 0, 0, 0, 0}), "PLAY");
    EXPECT_EQ(Summary({0, 1, 21, 0, 11, 0, 0, 0, 0, 0}), "CHASE");
    EXPECT_EQ(Summary({0, 1, 21, 0, 13, 0, 0, 0, 0, 0}), "RESET");
    // 12 is not offered; 0 and negative commands have no name either.
    EXPECT_EQ(Summary({0, 1, 21, 0, 12, 0, 0, 0, 0, 0}), "MMC");
    EXPECT_EQ(Summary({0, 1, 21, 0, 0, 0, 0, 0, 0, 0}), "MMC");
    EXPECT_EQ(Summary({0, 1, 21, 0, 0xF5, 0, 0, 0, 0, 0}), "MMC");
}

TEST_F(Tiles, TileNumbersItselfAndFollowsTheValueRoutedToIt)
{
    const auto number =
        RCPtr<LLabel>::DynamicCast(ConstRCPtr<LControl>(tile->FindChild(WString(u"buttonNumberLabel"))));
    ASSERT_TRUE(number);
    tile->SetFirstParamID(nullptr, kFirstButtonId + 7, 7);
    EXPECT_EQ(Narrow(number->GetText()), "B3");
    // A second call formats the text the first one left.
    tile->SetFirstParamID(nullptr, kFirstButtonId + 2, 2);
    EXPECT_EQ(Narrow(number->GetText()), "B3");

    std::vector<uint8_t> value = DefaultButton(2);
    value[0] = 18; // zone 2
    value[6] = 17; // program change
    value[7] = 42;
    EXPECT_EQ(tile->SetParamValueLocal(ParamDescriptor(kFirstButtonId + 2), Bytes(value), false), S_OK);
    EXPECT_EQ(Narrow(info->GetText()), "PG:\n42");
    EXPECT_EQ(Narrow(channel->GetLabel()->GetText()), "CH:Z2");
    // Wrong lengths and foreign ids are refused; the summary keeps its text.
    value[7] = 43;
    value.pop_back();
    EXPECT_EQ(tile->SetParamValueLocal(ParamDescriptor(kFirstButtonId + 2), Bytes(value), true), E_FAIL);
    EXPECT_EQ(tile->SetParamValueLocal(ParamDescriptor(kFirstButtonId + 3), Bytes(DefaultButton(3)), true), E_FAIL);
    EXPECT_EQ(Narrow(info->GetText()), "PG:\n42");
}

TEST_F(Tiles, IndicatorShowsTheStoredColourAndShiftClickPreviewsTheFour)
{
    tile->SetFirstParamID(nullptr, kFirstButtonId, 0);
    const RCPtr<LControl> indicator = tile->GetColorIndicator();
    ASSERT_EQ(indicator->GetLookCount(), 8u);
    // The engine's default colours are 4, 3, 7, 5; a fresh tile shows the first.
    EXPECT_EQ(tile->SetParamValueLocal(ParamDescriptor(kFirstButtonId), Bytes(DefaultButton(0)), true), S_OK);
    EXPECT_EQ(ShownLook(*indicator), 4);
    // A plain click does not move the slot; Shift-clicks step through the four.
    const RCPtr<LControl> face = tile->FindChild(WString(u"button"));
    ClickOn(*face);
    EXPECT_EQ(tile->GetColorSlot(), -1);
    std::vector<int32_t> shown;
    for (int i = 0; i < 5; ++i) {
        ClickOn(*face, SDL_BUTTON_LEFT, KMOD_LSHIFT);
        shown.push_back(ShownLook(*indicator));
    }
    EXPECT_EQ(shown, (std::vector<int32_t>{4, 3, 7, 5, 4}));

    // The colour comes from the engine's value, also when a foreign id arrives.
    std::vector<uint8_t> stored = DefaultButton(0);
    stored[1] = 2;
    Store(kFirstButtonId, stored);
    EXPECT_EQ(tile->SetParamValueLocal(ParamDescriptor(kFirstButtonId + 1), Bytes(DefaultButton(1)), true), E_FAIL);
    EXPECT_EQ(ShownLook(*indicator), 2);
    // A colour without a look (8 is the first) leaves the indicator as it was.
    stored[1] = 8;
    Store(kFirstButtonId, stored);
    tile->UpdateColorIndicator();
    EXPECT_EQ(ShownLook(*indicator), 2);
    Screenshot("push_button_tile");
}

TEST_F(Tiles, MissingChildrenAreNamedOnce)
{
    // A tile of no skin has none of its children.
    RCPtr<LButtonPanel> bare(new LButtonPanel(Page(), WString(u"bareTile")));
    try {
        bare->Initialize();
        ADD_FAILURE() << "no error";
    } catch (const std::exception& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find("Null Pointer : child: color not found"), std::string::npos) << what;
        EXPECT_EQ(what.find("Null Pointer : Null Pointer"), std::string::npos) << what;
    }
    RCPtr<LMIDIChannelViewPanel> field(new LMIDIChannelViewPanel(Page(), WString(u"bareField")));
    EXPECT_THROW(field->Initialize(), std::runtime_error);
}

} // namespace
