#include "kx/Region.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace KX {

// ---------------------------------------------------------------------------------------------
// Node pool

namespace {

struct PoolSlot {
    LRegionNode node; // first, so a node's address is its slot's
    uint32_t index;
};

struct PoolState {
    PoolSlot* block = nullptr;
    uint32_t ring[LRegionNodePool::kBlockSlots] = {};
    uint32_t head = 0;
    uint32_t freeCount = 0;
    uint32_t live = 0;
    uint32_t peak = 0;
    uint32_t heapAllocations = 0;
};

// Lives for the whole process so that regions destroyed at exit can still return their nodes.
PoolState& Pool()
{
    static PoolState* const state = new PoolState();
    return *state;
}

bool InBlock(const PoolState& pool, const LRegionNode* node)
{
    if (!pool.block)
        return false;
    const auto address = reinterpret_cast<uintptr_t>(node);
    const auto first = reinterpret_cast<uintptr_t>(pool.block);
    const auto end = reinterpret_cast<uintptr_t>(pool.block + LRegionNodePool::kBlockSlots);
    return address >= first && address < end;
}

} // namespace

LRegionNode* LRegionNodePool::Allocate()
{
    PoolState& pool = Pool();
    if (!pool.block) {
        pool.block = new PoolSlot[kBlockSlots];
        for (uint32_t i = 0; i < kBlockSlots; ++i) {
            pool.block[i].index = i;
            pool.ring[i] = i;
        }
        pool.head = 0;
        pool.freeCount = kBlockSlots;
    }
    LRegionNode* node;
    if (pool.freeCount > 0) {
        const uint32_t index = pool.ring[pool.head];
        pool.head = (pool.head + 1) % kBlockSlots;
        --pool.freeCount;
        node = &pool.block[index].node;
    } else {
        node = new LRegionNode;
        ++pool.heapAllocations;
    }
    *node = LRegionNode{0, 0, 0, 0, nullptr};
    if (++pool.live > pool.peak)
        pool.peak = pool.live;
    return node;
}

void LRegionNodePool::Free(LRegionNode* node) noexcept
{
    if (!node)
        return;
    PoolState& pool = Pool();
    if (InBlock(pool, node)) {
        const uint32_t index = reinterpret_cast<PoolSlot*>(node)->index;
        pool.ring[(pool.head + pool.freeCount) % kBlockSlots] = index;
        ++pool.freeCount;
    } else {
        delete node;
    }
    --pool.live;
}

uint32_t LRegionNodePool::GetLiveCount() noexcept
{
    return Pool().live;
}

uint32_t LRegionNodePool::GetPeakCount() noexcept
{
    return Pool().peak;
}

uint32_t LRegionNodePool::GetHeapAllocationCount() noexcept
{
    return Pool().heapAllocations;
}

// ---------------------------------------------------------------------------------------------
// Region

namespace {

LRegionNode* NewNode(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    LRegionNode* node = LRegionNodePool::Allocate();
    node->left = left;
    node->top = top;
    node->right = right;
    node->bottom = bottom;
    return node;
}

bool Overlaps(const LRegionNode& n, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    return n.left < right && left < n.right && n.top < bottom && top < n.bottom;
}

int32_t Saturate(int64_t value)
{
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

struct Rect4 {
    int32_t left, top, right, bottom;
};

std::vector<Rect4> CopyRects(const LRegion& region)
{
    std::vector<Rect4> rects;
    for (const LRegionNode* n = region.GetFirst(); n; n = n->next)
        rects.push_back(Rect4{n->left, n->top, n->right, n->bottom});
    return rects;
}

} // namespace

LRegion::LRegion(const LRegion& other)
{
    LRegionNode** tail = &m_head;
    for (const LRegionNode* n = other.m_head; n; n = n->next) {
        *tail = NewNode(n->left, n->top, n->right, n->bottom);
        tail = &(*tail)->next;
    }
}

LRegion& LRegion::operator=(const LRegion& other)
{
    if (this != &other) {
        LRegion copy(other);
        *this = std::move(copy);
    }
    return *this;
}

LRegion& LRegion::operator=(LRegion&& other) noexcept
{
    if (this != &other) {
        Clear();
        m_head = other.m_head;
        other.m_head = nullptr;
    }
    return *this;
}

void LRegion::Clear() noexcept
{
    LRegionNode* n = m_head;
    m_head = nullptr;
    while (n) {
        LRegionNode* next = n->next;
        LRegionNodePool::Free(n);
        n = next;
    }
}

void LRegion::AddRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    if (!(right > left && bottom > top))
        return;
    SubtractRect(left, top, right, bottom, nullptr);
    PushFront(NewNode(left, top, right, bottom));
}

void LRegion::AddRegion(const LRegion& other)
{
    // New nodes go to the front, so walking other's list is not disturbed even when it is this.
    const LRegionNode* n = other.m_head;
    while (n) {
        const LRegionNode* next = n->next;
        PushFront(NewNode(n->left, n->top, n->right, n->bottom));
        n = next;
    }
}

