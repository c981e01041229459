// The control-host operations over a control factory, and the host that owns one.
#include "kx/ui/FactoryControlHost.h"

#include "kx/ui/Control.h"

namespace KX {

void FactoryBackedControlHost::ResolveStringTable(LControl& control)
{
    LControlFactory* factory = GetHostFactory();
    if (!factory)
        return;
    // Each look-up hands out its own copy: the control may own it writable.
    const ConstRCPtr<LStringTable> table = factory->GetStringTable(control.GetParent().Get(), control.GetName());
    if (table)
        control.AdoptStringTable(RCPtr<LStringTable>(const_cast<LStringTable*>(table.Get())));
}

KXRESULT FactoryBackedControlHost::CreateChildControls(LControl& parent, const LControlDescriptor* descriptor)
{
    LControlFactory* factory = GetHostFactory();
    if (!factory || !descriptor)
        return S_FALSE;
    const RCPtr<LControl> owner(&parent);
    const RCPtrArray<LControlDescriptor>& children = descriptor->GetChildren();
    for (uint32_t i = 0; i < children.GetCount(); ++i) {
        const ConstRCPtr<LControlDescriptor> child(children.GetData()[i].Get());
        if (!child || child->IsDeferCreate())
            continue;
        RCPtr<LControl> created;
        factory->CreateControlFromDescriptor(created, child, owner);
    }
    return S_OK;
}

RCPtr<LControl> FactoryBackedControlHost::CreateSkinControl(const WString& name, const RCPtr<LControl>& parent)
{
    RCPtr<LControl> created;
    LControlFactory* factory = GetHostFactory();
    const ConstRCPtr<LControlDescriptor> descriptor =
        factory ? factory->FindControlDescriptor(name) : ConstRCPtr<LControlDescriptor>();
    if (descriptor)
        factory->CreateControlFromDescriptor(created, descriptor, parent);
    return created;
}

LFactoryControlHost::LFactoryControlHost(const RCPtr<LControlFactory>& factory, RectT<int32_t> screen)
    : m_factory(factory), m_screen(screen), m_previous(GetControlHost())
{
    SetControlHost(this);
}

LFactoryControlHost::~LFactoryControlHost()
{
    if (GetControlHost() == this)
        SetControlHost(m_previous);
}

RCPtr<LControl> LFactoryControlHost::CreateControlByName(const WString& name, const RCPtr<IRootWindow>& window)
{
    RCPtr<LControl> created;
    if (!m_factory)
        return created;
    m_factory->CreateControlByName(created, name, window);
    if (created)
        created->PerformLayout();
    return created;
}

} // namespace KX
