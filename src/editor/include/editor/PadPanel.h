#pragma once
// The pad tile of the keyboard picture: a skinned panel ("button" face, "padNumberLabel", "color"
// indicator over the pad colour list, "viewPanel" summary) that is also the pad's leaf module in
// the user interface's parameter tree. It only displays: the summary follows the values routed to
// it, the indicator the engine's stored value; Shift-clicks step the indicator through the pad's
// four colours. Main thread only.
#include "editor/TileFrame.h"

#include <cstdint>

class LButtonControlViewPanel;

class LPadPanel : public LTileFrame<LPadPanel, IPad> {
public:
    // The value of one pad.
    static constexpr uint32_t kValueLength = 14;
    static constexpr uint32_t kShiftBit = editor::tile::kShiftBit;
    // Looks of the colour indicator: transparent, then the thirteen pad colours.
    static constexpr int32_t kColorLookCount = 14;

    LPadPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // The handler (the "Null Pointer" runtime error without one), "color", the "NID_LEFT_CLICK" of
    // "button" (failed-result exception), colour slot -1, then "viewPanel". The base's result.
    KX::KXRESULT Initialize() override;

    // Stores the module fields, then formats "padNumberLabel"'s own text with index + 1.
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override;
    // Refreshes the indicator whatever comes; E_FAIL for a foreign id or a value that is not 14
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
    ~LPadPanel() override;

private:
    KX::RCPtr<KX::LControl> m_colorIndicator;
    int32_t m_colorSlot = -1;
    KX::RCPtr<LButtonControlViewPanel> m_viewPanel;
};
