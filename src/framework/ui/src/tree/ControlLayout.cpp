// Geometry, coordinate mapping, layout entry, value range and axis animation of a control.
#include "kx/ui/Control.h"

#include "PlacementMemo.h"
#include "kx/RenderHost.h"
#include "kx/ui/ControlHost.h"
#include "kx/ui/LayoutPasses.h"

#include <cmath>
#include <cstring>

namespace KX {

namespace {
IControlHost* g_host = nullptr;

// The application's time in seconds.
double AppTimeSeconds()
{
    return static_cast<double>(GetTickTime()) / 1000.0;
}

// LongRectToDoubleRect for a rectangle just returned in registers: the halves are widened one
// by one, where one vector load of both would wait on their stores.
RectT<double> WidenRect(const RectT<int32_t>& r) noexcept
{
    uint64_t halves[2];
    static_assert(sizeof halves == sizeof r);
    std::memcpy(halves, &r, sizeof halves);
    const auto low = [](uint64_t h) { return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(h))); };
    const auto high = [](uint64_t h) {
        return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(h >> 32)));
    };
    return RectT<double>{low(halves[0]), high(halves[0]), low(halves[1]), high(halves[1])};
}

PointT<double> RoundTrip(PointT<double> p)
{
    return LongPointToDoublePoint(RoundPointToLong(p));
}
} // namespace

void SetControlHost(IControlHost* host) noexcept
{
    g_host = host;
}
IControlHost* GetControlHost() noexcept
{
    return g_host;
}

RectT<double> LControl::GetLookRect(int32_t index) const
{
    const uint32_t count = m_looks.GetCount();
    const RCPtr<IControlLook>* look = nullptr;
    if (index >= 0 && static_cast<uint32_t>(index) < count)
        look = &const_cast<RCPtrArray<IControlLook>&>(m_looks).GetData()[index];
    else if (index < 0)
        look = &GetLookAt(-1);
    if (look && *look)
        return WidenRect((*look)->GetRect());
    return RectT<double>{0, 0, m_size.x, m_size.y};
}

PointT<double> LControl::LookOrigin() const
{
    const RCPtr<IControlLook>& look = GetLookAt(-1);
    if (!look)
        return PointT<double>{};
    const RectT<int32_t> r = look->GetRect();
    return LongPointToDoublePoint(PointT<int32_t>{r.x, r.y});
}

RectT<double> LControl::GetBounds()
{
    const RectT<double> look = GetLookRect(-1);
    return RectT<double>{m_scroll.x, m_scroll.y, look.width, look.height};
}

RectT<double> LControl::GetClientRect()
{
    const RectT<double> look = GetLookRect(-1);
    return RectT<double>{0, 0, look.width, look.height};
}

bool LControl::ContainsPoint(PointT<double> p)
{
    return p.x >= 0.0 && p.x < m_size.x && p.y >= 0.0 && p.y < m_size.y;
}

RectT<int32_t> LControl::GetChildrenBounds()
{
    int32_t left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;
    for (uint32_t i = m_children.GetCount(); i > 0; --i) {
        const LControl& c = *m_children.GetAt(i - 1, kOrderInsertion);
        if (c.m_layout && (c.m_layout->IsXDocked() || c.m_layout->IsYDocked()))
            continue;
        const RectT<int32_t> r = RoundRectToLong(RectT<double>{c.m_position.x, c.m_position.y, c.m_size.x, c.m_size.y});
        left = std::min(left, r.x);
        top = std::min(top, r.y);
        right = std::max(right, static_cast<int32_t>(static_cast<uint32_t>(r.x) + static_cast<uint32_t>(r.width)));
        bottom = std::max(bottom, static_cast<int32_t>(static_cast<uint32_t>(r.y) + static_cast<uint32_t>(r.height)));
    }
    // Differences in wrapping 32-bit arithmetic: with nothing counted the result is (MAX, MAX, 1, 1).
    return RectT<int32_t>{left, top, static_cast<int32_t>(static_cast<uint32_t>(right) - static_cast<uint32_t>(left)),
                          static_cast<int32_t>(static_cast<uint32_t>(bottom) - static_cast<uint32_t>(top))};
}

RectT<double> LControl::GetParentRectLocal()
{
    if (m_parent) {
        const PointT<double> lookOrigin = m_parent->LookOrigin();
        const PointT<double> p{m_position.x - m_parent->m_scroll.x + lookOrigin.x,
                               m_position.y - m_parent->m_scroll.y + lookOrigin.y};
        return RectT<double>{-p.x, -p.y, m_parent->m_size.x, m_parent->m_size.y};
    }
    if (m_ownerWindow) {
        const RectT<int32_t> client = m_ownerWindow->GetClientRect();
        return RectT<double>{-m_position.x, -m_position.y, LongToDouble(client.width), LongToDouble(client.height)};
    }
    return RectT<double>{0, 0, m_size.x, m_size.y};
}

