// The summary inside the tiles of continuous controls.
#include "editor/MoveableControlViewPanel.h"

#include "editor/MIDIChannelViewPanel.h"

#include "dialogs/DialogSupport.h"

#include "kx/controls/Label.h"

using namespace KX;

namespace {
WString Lookup(const LControl& control, const char16_t* key)
{
    WString text;
    control.LookupString(WString(key), text);
    return text;
}

// Numbers are worked out signed and shown as their unsigned 32-bit pattern.
WString WithNumber(const LControl& label, const char16_t* key, int32_t n)
{
    return WString::Format(Lookup(label, key).GetString(), static_cast<uint32_t>(n));
}
} // namespace

LMoveableControlViewPanel::LMoveableControlViewPanel(const RCPtr<LControl>& parent, const WString& name)
    : LPanel(parent, name)
{
}

WString LMoveableControlViewPanel::Describe(const LControl& label, const IArray<char>& value)
{
    const int32_t typed = static_cast<signed char>(value.ElementAt(1));
    const int32_t code = static_cast<signed char>(value.ElementAt(2));
    const int32_t number =
        static_cast<signed char>(value.ElementAt(5)) * 128 + static_cast<signed char>(value.ElementAt(4));
    if (typed == 0)
        return WithNumber(label, u"CC_LABEL", code);
    if (code == 4 || code == 5)
        return WithNumber(label, u"RPN_LABEL", number);
    if (code == 6 || code == 7)
        return WithNumber(label, u"NRPN_LABEL", number);
    if (code < 3)
        return Lookup(label, u"OTHER_LABEL");
    if (code == 3)
        return Lookup(label, u"AFTERTOUCH_LABEL");
    if (code == 16)
        return Lookup(label, u"PITCHBEND_LABEL");
    return Lookup(label, u"SYSEX_LABEL");
}

void LMoveableControlViewPanel::SetMoveableValue(const IArray<char>& value)
{
    if (value.GetCount() != kMessageLength)
        return;
    if (const auto channel = editor::FindChildAs<LMIDIChannelViewPanel>(this, u"midiChannel"))
        channel->SetMIDIChannel(static_cast<int8_t>(value.ElementAt(0)));
    const auto info = editor::FindChildAs<LLabel>(this, u"infoLabel");
    if (!info)
        return;
    info->SetText(Describe(*info, value));
}
