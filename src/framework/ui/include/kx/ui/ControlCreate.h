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

// The same for a class whose hidden instances are made in two steps: a control the skin creates
// hidden is bound to its descriptor now and gets the rest (children, initialisation, built) when
// it is first shown or looked into (LControl::BuildDeferredSubtree).
template <class T>
RCPtr<LControl>& CreateControlOfClassWhenShown(RCPtr<LControl>& out, RCPtr<LControl>& parent,
                                               ConstRCPtr<LControlDescriptor>& descriptor)
{
    const LLayoutDescriptor* layout = descriptor ? descriptor->GetLayout().Get() : nullptr;
    if (!layout || layout->visible)
        return CreateControlOfClass<T>(out, parent, descriptor);
    RCPtr<T> control(new T(parent, descriptor->GetName()));
    control->CreateFromDescriptor(descriptor);
    control->DeferSubtree();
    out = RCPtr<LControl>(control);
    return out;
}

} // namespace KX
