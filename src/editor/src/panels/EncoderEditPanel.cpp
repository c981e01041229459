// The encoder edit panel: its labels and its target.
#include "editor/EncoderEditPanel.h"

#include "kx/controls/Label.h"

using namespace KX;

namespace {
constexpr const char* kInitialize = "LEncoderEditPanel::Initialize";
constexpr const char* kLabelText = "LEncoderEditPanel::SetEncoderLabelText";
constexpr const char* kSource = "UI\\LumoSeriesCommon\\EncoderEditPanel";
} // namespace

LEncoderEditPanel::LEncoderEditPanel(const RCPtr<LControl>& parent, const WString& name)
    : LMoveableEditPanelFrame(parent, name)
{
}

LEncoderEditPanel::~LEncoderEditPanel() = default;

KXRESULT LEncoderEditPanel::Initialize()
{
    const KXRESULT base = InitializeMoveable(kInitialize, kSource, 47);
    if (Failed(base))
        return base;
    // Named as the first encoder until the first target, rather than showing the bare format.
    if (FindChild(WString(u"knobName")) && FindChild(WString(u"bankName")))
        SetEncoderLabelText(static_cast<uint32_t>(GetIndex()));
    return base;
}

void LEncoderEditPanel::SetFirstParamID(LParameterizedModule* root, int32_t firstId, int32_t index)
{
    LParameterizedModule::SetFirstParamID(root, firstId, index);
    SetEncoderLabelText(static_cast<uint32_t>(index));
    editor::PostCurrentParamValue(firstId);
}

void LEncoderEditPanel::SetEncoderLabelText(uint32_t index)
{
    if (index < kEncoderCount)
        editor::SetBankedLabelText(*this, u"knobName", index, kEncodersPerBank, kLabelText, kSource);
}
