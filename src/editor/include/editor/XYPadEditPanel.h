#pragma once
// The XY-pad edit panel ("PresetEditor.MainPage.XYPadEditPanel"): one panel for both axes (index 0
// X, 1 Y). Its tab control "viewTabControl" holds the moveable sub-editor ("midiPage") and the
// note-mode sub-editor ("noteModePage"); the 15-byte axis value is the 6-byte moveable message and
// the 9-byte note-mode value. Either page's change sends the whole value. Main thread only.
#include "editor/EditPanelFrame.h"
#include "engine/ModuleInterfaces.h"

class LMoveableControlEditPanel;
class LNoteModeEditPanel;

namespace XYPadAxisValue {
constexpr uint32_t kLength = 15;
constexpr uint32_t kMessageLength = 6;
constexpr uint32_t kNoteModeLength = 9;
} // namespace XYPadAxisValue

class LXYPadEditPanel : public editor::LEditPanelFrame<LXYPadEditPanel, ITouchPadAxis> {
public:
    LXYPadEditPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Needs "viewTabControl" with the pages "midiPage" (an LMoveableControlEditPanel) and
    // "noteModePage" (an LNoteModeEditPanel): the "Null Pointer" runtime error otherwise.
    KX::KXRESULT Initialize() override;
    // Stores the fields, asks for the axis's current value and names the axis ("axisName").
    void SetFirstParamID(LParameterizedModule* root, int32_t firstId, int32_t index) override;
    // Shows a 15-byte value of the panel's own parameter on both pages. 0; E_FAIL (neither page
    // changed) for another id or length. A note count outside 2..8, which the note page cannot
    // show, is shown as the nearest of them and sent back as a correction.
    KX::KXRESULT SetParamValueLocal(const KX::ParamDescriptor& descriptor, const KX::Variant& value,
                                    bool fromDevice) override;

    // Either page's "NID_PARAMETERS_CHANGED": the 15 bytes both pages say, to the main control. 1.
    KX::KXRESULT OnParametersChanged(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                     const KX::RCPtr<KX::LNotification>& n);

    // The 15 bytes the pages say now.
    KX::Array<signed char> BuildValue();

    const KX::RCPtr<LMoveableControlEditPanel>& GetMidiPage() const noexcept { return m_midiPage; }
    const KX::RCPtr<LNoteModeEditPanel>& GetNoteModePage() const noexcept { return m_noteModePage; }

protected:
    ~LXYPadEditPanel() override;

private:
    // "X-AXIS" for 0, "Y-AXIS" for 1 into "axisName" when it is there; any other index keeps the text.
    void NameAxis(int32_t index);

    KX::RCPtr<LMoveableControlEditPanel> m_midiPage;
    KX::RCPtr<LNoteModeEditPanel> m_noteModePage;
};
