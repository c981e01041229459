// The wheel edit panel: the 5-byte wheel value and the wheel's name.
#include "editor/WheelEditPanel.h"

#include "dialogs/DialogSupport.h"

#include "kx/controls/Label.h"

using namespace KX;

namespace {
constexpr const char* kInitialize = "LWheelEditPanel::Initialize";
constexpr const char* kSource = "UI\\LumoSeriesCommon\\WheelEditPanel";
} // namespace

Array<signed char> WheelValue::ToMessage(const Array<signed char>& value)
{
    Array<signed char> message;
    message.SetSize(MoveableMessage::kLength);
    for (uint32_t i = 0, v = 0; i < MoveableMessage::kLength; ++i)
        message.ElementAt(i) = i == MoveableMessage::kRelative ? 0 : (v < value.GetCount() ? value.ElementAt(v++) : 0);
    return message;
}

Array<signed char> WheelValue::FromMessage(const Array<signed char>& message)
{
    Array<signed char> value;
    for (uint32_t i = 0; i < MoveableMessage::kLength; ++i)
        if (i != MoveableMessage::kRelative)
            value.AddItem(i < message.GetCount() ? message.ElementAt(i) : 0);
    return value;
}

LWheelEditPanel::LWheelEditPanel(const RCPtr<LControl>& parent, const WString& name)
    : LMoveableEditPanelFrame(parent, name)
{
}

LWheelEditPanel::~LWheelEditPanel()
{
    m_nameLabel = nullptr;
}

KXRESULT LWheelEditPanel::Initialize()
{
    const KXRESULT base = InitializeMoveable(kInitialize, kSource, 40);
    if (Failed(base))
        return base;
    m_nameLabel = editor::FindChildAs<LLabel>(this, u"wheelName");
    if (!m_nameLabel)
        editor::ThrowNullPointer("couldn't find child wheelName", kInitialize, kSource, 45);
    // Named as the pitch wheel until the first target, rather than showing an empty title.
    NameWheel(GetIndex());
    return base;
}

void LWheelEditPanel::NameWheel(int32_t index)
{
    if (m_nameLabel && (index == 0 || index == 1)) {
        WString text;
        m_nameLabel->LookupString(WString(index == 0 ? u"PITCH_LABEL" : u"MOD_LABEL"), text);
        m_nameLabel->SetText(text);
    }
}

void LWheelEditPanel::SetFirstParamID(LParameterizedModule* root, int32_t firstId, int32_t index)
{
    NameWheel(index);
    RetargetAndPost(root, firstId, index);
}

Array<signed char> LWheelEditPanel::MessageOfValue(const Array<signed char>& value) const
{
    return WheelValue::ToMessage(value);
}

Array<signed char> LWheelEditPanel::ValueOfMessage(const Array<signed char>& message) const
{
    return WheelValue::FromMessage(message);
}
