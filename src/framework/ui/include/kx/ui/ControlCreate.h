#pragma once
// The create function every control class registers with the factory: construct under parent,
// bind to the descriptor, create the children, initialise, post-initialise, mark built.
#include "kx/ui/Control.h"
#include "kx/ui/ControlDescriptor.h"

namespace KX {

template <class T>
RCPtr<LControl>& CreateControlOfClass(RCPtr<LControl>& out, RCPtr<LControl>& parent,
                                      ConstRCPtr<LControlDescriptor>& descriptor)
{
    RCPtr<T> control(new T(parent, descriptor ? descriptor->GetName() : WString()));
    control->CreateFromDescriptor(descriptor);
    control->CreateChildren(descriptor);
    control->Initialize();
    control->PostInitialize();
    control->SetBuilt();
    out = RCPtr<LControl>(control);
    return out;
}

} // namespace KX
