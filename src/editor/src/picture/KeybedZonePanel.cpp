// The keybed-zone tile: the zone's key range, channel and whether it is off.
#include "editor/KeybedZonePanel.h"

#include "editor/KeybedZoneEditPanel.h"
#include "editor/MIDIChannelViewPanel.h"
#include "editor/TileFrame.h"

#include "dialogs/DialogSupport.h"

#include "kx/controls/Label.h"
#include "kx/ui/StringTable.h"

#include <utility>

using namespace KX;

namespace {
constexpr const char* kSource = "UI\\LumoSeriesCommon\\KeybedZonePanel";

// The entry at position index of the label's string table in key order; empty past the end.
WString NameAt(const RCPtr<LControl>& label, uint32_t index)
{
    if (!label || !label->GetStringTable())
        return WString();
    Array<Pair<WString, WString>> pairs;
    if (Failed(CopyStringMapToPairArray(label->GetStringTable()->GetEntries(), pairs)) || index >= pairs.GetCount())
        return WString();
    return pairs.ElementAt(index).second;
}

RCPtr<LControl> Child(const RCPtr<LControl>& parent, const char16_t* name)
{
    return editor::FindChildAs<LControl>(parent.Get(), name);
}

// The note and octave names of a stored key byte; a byte the tables do not name shows its number.
std::pair<WString, WString> KeyNames(const RCPtr<LControl>& notes, const RCPtr<LControl>& octaves, uint8_t key)
{
    if (key < 0x80) {
        WString note = NameAt(notes, key % 12u);
        WString octave = NameAt(octaves, key / 12u);
        if (!note.IsEmpty() && !octave.IsEmpty())
            return {note, octave};
    }
    return {WString::Format(u"%u", static_cast<uint32_t>(key)), WString()};
}
} // namespace

LKeybedZonePanel::LKeybedZonePanel(const RCPtr<LControl>& parent, const WString& name) : LPanel(parent, name) {}

LKeybedZonePanel::~LKeybedZonePanel()
{
    m_infoLabel = nullptr;
    m_handler = nullptr;
}

KXRESULT LKeybedZonePanel::Initialize()
{
    const KXRESULT base = LPanel::Initialize();
    if (Failed(base))
        return base;
    m_handler = RCPtr<LNotificationHandler<LKeybedZonePanel>>(new LNotificationHandler<LKeybedZonePanel>(this));
    m_infoLabel = editor::FindChildAs<LLabel>(this, u"infoLabel");
    if (!m_infoLabel)
        editor::ThrowNullPointer("Cannot find child: infoLabel ", "LKeybedZonePanel::Initialize", kSource, __LINE__);
    editor::tile::LendTipToFace(*this);
    return base;
}

WString LKeybedZonePanel::GetToolTipText()
{
    return editor::tile::CutTexts(*this);
}

void LKeybedZonePanel::SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index)
{
    IKeybedZone::SetFirstParamID(parent, firstId, index);
    const RCPtr<LLabel> name = editor::FindChildAs<LLabel>(this, u"zoneName");
    if (!name)
        editor::ThrowNullPointer("Cannot find child: zoneName", "LKeybedZonePanel::SetFirstParamID", kSource, __LINE__);
    WString format;
    name->LookupString(WString(u"LABEL"), format);
    name->SetText(WString::Format(format.GetString(), index + 1));
}

KXRESULT LKeybedZonePanel::SetParamValueLocal(const ParamDescriptor& descriptor, const Variant& value, bool)
{
    if (descriptor.id != GetFirstParamID())
        return E_FAIL;
    uint32_t count = 0;
    const uint8_t* data = value.GetData(count);
    if (count != KeybedZoneByte::kLength || !data)
        return E_FAIL;
    // A zone that is off says so in the picture, not by colour alone.
    if (const RCPtr<LControl> off = Child(RCPtr<LControl>(this), u"zoneOff"))
        off->SetVisible(data[KeybedZoneByte::kEnabled] == 0);
    const auto channel = static_cast<int8_t>(data[KeybedZoneByte::kChannel]);
    if (m_infoLabel) {
        WString format;
        m_infoLabel->LookupString(WString(u"INFO_TEXT"), format);
        // The names are the zone edit panel's, so tile and panel spell a key alike.
        RCPtr<LControl> selector = LControl::GetParent() ? LControl::GetParent()->GetParent() : RCPtr<LControl>();
        for (const char16_t* name : {u"zoneEditPanel", u"startEndNoteSelector", u"startNote", u"noteSelector"})
            selector = Child(selector, name);
        const RCPtr<LControl> notes = Child(selector, u"noteNameLabel");
        const RCPtr<LControl> octaves = Child(selector, u"octaveNameLabel");
        const auto first = KeyNames(notes, octaves, data[KeybedZoneByte::kFirstKey]);
        const auto last = KeyNames(notes, octaves, data[KeybedZoneByte::kLastKey]);
        m_infoLabel->SetText(WString::Format(format.GetString(), first.first.GetString(), first.second.GetString(),
                                             last.first.GetString(), last.second.GetString()));
    }
    if (const RCPtr<LMIDIChannelViewPanel> view = editor::FindChildAs<LMIDIChannelViewPanel>(this, u"midiChannel"))
        view->SetMIDIChannel(channel);
    return S_OK;
}
