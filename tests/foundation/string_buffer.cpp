// Buffer sharing, locking and the writing operations of the strings.
#include "kx/StringT.h"

#include <gtest/gtest.h>

#include <string>

using KX::NString;
using KX::WString;

namespace {

std::u16string Text(const WString& s)
{
    return std::u16string(s.GetString(), s.GetLength());
}

const KX::LIBuffer* BufferOf(const WString& s)
{
    return s.GetBuffer().Get();
}

// A string buffer whose CopyRange hands back nothing.
class NoCopyBuffer : public KX::StringBuffer {
public:
    using KX::StringBuffer::StringBuffer;
    KX::ConstRCPtr<KX::LIBuffer>& CopyRange(KX::ConstRCPtr<KX::LIBuffer>& out, uint32_t, uint32_t) const override
    {
        out = nullptr;
        return out;
    }
};

} // namespace

TEST(StringBuffer, EmptyStringsShareOneBuffer)
{
    WString a;
    WString b(u"");
    WString c(u"xyz");
    c.Empty();
    WString d(u"abc");
    d.Assign(u"abc", 0);
    EXPECT_EQ(BufferOf(a), BufferOf(b));
    EXPECT_EQ(BufferOf(a), BufferOf(c));
    EXPECT_EQ(BufferOf(a), BufferOf(d));
    EXPECT_EQ(a.GetBuffer()->GetSize(), 2u);
    EXPECT_TRUE(a == c);

    NString n;
    EXPECT_EQ(n.GetBuffer()->GetSize(), 1u);
    EXPECT_EQ(n.GetBuffer().Get(), NString("").GetBuffer().Get());
}

TEST(StringBuffer, SingleCharacterConstruction)
{
    const WString zero(u'\0');
    EXPECT_TRUE(zero.IsEmpty());
    EXPECT_NE(BufferOf(zero), BufferOf(WString()));
    EXPECT_EQ(zero.GetBuffer()->GetSize(), 2u);

    const WString x(u'x');
    EXPECT_EQ(x.GetLength(), 1u);
    EXPECT_EQ(x.GetBuffer()->GetSize(), 4u);

    const NString nx('x');
    EXPECT_EQ(nx.GetBuffer()->GetSize(), 2u);
    EXPECT_EQ(NString('\0').GetBuffer()->GetSize(), 1u);
}

TEST(StringBuffer, CopiesShareAndChangesDoNotLeak)
{
    WString a(u"hello");
    WString b(a);
    EXPECT_EQ(BufferOf(a), BufferOf(b));
    EXPECT_EQ(a.GetBuffer()->GetRefCount(), 2);
    b += u" world";
    EXPECT_EQ(Text(a), u"hello");
    EXPECT_EQ(Text(b), u"hello world");
    EXPECT_EQ(b.GetBuffer()->GetSize(), 12u * 2);
}

TEST(StringBuffer, LockGivesPrivateRoomAndUnlockTrims)
{
    WString s(u"abc");
    const WString other(s);
    char16_t* p = s.Lock(10);
    ASSERT_NE(p, nullptr);
    EXPECT_NE(BufferOf(s), BufferOf(other));
    EXPECT_EQ(s.GetBuffer()->GetSize(), 20u);
    EXPECT_EQ(p[9], 0);
    EXPECT_EQ(std::u16string(p, 3), u"abc");
    EXPECT_EQ(s.GetLength(), 3u);
    EXPECT_EQ(s.Lock(5), nullptr);

    p[3] = u'd';
    p[4] = 0;
    EXPECT_EQ(s.GetLength(), 4u);
    EXPECT_EQ(s.Unlock(), 0);
    EXPECT_EQ(s.GetBuffer()->GetSize(), 10u);
    EXPECT_EQ(Text(s), u"abcd");
    EXPECT_EQ(Text(other), u"abc");
    EXPECT_EQ(s.Unlock(), 1);
}

TEST(StringBuffer, LockZeroGivesRoomForTheTextAndTerminator)
{
    WString s(u"abc");
    ASSERT_NE(s.Lock(0), nullptr);
    EXPECT_EQ(s.GetBuffer()->GetSize(), 8u);
    s.Unlock();
    EXPECT_EQ(Text(s), u"abc");
}

TEST(StringBuffer, UnlockOfAnEmptiedTextReturnsToTheSharedEmptyBuffer)
{
    WString s(u"abc");
    char16_t* p = s.Lock(8);
    p[0] = 0;
    EXPECT_EQ(s.Unlock(), 0);
    EXPECT_EQ(BufferOf(s), BufferOf(WString()));
}

