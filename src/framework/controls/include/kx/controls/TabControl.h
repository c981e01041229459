#pragma once
// The tab control ("Framework.TabControl"): a panel whose "buttonHolder" children are the tab
// buttons and whose "pageHolder" children are the pages, paired by name. Selecting a tab switches
// its button on, shows its page, hides the others and sends "NID_TAB_SELECTED" with the page; the
// selection is kept by name across a rebuild from the skin. UI thread only.
#include "kx/NotificationHandler.h"
#include "kx/controls/Panel.h"

namespace KX {

class LTabControl : public LPanel {
public:
    LTabControl(const RCPtr<LControl>& parent, const WString& name);

    // The panel's rebuild; an initialised tab control selects its tab again afterwards.
    KXRESULT CreateFromDescriptor(const ConstRCPtr<LControlDescriptor>& descriptor) override;
    // Finds the holders and selects the first tab; E_FAIL when the panel fails or there is no
    // first tab (no click handlers then).
    KXRESULT Initialize() override;
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    // Drops the binding from this class's handlers too, then the registration.
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;

    virtual int32_t GetPageCount();
    // Searched from the last button to the first; -1 without a button holder or such a button.
    virtual int32_t GetTabIndex(const WString& name);
    virtual int32_t GetSelectedIndex();
    // Null when there is no page at the selected index.
    virtual RCPtr<LControl> GetSelectedPage();
    virtual WString GetSelectedName();
    virtual RCPtr<LControl> GetPageForTab(const WString& name);
    // Null without a page holder or for an index outside the pages.
    virtual RCPtr<LControl> GetPage(int32_t index);
    // 0; E_FAIL without a button holder, or (after updating the buttons) without a page holder.
    virtual KXRESULT SelectTab(const WString& name);
    // E_FAIL without a button holder or for an index outside the buttons.
    virtual KXRESULT SelectTabByIndex(int32_t index);
    virtual void OnTabSelected() {}

    // "NID_LEFT_CLICK" from a tab button: selects its tab. 1.
    KXRESULT OnTabClicked(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);

    const RCPtr<LControl>& GetButtonHolder() const noexcept { return m_buttonHolder; }
    const RCPtr<LControl>& GetPageHolder() const noexcept { return m_pageHolder; }

protected:
    ~LTabControl() override;

private:
    // Finds the holders and binds the clicks of every tab button (existing bindings stay).
    void BindTabButtons();

    RCPtr<LNotificationHandler<LTabControl>> m_tabHandler;
    RCPtr<LControl> m_buttonHolder;
    RCPtr<LControl> m_pageHolder;
    WString m_selectedName;
    bool m_initialized = false;
};

} // namespace KX
