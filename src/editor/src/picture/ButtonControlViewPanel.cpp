// The assignment summary of the push-button, pad and sustain-pedal tiles.
#include "editor/ButtonControlViewPanel.h"

#include "editor/ButtonMessage.h"
#include "editor/MIDIChannelViewPanel.h"

#include "dialogs/DialogSupport.h"

#include "kx/RCPtrArray.h"
#include "kx/controls/ComboBox.h"
#include "kx/controls/Label.h"

using namespace KX;

namespace {

using Type = editor::ButtonMessageType;

constexpr int32_t Code(Type t)
{
    return static_cast<int32_t>(t);
}

constexpr int32_t kMmcReset = 13;
constexpr int32_t kMmcResetItem = 11;
constexpr int32_t kLastListedMmc = 11;

int32_t At(const IArray<char>& m, uint32_t i)
{
    return static_cast<signed char>(m.ElementAt(i));
}

} // namespace

LButtonControlViewPanel::LButtonControlViewPanel(const RCPtr<LControl>& parent, const WString& name)
    : LPanel(parent, name)
{
}

LButtonControlViewPanel::~LButtonControlViewPanel() = default;

void LButtonControlViewPanel::SetButtonMessage(IArray<char>& message)
{
    editor::NormalizeButtonMessageRecord(message);
    if (message.GetCount() != kMessageLength)
        return;
    if (const auto channel = editor::FindChildAs<LMIDIChannelViewPanel>(this, u"midiChannel"))
        channel->SetMIDIChannel(static_cast<int8_t>(At(message, 0)));
    const auto label = editor::FindChildAs<LLabel>(this, u"infoLabel");
    if (!label)
        return;
    bool keep = false;
    const int32_t t = At(message, 2);
    WString text;
    if (At(message, 1) == 0 || t != Code(Type::Mmc))
        text = DescribeMessage(message);
    else
        text = DescribeMmc(static_cast<int8_t>(At(message, 4)), keep);
    if (!keep)
        label->SetText(text);
}

WString LButtonControlViewPanel::DescribeMessage(const IArray<char>& m)
{
    if (m.GetCount() != kMessageLength)
        return WString();
    const auto label = editor::FindChildAs<LLabel>(this, u"infoLabel");
    if (!label)
        return WString();
    const auto text = [&label](const char16_t* key) {
        WString s;
        label->LookupString(WString(key), s);
        return s;
    };
    const auto format = [&text](const char16_t* key, int32_t n) { return WString::Format(text(key).GetString(), n); };
    const int32_t t = At(m, 2);
    if (At(m, 1) == 0)
        return format(u"CC_LABEL", t);
    switch (t) {
    case Code(Type::ProgramChange): return format(u"PROGRAM_LABEL", At(m, 3));
    case Code(Type::NoteMomentary):
    case Code(Type::NoteLatching): return format(u"NOTE_LABEL", At(m, 3));
    case Code(Type::ControlChangeCycle):
    case Code(Type::ControlChangeDecrement):
    case Code(Type::ControlChangeIncrement): return format(u"CC_LABEL", At(m, 3));
    case Code(Type::ProgramChangeDecrement):
    case Code(Type::ProgramChangeIncrement): return text(u"PROGRAM_INC_DEC_LABEL");
    case Code(Type::ProgramChangeCycle): return text(u"PROGRAM_CYCLE_LABEL");
    case Code(Type::Mmc): {
        bool keep = false;
        return DescribeMmc(static_cast<int8_t>(At(m, 4)), keep);
    }
    case Code(Type::RpnCoarse):
    case Code(Type::RpnFine): return format(u"RPN_LABEL", At(m, 9) * 128 + At(m, 4));
    case Code(Type::NrpnCoarse):
    case Code(Type::NrpnFine): return format(u"NRPN_LABEL", At(m, 9) * 128 + At(m, 4));
    default: break;
    }
    if (t < Code(Type::ChannelPressure))
        return text(u"OTHER_LABEL");
    if (t == Code(Type::ChannelPressure))
        return text(u"AFTERTOUCH_LABEL");
    if (t == Code(Type::PitchBend))
        return text(u"PITCHBEND_LABEL");
    return text(u"SYSEX_LABEL");
}

WString LButtonControlViewPanel::DescribeMmc(int8_t command, bool& keep)
{
    keep = true;
    const auto label = editor::FindChildAs<LLabel>(this, u"infoLabel");
    const RCPtr<LControl> top = GetTopLevelControl();
    if (!label || !top)
        return WString();
    const RCPtr<LControl> device = top->FindChild(WString(u"viewDevice"));
    if (!device)
        return WString();
    RCPtrArray<LControl> found;
    if (device->FindDescendantsByName(WString(u"mmc"), found) == 0 || !found.ElementAt(0))
        return WString();
    const auto combo = editor::FindChildAs<LComboBox>(found.ElementAt(0).Get(), u"comboBox");
    if (!combo)
        return WString();
    keep = false;
    WString name;
    if (command == kMmcReset)
        name = combo->GetItemText(kMmcResetItem);
    else if (command >= 1 && command <= kLastListedMmc)
        name = combo->GetItemText(command - 1);
    WString key(u"MMC_OTHER_LABEL");
    if (!name.IsEmpty()) {
        WString bare;
        for (const char16_t* c = name.GetString(); *c != 0; ++c) {
            if (*c != u' ')
                bare.AppendChar(*c);
        }
        key = (WString(u"MMC_") + bare + WString(u"_LABEL")).ToUpper();
    }
    WString text;
    label->LookupString(key, text);
    return text;
}
