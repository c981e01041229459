// Preset file save and load against writing and reading the same 2878 bytes with plain
// fwrite/fread (with and without flushing them to the disk).
#include "engine/ParamRecords.h"
#include "engine/ParamValueStore.h"
#include "engine/PresetManager.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// An engine holding the default preset that takes every value it is given.
class BenchStore : public IParamValueStore {
public:
    BenchStore()
    {
        for (int32_t i = 0; i < static_cast<int32_t>(kParamCount); ++i)
            m_values.push_back(MakeDefaultParamRecord(i));
    }
    int32_t GetFirstParamID() override { return 0; }
    KX::KXRESULT GetParamValues(int32_t first, int32_t count, KX::IArray<KX::ParamValue>& out,
                                int32_t startIndex) override
    {
        if (startIndex < 0) {
            out.RemoveAll();
            startIndex = 0;
        }
        if (out.GetCount() < static_cast<uint32_t>(count + startIndex))
            out.SetSize(static_cast<uint32_t>(count + startIndex));
        for (int32_t k = 0; k < count; ++k)
            out.ElementAt(static_cast<uint32_t>(startIndex + k)) =
                KX::ParamValue(KX::ParamDescriptor(first + k), m_values[static_cast<size_t>(first + k)]);
        return 0;
    }
    KX::KXRESULT SetParamValues(const KX::ParamDescriptor& d, const KX::Variant& value) override
    {
        m_values[static_cast<size_t>(d.id)] = value;
        return 0;
    }

private:
    std::vector<KX::Variant> m_values;
};

// A folder of its own beside the other temporary files, and the engine registered.
class Fixture {
public:
    Fixture()
    {
        // TMPDIR picks the file system (a disk, or /dev/shm for memory).
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/kx_bench_presetXXXXXX";
        m_folder = mkdtemp(pattern.data()) ? pattern : std::string("/tmp");
        SetParamValueStore(KX::RCPtr<IParamValueStore>(new BenchStore()));
        manager = KX::LPresetManager::Create();
        path = m_folder + "/bench.Lumo25PresetEditor";
        widePath = KX::WString(path.c_str());
        KX::Array<KX::ParamValue> values;
        for (int32_t i = 0; i < static_cast<int32_t>(kParamCount); ++i)
            values.AddItem(KX::ParamValue(KX::ParamDescriptor(i), MakeDefaultParamRecord(i)));
        KX::LPresetManager::BuildPresetFile(values, bytes);
    }
    ~Fixture()
    {
        manager = nullptr;
        SetParamValueStore(nullptr);
        std::remove(path.c_str());
        rmdir(m_folder.c_str());
    }

    KX::RCPtr<KX::LPresetManager> manager;
    std::string path;
    KX::WString widePath;
    std::vector<uint8_t> bytes;

private:
    std::string m_folder;
};

bool PlainWrite(const std::string& path, const std::vector<uint8_t>& bytes, bool flushToDisk)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (flushToDisk)
        ok = std::fflush(f) == 0 && fsync(fileno(f)) == 0 && ok;
    return std::fclose(f) == 0 && ok;
}

bool PlainRead(const std::string& path, std::vector<uint8_t>& out)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    out.resize(4096);
    out.resize(std::fread(out.data(), 1, out.size(), f));
    std::fclose(f);
    return true;
}

void BM_PresetFileSave(benchmark::State& state)
{
    Fixture fx;
    for (auto _ : state) {
        if (fx.manager->Save(fx.widePath) != 0)
            state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fx.bytes.size()));
}
BENCHMARK(BM_PresetFileSave)->Unit(benchmark::kMicrosecond);

void BM_PresetFileLoad(benchmark::State& state)
{
    Fixture fx;
    fx.manager->Save(fx.widePath);
    for (auto _ : state) {
        if (fx.manager->Load(fx.widePath) != 0)
            state.SkipWithError("load failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(fx.bytes.size()));
}
BENCHMARK(BM_PresetFileLoad)->Unit(benchmark::kMicrosecond);

void BM_PresetFileSaveLoad(benchmark::State& state)
{
    Fixture fx;
    for (auto _ : state) {
        if (fx.manager->Save(fx.widePath) != 0 || fx.manager->Load(fx.widePath) != 0)
            state.SkipWithError("save or load failed");
    }
}
BENCHMARK(BM_PresetFileSaveLoad)->Unit(benchmark::kMicrosecond);

void BM_PlainFwriteFread(benchmark::State& state)
{
    Fixture fx;
    std::vector<uint8_t> back;
    for (auto _ : state) {
        if (!PlainWrite(fx.path, fx.bytes, false) || !PlainRead(fx.path, back))
            state.SkipWithError("plain write or read failed");
        benchmark::DoNotOptimize(back.data());
    }
}
BENCHMARK(BM_PlainFwriteFread)->Unit(benchmark::kMicrosecond);

void BM_PlainFwriteFsyncFread(benchmark::State& state)
{
    Fixture fx;
    std::vector<uint8_t> back;
    for (auto _ : state) {
        if (!PlainWrite(fx.path, fx.bytes, true) || !PlainRead(fx.path, back))
            state.SkipWithError("plain write or read failed");
        benchmark::DoNotOptimize(back.data());
    }
}
BENCHMARK(BM_PlainFwriteFsyncFread)->Unit(benchmark::kMicrosecond);

// The in-memory halves: building the file image and checking it.
void BM_PresetFileBuild(benchmark::State& state)
{
    KX::Array<KX::ParamValue> values;
    for (int32_t i = 0; i < static_cast<int32_t>(kParamCount); ++i)
        values.AddItem(KX::ParamValue(KX::ParamDescriptor(i), MakeDefaultParamRecord(i)));
    std::vector<uint8_t> bytes;
    for (auto _ : state) {
        KX::LPresetManager::BuildPresetFile(values, bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_PresetFileBuild)->Unit(benchmark::kMicrosecond);

void BM_PresetFileParse(benchmark::State& state)
{
    Fixture fx;
    KX::Array<KX::ParamValue> records;
    for (auto _ : state) {
        KX::LPresetManager::ParsePresetFile(fx.bytes.data(), fx.bytes.size(), records);
        benchmark::DoNotOptimize(records.GetCount());
    }
}
BENCHMARK(BM_PresetFileParse)->Unit(benchmark::kMicrosecond);

} // namespace
