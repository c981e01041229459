#pragma once
// The framework's scrolling list ("Framework.ListBox", "Framework.listboxNoScroll"): item records
// with a selection, shown through a few reused row controls that fill the visible height; sorting,
// items from a string table, keys, clicks and the drop-down mode of the combo boxes and menus.
// UI thread only.
#include "kx/TaggableObject.h"
#include "kx/controls/ListBoxItem.h"
#include "kx/controls/ScrollView.h"
#include "kx/ui/ControlDescriptor.h"

#include <cstdint>
#include <vector>

namespace KX {

// One item: its text object (null: the empty text), its selection value (0.5 or more: selected)
// and the two display flags handed to its row.
struct LListItemRecord {
    RCPtr<LTaggableObject> text;
    double value = 0.0;
    uint8_t alternate = 0;
    uint8_t blank = 0;
};

class LListBox : public LScrollView {
public:
    // Highest item index a string table's "ITEM." key may name, plus one; larger ones are ignored.
    static constexpr int32_t kMaxStringTableItems = 65536;

    LListBox(const RCPtr<LControl>& parent, const WString& name);

    // Notifications walk the list box's own table, then the scroll view's chain.
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;

    void CheckTrackedBoundsChanged() override;
    void AddInvalidRect(const RCPtr<LControl>& child) override;
    // A move by fewer rows than there are rotates the rows and rewrites only those that wrap round.
    const PointT<double>& SetScrollOffset(PointT<double> offset) override;
    // Maps the vertical scroll offset to the first shown item.
    void InvalidateBoundsChange(PointT<double> oldOffset, PointT<double> newOffset) override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    KXRESULT CreateFromDescriptor(const ConstRCPtr<LControlDescriptor>& descriptor) override;
    void OnLeftUp(const RCPtr<LMouseButtonParam>& param) override;
    void OnMove(const RCPtr<LPointWithModifiersParam>& param) override;
    // 0 when the key was used, 1 otherwise.
    KXRESULT FilterKey(const RCPtr<LKeyParam>& param) override;
    KXRESULT Initialize() override;
    // A hidden list makes its row controls when it is first shown.
    void SetVisible(bool visible) override;
    KXRESULT AttachChild(RCPtr<LControl> child, const ConstRCPtr<LControlDescriptor>& descriptor) override;

    // The item store and its hooks.
    virtual int32_t GetItemCount() const;
    // The count, or minus the count reached when it differs.
    virtual int32_t SetItemCount(int32_t count);
    virtual void OnSelectionChanged() {}
    virtual void OnItemActivated() {}
    virtual KXRESULT AddRowControl();
    // 1 when no row shows index, else 0.
    virtual KXRESULT UpdateRow(int32_t index);
    virtual int32_t MeasureItemText(int32_t index);
    virtual double GetContentHeight();
    virtual bool IsItemSelectable(int32_t) { return true; }
    // Both indices below the count.
    virtual void SwapItems(int32_t a, int32_t b);
    // The index must be below the count.
    virtual LListItemRecord& GetItemRecord(int32_t index);
    virtual const LListItemRecord& GetItemRecord(int32_t index) const;
    // The index must be at most the count.
    virtual void InsertItemRecord(int32_t index);
    // The index must be below the count.
    virtual void RemoveItemRecord(int32_t index);

