// What every edit panel shares: asking for a value, handing a value to the main control, taking a
// routed value and filling its labels.
#include "editor/EditPanelFrame.h"

#include "editor/MainControl.h"

#include "engine/RootModuleEngine.h"

#include "kx/AppServices.h"
#include "kx/Notification.h"
#include "kx/NotificationId.h"
#include "kx/NotificationReceiver.h"
#include "kx/ui/RootWindow.h"

namespace editor {

using namespace KX;

namespace {

constexpr uint32_t kBoxError = 0x10;   // error icon, OK button
constexpr uint32_t kBoxWarning = 0x30; // warning icon, OK button

// While one lives, a refusal box is waiting or open: one box at a time, refusals meanwhile are
// not told again.
int s_refusalBoxes = 0;

// The string keys of a refusal box.
class LRefusalText : public LRefCountedObject {
public:
    LRefusalText(const char16_t* text, const char16_t* caption, uint32_t style)
        : text(text), caption(caption), style(style)
    {
        ++s_refusalBoxes;
    }
    ~LRefusalText() override { --s_refusalBoxes; }
    void Show() const { ShowAppMessageBox(LookupAppString(WString(text)), LookupAppString(WString(caption)), style); }
    const char16_t* text;
    const char16_t* caption;
    uint32_t style;
};

// Shows the posted box once the window's queue is drained, after the event that caused the
// refusal (the click that took the focus from the field) has done all it does.
class LRefusalTeller : public LNotificationReceiver {
public:
    KXRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override
    {
        const auto* text = n ? dynamic_cast<const LRefusalText*>(n->GetPayload().Get()) : nullptr;
        if (!text)
            return S_FALSE;
        IAppServices* services = GetAppServices();
        if (!services || !services->IsExitRequested())
            text->Show();
        return S_OK;
    }
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override
    {
        return d ? d->UnregisterClient(RCPtr<LNotificationReceiver>(this), name) : E_INVALIDARG;
    }
};

// Shows a box with the given string keys once the panel's window has handled the event that
// caused it (at once without a window); none while another is waiting or open.
void Tell(LControl& panel, const char16_t* message, const char16_t* caption, uint32_t style = kBoxError)
{
    if (s_refusalBoxes > 0)
        return;
    const RCPtr<LRefusalText> text(new LRefusalText(message, caption, style));
    static const RCPtr<LRefusalTeller> teller(new LRefusalTeller());
    const RCPtr<LControl> top = panel.GetTopLevelControl();
    auto* window = top ? dynamic_cast<LRootWindow*>(top->GetTopLevelOwnerSlot().Get()) : nullptr;
    RCPtr<LNotification> n;
    LNotification::Create(n, NID_EDIT_REFUSAL_BOX, ConstRCPtr<LRefCountedObject>(text.Get()));
    if (window && n) {
        const RCPtr<LNotificationReceiver> receiver(teller.Get());
        if ((window->IsClientRegistered(receiver) ||
             Succeeded(window->RegisterClient(receiver, NID_EDIT_REFUSAL_BOX, 0))) &&
            Succeeded(window->PostNotification(n)))
            return;
    }
    n = nullptr;
    text->Show();
}

// Tells the user why an edit of panel was not kept: without a keyboard, that it is not connected;
// with one, that its preset cannot hold the value.
void TellRefusal(LControl& panel)
{
    if (::IsRootModuleEngineConnected())
        Tell(panel, u"EDIT_REFUSED_MESSAGE", u"EDIT_REFUSED_CAPTION");
    else
        Tell(panel, u"EDIT_NOT_CONNECTED_MESSAGE", u"EDIT_NOT_CONNECTED_CAPTION");
}

// The panel's edit was not kept: the panel is shown the model's value again and the user is told why.
void RefuseEdit(LControl& panel, int32_t id)
{
    PostCurrentParamValue(id);
    TellRefusal(panel);
}

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
    Variant before;
    (void)main->GetParamValue(descriptor, before);
    if (Succeeded(main->SetParamValue(descriptor, value)) || !::GetRootModuleEngine())
        return;
    // Refused (no keyboard connected, a record the model does not take): the panel is shown the
    // model's value again and the user told why. A value the model took but the device did not
    // is left as it is; when the keyboard left while it was being sent, the user is told that
    // the editor holds it and the keyboard does not.
    Variant held;
    const bool kept = Succeeded(main->GetParamValue(descriptor, held)) && held == value;
    if (kept && ::IsRootModuleEngineConnected())
        return;
    if (kept && !(before == value))
        Tell(panel, u"EDIT_NOT_SENT_MESSAGE", u"EDIT_NOT_SENT_CAPTION", kBoxWarning);
    else if (kept)
        TellRefusal(panel);
    else
        RefuseEdit(panel, id);
}

bool SendPanelValue(LControl& panel, int32_t id, const Array<signed char>& bytes)
{
    Array<signed char> value = bytes;
    // A setting the panel cannot show (its box is empty) keeps the byte the model holds for it.
    const RCPtr<LMainControl> main(dynamic_cast<LMainControl*>(panel.GetTopLevelControl().Get()));
    Variant held;
    uint32_t count = 0;
    const uint8_t* stored =
        main && Succeeded(main->GetParamValue(ParamDescriptor(id), held)) ? held.GetData(count) : nullptr;
    if (stored && count == value.GetCount())
        for (uint32_t i = 0; i < count; ++i)
            if (value.ElementAt(i) < 0 && stored[i] < 0x80)
                value.ElementAt(i) = static_cast<signed char>(stored[i]);
    if (!IsSendableValue(value)) {
        if (main)
            RefuseEdit(panel, id);
        return false;
    }
    SendParamValue(panel, id, value.GetCount() ? &value.ElementAt(0) : nullptr, value.GetCount());
    return true;
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
