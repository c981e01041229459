// The checked list box: check marks and icons on the list box's records and rows.
#include "kx/controls/CheckedListBox.h"

#include "kx/ui/Look.h"

#include <optional>

namespace KX {

LCheckedListBox::LCheckedListBox(const RCPtr<LControl>& parent, const WString& name) : LListBox(parent, name) {}

LCheckedListBox::~LCheckedListBox() = default;

KXRESULT LCheckedListBox::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!IsBuilt())
        return S_FALSE;
    if (m_checkedHandler && m_checkedHandler->Receive(from, n))
        return S_OK;
    return LListBox::Receive(from, n);
}

KXRESULT LCheckedListBox::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_checkedHandler && name)
        m_checkedHandler->RemoveDistributorHandler(d, name);
    return LListBox::UnregisterForNotification(d, name);
}

KXRESULT LCheckedListBox::Initialize()
{
    const KXRESULT hr = LListBox::Initialize();
    if (Failed(hr))
        return hr;
    // The rows made by the list box's initialisation are subscribed through this table already.
    if (!m_checkedHandler)
        m_checkedHandler =
            RCPtr<LNotificationHandler<LCheckedListBox>>(new LNotificationHandler<LCheckedListBox>(this));
    // Derived lists (the popup menu) keep their looks for themselves.
    if (ToString().Find(WString(u"LCheckedListBox")) >= 0 && GetLookCount() >= 4) {
        if (const LLook* look = dynamic_cast<const LLook*>(GetLookAt(3).Get())) {
            // The client part first, then the others in their order.
            std::vector<const LVisualPart*> parts{look->GetClientPart().Get()};
            for (uint32_t i = 0; i < look->GetParts().GetCount(); ++i)
                if (look->GetParts().GetData()[i].Get() != parts.front())
                    parts.push_back(look->GetParts().GetData()[i].Get());
            for (const LVisualPart* part : parts)
                if (part && part->GetBitmap())
                    m_icons.push_back(part->GetBitmap());
        }
    }
    ShowCheckBoxes(true);
    RewriteRowsFrom(m_firstShown);
    return hr;
}

// The store.

int32_t LCheckedListBox::GetItemCount() const
{
    return static_cast<int32_t>(m_checkedItems.size());
}

LListItemRecord& LCheckedListBox::GetItemRecord(int32_t index)
{
    return m_checkedItems[static_cast<size_t>(index)];
}

const LListItemRecord& LCheckedListBox::GetItemRecord(int32_t index) const
{
    return m_checkedItems[static_cast<size_t>(index)];
}

LCheckedListItemRecord& LCheckedListBox::GetCheckedItemRecord(int32_t index)
{
    return m_checkedItems[static_cast<size_t>(index)];
}

void LCheckedListBox::InsertItemRecord(int32_t index)
{
    m_checkedItems.insert(m_checkedItems.begin() + index, LCheckedListItemRecord{});
}

void LCheckedListBox::RemoveItemRecord(int32_t index)
{
    if (m_checkedItems[static_cast<size_t>(index)].checked)
        --m_checkedCount;
    m_checkedItems.erase(m_checkedItems.begin() + index);
}

void LCheckedListBox::SwapItems(int32_t a, int32_t b)
{
    std::swap(m_checkedItems[static_cast<size_t>(a)], m_checkedItems[static_cast<size_t>(b)]);
}

int32_t LCheckedListBox::SetItemCount(int32_t count)
{
    const int32_t result = LListBox::SetItemCount(count);
    UpdateCheckedCount();
    return result;
}

// Check marks and icons.

void LCheckedListBox::SetItemChecked(int32_t index, bool checked)
{
    if (index < 0 || index >= GetItemCount() || GetCheckedItemRecord(index).checked == checked)
        return;
    GetCheckedItemRecord(index).checked = checked;
    m_checkedCount += checked ? 1 : -1;
    UpdateRow(index);
}

bool LCheckedListBox::IsItemChecked(int32_t index) const
{
    return index >= 0 && index < GetItemCount() && m_checkedItems[static_cast<size_t>(index)].checked;
}

void LCheckedListBox::UpdateCheckedCount()
{
    m_checkedCount = 0;
    for (size_t i = m_checkedItems.size(); i-- > 0;)
        if (m_checkedItems[i].checked)
            ++m_checkedCount;
}

ConstRCPtr<LBitmap> LCheckedListBox::GetItemIcon(int32_t index) const
{
    if (index < 0 || index >= GetItemCount())
        return {};
    if (m_icons.empty())
        return m_checkedItems[static_cast<size_t>(index)].icon;
    return m_icons[static_cast<size_t>(index) % m_icons.size()];
}

