// UTF-8 / UTF-16 conversion on arbitrary bytes: both range converters in both modes with tight
// targets, the buffer wrappers and the string constructors. Checks that nothing is read or
// written outside the ranges (ASan) and that legal text round-trips exactly.
#include "kx/Utf8.h"
#include "kx/StringT.h"

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

void FuzzUtf8Input(const UTF8* data, size_t size, size_t room)
{
    for (ConversionFlags flags : {StrictConversion, LenientConversion}) {
        std::vector<UTF16> target(room);
        const UTF8* src = data;
        UTF16* dst = target.data();
        const ConversionResult r = ConvertUTF8ToUTF16(&src, data + size, &dst, target.data() + room, flags);
        Check(src >= data && src <= data + size);
        Check(dst >= target.data() && dst <= target.data() + room);
        Check(r != ConversionOK || src == data + size);
        if (r == ConversionOK && flags == StrictConversion) {
            // Legal UTF-8 comes back byte for byte.
            std::vector<UTF8> back(size + 1);
            const UTF16* s16 = target.data();
            UTF8* d8 = back.data();
            Check(ConvertUTF16ToUTF8(&s16, dst, &d8, back.data() + back.size(), StrictConversion) == ConversionOK);
            Check(static_cast<size_t>(d8 - back.data()) == size);
            Check(size == 0 || std::memcmp(back.data(), data, size) == 0);
        }
    }
}

void FuzzUtf16Input(const UTF16* units, size_t count, size_t room)
{
    for (ConversionFlags flags : {StrictConversion, LenientConversion}) {
        std::vector<UTF8> target(room);
        const UTF16* src = units;
        UTF8* dst = target.data();
        const ConversionResult r = ConvertUTF16ToUTF8(&src, units + count, &dst, target.data() + room, flags);
        Check(src >= units && src <= units + count);
        Check(dst >= target.data() && dst <= target.data() + room);
        if (flags == StrictConversion) {
            // Every sequence written in strict mode is legal.
            for (const UTF8* p = target.data(); p < dst;) {
                int n = 1;
                if (*p >= 0xF0)
                    n = 4;
                else if (*p >= 0xE0)
                    n = 3;
                else if (*p >= 0xC0)
                    n = 2;
                Check(p + n <= dst && IsLegalUTF8(p, n));
                p += n;
            }
            if (r == ConversionOK) {
                std::vector<UTF16> back(count + 1);
                const UTF8* s8 = target.data();
                UTF16* d16 = back.data();
                Check(ConvertUTF8ToUTF16(&s8, dst, &d16, back.data() + back.size(), StrictConversion) == ConversionOK);
                // An empty input may come with a null pointer: compare only when there are units.
                Check(static_cast<size_t>(d16 - back.data()) == count);
                Check(count == 0 || std::memcmp(back.data(), units, count * sizeof(UTF16)) == 0);
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte picks a target size, so that every stopping point gets reached.
    const size_t room = size ? data[0] % 64 : 0;
    FuzzUtf8Input(data, size, room);
    FuzzUtf8Input(data, size, size + 1);

    std::vector<UTF16> units(size / 2);
    if (!units.empty())
        std::memcpy(units.data(), data, units.size() * sizeof(UTF16));
    FuzzUtf16Input(units.data(), units.size(), room);
    FuzzUtf16Input(units.data(), units.size(), units.size() * 3 + 1);

    // Wrappers with an explicit length and up to the terminator, and the strings on top of them.
    ConstRCPtr<LIBuffer> out;
    ConvertUTF8ToWide(out, reinterpret_cast<const char*>(data), static_cast<int>(size));
    Check(out && out->GetSize() >= 2 && static_cast<const char16_t*>(out->GetData())[out->GetSize() / 2 - 1] == 0);
    ConvertWideToUTF8(out, units.data(), static_cast<int>(units.size()));
    Check(out && out->GetSize() >= 1 && static_cast<const char*>(out->GetData())[out->GetSize() - 1] == 0);

    std::vector<char> text(data, data + size);
    text.push_back(0);
    const WString wide(text.data());
    Check(wide.GetLength() == TextLength(wide.GetString()));
    const NString narrow(wide);
    Check(narrow.GetLength() == TextLength(narrow.GetString()));
    units.push_back(0);
    const NString fromUnits(units.data());
    const WString back(fromUnits);
    Check(back.GetLength() <= TextLength(units.data()));
    return 0;
}