    // Items.
    // The index (at most the count), or E_INVALIDARG.
    int32_t InsertItem(int32_t index, const RCPtr<LTaggableObject>& text);
    int32_t InsertItem(int32_t index, const WString& text);
    // S_OK; E_INVALIDARG out of range; S_FALSE, nothing removed, when a listener of the item's
    // deselection changed the list.
    KXRESULT RemoveItemAt(int32_t index);
    void RemoveAllItems();
    void SetItemText(int32_t index, const RCPtr<LTaggableObject>& text);
    void SetItemText(int32_t index, const WString& text);
    void SetItem(int32_t index, const RCPtr<LTaggableObject>& text, double value, bool alternate, bool blank);
    // The empty text for an index not below the count.
    WString GetItemText(int32_t index) const;
    // -1 when none; start below -1 or not below the count counts as -1.
    int32_t FindItemByText(const WString& text, int32_t start, bool caseSensitive) const;
    // Replaces the items by the table's "ITEM.<n>" entries. E_INVALIDARG for null.
    KXRESULT FillFromStringTable(const ConstRCPtr<LStringTable>& table);
    // The texts of a table's "ITEM.<n>" entries by index, gaps empty, the later of two keys for
    // one index winning; keys naming a negative index or one not below kMaxStringTableItems are
    // ignored.
    static std::vector<WString> CollectStringTableItems(const LStringTable& table);
    void SortItems();
    bool IsSorted() const noexcept { return m_sorted; }
    void SetSorted(bool sorted) noexcept { m_sorted = sorted; }

    // Selection.
    // first, or E_INVALIDARG for first not below the count; last -1 means first.
    int32_t SelectRange(int32_t first, int32_t last, bool replace);
    // 0 deselected, 1 when there was nothing to do.
    KXRESULT DeselectItem(int32_t index);
    void ClearSelection();
    bool IsItemSelected(int32_t index) const;
    int32_t GetSelectedCount() const noexcept { return m_selectedCount; }
    // The indices of the selected items in item order (kept until the next call).
    const std::vector<int32_t>& GetSelectedIndices();
    int32_t GetCaretIndex() const noexcept { return m_caret; }
    int32_t GetAnchorIndex() const noexcept { return m_anchor; }
    bool IsMultiSelection() const noexcept { return m_multiSelection; }
    void SetMultiSelection(bool on) noexcept { m_multiSelection = on; }
    int32_t GetSelectionMode() const noexcept { return m_selectionMode; }
    void SetSelectionMode(int32_t mode) noexcept { m_selectionMode = mode; }
    void ActivateItem(int32_t index);

    // Display.
    // Scrolls until the item is fully shown; E_INVALIDARG for an index not below the count.
    KXRESULT EnsureItemVisible(int32_t index);
    bool IsDropDownMode() const noexcept { return m_dropDownMode; }
    void SetDropDownMode(bool on);
    bool IsItemAlternate(int32_t index) const;
    // 1, or 0 for an index not below the count.
    int32_t SetItemAlternate(int32_t index, bool on);
    int32_t SetItemBlank(int32_t index, bool on);
    // The item under a point in the list box's coordinates, or -1.
    int32_t GetItemAtPoint(PointT<double> point);
    // The row position that shows an item, or -1.
    int32_t GetRowOfItem(int32_t index);
    // The rectangle (list box coordinates) of the row that shows an item; all zero when none does.
    RectT<double> GetItemRowRect(int32_t index);
    KXRESULT SetItemRowHighlighted(int32_t index, bool on);
    KXRESULT ShowLookOnItemRow(int32_t index, int32_t look);
    int32_t GetFirstShownItem() const noexcept { return m_firstShown; }
    // While a scroll by whole rows runs: whether the row kept its item and so stands where it
    // belongs.
    bool IsRowInPlace(const LControl* row);
    int32_t GetRowHeight() const noexcept { return m_rowHeight; }
    int32_t GetWidestText() const noexcept { return m_widestText; }
    int32_t GetInteractionModeForRows() const noexcept { return m_interactionMode; }
    // Makes the vertical size limits and size whole multiples of the row height.
    void SnapHeightToRows();
    // Sets the height to the content height (drop-down mode; skipped during bulk updates).
    void FitHeightToContent();
    // Lays the rows and the content size out again (skipped during bulk updates).
    void RelayoutRows();

    // Rows.
    int32_t GetRowCount() const noexcept { return static_cast<int32_t>(m_rows.size()); }
    // A colour per item drawn as a swatch beside its text (alpha 0: an empty frame); none by default.
    void SetItemSwatches(std::vector<uint32_t> argb);
    const std::vector<uint32_t>& GetItemSwatches() const noexcept { return m_swatches; }
    // The row control at a row position; null beyond the rows.
    RCPtr<LListBoxItem> GetRowAt(int32_t row);
    // The item a row control shows, or -1 when it is none of the rows.
    int32_t GetItemOfRowControl(const LControl* row);
    const ConstRCPtr<LControlDescriptor>& GetTemplateDescriptor() const;

protected:
    ~LListBox() override;

