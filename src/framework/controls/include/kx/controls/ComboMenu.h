#pragma once
// The combo menu ("Framework.ComboMenu"): a title that opens its "popupMenu" child as a drop-down,
// keeps its look in step with the popup, hands an open menu over to a sibling title that the
// pointer moves onto, and closes after an activation. Each title of the menu bar is one.
// UI thread only.
#include "kx/controls/DropDownControl.h"

namespace KX {

class LPopupMenu;

// Looks of a combo menu.
namespace ComboMenuLook {
inline constexpr int32_t kNormal = 0;
inline constexpr int32_t kHover = 1;
inline constexpr int32_t kOpen = 2;
inline constexpr int32_t kDisabled = 3;
// Normal and hover while the title has the focus, when the skin's list has them.
inline constexpr int32_t kNormalFocused = 4;
inline constexpr int32_t kHoverFocused = 5;
} // namespace ComboMenuLook

class LComboMenu : public LDropDownControl {
public:
    LComboMenu(const RCPtr<LControl>& parent, const WString& name);

    // Own table first, then the drop-down control's chain.
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;

    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    KXRESULT Initialize() override;
    // Reads the popup's configured horizontal position.
    KXRESULT PostInitialize() override;
    bool IsDropDownShowing() override;
    // Opening keeps the popup inside the outermost control, shows it, focuses it and hands it a
    // press still in progress; closing hides it.
    KXRESULT ShowDropDown(bool show) override;
    RCPtr<LControl> GetDropDownPart() override;

    // The direct child "popupMenu"; null without one.
    RCPtr<LPopupMenu> GetPopupMenu();
    PointT<double> GetPressPoint() const noexcept { return PointT<double>{m_pressX, m_pressY}; }

protected:
    ~LComboMenu() override;

private:
    KXRESULT OnPopupVisibilityChange(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    // Only the popup's own activations (they carry the menu and item) close it; the list box's
    // plain one that follows also comes after an item opened a sub-menu.
    KXRESULT OnPopupItemActivated(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    // Open, else hover, else normal; hover and normal in their focused form while focused.
    void ShowStateLook();

    RCPtr<LNotificationHandler<LComboMenu>> m_handler;
    double m_popupX = 0.0;
    double m_pressX = 0.0;
    double m_pressY = 0.0;
};

} // namespace KX
