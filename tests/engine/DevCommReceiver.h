#pragma once
// A receiver for the device communication's deliveries, with the values and threads it saw.
#include "engine/DeviceCommunicationInterface.h"
#include "kx/ParamValues.h"
#include "kx/Thread.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace devcommtest {

class TestReceiver : public DeviceCommunicationReceiver {
public:
    struct Delivery {
        uint32_t thread;
        std::vector<KX::ParamValue> values;
    };

    KX::KXRESULT ReceiveParamValues(const KX::ParamValues& values) override
    {
        Delivery d;
        d.thread = KX::GetCurrentThreadId();
        for (uint32_t i = 0; i < values.GetCount(); ++i) {
            KX::ParamValue v;
            values.GetParamValueAt(i, v);
            d.values.push_back(v);
        }
        std::function<void()> hook;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_deliveries.push_back(std::move(d));
            hook = std::move(onDelivery);
            onDelivery = nullptr;
            m_changed.notify_all();
        }
        if (hook)
            hook();
        return KX::S_OK;
    }

    KX::KXRESULT ReceiveDeviceNotice(int32_t, const KX::Variant&, const KX::Variant&) override { return KX::E_FAIL; }

    // Waits (at most a generous while) until a delivery holds a value of id.
    bool WaitForId(int32_t id)
    {
        std::unique_lock<std::mutex> lock(m_lock);
        return m_changed.wait_for(lock, std::chrono::seconds(20), [&] {
            for (const Delivery& d : m_deliveries)
                for (const KX::ParamValue& v : d.values)
                    if (v.descriptor.id == id)
                        return true;
            return false;
        });
    }

    bool WaitForCount(size_t n)
    {
        std::unique_lock<std::mutex> lock(m_lock);
        return m_changed.wait_for(lock, std::chrono::seconds(20), [&] { return m_deliveries.size() >= n; });
    }

    std::vector<Delivery> Deliveries()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_deliveries;
    }

    // Runs once, on the delivering thread, after the next delivery has been recorded.
    std::function<void()> onDelivery;

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<Delivery> m_deliveries;
};

} // namespace devcommtest
