#pragma once
// The moveable-control sub-editor ("PresetEditor.MainControl.EditPanel.MoveableTypePanel"): a tab
// control with one page per kind of message a fader, encoder, pedal, wheel or XY-pad axis sends
// (controller absolute, controller relative, RPN/NRPN, other) and a channel on every page. It
// edits the 6-byte moveable message; the message is whatever its widgets and its selected page
// say. Every user change raises "NID_PARAMETERS_CHANGED" (no payload) to its clients; showing a
// message raises nothing. Main thread only.
#include "kx/Array.h"
#include "kx/NotificationHandler.h"
#include "kx/RCPtrArray.h"
#include "kx/controls/Panel.h"

#include <cstdint>

namespace KX {
class LComboBox;
class LNumericUpDown;
class LTabControl;
} // namespace KX

// The 6-byte moveable message.
namespace MoveableMessage {
constexpr uint32_t kLength = 6;
// Byte places.
constexpr uint32_t kChannel = 0;  // 0 global, 1..16 channels, 17..20 zones, 21 omni
constexpr uint32_t kTyped = 1;    // 0 controller message, else typed message
constexpr uint32_t kNumber = 2;   // controller number, or the type code
constexpr uint32_t kRelative = 3; // controller message: 0 absolute, 1 relative
constexpr uint32_t kLow = 4;      // minimum, relative type, or the LSB value
constexpr uint32_t kHigh = 5;     // maximum, or the MSB value
// Type codes 4..7 belong to the RPN/NRPN page; the other page's list position is the code below
// 4 and the code minus 4 from 8 on.
constexpr int32_t kFirstRpnType = 4;
constexpr int32_t kRpnTypeCount = 4;
// The other page's list item dropped at start (no code stands for it).
constexpr int32_t kRemovedOtherItem = 13;
} // namespace MoveableMessage

class LMoveableControlEditPanel : public KX::LPanel {
public:
    // Page indexes in the order of the tab buttons.
    enum Page : int32_t { kAbsolutePage = 0, kRelativePage = 1, kRpnPage = 2, kOtherPage = 3 };

    LMoveableControlEditPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Finds the tab control and every page's widgets, drops the other page's item 13, ranges the
    // number boxes 0..127 (3 characters). The base's failure, E_FAIL without a handler; a missing
    // tab control or other type combo throws the "Null Pointer" runtime error. No widget is
    // listened to until the first message is shown.
    KX::KXRESULT Initialize() override;
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>& from,
                         const KX::RCPtr<KX::LNotification>& n) override;
    KX::KXRESULT UnregisterForNotification(const KX::RCPtr<KX::LNotificationDistributor>& d,
                                           const char16_t* name) override;

    // Shows a message (bytes read as signed: numbers clamp into 0..127, a negative index selects
    // nothing) without raising any notification; widgets the message does not reach keep what
    // they show. A message shorter than 6 bytes is read as if padded with zeros.
    virtual void SetMoveableMessage(const KX::Array<signed char>& message);
    // The message the widgets and the selected page say, always 6 bytes (zeros without a page); a
    // combo with nothing selected gives 0xFF, which the edit panels refuse to send.
    virtual KX::Array<signed char> GetMoveableMessage();
    // Listens to every widget and the tab control; a failed registration throws the
    // failed-result exception.
    virtual void RegisterForAllParameterNotifications();

    // Raises "NID_PARAMETERS_CHANGED" to the clients, synchronously. A channel or controller
    // number chosen on one page is first given to the like widgets of the other pages, so that
    // switching pages keeps them. 1.
    KX::KXRESULT OnParameterControlChanged(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                           const KX::RCPtr<KX::LNotification>& n);

    // Widget access (tests, other sub-editors).
    const KX::RCPtr<KX::LTabControl>& GetTabControl() const noexcept { return m_tabControl; }
    // In page order: absolute, relative, RPN/NRPN, other.
    const KX::RCPtrArray<KX::LComboBox>& GetChannelCombos() const noexcept { return m_channels; }
    // absolute, other.
    const KX::RCPtrArray<KX::LNumericUpDown>& GetMinimumBoxes() const noexcept { return m_minimums; }
    const KX::RCPtrArray<KX::LNumericUpDown>& GetMaximumBoxes() const noexcept { return m_maximums; }
    // absolute, relative.
    const KX::RCPtrArray<KX::LNumericUpDown>& GetNumberBoxes() const noexcept { return m_numbers; }
    const KX::RCPtr<KX::LNumericUpDown>& GetLsbBox() const noexcept { return m_lsb; }
    const KX::RCPtr<KX::LNumericUpDown>& GetMsbBox() const noexcept { return m_msb; }
    const KX::RCPtr<KX::LComboBox>& GetRpnTypeCombo() const noexcept { return m_rpnType; }
    const KX::RCPtr<KX::LComboBox>& GetRelativeTypeCombo() const noexcept { return m_relativeType; }
    const KX::RCPtr<KX::LComboBox>& GetOtherTypeCombo() const noexcept { return m_otherType; }

protected:
    ~LMoveableControlEditPanel() override;

private:
    KX::RCPtr<KX::LNotificationHandler<LMoveableControlEditPanel>> m_handler;
    KX::RCPtr<KX::LTabControl> m_tabControl;
    KX::RCPtrArray<KX::LComboBox> m_channels;
    KX::RCPtrArray<KX::LNumericUpDown> m_minimums;
    KX::RCPtrArray<KX::LNumericUpDown> m_maximums;
    KX::RCPtrArray<KX::LNumericUpDown> m_numbers;
    KX::RCPtr<KX::LNumericUpDown> m_lsb;
    KX::RCPtr<KX::LNumericUpDown> m_msb;
    KX::RCPtr<KX::LComboBox> m_rpnType;
    KX::RCPtr<KX::LComboBox> m_relativeType;
    KX::RCPtr<KX::LComboBox> m_otherType;
};
