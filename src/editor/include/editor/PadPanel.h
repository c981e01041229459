#pragma once
// The pad tile of the keyboard picture: a skinned panel ("button" face, "padNumberLabel", "color"
// indicator over the pad colour list, "viewPanel" summary) that is also the pad's leaf module in
// the user interface's parameter tree. It only displays: the summary follows the values routed to
// it, the indicator the engine's stored value; Shift-clicks step the indicator through the pad's
// four colours. Main thread only.
#include "editor/TileFrame.h"

#include <cstdint>

class LPadPanel : public LColorTileFrame<LPadPanel, IPad> {
public:
    // The value of one pad.
    static constexpr uint32_t kValueLength = 14;
    static constexpr uint32_t kShiftBit = editor::tile::kShiftBit;
    // Looks of the colour indicator: transparent, then the thirteen pad colours.
    static constexpr int32_t kColorLookCount = 14;

    LPadPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // The tile's children and click (InitializeTile).
    KX::KXRESULT Initialize() override;

    // Stores the module fields, then formats "padNumberLabel"'s own text with index + 1.
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override;

protected:
    KX::Array<char> SplitMessage(const KX::Variant& value) const override;
};

extern template class LColorTileFrame<LPadPanel, IPad>;
