// Focus moves through the control tree, enabling, visibility and the condition mask with its
// notifications, the start of a press or drag, and keys offered to sibling controls.
#include "kx/Notification.h"
#include "kx/RenderHost.h"
#include "kx/ui/Control.h"
#include "kx/ui/RootWindow.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace KX {

namespace {

LRootWindow* RootOf(LControl& control)
{
    return dynamic_cast<LRootWindow*>(control.GetTopLevelOwnerSlot().Get());
}

bool IsWithin(const LControl* c, const LControl& control)
{
    for (; c; c = c->GetParent().Get())
        if (c == &control)
            return true;
    return false;
}

// A control disabled or hidden while it, or a control inside it, holds the pointer lets go: the
// press ends without its release. A hidden one also hands the hover to what is under the pointer.
void ReleasePointerWithin(LControl& control, bool hidden)
{
    LRootWindow* window = RootOf(control);
    if (!window)
        return;
    const RCPtr<LRootWindow> hold(window);
    if (const RCPtr<LControl> capture = window->GetCaptureControl(); IsWithin(capture.Get(), control))
        capture->OnCaptureLost();
    if (hidden && IsWithin(window->GetHoverControl().Get(), control)) {
        PointT<int32_t> local;
        window->HitTest(window->GetCursorPos(), local, true);
    }
}

void SendCondition(LControl& control, const char16_t* id, const RCPtr<LConditionsParam>& record)
{
    RCPtr<LNotification> n;
    LNotification::Create(n, id, record);
    if (n)
        control.SendNotification(n);
}

bool Changed(uint32_t previous, uint32_t current, uint32_t bits)
{
    return ((previous ^ current) & bits) != 0;
}

// The whole control, and its overlays that do not clip to it.
void InvalidateWholeAndUnclipped(LControl& control)
{
    const bool clip = control.GetLayout() ? control.GetLayout()->clipToParent : true;
    const RectT<double> whole{0, 0, control.GetSize().x, control.GetSize().y};
    control.Invalidate(whole, clip);
    if (control.GetUnclippedDescendantCount() > 0) {
        RCPtrArray<LControl> unclipped;
        control.CollectUnclippedDescendants(unclipped, true, false);
        for (uint32_t i = 0; i < unclipped.GetCount(); ++i) {
            LControl& c = *unclipped.GetData()[i];
            c.Invalidate(RectT<double>{0, 0, c.GetSize().x, c.GetSize().y}, false);
        }
    } else if (!clip) {
        control.Invalidate(whole, false);
    }
}

} // namespace

uint32_t LControl::GetConditionFlags() const
{
    uint32_t mask = 0;
    auto bit = [&mask](uint8_t on, uint32_t value) {
        if (on)
            mask |= value;
    };
    bit(m_hasFocus, Condition::kHasFocus);
    bit(m_containsFocus, Condition::kContainsFocus);
    bit(m_pointerOver, Condition::kHover);
    bit(m_capture, Condition::kCapture);
    bit(m_leftPressed, Condition::kLeftPressed);
    bit(m_middlePressed, Condition::kMiddlePressed);
    bit(m_rightPressed, Condition::kRightPressed);
    bit(m_leftDrag, Condition::kLeftDrag);
    bit(m_middleDrag, Condition::kMiddleDrag);
    bit(m_rightDrag, Condition::kRightDrag);
    if (m_layout && m_layout->enabled && (!m_parent || m_parent->IsEnabled(true)))
        mask |= Condition::kEnabled;
    if (IsShowing(true))
        mask |= Condition::kShowing;
    if (m_pointerOver || m_highlight)
        mask |= Condition::kHoverOrHighlighted;
    if (m_hasFocus || m_containsFocus) {
        // Outside a root window of ours nothing tells the mouse from the keyboard: cues show.
        const auto* window = RootOf(const_cast<LControl&>(*this));
        if (!window || window->IsKeyboardInUse())
            mask |= Condition::kFocusVisible;
    }
    return mask;
}

