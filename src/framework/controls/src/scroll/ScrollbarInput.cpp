// The scroll bar's pointer input: channel presses with their page auto-repeat on the idle pass,
// the channel's pressed look, and thumb drags.
#include "kx/controls/Scrollbar.h"

#include "kx/ui/ControlGeometry.h"
#include "kx/ui/ControlHost.h"
#include "kx/ui/RootWindow.h"

#include "ConditionEdges.h"

#include <algorithm>
#include <cmath>

namespace KX {

namespace {
const LConditionsParam* ConditionsOf(const RCPtr<LNotification>& n)
{
    return n ? dynamic_cast<const LConditionsParam*>(n->GetPayload().Get()) : nullptr;
}

} // namespace

PointT<double> LScrollbar::PointerInChannel() const
{
    if (!m_channel)
        return PointT<double>{};
    auto* root = dynamic_cast<LRootWindow*>(m_channel->GetTopLevelOwnerSlot().Get());
    if (!root)
        return PointT<double>{-kMaxGeometryValue, -kMaxGeometryValue};
    const PointT<int32_t> cursor = root->GetCursorPos();
    // The channel's content origin in the window: where its children's positions count from.
    PointT<double> origin = m_channel->GetOriginInRootWindow();
    if (m_thumb) {
        const PointT<double> thumb = m_thumb->GetOriginInRootWindow();
        origin = PointT<double>{thumb.x - m_thumb->GetPosition().x, thumb.y - m_thumb->GetPosition().y};
    }
    return PointT<double>{cursor.x - origin.x, cursor.y - origin.y};
}

int32_t LScrollbar::ClassifyChannelPoint(PointT<double> p) const
{
    // Off the channel across its axis: on no part of it.
    const double across = m_vertical ? p.x : p.y;
    const double thickness = m_channel ? (m_vertical ? m_channel->GetSize().x : m_channel->GetSize().y) : 0.0;
    if (!(across >= 0.0 && across < thickness))
        return kPageNone;
    const double at = Along(p);
    const double lead = ThumbCoordinate(), trail = lead + (m_thumb ? m_thumbLength : 0.0);
    if (at >= m_trackStart && at <= lead)
        return kPageTowardsStart;
    if (at >= trail && at <= m_trackEnd)
        return kPageTowardsEnd;
    return kPageNone;
}

KXRESULT LScrollbar::OnChannelPress(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    const LConditionsParam* c = ConditionsOf(n);
    if (!c)
        return S_FALSE;
    const RCPtr<LScrollbar> self(this);
    if (conditions::Rose(*c, Condition::kLeftPressed)) {
        m_pageDirection = ClassifyChannelPoint(PointerInChannel());
        if (m_pageDirection != kPageNone) {
            StepBy(m_pageDirection == kPageTowardsStart ? -m_pageStep : m_pageStep);
            UpdateChannelLook();
            m_pageLastTick = GetAppTime();
            m_pageCountdown = kPageRepeatDelay;
            SubscribeIdle();
        }
    } else if (conditions::Fell(*c, Condition::kCapture) && m_pageDirection != kPageNone) {
        m_pageDirection = kPageNone;
        ResetChannelLook();
        UnsubscribeIdle();
    }
    if (m_pageDirection != kPageNone)
        UpdateChannelLook();
    return S_FALSE;
}

KXRESULT LScrollbar::OnChannelHover(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    const LConditionsParam* c = ConditionsOf(n);
    if (!c)
        return S_FALSE;
    if (conditions::Rose(*c, Condition::kHoverOrHighlighted))
        m_pageLastTick = GetAppTime();
    if (m_pageDirection != kPageNone)
        UpdateChannelLook();
    return S_FALSE;
}

void LScrollbar::OnIdleHook()
{
    if (m_pageDirection == kPageNone)
        return;
    const RCPtr<LScrollbar> self(this);
    const double now = GetAppTime();
    if (ClassifyChannelPoint(PointerInChannel()) != m_pageDirection) {
        // The countdown pauses while the pointer is elsewhere; that time never counts.
        m_pageLastTick = now;
        return;
    }
    m_pageCountdown -= now - m_pageLastTick;
    m_pageLastTick = now;
    if (m_pageCountdown <= 0.0) {
        m_pageCountdown = kPageRepeatInterval;
        StepBy(m_pageDirection == kPageTowardsStart ? -m_pageStep : m_pageStep);
        UpdateChannelLook();
    }
}

void LScrollbar::UpdateChannelLook()
{
    if (!m_channel || m_channel->GetLookCount() < 2)
        return;
    const PointT<double> pointer = PointerInChannel();
    const bool over = (m_channel->GetConditionFlags() & Condition::kHover) != 0;
    if (m_pageDirection == kPageNone || !over || ClassifyChannelPoint(pointer) != m_pageDirection) {
        ResetChannelLook();
        return;
    }
    const PointT<double> size = m_channel->GetSize();
    const int32_t lead = RoundToInt32(ThumbCoordinate());
    const int32_t trail = RoundToInt32(ThumbCoordinate() + m_thumbLength);
    const int32_t length = RoundToInt32(m_vertical ? size.y : size.x);
    const int32_t across = RoundToInt32(m_vertical ? size.x : size.y);
    const int32_t from = m_pageDirection == kPageTowardsStart ? 0 : trail;
    const int32_t to = m_pageDirection == kPageTowardsStart ? lead : length;
    LRegion region;
    if (m_vertical)
        region.AddRect(0, from, across, to);
    else
        region.AddRect(from, 0, to, across);
    m_channel->SetLookRegion(1, region);
    m_channel->SetLookRegionExcept(0, 1);
    m_channel->SetLookOpacity(0, 1.0f, false);
    m_channel->SetLookOpacity(1, 1.0f, false);
}

void LScrollbar::ResetChannelLook()
{
    if (!m_channel || m_channel->GetLookCount() == 0)
        return;
    m_channel->ClearAllLookRegions();
    m_channel->SetLookOpacity(0, 1.0f, true);
}

KXRESULT LScrollbar::OnThumbDrag(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    const LConditionsParam* c = ConditionsOf(n);
    if (!c || !m_thumb)
        return S_FALSE;
    const RCPtr<LScrollbar> self(this);
    if (conditions::Rose(*c, Condition::kLeftDrag)) {
        m_dragging = true;
        const PointT<double> at = c->GetPoint(), thumb = m_thumb->GetPosition();
        m_grabOffset = RoundPointToLong(PointT<double>{at.x - thumb.x, at.y - thumb.y});
        m_deferredValue = -1.0;
    } else if (conditions::Fell(*c, Condition::kLeftDrag) && m_dragging) {
        m_dragging = false;
        const double deferred = m_deferredValue;
        m_deferredValue = -1.0;
        if (m_applyDeferredValue && deferred >= 0.0 && deferred <= 1.0)
            SetNormalizedValue(deferred);
    }
    return S_FALSE;
}

KXRESULT LScrollbar::OnThumbMove(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    if (!m_dragging || !m_thumb || !n)
        return S_FALSE;
    const auto* move = dynamic_cast<const LPointWithModifiersParam*>(n->GetPayload().Get());
    if (!move)
        return S_FALSE;
    const RCPtr<LScrollbar> self(this);
    // The thumb's own coordinates plus its position: channel coordinates.
    const PointT<double> thumb = m_thumb->GetPosition();
    const PointT<double> pointer{move->GetPoint().x + thumb.x, move->GetPoint().y + thumb.y};
    const double grab = m_vertical ? m_grabOffset.y : m_grabOffset.x;
    const double last = std::max(m_trackStart, m_trackEnd - m_thumbLength);
    const double coordinate = std::clamp(Along(pointer) - grab, m_trackStart, last);
    if (coordinate == ThumbCoordinate())
        return S_FALSE;
    MoveThumbTo(coordinate);
    const double travel = m_trackEnd - m_trackStart - m_thumbLength;
    const double value = travel > 0.0 ? std::clamp((coordinate - m_trackStart) / travel, 0.0, 1.0) : 0.0;
    LControl::SetNormalizedValue(value);
    return S_FALSE;
}

} // namespace KX
