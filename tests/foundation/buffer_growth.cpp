// Byte buffers: growth rule, fills, reference-counted copies and allocation failures.
#include "kx/Buffer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

// Heap allocator that can be told to refuse requests.
struct RefusingAllocator : KX::IAllocator {
    bool refuse = false;
    void* Allocate(uint32_t size) override { return refuse ? nullptr : std::malloc(size); }
    void* AllocateZeroed(uint32_t count, uint32_t size) override { return refuse ? nullptr : std::calloc(count, size); }
    void* Reallocate(void* block, uint32_t size) override
    {
        if (size == 0) {
            std::free(block);
            return nullptr;
        }
        return refuse ? nullptr : std::realloc(block, size);
    }
    void Free(void* block) override { std::free(block); }
};

RefusingAllocator g_refusing;
KX::IAllocator* GetRefusingAllocator()
{
    return &g_refusing;
}

struct RefusingAllocatorTest : ::testing::Test {
    void TearDown() override { g_refusing.refuse = false; }
};

template <uint32_t G, uint32_t R>
using Bytes = KX::BufferT<G, R, 8, char*>;

using CharBuffer = KX::LBufferT<1, 128, 8, char>;

const unsigned char* BytesOf(const KX::IBuffer& b)
{
    return static_cast<const unsigned char*>(b.GetData());
}

} // namespace

TEST(BufferGrowth, GranuleAndReserveDecideWhetherTheBlockStays)
{
    Bytes<1, 0> exact;
    exact.SetSize(10);
    EXPECT_EQ(exact.GetAllocatedSize(), 10u);
    exact.SetSize(9);
    EXPECT_EQ(exact.GetAllocatedSize(), 9u);

    Bytes<4, 0> quad;
    quad.SetSize(10);
    EXPECT_EQ(quad.GetAllocatedSize(), 12u);
    quad.SetSize(9);
    EXPECT_EQ(quad.GetAllocatedSize(), 12u);
    EXPECT_EQ(quad.GetSize(), 9u);
    quad.SetSize(8);
    EXPECT_EQ(quad.GetAllocatedSize(), 8u);

    Bytes<1, 128> text;
    text.SetSize(200);
    text.SetSize(72);
    EXPECT_EQ(text.GetAllocatedSize(), 200u);
    text.SetSize(71);
    EXPECT_EQ(text.GetAllocatedSize(), 71u);

    Bytes<16, 6400> pool;
    pool.SetSize(4);
    EXPECT_EQ(pool.GetAllocatedSize(), 16u);
    pool.SetSize(0);
    EXPECT_EQ(pool.GetAllocatedSize(), 16u);
    EXPECT_NE(pool.GetData(), nullptr);
}

TEST(BufferGrowth, SetSizeZeroReleasesABlockBeyondTheReserve)
{
    Bytes<1, 0> b;
    b.SetSize(10);
    b.SetSize(0);
    EXPECT_EQ(b.GetAllocatedSize(), 0u);
    EXPECT_EQ(b.GetData(), nullptr);
    EXPECT_EQ(b.GetSize(), 0u);
}

TEST(BufferGrowth, SetSizeKeepsContentsAndResizeKeepsABlockOfTheSameGranule)
{
    Bytes<4, 0> b;
    b.SetSize(6);
    std::memcpy(b.GetData(), "abcdef", 6);
    b.SetSize(20);
    EXPECT_EQ(std::memcmp(b.GetData(), "abcdef", 6), 0);

    void* before = b.GetData();
    b.Resize(19); // granule 20 again
    EXPECT_EQ(b.GetData(), before);
    EXPECT_EQ(std::memcmp(b.GetData(), "abcdef", 6), 0);
    EXPECT_EQ(b.Resize(0), 0u);
    EXPECT_EQ(b.GetData(), nullptr);
}