void LControl::UpdateConditions()
{
    const uint32_t mask = GetConditionFlags();
    if (mask == m_conditions->GetCurrentMask())
        return;
    RCPtr<LControl> self(this);
    // Handlers may update again: this pass works on its own copy of the record.
    const uint32_t previous = m_conditions->GetCurrentMask();
    m_conditions->Set(previous, mask, m_pressPoint);
    const RCPtr<LConditionsParam> record = LConditionsParam::Create(previous, mask, m_pressPoint);
    const uint32_t hover = Condition::kHover, capture = Condition::kCapture;
    if (m_cursorKind != 0) {
        const RCPtr<IRootWindow>& window = GetTopLevelOwnerSlot();
        const bool hoverGained = (mask & hover) && !(previous & hover);
        const bool hoverLost = !(mask & hover) && (previous & hover);
        const bool captureLost = !(mask & capture) && (previous & capture);
        if (window && hoverGained && !(mask & capture))
            m_savedCursor = window->SetCursor(m_cursorKind);
        else if (window && ((hoverLost && !(mask & capture)) || (captureLost && !(mask & hover))))
            window->SetCursor(m_savedCursor);
    }
    if (m_dragMode != DragMode::kNone && (previous & Condition::kLeftDrag) && !(mask & Condition::kLeftDrag))
        OnDragEnd();
    OnConditionsChanged(record);
    SendCondition(*this, NID_CONDITION_CHANGE, record);
    struct Watched {
        uint32_t bits;
        const char16_t* id;
    };
    static const Watched kWatched[] = {
        {Condition::kHasFocus, NID_HAS_FOCUS_CONDITION_CHANGE},
        {Condition::kContainsFocus, NID_CONTAINS_FOCUS_CONDITION_CHANGE},
        {Condition::kHoverOrHighlighted, NID_HOVER_CONDITION_CHANGE},
        {Condition::kCapture, NID_CAPTURE_CONDITION_CHANGE},
        {Condition::kLeftPressed | Condition::kLeftDrag, NID_LEFT_DRAG_CONDITION_CHANGE},
        {Condition::kMiddlePressed | Condition::kMiddleDrag, NID_MIDDLE_DRAG_CONDITION_CHANGE},
        {Condition::kRightPressed | Condition::kRightDrag, NID_RIGHT_DRAG_CONDITION_CHANGE},
        {Condition::kEnabled, NID_ENABLED_CONDITION_CHANGE},
        {Condition::kShowing, NID_VISIBLITY_CONDITION_CHANGE},
    };
    for (const Watched& w : kWatched)
        if (Changed(previous, mask, w.bits))
            SendCondition(*this, w.id, record);
    if (m_dragMode != DragMode::kNone && !(previous & Condition::kLeftDrag) && (mask & Condition::kLeftDrag))
        OnDragBegin();
    const bool showingLost = Changed(previous, mask, Condition::kShowing) && !(mask & Condition::kShowing);
    const bool leaveHidden = (mask & hover) && showingLost && !(mask & capture);
    const bool captureEnded = (previous & capture) && !(mask & capture) && !(mask & hover);
    if (leaveHidden || captureEnded) {
        if (LRootWindow* window = RootOf(*this)) {
            RCPtr<LRootWindow> hold(window);
            PointT<int32_t> local;
            window->HitTest(window->GetCursorPos(), local, true);
        }
    }
    if (Changed(previous, mask, Condition::kEnabled | Condition::kShowing))
        for (uint32_t i = m_children.GetCount(); i > 0; --i)
            if (i <= m_children.GetCount())
                RCPtr<LControl>(m_children.GetAt(i - 1, kOrderInsertion))->UpdateConditions();
}

