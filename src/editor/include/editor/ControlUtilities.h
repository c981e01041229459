#pragma once
// Operations over lists of widgets that the sub-editors share: one handler member registered for
// one notification at every widget of a list, and one value range given to every widget of a
// list. Main thread only.
#include "kx/Exception.h"
#include "kx/NotificationHandler.h"
#include "kx/RCPtrArray.h"
#include "kx/ui/Control.h"

#include <cstdint>

namespace editor {

inline constexpr const char* kControlUtilitiesSource = "UI\\LumoSeriesCommon\\ControlUtilities";

// Registers member for name at every entry of list, in list order (the count is read again after
// each registration). An empty entry is refused by the registration with E_INVALIDARG; the first
// failed registration throws the failed-result exception and leaves the earlier ones in place.
template <class T, class Control>
void SetNotificationForAllArrayItems(const KX::RCPtrArray<Control>& list, KX::LNotificationHandler<T>& handler,
                                     typename KX::LNotificationHandler<T>::Function member, const char16_t* name)
{
    for (uint32_t i = 0; i < list.GetCount(); ++i) {
        const KX::RCPtr<KX::LNotificationDistributor> distributor(list.ElementAt(i).Get());
        KX::CheckResult(handler.AddDistributorHandler(member, distributor, name, 0), "SetNotificationForAllArrayItems",
                        kControlUtilitiesSource, 31);
    }
}

// Gives every entry of list the linear range minimum..maximum; goes on after a failure (an empty
// entry counts as one). E_FAIL when any entry failed, else 0.
template <class Control>
KX::KXRESULT SetValueRangeForAllArrayItems(const KX::RCPtrArray<Control>& list, double minimum, double maximum)
{
    KX::KXRESULT result = KX::S_OK;
    for (uint32_t i = 0; i < list.GetCount(); ++i) {
        const KX::RCPtr<Control>& control = list.ElementAt(i);
        if (!control || KX::Failed(control->SetValueRange(minimum, maximum, 0)))
            result = KX::E_FAIL;
    }
    return result;
}

} // namespace editor
