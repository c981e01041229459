// Reading, searching, trimming and number text of the strings; the string array.
#include "kx/StringT.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <map>
#include <string>

using KX::NString;
using KX::WString;

namespace {

std::u16string Text(const WString& s)
{
    return std::u16string(s.GetString(), s.GetLength());
}

} // namespace

TEST(StringText, EqualsAndOrder)
{
    const WString empty;
    EXPECT_TRUE(empty.Equals(nullptr));
    EXPECT_TRUE(empty.Equals(u""));
    EXPECT_FALSE(WString(u"a").Equals(nullptr));
    EXPECT_FALSE(WString(u"a").Equals(u""));
    EXPECT_FALSE(WString(u"abc").Equals(u"ABC"));
    EXPECT_FALSE(WString(u"abc").Equals(u"abcd"));
    EXPECT_TRUE(WString(u"abc") == WString(u"abc"));
    EXPECT_TRUE(WString(u"abc") != WString(u"abd"));

    // Code units, not letters: 'B' (0x42) sorts before 'a' (0x61); U+00E9 after 'z'.
    EXPECT_TRUE(WString(u"B") < WString(u"a"));
    EXPECT_FALSE(WString(u"a") < WString(u"B"));
    EXPECT_TRUE(WString(u"z") < WString(u"\u00E9"));
    EXPECT_TRUE(WString(u"ab") < WString(u"abc"));
    EXPECT_TRUE(WString(u"\uD7FF") < WString(u"\uFFFF"));
    const WString x(u"x");
    EXPECT_FALSE(x < x);
    EXPECT_FALSE(WString(u"x") < WString(u"x"));
    EXPECT_TRUE(NString("z") < NString("\xC3\xA9")); // bytes compare unsigned
}

TEST(StringText, FindAndReverseFind)
{
    const WString s(u"abcdcd");
    EXPECT_EQ(s.Find(WString(u"cd")), 2);
    EXPECT_EQ(s.Find(WString(u"x")), -1);
    EXPECT_EQ(s.Find(WString()), 0);
    EXPECT_EQ(WString().Find(WString(u"a")), -1);

    const WString path(u"a/b/c");
    EXPECT_EQ(path.ReverseFindChar('/'), 3);
    EXPECT_EQ(path.ReverseFindChar('x'), -1);
    EXPECT_EQ(path.ReverseFindChar('\0'), 5);
    EXPECT_EQ(path.ReverseFindChar(static_cast<char>(0xC3)), 5);
}

TEST(StringText, Mid)
{
    const WString s(u"abcdef");
    EXPECT_EQ(Text(s.Mid(-2, 5)), u"ef");
    EXPECT_EQ(Text(s.Mid(4)), u"ef");
    EXPECT_EQ(Text(s.Mid(-1)), u"f");
    EXPECT_TRUE(s.Mid(6, 1).IsEmpty());
    EXPECT_TRUE(s.Mid(2, 0).IsEmpty());
    EXPECT_TRUE(s.Mid(7).IsEmpty());
    EXPECT_EQ(Text(s.Mid(1, 3)), u"bcd");
    EXPECT_EQ(Text(WString(u"abc").Left(10)), u"abc");
    EXPECT_EQ(Text(s.Left(2)), u"ab");
}

TEST(StringText, MidWithAStartBeforeTheBeginningIsClamped)
{
    const WString s(u"abcdef");
    // -10 lies 4 units before the beginning: those 4 of the 5 are cut off.
    EXPECT_EQ(Text(s.Mid(-10, 5)), u"a");
    // Not reaching into the text at all gives the empty string, not the whole text.
    EXPECT_TRUE(s.Mid(-10, 3).IsEmpty());
    EXPECT_TRUE(s.Mid(-10, 4).IsEmpty());
    EXPECT_EQ(Text(s.Mid(-8, 100)), u"abcdef");
    EXPECT_EQ(Text(s.Mid(INT_MIN, 0xFFFFFFFFu)), u"abcdef");
}

TEST(StringText, CaseConversionFoldsAsciiOnly)
{
    const WString s(u"Hello World \u00C9\u00E9 123");
    EXPECT_EQ(Text(s.ToUpper()), u"HELLO WORLD \u00C9\u00E9 123");
    EXPECT_EQ(Text(s.ToLower()), u"hello world \u00C9\u00E9 123");
    EXPECT_STREQ(NString("MiXeD").ToLower().GetString(), "mixed");
    EXPECT_TRUE(WString().ToUpper().IsEmpty());
}

TEST(StringText, Trimming)
{
    EXPECT_EQ(Text(WString(u" \tx y \r\n").Trim()), u"x y");
    EXPECT_EQ(Text(WString(u"  x ").TrimLeft()), u"x ");
    EXPECT_EQ(Text(WString(u"  x ").TrimRight()), u"  x");
    EXPECT_EQ(Text(WString(u"1.500").TrimRightChars(WString(u"0"))), u"1.5");
    EXPECT_TRUE(WString(u"000").TrimRightChars(WString(u"0")).IsEmpty());
    EXPECT_EQ(Text(WString(u"xyzabc").TrimLeftChars(WString(u"zyx"))), u"abc");
    EXPECT_EQ(Text(WString(u"abc").TrimRightChars(WString())), u"abc");
    EXPECT_TRUE(WString(u" \t\r\n ").Trim().IsEmpty());
}

