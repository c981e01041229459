#pragma once
// The frame every control edit panel shares: a skinned panel that is at the same time the control
// module of its kind in the user interface's parameter tree. It is pointed at one parameter,
// shows the values routed to it through its sub-editors and hands every edit to the main control
// as a whole new value. It keeps no copy of a value: the widgets are the state. Main thread only.
#include "editor/HandlerPanel.h"
#include "engine/ParameterizedModule.h"

#include "kx/Array.h"
#include "kx/ParamValues.h"

#include <cstdint>
#include <string_view>

namespace editor {

// Asks the engine to post the current value of parameter id; it comes back down the tree at a
// later idle pass. Nothing without an engine.
void PostCurrentParamValue(int32_t id);

// Hands the bytes, as a byte-block value of parameter id, to the main control at the top of
// panel's tree. When the engine refuses the value, the model's value is posted again, so the
// panel shows what the model holds, and a box posted to the panel's window says why (one at a
// time). Nothing when the top control is not the main control.
void SendParamValue(KX::LControl& panel, int32_t id, const signed char* bytes, uint32_t count);

// A whole value of a panel's parameter, as its widgets make it: a byte of 0x80 or more (a box
// with nothing selected, as for a stored setting the box cannot show) keeps the model's byte.
// What still cannot be sent is refused as the engine's refusals are. Whether it was handed on.
bool SendPanelValue(KX::LControl& panel, int32_t id, const KX::Array<signed char>& bytes);

// Hands a correction of the value the panel was just shown to the main control
// (LMainControl::CorrectParamValue); nothing when the top control is not the main control.
void SendParamCorrection(KX::LControl& panel, int32_t id, const KX::Array<signed char>& bytes);

// Copies the value's bytes into out when the descriptor names firstId and the value holds
// exactly length bytes; false (out untouched) otherwise.
bool TakeParamValue(const KX::ParamDescriptor& descriptor, const KX::Variant& value, int32_t firstId, uint32_t length,
                    KX::Array<signed char>& out);

// Whether every byte is a MIDI data byte (below 0x80): the engine refuses any other (a combo box
// with nothing selected gives 0xFF).
bool IsSendableValue(const KX::Array<signed char>& bytes);

// Fills a printf-style label text (its "LABEL" string, e.g. "FADER %d") with n.
KX::WString FormatLabel(const KX::WString& format, int32_t n);

// The edit panel base: Self is the panel class (its handler's owner), Module the control
// interface of its kind (IFader, IEncoder, IPad, ...).
template <class Self, class Module>
class LEditPanelFrame : public LHandlerPanel<Self>, public Module {
public:
    using Handler = typename LHandlerPanel<Self>::Handler;

    LEditPanelFrame(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name) : LHandlerPanel<Self>(parent, name)
    {
    }

protected:
    // The panel's base initialisation, then the handler: the base's failure as it is, E_FAIL
    // when no handler could be made, else the base's result.
    KX::KXRESULT InitializeFrame()
    {
        const KX::KXRESULT base = KX::LPanel::Initialize();
        if (KX::Failed(base))
            return base;
        return this->CreateHandler() ? base : KX::E_FAIL;
    }

    // Binds member to "NID_PARAMETERS_CHANGED" of a sub-editor; a failed registration throws
    // the failed-result exception of method.
    void ListenToSubEditor(const KX::RCPtr<KX::LControl>& subEditor, typename Handler::Function member,
                           std::string_view method, std::string_view source, int line)
    {
        KX::CheckResult(this->m_handler->AddDistributorHandler(
                            member, KX::RCPtr<KX::LNotificationDistributor>(subEditor), KX::NID_PARAMETERS_CHANGED, 0),
                        method, source, line);
    }

    // Stores the three module fields and asks for the target's current value.
    void RetargetAndPost(LParameterizedModule* root, int32_t firstId, int32_t index)
    {
        LParameterizedModule::SetFirstParamID(root, firstId, index);
        PostCurrentParamValue(firstId);
    }

    // Reports a value shown to the parent module (the group panel mirrors it into the tile);
    // the result is ignored.
    void PropagateShownValue(const KX::ParamDescriptor& descriptor, const KX::Variant& value)
    {
        LParameterizedModule::SetParamValueGlobal(descriptor, value);
    }

    // Hands a whole value of the panel's parameter to the main control (SendPanelValue).
    bool SendValue(const KX::Array<signed char>& bytes)
    {
        return SendPanelValue(*this, this->GetFirstParamID(), bytes);
    }
};

} // namespace editor
