#pragma once
// Doubles for the preset file tests: an engine that records what it is told, an engine
// over the real root module, the application shell's message box, and file helpers.
#include "engine/ParamRecords.h"
#include "engine/ParamValueStore.h"
#include "engine/PresetManager.h"
#include "engine/RootModule.h"

#include "kx/AppServices.h"

#include "FakeAppServices.h"

#include "ModelFakes.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kxtest {

// Holds 83 values (the defaults at first) and records every set. Like the engine, it
// refuses every value while not connected.
class FakeValueStore : public IParamValueStore {
public:
    FakeValueStore()
    {
        for (int32_t i = 0; i < static_cast<int32_t>(kParamCount); ++i)
            values.push_back(MakeDefaultParamRecord(i));
    }

    int32_t GetFirstParamID() override { return firstId; }

    KX::KXRESULT GetParamValues(int32_t first, int32_t count, KX::IArray<KX::ParamValue>& out,
                                int32_t startIndex) override
    {
        if (startIndex < 0) {
            out.RemoveAll();
            startIndex = 0;
        }
        const int32_t delivered = deliverCount < 0 ? count : deliverCount;
        if (out.GetCount() < static_cast<uint32_t>(delivered + startIndex))
            out.SetSize(static_cast<uint32_t>(delivered + startIndex));
        for (int32_t k = 0; k < delivered; ++k) {
            const uint32_t index = static_cast<uint32_t>(first + k - firstId);
            out.ElementAt(static_cast<uint32_t>(startIndex + k)) =
                KX::ParamValue(KX::ParamDescriptor(first + k), index < values.size() ? values[index] : KX::Variant());
        }
        return 0;
    }

    KX::KXRESULT SetParamValues(const KX::ParamDescriptor& descriptor, const KX::Variant& value) override
    {
        sets.push_back(KX::ParamValue(descriptor, value));
        if (!connected)
            return KX::E_FAIL;
        const uint32_t index = static_cast<uint32_t>(descriptor.id - firstId);
        if (index >= values.size() || !IsValidParamRecord(static_cast<int32_t>(index), value))
            return KX::E_INVALIDARG;
        values[index] = value;
        return 0;
    }

    std::vector<KX::Variant> values;
    std::vector<KX::ParamValue> sets;
    int32_t firstId = 0;
    int32_t deliverCount = -1; // -1: as many as asked for
    bool connected = true;
};

// The engine's value operations over a real root module with fake neighbours.
class RootModuleStore : public IParamValueStore {
public:
    explicit RootModuleStore(int32_t firstId = 0)
    {
        root = LRootModule::Create(false);
        root->Setup(&RootModuleStore::Callback, this, cache, device, firstId);
    }
    ~RootModuleStore() override { root->StopReceiving(); }

    int32_t GetFirstParamID() override { return root->GetFirstParamID(); }

    KX::KXRESULT GetParamValues(int32_t first, int32_t count, KX::IArray<KX::ParamValue>& out,
                                int32_t startIndex) override
    {
        if (startIndex < 0) {
            out.RemoveAll();
            startIndex = 0;
        }
        if (out.GetCount() < static_cast<uint32_t>(count + startIndex))
            out.SetSize(static_cast<uint32_t>(count + startIndex));
        for (int32_t k = 0; k < count; ++k) {
            KX::Variant value;
            root->GetParamValue(KX::ParamDescriptor(first + k), value);
            out.ElementAt(static_cast<uint32_t>(startIndex + k)) =
                KX::ParamValue(KX::ParamDescriptor(first + k), value);
        }
        return 0;
    }

    KX::KXRESULT SetParamValues(const KX::ParamDescriptor& descriptor, const KX::Variant& value) override
    {
        return root->SetParamValues(descriptor, value);
    }

    KX::Variant Get(int32_t id)
    {
        KX::Variant value;
        root->GetParamValue(KX::ParamDescriptor(id), value);
        return value;
    }

    KX::RCPtr<FakeParamCache> cache{new FakeParamCache()};
    KX::RCPtr<FakeDeviceCommunication> device{new FakeDeviceCommunication()};
    KX::RCPtr<LRootModule> root;
    int reportedValues = 0;

private:
    static int32_t Callback(void* context, const KX::IArray<KX::ParamValue>& values)
    {
        static_cast<RootModuleStore*>(context)->reportedValues += static_cast<int>(values.GetCount());
        return 0;
    }
};

// Registers an engine for the scope of a test.
class ScopedValueStore {
public:
    explicit ScopedValueStore(const KX::RCPtr<IParamValueStore>& store) { SetParamValueStore(store); }
    ~ScopedValueStore() { SetParamValueStore(nullptr); }
    ScopedValueStore(const ScopedValueStore&) = delete;
    ScopedValueStore& operator=(const ScopedValueStore&) = delete;
};

// The shell's string table ("text of " + key) and message box (recorded).
class FakeShell : public FakeAppServices {
public:
    FakeShell()
    {
        lookup = [](const KX::WString& key) { return KX::WString(u"text of ") + key; };
    }
};

inline KX::WString WidePath(const std::filesystem::path& path)
{
    return KX::WString(path.string().c_str());
}

inline std::vector<uint8_t> ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void PutLE32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint32_t GetLE32(const std::vector<uint8_t>& bytes, size_t offset)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(bytes[offset + static_cast<size_t>(i)]) << (8 * i);
    return value;
}

// The file of the default preset.
inline std::vector<uint8_t> DefaultPresetFile()
{
    KX::Array<KX::ParamValue> values;
    for (int32_t i = 0; i < static_cast<int32_t>(kParamCount); ++i)
        values.AddItem(KX::ParamValue(KX::ParamDescriptor(i), MakeDefaultParamRecord(i)));
    std::vector<uint8_t> bytes;
    KX::LPresetManager::BuildPresetFile(values, bytes);
    return bytes;
}

// Where record index starts in a file the editor wrote.
inline size_t RecordOffset(uint32_t index)
{
    return KX::LPresetManager::kHeaderBytes + index * KX::LPresetManager::kRecordHeadBytes +
           GetParamRecordOffset(static_cast<int32_t>(index));
}

// A record for index carrying value as it stands (any type or length).
inline std::vector<uint8_t> MakeRecord(uint32_t index, const std::vector<uint8_t>& value, uint32_t valueType = 8)
{
    std::vector<uint8_t> record(24 + value.size());
    PutLE32(record, 0, static_cast<uint32_t>(record.size()));
    PutLE32(record, 4, 0);
    PutLE32(record, 8, index);
    PutLE32(record, 12, static_cast<uint32_t>(12 + value.size()));
    PutLE32(record, 16, 0);
    PutLE32(record, 20, valueType);
    std::copy(value.begin(), value.end(), record.begin() + 24);
    return record;
}

inline std::vector<uint8_t> Header(uint32_t version, uint32_t reserved1 = 0, uint32_t reserved2 = 0)
{
    std::vector<uint8_t> header(12);
    PutLE32(header, 0, version);
    PutLE32(header, 4, reserved1);
    PutLE32(header, 8, reserved2);
    return header;
}

inline std::vector<uint8_t> RecordBytes(const KX::Variant& v)
{
    uint32_t n = 0;
    const uint8_t* p = v.GetData(n);
    return std::vector<uint8_t>(p, p + n);
}

} // namespace kxtest
