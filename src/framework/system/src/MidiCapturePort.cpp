#include "kx/MidiCapturePort.h"

#include "kx/MidiComm.h"

#include <cstring>
#include <span>

namespace KX {

LMidiCapturePort::LMidiCapturePort(const StringT<char16_t, char>& name,
                                   std::unique_ptr<platform::midi::MidiInput> input, const RCPtr<LMidiComm>& owner)
    : m_name(name), m_input(std::move(input)), m_owner(owner)
{
    for (InputBuffer& buffer : m_buffers) {
        std::memset(buffer.data, 0, sizeof(buffer.data));
        buffer.header = platform::midi::MidiInputBuffer{};
        buffer.header.data = buffer.data;
        buffer.header.length = kBufferSize;
        buffer.header.user = reinterpret_cast<uintptr_t>(&buffer);
        buffer.handle = nullptr;
    }
}

// Runs once the port has left its owner's list: callbacks that come while the device is being
// stopped find no port and leave the buffers alone.
LMidiCapturePort::~LMidiCapturePort()
{
    m_closing.store(true, std::memory_order_release);
    if (m_input) {
        m_input->Stop();
        m_input->Reset();
        for (InputBuffer& buffer : m_buffers)
            buffer.handle = nullptr;
        m_input->Close();
        m_input.reset();
    }
    m_assembler.Reset();
    // May be the owner's last reference.
    m_owner = nullptr;
}

KXRESULT LMidiCapturePort::ReleaseInternalReferences()
{
    if (!m_owner)
        return LRefCountedObject::ReleaseInternalReferences();
    return m_owner->RemoveCapturePort(this);
}

void LMidiCapturePort::AddBuffers()
{
    if (!m_input)
        return;
    for (InputBuffer& buffer : m_buffers) {
        buffer.handle = m_input.get();
        buffer.header.done = false;
        buffer.header.recorded = 0;
        if (m_input->AddBuffer(buffer.header) != platform::midi::MidiStatus::Ok)
            buffer.handle = nullptr;
    }
}

int32_t LMidiCapturePort::ReAddBuffer(platform::midi::MidiInputBuffer* header)
{
    if (IsClosing() || !m_input)
        return kBufferRefused;
    InputBuffer* buffer = nullptr;
    for (InputBuffer& candidate : m_buffers) {
        if (header != nullptr && header->user == reinterpret_cast<uintptr_t>(&candidate) && header == &candidate.header)
            buffer = &candidate;
    }
    if (buffer == nullptr)
        return kBufferUnknown;
    buffer->header.done = false;
    buffer->header.recorded = 0;
    buffer->handle = m_input.get();
    if (m_input->AddBuffer(buffer->header) != platform::midi::MidiStatus::Ok) {
        buffer->handle = nullptr;
        return E_FAIL;
    }
    return S_OK;
}

void LMidiCapturePort::CaptureShort(uint32_t message, uint32_t timestamp)
{
    const uint8_t bytes[3] = {static_cast<uint8_t>(message), static_cast<uint8_t>(message >> 8),
                              static_cast<uint8_t>(message >> 16)};
    // The length follows the status byte as it does for sending; anything without a length of
    // its own is one byte.
    size_t length = platform::midi::ShortMessageLength(bytes[0]);
    if (length == 0)
        length = 1;
    RCPtr<LMidiCaptureNotificationData> data = LMidiCaptureNotificationData::Create(m_name, timestamp);
    if (data->AppendBytes(bytes, static_cast<uint32_t>(length)))
        m_owner->Deliver(data);
}

void LMidiCapturePort::CaptureLong(const uint8_t* data, uint32_t count)
{
    if (data == nullptr || count == 0)
        return;
    m_assembler.Feed(std::span<const uint8_t>(data, count), [this](std::span<const uint8_t> message) {
        RCPtr<LMidiCaptureNotificationData> captured = LMidiCaptureNotificationData::Create(m_name, 0);
        if (captured->AppendBytes(message.data(), static_cast<uint32_t>(message.size())))
            m_owner->Deliver(captured);
    });
}

void LMidiCapturePort::DropPending()
{
    m_assembler.Reset();
}

} // namespace KX
