#pragma once
// An open MIDI input device of an LMidiComm: three input buffers stay with the device, and
// System Exclusive messages that arrive in several buffers are joined before they are announced.
#include "kx/KXResult.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

#include "platform/midi/MidiBackend.h"
#include "platform/midi/SysExAssembler.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace KX {

class LMidiComm;

class LMidiCapturePort : public virtual LRefCountedObject {
public:
    static constexpr uint32_t kBufferCount = 3;
    static constexpr uint32_t kBufferSize = 256;
    // A System Exclusive message longer than this (F0 and F7 included) is dropped.
    static constexpr uint32_t kMaxSysExSize = 64 * 1024;

    // Re-adding a buffer: refused while closing or without a device; not one of the port's buffers.
    static constexpr int32_t kBufferRefused = 12;
    static constexpr int32_t kBufferUnknown = 1;

    ~LMidiCapturePort() override;

    // The device's full name.
    const StringT<char16_t, char>& GetName() const noexcept { return m_name; }
    bool IsClosing() const noexcept { return m_closing.load(std::memory_order_acquire); }

    // When only the owner's list still holds the port, it leaves the list (and is then closed by
    // the release in progress). S_OK when it left; E_FAIL when it was not listed or has been
    // taken again meanwhile.
    KXRESULT ReleaseInternalReferences() override;

private:
    friend class LMidiComm;

    struct InputBuffer {
        platform::midi::MidiInputBuffer header;
        uint8_t data[kBufferSize];
        // The device the buffer has been handed to; null when it is not.
        platform::midi::MidiInput* handle;
    };

    LMidiCapturePort(const StringT<char16_t, char>& name, std::unique_ptr<platform::midi::MidiInput> input,
                     const RCPtr<LMidiComm>& owner);

    // Hands the three buffers to the device.
    void AddBuffers();
    // S_OK, kBufferRefused, kBufferUnknown, or E_FAIL when the device refuses it.
    int32_t ReAddBuffer(platform::midi::MidiInputBuffer* header);
    // The following run under the owner's lock, on the device's callback thread.
    void CaptureShort(uint32_t message, uint32_t timestamp);
    void CaptureLong(const uint8_t* data, uint32_t count);
    // A message cut short: whatever has been joined so far is dropped.
    void DropPending();

    StringT<char16_t, char> m_name;
    std::unique_ptr<platform::midi::MidiInput> m_input;
    RCPtr<LMidiComm> m_owner;
    InputBuffer m_buffers[kBufferCount];
    std::atomic<bool> m_closing{false};
    platform::midi::SysExAssembler m_assembler{kMaxSysExSize};
};

} // namespace KX
