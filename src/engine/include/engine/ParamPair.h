#pragma once
// One parameter change as a shared object: the payload that carries a single
// value from the engine to the user interface.
#include "kx/Pair.h"
#include "kx/ParamValues.h"
#include "kx/StringT.h"

namespace KX {

// The text form of a descriptor: its id in decimal.
StringT<char16_t, char> ParamDescriptorToString(const ParamDescriptor& descriptor);

// Every part of the program uses this one instance, so that a dynamic cast
// of a received payload finds it.
using LParamPair = LPair<ParamDescriptor, Variant, &ParamDescriptorToString>;

} // namespace KX
