#pragma once
// The general container ("Framework.Panel", "Framework.ScrollChannel"): a scroll view through
// which keys travel. Sibling keys are offered to child panels, unused keys bubble up to the top
// panel and from there to the hot-key tables, and Tab leaves a nested panel at its end instead of
// wrapping. UI thread only.
#include "kx/NotificationHandler.h"
#include "kx/controls/ScrollView.h"

namespace KX {

class LPanel : public LScrollView {
public:
    LPanel(const RCPtr<LControl>& parent, const WString& name);

    // The control base's result; a nested panel returns none where the walk would wrap around.
    RCPtr<LControl> GetNextFocusableChild(const RCPtr<LControl>& child, bool backward) override;
    // Sibling keys first; then up the tree; the top panel hands the key to the hot-key tables.
    KXRESULT HandleKey(const RCPtr<LKeyParam>& param) override;
    // Tab among the children; past the end the parent carries on.
    void HandleKeyNavigation(const RCPtr<LKeyParam>& param) override;
    // Joins the parent's "NID_SIBLING_KEY"; E_FAIL when that fails.
    KXRESULT Initialize() override;
    // The panel's own handlers, then the scroll view's chain.
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    // Drops the binding from this class's handlers too, then the registration.
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;

    // "NID_SIBLING_KEY" from the parent: the key offered to this panel's children; the result is
    // stored in the parameter. 1.
    KXRESULT OnPanelSiblingKey(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);

protected:
    ~LPanel() override;

private:
    RCPtr<LNotificationHandler<LPanel>> m_panelHandler;
};

} // namespace KX
