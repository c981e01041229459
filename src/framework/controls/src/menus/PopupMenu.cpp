// The popup menu's set-up, its menu and rows, shortcut texts, item states and sizes.
#include "kx/controls/PopupMenu.h"

#include "kx/RenderHost.h"
#include "kx/ui/ControlDescriptor.h"
#include "kx/ui/ControlHost.h"
#include "kx/ui/GlobalHotKeyManager.h"
#include "kx/ui/Look.h"
#include "kx/ui/RootWindowSeam.h"
#include "kx/ui/StringTable.h"

#include <cmath>

namespace KX {

namespace {
int32_t Truncate(double value)
{
    return static_cast<int32_t>(value);
}

double TextWidth(const WString& text, const ConstRCPtr<LFont>& font)
{
    if (text.IsEmpty())
        return 0.0;
    const ConstRCPtr<LMeasurementRenderer> measurer = GetMeasurementRenderer();
    const ConstRCPtr<LFont> used = font ? font : LControl::GetDefaultFont();
    if (!measurer || !used)
        return 0.0;
    return measurer->MeasureText(text, used).width;
}
} // namespace

LPopupMenu::LPopupMenu(const RCPtr<LControl>& parent, const WString& name) : LCheckedListBox(parent, name) {}

LPopupMenu::~LPopupMenu() = default;

KXRESULT LPopupMenu::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!IsBuilt())
        return S_FALSE;
    if (m_handler && m_handler->Receive(from, n))
        return S_OK;
    return LCheckedListBox::Receive(from, n);
}

KXRESULT LPopupMenu::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_handler)
        m_handler->RemoveDistributorHandler(d, name);
    return LCheckedListBox::UnregisterForNotification(d, name);
}

KXRESULT LPopupMenu::Initialize()
{
    if (Failed(LCheckedListBox::Initialize()))
        return E_FAIL;
    if (!m_handler)
        m_handler = RCPtr<LNotificationHandler<LPopupMenu>>(new LNotificationHandler<LPopupMenu>(this));
    // An axis without a size gets an absolute one: the width it has, one row high.
    if (const RCPtr<LLayoutDescriptor>& layout = GetLayout()) {
        for (int32_t axis = 0; axis < 2; ++axis) {
            const SizeSpec& size = layout->Size(axis);
            if (size.kind != kSizeToSelf || size.absolute > 0.0)
                continue;
            const AxisPlacement position = layout->Position(axis);
            SizeSpec fixed;
            fixed.absolute = axis == 0 ? GetSize().x : static_cast<double>(GetRowHeight());
            SetAxisPlacement(axis, position, fixed);
        }
    }
    m_extraWidth = -1;
    SetDropDownMode(true);
    ShowCheckBoxes(true);
    if (const RCPtr<LStringTable>& table = GetStringTable()) {
        Array<Pair<WString, WString>> entries;
        table->GetEntriesByPrefix(WString(), entries);
        if (const RCPtr<LMenuDescriptor> menu = LMenuDescriptor::ParseMenuText(entries))
            SetMenu(menu);
    }
    return S_OK;
}

KXRESULT LPopupMenu::PostInitialize()
{
    LCheckedListBox::PostInitialize();
    SetClipToParent(false);
    SetVisible(false);
    return S_OK;
}

KXRESULT LPopupMenu::CreateFromDescriptor(const ConstRCPtr<LControlDescriptor>& descriptor)
{
    const KXRESULT hr = LCheckedListBox::CreateFromDescriptor(descriptor);
    if (m_menu)
        RebuildRows();
    return hr;
}

void LPopupMenu::LetOwnerPrepare(LControl& owner)
{
    owner.PreparePopupMenu(RCPtr<LPopupMenu>(this));
}

