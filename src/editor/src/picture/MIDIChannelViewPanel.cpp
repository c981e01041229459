// The channel field of the tiles' summaries.
#include "editor/MIDIChannelViewPanel.h"

#include "dialogs/DialogSupport.h"

#include "kx/controls/Label.h"

using namespace KX;

namespace {
constexpr const char* kSource = "UI\\LumoSeriesCommon\\MIDIChannelViewPanel";
constexpr int8_t kGlobal = 0;
constexpr int8_t kOmni = 21;
constexpr int8_t kFirstZone = 17;

WString Lookup(const LControl& control, const char16_t* key)
{
    WString text;
    control.LookupString(WString(key), text);
    return text;
}
} // namespace

LMIDIChannelViewPanel::LMIDIChannelViewPanel(const RCPtr<LControl>& parent, const WString& name) : LPanel(parent, name)
{
}

LMIDIChannelViewPanel::~LMIDIChannelViewPanel()
{
    m_label = nullptr;
}

KXRESULT LMIDIChannelViewPanel::Initialize()
{
    const KXRESULT base = LPanel::Initialize();
    if (Failed(base))
        return E_FAIL;
    m_label = editor::FindChildAs<LLabel>(this, u"label");
    if (!m_label)
        editor::ThrowNullPointer("Cannot find child midiChannelLabel", "LMIDIChannelViewPanel::Initialize", kSource,
                                 __LINE__);
    return base;
}

void LMIDIChannelViewPanel::SetMIDIChannel(int8_t selector)
{
    if (!m_label)
        return;
    const int32_t c = selector;
    if (c == kGlobal)
        m_label->SetText(Lookup(*m_label, u"GLOBAL_LABEL"));
    else if (c == kOmni)
        m_label->SetText(Lookup(*m_label, u"OMNI_LABEL"));
    else if (c < kFirstZone)
        m_label->SetText(WString::Format(Lookup(*m_label, u"CHANNEL_LABEL").GetString(), c));
    else if (c < kOmni)
        m_label->SetText(WString::Format(Lookup(*m_label, u"ZONE_LABEL").GetString(), c - (kFirstZone - 1)));
}
