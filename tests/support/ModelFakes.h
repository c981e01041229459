#pragma once
// Test doubles for the parameter model's neighbours: a parameter cache and a
// device communication that record what the model asks of them. Header-only, so
// that test programs linking the engine can use them.
#include "engine/RootModuleInterface.h"

#include "kx/ParamValues.h"

#include <cstdint>
#include <vector>

namespace kxtest {

// Slots of plain values plus a list of qualified ones.
class FakeParamCache : public IParamCache {
public:
    explicit FakeParamCache(uint32_t slotCount = 83) : m_slots(slotCount) {}

    int32_t SetValue(const KX::ParamDescriptor& descriptor, const KX::Variant& value, bool notify) override
    {
        ++setCalls;
        const uint32_t index = static_cast<uint32_t>(descriptor.id);
        if (index >= m_slots.size())
            return -1;
        if (descriptor.data.GetType() == KX::Variant::TypeEmpty) {
            if (m_slots[index] == value)
                return 1;
            m_slots[index] = value;
        } else {
            bool found = false;
            for (Qualified& entry : m_qualified) {
                if (entry.index == index && entry.qualifier == descriptor.data) {
                    if (entry.value == value)
                        return 1;
                    entry.value = value;
                    found = true;
                }
            }
            if (!found)
                m_qualified.push_back({index, descriptor.data, value});
        }
        if (notify)
            ++notifiedChanges;
        return 0;
    }

    int32_t GetValue(const KX::ParamDescriptor& descriptor, KX::Variant& value) override
    {
        value.Clear();
        const uint32_t index = static_cast<uint32_t>(descriptor.id);
        if (index >= m_slots.size())
            return -1;
        if (descriptor.data.GetType() == KX::Variant::TypeEmpty) {
            value = m_slots[index];
            return 0;
        }
        for (const Qualified& entry : m_qualified) {
            if (entry.index == index && entry.qualifier == descriptor.data) {
                value = entry.value;
                return 0;
            }
        }
        return 1;
    }

    const KX::Variant& Slot(uint32_t index) const { return m_slots.at(index); }

    int setCalls = 0;
    int notifiedChanges = 0;

private:
    struct Qualified {
        uint32_t index;
        KX::Variant qualifier;
        KX::Variant value;
    };
    std::vector<KX::Variant> m_slots;
    std::vector<Qualified> m_qualified;
};

// Records every call; results are set by the test. Echo hands [value, true] back as
// pseudo-parameter -4 on the caller's thread, like the real one.
class FakeDeviceCommunication : public IDeviceCommunication {
public:
    bool EchoConnectionValue(int64_t value) override
    {
        ++echoCalls;
        if (!m_receiver)
            return false;
        const KX::Variant parts[2] = {KX::MakeInt64Variant(value), KX::MakeBoolVariant(true)};
        KX::Variant list;
        list.SetList(parts, 2);
        const KX::ParamValue entry(KX::ParamDescriptor(-4), list);
        m_receiver->ReceiveParamValues(KX::ParamValues(&entry, 1));
        return true;
    }

    KX::KXRESULT ConnectDevice(const KX::Variant& deviceId) override
    {
        calls.push_back(Call::Connect);
        connectedDevice = deviceId;
        return connectResult;
    }
    KX::KXRESULT DisconnectDevice() override
    {
        calls.push_back(Call::Disconnect);
        return 0;
    }
    KX::KXRESULT RequestParamRanges(const KX::ParamDescriptors& descriptors) override
    {
        calls.push_back(Call::RequestRanges);
        requestedRanges = descriptors;
        return 0;
    }
    KX::KXRESULT RequestParamValue(const KX::ParamDescriptor& descriptor) override
    {
        calls.push_back(Call::RequestValue);
        requestedValues.push_back(descriptor.id);
        return 0;
    }
    KX::KXRESULT GetParamValue(const KX::ParamDescriptor& descriptor, KX::Variant& value) override
    {
        gets.push_back(descriptor.id);
        value = getAnswer;
        return getResult;
    }
    KX::KXRESULT SetParamValue(const KX::ParamDescriptor& descriptor, const KX::Variant& value) override
    {
        sets.push_back(KX::ParamValue(descriptor, value));
        return setResult;
    }

    void SetReceiver(DeviceCommunicationReceiver* receiver) override { m_receiver = receiver; }
    DeviceCommunicationReceiver* GetReceiver() const override { return m_receiver; }
    void SetDeliveryEnabled(bool enabled) override { deliveryEnabled = enabled; }

    // What the delivery thread does with one reported list.
    void Deliver(const KX::ParamValues& values)
    {
        if (deliveryEnabled && m_receiver)
            m_receiver->ReceiveParamValues(values);
    }

    enum class Call { Connect, Disconnect, RequestRanges, RequestValue };
    std::vector<Call> calls;
    std::vector<KX::ParamValue> sets;
    std::vector<int32_t> gets;
    std::vector<int32_t> requestedValues;
    KX::ParamDescriptors requestedRanges;
    KX::Variant connectedDevice;
    KX::Variant getAnswer;
    KX::KXRESULT connectResult = 0;
    KX::KXRESULT setResult = 0;
    KX::KXRESULT getResult = 0;
    int echoCalls = 0;
    bool deliveryEnabled = false;

private:
    DeviceCommunicationReceiver* m_receiver = nullptr;
};

} // namespace kxtest
