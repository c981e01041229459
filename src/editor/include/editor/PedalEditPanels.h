#pragma once
// The volume pedal edit panel ("PresetEditor.MainPage.VolumeEditPanel": the pedal's 6-byte moveable
// message) and the sustain pedal edit panel ("PresetEditor.MainPage.SustainEditPanel": the 6-byte
// sustain value shown as a button message in "buttonTypePanel"). Each stands in its tile's place
// while it is shown and sends every edit to the main control. Main thread only.
#include "editor/MoveableEditPanelFrame.h"
#include "engine/ModuleInterfaces.h"

class LButtonControlEditPanel;

class LVolumePedalEditPanel : public editor::LMoveableEditPanelFrame<LVolumePedalEditPanel, IVolumePedal> {
public:
    LVolumePedalEditPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Needs "moveableTypePanel": the "Null Pointer" runtime error otherwise.
    KX::KXRESULT Initialize() override;
    // Stores the fields and asks for the pedal's current value.
    void SetFirstParamID(LParameterizedModule* root, int32_t firstId, int32_t index) override;

protected:
    ~LVolumePedalEditPanel() override;
};

namespace SustainPedalValue {
constexpr uint32_t kLength = 6;
// The 10-byte button message the sub-editor shows: the release/press bytes 5 to 8 fixed to 1, 0, 1, 0.
KX::Array<char> ToButtonMessage(const KX::Array<signed char>& value);
// Back: message bytes 0 to 4 and 9; an empty result for a message of another length.
KX::Array<signed char> FromButtonMessage(const KX::Array<char>& message);
} // namespace SustainPedalValue

class LSustainPedalEditPanel : public editor::LEditPanelFrame<LSustainPedalEditPanel, ISustainPedal> {
public:
    LSustainPedalEditPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Needs "buttonTypePanel" (an LButtonControlEditPanel): the "Null Pointer" runtime error otherwise.
    KX::KXRESULT Initialize() override;
    void SetFirstParamID(LParameterizedModule* root, int32_t firstId, int32_t index) override;
    // Shows a 6-byte value of the panel's own parameter. 0; E_FAIL (nothing changed) otherwise.
    KX::KXRESULT SetParamValueLocal(const KX::ParamDescriptor& descriptor, const KX::Variant& value,
                                    bool fromDevice) override;

    // The sub-editor's "NID_PARAMETERS_CHANGED": the 6-byte value to the main control. 1.
    KX::KXRESULT OnParametersChanged(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                     const KX::RCPtr<KX::LNotification>& n);

    const KX::RCPtr<LButtonControlEditPanel>& GetSubEditor() const noexcept { return m_subEditor; }

protected:
    ~LSustainPedalEditPanel() override;

private:
    KX::RCPtr<LButtonControlEditPanel> m_subEditor;
};
