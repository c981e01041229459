// The key map from SDL keys to Windows virtual keys, the modifier masks, and the characters a window
// delivers: text as UTF-16 units and the control characters synthesised from key presses.
#include "SdlWindowSupport.h"
#include "platform/sdl/KeyMap.h"

namespace {

using namespace sdltest;

TEST(SdlKeyMap, KeyRangesMapToTheirVirtualKeysAtBothEnds)
{
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_a, SDL_SCANCODE_A), 0x41);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_z, SDL_SCANCODE_Z), 0x5A);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_a, SDL_SCANCODE_Q), 0x41) << "letters follow the layout (AZERTY)";
    EXPECT_EQ(VirtualKeyFromSdl(0x444, SDL_SCANCODE_F), 0x46) << "a non-Latin layout falls back to the position";
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_0, SDL_SCANCODE_0), 0x30);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_9, SDL_SCANCODE_9), 0x39);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_AMPERSAND, SDL_SCANCODE_1), 0x31) << "the digit row by position";
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_0, SDL_SCANCODE_KP_0), 0x60);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_1, SDL_SCANCODE_KP_1), 0x61);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_9, SDL_SCANCODE_KP_9), 0x69);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_MULTIPLY, SDL_SCANCODE_KP_MULTIPLY), 0x6A);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_DIVIDE, SDL_SCANCODE_KP_DIVIDE), 0x6F);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER), 0x0D);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F1, SDL_SCANCODE_F1), 0x70);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F12, SDL_SCANCODE_F12), 0x7B);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F13, SDL_SCANCODE_F13), 0x7C);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F24, SDL_SCANCODE_F24), 0x87);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_LGUI, SDL_SCANCODE_LGUI), 0x5B);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RGUI, SDL_SCANCODE_RGUI), 0x5C);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT), 0x10);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RCTRL, SDL_SCANCODE_RCTRL), 0x11);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RALT, SDL_SCANCODE_RALT), 0x12);
    EXPECT_EQ(SidedVirtualKeyFromScancode(SDL_SCANCODE_RALT), 0xA5);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_PAGEUP, SDL_SCANCODE_PAGEUP), 0x21);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN), 0x22);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_SEMICOLON, SDL_SCANCODE_SEMICOLON), 0xBA);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_QUOTE, SDL_SCANCODE_APOSTROPHE), 0xDE);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_CALCULATOR, SDL_SCANCODE_CALCULATOR), 0xB7);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN), 0);
}

TEST(SdlKeyMap, ModifierMasksCarryGenericAndSideBits)
{
    EXPECT_EQ(FullModifierMask(KMOD_LCTRL | KMOD_RALT), kModCtrl | kModLeftCtrl | kModAlt | kModRightAlt);
    EXPECT_EQ(FullModifierMask(KMOD_LSHIFT | KMOD_RSHIFT), kModShift | kModLeftShift | kModRightShift);
    EXPECT_EQ(FullModifierMask(KMOD_RGUI), kModWin | kModRightWin);
    EXPECT_EQ(FullModifierMask(KMOD_LGUI | KMOD_CAPS | KMOD_NUM), kModWin | kModLeftWin) << "locks are no modifiers";
    EXPECT_EQ(ShortModifierMask(KMOD_RCTRL | KMOD_LSHIFT | KMOD_LALT | KMOD_LGUI), kModCtrl | kModShift | kModAlt);
}

TEST(SdlKeyMap, Utf8BecomesUtf16UnitsAndMalformedBytesBecomeReplacements)
{
    EXPECT_EQ(Utf8ToUtf16("a\xE2\x82\xAC\xF0\x9F\x98\x80"), (std::u16string{u'a', 0x20AC, 0xD83D, 0xDE00}));
    EXPECT_EQ(Utf8ToUtf16("\xF4\x8F\xBF\xBF"), (std::u16string{0xDBFF, 0xDFFF})) << "U+10FFFF";
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), (std::u16string{0xFFFD, 0xFFFD})) << "overlong";
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), (std::u16string{0xFFFD, 0xFFFD, 0xFFFD})) << "a surrogate";
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), (std::u16string{0xFFFD, 0xFFFD})) << "cut short";
    EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80x"), (std::u16string{0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, u'x'}));
}

using SdlWindowKeys = WindowTest;

