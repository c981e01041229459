// Opening and closing a combo box's list: where it goes, how tall it is and which item it shows.
#include "kx/controls/ComboBox.h"

#include "kx/controls/ListBox.h"
#include "kx/ui/ControlDescriptor.h"
#include "kx/ui/RootWindowSeam.h"

#include <algorithm>

namespace KX {

namespace {

// Room kept free between the list and the window's edge.
constexpr double kEdgeMargin = 5.0;

} // namespace

bool LComboBox::IsDropDownShowing()
{
    if (!m_listBox || !m_listBox->GetLayout() || !m_listBox->GetLayout()->visible)
        return false;
    return m_listBox->GetSize().x > 0.0 && m_listBox->GetSize().y > 0.0;
}

RCPtr<LControl> LComboBox::GetDropDownPart()
{
    return RCPtr<LControl>(m_listBox);
}

KXRESULT LComboBox::ShowDropDown(bool show)
{
    if (!m_listBox)
        return E_FAIL;
    RCPtr<LControl> self(this);
    const RCPtr<LListBox> list = m_listBox;
    if (show && GetParent()) {
        Send(NID_DROPDOWN_OPENING, ConstRCPtr<LRefCountedObject>());
        PlaceList();
        SelectLabelItem();
    }
    list->SetVisible(show);
    if (show) {
        if (list->IsDropDownMode() && (GetConditionFlags() & Condition::kLeftPressed)) {
            // The opening press goes on in the list: a release over an item chooses it.
            const PointT<double> at{m_pressPoint.x - list->GetPosition().x, m_pressPoint.y - list->GetPosition().y};
            const PointT<int32_t> p = RoundPointToLong(at);
            list->BeginDrag(1, p.x, p.y);
        }
        list->SetFocus(true);
    }
    UpdateLook();
    return S_OK;
}

void LComboBox::PlaceList()
{
    const RCPtr<LListBox> list = m_listBox;
    const RCPtr<LLayoutDescriptor> layout = list->GetLayout();
    if (!layout)
        return;
    // The rows and the look's frame around them.
    const double frame = std::max(0.0, list->GetSize().y - list->GetClientRect().height);
    const double rows = static_cast<double>(list->GetRowHeight()) * list->GetItemCount() + frame;
    const double top = GetOriginInRootWindow().y;
    double clientBottom = top + GetSize().y;
    if (const RCPtr<IRootWindow>& window = GetTopLevelOwnerSlot()) {
        const RectT<int32_t> client = window->GetClientRect();
        clientBottom = static_cast<double>(client.y) + client.height;
    }
    // A combo box partly outside the window has no room on that side, not less than none.
    const double above = std::max(0.0, top - kEdgeMargin);
    const double below = std::max(0.0, clientBottom - (top + GetSize().y) - kEdgeMargin);
    const LControlDescriptor* descriptor = list->GetDescriptor().Get();
    const double skinMaximum =
        descriptor && descriptor->GetLayout() ? std::max(0.0, descriptor->GetLayout()->MaxSize(1).absolute) : 0.0;
    const double ownMaximum = layout->MaxSize(1).absolute;

    bool down;
    if (ownMaximum <= 0.0 || skinMaximum <= 0.0 || (above < skinMaximum && below < skinMaximum))
        down = rows <= below || above <= below;
    else
        down = skinMaximum <= below;
    const double space = down ? below : above;
    const double height = rows <= space ? rows : space;
    double maximum;
    if (skinMaximum <= 0.0)
        maximum = rows <= space ? 0.0 : space;
    else
        maximum = std::min(space, skinMaximum);

    AxisPlacement position = layout->Position(1);
    SizeSpec size = layout->Size(1);
    position.anchor = down ? 0.0f : 1.0f;
    position.relative = down ? 1.0f : 0.0f;
    position.absolute = 0.0;
    size.kind = kSizeToSelf;
    size.absolute = height;
    SizeLimit minimum = layout->MinSize(1), limit = layout->MaxSize(1);
    limit.absolute = maximum;
    list->SetAxisSizeLimits(1, minimum, limit);
    list->SetAxisPlacement(1, position, size);
    list->SnapHeightToRows();
}

void LComboBox::SelectLabelItem()
{
    const RCPtr<LListBox> list = m_listBox;
    const int32_t count = list->GetItemCount();
    if (count <= 0)
        return;
    const WString& label = GetText();
    // The first item that shows the label wins; with none, item 0.
    int32_t chosen = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (list->GetItemText(i) == label) {
            chosen = i;
            break;
        }
    }
    list->SelectRange(chosen, -1, true);
    list->EnsureItemVisible(chosen);
}

} // namespace KX
