#pragma once
// The MIDI port service: opens input (capture) and output (render) devices by part of their
// name, sends short and System Exclusive messages, and announces every message captured on an
// open input as "NID_MIDI_DATA_CAPTURED" (payload: LMidiCaptureNotificationData), sent from
// its own worker thread, one message at a time in capture order.
#include "kx/Array.h"
#include "kx/KXResult.h"
#include "kx/Mutex.h"
#include "kx/NotificationDistributor.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

#include <cstdint>
#include <span>

namespace KX {

class LMidiCommInterface : public LNotificationDistributor {
public:
    // The port service with its own thread pool.
    static RCPtr<LMidiCommInterface> Create();

    // Opens the first input device whose name contains name (case-sensitive), or hands out the
    // open port that matches. S_OK with the port; E_FAIL with a null port. The port stays open
    // until its last reference is released.
    virtual KXRESULT OpenCapturePort(const StringT<char16_t, char>& name, RCPtr<LRefCountedObject>& port) = 0;
    // The same for output devices.
    virtual KXRESULT OpenRenderPort(const StringT<char16_t, char>& name, RCPtr<LRefCountedObject>& port) = 0;
    // Sends bytes to a render port. A first byte F0, F7 or below 0x80 makes a long message
    // (result: the byte count once the device has taken it); any other first byte a short
    // message (result: its length by status byte). E_INVALIDARG when port is no render port or bytes
    // is empty; E_FAIL when the device refuses or does not take a long
    // message within 10000 ms.
    virtual int32_t Send(const RCPtr<LRefCountedObject>& port, const IArray<signed char>& bytes) = 0;
    // The same for bytes held elsewhere.
    int32_t Send(const RCPtr<LRefCountedObject>& port, std::span<const uint8_t> bytes);

    // Held by the worker while it sends a captured message. The distributor itself takes no lock:
    // hold this around registering and unregistering here while input may arrive. Never taken
    // by the device callbacks.
    Mutex& GetSubscriptionLock() noexcept { return m_subscriptionLock; }

protected:
    LMidiCommInterface() = default;
    ~LMidiCommInterface() override = default;

private:
    Mutex m_subscriptionLock;
};

} // namespace KX
