// The push-button tile of the keyboard picture.
#include "editor/ButtonPanel.h"

#include "editor/ButtonControlViewPanel.h"
#include "editor/ButtonMessage.h"

using namespace KX;

namespace {
constexpr const char* kSource = "UI\\LumoSeriesCommon\\ButtonPanel";
constexpr int32_t kButtonsPerBank = 5;
} // namespace

LButtonPanel::LButtonPanel(const RCPtr<LControl>& parent, const WString& name) : LColorTileFrame(parent, name) {}

KXRESULT LButtonPanel::Initialize()
{
    return InitializeTile("LButtonPanel::Initialize", kSource);
}

void LButtonPanel::SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index)
{
    IPushButton::SetFirstParamID(parent, firstId, index);
    editor::tile::FormatNumberLabel(*this, u"buttonNumberLabel", index % kButtonsPerBank + 1,
                                    "LButtonPanel::SetFirstParamID", kSource, __LINE__);
}

Array<char> LButtonPanel::SplitMessage(const Variant& value) const
{
    return editor::SplitPushButtonMessage(value);
}
