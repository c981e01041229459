// The list box's row controls: the template, making and filling rows, writing items into them,
// the widest text and fitting the list's size.
#include "kx/controls/ListBox.h"

#include "kx/RenderHost.h"
#include "kx/TextLayout.h"
#include "kx/ui/ControlDescriptor.h"
#include "kx/ui/ControlFactory.h"
#include "kx/ui/FrameworkApp.h"
#include "kx/ui/LayoutPasses.h"
#include "kx/ui/LookDescriptor.h"
#include "kx/ui/StringTable.h"

#include <algorithm>
#include <cmath>

namespace KX {

namespace {

const char16_t kTemplateName[] = u"templateItem";

int32_t RoundHalfAway(double value)
{
    if (!(std::fabs(value) < 2147483647.0))
        return 0;
    return static_cast<int32_t>(value < 0.0 ? std::ceil(value - 0.5) : std::floor(value + 0.5));
}

// The template's descriptor among the list box descriptor's children; null without one.
ConstRCPtr<LControlDescriptor> FindTemplateDescriptor(const LControlDescriptor* descriptor)
{
    if (!descriptor)
        return {};
    const RCPtrArray<LControlDescriptor>& children = descriptor->GetChildren();
    for (uint32_t i = children.GetCount(); i-- > 0;) {
        const LControlDescriptor* child = children.GetData()[i].Get();
        if (child && child->GetName().Equals(kTemplateName))
            return ConstRCPtr<LControlDescriptor>(child);
    }
    return {};
}

// Creates a control of descriptor's class under parent: through the application's factory when
// there is one, else through the create function the descriptor has cached.
RCPtr<LControl> CreateFromTemplate(const ConstRCPtr<LControlDescriptor>& descriptor, const RCPtr<LControl>& parent)
{
    RCPtr<LControl> out;
    if (LFrameworkApp* app = LFrameworkApp::GetCurrent())
        if (const RCPtr<LControlFactory>& factory = app->GetControlFactory())
            return factory->CreateControlFromDescriptor(out, descriptor, parent);
    if (ControlCreateFunction create = descriptor ? descriptor->GetCreateFunction() : nullptr) {
        RCPtr<LControl> parentArgument(parent);
        ConstRCPtr<LControlDescriptor> descriptorArgument(descriptor);
        create(out, parentArgument, descriptorArgument);
    }
    return out;
}

} // namespace

const ConstRCPtr<LControlDescriptor>& LListBox::GetTemplateDescriptor() const
{
    return m_template;
}

void LListBox::PrepareTemplate(const RCPtr<LControl>& templateControl)
{
    m_template = templateControl->GetDescriptor();
    m_rowHeight = RoundHalfAway(templateControl->GetSize().y);
    if (m_rowHeight < 1)
        m_rowHeight = 14;
    templateControl->FinishDeferredRemoval();
}

KXRESULT LListBox::Initialize()
{
    const KXRESULT hr = LScrollView::Initialize();
    if (Failed(hr))
        return hr;
    const RCPtr<LControl> self(this);
    m_listHandler = RCPtr<LNotificationHandler<LListBox>>(new LNotificationHandler<LListBox>(this));
    if (const RCPtr<LControl> templateControl = FindChild(WString(kTemplateName))) {
        PrepareTemplate(templateControl);
        SetVerticalLineSize(m_rowHeight);
        PerformLayout();
        FillFromStringTable(ConstRCPtr<LStringTable>(GetStringTable().Get()));
        FillRows();
        RewriteRowsFrom(m_firstShown);
        return hr;
    }
    for (int32_t n = 1;; ++n) {
        const RCPtr<LControl> row = FindChild(WString::Format(u"item%d", n));
        if (!row)
            break;
        if (!m_template) {
            m_template = row->GetDescriptor();
            m_rowHeight = RoundHalfAway(row->GetSize().y);
            if (m_rowHeight < 1)
                m_rowHeight = 14;
            SetVerticalLineSize(m_rowHeight);
        }
        m_rows.push_back(RowEntry{GetChildIndex(row, kOrderInsertion), RCPtr<LListBoxItem>::DynamicCast(row).Get()});
        m_fixedRows = true;
        const int32_t item = GetItemCount();
        InsertItemRecord(item);
        SetItemText(item, row->GetText());
        SubscribeRow(row);
    }
    RewriteRowsFrom(0);
    FitHeightToContent();
    RelayoutRows();
    if (m_sorted)
        SortItems();
    return hr;
}

void LListBox::SubscribeRow(const RCPtr<LControl>& row)
{
    const RCPtr<LNotificationDistributor> source(row.Get());
    TraceFailedResult(m_listHandler->AddDistributorHandler(&LListBox::OnRowMouseDown, source, NID_MOUSE_DOWN, 0),
                      "LListBox::SubscribeRow");
    TraceFailedResult(
        m_listHandler->AddDistributorHandler(&LListBox::OnRowLeftDragChange, source, NID_LEFT_DRAG_CONDITION_CHANGE, 0),
        "LListBox::SubscribeRow");
    TraceFailedResult(
        m_listHandler->AddDistributorHandler(&LListBox::OnRowHoverChange, source, NID_HOVER_CONDITION_CHANGE, 0),
        "LListBox::SubscribeRow");
    if (const RCPtr<LListBoxItem> item = RCPtr<LListBoxItem>::DynamicCast(row))
        item->SetDropDownMode(m_dropDownMode);
    row->SetInteractionMode(m_interactionMode);
}

KXRESULT LListBox::AddRowControl()
{
    if (!m_template || !m_template->GetLayout())
        return E_FAIL;
    const RCPtr<LControl> self(this);
    RCPtr<LControlDescriptor> descriptor;
    if (Failed(m_template->Copy(descriptor)) || !descriptor)
        return E_FAIL;
    const int32_t rowCount = GetRowCount();
    RCPtr<LLayoutDescriptor> layout = LLayoutDescriptor::Clone(*m_template->GetLayout());
    PlaceRow(*layout, rowCount);
    layout->visible = true;
    descriptor->SetLayout(ConstRCPtr<LLayoutDescriptor>(layout.Get()));
    descriptor->SetName(WString::Format(u"ItemControl%d", rowCount + 1));
    LStringTable::Entries params;
    if (const ConstRCPtr<LStringTable>& own = m_template->GetCreateParams())
        params = own->GetEntries();
    params[WString(u"USE_PARENT_TOOLTIP")] = WString(u"true");
    descriptor->SetCreateParams(ConstRCPtr<LStringTable>(new LStringTable(params)));

    const RCPtr<LControl> row = CreateFromTemplate(ConstRCPtr<LControlDescriptor>(descriptor.Get()), self);
    if (!row)
        return E_FAIL;
    if (row->GetParent().Get() != this)
        LControl::AttachChild(row, ConstRCPtr<LControlDescriptor>(descriptor.Get()));
    SubscribeRow(row);
    m_rows.push_back(RowEntry{GetChildIndex(row, kOrderInsertion), RCPtr<LListBoxItem>::DynamicCast(row).Get()});
    UpdateRow(m_firstShown + GetRowCount() - 1);
    return S_OK;
}

void LListBox::FillRows()
{
    if (m_fillingRows || m_deferFill || m_inCreateFromDescriptor || !m_template || (!IsBuilt() && !m_listHandler))
        return;
    if (GetLayout() && !GetLayout()->visible) {
        m_rowsWaitForShow = true;
        return;
    }
    const RCPtr<LControl> self(this);
    m_fillingRows = true;
    const RectT<double> client = GetClientRect();
    const double bottom = client.y + client.height + GetScrollOffset().y;
    double reached = -kMaxLayoutCoordinate;
    for (;;) {
        const int32_t rows = GetRowCount();
        if (rows > 0) {
            const RCPtr<LListBoxItem> last = GetRowAt(rows - 1);
            const double end = last ? last->GetPosition().y + last->GetSize().y : bottom;
            // A row that ends no lower than the one before it (no height) would never fill.
            if (end >= bottom || end <= reached)
                break;
            reached = end;
        } else if (!(bottom > 0.0)) {
            break;
        }
        if (Failed(AddRowControl()))
            break;
    }
    m_fillingRows = false;
}

void LListBox::SetVisible(bool visible)
{
    const RCPtr<LControl> self(this);
    LScrollView::SetVisible(visible);
    if (!visible || !m_rowsWaitForShow)
        return;
    m_rowsWaitForShow = false;
    FillRows();
    RelayoutRows();
}

LListBoxItem* LListBox::RowAt(int32_t row)
{
    if (row < 0 || row >= GetRowCount())
        return nullptr;
    const RowEntry& entry = m_rows[static_cast<size_t>(row)];
    ChildControlList& children = GetChildren();
    if (!entry.item || entry.child < 0 || static_cast<uint32_t>(entry.child) >= children.GetCount())
        return nullptr;
    // Only while the row is still that child.
    if (children.GetAt(static_cast<uint32_t>(entry.child), kOrderInsertion).Get() != static_cast<LControl*>(entry.item))
        return nullptr;
    return entry.item;
}

RCPtr<LListBoxItem> LListBox::GetRowAt(int32_t row)
{
    return RCPtr<LListBoxItem>(RowAt(row));
}

int32_t LListBox::GetItemOfRowControl(const LControl* row)
{
    if (!row)
        return -1;
    for (size_t r = 0; r < m_rows.size(); ++r)
        if (m_rows[r].item && static_cast<const LControl*>(m_rows[r].item) == row)
            return GetRowAt(static_cast<int32_t>(r)) ? m_firstShown + static_cast<int32_t>(r) : -1;
    return -1;
}

KXRESULT LListBox::UpdateRow(int32_t index)
{
    const RCPtr<LListBoxItem> row = GetRowAt(index - m_firstShown);
    if (!row)
        return S_FALSE;
    const bool exists = index >= 0 && index < GetItemCount();
    const LListItemRecord empty;
    const LListItemRecord& record = exists ? GetItemRecord(index) : empty;
    // A blank row shows no text even when its record has one.
    const WString text = record.text && !record.blank ? record.text->ToString() : WString();
    row->SetText(text);
    row->SetNormalizedValue(record.value);
    row->SetAlternateLook(record.alternate != 0);
    row->SetEnabled(exists);
    row->SetBlank(record.blank != 0);
    return S_OK;
}

void LListBox::RewriteRowsFrom(int32_t index)
{
    for (int32_t r = 0; r < GetRowCount(); ++r)
        if (m_firstShown + r >= index)
            UpdateRow(m_firstShown + r);
}

KXRESULT LListBox::CreateFromDescriptor(const ConstRCPtr<LControlDescriptor>& descriptor)
{
    const RCPtr<LControl> self(this);
    const bool rebuild = IsBuilt();
    if (rebuild) {
        // The rebuild drops the rows with every child the skin does not name.
        m_rows.clear();
        if (const ConstRCPtr<LControlDescriptor> found = FindTemplateDescriptor(descriptor.Get()))
            m_template = found;
    }
    m_inCreateFromDescriptor = true;
    const KXRESULT hr = LScrollView::CreateFromDescriptor(descriptor);
    m_inCreateFromDescriptor = false;
    if (rebuild) {
        FillRows();
        RewriteRowsFrom(m_firstShown);
        RecomputeWidestText();
        RelayoutRows();
    }
    return hr;
}

KXRESULT LListBox::AttachChild(RCPtr<LControl> child, const ConstRCPtr<LControlDescriptor>& descriptor)
{
    if (!child) {
        if (!descriptor || !descriptor->GetName().Equals(kTemplateName))
            return E_FAIL;
        const RCPtr<LControl> self(this);
        m_template = descriptor;
        const RCPtr<LControl> made = CreateFromTemplate(descriptor, self);
        if (made)
            PrepareTemplate(made);
        return S_OK;
    }
    if (!descriptor)
        return S_OK;
    if (RCPtr<LListBoxItem>::DynamicCast(child)) {
        const WString& name = child->GetName();
        if (name.GetLength() > 4) {
            const int n = name.Mid(4).ToInt();
            // A row number outside the row list names no row.
            if (n >= 1 && static_cast<size_t>(n) <= m_rows.size())
                m_rows[static_cast<size_t>(n) - 1] =
                    RowEntry{GetChildIndex(child, kOrderInsertion), RCPtr<LListBoxItem>::DynamicCast(child).Get()};
        }
    }
    return LControl::AttachChild(child, descriptor);
}

int32_t LListBox::MeasureItemText(int32_t index)
{
    if (index < 0 || index >= GetItemCount())
        return 0;
    const RCPtr<LListBoxItem> row = GetRowAt(0);
    if (!row)
        return 0;
    const ConstRCPtr<LMeasurementRenderer> measurer = GetMeasurementRenderer();
    const float width = MeasureTextWidth(measurer.Get(), row->GetFont(), GetItemText(index));
    double margin = 0.0;
    if (const RCPtr<IControlLook>& look = row->GetLookAt(-1))
        if (ILookLabel* label = look->GetLabel()) {
            const LLookDescriptor& descriptor = label->GetDescriptor();
            if (descriptor.HasTextProperties()) {
                const LookTextProperties& t = descriptor.GetTextProperties();
                const double w = row->GetSize().x;
                const double available = (t.rightRel * w + t.rightAbs) - (t.leftRel * w + t.leftAbs);
                margin = w - available;
            }
        }
    return RoundHalfAway(static_cast<double>(width) + margin);
}

void LListBox::RecomputeWidestText()
{
    int32_t widest = 0;
    for (int32_t i = 0; i < GetItemCount(); ++i)
        widest = std::max(widest, MeasureItemText(i));
    m_widestText = widest;
}

void LListBox::RelayoutRows()
{
    if (m_bulkUpdate)
        return;
    const RCPtr<LControl> self(this);
    const bool fromWidest =
        !m_template || !m_template->GetLayout() || m_template->GetLayout()->Size(0).kind == kSizeToSelf;
    const double width = fromWidest ? static_cast<double>(m_widestText) : 0.0;
    SetClientExtent(width, GetContentHeight());
    if (!fromWidest || m_rows.empty())
        return;
    for (int32_t r = 0; r < GetRowCount(); ++r) {
        const RCPtr<LListBoxItem> row = GetRowAt(r);
        if (!row || !row->GetLayout())
            continue;
        AxisPlacement x = row->GetLayout()->Position(0);
        x.anchor = 0.5f;
        x.kind = kPositionToClient;
        x.relative = 0.5f;
        x.absolute = 0.0;
        SizeSpec size = row->GetLayout()->Size(0);
        size.kind = kSizeToSelf;
        size.absolute = width;
        row->SetAxisPlacement(0, x, size);
    }
}

void LListBox::FitHeightToContent()
{
    if (!m_dropDownMode || m_bulkUpdate || !GetLayout())
        return;
    const RCPtr<LControl> self(this);
    const double frame = GetSize().y - GetClientRect().height;
    AxisPlacement position = GetLayout()->Position(1);
    SizeSpec size = GetLayout()->Size(1);
    size.kind = kSizeToSelf;
    size.absolute = RoundHalfAway(GetContentHeight() + frame);
    SetAxisPlacement(1, position, size);
}

void LListBox::SnapHeightToRows()
{
    if (!GetLayout() || m_rowHeight <= 0)
        return;
    const RCPtr<LControl> self(this);
    const double frame = std::trunc(GetSize().y - GetClientRect().height);
    auto snap = [&](double value) {
        const double rows = std::floor((value - frame) / m_rowHeight);
        return frame + m_rowHeight * std::max(1.0, rows);
    };
    SizeLimit minimum = GetLayout()->MinSize(1);
    SizeLimit maximum = GetLayout()->MaxSize(1);
    if (minimum.absolute > frame)
        minimum.absolute = snap(minimum.absolute);
    if (maximum.absolute > frame)
        maximum.absolute = snap(maximum.absolute);
    if (minimum.absolute > 0.0 || maximum.absolute > 0.0)
        SetAxisSizeLimits(1, minimum, maximum);
    SizeSpec size = GetLayout()->Size(1);
    if (size.kind == kSizeToSelf && size.absolute > 0.0) {
        size.absolute = snap(size.absolute);
        SetAxisPlacement(1, GetLayout()->Position(1), size);
    }
}

} // namespace KX
