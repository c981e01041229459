// UTF-16 and UTF-8 conversion: the range converters, the sequence test and the buffer wrappers.
#include "kx/StringT.h"
#include "kx/Utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace KX;

namespace {

struct Utf8Result {
    ConversionResult result;
    std::u16string text;
    size_t consumed;
};

Utf8Result Decode(const std::string& bytes, ConversionFlags flags, size_t room = 64)
{
    std::vector<UTF16> target(room + 1, 0xAAAA);
    const UTF8* src = reinterpret_cast<const UTF8*>(bytes.data());
    UTF16* dst = target.data();
    const ConversionResult r = ConvertUTF8ToUTF16(&src, src + bytes.size(), &dst, target.data() + room, flags);
    EXPECT_EQ(target[room], 0xAAAA) << "wrote past the target end";
    return {r, std::u16string(target.data(), dst),
            static_cast<size_t>(src - reinterpret_cast<const UTF8*>(bytes.data()))};
}

struct Utf16Result {
    ConversionResult result;
    std::string text;
    size_t consumed;
};

Utf16Result Encode(const std::u16string& units, ConversionFlags flags, size_t room = 64)
{
    std::vector<UTF8> target(room + 1, 0xAA);
    const UTF16* src = units.data();
    UTF8* dst = target.data();
    const ConversionResult r = ConvertUTF16ToUTF8(&src, src + units.size(), &dst, target.data() + room, flags);
    EXPECT_EQ(target[room], 0xAA) << "wrote past the target end";
    return {r, std::string(reinterpret_cast<char*>(target.data()), reinterpret_cast<char*>(dst)),
            static_cast<size_t>(src - units.data())};
}

std::string Bytes(const ConstRCPtr<LIBuffer>& buffer)
{
    return std::string(static_cast<const char*>(buffer->GetData()), buffer->GetSize());
}

std::u16string Units(const ConstRCPtr<LIBuffer>& buffer)
{
    return std::u16string(static_cast<const char16_t*>(buffer->GetData()), buffer->GetSize() / 2);
}

} // namespace

