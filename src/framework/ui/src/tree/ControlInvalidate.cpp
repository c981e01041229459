// Repainting outside the parent, the clipped-label test and the routing of wheel steps.
#include "kx/ui/Control.h"
#include "kx/ui/LookDescriptor.h"
#include "kx/ui/MouseWheelParam.h"

#include <algorithm>

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
    // Every control asked carries this route's number: none is asked twice, and the hit test for
    // the control beneath skips them all (their children stay hittable, so marking only some would
    // hand the step back and forth). A route of its own keeps a nested one from mixing the marks.
    static uint64_t lastRoute = 0;
    const uint64_t route = ++lastRoute;
    // Stacked overlays each cost a hit test over their siblings: a step is handed on this often at most.
    constexpr uint32_t kMaxSteps = 256;
    RCPtr<LControl> c(this);
    for (uint32_t step = 0; c && step < kMaxSteps; ++step) {
        if (c->m_wheelRoute != route) {
            c->m_wheelRoute = route;
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
        // Look for the control beneath.
        RCPtr<LControl> top = GetTopLevelControl();
        RCPtr<IRootWindow> window = top ? top->GetTopLevelOwnerSlot() : RCPtr<IRootWindow>();
        if (!window)
            break;
        RCPtr<LControl> beneath;
        {
            struct Skipping {
                uint64_t outer = s_wheelRouteSkipped;
                ~Skipping() { s_wheelRouteSkipped = outer; }
            } skipping;
            s_wheelRouteSkipped = route;
            beneath = window->HitTest(param->GetPoint(), true, false);
        }
        if (beneath && beneath->m_wheelRoute == route)
            break;
        c = beneath;
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
