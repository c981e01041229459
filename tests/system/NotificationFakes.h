#pragma once
// Small distributors and clients for the notification tests.
#include "kx/Notifications.h"

#include <functional>
#include <string>
#include <vector>

namespace kxtest {

using KX::LNotification;
using KX::LNotificationDistributor;
using KX::RCPtr;

class Distributor : public KX::LNotificationDistributor {
public:
    static RCPtr<Distributor> Create() { return RCPtr<Distributor>(new Distributor()); }
    using KX::LNotificationDistributor::DropAllRegistrations;
};

// Records every notification it receives in a shared log, then runs an optional action.
class Recorder : public KX::LNotificationClient {
public:
    using Action = std::function<void(Recorder&, const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)>;

    Recorder(std::string name, std::vector<std::string>* log) : m_name(std::move(name)), m_log(log) {}
    static RCPtr<Recorder> Create(std::string name, std::vector<std::string>* log)
    {
        return RCPtr<Recorder>(new Recorder(std::move(name), log));
    }

    KX::KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override
    {
        ++received;
        last = n;
        if (m_log)
            m_log->push_back(m_name);
        if (action)
            action(*this, from, n);
        return result;
    }

    const std::string& Name() const { return m_name; }

    Action action;
    KX::KXRESULT result = KX::S_OK;
    int received = 0;
    RCPtr<LNotification> last;

private:
    std::string m_name;
    std::vector<std::string>* m_log;
};

// A payload that reports its destruction.
class Payload : public KX::LRefCountedObject {
public:
    explicit Payload(int v, bool* destroyed = nullptr) : value(v), m_destroyed(destroyed) {}
    ~Payload() override
    {
        if (m_destroyed)
            *m_destroyed = true;
    }
    int value;

private:
    bool* m_destroyed;
};

inline RCPtr<LNotification> Make(const char16_t* name, const KX::ConstRCPtr<KX::LRefCountedObject>& payload = nullptr)
{
    RCPtr<LNotification> n;
    LNotification::Create(n, name, payload);
    return n;
}

// Switches pooling on for a scope and back off (emptying the pool) at its end.
class PoolingScope {
public:
    PoolingScope() { LNotification::EnablePooling(true); }
    ~PoolingScope() { LNotification::EnablePooling(false); }
};

} // namespace kxtest
