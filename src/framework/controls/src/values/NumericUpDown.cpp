// The numeric up-down: value, range, text, step buttons and keys.
#include "kx/controls/NumericUpDown.h"

#include "kx/Exception.h"
#include "kx/NotificationId.h"
#include "kx/controls/Button.h"
#include "kx/controls/TextBox.h"
#include "kx/ui/KeyCode.h"
#include "kx/ui/ParamRecords.h"
#include "values/ValueSupport.h"

#include <algorithm>
#include <cmath>

namespace KX {

namespace {
constexpr const char* kInitializeMethod = "KX::LNumericUpDown::Initialize";
constexpr const char* kSourcePath = "Controls\\NumericUpDown";

// The leading number of a text as a C runtime reads it; 0 when there is none.
double ReadNumber(const WString& text)
{
    const double value = text.ToDouble();
    return std::isnan(value) ? 0.0 : value;
}

uint32_t KeyDown(uint8_t virtualKey)
{
    return KeyCode::kKeyDown | (static_cast<uint32_t>(virtualKey) << KeyCode::kVirtualKeyShift);
}
} // namespace

LNumericUpDown::LNumericUpDown(const RCPtr<LControl>& parent, const WString& name) : LPanel(parent, name) {}

LNumericUpDown::~LNumericUpDown() = default;

WString LNumericUpDown::FormatValue() const
{
    return values::FormatValueText(GetValue(), m_decimals);
}

void LNumericUpDown::UpdateCharacterFilter()
{
    if (!m_textBox)
        return;
    WString filter(u"0123456789");
    if (m_decimals > 0)
        filter += WString(u".");
    if (GetMinimum() < 0.0)
        filter += WString(u"-");
    m_textBox->characterFilter = filter;
    m_textBox->filterIsAllowList = true;
}

void LNumericUpDown::SetDecimalPlaces(int32_t decimals)
{
    m_decimals = std::clamp(decimals, 0, values::kMaxDecimals);
    UpdateCharacterFilter();
    ShowValue();
}

void LNumericUpDown::ShowValue()
{
    if (m_textBox)
        m_textBox->SetText(FormatValue());
}

KXRESULT LNumericUpDown::SetText(const WString& text)
{
    SetNormalizedValue(ValueToNormalized(ReadNumber(text)));
    return S_OK;
}

void LNumericUpDown::OnValueChanged()
{
    if (!m_textBox)
        return;
    const RCPtr<LControl> self(this);
    ShowValue();
    m_textBox->Validate();
}

KXRESULT LNumericUpDown::SetValueRange(double minimum, double maximum, int32_t scaleType)
{
    const KXRESULT hr = LPanel::SetValueRange(minimum, maximum, scaleType);
    if (hr != S_OK)
        return hr;
    UpdateCharacterFilter();
    ShowValue();
    return S_OK;
}

double LNumericUpDown::SetValueAndRead(double value)
{
    SetNormalizedValue(ValueToNormalized(value));
    return GetValue();
}

KXRESULT LNumericUpDown::HandleKey(const RCPtr<LKeyParam>& param)
{
    if (param) {
        const uint32_t code = param->GetKey().code;
        const RCPtr<LButton> button = code == KeyDown(VKey::Up) ? m_up : code == KeyDown(VKey::Down) ? m_down : nullptr;
        if (button) {
            RCPtr<LNotification> n;
            LNotification::Create(n, NID_SIMULATE_CLICK, ConstRCPtr<LRefCountedObject>());
            return n ? button->Receive(RCPtr<LNotificationDistributor>(), n) : E_FAIL;
        }
    }
    return LPanel::HandleKey(param);
}

KXRESULT LNumericUpDown::Initialize()
{
    const KXRESULT hr = LPanel::Initialize();
    m_textBox = RCPtr<LTextBox>::DynamicCast(FindChild(WString(u"textBox")));
    m_up = RCPtr<LButton>::DynamicCast(FindChild(WString(u"buttonUp")));
    m_down = RCPtr<LButton>::DynamicCast(FindChild(WString(u"buttonDown")));
    for (const RCPtr<LButton>& button : {m_up, m_down}) {
        if (button) {
            button->autoRepeat = true;
            button->repeating = false;
        }
    }
    UpdateCharacterFilter();
    m_boxHandler = RCPtr<LNotificationHandler<LNumericUpDown>>(new LNotificationHandler<LNumericUpDown>(this));
    if (m_textBox) {
        const RCPtr<LNotificationDistributor> box(m_textBox);
        CheckResult(m_boxHandler->AddDistributorHandler(&LNumericUpDown::OnValidating, box, NID_TEXTBOX_VALIDATING, 0),
                    kInitializeMethod, kSourcePath, 71);
        CheckResult(m_boxHandler->AddDistributorHandler(&LNumericUpDown::OnValidated, box, NID_TEXTBOX_VALIDATED, 0),
                    kInitializeMethod, kSourcePath, 72);
    }
    for (const RCPtr<LButton>& button : {m_up, m_down})
        if (button)
            CheckResult(m_boxHandler->AddDistributorHandler(&LNumericUpDown::OnRepeat,
                                                            RCPtr<LNotificationDistributor>(button),
                                                            NID_BUTTON_AUTOREPEAT, 0),
                        kInitializeMethod, kSourcePath, 74);
    return hr;
}

KXRESULT LNumericUpDown::PostInitialize()
{
    SetNotFocusable(false);
    for (const RCPtr<LButton>& button : {m_up, m_down})
        if (button)
            button->SetNotFocusable(true);
    return S_OK;
}

KXRESULT LNumericUpDown::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (IsBuilt() && m_boxHandler && m_boxHandler->Receive(from, n))
        return S_OK;
    return LPanel::Receive(from, n);
}

KXRESULT LNumericUpDown::OnValidating(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    const RCPtr<LControl> self(this);
    LTextValidationParams* params = LTextValidationParams::FromNotification(n);
    if (!params)
        return S_FALSE;
    // The owner may refuse or correct first.
    RCPtr<LNotification> forwarded;
    LNotification::Create(forwarded, NID_TEXTBOX_VALIDATING, n->GetPayload());
    if (forwarded)
        SendNotification(forwarded);
    if (!params->accepted)
        return S_FALSE;
    const double lo = std::min(GetMinimum(), GetMaximum()), hi = std::max(GetMinimum(), GetMaximum());
    const double typed = std::clamp(ReadNumber(params->text), lo, hi);
    const double current = GetValue();
    if (typed == current) {
        // An equal value typed in another form ("", "-0", "05") shows as the value does.
        params->text = FormatValue();
        return S_FALSE;
    }
    SetNormalizedValue(ValueToNormalized(typed));
    params->text = FormatValue();
    params->accepted = true;
    return S_FALSE;
}

KXRESULT LNumericUpDown::OnValidated(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    RCPtr<LNotification> forwarded;
    LNotification::Create(forwarded, NID_TEXTBOX_VALIDATED, n ? n->GetPayload() : ConstRCPtr<LRefCountedObject>());
    if (forwarded)
        SendNotification(forwarded);
    return S_FALSE;
}

KXRESULT LNumericUpDown::OnRepeat(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>&)
{
    double value = GetValue();
    if (from.Get() == static_cast<LNotificationDistributor*>(m_up.Get()))
        value += m_step;
    else if (from.Get() == static_cast<LNotificationDistributor*>(m_down.Get()))
        value -= m_step;
    else
        return S_FALSE;
    SetNormalizedValue(ValueToNormalized(value));
    return S_FALSE;
}

} // namespace KX
