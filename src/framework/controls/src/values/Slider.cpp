// The slider: its parts, the thumb made from "thumbStart", placing the thumb at the value, and the
// value read back from the thumb's place on the track.
#include "kx/controls/Slider.h"

#include "kx/controls/Button.h"
#include "kx/ui/ControlDescriptor.h"
#include "kx/ui/ControlFactory.h"
#include "kx/ui/ControlGeometry.h"
#include "kx/ui/FrameworkApp.h"
#include "kx/ui/RootWindow.h"

#include <algorithm>
#include <cmath>

namespace KX {

namespace {

constexpr const char16_t* kThumbName = u"thumb";

double Distance(PointT<int32_t> a, PointT<int32_t> b)
{
    const double dx = static_cast<double>(b.x) - a.x, dy = static_cast<double>(b.y) - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

PointT<int32_t> TopLeftOf(const LControl& control)
{
    return RoundPointToLong(control.GetPosition());
}

// An absolute top-left placement on one axis: no anchor, no reference, not docked.
AxisPlacement AbsolutePlacement(const AxisPlacement& from, double at)
{
    AxisPlacement p = from;
    p.kind = kPositionToClient;
    p.controlName = WString();
    p.anchor = 0.0f;
    p.relative = 0.0f;
    p.docked = 0;
    p.absolute = at;
    return p;
}

} // namespace

LSlider::LSlider(const RCPtr<LControl>& parent, const WString& name) : LPanel(parent, name) {}

LSlider::~LSlider()
{
    m_sliderHandler = nullptr;
}

void LSlider::SetPageStep(double step) noexcept
{
    if (std::isfinite(step) && step > 0.0)
        m_pageStep = step;
}

RCPtr<LControlDescriptor> LSlider::MakeThumbDescriptor() const
{
    const ConstRCPtr<LControlDescriptor>& source = m_start ? m_start->GetDescriptor() : LControlDescriptor::Null();
    RCPtr<LControlDescriptor> copy;
    if (!source || Failed(source->Copy(copy)) || !copy)
        return {};
    RCPtr<LLayoutDescriptor> layout =
        source->GetLayout() ? LLayoutDescriptor::Clone(*source->GetLayout()) : LLayoutDescriptor::Create();
    const PointT<double> at = m_start->GetPosition(), size = m_start->GetSize();
    for (int32_t axis = 0; axis < 2; ++axis) {
        layout->Position(axis) = AbsolutePlacement(layout->Position(axis), GetAxisValue(at, axis));
        SizeSpec& s = layout->Size(axis);
        if (s.kind == kSizeToControl) {
            s.kind = kSizeToSelf;
            s.absolute = GetAxisValue(size, axis);
        }
        s.controlName = WString();
        for (SizeLimit* limit : {&layout->MinSize(axis), &layout->MaxSize(axis)}) {
            limit->toControl = 0;
            limit->controlName = WString();
        }
    }
    layout->visible = true;
    copy->SetLayout(ConstRCPtr<LLayoutDescriptor>(layout.Get()));
    copy->SetName(WString(kThumbName));
    return copy;
}

KXRESULT LSlider::Initialize()
{
    if (Failed(LPanel::Initialize()))
        return E_FAIL;
    const RCPtr<LSlider> self(this);
    m_sliderHandler = RCPtr<LNotificationHandler<LSlider>>(new LNotificationHandler<LSlider>(this));
    m_end = RCPtr<LButton>::DynamicCast(FindChild(WString(u"thumbEnd")));
    m_start = RCPtr<LButton>::DynamicCast(FindChild(WString(u"thumbStart")));
    if (m_start && !m_thumb) {
        RCPtr<LControl> made = FindChild(WString(kThumbName));
        if (!made) {
            const RCPtr<LControlDescriptor> descriptor = MakeThumbDescriptor();
            LFrameworkApp* app = LFrameworkApp::GetCurrent();
            if (descriptor && app && app->GetControlFactory())
                app->GetControlFactory()->CreateControlFromDescriptor(
                    made, ConstRCPtr<LControlDescriptor>(descriptor.Get()), RCPtr<LControl>(this));
            if (made && made->GetParent().Get() != this)
                LPanel::AttachChild(made, ConstRCPtr<LControlDescriptor>(descriptor.Get()));
        }
        m_thumb = RCPtr<LButton>::DynamicCast(made);
        if (m_thumb) {
            m_thumb->SetVisible(true);
            const RCPtr<LNotificationDistributor> thumb(m_thumb);
            TraceFailedResult(m_sliderHandler->AddDistributorHandler(&LSlider::OnThumbMove, thumb, NID_MOUSE_MOVE, 0),
                              "LSlider::Initialize");
            TraceFailedResult(m_sliderHandler->AddDistributorHandler(&LSlider::OnThumbDragCondition, thumb,
                                                                     NID_LEFT_DRAG_CONDITION_CHANGE, 0),
                              "LSlider::Initialize");
            m_thumb->stickyPressedLook = true;
        }
    }
    CheckTrackedBoundsChanged();
    SetValueRange(0.0, 127.0, 0);
    SetInteractionMode(0);
    return S_OK;
}

KXRESULT LSlider::AttachChild(RCPtr<LControl> child, const ConstRCPtr<LControlDescriptor>& descriptor)
{
    if (child && !descriptor && child->GetName().Equals(kThumbName) && m_start) {
        const RCPtr<LControlDescriptor> made = MakeThumbDescriptor();
        const KXRESULT hr = LPanel::AttachChild(child, ConstRCPtr<LControlDescriptor>(made.Get()));
        child->SetVisible(true);
        return hr;
    }
    return LPanel::AttachChild(child, descriptor);
}

KXRESULT LSlider::PostInitialize()
{
    const RCPtr<LSlider> self(this);
    // After a rebuild from a new skin (which names no thumb) the thumb is attached again.
    m_end = RCPtr<LButton>::DynamicCast(FindChild(WString(u"thumbEnd")));
    m_start = RCPtr<LButton>::DynamicCast(FindChild(WString(u"thumbStart")));
    if (m_thumb && m_start && GetChildIndex(RCPtr<LControl>(m_thumb), kOrderInsertion) < 0)
        AttachChild(RCPtr<LControl>(m_thumb), ConstRCPtr<LControlDescriptor>());
    HideMarkers();
    CheckTrackedBoundsChanged();
    return S_OK;
}

void LSlider::HideMarkers()
{
    if (m_end)
        m_end->SetVisible(false);
    if (m_start) {
        m_start->SetVisible(false);
        const PointT<double> size = m_start->GetSize();
        m_grip = PointT<int32_t>{RoundToInt32(size.x / 2.0), RoundToInt32(size.y / 2.0)};
        if (const LLayoutDescriptor* layout = m_start->GetLayout().Get()) {
            if (layout->Position(0).anchor != 0.0f)
                m_grip.x = RoundToInt32(layout->Position(0).anchor * size.x);
            if (layout->Position(1).anchor != 0.0f)
                m_grip.y = RoundToInt32(layout->Position(1).anchor * size.y);
        }
    }
}

void LSlider::CheckTrackedBoundsChanged()
{
    LPanel::CheckTrackedBoundsChanged();
    if (!m_thumb) {
        m_thumb = RCPtr<LButton>::DynamicCast(FindChild(WString(kThumbName)));
        return;
    }
    PositionThumb();
}

PointT<int32_t> LSlider::StartPoint() const
{
    return m_start ? TopLeftOf(*m_start) : PointT<int32_t>{};
}

PointT<int32_t> LSlider::EndPoint() const
{
    return m_end ? TopLeftOf(*m_end) : StartPoint();
}

PointT<int32_t> LSlider::ThumbPoint() const
{
    return m_thumb ? TopLeftOf(*m_thumb) : StartPoint();
}

double LSlider::GetTrackLength() const
{
    if (!m_start || !m_end)
        return 0.0;
    return Distance(StartPoint(), EndPoint());
}

void LSlider::MoveThumbTo(PointT<int32_t> p)
{
    const LLayoutDescriptor* layout = m_thumb ? m_thumb->GetLayout().Get() : nullptr;
    if (!layout || m_placingThumb)
        return;
    // Setting the placement lays the thumb out, which may come back here through the bounds check.
    m_placingThumb = true;
    const RCPtr<LButton> thumb = m_thumb;
    thumb->SetAxisPlacements(AbsolutePlacement(layout->Position(0), p.x), layout->Size(0),
                             AbsolutePlacement(layout->Position(1), p.y), layout->Size(1));
    m_placingThumb = false;
}

void LSlider::PositionThumb()
{
    if (m_dragging || !m_thumb)
        return;
    const PointT<int32_t> s = StartPoint(), e = EndPoint();
    const double t = GetNormalizedValue();
    const PointT<int32_t> target{s.x + RoundToInt32((static_cast<double>(e.x) - s.x) * t),
                                 s.y + RoundToInt32((static_cast<double>(e.y) - s.y) * t)};
    const PointT<int32_t> now = ThumbPoint();
    if (now.x != target.x || now.y != target.y)
        MoveThumbTo(target);
}

void LSlider::ValueFromThumb()
{
    const double length = GetTrackLength();
    // A track of no length (markers on one spot, or not laid out yet) maps to no value at all.
    if (length > 0.0 && std::isfinite(length))
        LPanel::SetNormalizedValue(Distance(StartPoint(), ThumbPoint()) / length);
    PositionThumb();
}

PointT<int32_t> LSlider::ConstrainToTrack(PointT<int32_t> p) const
{
    const PointT<int32_t> s = StartPoint(), e = EndPoint(), now = ThumbPoint();
    PointT<int32_t> r;
    if (s.x == e.x) {
        r = PointT<int32_t>{now.x, p.y};
    } else if (s.y == e.y) {
        r = PointT<int32_t>{p.x, now.y};
    } else {
        // The foot of the perpendicular from p onto the line through S and E.
        const float m =
            static_cast<float>(static_cast<double>(e.y) - s.y) / static_cast<float>(static_cast<double>(e.x) - s.x);
        const float b = static_cast<float>(s.y) - m * static_cast<float>(s.x);
        const float x = (static_cast<float>(p.x) + m * (static_cast<float>(p.y) - b)) / (1.0f + m * m);
        r.x = RoundToInt32(x);
        r.y = RoundToInt32(static_cast<double>(r.x) * m + b);
    }
    r.x = std::clamp(r.x, std::min(s.x, e.x), std::max(s.x, e.x));
    r.y = std::clamp(r.y, std::min(s.y, e.y), std::max(s.y, e.y));
    return r;
}

double LSlider::SetNormalizedValue(double value)
{
    if (m_dragging) {
        m_pendingValue = value;
        return GetNormalizedValue();
    }
    const RCPtr<LSlider> self(this);
    LPanel::SetNormalizedValue(value);
    PositionThumb();
    return GetNormalizedValue();
}

void LSlider::StepTowardsPoint(PointT<int32_t> point)
{
    const double length = GetTrackLength();
    if (!(length > 0.0) || !std::isfinite(length))
        return;
    const RCPtr<LSlider> self(this);
    const PointT<int32_t> s = StartPoint();
    const PointT<int32_t> p{point.x - m_grip.x, point.y - m_grip.y};
    const double t = Distance(s, p) / length;
    const double value = GetNormalizedValue();
    const double next =
        Distance(s, ThumbPoint()) > Distance(s, p) ? std::max(t, value - m_pageStep) : std::min(t, value + m_pageStep);
    LPanel::SetNormalizedValue(next);
    PositionThumb();
}

KXRESULT LSlider::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!IsBuilt())
        return S_FALSE;
    const RCPtr<LSlider> self(this);
    if (m_sliderHandler && m_sliderHandler->Receive(from, n))
        return S_OK;
    return LPanel::Receive(from, n);
}

KXRESULT LSlider::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_sliderHandler)
        m_sliderHandler->RemoveDistributorHandler(d, name);
    return LPanel::UnregisterForNotification(d, name);
}

} // namespace KX