PointT<double> LControl::GetOriginInRootWindow() const
{
    PointT<double> origin = m_position;
    for (const LControl* a = m_parent.Get(); a; a = a->m_parent.Get()) {
        const PointT<double> look = a->LookOrigin();
        origin.x += -a->m_scroll.x + look.x + a->m_position.x;
        origin.y += -a->m_scroll.y + look.y + a->m_position.y;
    }
    return origin;
}

KXRESULT LControl::GetOriginInTopLevel(PointT<double>& out) const
{
    if (!m_parent) {
        out = m_position;
        return S_OK;
    }
    m_parent->GetOriginInTopLevel(out);
    const PointT<double> look = m_parent->LookOrigin();
    out.x += -m_parent->m_scroll.x + look.x + m_position.x;
    out.y += -m_parent->m_scroll.y + look.y + m_position.y;
    return S_OK;
}

PointT<double> LControl::GetRootToLocalOffset() const
{
    PointT<double> origin;
    GetOriginInTopLevel(origin);
    return PointT<double>{-origin.x, -origin.y};
}

void LControl::MapPointFromControl(const LControl& other, PointT<double>& point) const
{
    const PointT<double> from = RoundTrip(other.GetOriginInRootWindow());
    const PointT<double> to = RoundTrip(GetOriginInRootWindow());
    point.x += from.x - to.x;
    point.y += from.y - to.y;
}

KXRESULT LControl::PerformLayout()
{
    if (!m_layout)
        return E_FAIL;
    if (PlacementMemo::Holds(*this))
        return S_FALSE;
    return PlacementMemo::LayOut(*this);
}

KXRESULT LControl::PlacementMemo::LayOut(LControl& control)
{
    RectT<double> area;
    PointT<double> client, fallback;
    if (!control.m_parent) {
        if (control.m_built && !control.m_ownerWindow)
            return E_FAIL;
        RCPtr<IRootWindow> window = control.m_ownerWindow;
        if (!window && g_host)
            window = g_host->GetActiveRootWindow();
        if (!window && g_host)
            window = g_host->GetFirstRootWindow();
        if (!window)
            return E_FAIL;
        // The screen seen from the window's client area: positions come out in client coordinates.
        const RectT<int32_t> clientRect = window->GetClientRect();
        area = LongRectToDoubleRect(g_host ? g_host->GetScreenArea() : clientRect);
        const PointT<double> origin = LongPointToDoublePoint(window->GetClientOriginOnScreen());
        area.x = -origin.x;
        area.y = -origin.y;
        client = PointT<double>{LongToDouble(clientRect.width), LongToDouble(clientRect.height)};
        const PointT<double> cursor =
            LongPointToDoublePoint(g_host ? g_host->GetCursorScreenPosition() : PointT<int32_t>{});
        fallback = PointT<double>{cursor.x - origin.x, cursor.y - origin.y};
    }
    RectT<double> placed;
    NamedSiblings named;
    PlacementMemo::Hint(control, named);
    RectT<double> parentClient;
    const KXRESULT hr = ComputeControlPlacement(control.m_layout.Get(), control.m_parent.Get(), area, client, fallback,
                                                placed, &named, &parentClient);
    if (Failed(hr)) {
        PlacementMemo::Forget(control);
        return hr;
    }
    PlacementMemo::Note(control, named, parentClient);
    PointT<double> position{placed.x, placed.y}, size{placed.width, placed.height};
    ApplyMinimumSize(control, position, size);
    ApplyMaximumSize(control, position, size); // last: the maximum wins over the minimum
    RectT<double> bounds{position.x, position.y, size.x, size.y};
    SnapRect(bounds);
    PlacementMemo::Placed(control, PointT<double>{bounds.x, bounds.y}, PointT<double>{bounds.width, bounds.height});
    return control.SetBounds(PointT<double>{bounds.x, bounds.y}, PointT<double>{bounds.width, bounds.height});
}

PointT<double> LControl::MeasureNaturalSize()
{
    PointT<double> measured;
    if (!m_layout)
        return measured;
    for (int32_t axis = 0; axis < 2; ++axis) {
        const SizeSpec saved = m_layout->Size(axis);
        m_layout->Size(axis) = SizeSpec{kSizeToSelf, WString(), 0.0f, 0.0};
        PerformLayout();
        GetAxisRef(measured, axis) = GetAxisValue(m_size, axis);
        m_layout->Size(axis) = saved;
        PerformLayout();
    }
    return measured;
}

