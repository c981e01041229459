// Key descriptions from string tables: bytes read as UTF-16LE, split at 0 units, each piece parsed.
// Checks that a result is the empty code or well formed, that shortcut texts of parsed keys are
// what their bits say, and that parsed named keys and characters survive a round trip.
#include "kx/ui/KeyCode.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace KX;

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

WString Prefixes(uint32_t code)
{
    WString text;
    if (code & KeyCode::kCtrl)
        text += WString(u"Ctrl+");
    if (code & KeyCode::kAlt)
        text += WString(u"Alt+");
    if (code & KeyCode::kShift)
        text += WString(u"Shift+");
    return text;
}

void FuzzSpec(const WString& spec)
{
    const KeyCode key = ParseKeySpec(spec);
    const WString shown = KeyCode::ToDisplayText(key);
    if (key.IsEmpty()) {
        Check(key == KeyCode());
        Check(shown.IsEmpty());
        return;
    }
    Check(key.sideMask == 0 && key.repeat == 0);
    Check((key.code & (KeyCode::kWin | KeyCode::kExtra)) == 0);
    const uint8_t virtualKey = key.GetVirtualKey();
    if (virtualKey != 0) {
        // A named key: a press with Ctrl, Alt and Shift as the text holds them.
        Check(KeyCode::IsKeyDown(key) && key.GetCharacter() == 0);
        Check(shown == Prefixes(key.code) + KeyCodeToText(virtualKey));
        // The same name behind the modifier words in a fixed order gives the same key.
        const WString upper = spec.ToUpper();
        WString canonical = Prefixes(key.code) + upper.Mid(upper.Find(WString(u"VKEY_")));
        Check(ParseKeySpec(canonical) == key);
        return;
    }
    // A character: only Alt; the down bit alone marks an unclosed "[".
    Check((key.code & (KeyCode::kCtrl | KeyCode::kShift)) == 0);
    if (key.code & KeyCode::kKeyDown) {
        Check(key.code == KeyCode::kKeyDown);
        return;
    }
    const char16_t c = key.GetCharacter();
    if (c >= 33 && c <= 126 && c != u'[')
        Check(ParseKeySpec(shown) == key);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char16_t> units(size / 2 + 1, 0);
    for (size_t i = 0; i + 1 < size; i += 2)
        units[i / 2] = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    const size_t count = size / 2;
    for (size_t start = 0; start <= count;) {
        const WString piece(units.data() + start);
        FuzzSpec(piece);
        start += piece.GetLength() + 1;
    }

    // Any key code at all has a shortcut text and a hot-key equality with itself.
    if (size >= 9) {
        KeyCode raw;
        std::memcpy(&raw.code, data, 4);
        std::memcpy(&raw.sideMask, data + 4, 4);
        raw.repeat = data[8];
        (void)KeyCode::ToDisplayText(raw);
        Check(KeyCode::MatchesForHotKey(raw, raw));
        const KeyCode event(static_cast<uint8_t>(raw.code), (raw.code & 0x100) != 0, raw.repeat, raw.sideMask);
        Check(event.sideMask <= 0xFF && (event.code & (KeyCode::kCharacterMask | KeyCode::kEmpty)) == 0);
        Check(KeyCode::FromCharacter(static_cast<char16_t>(raw.code), raw.sideMask).GetVirtualKey() == 0);
    }
    return 0;
}
