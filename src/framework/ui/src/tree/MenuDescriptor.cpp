#include "kx/ui/MenuDescriptor.h"

#include "kx/DebugTrace.h"

#include <map>
#include <unordered_set>
#include <vector>

namespace KX {

namespace {

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// The leading decimal digits of text, saturating; 0 without digits.
std::vector<WString> SplitAtDots(const WString& key)
{
    std::vector<WString> pieces;
    const char16_t* start = key.GetString();
    for (const char16_t* p = start;; ++p) {
        if (*p == u'.' || *p == 0) {
            WString piece;
            piece.Assign(start, static_cast<unsigned>(p - start));
            pieces.push_back(piece);
            if (*p == 0)
                break;
            start = p + 1;
        }
    }
    return pieces;
}

bool EndsWithDot(const WString& text)
{
    const unsigned n = text.GetLength();
    return n > 0 && text.GetString()[n - 1] == u'.';
}

WString WithoutTrailingDots(const WString& text)
{
    unsigned n = text.GetLength();
    while (n > 0 && text.GetString()[n - 1] == u'.')
        --n;
    return text.Left(n);
}

// Label before the first "|", help text after it, both as written.
void SplitText(const WString& text, WString& label, WString& help)
{
    const int bar = text.Find(WString(u"|"));
    if (bar < 0) {
        label = text;
        help = WString();
        return;
    }
    label = text.Left(static_cast<unsigned>(bar));
    help = text.Mid(bar + 1);
}

} // namespace

struct LMenuDescriptor::BuildContext {
    std::map<WString, List> groups;
    std::vector<WString> path; // groups being built, outermost first
    uint32_t items = 0;
    bool itemsCut = false; // reported once per menu text
};

LMenuDescriptor::~LMenuDescriptor()
{
    SetParentMenu(nullptr);
    m_items.SetSize(0);
}

RCPtr<LMenuDescriptor> LMenuDescriptor::Create()
{
    return RCPtr<LMenuDescriptor>(new LMenuDescriptor());
}

RCPtr<LMenuItemDescriptor> LMenuDescriptor::GetItem(uint32_t index) const
{
    auto& items = const_cast<RCPtrArray<LMenuItemDescriptor>&>(m_items);
    return index < items.GetCount() ? items.GetData()[index] : RCPtr<LMenuItemDescriptor>();
}

KXRESULT LMenuDescriptor::InsertItem(uint32_t index, const RCPtr<LMenuItemDescriptor>& item)
{
    if (!item || index > m_items.GetCount())
        return E_INVALIDARG;
    // A menu never holds itself or a menu that holds it, however deep: the item's own subtree
    // is searched, for an item may be held by several menus and link back to one of them only.
    if (item->Holds(*this))
        return E_INVALIDARG;
    const int32_t result = m_items.InsertItem(index, item);
    if (result < 0)
        return result;
    item->SetParentMenu(ConstRCPtr<LMenuDescriptor>(this));
    return S_OK;
}

bool LMenuDescriptor::Holds(const LMenuDescriptor& menu) const
{
    std::vector<const LMenuDescriptor*> open{this};
    std::unordered_set<const LMenuDescriptor*> seen{this};
    while (!open.empty()) {
        const LMenuDescriptor* at = open.back();
        open.pop_back();
        if (at == &menu)
            return true;
        for (uint32_t i = 0; i < at->GetItemCount(); ++i) {
            const RCPtr<LMenuItemDescriptor> below = at->GetItem(i);
            if (below && seen.insert(below.Get()).second)
                open.push_back(below.Get());
        }
    }
    return false;
}

KXRESULT LMenuDescriptor::InsertNewItem(uint32_t index, const WString& label, const WString& id, bool enabled,
                                        bool checked)
{
    return InsertItem(index, LMenuItemDescriptor::Create(label, id, enabled, checked));
}

KXRESULT LMenuDescriptor::InsertSeparator(uint32_t index)
{
    return InsertItem(index, LMenuItemDescriptor::CreateSeparator());
}

KXRESULT LMenuDescriptor::RemoveAllItems()
{
    // Keep this menu alive while its items let go of it.
    const ConstRCPtr<LMenuDescriptor> self(this);
    for (uint32_t i = m_items.GetCount(); i > 0; --i) {
        if (i > m_items.GetCount())
            continue;
        RCPtr<LMenuItemDescriptor> item = m_items.GetData()[i - 1];
        if (item && item->m_parent.Get() == this)
            item->SetParentMenu(nullptr); // an item held here and by another menu keeps that one
        RCPtr<LMenuItemDescriptor> removed;
        if (i <= m_items.GetCount())
            m_items.RemoveItem(i - 1, removed);
    }
    SetParentMenu(nullptr);
    return S_OK;
}

void LMenuDescriptor::GetItemState(uint32_t index, LMenuItemState& out) const
{
    const RCPtr<LMenuItemDescriptor> item = GetItem(index);
    if (!item) {
        out = LMenuItemState();
        return;
    }
    out.enabled = item->enabled;
    out.checked = item->checked;
    out.label = item->label;
}

void LMenuDescriptor::SetParentMenu(const ConstRCPtr<LMenuDescriptor>& parent)
{
    if (parent.Get() == m_parent.Get())
        return;
    if (parent)
        Detail::BaseOf(parent.Get())->AddToRefCount(1);
    ConstRCPtr<LMenuDescriptor> old = std::move(m_parent);
    m_parent = parent;
    if (old) {
        Detail::BaseOf(old.Get())->AddToRefCount(-1);
        old = nullptr;
    }
}

KXRESULT LMenuDescriptor::CopyItemsFrom(const LMenuDescriptor& source)
{
    for (uint32_t i = 0; i < source.GetItemCount(); ++i) {
        const RCPtr<LMenuItemDescriptor> item = source.GetItem(i);
        if (!item)
            continue;
        const KXRESULT hr = InsertItem(m_items.GetCount(), item->CreateItemCopy());
        if (Failed(hr))
            return hr;
    }
    return S_OK;
}

RCPtr<LMenuDescriptor> LMenuDescriptor::CreateMenuCopy() const
{
    RCPtr<LMenuDescriptor> copy = Create();
    if (Failed(copy->CopyItemsFrom(*this)))
        return nullptr;
    return copy;
}

ConstRCPtr<LRefCountedObject> LMenuDescriptor::CreateCopy() const
{
    return ConstRCPtr<LRefCountedObject>(CreateMenuCopy().Get());
}

KXRESULT LMenuDescriptor::ReleaseInternalReferences()
{
    // Only the items' parent links still hold this menu: unhook them so that it can go. The
    // items stay, for holders of their own.
    for (uint32_t i = 0; i < m_items.GetCount(); ++i)
        if (const RCPtr<LMenuItemDescriptor> item = m_items.GetData()[i]; item && item->m_parent.Get() == this)
            item->SetParentMenu(nullptr);
    return S_OK;
}

RCPtr<LMenuItemDescriptor> LMenuItemDescriptor::Create(const WString& label, const WString& id, bool enabled,
                                                       bool checked)
{
    RCPtr<LMenuItemDescriptor> item(new LMenuItemDescriptor());
    item->label = label;
    item->id = id;
    item->enabled = enabled ? 1 : 0;
    item->checked = checked ? 1 : 0;
    return item;
}

RCPtr<LMenuItemDescriptor> LMenuItemDescriptor::CreateSeparator()
{
    RCPtr<LMenuItemDescriptor> item(new LMenuItemDescriptor());
    item->isSeparator = 1;
    return item;
}

RCPtr<LMenuItemDescriptor> LMenuItemDescriptor::CreateItemCopy() const
{
    RCPtr<LMenuItemDescriptor> copy(new LMenuItemDescriptor());
    if (Failed(copy->CopyItemsFrom(*this)))
        return nullptr;
    copy->label = label;
    copy->id = id;
    copy->enabled = enabled;
    copy->checked = checked;
    copy->isSeparator = isSeparator;
    copy->helpText = helpText;
    copy->hotKeyText = hotKeyText;
    return copy;
}

RCPtr<LMenuDescriptor> LMenuItemDescriptor::CreateMenuCopy() const
{
    return RCPtr<LMenuDescriptor>(CreateItemCopy());
}

RCPtr<LMenuDescriptor> LMenuDescriptor::ParseMenuText(const Entries& entries)
{
    BuildContext context;
    List top;
    for (uint32_t i = 0; i < entries.GetCount(); ++i) {
        const Pair<WString, WString>& entry = entries.ElementAt(i);
        const std::vector<WString> pieces = SplitAtDots(entry.first);
        if (pieces.size() < 2)
            continue;
        const bool topLevel = !pieces[0].IsEmpty() && IsDigit(pieces[0].GetString()[0]);
        List* list = nullptr;
        // Read as the runtime's integer conversion does: blanks, a sign, then digits.
        int64_t position = 0;
        WString id;
        if (topLevel) {
            list = &top;
            position = pieces[0].ToInt();
            id = pieces[1];
        } else {
            list = &context.groups[pieces[0]];
            position = pieces[1].ToInt();
            if (pieces.size() > 2)
                id = pieces[2];
        }
        if (EndsWithDot(entry.first))
            id += WString(u".");
        if (position != static_cast<int64_t>(list->GetCount()))
            continue;
        if (list->AddItem(Pair<WString, WString>{id, entry.second}) < 0)
            return nullptr;
    }
    RCPtr<LMenuDescriptor> result;
    if (Failed(BuildFromEntries(top, context, result, 0)) || !result)
        return nullptr;
    return result;
}

KXRESULT LMenuDescriptor::BuildFromEntries(const List& list, BuildContext& context, RCPtr<LMenuDescriptor>& target,
                                           uint32_t depth)
{
    if (!target)
        target = Create();
    else
        target->RemoveAllItems();
    for (uint32_t i = 0; i < list.GetCount(); ++i) {
        if (context.items >= kMaxItems) {
            if (!context.itemsCut)
                DebugOut() << "Menu: more than " << kMaxItems << " items; the rest are left out" << std::endl;
            context.itemsCut = true;
            break;
        }
        const Pair<WString, WString>& entry = list.ElementAt(i);
        WString label, help;
        SplitText(entry.second, label, help);
        const uint32_t end = target->GetItemCount();
        if (EndsWithDot(entry.first)) {
            const WString name = WithoutTrailingDots(entry.first);
            const auto group = context.groups.find(name);
            if (group == context.groups.end())
                continue;
            if (depth + 1 >= kMaxDepth) {
                DebugOut() << "Menu: sub-menu " << name.ToNarrow().GetString() << " is more than " << kMaxDepth - 1
                           << " levels deep; left out" << std::endl;
                continue;
            }
            bool onPath = false;
            for (const WString& open : context.path)
                onPath = onPath || open == name;
            if (onPath)
                continue; // a cycle back to a group being built
            RCPtr<LMenuItemDescriptor> item = LMenuItemDescriptor::Create(label, WString(), true, false);
            item->helpText = help;
            KXRESULT hr = target->InsertItem(end, item);
            if (Failed(hr))
                return hr;
            ++context.items;
            context.path.push_back(name);
            RCPtr<LMenuDescriptor> sub(item.Get());
            hr = BuildFromEntries(group->second, context, sub, depth + 1);
            context.path.pop_back();
            if (Failed(hr))
                return hr;
            // Filling the item cleared its link back to the menu that holds it: restore it.
            item->SetParentMenu(ConstRCPtr<LMenuDescriptor>(target.Get()));
        } else if (entry.first == WString(u"-")) {
            const KXRESULT hr = target->InsertSeparator(end);
            if (Failed(hr))
                return hr;
            ++context.items;
        } else {
            const KXRESULT hr = target->InsertNewItem(end, label, entry.first, true, false);
            if (Failed(hr))
                return hr;
            target->GetItem(end)->helpText = help;
            ++context.items;
        }
    }
    return S_OK;
}

ReuseAllocator<LMenuActivationParam, 4>& LMenuActivationParam::GetAllocator()
{
    // Never destroyed: a parameter may be released while the process exits.
    static auto* allocator = new ReuseAllocator<LMenuActivationParam, 4>(true);
    return *allocator;
}

void* LMenuActivationParam::operator new(std::size_t size)
{
    return GetAllocator().Allocate(static_cast<uint32_t>(size));
}

void LMenuActivationParam::operator delete(void* p) noexcept
{
    GetAllocator().Free(p);
}

RCPtr<LMenuActivationParam> LMenuActivationParam::Create(const ConstRCPtr<LMenuDescriptor>& menu, uint32_t item)
{
    return RCPtr<LMenuActivationParam>(new LMenuActivationParam(menu, item));
}

} // namespace KX
