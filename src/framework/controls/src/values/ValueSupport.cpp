// What the value controls share: drag and key notifications, unit steps, the value text.
#include "values/ValueSupport.h"

#include "kx/Wrappers.h"
#include "kx/ui/KeyCode.h"
#include "kx/ui/MouseWheelParam.h"

namespace KX::values {

void SendCapture(LControl& control, bool on)
{
    const RCPtr<LHolder<bool>> holder = LHolder<bool>::Create();
    holder->Value() = on;
    RCPtr<LNotification> n;
    LNotification::Create(n, NID_VALUE_CHANGE_CAPTURE, ConstRCPtr<LRefCountedObject>(holder.Get()));
    if (n)
        control.SendNotification(n);
}

void SendKeyNotification(LControl& control, const char16_t* id, const KeyCode* key)
{
    ConstRCPtr<LRefCountedObject> payload;
    if (key)
        payload = ConstRCPtr<LRefCountedObject>(LKeyParam::Create(*key, true).Get());
    RCPtr<LNotification> n;
    LNotification::Create(n, id, payload);
    if (n)
        control.SendNotification(n);
}

void StepValue(LControl& control, double delta)
{
    control.SetNormalizedValue(
        control.ValueToNormalized(control.NormalizedToValue(control.GetNormalizedValue()) + delta));
}

KXRESULT HandleArrowKey(LControl& control, const KeyCode& key, bool& keyHeld)
{
    const uint8_t vk = key.GetVirtualKey();
    const bool arrow = vk == VKey::Left || vk == VKey::Up || vk == VKey::Right || vk == VKey::Down;
    if (!arrow || (key.code & KeyCode::kEmpty))
        return S_FALSE;
    const RCPtr<LControl> self(&control);
    if (!(key.code & KeyCode::kKeyDown)) {
        keyHeld = false;
        SendKeyNotification(control, NID_VALUE_CHANGE_KEY_UP, &key);
        return S_OK;
    }
    // Shortcuts with Ctrl, Alt or the Windows key are someone else's.
    if (key.code & (KeyCode::kCtrl | KeyCode::kAlt | KeyCode::kWin))
        return S_FALSE;
    if (!keyHeld) {
        keyHeld = true;
        SendKeyNotification(control, NID_VALUE_CHANGE_KEY_DOWN, &key);
    }
    StepValue(control, vk == VKey::Right || vk == VKey::Up ? 1.0 : -1.0);
    return S_OK;
}

KXRESULT WheelStep(LControl& control, const LMouseWheelParam* param, uint32_t forward)
{
    if (!param || !control.IsEnabled(true))
        return S_FALSE;
    const RCPtr<LControl> self(&control);
    StepValue(control, param->GetDirection() == forward ? 1.0 : -1.0);
    return S_OK;
}

WString FormatValueText(double value, int32_t decimals)
{
    const WString format = decimals == 0 ? WString(u"%0.0f") : WString(u"%0.") + WString::Format(u"%df", decimals);
    WString text = WString::Format(format.GetString(), value);
    const char16_t* s = text.GetString();
    if (s[0] == u'-') {
        bool zero = true;
        for (const char16_t* c = s + 1; *c && zero; ++c)
            zero = *c == u'0' || *c == u'.';
        if (zero)
            text = text.Mid(1);
    }
    return text;
}

} // namespace KX::values
