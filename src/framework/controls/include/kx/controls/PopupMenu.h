#pragma once
// The popup menu ("Framework.PopupMenu"): one menu descriptor shown as a floating checked list in
// drop-down mode, with shortcut texts, separators, item states pulled from an updater when it
// shows, cascading sub-menus opened after a rest of 250 ms on the idle pass, and activation
// turned into "NID_ITEM_ACTIVATED" plus the item's own notification to a command receiver.
// UI thread only.
#include "kx/controls/CheckedListBox.h"
#include "kx/controls/MenuListBoxItem.h"
#include "kx/ui/FrameworkControlSeams.h"
#include "kx/ui/MenuDescriptor.h"

#include <cstdint>

namespace KX {

class LNotificationReceiver;

class LPopupMenu : public LCheckedListBox, public IPopupMenuControl {
public:
    // Milliseconds the pointer rests before a sub-menu opens or closes (strictly more).
    static constexpr uint32_t kSubMenuDelay = 250;

    LPopupMenu(const RCPtr<LControl>& parent, const WString& name);

    // Notifications walk the popup's own table, then the checked list box's chain.
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;

    // Ends a sub-menu close in progress, then takes the focus. (A press on a row asks the popup
    // for the focus it has already; that must not close it.)
    KXRESULT SetFocus(bool forward) override;
    // Focus loss closes; showing pulls the item states; hiding closes the sub-menus.
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    KXRESULT CreateFromDescriptor(const ConstRCPtr<LControlDescriptor>& descriptor) override;
    // After the list's handling, a captured pointer outside is handed to the menu bar or to the
    // popup of this cascade under it.
    void OnMove(const RCPtr<LPointWithModifiersParam>& param) override;
    // Left, Right and Escape; the list box's keys otherwise.
    KXRESULT FilterKey(const RCPtr<LKeyParam>& param) override;
    // The sub-menu timer.
    void OnIdleHook() override;
    KXRESULT Initialize() override;
    // Unclipped and hidden; 0.
    KXRESULT PostInitialize() override;
    // Hiding is skipped once right after an activation that opened a sub-menu.
    void SetVisible(bool visible) override;

    void OnSelectionChanged() override;
    void OnItemActivated() override;
    KXRESULT AddRowControl() override;
    KXRESULT UpdateRow(int32_t index) override;
    double GetContentHeight() override;
    // Enabled and not a separator.
    bool IsItemSelectable(int32_t index) override;

    // New virtual operation: the row width an item needs; 0 without a menu or past the items.
    virtual int32_t MeasureItemWidth(int32_t index);

    // The control base's seam.
    KXRESULT ShowMenu(const RCPtr<LMenuDescriptor>& menu) override { return SetMenu(menu); }
    // Keeps the requested position (the pointer's, for a context menu) inside the window, shows
    // the popup and gives it the focus.
    KXRESULT PositionOnScreen() override;
    void LetOwnerPrepare(LControl& owner) override;

    // A deep copy of menu becomes the menu shown. E_INVALIDARG for null.
    KXRESULT SetMenu(const RCPtr<LMenuDescriptor>& menu);
    // A sub-menu shows its parent popup's item itself. E_INVALIDARG without a parent popup, for
    // an index past its items or an item without sub-items.
    KXRESULT SetMenuFromParentItem(uint32_t index);
    const RCPtr<LMenuDescriptor>& GetMenu() const noexcept { return m_menu; }

    // E_INVALIDARG for null, E_FAIL when one is set already (it stays).
    KXRESULT SetCommandReceiver(const RCPtr<LNotificationReceiver>& receiver);
    // The receiver set, else the first ancestor that is not a popup menu; null without one.
    RCPtr<LNotificationReceiver> GetCommandReceiver();
    // The updater set, else the command receiver control's own (kept).
    RCPtr<LMenuItemUpdater> GetItemUpdater();
    void SetItemUpdater(const RCPtr<LMenuItemUpdater>& updater) { m_itemUpdater = updater; }

    // E_INVALIDARG past the items; 1 when the state is the item's already; else 0.
    KXRESULT SetItemState(uint32_t index, const LMenuItemState& state);
    // Asks the updater's control for every plain item's state, last to first.
    void RefreshItemStates();

    // E_INVALIDARG for an item without sub-items.
    KXRESULT OpenSubMenu(int32_t index);
    void CloseSubMenus();
    // Selects the first item that can be selected.
    void SelectFirstItem();
    // Closes the whole cascade and takes the top popup out of its parent.
    void Close();
    // Whether popup is one of this popup's open sub-menus or one of its parent popups.
    bool IsInMenuChain(const LPopupMenu* popup) const;

    const RCPtr<LPopupMenu>& GetSubMenu() const noexcept { return m_subMenu; }
    // The popup this one is a sub-menu of; null for a top popup.
    RCPtr<LPopupMenu> GetParentPopup() const;
    bool ClosesOnFocusLoss() const noexcept { return m_closeOnFocusLoss != 0; }
    void SetClosesOnFocusLoss(bool on) noexcept { m_closeOnFocusLoss = on ? 1 : 0; }
    bool IsSubMenuTimerRunning() const noexcept { return m_timerRunning != 0; }
    bool IsClosing() const noexcept { return m_closing != 0; }
    int32_t GetSeparatorHeight() const noexcept { return m_separatorHeight; }
    int32_t GetSeparatorCount() const noexcept { return m_separatorCount; }

protected:
    ~LPopupMenu() override;

    // Shortcut texts for the items without one, from the receiver's, its window's or the
    // application's key bindings. E_FAIL without a menu or a receiver.
    KXRESULT AssignHotKeyTexts(const RCPtr<LMenuDescriptor>& menu);
    KXRESULT RebuildRows();
    // Opens the caret item's sub-menu, or activates it.
    void ActivateHotItem();
    void StartTimer();
    void StopTimer();
    KXRESULT OnMenuRowHover(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);

private:
    // The row control of a row position and its named child.
    RCPtr<LControl> RowChild(int32_t row, const char16_t* name);
    void MeasureExtraWidth(const RCPtr<LControl>& row);

    RCPtr<LNotificationHandler<LPopupMenu>> m_handler;
    RCPtr<LMenuDescriptor> m_menu;
    RCPtr<LPopupMenu> m_subMenu;
    RCPtr<LMenuItemDescriptor> m_subMenuItem;
    RCPtr<LNotificationReceiver> m_commandReceiver;
    RCPtr<LMenuItemUpdater> m_itemUpdater;
    uint8_t m_timerRunning = 0;
    uint32_t m_timerStart = 0;
    uint8_t m_closingSubMenus = 0;
    uint8_t m_closeOnFocusLoss = 1;
    uint8_t m_closing = 0;
    uint8_t m_keepOpen = 0;
    int32_t m_separatorHeight = 0;
    int32_t m_separatorCount = 0;
    int32_t m_extraWidth = -1;
    int32_t m_widestItem = 0;
};

} // namespace KX
