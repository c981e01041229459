// The control factory's creation of controls from the skin's descriptors.
#include "kx/ui/Control.h"
#include "kx/ui/ControlFactory.h"

namespace KX {

const RCPtr<LControl>& LControlFactory::NullControl() noexcept
{
    static const RCPtr<LControl> null;
    return null;
}

RCPtr<LControl>& LControlFactory::CreateControlFromDescriptor(RCPtr<LControl>& out,
                                                              const ConstRCPtr<LControlDescriptor>& descriptor,
                                                              const RCPtr<LControl>& parent)
{
    out = nullptr;
    if (!descriptor)
        return out;
    ControlCreateFunction create = descriptor->GetCreateFunction();
    if (!create) {
        GetControlCreateFunction(descriptor->GetClassName(), create);
        descriptor->SetCreateFunction(create);
    }
    if (!create)
        return out;
    RCPtr<LControl> parentArgument(parent);
    ConstRCPtr<LControlDescriptor> descriptorArgument(descriptor);
    return create(out, parentArgument, descriptorArgument);
}

RCPtr<LControl>& LControlFactory::CreateControlByName(RCPtr<LControl>& out, const WString& name,
                                                      const RCPtr<IRootWindow>& window)
{
    out = nullptr;
    const ConstRCPtr<LControlDescriptor> descriptor = FindControlDescriptor(name);
    if (!descriptor)
        return out;
    if (LLayoutDescriptor* layout = descriptor->GetLayoutForUpdate())
        layout->visible = true;
    CreateControlFromDescriptor(out, descriptor, NullControl());
    if (out)
        out->SetRootWindow(window);
    return out;
}

RCPtr<LControlDescriptor> LControlFactory::CloneDescriptorWithName(const ConstRCPtr<LControlDescriptor>& source,
                                                                   const ConstRCPtr<LLayoutDescriptor>& layout,
                                                                   const WString& name) const
{
    RCPtr<LControlDescriptor> copy;
    if (!source || Failed(source->Copy(copy)) || !copy)
        return nullptr;
    copy->SetName(name);
    copy->SetLayout(layout);
    return copy;
}

KXRESULT LControlFactory::ReapplyDescriptor(const RCPtr<LControl>& control)
{
    if (!control)
        return E_FAIL;
    const ConstRCPtr<LControlDescriptor> descriptor = FindControlDescriptor(control->GetName());
    if (!descriptor)
        return E_FAIL;
    return control->CreateFromDescriptor(descriptor);
}

ConstRCPtr<LStringTable> LControlFactory::GetStringTable(const LControl* owner, const WString& controlName) const
{
    const LControlDescriptor* ownerDescriptor = owner ? owner->GetDescriptor().Get() : nullptr;
    return GetStringTable(ownerDescriptor ? ownerDescriptor->GetClassName() : GetApplicationName(), controlName);
}

} // namespace KX
