// The key-name tables: "VKEY_" names to virtual-key codes and virtual-key codes to display texts.
// Both are built together on first use of either and kept for the life of the process.
#include "kx/ui/KeyCode.h"

#include <array>
#include <map>
#include <string>

namespace KX {

namespace {

struct NamedKey {
    const char16_t* name;
    uint8_t key;
    // Null when the key has no display text or an earlier row gave it one.
    const char16_t* text;
};

// The named keys outside the generated runs (digits, letters, numpad digits, F1-F24).
constexpr NamedKey kLeadingKeys[] = {
    {u"VKEY_BACK", VKey::Back, nullptr},
    {u"VKEY_TAB", VKey::Tab, nullptr},
    {u"VKEY_CLEAR", VKey::Clear, u"Clear"},
    {u"VKEY_RETURN", VKey::Return, u"Return"},
    {u"VKEY_SHIFT", VKey::Shift, u"Shift"},
    {u"VKEY_CONTROL", VKey::Control, u"Control"},
    {u"VKEY_MENU", VKey::Menu, u"Menu"},
    {u"VKEY_PAUSE", VKey::Pause, u"Pause"},
    {u"VKEY_CAPITAL", VKey::Capital, u"Capital"},
    {u"VKEY_KANA", VKey::Kana, u"Kana"},
    {u"VKEY_HANGEUL", VKey::Kana, nullptr},
    {u"VKEY_HANGUL", VKey::Kana, nullptr},
    {u"VKEY_JUNJA", VKey::Junja, u"Junja"},
    {u"VKEY_FINAL", VKey::Final, u"Final"},
    {u"VKEY_HANJA", VKey::Hanja, u"Hanja"},
    {u"VKEY_KANJI", VKey::Hanja, nullptr},
    {u"VKEY_ESCAPE", VKey::Escape, u"Escape"},
    {u"VKEY_CONVERT", VKey::Convert, u"Convert"},
    {u"VKEY_NONCONVERT", VKey::NonConvert, u"Non-convert"},
    {u"VKEY_ACCEPT", VKey::Accept, u"Accept"},
    {u"VKEY_MODECHANGE", VKey::ModeChange, u"Mode Change"},
    {u"VKEY_SPACE", VKey::Space, u"Space"},
    {u"VKEY_PAGEUP", VKey::PageUp, u"Page Up"},
    {u"VKEY_PAGEDN", VKey::PageDown, u"Page Down"},
    {u"VKEY_END", VKey::End, u"End"},
    {u"VKEY_HOME", VKey::Home, u"Home"},
    {u"VKEY_LEFT", VKey::Left, u"Left Arrow"},
    {u"VKEY_UP", VKey::Up, u"Up Arrow"},
    {u"VKEY_RIGHT", VKey::Right, u"Right Arrow"},
    {u"VKEY_DOWN", VKey::Down, u"Down Arrow"},
    {u"VKEY_SELECT", VKey::Select, u"Select"},
    {u"VKEY_PRINT", VKey::Print, u"Print"},
    {u"VKEY_EXECUTE", VKey::Execute, u"Execute"},
    {u"VKEY_SNAPSHOT", VKey::Snapshot, u"Snapshot"},
    {u"VKEY_INSERT", VKey::Insert, u"Insert"},
    {u"VKEY_DELETE", VKey::Delete, u"Del"},
    {u"VKEY_HELP", VKey::Help, u"Help"},
};

constexpr NamedKey kMiddleKeys[] = {
    {u"VKEY_LWIN", VKey::LeftWin, u"Left Win"},
    {u"VKEY_RWIN", VKey::RightWin, u"Right Win"},
    {u"VKEY_APPS", VKey::Apps, u"Apps"},
    {u"VKEY_SLEEP", VKey::Sleep, u"Sleep"},
};

constexpr NamedKey kNumpadOperatorKeys[] = {
    {u"VKEY_MULTIPLY", VKey::Multiply, u"*"},
    {u"VKEY_ADD", VKey::Add, u"+"},
    {u"VKEY_SEPARATOR", VKey::Separator, u"Separator"},
    {u"VKEY_SUBTRACT", VKey::Subtract, u"-"},
    {u"VKEY_DECIMAL", VKey::Decimal, u"."},
    {u"VKEY_DIVIDE", VKey::Divide, u"/"},
};

constexpr NamedKey kTrailingKeys[] = {
    {u"VKEY_NUMLOCK", VKey::NumLock, u"Numlock"},
    {u"VKEY_SCROLL", VKey::Scroll, u"Scroll"},
    {u"VKEY_OEM_NEC_EQUAL", VKey::OemNecEqual, u"NEC Equal"},
    {u"VKEY_OEM_FJ_JISHO", VKey::OemNecEqual, nullptr},
    {u"VKEY_OEM_FJ_MASSHOU", VKey::OemFjMasshou, u"Masshou"},
    {u"VKEY_OEM_FJ_TOUROKU", VKey::OemFjTouroku, u"Touroku"},
    {u"VKEY_OEM_FJ_LOYA", VKey::OemFjLoya, u"Loya"},
    {u"VKEY_OEM_FJ_ROYA", VKey::OemFjRoya, u"Roya"},
    {u"VKEY_LSHIFT", VKey::LeftShift, u"Left Shift"},
    {u"VKEY_RSHIFT", VKey::RightShift, u"Right Shift"},
    {u"VKEY_LCONTROL", VKey::LeftControl, u"Left Control"},
    {u"VKEY_RCONTROL", VKey::RightControl, u"Right Control"},
    {u"VKEY_LMENU", VKey::LeftMenu, u"Left Menu"},
    {u"VKEY_RMENU", VKey::RightMenu, u"Right Menu"},
    {u"VKEY_BROWSER_BACK", VKey::BrowserBack, u"Browser Back"},
    {u"VKEY_BROWSER_FORWARD", VKey::BrowserForward, u"Browser Forward"},
    {u"VKEY_BROWSER_REFRESH", VKey::BrowserRefresh, u"Browser Refresh"},
    {u"VKEY_BROWSER_STOP", VKey::BrowserStop, u"Browser Stop"},
    {u"VKEY_BROWSER_SEARCH", VKey::BrowserSearch, u"Browser Search"},
    {u"VKEY_BROWSER_FAVORITES", VKey::BrowserFavorites, u"Browser Favorites"},
    {u"VKEY_BROWSER_HOME", VKey::BrowserHome, u"Browser Home"},
    {u"VKEY_VOLUME_MUTE", VKey::VolumeMute, u"Volume Mute"},
    {u"VKEY_VOLUME_DOWN", VKey::VolumeDown, u"Volume Down"},
    {u"VKEY_VOLUME_UP", VKey::VolumeUp, u"Volume Up"},
    {u"VKEY_MEDIA_NEXT_TRACK", VKey::MediaNextTrack, u"Media Next Track"},
    {u"VKEY_MEDIA_PREV_TRACK", VKey::MediaPrevTrack, u"Media Prev Track"},
    {u"VKEY_MEDIA_STOP", VKey::MediaStop, u"Media Stop"},
    {u"VKEY_MEDIA_PLAY_PAUSE", VKey::MediaPlayPause, u"Media Play Pause"},
    {u"VKEY_LAUNCH_MAIL", VKey::LaunchMail, u"Launch Mail"},
    {u"VKEY_LAUNCH_MEDIA_SELECT", VKey::LaunchMediaSelect, u"Launch Media Select"},
    {u"VKEY_LAUNCH_APP1", VKey::LaunchApp1, u"Launch App 1"},
    {u"VKEY_LAUNCH_APP2", VKey::LaunchApp2, u"Launch App 2"},
};

// No name is longer than this; longer texts are not looked up at all.
constexpr unsigned kLongestName = 32;

class KeyTables {
public:
    KeyTables()
    {
        AddRows(kLeadingKeys);
        AddRun(u"VKEY_", u"", VKey::Digit0, u'0', 10);
        AddRun(u"VKEY_", u"", VKey::LetterA, u'A', 26);
        AddRows(kMiddleKeys);
        AddRun(u"VKEY_NUMPAD", u"Numpad ", VKey::Numpad0, u'0', 10);
        AddRows(kNumpadOperatorKeys);
        for (unsigned i = 0; i < 24; ++i) {
            const std::u16string number = Decimal(i + 1);
            Add(u"VKEY_F" + number, static_cast<uint8_t>(VKey::F1 + i), u"F" + number);
        }
        AddRows(kTrailingKeys);
    }

