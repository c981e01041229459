// The keybed-zone edit panel: its widgets, the key rule and the road of its values.
#include "editor/KeybedZoneEditPanel.h"

#include "dialogs/DialogSupport.h"

#include "kx/Exception.h"
#include "kx/controls/Button.h"
#include "kx/controls/ComboBox.h"
#include "kx/controls/Label.h"
#include "kx/controls/NumericUpDown.h"

#include <cmath>

using namespace KX;
namespace ZB = KeybedZoneByte;

namespace {
constexpr const char* kInitialize = "LKeybedZoneEditPanel::Initialize";
constexpr const char* kSource = "UI\\LumoSeriesCommon\\KeybedZoneEditPanel";

// The child at the end of a chain of names, each among the direct children of the one before.
RCPtr<LControl> FindPath(LControl* from, std::initializer_list<const char16_t*> names)
{
    RCPtr<LControl> c(from);
    for (const char16_t* name : names) {
        c = editor::FindChildAs<LControl>(c.Get(), name);
        if (!c)
            return c;
    }
    return c;
}

template <class T>
RCPtr<T> RequirePath(LControl* from, std::initializer_list<const char16_t*> names, const char* what, int line)
{
    const RCPtr<T> c = RCPtr<T>::DynamicCast(ConstRCPtr<LControl>(FindPath(from, names)));
    if (!c)
        editor::ThrowNullPointer(what, kInitialize, kSource, line);
    return c;
}

int32_t NumberOf(const LControl& box)
{
    return static_cast<int32_t>(std::trunc(box.NormalizedToValue(box.GetNormalizedValue())));
}

void SetNumber(LControl* box, double number)
{
    if (box)
        box->SetNormalizedValue(box->ValueToNormalized(number));
}

void SetFieldLabel(LControl* selector, const char16_t* key)
{
    const RCPtr<LControl> label = editor::FindChildAs<LControl>(selector, u"controlNameLabel");
    if (!label)
        return;
    WString text;
    label->LookupString(WString(key), text);
    label->SetText(text);
}
} // namespace

LKeybedZoneEditPanel::LKeybedZoneEditPanel(const RCPtr<LControl>& parent, const WString& name)
    : LEditPanelFrame(parent, name)
{
}

LKeybedZoneEditPanel::~LKeybedZoneEditPanel()
{
    m_nameLabel = nullptr;
    m_enabledToggle = nullptr;
    m_programBox = nullptr;
    m_bankMsbBox = nullptr;
    m_bankLsbBox = nullptr;
    m_transposeBox = nullptr;
    m_octaveBox = nullptr;
    m_lastKeyBox = nullptr;
    m_firstKeyBox = nullptr;
    m_channelCombo = nullptr;
}

