// The process-wide string constants and empty references.
#include "kx/Globals.h"
#include "kx/Notification.h"
#include "kx/NotificationCenter.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

using KX::CursorName;

TEST(GlobalConstants, CursorNamesInTheirFixedOrder)
{
    const char16_t* const expected[KX::kCursorNameCount] = {
        u"UI_CURSOR_APP_STARTING", u"UI_CURSOR_ARROW",     u"UI_CURSOR_IBEAM",     u"UI_CURSOR_WAIT",
        u"UI_CURSOR_CROSS",        u"UI_CURSOR_UP_ARROW",  u"UI_CURSOR_SIZE_ALL",  u"UI_CURSOR_SIZE_NWSE",
        u"UI_CURSOR_SIZE_NESW",    u"UI_CURSOR_SIZE_WE",   u"UI_CURSOR_SIZE_NS",   u"UI_CURSOR_HAND",
        u"UI_CURSOR_HELP",         u"UI_CURSOR_NO_DROP",   u"UI_CURSOR_DROP_MOVE", u"UI_CURSOR_DROP_COPY",
        u"UI_CURSOR_SPLIT_V",      u"UI_CURSOR_SPLIT_H",   u"UI_CURSOR_ROTATE",    u"UI_CURSOR_MAG",
        u"UI_CURSOR_MAG_PLUS",     u"UI_CURSOR_MAG_MINUS", u"UI_CURSOR_ARROW",
    };
    for (int32_t i = 0; i < KX::kCursorNameCount; ++i)
        EXPECT_TRUE(KX::GetCursorName(static_cast<CursorName>(i)).Equals(expected[i])) << i;
    EXPECT_TRUE(KX::GetCursorName(CursorName::MagMinus).Equals(u"UI_CURSOR_MAG_MINUS"));

    // The default cursor is a string of its own, equal to the arrow's.
    const KX::WString& arrow = KX::GetCursorName(CursorName::Arrow);
    const KX::WString& fallback = KX::GetCursorName(CursorName::Default);
    EXPECT_EQ(arrow, fallback);
    EXPECT_NE(&arrow, &fallback);
    EXPECT_NE(arrow.GetString(), fallback.GetString());

    EXPECT_TRUE(KX::GetCursorName(static_cast<CursorName>(KX::kCursorNameCount)).IsEmpty());
    EXPECT_TRUE(KX::GetCursorName(static_cast<CursorName>(-1)).IsEmpty());
}

TEST(GlobalConstants, StringTexts)
{
    EXPECT_TRUE(KX::GetBlankString().Equals(u" "));
    EXPECT_EQ(KX::GetBlankString().GetLength(), 1u);
    EXPECT_EQ(KX::GetLineBreakString().GetLength(), 1u);
    EXPECT_EQ(KX::GetLineBreakString().GetString()[0], u'\n');
    EXPECT_TRUE(KX::GetEmptyWString().IsEmpty());
    EXPECT_TRUE(KX::GetEmptyNString().IsEmpty());
    EXPECT_TRUE(KX::kApplicationCenterName == std::u16string_view(u"application"));
}

TEST(GlobalConstants, SurviveTearDownUnchanged)
{
    const KX::WString* blank = &KX::GetBlankString();
    const KX::WString* hand = &KX::GetCursorName(CursorName::Hand);
    const KX::RCPtr<KX::LNotification>* empty = &KX::EmptyRCPtr<KX::LNotification>();
    ASSERT_GE(KX::StartupGlobals(), 0);
    ASSERT_EQ(KX::ShutdownGlobals(), KX::S_OK);

    EXPECT_EQ(blank, &KX::GetBlankString());
    EXPECT_TRUE(blank->Equals(u" "));
    EXPECT_EQ(hand, &KX::GetCursorName(CursorName::Hand));
    EXPECT_TRUE(hand->Equals(u"UI_CURSOR_HAND"));
    // One shared null per class.
    EXPECT_EQ(empty, &KX::EmptyRCPtr<KX::LNotification>());
    EXPECT_FALSE(*empty);
    EXPECT_NE(static_cast<const void*>(empty), static_cast<const void*>(&KX::EmptyRCPtr<KX::LRefCountedObject>()));
}

} // namespace
