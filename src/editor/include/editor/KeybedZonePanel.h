#pragma once
// The keybed-zone tile of the keyboard picture ("PresetEditor.MainControl.KeybedZones.Zone"): a
// skinned panel ("button" face, "zoneName", "infoLabel", "midiChannel" summary) that is also the
// zone's leaf module. It shows the zone's key range, named with the zone edit panel's note names,
// and its channel. Main thread only.
#include "engine/ModuleInterfaces.h"

#include "kx/NotificationHandler.h"
#include "kx/controls/Panel.h"

#include <cstdint>

namespace KX {
class LLabel;
}

class LKeybedZonePanel : public KX::LPanel, public IKeybedZone {
public:
    LKeybedZonePanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Needs "infoLabel": the "Null Pointer" runtime error otherwise. The base's result.
    KX::KXRESULT Initialize() override;

    // Stores the module fields and names the zone "ZONE index + 1"; throws without "zoneName".
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override;
    // Writes the key range as stored (no key rule applied: a key of a MIDI note's range is named,
    // any other byte shows its number) and the channel, and shows "zoneOff" (when the skin has it)
    // while the zone is off. E_FAIL (nothing changed) for a foreign id or a value that is not 9
    // bytes. The flag is not read.
    KX::KXRESULT SetParamValueLocal(const KX::ParamDescriptor& descriptor, const KX::Variant& value,
                                    bool fromDevice) override;

    // Its cut texts, whole (the face borrows the tip).
    KX::WString GetToolTipText() override;

    const KX::RCPtr<KX::LLabel>& GetInfoLabel() const noexcept { return m_infoLabel; }

protected:
    ~LKeybedZonePanel() override;

private:
    KX::RCPtr<KX::LNotificationHandler<LKeybedZonePanel>> m_handler;
    KX::RCPtr<KX::LLabel> m_infoLabel;
};
