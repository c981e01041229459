#pragma once
// Binds member functions of a client class to (distributor, id) pairs.
#include "kx/DebugTrace.h"
#include "kx/Exception.h"
#include "kx/KXResult.h"
#include "kx/Notification.h"
#include "kx/NotificationClient.h"
#include "kx/NotificationDistributor.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

namespace KX {

// One binding of a handler: the source distributor (null for notifications handed over directly),
// the id and the member function.
template <class T>
struct Receivable {
    using Function = KXRESULT (T::*)(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&);

    const LNotificationDistributor* distributor;
    NotificationId id;
    Function function;
    // While above 0 the binding's notifications are ignored (CAutoNotificationDisabler).
    int32_t disabled = 0;
};

// T is a notification client; the handler calls member functions of its owner, which it does not
// hold a reference on (the owner holds the handler).
template <class T>
class LNotificationHandler : public LRefCountedObject {
public:
    using Function = typename Receivable<T>::Function;

    explicit LNotificationHandler(T* owner) : m_owner(owner) {}

    // Registers the owner for name at d and binds function to (d, id). A binding that exists
    // already stays. E_INVALIDARG for a null d; E_FAIL when the registration gives no id.
    [[nodiscard]] KXRESULT AddDistributorHandler(Function function, const RCPtr<LNotificationDistributor>& d,
                                                 const char16_t* name, uint32_t flags)
    {
        if (!d)
            return E_INVALIDARG;
        const NotificationId id = m_owner->RegisterForNotification(d, name, flags);
        if (!id)
            return E_FAIL;
        Insert(Receivable<T>{d.Get(), id, function});
        return S_OK;
    }
    [[nodiscard]] KXRESULT AddHandler(Function function, const RCPtr<LNotificationDistributor>& d, const char16_t* name,
                                      uint32_t flags)
    {
        return AddDistributorHandler(function, d, name, flags);
    }

    // Binds function for notifications handed over without a distributor. E_FAIL for a name
    // without id.
    [[nodiscard]] KXRESULT AddObjectHandler(Function function, const char16_t* name)
    {
        const NotificationId id = GetNotificationID(name);
        if (!id)
            return E_FAIL;
        Insert(Receivable<T>{nullptr, id, function});
        return S_OK;
    }

    // Erases the binding of (d, name); the registration at d is left to the caller.
    bool RemoveDistributorHandler(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
    {
        const NotificationId id = GetNotificationID(name);
        if (!id)
            return false;
        auto it = LowerBound(d.Get(), id);
        if (it == m_bindings.end() || it->distributor != d.Get() || it->id != id)
            return false;
        m_bindings.erase(it);
        return true;
    }

    // Whether (d, name) is bound: a CAutoNotificationDisabler may only be made for a bound one.
    bool IsBound(const LNotificationDistributor* d, const char16_t* name)
    {
        return Find(d, GetNotificationID(name)) != nullptr;
    }

    // Counted: while (d, name) is disabled, its notifications are ignored. E_FAIL when it is not
    // bound (or, for Enable, not disabled).
    KXRESULT DisableNotification(const LNotificationDistributor* d, const char16_t* name)
    {
        Receivable<T>* binding = Find(d, GetNotificationID(name));
        if (!binding)
            return E_FAIL;
        ++binding->disabled;
        return S_OK;
    }
    KXRESULT EnableNotification(const LNotificationDistributor* d, const char16_t* name)
    {
        Receivable<T>* binding = Find(d, GetNotificationID(name));
        if (!binding || binding->disabled <= 0)
            return E_FAIL;
        --binding->disabled;
        return S_OK;
    }

    // Calls the function bound to (from, n's id) and returns its result; 0 when none is bound or
    // the binding is disabled.
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
    {
        if (!n)
            return S_OK;
        const LNotificationDistributor* d = from.Get();
        const NotificationId id = n->GetID();
        const Receivable<T>* found = nullptr;
        if (m_bindings.size() <= kLinearSearchLimit) {
            for (const Receivable<T>& b : m_bindings) {
                if (b.id == id && b.distributor == d) {
                    found = &b;
                    break;
                }
            }
        } else {
            auto it = LowerBound(d, id);
            if (it != m_bindings.end() && it->distributor == d && it->id == id)
                found = &*it;
        }
        return found && found->disabled <= 0 ? (m_owner->*(found->function))(from, n) : S_OK;
    }

    uint32_t GetBindingCount() const noexcept { return static_cast<uint32_t>(m_bindings.size()); }

private:
    // Up to this many bindings a scan beats the binary search.
    static constexpr size_t kLinearSearchLimit = 8;

    // Bindings are ordered by distributor pointer, then id pointer.
    typename std::vector<Receivable<T>>::iterator LowerBound(const LNotificationDistributor* d, NotificationId id)
    {
        return std::lower_bound(m_bindings.begin(), m_bindings.end(), Receivable<T>{d, id, nullptr},
                                [](const Receivable<T>& a, const Receivable<T>& b) {
                                    const std::less<const void*> less;
                                    if (a.distributor != b.distributor)
                                        return less(a.distributor, b.distributor);
                                    return less(a.id, b.id);
                                });
    }

    Receivable<T>* Find(const LNotificationDistributor* d, NotificationId id)
    {
        if (!id)
            return nullptr;
        auto it = LowerBound(d, id);
        return it != m_bindings.end() && it->distributor == d && it->id == id ? &*it : nullptr;
    }

    void Insert(const Receivable<T>& binding)
    {
        auto it = LowerBound(binding.distributor, binding.id);
        if (it != m_bindings.end() && it->distributor == binding.distributor && it->id == binding.id)
            return;
        m_bindings.insert(it, binding);
    }

    T* m_owner;
    std::vector<Receivable<T>> m_bindings;
};

// While it lives, handler ignores the notification name from sender: a control wraps a change of
// a child it listens to in one so that no echo comes back. The constructor raises the
// failed-result exception when the binding does not exist; the destructor re-enables it and,
// being a destructor, only traces a refusal.
template <class T>
class CAutoNotificationDisabler {
public:
    CAutoNotificationDisabler(const RCPtr<LNotificationHandler<T>>& handler, const LNotificationDistributor* sender,
                              const char16_t* name)
        : m_handler(handler), m_sender(sender), m_name(name)
    {
        const KXRESULT hr = m_handler ? m_handler->DisableNotification(sender, name) : E_FAIL;
        if (Failed(hr))
            ThrowFailedResult(hr, "KX::CAutoNotificationDisabler::CAutoNotificationDisabler",
                              "Notification\\NotificationHandler", 48);
    }
    ~CAutoNotificationDisabler()
    {
        if (Failed(m_handler->EnableNotification(m_sender, m_name)))
            DebugOut() << "KX::CAutoNotificationDisabler::~CAutoNotificationDisabler: the binding was gone\n";
    }
    CAutoNotificationDisabler(const CAutoNotificationDisabler&) = delete;
    CAutoNotificationDisabler& operator=(const CAutoNotificationDisabler&) = delete;

private:
    RCPtr<LNotificationHandler<T>> m_handler;
    const LNotificationDistributor* m_sender;
    const char16_t* m_name;
};

// Creates a notification for name and payload and hands it to target with a null distributor.
void SendNotificationTo(const RCPtr<LNotificationReceiver>& target, const char16_t* name,
                        const ConstRCPtr<LRefCountedObject>& payload);

} // namespace KX
