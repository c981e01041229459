// Wrappers and holders: shareable forms of plain values.
#include "kx/Wrappers.h"

#include "kx/Variant.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using KX::WString;

std::string Narrow(const WString& s)
{
    std::string out;
    for (const char16_t* p = s.GetString(); *p; ++p)
        out.push_back(static_cast<char>(*p));
    return out;
}

TEST(Wrappers, StringWrapperToStringIsItsText)
{
    const WString text(u"Preset 12");
    auto wrapper = KX::LWrapperStringable<WString>::Create(text);
    EXPECT_EQ(wrapper->GetRefCount(), 1);
    EXPECT_TRUE(wrapper->GetTag() == nullptr);

    // Through the shared base, and without copying the text.
    const KX::ConstRCPtr<KX::LRefCountedObject> base(wrapper);
    const WString shown = base->ToString();
    EXPECT_TRUE(shown == text);
    EXPECT_EQ(shown.GetString(), wrapper->GetString());
    EXPECT_EQ(wrapper->GetRefCount(), 2);
}

TEST(Wrappers, TaggableFromStringHoldsOneReference)
{
    KX::RCPtr<KX::LTaggableObject> tag = KX::TaggableFromString(u"item");
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->GetRefCount(), 1);
    EXPECT_EQ(Narrow(tag->ToString()), "item");

    auto wrapper = KX::RCPtr<KX::LWrapperStringable<WString>>::DynamicCast(KX::ConstRCPtr<KX::LTaggableObject>(tag));
    ASSERT_TRUE(wrapper);
    EXPECT_TRUE(*wrapper == WString(u"item"));
}

TEST(Wrappers, WrappedListKeepsItsBytes)
{
    KX::Variant items[2];
    const uint8_t bytes[] = {1, 2, 3};
    items[0].SetBytes(bytes, 3);
    items[1].SetString("x");
    KX::Variant list;
    list.SetList(items, 2);

    KX::RCPtr<KX::LWrapper<KX::Variant>> wrapped(new KX::LWrapper<KX::Variant>(list));
    uint32_t n = 0;
    uint32_t m = 0;
    EXPECT_NE(wrapped->GetData(n), list.GetData(m));
    list.Clear();
    EXPECT_EQ(wrapped->GetListCount(), 2u);
    KX::Variant out;
    ASSERT_EQ(wrapped->GetListItem(1, out), 0);
    EXPECT_STREQ(out.GetString(), "x");

    auto fresh = KX::LWrapper<KX::Variant>::Create();
    EXPECT_EQ(fresh->GetRefCount(), 1);
    EXPECT_EQ(fresh->GetType(), KX::Variant::TypeEmpty);
    EXPECT_NE(Narrow(fresh->ToString()).find("LWrapper"), std::string::npos);
}

enum class State { Off, On };

struct Counted {
    static inline int alive = 0;
    int value = 0;
    Counted() { ++alive; }
    ~Counted() { --alive; }
};

TEST(Wrappers, HoldersStartAtZeroAndFreeTheirValue)
{
    EXPECT_FALSE(KX::LHolder<bool>::Create()->Value());
    EXPECT_EQ(KX::LHolder<unsigned int>::Create()->Value(), 0u);
    EXPECT_EQ(KX::LHolder<State>::Create()->Value(), State::Off);

    auto holder = KX::LHolder<int>::Create();
    holder->Value() = -7;
    const KX::ConstRCPtr<KX::LHolder<int>> reader(holder);
    EXPECT_EQ(reader->Value(), -7);
    EXPECT_NE(Narrow(reader->ToString()).find("LHolder<int>"), std::string::npos);

    {
        auto counted = KX::LHolder<Counted>::Create();
        EXPECT_EQ(Counted::alive, 1);
        KX::RCPtr<KX::LHolder<Counted>> second(counted);
        counted = nullptr;
        EXPECT_EQ(Counted::alive, 1);
    }
    EXPECT_EQ(Counted::alive, 0);
}

TEST(Wrappers, CannotBeCopiedOnWrite)
{
    auto holder = KX::LHolder<int>::Create();
    holder->SetUnshareable(true);
    try {
        KX::RCPtr<KX::LHolder<int>> second(holder);
        FAIL() << "a second holder of an unshareable wrapper needs a copy";
    } catch (const std::logic_error& e) {
        EXPECT_NE(std::string(e.what()).find("CreateCopy() not implemented for RefCountedObject"), std::string::npos);
    }
    EXPECT_EQ(holder->GetRefCount(), 1);
}

} // namespace
