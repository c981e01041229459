#include "kx/Buffer.h"

#include <cstring>

namespace KX::Detail {

// The range rules of FillWide over size bytes at data.
KXRESULT FillWideUnits(void* data, uint32_t size, uint16_t value, uint32_t offset, int32_t count)
{
    uint32_t n;
    if (count < 0) {
        if (offset > size)
            return E_INVALIDARG;
        n = (size - offset) / 2;
    } else {
        if (static_cast<uint64_t>(offset) + 2 * static_cast<uint64_t>(static_cast<uint32_t>(count)) > size)
            return E_INVALIDARG;
        n = static_cast<uint32_t>(count);
    }
    char* p = static_cast<char*>(data) + offset;
    for (uint32_t k = 0; k < n; ++k)
        std::memcpy(p + 2 * k, &value, 2);
    return S_OK;
}

} // namespace KX::Detail
