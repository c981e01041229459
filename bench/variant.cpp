// A preset's 83 parameter values (blob records, 874 data bytes in all) written as
// one list record and read back item by item, beside the same work done with
// plain standard-library vectors.
#include "kx/Variant.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Value record lengths of the keyboard's parameters in id order.
std::vector<uint32_t> RecordLengths()
{
    std::vector<uint32_t> lengths;
    auto add = [&](int count, uint32_t length) { lengths.insert(lengths.end(), count, length); };
    add(1, 6);   // preset name
    add(4, 9);   // keybed zones
    add(2, 5);   // wheels
    add(1, 6);   // volume pedal
    add(1, 6);   // sustain pedal
    add(16, 14); // pads
    add(20, 17); // push buttons
    add(20, 6);  // faders
    add(16, 6);  // encoders
    add(2, 15);  // XY pad axes
    return lengths;
}

std::vector<std::vector<uint8_t>> ParameterBytes()
{
    std::vector<std::vector<uint8_t>> values;
    uint8_t next = 1;
    for (uint32_t length : RecordLengths()) {
        std::vector<uint8_t> bytes(length);
        for (uint8_t& b : bytes)
            b = next++;
        values.push_back(std::move(bytes));
    }
    return values;
}

void BM_VariantList(benchmark::State& state)
{
    const auto values = ParameterBytes();
    std::vector<KX::Variant> items(values.size());
    for (size_t i = 0; i < values.size(); ++i)
        items[i].SetBytes(values[i].data(), static_cast<uint32_t>(values[i].size()));
    std::vector<KX::Variant> readItems(values.size());
    std::vector<uint8_t> buffer(4096);
    size_t dataBytes = 0;
    for (const auto& v : values)
        dataBytes += v.size();

    for (auto _ : state) {
        KX::Variant list;
        list.SetList(items.data(), static_cast<int32_t>(items.size()));
        const uint32_t written = KX::Variant::Serialize(list, buffer.data(), static_cast<uint32_t>(buffer.size()));

        KX::Variant read;
        if (KX::Variant::Deserialize(read, buffer.data(), written) != KX::S_OK)
            state.SkipWithError("unreadable record");
        const uint32_t count = read.GetListCount();
        for (uint32_t i = 0; i < count; ++i)
            read.GetListItem(i, readItems[i]);
        benchmark::DoNotOptimize(readItems.data());
        benchmark::ClobberMemory();
    }
    uint32_t n = 0;
    if (!(readItems.back() == items.back()) || readItems.back().GetData(n) == nullptr)
        state.SkipWithError("items differ");
    state.counters["records"] = static_cast<double>(items.size());
    state.counters["data_bytes"] = static_cast<double>(dataBytes);
}
BENCHMARK(BM_VariantList);

// The same records written into a std::vector with memcpy and read back into
// fresh vectors, with the same header checks.
void BM_StdVectorList(benchmark::State& state)
{
    const auto values = ParameterBytes();
    auto put32 = [](uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); };
    auto get32 = [](const uint8_t* p) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    };

    for (auto _ : state) {
        size_t total = 12;
        for (const auto& v : values)
            total += v.size() + 12;
        std::vector<uint8_t> record(total);
        put32(record.data(), static_cast<uint32_t>(total));
        put32(record.data() + 4, 0);
        put32(record.data() + 8, 10);
        size_t offset = 12;
        for (const auto& v : values) {
            put32(record.data() + offset, static_cast<uint32_t>(v.size() + 12));
            put32(record.data() + offset + 4, 0);
            put32(record.data() + offset + 8, 8);
            std::memcpy(record.data() + offset + 12, v.data(), v.size());
            offset += v.size() + 12;
        }

        std::vector<std::vector<uint8_t>> read;
        read.reserve(values.size());
        const size_t end = get32(record.data());
        offset = 12;
        while (end - offset >= 12) {
            const uint8_t* p = record.data() + offset;
            const uint32_t length = get32(p);
            if (length < 12 || length > end - offset || get32(p + 4) != 0 || get32(p + 8) > 10)
                break;
            read.emplace_back(p + 12, p + length);
            offset += length;
        }
        benchmark::DoNotOptimize(read.data());
        benchmark::ClobberMemory();
        if (read.size() != values.size())
            state.SkipWithError("records lost");
    }
}
BENCHMARK(BM_StdVectorList);

} // namespace
