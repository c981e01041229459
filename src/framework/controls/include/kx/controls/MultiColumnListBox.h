#pragma once
// The multi-column list ("Framework.listbox2ColumnSortable"): list boxes side by side
// ("listboxNoScroll1", "listboxNoScroll2", ...) under header buttons ("buttonColumnHeader1", ...).
// Row k of the table is item k of every column; the table owns no item data. The columns scroll
// together, keep their selections row-aligned, light the row under the pointer in every column and
// sort together by the texts of a clicked header's column, ascending and descending in turn, rows
// with equal texts keeping their order. UI thread only.
#include "kx/controls/Button.h"
#include "kx/controls/ListBox.h"
#include "kx/controls/Panel.h"

#include <cstdint>
#include <vector>

namespace KX {

class LMultiColumnListBox : public LPanel {
public:
    // m_selectionMode values.
    static constexpr int32_t kSelectionOneColumn = 0;
    static constexpr int32_t kSelectionRows = 1;

    LMultiColumnListBox(const RCPtr<LControl>& parent, const WString& name);

    // Every column to the requested y (each keeps its own x), then the table itself.
    const PointT<double>& SetScrollOffset(PointT<double> offset) override;
    // A change of the last column recomputes the client extent.
    void AddInvalidRect(const RCPtr<LControl>& child) override;
    // The first column's rectangle (less its vertical bar when shown): the header row lies outside.
    // All zero without columns.
    RectT<double> GetClientRect() override;
    // Finds the columns and headers and subscribes to them; the panel's failure is returned.
    KXRESULT Initialize() override;
    // Only the first column takes the focus; the row height becomes the scroll step.
    KXRESULT PostInitialize() override;
    // Own table first, then the panel's chain.
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;

    // Reorders the rows of every column by the texts of column (zero-based; case ignored),
    // ascending when IsNextSortAscending(column), else descending, and flips that direction. Rows
    // with equal texts keep their order; selections and alternate looks move with their rows.
    // Nothing for a column out of range. Raises the failed-result exception when the selection
    // subscriptions cannot be suspended (those suspended are restored first, the rows left as
    // they were) or restored. A header click reports the failure with a trace line instead.
    void PerformSort(int32_t column);
    // The text of item row of column; empty when either is out of range.
    WString GetCellText(int32_t column, int32_t row) const;

    int32_t GetColumnCount() const noexcept { return static_cast<int32_t>(m_columns.size()); }
    // Null out of range.
    RCPtr<LListBox> GetColumn(int32_t column) const;
    int32_t GetHeaderCount() const noexcept { return static_cast<int32_t>(m_headers.size()); }
    RCPtr<LButton> GetHeader(int32_t header) const;
    bool IsNextSortAscending(int32_t column) const;
    int32_t GetSelectionMode() const noexcept { return m_selectionMode; }
    void SetSelectionMode(int32_t mode) noexcept { m_selectionMode = mode; }
    // The row lit across the columns, or -1.
    int32_t GetHoverRow() const noexcept { return m_hoverRow; }

protected:
    ~LMultiColumnListBox() override;

private:
    KXRESULT OnColumnHover(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    KXRESULT OnColumnSelection(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    KXRESULT OnColumnActivated(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    KXRESULT OnColumnDoubleClicked(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    KXRESULT OnFirstColumnScrolled(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    KXRESULT OnFirstColumnExtent(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    KXRESULT OnHeaderClick(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);

    // Subscribes the table to the selection changes of the columns from first on; the first
    // failure, after trying every column.
    KXRESULT ResubscribeSelections(int32_t first);
    // Width: the right edge of the last column; height: the first column's content.
    void RecomputeClientExtent();
    // The column that sent a notification, or -1.
    int32_t ColumnOf(const LNotificationDistributor* sender) const;
    // Re-applies a child's vertical placement from its skin with the docked flag set.
    static void DockVertically(LControl& child);
    void Send(const char16_t* id);

    RCPtr<LNotificationHandler<LMultiColumnListBox>> m_tableHandler;
    std::vector<RCPtr<LListBox>> m_columns;
    std::vector<RCPtr<LButton>> m_headers;
    std::vector<uint8_t> m_sortAscending;
    int32_t m_selectionMode = kSelectionRows;
    int32_t m_hoverRow = -1;
    // Set while the first column's scroll reports reach the table.
    bool m_watchingFirstScroll = false;
};

} // namespace KX
