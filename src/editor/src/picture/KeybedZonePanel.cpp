// The keybed-zone tile: the zone's key range, channel and whether it is off.
#include "editor/KeybedZonePanel.h"

#include "editor/KeybedZoneEditPanel.h"
#include "editor/MIDIChannelViewPanel.h"

#include "dialogs/DialogSupport.h"

#include "kx/controls/Label.h"
#include "kx/ui/StringTable.h"

#include <algorithm>

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
} // namespace

KeyRange BoundKeyRange(int32_t first, int32_t last)
{
    last = std::clamp(last, 0, KeybedZoneByte::kHighestKey);
    first = std::clamp(first, 0, KeybedZoneByte::kHighestKey);
    return {std::min(first, last), last};
}

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
    return base;
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
    const KeyRange keys = BoundKeyRange(static_cast<int8_t>(data[KeybedZoneByte::kFirstKey]),
                                        static_cast<int8_t>(data[KeybedZoneByte::kLastKey]));
    if (m_infoLabel) {
        WString format;
        m_infoLabel->LookupString(WString(u"INFO_TEXT"), format);
        // The names are the zone edit panel's, so tile and panel spell a key alike.
        RCPtr<LControl> selector = LControl::GetParent() ? LControl::GetParent()->GetParent() : RCPtr<LControl>();
        for (const char16_t* name : {u"zoneEditPanel", u"startEndNoteSelector", u"startNote", u"noteSelector"})
            selector = Child(selector, name);
        const RCPtr<LControl> notes = Child(selector, u"noteNameLabel");
        const RCPtr<LControl> octaves = Child(selector, u"octaveNameLabel");
        const auto f = static_cast<uint32_t>(keys.first);
        const auto l = static_cast<uint32_t>(keys.last);
        m_infoLabel->SetText(WString::Format(format.GetString(), NameAt(notes, f % 12).GetString(),
                                             NameAt(octaves, f / 12).GetString(), NameAt(notes, l % 12).GetString(),
                                             NameAt(octaves, l / 12).GetString()));
    }
    if (const RCPtr<LMIDIChannelViewPanel> view = editor::FindChildAs<LMIDIChannelViewPanel>(this, u"midiChannel"))
        view->SetMIDIChannel(channel);
    return S_OK;
}
