// Reads arbitrary bytes as a preset file. An accepted file's records carry parameter
// indices that are ids (never negative); one with every parameter once, in order, each
// a valid record, writes back to the very same bytes.
#include "engine/ParamRecords.h"
#include "engine/PresetManager.h"

#include "kx/Array.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    KX::Array<KX::ParamValue> records;
    const int32_t result = KX::LPresetManager::ParsePresetFile(data, size, records);
    Check(result >= -4 && result <= 0);
    if (result != 0) {
        Check(records.GetCount() == 0);
        return 0;
    }
    bool inOrder = records.GetCount() == kParamCount;
    for (uint32_t i = 0; i < records.GetCount(); ++i) {
        const KX::ParamValue& record = records.ElementAt(i);
        Check(record.descriptor.id >= 0);
        inOrder = inOrder && record.descriptor.id == static_cast<int32_t>(i) &&
                  IsValidParamRecord(record.descriptor.id, record.value);
    }
    if (inOrder) {
        std::vector<uint8_t> again;
        Check(KX::LPresetManager::BuildPresetFile(records, again) == 0);
        Check(again.size() == size && std::equal(again.begin(), again.end(), data));
    }
    return 0;
}
