#pragma once
// The combo box: shows the chosen item as its label and opens its "listBox" child below or above
// itself as a drop-down list; an optional "textBox" child makes it editable. UI thread only.
#include "kx/controls/DropDownControl.h"

#include <vector>

namespace KX {

class LListBox;
class LLayoutDescriptor;
class LRootWindow;

class LComboBox : public LDropDownControl {
public:
    LComboBox(const RCPtr<LControl>& parent, const WString& name);

    // Overrides of LControl.
    // Sets the label; a new text makes the last item with that text current (-1 when none).
    // 1 when the text did not change, else 0.
    KXRESULT SetText(const WString& text) override;
    // The drop-down behaviour; a press stores its point relative to the list; then the look.
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    // Closed: Down or Enter opens the list. Open: Escape closes it; in a window of its own the
    // list gets every other key but Tab. S_FALSE for anything else.
    KXRESULT FilterKey(const RCPtr<LKeyParam>& param) override;
    // Escape (passed up from the open list) closes the list.
    KXRESULT HandleKey(const RCPtr<LKeyParam>& param) override;
    // E_FAIL without a "listBox" child.
    KXRESULT Initialize() override;
    // "INITIAL_SELECTED_INDEX" (decimal; default 0).
    KXRESULT ReadCreateParams() override;
    // Hides the list and gives it at least the combo box's width and one row. E_FAIL without a list.
    KXRESULT PostInitialize() override;
    // The whole text when the label does not fit.
    WString GetToolTipText() override;
    // Own table, then the drop-down control's, then LControl's.
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;

    // Overrides of LDropDownControl.
    bool IsDropDownShowing() override;
    // Opening places the list where its rows fit best (below unless the room above serves
    // better), selects the item that shows the label and, while the opening press is still
    // held, hands the press on to the list. A window with room for the list's skin maximum on
    // neither side gets it in a window of its own below the box; the box then keeps the focus
    // and passes keys on to the list. The list stays shut (S_FALSE) in a box in no window and
    // when the focus cannot go to it (to the box, for a window of its own). E_FAIL without a list.
    KXRESULT ShowDropDown(bool show) override;
    RCPtr<LControl> GetDropDownPart() override;

    // New virtual operations, in slot order.
    // The list's item count; a current index past the new end is cleared. E_FAIL without a list.
    virtual KXRESULT SetItemCount(int32_t count);
    // Makes an item current (below 0: none) and returns the current index. An index past the
    // end leaves no item current. "NID_SELECTION_CHANGE" when the current index changed.
    virtual int32_t SetSelectedIndex(int32_t index);
    // Shows the look of the state: 0 closed, +1 focus, +2 hover; 4 open, 5 open with hover;
    // 6 disabled.
    virtual void UpdateLook();

    // Inserts an item; the new index, E_INVALIDARG for a null text, E_FAIL without a list, or the
    // list's failure.
    int32_t InsertItem(int32_t index, const ConstRCPtr<LRefCountedObject>& text);
    // Appends an item; its index or a failure as InsertItem.
    int32_t AddItem(const WString& text);
    // The item's text; empty past the end or without a list.
    WString GetItemText(int32_t index);
    int32_t GetItemCount();

    int32_t GetSelectedIndex() const noexcept { return m_currentIndex; }
    int32_t GetInitialIndex() const noexcept { return m_initialIndex; }
    const RCPtr<LListBox>& GetListBox() const noexcept { return m_listBox; }
    const RCPtr<LControl>& GetTextBox() const noexcept { return m_textBox; }
    // The look index UpdateLook shows for the current state.
    int32_t GetStateLookIndex();
    void SetAddTypedText(bool on) noexcept { m_addTypedText = on; }
    void SetCaseSensitiveSearch(bool on) noexcept { m_caseSensitive = on; }
    // Swatches beside the items in the list and beside the chosen one in the closed box.
    void SetItemSwatches(std::vector<uint32_t> argb);
    KXRESULT PaintAfterChildren(const RCPtr<LRenderer>& renderer) override;

protected:
    ~LComboBox() override;

private:
    KXRESULT OnListActivated(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    KXRESULT OnListVisibility(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    KXRESULT OnTextBoxValidated(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    KXRESULT OnTextBoxPassOn(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    KXRESULT OnTextBoxFocus(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    // Places the list below or above the combo box with a height that fits the room; false when
    // the window has room for the skin's maximum height (or all rows, when fewer) on neither side.
    bool PlaceList();
    // Moves the list into a window of its own under the box (above when the screen has no room
    // below), its normal height kept on the work area. false when no window could be made.
    bool OpenPopup();
    // Brings the list back from its window and closes the window.
    void ClosePopup();
    // Selects the first item whose text equals the label, else item 0, and scrolls it into view.
    void SelectLabelItem();
    // The last item whose text equals text (case as the box compares), else -1.
    int32_t FindItemNamed(const WString& text);
    void Send(const char16_t* id, const ConstRCPtr<LRefCountedObject>& param);

    RCPtr<LNotificationHandler<LComboBox>> m_comboHandler;
    RCPtr<LListBox> m_listBox;
    RCPtr<LControl> m_textBox;
    int32_t m_currentIndex = -1;
    int32_t m_initialIndex = 0;
    PointT<double> m_pressPoint;
    RCPtr<LRootWindow> m_popupRoot;
    RCPtr<LLayoutDescriptor> m_homeLayout;
    bool m_addTypedText = false;
    bool m_caseSensitive = false;
};

} // namespace KX
