// The multi-column list: finding its columns and headers, scrolling them together, row-aligned
// selections and the row lit across the columns. Sorting is in MultiColumnListBoxSort.cpp.
#include "kx/controls/MultiColumnListBox.h"

#include "kx/DebugTrace.h"
#include "kx/Exception.h"
#include "kx/controls/Button.h"
#include "kx/controls/ListBox.h"
#include "kx/controls/ListParams.h"
#include "kx/ui/ControlDescriptor.h"

#include <algorithm>
#include <optional>
#include <ostream>
#include <string_view>

namespace KX {

namespace {

constexpr const char16_t* kFirstScrolled = NID_SCROLL_OFFSET_CHANGE;

// Keeps the table deaf to one column's notification for its scope. A column the table does not
// listen to (its subscription taken away from outside) needs nothing.
class QuietColumn {
public:
    QuietColumn(const RCPtr<LNotificationHandler<LMultiColumnListBox>>& handler, const LNotificationDistributor* column,
                const char16_t* name)
        : m_handler(handler), m_column(column), m_name(name),
          m_quiet(handler && Succeeded(handler->DisableNotification(column, name)))
    {
    }
    ~QuietColumn()
    {
        if (m_quiet)
            m_handler->EnableNotification(m_column, m_name);
    }
    QuietColumn(const QuietColumn&) = delete;
    QuietColumn& operator=(const QuietColumn&) = delete;

private:
    RCPtr<LNotificationHandler<LMultiColumnListBox>> m_handler;
    const LNotificationDistributor* m_column;
    const char16_t* m_name;
    bool m_quiet;
};

} // namespace

LMultiColumnListBox::LMultiColumnListBox(const RCPtr<LControl>& parent, const WString& name) : LPanel(parent, name) {}

LMultiColumnListBox::~LMultiColumnListBox() = default;

void LMultiColumnListBox::DockVertically(LControl& child)
{
    const LControlDescriptor* descriptor = child.GetDescriptor().Get();
    const LLayoutDescriptor* skin = descriptor ? descriptor->GetLayout().Get() : nullptr;
    const LLayoutDescriptor* layout = skin ? skin : child.GetLayout().Get();
    if (!layout)
        return;
    AxisPlacement position;
    SizeSpec size;
    layout->GetAxisPlacement(1, position, size);
    // Docked: the table's vertical scrolling leaves the child where it is; the columns scroll
    // their rows themselves.
    position.docked = 1;
    child.SetAxisPlacement(1, position, size);
}

KXRESULT LMultiColumnListBox::Initialize()
{
    const KXRESULT hr = LPanel::Initialize();
    if (Failed(hr))
        return hr;
    const RCPtr<LControl> self(this);
    m_tableHandler =
        RCPtr<LNotificationHandler<LMultiColumnListBox>>(new LNotificationHandler<LMultiColumnListBox>(this));
    m_columns.clear();
    m_headers.clear();
    m_watchingFirstScroll = false;
    for (int32_t i = 1;; ++i) {
        const RCPtr<LListBox> column =
            RCPtr<LListBox>::DynamicCast(ConstRCPtr<LControl>(FindChild(WString::Format(u"listboxNoScroll%d", i))));
        if (!column)
            break;
        m_columns.push_back(column);
        const RCPtr<LNotificationDistributor> source(column.Get());
        TraceFailedResult(m_tableHandler->AddDistributorHandler(&LMultiColumnListBox::OnColumnHover, source,
                                                                NID_ITEM_HOVER_CONDITION_CHANGE, 0),
                          "LMultiColumnListBox::Initialize");
        TraceFailedResult(m_tableHandler->AddDistributorHandler(&LMultiColumnListBox::OnColumnSelection, source,
                                                                NID_SELECTION_CHANGE, 0),
                          "LMultiColumnListBox::Initialize");
        TraceFailedResult(m_tableHandler->AddDistributorHandler(&LMultiColumnListBox::OnColumnActivated, source,
                                                                NID_ITEM_ACTIVATED, 0),
                          "LMultiColumnListBox::Initialize");
        TraceFailedResult(m_tableHandler->AddDistributorHandler(&LMultiColumnListBox::OnColumnDoubleClicked, source,
                                                                NID_ITEM_DOUBLE_CLICKED, 0),
                          "LMultiColumnListBox::Initialize");
        if (i == 1) {
            m_watchingFirstScroll = Succeeded(m_tableHandler->AddDistributorHandler(
                &LMultiColumnListBox::OnFirstColumnScrolled, source, kFirstScrolled, 0));
            TraceFailedResult(m_tableHandler->AddDistributorHandler(&LMultiColumnListBox::OnFirstColumnExtent, source,
                                                                    NID_CLIENT_EXTENT_CHANGE, 0),
                              "LMultiColumnListBox::Initialize");
        }
        DockVertically(*column);
    }
    for (int32_t i = 1;; ++i) {
        const RCPtr<LButton> header =
            RCPtr<LButton>::DynamicCast(ConstRCPtr<LControl>(FindChild(WString::Format(u"buttonColumnHeader%d", i))));
        if (!header)
            break;
        m_headers.push_back(header);
        TraceFailedResult(m_tableHandler->AddDistributorHandler(&LMultiColumnListBox::OnHeaderClick,
                                                                RCPtr<LNotificationDistributor>(header.Get()),
                                                                NID_LEFT_CLICK, 0),
                          "LMultiColumnListBox::Initialize");
        DockVertically(*header);
    }
    m_sortAscending.assign(m_columns.size(), 1);
    // The extent is the columns', not the children's far corner.
    SetAutoExtent(0);
    SetExtentMargin(0, 0);
    SetDragScrolling(true);
    return hr;
}

KXRESULT LMultiColumnListBox::PostInitialize()
{
    const KXRESULT hr = LPanel::PostInitialize();
    if (Failed(hr) || m_columns.empty())
        return hr;
    const RCPtr<LControl> self(this);
    // Keys go to the first column; the others follow its selection.
    for (size_t c = 1; c < m_columns.size(); ++c)
        m_columns[c]->SetNotFocusable(true);
    const RCPtr<LListBox> first = m_columns.front();
    SetLineMode(first->GetRowHeight());
    for (const RCPtr<LListBox>& column : m_columns) {
        const RCPtr<LLayoutDescriptor>& layout = column->GetLayout();
        if (!layout || layout->MinSize(1).absolute > 0.0)
            continue;
        SizeLimit minimum = layout->MinSize(1);
        minimum.absolute = static_cast<double>(column->GetRowHeight());
        column->SetAxisSizeLimits(1, minimum, layout->MaxSize(1));
    }
    RecomputeClientExtent();
    return S_OK;
}

KXRESULT LMultiColumnListBox::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!IsBuilt())
        return S_FALSE;
    const RCPtr<LControl> self(this);
    if (m_tableHandler && m_tableHandler->Receive(from, n))
        return S_OK;
    return LPanel::Receive(from, n);
}