KXRESULT LControl::SetFocus(bool forward)
{
    RCPtr<LControl> self(this);
    LRootWindow* window = RootOf(*this);
    if (!m_hasFocus && window) {
        if (RCPtr<LControl> holder = window->GetFocusControl())
            if (!holder->CanLoseFocus())
                return E_FAIL;
    }
    if (m_hasFocus && CanReceiveFocus())
        return S_OK;
    if (HasFocusableDescendant()) {
        if (m_containsFocus) {
            RCPtr<LControl> branch = GetFocusedChild();
            if (!branch)
                return E_FAIL;
            if (branch->CanReceiveFocus() || branch->HasFocusableDescendant())
                return branch->SetFocus(forward);
        }
        RCPtr<LControl> child = forward ? GetFirstFocusableChild() : GetLastFocusableChild();
        if (!child)
            return E_FAIL;
        return child->SetFocus(forward);
    }
    if (CanReceiveFocus()) {
        if (!m_containsFocus) {
            m_hasFocus = 1;
            bool answer = true;
            if (m_parent)
                answer = m_parent->SetContainsFocus(self);
            if (window)
                window->SetFocusControl(self);
            UpdateConditions();
            return answer ? S_OK : S_FALSE;
        }
        m_hasFocus = 1;
        m_containsFocus = 0;
        RCPtr<LControl> branch = GetFocusedChild();
        const bool killed = branch && branch->KillFocus();
        if (window)
            window->SetFocusControl(self);
        UpdateConditions();
        return killed ? S_OK : E_FAIL;
    }
    // This control cannot take the focus: the top-level control tries, unless that is this very
    // control, which would ask itself again without end.
    RCPtr<LControl> top = GetTopLevelControl();
    if (m_hasFocus || !top || top.Get() == this)
        return E_FAIL;
    if (!top->m_hasFocus && !top->m_containsFocus)
        return S_FALSE;
    return top->SetFocus(true);
}

bool LControl::SetContainsFocus(const RCPtr<LControl>& descendant)
{
    RCPtr<LControl> self(this);
    if (!m_containsFocus) {
        m_containsFocus = 1;
        if (m_hasFocus) {
            m_hasFocus = 0;
            UpdateConditions();
        } else {
            if (m_parent)
                m_parent->SetContainsFocus(self);
            UpdateConditions();
        }
        return true;
    }
    for (uint32_t i = m_children.GetCount(); i > 0; --i) {
        RCPtr<LControl> c = m_children.GetAt(i - 1, kOrderInsertion);
        if (c.Get() != descendant.Get() && (c->m_hasFocus || c->m_containsFocus))
            return c->KillFocus();
    }
    return false;
}

bool LControl::KillFocus()
{
    RCPtr<LControl> self(this);
    if (m_hasFocus) {
        m_hasFocus = 0;
        UpdateConditions();
        if (LRootWindow* window = RootOf(*this))
            window->SuspendFocus();
        return true;
    }
    m_containsFocus = 0;
    RCPtr<LControl> branch = GetFocusedChild();
    const bool killed = branch && branch->KillFocus();
    UpdateConditions();
    return killed;
}

void LControl::TakeFocusFromParent()
{
    if ((CanReceiveFocus() || HasFocusableDescendant()) && m_parent && m_parent->m_hasFocus)
        SetFocus(true);
}

void LControl::SetEnabled(bool enabled)
{
    if (!m_layout || m_layout->enabled == enabled)
        return;
    RCPtr<LControl> self(this);
    m_layout->enabled = enabled;
    if (!enabled && (m_hasFocus || m_containsFocus) && m_parent)
        RCPtr<LControl>(m_parent)->SetFocus(true);
    TakeFocusFromParent();
    UpdateConditions();
    InvalidateWholeAndUnclipped(*this);
    if (!enabled)
        ReleasePointerWithin(*this, false);
}

void LControl::SetVisible(bool visible)
{
    // Children made while still hidden: the first frame that shows them has them laid out.
    if (visible && m_subtreeDeferred)
        BuildDeferredSubtree();
    if (!m_layout || m_layout->visible == visible)
        return;
    RCPtr<LControl> self(this);
    if (!visible) {
        InvalidateWholeAndUnclipped(*this);
        m_layout->visible = false;
        if ((m_hasFocus || m_containsFocus) && m_parent)
            RCPtr<LControl>(m_parent)->SetFocus(true);
    } else {
        m_layout->visible = true;
        TakeFocusFromParent();
        InvalidateWholeAndUnclipped(*this);
    }
    UpdateConditions();
    if (!visible)
        ReleasePointerWithin(*this, true);
}

