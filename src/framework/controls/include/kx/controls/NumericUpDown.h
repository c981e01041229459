#pragma once
// The numeric entry field with two spin buttons ("Framework.NumericUpDown"): a value inside the
// control's range, shown formatted in its child text box, stepped by the buttons or the Up and
// Down keys, and read back from typed text when the text box validates. UI thread only.
#include "kx/NotificationHandler.h"
#include "kx/controls/Panel.h"

#include <cstdint>

namespace KX {

class LButton;
class LTextBox;

class LNumericUpDown : public LPanel {
public:
    LNumericUpDown(const RCPtr<LControl>& parent, const WString& name);

    // LControl.
    // Reads the text as a number (0 when it has none) and takes it as the value. 0.
    KXRESULT SetText(const WString& text) override;
    // Shows the value in the text box and validates it there.
    void OnValueChanged() override;
    // Mode 0 linear (any pair), 1 logarithmic (both ends above 0); E_INVALIDARG otherwise, and
    // nothing changes. The normalized value is kept; the text and the filter follow the range.
    KXRESULT SetValueRange(double minimum, double maximum, int32_t scaleType) override;
    // Up and Down (no modifiers) click the step buttons; other keys go to the panel.
    KXRESULT HandleKey(const RCPtr<LKeyParam>& param) override;
    KXRESULT Initialize() override;
    // Tab reaches the box, never its buttons. 0.
    KXRESULT PostInitialize() override;
    // The control's and the panel's handlers first, then the box's.
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;

    // Takes the value (clamped to the range) and returns what it became.
    double SetValueAndRead(double value);
    double GetValue() const { return NormalizedToValue(GetNormalizedValue()); }
    // The value as "%0.<decimals>f" prints it ("-0" shows as "0").
    WString FormatValue() const;
    // Digits, "." with decimals, "-" when the range goes below 0: the text box's allow list.
    void UpdateCharacterFilter();

    double GetStep() const noexcept { return m_step; }
    void SetStep(double step) noexcept { m_step = step; }
    int32_t GetDecimalPlaces() const noexcept { return m_decimals; }
    // 0 to 15 digits after the point; the filter and the text follow.
    void SetDecimalPlaces(int32_t decimals);

    const RCPtr<LTextBox>& GetTextBox() const noexcept { return m_textBox; }
    const RCPtr<LButton>& GetUpButton() const noexcept { return m_up; }
    const RCPtr<LButton>& GetDownButton() const noexcept { return m_down; }

    // Handlers.
    KXRESULT OnValidating(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    KXRESULT OnValidated(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    KXRESULT OnRepeat(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);

protected:
    ~LNumericUpDown() override;

private:
    // Puts the formatted value into the text box.
    void ShowValue();

    RCPtr<LNotificationHandler<LNumericUpDown>> m_boxHandler;
    RCPtr<LTextBox> m_textBox;
    RCPtr<LButton> m_up;
    RCPtr<LButton> m_down;
    double m_step = 1.0;
    int32_t m_decimals = 0;
};

} // namespace KX
