#include "kx/ui/MenuDescriptor.h"

#include "kx/Exception.h"

#include <stdexcept>

namespace KX {

namespace {
bool IsNumber(const WString& s)
{
    if (s.IsEmpty())
        return false;
    for (const char16_t* p = s.GetString(); *p; ++p)
        if (*p < u'0' || *p > u'9')
            return false;
    return true;
}
} // namespace

RCPtr<LMenuDescriptor> LMenuDescriptor::Create()
{
    return RCPtr<LMenuDescriptor>(new LMenuDescriptor());
}

const LMenuDescriptor::Item& LMenuDescriptor::GetItem(uint32_t index) const
{
    if (index >= m_items.size())
        KX_THROW(std::out_of_range, "", "KX::LMenuDescriptor::GetItem", "ControlBase\\MenuDescriptor", 1);
    return m_items[index];
}

LMenuDescriptor::Item& LMenuDescriptor::AddItem(const WString& number)
{
    m_items.push_back(Item{number, WString(), WString(), RCPtr<LMenuDescriptor>()});
    return m_items.back();
}

LMenuDescriptor::Item& LMenuDescriptor::FindOrAdd(const WString& number)
{
    for (Item& item : m_items)
        if (item.number == number)
            return item;
    return AddItem(number);
}

RCPtr<LMenuDescriptor> LMenuDescriptor::ParseMenuText(const IArray<Pair<WString, WString>>& entries)
{
    RCPtr<LMenuDescriptor> menu = Create();
    for (uint32_t i = 0; i < entries.GetCount(); ++i) {
        const Pair<WString, WString>& entry = entries.GetData()[i];
        // Split the key at its dots: leading numbers are the path, the rest is the id.
        std::vector<WString> path;
        WString rest = entry.first;
        for (;;) {
            const int dot = rest.Find(WString(u"."));
            if (dot < 0)
                break;
            const WString head = rest.Left(static_cast<unsigned>(dot));
            if (!IsNumber(head))
                break;
            path.push_back(head);
            rest = rest.Mid(dot + 1);
        }
        if (path.empty() || rest.IsEmpty())
            continue;
        LMenuDescriptor* level = menu.Get();
        for (size_t k = 0; k + 1 < path.size(); ++k) {
            Item& parent = level->FindOrAdd(path[k]);
            if (!parent.subMenu)
                parent.subMenu = Create();
            level = parent.subMenu.Get();
        }
        Item& item = level->FindOrAdd(path.back());
        item.notificationId = rest;
        item.label = entry.second;
    }
    return menu;
}

} // namespace KX
