#pragma once
// One captured MIDI message: the payload of "NID_MIDI_DATA_CAPTURED".
#include "kx/Buffer.h"
#include "kx/RefCountedObject.h"
#include "kx/ReusePool.h"
#include "kx/StringT.h"

#include <cstddef>
#include <cstdint>

namespace KX {

class LMidiCaptureNotificationData : public virtual LRefCountedObject {
public:
    static RCPtr<LMidiCaptureNotificationData> Create(const StringT<char16_t, char>& portName, uint32_t timestamp);

    LMidiCaptureNotificationData(const StringT<char16_t, char>& portName, uint32_t timestamp);
    ~LMidiCaptureNotificationData() override;

    // Storage comes from a process-wide pool that is locked on every allocation and release.
    static void* operator new(std::size_t size);
    static void operator delete(void* p) noexcept;
    static ReuseAllocator<LMidiCaptureNotificationData, 1>& GetAllocator();

    // The whole message, status byte first; a System Exclusive message runs from F0 to F7.
    const IArray<signed char>& GetBytes() const noexcept { return m_bytes; }
    const uint8_t* GetData() const noexcept { return reinterpret_cast<const uint8_t*>(m_bytes.GetData()); }
    uint32_t GetCount() const noexcept { return m_bytes.GetCount(); }
    // The name of the capture port the message came in on.
    const StringT<char16_t, char>& GetPortName() const noexcept { return m_portName; }
    // Milliseconds since the input started for short messages; 0 for System Exclusive messages.
    uint32_t GetTimestamp() const noexcept { return m_timestamp; }

    // Appends count bytes; false when the array could not grow.
    bool AppendBytes(const uint8_t* data, uint32_t count);

private:
    // Short messages (at most 3 bytes) stay inside the object.
    ArrayBufferM<signed char, 4> m_bytes;
    StringT<char16_t, char> m_portName;
    uint32_t m_timestamp;
};

} // namespace KX
