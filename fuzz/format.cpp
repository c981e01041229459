// The formatter on arbitrary format texts with a fixed set of typed arguments and small outputs:
// it must never write past the capacity, never read a missing argument and always terminate.
#include "kx/Format.h"
#include "kx/StringT.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

template <class C>
void FormatAll(const C* format, size_t capacity)
{
    std::vector<C> out(capacity + 1, C(0x55));
    const KX::FormatArg args[] = {KX::FormatArg(-12345),
                                  KX::FormatArg(u"w\u00E9\xD800"),
                                  KX::FormatArg("n\xC3\xA9\xFF"),
                                  KX::FormatArg(3.5e300),
                                  KX::FormatArg(static_cast<const void*>(format)),
                                  KX::FormatArg(uint64_t{0xFFFFFFFFFFFFFFFFull})};
    const size_t n = KX::FormatArgs(out.data(), capacity, format, args, sizeof args / sizeof args[0]);
    Check(out[capacity] == C(0x55));
    if (capacity > 0) {
        const size_t written = n < capacity - 1 ? n : capacity - 1;
        Check(out[written] == 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 4096)
        return 0;
    const size_t capacity = size ? data[0] % 48 : 0;
    std::vector<char> narrow(data, data + size);
    narrow.push_back(0);
    FormatAll(narrow.data(), capacity);
    FormatAll(narrow.data(), 600);

    std::vector<char16_t> wide(size / 2 + 1, 0);
    if (size >= 2)
        std::memcpy(wide.data(), data, (size / 2) * 2);
    FormatAll(wide.data(), capacity);
    FormatAll(wide.data(), 600);

    const KX::WString s = KX::WString::FormatList(wide.data(), nullptr, 0);
    Check(s.GetLength() < KX::WString::kFormatUnits);
    return 0;
}
