// The fader edit panel: its labels and its target.
#include "editor/FaderEditPanel.h"

#include "dialogs/DialogSupport.h"

#include "kx/controls/Label.h"

using namespace KX;

namespace {
constexpr const char* kInitialize = "LFaderEditPanel::Initialize";
constexpr const char* kLabelText = "LFaderEditPanel::SetFaderLabelText";
constexpr const char* kSource = "UI\\LumoSeriesCommon\\FaderEditPanel";
} // namespace

LFaderEditPanel::LFaderEditPanel(const RCPtr<LControl>& parent, const WString& name)
    : LMoveableEditPanelFrame(parent, name)
{
}

LFaderEditPanel::~LFaderEditPanel()
{
    m_nameLabel = nullptr;
}

KXRESULT LFaderEditPanel::Initialize()
{
    const KXRESULT base = InitializeMoveable(kInitialize, kSource, 47);
    if (Failed(base))
        return base;
    m_nameLabel = editor::FindChildAs<LLabel>(this, u"faderName");
    if (!m_nameLabel)
        editor::ThrowNullPointer("Cannot find child: faderName", kInitialize, kSource, 54);
    // Named as the first fader until the first target, rather than showing the bare format.
    if (FindChild(WString(u"bankName")))
        SetFaderLabelText(static_cast<uint32_t>(GetIndex()));
    return base;
}

void LFaderEditPanel::SetFirstParamID(LParameterizedModule* root, int32_t firstId, int32_t index)
{
    RetargetAndPost(root, firstId, index);
    SetFaderLabelText(static_cast<uint32_t>(index));
}

void LFaderEditPanel::SetFaderLabelText(uint32_t index)
{
    if (index < kFaderCount)
        editor::SetBankedLabelText(*this, u"faderName", index, kFadersPerBank, kLabelText, kSource);
}
