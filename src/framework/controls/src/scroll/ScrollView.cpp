// The scroll view: set-up, client extent, offsets and the bars' value changes, geometry queries
// and wheel steps. Bar visibility and ranges are in ScrollViewBars.cpp.
#include "kx/controls/ScrollView.h"

#include "kx/ui/ControlDescriptor.h"
#include "kx/ui/ControlGeometry.h"
#include "kx/ui/LayoutPasses.h"
#include "kx/ui/MouseWheelParam.h"
#include "kx/ui/StringTable.h"

#include <algorithm>
#include <cmath>

namespace KX {

namespace {
constexpr double kExtentEpsilon = 2.220446049250313e-15;
// Extents and offsets stay within half the layout's range: docked children are placed at their
// own place plus the offset, and that sum must still be a layout coordinate.
constexpr double kMaxExtent = kMaxLayoutCoordinate / 2.0;
constexpr uint32_t kModifierShift = 0x08;
constexpr uint32_t kModifierAlt = 0x40;
} // namespace

LScrollView::LScrollView(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

LScrollView::~LScrollView() = default;

KXRESULT LScrollView::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!IsBuilt())
        return S_FALSE;
    const RCPtr<LScrollView> self(this);
    // Its own table first; the control base's only when that did not use the notification.
    if (m_handler && m_handler->Receive(from, n))
        return S_OK;
    return LControl::Receive(from, n);
}

KXRESULT LScrollView::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_handler && name)
        m_handler->RemoveDistributorHandler(d, name);
    return LControl::UnregisterForNotification(d, name);
}

KXRESULT LScrollView::Initialize()
{
    const KXRESULT hr = LControl::Initialize();
    if (Failed(hr))
        return hr;
    const RCPtr<LScrollView> self(this);
    m_handler = RCPtr<LNotificationHandler<LScrollView>>(new LNotificationHandler<LScrollView>(this));
    m_corner = FindChild(WString(u"corner"));
    m_hBar = RCPtr<LScrollbar>(dynamic_cast<LScrollbar*>(FindChild(WString(u"hBar")).Get()));
    m_vBar = RCPtr<LScrollbar>(dynamic_cast<LScrollbar*>(FindChild(WString(u"vBar")).Get()));
    ReadBarThickness();
    for (const RCPtr<LScrollbar>& bar : {m_hBar, m_vBar})
        if (bar)
            TraceFailedResult(m_handler->AddDistributorHandler(&LScrollView::OnBarValueChange,
                                                               RCPtr<LNotificationDistributor>(bar), NID_VALUE_CHANGE,
                                                               0),
                              "LScrollView::Initialize");
    m_initialized = true;
    // The bars match the content from the start, not only after the first size change.
    UpdateScrollBarVisibility();
    return S_OK;
}

void LScrollView::ReadBarThickness()
{
    PointT<double> thickness{};
    if (m_corner) {
        // The skin's size: the corner's own size follows the bars' visibility.
        const LControlDescriptor* d = m_corner->GetDescriptor().Get();
        const LLayoutDescriptor* layout = d ? d->GetLayout().Get() : nullptr;
        for (int32_t axis = 0; axis < 2; ++axis) {
            double& t = GetAxisRef(thickness, axis);
            if (layout && layout->Size(axis).kind == kSizeToSelf)
                t = layout->Size(axis).absolute;
            else
                t = GetAxisValue(m_corner->GetSize(), axis);
            if (!(t >= 0.0) || t > kMaxGeometryValue)
                t = 0.0;
        }
    }
    if (thickness.y == 0.0 && m_hBar)
        thickness.y = m_hBar->GetSize().y;
    if (thickness.x == 0.0 && m_vBar)
        thickness.x = m_vBar->GetSize().x;
    m_barThickness = thickness;
}