KXRESULT LPopupMenu::SetMenu(const RCPtr<LMenuDescriptor>& menu)
{
    if (!menu)
        return E_INVALIDARG;
    const RCPtr<LMenuDescriptor> copy = menu->CreateMenuCopy();
    if (!copy)
        return E_OUTOFMEMORY;
    CloseSubMenus();
    m_menu = copy;
    AssignHotKeyTexts(m_menu);
    return RebuildRows();
}

KXRESULT LPopupMenu::SetMenuFromParentItem(uint32_t index)
{
    const RCPtr<LPopupMenu> parent = GetParentPopup();
    if (!parent || !parent->m_menu)
        return E_INVALIDARG;
    const RCPtr<LMenuItemDescriptor> item = parent->m_menu->GetItem(index);
    if (!item || !item->HasSubItems())
        return E_INVALIDARG;
    CloseSubMenus();
    m_menu = RCPtr<LMenuDescriptor>(item);
    AssignHotKeyTexts(m_menu);
    return RebuildRows();
}

KXRESULT LPopupMenu::SetCommandReceiver(const RCPtr<LNotificationReceiver>& receiver)
{
    if (!receiver)
        return E_INVALIDARG;
    if (m_commandReceiver)
        return E_FAIL;
    m_commandReceiver = receiver;
    if (m_menu) {
        AssignHotKeyTexts(m_menu);
        RebuildRows();
    }
    return S_OK;
}

RCPtr<LNotificationReceiver> LPopupMenu::GetCommandReceiver()
{
    if (m_commandReceiver)
        return m_commandReceiver;
    for (RCPtr<LControl> up = GetParent(); up; up = up->GetParent())
        if (!dynamic_cast<LPopupMenu*>(up.Get()))
            return RCPtr<LNotificationReceiver>(up);
    return nullptr;
}

RCPtr<LMenuItemUpdater> LPopupMenu::GetItemUpdater()
{
    if (!m_itemUpdater)
        if (LControl* control = dynamic_cast<LControl*>(GetCommandReceiver().Get()))
            m_itemUpdater = control->GetMenuItemUpdater();
    return m_itemUpdater;
}

RCPtr<LPopupMenu> LPopupMenu::GetParentPopup() const
{
    return RCPtr<LPopupMenu>(dynamic_cast<LPopupMenu*>(GetParent().Get()));
}

KXRESULT LPopupMenu::AssignHotKeyTexts(const RCPtr<LMenuDescriptor>& menu)
{
    const RCPtr<LNotificationReceiver> receiver = GetCommandReceiver();
    if (!menu || !receiver)
        return E_FAIL;
    LControl* control = dynamic_cast<LControl*>(receiver.Get());
    const RCPtr<IRootWindow> window = control ? control->GetTopLevelOwnerSlot() : GetTopLevelOwnerSlot();
    const RCPtr<LGlobalHotKeyManager> windowKeys = window ? window->GetHotKeyManager() : nullptr;
    IControlHost* host = GetControlHost();
    const RCPtr<LGlobalHotKeyManager> globalKeys = host ? host->GetGlobalHotKeyManager() : nullptr;
    for (uint32_t i = 0; i < menu->GetItemCount(); ++i) {
        const RCPtr<LMenuItemDescriptor> item = menu->GetItem(i);
        if (!item)
            continue;
        if (item->HasSubItems()) {
            AssignHotKeyTexts(RCPtr<LMenuDescriptor>(item));
            continue;
        }
        if (!item->hotKeyText.IsEmpty() || item->id.IsEmpty() || item->IsSeparator())
            continue;
        KeyCode key;
        if (control && control->HasKeyBinding(item->id))
            key = control->GetKeyCodeForNotification(item->id);
        else if (windowKeys && windowKeys->GetTable().HasBinding(item->id))
            key = windowKeys->GetTable().GetFirstKeyCode(item->id);
        else if (globalKeys && globalKeys->GetTable().HasBinding(item->id))
            key = globalKeys->GetTable().GetFirstKeyCode(item->id);
        if (!key.IsEmpty())
            item->hotKeyText = KeyCode::ToDisplayText(key);
    }
    return S_OK;
}

