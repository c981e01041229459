// The number box whose label names the value.
#include "editor/NumberBoxTextSelector.h"

#include "dialogs/DialogSupport.h"

#include "kx/controls/Label.h"
#include "kx/controls/NumericUpDown.h"
#include "kx/ui/StringTable.h"

#include <cmath>

namespace editor {

using namespace KX;

namespace {
constexpr const char* kMethod = "LNumberBoxTextSelector::Initialize";
constexpr const char* kSource = "UI\\PresetEditorCommon\\NumberBoxTextSelector";
} // namespace

LNumberBoxTextSelector::LNumberBoxTextSelector(const RCPtr<LControl>& parent, const WString& name)
    : LPanel(parent, name)
{
}

LNumberBoxTextSelector::~LNumberBoxTextSelector()
{
    m_numberBox = nullptr;
    m_label = nullptr;
    m_handler = nullptr;
}

KXRESULT LNumberBoxTextSelector::Initialize()
{
    const KXRESULT base = LPanel::Initialize();
    if (Failed(base))
        return base;
    m_handler =
        RCPtr<LNotificationHandler<LNumberBoxTextSelector>>(new LNotificationHandler<LNumberBoxTextSelector>(this));
    m_label = RequireChild<LLabel>(this, u"label", kMethod, kSource, 28);
    m_numberBox = RequireChild<LNumericUpDown>(this, u"numericUpDown", kMethod, kSource, 29);
    CheckResult(m_handler->AddDistributorHandler(&LNumberBoxTextSelector::OnValueChange,
                                                 RCPtr<LNotificationDistributor>(m_numberBox), NID_VALUE_CHANGE, 0),
                kMethod, kSource, 31);
    UpdateText();
    return base;
}

KXRESULT LNumberBoxTextSelector::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (m_handler && m_handler->Receive(from, n))
        return S_OK;
    return LPanel::Receive(from, n);
}

KXRESULT LNumberBoxTextSelector::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d,
                                                           const char16_t* name)
{
    if (m_handler)
        m_handler->RemoveDistributorHandler(d, name);
    return LPanel::UnregisterForNotification(d, name);
}

void LNumberBoxTextSelector::UpdateText()
{
    if (!m_numberBox || !m_label)
        return;
    const double value = m_numberBox->NormalizedToValue(m_numberBox->GetNormalizedValue());
    // Truncated toward zero and read as unsigned: a negative value names no entry.
    const auto n = static_cast<uint32_t>(static_cast<int32_t>(std::trunc(value)));
    const RCPtr<LStringTable>& table = m_label->GetStringTable();
    if (!table)
        return;
    Array<LStringTable::EntryPair> entries;
    table->GetEntriesByPrefix(WString(), entries);
    if (n < entries.GetCount())
        m_label->SetText(entries.ElementAt(n).second);
}

KXRESULT LNumberBoxTextSelector::OnValueChange(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    UpdateText();
    return 1;
}

} // namespace editor