KXRESULT LMultiColumnListBox::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_tableHandler && name)
        m_tableHandler->RemoveDistributorHandler(d, name);
    if (name && !m_columns.empty() && d.Get() == static_cast<LNotificationDistributor*>(m_columns.front().Get()) &&
        std::u16string_view(name) == kFirstScrolled)
        m_watchingFirstScroll = false;
    return LPanel::UnregisterForNotification(d, name);
}

RCPtr<LListBox> LMultiColumnListBox::GetColumn(int32_t column) const
{
    return column >= 0 && column < GetColumnCount() ? m_columns[static_cast<size_t>(column)] : RCPtr<LListBox>();
}

RCPtr<LButton> LMultiColumnListBox::GetHeader(int32_t header) const
{
    return header >= 0 && header < GetHeaderCount() ? m_headers[static_cast<size_t>(header)] : RCPtr<LButton>();
}

bool LMultiColumnListBox::IsNextSortAscending(int32_t column) const
{
    return column >= 0 && static_cast<size_t>(column) < m_sortAscending.size() &&
           m_sortAscending[static_cast<size_t>(column)] != 0;
}

int32_t LMultiColumnListBox::ColumnOf(const LNotificationDistributor* sender) const
{
    for (size_t c = 0; c < m_columns.size(); ++c)
        if (static_cast<const LNotificationDistributor*>(m_columns[c].Get()) == sender)
            return static_cast<int32_t>(c);
    return -1;
}

void LMultiColumnListBox::Send(const char16_t* id)
{
    RCPtr<LNotification> n;
    LNotification::Create(n, id, ConstRCPtr<LRefCountedObject>());
    if (n)
        SendNotification(n);
}

// Geometry and scrolling.

RectT<double> LMultiColumnListBox::GetClientRect()
{
    if (m_columns.empty())
        return RectT<double>{};
    const LListBox& first = *m_columns.front();
    const double reserved = first.IsVerticalBarShown() ? first.GetBarThickness().x : 0.0;
    // The column is docked vertically: its position carries the table's vertical offset.
    return RectT<double>{first.GetPosition().x, first.GetPosition().y - GetScrollOffset().y,
                         std::max(0.0, first.GetSize().x - reserved), first.GetSize().y};
}

void LMultiColumnListBox::RecomputeClientExtent()
{
    if (m_columns.empty())
        return;
    const RCPtr<LListBox>& last = m_columns.back();
    SetClientExtent(last->GetPosition().x + last->GetSize().x, m_columns.front()->GetContentHeight());
}

const PointT<double>& LMultiColumnListBox::SetScrollOffset(PointT<double> offset)
{
    if (!m_columns.empty()) {
        const RCPtr<LControl> self(this);
        // The first column's own report of the move would bring the table back here.
        std::optional<CAutoNotificationDisabler<LMultiColumnListBox>> quiet;
        if (m_watchingFirstScroll)
            quiet.emplace(m_tableHandler, m_columns.front().Get(), kFirstScrolled);
        for (size_t c = m_columns.size(); c-- > 0;) {
            const RCPtr<LListBox> column = m_columns[c];
            column->SetScrollOffset(PointT<double>{column->GetScrollOffset().x, offset.y});
        }
    }
    return LPanel::SetScrollOffset(offset);
}

