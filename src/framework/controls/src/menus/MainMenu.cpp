// The menu bar: its buttons from the template, the menus from the string table, commands to the
// window's clients, item states to the outside updater and the focus it hands back.
#include "kx/controls/MainMenu.h"

#include "kx/controls/ComboMenu.h"
#include "kx/controls/PopupMenu.h"
#include "kx/ui/ControlCreate.h"
#include "kx/ui/ControlDescriptor.h"
#include "kx/ui/ControlFactory.h"
#include "kx/ui/FrameworkApp.h"
#include "kx/ui/KeyCode.h"
#include "kx/ui/LayoutDescriptor.h"
#include "kx/ui/MenuDescriptor.h"
#include "kx/ui/RootWindow.h"
#include "kx/ui/StringTable.h"

#include <vector>

namespace KX {

// Hands the popups' commands to the clients of the bar's window.
class LWindowCommandForwarder : public LNotificationReceiver {
public:
    explicit LWindowCommandForwarder(LMainMenu* bar) : m_bar(bar) {}
    KXRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override
    {
        if (!m_bar || !n)
            return S_FALSE;
        const RCPtr<LRootWindow> window(dynamic_cast<LRootWindow*>(m_bar->GetTopLevelOwnerSlot().Get()));
        if (!window)
            return S_FALSE;
        window->SendNotification(n);
        return S_OK;
    }
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>&, const char16_t*) override
    {
        return S_FALSE;
    }
    void Unlink() noexcept { m_bar = nullptr; }

private:
    LMainMenu* m_bar; // not counted: cut when the bar goes
};

namespace {
uint32_t LeadingNumber(const WString& text)
{
    uint64_t value = 0;
    for (const char16_t* p = text.GetString(); *p >= u'0' && *p <= u'9'; ++p) {
        value = value * 10 + static_cast<uint64_t>(*p - u'0');
        if (value > UINT32_MAX)
            return UINT32_MAX;
    }
    return static_cast<uint32_t>(value);
}

std::vector<RCPtr<LComboMenu>> ComboChildren(LControl& bar)
{
    std::vector<RCPtr<LComboMenu>> out;
    LChildControlList& children = bar.GetChildren();
    for (uint32_t i = 0; i < children.GetCount(); ++i)
        if (auto* combo = dynamic_cast<LComboMenu*>(children.GetAt(i, kOrderInsertion).Get()))
            out.emplace_back(combo);
    return out;
}
} // namespace

LMainMenu::LMainMenu(const RCPtr<LControl>& parent, const WString& name) : LControl(parent, name) {}

LMainMenu::~LMainMenu()
{
    if (m_forwarder)
        m_forwarder->Unlink();
}

KXRESULT LMainMenu::ReleaseInternalReferences()
{
    if (m_forwarder)
        m_forwarder->Unlink();
    m_savedFocus = nullptr;
    return LControl::ReleaseInternalReferences();
}

RCPtr<LNotificationReceiver> LMainMenu::GetWindowReceiver()
{
    if (!m_forwarder)
        m_forwarder = RCPtr<LWindowCommandForwarder>(new LWindowCommandForwarder(this));
    return RCPtr<LNotificationReceiver>(m_forwarder);
}

RCPtr<LControl> LMainMenu::GetEditTarget()
{
    if (m_savedFocus && m_savedFocus->IsEditTarget())
        return m_savedFocus;
    return GetParent() ? GetParent()->GetEditTarget() : RCPtr<LControl>();
}

void LMainMenu::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    LControl::OnConditionsChanged(param);
    if (!param || !(param->GetCurrentMask() & Condition::kContainsFocus) ||
        (param->GetPreviousMask() & Condition::kContainsFocus))
        return;
    // The window still records the control that had the focus (as its focus, or as the one it
    // put aside when that control let go just now); one inside the bar is not kept.
    auto* window = dynamic_cast<LRootWindow*>(GetTopLevelOwnerSlot().Get());
    RCPtr<LControl> owner = window ? window->GetFocusControl() : RCPtr<LControl>();
    if (!owner && window)
        owner = window->GetSavedFocus();
    for (LControl* up = owner.Get(); up; up = up->GetParent().Get())
        if (up == this)
            return;
    m_savedFocus = owner;
}

