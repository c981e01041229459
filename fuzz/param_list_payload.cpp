// Reads arbitrary bytes as the list payload of a parameter state change and walks it the way the
// main control routes it: the record count must end, stay within the bytes, and every counted
// record must read as a value or be refused.
#include "kx/ParamValues.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    KX::Variant raw;
    raw.SetRaw(KX::Variant::TypeList, data, static_cast<uint32_t>(size));
    const KX::ParamValues list(raw);
    const uint32_t count = list.CountWholeRecords();
    if (count > size / 4)
        std::abort();
    for (uint32_t i = 0; i < count; ++i) {
        KX::ParamDescriptor descriptor;
        KX::Variant value;
        if (list.GetParamValueAt(i, descriptor, value) != 0 && (descriptor.id != -1 || value.GetType() != 0))
            std::abort();
    }
    return 0;
}
