#include "kx/ui/Control.h"

#include "PlacementMemo.h"
#include "kx/NotificationCenter.h"
#include "kx/ui/ControlDescriptor.h"
#include "kx/ui/ControlHost.h"
#include "kx/ui/RootWindow.h"

namespace KX {

namespace {
// The shared null control and null look handed out by look-ups that find nothing.
const RCPtr<LControl>& NullControl()
{
    static const RCPtr<LControl> null;
    return null;
}
} // namespace

LControl::LControl(const RCPtr<LControl>& parent, const WString& name) : m_name(name)
{
    m_conditions = LConditionsParam::Create(0, 0, PointT<double>{});
    if (parent) {
        // Hold ourselves while the parent's list takes its reference, so that a caller that
        // drops the new control does not delete it half-built.
        AddRef();
        parent->m_children.Add(RCPtr<LControl>(this));
        LRefCountedObject::Release();
    }
    if (IControlHost* host = GetControlHost())
        host->ResolveStringTable(*this);
}

// Members go in reverse declaration order; children are not told.
LControl::~LControl() = default;

KXRESULT LControl::ReleaseInternalReferences()
{
    UnregisterAllClients();
    if (m_menuItemUpdater) {
        RCPtr<LMenuItemUpdater> updater = std::move(m_menuItemUpdater);
        AddToRefCount(-1);
        updater->ClearControl();
    }
    m_children.RemoveAll();
    LNotificationClient::ReleaseInternalReferences();
    return (GetInternalRefCount() == 0 && GetRefCount() == 1) ? S_OK : E_FAIL;
}

KXRESULT LControl::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!m_built)
        return S_FALSE;
    if (m_handler && m_handler->Receive(from, n))
        return S_OK;
    return LNotificationClient::Receive(from, n);
}

void LControl::AddToUnclippedCounts(int32_t amount)
{
    for (LControl* c = this; c; c = c->m_parent.Get())
        c->m_unclippedCount += amount;
}

KXRESULT LControl::SetParent(const RCPtr<LControl>& parent)
{
    if (parent.Get() == m_parent.Get())
        return S_FALSE;
    RCPtr<LControl> self(this);
    if (!m_parent) {
        m_ownerWindow = nullptr;
    } else {
        Invalidate(RectT<double>{0, 0, m_size.x, m_size.y}, m_layout ? m_layout->clipToParent : true);
        RCPtr<LControl> old = m_parent;
        const bool focused = !parent && (m_hasFocus || m_containsFocus);
        if (focused)
            ReleaseFocusBeforeLeaving();
        if (m_parent.Get() != old.Get())
            return S_OK; // a focus handler moved this control meanwhile
        old->m_children.Remove(this);
        // As when the holder is hidden, the focus goes to the nearest ancestor still in the tree:
        // a window without a focus owner would drop every key.
        const auto* window = dynamic_cast<LRootWindow*>(old->GetTopLevelOwnerSlot().Get());
        if (focused && window && !window->GetFocusControl() && window->HoldsControl(*old))
            old->SetFocus(true);
    }
    if (parent)
        parent->m_children.Add(self);
    return S_OK;
}

void LControl::ReleaseFocusBeforeLeaving()
{
    // The focus stays with the tree: this branch loses it, and the ancestors that held it only
    // through this branch no longer contain it.
    const RCPtr<LControl> self(this);
    KillFocus();
    for (RCPtr<LControl> a = m_parent; a && a->m_containsFocus && !a->m_hasFocus; a = a->m_parent) {
        const RCPtr<LControl> branch = a->GetFocusedChild();
        if (branch && branch.Get() != this)
            break;
        a->m_containsFocus = 0;
        a->UpdateConditions();
    }
}

int32_t LControl::GetChildIndex(const RCPtr<LControl>& child, uint32_t order)
{
    return m_children.IndexOf(child.Get(), order);
}

