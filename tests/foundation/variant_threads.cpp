// Several threads reading items of one list that nobody changes.
#include "VariantSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using KX::Variant;
using namespace kxtest;

TEST(VariantThreads, ConcurrentReadersOfOneList)
{
    std::vector<Variant> items;
    for (int32_t i = 0; i < 83; ++i)
        items.push_back(Blob(Bytes(static_cast<size_t>(5 + i % 13), static_cast<uint8_t>(i))));
    Variant list;
    list.SetList(items.data(), static_cast<int32_t>(items.size()));
    const Variant& shared = list;

    std::atomic<int> mismatches{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&, t] {
            Variant out;
            for (int round = 0; round < 50; ++round) {
                for (uint32_t k = 0; k < 83; ++k) {
                    const uint32_t i = (t % 2) ? 82 - k : (k * 7 + static_cast<uint32_t>(round)) % 83;
                    if (shared.GetListItem(i, out) != 0 || !(out == items[i]))
                        ++mismatches;
                }
            }
        });
    }
    for (auto& r : readers)
        r.join();
    EXPECT_EQ(mismatches.load(), 0);
}
