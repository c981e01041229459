#pragma once
// The base of the controls that open a drop-down part when pressed (combo box, combo menu, combo
// slider): when the part opens and closes on presses and focus changes. What the part is and
// where it shows belong to the derived class. UI thread only.
#include "kx/ui/Control.h"

namespace KX {

class LDropDownControl : public LControl {
public:
    LDropDownControl(const RCPtr<LControl>& parent, const WString& name);

    // Overrides of LControl.
    // Takes the focus; a drop-down that is showing closes and marks the close as the focus's.
    KXRESULT SetFocus(bool forward) override;
    // The left button going down on the control opens the drop-down, unless the same press
    // just closed it.
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    // The base's set-up, then the subscription to the control's own "NID_MOUSE_DOWN".
    KXRESULT Initialize() override;
    // Losing the focus closes the drop-down first.
    bool KillFocus() override;
    // Own table first, then LControl's; nothing before the control is built.
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;
    // Tab inside the open part leaves the control: the part closes and the walk goes on from here.
    void HandleKeyNavigation(const RCPtr<LKeyParam>& param) override;

    // New virtual operations, in slot order.
    // True while the drop-down part is visible with a positive width and height.
    virtual bool IsDropDownShowing() = 0;
    // Opens (true) or closes (false) the drop-down part.
    virtual KXRESULT ShowDropDown(bool show) = 0;
    // The control the derived class shows as its drop-down part; null when it holds none.
    virtual RCPtr<LControl> GetDropDownPart() { return RCPtr<LControl>(); }
    // True exactly when the drop-down part exists, its layout is visible and its width and height
    // are both above 0.
    virtual bool IsDropDownShown();

    bool IsClosedByFocus() const noexcept { return m_closedByFocus; }
    bool IsOpenSuppressed() const noexcept { return m_suppressOpen; }

protected:
    ~LDropDownControl() override;

private:
    // Own "NID_MOUSE_DOWN": a press that follows a close by the focus swallows the next opening.
    // Never consumes the notification.
    KXRESULT OnOwnMouseDown(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);

    RCPtr<LNotificationHandler<LDropDownControl>> m_dropDownHandler;
    bool m_closedByFocus = false;
    bool m_suppressOpen = false;
};

} // namespace KX