TEST(StringText, TrimLeftOfATextMadeOnlyOfTheSetIsEmpty)
{
    EXPECT_TRUE(WString(u" \t \r\n").TrimLeft().IsEmpty());
    EXPECT_TRUE(WString(u"000").TrimLeftChars(WString(u"0")).IsEmpty());
    EXPECT_TRUE(NString("   ").TrimLeft().IsEmpty());
}

TEST(StringText, ToIntAndToDouble)
{
    EXPECT_EQ(WString(u"42").ToInt(), 42);
    EXPECT_EQ(WString(u"  -17xyz").ToInt(), -17);
    EXPECT_EQ(WString(u"+8").ToInt(), 8);
    EXPECT_EQ(WString(u"abc").ToInt(), 0);
    EXPECT_EQ(WString(u"").ToInt(), 0);
    EXPECT_EQ(WString(u"99999999999").ToInt(), INT_MAX);
    EXPECT_EQ(WString(u"-2147483648").ToInt(), INT_MIN);
    EXPECT_EQ(WString(u"-99999999999").ToInt(), INT_MIN);

    EXPECT_DOUBLE_EQ(WString(u"3.25").ToDouble(), 3.25);
    EXPECT_DOUBLE_EQ(WString(u" \t-1.5e2abc").ToDouble(), -150.0);
    EXPECT_DOUBLE_EQ(WString(u".5").ToDouble(), 0.5);
    EXPECT_DOUBLE_EQ(WString(u"+7").ToDouble(), 7.0);
    EXPECT_DOUBLE_EQ(WString(u"x1").ToDouble(), 0.0);
    EXPECT_DOUBLE_EQ(WString(u"--1").ToDouble(), 0.0);
    EXPECT_DOUBLE_EQ(WString(u"1,5").ToDouble(), 1.0); // the point is '.', whatever the locale
    EXPECT_TRUE(std::isinf(WString(u"1e999").ToDouble()));
    EXPECT_DOUBLE_EQ(WString(u"1e-999").ToDouble(), 0.0);
    EXPECT_DOUBLE_EQ(NString("2.5").ToDouble(), 2.5);
}

TEST(StringText, ToDoubleReadsHexadecimalNumbers)
{
    EXPECT_EQ(WString(u"0x1A").ToDouble(), 26.0);
    EXPECT_EQ(WString(u" -0X1a").ToDouble(), -26.0);
    EXPECT_EQ(WString(u"0x1Ap1").ToDouble(), 52.0);
    EXPECT_EQ(WString(u"0x1.8P-1").ToDouble(), 0.75);
    EXPECT_EQ(WString(u"0x.8").ToDouble(), 0.5);
    EXPECT_EQ(WString(u"+0x10zz").ToDouble(), 16.0);
    // An exponent mark without digits is not part of the number.
    EXPECT_EQ(WString(u"0x1Ap").ToDouble(), 26.0);
    EXPECT_EQ(WString(u"0x1Ap+").ToDouble(), 26.0);
    EXPECT_EQ(WString(u"0x1A.8e").ToDouble(), 26.0 + 0.5 + 14.0 / 256.0);
    // No hexadecimal digit: the number is the 0 before the x.
    EXPECT_EQ(WString(u"0x").ToDouble(), 0.0);
    EXPECT_EQ(WString(u"0xg").ToDouble(), 0.0);
    EXPECT_TRUE(std::signbit(WString(u"-0x.").ToDouble()));
    // Out of range: infinity above, 0 below.
    EXPECT_TRUE(std::isinf(WString(u"0x1p99999").ToDouble()));
    EXPECT_EQ(WString(u"0x0.0001p1024").ToDouble(), 0x1p1008);
    EXPECT_EQ(WString(u"0x1p-99999").ToDouble(), 0.0);
    const std::u16string zeros(300, u'0');
    EXPECT_TRUE(std::isinf(WString((u"0x1" + zeros + u"p0").c_str()).ToDouble()));
    EXPECT_EQ(WString((u"0x0." + zeros + u"1p-8").c_str()).ToDouble(), 0.0);
    // Exponents too long to read keep their sign.
    EXPECT_EQ(WString(u"1e-99999999999999999999999").ToDouble(), 0.0);
    EXPECT_EQ(WString(u"0x1p-99999999999999999999999").ToDouble(), 0.0);
    EXPECT_TRUE(std::isinf(WString(u"0x1p+99999999999999999999999").ToDouble()));
    EXPECT_EQ(NString("0xFF").ToDouble(), 255.0);
}

