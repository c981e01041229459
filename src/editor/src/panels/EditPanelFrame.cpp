// What every edit panel shares: asking for a value, handing a value to the main control, taking a
// routed value and filling its labels.
#include "editor/EditPanelFrame.h"

#include "editor/MainControl.h"

#include "engine/RootModuleEngine.h"

#include "kx/AppServices.h"

namespace editor {

using namespace KX;

namespace {
constexpr uint32_t kBoxError = 0x10; // error icon, OK button
} // namespace

void PostCurrentParamValue(int32_t id)
{
    if (const RCPtr<LRootModuleEngine> engine = ::GetRootModuleEngine())
        engine->PostParamModuleStateChange(ParamDescriptors(id, 1));
}

void SendParamValue(LControl& panel, int32_t id, const signed char* bytes, uint32_t count)
{
    const RCPtr<LMainControl> main(dynamic_cast<LMainControl*>(panel.GetTopLevelControl().Get()));
    if (!main)
        return;
    Variant value;
    value.SetBytes(reinterpret_cast<const uint8_t*>(bytes), bytes ? count : 0);
    const ParamDescriptor descriptor(id);
    if (Succeeded(main->SetParamValue(descriptor, value)))
        return;
    // Refused (no keyboard connected, a record the model does not take): the panel is shown the
    // model's value again. A value the model took but the device did not is left as it is.
    Variant held;
    if (Failed(main->GetParamValue(descriptor, held)) || !(held == value))
        PostCurrentParamValue(id);
    // Without a keyboard every edit is refused: the user is told why, in one box at a time.
    static bool telling = false;
    const RCPtr<LRootModuleEngine> engine = ::GetRootModuleEngine();
    if (telling || !engine || engine->GetConnectionState() == LRootModuleEngine::kConnected)
        return;
    telling = true;
    ShowAppMessageBox(LookupAppString(WString(u"EDIT_NOT_CONNECTED_MESSAGE")),
                      LookupAppString(WString(u"EDIT_NOT_CONNECTED_CAPTION")), kBoxError);
    telling = false;
}

void SendParamCorrection(LControl& panel, int32_t id, const Array<signed char>& bytes)
{
    const RCPtr<LMainControl> main(dynamic_cast<LMainControl*>(panel.GetTopLevelControl().Get()));
    if (!main)
        return;
    Variant value;
    value.SetBytes(reinterpret_cast<const uint8_t*>(bytes.GetCount() ? &bytes.ElementAt(0) : nullptr),
                   bytes.GetCount());
    // A refused correction is not asked for again: the model's value would only be corrected
    // once more, at every idle pass.
    (void)main->CorrectParamValue(ParamDescriptor(id), value);
}

bool TakeParamValue(const ParamDescriptor& descriptor, const Variant& value, int32_t firstId, uint32_t length,
                    Array<signed char>& out)
{
    if (descriptor.id != firstId)
        return false;
    uint32_t count = 0;
    const uint8_t* data = value.GetData(count);
    if (count != length || (length > 0 && !data))
        return false;
    out.SetSize(length);
    for (uint32_t i = 0; i < length; ++i)
        out.ElementAt(i) = static_cast<signed char>(data[i]);
    return true;
}

bool IsSendableValue(const Array<signed char>& bytes)
{
    for (uint32_t i = 0; i < bytes.GetCount(); ++i)
        if (bytes.ElementAt(i) < 0)
            return false;
    return true;
}

WString FormatLabel(const WString& format, int32_t n)
{
    return WString::Format(format.GetString(), n);
}

} // namespace editor
