#pragma once
// The frame of the edit panels that host one moveable-control sub-editor ("moveableTypePanel"):
// faders, encoders, the volume pedal and the wheels. A panel gives its value length and, where its
// value is not the 6-byte message itself, the mapping both ways. Main thread only.
#include "editor/EditPanelFrame.h"
#include "editor/MoveableControlEditPanel.h"

#include <string_view>

namespace editor {

// "<name format> n" and "BANK b" into the labels nameChild and "bankName" of panel, perBank
// controls to a bank; a missing label throws "Couldn't find child <name>" of method.
void SetBankedLabelText(KX::LControl& panel, const char16_t* nameChild, uint32_t index, uint32_t perBank,
                        std::string_view method, std::string_view source);

// The panel's "moveableTypePanel" child; null when missing or of another class.
KX::RCPtr<LMoveableControlEditPanel> FindMoveableSubEditorOf(KX::LControl& panel);
[[noreturn]] void ThrowMissingMoveableSubEditor(std::string_view method, std::string_view source, int line);

template <class Self, class Module>
class LMoveableEditPanelFrame : public LEditPanelFrame<Self, Module> {
public:
    using LEditPanelFrame<Self, Module>::LEditPanelFrame;

    // Shows a value of the panel's own parameter and reports it to the parent module. 0; E_FAIL
    // (nothing changed) for another id or length. The flag is ignored.
    KX::KXRESULT SetParamValueLocal(const KX::ParamDescriptor& descriptor, const KX::Variant& value, bool) override
    {
        KX::Array<signed char> bytes;
        if (!TakeParamValue(descriptor, value, this->GetFirstParamID(), ValueLength(), bytes))
            return KX::E_FAIL;
        if (m_subEditor)
            m_subEditor->SetMoveableMessage(MessageOfValue(bytes));
        this->PropagateShownValue(descriptor, value);
        return KX::S_OK;
    }

    // The sub-editor's "NID_PARAMETERS_CHANGED": the panel's value to the main control. 1.
    KX::KXRESULT OnParametersChanged(const KX::RCPtr<KX::LNotificationDistributor>&,
                                     const KX::RCPtr<KX::LNotification>&)
    {
        if (m_subEditor)
            this->SendValue(ValueOfMessage(m_subEditor->GetMoveableMessage()));
        return 1;
    }

    const KX::RCPtr<LMoveableControlEditPanel>& GetSubEditor() const noexcept { return m_subEditor; }

protected:
    ~LMoveableEditPanelFrame() override { m_subEditor = nullptr; }

    virtual uint32_t ValueLength() const { return MoveableMessage::kLength; }
    virtual KX::Array<signed char> MessageOfValue(const KX::Array<signed char>& value) const { return value; }
    virtual KX::Array<signed char> ValueOfMessage(const KX::Array<signed char>& message) const { return message; }

    // The frame's initialisation, then the sub-editor found and listened to; a missing one throws
    // "Cannot find child: moveableTypePanel" of method.
    KX::KXRESULT InitializeMoveable(std::string_view method, std::string_view source, int line)
    {
        const KX::KXRESULT base = this->InitializeFrame();
        if (KX::Failed(base))
            return base;
        m_subEditor = FindMoveableSubEditorOf(*this);
        if (!m_subEditor)
            ThrowMissingMoveableSubEditor(method, source, line);
        this->ListenToSubEditor(KX::RCPtr<KX::LControl>(m_subEditor), &Self::OnParametersChanged, method, source, line);
        return base;
    }

private:
    KX::RCPtr<LMoveableControlEditPanel> m_subEditor;
};

} // namespace editor