RCPtr<LControl> LPopupMenu::RowChild(int32_t row, const char16_t* name)
{
    const RCPtr<LListBoxItem> control = GetRowAt(row);
    return control ? control->FindChild(WString(name)) : nullptr;
}

void LPopupMenu::MeasureExtraWidth(const RCPtr<LControl>& row)
{
    if (!row)
        return;
    const RCPtr<LControl> check = row->FindChild(WString(u"checkBox"));
    const RCPtr<LControl> hotKey = row->FindChild(WString(u"hotKeyLabel"));
    int32_t extra = 20;
    if (check)
        extra += Truncate(check->GetPosition().x + check->GetSize().x);
    if (hotKey)
        extra += Truncate(row->GetSize().x - (hotKey->GetPosition().x + hotKey->GetSize().x));
    m_extraWidth = extra;
}

KXRESULT LPopupMenu::RebuildRows()
{
    if (!m_menu)
        return S_OK;
    const RCPtr<LPopupMenu> self(this);
    const int32_t count = static_cast<int32_t>(m_menu->GetItemCount());
    SetItemCount(count);
    // The widths are measured on a row: a hidden popup has none yet, so one is made now.
    if (GetRowCount() == 0 && count > 0)
        AddRowControl();
    const int32_t lastRow = GetRowCount() - 1;
    if (const RCPtr<LListBoxItem> row = GetRowAt(lastRow)) {
        if (m_extraWidth < 0)
            MeasureExtraWidth(RCPtr<LControl>(row));
        // The height of a row in separator form.
        const bool wasBlank = row->IsBlank();
        const WString text = row->GetText();
        row->SetBlank(true);
        row->SetText(WString());
        m_separatorHeight = Truncate(row->GetSize().y);
        row->SetBlank(wasBlank);
        row->SetText(text);
    } else if (m_separatorHeight <= 0) {
        m_separatorHeight = GetRowHeight();
    }
    m_separatorCount = 0;
    m_widestItem = 0;
    for (int32_t i = 0; i < count; ++i) {
        const RCPtr<LMenuItemDescriptor> item = m_menu->GetItem(static_cast<uint32_t>(i));
        SetItem(i, RCPtr<LTaggableObject>(item), 0.0, item->HasSubItems(), item->IsSeparator());
        SetItemChecked(i, item->IsChecked());
        if (item->IsSeparator())
            ++m_separatorCount;
        m_widestItem = std::max(m_widestItem, MeasureItemWidth(i));
    }
    m_widestText = m_widestItem;
    if (const RCPtr<LLayoutDescriptor>& layout = GetLayout()) {
        SizeSpec width;
        width.absolute = GetBarThickness().x + m_widestItem;
        SetAxisPlacement(0, layout->Position(0), width);
    }
    FitHeightToContent();
    RewriteRowsFrom(GetFirstShownItem());
    return S_OK;
}

int32_t LPopupMenu::MeasureItemWidth(int32_t index)
{
    if (!m_menu || index < 0)
        return 0;
    const RCPtr<LMenuItemDescriptor> item = m_menu->GetItem(static_cast<uint32_t>(index));
    if (!item)
        return 0;
    const RCPtr<LListBoxItem> row = GetRowAt(0);
    const ConstRCPtr<LFont> rowFont = row ? row->GetFont() : GetFont();
    const RCPtr<LControl> hotKey = RowChild(0, u"hotKeyLabel");
    const ConstRCPtr<LFont> hotKeyFont = hotKey ? hotKey->GetFont() : rowFont;
    const float sum = static_cast<float>(TextWidth(item->label, rowFont)) +
                      static_cast<float>(TextWidth(item->hotKeyText, hotKeyFont));
    return static_cast<int32_t>(std::round(sum)) + std::max(m_extraWidth, 0);
}

