#include "engine/ControlModules.h"

#include "engine/RootModuleInterface.h"

#include "kx/Exception.h"

namespace ControlModuleSupport {

void ThrowModuleError(const char* detail, const char* className, const char* method, const char* source, int line)
{
    KX::Throw<std::logic_error>(detail, std::string(className) + "::" + method, source, line);
}

KX::KXRESULT ForwardPseudoParam(LParameterizedModule& module, const KX::ParamDescriptor& descriptor,
                                const KX::Variant& value, bool fromDevice)
{
    if (fromDevice)
        return 1;
    const KX::RCPtr<IRootModule> root = KX::RCPtr<IRootModule>::DynamicCast(module.GetRootModule());
    if (root) {
        if (const KX::RCPtr<IDeviceCommunication> communication = root->GetDeviceCommunication())
            communication->SetParamValue(descriptor, value);
    }
    return 1;
}

} // namespace ControlModuleSupport