void LMainMenu::HandleKeyNavigation(const RCPtr<LKeyParam>& param)
{
    const RCPtr<LControl> parent = GetParent();
    if (!param || !parent || (param->GetKey().code & KeyCode::kCtrl)) {
        LControl::HandleKeyNavigation(param);
        return;
    }
    const RCPtr<LMainMenu> self(this);
    param->GetRoute().AddItem(RCPtr<LControl>(this));
    parent->HandleKeyNavigation(param);
}

void LMainMenu::RegisterNotificationHandlers()
{
    if (GetTopLevelOwnerSlot())
        for (const RCPtr<LComboMenu>& combo : ComboChildren(*this))
            if (const RCPtr<LPopupMenu> popup = combo->GetPopupMenu())
                popup->SetCommandReceiver(GetWindowReceiver());
    LControl::RegisterNotificationHandlers();
}

KXRESULT LMainMenu::GetMenuItemState(const RCPtr<LMenuDescriptor>& menu, uint32_t index, const WString& name,
                                     LMenuItemState& state)
{
    if (!m_itemUpdater)
        return 1;
    const RCPtr<LControl> target = m_itemUpdater->GetControl();
    if (!target)
        return E_FAIL;
    if (target.Get() == this)
        return 1; // our own updater: nobody else to ask
    return target->GetMenuItemState(menu, index, name, state);
}

bool LMainMenu::SetMenuItemUpdater(const RCPtr<LMenuItemUpdater>& updater)
{
    const bool same = updater.Get() == m_itemUpdater.Get();
    m_itemUpdater = updater;
    return same;
}

KXRESULT LMainMenu::AttachChild(RCPtr<LControl> child, const ConstRCPtr<LControlDescriptor>& descriptor)
{
    if (!child) {
        if (descriptor && descriptor->GetName() == WString(u"templateMenu")) {
            m_template = descriptor;
            return S_OK;
        }
        return LControl::AttachChild(child, descriptor);
    }
    const KXRESULT hr = LControl::AttachChild(child, descriptor);
    if (!m_template && dynamic_cast<LComboMenu*>(child.Get()))
        m_template = child->GetDescriptor();
    return hr;
}

KXRESULT LMainMenu::Initialize()
{
    const KXRESULT hr = LControl::Initialize();
    const RCPtr<LMainMenu> self(this);
    const std::vector<RCPtr<LComboMenu>> combos = ComboChildren(*this);
    for (auto it = combos.rbegin(); it != combos.rend(); ++it) {
        const RCPtr<LComboMenu>& combo = *it;
        if (combo->GetName() == WString(u"templateMenu")) {
            m_template = combo->GetDescriptor();
            combo->FinishDeferredRemoval();
            m_hasTemplate = 1;
            continue;
        }
        if (const RCPtr<LPopupMenu> popup = combo->GetPopupMenu())
            popup->SetItemUpdater(GetMenuItemUpdater());
        ++m_fixedMenus;
        if (!m_template)
            m_template = combo->GetDescriptor();
    }
    // Labels "MENU_LABEL.<n>"; a hostile number is ignored rather than grown to.
    std::vector<WString> labels;
    if (const RCPtr<LStringTable>& table = GetStringTable()) {
        const WString prefix(u"MENU_LABEL.");
        Array<Pair<WString, WString>> entries;
        table->GetEntriesByPrefix(prefix, entries);
        for (uint32_t i = 0; i < entries.GetCount(); ++i) {
            const Pair<WString, WString>& entry = entries.ElementAt(i);
            const uint32_t index = LeadingNumber(entry.first.Mid(static_cast<int>(prefix.GetLength())));
            if (index >= static_cast<uint32_t>(kMaxMenus))
                continue;
            if (labels.size() <= index)
                labels.resize(index + 1);
            labels[index] = entry.second;
        }
    }
    RCPtrArray<LMenuDescriptor> menus;
    if (!labels.empty() && GetContextMenuEntries(menus) == S_OK && menus.GetCount() == labels.size())
        for (uint32_t i = 0; i < menus.GetCount(); ++i)
            AddMenu(static_cast<int32_t>(i), labels[i], labels[i], menus.GetData()[i]);
    return hr;
}

