// The process-wide allocator over the runtime heap.
#include "kx/Allocator.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(SystemAllocator, IsOneObjectForTheProcess)
{
    EXPECT_EQ(KX::GetSystemAllocator(), KX::GetSystemAllocator());
}

TEST(SystemAllocator, ReallocateKeepsContentsAndReleasesAtZero)
{
    KX::IAllocator* a = KX::GetSystemAllocator();
    auto* p = static_cast<char*>(a->Reallocate(nullptr, 8));
    ASSERT_NE(p, nullptr);
    std::memcpy(p, "abcdefg", 8);
    p = static_cast<char*>(a->Reallocate(p, 4096));
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p, "abcdefg");
    EXPECT_EQ(a->Reallocate(p, 0), nullptr); // released; the leak checker would see it otherwise
}

TEST(SystemAllocator, AllocateZeroedClearsEveryByte)
{
    KX::IAllocator* a = KX::GetSystemAllocator();
    auto* p = static_cast<unsigned char*>(a->AllocateZeroed(4, 8));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(p[i], 0) << i;
    a->Free(p);
    a->Free(nullptr);
}
