// The main control: its children, the routing of the engine's values and the edit path.
#include "editor/MainControl.h"

#include "engine/ParamPair.h"
#include "engine/RootModuleEngine.h"

#include "kx/AppServices.h"
#include "kx/DebugTrace.h"
#include "kx/Exception.h"
#include "kx/Notification.h"
#include "kx/NotificationCenter.h"
#include "kx/NotificationId.h"
#include "kx/Wrappers.h"
#include "kx/controls/Panel.h"

#include <ostream>

namespace KX {

namespace {

constexpr const char* kMethod = "KX::LMainControl::Initialize";
constexpr const char* kSource = "UI\\DriverCommon\\MainControl";
constexpr uint32_t kBoxError = 0x10; // error icon, OK button

using PackedValues = LWrapper<ParamValues, LRefCountedObject>;

} // namespace

LMainControl::LMainControl(const RCPtr<LControl>& parent, const WString& name)
    : LControl(parent, name), IRootModule(false)
{
}

LMainControl::~LMainControl()
{
    m_handler = nullptr;
}

void LMainControl::Activate()
{
    if (const RCPtr<LRootModuleEngine> engine = ::GetRootModuleEngine())
        engine->SetActive(true);
}

KXRESULT LMainControl::Initialize()
{
    KXRESULT result = LControl::Initialize();
    if (Failed(result)) {
        Activate();
        return result;
    }
    m_handler = RCPtr<LNotificationHandler<LMainControl>>(new LNotificationHandler<LMainControl>(this));
    try {
        m_deviceView = RCPtr<LDeviceView>(dynamic_cast<LDeviceView*>(FindChild(WString(u"viewDevice")).Get()));
        if (!m_deviceView)
            Throw<std::runtime_error>("Null Pointer : LMainControl couldn't find viewDevice", kMethod, kSource, 38);
        // The menu bar may come after the picture in the skin.
        m_deviceView->InstallMenuItemUpdater();
        m_statusPanel = RCPtr<LPanel>(dynamic_cast<LPanel*>(FindChild(WString(u"viewStatus")).Get()));
        m_deviceSelector = RCPtr<LPanel>(dynamic_cast<LPanel*>(FindChild(WString(u"panelDeviceSelector")).Get()));
        const KXRESULT registered = m_handler->AddDistributorHandler(
            &LMainControl::OnParamModuleStateChange, RCPtr<LNotificationDistributor>(GetNotificationQueue().Get()),
            NID_PARAM_MODULE_STATE_CHANGE, 0);
        if (Failed(registered))
            ThrowFailedResult(registered, kMethod, kSource, 43);
    } catch (const std::runtime_error& e) {
        // The window goes on without the picture; the trace says why.
        DebugOut() << e.what() << std::endl;
    }
    if (const RCPtr<LRootModuleEngine> engine = ::GetRootModuleEngine())
        SetFirstParamID(nullptr, engine->GetFirstParamID(), 0);
    Activate();
    return result;
}

KXRESULT LMainControl::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!IsBuilt())
        return S_FALSE;
    const RCPtr<LMainControl> self(this);
    if (m_handler && m_handler->Receive(from, n))
        return S_OK;
    return LControl::Receive(from, n);
}

KXRESULT LMainControl::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_handler)
        m_handler->RemoveDistributorHandler(d, name);
    return LControl::UnregisterForNotification(d, name);
}

uint32_t LMainControl::CountListRecords(const Variant& list)
{
    return ParamValues(list).CountWholeRecords();
}

KXRESULT LMainControl::OnParamModuleStateChange(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    const LRefCountedObject* payload = n ? n->GetPayload().Get() : nullptr;
    if (const auto* pair = dynamic_cast<const LParamPair*>(payload)) {
        RouteParamValue(pair->key, pair->value);
    } else if (const auto* packed = dynamic_cast<const PackedValues*>(payload)) {
        const ParamValues& values = *packed;
        const uint32_t count = CountListRecords(values);
        for (uint32_t i = 0; i < count; ++i) {
            ParamDescriptor descriptor;
            Variant value;
            values.GetParamValueAt(i, descriptor, value);
            RouteParamValue(descriptor, value);
        }
    }
    return 1;
}

