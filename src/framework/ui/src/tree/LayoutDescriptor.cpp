#include "kx/ui/LayoutDescriptor.h"

namespace KX {

namespace {
bool SameName(const WString& a, const WString& b) noexcept
{
    return a == b;
}

// A private copy of the text, sharing nothing with the source's buffer.
WString CopyText(const WString& s)
{
    return WString(s.GetString());
}
} // namespace

bool operator==(const AxisPlacement& a, const AxisPlacement& b) noexcept
{
    if (a.anchor != b.anchor || a.kind != b.kind || a.relative != b.relative || a.absolute != b.absolute ||
        a.docked != b.docked)
        return false;
    return a.kind != kPositionToControl || SameName(a.controlName, b.controlName);
}

bool operator==(const SizeSpec& a, const SizeSpec& b) noexcept
{
    if (a.kind != b.kind || a.relative != b.relative || a.absolute != b.absolute)
        return false;
    return a.kind != kSizeToControl || SameName(a.controlName, b.controlName);
}

bool operator==(const SizeLimit& a, const SizeLimit& b) noexcept
{
    if (a.toControl != b.toControl || a.relative != b.relative || a.absolute != b.absolute)
        return false;
    return a.toControl == 0 || SameName(a.controlName, b.controlName);
}

LLayoutDescriptor::LLayoutDescriptor()
{
    m_xSize.absolute = 16.0;
    m_ySize.absolute = 40.0;
}

LLayoutDescriptor::~LLayoutDescriptor() = default;

RCPtr<LLayoutDescriptor> LLayoutDescriptor::Create()
{
    return RCPtr<LLayoutDescriptor>(new LLayoutDescriptor());
}

RCPtr<LLayoutDescriptor> LLayoutDescriptor::Clone(const LLayoutDescriptor& source)
{
    RCPtr<LLayoutDescriptor> copy = Create();
    LLayoutDescriptor& d = *copy;
    d.clipToParent = source.clipToParent;
    d.visible = source.visible;
    d.enabled = source.enabled;
    d.zOrder = source.zOrder;
    d.tabStop = source.tabStop;
    d.layoutOrder = source.layoutOrder;
    for (int32_t axis = 0; axis < 2; ++axis) {
        AxisPlacement& p = d.Position(axis);
        p = source.Position(axis);
        p.controlName = CopyText(p.controlName);
        SizeSpec& s = d.Size(axis);
        s = source.Size(axis);
        s.controlName = CopyText(s.controlName);
        SizeLimit& mn = d.MinSize(axis);
        mn = source.MinSize(axis);
        mn.controlName = CopyText(mn.controlName);
        SizeLimit& mx = d.MaxSize(axis);
        mx = source.MaxSize(axis);
        mx.controlName = CopyText(mx.controlName);
    }
    d.textDecoration = CopyText(source.textDecoration);
    d.textOverflowX = source.textOverflowX;
    d.textOverflowY = source.textOverflowY;
    return copy;
}

KXRESULT LLayoutDescriptor::GetAxisPlacement(int32_t axis, AxisPlacement& position, SizeSpec& size) const
{
    if (axis != 0 && axis != 1)
        return E_INVALIDARG;
    position = Position(axis);
    size = Size(axis);
    return S_OK;
}

KXRESULT LLayoutDescriptor::SetAxisPlacement(int32_t axis, const AxisPlacement& position, const SizeSpec& size)
{
    if (axis != 0 && axis != 1)
        return E_INVALIDARG;
    Position(axis) = position;
    Size(axis) = size;
    return S_OK;
}

KXRESULT LLayoutDescriptor::GetAxisSizeLimits(int32_t axis, SizeLimit& minimum, SizeLimit& maximum) const
{
    if (axis != 0 && axis != 1)
        return E_INVALIDARG;
    minimum = MinSize(axis);
    maximum = MaxSize(axis);
    return S_OK;
}

KXRESULT LLayoutDescriptor::SetAxisSizeLimits(int32_t axis, const SizeLimit& minimum, const SizeLimit& maximum)
{
    if (axis != 0 && axis != 1)
        return E_INVALIDARG;
    MinSize(axis) = minimum;
    MaxSize(axis) = maximum;
    return S_OK;
}

KXRESULT LLayoutDescriptor::RenameControlReference(const WString& oldName, const WString& newName)
{
    bool matched = false;
    WString* names[] = {&m_xPosition.controlName, &m_xSize.controlName, &m_yPosition.controlName, &m_ySize.controlName};
    for (WString* name : names) {
        if (*name == oldName) {
            *name = newName;
            matched = true;
        }
    }
    return matched ? S_OK : S_FALSE;
}

} // namespace KX
