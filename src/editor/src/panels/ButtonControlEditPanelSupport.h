#pragma once
// What the button sub-editor's two source files share: its method names and source path for the
// error texts, the number field's byte conversions and the null-safe widget look-ups.
#include "kx/controls/ComboBox.h"
#include "kx/controls/NumericUpDown.h"
#include "kx/ui/Control.h"

#include <cmath>
#include <cstdint>

namespace buttonpanel {

inline constexpr const char* kSource = "UI\\LumoSeriesCommon\\ButtonControlEditPanel";
inline constexpr const char* kInitialize = "LButtonControlEditPanel::Initialize";
inline constexpr const char* kRegister = "LButtonControlEditPanel::RegisterForAllParameterNotifications";
inline constexpr const char* kUpdateCC = "LButtonControlEditPanel::UpdateCCCycleTypeVisibleParameters";
inline constexpr const char* kUpdateProgram = "LButtonControlEditPanel::UpdateProgramCycleTypeVisibleParameters";

// The direct child of that name as T; null when control is null, the child is missing or of
// another class.
template <class T>
KX::RCPtr<T> ChildAs(const KX::RCPtr<KX::LControl>& control, const char16_t* name)
{
    if (!control)
        return KX::RCPtr<T>();
    return KX::RCPtr<T>::DynamicCast(KX::ConstRCPtr<KX::LControl>(control->FindChild(KX::WString(name))));
}

// A message byte (signed) into a number field, clamped by the field's range.
inline void SetByte(const KX::RCPtr<KX::LNumericUpDown>& field, char byte)
{
    if (field)
        field->SetValueAndRead(static_cast<double>(static_cast<int8_t>(byte)));
}

// A number field's value truncated toward zero, its low 8 bits.
inline char GetByte(const KX::RCPtr<KX::LNumericUpDown>& field)
{
    if (!field)
        return 0;
    const double value = std::trunc(field->GetValue());
    const int32_t n = std::isfinite(value) && std::fabs(value) < 2147483647.0 ? static_cast<int32_t>(value) : 0;
    return static_cast<char>(static_cast<uint8_t>(n & 0xFF));
}

inline int32_t SelectedIndex(const KX::RCPtr<KX::LComboBox>& combo)
{
    return combo ? combo->GetSelectedIndex() : -1;
}

inline void Select(const KX::RCPtr<KX::LComboBox>& combo, int32_t index)
{
    if (combo)
        combo->SetSelectedIndex(index);
}

// A channel byte the list has no item for shows the first item (the global channel), so that
// later edits stay sendable.
inline void SelectChannel(const KX::RCPtr<KX::LComboBox>& combo, int32_t index)
{
    if (combo)
        combo->SetSelectedIndex(index >= 0 && index < combo->GetItemCount() ? index : 0);
}

} // namespace buttonpanel
