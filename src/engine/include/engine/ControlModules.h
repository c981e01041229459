#pragma once
// The model's control modules: one per physical control and one for the preset
// name, each owning one parameter whose value is a fixed-length byte record
// (ParamRecords.h). Every kind follows the same pattern, LControlModule; a kind
// adds only its name, its source and its error lines.
#include "engine/ModuleInterfaces.h"
#include "engine/ParamRecords.h"

#include <string>

namespace ControlModuleSupport {
// Throws the logic error "Logic Error : [detail : ]Class::Method : source : Line n".
[[noreturn]] void ThrowModuleError(const char* detail, const char* className, const char* method, const char* source,
                                   int line);
// Hands a pseudo-parameter value to the device communication of module's root; 1.
KX::KXRESULT ForwardPseudoParam(LParameterizedModule& module, const KX::ParamDescriptor& descriptor,
                                const KX::Variant& value, bool fromDevice);
// The band of negative ids that modules may claim.
inline bool IsModulePseudoParam(int32_t id) noexcept
{
    return id >= -256 && id <= -129;
}
} // namespace ControlModuleSupport

// Self supplies: kKind, kClassName, kSource, kSetFirstParamIDLine, kGetParamValueLocalLine,
// kGetParamValueDefaultLine.
template <class Self, class Interface>
class LControlModule : public Interface {
public:
    // A new module with its first reference taken.
    static KX::RCPtr<Self> Create()
    {
        KX::RCPtr<Self> module(new Self());
        module->CreateChildren();
        return module;
    }

    // Stores the fields, then accepts only the relative ids of this kind.
    void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index) override
    {
        Interface::SetFirstParamID(parent, firstId, index);
        const ParamKindInfo& row = GetParamKindInfo(Self::kKind);
        if (this->GetRelativeFirstParamID() - static_cast<uint32_t>(row.firstRelativeId) >=
            static_cast<uint32_t>(row.count))
            ControlModuleSupport::ThrowModuleError("Invalid FirstParamID", Self::kClassName, "SetFirstParamID",
                                                   Self::kSource, Self::kSetFirstParamIDLine);
    }

    // The own id climbs to the root's store; a pseudo-parameter a module may claim goes
    // to the device unless it came from there (1); any other id is not this module's (-1).
    KX::KXRESULT SetParamValueLocal(const KX::ParamDescriptor& descriptor, const KX::Variant& value,
                                    bool fromDevice) override
    {
        if (descriptor.id >= 0) {
            if (descriptor.id != this->GetFirstParamID())
                return -1;
            return this->SetParamValueGlobal(descriptor, value);
        }
        if (!ControlModuleSupport::IsModulePseudoParam(descriptor.id))
            return -1;
        return ControlModuleSupport::ForwardPseudoParam(*this, descriptor, value, fromDevice);
    }

    // The value held by the root's cache.
    KX::Variant GetParamValueLocal(const KX::ParamDescriptor& descriptor) override
    {
        if (descriptor.id != this->GetFirstParamID())
            ControlModuleSupport::ThrowModuleError("", Self::kClassName, "GetParamValueLocal", Self::kSource,
                                                   Self::kGetParamValueLocalLine);
        return this->GetParamValueGlobal(descriptor);
    }

    // A fresh default record for this control's index.
    KX::Variant GetParamValueDefault(int32_t id) override
    {
        if (id != this->GetFirstParamID())
            ControlModuleSupport::ThrowModuleError("", Self::kClassName, "GetParamValueDefault", Self::kSource,
                                                   Self::kGetParamValueDefaultLine);
        uint8_t bytes[32] = {};
        const uint32_t n = FillDefaultParamRecord(Self::kKind, this->GetIndex(), bytes);
        KX::Variant record;
        record.SetBytes(bytes, n);
        return record;
    }

    KX::KXRESULT SetParamValueGlobal(const KX::ParamDescriptor& descriptor, const KX::Variant& value) override
    {
        return this->SetParamValueGlobalHeld(descriptor, value);
    }

    KX::Variant GetParamValueGlobal(const KX::ParamDescriptor& descriptor) override
    {
        return this->GetParamValueGlobalHeld(descriptor);
    }

    // A control has no children.
    virtual void CreateChildren() {}

protected:
    LControlModule() = default;
};

#define KX_CONTROL_MODULE(Name, SetFirstLine, GetLocalLine, GetDefaultLine)                                            \
    class L##Name final : public LControlModule<L##Name, I##Name> {                                                    \
    public:                                                                                                            \
        static constexpr ParamKind kKind = ParamKind::Name;                                                            \
        static constexpr const char* kClassName = "L" #Name;                                                           \
        static constexpr const char* kSource = "DeviceControl/GeneratedCode/Engine/Src/" #Name;                        \
        static constexpr int kSetFirstParamIDLine = SetFirstLine;                                                      \
        static constexpr int kGetParamValueLocalLine = GetLocalLine;                                                   \
        static constexpr int kGetParamValueDefaultLine = GetDefaultLine;                                               \
                                                                                                                       \
    private:                                                                                                           \
        friend class LControlModule<L##Name, I##Name>;                                                                 \
        L##Name() = default;                                                                                           \
    }

KX_CONTROL_MODULE(PresetName, 72, 91, 210);
KX_CONTROL_MODULE(KeybedZone, 78, 97, 217);
KX_CONTROL_MODULE(Wheel, 74, 93, 218);
KX_CONTROL_MODULE(VolumePedal, 72, 91, 210);
KX_CONTROL_MODULE(SustainPedal, 72, 91, 210);
KX_CONTROL_MODULE(Pad, 102, 121, 241);
KX_CONTROL_MODULE(PushButton, 110, 129, 249);
KX_CONTROL_MODULE(Fader, 110, 129, 249);
KX_CONTROL_MODULE(Encoder, 102, 121, 241);
KX_CONTROL_MODULE(TouchPadAxis, 74, 93, 221);

#undef KX_CONTROL_MODULE
