// The pad tile of the keyboard picture.
#include "editor/PadPanel.h"

#include "editor/ButtonControlViewPanel.h"
#include "editor/ButtonMessage.h"

using namespace KX;

namespace {
constexpr const char* kSource = "UI\\LumoSeriesCommon\\PadPanel";
} // namespace

LPadPanel::LPadPanel(const RCPtr<LControl>& parent, const WString& name) : LColorTileFrame(parent, name) {}

KXRESULT LPadPanel::Initialize()
{
    return InitializeTile("LPadPanel::Initialize", kSource);
}

void LPadPanel::SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index)
{
    IPad::SetFirstParamID(parent, firstId, index);
    editor::tile::FormatNumberLabel(*this, u"padNumberLabel", index + 1, "LPadPanel::SetFirstParamID", kSource,
                                    __LINE__);
}

Array<char> LPadPanel::SplitMessage(const Variant& value) const
{
    return editor::SplitPadMessage(value);
}
