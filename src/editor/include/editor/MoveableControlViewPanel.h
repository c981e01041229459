#pragma once
// The summary inside the tile of a continuous control (fader, encoder, wheel, volume pedal, XY-pad
// axis): the channel ("midiChannel") and a short text of what the 6-byte moveable message sends
// ("infoLabel"). Read-only, keeps nothing between calls; main thread only.
#include "kx/Array.h"
#include "kx/controls/Panel.h"

#include <cstdint>

class LMoveableControlViewPanel : public KX::LPanel {
public:
    static constexpr uint32_t kMessageLength = 6;

    LMoveableControlViewPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Shows a 6-byte message; another length, or a missing child, changes nothing (of that part).
    virtual void SetMoveableValue(const KX::IArray<char>& value);

    // The info text of a 6-byte message (bytes read signed), from the label's string table.
    static KX::WString Describe(const KX::LControl& label, const KX::IArray<char>& value);

protected:
    ~LMoveableControlViewPanel() override = default;
};