void LMainControl::CheckHardwareConfiguration()
{
    const RCPtr<LRootModuleEngine> engine = ::GetRootModuleEngine();
    Array<Variant> devices;
    if (engine && !Failed(engine->FindDevices(devices)))
        return;
    WString text;
    WString caption;
    LookupString(WString(u"HARDWARE_CONFIG_ERROR_MESSAGE"), text);
    LookupString(WString(u"HARDWARE_CONFIG_ERROR_TITLE"), caption);
    if (text.IsEmpty())
        text = LookupAppString(WString(u"HARDWARE_CONFIG_ERROR_MESSAGE"));
    if (caption.IsEmpty())
        caption = LookupAppString(WString(u"HARDWARE_CONFIG_ERROR_TITLE"));
    ShowAppMessageBox(text, caption, kBoxError);
    RCPtr<LNotification> exit;
    LNotification::Create(exit, NID_APP_EXIT_REQ, nullptr);
    const RCPtr<LNotificationCenter> centre = GetNotificationQueue();
    if (exit && centre && centre->GetQueue())
        centre->GetQueue()->PostNotification(exit);
}

KXRESULT LMainControl::RouteParamValue(const ParamDescriptor& descriptor, const Variant& value)
{
    const RCPtr<LMainControl> self(this);
    m_routed = descriptor;
    if (descriptor.id == kHardwareCheck) {
        if (value.GetType() == Variant::TypeEmpty)
            CheckHardwareConfiguration();
    } else if (descriptor.id == kStatusText) {
        if (value.GetType() == Variant::TypeString)
            m_statusText = WString(value.GetString());
    } else if (value.GetType() != Variant::TypeEmpty) {
        m_correction.reset();
        if (const RCPtr<LParameterizedModule> module = FindModuleForParam(descriptor.id))
            module->SetParamValueLocal(m_routed, value, true);
    }
    m_routed = ParamDescriptor();
    std::optional<Variant> correction;
    correction.swap(m_correction);
    // A refused correction leaves the panel's rule shown: asking for the model's value again
    // would only have it corrected once more, at every idle pass.
    if (correction && !(*correction == value))
        (void)SetParamValue(descriptor, *correction);
    return S_OK;
}

KXRESULT LMainControl::CorrectParamValue(const ParamDescriptor& descriptor, const Variant& value)
{
    if (descriptor.id == m_routed.id && descriptor.data == m_routed.data) {
        m_correction = value;
        return S_OK;
    }
    return SetParamValue(descriptor, value);
}

KXRESULT LMainControl::SetParamValue(const ParamDescriptor& descriptor, const Variant& value)
{
    // The panels echoing the value being routed from the device.
    if (descriptor.id == m_routed.id && descriptor.data == m_routed.data)
        return S_OK;
    const RCPtr<LRootModuleEngine> engine = ::GetRootModuleEngine();
    return engine ? engine->SetParamValues(descriptor, value) : E_FAIL;
}

KXRESULT LMainControl::SetParamValueGlobal(const ParamDescriptor& descriptor, const Variant& value)
{
    return SetParamValue(descriptor, value);
}

KXRESULT LMainControl::SetParamValues(const ParamDescriptor& descriptor, const Variant& value)
{
    return SetParamValue(descriptor, value);
}

Variant LMainControl::GetParamValueGlobal(const ParamDescriptor& descriptor)
{
    Variant value;
    GetParamValue(descriptor, value);
    return value;
}

KXRESULT LMainControl::GetParamValue(const ParamDescriptor& descriptor, Variant& value)
{
    const RCPtr<LRootModuleEngine> engine = ::GetRootModuleEngine();
    if (!engine) {
        value.Clear();
        return E_FAIL;
    }
    return engine->GetParamValue(descriptor, value);
}

RCPtr<IDevice> LMainControl::GetDevice()
{
    return RCPtr<IDevice>(m_deviceView.Get());
}

RCPtr<IDeviceCommunication> LMainControl::GetDeviceCommunication()
{
    const RCPtr<LRootModuleEngine> engine = ::GetRootModuleEngine();
    return engine ? RCPtr<IDeviceCommunication>(engine->GetDeviceCommunication().Get()) : RCPtr<IDeviceCommunication>();
}

} // namespace KX
