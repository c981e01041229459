// Keys reaching a control: its own and its siblings' bindings, the hot-key tables of the root
// window and the application, Tab navigation among the focusable children of a container, and
// giving up the keyboard focus; context menus from the string table and their hot-key items.
#include "kx/NotificationCenter.h"
#include "kx/ui/Control.h"
#include "kx/ui/ControlHost.h"
#include "kx/ui/KeyNavigation.h"
#include "kx/ui/MenuDescriptor.h"
#include "kx/ui/RootWindow.h"
#include "kx/ui/StringTable.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace KX {

namespace {
constexpr uint8_t kTabKey = 9;
// Tab presses moving the focus now (nested when a handler sends one on).
int g_tabMoves = 0;

LRootWindow* AsRootWindow(const RCPtr<IRootWindow>& window)
{
    return dynamic_cast<LRootWindow*>(window.Get());
}

using Entries = Array<Pair<WString, WString>>;

// The entries under prefix with the prefix cut off their keys, as one menu.
RCPtr<LMenuDescriptor> MenuFromPrefix(const LStringTable& table, const WString& prefix)
{
    Entries entries;
    table.GetEntriesByPrefix(prefix, entries);
    for (uint32_t i = 0; i < entries.GetCount(); ++i)
        entries.GetData()[i].first = entries.GetData()[i].first.Mid(static_cast<int>(prefix.GetLength()));
    return LMenuDescriptor::ParseMenuText(entries);
}

// Whether the root window's or the application's hot keys bind name.
bool HasHotKey(IRootWindow* window, const WString& name)
{
    if (window)
        if (const RCPtr<LGlobalHotKeyManager> manager = window->GetHotKeyManager())
            if (manager->GetTable().HasBinding(name))
                return true;
    IControlHost* host = GetControlHost();
    const RCPtr<LGlobalHotKeyManager> global = host ? host->GetGlobalHotKeyManager() : RCPtr<LGlobalHotKeyManager>();
    return global && global->GetTable().HasBinding(name);
}
} // namespace

bool IsFocusMovingByTab() noexcept
{
    return g_tabMoves > 0;
}

void LControl::OnKey(const RCPtr<LKeyParam>& param)
{
    if (!param || !IsShowing(true) || !m_layout || !m_layout->enabled || (m_parent && !m_parent->IsEnabled(true)))
        return;
    // Our own "LHK" bindings first.
    const RCPtr<LSiblingKeyParam> sibling = LSiblingKeyParam::Create(param->GetKey(), RCPtr<LControl>(this));
    SendNotificationTo(RCPtr<LNotificationReceiver>(this), NID_SIBLING_KEY, ConstRCPtr<LRefCountedObject>(sibling));
    if (sibling->GetResult() == 0 || FilterKey(param) != S_FALSE)
        return;
    const KeyCode& key = param->GetKey();
    const bool tab = KeyCode::IsKeyDown(key) && key.GetVirtualKey() == kTabKey;
    param->GetRoute().AddItem(RCPtr<LControl>(this));
    if (!tab) {
        if (const RCPtr<LControl> parent = m_parent)
            parent->HandleKey(param);
        else
            DispatchUnconsumedKey(m_ownerWindow.Get(), key);
        return;
    }
    if (m_wantsTab)
        return;
    struct Moving {
        Moving() { ++g_tabMoves; }
        ~Moving() { --g_tabMoves; }
    } moving;
    if (const RCPtr<LControl> parent = m_parent)
        parent->HandleKeyNavigation(param);
    else if (LRootWindow* window = AsRootWindow(m_ownerWindow))
        RCPtr<LRootWindow>(window)->FocusNextRootWindow(param);
}

KXRESULT LControl::HandleKey(const RCPtr<LKeyParam>& param)
{
    if (!param)
        return E_INVALIDARG;
    const KXRESULT r = HandleSiblingKey(param);
    if (r != S_FALSE)
        return r;
    // A key goes one level up the tree, then to the hot-key tables.
    return DispatchUnconsumedKey(GetTopLevelOwnerSlot().Get(), param->GetKey());
}

void LControl::PassNavigationUp(const RCPtr<LKeyParam>& param)
{
    param->GetRoute().AddItem(RCPtr<LControl>(this));
    if (const RCPtr<LControl> parent = m_parent)
        parent->HandleKeyNavigation(param);
    else if (LRootWindow* window = AsRootWindow(m_ownerWindow))
        RCPtr<LRootWindow>(window)->FocusNextRootWindow(param);
}