KXRESULT LScrollView::ReadCreateParams()
{
    const KXRESULT hr = LControl::ReadCreateParams();
    const LControlDescriptor* d = GetDescriptor().Get();
    const LStringTable* params = d ? d->GetCreateParams().Get() : nullptr;
    m_autoExtent = 0;
    WString text;
    if (params && params->Lookup(WString(u"AUTO_CLIENT_EXTENT_X"), text) && LControlDescriptor::CountsAsTrue(text))
        m_autoExtent |= kAutoExtentX;
    if (params && params->Lookup(WString(u"AUTO_CLIENT_EXTENT_Y"), text) && LControlDescriptor::CountsAsTrue(text))
        m_autoExtent |= kAutoExtentY;
    m_extentMargin[0] = m_extentMargin[1] = 0;
    RecomputeAutoExtent();
    return hr;
}

KXRESULT LScrollView::CreateFromDescriptor(const ConstRCPtr<LControlDescriptor>& descriptor)
{
    const RCPtr<LScrollView> self(this);
    m_rebuilding = m_initialized;
    const KXRESULT hr = LControl::CreateFromDescriptor(descriptor);
    m_rebuilding = false;
    if (m_initialized) {
        // A rebuild (a new skin): the corner may have another size now.
        ReadBarThickness();
        RecomputeAutoExtent();
        UpdateScrollBarVisibility();
        CheckTrackedBoundsChanged();
    }
    return hr;
}

void LScrollView::OnChildRemoved(const RCPtr<LControl>& child, int32_t index)
{
    LControl::OnChildRemoved(child, index);
    if (!m_initialized || !GetTopLevelOwnerSlot())
        return;
    // Not while the bars themselves go (the view is being taken apart).
    const LControl* parts[] = {m_hBar.Get(), m_vBar.Get(), m_corner.Get()};
    for (const LControl* part : parts)
        if (part && part->GetParent().Get() != this)
            return;
    const RCPtr<LScrollView> self(this);
    RecomputeAutoExtent();
}

void LScrollView::SetAutoExtent(uint32_t axes)
{
    m_autoExtent = axes & (kAutoExtentX | kAutoExtentY);
    RecomputeAutoExtent();
}

void LScrollView::SetExtentMargin(int32_t x, int32_t y)
{
    m_extentMargin[0] = x;
    m_extentMargin[1] = y;
    RecomputeAutoExtent();
}

void LScrollView::SetLineMode(int32_t lineHeight)
{
    m_lineMode[1] = lineHeight > 0 ? 1 : 0;
    m_lineSize[1] = std::max(lineHeight, 0);
    UpdateScrollBarVisibility();
}

KXRESULT LScrollView::SetClientExtent(double width, double height)
{
    // Extents are cut to what the layout can place; not a number keeps the stored one.
    width = std::isnan(width) ? m_extent.x : std::clamp(width, -kMaxExtent, kMaxExtent);
    height = std::isnan(height) ? m_extent.y : std::clamp(height, -kMaxExtent, kMaxExtent);
    if (!(std::fabs(width - m_extent.x) >= kExtentEpsilon) && !(std::fabs(height - m_extent.y) >= kExtentEpsilon))
        return S_FALSE;
    m_extent = PointT<double>{width, height};
    const RCPtr<LScrollView> self(this);
    UpdateScrollBars();
    RCPtr<LNotification> n;
    LNotification::Create(n, NID_CLIENT_EXTENT_CHANGE, ConstRCPtr<LRefCountedObject>());
    if (n)
        SendNotification(n);
    return S_OK;
}

void LScrollView::UpdateScrollBars()
{
    UpdateScrollBarVisibility();
    if (m_boundsChanging)
        SetTrackedBounds(GetBounds());
}

PointT<double> LScrollView::GetMaximumSize()
{
    PointT<double> size = LControl::GetMaximumSize();
    const LLayoutDescriptor* layout = GetLayout().Get();
    for (int32_t axis = 0; layout && axis < 2; ++axis) {
        const SizeLimit& lo = layout->MinSize(axis);
        const SizeLimit& hi = layout->MaxSize(axis);
        if ((lo.toControl && lo.controlName.Equals(u"Children")) ||
            (hi.toControl && hi.controlName.Equals(u"Children")))
            GetAxisRef(size, axis) = std::clamp(GetAxisValue(GetChildrenFarCorner(), axis), -kMaxExtent, kMaxExtent);
    }
    return size;
}