LControl* LControl::FindChildInList(const WString& name) const
{
    // The first unit rules most names out without a call.
    const char16_t first = name.GetString()[0];
    for (uint32_t i = m_children.GetCount(); i > 0; --i) {
        LControl* c = m_children.InsertionAt(i - 1);
        if (c->m_name.GetString()[0] == first && c->m_name == name)
            return c;
    }
    return nullptr;
}

RCPtr<LControl> LControl::FindChild(const WString& name)
{
    if (m_subtreeDeferred)
        BuildDeferredSubtree();
    if (LControl* found = FindChildInList(name))
        return RCPtr<LControl>(found);
    return NullControl();
}

namespace {

bool DescriptorTreeNames(const LControlDescriptor& descriptor, const WString& name)
{
    const RCPtrArray<LControlDescriptor>& children = descriptor.GetChildren();
    for (uint32_t i = 0; i < children.GetCount(); ++i) {
        const LControlDescriptor* child = children.GetData()[i].Get();
        if (child && (child->GetName() == name || DescriptorTreeNames(*child, name)))
            return true;
    }
    return false;
}

} // namespace

uint32_t LControl::FindDescendantsByName(const WString& name, RCPtrArray<LControl>& out)
{
    // A deferred subtree is made only when its skin names such a control.
    if (m_subtreeDeferred && m_descriptor.Get() && DescriptorTreeNames(*m_descriptor.Get(), name))
        BuildDeferredSubtree();
    const uint32_t before = out.GetCount();
    for (uint32_t i = m_children.GetCount(); i > 0; --i) {
        RCPtr<LControl> c = m_children.GetAt(i - 1, kOrderInsertion);
        if (c->m_name == name)
            out.AddItem(c);
        RCPtrArray<LControl> below;
        const uint32_t n = c->FindDescendantsByName(name, below);
        for (uint32_t k = n; k > 0; --k)
            out.AddItem(below.GetData()[k - 1]);
    }
    return out.GetCount() - before;
}

RCPtr<LControl> LControl::GetTopLevelControl()
{
    LControl* c = this;
    while (c->m_parent)
        c = c->m_parent.Get();
    return RCPtr<LControl>(c);
}

const RCPtr<IRootWindow>& LControl::GetTopLevelOwnerSlot()
{
    LControl* c = this;
    while (c->m_parent)
        c = c->m_parent.Get();
    return c->m_ownerWindow;
}

int32_t LControl::GetEffectiveZOrder() const
{
    int32_t depth = INT32_MIN;
    for (const LControl* c = this; c; c = c->m_parent.Get()) {
        const int32_t d = (!c->m_layout || c->m_layout->clipToParent) ? kClippedZOrder : c->m_layout->zOrder;
        if (d > depth)
            depth = d;
    }
    return depth;
}

uint32_t LControl::CollectUnclippedDescendants(RCPtrArray<LControl>& out, bool skipHidden, bool includeSelf)
{
    const bool clip = !m_layout || m_layout->clipToParent;
    const bool hidden = !m_layout || !m_layout->visible || !(m_size.x > 0.0) || !(m_size.y > 0.0);
    uint32_t added = 0;
    if (!clip && !(skipHidden && hidden) && includeSelf) {
        out.AddItem(RCPtr<LControl>(this));
        ++added;
    }
    // A hidden control stops the walk below it, except where the walk starts: a control of zero
    // size still hands its overlays to the unclipped pass.
    if (skipHidden && hidden && includeSelf)
        return added;
    for (uint32_t i = 0; i < m_children.GetCount(); ++i)
        added += m_children.GetAt(i, kOrderDrawing)->CollectUnclippedDescendants(out, skipHidden, true);
    return added;
}

bool LControl::SetClipToParent(bool clip)
{
    if (!m_layout || m_layout->clipToParent == clip)
        return m_layout ? m_layout->clipToParent : true;
    const RectT<double> whole{0, 0, m_size.x, m_size.y};
    if (clip)
        Invalidate(whole, false);
    m_layout->clipToParent = clip;
    if (m_parent) {
        m_parent->m_children.Touch();
        m_parent->AddToUnclippedCounts(clip ? -1 : 1);
        if (clip)
            return clip;
    }
    if (!clip)
        Invalidate(whole, true);
    return m_layout->clipToParent;
}

