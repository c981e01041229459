#pragma once
// The combo slider ("Framework.ComboSlider"): a value box that shows its value as text and opens
// its "dropDownPanel" child with a "slider" in it to change the value. Its value and the slider's
// follow each other without echoes. UI thread only.
#include "kx/NotificationHandler.h"
#include "kx/controls/DropDownControl.h"

#include <cstdint>

namespace KX {

class LPanel;
class LSlider;

class LComboSlider : public LDropDownControl {
public:
    LComboSlider(const RCPtr<LControl>& parent, const WString& name);

    // LControl.
    // The pop-up slider first, then the box's own value; returns the box's value.
    double SetNormalizedValue(double value) override;
    // The slider follows; the value text is shown.
    void OnValueChanged() override;
    // The range of the box and of its pop-up slider, so that the slider's keys and wheel steps are
    // units of the box's value. Refused (E_INVALIDARG) as the base refuses.
    KXRESULT SetValueRange(double minimum, double maximum, int32_t scaleType) override;
    // The drop-down behaviour, then the look of the state.
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    // The drop-down control's set-up, the panel (hidden) and the slider's "NID_VALUE_CHANGE"; the
    // box takes the slider's range.
    // E_FAIL when the base fails; 0 also without a panel (the box then has no pop-up).
    KXRESULT Initialize() override;
    // Own table, then the drop-down control's, then LControl's.
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;

    // LDropDownControl.
    bool IsDropDownShowing() override;
    KXRESULT ShowDropDown(bool show) override { return SetDropDownOpen(show); }
    RCPtr<LControl> GetDropDownPart() override;

    // Opens the panel inside the outermost control's width, or closes it. E_FAIL without a panel.
    KXRESULT SetDropDownOpen(bool open);
    // The value as "%0.<decimals>f" prints it.
    WString FormatValue() const;
    // 0 to 15 digits after the point; the text follows.
    void SetDecimalPlaces(int32_t decimals);
    int32_t GetDecimalPlaces() const noexcept { return m_decimals; }
    // The look of the state: 6 disabled; open 4, open with hover 5; closed 0, +1 focus, +2 hover.
    int32_t GetStateLookIndex();
    const RCPtr<LPanel>& GetDropDownPanel() const noexcept { return m_panel; }
    // The panel's "slider"; null without one.
    RCPtr<LSlider> GetSlider() const;

    // "NID_VALUE_CHANGE" of the pop-up slider: the box takes its value. 1.
    KXRESULT OnSliderChange(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);

protected:
    ~LComboSlider() override;

private:
    RCPtr<LNotificationHandler<LComboSlider>> m_comboHandler;
    RCPtr<LPanel> m_panel;
    // The slider whose "NID_VALUE_CHANGE" is bound (a child of the panel, which keeps it alive).
    const LSlider* m_boundSlider = nullptr;
    int32_t m_decimals = 0;
};

} // namespace KX