void LRegion::SubtractRect(int32_t left, int32_t top, int32_t right, int32_t bottom, LRegion* collect)
{
    if (collect == this)
        return; // cutting pieces out only to put them back changes nothing
    // An empty rectangle removes nothing; cutting along it would leave empty pieces behind.
    if (!(right > left && bottom > top))
        return;
    LRegionNode* prev = nullptr;
    LRegionNode* n = m_head;
    // Pieces go to the front; the first one pushed while n is the head becomes n's predecessor.
    auto pushPiece = [&](int32_t l, int32_t t, int32_t r, int32_t b) {
        LRegionNode* piece = NewNode(l, t, r, b);
        PushFront(piece);
        if (!prev)
            prev = piece;
    };
    while (n) {
        LRegionNode* next = n->next;
        if (!Overlaps(*n, left, top, right, bottom)) {
            prev = n;
            n = next;
            continue;
        }
        if (n->top < top) {
            pushPiece(n->left, n->top, n->right, top);
            n->top = top;
        }
        if (n->bottom > bottom) {
            pushPiece(n->left, bottom, n->right, n->bottom);
            n->bottom = bottom;
        }
        if (n->left < left) {
            pushPiece(n->left, n->top, left, n->bottom);
            n->left = left;
        }
        if (n->right > right) {
            pushPiece(right, n->top, n->right, n->bottom);
            n->right = right;
        }
        if (prev)
            prev->next = next;
        else
            m_head = next;
        if (collect)
            collect->PushFront(n);
        else
            LRegionNodePool::Free(n);
        n = next;
    }
}

void LRegion::SubtractRegion(const LRegion& other, LRegion* collect)
{
    if (&other == this) {
        // Walking our own list while cutting it would visit freed nodes: take the rectangles first.
        for (const Rect4& r : CopyRects(other))
            SubtractRect(r.left, r.top, r.right, r.bottom, collect);
        return;
    }
    for (const LRegionNode* n = other.m_head; n; n = n->next)
        SubtractRect(n->left, n->top, n->right, n->bottom, collect);
}

void LRegion::Intersect(const LRegion& other)
{
    if (&other == this)
        return;
    LRegion inside;
    SubtractRegion(other, &inside);
    *this = std::move(inside);
}

bool LRegion::GetBounds(int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) const noexcept
{
    if (!m_head) {
        left = top = right = bottom = 0;
        return false;
    }
    left = m_head->left;
    top = m_head->top;
    right = m_head->right;
    bottom = m_head->bottom;
    for (const LRegionNode* n = m_head->next; n; n = n->next) {
        left = std::min(left, n->left);
        top = std::min(top, n->top);
        right = std::max(right, n->right);
        bottom = std::max(bottom, n->bottom);
    }
    return true;
}

void LRegion::ForEachRect(IArray<RectT<int32_t>>& out) const
{
    out.RemoveAll();
    for (const LRegionNode* n = m_head; n; n = n->next) {
        out.AddItem(RectT<int32_t>{n->left, n->top, Saturate(int64_t(n->right) - n->left),
                                   Saturate(int64_t(n->bottom) - n->top)});
    }
}

uint32_t LRegion::GetRectCount() const noexcept
{
    uint32_t count = 0;
    for (const LRegionNode* n = m_head; n; n = n->next)
        ++count;
    return count;
}

void LRegion::Offset(int32_t dx, int32_t dy) noexcept
{
    if (dx == 0 && dy == 0)
        return;
    LRegionNode** link = &m_head;
    while (LRegionNode* n = *link) {
        n->left = Saturate(int64_t(n->left) + dx);
        n->right = Saturate(int64_t(n->right) + dx);
        n->top = Saturate(int64_t(n->top) + dy);
        n->bottom = Saturate(int64_t(n->bottom) + dy);
        // A rectangle pushed entirely past the edge of the range covers nothing any more.
        if (n->right > n->left && n->bottom > n->top) {
            link = &n->next;
        } else {
            *link = n->next;
            LRegionNodePool::Free(n);
        }
    }
}

bool LRegion::IntersectsRect(int32_t left, int32_t top, int32_t right, int32_t bottom) const noexcept
{
    for (const LRegionNode* n = m_head; n; n = n->next) {
        if (Overlaps(*n, left, top, right, bottom))
            return true;
    }
    return false;
}

bool LRegion::IntersectsRectF(const RectT<double>& rect, const PointT<double>& offset) const noexcept
{
    const double x = rect.x + offset.x;
    const double y = rect.y + offset.y;
    const double left = std::max(0.0, x);
    const double top = std::max(0.0, y);
    const double right = std::min(2147483647.0, x + rect.width);
    const double bottom = std::min(2147483647.0, y + rect.height);
    if (std::isnan(x) || std::isnan(y) || std::isnan(right) || std::isnan(bottom))
        return false;
    if (!(right - left > kDoubleEpsilon) || !(bottom - top > kDoubleEpsilon))
        return false;
    return IntersectsRect(RoundToInt32(left), RoundToInt32(top), RoundToInt32(right), RoundToInt32(bottom));
}

