// The bounded printf-style formatter: wide-printf meaning, conversions and truncation.
#include "kx/Format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdarg>
#include <cstring>
#include <string>

using KX::FormatTo;

namespace {

template <class... A>
std::u16string W(const char16_t* format, const A&... args)
{
    char16_t out[512];
    const size_t n = FormatTo(out, 512, format, args...);
    EXPECT_LT(n, 512u);
    return std::u16string(out);
}

template <class... A>
std::string N(const char* format, const A&... args)
{
    char out[512];
    FormatTo(out, 512, format, args...);
    return std::string(out);
}

std::u16string ViaVa(const char16_t* format, ...)
{
    char16_t out[256];
    va_list args;
    va_start(args, format);
    KX::FormatVa(out, 256, format, args);
    va_end(args);
    return std::u16string(out);
}

} // namespace

TEST(FormatText, WideFormatTakesWideAndNarrowStrings)
{
    EXPECT_EQ(W(u"%s|%S|%hs|%ls|%ws", u"w", "n", "h", u"l", u"x"), u"w|n|h|l|x");
    EXPECT_EQ(W(u"%S", "caf\xC3\xA9"), u"caf\u00E9");
    EXPECT_EQ(N("%s|%S|%ls|%hs", "n", u"\u00E9", u"l", "h"), "n|\xC3\xA9|l|h");
    EXPECT_EQ(W(u"%c%C%hc", u'\u20AC', 'a', 'b'), u"\u20ACab");
    EXPECT_EQ(N("%c%C%lc", 'a', u'\u00E9', u'b'), "a\xC3\xA9"
                                                  "b");
}

TEST(FormatText, StringWidthPrecisionAndNull)
{
    EXPECT_EQ(W(u"[%5s][%-5s][%.2s][%5.1s]", u"ab", u"ab", u"abc", u"abc"), u"[   ab][ab   ][ab][    a]");
    EXPECT_EQ(W(u"%s", static_cast<const char16_t*>(nullptr)), u"(null)");
    EXPECT_EQ(W(u"%.3s", static_cast<const char*>(nullptr)), u"(nu");
    // Width and precision count output units; a converted character is never split.
    EXPECT_EQ(W(u"[%4S]", "\xC3\xA9"), u"[   \u00E9]");
    EXPECT_EQ(W(u"[%.1S]", "\xF0\x9F\x98\x80z"), u"[]");
    EXPECT_EQ(N("[%.2S]", u"a\u00E9"), "[a]");
    EXPECT_EQ(N("[%-4S]", u"\u00E9"), "[\xC3\xA9  ]");
    // Narrow input stops at an illegal sequence, as the string conversion does.
    EXPECT_EQ(W(u"%S!", "ab\xC0\xAF"
                        "cd"),
              u"ab!");
}

TEST(FormatText, Integers)
{
    EXPECT_EQ(W(u"%d %i %u", -5, 7, 4294967295u), u"-5 7 4294967295");
    EXPECT_EQ(W(u"%x %X %#x %o %#o", 255, 255, 255, 8, 8), u"ff FF 0xff 10 010");
    EXPECT_EQ(W(u"[%5d][%-5d][%05d][%+d][% d][%.3d]", 42, 42, -42, 42, 42, 7), u"[   42][42   ][-0042][+42][ 42][007]");
    EXPECT_EQ(W(u"[%.0d][%#.0o]", 0, 0), u"[][0]");
    EXPECT_EQ(W(u"%u", -1), u"4294967295");
    EXPECT_EQ(W(u"%ld %lu", -1, 4294967295u), u"-1 4294967295");
    EXPECT_EQ(W(u"%lld %I64d %I64u", -9000000000LL, 9000000000LL, 18446744073709551615ULL),
              u"-9000000000 9000000000 18446744073709551615");
    EXPECT_EQ(W(u"%hd %hhu %hx", 70000, 300, 0x12345), u"4464 44 2345");
    EXPECT_EQ(W(u"%d", -2147483647 - 1), u"-2147483648");
    EXPECT_EQ(W(u"%*d|%-*d|%*d", 4, 1, 3, 2, -3, 3), u"   1|2  |3  ");
    EXPECT_EQ(W(u"%08X", 0x8007000Eu), u"8007000E");
    EXPECT_EQ(W(u"%X", 0x80004005), u"80004005");
}

