// Message boxes: the Windows flags become the right buttons, default and close result; under the
// offscreen driver and with the recording fake no box ever waits for a user.
#include "platform/sdl/MessageBox.h"

#include "RecordingMessageBoxes.h"
#include "SdlWindowSupport.h"

#include <gtest/gtest.h>

using namespace platform::sdl;

namespace {

std::vector<int32_t> Ids(const BoxLayout& layout)
{
    std::vector<int32_t> ids;
    for (const BoxButton& button : layout.buttons)
        ids.push_back(button.id);
    return ids;
}

TEST(MessageBoxFlags, ButtonSetsDefaultsIconsAndCloseResults)
{
    struct Case {
        uint32_t flags;
        std::vector<int32_t> ids;
        size_t defaultIndex;
        int32_t closeResult;
        BoxIcon icon;
    };
    const Case cases[] = {
        {0x0, {kIdOk}, 0, kIdOk, BoxIcon::None},
        {0x10, {kIdOk}, 0, kIdOk, BoxIcon::Error},
        {0x1 | 0x30 | 0x100, {kIdOk, kIdCancel}, 1, kIdCancel, BoxIcon::Warning},
        {0x2 | 0x200, {kIdAbort, kIdRetry, kIdIgnore}, 2, kIdAbort, BoxIcon::None},
        {0x3 | 0x20 | 0x200, {kIdYes, kIdNo, kIdCancel}, 2, kIdCancel, BoxIcon::Information},
        {0x4 | 0x20 | 0x100, {kIdYes, kIdNo}, 1, kIdNo, BoxIcon::Information},
        {0x5 | 0x40, {kIdRetry, kIdCancel}, 0, kIdCancel, BoxIcon::Information},
        {0x6, {kIdCancel, kIdTryAgain, kIdContinue}, 0, kIdCancel, BoxIcon::None},
        // A default beyond the set, an unknown set and unrelated high bits (task-modal, top-most).
        {0x4 | 0x300, {kIdYes, kIdNo}, 0, kIdNo, BoxIcon::None},
        {0x7 | 0x50, {kIdOk}, 0, kIdOk, BoxIcon::None},
        {0x1 | 0x2000 | 0x40000, {kIdOk, kIdCancel}, 0, kIdCancel, BoxIcon::None},
    };
    for (const Case& c : cases) {
        const BoxLayout layout = DescribeMessageBox(c.flags);
        EXPECT_EQ(Ids(layout), c.ids) << std::hex << c.flags;
        EXPECT_EQ(layout.defaultIndex, c.defaultIndex) << std::hex << c.flags;
        EXPECT_EQ(layout.closeResult, c.closeResult) << std::hex << c.flags;
        EXPECT_EQ(layout.icon, c.icon) << std::hex << c.flags;
    }
}

TEST(MessageBoxes, OffscreenBoxesAnswerWithTheDefaultAndTheFakeRecords)
{
    ASSERT_TRUE(sdltest::StartVideo());
    SdlMessageBoxes real;
    EXPECT_EQ(real.Show("text", "caption", 0x4 | 0x100, nullptr), kIdNo);
    EXPECT_EQ(real.Show("text", "caption", 0x0, nullptr), kIdOk);
    EXPECT_EQ(&GetMessageBoxes(), &GetMessageBoxes());

    {
        kxtest::RecordingMessageBoxes fake;
        EXPECT_EQ(&GetMessageBoxes(), &fake);
        fake.QueueAnswer(kIdCancel);
        EXPECT_EQ(GetMessageBoxes().Show("Save?", "Editor", 0x3, nullptr), kIdCancel);
        EXPECT_EQ(GetMessageBoxes().Show("Sure?", "Editor", 0x4 | 0x100, nullptr), kIdNo);
        ASSERT_EQ(fake.Boxes().size(), 2u);
        EXPECT_EQ(fake.Boxes()[0].text, "Save?");
        EXPECT_EQ(fake.Boxes()[1].flags, 0x104u);
    }
    EXPECT_NE(dynamic_cast<SdlMessageBoxes*>(&GetMessageBoxes()), nullptr);
}

} // namespace