void LControl::SetNotFocusable(bool notFocusable)
{
    const bool signAgrees = m_layout ? ((m_layout->tabStop < 0) == notFocusable) : true;
    if ((m_notFocusable != 0) == notFocusable && signAgrees)
        return;
    RCPtr<LControl> self(this);
    m_notFocusable = notFocusable ? 1 : 0;
    if (m_layout && !signAgrees)
        m_layout->tabStop = m_layout->tabStop == 0 ? -1 : -m_layout->tabStop;
    if (m_parent)
        m_parent->m_children.Touch();
    if ((CanReceiveFocus() || HasFocusableDescendant()) && m_parent && m_parent->m_hasFocus)
        SetFocus(true);
    else if (notFocusable && m_hasFocus && m_parent)
        RCPtr<LControl>(m_parent)->SetFocus(true);
}

KXRESULT LControl::SetInteractionMode(int32_t mode)
{
    if (mode < 0)
        return E_INVALIDARG;
    m_interactionMode = mode;
    return S_OK;
}

void LControl::SetHighlighted(bool on)
{
    if ((m_highlight != 0) == on)
        return;
    m_highlight = on ? 1 : 0;
    UpdateConditions();
}

void LControl::SetCursor(int32_t kind)
{
    if (kind == m_cursorKind)
        return;
    const bool hadKind = m_cursorKind != 0;
    m_cursorKind = kind;
    if (!m_pointerOver)
        return;
    if (const RCPtr<IRootWindow>& window = GetTopLevelOwnerSlot()) {
        const int32_t replaced = window->SetCursor(kind);
        if (!hadKind)
            m_savedCursor = replaced;
    }
}

KXRESULT LControl::BeginDrag(int32_t button, int32_t x, int32_t y)
{
    if (!IsShowing(true) || !m_layout || !m_layout->enabled || (m_parent && !m_parent->IsEnabled(true)))
        return S_FALSE;
    if (m_capture)
        return S_FALSE;
    RCPtr<LControl> self(this);
    LRootWindow* window = RootOf(*this);
    if (button != 0) {
        const uint32_t held = window ? window->GetMouseButtonState() : 0;
        const uint32_t bit = button == 1 ? 1u : button == 2 ? 2u : button == 4 ? 4u : 0u;
        if (bit == 0 || !(held & bit))
            return S_FALSE;
        constexpr double kLimit = 4503599627370496.0; // 2^52
        m_pressPoint = PointT<double>{std::clamp(static_cast<double>(x), -kLimit, kLimit) + m_position.x,
                                      std::clamp(static_cast<double>(y), -kLimit, kLimit) + m_position.y};
        m_lastDragDelta = PointT<double>{};
    }
    for (int32_t axis = 0; axis < 2; ++axis)
        if (m_throwRunning[axis])
            StopAxisAnimation(axis);
    m_capture = 1;
    m_pressTime = m_previousMoveTime = GetTickTime();
    m_throwVelocity[0] = m_throwVelocity[1] = 0.0;
    if (window)
        window->SetCaptureControl(self);
    if (button == 1) {
        m_leftPressed = 1;
        m_dragMode = DragMode::kNone;
    } else if (button == 2) {
        m_middlePressed = 1;
    } else if (button == 4) {
        m_rightPressed = 1;
    }
    UpdateConditions();
    const bool thrown = button == 1 && (m_throwRunning[0] || m_throwRunning[1]);
    if (button != 0 && (m_dragThreshold == 0 || thrown)) {
        uint8_t& pressed = button == 1 ? m_leftPressed : button == 2 ? m_middlePressed : m_rightPressed;
        uint8_t& drag = button == 1 ? m_leftDrag : button == 2 ? m_middleDrag : m_rightDrag;
        pressed = 0;
        drag = 1;
        UpdateConditions();
        if (button == 1 && m_dragMode != DragMode::kNone)
            OnDragMove(LPointWithModifiersParam::Create(PointT<int32_t>{x, y}, 0));
    }
    return S_OK;
}

