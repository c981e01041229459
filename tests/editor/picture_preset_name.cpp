// The preset-name panel on the editor's real skin: what typing sends to the engine byte for byte,
// the characters it refuses, and a routed name shown without being sent back.
#include "PanelsFixture.h"

#include "editor/PresetNamePanel.h"

#include "kx/controls/TextBox.h"

#include <gtest/gtest.h>

#include <array>

using namespace KX;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr int32_t kNameId = 0;

class PresetName : public paneltest::PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        StartEngine();
        BuildMain();
        panel = ViewChildAs<LPresetNamePanel>(u"presetNameEditPanel");
        ASSERT_TRUE(panel);
        ASSERT_TRUE(panel->GetTextBox());
    }
    void TearDown() override
    {
        panel = nullptr;
        PanelTest::TearDown();
    }
    std::string Shown() { return apptest::Narrow(panel->GetTextBox()->GetText()); }
    void Focus()
    {
        root->SetFocusControl(panel->GetTextBox());
        panel->GetTextBox()->SetText(WString());
        RunIdle();
    }

    RCPtr<LPresetNamePanel> panel;
};

TEST_F(PresetName, TypedNameIsSentUpperCasedWithBlanksAsQuotes)
{
    Focus();
    EXPECT_EQ(EngineValue(kNameId), Bytes(6, 0x00)) << "an emptied box sends six zero bytes";
    Type("L");
    EXPECT_EQ(EngineValue(kNameId), (Bytes{0x4C, 0, 0, 0, 0, 0}));
    Type("ead 1");
    EXPECT_EQ(EngineValue(kNameId), (Bytes{0x4C, 0x45, 0x41, 0x44, 0x22, 0x31}));
    EXPECT_EQ(Shown(), "Lead 1") << "the box keeps what was typed";
    Type("x");
    EXPECT_EQ(Shown(), "Lead 1") << "a seventh character is refused";
}

TEST_F(PresetName, RefusesCharactersOutsideTheNameSet)
{
    Focus();
    Type("a!_'i");
    EXPECT_EQ(Shown(), "a'i");
    // Upper-casing is plain ASCII: an i stays I whatever the user's locale.
    EXPECT_EQ(EngineValue(kNameId), (Bytes{0x41, 0x27, 0x49, 0, 0, 0}));
    // A program's text no byte stands for is not a name: the model keeps the last good one.
    panel->GetTextBox()->SetText(WString(u"caf\u0107"));
    RunIdle();
    EXPECT_EQ(EngineValue(kNameId), (Bytes{0x41, 0x27, 0x49, 0, 0, 0}));

    std::array<uint8_t, LPresetNamePanel::kValueLength> out{};
    EXPECT_FALSE(LPresetNamePanel::EncodeName(WString(u"ABCDEFG"), out));
    EXPECT_FALSE(LPresetNamePanel::EncodeName(WString(u"\u0131"), out)) << "dotless i is not ASCII";
    EXPECT_FALSE(LPresetNamePanel::EncodeName(WString(u"a\"b"), out)) << "0x22 stands for a blank";
    // What a stored name can hold stays encodable, though typing cannot give it.
    ASSERT_TRUE(LPresetNamePanel::EncodeName(WString(u"hi!\u00e9"), out));
    EXPECT_EQ(Bytes(out.begin(), out.end()), (Bytes{0x48, 0x49, 0x21, 0xE9, 0, 0}));
    ASSERT_TRUE(LPresetNamePanel::EncodeName(WString(u"z[\\]=/"), out));
    EXPECT_EQ(Bytes(out.begin(), out.end()), (Bytes{0x5A, 0x5B, 0x5C, 0x5D, 0x3D, 0x2F}));
}

TEST_F(PresetName, RoutedNameIsShownAndNotSentBack)
{
    const Bytes before = EngineValue(kNameId);
    ASSERT_EQ(before.size(), 6u);
    EXPECT_EQ(panel->SetParamValueLocal(ParamDescriptor(kNameId), viewtest::Bytes({0x4B, 0x45, 0x59, 0x22, 0x22, 0x31}),
                                        true),
              S_OK);
    EXPECT_EQ(Shown(), "KEY  1");
    RunIdle();
    EXPECT_EQ(EngineValue(kNameId), before);

    panel->SetParamValueLocal(ParamDescriptor(kNameId), viewtest::Bytes({0x42, 0x41, 0x53, 0x53, 0x00, 0x22}), true);
    EXPECT_EQ(Shown(), "BASS") << "decoding stops at the first zero";
    const WString high = LPresetNamePanel::DecodeName(Bytes{0x60, 0xFF}.data(), 2);
    EXPECT_TRUE(high == WString(u"`\u00ff"));

    EXPECT_EQ(panel->SetParamValueLocal(ParamDescriptor(kNameId + 1), viewtest::Bytes({0x41}), true), E_FAIL);
    EXPECT_EQ(Shown(), "BASS");
    // Typing still reaches the engine after a routed name.
    Focus();
    Type("b");
    EXPECT_EQ(EngineValue(kNameId), (Bytes{0x42, 0, 0, 0, 0, 0}));
}

} // namespace