bool LControl::IsShowing(bool withAncestors) const
{
    for (const LControl* c = this; c; c = c->m_parent.Get()) {
        if (!c->m_layout || !c->m_layout->visible || !(c->m_size.x > 0.0) || !(c->m_size.y > 0.0))
            return false;
        if (!withAncestors)
            break;
    }
    return true;
}

bool LControl::IsEnabled(bool withAncestors) const
{
    for (const LControl* c = this; c; c = c->m_parent.Get()) {
        if (!c->m_layout || !c->m_layout->enabled)
            return false;
        if (!withAncestors)
            break;
    }
    return true;
}

bool LControl::IsNotFocusable(bool withAncestors) const
{
    for (const LControl* c = this; c; c = c->m_parent.Get()) {
        if (c->m_notFocusable)
            return true;
        if (!withAncestors || c->m_focusPassesToParent)
            break;
    }
    return false;
}

bool LControl::CanReceiveFocus()
{
    if (!IsShowing(true) || !m_layout || !m_layout->enabled)
        return false;
    if (m_parent && !m_parent->IsEnabled(true))
        return false;
    if (HasFocusableDescendant() || m_notFocusable)
        return false;
    if (m_parent && !m_focusPassesToParent && m_parent->IsNotFocusable(true))
        return false;
    return true;
}

bool LControl::HasFocusableDescendant()
{
    if (!IsShowing(true) || !IsEnabled(false) || (m_parent && !m_parent->IsEnabled(true)) || m_notFocusable)
        return false;
    for (uint32_t i = m_children.GetCount(); i > 0; --i) {
        RCPtr<LControl> c = m_children.GetAt(i - 1, kOrderInsertion);
        if (c->CanReceiveFocus() || c->HasFocusableDescendant())
            return true;
    }
    return false;
}

bool LControl::PassesFocusWalkTest(LControl& child) const
{
    return child.IsShowing(true) && child.IsEnabled(false) && IsEnabled(true);
}

RCPtr<LControl> LControl::GetNextFocusableChild(const RCPtr<LControl>& child, bool backward)
{
    if (!child || child->m_parent.Get() != this)
        return NullControl();
    const int32_t count = static_cast<int32_t>(m_children.GetCount());
    const int32_t p = m_children.IndexOf(child.Get(), kOrderTab);
    if (p < 0)
        return NullControl();
    auto step = [&](int32_t i) { return backward ? (i - 1 + count) % count : (i + 1) % count; };
    for (int32_t i = step(p);; i = step(i)) {
        RCPtr<LControl> c = m_children.GetAt(static_cast<uint32_t>(i), kOrderTab);
        if (PassesFocusWalkTest(*c))
            return c;
        if (i == p)
            return NullControl();
    }
}

RCPtr<LControl> LControl::FocusableChildFrom(bool last)
{
    const uint32_t count = m_children.GetCount();
    if (count == 0)
        return NullControl();
    const RCPtr<LControl> start = m_children.GetAt(last ? count - 1 : 0, kOrderTab);
    RCPtr<LControl> c = start;
    // The walk skips children that are not showing, so it may never come back to start: it
    // ends after one step per child.
    for (uint32_t steps = 0; c && steps <= count; ++steps) {
        if (c->CanReceiveFocus() || c->HasFocusableDescendant())
            return c;
        c = GetNextFocusableChild(c, last);
        if (c.Get() == start.Get())
            break;
    }
    return NullControl();
}

RCPtr<LControl> LControl::GetFirstFocusableChild()
{
    return FocusableChildFrom(false);
}
RCPtr<LControl> LControl::GetLastFocusableChild()
{
    return FocusableChildFrom(true);
}

RCPtr<LControl> LControl::GetFocusedChild()
{
    for (uint32_t i = m_children.GetCount(); i > 0; --i) {
        const RCPtr<LControl>& c = m_children.GetAt(i - 1, kOrderInsertion);
        if (c->m_hasFocus || c->m_containsFocus)
            return c;
    }
    return NullControl();
}

