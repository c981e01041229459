// Repainting outside the parent, the clipped-label test and the routing of wheel steps.
#include "kx/ui/Control.h"
#include "kx/ui/LookDescriptor.h"
#include "kx/ui/MouseWheelParam.h"

#include <algorithm>
#include <unordered_set>
#include <utility>
#include <vector>

namespace KX {

void LControl::InvalidateUnclipped()
{
    if (m_unclippedCount < 1) {
        if (m_layout && !m_layout->clipToParent)
            Invalidate(RectT<double>{0, 0, m_size.x, m_size.y}, false);
        return;
    }
    RCPtrArray<LControl> unclipped;
    CollectUnclippedDescendants(unclipped, false, false);
    for (uint32_t i = unclipped.GetCount(); i-- > 0;) {
        const RCPtr<LControl> c = unclipped.GetData()[i];
        if (c)
            c->Invalidate(RectT<double>{0, 0, c->m_size.x, c->m_size.y}, c->m_layout && c->m_layout->clipToParent);
    }
}

bool LControl::IsTextClipped()
{
    const RCPtr<IControlLook>& look = GetLookAt(-1);
    if (!look)
        return false;
    ILookLabel* label = look->GetLabel();
    if (!label)
        return !m_labelText.IsEmpty();
    const float w = std::clamp(static_cast<float>(m_size.x), -8388608.0f, 8388608.0f);
    float available = 0.0f;
    const LLookDescriptor& descriptor = label->GetDescriptor();
    if (descriptor.HasTextProperties()) {
        const LookTextProperties& t = descriptor.GetTextProperties();
        available = (t.rightRel * w + static_cast<float>(t.rightAbs)) - (t.leftRel * w + static_cast<float>(t.leftAbs));
    }
    return static_cast<float>(label->GetTextWidth()) > available;
}

KXRESULT LControl::RouteMouseWheel(const RCPtr<LMouseWheelParam>& param)
{
    if (!param)
        return static_cast<KXRESULT>(-1);
    const bool horizontal = param->GetDirection() >= 2;
    // This route's own marks: none is asked twice, and a route that a control starts while it is
    // asked keeps marks of its own.
    std::unordered_set<const LControl*> asked;
    // The controls under the point from the top down, gathered once: when the step first goes to
    // the control beneath an unclipped one.
    std::vector<std::pair<int32_t, RCPtr<LControl>>> beneath;
    RCPtr<LControl> top;
    bool gathered = false;
    size_t next = 0;
    // Stacked overlays that all hand the step on: it goes on this often at most.
    constexpr uint32_t kMaxSteps = 256;
    RCPtr<LControl> c(this);
    for (uint32_t step = 0; c && step < kMaxSteps; ++step) {
        if (asked.insert(c.Get()).second) {
            const KXRESULT answer = horizontal ? c->HandleHorizontalWheel(param) : c->HandleVerticalWheel(param);
            if (answer != S_FALSE)
                return answer;
        }
        const bool unclipped = !c->m_layout || !c->m_layout->clipToParent;
        const bool parentUnclipped = c->m_parent && (!c->m_parent->m_layout || !c->m_parent->m_layout->clipToParent);
        if (!unclipped && !parentUnclipped) {
            c = c->m_parent;
            continue;
        }
        if (!gathered) {
            gathered = true;
            top = GetTopLevelControl();
            if (!top || !top->GetTopLevelOwnerSlot())
                break;
            const PointT<int32_t> origin = RoundPointToLong(top->GetPosition());
            const PointT<int32_t> at = param->GetPoint();
            top->CollectHits(beneath, PointT<int32_t>{at.x - origin.x, at.y - origin.y}, true);
            std::stable_sort(beneath.begin(), beneath.end(),
                             [](const auto& a, const auto& b) { return a.first > b.first; });
        }
        // A control that an answer took out of the tree meanwhile is passed over.
        c = nullptr;
        while (next < beneath.size() && !c)
            if (const RCPtr<LControl>& k = beneath[next++].second;
                !asked.count(k.Get()) && k->GetTopLevelControl() == top)
                c = k;
    }
    return S_FALSE;
}

KXRESULT LControl::ReapplyFontSpec()
{
    if (!m_fontInheritsFromParent || !(m_faceInherited || m_sizeRelative || m_styleInherited) || !m_font)
        return S_OK;
    // What was inherited is taken anew from the parent; the rest stays as the current font has it.
    // A relative size keeps its scale.
    const ConstRCPtr<LFont> current = m_font;
    const WString face = m_faceInherited ? WString() : current->GetFaceName();
    const float size = m_sizeRelative ? m_sizeScale : current->GetSize();
    const int32_t style = m_styleInherited ? -1 : current->GetStyle();
    ApplyFontSpec(face, size, style, m_sizeRelative != 0);
    return S_OK;
}

KXRESULT LControl::OnMouseWheel(const RCPtr<LMouseWheelParam>& param)
{
    return RouteMouseWheel(param);
}

KXRESULT LControl::OnMouseHWheel(const RCPtr<LMouseWheelParam>& param)
{
    return RouteMouseWheel(param);
}

} // namespace KX
