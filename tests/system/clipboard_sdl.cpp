// The SDL clipboard backend under SDL's offscreen video driver (no display needed). Another
// program's change is played by calling SDL directly, behind the backend's back.
#include "kx/Clipboard.h"
#include "kx/Wrappers.h"
#include "platform/sdl/Clipboard.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include <SDL.h>

namespace {

class SdlClipboardTest : public ::testing::Test {
protected:
    std::unique_ptr<platform::sdl::ClipboardBackend> clipboard;

    void SetUp() override
    {
        ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
        clipboard = platform::sdl::CreateSdlClipboard();
        ASSERT_TRUE(clipboard);
        if (!clipboard->Open())
            GTEST_SKIP() << "SDL's offscreen video driver gives no clipboard here: " << SDL_GetError();
        clipboard->Close();
    }

    void PutExternalText(const char* text) { ASSERT_EQ(SDL_SetClipboardText(text), 0) << SDL_GetError(); }

    // Another program changes the clipboard, and the system says so, as it does when another
    // program takes the clipboard over.
    void ChangeExternallyAndAnnounce(const char* text)
    {
        PutExternalText(text);
        SDL_Event event{};
        event.type = SDL_CLIPBOARDUPDATE;
        ASSERT_GE(SDL_PushEvent(&event), 0) << SDL_GetError();
        SDL_FlushEvent(SDL_CLIPBOARDUPDATE);
    }
};

TEST_F(SdlClipboardTest, AnAnnouncedClearOrSameTextReplacementIsAChange)
{
    using Text = KX::LClipboard::TextContent;
    auto framework = KX::LClipboard::Create();
    // Content only this process has: others see an empty clipboard.
    const KX::RCPtr<KX::LRefCountedObject> object(KX::LHolder<int>::Create());
    ASSERT_EQ(framework->WriteSystemClipboard(object), KX::S_OK);
    ASSERT_EQ(framework->ReadSystemClipboard().Get(), object.Get());
    const uint32_t before = clipboard->GetSequenceNumber();
    // Another program clears the clipboard: the private object is gone.
    ChangeExternallyAndAnnounce("");
    EXPECT_NE(clipboard->GetSequenceNumber(), before);
    EXPECT_FALSE(clipboard->HasPrivateMarker());
    EXPECT_FALSE(framework->ReadSystemClipboard());

    // Another program puts the very text this process wrote: a new content all the same.
    const KX::RCPtr<KX::LRefCountedObject> copied(Text::Create(u"same"));
    ASSERT_EQ(framework->WriteSystemClipboard(copied), KX::S_OK);
    ASSERT_EQ(framework->ReadSystemClipboard().Get(), copied.Get());
    ChangeExternallyAndAnnounce("same");
    const auto read = KX::RCPtr<Text>::DynamicCast(framework->ReadSystemClipboard());
    ASSERT_TRUE(read);
    EXPECT_NE(read.Get(), copied.Get());
    EXPECT_EQ(static_cast<const KX::WString&>(*read), KX::WString(u"same"));
    // Read once: unchanged afterwards.
    EXPECT_EQ(framework->ReadSystemClipboard().Get(), read.Get());
}

TEST_F(SdlClipboardTest, TextRoundTripsAndEveryChangeMovesTheSequenceNumber)
{
    const std::string text = "Gr\xC3\xBC\xC3\x9F"
                             "e \xE2\x99\xAA \xF0\x9D\x84\x9E";
    const uint32_t start = clipboard->GetSequenceNumber();
    ASSERT_TRUE(clipboard->Open());
    EXPECT_TRUE(clipboard->SetText(text));
    const uint32_t afterWrite = clipboard->GetSequenceNumber();
    EXPECT_NE(afterWrite, start);
    EXPECT_EQ(clipboard->GetText(), text);
    clipboard->Close();
    // Reading changes nothing.
    EXPECT_EQ(clipboard->GetSequenceNumber(), afterWrite);
    EXPECT_TRUE(clipboard->HasText());
    EXPECT_FALSE(clipboard->HasPrivateMarker());

    // Another program's text is noticed by its content.
    PutExternalText("from elsewhere");
    const uint32_t afterExternal = clipboard->GetSequenceNumber();
    EXPECT_NE(afterExternal, afterWrite);
    EXPECT_EQ(clipboard->GetSequenceNumber(), afterExternal);
    ASSERT_TRUE(clipboard->Open());
    EXPECT_EQ(clipboard->GetText(), std::string("from elsewhere"));
    clipboard->Close();
}

TEST_F(SdlClipboardTest, ThePrivateMarkerHoldsUntilAnotherProgramWrites)
{
    ASSERT_TRUE(clipboard->Open());
    ASSERT_TRUE(clipboard->SetText("something"));
    const uint32_t before = clipboard->GetSequenceNumber();
    EXPECT_TRUE(clipboard->SetPrivateMarker());
    EXPECT_NE(clipboard->GetSequenceNumber(), before);
    EXPECT_EQ(clipboard->GetText(), std::nullopt);
    clipboard->Close();
    EXPECT_TRUE(clipboard->HasPrivateMarker());
    EXPECT_FALSE(clipboard->HasText());

    PutExternalText("new text");
    EXPECT_FALSE(clipboard->HasPrivateMarker());
    EXPECT_TRUE(clipboard->HasText());
}

TEST_F(SdlClipboardTest, OpenIsExclusiveAndWritesNeedIt)
{
    EXPECT_FALSE(clipboard->SetText("not open"));
    EXPECT_EQ(clipboard->GetText(), std::nullopt);
    ASSERT_TRUE(clipboard->Open());
    EXPECT_FALSE(clipboard->Open());
    clipboard->Close();
    EXPECT_TRUE(clipboard->Open());
    clipboard->Close();
}

TEST_F(SdlClipboardTest, ATextWithANulIsCutThereAndNotTakenForAnExternalChange)
{
    ASSERT_TRUE(clipboard->Open());
    ASSERT_TRUE(clipboard->SetText(std::string("ab\0cd", 5)));
    const uint32_t sequence = clipboard->GetSequenceNumber();
    EXPECT_EQ(clipboard->GetText(), std::string("ab"));
    clipboard->Close();
    EXPECT_EQ(clipboard->GetSequenceNumber(), sequence);
}

TEST_F(SdlClipboardTest, TheFrameworkClipboardCopiesAndPastesThroughSdl)
{
    using Text = KX::LClipboard::TextContent;
    auto framework = KX::LClipboard::Create();
    const KX::RCPtr<KX::LRefCountedObject> copied(Text::Create(u"Lumo \u00E9\u266A"));
    ASSERT_EQ(framework->WriteSystemClipboard(copied), KX::S_OK);
    EXPECT_EQ(framework->ReadSystemClipboard().Get(), copied.Get());
    char* seen = SDL_GetClipboardText();
    EXPECT_STREQ(seen, "Lumo \xC3\xA9\xE2\x99\xAA");
    SDL_free(seen);

    PutExternalText("pasted from elsewhere");
    const auto pasted = KX::RCPtr<Text>::DynamicCast(framework->ReadSystemClipboard());
    ASSERT_TRUE(pasted);
    EXPECT_EQ(static_cast<const KX::WString&>(*pasted), KX::WString(u"pasted from elsewhere"));

    // An object that is no text: others see an empty clipboard, this process gets the object back.
    const KX::RCPtr<KX::LRefCountedObject> object(KX::LHolder<int>::Create());
    ASSERT_EQ(framework->WriteSystemClipboard(object), KX::S_OK);
    EXPECT_EQ(framework->ReadSystemClipboard().Get(), object.Get());
    EXPECT_FALSE(SDL_HasClipboardText());
}

} // namespace