    // Item and row notifications of the row controls.
    KXRESULT OnRowMouseDown(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    KXRESULT OnRowLeftDragChange(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    KXRESULT OnRowHoverChange(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);

    // Sends a notification without a parameter, or with param.
    void SendListNotification(const char16_t* id, const ConstRCPtr<LRefCountedObject>& param = {});
    // OnSelectionChanged, then "NID_SELECTION_CHANGE" outside drop-down mode.
    void ReportSelectionChange();
    // Writes a selection value and keeps the count and the row; true when it crossed 0.5.
    bool SetItemValue(int32_t index, double value);
    void RewriteRowsFrom(int32_t index);
    // Adds row controls while the last one ends above the visible bottom; a hidden list waits until
    // it is shown (a closed drop-down list costs no rows).
    void FillRows();
    void RecomputeWidestText();
    void PrepareTemplate(const RCPtr<LControl>& templateControl);
    // Subscribes to a row's press, drag and hover and gives it the drop-down mode.
    void SubscribeRow(const RCPtr<LControl>& row);
    // Hands a key to one of the list's scroll bars; false without the bar.
    bool PassKeyToBar(const RCPtr<LControl>& bar, const RCPtr<LKeyParam>& param);
    // The scroll view scrolls vertically by whole rows of this height.
    void SetVerticalLineSize(int32_t pixels);
    // Stores the first shown item for a vertical offset and rewrites the rows when it moved.
    void SyncFirstShownToOffset(double offset);
    int32_t FirstShownForOffset(double offset) const;
    // Turns the row order so that first becomes the first shown item; the rows turned (negative:
    // towards the end), 0 when the rows were left as they were. The rows that wrapped round are
    // written by RewriteWrappedRows.
    int32_t RotateRowsTo(int32_t first);
    void RewriteWrappedRows();
    // A row's vertical placement at a row position (below the row before it).
    void PlaceRow(LLayoutDescriptor& layout, int32_t row);
    // The same below previous (null: at the client top).
    static void PlaceRowBelow(LLayoutDescriptor& layout, const LControl* previous);
    // GetRowAt without taking a reference.
    LListBoxItem* RowAt(int32_t row);

    RCPtr<LNotificationHandler<LListBox>> m_listHandler;
    int32_t m_anchor = -1;
    int32_t m_caret = -1;
    bool m_multiSelection = false;
    int32_t m_selectionMode = 1;
    bool m_dropDownMode = false;
    bool m_sorted = false;
    int32_t m_selectedCount = 0;
    int32_t m_rowHeight = 14;
    int32_t m_interactionMode = 1;
    int32_t m_firstShown = 0;
    int32_t m_widestText = 0;
    bool m_bulkUpdate = false;
    std::vector<int32_t> m_selectedIndices;
    // Each row control's index among the children and the row itself (owned by the children), in
    // row order.
    struct RowEntry {
        int32_t child;
        LListBoxItem* item;
    };
    std::vector<RowEntry> m_rows;
    std::vector<uint32_t> m_swatches;

private:
    ConstRCPtr<LControlDescriptor> m_template;
    bool m_fillingRows = false;
    bool m_inCreateFromDescriptor = false;
    // Rows named by the skin ("item1", "item2", ...) keep their places.
    bool m_fixedRows = false;
    bool m_rowsInPlace = false;
    // Whether the rows the last turn placed are all one row high.
    bool m_turnedRowsUniform = false;
    bool m_deferFill = false;
    bool m_rowsWaitForShow = false;
    bool m_placingRows = false;
    int32_t m_wrappedFrom = 0;
    int32_t m_wrappedTo = 0;
    bool m_wrappedUnwritten = false;
    std::vector<LListItemRecord> m_items;
};

} // namespace KX