KXRESULT LControl::HandleSiblingKey(const RCPtr<LKeyParam>& param)
{
    if (!param)
        return S_FALSE;
    const NotificationId id = GetNotificationID(NID_SIBLING_KEY);
    RCPtr<LNotificationClientPool> pool = id ? FindClientPool(id) : RCPtr<LNotificationClientPool>();
    if (!pool || pool->GetRegistrationCount() == 0)
        return S_FALSE;
    RCPtr<LControl> self(this);
    Array<uint32_t> order;
    OrderSiblingKeyClients(param, *pool, order);
    RCPtrArray<LControl>& route = param->GetRoute();
    const RCPtr<LControl> sender = route.GetCount() > 0 ? route.GetData()[route.GetCount() - 1] : RCPtr<LControl>();
    const RCPtr<LSiblingKeyParam> record = LSiblingKeyParam::Create(param->GetKey(), sender);
    RCPtr<LNotification> n;
    LNotification::Create(n, NID_SIBLING_KEY, record);
    if (!n)
        return S_FALSE;
    for (uint32_t k = order.GetCount(); k > 0; --k) {
        const uint32_t index = order.GetData()[k - 1];
        if (index >= pool->GetRegistrationCount())
            continue;
        const LNotificationReceiver* receiver = pool->GetRegistration(index)->GetReceiver().Get();
        if (sender && receiver == static_cast<const LNotificationReceiver*>(sender.Get()))
            continue;
        DeliverToClient(pool, RCPtr<LNotificationDistributor>(this), static_cast<int32_t>(index), n);
        if (record->GetResult() == 0)
            return S_OK;
    }
    return S_FALSE;
}

void LControl::OrderSiblingKeyClients(const RCPtr<LKeyParam>& key,
                                      const LNotificationDistributor::LNotificationClientPool& clients,
                                      Array<uint32_t>& out)
{
    out.RemoveAll();
    struct Entry {
        uint32_t index;
        int64_t rank;
        bool focusable;
    };
    std::vector<Entry> entries;
    int64_t counter = INT32_MIN;
    auto& pool = const_cast<LNotificationDistributor::LNotificationClientPool&>(clients);
    for (uint32_t i = 0; i < pool.GetRegistrationCount(); ++i) {
        LNotificationReceiver* receiver = pool.GetRegistration(i)->GetReceiver().Get();
        LControl* control = dynamic_cast<LControl*>(receiver);
        const int32_t position = control ? m_children.IndexOf(control, kOrderTab) : -1;
        if (control && position >= 0)
            entries.push_back(Entry{i, position, !control->m_notFocusable});
        else
            entries.push_back(Entry{i, counter++, control && !control->m_notFocusable});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.rank < b.rank; });
    size_t firstFocusable = 0;
    while (firstFocusable < entries.size() && !entries[firstFocusable].focusable)
        out.AddItem(entries[firstFocusable++].index);
    const RCPtrArray<LControl>* route = key ? &key->GetRoute() : nullptr;
    const LControl* sender = route && route->GetCount() > 0
                                 ? const_cast<RCPtrArray<LControl>*>(route)->GetData()[route->GetCount() - 1].Get()
                                 : nullptr;
    const int64_t p = sender ? m_children.IndexOf(sender, kOrderTab) : -1;
    size_t after = firstFocusable;
    while (after < entries.size() && entries[after].rank <= p)
        ++after;
    for (size_t i = after; i < entries.size(); ++i)
        out.AddItem(entries[i].index);
    for (size_t i = firstFocusable; i < after; ++i)
        out.AddItem(entries[i].index);
}

} // namespace KX