TEST(StringText, NumberText)
{
    EXPECT_EQ(Text(KX::IntToString(5, 2)), u".05");
    EXPECT_EQ(Text(KX::IntToString(50, 2)), u".50");
    EXPECT_EQ(Text(KX::IntToString(1234, 2)), u"12.34");
    EXPECT_EQ(Text(KX::IntToString(5, 1)), u".5");
    EXPECT_EQ(Text(KX::IntToString(1234, 0)), u"1234");
    EXPECT_EQ(Text(KX::IntToString(-1234, 0)), u"-1234");
    EXPECT_EQ(Text(KX::UIntToString(7, 0)), u"7");
    EXPECT_EQ(Text(KX::UIntToString(4294967295u, 3)), u"4294967.295");
    EXPECT_EQ(Text(KX::UIntToString(7, 3)), u".007");
    EXPECT_EQ(Text(KX::DoubleToString(0.5, 2)), u"0.50");
    EXPECT_EQ(Text(KX::DoubleToString(0.5, -1)), u"0.500000");
    EXPECT_EQ(Text(KX::DoubleToString(-2.25, 1)), u"-2.2");
    EXPECT_EQ(Text(KX::DoubleToString(3.0, 0)), u"3");
}

TEST(StringText, NegativeNumberTextKeepsTheSignInFront)
{
    EXPECT_EQ(Text(KX::IntToString(-5, 2)), u"-.05");
    EXPECT_EQ(Text(KX::IntToString(-5, 3)), u"-.005");
    EXPECT_EQ(Text(KX::IntToString(-1234, 2)), u"-12.34");
    EXPECT_EQ(Text(KX::IntToString(-50, 1)), u"-5.0");
    EXPECT_EQ(Text(KX::IntToString(INT_MIN, 3)), u"-2147483.648");
}

TEST(StringText, FormatBuildsAString)
{
    EXPECT_EQ(Text(WString::Format(u"buttonColumnHeader%d", 3)), u"buttonColumnHeader3");
    EXPECT_EQ(Text(WString::Format(u"%s=%S", u"key", "valu\xC3\xA9")), u"key=valu\u00E9");
    const WString name(u"name");
    EXPECT_EQ(Text(WString::Format(u"[%s]", name)), u"[name]");
    EXPECT_STREQ(NString::Format("%s/%S", "a", u"\u00E9").GetString(), "a/\xC3\xA9");
    EXPECT_TRUE(WString::Format(u"").IsEmpty());
    WString s(u"old text");
    s.SetFormatted(u"%02X", 10u);
    EXPECT_EQ(Text(s), u"0A");
}

TEST(StringText, FormattingSixteenThousandUnitsOrMoreIsCutOff)
{
    const std::u16string big(20000, u'x');
    const WString s = WString::Format(u"%s", big.c_str());
    EXPECT_EQ(s.GetLength(), 16383u);
    EXPECT_EQ(s.GetString()[16382], u'x');
    const WString exact = WString::Format(u"%16383d", 1);
    EXPECT_EQ(exact.GetLength(), 16383u);
    EXPECT_EQ(exact.GetString()[16382], u'1');
    EXPECT_EQ(WString::Format(u"%16384d", 1).GetLength(), 16383u);
    EXPECT_EQ(Text(KX::DoubleToString(1.0, 100000)).size(), 16383u);
}

TEST(StringArray, FindAndFindBuffer)
{
    KX::StringArrayT<char16_t, char> array;
    EXPECT_EQ(array.Find(WString(u"abc"), true), -1);
    EXPECT_EQ(array.Find(WString(u"abc"), false), -1);
    array.AddItem(WString(u"ABC"));
    array.AddItem(WString(u"abc"));
    EXPECT_EQ(array.Find(WString(u"abc"), false), 0);
    EXPECT_EQ(array.Find(WString(u"abc"), true), 1);
    EXPECT_EQ(array.Find(WString(u"abd"), false), -1);

    const WString shared(u"same");
    array.AddItem(shared);
    array.AddItem(shared);
    // The last element holding that very buffer.
    EXPECT_EQ(array.FindBuffer(shared.GetString()), 3);
    const WString equalText(u"same");
    EXPECT_EQ(array.FindBuffer(equalText.GetString()), -1);
}

TEST(StringArray, CopyStringMapToPairArraySortsByKey)
{
    std::map<WString, WString> map;
    map[WString(u"b")] = WString(u"2");
    map[WString(u"B")] = WString(u"1");
    map[WString(u"a")] = WString(u"3");
    KX::Array<KX::Pair<WString, WString>> out;
    out.AddItem(KX::Pair<WString, WString>{WString(u"c"), WString(u"0")});
    EXPECT_EQ(KX::CopyStringMapToPairArray(map, out), KX::S_OK);
    ASSERT_EQ(out.GetCount(), 4u);
    EXPECT_EQ(Text(out.ElementAt(0).first), u"B");
    EXPECT_EQ(Text(out.ElementAt(1).first), u"a");
    EXPECT_EQ(Text(out.ElementAt(2).first), u"b");
    EXPECT_EQ(Text(out.ElementAt(2).second), u"2");
    EXPECT_EQ(Text(out.ElementAt(3).first), u"c");
}
