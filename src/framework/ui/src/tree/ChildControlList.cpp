#include "kx/ui/ChildControlList.h"

#include "PlacementMemo.h"
#include "kx/ArrayUtils.h"
#include "kx/Exception.h"
#include "kx/ui/Control.h"

namespace KX {

namespace {
constexpr const char* kGetAt = "KX::LControl::ChildControlList::GetAt";
constexpr const char* kControlPath = "ControlBase\\Control";

int32_t DockedAxes(const LControl& c)
{
    const LLayoutDescriptor* l = c.GetLayout().Get();
    return l ? (l->IsXDocked() ? 1 : 0) + (l->IsYDocked() ? 1 : 0) : 0;
}
bool ClipsToParent(const LControl& c)
{
    const LLayoutDescriptor* l = c.GetLayout().Get();
    return !l || l->clipToParent;
}
int32_t ZOrderOf(const LControl& c)
{
    const LLayoutDescriptor* l = c.GetLayout().Get();
    return l ? l->zOrder : 0;
}
int32_t TabStopOf(const LControl& c)
{
    const LLayoutDescriptor* l = c.GetLayout().Get();
    return l ? l->tabStop : 0;
}
} // namespace

LChildControlList::LChildControlList(LControl* owner) noexcept : m_owner(owner) {}

LChildControlList::~LChildControlList() = default;

void LChildControlList::SortIfStale() const
{
    if (m_sortedStamp == m_changeStamp)
        return;
    const uint32_t count = m_children.GetCount();
    auto& children = const_cast<RCPtrArray<LControl>&>(m_children);
    RCPtr<LControl>* items = children.GetData();
    ArrayUtils::SortIndecies(m_drawOrder, static_cast<const IArray<RCPtr<LControl>>&>(m_children), 0, count,
                             [items](const unsigned& a, const unsigned& b) {
                                 const LControl& ca = *items[a];
                                 const LControl& cb = *items[b];
                                 const bool clipA = ClipsToParent(ca), clipB = ClipsToParent(cb);
                                 if (clipA != clipB)
                                     return clipA;
                                 const int32_t da = DockedAxes(ca), db = DockedAxes(cb);
                                 if (da != db)
                                     return da < db;
                                 const int32_t za = ZOrderOf(ca), zb = ZOrderOf(cb);
                                 if (za != zb)
                                     return za < zb;
                                 return a < b;
                             });
    ArrayUtils::SortIndecies(m_tabOrder, static_cast<const IArray<RCPtr<LControl>>&>(m_children), 0, count,
                             [items](const unsigned& a, const unsigned& b) {
                                 const int32_t ta = TabStopOf(*items[a]), tb = TabStopOf(*items[b]);
                                 if (ta != tb)
                                     return ta < tb;
                                 return a < b;
                             });
    m_sortedStamp = m_changeStamp;
}

KXRESULT LChildControlList::Resort()
{
    m_sortedStamp = m_changeStamp - 1;
    SortIfStale();
    return S_OK;
}

const RCPtr<LControl>& LChildControlList::GetAtInOrder(uint32_t index, uint32_t order)
{
    if (order > kOrderTab)
        KX_THROW(std::runtime_error, "", kGetAt, kControlPath, 3296);
    if (index >= m_children.GetCount())
        KX_THROW(std::runtime_error, "", kGetAt, kControlPath, 3276);
    if (order == kOrderInsertion)
        return m_children.GetData()[index];
    SortIfStale();
    const unsigned slot = (order == kOrderDrawing ? m_drawOrder : m_tabOrder).GetData()[index];
    return m_children.GetData()[slot];
}

const RCPtr<LControl>& LChildControlList::GetAtInOrder(uint32_t index, uint32_t order) const
{
    if (order > kOrderTab)
        KX_THROW(std::runtime_error, "", kGetAt, kControlPath, 3324);
    if (index >= m_children.GetCount())
        KX_THROW(std::runtime_error, "", kGetAt, kControlPath, 3304);
    auto& children = const_cast<RCPtrArray<LControl>&>(m_children);
    if (order == kOrderInsertion)
        return children.GetData()[index];
    SortIfStale();
    const unsigned slot = (order == kOrderDrawing ? m_drawOrder : m_tabOrder).GetData()[index];
    return children.GetData()[slot];
}

int32_t LChildControlList::IndexOf(const LControl* child, uint32_t order)
{
    const uint32_t count = m_children.GetCount();
    if (order == kOrderInsertion) {
        for (uint32_t i = count; i > 0; --i)
            if (InsertionAt(i - 1) == child)
                return static_cast<int32_t>(i - 1);
        return -1;
    }
    for (uint32_t i = count; i > 0; --i) {
        if (GetAt(i - 1, order).Get() == child)
            return static_cast<int32_t>(i - 1);
    }
    return -1;
}

void LChildControlList::Add(const RCPtr<LControl>& child)
{
    const int32_t share = child->m_unclippedCount + (ClipsToParent(*child) ? 0 : 1);
    if (share != 0)
        m_owner->AddToUnclippedCounts(share);
    child->m_parent = RCPtr<LControl>(m_owner);
    LControl::PlacementMemo::Forget(*child);
    // The child's link back counts as an internal reference of the parent, so the cycle breaks.
    m_owner->AddToRefCount(1);
    m_children.AddItem(child);
    ++m_changeStamp;
}

void LChildControlList::RemoveAtIndex(uint32_t index)
{
    RCPtr<LControl> child = m_children.GetData()[index];
    const int32_t share = child->m_unclippedCount + (ClipsToParent(*child) ? 0 : 1);
    if (share != 0)
        m_owner->AddToUnclippedCounts(-share);
    // The parent's extra internal reference goes with the link.
    m_owner->AddToRefCount(-1);
    child->m_parent = nullptr;
    LControl::PlacementMemo::Forget(*child);
    RCPtr<LControl> removed;
    m_children.RemoveItem(index, removed);
    ++m_changeStamp;
    m_owner->OnChildRemoved(child, static_cast<int32_t>(index));
}

int32_t LChildControlList::Remove(const LControl* child)
{
    for (uint32_t i = m_children.GetCount(); i > 0; --i) {
        if (m_children.GetData()[i - 1].Get() == child) {
            RemoveAtIndex(i - 1);
            return static_cast<int32_t>(i - 1);
        }
    }
    return -1;
}

bool LChildControlList::RemoveAll()
{
    const bool wasEmpty = m_children.GetCount() == 0;
    while (m_children.GetCount() > 0)
        RemoveAtIndex(m_children.GetCount() - 1);
    return wasEmpty;
}

} // namespace KX
