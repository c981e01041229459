#pragma once
// The menu bar ("Framework.MainMenu"): a strip of combo menus built from its string table's
// "MENU_LABEL." labels and "CONTEXT_MENU" menus, kept across a change of skin; it sends the
// popups' commands to the clients of its window, passes item-state queries to an outside updater
// and remembers the control that had the focus before the bar took it. UI thread only.
#include "kx/ui/Control.h"

#include <cstdint>

namespace KX {

class LComboMenu;
class LControlDescriptor;
class LMenuDescriptor;
class LWindowCommandForwarder;

class LMainMenu : public LControl {
public:
    // Labels beyond this index are ignored.
    static constexpr int32_t kMaxMenus = 64;

    LMainMenu(const RCPtr<LControl>& parent, const WString& name);

    // The control that had the focus, when it takes edits; else the parent's answer.
    RCPtr<LControl> GetEditTarget() override;
    // Taking the focus remembers the control that had it.
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    // The titles are no Tab stops of their own: Tab from the bar goes on among its siblings.
    void HandleKeyNavigation(const RCPtr<LKeyParam>& param) override;
    void RegisterNotificationHandlers() override;
    // 1 without an updater; E_FAIL when the updater has no control; else that control's answer.
    KXRESULT GetMenuItemState(const RCPtr<LMenuDescriptor>& menu, uint32_t index, const WString& name,
                              LMenuItemState& state) override;
    // Applying the skin again keeps the menus.
    KXRESULT CreateFromDescriptor(const ConstRCPtr<LControlDescriptor>& descriptor) override;
    KXRESULT Initialize() override;
    KXRESULT AttachChild(RCPtr<LControl> child, const ConstRCPtr<LControlDescriptor>& descriptor) override;
    KXRESULT ReleaseInternalReferences() override;

    // True when updater was the one stored already.
    bool SetMenuItemUpdater(const RCPtr<LMenuItemUpdater>& updater);
    const RCPtr<LMenuItemUpdater>& GetOutsideItemUpdater() const noexcept { return m_itemUpdater; }
    // E_INVALIDARG for an index above the count; else the new menu's index.
    KXRESULT AddMenu(int32_t index, const WString& name, const WString& label, const RCPtr<LMenuDescriptor>& menu);
    // In front of the menu named before ("" appends); E_INVALIDARG when no menu has that name.
    KXRESULT InsertMenu(const WString& before, const WString& name, const WString& label,
                        const RCPtr<LMenuDescriptor>& menu);
    // A new combo-menu child right of the last; E_INVALIDARG when a child has that name, E_FAIL
    // without a template.
    KXRESULT CreateMenuButton(const WString& name);
    int32_t GetMenuCount();
    RCPtr<LComboMenu> GetMenuButton(int32_t index);
    int32_t FindMenuIndex(const WString& name);
    WString GetMenuName(int32_t index);
    const RCPtr<LControl>& GetSavedFocus() const noexcept { return m_savedFocus; }
    int32_t GetFixedMenuCount() const noexcept { return m_fixedMenus; }
    // Hands a notification to the clients of the window that holds the bar.
    RCPtr<LNotificationReceiver> GetWindowReceiver();

protected:
    ~LMainMenu() override;

private:
    RCPtr<LComboMenu> CreateButtonFromTemplate(const WString& name);

    RCPtr<LControl> m_savedFocus;
    ConstRCPtr<LControlDescriptor> m_template;
    RCPtr<LMenuItemUpdater> m_itemUpdater;
    int32_t m_fixedMenus = 0;
    uint8_t m_hasTemplate = 0;
    RCPtr<LWindowCommandForwarder> m_forwarder;
};

} // namespace KX