KXRESULT LPopupMenu::UpdateRow(int32_t index)
{
    const RCPtr<LListBoxItem> row = GetRowAt(index - GetFirstShownItem());
    if (!row)
        return 1;
    const RCPtr<LPopupMenu> self(this);
    const RCPtr<LMenuItemDescriptor> item =
        m_menu && index >= 0 ? m_menu->GetItem(static_cast<uint32_t>(index)) : RCPtr<LMenuItemDescriptor>();
    const RCPtr<LControl> hotKey = row->FindChild(WString(u"hotKeyLabel"));
    if (item) {
        if (hotKey)
            hotKey->SetText(item->hotKeyText);
        row->SetBlank(item->IsSeparator());
    } else {
        if (hotKey)
            hotKey->SetText(WString());
        row->SetEnabled(false);
        if (auto* menuRow = dynamic_cast<LCheckedListBoxItem*>(row.Get()))
            menuRow->ShowLookOnRow(0, true);
    }
    const KXRESULT hr = LCheckedListBox::UpdateRow(index);
    if (item) {
        row->SetEnabled(item->IsEnabled());
        if (const RCPtr<LControl> check = row->FindChild(WString(u"checkBox")))
            check->ShowLook(item->IsChecked() ? (row->IsHighlighted() ? 8 : 7) : 0, true);
    }
    // The shortcut text takes the colour of the row's look.
    if (hotKey) {
        const LLook* look = dynamic_cast<const LLook*>(row->GetLookAt(row->GetFirstVisibleLook()).Get());
        if (look && look->GetTextForegroundPart())
            hotKey->SetLookPart(look->GetTextForegroundPart(), hotKey->GetFirstVisibleLook());
    }
    return hr;
}

double LPopupMenu::GetContentHeight()
{
    const int32_t count = GetItemCount();
    return static_cast<double>(count - m_separatorCount) * GetRowHeight() +
           static_cast<double>(m_separatorCount) * m_separatorHeight;
}

bool LPopupMenu::IsItemSelectable(int32_t index)
{
    if (!m_menu || index < 0)
        return false;
    const RCPtr<LMenuItemDescriptor> item = m_menu->GetItem(static_cast<uint32_t>(index));
    return item && item->IsEnabled() && !item->IsSeparator();
}

KXRESULT LPopupMenu::SetItemState(uint32_t index, const LMenuItemState& state)
{
    if (!m_menu || index >= m_menu->GetItemCount())
        return E_INVALIDARG;
    LMenuItemState current;
    m_menu->GetItemState(index, current);
    if (current == state)
        return 1;
    const RCPtr<LMenuItemDescriptor> item = m_menu->GetItem(index);
    if (!item->IsSeparator())
        item->enabled = state.enabled ? 1 : 0;
    if (!item->IsSeparator() && !item->HasSubItems()) {
        item->checked = state.checked ? 1 : 0;
        SetItemChecked(static_cast<int32_t>(index), item->IsChecked());
    }
    if (!(item->label == state.label)) {
        item->label = state.label;
        RebuildRows();
    }
    UpdateRow(static_cast<int32_t>(index));
    return S_OK;
}

void LPopupMenu::RefreshItemStates()
{
    const RCPtr<LMenuItemUpdater> updater = GetItemUpdater();
    if (!updater || !m_menu)
        return;
    const RCPtr<LControl> target = updater->GetControl();
    if (!target)
        return;
    const RCPtr<LPopupMenu> self(this);
    const RCPtr<LMenuDescriptor> menu = m_menu;
    for (uint32_t i = menu->GetItemCount(); i > 0; --i) {
        const RCPtr<LMenuItemDescriptor> item = menu->GetItem(i - 1);
        if (!item || item->HasSubItems() || item->IsSeparator())
            continue;
        LMenuItemState state;
        menu->GetItemState(i - 1, state);
        target->GetMenuItemState(menu, i - 1, item->id, state);
        SetItemState(i - 1, state);
    }
}

} // namespace KX
