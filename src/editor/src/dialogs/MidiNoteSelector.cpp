// The note selector's labels and the scale builder.
#include "editor/MidiNoteSelector.h"

#include "dialogs/DialogSupport.h"

#include "kx/controls/Label.h"
#include "kx/controls/NumericUpDown.h"
#include "kx/ui/ParamRecords.h"
#include "kx/ui/StringTable.h"

#include <array>
#include <cmath>

namespace editor {

using namespace KX;

namespace {
constexpr const char* kMethod = "LMidiNoteSelector::Initialize";
constexpr const char* kSource = "UI\\PresetEditorCommon\\MidiNoteSelector";

constexpr std::array<std::array<int32_t, 7>, 9> kIntervals{{
    {0, 2, 4, 5, 7, 9, 11}, // major
    {0, 2, 3, 5, 7, 8, 10}, // natural minor
    {0, 1, 3, 5, 7, 8, 10}, // Phrygian
    {0, 2, 3, 5, 7, 9, 11}, // melodic minor
    {0, 2, 3, 5, 7, 8, 11}, // harmonic minor
    {0, 2, 4, 5, 7, 9, 10}, // Mixolydian
    {0, 2, 4, 6, 7, 9, 11}, // Lydian
    {0, 2, 3, 5, 7, 9, 10}, // Dorian
    {0, 1, 3, 5, 6, 8, 10}, // Locrian
}};
constexpr int32_t kChromatic = 9;

double ValueOf(const LControl& control)
{
    return control.NormalizedToValue(control.GetNormalizedValue());
}
} // namespace

LMidiNoteSelector::LMidiNoteSelector(const RCPtr<LControl>& parent, const WString& name) : LPanel(parent, name) {}

LMidiNoteSelector::~LMidiNoteSelector()
{
    m_numberBox = nullptr;
    m_octaveLabel = nullptr;
    m_noteLabel = nullptr;
    m_handler = nullptr;
}

KXRESULT LMidiNoteSelector::Initialize()
{
    const KXRESULT base = LPanel::Initialize();
    if (Failed(base))
        return base;
    m_handler = RCPtr<LNotificationHandler<LMidiNoteSelector>>(new LNotificationHandler<LMidiNoteSelector>(this));
    m_noteLabel = RequireChild<LLabel>(this, u"noteNameLabel", kMethod, kSource, 27);
    m_octaveLabel = RequireChild<LLabel>(this, u"octaveNameLabel", kMethod, kSource, 28);
    m_numberBox = RequireChild<LNumericUpDown>(this, u"numericUpDown", kMethod, kSource, 29);
    m_numberBox->SetValueRange(0, 127, 0);
    UpdateNoteLabels();
    CheckResult(m_handler->AddDistributorHandler(&LMidiNoteSelector::OnValueChange,
                                                 RCPtr<LNotificationDistributor>(m_numberBox), NID_VALUE_CHANGE, 0),
                kMethod, kSource, 31);
    return S_OK;
}

KXRESULT LMidiNoteSelector::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (m_handler && m_handler->Receive(from, n))
        return S_OK;
    return LPanel::Receive(from, n);
}

KXRESULT LMidiNoteSelector::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_handler)
        m_handler->RemoveDistributorHandler(d, name);
    return LPanel::UnregisterForNotification(d, name);
}

KXRESULT LMidiNoteSelector::SetLabelFromStringTable(RCPtr<LStringTable> table, uint32_t index, RCPtr<LControl> label)
{
    if (!table || !label)
        return E_INVALIDARG;
    Array<LStringTable::EntryPair> entries;
    const KXRESULT copied = table->GetEntriesByPrefix(WString(), entries);
    if (index < entries.GetCount())
        return label->SetText(entries.ElementAt(index).second);
    return copied;
}

void LMidiNoteSelector::UpdateNoteLabels()
{
    if (!m_numberBox || !m_noteLabel || !m_octaveLabel)
        return;
    // Truncated toward zero, then read as unsigned: a negative value names no entry.
    const auto n = static_cast<uint32_t>(static_cast<int32_t>(std::trunc(ValueOf(*m_numberBox))));
    SetLabelFromStringTable(m_noteLabel->GetStringTable(), n % 12, RCPtr<LControl>(m_noteLabel));
    SetLabelFromStringTable(m_octaveLabel->GetStringTable(), n / 12, RCPtr<LControl>(m_octaveLabel));
}

KXRESULT LMidiNoteSelector::OnValueChange(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    if (n && ConstRCPtr<LValueParam>::DynamicCast(n->GetPayload()))
        UpdateNoteLabels();
    return 1;
}

Array<double> BuildScaleNotes(int32_t scaleType, double root, int32_t count)
{
    Array<double> notes;
    if (scaleType < 0 || scaleType > kChromatic)
        return notes;
    for (int32_t i = 0; i < count; ++i) {
        if (scaleType == kChromatic)
            notes.AddItem(root + (i % 12) + 12.0 * (i / 12));
        else
            notes.AddItem(root + kIntervals[static_cast<size_t>(scaleType)][static_cast<size_t>(i % 7)] +
                          12.0 * (i / 7));
    }
    return notes;
}

KXRESULT ApplyScaleToNoteSelectors(std::vector<RCPtr<LControl>> controls, int32_t scaleType)
{
    if (controls.empty() || !controls.front())
        return S_OK;
    const Array<double> notes =
        BuildScaleNotes(scaleType, ValueOf(*controls.front()), static_cast<int32_t>(controls.size()));
    if (notes.GetCount() != controls.size())
        return S_OK;
    for (size_t i = 0; i < controls.size(); ++i) {
        if (controls[i])
            controls[i]->SetNormalizedValue(controls[i]->ValueToNormalized(notes.ElementAt(static_cast<uint32_t>(i))));
    }
    return S_OK;
}

} // namespace editor
