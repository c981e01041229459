#include "kx/HashedList.h"
#include "kx/Pair.h"
#include "kx/StringT.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

namespace hashtest {

// Records its destruction in a log the test owns.
class Tracked : public KX::LRefCountedObject {
public:
    Tracked(int id, std::vector<int>* log) : id(id), m_log(log) {}
    ~Tracked() override
    {
        if (m_log)
            m_log->push_back(id);
    }
    const int id;

private:
    std::vector<int>* m_log;
};

// Plain record keyed by its first field, as the glyph list stores them.
struct Glyph {
    long id;
    int advance;
};
long GlyphId(const Glyph& g)
{
    return g.id;
}
int IntKey(const int& v)
{
    return v;
}
int TrackedId(const KX::RCPtr<Tracked>& p)
{
    return p->id;
}

KX::WString KeyText(const KX::RCPtr<Tracked>& p)
{
    return KX::WString(std::to_string(p->id).c_str());
}

} // namespace hashtest

using hashtest::Glyph;
using hashtest::Tracked;

using IntList = KX::HashedList<int, int, &hashtest::IntKey, 8, &KX::GetBits<8, 4, int>>;
using GlyphList = KX::HashedList<Glyph, long, &hashtest::GlyphId, 8, &KX::GetBits<8, 0, long>>;
using TrackedList = KX::HashedList<KX::RCPtr<Tracked>, int, &hashtest::TrackedId, 8, &KX::GetBits<8, 4, int>>;

namespace {
// Exposes the buckets for the storage checks.
struct InspectableIntList : IntList {
    using IntList::BucketOf;
};
} // namespace

TEST(GetBits, ShiftsArithmeticallyAndMasks)
{
    EXPECT_EQ((KX::GetBits<8, 4, int>(-16)), 255u);
    EXPECT_EQ((KX::GetBits<8, 4, int>(0x1234)), 0x23u);
    EXPECT_EQ((KX::GetBits<8, 0, long>(0x1FF)), 0xFFu);
}

TEST(LPair, ToStringUsesTheTextFunctionAndValueGoesBeforeKey)
{
    std::vector<int> log;
    {
        using P = KX::LPair<KX::RCPtr<Tracked>, KX::RCPtr<Tracked>, &hashtest::KeyText>;
        KX::RCPtr<P> pair(new P(KX::RCPtr<Tracked>(new Tracked(1, &log)), KX::RCPtr<Tracked>(new Tracked(2, &log))));
        EXPECT_EQ(pair->ToString(), KX::WString(u"1"));
    }
    EXPECT_EQ(log, (std::vector<int>{2, 1}));
}

TEST(HashedList, PairTextNamesTheKeyTypeNotTheKey)
{
    EXPECT_EQ(IntList::CreateEntry(42, 42)->ToString(), KX::WString(u"int"));
    EXPECT_EQ(GlyphList::CreateEntry(7, Glyph{7, 1})->ToString(), KX::WString(u"long"));
}

TEST(HashedList, SetValueAddsOrReplaces)
{
    GlyphList list;
    EXPECT_TRUE(list.SetValue(Glyph{5, 10}));
    EXPECT_TRUE(list.SetValue(Glyph{6, 20}));
    EXPECT_FALSE(list.SetValue(Glyph{5, 11}));
    EXPECT_EQ(list.GetCount(), 2u);
    const Glyph none{-1, -1};
    EXPECT_EQ(list.Find(5, none).advance, 11);
    EXPECT_EQ(list.Find(6, none).advance, 20);
    EXPECT_EQ(&list.Find(7, none), &none);
}

TEST(HashedList, KeysSharingABucketAreAllFound)
{
    IntList ints;
    // Equal in bits 4 to 11, different above and below.
    const std::vector<int> same = {0x120, 0x1120, 0x7F120, 0x125, -0xEE0};
    for (int k : same)
        ASSERT_TRUE(ints.SetValue(k));
    for (int k : same)
        EXPECT_EQ(ints.Find(k, 0), k);
    EXPECT_TRUE(ints.Remove(0x1120));
    EXPECT_EQ(ints.Find(0x1120, 0), 0);
    EXPECT_EQ(ints.Find(0x7F120, 0), 0x7F120);

    GlyphList glyphs;
    glyphs.SetValue(Glyph{0x41, 1});
    glyphs.SetValue(Glyph{0x141, 2});
    EXPECT_EQ(glyphs.Find(0x41, Glyph{0, 0}).advance, 1);
    EXPECT_EQ(glyphs.Find(0x141, Glyph{0, 0}).advance, 2);
}

TEST(HashedList, RemoveOfTheOnlyPairEmptiesItsBucket)
{
    InspectableIntList list;
    EXPECT_FALSE(list.Remove(3));
    list.SetValue(0x50);
    EXPECT_EQ(list.BucketOf(0x50).GetCount(), 1u);
    EXPECT_TRUE(list.Remove(0x50));
    EXPECT_FALSE(list.Remove(0x50));
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.BucketOf(0x50).GetCount(), 0u);
    EXPECT_EQ(list.BucketOf(0x50).GetData(), nullptr);
}

TEST(HashedList, ReleasesValuesOnReplaceRemoveRemoveAllAndDestruction)
{
    std::vector<int> log;
    {
        TrackedList list;
        KX::RCPtr<Tracked> a(new Tracked(0x10, &log));
        list.SetValue(a);
        list.SetValue(KX::RCPtr<Tracked>(new Tracked(0x20, &log)));
        list.SetValue(KX::RCPtr<Tracked>(new Tracked(0x30, &log)));
        EXPECT_EQ(a->GetRefCount(), 2);
        list.SetValue(KX::RCPtr<Tracked>(new Tracked(0x10, &log))); // replaces a in the table
        EXPECT_EQ(a->GetRefCount(), 1);
        EXPECT_TRUE(list.Remove(0x20));
        EXPECT_EQ(log, (std::vector<int>{0x20}));
        list.RemoveAll();
        EXPECT_EQ(list.GetCount(), 0u);
        EXPECT_FALSE(list.Find(0x30, KX::RCPtr<Tracked>()));
        EXPECT_EQ(log.size(), 3u);
        list.SetValue(KX::RCPtr<Tracked>(new Tracked(0x40, &log)));
    }
    EXPECT_EQ(log.size(), 5u); // 0x40 with the table, a with its last holder
}

// Random use with many colliding keys against std::map.
TEST(HashedList, MatchesAMapUnderRandomUse)
{
    GlyphList list;
    std::map<long, int> model;
    std::mt19937 rng(99);
    for (int step = 0; step < 20000; ++step) {
        // Keys from a small range so buckets hold several pairs and keys repeat.
        const long key = static_cast<long>(rng() % 2048) - 1024;
        const int value = static_cast<int>(rng() % 1000);
        switch (rng() % 3) {
        case 0:
        case 1: {
            const bool added = model.find(key) == model.end();
            model[key] = value;
            ASSERT_EQ(list.SetValue(Glyph{key, value}), added);
            break;
        }
        default: ASSERT_EQ(list.Remove(key), model.erase(key) == 1);
        }
        ASSERT_EQ(list.GetCount(), model.size());
    }
    const Glyph none{0, -1};
    for (long key = -1024; key < 1024; ++key) {
        auto it = model.find(key);
        const Glyph& g = list.Find(key, none);
        if (it == model.end())
            EXPECT_EQ(g.advance, -1) << key;
        else
            EXPECT_EQ(g.advance, it->second) << key;
    }
}
