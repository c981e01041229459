#pragma once
// The channel field of a tile's summary: shows a channel selector byte (0 global, 1-16 MIDI
// channels, 17-20 keybed zones, 21 omni) as a short text from its label's string table. Read-only;
// main thread only.
#include "kx/controls/Panel.h"

#include <cstdint>

namespace KX {
class LLabel;
}

class LMIDIChannelViewPanel : public KX::LPanel {
public:
    LMIDIChannelViewPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Needs the direct child "label" (the "Null Pointer" runtime error otherwise). E_FAIL when
    // the panel's own initialisation fails, else its result.
    KX::KXRESULT Initialize() override;

    // 0 "GLOBAL_LABEL", 21 "OMNI_LABEL", below 17 (negative bytes included) "CHANNEL_LABEL" with
    // the number, 17-20 "ZONE_LABEL" with the zone 1-4; 22 and above keep the text.
    virtual void SetMIDIChannel(int8_t selector);

    const KX::RCPtr<KX::LLabel>& GetLabel() const noexcept { return m_label; }

protected:
    ~LMIDIChannelViewPanel() override;

private:
    KX::RCPtr<KX::LLabel> m_label;
};