TEST(StringBuffer, UnlockTerminatesATextThatFilledTheWholeBuffer)
{
    WString s;
    char16_t* p = s.Lock(3);
    p[0] = u'a';
    p[1] = u'b';
    p[2] = u'c'; // overwrites the terminator Lock wrote
    EXPECT_EQ(s.GetLength(), 3u);
    s.Unlock();
    EXPECT_EQ(Text(s), u"abc");
    EXPECT_EQ(s.GetString()[3], 0);
}

TEST(StringBuffer, CopyOfALockedStringGetsItsOwnExactBuffer)
{
    WString s(u"abc");
    char16_t* p = s.Lock(16);
    const WString copy(s);
    WString assigned;
    assigned = s;
    p[0] = u'X';
    EXPECT_EQ(Text(copy), u"abc");
    EXPECT_EQ(Text(assigned), u"abc");
    EXPECT_EQ(copy.GetBuffer()->GetSize(), 8u);
    EXPECT_EQ(assigned.GetBuffer()->GetSize(), 8u);
    EXPECT_FALSE(copy.IsLocked());
    EXPECT_EQ(Text(s), u"Xbc");
}

TEST(StringBuffer, LockedStringKeepsItsBufferThroughWrites)
{
    WString s(u"abc");
    s.Lock(32);
    const KX::LIBuffer* own = BufferOf(s);
    s = WString(u"0123456789");
    EXPECT_EQ(BufferOf(s), own);
    EXPECT_TRUE(s.IsLocked());
    EXPECT_EQ(Text(s), u"0123456789");
    s.SetFormatted(u"%d-%s", 42, u"x");
    EXPECT_EQ(Text(s), u"42-x");
    s.Empty();
    EXPECT_EQ(BufferOf(s), own);
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.Insert(0, WString(u">")), KX::S_OK);
    s += WString(u"tail");
    EXPECT_TRUE(s.IsLocked());
    EXPECT_EQ(Text(s), u">tail");
    // The room given by Lock stays while locked.
    EXPECT_EQ(s.GetBuffer()->GetSize(), 64u);
    EXPECT_EQ(s.Insert(1, WString(u"+")), KX::S_OK);
    EXPECT_EQ(Text(s), u">+tail");
    EXPECT_TRUE(s.IsLocked());
}

TEST(StringBuffer, InsertIntoAFullLockedBufferIsCutOff)
{
    WString s(u"abc");
    s.Lock(4);
    EXPECT_EQ(s.Insert(1, WString(u"XY")), KX::S_OK);
    EXPECT_EQ(Text(s), u"aXY");
    EXPECT_EQ(s.GetBuffer()->GetSize(), 8u);
}

TEST(StringBuffer, AssignIntoASmallLockedBufferIsCutOff)
{
    WString s;
    s.Lock(4);
    s.Assign(u"abcdefgh", WString::kAllUnits);
    EXPECT_EQ(Text(s), u"abc");
    EXPECT_EQ(s.GetBuffer()->GetSize(), 8u);
    s.Unlock();
    EXPECT_EQ(Text(s), u"abc");
}

TEST(StringBuffer, FailedCopyInLockKeepsTheOldBufferAndThrows)
{
    KX::ConstRCPtr<KX::LIBuffer> buffer(static_cast<KX::LIBuffer*>(new NoCopyBuffer(8, 0, true)));
    char16_t* units = static_cast<char16_t*>(buffer->GetData());
    units[0] = u'a';
    units[1] = u'b';
    units[2] = u'c';
    WString s(buffer);
    const WString other(s);
    try {
        s.Lock(10);
        FAIL() << "Lock of a buffer that cannot be copied must throw";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(
            e.what(),
            "Runtime Error : KX::StringT<wchar_t,char>::Lock : kxframework\\utilities\\Storage/StringT : Line 760");
        EXPECT_NE(dynamic_cast<const KX::ExceptionBase*>(&e), nullptr);
    }
    EXPECT_EQ(BufferOf(s), buffer.Get());
    EXPECT_FALSE(s.IsLocked());
    EXPECT_EQ(Text(s), u"abc");
}

TEST(StringBuffer, AppendingAStringToItself)
{
    WString s(u"ab");
    s += s;
    EXPECT_EQ(Text(s), u"abab");

    WString shared(u"xy");
    const WString keep(shared);
    shared += shared;
    EXPECT_EQ(Text(shared), u"xyxy");
    EXPECT_EQ(Text(keep), u"xy");

    WString locked(u"cd");
    locked.Lock(3); // too small: the append grows the buffer it reads from
    locked += locked;
    EXPECT_EQ(Text(locked), u"cdcd");
    locked.Unlock();
    EXPECT_EQ(Text(locked), u"cdcd");

    NString n("q");
    n += n;
    n += n;
    EXPECT_STREQ(n.GetString(), "qqqq");
}

