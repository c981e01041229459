#include "kx/RCPtrMap.h"
#include "kx/StringT.h"

#include <gtest/gtest.h>

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace maptest {

class Font : public KX::LRefCountedObject {
public:
    explicit Font(int size = 0) : size(size) {}
    int size;
};

// The reference-counted part sits behind another polymorphic base, so a pointer to the object
// and a pointer to that part differ.
struct Other {
    virtual ~Other() = default;
    int pad = 0;
};
class Shifted : public Other, public Font {};

class FileInfo : public KX::LRefCountedObject {
public:
    explicit FileInfo(int id) : id(id) {}
    const int id;
};

// Lives in memory the test maps itself; its deletion leaves that memory alone.
class Placed : public KX::LRefCountedObject {
public:
    static void operator delete(void*) {}
};

} // namespace maptest

using maptest::FileInfo;
using maptest::Font;
using FontMap = KX::RCPtrMap<Font, FileInfo, 8>;

namespace {
KX::RCPtr<FileInfo> Info(int id)
{
    return KX::RCPtr<FileInfo>(new FileInfo(id));
}
} // namespace

TEST(RCPtrMap, SetAtReplacesThePairOfTheSameKeyObject)
{
    FontMap map;
    KX::RCPtr<Font> font(new Font);
    EXPECT_TRUE(map.SetAt(font, Info(1)));
    const KX::RCPtr<FontMap::Pair> oldPair = map.FindPair(font);
    EXPECT_FALSE(map.SetAt(font, Info(2)));
    EXPECT_EQ(map.GetCount(), 1u);
    EXPECT_EQ(map.Lookup(font)->id, 2);
    // A new pair took the place of the old one, which its holder sees unchanged.
    EXPECT_EQ(oldPair->value->id, 1);
    EXPECT_EQ(oldPair->GetRefCount(), 1);
}

TEST(RCPtrMap, KeysAreIdentitiesNotContents)
{
    FontMap map;
    KX::RCPtr<Font> a(new Font(12));
    KX::RCPtr<Font> b(new Font(12));
    EXPECT_TRUE(map.SetAt(a, Info(1)));
    EXPECT_TRUE(map.SetAt(b, Info(2)));
    EXPECT_EQ(map.GetCount(), 2u);
    EXPECT_EQ(map.Lookup(a)->id, 1);
    EXPECT_EQ(map.Lookup(b)->id, 2);
}

TEST(RCPtrMap, AbsentKeysGiveNullAndChangeNothing)
{
    FontMap map;
    KX::RCPtr<Font> present(new Font);
    KX::RCPtr<Font> absent(new Font);
    map.SetAt(present, Info(1));
    EXPECT_FALSE(map.Lookup(absent));
    EXPECT_FALSE(map.FindPair(absent));
    EXPECT_FALSE(map.Lookup(KX::ConstRCPtr<Font>()));
    EXPECT_EQ(map.GetCount(), 1u);
    EXPECT_EQ(absent->GetRefCount(), 1);
}

TEST(RCPtrMap, HoldsKeysAndValuesUntilRemoved)
{
    FontMap map;
    KX::RCPtr<Font> font(new Font);
    KX::RCPtr<FileInfo> info = Info(3);
    map.SetAt(font, info);
    EXPECT_EQ(font->GetRefCount(), 2);
    EXPECT_EQ(info->GetRefCount(), 2);
    EXPECT_TRUE(map.RemoveKey(font));
    EXPECT_FALSE(map.RemoveKey(font));
    EXPECT_EQ(font->GetRefCount(), 1);
    EXPECT_EQ(info->GetRefCount(), 1);

    map.SetAt(font, info);
    map.RemoveAll();
    EXPECT_EQ(font->GetRefCount(), 1);
    {
        FontMap scoped;
        scoped.SetAt(font, info);
        EXPECT_EQ(font->GetRefCount(), 2);
    }
    EXPECT_EQ(font->GetRefCount(), 1);
    EXPECT_EQ(info->GetRefCount(), 1);
}

TEST(RCPtrMap, DerivedPointerAndBasePartFindTheSamePair)
{
    KX::RCPtrMap<maptest::Shifted, FileInfo, 8> map;
    KX::RCPtr<maptest::Shifted> key(new maptest::Shifted);
    const KX::LRefCountedObject* base = key.Get();
    ASSERT_NE(static_cast<const void*>(base), static_cast<const void*>(key.Get()));
    map.SetAt(key, Info(9));
    const auto& pair = map.FindPair(KX::ConstRCPtr<KX::LRefCountedObject>(base));
    ASSERT_TRUE(pair);
    EXPECT_EQ(pair->value->id, 9);
    EXPECT_EQ(map.Lookup(key)->id, 9);
    EXPECT_TRUE(map.RemoveKey(KX::ConstRCPtr<KX::LRefCountedObject>(base)));
    EXPECT_EQ(map.GetCount(), 0u);
}

TEST(RCPtrMap, PairTextIsTheKeyObjectsText)
{
    FontMap::Pair pair{KX::ConstRCPtr<Font>(new Font), Info(1)};
    EXPECT_EQ(pair.ToString(), KX::WString(u"maptest::Font"));
    FontMap::Pair empty{KX::ConstRCPtr<Font>(), Info(1)};
    EXPECT_TRUE(empty.ToString().IsEmpty());
}

// Two live objects whose addresses agree in their low 32 bits stay two keys.
TEST(RCPtrMap, ObjectsFourGigabytesApartDoNotCollide)
{
    constexpr size_t kPage = 4096;
    constexpr uintptr_t kApart = uintptr_t{1} << 32;
    void* region = mmap(nullptr, kApart + kPage, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (region == MAP_FAILED)
        GTEST_SKIP() << "cannot reserve 4 GiB of address space";
    char* low = static_cast<char*>(region);
    char* high = low + kApart;
    ASSERT_EQ(mprotect(low, kPage, PROT_READ | PROT_WRITE), 0);
    ASSERT_EQ(mprotect(high, kPage, PROT_READ | PROT_WRITE), 0);
    {
        KX::RCPtr<maptest::Placed> a(new (low) maptest::Placed);
        KX::RCPtr<maptest::Placed> b(new (high) maptest::Placed);
        ASSERT_EQ(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(a.Get())),
                  static_cast<uint32_t>(reinterpret_cast<uintptr_t>(b.Get())));
        KX::RCPtrMap<maptest::Placed, FileInfo, 8> map;
        EXPECT_TRUE(map.SetAt(a, Info(1)));
        EXPECT_TRUE(map.SetAt(b, Info(2)));
        EXPECT_EQ(map.GetCount(), 2u);
        EXPECT_EQ(map.Lookup(a)->id, 1);
        EXPECT_EQ(map.Lookup(b)->id, 2);
        EXPECT_TRUE(map.RemoveKey(a));
        EXPECT_EQ(map.Lookup(b)->id, 2);
    }
    munmap(region, kApart + kPage);
}
