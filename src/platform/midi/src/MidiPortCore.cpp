#include "MidiPortCore.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform::midi::detail {

namespace {

int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Marks the current thread as the one running a callback, restoring the previous
// mark on exit (callbacks may nest when a callback feeds the same device).
class CallbackThreadMark {
public:
    explicit CallbackThreadMark(std::atomic<std::thread::id>& mark)
        : m_mark(mark), m_previous(mark.exchange(std::this_thread::get_id()))
    {
    }
    ~CallbackThreadMark() { m_mark.store(m_previous); }
    CallbackThreadMark(const CallbackThreadMark&) = delete;
    CallbackThreadMark& operator=(const CallbackThreadMark&) = delete;

private:
    std::atomic<std::thread::id>& m_mark;
    std::thread::id m_previous;
};

} // namespace

// ---------------------------------------------------------------- input

InputCore::InputCore(std::string name, MidiInputCallback callback)
    : m_name(std::move(name)), m_callback(std::move(callback))
{
}

InputCore::~InputCore() = default;

MidiStatus InputCore::AddBuffer(MidiInputBuffer& buffer)
{
    if (buffer.data == nullptr || buffer.length == 0)
        return MidiStatus::InvalidArgument;
    std::lock_guard lock(m_buffersMutex);
    if (IsClosed())
        return MidiStatus::Closed;
    if (std::find(m_buffers.begin(), m_buffers.end(), &buffer) != m_buffers.end())
        return MidiStatus::InvalidArgument;
    buffer.done = false;
    buffer.recorded = 0;
    m_buffers.push_back(&buffer);
    return MidiStatus::Ok;
}

MidiStatus InputCore::Start()
{
    if (IsClosed())
        return MidiStatus::Closed;
    if (!m_started.load(std::memory_order_acquire)) {
        m_startNs.store(NowNs(), std::memory_order_relaxed);
        m_started.store(true, std::memory_order_release);
    }
    return MidiStatus::Ok;
}

MidiStatus InputCore::Stop()
{
    std::lock_guard lock(m_delivery);
    if (IsClosed())
        return MidiStatus::Closed;
    m_started.store(false, std::memory_order_release);
    MidiInputBuffer* partial = nullptr;
    {
        std::lock_guard buffersLock(m_buffersMutex);
        if (!m_buffers.empty() && m_buffers.front()->recorded > 0) {
            partial = m_buffers.front();
            m_buffers.pop_front();
        }
    }
    if (partial != nullptr)
        HandBack(partial, MidiInputEventKind::LongData);
    return MidiStatus::Ok;
}

MidiStatus InputCore::Reset()
{
    std::lock_guard lock(m_delivery);
    if (IsClosed())
        return MidiStatus::Closed;
    m_started.store(false, std::memory_order_release);
    std::deque<MidiInputBuffer*> queued;
    {
        std::lock_guard buffersLock(m_buffersMutex);
        queued.swap(m_buffers);
    }
    // Buffers the callback adds again while being handed back stay queued.
    for (MidiInputBuffer* buffer : queued)
        HandBack(buffer, MidiInputEventKind::LongData);
    return MidiStatus::Ok;
}

void InputCore::Close()
{
    const bool onCallbackThread = m_callbackThread.load() == std::this_thread::get_id();
    {
        std::lock_guard lock(m_delivery);
        std::deque<MidiInputBuffer*> queued;
        {
            std::lock_guard buffersLock(m_buffersMutex);
            if (m_closed.exchange(true))
                return;
            m_started.store(false, std::memory_order_release);
            queued.swap(m_buffers);
        }
        for (MidiInputBuffer* buffer : queued)
            HandBack(buffer, MidiInputEventKind::LongData);
    }
    CloseDevice(onCallbackThread);
}

bool InputCore::DeliverShort(uint32_t message)
{
    std::lock_guard lock(m_delivery);
    if (!m_started.load(std::memory_order_acquire) || IsClosed())
        return false;
    Invoke(MidiInputEventKind::Data, message, nullptr);
    return true;
}

