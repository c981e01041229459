// The control host over a control factory.
#include "kx/ui/FactoryControlHost.h"

#include "kx/ui/Control.h"

namespace KX {

namespace {
bool IsDeferCreate(const LControlDescriptor& descriptor)
{
    const ConstRCPtr<LStringTable>& params = descriptor.GetCreateParams();
    WString text;
    if (!params || !params->Lookup(WString(u"DEFER_CREATE"), text))
        return false;
    return text.ToLower().TrimLeftChars(WString(u" \t\r\n")).TrimRightChars(WString(u" \t\r\n")) == WString(u"true");
}
} // namespace

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

void LFactoryControlHost::ResolveStringTable(LControl& control)
{
    if (!m_factory)
        return;
    const ConstRCPtr<LStringTable> table = m_factory->GetStringTable(control.GetParent().Get(), control.GetName());
    // Each look-up hands out its own copy: the control may own it writable.
    control.AdoptStringTable(RCPtr<LStringTable>(const_cast<LStringTable*>(table.Get())));
}

KXRESULT LFactoryControlHost::CreateChildControls(LControl& parent, const LControlDescriptor* descriptor)
{
    if (!m_factory || !descriptor)
        return S_FALSE;
    const RCPtr<LControl> owner(&parent);
    const RCPtrArray<LControlDescriptor>& children = descriptor->GetChildren();
    for (uint32_t i = 0; i < children.GetCount(); ++i) {
        const ConstRCPtr<LControlDescriptor> child(children.GetData()[i].Get());
        if (!child || IsDeferCreate(*child))
            continue;
        RCPtr<LControl> created;
        m_factory->CreateControlFromDescriptor(created, child, owner);
    }
    return S_OK;
}

WString LFactoryControlHost::LookupString(const LControl& control, const WString& key)
{
    WString text;
    if (const RCPtr<LStringTable>& table = control.GetStringTable())
        table->Lookup(key, text);
    return text;
}

RCPtr<LControl> LFactoryControlHost::CreateSkinControl(const WString& name, const RCPtr<LControl>& parent)
{
    RCPtr<LControl> created;
    if (!m_factory)
        return created;
    const ConstRCPtr<LControlDescriptor> descriptor = m_factory->FindControlDescriptor(name);
    if (descriptor)
        m_factory->CreateControlFromDescriptor(created, descriptor, parent);
    return created;
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
