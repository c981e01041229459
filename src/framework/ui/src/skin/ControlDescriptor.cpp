// The description of one control of the skin.
#include "kx/ui/ControlDescriptor.h"

#include <utility>

namespace KX {

LControlDescriptor::LControlDescriptor(WString className, WString name, ConstRCPtr<LControlDescriptor> parent)
    : m_className(std::move(className)), m_name(std::move(name)), m_parent(parent.Get())
{
}

// Children go from the last to the first: releasing from the front would move the rest of a
// long array once per child.
LControlDescriptor::~LControlDescriptor()
{
    RCPtr<LControlDescriptor> child;
    while (m_children.GetCount() > 0) {
        m_children.RemoveLast(child);
        child = nullptr;
    }
}

int32_t LControlDescriptor::AddChild(ConstRCPtr<LControlDescriptor> child)
{
    return m_children.AddItem(RCPtr<LControlDescriptor>(const_cast<LControlDescriptor*>(child.Get())));
}

KXRESULT LControlDescriptor::SetSkin(ConstRCPtr<LSkinDescriptor> skin)
{
    m_skin = std::move(skin);
    return S_OK;
}

KXRESULT LControlDescriptor::SetCreateParams(ConstRCPtr<LStringTable> params)
{
    m_createParams = std::move(params);
    return S_OK;
}

bool LControlDescriptor::CountsAsTrue(const WString& text)
{
    const WString blanks(u" \t\r\n");
    return text.ToLower().TrimLeftChars(blanks).TrimRightChars(blanks) == WString(u"true");
}

bool LControlDescriptor::IsDeferCreate() const
{
    WString text;
    return m_createParams && m_createParams->Lookup(WString(u"DEFER_CREATE"), text) && CountsAsTrue(text);
}

KXRESULT LControlDescriptor::SetLayout(ConstRCPtr<LLayoutDescriptor> layout)
{
    m_layout = std::move(layout);
    return S_OK;
}

KXRESULT LControlDescriptor::Copy(RCPtr<LControlDescriptor>& out) const
{
    RCPtr<LControlDescriptor> copy(new LControlDescriptor(m_className, m_name, nullptr));
    copy->m_parent = m_parent;
    const uint32_t count = m_children.GetCount();
    for (uint32_t i = 0; i < count; ++i) {
        if (copy->m_children.AddItem(m_children.ElementAt(i)) < 0)
            return E_FAIL;
    }
    copy->m_skin = m_skin;
    copy->m_layout = m_layout;
    copy->m_createParams = m_createParams;
    copy->m_createFunction = m_createFunction;
    out = copy;
    return S_OK;
}

const ConstRCPtr<LControlDescriptor>& LControlDescriptor::Null() noexcept
{
    static const ConstRCPtr<LControlDescriptor> null;
    return null;
}

} // namespace KX