TEST(Utf8Convert, EncodesEachSequenceLength)
{
    for (ConversionFlags flags : {StrictConversion, LenientConversion}) {
        const Utf16Result r = Encode(u"A\u00E9\u20AC\U0001F600", flags);
        EXPECT_EQ(r.result, ConversionOK);
        EXPECT_EQ(r.text, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
        EXPECT_EQ(r.consumed, 5u);
    }
    EXPECT_EQ(Encode(u"\u007F\u0080\u07FF\u0800\uFFFF", StrictConversion).text,
              "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF");
    EXPECT_EQ(Encode(u"", StrictConversion).result, ConversionOK);
}

TEST(Utf8Convert, DecodesEachSequenceLength)
{
    const Utf8Result r = Decode("caf\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF", StrictConversion);
    EXPECT_EQ(r.result, ConversionOK);
    EXPECT_EQ(r.text, u"caf\u00E9\u20AC\U0001F600\U0010FFFF");
}

TEST(Utf8Convert, UnpairedSurrogatesInUtf16)
{
    // Strict: stop on the surrogate, the source pointer on it.
    Utf16Result r = Encode(u"ab\xDC00z", StrictConversion);
    EXPECT_EQ(r.result, SourceIllegal);
    EXPECT_EQ(r.text, "ab");
    EXPECT_EQ(r.consumed, 2u);
    r = Encode(u"a\xD800z", StrictConversion);
    EXPECT_EQ(r.result, SourceIllegal);
    EXPECT_EQ(r.consumed, 1u);

    // Lenient: the surrogate's own 3-byte form.
    r = Encode(u"a\xD800z\xDC00", LenientConversion);
    EXPECT_EQ(r.result, ConversionOK);
    EXPECT_EQ(r.text, "a\xED\xA0\x80z\xED\xB0\x80");

    // A high surrogate that ends the source: exhausted in either mode.
    for (ConversionFlags flags : {StrictConversion, LenientConversion}) {
        r = Encode(u"ab\xD83D", flags);
        EXPECT_EQ(r.result, SourceExhausted);
        EXPECT_EQ(r.text, "ab");
        EXPECT_EQ(r.consumed, 2u);
    }
}

TEST(Utf8Convert, IllegalUtf8Sequences)
{
    const char* const illegal[] = {
        "\xC0\xAF",         // overlong slash
        "\xC1\xBF",         // overlong
        "\xE0\x80\xAF",     // overlong 3-byte
        "\xF0\x80\x80\xAF", // overlong 4-byte
        "\xED\xA0\x80",     // encoded high surrogate
        "\xED\xBF\xBF",     // encoded low surrogate
        "\xF4\x90\x80\x80", // above U+10FFFF
        "\xF5\x80\x80\x80", // lead above 0xF4
        "\x80",             // stray trailing byte
        "\xBF",
        "\xED\x2F\x80",     // a slash in place of a trailing byte after 0xED
        "\xF4\x2F\x8F\xBF", // ... and after 0xF4
        "\xC3\x41",         // lead without its trailing byte
        "\xE2\x28\xA1",
        "\xF8\x88\x80\x80\x80", // 5-byte form
        "\xFC\x84\x80\x80\x80\x80",
    };
    for (const char* seq : illegal) {
        for (ConversionFlags flags : {StrictConversion, LenientConversion}) {
            const Utf8Result r = Decode(std::string("ok") + seq + "tail", flags);
            EXPECT_EQ(r.result, SourceIllegal) << "sequence starting with " << int(static_cast<unsigned char>(seq[0]));
            EXPECT_EQ(r.text, u"ok");
            EXPECT_EQ(r.consumed, 2u) << "the source pointer stays on the lead byte";
        }
    }
}

TEST(Utf8Convert, TruncatedUtf8)
{
    Utf8Result r = Decode("x\xE2\x82", StrictConversion);
    EXPECT_EQ(r.result, SourceExhausted);
    EXPECT_EQ(r.text, u"x");
    EXPECT_EQ(r.consumed, 1u);
    r = Decode("\xF0\x9F\x98", LenientConversion);
    EXPECT_EQ(r.result, SourceExhausted);
    EXPECT_EQ(r.consumed, 0u);
    r = Decode("\xC3", LenientConversion);
    EXPECT_EQ(r.result, SourceExhausted);
}

TEST(Utf8Convert, TargetExhaustedBacksUpToTheCharacter)
{
    // A pair needs two places; with one left the whole character is refused.
    Utf8Result d = Decode("ab\xF0\x9F\x98\x80", StrictConversion, 3);
    EXPECT_EQ(d.result, TargetExhausted);
    EXPECT_EQ(d.text, u"ab");
    EXPECT_EQ(d.consumed, 2u);
    d = Decode("abc", StrictConversion, 2);
    EXPECT_EQ(d.result, TargetExhausted);
    EXPECT_EQ(d.consumed, 2u);

    Utf16Result e = Encode(u"a\u20AC", StrictConversion, 3);
    EXPECT_EQ(e.result, TargetExhausted);
    EXPECT_EQ(e.text, "a");
    EXPECT_EQ(e.consumed, 1u);
    e = Encode(u"\U0001F600", LenientConversion, 3);
    EXPECT_EQ(e.result, TargetExhausted);
    EXPECT_EQ(e.consumed, 0u);
    EXPECT_TRUE(e.text.empty());
}

TEST(Utf8Convert, IsLegalUTF8)
{
    auto legal = [](const char* s, int n) { return IsLegalUTF8(reinterpret_cast<const UTF8*>(s), n); };
    EXPECT_TRUE(legal("A", 1));
    EXPECT_TRUE(legal("\xC2\x80", 2));
    EXPECT_TRUE(legal("\xE0\xA0\x80", 3));
    EXPECT_TRUE(legal("\xED\x9F\xBF", 3));
    EXPECT_TRUE(legal("\xF0\x90\x80\x80", 4));
    EXPECT_TRUE(legal("\xF4\x8F\xBF\xBF", 4));
    EXPECT_FALSE(legal("\xC1\xBF", 2));
    EXPECT_FALSE(legal("\xE0\x9F\xBF", 3));
    EXPECT_FALSE(legal("\xED\xA0\x80", 3));
    EXPECT_FALSE(legal("\xED\x7F\x80", 3));
    EXPECT_FALSE(legal("\xF4\x00\x80\x80", 4));
    EXPECT_FALSE(legal("\xF0\x8F\xBF\xBF", 4));
    EXPECT_FALSE(legal("\xF4\x90\x80\x80", 4));
    EXPECT_FALSE(legal("\xF8\x88\x80\x80\x80", 5));
    EXPECT_FALSE(legal("A", 0));
    EXPECT_FALSE(legal("\x80", 1));
}

TEST(Utf8Convert, SurrogateValuesInUtf8AreIllegalEvenLeniently)
{
    // The sequence test rejects them before the lenient replacement could apply.
    const Utf8Result r = Decode("\xED\xA0\x80", LenientConversion);
    EXPECT_EQ(r.result, SourceIllegal);
    EXPECT_TRUE(r.text.empty());
}

TEST(Utf8Wrappers, WideToUtf8)
{
    ConstRCPtr<LIBuffer> out;
    EXPECT_EQ(ConvertWideToUTF8(out, u"A", -1), S_OK);
    EXPECT_EQ(Bytes(out), std::string("A\0", 2));
    EXPECT_EQ(ConvertWideToUTF8(out, u"\u00E9\u20AC\U0001F600", -1), S_OK);
    EXPECT_EQ(Bytes(out), std::string("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\0", 10));
    EXPECT_EQ(ConvertWideToUTF8(out, u"abcdef", 3), S_OK);
    EXPECT_EQ(Bytes(out), std::string("abc\0", 4));
}

TEST(Utf8Wrappers, LoneHighSurrogateAtTheEnd)
{
    ConstRCPtr<LIBuffer> out;
    // With the terminator converted too, the surrogate is unpaired: its 3-byte form.
    EXPECT_EQ(ConvertWideToUTF8(out, u"ab\xD83D", -1), S_OK);
    EXPECT_EQ(Bytes(out), std::string("ab\xED\xA0\xBD\0", 6));
    // An explicit length that ends on it: the source is exhausted inside a character.
    EXPECT_EQ(ConvertWideToUTF8(out, u"ab\xD83D", 3), E_FAIL);
    EXPECT_EQ(Bytes(out), std::string("ab\0", 3));
}

TEST(Utf8Wrappers, Utf8ToWide)
{
    ConstRCPtr<LIBuffer> out;
    EXPECT_EQ(ConvertUTF8ToWide(out, "caf\xC3\xA9", -1), S_OK);
    EXPECT_EQ(Units(out), std::u16string(u"caf\u00E9\0", 5));
    EXPECT_EQ(ConvertUTF8ToWide(out,
                                "abc\xC0\xAF"
                                "def",
                                -1),
              E_FAIL);
    EXPECT_EQ(Units(out), std::u16string(u"abc\0", 4));
    EXPECT_EQ(ConvertUTF8ToWide(out, "x\xE2\x82", 3), E_FAIL);
    EXPECT_EQ(Units(out), std::u16string(u"x\0", 2));
    EXPECT_EQ(ConvertUTF8ToWide(out, "\xF0\x9F\x98\x80", -1), S_OK);
    EXPECT_EQ(Units(out), std::u16string(u"\U0001F600\0", 3));
    EXPECT_EQ(ConvertUTF8ToWide(out, "\xF5\x80\x80\x80", -1), E_FAIL);
    EXPECT_EQ(Units(out), std::u16string(u"\0", 1));
}

TEST(Utf8Wrappers, NullOrEmptyGivesTheSharedEmptyBuffer)
{
    ConstRCPtr<LIBuffer> out;
    EXPECT_EQ(ConvertWideToUTF8(out, nullptr, -1), S_OK);
    EXPECT_EQ(out.Get(), NString::SharedEmptyBuffer().Get());
    EXPECT_EQ(ConvertWideToUTF8(out, u"", 5), S_OK);
    EXPECT_EQ(out.Get(), NString::SharedEmptyBuffer().Get());
    EXPECT_EQ(ConvertUTF8ToWide(out, nullptr, -1), S_OK);
    EXPECT_EQ(out.Get(), WString::SharedEmptyBuffer().Get());
    EXPECT_EQ(ConvertUTF8ToWide(out, "", -1), S_OK);
    EXPECT_EQ(out.Get(), WString::SharedEmptyBuffer().Get());
}

TEST(Utf8Wrappers, OutMayHoldTheSourceText)
{
    WString s(u"r\u00E9sum\u00E9");
    ConstRCPtr<LIBuffer> out = s.GetBuffer();
    const WString keep(s);
    s = WString();
    EXPECT_EQ(ConvertWideToUTF8(out, static_cast<const char16_t*>(out->GetData()), -1), S_OK);
    EXPECT_EQ(Bytes(out), std::string("r\xC3\xA9sum\xC3\xA9\0", 9));
}

TEST(Utf8Wrappers, RoundTripOfEveryScalarValue)
{
    std::u16string all;
    for (char32_t c = 1; c <= 0x10FFFF; c += (c < 0x800 ? 1 : 7)) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        if (c < 0x10000) {
            all.push_back(static_cast<char16_t>(c));
        } else {
            all.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            all.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
    }
    const WString wide(all.c_str());
    const NString narrow(wide);
    const WString back(narrow);
    EXPECT_EQ(std::u16string(back.GetString(), back.GetLength()), all);
}
