#pragma once
// A number box with a label that names its value: the label shows entry n (in key order) of its
// own string table, n being the box's value truncated toward zero. UI thread only.
#include "kx/NotificationHandler.h"
#include "kx/controls/Panel.h"

namespace KX {
class LLabel;
class LNumericUpDown;
} // namespace KX

namespace editor {

class LNumberBoxTextSelector : public KX::LPanel {
public:
    LNumberBoxTextSelector(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Needs "label" and "numericUpDown" (the missing-child error otherwise); the range stays
    // the skin's or the owner's. The panel's result.
    KX::KXRESULT Initialize() override;
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>& from,
                         const KX::RCPtr<KX::LNotification>& n) override;
    KX::KXRESULT UnregisterForNotification(const KX::RCPtr<KX::LNotificationDistributor>& d,
                                           const char16_t* name) override;

    // The label from the box's value; a value outside the table leaves the label as it was.
    void UpdateText();
    // "NID_VALUE_CHANGE" of the box. 1.
    KX::KXRESULT OnValueChange(const KX::RCPtr<KX::LNotificationDistributor>& from,
                               const KX::RCPtr<KX::LNotification>& n);

    const KX::RCPtr<KX::LNumericUpDown>& GetNumberBox() const noexcept { return m_numberBox; }
    const KX::RCPtr<KX::LLabel>& GetLabel() const noexcept { return m_label; }

protected:
    ~LNumberBoxTextSelector() override;

private:
    KX::RCPtr<KX::LNotificationHandler<LNumberBoxTextSelector>> m_handler;
    KX::RCPtr<KX::LLabel> m_label;
    KX::RCPtr<KX::LNumericUpDown> m_numberBox;
};

} // namespace editor