TEST_F(SdlWindowKeys, KeysCarryRepeatAndTheFullMask)
{
    Inject(Key(true, SDLK_F13, SDL_SCANCODE_F13, KMOD_LCTRL | KMOD_RSHIFT));
    Inject(Key(true, SDLK_F13, SDL_SCANCODE_F13, KMOD_LCTRL | KMOD_RSHIFT, true));
    Inject(Key(false, SDLK_F13, SDL_SCANCODE_F13, KMOD_NONE));
    Inject(Key(true, SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, KMOD_NONE));
    const auto keys = sink.Of(WindowEventKind::Key);
    ASSERT_EQ(keys.size(), 3u) << "a key without a virtual key is not delivered";
    EXPECT_EQ(keys[0].virtualKey, 0x7C);
    EXPECT_TRUE(keys[0].down);
    EXPECT_FALSE(keys[0].repeat);
    EXPECT_EQ(keys[0].modifiers, kModCtrl | kModLeftCtrl | kModShift | kModRightShift);
    EXPECT_TRUE(keys[1].repeat);
    EXPECT_FALSE(keys[2].down);
    EXPECT_TRUE(keys[2].repeat) << "a release always counts as a repeat";
    EXPECT_TRUE(sink.Of(WindowEventKind::Character).empty());
}

TEST_F(SdlWindowKeys, ControlCharactersAreSynthesisedAsWindowsSendsThem)
{
    struct Case {
        SDL_Keycode sym;
        SDL_Scancode scancode;
        Uint16 mod;
        int character; // -1: none
    };
    const Case cases[] = {
        {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, KMOD_NONE, 8},
        {SDLK_TAB, SDL_SCANCODE_TAB, KMOD_LSHIFT, 9},
        {SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_NONE, 13},
        {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, KMOD_NONE, 13},
        {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, KMOD_NONE, 27},
        {SDLK_a, SDL_SCANCODE_A, KMOD_LCTRL, 1},
        {SDLK_z, SDL_SCANCODE_Z, KMOD_RCTRL, 26},
        {SDLK_a, SDL_SCANCODE_A, KMOD_NONE, -1},
        {SDLK_a, SDL_SCANCODE_A, KMOD_LCTRL | KMOD_LALT, -1},
        {SDLK_a, SDL_SCANCODE_A, KMOD_LCTRL | KMOD_LGUI, -1},
        {SDLK_5, SDL_SCANCODE_5, KMOD_LCTRL, -1},
        {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, KMOD_LCTRL, 127},
    };
    for (const Case& c : cases) {
        sink.events.clear();
        Inject(Key(true, c.sym, c.scancode, c.mod));
        Inject(Key(false, c.sym, c.scancode, c.mod));
        const auto characters = sink.Of(WindowEventKind::Character);
        if (c.character < 0) {
            EXPECT_TRUE(characters.empty()) << SDL_GetKeyName(c.sym) << " mod " << c.mod;
            continue;
        }
        ASSERT_EQ(characters.size(), 1u) << SDL_GetKeyName(c.sym) << " mod " << c.mod << ": only on the press";
        EXPECT_EQ(characters[0].character, c.character) << SDL_GetKeyName(c.sym);
        EXPECT_EQ(sink.events[0].kind, WindowEventKind::Key) << "the key before its character";
    }
}

TEST_F(SdlWindowKeys, TextInputGivesOneCharacterPerUtf16UnitWithTheShortMask)
{
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    text.text.windowID = window->Id();
    SDL_strlcpy(text.text.text, "\xC3\xA9\xF0\x9D\x84\x9E", sizeof(text.text.text)); // é, musical G clef
    SDL_SetModState(KMOD_RSHIFT);
    Inject(text);
    auto characters = sink.Of(WindowEventKind::Character);
    ASSERT_EQ(characters.size(), 3u);
    EXPECT_EQ(characters[0].character, 0xE9);
    EXPECT_EQ(characters[1].character, 0xD834);
    EXPECT_EQ(characters[2].character, 0xDD1E);
    EXPECT_EQ(characters[0].modifiers, kModShift);

    sink.events.clear();
    SDL_SetModState(KMOD_LGUI);
    Inject(text);
    EXPECT_TRUE(sink.events.empty()) << "text typed with a Windows key down is dropped";
}

} // namespace
