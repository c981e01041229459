// The scroll view's bars: the client area they leave, which of them the content needs, and their
// ranges, thumbs and steps.
#include "kx/controls/ScrollView.h"

#include "kx/ui/ControlGeometry.h"

#include <algorithm>
#include <cmath>

namespace KX {

namespace {
bool BarShown(const RCPtr<LScrollbar>& bar)
{
    return bar && bar->GetLayout() && bar->GetLayout()->visible && bar->GetSize().x > 0.0 && bar->GetSize().y > 0.0;
}

bool SameRect(const RectT<double>& a, const RectT<double>& b)
{
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}
} // namespace

bool LScrollView::IsHorizontalBarShown() const
{
    return BarShown(m_hBar);
}

bool LScrollView::IsVerticalBarShown() const
{
    return BarShown(m_vBar);
}

RectT<double> LScrollView::GetClientRect()
{
    RectT<double> r = LControl::GetClientRect();
    if (IsVerticalBarShown())
        r.width -= m_barThickness.x;
    if (IsHorizontalBarShown())
        r.height -= m_barThickness.y;
    return r;
}

void LScrollView::ShowBar(int32_t axis, bool show)
{
    const RCPtr<LScrollbar>& bar = axis == kAxisVertical ? m_vBar : m_hBar;
    if (!bar)
        return;
    const RCPtr<LControl> target = m_corner ? m_corner : RCPtr<LControl>(bar);
    if (!target->GetLayout())
        return;
    // The vertical bar's thickness is a width, the horizontal bar's a height.
    const int32_t across = axis == kAxisVertical ? 0 : 1;
    const double size = show ? RoundHalfAwayFromZero(GetAxisValue(m_barThickness, across)) : 0.0;
    AxisPlacement p;
    SizeSpec s;
    target->GetLayout()->GetAxisPlacement(across, p, s);
    if (s.kind == kSizeToSelf && s.relative == 0.0f && s.absolute == size)
        return;
    target->SetAxisPlacement(across, p, SizeSpec{kSizeToSelf, WString(), 0.0f, size});
}

void LScrollView::UpdateScrollBarVisibility()
{
    if (m_updatingBars || m_rebuilding)
        return;
    const RCPtr<LScrollView> self(this);
    m_updatingBars = true;
    const bool wasH = IsHorizontalBarShown(), wasV = IsVerticalBarShown();
    const RectT<double> before = GetClientRect();
    RectT<double> space = before;
    if (wasV)
        space.width += m_barThickness.x;
    if (wasH)
        space.height += m_barThickness.y;
    RecomputeAutoExtent();

    bool needV = m_vBar && m_extent.y > space.height;
    bool needH = m_hBar && m_extent.x > space.width - (needV ? m_barThickness.x : 0.0);
    if (needH && !needV)
        needV = m_vBar && m_extent.y > space.height - m_barThickness.y;
    ShowBar(kAxisHorizontal, needH);
    ShowBar(kAxisVertical, needV);
    UpdateBarRanges();

    if (IsHorizontalBarShown() != wasH)
        OnScrollBarShown(kAxisHorizontal);
    if (IsVerticalBarShown() != wasV)
        OnScrollBarShown(kAxisVertical);
    if (!SameRect(before, GetClientRect())) {
        OnClientRectChanged();
        RecomputeAutoExtent();
    }
    m_updatingBars = false;
}

void LScrollView::UpdateBarRanges()
{
    const RectT<double> client = GetClientRect();
    for (int32_t axis = 0; axis < 2; ++axis) {
        const RCPtr<LScrollbar> bar = axis == kAxisVertical ? m_vBar : m_hBar;
        if (!bar || !bar->GetParent())
            continue;
        if (axis == kAxisVertical && IsLineMode()) {
            const double line = m_lineSize[1];
            const double total = std::trunc(m_extent.y / line);
            const double visible = std::trunc(client.height / line);
            const double lineStep = visible < total ? 1.0 / (total - visible) : 1.0;
            bar->SetLineStep(lineStep);
            bar->SetPageStep(std::min(1.0, visible * lineStep));
            bar->SetThumbProportion(visible < total ? visible / total : 1.0, true);
            bar->SetValueRange(0.0, std::max(0.0, total - visible), 0);
            continue;
        }
        const double extent = GetAxisValue(m_extent, axis);
        const double visible = axis == kAxisVertical ? client.height : client.width;
        float proportion = 1.0f, page = 1.0f;
        if (visible < extent) {
            proportion = static_cast<float>(visible / extent);
            page = std::clamp(static_cast<float>(visible / (extent - visible)), 0.0f, 1.0f);
        }
        bar->SetValueRange(0.0, std::max(0.0, extent - visible), 0);
        bar->SetThumbProportion(std::clamp(static_cast<double>(proportion), 0.0, 1.0), true);
        bar->SetPageStep(page);
        bar->SetLineStep(page / 10.0);
        const double along = std::max(0.0, RoundHalfAwayFromZero((extent - visible) * bar->GetNormalizedValue()));
        PointT<double> offset = GetScrollOffset();
        if (along != GetAxisValue(offset, axis)) {
            GetAxisRef(offset, axis) = along;
            SetScrollOffset(offset);
        }
    }
}

} // namespace KX
