#pragma once
// The MIDI note selector: a number box for a note 0..127 with two labels that spell the note's
// name and octave from their own string tables; and the scale builder that fills a run of note
// controls from a root note and a scale type. UI thread only.
#include "kx/Array.h"
#include "kx/NotificationHandler.h"
#include "kx/controls/Panel.h"

#include <cstdint>
#include <vector>

namespace KX {
class LLabel;
class LNumericUpDown;
class LStringTable;
} // namespace KX

namespace editor {

class LMidiNoteSelector : public KX::LPanel {
public:
    LMidiNoteSelector(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Needs "noteNameLabel", "octaveNameLabel" and "numericUpDown" (the missing-child error
    // otherwise); gives the box the range 0..127 and shows the labels. 0.
    KX::KXRESULT Initialize() override;
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>& from,
                         const KX::RCPtr<KX::LNotification>& n) override;
    KX::KXRESULT UnregisterForNotification(const KX::RCPtr<KX::LNotificationDistributor>& d,
                                           const char16_t* name) override;

    // Puts entry index (in key order) of table into label; the label stays as it was for an
    // index past the end.
    virtual KX::KXRESULT SetLabelFromStringTable(KX::RCPtr<KX::LStringTable> table, uint32_t index,
                                                 KX::RCPtr<KX::LControl> label);

    // Both labels from the box's value (truncated toward zero).
    void UpdateNoteLabels();
    // "NID_VALUE_CHANGE" of the box. 1.
    KX::KXRESULT OnValueChange(const KX::RCPtr<KX::LNotificationDistributor>& from,
                               const KX::RCPtr<KX::LNotification>& n);

    const KX::RCPtr<KX::LNumericUpDown>& GetNumberBox() const noexcept { return m_numberBox; }
    const KX::RCPtr<KX::LLabel>& GetNoteLabel() const noexcept { return m_noteLabel; }
    const KX::RCPtr<KX::LLabel>& GetOctaveLabel() const noexcept { return m_octaveLabel; }

protected:
    ~LMidiNoteSelector() override;

private:
    KX::RCPtr<KX::LNotificationHandler<LMidiNoteSelector>> m_handler;
    KX::RCPtr<KX::LLabel> m_noteLabel;
    KX::RCPtr<KX::LLabel> m_octaveLabel;
    KX::RCPtr<KX::LNumericUpDown> m_numberBox;
};

// The scale types: 0 major, 1 natural minor, 2 Phrygian, 3 melodic minor, 4 harmonic minor,
// 5 Mixolydian, 6 Lydian, 7 Dorian, 8 Locrian, 9 chromatic.
// count notes of the scale upward from root; empty for an unknown type.
KX::Array<double> BuildScaleNotes(int32_t scaleType, double root, int32_t count);

// Sets the controls to the scale that starts at the first control's value (each clamped to its
// control's range); nothing changes when the scale has another length. 0.
KX::KXRESULT ApplyScaleToNoteSelectors(std::vector<KX::RCPtr<KX::LControl>> controls, int32_t scaleType);

} // namespace editor
