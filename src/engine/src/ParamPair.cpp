#include "engine/ParamPair.h"

namespace KX {

StringT<char16_t, char> ParamDescriptorToString(const ParamDescriptor& descriptor)
{
    return IntToString(descriptor.id, 0);
}

} // namespace KX
