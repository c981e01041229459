// The look setters of a control (region, bitmap, label colour part) and the renaming of a child
// with the name references of the siblings placed against it.
#include "kx/ui/Control.h"
#include "kx/ui/Look.h"

namespace KX {

KXRESULT LControl::SetLookRegion(int32_t index, const LRegion& region)
{
    if (index < 0 || static_cast<uint32_t>(index) >= m_looks.GetCount() || !m_looks.GetData()[index])
        return E_INVALIDARG;
    LRegion& target = m_looks.GetData()[index]->GetRegion();
    if (&target != &region) {
        target.Clear();
        target.AddRegion(region);
    }
    Invalidate(RectT<double>{0, 0, m_size.x, m_size.y}, m_layout ? m_layout->clipToParent : true);
    return S_OK;
}

KXRESULT LControl::SetLookBitmap(const ConstRCPtr<LBitmap>& bitmap, uint32_t resizeType, int32_t index,
                                 bool replacesClientPart)
{
    LLook* look = dynamic_cast<LLook*>(GetLookAt(index).Get());
    if (!look)
        return E_FAIL;
    const KXRESULT hr = look->SetImage(bitmap, resizeType, replacesClientPart);
    if (hr == S_FALSE)
        return S_FALSE;
    if (index == GetFirstVisibleLook())
        Invalidate(RectT<double>{0, 0, m_size.x, m_size.y}, m_layout ? m_layout->clipToParent : true);
    return S_OK;
}

KXRESULT LControl::SetLookPart(const ConstRCPtr<LVisualPart>& part, int32_t index)
{
    LLook* look = dynamic_cast<LLook*>(GetLookAt(index).Get());
    if (!look)
        return E_FAIL;
    if (!part)
        return E_INVALIDARG;
    look->SetTextForegroundPart(part);
    return S_OK;
}

KXRESULT LChildControlList::RenameChild(const RCPtr<LControl>& child, const WString& newName)
{
    if (!child)
        return E_INVALIDARG;
    if (child->m_name == newName)
        return S_FALSE;
    int32_t at = -1;
    for (uint32_t i = m_children.GetCount(); i > 0; --i) {
        LControl* c = m_children.GetData()[i - 1].Get();
        if (c == child.Get())
            at = static_cast<int32_t>(i - 1);
        else if (c->m_name == newName)
            return E_FAIL;
    }
    if (at < 0)
        return E_INVALIDARG;
    const WString oldName = child->m_name;
    child->m_name = newName;
    for (uint32_t i = static_cast<uint32_t>(at) + 1; i < m_children.GetCount(); ++i)
        if (const RCPtr<LLayoutDescriptor>& layout = m_children.GetData()[i]->m_layout)
            layout->RenameControlReference(oldName, newName);
    return S_OK;
}

} // namespace KX