namespace {

// Sorts by top edge, keeping the order of equal tops. Empty rectangles cover nothing and
// would keep the band cutting below from ending: drop any that got in.
void SortByTop(LRegionNode*& head)
{
    std::vector<LRegionNode*> nodes;
    for (LRegionNode* n = head; n;) {
        LRegionNode* next = n->next;
        if (n->right > n->left && n->bottom > n->top)
            nodes.push_back(n);
        else
            LRegionNodePool::Free(n);
        n = next;
    }
    if (nodes.empty()) {
        head = nullptr;
        return;
    }
    std::stable_sort(nodes.begin(), nodes.end(),
                     [](const LRegionNode* a, const LRegionNode* b) { return a->top < b->top; });
    for (size_t i = 0; i + 1 < nodes.size(); ++i)
        nodes[i]->next = nodes[i + 1];
    nodes.back()->next = nullptr;
    head = nodes.front();
}

// Cuts into bands: afterwards nodes with the same top have the same bottom.
void CutIntoBands(LRegionNode* head)
{
    int32_t b = 0;
    LRegionNode* remembered = nullptr;
    for (LRegionNode* n = head; n; n = n->next) {
        if (n == head || n->top >= b || n->bottom <= b) {
            b = n->bottom;
            remembered = nullptr;
            LRegionNode* f = n->next;
            while (f && f->top == n->top) {
                b = std::min(b, f->bottom);
                f = f->next;
            }
            if (f && f->top < b) {
                b = f->top;
                remembered = f;
            }
        }
        if (b < n->bottom) {
            LRegionNode* piece = NewNode(n->left, b, n->right, n->bottom);
            n->bottom = b;
            LRegionNode* after = remembered;
            if (!after) {
                after = n;
                for (LRegionNode* f = n->next; f && f->top < b; f = f->next)
                    after = f;
            }
            piece->next = after->next;
            after->next = piece;
        }
    }
}

// Within each band: orders by left edge and merges neighbours that touch.
void MergeWithinBands(LRegionNode*& head)
{
    LRegionNode** bandLink = &head;
    while (*bandLink) {
        const int32_t top = (*bandLink)->top;
        bool swapped;
        do {
            swapped = false;
            LRegionNode** link = bandLink;
            for (;;) {
                LRegionNode* a = *link;
                LRegionNode* c = a->next;
                if (!c || c->top != top)
                    break;
                if (c->right == a->left || c->left == a->right) {
                    if (c->left < a->left)
                        a->left = c->left;
                    else
                        a->right = c->right;
                    a->next = c->next;
                    LRegionNodePool::Free(c);
                } else if (c->left < a->left) {
                    a->next = c->next;
                    c->next = a;
                    *link = c;
                    link = &c->next;
                    swapped = true;
                } else {
                    link = &a->next;
                }
            }
        } while (swapped);
        LRegionNode** next = bandLink;
        while (*next && (*next)->top == top)
            next = &(*next)->next;
        bandLink = next;
    }
}

// Between bands: a rectangle directly below one of the same left and right takes it over.
void MergeBetweenBands(LRegionNode*& head)
{
    struct Band {
        int32_t top;
        int32_t bottom;
        std::vector<LRegionNode*> nodes;
    };
    std::vector<Band> bands;
    for (LRegionNode* n = head; n; n = n->next) {
        if (bands.empty() || bands.back().top != n->top)
            bands.push_back(Band{n->top, n->bottom, {}});
        bands.back().nodes.push_back(n);
    }
    std::vector<LRegionNode*> freed;
    for (size_t k = 1; k < bands.size(); ++k) {
        Band& upper = bands[k - 1];
        Band& lower = bands[k];
        if (lower.top != upper.bottom)
            continue;
        for (LRegionNode* r : lower.nodes) {
            for (LRegionNode*& u : upper.nodes) {
                if (u && u->left == r->left && u->right == r->right && u->bottom == r->top) {
                    r->top = u->top;
                    freed.push_back(u);
                    u = nullptr;
                    break;
                }
            }
        }
    }
    if (!freed.empty()) {
        std::sort(freed.begin(), freed.end());
        LRegionNode** link = &head;
        while (*link) {
            LRegionNode* n = *link;
            if (std::binary_search(freed.begin(), freed.end(), n)) {
                *link = n->next;
                LRegionNodePool::Free(n);
            } else {
                link = &n->next;
            }
        }
    }
}

} // namespace

void LRegion::Optimize()
{
    if (!m_head || !m_head->next)
        return;
    SortByTop(m_head);
    if (!m_head)
        return;
    CutIntoBands(m_head);
    MergeWithinBands(m_head);
    MergeBetweenBands(m_head);
}

} // namespace KX
