#pragma once
// The push-button tile of the keyboard picture: a skinned panel ("button" face, "buttonNumberLabel",
// "color" indicator, "viewPanel" summary) that is also the push button's leaf module in the user
// interface's parameter tree. It only displays: the summary follows the values routed to it, the
// indicator the engine's stored value; Shift-clicks step the indicator through the four colours.
// Main thread only.
#include "editor/TileFrame.h"

#include <cstdint>

class LButtonControlViewPanel;

class LButtonPanel : public LTileFrame<LButtonPanel, IPushButton> {
public:
    // The value of one push button.
    static constexpr uint32_t kValueLength = 17;
    static constexpr uint32_t kShiftBit = editor::tile::kShiftBit;
    // Looks of the colour indicator: transparent, then the seven colours.
    static constexpr int32_t kColorLookCount = 8;

    LButtonPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Finds "color" and "viewPanel" ("Null Pointer" runtime errors), listens to "button"'s
    // "NID_LEFT_CLICK" (failed-result exception), colour slot -1. The base's result.
    KX::KXRESULT Initialize() override;

    // Stores the module fields, then formats "buttonNumberLabel"'s own text with index mod 5 + 1
    // (a missing label throws after the fields are stored).
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override;
    // Refreshes the indicator whatever comes; E_FAIL for a foreign id or a value that is not 17
    // bytes, else hands the button message to the summary. The flag is not read.
    KX::KXRESULT SetParamValueLocal(const KX::ParamDescriptor& descriptor, const KX::Variant& value,
                                    bool fromDevice) override;

    // "NID_LEFT_CLICK" of "button": with Shift the next colour slot (0..3, wrapping). 1.
    KX::KXRESULT OnButtonClicked(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                 const KX::RCPtr<KX::LNotification>& n);
    // Shows the colour of the current slot of the engine's stored value; nothing for a value of
    // another length or a colour without a look.
    void UpdateColorIndicator();

    int32_t GetColorSlot() const noexcept { return m_colorSlot; }
    const KX::RCPtr<KX::LControl>& GetColorIndicator() const noexcept { return m_colorIndicator; }
    const KX::RCPtr<LButtonControlViewPanel>& GetViewPanel() const noexcept { return m_viewPanel; }

protected:
    ~LButtonPanel() override;

private:
    KX::RCPtr<KX::LControl> m_colorIndicator;
    KX::RCPtr<LButtonControlViewPanel> m_viewPanel;
    int32_t m_colorSlot = -1;
};
