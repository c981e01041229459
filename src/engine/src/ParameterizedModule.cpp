#include "engine/ParameterizedModule.h"

#include "kx/Exception.h"

#include <string>

namespace {
constexpr const char* kInterfaceSource = "DeviceControl/GeneratedCode/Engine/Inc/RootModuleInterface";
}

void LParameterizedModule::SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index)
{
    m_parent = parent;
    m_firstParamId = firstId;
    m_index = index;
}

KX::ConstRCPtr<LParameterizedModule> LParameterizedModule::GetModuleForParam(int32_t id) const
{
    return const_cast<LParameterizedModule*>(this)->FindModuleForParam(id);
}

KX::RCPtr<LParameterizedModule> LParameterizedModule::FindModuleForParam(int32_t)
{
    return KX::RCPtr<LParameterizedModule>(this);
}

KX::KXRESULT LParameterizedModule::SetParamValueLocal(const KX::ParamDescriptor& descriptor, const KX::Variant& value,
                                                      bool)
{
    if (m_ownParamCount == 0)
        KX::Throw<std::logic_error>("", "LParameterizedModule::SetParamValueLocal", kInterfaceSource, 102);
    if (!m_parent)
        return -1;
    return m_parent->SetParamValueGlobal(descriptor, value);
}

KX::Variant LParameterizedModule::GetParamValueLocal(const KX::ParamDescriptor& descriptor)
{
    if (m_ownParamCount == 0)
        KX::Throw<std::logic_error>("", "LParameterizedModule::GetParamValueLocal", kInterfaceSource, 116);
    if (!m_parent)
        return KX::Variant();
    return m_parent->GetParamValueGlobal(descriptor);
}

KX::KXRESULT LParameterizedModule::SetParamValueGlobal(const KX::ParamDescriptor& descriptor, const KX::Variant& value)
{
    if (!m_parent)
        return -1;
    return m_parent->SetParamValueGlobal(descriptor, value);
}

KX::Variant LParameterizedModule::GetParamValueGlobal(const KX::ParamDescriptor& descriptor)
{
    if (!m_parent)
        return KX::Variant();
    return m_parent->GetParamValueGlobal(descriptor);
}

KX::Variant LParameterizedModule::GetParamValueDefault(int32_t)
{
    return KX::Variant();
}

void LParameterizedModule::PropagateConfigurationError() {}

void LParameterizedModule::PropagateTreeSignal() {}

bool LParameterizedModule::IsParamSupported(uint32_t)
{
    return true;
}

void LParameterizedModule::NotifyParent(uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    if (m_parent)
        m_parent->NotifyRoot(a, b, c, d);
}

void LParameterizedModule::NotifyRoot(uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    if (m_parent)
        m_parent->NotifyRoot(a, b, c, d);
}

KX::KXRESULT LParameterizedModule::SetCachedParamValue(const KX::ParamDescriptor& descriptor, const KX::Variant& value)
{
    if (!m_parent)
        return KX::E_FAIL;
    return m_parent->SetCachedParamValue(descriptor, value);
}

KX::Variant LParameterizedModule::GetCachedParamValue(const KX::ParamDescriptor& descriptor)
{
    if (!m_parent)
        return KX::Variant();
    return m_parent->GetCachedParamValue(descriptor);
}

KX::RCPtr<LParameterizedModule> LParameterizedModule::GetParentModule() const
{
    return KX::RCPtr<LParameterizedModule>(m_parent);
}

KX::RCPtr<LParameterizedModule> LParameterizedModule::GetRootModule() const
{
    return KX::RCPtr<LParameterizedModule>(const_cast<LParameterizedModule*>(FindTopModule()));
}

const LParameterizedModule* LParameterizedModule::FindTopModule() const noexcept
{
    const LParameterizedModule* module = this;
    while (module->m_parent)
        module = module->m_parent;
    return module;
}

uint32_t LParameterizedModule::GetRelativeFirstParamID() const noexcept
{
    return RelativeParamID(m_firstParamId, FindTopModule()->m_firstParamId);
}

void LParameterizedModule::CheckPlace(int32_t place, int32_t count, const char* method, const char* sourcePath,
                                      int line) const
{
    if (GetRelativeFirstParamID() - static_cast<uint32_t>(place) >= static_cast<uint32_t>(count))
        KX::Throw<std::logic_error>("Invalid FirstParamID", method, sourcePath, line);
}

KX::KXRESULT LParameterizedModule::SetParamValueGlobalHeld(const KX::ParamDescriptor& descriptor,
                                                           const KX::Variant& value)
{
    const KX::RCPtr<LParameterizedModule> parent = GetParentModule();
    if (!parent)
        return -1;
    return parent->SetParamValueGlobal(descriptor, value);
}

KX::Variant LParameterizedModule::GetParamValueGlobalHeld(const KX::ParamDescriptor& descriptor)
{
    const KX::RCPtr<LParameterizedModule> parent = GetParentModule();
    if (!parent)
        return KX::Variant();
    return parent->GetParamValueGlobal(descriptor);
}