KXRESULT LKeybedZoneEditPanel::Initialize()
{
    const KXRESULT base = InitializeFrame();
    if (Failed(base))
        return base;
    auto listen = [this](const RCPtr<LControl>& c, Handler::Function member, const char16_t* name, int line) {
        CheckResult(m_handler->AddDistributorHandler(member, RCPtr<LNotificationDistributor>(c), name, 0), kInitialize,
                    kSource, line);
    };
    m_nameLabel = RequirePath<LLabel>(this, {u"zoneName"}, "couldn't find child zoneName", __LINE__);
    m_enabledToggle = RequirePath<LButton>(this, {u"zoneEnabledToggleButton"},
                                           "couldn't find child zoneEnabledToggleButton", __LINE__);
    // The button is a plain one: the panel flips it on a click, once.
    listen(RCPtr<LControl>(m_enabledToggle), &LKeybedZoneEditPanel::OnZoneValueChanged, NID_VALUE_CHANGE, __LINE__);
    listen(RCPtr<LControl>(m_enabledToggle), &LKeybedZoneEditPanel::OnZoneEnabledClicked, NID_LEFT_CLICK, __LINE__);
    m_channelCombo =
        RequirePath<LComboBox>(this, {u"midiChannel", u"comboBox"}, "Cannot find child midiChannel/comboBox", __LINE__);
    listen(RCPtr<LControl>(m_channelCombo), &LKeybedZoneEditPanel::OnZoneValueChanged, NID_SELECTION_CHANGE, __LINE__);

    struct Box {
        RCPtr<LNumericUpDown>& field;
        std::initializer_list<const char16_t*> path;
        const char* what;
    };
    const Box boxes[] = {
        {m_octaveBox, {u"octave", u"numericUpDown"}, "Cannot find child octave/numericUpDown"},
        {m_transposeBox, {u"transpose", u"numericUpDown"}, "Cannot find child transpose/numericUpDown"},
        {m_bankLsbBox, {u"msbLSBSelectors", u"lsb", u"numericUpDown"}, "Cannot find child lsb/numericUpDown"},
        {m_bankMsbBox, {u"msbLSBSelectors", u"msb", u"numericUpDown"}, "Cannot find child msb/numericUpDown"},
        {m_firstKeyBox,
         {u"startEndNoteSelector", u"startNote", u"noteSelector", u"numericUpDown"},
         "Cannot find child startNote/noteSelector/numericUpDown"},
        {m_lastKeyBox,
         {u"startEndNoteSelector", u"endNote", u"noteSelector", u"numericUpDown"},
         "Cannot find child endNote/noteSelector/numericUpDown"},
        {m_programBox, {u"program", u"numericUpDown"}, "Cannot find child program/numericUpDown"},
    };
    for (const Box& b : boxes) {
        b.field = RequirePath<LNumericUpDown>(this, b.path, b.what, __LINE__);
        listen(RCPtr<LControl>(b.field), &LKeybedZoneEditPanel::OnZoneValueChanged, NID_VALUE_CHANGE, __LINE__);
    }
    SetFieldLabel(
        RequirePath<LControl>(this, {u"startEndNoteSelector", u"startNote"}, "Cannot find child startNote", __LINE__)
            .Get(),
        u"START_NOTE_LABEL");
    SetFieldLabel(
        RequirePath<LControl>(this, {u"startEndNoteSelector", u"endNote"}, "Cannot find child endNote", __LINE__).Get(),
        u"END_NOTE_LABEL");

    m_octaveBox->SetValueRange(-ZB::kOctaveOffset, ZB::kOctaveOffset, 0);
    m_transposeBox->SetValueRange(-ZB::kTransposeOffset, ZB::kTransposeOffset, 0);
    m_bankLsbBox->SetValueRange(0, 127, 0);
    m_bankMsbBox->SetValueRange(0, 127, 0);
    m_programBox->SetValueRange(0, 127, 0);
    SetKeybedZoneLabelText(GetIndex() + 1);
    return base;
}

void LKeybedZoneEditPanel::SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index)
{
    RetargetAndPost(parent, firstId, index);
    SetKeybedZoneLabelText(index + 1);
}

void LKeybedZoneEditPanel::SetKeybedZoneLabelText(int32_t n)
{
    if (!m_nameLabel)
        return;
    WString format;
    m_nameLabel->LookupString(WString(u"LABEL"), format);
    m_nameLabel->SetText(editor::FormatLabel(format, n));
}

KXRESULT LKeybedZoneEditPanel::SetParamValueLocal(const ParamDescriptor& descriptor, const Variant& value, bool)
{
    Array<signed char> b;
    if (!editor::TakeParamValue(descriptor, value, GetFirstParamID(), ZB::kLength, b))
        return E_FAIL;
    // Every widget announces its change, so each one that changes sends the value as shown so far.
    if (m_enabledToggle)
        m_enabledToggle->SetNormalizedValue(b.ElementAt(ZB::kEnabled));
    // A channel byte the list has no item for shows the first item, which goes back as the
    // correction below: a list with nothing selected would make every later edit unsendable.
    if (m_channelCombo) {
        const int32_t channel = b.ElementAt(ZB::kChannel);
        m_channelCombo->SetSelectedIndex(channel >= 0 && channel < m_channelCombo->GetItemCount() ? channel : 0);
    }
    SetNumber(m_programBox.Get(), b.ElementAt(ZB::kProgram));
    SetNumber(m_bankMsbBox.Get(), b.ElementAt(ZB::kBankMsb));
    SetNumber(m_bankLsbBox.Get(), b.ElementAt(ZB::kBankLsb));
    SetNumber(m_lastKeyBox.Get(), b.ElementAt(ZB::kLastKey));
    SetNumber(m_firstKeyBox.Get(), b.ElementAt(ZB::kFirstKey));
    SetNumber(m_octaveBox.Get(), b.ElementAt(ZB::kOctave) - ZB::kOctaveOffset);
    SetNumber(m_transposeBox.Get(), b.ElementAt(ZB::kTranspose) - ZB::kTransposeOffset);
    // What the widgets made of it (the key rule, the fields' ranges) goes back to the model.
    const Array<signed char> shown = GetKeybedZoneValue();
    bool same = shown.GetCount() == b.GetCount();
    for (uint32_t i = 0; same && i < b.GetCount(); ++i)
        same = shown.ElementAt(i) == b.ElementAt(i);
    if (!same && editor::IsSendableValue(shown))
        editor::SendParamCorrection(*this, GetFirstParamID(), shown);
    PropagateShownValue(descriptor, value);
    return S_OK;
}

