#pragma once
// The note-mode sub-editor of an XY-pad axis ("PresetEditor.MainControl.EditPanel.XYPadNotes"): a
// type selector (a range of two notes, or 3 to 8 notes), a scale selector that fills the notes
// from the first one, and eight note selectors. It edits the 9-byte note-mode value (bytes 6..14
// of the 15-byte axis value); the value is whatever its widgets say. Every change, also one made
// while a value is shown, raises "NID_PARAMETERS_CHANGED" (no payload) to its clients. Main
// thread only.
#include "kx/Array.h"
#include "kx/NotificationHandler.h"
#include "kx/RCPtrArray.h"
#include "kx/controls/Panel.h"

#include <cstdint>

namespace KX {
class LComboBox;
class LNumericUpDown;
} // namespace KX

// The 9-byte note-mode value.
namespace NoteModeValue {
constexpr uint32_t kLength = 9;
constexpr uint32_t kCount = 0; // 2 range, 3..8 that many notes
constexpr uint32_t kFirst = 1; // the first note (the key of a scale)
constexpr uint32_t kLast = 2;  // the last note; then notes 2..n-1, then the hidden ones
constexpr int32_t kRangeCount = 2;
constexpr int32_t kMaxCount = 8;
constexpr uint32_t kNoteFields = 8;
// Its place in the XY-pad axis value.
constexpr uint32_t kAxisOffset = 6;
// The scale id behind each item of the scale selector; item 0 ("Off") is none (-1).
constexpr int32_t kScaleItems = 11;
int32_t ScaleIdOfItem(int32_t item) noexcept;
} // namespace NoteModeValue

class LNoteModeEditPanel : public KX::LPanel {
public:
    LNoteModeEditPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Finds the type and scale combos ("Null Pointer" runtime error when one has no combo) and
    // the note fields "note1".."note8" / "noteSelector" / "numericUpDown"; all eight must be
    // there (the missing-child error otherwise). Labels note 1 "FIRST" and listens to every
    // widget. The base's failure is returned as it is.
    KX::KXRESULT Initialize() override;
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>& from,
                         const KX::RCPtr<KX::LNotification>& n) override;
    KX::KXRESULT UnregisterForNotification(const KX::RCPtr<KX::LNotificationDistributor>& d,
                                           const char16_t* name) override;

    // Shows a note-mode value (bytes read as signed, notes clamp into 0..127) and picks the scale
    // whose notes it holds. The value the widgets show already (the model reporting an edit made
    // here) changes nothing, the scale included, unless ShowNextValueAnew came first. The caller's
    // array is never changed. A count byte outside 2..8, or a value of another length, is refused
    // with E_INVALIDARG and changes nothing; else 0.
    virtual KX::KXRESULT SetNoteModeValue(const KX::Array<signed char>& value);
    // The next value set is shown in full, its scale worked out, even when the widgets show it.
    void ShowNextValueAnew() noexcept { m_showAnew = true; }
    // The 9-byte value the widgets say: count, first, last, the middle notes, then the hidden
    // ones (zeros for a range). A type combo with no valid item selected counts as 8 notes.
    virtual KX::Array<signed char> GetNoteModeValue();
    // "NID_VALUE_CHANGE" of a note field: note 1 re-applies the scale, another note drops the
    // scale to "Off". Raises "NID_PARAMETERS_CHANGED". 1.
    virtual KX::KXRESULT OnNoteValueChange(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                           const KX::RCPtr<KX::LNotification>& n);
    // "NID_SELECTION_CHANGE" of the type combo: shows that many notes. Raises
    // "NID_PARAMETERS_CHANGED". 1.
    virtual KX::KXRESULT OnNoteModeTypeChange(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                              const KX::RCPtr<KX::LNotification>& n);
    // "NID_SELECTION_CHANGE" of the scale combo: fills the notes. 1.
    virtual KX::KXRESULT OnNoteScaleChange(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                           const KX::RCPtr<KX::LNotification>& n);
    // Listens to the scale combo, the type combo and every note field; a failed registration
    // throws the failed-result exception.
    void RegisterForAllParameterNotifications();

    // Shows notes 2..count (labels "NOTE %d", "LAST" on the last) and hides the rest; a count
    // outside 2..8 is clamped into it.
    void SetNoteCount(uint8_t count);
    // Fills the note fields from note 1 with the selected scale (not for a range), labels note 1
    // "KEY" or "FIRST", then raises "NID_PARAMETERS_CHANGED".
    void ApplyScaleSelection();
    // Selects the scale item whose notes from note 1 equal all eight fields, else "Off".
    void SelectMatchingScale();

    // Widget access (tests, the XY-pad edit panel).
    const KX::RCPtr<KX::LComboBox>& GetTypeCombo() const noexcept { return m_typeCombo; }
    const KX::RCPtr<KX::LComboBox>& GetScaleCombo() const noexcept { return m_scaleCombo; }
    const KX::RCPtrArray<KX::LNumericUpDown>& GetNoteFields() const noexcept { return m_noteFields; }

protected:
    ~LNoteModeEditPanel() override;

private:
    // The type combo's note count, 2..8 (8 when nothing valid is selected).
    int32_t NoteCount() const;
    KX::RCPtr<KX::LControl> NoteLabel(uint32_t note);
    void SendParametersChanged();

    KX::RCPtr<KX::LNotificationHandler<LNoteModeEditPanel>> m_handler;
    KX::RCPtrArray<KX::LNumericUpDown> m_noteFields;
    KX::RCPtr<KX::LComboBox> m_typeCombo;
    KX::RCPtr<KX::LComboBox> m_scaleCombo;
    bool m_showAnew = false;
};