RCPtr<LControl> LControl::GetEditTarget()
{
    if (IsEditTarget())
        return RCPtr<LControl>(this);
    if (m_parent)
        return m_parent->GetEditTarget();
    return NullControl();
}

KXRESULT LControl::PerformEdit(int32_t)
{
    KX_THROW(std::logic_error, "LControl::PerformEdit must be overridden", "KX::LControl::PerformEdit",
             "kxframework\\include\\../ControlBase/Control", 580);
}

RCPtr<LControl> LControl::FindAcceptingControl(const RCPtr<LControl>& control, PointT<double> rootPoint)
{
    RCPtr<LControl> candidate(this);
    RCPtrArray<LControl> visited;
    while (candidate && !candidate->AcceptsControl(control)) {
        if (candidate->m_layout && !candidate->m_layout->clipToParent) {
            visited.AddItem(candidate);
            const RCPtr<IRootWindow>& window = GetTopLevelOwnerSlot();
            if (!window)
                return NullControl();
            auto mark = [&](bool on) {
                if (control)
                    control->SetHitTransparent(on);
                for (uint32_t i = 0; i < visited.GetCount(); ++i)
                    visited.GetData()[i]->SetHitTransparent(on);
            };
            mark(true);
            RCPtr<LControl> found = window->HitTest(RoundPointToLong(rootPoint), true, false);
            mark(false);
            candidate = found;
        } else {
            candidate = RCPtr<LControl>(candidate->m_parent);
        }
    }
    return candidate;
}

const RCPtr<LStringTable>& LControl::GetStringTable() const
{
    return m_stringTable.Get();
}

const RCPtr<LMenuDescriptor>& LControl::GetContextMenuRef()
{
    return m_contextMenu.Get();
}

KXRESULT LControl::GetMenuItemState(const RCPtr<LMenuDescriptor>&, uint32_t, const WString&, LMenuItemState&)
{
    return S_FALSE;
}

void LControl::LookupString(const WString& key, WString& out) const
{
    out = WString();
    if (!m_stringTable)
        return;
    if (IControlHost* host = GetControlHost())
        out = host->LookupString(*this, key);
}

RCPtr<LMenuItemUpdater> LControl::GetMenuItemUpdater()
{
    if (!m_menuItemUpdater) {
        m_menuItemUpdater = RCPtr<LMenuItemUpdater>(new LMenuItemUpdater(RCPtr<LControl>(this)));
        // The updater's reference back to us is internal.
        AddToRefCount(1);
    }
    return m_menuItemUpdater;
}

int32_t LControl::ApplyCursor()
{
    const RCPtr<IRootWindow>& window = GetTopLevelOwnerSlot();
    return window ? window->SetCursor(m_cursorKind) : 0;
}

void LControl::RegisterNotificationHandlers()
{
    if (m_idleCount > 0) {
        const RCPtr<IRootWindow>& window = GetTopLevelOwnerSlot();
        RCPtr<LNotificationDistributor> source = window ? window->GetIdleSource() : nullptr;
        if (!m_handler || !source || Failed(m_handler->AddDistributorHandler(&LControl::OnIdle, source, NID_IDLE, 0)))
            m_idleCount = 0;
    }
    for (uint32_t i = m_children.GetCount(); i > 0; --i)
        RCPtr<LControl>(m_children.GetAt(i - 1, kOrderInsertion))->RegisterNotificationHandlers();
}

KXRESULT LControl::CreateChildren(const ConstRCPtr<LControlDescriptor>& descriptor)
{
    m_children.RemoveAll();
    IControlHost* host = GetControlHost();
    if (descriptor && host)
        host->CreateChildControls(*this, descriptor.Get());
    PerformLayout();
    return S_OK;
}

bool operator==(const LFont& a, const LFont& b) noexcept
{
    return a.GetFaceName() == b.GetFaceName() && a.GetSize() == b.GetSize() && a.GetStyle() == b.GetStyle();
}

} // namespace KX