    uint32_t Find(const char16_t* name) const
    {
        const auto it = m_names.find(name);
        return it == m_names.end() ? 0 : it->second;
    }
    const WString& Text(uint32_t key) const { return m_texts[key]; }
    size_t NameCount() const { return m_names.size(); }

private:
    template <size_t N>
    void AddRows(const NamedKey (&rows)[N])
    {
        for (const NamedKey& row : rows)
            Add(row.name, row.key, row.text ? row.text : u"");
    }
    // count keys from first whose names and texts end in the characters from firstChar.
    void AddRun(const char16_t* namePrefix, const char16_t* textPrefix, uint8_t first, char16_t firstChar,
                unsigned count)
    {
        for (unsigned i = 0; i < count; ++i) {
            const char16_t c = static_cast<char16_t>(firstChar + i);
            Add(namePrefix + std::u16string(1, c), static_cast<uint8_t>(first + i), textPrefix + std::u16string(1, c));
        }
    }
    void Add(const std::u16string& name, uint8_t key, const std::u16string& text)
    {
        m_names.emplace(name, key);
        // The first text given for a key stays.
        if (!text.empty() && m_texts[key].IsEmpty())
            m_texts[key] = WString(text.c_str());
    }
    static std::u16string Decimal(unsigned n)
    {
        std::u16string s;
        if (n >= 10)
            s += static_cast<char16_t>(u'0' + n / 10);
        s += static_cast<char16_t>(u'0' + n % 10);
        return s;
    }

    std::map<std::u16string, uint8_t> m_names;
    std::array<WString, 256> m_texts;
};

// Built once, on the first call from any thread.
const KeyTables& Tables()
{
    static const KeyTables tables;
    return tables;
}

} // namespace

uint32_t NameToKeyCode(const WString& name)
{
    if (name.GetLength() > kLongestName)
        return 0;
    return Tables().Find(name.GetString());
}

WString KeyCodeToText(uint32_t virtualKey)
{
    if (virtualKey > 0xFF)
        return WString();
    return Tables().Text(virtualKey);
}

} // namespace KX
