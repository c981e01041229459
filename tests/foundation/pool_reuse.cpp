// The reuse pool: block recycling, heap fallback for other sizes, alignment.
#include "kx/Diagnostics.h"
#include "kx/RefCountedObject.h"
#include "kx/ReusePool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace pool_test {

struct Record {
    int32_t a;
    double b;
    char c[5];
};

using Pool = KX::ReuseAllocator<Record, 4>;

bool Aligned(const void* p)
{
    return reinterpret_cast<uintptr_t>(p) % alignof(std::max_align_t) == 0;
}

// A pooled shared object, the way the notification parameters use their pools.
struct PooledParam : public KX::LRefCountedObject {
    static void* operator new(std::size_t size) { return pool().Allocate(static_cast<uint32_t>(size)); }
    static void operator delete(void* p) { pool().Free(p); }
    static KX::ReuseAllocator<PooledParam, 4>& pool()
    {
        static KX::ReuseAllocator<PooledParam, 4> instance;
        return instance;
    }
    int value = 0;
};

// Larger than its base, so its requests go to the heap.
struct BiggerParam : public PooledParam {
    char extra[40] = {};
};

} // namespace pool_test

using namespace pool_test;

TEST(ReusePool, FirstAllocationMakesBlockZero)
{
    Pool pool;
    void* p = pool.Allocate(sizeof(Record));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(pool.GetBlockCount(), 1u);
    EXPECT_EQ(pool.GetFreeCount(), 0u);
    pool.Free(p);
    EXPECT_EQ(pool.GetFreeCount(), 1u);
}

TEST(ReusePool, ReleasedBlockComesBackFirst)
{
    Pool pool;
    void* first = pool.Allocate(sizeof(Record));
    void* second = pool.Allocate(sizeof(Record));
    EXPECT_NE(first, second);
    pool.Free(first);
    EXPECT_EQ(pool.Allocate(sizeof(Record)), first);
    EXPECT_EQ(pool.GetBlockCount(), 2u);
    EXPECT_EQ(pool.GetFreeCount(), 0u);
    pool.Free(second);
    pool.Free(first);
}

TEST(ReusePool, OtherSizesGoToTheHeapAndLeaveTheListsAlone)
{
    Pool pool;
    void* pooled = pool.Allocate(sizeof(Record));
    pool.Free(pooled);
    for (uint32_t size : {0u, 1u, uint32_t(sizeof(Record) - 1), uint32_t(sizeof(Record) + 8), 4096u}) {
        auto* p = static_cast<unsigned char*>(pool.Allocate(size));
        ASSERT_NE(p, nullptr);
        EXPECT_TRUE(Aligned(p)) << size;
        std::memset(p, 0xAB, size); // the whole request is usable
        EXPECT_EQ(pool.GetBlockCount(), 1u);
        EXPECT_EQ(pool.GetFreeCount(), 1u);
        // Freeing it must read nothing outside the heap block (the address sanitizer watches).
        pool.Free(p);
        EXPECT_EQ(pool.GetBlockCount(), 1u);
        EXPECT_EQ(pool.GetFreeCount(), 1u);
    }
    EXPECT_EQ(pool.Allocate(sizeof(Record)), pooled);
    pool.Free(pooled);
}

TEST(ReusePool, ThousandObjectsAliveThenReleased)
{
    Pool pool;
    std::vector<void*> blocks;
    for (int i = 0; i < 1000; ++i) {
        void* p = pool.Allocate(sizeof(Record));
        EXPECT_TRUE(Aligned(p));
        std::memset(p, i & 0xFF, sizeof(Record));
        blocks.push_back(p);
    }
    for (int i = 0; i < 1000; ++i)
        EXPECT_EQ(*static_cast<unsigned char*>(blocks[i]), i & 0xFF) << "blocks overlap at " << i;
    for (void* p : blocks)
        pool.Free(p);
    EXPECT_EQ(pool.GetBlockCount(), 1000u);
    EXPECT_EQ(pool.GetFreeCount(), 1000u);
    EXPECT_EQ(pool.Allocate(sizeof(Record)), blocks.back());
    EXPECT_EQ(pool.GetBlockCount(), 1000u);
    // Blocks still handed out are deleted with the pool; the leak checker sees none left.
}

namespace pool_test {
std::vector<std::string> reported;
void Collect(const char* line) noexcept
{
    reported.emplace_back(line);
}
} // namespace pool_test

TEST(ReusePool, SecondFreeOfABlockIsIgnoredAndReported)
{
    reported.clear();
    const KX::DiagnosticHandler previous = KX::SetDiagnosticHandler(&Collect);
    for (bool threadSafe : {true, false}) {
        Pool pool(threadSafe);
        void* p = pool.Allocate(sizeof(Record));
        void* q = pool.Allocate(sizeof(Record));
        pool.Free(p);
        pool.Free(p);
        EXPECT_EQ(pool.GetFreeCount(), 1u);
        // Each block is handed out once.
        void* a = pool.Allocate(sizeof(Record));
        void* b = pool.Allocate(sizeof(Record));
        EXPECT_EQ(a, p);
        EXPECT_NE(b, p);
        EXPECT_NE(b, q);
        EXPECT_EQ(pool.GetBlockCount(), 3u);
        // A block in circulation again may be freed again.
        pool.Free(a);
        EXPECT_EQ(pool.GetFreeCount(), 1u);
    }
    KX::SetDiagnosticHandler(previous);
    ASSERT_EQ(reported.size(), 2u);
    EXPECT_NE(reported[0].find("freed twice"), std::string::npos) << reported[0];
}

TEST(ReusePool, FreeOfNullDoesNothing)
{
    Pool pool(false);
    EXPECT_FALSE(pool.IsThreadSafe());
    pool.Free(nullptr);
    EXPECT_EQ(pool.GetFreeCount(), 0u);
    EXPECT_TRUE(Pool().IsThreadSafe());
}

TEST(ReusePool, PooledClassRecyclesItsStorage)
{
    auto& pool = PooledParam::pool();
    const uint32_t blocksBefore = pool.GetBlockCount();
    const PooledParam* first;
    {
        KX::RCPtr<PooledParam> p(new PooledParam);
        first = p.Get();
        EXPECT_TRUE(Aligned(first));
    }
    {
        KX::RCPtr<PooledParam> p(new PooledParam);
        EXPECT_EQ(p.Get(), first);
        // A derived class of another size takes heap memory and frees it through the pool.
        KX::RCPtr<PooledParam> bigger(new BiggerParam);
        EXPECT_NE(bigger.Get(), first);
    }
    EXPECT_LE(pool.GetBlockCount(), blocksBefore + 1);
    EXPECT_EQ(pool.GetFreeCount(), pool.GetBlockCount());
}
