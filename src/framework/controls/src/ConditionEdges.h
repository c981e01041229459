#pragma once
// The edges of a condition change that the controls react to: a condition switched on, or off.
#include "kx/ui/ParamRecords.h"

#include <cstdint>

namespace KX::conditions {

// Any of bits set now and none before.
inline bool Rose(const LConditionsParam& c, uint32_t bits)
{
    return (c.GetCurrentMask() & bits) && !(c.GetPreviousMask() & bits);
}

// None of bits set now and any before.
inline bool Fell(const LConditionsParam& c, uint32_t bits)
{
    return !(c.GetCurrentMask() & bits) && (c.GetPreviousMask() & bits);
}

} // namespace KX::conditions
