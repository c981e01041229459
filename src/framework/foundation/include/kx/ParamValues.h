#pragma once
// Parameter ids, values and their list forms as the device layer exchanges them.
//   ParamValues:      a list Variant; each item is a list of three Variants:
//                     the value, the id (32-bit integer) and the descriptor's data.
//   ParamDescriptors: a list Variant of id ranges; each item is a list of two
//                     32-bit integers: first id and count.
#include "kx/Array.h"
#include "kx/Variant.h"

#include <cstdint>

namespace KX {

// A parameter id and the data that qualifies it (empty for a plain parameter).
struct ParamDescriptor {
    int32_t id = -1;
    Variant data;

    ParamDescriptor() = default;
    ParamDescriptor(int32_t paramId) : id(paramId) {}
    ParamDescriptor(int32_t paramId, const Variant& qualifier) : id(paramId), data(qualifier) {}

    bool operator==(const ParamDescriptor& other) const { return id == other.id && data == other.data; }
};

// A descriptor with its value.
struct ParamValue {
    ParamDescriptor descriptor;
    Variant value;

    ParamValue() = default;
    ParamValue(const ParamDescriptor& d, const Variant& v) : descriptor(d), value(v) {}

    bool operator==(const ParamValue& other) const { return descriptor == other.descriptor && value == other.value; }
};

// Variants holding plain numbers and flags.
Variant MakeInt32Variant(int32_t value);
Variant MakeInt64Variant(int64_t value);
Variant MakeBoolVariant(bool value);
// A type 8 Variant holding a copy of n bytes.
Variant MakeBytesVariant(const uint8_t* data, uint32_t n);

class ParamValues : public Variant {
public:
    // Failure codes of GetParamValueAt.
    static constexpr int32_t kNotAList = -4; // no list, no items, or no such index
    static constexpr int32_t kBadEntry = -7; // the item is not a list of three

    // An empty list.
    ParamValues();
    ParamValues(const ParamValue* values, uint32_t count);
    explicit ParamValues(const IArray<ParamValue>& values);
    // Takes the list in v as it is (any type; reading checks it).
    explicit ParamValues(const Variant& v) : Variant(v) {}

    // Replaces the contents by values in array order.
    void SetValues(const ParamValue* values, uint32_t count);

    // Number of items; 0 when this is not a list.
    uint32_t GetCount() const { return GetListCount(); }
    // Records that lie wholly inside the bytes, counted by their lengths; stops at the first
    // length below 4 or past the end. 0 when this is not a list.
    uint32_t CountWholeRecords() const;

    // Reads item i: 0, or kNotAList / kBadEntry with id -1 and both Variants empty.
    int32_t GetParamValueAt(uint32_t i, ParamDescriptor& descriptor, Variant& value) const;
    int32_t GetParamValueAt(uint32_t i, ParamValue& out) const { return GetParamValueAt(i, out.descriptor, out.value); }
};

class ParamDescriptors : public Variant {
public:
    static constexpr int32_t kBadArgument = -4;

    // An empty list.
    ParamDescriptors();
    // One range of count ids from firstId (an empty list when count is below 1).
    ParamDescriptors(int32_t firstId, int32_t count);
    explicit ParamDescriptors(const Variant& v) : Variant(v) {}

    // One range per run of consecutive ids in array order; data is not kept.
    // kBadArgument (list unchanged) for a null array or a count below 1.
    int32_t SetDescriptors(const ParamDescriptor* descriptors, int32_t count);

    uint32_t GetRangeCount() const { return GetListCount(); }
    // Reads range i: 0, or -1 (both 0) when there is no such readable range.
    int32_t GetRangeAt(uint32_t i, int32_t& firstId, int32_t& count) const;
    // Whether id falls into one of the ranges.
    bool Contains(int32_t id) const;
};

// The ranges of parameters as the device layer describes them; a list Variant whose contents
// belong to the device-control library.
class ParamRanges : public Variant {
public:
    // An empty list.
    ParamRanges() { SetList(nullptr, 0); }
    explicit ParamRanges(const Variant& v) : Variant(v) {}
};

} // namespace KX
