#pragma once
// The assignment summary inside a push-button, pad or sustain-pedal tile: the channel (a
// "midiChannel" field) and a short text of what the 10-byte button message sends ("infoLabel").
// Read-only; main thread only.
#include "kx/Array.h"
#include "kx/controls/Panel.h"

#include <cstdint>

class LButtonControlViewPanel : public KX::LPanel {
public:
    static constexpr uint32_t kMessageLength = 10;

    LButtonControlViewPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Normalizes the caller's copy of the message in place, then shows its channel and its text.
    // A message of another length, or a missing child, changes nothing (of that part).
    virtual void SetButtonMessage(KX::IArray<char>& message);

    // The text that the label takes for a normalized 10-byte message (bytes read signed); the
    // MMC names come from the "mmc" selector of the edit panel. Empty when no row applies.
    KX::WString DescribeMessage(const KX::IArray<char>& message);

protected:
    ~LButtonControlViewPanel() override;

private:
    // The MMC command's label text; keep is set when the MMC selector cannot be found.
    KX::WString DescribeMmc(int8_t command, bool& keep);
};
