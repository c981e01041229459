// Opening and closing a combo box's list: where it goes, how tall it is and which item it shows.
#include "kx/controls/ComboBox.h"

#include "kx/controls/ListBox.h"
#include "kx/ui/ControlDescriptor.h"
#include "kx/ui/ControlHost.h"
#include "kx/ui/Look.h"
#include "kx/ui/LookDescriptor.h"
#include "kx/ui/OSWindow.h"
#include "kx/ui/RootWindow.h"
#include "kx/ui/RootWindowSeam.h"

#include <algorithm>
#include <cmath>

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
    constexpr uint32_t kFocus = Condition::kHasFocus | Condition::kContainsFocus;
    // A box in no window has nowhere to show its list.
    if (show && !GetTopLevelOwnerSlot())
        return S_FALSE;
    // Without the focus (a field that refuses its text keeps it) the list stays shut: neither
    // Escape nor a press elsewhere would close it, and its rows would act beside the field.
    if (show && GetParent()) {
        Send(NID_DROPDOWN_OPENING, ConstRCPtr<LRefCountedObject>());
        if (!m_popupRoot && !PlaceList()) {
            // A list in a window of its own is worked through the box, which holds the focus.
            if (!(GetConditionFlags() & kFocus))
                SetFocus(true);
            if (!(GetConditionFlags() & kFocus)) {
                UpdateLook();
                return S_FALSE;
            }
            OpenPopup();
        }
        SelectLabelItem();
    }
    list->SetVisible(show);
    // A list in a window of its own leaves the focus and the opening press with the box.
    if (show && !m_popupRoot) {
        list->SetFocus(true);
        if (!(list->GetConditionFlags() & kFocus)) {
            list->SetVisible(false);
            UpdateLook();
            return S_FALSE;
        }
    }
    if (show && !m_popupRoot && list->IsDropDownMode() && (GetConditionFlags() & Condition::kLeftPressed)) {
        // The opening press goes on in the list: a release over an item chooses it.
        const PointT<double> at{m_pressPoint.x - list->GetPosition().x, m_pressPoint.y - list->GetPosition().y};
        const PointT<int32_t> p = RoundPointToLong(at);
        list->BeginDrag(1, p.x, p.y);
    }
    UpdateLook();
    return S_OK;
}

bool LComboBox::PlaceList()
{
    const RCPtr<LListBox> list = m_listBox;
    const RCPtr<LLayoutDescriptor> layout = list->GetLayout();
    if (!layout)
        return true;
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
    // Without a maximum from the skin the list takes whatever room the window has.
    return skinMaximum <= 0.0 || std::min(rows, skinMaximum) <= std::max(above, below);
}

bool LComboBox::OpenPopup()
{
    auto* root = dynamic_cast<LRootWindow*>(GetTopLevelOwnerSlot().Get());
    auto* owner = root ? dynamic_cast<OSWindow*>(root->GetServices()) : nullptr;
    if (!owner || !owner->GetRenderer() || owner->IsPopup())
        return false;
    const RCPtr<LListBox> list = m_listBox;
    const RCPtr<LLayoutDescriptor> layout = list->GetLayout();
    if (!layout)
        return false;
    const double frame = std::max(0.0, list->GetSize().y - list->GetClientRect().height);
    const double row = static_cast<double>(list->GetRowHeight());
    const double rows = row * list->GetItemCount() + frame;
    const LControlDescriptor* descriptor = list->GetDescriptor().Get();
    const double skinMaximum =
        descriptor && descriptor->GetLayout() ? std::max(0.0, descriptor->GetLayout()->MaxSize(1).absolute) : 0.0;
    const double normal = skinMaximum > 0.0 ? std::min(rows, skinMaximum) : rows;

    // The box on the screen and the room around it on the work area.
    const PointT<int32_t> client = root->GetClientOriginOnScreen();
    const PointT<int32_t> at = RoundPointToLong(GetOriginInRootWindow());
    const int32_t left = client.x + at.x, top = client.y + at.y;
    const int32_t bottom = top + static_cast<int32_t>(std::lround(GetSize().y));
    IControlHost* host = GetControlHost();
    const RectT<int32_t> area = host ? host->GetScreenArea() : RectT<int32_t>{0, 0, 0, 0};
    if (area.width <= 0 || area.height <= 0)
        return false;
    const double below = std::max(0.0, area.y + area.height - bottom - kEdgeMargin);
    const double above = std::max(0.0, top - area.y - kEdgeMargin);
    const bool down = normal <= below || above <= below;
    const double space = down ? below : above;
    double height = normal;
    if (normal > space && row > 0.0)
        height = std::max(row, std::floor((space - frame) / row) * row) + frame;
    const int32_t width = static_cast<int32_t>(std::lround(std::max(list->GetSize().x, GetSize().x)));
    const int32_t tall = std::max(1, static_cast<int32_t>(std::lround(height)));

    OSWindowOptions options;
    options.popup = true;
    options.resizable = false;
    options.owner = owner;
    options.width = width;
    options.height = tall;
    options.x = std::clamp(left, area.x, std::max(area.x, area.x + area.width - width));
    options.y = down ? bottom : top - tall;
    OSWindow* window = OSWindow::Create(options);
    if (!window)
        return false;
    if (Failed(window->CreateRenderer(owner->GetRenderer()->GetRendererType())) || !window->GetRootWindow()) {
        window->Destroy();
        return false;
    }
    // The list fills a bare control that is the window's main control.
    m_homeLayout = LLayoutDescriptor::Clone(*layout);
    RCPtr<LControl> holder(new LControl(RCPtr<LControl>(), WString(u"dropDownHost")));
    holder->SetLayout(LLayoutDescriptor::Clone(*layout));
    holder->GetLayout()->visible = true;
    holder->GetLayout()->clipToParent = true;
    // An empty look: pointer input reaches children through their parent's looks.
    holder->AddLook(RCPtr<IControlLook>(LLook::Create(RCPtr<LLookDescriptor>(new LLookDescriptor(WString())), false)));
    holder->ShowLook(0, 1);
    list->SetParent(holder);
    for (int32_t axis = 0; axis < 2; ++axis) {
        AxisPlacement position = layout->Position(axis);
        SizeSpec size = layout->Size(axis);
        position.anchor = 0.0f;
        position.relative = 0.0f;
        position.absolute = 0.0;
        size.kind = kSizeToSelf;
        size.absolute = axis == 0 ? width : tall;
        SizeLimit minimum = layout->MinSize(axis), maximum = layout->MaxSize(axis);
        minimum.absolute = 0.0;
        maximum.absolute = size.absolute;
        for (LControl* control : {static_cast<LControl*>(holder.Get()), static_cast<LControl*>(list.Get())}) {
            control->SetAxisSizeLimits(axis, minimum, maximum);
            control->SetAxisPlacement(axis, position, size);
        }
    }
    m_popupRoot = window->GetRootWindow();
    m_popupRoot->AttachMainControl(holder);
    window->Show(1);
    window->InvalidateAll();
    return true;
}

void LComboBox::ClosePopup()
{
    const RCPtr<LRootWindow> popup = std::move(m_popupRoot);
    if (!popup)
        return;
    RCPtr<LControl> self(this);
    const RCPtr<LListBox> list = m_listBox;
    list->SetParent(self);
    if (m_homeLayout)
        list->SetLayout(std::move(m_homeLayout));
    popup->AttachMainControl(RCPtr<LControl>());
    if (IWindowOSServices* services = popup->GetServices()) {
        services->Show(0);
        popup->Close(0);
    }
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
