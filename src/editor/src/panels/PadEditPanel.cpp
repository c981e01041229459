// The pad edit panel: its name, its message and the latch-bound note fields.
#include "editor/PadEditPanel.h"

#include "editor/ButtonControlEditPanel.h"

#include "kx/controls/ComboBox.h"
#include "kx/controls/Label.h"
#include "kx/controls/TabControl.h"

#include "panels/PadsPanelSupport.h"

using namespace KX;

LPadEditPanel::LPadEditPanel(const RCPtr<LControl>& parent, const WString& name) : LButtonEditPanelFrame(parent, name)
{
}

LPadEditPanel::~LPadEditPanel() = default;

KXRESULT LPadEditPanel::Initialize()
{
    RCPtr<LTabControl> tabs;
    const KXRESULT base =
        InitializeButtonPages({u"padName", "Couldn't find child padName", "Couldn't find viewTabControl page: midiPage",
                               "Cannot find child viewTabControl page: colorPage", "LPadEditPanel::Initialize",
                               "UI\\LumoSeriesCommon\\PadEditPanel", u"Tile.PadColor"},
                              tabs);
    if (Failed(base) || !m_handler)
        return base;
    m_buttonTypePanel->SetNoteOnOffFollowsLatch(true);
    // Named after the first pad until a pad is chosen.
    SetPadLabelText(GetIndex());
    return base;
}

KXRESULT LPadEditPanel::SetPadLabelText(int32_t index)
{
    if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(kPadCount) || !m_nameLabel)
        return E_FAIL;
    m_nameLabel->SetText(pads::FormatLabel(m_nameLabel, index + 1));
    return S_OK;
}

Array<char> LPadEditPanel::SplitMessage(const uint8_t* value) const
{
    return editor::SplitPadMessage(value, kValueSize);
}

bool LPadEditPanel::JoinMessage(const Array<char>& message, uint8_t* value) const
{
    return editor::JoinPadMessage(message, value, kValueSize);
}