PointT<double> LControl::GetMaximumSize()
{
    PointT<double> size;
    if (!m_layout)
        return size;
    for (int32_t axis = 0; axis < 2; ++axis)
        if (m_layout->MaxSize(axis).toControl == 0)
            GetAxisRef(size, axis) = m_layout->MaxSize(axis).absolute;
    return size;
}

KXRESULT LControl::SetValueRange(double minimum, double maximum, int32_t scaleType)
{
    // Not-a-number or infinite ends would poison every mapped value: refused like a bad scale.
    if (!std::isfinite(minimum) || !std::isfinite(maximum))
        return E_INVALIDARG;
    if (scaleType != 0 && scaleType != 1)
        return E_INVALIDARG;
    if (scaleType == 1 && !(minimum > 0.0 && maximum > 0.0))
        return E_INVALIDARG;
    m_minimum = minimum;
    m_maximum = maximum;
    m_scaleType = scaleType;
    return S_OK;
}

double LControl::NormalizedToValue(double t) const
{
    if (m_scaleType == 1) {
        const double ratio = m_maximum / m_minimum;
        if (std::isfinite(ratio) && ratio > 0.0)
            return m_minimum * std::pow(ratio, t);
        // Ends too far apart for their ratio: interpolate the logarithms.
        return std::exp(std::log(m_minimum) + (std::log(m_maximum) - std::log(m_minimum)) * t);
    }
    const double span = m_maximum - m_minimum;
    if (std::isfinite(span))
        return m_minimum + span * t;
    // Ends of opposite sign near the largest double: each side weighed on its own.
    return m_minimum * (1.0 - t) + m_maximum * t;
}

double LControl::ValueToNormalized(double value) const
{
    if (m_minimum == m_maximum || std::isnan(value))
        return 0.0;
    const double lo = std::min(m_minimum, m_maximum), hi = std::max(m_minimum, m_maximum);
    value = std::clamp(value, lo, hi);
    if (m_scaleType == 1) {
        const double ratio = m_maximum / m_minimum, part = value / m_minimum;
        if (std::isfinite(ratio) && ratio > 0.0 && std::isfinite(part) && part > 0.0)
            return std::log(part) / std::log(ratio);
        return (std::log(value) - std::log(m_minimum)) / (std::log(m_maximum) - std::log(m_minimum));
    }
    const double span = m_maximum - m_minimum;
    if (std::isfinite(span))
        return (value - m_minimum) / span;
    return (value / 2.0 - m_minimum / 2.0) / (m_maximum / 2.0 - m_minimum / 2.0);
}

KXRESULT LControl::StartAxisAnimation(int32_t axis, double speed, double highest, double lowest,
                                      const RCPtr<LControl>& dragged)
{
    const int32_t a = axis == 0 ? 0 : 1;
    m_speed[a] = speed;
    m_highestOffset[a] = highest;
    m_lowestOffset[a] = lowest;
    m_animationDragged[a] = dragged;
    if (m_animating[a])
        return S_OK;
    m_animating[a] = 1;
    m_stepTime[a] = AppTimeSeconds();
    SubscribeIdle();
    return S_OK;
}

KXRESULT LControl::StopAxisAnimation(int32_t axis)
{
    const int32_t a = axis == 0 ? 0 : 1;
    m_animationDragged[a] = nullptr;
    if (!m_animating[a])
        return S_FALSE;
    m_animating[a] = 0;
    m_throwRunning[a] = 0;
    UnsubscribeIdle();
    return S_OK;
}

KXRESULT LControl::SubscribeIdle()
{
    if (++m_idleCount != 1)
        return S_OK;
    const RCPtr<IRootWindow>& window = GetTopLevelOwnerSlot();
    RCPtr<LNotificationDistributor> source = window ? window->GetIdleSource() : nullptr;
    if (!source || !m_handler)
        return S_OK;
    const KXRESULT hr = m_handler->AddDistributorHandler(&LControl::OnIdle, source, NID_IDLE, 0);
    if (Failed(hr))
        m_idleCount = 0;
    return hr;
}

KXRESULT LControl::UnsubscribeIdle()
{
    // One more drop than subscriptions changes nothing: the count never goes below zero.
    if (m_idleCount <= 0)
        return S_FALSE;
    if (m_idleCount-- != 1)
        return S_OK;
    const RCPtr<IRootWindow>& window = GetTopLevelOwnerSlot();
    RCPtr<LNotificationDistributor> source = window ? window->GetIdleSource() : nullptr;
    if (!source)
        return S_OK;
    const KXRESULT hr = UnregisterForNotification(source, NID_IDLE);
    if (m_handler && !m_handler->RemoveDistributorHandler(source, NID_IDLE))
        return E_FAIL;
    return hr;
}

} // namespace KX