TEST(BufferGrowth, ConstructorGivesBackAReserveBeyondTheRule)
{
    Bytes<1, 128> b(10, 500, true);
    EXPECT_EQ(b.GetAllocatedSize(), 10u);
    EXPECT_EQ(b.GetSize(), 10u);
    for (uint32_t k = 0; k < 10; ++k)
        EXPECT_EQ(BytesOf(b)[k], 0);

    Bytes<1, 128> kept(10, 100, false);
    EXPECT_EQ(kept.GetAllocatedSize(), 100u);
}

TEST(BufferGrowth, SizesThatCannotBeHeldAreAllocationFailures)
{
    Bytes<4, 0> b;
    b.SetSize(8);
    try {
        b.SetSize(0xFFFFFFFFu); // the granule would wrap to 0
        FAIL() << "no exception";
    } catch (const std::bad_alloc& e) {
        EXPECT_STREQ(e.what(), "bad allocation");
    }
    EXPECT_EQ(b.GetSize(), 8u);
    EXPECT_EQ(b.GetAllocatedSize(), 8u);
}

TEST(BufferFill, RangesAreCheckedWithoutWrapping)
{
    Bytes<1, 0> b(8, 0, true);
    EXPECT_EQ(b.Fill(0xAA, 2, -1), KX::S_OK);
    const unsigned char expected[8] = {0, 0, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
    EXPECT_EQ(std::memcmp(b.GetData(), expected, 8), 0);

    EXPECT_EQ(b.Fill(0, 8, 0), KX::S_OK);
    EXPECT_EQ(b.Fill(0, 9, -1), KX::E_INVALIDARG);
    EXPECT_EQ(b.Fill(0, 7, 2), KX::E_INVALIDARG);
    EXPECT_EQ(b.Fill(0, 0xFFFFFFFFu, 2), KX::E_INVALIDARG);
    EXPECT_EQ(b.FillWide(0, 2, 0x7FFFFFFF), KX::E_INVALIDARG);
    EXPECT_EQ(b.FillWide(0, 4, 3), KX::E_INVALIDARG);
    EXPECT_EQ(std::memcmp(b.GetData(), expected, 8), 0);
}

TEST(BufferFill, FillWideWritesWholeUnitsToTheEnd)
{
    Bytes<1, 0> b(7, 0, false);
    std::memset(b.GetData(), 0x11, 7);
    EXPECT_EQ(b.FillWide(0xABCD, 0, -1), KX::S_OK);
    uint16_t units[3];
    std::memcpy(units, b.GetData(), 6);
    EXPECT_EQ(units[0], 0xABCD);
    EXPECT_EQ(units[2], 0xABCD);
    EXPECT_EQ(BytesOf(b)[6], 0x11);
}

TEST(BufferFill, PointerAtStopsAtTheSize)
{
    Bytes<1, 0> b(8, 0, true);
    EXPECT_EQ(b.GetPointerAt(7), static_cast<char*>(b.GetData()) + 7);
    EXPECT_EQ(b.GetPointerAt(8), nullptr);
    EXPECT_EQ(b.GetPointerAt(0xFFFFFFFFu), nullptr);
}

TEST(SharedBuffer, CopyRangeTakesWhatThereIsAndZeroesTheRest)
{
    KX::ConstRCPtr<KX::LIBuffer> b;
    CharBuffer::Create(b, 10, 0, false);
    std::memcpy(b->GetData(), "0123456789", 10);

    KX::ConstRCPtr<KX::LIBuffer> range;
    b->CopyRange(range, 8, 6);
    ASSERT_EQ(range->GetSize(), 8u);
    EXPECT_EQ(std::memcmp(range->GetData(), "6789\0\0\0\0", 8), 0);

    b->CopyRange(range, 8, 10);
    EXPECT_EQ(std::memcmp(range->GetData(), "\0\0\0\0\0\0\0\0", 8), 0);
    b->CopyRange(range, 8, 0xFFFFFFF0u);
    EXPECT_EQ(std::memcmp(range->GetData(), "\0\0\0\0\0\0\0\0", 8), 0);
}

TEST(SharedBuffer, CopyRangeIntoThePointerThatHoldsTheBuffer)
{
    KX::ConstRCPtr<KX::LIBuffer> b;
    CharBuffer::Create(b, 4, 0, false);
    std::memcpy(b->GetData(), "abcd", 4);
    b->CopyRange(b, 6, 1); // the old buffer dies on this assignment
    ASSERT_EQ(b->GetSize(), 6u);
    EXPECT_EQ(std::memcmp(b->GetData(), "bcd\0\0\0", 6), 0);
    EXPECT_EQ(b->GetRefCount(), 1);
}

TEST(SharedBuffer, UnshareableBufferIsCopiedForANewHolder)
{
    KX::ConstRCPtr<KX::LIBuffer> writer;
    CharBuffer::Create(writer, 3, 0, false);
    std::memcpy(writer->GetData(), "xyz", 3);
    const_cast<KX::LIBuffer*>(writer.Get())->SetUnshareable(true);

    KX::ConstRCPtr<KX::LIBuffer> reader(writer);
    EXPECT_NE(reader.Get(), writer.Get());
    EXPECT_EQ(writer->GetRefCount(), 1);
    EXPECT_EQ(reader->GetRefCount(), 1);
    EXPECT_TRUE(reader->IsShareable());
    ASSERT_EQ(reader->GetSize(), 3u);
    EXPECT_EQ(std::memcmp(reader->GetData(), "xyz", 3), 0);
}

TEST_F(RefusingAllocatorTest, FailedGrowthKeepsTheOldBlock)
{
    KX::BufferT<4, 0, 8, char*, &GetRefusingAllocator> b;
    b.SetSize(6);
    std::memcpy(b.GetData(), "keepme", 6);
    void* block = b.GetData();
    g_refusing.refuse = true;

    for (int pass = 0; pass < 2; ++pass) {
        try {
            if (pass == 0)
                b.SetSize(100);
            else
                b.Resize(100);
            FAIL() << "no exception";
        } catch (const KX::ExceptionBase& e) {
            EXPECT_STREQ(e.GetMessageText(), "bad allocation");
        }
        EXPECT_EQ(b.GetData(), block);
        EXPECT_EQ(b.GetSize(), 6u);
        EXPECT_EQ(b.GetAllocatedSize(), 8u);
        EXPECT_EQ(std::memcmp(b.GetData(), "keepme", 6), 0);
    }

    // A shrink that cannot move keeps the larger block and records the smaller size.
    b.SetSize(1);
    EXPECT_EQ(b.GetSize(), 1u);
    EXPECT_EQ(b.GetAllocatedSize(), 8u);
    EXPECT_EQ(b.GetData(), block);
}

TEST_F(RefusingAllocatorTest, ConstructorThrowsWhenRefused)
{
    g_refusing.refuse = true;
    using Refusing = KX::BufferT<1, 0, 8, char*, &GetRefusingAllocator>;
    EXPECT_THROW(Refusing(4, 0, true), std::bad_alloc);
    EXPECT_THROW(Refusing(4, 64, true), std::bad_alloc);
}

TEST(ArrayBuffer, InsertAndRemoveRuns)
{
    KX::ArrayBuffer<unsigned int> a;
    for (unsigned v : {1u, 2u, 3u})
        a.AddItem(v);
    EXPECT_EQ(a.InsertItems(2, 3), 6);
    const unsigned expected[] = {1, 2, 0, 0, 0, 3};
    ASSERT_EQ(a.GetCount(), 6u);
    EXPECT_EQ(std::memcmp(a.GetData(), expected, sizeof expected), 0);

    KX::ArrayBuffer<unsigned int> b;
    for (unsigned v : {1u, 2u, 3u})
        b.AddItem(v);
    EXPECT_EQ(b.InsertItems(4, 1), KX::E_INVALIDARG);
    b.AddItem(4);
    EXPECT_EQ(b.RemoveItems(0xFFFFFFFFu, 2), KX::E_INVALIDARG);
    EXPECT_EQ(b.RemoveItems(1, 2), 2);
    EXPECT_EQ(b.ElementAt(0), 1u);
    EXPECT_EQ(b.ElementAt(1), 4u);

    unsigned removed = 77;
    EXPECT_EQ(b.RemoveItem(2, removed), KX::E_INVALIDARG);
    EXPECT_EQ(removed, 77u);
    EXPECT_EQ(b.RemoveLast(removed), 1);
    EXPECT_EQ(removed, 4u);
}

TEST(ArrayBuffer, InsertingAnElementOfTheSameArray)
{
    KX::ArrayBuffer<unsigned int> a; // reallocates on every change
    for (unsigned v : {10u, 20u, 30u})
        a.AddItem(v);
    EXPECT_EQ(a.InsertItem(0, a.GetData()[2]), 4);
    EXPECT_EQ(a.ElementAt(0), 30u);
    EXPECT_EQ(a.ElementAt(3), 30u);
}

TEST(ArrayBuffer, GrowingZeroesNewElementsOfAnySize)
{
    struct Rgb {
        unsigned char r, g, b;
    };
    KX::ArrayBuffer<Rgb, 1, 100> rgb; // the block outlives the count
    rgb.SetSize(2);
    std::memset(rgb.GetData(), 0xFF, 2 * sizeof(Rgb));
    rgb.SetSize(0);
    EXPECT_NE(rgb.GetData(), nullptr);
    EXPECT_EQ(rgb.GetCount(), 0u);
    rgb.SetSize(2);
    EXPECT_EQ(rgb.ElementAt(1).b, 0);

    KX::ArrayBuffer<unsigned int, 1, 1600> words;
    words.SetSize(4);
    std::memset(words.GetData(), 0xFF, 16);
    words.SetSize(1);
    words.SetSize(4);
    EXPECT_EQ(words.ElementAt(0), 0xFFFFFFFFu);
    EXPECT_EQ(words.ElementAt(3), 0u);
}

TEST(ArrayBuffer, CountsThatCannotBeHeldAreAllocationFailures)
{
    KX::ArrayBuffer<unsigned int> a;
    a.AddItem(1);
    EXPECT_THROW(a.SetStorageCount(0x40000000u), std::bad_alloc);
    EXPECT_THROW(a.InsertItems(0, 0x7FFFFFFFu), std::bad_alloc);
    EXPECT_EQ(a.GetCount(), 1u);
}

TEST(ArrayBufferM, MovesBetweenInlineStorageAndTheBlock)
{
    KX::ArrayBufferM<signed char, 4> m;
    for (signed char v = 1; v <= 4; ++v)
        m.AddItem(v);
    EXPECT_EQ(m.GetAllocatedSize(), 0u);
    signed char* inlineStorage = m.GetData();

    m.AddItem(5);
    EXPECT_EQ(m.GetAllocatedSize(), 5u);
    EXPECT_NE(m.GetData(), inlineStorage);
    m.AddItem(6);
    for (signed char k = 0; k < 6; ++k)
        EXPECT_EQ(m.ElementAt(k), k + 1);

    EXPECT_EQ(m.SetSize(3), 3);
    EXPECT_EQ(m.GetAllocatedSize(), 0u);
    EXPECT_EQ(m.GetData(), inlineStorage);
    EXPECT_EQ(m.GetCount(), 3u);
    EXPECT_EQ(m.ElementAt(2), 3);

    // Fills see the inline bytes while the elements are inline.
    EXPECT_EQ(m.Fill(9, 1, -1), KX::S_OK);
    EXPECT_EQ(m.ElementAt(0), 1);
    EXPECT_EQ(m.ElementAt(2), 9);
    EXPECT_EQ(m.Fill(0, 4, 0), KX::E_INVALIDARG);

    EXPECT_EQ(m.SetSize(4), 4);
    EXPECT_EQ(m.ElementAt(3), 0);
    EXPECT_EQ(m.RemoveAll(), KX::S_OK);
    EXPECT_EQ(m.GetCount(), 0u);
}