PointT<double> LScrollView::GetChildrenFarCorner()
{
    double right = 0.0, bottom = 0.0;
    LChildControlList& children = GetChildren();
    for (uint32_t i = 0; i < children.GetCount(); ++i) {
        const LControl& c = *children.GetAt(i, kOrderInsertion);
        const LLayoutDescriptor* layout = c.GetLayout().Get();
        if (!layout || !layout->IsXDocked())
            right = std::max(right, RoundHalfAwayFromZero(c.GetPosition().x + c.GetSize().x));
        if (!layout || !layout->IsYDocked())
            bottom = std::max(bottom, RoundHalfAwayFromZero(c.GetPosition().y + c.GetSize().y));
    }
    return PointT<double>{right, bottom};
}

bool LScrollView::RecomputeAutoExtent()
{
    if (m_autoExtent == 0 || m_rebuilding)
        return false;
    const PointT<double> corner = GetChildrenFarCorner();
    PointT<double> extent = m_extent;
    if (m_autoExtent & kAutoExtentX)
        extent.x = std::clamp(corner.x + m_extentMargin[0], -kMaxExtent, kMaxExtent);
    if (m_autoExtent & kAutoExtentY)
        extent.y = std::clamp(corner.y + m_extentMargin[1], -kMaxExtent, kMaxExtent);
    return SetClientExtent(extent.x, extent.y) == S_OK;
}

const PointT<double>& LScrollView::SetScrollOffset(PointT<double> offset)
{
    const RCPtr<LScrollView> self(this);
    for (int32_t axis = 0; axis < 2; ++axis) {
        double& along = GetAxisRef(offset, axis);
        if (!std::isnan(along))
            along = std::clamp(along, -kMaxExtent, kMaxExtent);
    }
    m_scrollingView = true;
    const PointT<double>& result = LControl::SetScrollOffset(offset);
    m_scrollingView = false;
    return result;
}

void LScrollView::InvalidateBoundsChange(PointT<double> oldOffset, PointT<double> newOffset)
{
    // Part of a scroll, which holds the view.
    const RectT<double> client = GetClientRect();
    const double clientSize[2] = {client.width, client.height};
    // Held by the view for its life.
    LScrollbar* const bars[2] = {m_hBar.Get(), m_vBar.Get()};
    {
        // The bars' value changes do not come back as offsets.
        const bool wasQuiet = m_barsFollowView;
        m_barsFollowView = true;
        for (int32_t axis = 0; axis < 2; ++axis) {
            if (!bars[axis])
                continue;
            const double range = std::max(0.0, GetAxisValue(m_extent, axis) - clientSize[axis]);
            bars[axis]->SetNormalizedValue(range > 0.0 ? GetAxisValue(newOffset, axis) / range : 0.0);
            bars[axis]->PlaceThumb();
        }
        m_barsFollowView = wasQuiet;
    }
    LControl::InvalidateBoundsChange(oldOffset, newOffset);
}

KXRESULT LScrollView::OnBarValueChange(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>&)
{
    // Ignored like a disabled binding while the view itself sets the bars.
    if (m_barsFollowView)
        return S_OK;
    const RCPtr<LScrollView> self(this);
    const bool horizontal = from.Get() == static_cast<LNotificationDistributor*>(m_hBar.Get());
    const RCPtr<LScrollbar>& bar = horizontal ? m_hBar : m_vBar;
    if (!bar)
        return S_FALSE;
    const double value = bar->NormalizedToValue(bar->GetNormalizedValue());
    double along = RoundHalfAwayFromZero(value);
    if (!horizontal && IsLineMode())
        along = std::trunc(value) * m_lineSize[1];
    PointT<double> offset = GetScrollOffset();
    (horizontal ? offset.x : offset.y) = along;
    SetScrollOffset(offset);
    return S_FALSE;
}

