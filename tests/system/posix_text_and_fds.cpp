// The UTF-16/UTF-8 conversions of the POSIX helpers (strict for paths, replacing for texts), the
// hexadecimal digit readers and the descriptor holder UniqueFd.
#include "platform/posix/FileIo.h"
#include "platform/posix/Hex.h"
#include "platform/posix/UniqueFd.h"
#include "platform/posix/Utf.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

using namespace platform::posix;

namespace {

bool IsOpen(int fd)
{
    return ::fcntl(fd, F_GETFD) != -1;
}

TEST(PosixUtf, PathsConvertExactlyOrNotAtAll)
{
    EXPECT_EQ(ToNativePath(u"a\\b/c.ini"), "a/b/c.ini");
    EXPECT_EQ(ToNativePath(u"Gr\u00FC\u00DFe/\u20AC/\U0001F3B9"), "Gr\xC3\xBC\xC3\x9F"
                                                                  "e/\xE2\x82\xAC/\xF0\x9F\x8E\xB9");
    EXPECT_EQ(ToNativePath(u""), "");
    const char16_t loneHigh[] = {u'a', 0xD800, u'b', 0};
    const char16_t highAtEnd[] = {u'a', 0xDBFF, 0};
    const char16_t loneLow[] = {0xDC00, u'x', 0};
    const char16_t swapped[] = {0xDC00, 0xD800, 0};
    for (const char16_t* bad : {loneHigh, highAtEnd, loneLow, swapped})
        EXPECT_FALSE(ToNativePath(bad).has_value());

    // Texts for C libraries keep going: each unpaired unit becomes U+FFFD.
    EXPECT_EQ(ToUtf8Replacing(loneHigh), "a\xEF\xBF\xBD"
                                         "b");
    EXPECT_EQ(ToUtf8Replacing(swapped), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(ToUtf8Replacing(u"\\"), "\\") << "only paths read \\ as a separator";
    std::string out = "kept";
    EXPECT_FALSE(AppendUtf8Strict(loneLow, out));
    EXPECT_EQ(out, "kept");
}

TEST(PosixUtf, Utf8DecodingRefusesOrReplacesEveryMalformedSequence)
{
    std::u16string out;
    EXPECT_TRUE(Utf8ToUtf16Strict("a\xC3\xA9\xF0\x9F\x8E\xB9", out));
    EXPECT_EQ(out, u"a\u00E9\U0001F3B9");
    // Overlong forms, an encoded surrogate, a value past U+10FFFF, stray and missing continuations.
    for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80", "\xE2\x82",
                            "\xF5\x80\x80\x80", "a\xC3"})
        EXPECT_FALSE(Utf8ToUtf16Strict(bad, out)) << bad;

    // One U+FFFD per malformed run: a cut-off sequence counts once and the next character survives.
    EXPECT_EQ(Utf8ToUtf16Replacing("\xE2\x82"
                                   "A"),
              u"\uFFFD"
              "A");
    EXPECT_EQ(Utf8ToUtf16Replacing("\xC0\xAF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16Replacing("\xED\xA0\x80"
                                   "z"),
              u"\uFFFD"
              "z");
    EXPECT_EQ(Utf8ToUtf16Replacing("\xF0\x9F\x8E"), u"\uFFFD");
    EXPECT_EQ(Utf8ToUtf16Replacing(std::string_view("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(PosixHex, DigitsOfEitherCaseAndNothingAroundThem)
{
    EXPECT_EQ(HexDigitValue('0'), 0);
    EXPECT_EQ(HexDigitValue('9'), 9);
    EXPECT_EQ(HexDigitValue('a'), 10);
    EXPECT_EQ(HexDigitValue('F'), 15);
    // The neighbours of each digit range in ASCII, a sign, and bytes with the high bit set.
    for (const char c : {'/', ':', '@', 'G', '`', 'g', '-', ' ', '\0', '\xB0', '\xE0'})
        EXPECT_EQ(HexDigitValue(c), -1) << static_cast<int>(static_cast<unsigned char>(c));
    EXPECT_EQ(HexByteValue('f', 'F'), 255);
    EXPECT_EQ(HexByteValue('0', '0'), 0);
    EXPECT_EQ(HexByteValue('7', 'e'), 0x7E);
    EXPECT_EQ(HexByteValue('g', '0'), -1);
    EXPECT_EQ(HexByteValue('0', 'g'), -1);
}

TEST(UniqueFd, OwnsOneDescriptorAndClosesItOnce)
{
    int raw[2];
    ASSERT_EQ(::pipe(raw), 0);
    {
        UniqueFd reader(raw[0]);
        UniqueFd writer(raw[1]);
        ASSERT_TRUE(reader);
        UniqueFd moved(std::move(reader));
        EXPECT_FALSE(reader);
        EXPECT_EQ(reader.Get(), -1);
        EXPECT_EQ(moved.Get(), raw[0]);
        UniqueFd& same = moved;
        moved = std::move(same);
        EXPECT_TRUE(IsOpen(raw[0])) << "assigning to itself keeps the descriptor";

        EXPECT_EQ(WriteAll(writer.Get(), "hi", 2), 0);
        EXPECT_EQ(writer.Close(), 0);
        EXPECT_FALSE(IsOpen(raw[1]));
        EXPECT_EQ(writer.Close(), 0) << "nothing held: nothing to close";
        EXPECT_EQ(WriteAll(-1, "x", 1), EBADF);

        const int released = moved.Release();
        EXPECT_FALSE(moved);
        EXPECT_TRUE(IsOpen(released)) << "Release gives the descriptor up without closing it";
        moved.Reset(released);
    }
    EXPECT_FALSE(IsOpen(raw[0])) << "the destructor closes";

    UniqueFd file = OpenFd("/proc/self/exe", O_RDONLY);
    ASSERT_TRUE(file);
    EXPECT_NE(::fcntl(file.Get(), F_GETFD) & FD_CLOEXEC, 0) << "descriptors are close-on-exec";
    errno = 0;
    EXPECT_FALSE(OpenFd("/nonexistent/file", O_RDONLY));
    EXPECT_EQ(errno, ENOENT);
}

} // namespace
