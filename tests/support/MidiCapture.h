#pragma once
// Test side of an open MIDI input, used the way the port classes use it: three
// 256-byte buffers handed back and re-added from the callback, System Exclusive
// data joined by SysExAssembler. Shared by tests, benchmarks and fuzz targets; the
// callback runs on the backend's thread under the capture's own lock.
#include "platform/midi/MidiBackend.h"
#include "platform/midi/SysExAssembler.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace miditest {

using Bytes = std::vector<uint8_t>;

// F0, `size - 2` data bytes counting up from `seed`, F7.
inline Bytes MakeSysEx(size_t size, uint8_t seed = 0)
{
    Bytes bytes(size);
    bytes.front() = 0xF0;
    for (size_t i = 1; i + 1 < size; ++i)
        bytes[i] = static_cast<uint8_t>((seed + i) & 0x7F);
    bytes.back() = 0xF7;
    return bytes;
}

struct HandedBack {
    platform::midi::MidiInputEventKind kind;
    Bytes bytes;
};

class MidiCapture {
public:
    static constexpr size_t kBufferSize = 256;

    explicit MidiCapture(size_t bufferCount = 3, size_t maxMessage = platform::midi::SysExAssembler::kMaxMessage)
        : m_storage(bufferCount), m_buffers(bufferCount), m_assembler(maxMessage)
    {
        for (size_t i = 0; i < bufferCount; ++i) {
            m_buffers[i].data = m_storage[i].data();
            m_buffers[i].length = kBufferSize;
            m_buffers[i].user = i;
        }
    }

    ~MidiCapture() { Close(); }

    platform::midi::MidiStatus Open(platform::midi::MidiBackend& backend, std::string_view name, bool start = true)
    {
        const platform::midi::MidiStatus status = backend.OpenInputByName(
            name,
            [this](platform::midi::MidiInput& input, const platform::midi::MidiInputEvent& event) {
                OnEvent(input, event);
            },
            m_input);
        if (status != platform::midi::MidiStatus::Ok)
            return status;
        for (auto& buffer : m_buffers)
            m_input->AddBuffer(buffer);
        return start ? m_input->Start() : platform::midi::MidiStatus::Ok;
    }

    void Close()
    {
        if (m_input)
            m_input->Close();
    }

    platform::midi::MidiInput& Input() { return *m_input; }

    // When set (before Open), each whole message goes here instead of into Messages(), and
    // handed-back buffers are not kept: for long runs.
    std::function<void(std::span<const uint8_t> message)> onMessage;

    void SetReAdd(bool reAdd)
    {
        std::lock_guard lock(m_mutex);
        m_reAdd = reAdd;
    }

    std::vector<Bytes> Messages() const
    {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }
    std::vector<platform::midi::MidiInputEvent> Shorts() const
    {
        std::lock_guard lock(m_mutex);
        return m_shorts;
    }
    std::vector<HandedBack> HandedBackBuffers() const
    {
        std::lock_guard lock(m_mutex);
        return m_handedBack;
    }
    size_t EventCount() const
    {
        std::lock_guard lock(m_mutex);
        return m_shorts.size() + m_handedBack.size();
    }

private:
    void OnEvent(platform::midi::MidiInput& input, const platform::midi::MidiInputEvent& event)
    {
        std::lock_guard lock(m_mutex);
        if (event.kind == platform::midi::MidiInputEventKind::Data) {
            m_shorts.push_back(event);
            return;
        }
        platform::midi::MidiInputBuffer& buffer = *event.buffer;
        if (!onMessage)
            m_handedBack.push_back({event.kind, Bytes(buffer.data, buffer.data + buffer.recorded)});
        if (event.kind == platform::midi::MidiInputEventKind::LongData)
            m_assembler.Feed(std::span<const uint8_t>(buffer.data, buffer.recorded),
                             [this](std::span<const uint8_t> message) {
                                 if (onMessage)
                                     onMessage(message);
                                 else
                                     m_messages.emplace_back(message.begin(), message.end());
                             });
        if (m_reAdd)
            input.AddBuffer(buffer);
    }

    mutable std::mutex m_mutex;
    std::vector<std::array<uint8_t, kBufferSize>> m_storage;
    std::vector<platform::midi::MidiInputBuffer> m_buffers;
    platform::midi::SysExAssembler m_assembler;
    bool m_reAdd = true;
    std::vector<Bytes> m_messages;
    std::vector<platform::midi::MidiInputEvent> m_shorts;
    std::vector<HandedBack> m_handedBack;
    std::unique_ptr<platform::midi::MidiInput> m_input;
};

} // namespace miditest
