#pragma once
// The checked combo box ("Framework.CheckedComboBox", "Framework.ComboBoxWithIcons"): a combo box
// whose "listBox" is a checked list box, so every item carries a check mark and maybe an icon. An
// optional "checkBox" button beside the label mirrors the current item's check mark and icon (it
// checks nothing; when the list has an icon list it also lets presses through). Fourteen looks: the combo box's seven
// while no item is checked, the same seven from 7 on while any item is. UI thread only.
#include "kx/controls/ComboBox.h"

namespace KX {

class LCheckedListBox;

class LCheckedComboBox : public LComboBox {
public:
    // Where the looks shown while some item is checked begin.
    static constexpr int32_t kCheckedLookOffset = 7;

    LCheckedComboBox(const RCPtr<LControl>& parent, const WString& name);

    // E_FAIL when "listBox" is missing or no checked list box, or the combo box's set-up fails.
    KXRESULT Initialize() override;
    // The current item's icon into the "checkBox" child, then the combo box's.
    KXRESULT PostInitialize() override;
    // Own table first, then the combo box's chain.
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;

    // The combo box's, then the look.
    KXRESULT SetItemCount(int32_t count) override;
    // Mirrors the item's check mark and icon in the "checkBox" child, then the combo box's.
    int32_t SetSelectedIndex(int32_t index) override;
    // The combo box's state look, from kCheckedLookOffset on while some item is checked.
    void UpdateLook() override;

    // Checks or unchecks an item from code: the list's mark, the look and the mirror; no
    // notification. Nothing for an index not below the count.
    void SetItemChecked(int32_t index, bool checked);
    bool IsItemChecked(int32_t index) const;
    int32_t GetCheckedCount() const;

    const RCPtr<LCheckedListBox>& GetCheckedList() const noexcept { return m_checkedList; }
    // The "checkBox" child; null without one.
    const RCPtr<LControl>& GetCheckBox() const noexcept { return m_checkBox; }
    bool IsIconMode() const noexcept { return m_iconMode; }

protected:
    ~LCheckedComboBox() override;

private:
    // "NID_ITEM_CHECK_CHANGE" of the list: the look, the mirror, then passed on to our clients.
    KXRESULT OnListCheckChange(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    // Writes the item's mark (when index is an item) and icon into the "checkBox" child.
    void MirrorItem(int32_t index);

    RCPtr<LCheckedListBox> m_checkedList;
    RCPtr<LNotificationHandler<LCheckedComboBox>> m_checkedComboHandler;
    RCPtr<LControl> m_checkBox;
    bool m_iconMode = false;
};

} // namespace KX
