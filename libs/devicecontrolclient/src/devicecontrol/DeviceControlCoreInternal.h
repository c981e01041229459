#pragma once
// Names and id checks shared by the device core's model and its entry points.
#include "devicecontrol/DeviceControlCore.h"

#include <cstdint>

namespace KX::DeviceControl {

namespace {

constexpr char kDeviceName[] = "Lumo 25";
constexpr char kMakerName[] = "Tarvel";

inline bool IsPseudo(int32_t id)
{
    return id == kReadyParam || id == kStatusTextParam || id == kMakerNameParam || id == kProductNameParam;
}

inline bool IsKnownId(int32_t id)
{
    return (id >= 0 && id < kParamCount) || IsPseudo(id);
}

inline void PutUtf16(uint8_t* record, uint32_t offset, uint32_t units, const char* ascii)
{
    for (uint32_t i = 0; ascii[i] && i + 1 < units; ++i) {
        record[offset + 2 * i] = static_cast<uint8_t>(ascii[i]);
        record[offset + 2 * i + 1] = 0;
    }
}

} // namespace

} // namespace KX::DeviceControl