void LMultiColumnListBox::AddInvalidRect(const RCPtr<LControl>& child)
{
    LPanel::AddInvalidRect(child);
    if (child && !m_columns.empty() && child.Get() == static_cast<LControl*>(m_columns.back().Get()))
        RecomputeClientExtent();
}

KXRESULT LMultiColumnListBox::OnFirstColumnScrolled(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    if (!m_columns.empty())
        SetScrollOffset(PointT<double>{GetScrollOffset().x, m_columns.front()->GetScrollOffset().y});
    return kConsumed;
}

KXRESULT LMultiColumnListBox::OnFirstColumnExtent(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    if (m_columns.empty())
        return kConsumed;
    const RCPtr<LControl> self(this);
    SetLineMode(m_columns.front()->GetLineSize());
    RecomputeClientExtent();
    return kConsumed;
}

// Selection, activation and hover.

KXRESULT LMultiColumnListBox::OnColumnSelection(const RCPtr<LNotificationDistributor>& from,
                                                const RCPtr<LNotification>&)
{
    const int32_t sender = ColumnOf(from.Get());
    if (sender < 0)
        return kConsumed;
    const RCPtr<LControl> self(this);
    const RCPtr<LListBox> source = m_columns[static_cast<size_t>(sender)];
    const int32_t columns = GetColumnCount();
    if (m_selectionMode == kSelectionOneColumn) {
        for (int32_t c = 0; c < columns; ++c) {
            if (c == sender)
                continue;
            const RCPtr<LListBox> other = m_columns[static_cast<size_t>(c)];
            const QuietColumn quiet(m_tableHandler, other.Get(), NID_SELECTION_CHANGE);
            other->ClearSelection();
        }
    } else {
        const bool replace = !m_columns.front()->IsMultiSelection();
        for (int32_t row = source->GetItemCount() - 1; row >= 0; --row) {
            const bool selected = source->IsItemSelected(row);
            for (int32_t c = 0; c < columns; ++c) {
                const RCPtr<LListBox> other = m_columns[static_cast<size_t>(c)];
                if (c == sender || other->IsItemSelected(row) == selected)
                    continue;
                const QuietColumn quiet(m_tableHandler, other.Get(), NID_SELECTION_CHANGE);
                if (selected)
                    other->SelectRange(row, -1, replace);
                else
                    other->DeselectItem(row);
            }
        }
    }
    Send(NID_SELECTION_CHANGE);
    return kConsumed;
}

KXRESULT LMultiColumnListBox::OnColumnActivated(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    Send(NID_ITEM_ACTIVATED);
    return kConsumed;
}

KXRESULT LMultiColumnListBox::OnColumnDoubleClicked(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    Send(NID_ITEM_DOUBLE_CLICKED);
    return kConsumed;
}

KXRESULT LMultiColumnListBox::OnColumnHover(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (m_selectionMode != kSelectionRows || !n)
        return kConsumed;
    const int32_t sender = ColumnOf(from.Get());
    const ConstRCPtr<LItemConditionsParam> param = ConstRCPtr<LItemConditionsParam>::DynamicCast(n->GetPayload());
    if (sender < 0 || !param)
        return kConsumed;
    const RCPtr<LControl> self(this);
    const uint32_t bit = Condition::kHoverOrHighlighted;
    const bool gained = (param->GetCurrentMask() & bit) && !(param->GetPreviousMask() & bit);
    const bool lost = !(param->GetCurrentMask() & bit) && (param->GetPreviousMask() & bit);
    // Only a row the pointer itself entered lights the others: the rows lit here report a gain
    // too, without the pointer.
    if (gained && !param->IsHover())
        return kConsumed;
    const int32_t item = param->GetItemIndex();
    for (int32_t c = GetColumnCount() - 1; c >= 0; --c) {
        if (c == sender)
            continue;
        const RCPtr<LListBox> other = m_columns[static_cast<size_t>(c)];
        if (gained || lost)
            other->SetItemRowHighlighted(item, gained);
        else
            other->ShowLookOnItemRow(item, param->GetFirstVisibleLook());
    }
    if (gained)
        m_hoverRow = item;
    else if (lost)
        m_hoverRow = -1;
    return kConsumed;
}

KXRESULT LMultiColumnListBox::OnHeaderClick(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>&)
{
    const int32_t count = std::min(GetHeaderCount(), GetColumnCount());
    for (int32_t h = count - 1; h >= 0; --h) {
        if (static_cast<const LNotificationDistributor*>(m_headers[static_cast<size_t>(h)].Get()) == from.Get()) {
            // A click's failure stops at the table: no exception leaves the event loop.
            try {
                PerformSort(h);
            } catch (const FailedResultException& e) {
                DebugOut() << "Multi-column list: the sort failed: " << e.what() << std::endl;
            }
            break;
        }
    }
    return kConsumed;
}

} // namespace KX
