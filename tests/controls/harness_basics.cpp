// The controls harness itself: a skin control built by name on the offscreen window takes a
// click through SDL's queue, its label from the area's strings, the injected clock moves, and the
// window's picture is written.
#include "ControlsHarness.h"

#include "kx/ui/ControlCreate.h"

#include <filesystem>

using namespace KX;

namespace {

class PlainControl : public LControl {
public:
    PlainControl(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}
    KXRESULT OnLeftClick(const RCPtr<LMouseButtonParam>& param) override
    {
        ++clicks;
        return LControl::OnLeftClick(param);
    }
    void OnIdleHook() override { idleTick = GetAppTickTime(); }
    KXRESULT FilterKey(const RCPtr<LKeyParam>& param) override
    {
        keys.push_back(param->GetKey());
        return S_FALSE;
    }
    std::vector<KeyCode> keys;
    int clicks = 0;
    uint32_t idleTick = 0;
};

class HarnessBasics : public ctltest::ControlsTest {
protected:
    void SetUp() override
    {
        ctltest::ControlsTest::SetUp();
        if (!IsSkipped() && !HasFatalFailure())
            factory->RegisterControlClass(WString(u"Test.Plain"), &CreateControlOfClass<PlainControl>);
    }
};

} // namespace

TEST_F(HarnessBasics, SkinControlIsClickedDrawnAndSeesTheInjectedClock)
{
    RCPtr<PlainControl> plain = CreateAs<PlainControl>(u"plainBlock");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->GetText().ToNarrow(), NString("Plain")) << "the label comes from the area's strings";
    EXPECT_EQ(CentreOf(*plain).x, 70);
    EXPECT_EQ(CentreOf(*plain).y, 50);

    ClickOn(*plain);
    EXPECT_EQ(plain->clicks, 1);
    Click(5, 5);
    EXPECT_EQ(plain->clicks, 1) << "a click beside the control is not its own";

    ASSERT_EQ(plain->SubscribeIdle(), S_OK);
    const uint32_t before = Now();
    Advance(250);
    EXPECT_EQ(plain->idleTick, before + 250);
    plain->UnsubscribeIdle();

    // Keys with their modifiers and typed characters reach the focused control.
    root->SetFocusControl(plain);
    KeyDown(SDLK_RIGHT, KMOD_LSHIFT);
    KeyUp(SDLK_RIGHT);
    Type("\xC3\xA9");
    ASSERT_GE(plain->keys.size(), 3u);
    EXPECT_EQ(plain->keys[0].GetVirtualKey(), 0x27);
    EXPECT_NE(plain->keys[0].code & KeyCode::kShift, 0u);
    EXPECT_NE(plain->keys[0].code & KeyCode::kKeyDown, 0u);
    EXPECT_EQ(plain->keys[1].code & KeyCode::kKeyDown, 0u);
    EXPECT_EQ(plain->keys.back().GetCharacter(), u'\u00E9');

    const std::string path = Screenshot("plain");
    EXPECT_EQ(Pixel(30, 40), 0x3060C0u) << "the look's fill";
    EXPECT_EQ(Pixel(5, 5), 0xE8E8E8u) << "the page";
    EXPECT_TRUE(std::filesystem::exists(path));
}

TEST(HarnessDocuments, StringDocumentsMergeUnderOneApplication)
{
    const std::string merged = ctltest::MergeStringDocuments(
        {"<?xml version=\"1.0\"?><R><Application Name=\"X\"><StringTable ID=\"a\"/></Application></R>",
         "<R><Application Name=\"Y\">\n<StringTable ID=\"b\"/></Application></R>"});
    ASSERT_GT(merged.size(), 2u);
    EXPECT_EQ(merged.substr(0, 2), std::string("\xFF\xFE", 2));
    std::string narrow;
    for (size_t i = 2; i + 1 < merged.size(); i += 2)
        narrow.push_back(merged[i]);
    EXPECT_NE(narrow.find("<Application Name=\"ControlsTest\"><StringTable ID=\"a\"/>\n<StringTable ID=\"b\"/>"
                          "</Application>"),
              std::string::npos)
        << narrow;
}
