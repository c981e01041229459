#pragma once
// The root control of the editor's main window ("PresetEditor.MainControl") and the root of the
// user interface's parameter tree: it routes the values the engine announces
// ("NID_PARAM_MODULE_STATE_CHANGE" on the process-wide queue) down the tree to the panel that
// shows each, handles the hardware-configuration check and the device layer's status text, and
// hands the edits of the panels to the engine, except the echo of the value being routed.
// Main thread only: the engine only posts, the queue is drained at idle time.
#include "editor/DeviceView.h"
#include "engine/RootModuleInterface.h"

#include "kx/NotificationHandler.h"
#include "kx/ParamValues.h"
#include "kx/ui/Control.h"

#include <cstdint>
#include <optional>

namespace KX {

class LPanel;

class LMainControl : public LControl, public IRootModule {
public:
    // Pseudo-identifiers that arrive in place of a parameter identifier.
    static constexpr int32_t kNoParam = -1;
    static constexpr int32_t kHardwareCheck = -2;
    static constexpr int32_t kStatusText = -8;

    LMainControl(const RCPtr<LControl>& parent, const WString& name);

    // Finds "viewDevice" (its absence is reported and tolerated), registers for the engine's
    // value notifications, numbers the tree from the engine's first id and switches device
    // polling on. The base's result, E_FAIL without a handler.
    KXRESULT Initialize() override;
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;

    // "NID_PARAM_MODULE_STATE_CHANGE": one pair, or a list of values routed in list order. 1.
    KXRESULT OnParamModuleStateChange(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    // Routes one value to the module that owns its id (flag: from the device); handles the
    // pseudo-identifiers. 0.
    KXRESULT RouteParamValue(const ParamDescriptor& descriptor, const Variant& value);
    // The edit path: to the engine, unless it is the value being routed right now.
    [[nodiscard]] KXRESULT SetParamValue(const ParamDescriptor& descriptor, const Variant& value);
    // A panel's correction of a value it was shown (a rule its widgets keep): for the value being
    // routed, kept and handed to the engine once the panel has shown it, when it differs from it;
    // any other value takes the edit path.
    [[nodiscard]] KXRESULT CorrectParamValue(const ParamDescriptor& descriptor, const Variant& value);

    const RCPtr<LDeviceView>& GetDeviceView() const noexcept { return m_deviceView; }
    // The descriptor being routed; id -1 between routings.
    const ParamDescriptor& GetRoutedParam() const noexcept { return m_routed; }
    // The last status text of the device layer.
    const WString& GetDeviceStatusText() const noexcept { return m_statusText; }

    // How many records of a list payload the routing reads: each record starts with its 32-bit
    // length; counting stops at a length below 4 or one that runs past the end.
    static uint32_t CountListRecords(const Variant& list);

    // IRootModule.
    using IRootModule::GetDevice;
    RCPtr<IDevice> GetDevice() override;
    RCPtr<IDeviceCommunication> GetDeviceCommunication() override;
    void NotifyParamValue(const ParamDescriptor&, const Variant&) override {}
    KXRESULT SetParamValueGlobal(const ParamDescriptor& descriptor, const Variant& value) override;
    Variant GetParamValueGlobal(const ParamDescriptor& descriptor) override;
    [[nodiscard]] KXRESULT SetParamValues(const ParamDescriptor& descriptor, const Variant& value) override;
    KXRESULT GetParamValue(const ParamDescriptor& descriptor, Variant& value) override;

protected:
    ~LMainControl() override;

private:
    // Switches the engine's device polling on.
    static void Activate();
    void CheckHardwareConfiguration();

    RCPtr<LNotificationHandler<LMainControl>> m_handler;
    ParamDescriptor m_routed;
    // The correction of the value being routed.
    std::optional<Variant> m_correction;
    RCPtr<LDeviceView> m_deviceView;
    RCPtr<LPanel> m_statusPanel;
    RCPtr<LPanel> m_deviceSelector;
    WString m_statusText;
};

} // namespace KX
