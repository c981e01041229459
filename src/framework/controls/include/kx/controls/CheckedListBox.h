#pragma once
// The list box with a check box ("checkBox") and an optional icon in front of every row, and a
// count of checked items ("Framework.CheckedListBox", "Framework.CheckedListBoxItem",
// "Framework.ListBoxWithIcons"). UI thread only.
#include "kx/Bitmap.h"
#include "kx/controls/ListBox.h"
#include "kx/controls/ListParams.h"

#include <cstdint>
#include <vector>

namespace KX {

// A row with a "checkBox" child; it lights up while the pointer is over the check box.
class LCheckedListBoxItem : public LListBoxItem {
public:
    LCheckedListBoxItem(const RCPtr<LControl>& parent, const WString& name);

    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;
    KXRESULT Initialize() override;

    // Shows the look at index alone; true when that succeeded.
    virtual bool ShowLookOnRow(int32_t lookIndex, bool flag);

    // The "checkBox" child; null without one.
    const RCPtr<LControl>& GetCheckBox() const noexcept { return m_checkBox; }
    // Puts the bitmap into every look (null takes it out); nothing when it is the one shown.
    void SetRowIcon(const ConstRCPtr<LBitmap>& icon);
    bool AreCheckBoxesShown() const noexcept { return m_showCheckBoxes; }
    void SetCheckBoxesShown(bool on) noexcept { m_showCheckBoxes = on; }

protected:
    ~LCheckedListBoxItem() override;

    KXRESULT OnCheckBoxHoverChange(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);

    RCPtr<LNotificationHandler<LCheckedListBoxItem>> m_rowHandler;

private:
    RCPtr<LControl> m_checkBox;
    ConstRCPtr<LBitmap> m_icon;
    bool m_showCheckBoxes = false;
};

// An item of the checked list box: the list item with its check mark and icon.
struct LCheckedListItemRecord : LListItemRecord {
    bool checked = false;
    ConstRCPtr<LBitmap> icon;
};

class LCheckedListBox : public LListBox {
public:
    LCheckedListBox(const RCPtr<LControl>& parent, const WString& name);

    // Notifications walk the checked list box's own table, then the list box's chain.
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;
    KXRESULT Initialize() override;

    int32_t GetItemCount() const override;
    int32_t SetItemCount(int32_t count) override;
    KXRESULT AddRowControl() override;
    KXRESULT UpdateRow(int32_t index) override;
    void SwapItems(int32_t a, int32_t b) override;
    LListItemRecord& GetItemRecord(int32_t index) override;
    const LListItemRecord& GetItemRecord(int32_t index) const override;
    void InsertItemRecord(int32_t index) override;
    void RemoveItemRecord(int32_t index) override;
    // The widened record; the index must be below the count.
    virtual LCheckedListItemRecord& GetCheckedItemRecord(int32_t index);

    // Nothing for an index not below the count or an unchanged state; no notification.
    void SetItemChecked(int32_t index, bool checked);
    bool IsItemChecked(int32_t index) const;
    void UpdateCheckedCount();
    int32_t GetCheckedCount() const noexcept { return m_checkedCount; }
    // The record's icon, or the icon list's entry (index modulo its length) when it has any.
    ConstRCPtr<LBitmap> GetItemIcon(int32_t index) const;
    void SetItemIcon(int32_t index, const ConstRCPtr<LBitmap>& icon);
    const std::vector<ConstRCPtr<LBitmap>>& GetIconList() const noexcept { return m_icons; }
    void AddListIcon(const ConstRCPtr<LBitmap>& icon);
    // Null for a row at or beyond the row controls.
    RCPtr<LCheckedListBoxItem> GetRowControl(int32_t row);
    // Stores the flag here and in every row control; nothing changes on screen.
    void ShowCheckBoxes(bool on);
    bool AreCheckBoxesShown() const noexcept { return m_showCheckBoxes; }

protected:
    ~LCheckedListBox() override;

    // "NID_VALUE_CHANGE" of a row's check box: the user toggled it.
    KXRESULT OnRowCheckValueChange(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);

    RCPtr<LNotificationHandler<LCheckedListBox>> m_checkedHandler;
    int32_t m_checkedCount = 0;

private:
    std::vector<LCheckedListItemRecord> m_checkedItems;
    std::vector<ConstRCPtr<LBitmap>> m_icons;
    bool m_showCheckBoxes = false;
};

} // namespace KX