void LControl::HandleKeyNavigation(const RCPtr<LKeyParam>& param)
{
    if (!param)
        return;
    const uint32_t code = param->GetKey().code;
    const bool backward = (code & KeyCode::kShift) != 0;
    if (code & KeyCode::kCtrl) {
        // Leave this container: a plain Tab, not from the keyboard, walks on from here.
        const KeyCode tab(backward ? (KeyCode::kShift | kTabKey) : uint32_t{kTabKey}, 0, 0);
        PassNavigationUp(LKeyParam::Create(tab, false));
        return;
    }
    RCPtrArray<LControl>& route = param->GetRoute();
    RCPtr<LControl> start = route.GetCount() > 0 ? route.GetData()[route.GetCount() - 1] : RCPtr<LControl>();
    RCPtr<LControl> next = GetNextFocusableChild(start, backward);
    while (next && next.Get() != start.Get()) {
        if (!param->IsFromKeyboard()) {
            // Walking past either end of the tab order leaves this container.
            const int32_t from = m_children.IndexOf(start.Get(), kOrderTab);
            const int32_t to = m_children.IndexOf(next.Get(), kOrderTab);
            if (from < 0 || to < 0)
                KX_THROW(std::runtime_error, "", "KX::LControl::ChildControlList::GetAt", "ControlBase\\Control", 3304);
            if (backward ? to >= from : to <= from) {
                PassNavigationUp(param);
                return;
            }
        }
        if (next->CanReceiveFocus() || next->HasFocusableDescendant()) {
            next->SetFocus(!backward);
            return;
        }
        if (!start->IsShowing(true) || !start->m_layout || !start->m_layout->enabled ||
            (start->m_parent && !start->m_parent->IsEnabled(true)))
            start = next;
        const RCPtr<LControl> after = GetNextFocusableChild(next, backward);
        if (after.Get() == next.Get())
            break;
        next = after;
    }
    if (!param->IsFromKeyboard())
        PassNavigationUp(param);
}

KXRESULT LControl::GetContextMenuEntries(RCPtrArray<LMenuDescriptor>& out)
{
    const RCPtr<LStringTable>& table = GetStringTable();
    if (!table)
        return S_OK;
    const WString single(u"CONTEXT_MENU.");
    Entries entries;
    table->GetEntriesByPrefix(single, entries);
    if (entries.GetCount() > 0) {
        out.AddItem(MenuFromPrefix(*table, single));
        return S_OK;
    }
    const WString prefix(u"CONTEXT_MENU");
    table->GetEntriesByPrefix(prefix, entries);
    std::vector<WString> numbers;
    for (uint32_t i = 0; i < entries.GetCount(); ++i) {
        const WString rest = entries.GetData()[i].first.Mid(static_cast<int>(prefix.GetLength()));
        const int dot = rest.Find(WString(u"."));
        if (dot < 0)
            continue; // no menu number
        const WString number = rest.Left(static_cast<unsigned>(dot));
        if (std::find(numbers.begin(), numbers.end(), number) == numbers.end())
            numbers.push_back(number);
    }
    std::sort(numbers.begin(), numbers.end(), [](const WString& x, const WString& y) {
        return std::u16string_view(x.GetString()) < std::u16string_view(y.GetString());
    });
    for (const WString& number : numbers)
        out.AddItem(MenuFromPrefix(*table, prefix + number + WString(u".")));
    return S_OK;
}

KXRESULT LControl::SetContextMenu(const RCPtr<LMenuDescriptor>& menu)
{
    const RCPtr<LMenuDescriptor> old = GetContextMenuRef();
    if (old)
        RegisterContextMenuHandlers(old, false);
    AdoptContextMenu(menu);
    if (menu)
        RegisterContextMenuHandlers(menu, true);
    return S_OK;
}

KXRESULT LControl::RegisterContextMenuHandlers(const RCPtr<LMenuDescriptor>& menu, bool registerHandlers)
{
    if (!menu)
        return S_OK;
    if (!m_handler)
        m_handler = RCPtr<LNotificationHandler<LControl>>(new LNotificationHandler<LControl>(this));
    IRootWindow* window = GetTopLevelOwnerSlot().Get();
    for (uint32_t i = 0; i < menu->GetItemCount(); ++i) {
        const RCPtr<LMenuItemDescriptor> item = menu->GetItem(i);
        if (!item)
            continue;
        if (item->HasSubItems())
            RegisterContextMenuHandlers(RCPtr<LMenuDescriptor>(item), registerHandlers);
        if (item->id.IsEmpty() || item->IsSeparator() || !HasHotKey(window, item->id))
            continue;
        if (registerHandlers)
            TraceFailedResult(m_handler->AddObjectHandler(&LControl::ForwardMenuNotification, item->id.GetString()),
                              "LControl::RegisterContextMenuHandlers");
        else
            m_handler->RemoveDistributorHandler(RCPtr<LNotificationDistributor>(), item->id.GetString());
    }
    return S_OK;
}

KXRESULT LControl::ForwardMenuNotification(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    if (!n)
        return S_FALSE;
    RCPtr<LNotification> posted;
    LNotification::Create(posted, n->GetID(), ConstRCPtr<LRefCountedObject>());
    if (!posted)
        return S_FALSE;
    const WString name = GetNotificationName(n->GetID());
    LRootWindow* window = AsRootWindow(GetTopLevelOwnerSlot());
    const RCPtr<LGlobalHotKeyManager> manager = window ? window->GetHotKeyManager() : RCPtr<LGlobalHotKeyManager>();
    if (manager && manager->GetTable().HasBinding(name)) {
        window->PostNotification(posted);
        return S_FALSE;
    }
    if (const RCPtr<LNotificationCenter> centre = GetNotificationQueue())
        if (const RCPtr<LNotificationQueue>& queue = centre->GetQueue())
            queue->PostNotification(posted);
    return S_FALSE;
}

} // namespace KX