KXRESULT LMainMenu::CreateFromDescriptor(const ConstRCPtr<LControlDescriptor>& descriptor)
{
    struct Saved {
        RCPtr<LMenuDescriptor> menu;
        WString text;
        WString name;
    };
    std::vector<Saved> saved;
    const int32_t count = GetMenuCount() - m_fixedMenus;
    for (int32_t i = 0; i < count; ++i)
        if (const RCPtr<LComboMenu> button = GetMenuButton(i)) {
            const RCPtr<LPopupMenu> popup = button->GetPopupMenu();
            saved.push_back(
                Saved{popup ? popup->GetMenu() : RCPtr<LMenuDescriptor>(), button->GetText(), button->GetName()});
        }
    const KXRESULT hr = LControl::CreateFromDescriptor(descriptor);
    if (saved.empty())
        return hr;
    const RCPtr<LMainMenu> self(this);
    // A template the new skin brought along is retired again.
    if (const RCPtr<LControl> again = FindChild(WString(u"templateMenu"))) {
        m_template = again->GetDescriptor();
        again->FinishDeferredRemoval();
    }
    for (const Saved& menu : saved) {
        if (const RCPtr<LControl> stale = FindChild(menu.name))
            stale->FinishDeferredRemoval();
        if (Failed(CreateMenuButton(menu.name)))
            continue;
        if (const RCPtr<LComboMenu> button = GetMenuButton(FindMenuIndex(menu.name))) {
            button->SetText(menu.text);
            if (const RCPtr<LPopupMenu> popup = button->GetPopupMenu(); popup && menu.menu)
                popup->SetMenu(menu.menu);
        }
    }
    return hr;
}

int32_t LMainMenu::GetMenuCount()
{
    return static_cast<int32_t>(ComboChildren(*this).size());
}

RCPtr<LComboMenu> LMainMenu::GetMenuButton(int32_t index)
{
    const std::vector<RCPtr<LComboMenu>> combos = ComboChildren(*this);
    const int64_t at = static_cast<int64_t>(index) + m_fixedMenus;
    if (index < 0 || at >= static_cast<int64_t>(combos.size()))
        return nullptr;
    return combos[static_cast<size_t>(at)];
}

int32_t LMainMenu::FindMenuIndex(const WString& name)
{
    const std::vector<RCPtr<LComboMenu>> combos = ComboChildren(*this);
    for (size_t i = 0; i < combos.size(); ++i)
        if (combos[i]->GetName() == name)
            return static_cast<int32_t>(i) - m_fixedMenus;
    return -1;
}

WString LMainMenu::GetMenuName(int32_t index)
{
    const RCPtr<LComboMenu> button = GetMenuButton(index);
    return button ? button->GetName() : WString();
}

KXRESULT LMainMenu::AddMenu(int32_t index, const WString& name, const WString& label,
                            const RCPtr<LMenuDescriptor>& menu)
{
    const int32_t count = GetMenuCount() - m_fixedMenus;
    if (index < 0 || index > count)
        return E_INVALIDARG;
    return InsertMenu(index == count ? WString() : GetMenuName(index), name, label, menu);
}