TEST(StringBuffer, InsertingAStringIntoItself)
{
    WString s(u"abc");
    EXPECT_EQ(s.Insert(1, s), KX::S_OK);
    EXPECT_EQ(Text(s), u"aabcbc");
    WString t(u"xy");
    t.Insert(0, t);
    EXPECT_EQ(Text(t), u"xyxy");
    WString u(u"12");
    u.Insert(2, u);
    EXPECT_EQ(Text(u), u"1212");
    WString v(u"abcdef");
    v.InsertChars(0, v.GetString() + 4, 2);
    EXPECT_EQ(Text(v), u"efabcdef");
}

TEST(StringBuffer, InsertPositions)
{
    const WString abc(u"abc");
    WString s = abc;
    EXPECT_EQ(s.Insert(3, WString(u"X")), KX::S_OK);
    EXPECT_EQ(Text(s), u"abcX");
    s = abc;
    s.Insert(0, WString(u"X"));
    EXPECT_EQ(Text(s), u"Xabc");
    s = abc;
    s.Insert(1, WString(u"X"));
    EXPECT_EQ(Text(s), u"aXbc");
    s = abc;
    EXPECT_EQ(s.Insert(4, WString(u"X")), KX::E_INVALIDARG);
    EXPECT_EQ(s.InsertChars(4, u"X", 1), KX::E_INVALIDARG);
    EXPECT_EQ(s.InsertNarrow(4, "X"), KX::E_INVALIDARG);
    EXPECT_EQ(Text(s), u"abc");

    WString e;
    EXPECT_EQ(e.Insert(0, WString(u"z")), KX::S_OK);
    EXPECT_EQ(Text(e), u"z");

    s = abc;
    s.InsertChars(1, u"12345", 2);
    EXPECT_EQ(Text(s), u"a12bc");
    s = abc;
    s.InsertChars(3, u"12", 0x7FFFFFFF);
    EXPECT_EQ(Text(s), u"abc12");
    s = abc;
    s.InsertNarrow(0, "\xC3\xA9");
    EXPECT_EQ(Text(s), u"\u00E9abc");
}

TEST(StringBuffer, AppendCharacters)
{
    WString s(u"a");
    s.AppendChar(u'b');
    s += 'c';
    s += static_cast<char>(0x80); // no one-byte UTF-8 text: nothing
    s += '\0';
    EXPECT_EQ(Text(s), u"abc");
    NString n("a");
    n += 'b';
    n.AppendChar('c');
    EXPECT_STREQ(n.GetString(), "abc");
}

TEST(StringBuffer, ReplaceAny)
{
    WString s(u"a/b\\c");
    s.ReplaceAny(u"/\\", u'_');
    EXPECT_EQ(Text(s), u"a_b_c");
    s.ReplaceAny(u"_", 0);
    EXPECT_EQ(Text(s), u"a_b_c");
    s.ReplaceAny(u"", u'x');
    EXPECT_EQ(Text(s), u"a_b_c");

    WString shared(u"x.y");
    const WString keep(shared);
    shared.ReplaceAny(u".", u'-');
    EXPECT_EQ(Text(keep), u"x.y");
    EXPECT_EQ(Text(shared), u"x-y");
}

TEST(StringBuffer, AssignFromUTF8)
{
    WString s(u"old");
    s.AssignFromUTF8("caf\xC3\xA9!", 5);
    EXPECT_EQ(Text(s), u"caf\u00E9");
    s.AssignFromUTF8("abc", -1);
    EXPECT_EQ(Text(s), u"abc");
    s.AssignFromUTF8("abc", 0);
    EXPECT_EQ(BufferOf(s), BufferOf(WString()));
    s.AssignFromUTF8(nullptr, -1);
    EXPECT_TRUE(s.IsEmpty());

    WString locked;
    locked.Lock(8);
    locked.AssignFromUTF8("xyz", -1);
    EXPECT_TRUE(locked.IsLocked());
    EXPECT_EQ(Text(locked), u"xyz");
}

TEST(StringBuffer, WidthConversions)
{
    const WString wide("caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(Text(wide), u"caf\u00E9 \u20AC");
    const NString narrow = wide.ToNarrow();
    EXPECT_STREQ(narrow.GetString(), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(narrow.GetLength(), 9u);
    EXPECT_EQ(Text(WString(narrow)), Text(wide));
    // An illegal sequence cuts the text off there.
    EXPECT_EQ(Text(WString("ab\xC0\xAF"
                           "cd")),
              u"ab");
    EXPECT_TRUE(WString(static_cast<const char*>(nullptr)).IsEmpty());
}