bool InputCore::DeliverLong(std::span<const uint8_t> bytes)
{
    std::lock_guard lock(m_delivery);
    if (!m_started.load(std::memory_order_acquire) || IsClosed())
        return false;
    size_t pos = 0;
    while (pos < bytes.size()) {
        // The callback may have stopped or closed the input.
        if (!m_started.load(std::memory_order_acquire) || IsClosed())
            break;
        MidiInputBuffer* ready = nullptr;
        MidiInputEventKind kind = MidiInputEventKind::LongData;
        {
            std::lock_guard buffersLock(m_buffersMutex);
            if (m_buffers.empty())
                break; // no buffer: the rest is lost, as with the system service
            MidiInputBuffer* buffer = m_buffers.front();
            if (bytes[pos] == 0xF0 && buffer->recorded > 0) {
                // A new message cuts the one in this buffer short.
                ready = buffer;
                kind = MidiInputEventKind::LongError;
            } else {
                const uint8_t* src = bytes.data() + pos;
                const size_t room = std::min<size_t>(buffer->length - buffer->recorded, bytes.size() - pos);
                size_t take = 0;
                bool ended = false;
                while (take < room) {
                    const uint8_t b = src[take];
                    if (b == 0xF7) {
                        ++take;
                        ended = true;
                        break;
                    }
                    if (b == 0xF0 && take > 0)
                        break;
                    ++take;
                }
                std::memcpy(buffer->data + buffer->recorded, src, take);
                buffer->recorded += static_cast<uint32_t>(take);
                pos += take;
                if (ended || buffer->recorded == buffer->length)
                    ready = buffer;
            }
            if (ready != nullptr)
                m_buffers.pop_front();
        }
        if (ready != nullptr)
            HandBack(ready, kind);
    }
    return true;
}

bool InputCore::DeliverMessage(std::span<const uint8_t> bytes)
{
    if (bytes.empty())
        return false;
    const uint8_t first = bytes[0];
    if (first >= 0x80 && first < 0xF8 && first != 0xF0 && first != 0xF7) {
        uint32_t packed = 0;
        for (size_t i = 0; i < bytes.size() && i < 3; ++i)
            packed |= static_cast<uint32_t>(bytes[i]) << (8 * i);
        return DeliverShort(packed);
    }
    std::lock_guard lock(m_delivery);
    bool taken = false;
    size_t run = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] < 0xF8)
            continue;
        if (i > run)
            taken |= DeliverLong(bytes.subspan(run, i - run));
        taken |= DeliverShort(bytes[i]);
        run = i + 1;
    }
    if (run < bytes.size())
        taken |= DeliverLong(bytes.subspan(run));
    return taken;
}

void InputCore::HandBack(MidiInputBuffer* buffer, MidiInputEventKind kind)
{
    buffer->done = true;
    Invoke(kind, 0, buffer);
}

void InputCore::Invoke(MidiInputEventKind kind, uint32_t message, MidiInputBuffer* buffer)
{
    if (!m_callback || m_owner == nullptr)
        return;
    CallbackThreadMark mark(m_callbackThread);
    MidiInputEvent event;
    event.kind = kind;
    event.message = message;
    event.buffer = buffer;
    event.timestampMs = ElapsedMs();
    m_callback(*m_owner, event);
}

uint32_t InputCore::ElapsedMs() const
{
    const int64_t elapsed = NowNs() - m_startNs.load(std::memory_order_relaxed);
    return elapsed <= 0 ? 0u : static_cast<uint32_t>(static_cast<uint64_t>(elapsed / 1000000));
}

// ---------------------------------------------------------------- output

OutputCore::OutputCore(std::string name, MidiOutputCallback callback)
    : m_name(std::move(name)), m_callback(std::move(callback))
{
}

OutputCore::~OutputCore() = default;

MidiStatus OutputCore::SendShort(uint32_t message)
{
    const uint8_t bytes[3] = {static_cast<uint8_t>(message), static_cast<uint8_t>(message >> 8),
                              static_cast<uint8_t>(message >> 16)};
    const size_t length = ShortMessageLength(bytes[0]);
    if (length == 0)
        return MidiStatus::InvalidArgument;
    std::lock_guard lock(m_sendMutex);
    if (m_closed.load(std::memory_order_acquire))
        return MidiStatus::Closed;
    return Write(std::span<const uint8_t>(bytes, length), false);
}

MidiStatus OutputCore::SendLong(const uint8_t* data, size_t size)
{
    if (data == nullptr || size == 0)
        return MidiStatus::InvalidArgument;
    MidiStatus status;
    {
        std::lock_guard lock(m_sendMutex);
        if (m_closed.load(std::memory_order_acquire))
            return MidiStatus::Closed;
        status = Write(std::span<const uint8_t>(data, size), true);
    }
    if (status == MidiStatus::Ok && ReportsDone()) {
        std::lock_guard lock(m_callbackMutex);
        if (!m_closed.load(std::memory_order_acquire) && m_callback && m_owner != nullptr) {
            MidiOutputEvent event;
            event.data = data;
            event.size = size;
            m_callback(*m_owner, event);
        }
    }
    return status;
}

void OutputCore::Close()
{
    {
        std::lock_guard callbackLock(m_callbackMutex);
        std::lock_guard sendLock(m_sendMutex);
        if (m_closed.exchange(true))
            return;
    }
    CloseDevice();
}

} // namespace platform::midi::detail