KXRESULT LMainMenu::InsertMenu(const WString& before, const WString& name, const WString& label,
                               const RCPtr<LMenuDescriptor>& menu)
{
    const int32_t count = GetMenuCount() - m_fixedMenus;
    const int32_t position = before.IsEmpty() ? count : FindMenuIndex(before);
    if (position < 0)
        return E_INVALIDARG;
    const RCPtr<LMainMenu> self(this);
    const KXRESULT hr = CreateMenuButton(name);
    if (Failed(hr))
        return hr;
    // The menus from the position on move one place right: names go through unique temporary
    // ones first, as no two buttons may share a name and placements follow renames.
    const int32_t last = count;
    std::vector<WString> names(static_cast<size_t>(last + 1));
    for (int32_t i = position; i < last; ++i)
        names[static_cast<size_t>(i + 1)] = GetMenuName(i);
    names[static_cast<size_t>(position)] = name;
    for (int32_t i = last; i >= position; --i)
        if (const RCPtr<LComboMenu> button = GetMenuButton(i))
            GetChildren().RenameChild(RCPtr<LControl>(button), WString::Format(u"\x01menu%d", i));
    for (int32_t i = last; i > position; --i) {
        const RCPtr<LComboMenu> to = GetMenuButton(i);
        const RCPtr<LComboMenu> from = GetMenuButton(i - 1);
        if (!to || !from)
            continue;
        to->SetText(from->GetText());
        const RCPtr<LPopupMenu> target = to->GetPopupMenu();
        const RCPtr<LPopupMenu> source = from->GetPopupMenu();
        if (target && source && source->GetMenu())
            target->SetMenu(source->GetMenu());
    }
    if (const RCPtr<LComboMenu> button = GetMenuButton(position)) {
        button->SetText(label);
        if (const RCPtr<LPopupMenu> popup = button->GetPopupMenu(); popup && menu)
            popup->SetMenu(menu);
    }
    for (int32_t i = position; i <= last; ++i)
        if (const RCPtr<LComboMenu> button = GetMenuButton(i))
            GetChildren().RenameChild(RCPtr<LControl>(button), names[static_cast<size_t>(i)]);
    PerformLayout();
    return position;
}

RCPtr<LComboMenu> LMainMenu::CreateButtonFromTemplate(const WString& name)
{
    RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Clone(*m_template->GetLayout());
    const std::vector<RCPtr<LComboMenu>> combos = ComboChildren(*this);
    // Menus after the fixed ones line up right of the last button.
    if (static_cast<int32_t>(combos.size()) > m_fixedMenus) {
        AxisPlacement& x = layout->Position(0);
        x.anchor = 0.0f;
        x.kind = kPositionToControl;
        x.controlName = combos.back()->GetName();
        x.relative = 1.0f;
        x.absolute = 0.0;
    }
    RCPtr<LControlDescriptor> descriptor;
    if (Failed(m_template->Copy(descriptor)) || !descriptor)
        return nullptr;
    descriptor->SetName(name);
    descriptor->SetLayout(ConstRCPtr<LLayoutDescriptor>(layout.Get()));
    RCPtr<LControl> made;
    RCPtr<LControl> parent(this);
    ConstRCPtr<LControlDescriptor> source(descriptor.Get());
    LFrameworkApp* app = LFrameworkApp::GetCurrent();
    if (app && app->GetControlFactory())
        app->GetControlFactory()->CreateControlFromDescriptor(made, source, parent);
    else
        CreateControlOfClass<LComboMenu>(made, parent, source);
    return RCPtr<LComboMenu>::DynamicCast(made);
}

KXRESULT LMainMenu::CreateMenuButton(const WString& name)
{
    if (name.IsEmpty() || FindChild(name))
        return E_INVALIDARG;
    if (!m_template || !m_template->GetLayout())
        return E_FAIL;
    const RCPtr<LMainMenu> self(this);
    const RCPtr<LComboMenu> button = CreateButtonFromTemplate(name);
    if (!button)
        return E_FAIL;
    if (const RCPtr<LPopupMenu> popup = button->GetPopupMenu()) {
        popup->SetItemUpdater(GetMenuItemUpdater());
        if (GetTopLevelOwnerSlot())
            popup->SetCommandReceiver(GetWindowReceiver());
    }
    PerformLayout();
    return S_OK;
}

} // namespace KX