Array<signed char> LKeybedZoneEditPanel::GetKeybedZoneValue() const
{
    Array<signed char> v;
    v.SetSize(ZB::kLength);
    auto number = [](const RCPtr<LNumericUpDown>& box, int32_t offset) {
        return static_cast<signed char>(box ? NumberOf(*box) + offset : 0);
    };
    v.ElementAt(ZB::kEnabled) =
        static_cast<signed char>(m_enabledToggle ? std::trunc(m_enabledToggle->GetNormalizedValue()) : 0);
    v.ElementAt(ZB::kChannel) =
        static_cast<signed char>(m_channelCombo ? m_channelCombo->GetSelectedIndex() & 0xFF : 0);
    v.ElementAt(ZB::kProgram) = number(m_programBox, 0);
    v.ElementAt(ZB::kBankMsb) = number(m_bankMsbBox, 0);
    v.ElementAt(ZB::kBankLsb) = number(m_bankLsbBox, 0);
    v.ElementAt(ZB::kFirstKey) = number(m_firstKeyBox, 0);
    v.ElementAt(ZB::kLastKey) = number(m_lastKeyBox, 0);
    v.ElementAt(ZB::kOctave) = number(m_octaveBox, ZB::kOctaveOffset);
    v.ElementAt(ZB::kTranspose) = number(m_transposeBox, ZB::kTransposeOffset);
    return v;
}

void LKeybedZoneEditPanel::SendKeybedZoneValue()
{
    SendValue(GetKeybedZoneValue());
}

KXRESULT LKeybedZoneEditPanel::OnZoneValueChanged(const RCPtr<LNotificationDistributor>& from,
                                                  const RCPtr<LNotification>&)
{
    LNotificationDistributor* sender = from.Get();
    const bool keyBox = m_firstKeyBox && m_lastKeyBox &&
                        (sender == static_cast<LNotificationDistributor*>(m_firstKeyBox.Get()) ||
                         sender == static_cast<LNotificationDistributor*>(m_lastKeyBox.Get()));
    if (keyBox) {
        LNumericUpDown* box = sender == static_cast<LNotificationDistributor*>(m_firstKeyBox.Get())
                                  ? m_firstKeyBox.Get()
                                  : m_lastKeyBox.Get();
        // The key rule: no key above the top key, and the first key never above the last.
        if (NumberOf(*box) > ZB::kHighestKey)
            SetNumber(box, ZB::kHighestKey);
        if (NumberOf(*m_firstKeyBox) > NumberOf(*m_lastKeyBox))
            SetNumber(m_firstKeyBox.Get(), NumberOf(*m_lastKeyBox));
    }
    SendKeybedZoneValue();
    return 1;
}

KXRESULT LKeybedZoneEditPanel::OnZoneEnabledClicked(const RCPtr<LNotificationDistributor>& from,
                                                    const RCPtr<LNotification>&)
{
    if (m_enabledToggle && from.Get() == static_cast<LNotificationDistributor*>(m_enabledToggle.Get()))
        m_enabledToggle->SetNormalizedValue(m_enabledToggle->GetNormalizedValue() == 0.0 ? 1.0 : 0.0);
    return 1;
}
