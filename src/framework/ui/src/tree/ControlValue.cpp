// The working setters of a control: value, label text, scroll offset, bounds, font, placement,
// drag threshold, root window and deferred removal, each with its invalidation, relayout and
// notification.
#include "PlacementMemo.h"
#include "kx/Notification.h"
#include "kx/ui/Control.h"
#include "kx/ui/RootWindow.h"

#include <cmath>
#include <locale>
#include <sstream>
#include <string>

namespace KX {

namespace {

// True when a child's placement or size on either axis names another control.
bool ChildrenNameControls(LChildControlList& children)
{
    for (uint32_t i = 0; i < children.GetCount(); ++i) {
        const LLayoutDescriptor* l = children.GetAt(i, kOrderInsertion)->GetLayout().Get();
        for (int32_t axis = 0; l && axis < 2; ++axis)
            if (l->Position(axis).kind == kPositionToControl || l->Size(axis).kind == kSizeToControl)
                return true;
    }
    return false;
}

LRootWindow* RootOf(LControl& control)
{
    return dynamic_cast<LRootWindow*>(control.GetTopLevelOwnerSlot().Get());
}

bool SamePoint(PointT<double> a, PointT<double> b)
{
    return a.x == b.x && a.y == b.y; // a NaN never equals
}

// Overlays below the control that do not clip to it are repainted whole.
void InvalidateUnclippedDescendants(LControl& control)
{
    if (control.GetUnclippedDescendantCount() <= 0)
        return;
    RCPtrArray<LControl> unclipped;
    control.CollectUnclippedDescendants(unclipped, true, false);
    for (uint32_t i = 0; i < unclipped.GetCount(); ++i) {
        LControl& c = *unclipped.GetData()[i];
        c.Invalidate(RectT<double>{0, 0, c.GetSize().x, c.GetSize().y}, false);
    }
}

} // namespace

void DeliverNotification(const RCPtr<LNotificationReceiver>& receiver, const char16_t* id,
                         const ConstRCPtr<LRefCountedObject>& param)
{
    if (!receiver)
        return;
    RCPtr<LNotification> n;
    LNotification::Create(n, id, param);
    if (n)
        receiver->Receive(RCPtr<LNotificationDistributor>(), n);
}

double ParseParamAsDouble(const WString& text)
{
    // Locale-free: the leading decimal number of the text, 0 when there is none.
    std::string narrow;
    for (const char16_t* c = text.GetString(); *c; ++c) {
        if (*c > 0x7F)
            break;
        narrow += static_cast<char>(*c);
    }
    size_t start = narrow.find_first_not_of(" \t\r\n");
    if (start == std::string::npos)
        return 0.0;
    const char* s = narrow.c_str() + start;
    size_t i = 0;
    if (s[i] == '+' || s[i] == '-')
        ++i;
    size_t digits = 0;
    while (s[i] >= '0' && s[i] <= '9')
        ++i, ++digits;
    if (s[i] == '.') {
        ++i;
        while (s[i] >= '0' && s[i] <= '9')
            ++i, ++digits;
    }
    if (digits == 0)
        return 0.0;
    if (s[i] == 'e' || s[i] == 'E') {
        size_t j = i + 1;
        if (s[j] == '+' || s[j] == '-')
            ++j;
        if (s[j] >= '0' && s[j] <= '9') {
            while (s[j] >= '0' && s[j] <= '9')
                ++j;
            i = j;
        }
    }
    double value = 0.0;
    const std::string number(s, i);
    std::istringstream in(number);
    in.imbue(std::locale::classic());
    in >> value;
    return value;
}

KXRESULT LControl::SetText(const WString& text)
{
    return ApplyText(text, true);
}

KXRESULT LControl::ApplyText(const WString& text, bool relayout)
{
    if (text == m_labelText)
        return S_FALSE;
    if (!m_parent)
        if (LRootWindow* window = RootOf(*this))
            if (IWindowOSServices* services = window->GetServices())
                services->SetTitle(text);
    m_labelText = text;
    for (uint32_t i = m_looks.GetCount(); i > 0; --i)
        if (const RCPtr<IControlLook>& look = m_looks.GetData()[i - 1])
            look->SetText(text);
    if (relayout && m_layout) {
        const bool growsX = m_layout->textOverflowX != kTextOverflowClip && m_layout->MinSize(0).toControl == 0;
        const bool growsY = m_layout->textOverflowY != kTextOverflowClip && m_layout->MinSize(1).toControl == 0;
        if (growsX || growsY)
            PerformLayout();
    }
    Invalidate(RectT<double>{0, 0, m_size.x, m_size.y}, m_layout ? m_layout->clipToParent : true);
    return S_OK;
}

double LControl::SetNormalizedValue(double value)
{
    if (std::isnan(value))
        return m_value; // never stored: it would poison every mapped value
    const double t = std::clamp(value, 0.0, 1.0);
    if (t == m_value)
        return m_value;
    // A listener may release the control.
    const RCPtr<LControl> self(this);
    m_value = t;
    OnValueChanged();
    RCPtr<LNotification> n;
    LNotification::Create(n, NID_VALUE_CHANGE, LValueParam::Create(t, NormalizedToValue(t)));
    if (n)
        SendNotification(n);
    return m_value;
}

const PointT<double>& LControl::SetScrollOffset(PointT<double> offset)
{
    m_scrolling[0] = 1;
    RoundPointInPlace(offset);
    if (SamePoint(offset, m_scroll)) {
        m_scrolling[0] = 0;
        return m_scroll;
    }
    RCPtr<LControl> self(this);
    InvalidateUnclippedDescendants(*this);
    m_scrollRepaintPending = 1;
    const PointT<double> old = m_scroll;
    m_scroll = offset;
    ++m_scrollSerial;
    // The children follow the offset: shifted (2) only while none is placed or sized against
    // another control, as then laying each out again in turn gives the same places, or where the
    // control keeps its children's places itself (3).
    m_scrolling[1] = m_scrollShiftsNamed ? 3 : ChildrenNameControls(m_children) ? 1 : 2;
    // The list holds each child while it moves; a child that calls out holds itself.
    for (uint32_t i = 0; i < m_children.GetCount(); ++i)
        m_children.GetAt(i, kOrderInsertion)->OnParentResized(old, offset);
    RelayoutAfterShifts();
    m_scrolling[1] = 0;
    InvalidateBoundsChange(old, offset);
    // Once, after all moves: what the children invalidated inside it was left to this.
    m_scrollRepaintPending = 0;
    Invalidate(RectT<double>{0, 0, m_size.x, m_size.y}, m_layout ? m_layout->clipToParent : true);
    // Made only when someone listens for it: a scroll happens on every wheel step and key repeat.
    static const NotificationId scrollOffsetChange = GetNotificationID(NID_SCROLL_OFFSET_CHANGE);
    const RCPtr<LNotificationClientPool> listeners = FindClientPool(scrollOffsetChange);
    if (listeners && listeners->GetRegistrationCount() > 0) {
        RCPtr<LNotification> n;
        LNotification::Create(n, NID_SCROLL_OFFSET_CHANGE, ConstRCPtr<LRefCountedObject>());
        if (n)
            SendNotification(n);
    }
    // Hover follows the content that scrolled under the pointer.
    if (LRootWindow* window = RootOf(*this)) {
        RCPtr<LRootWindow> hold(window);
        const PointT<int32_t> cursor = window->GetCursorPos();
        const PointT<int32_t> origin = RoundPointToLong(GetOriginInRootWindow());
        const PointT<int32_t> size = RoundSizeToLong(m_size);
        const int64_t x = static_cast<int64_t>(cursor.x) - origin.x, y = static_cast<int64_t>(cursor.y) - origin.y;
        if (x >= 0 && y >= 0 && x < size.x && y < size.y) {
            PointT<int32_t> local;
            window->HitTest(cursor, local, true);
        }
    }
    m_scrolling[0] = 0;
    return m_scroll;
}

KXRESULT LControl::SetBounds(PointT<double> position, PointT<double> size)
{
    if (SamePoint(position, m_position) && SamePoint(size, m_size))
        return S_FALSE;
    RCPtr<LControl> self(this);
    CaptureLookBounds();
    const bool clip = m_layout ? m_layout->clipToParent : true;
    const bool sizeChanged =
        !(std::fabs(size.x - m_size.x) < 2.220446049250313e-15 && std::fabs(size.y - m_size.y) < 2.220446049250313e-15);
    Invalidate(RectT<double>{0, 0, m_size.x, m_size.y}, clip);
    InvalidateUnclippedDescendants(*this);
    m_position = position;
    m_size = size;
    const PointT<int32_t> whole = RoundSizeToLong(m_size);
    for (uint32_t i = 0; i < m_looks.GetCount(); ++i)
        if (const RCPtr<IControlLook>& look = m_looks.GetData()[i])
            look->SetSize(whole.x, whole.y);
    if (sizeChanged && !m_rebuildingChildren) {
        m_rebuildingChildren = 1;
        for (uint32_t i = 0; i < m_children.GetCount(); ++i)
            RCPtr<LControl>(m_children.GetAt(i, kOrderInsertion))->OnResize(whole.x, whole.y);
        m_rebuildingChildren = 0;
    }
    if (RCPtr<LControl> parent = m_parent) {
        // While the parent scrolls with docked children shifted, the siblings that name a moved
        // child are laid out again once all have moved.
        bool followLater = true;
        if (parent->m_scrolling[0])
            parent->m_childMovedAtSerial = m_movedAtSerial = parent->m_scrollSerial;
        if (parent->m_scrolling[1] == 3) {
            followLater = false;
        } else if (parent->m_scrolling[1]) {
            for (uint32_t i = 0; i < parent->m_children.GetCount() && followLater; ++i)
                followLater = parent->m_children.GetAt(i, kOrderInsertion)->m_shiftedAtSerial != parent->m_scrollSerial;
        }
        // Siblings placed after this one follow it while their bounds were already right.
        const int32_t at = followLater ? parent->m_children.IndexOf(this, kOrderInsertion) : -1;
        if (at >= 0 && static_cast<uint32_t>(at) + 1 < parent->m_children.GetCount()) {
            // Until one moves nothing touches the parent: what they read of it is read once. A
            // sibling laid out takes its own reference once it moves.
            const PlacementMemo::Parent reads(*parent);
            for (uint32_t i = static_cast<uint32_t>(at) + 1; i < parent->m_children.GetCount(); ++i) {
                LControl* sibling = parent->m_children.InsertionAt(i);
                // One whose placement still holds would not move: no layout.
                if (!sibling->m_layout)
                    break; // its layout fails
                if (PlacementMemo::Holds(*sibling, reads))
                    continue;
                if (PlacementMemo::LayOut(*sibling) != S_FALSE)
                    break;
            }
        }
        parent->OnChildChanged(self);
    } else if (LRootWindow* window = RootOf(*this)) {
        RCPtr<LRootWindow> hold(window);
        PointT<int32_t> screen{};
        if (IWindowOSServices* services = window->GetServices())
            screen = services->ClientToScreen(PointT<int32_t>{0, 0});
        window->SetClientRect(RectT<int32_t>{screen.x, screen.y, whole.x, whole.y});
    }
    if ((!(m_size.x > 0.0) || !(m_size.y > 0.0)) && (m_hasFocus || m_containsFocus) && m_parent)
        RCPtr<LControl>(m_parent)->SetFocus(true);
    Invalidate(RectT<double>{0, 0, m_size.x, m_size.y}, clip);
    InvalidateUnclippedDescendants(*this);
    CheckTrackedBoundsChanged();
    return S_OK;
}

KXRESULT LControl::InstallFont(const ConstRCPtr<LFont>& font)
{
    if (!font)
        return E_INVALIDARG;
    for (uint32_t i = m_looks.GetCount(); i > 0; --i)
        if (const RCPtr<IControlLook>& look = m_looks.GetData()[i - 1])
            look->SetFont(font);
    if (m_font && *m_font == *font)
        return S_FALSE;
    m_font = font;
    m_faceInherited = m_sizeRelative = m_styleInherited = 0;
    OnFontChanged();
    for (uint32_t i = 0; i < m_children.GetCount(); ++i)
        RCPtr<LControl>(m_children.GetAt(i, kOrderInsertion))->ReapplyFontSpec();
    // Bound to its skin for the first time: the layout that follows places it with this font.
    if (m_bindingFirstTime)
        return S_OK;
    PerformLayout();
    Invalidate(RectT<double>{0, 0, m_size.x, m_size.y}, m_layout ? m_layout->clipToParent : true);
    return S_OK;
}

KXRESULT LControl::SetAxisPlacement(int32_t axis, const AxisPlacement& position, const SizeSpec& size)
{
    if (!m_layout)
        return E_FAIL;
    if (axis == 0 || axis == 1) {
        const bool docked = axis == 0 ? m_layout->IsXDocked() : m_layout->IsYDocked();
        if (docked != (position.docked != 0) && m_parent)
            m_parent->m_children.Touch();
    }
    const KXRESULT hr = m_layout->SetAxisPlacement(axis, position, size);
    if (Failed(hr))
        return hr;
    PerformLayout();
    AxisPlacement p;
    SizeSpec s;
    m_layout->GetAxisPlacement(axis, p, s);
    return p == position && s == size ? S_OK : S_FALSE;
}

KXRESULT LControl::SetAxisSizeLimits(int32_t axis, const SizeLimit& minimum, const SizeLimit& maximum)
{
    if (!m_layout)
        return E_FAIL;
    const KXRESULT hr = m_layout->SetAxisSizeLimits(axis, minimum, maximum);
    if (Failed(hr))
        return hr;
    PerformLayout();
    SizeLimit lo, hi;
    m_layout->GetAxisSizeLimits(axis, lo, hi);
    return lo == minimum && hi == maximum ? S_OK : S_FALSE;
}

KXRESULT LControl::SetAxisPlacements(const AxisPlacement& xPosition, const SizeSpec& xSize,
                                     const AxisPlacement& yPosition, const SizeSpec& ySize)
{
    if (!m_layout)
        return E_FAIL;
    if (m_parent &&
        (m_layout->IsXDocked() != (xPosition.docked != 0) || m_layout->IsYDocked() != (yPosition.docked != 0)))
        m_parent->m_children.Touch();
    m_layout->SetAxisPlacement(0, xPosition, xSize);
    m_layout->SetAxisPlacement(1, yPosition, ySize);
    PerformLayout();
    AxisPlacement px, py;
    SizeSpec sx, sy;
    m_layout->GetAxisPlacement(0, px, sx);
    m_layout->GetAxisPlacement(1, py, sy);
    return px == xPosition && sx == xSize && py == yPosition && sy == ySize ? S_OK : S_FALSE;
}

KXRESULT LControl::SetDragThreshold(int32_t pixels)
{
    if (pixels < 0)
        return E_INVALIDARG;
    m_dragThreshold = pixels;
    return S_OK;
}

KXRESULT LControl::SetRootWindow(const RCPtr<IRootWindow>& window)
{
    if (m_parent)
        return E_FAIL;
    m_ownerWindow = window;
    // A control without a label leaves the window's own caption.
    if (LRootWindow* root = dynamic_cast<LRootWindow*>(window.Get()))
        if (IWindowOSServices* services = root->GetServices(); services && !m_labelText.IsEmpty())
            services->SetTitle(m_labelText);
    RegisterNotificationHandlers();
    return S_OK;
}

KXRESULT LControl::FinishDeferredRemoval()
{
    RCPtr<LControl> self(this);
    SetVisible(false);
    SetClipToParent(true);
    if (m_capture)
        OnCaptureLost();
    for (int32_t guard = m_idleCount; m_idleCount > 0 && guard > 0; --guard)
        UnsubscribeIdle();
    if (m_parent)
        return SetParent(RCPtr<LControl>());
    return SetRootWindow(RCPtr<IRootWindow>());
}

} // namespace KX