TEST(FormatText, Floats)
{
    EXPECT_EQ(W(u"%f %.2f %.0f %#.0f", 1.5, 2.345, 2.5, 3.0), u"1.500000 2.35 2 3.");
    EXPECT_EQ(W(u"%e %.2E", 12345.678, 0.000123), u"1.234568e+04 1.23E-04");
    EXPECT_EQ(W(u"%g %g %g %G %#g", 0.0001, 123456.0, 1234567.0, 1e-10, 1.5),
              u"0.0001 123456 1.23457e+06 1E-10 1.50000");
    EXPECT_EQ(W(u"[%8.3f][%-8.2f][%08.2f][%+.1f]", 3.14159, 2.5, -2.5, 1.0), u"[   3.142][2.50    ][-0002.50][+1.0]");
    EXPECT_EQ(W(u"%f %f %F %5.1f", INFINITY, -INFINITY, NAN, NAN), u"inf -inf NAN   nan");
    EXPECT_EQ(W(u"%.2lf %Lf", 0.125, 2.0), u"0.12 2.000000");
    EXPECT_EQ(W(u"%.1f", 1e15), u"1000000000000000.0");
    EXPECT_EQ(W(u"%f", 3), u"3.000000"); // an integer argument is read as its value
}

TEST(FormatText, PointersPercentAndUnknownConversions)
{
    const void* p = reinterpret_cast<const void*>(static_cast<uintptr_t>(0x12FF7C));
    EXPECT_EQ(W(u"%p", p), sizeof(void*) == 8 ? u"000000000012FF7C" : u"0012FF7C");
    EXPECT_EQ(W(u"100%% %d%%", 5), u"100% 5%");
    EXPECT_EQ(W(u"%k %y", 1), u"%k %y");
    EXPECT_EQ(W(u"end %"), u"end %"); // an unfinished conversion is written as it stands
    EXPECT_EQ(W(u"%5", 1), u"%5");
    int untouched = 7;
    EXPECT_EQ(W(u"a%nb", &untouched), u"ab");
    EXPECT_EQ(untouched, 7);
}

TEST(FormatText, MissingArgumentsReadAsZeroOrNull)
{
    char16_t out[64];
    EXPECT_EQ(FormatTo(out, 64, u"%d|%s|%x|%.1f|%c.", 5), 17u);
    EXPECT_EQ(std::u16string(out, 17), std::u16string(u"5|(null)|0|0.0|\0.", 17));
    EXPECT_EQ(W(u"%s", 42), u"(null)"); // a number where a text is wanted
}

TEST(FormatText, NeverPassesTheCapacity)
{
    char16_t out[8];
    std::memset(out, 0xAB, sizeof out);
    const size_t n = FormatTo(out, 5, u"%s-%d", u"abcdef", 123);
    EXPECT_EQ(n, 10u);
    EXPECT_EQ(std::u16string(out), u"abcd");
    EXPECT_EQ(out[5], 0xABAB);

    char narrow[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(FormatTo(narrow, 0, "%d", 12345), 5u);
    EXPECT_EQ(narrow[0], 'x');
    EXPECT_EQ(FormatTo(narrow, 1, "%d", 12345), 5u);
    EXPECT_EQ(narrow[0], '\0');

    // Huge widths and precisions stay bounded and end promptly.
    char16_t big[32];
    EXPECT_EQ(FormatTo(big, 32, u"%2147483647d", 1), size_t(1) << 30);
    EXPECT_EQ(std::u16string(big).size(), 31u);
    EXPECT_EQ(FormatTo(big, 32, u"%.5000f", 1.0), 5002u);
    EXPECT_EQ(std::u16string(big), u"1.00000000000000000000000000000");

    // Widths with more digits than an int holds saturate instead of wrapping to a small count.
    char small[8];
    EXPECT_EQ(FormatTo(small, 8, "%99999999999999999999d", 1), size_t(1) << 30);
    EXPECT_EQ(FormatTo(small, 8, "%4294967297d", 1), size_t(1) << 30);
    EXPECT_EQ(std::strlen(small), 7u);
    EXPECT_EQ(FormatTo(small, 8, "%.99999999999999999999s", "abc"), 3u);
    EXPECT_STREQ(small, "abc");
}

TEST(FormatText, NullFormatGivesEmptyText)
{
    char16_t out[4] = {u'x', u'x', u'x', u'x'};
    EXPECT_EQ(FormatTo(out, 4, static_cast<const char16_t*>(nullptr)), 0u);
    EXPECT_EQ(out[0], 0);
}

TEST(FormatText, ArgumentListForm)
{
    EXPECT_EQ(ViaVa(u"%s=%d %S %.1f %lld %c", u"k", -3, "n", 2.25, 1LL << 40, u'z'), u"k=-3 n 2.2 1099511627776 z");
}