void LScrollView::CaptureLookBounds()
{
    m_boundsChanging = true;
    LControl::CaptureLookBounds();
}

void LScrollView::CheckTrackedBoundsChanged()
{
    const RCPtr<LScrollView> self(this);
    LControl::CheckTrackedBoundsChanged();
    m_boundsChanging = false;
    RecomputeAutoExtent();
    UpdateScrollBarVisibility();
}

void LScrollView::AddInvalidRect(const RCPtr<LControl>& child)
{
    if (!m_updatingBars && !m_scrollingView && !m_boundsChanging && child) {
        const RCPtr<LScrollView> self(this);
        const LLayoutDescriptor* layout = child->GetLayout().Get();
        if (layout && layout->IsXDocked() && layout->IsYDocked())
            UpdateScrollBarVisibility();
        else if (!RecomputeAutoExtent())
            UpdateScrollBarVisibility();
    }
    LControl::AddInvalidRect(child);
}

void LScrollView::GetScrollRange(RectT<double>& out, const RCPtr<LControl>&)
{
    const RectT<double> client = GetClientRect();
    const double maxX = m_extent.x > 0.0 ? std::max(0.0, m_extent.x - client.width) : kMaxGeometryValue;
    const double maxY = m_extent.y > 0.0 ? std::max(0.0, m_extent.y - client.height) : kMaxGeometryValue;
    out = RectT<double>{0.0, 0.0, maxX, maxY};
}

RectT<double> LScrollView::GetBounds()
{
    const RectT<double> client = GetClientRect();
    const PointT<double> scroll = GetScrollOffset();
    double w = std::max(m_minViewSize.x, client.width);
    double h = std::max(m_minViewSize.y, client.height);
    const double x = std::max(0.0, scroll.x - (w - client.width) / 2.0);
    const double y = std::max(0.0, scroll.y - (h - client.height) / 2.0);
    const RectT<int32_t> children = GetChildrenBounds();
    const double right = static_cast<double>(static_cast<int64_t>(children.x) + children.width);
    const double bottom = static_cast<double>(static_cast<int64_t>(children.y) + children.height);
    w = std::max(1.0, std::min(w, right - x));
    h = std::max(1.0, std::min(h, bottom - y));
    return RectT<double>{x, y, w, h};
}

void LScrollView::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    LControl::OnConditionsChanged(param);
    if (!m_dragScrolling || !param)
        return;
    const uint32_t was = param->GetPreviousMask(), now = param->GetCurrentMask();
    if ((now & Condition::kLeftDrag) && !(was & Condition::kLeftDrag))
        SetDragMode(DragMode::kPan, DragAxis::kBoth); // the range limits each axis
}

KXRESULT LScrollView::StepBar(const RCPtr<LScrollbar>& bar, bool forward, uint32_t modifiers)
{
    const double step = (modifiers & kModifierShift) ? bar->GetPageStep() : bar->GetLineStep();
    bar->SetNormalizedValue(bar->GetNormalizedValue() + (forward ? step : -step));
    return S_OK;
}

KXRESULT LScrollView::HandleVerticalWheel(const RCPtr<LMouseWheelParam>& param)
{
    if (!param)
        return S_FALSE;
    const bool h = IsHorizontalBarShown(), v = IsVerticalBarShown();
    if (!h && !v)
        return S_FALSE;
    const RCPtr<LScrollView> self(this);
    const bool useHorizontal = !v || (h && (param->GetModifiers() & kModifierAlt));
    return StepBar(useHorizontal ? m_hBar : m_vBar, param->GetDirection() == kWheelDown, param->GetModifiers());
}

KXRESULT LScrollView::HandleHorizontalWheel(const RCPtr<LMouseWheelParam>& param)
{
    if (!param)
        return S_FALSE;
    const bool h = IsHorizontalBarShown(), v = IsVerticalBarShown();
    if (!h && !v)
        return S_FALSE;
    const RCPtr<LScrollView> self(this);
    return StepBar(h ? m_hBar : m_vBar, param->GetDirection() == kWheelLeft, param->GetModifiers());
}

} // namespace KX
