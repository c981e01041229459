#pragma once
// What the MIDI manager needs of the root module engine: the current values of a
// range of parameters and the set path. The application registers its one engine.
#include "kx/Array.h"
#include "kx/KXResult.h"
#include "kx/ParamValues.h"
#include "kx/RefCountedObject.h"

#include <cstdint>

class IParamValueStore : public virtual KX::LRefCountedObject {
public:
    // The root module's first parameter id.
    virtual int32_t GetFirstParamID() = 0;
    // Element startIndex + k receives id firstId + k with its current value; a negative
    // startIndex empties values first and counts as 0.
    virtual KX::KXRESULT GetParamValues(int32_t firstId, int32_t count, KX::IArray<KX::ParamValue>& values,
                                        int32_t startIndex) = 0;
    [[nodiscard]] virtual KX::KXRESULT SetParamValues(const KX::ParamDescriptor& descriptor,
                                                      const KX::Variant& value) = 0;
};

// The application's engine (null until registered). Any thread.
void SetParamValueStore(const KX::RCPtr<IParamValueStore>& store);
KX::RCPtr<IParamValueStore> GetParamValueStore();
