#pragma once
// Joins System Exclusive input that arrives in pieces of any size into whole
// messages F0 ... F7.
// - Bytes outside a message (before its F0) are ignored.
// - Real-time bytes (F8-FF) inside a message are skipped; any other status byte
//   cuts the message short and it is dropped; a new F0 drops it and starts anew.
// - A message may be at most `maxMessage` bytes including F0 and F7; a longer one
//   is dropped as soon as it cannot fit any more, and input is ignored up to the
//   next F0.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace platform::midi {

class SysExAssembler {
public:
    static constexpr size_t kMaxMessage = 64 * 1024;

    explicit SysExAssembler(size_t maxMessage = kMaxMessage) : m_max(maxMessage < 2 ? 2 : maxMessage) {}

    // Calls onMessage(std::span<const uint8_t>) for every message these bytes complete.
    template <class F>
    void Feed(std::span<const uint8_t> bytes, F&& onMessage);

    // Drops a pending message.
    void Reset()
    {
        m_message.clear();
        m_pending = false;
    }

    bool Pending() const { return m_pending; }
    size_t PendingSize() const { return m_message.size(); }
    // Messages dropped so far (too long, or cut short).
    uint64_t Dropped() const { return m_dropped; }

private:
    void Drop()
    {
        Reset();
        ++m_dropped;
    }

    void Begin()
    {
        m_message.clear();
        m_message.push_back(0xF0);
        m_pending = true;
    }

    const size_t m_max;
    std::vector<uint8_t> m_message;
    bool m_pending = false;
    uint64_t m_dropped = 0;
};

template <class F>
void SysExAssembler::Feed(std::span<const uint8_t> bytes, F&& onMessage)
{
    const uint8_t* p = bytes.data();
    const uint8_t* const end = p + bytes.size();
    while (p < end) {
        if (!m_pending) {
            const void* start = std::memchr(p, 0xF0, static_cast<size_t>(end - p));
            if (start == nullptr)
                return;
            p = static_cast<const uint8_t*>(start) + 1;
            Begin();
            continue;
        }
        // A run of data bytes.
        const uint8_t* run = p;
        while (p < end && *p < 0x80)
            ++p;
        if (p > run) {
            const size_t n = static_cast<size_t>(p - run);
            if (m_message.size() + n > m_max - 1) { // no room left for the F7
                Drop();
                continue;
            }
            m_message.insert(m_message.end(), run, p);
        }
        if (p == end)
            return;
        const uint8_t status = *p++;
        if (status == 0xF7) {
            m_message.push_back(0xF7);
            m_pending = false;
            onMessage(std::span<const uint8_t>(m_message.data(), m_message.size()));
            m_message.clear();
        } else if (status == 0xF0) {
            ++m_dropped;
            Begin();
        } else if (status < 0xF8) {
            Drop();
        }
        // Real-time bytes are skipped.
    }
}

} // namespace platform::midi
