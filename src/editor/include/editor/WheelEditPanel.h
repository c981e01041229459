#pragma once
// The wheel edit panel ("PresetEditor.TabControl.PageHolder.WheelsPage.Wheel"): one panel for the
// pitch wheel (index 0) and the modulation wheel (index 1); it shows the wheel's 5-byte value in
// its moveable sub-editor and names the wheel ("wheelName"). Main thread only.
#include "editor/MoveableEditPanelFrame.h"
#include "engine/ModuleInterfaces.h"

namespace KX {
class LLabel;
}

// A wheel's 5 bytes are the 6-byte moveable message without its relative flag (byte 3).
namespace WheelValue {
constexpr uint32_t kLength = 5;
KX::Array<signed char> ToMessage(const KX::Array<signed char>& value);
KX::Array<signed char> FromMessage(const KX::Array<signed char>& message);
} // namespace WheelValue

class LWheelEditPanel : public editor::LMoveableEditPanelFrame<LWheelEditPanel, IWheel> {
public:
    LWheelEditPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Needs "moveableTypePanel" and "wheelName": the "Null Pointer" runtime error otherwise.
    KX::KXRESULT Initialize() override;
    // Names the wheel, stores the fields and asks for its current value.
    void SetFirstParamID(LParameterizedModule* root, int32_t firstId, int32_t index) override;

protected:
    ~LWheelEditPanel() override;

    uint32_t ValueLength() const override { return WheelValue::kLength; }
    KX::Array<signed char> MessageOfValue(const KX::Array<signed char>& value) const override;
    KX::Array<signed char> ValueOfMessage(const KX::Array<signed char>& message) const override;

private:
    // "P. WHEEL" for 0, "M. WHEEL" for 1; any other index keeps the text.
    void NameWheel(int32_t index);

    KX::RCPtr<KX::LLabel> m_nameLabel;
};
