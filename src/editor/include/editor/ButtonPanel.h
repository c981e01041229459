#pragma once
// The push-button tile of the keyboard picture: a skinned panel ("button" face, "buttonNumberLabel",
// "color" indicator, "viewPanel" summary) that is also the push button's leaf module in the user
// interface's parameter tree. It only displays: the summary follows the values routed to it, the
// indicator the engine's stored value; Shift-clicks step the indicator through the four colours.
// Main thread only.
#include "editor/TileFrame.h"

#include <cstdint>

class LButtonPanel : public LColorTileFrame<LButtonPanel, IPushButton> {
public:
    // The value of one push button.
    static constexpr uint32_t kValueLength = 17;
    static constexpr uint32_t kShiftBit = editor::tile::kShiftBit;
    // Looks of the colour indicator: transparent, then the seven colours.
    static constexpr int32_t kColorLookCount = 8;

    LButtonPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // The tile's children and click (InitializeTile).
    KX::KXRESULT Initialize() override;

    // Stores the module fields, then formats "buttonNumberLabel"'s own text with index mod 5 + 1
    // (a missing label throws after the fields are stored).
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override;

protected:
    KX::Array<char> SplitMessage(const KX::Variant& value) const override;
};

extern template class LColorTileFrame<LButtonPanel, IPushButton>;