void LCheckedListBox::SetItemIcon(int32_t index, const ConstRCPtr<LBitmap>& icon)
{
    if (index < 0 || index >= GetItemCount())
        return;
    GetCheckedItemRecord(index).icon = icon;
    UpdateRow(index);
}

void LCheckedListBox::AddListIcon(const ConstRCPtr<LBitmap>& icon)
{
    if (!icon)
        return;
    m_icons.push_back(icon);
    RewriteRowsFrom(m_firstShown);
}

RCPtr<LCheckedListBoxItem> LCheckedListBox::GetRowControl(int32_t row)
{
    return RCPtr<LCheckedListBoxItem>::DynamicCast(GetRowAt(row));
}

void LCheckedListBox::ShowCheckBoxes(bool on)
{
    m_showCheckBoxes = on;
    for (int32_t r = GetRowCount(); r-- > 0;)
        if (const RCPtr<LCheckedListBoxItem> row = GetRowControl(r))
            row->SetCheckBoxesShown(on);
}

// Rows.

KXRESULT LCheckedListBox::AddRowControl()
{
    const KXRESULT hr = LListBox::AddRowControl();
    if (Failed(hr))
        return hr;
    if (!m_checkedHandler)
        m_checkedHandler =
            RCPtr<LNotificationHandler<LCheckedListBox>>(new LNotificationHandler<LCheckedListBox>(this));
    const RCPtr<LCheckedListBoxItem> row = GetRowControl(GetRowCount() - 1);
    if (!row)
        return hr;
    row->SetCheckBoxesShown(m_showCheckBoxes);
    if (const RCPtr<LControl>& box = row->GetCheckBox())
        TraceFailedResult(m_checkedHandler->AddDistributorHandler(&LCheckedListBox::OnRowCheckValueChange,
                                                                  RCPtr<LNotificationDistributor>(box.Get()),
                                                                  NID_VALUE_CHANGE, 0),
                          "LCheckedListBox::AddRowControl");
    // The row was written before its check box was watched.
    UpdateRow(m_firstShown + GetRowCount() - 1);
    return hr;
}

KXRESULT LCheckedListBox::UpdateRow(int32_t index)
{
    const KXRESULT hr = LListBox::UpdateRow(index);
    const RCPtr<LCheckedListBoxItem> row = GetRowControl(index - m_firstShown);
    if (!row)
        return hr;
    const RCPtr<LControl> box = row->GetCheckBox();
    const bool exists = index >= 0 && index < GetItemCount();
    if (box) {
        // Writing the row is not the user's toggle.
        std::optional<CAutoNotificationDisabler<LCheckedListBox>> quiet;
        if (m_checkedHandler && m_checkedHandler->IsBound(box.Get(), NID_VALUE_CHANGE))
            quiet.emplace(m_checkedHandler, box.Get(), NID_VALUE_CHANGE);
        box->SetNormalizedValue(exists && m_checkedItems[static_cast<size_t>(index)].checked ? 1.0 : 0.0);
    }
    row->SetRowIcon(exists ? GetItemIcon(index) : ConstRCPtr<LBitmap>());
    if (box && box->GetLayout() && box->GetLayout()->visible != exists)
        box->SetVisible(exists);
    return hr;
}

KXRESULT LCheckedListBox::OnRowCheckValueChange(const RCPtr<LNotificationDistributor>& from,
                                                const RCPtr<LNotification>&)
{
    const RCPtr<LControl> box = RCPtr<LControl>::DynamicCast(from);
    const int32_t index = box ? GetItemOfRowControl(box->GetParent().Get()) : -1;
    if (index < 0 || index >= GetItemCount())
        return kConsumed;
    const RCPtr<LControl> self(this);
    const double value = box->GetNormalizedValue();
    const RCPtr<LIndexedDataWithValueParam> param =
        LIndexedDataWithValueParam::Create(RCPtr<LRefCountedObject>(), index, RCPtr<LRefCountedObject>(), value);
    LCheckedListItemRecord& record = GetCheckedItemRecord(index);
    const bool checked = value >= 0.5;
    if (record.checked != checked) {
        record.checked = checked;
        m_checkedCount += checked ? 1 : -1;
    }
    SelectRange(index, index, !m_multiSelection);
    SendListNotification(NID_ITEM_CHECK_CHANGE, ConstRCPtr<LRefCountedObject>(param.Get()));
    return kConsumed;
}

} // namespace KX
