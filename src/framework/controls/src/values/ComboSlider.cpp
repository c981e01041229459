// The combo slider: the value text, the pop-up panel's placement, and the two-way link between the
// box's value and the pop-up slider's.
#include "kx/controls/ComboSlider.h"

#include "kx/controls/Panel.h"
#include "kx/controls/Slider.h"
#include "kx/ui/ControlDescriptor.h"
#include "values/ValueSupport.h"

#include <algorithm>

namespace KX {

namespace {
constexpr int32_t kLookDisabled = 6, kLookOpen = 4, kLookOpenHover = 5;
} // namespace

LComboSlider::LComboSlider(const RCPtr<LControl>& parent, const WString& name) : LDropDownControl(parent, name) {}

LComboSlider::~LComboSlider()
{
    m_comboHandler = nullptr;
}

RCPtr<LSlider> LComboSlider::GetSlider() const
{
    return m_panel ? RCPtr<LSlider>::DynamicCast(m_panel->FindChild(WString(u"slider"))) : RCPtr<LSlider>();
}

KXRESULT LComboSlider::Initialize()
{
    if (LDropDownControl::Initialize() < 0)
        return E_FAIL;
    const RCPtr<LComboSlider> self(this);
    m_panel = RCPtr<LPanel>::DynamicCast(FindChild(WString(u"dropDownPanel")));
    if (m_panel) {
        m_panel->SetVisible(false);
        m_comboHandler = RCPtr<LNotificationHandler<LComboSlider>>(new LNotificationHandler<LComboSlider>(this));
        if (const RCPtr<LSlider> slider = GetSlider())
            if (m_comboHandler->AddDistributorHandler(&LComboSlider::OnSliderChange,
                                                      RCPtr<LNotificationDistributor>(slider), NID_VALUE_CHANGE,
                                                      0) == S_OK)
                m_boundSlider = slider.Get();
    }
    if (const RCPtr<LSlider> slider = GetSlider())
        LDropDownControl::SetValueRange(slider->GetMinimum(), slider->GetMaximum(), slider->GetScaleType());
    // The box shows its value from the start, with or without a pop-up.
    ApplyText(FormatValue(), true);
    return S_OK;
}

WString LComboSlider::FormatValue() const
{
    return values::FormatValueText(NormalizedToValue(GetNormalizedValue()), m_decimals);
}

void LComboSlider::SetDecimalPlaces(int32_t decimals)
{
    m_decimals = std::clamp(decimals, 0, values::kMaxDecimals);
    SetText(FormatValue());
}

KXRESULT LComboSlider::SetValueRange(double minimum, double maximum, int32_t scaleType)
{
    const KXRESULT hr = LDropDownControl::SetValueRange(minimum, maximum, scaleType);
    if (hr != S_OK)
        return hr;
    if (const RCPtr<LSlider> slider = GetSlider())
        slider->SetValueRange(minimum, maximum, scaleType);
    SetText(FormatValue());
    return S_OK;
}

double LComboSlider::SetNormalizedValue(double value)
{
    const RCPtr<LComboSlider> self(this);
    if (const RCPtr<LSlider> slider = GetSlider())
        slider->SetNormalizedValue(value);
    return LDropDownControl::SetNormalizedValue(value);
}

void LComboSlider::OnValueChanged()
{
    const RCPtr<LComboSlider> self(this);
    if (const RCPtr<LSlider> slider = GetSlider()) {
        if (m_comboHandler && slider.Get() == m_boundSlider) {
            // The slider follows without telling us back.
            const CAutoNotificationDisabler<LComboSlider> quiet(m_comboHandler, slider.Get(), NID_VALUE_CHANGE);
            slider->SetNormalizedValue(GetNormalizedValue());
        } else {
            slider->SetNormalizedValue(GetNormalizedValue());
        }
    }
    SetText(FormatValue());
}

KXRESULT LComboSlider::OnSliderChange(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    const RCPtr<LComboSlider> self(this);
    if (const RCPtr<LSlider> slider = GetSlider())
        LDropDownControl::SetNormalizedValue(slider->GetNormalizedValue());
    return S_OK;
}

bool LComboSlider::IsDropDownShowing()
{
    if (!m_panel || !m_panel->GetLayout() || !m_panel->GetLayout()->visible)
        return false;
    return m_panel->GetSize().x > 0.0 && m_panel->GetSize().y > 0.0;
}

RCPtr<LControl> LComboSlider::GetDropDownPart()
{
    return RCPtr<LControl>(m_panel);
}

KXRESULT LComboSlider::SetDropDownOpen(bool open)
{
    if (!m_panel)
        return E_FAIL;
    const RCPtr<LComboSlider> self(this);
    const RCPtr<LPanel> panel = m_panel;
    const RCPtr<LLayoutDescriptor> layout = panel->GetLayout();
    if (open && layout) {
        // The skin's place, pulled left so that the panel ends inside the outermost control.
        const LControlDescriptor* descriptor = panel->GetDescriptor().Get();
        const LLayoutDescriptor* skin = descriptor ? descriptor->GetLayout().Get() : nullptr;
        const double skinX = skin ? skin->Position(0).absolute : layout->Position(0).absolute;
        PointT<double> origin{};
        GetOriginInTopLevel(origin);
        double x = skinX + origin.x;
        const double width = panel->GetSize().x;
        if (const RCPtr<LControl> top = GetTopLevelControl())
            if (x + width > top->GetSize().x)
                x = std::max(top->GetSize().x - width, 0.0);
        x -= origin.x;
        AxisPlacement placement = layout->Position(0);
        if (placement.absolute != x) {
            placement.absolute = x;
            panel->SetAxisPlacement(0, placement, layout->Size(0));
        }
    }
    panel->SetVisible(open);
    ShowLook(GetStateLookIndex(), 1);
    return S_OK;
}

int32_t LComboSlider::GetStateLookIndex()
{
    const uint32_t mask = GetConditionFlags();
    if (!(mask & Condition::kEnabled))
        return kLookDisabled;
    const bool hover = (mask & Condition::kHover) != 0;
    if (IsDropDownShowing())
        return hover ? kLookOpenHover : kLookOpen;
    const bool focus = (mask & Condition::kFocusVisible) != 0;
    return (focus ? 1 : 0) + (hover ? 2 : 0);
}

void LComboSlider::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    const RCPtr<LComboSlider> self(this);
    LDropDownControl::OnConditionsChanged(param);
    ShowLook(GetStateLookIndex(), 1);
}

KXRESULT LComboSlider::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!IsBuilt())
        return S_FALSE;
    const RCPtr<LComboSlider> self(this);
    if (m_comboHandler && m_comboHandler->Receive(from, n))
        return S_OK;
    return LDropDownControl::Receive(from, n);
}

KXRESULT LComboSlider::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_comboHandler)
        m_comboHandler->RemoveDistributorHandler(d, name);
    return LDropDownControl::UnregisterForNotification(d, name);
}

} // namespace KX
