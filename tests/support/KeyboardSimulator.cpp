#include "KeyboardSimulator.h"

#include <algorithm>
#include <cstring>

namespace kxtest {

namespace {

constexpr uint8_t kHeader[7] = {0xF0, 0x00, 0x3F, 0x5A, 0x7F, 0x31, 0x04};
constexpr size_t kCommand = 7;

bool HasHeader(const KeyboardSimulator::Bytes& m)
{
    return m.size() > kCommand && std::memcmp(m.data(), kHeader, sizeof(kHeader)) == 0;
}

int RequestIndex(KeyboardSimulator::Kind kind)
{
    switch (kind) {
    case KeyboardSimulator::Kind::IdentityRequest: return 0;
    case KeyboardSimulator::Kind::PresetRequest: return 1;
    case KeyboardSimulator::Kind::GlobalRequest: return 2;
    default: return -1;
    }
}

KeyboardSimulator::Kind KindOf(const KeyboardSimulator::Bytes& m)
{
    using Kind = KeyboardSimulator::Kind;
    static const uint8_t identity[6] = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
    if (m.size() == 6 && std::memcmp(m.data(), identity, 6) == 0)
        return Kind::IdentityRequest;
    if (!HasHeader(m))
        return Kind::Other;
    const uint8_t* b = m.data();
    switch (b[kCommand]) {
    case 0x6D:
        if (m.size() == 12 && b[8] == 0x00 && b[9] == 0x01 && b[10] == 0x01)
            return Kind::LeadIn;
        break;
    case 0x62:
        if (m.size() == 10)
            return Kind::PresetRequest;
        break;
    case 0x61:
        if (m.size() == 886 && b[8] == 0x0A && b[9] == 0x3B)
            return Kind::PresetMessage;
        break;
    case 0x6B:
        if (m.size() == 13 && b[8] == 0x00 && b[9] == 0x02 && b[10] == 0x00)
            return Kind::GlobalRequest;
        break;
    case 0x6A:
        if (m.size() == 15 && b[8] == 0x00 && b[9] == 0x04 && b[10] == 0x00)
            return Kind::GlobalSet;
        break;
    default: break;
    }
    return Kind::Other;
}

} // namespace

const char* ToString(KeyboardSimulator::Kind kind)
{
    switch (kind) {
    case KeyboardSimulator::Kind::LeadIn: return "LeadIn";
    case KeyboardSimulator::Kind::IdentityRequest: return "IdentityRequest";
    case KeyboardSimulator::Kind::PresetRequest: return "PresetRequest";
    case KeyboardSimulator::Kind::PresetMessage: return "PresetMessage";
    case KeyboardSimulator::Kind::GlobalRequest: return "GlobalRequest";
    case KeyboardSimulator::Kind::GlobalSet: return "GlobalSet";
    case KeyboardSimulator::Kind::Other: break;
    }
    return "Other";
}

KeyboardSimulator::KeyboardSimulator(bool install) : m_backend(std::make_shared<platform::midi::LoopbackMidiBackend>())
{
    for (int slot = 0; slot < kSlotCount; ++slot)
        m_slots[static_cast<size_t>(slot)] = PatternFor(slot);
    m_capture = m_backend->AddInput(kCapturePortName);
    m_render = m_backend->AddOutput(kRenderPortName, [this](std::span<const uint8_t> bytes) { OnSent(bytes); });
    if (install)
        m_installed = std::make_unique<platform::midi::ScopedMidiBackend>(m_backend);
    m_replyThread = std::thread([this] { ReplyLoop(); });
}

KeyboardSimulator::~KeyboardSimulator()
{
    m_render->SetSink({});
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_replyThread.joinable())
        m_replyThread.join();
    if (m_trafficThread.joinable())
        m_trafficThread.join();
    m_installed.reset();
}

// ---------------------------------------------------------------- state

KeyboardSimulator::Bytes KeyboardSimulator::PatternFor(int slot)
{
    Bytes records(kSlotBytes);
    for (size_t i = 0; i < kSlotBytes; ++i)
        records[i] = static_cast<uint8_t>((static_cast<size_t>(slot) * 11 + i * 7 + 1) & 0x7F);
    return records;
}

KeyboardSimulator::Bytes KeyboardSimulator::Slot(int slot) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_slots.at(static_cast<size_t>(slot));
}

void KeyboardSimulator::SetSlot(int slot, const Bytes& records)
{
    Bytes copy = records;
    copy.resize(kSlotBytes);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_slots.at(static_cast<size_t>(slot)) = std::move(copy);
}

int32_t KeyboardSimulator::Global(int code) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_globals.at(static_cast<size_t>(code));
}

void KeyboardSimulator::SetGlobal(int code, int32_t value)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_globals.at(static_cast<size_t>(code)) = value;
}

void KeyboardSimulator::SetFirmware(const char* digits)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (size_t i = 0; i < 4; ++i)
        m_firmware[i] = static_cast<uint8_t>(digits[i]);
}

// ---------------------------------------------------------------- switches

void KeyboardSimulator::SetSilent(bool silent)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_silent = silent;
}

void KeyboardSimulator::SetAnswerOnly(Kind kind, int k)
{
    const int index = RequestIndex(kind);
    if (index < 0)
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answerOnly[static_cast<size_t>(index)] = k;
}

void KeyboardSimulator::SetReplyDelay(uint32_t milliseconds)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_delayMs = milliseconds;
}

void KeyboardSimulator::SetReplyRepeat(int times)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_repeat = std::max(1, times);
}

void KeyboardSimulator::SetReplyLengthDelta(int delta)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lengthDelta = delta;
}

void KeyboardSimulator::SetWrongCommand(bool wrong)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_wrongCommand = wrong;
}

void KeyboardSimulator::SetChunkSize(size_t bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_chunk = bytes;
}

void KeyboardSimulator::SetBackgroundTraffic(bool on)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_traffic = on;
    if (on && !m_trafficThread.joinable())
        m_trafficThread = std::thread([this] { TrafficLoop(); });
}

void KeyboardSimulator::SetReplyCode(int code)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_replyCode = code;
}

void KeyboardSimulator::SetFaultsOnlyFor(Kind kind)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faultKind = kind;
}

// ---------------------------------------------------------------- log

std::vector<KeyboardSimulator::Received> KeyboardSimulator::Log() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_log;
}

std::vector<KeyboardSimulator::Kind> KeyboardSimulator::Kinds() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<Kind> kinds;
    kinds.reserve(m_log.size());
    for (const Received& r : m_log)
        kinds.push_back(r.kind);
    return kinds;
}

size_t KeyboardSimulator::Count(Kind kind) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<size_t>(
        std::count_if(m_log.begin(), m_log.end(), [kind](const Received& r) { return r.kind == kind; }));
}

size_t KeyboardSimulator::HandOverCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_handOvers;
}

void KeyboardSimulator::ClearLog()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_log.clear();
    m_handOvers = 0;
    m_requestCounts = {};
}

bool KeyboardSimulator::WaitIdle(uint32_t milliseconds)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(milliseconds),
                              [this] { return m_pending.empty() && !m_injecting; });
}

void KeyboardSimulator::Inject(const Bytes& bytes, size_t chunk)
{
    std::lock_guard<std::mutex> wire(m_wire);
    Deliver(bytes, chunk, false);
}

// ---------------------------------------------------------------- replies

KeyboardSimulator::Bytes KeyboardSimulator::MakeDump(int slot, const Bytes& records)
{
    Bytes dump;
    dump.reserve(sizeof(kHeader) + 4 + records.size() + 1);
    for (uint8_t b : kHeader)
        dump.push_back(b);
    for (uint8_t b : {uint8_t{0x63}, uint8_t{0x0A}, uint8_t{0x3B}, static_cast<uint8_t>(slot & 0x7F)})
        dump.push_back(b);
    dump.insert(dump.end(), records.begin(), records.end());
    dump.push_back(0xF7);
    return dump;
}

KeyboardSimulator::Bytes KeyboardSimulator::MakeGlobalReply(int code, int32_t value)
{
    Bytes reply;
    reply.reserve(15);
    for (uint8_t b : kHeader)
        reply.push_back(b);
    for (uint8_t b :
         {uint8_t{0x6C}, uint8_t{0x00}, uint8_t{0x04}, uint8_t{0x00}, static_cast<uint8_t>(code & 0x7F),
          static_cast<uint8_t>((value / 128) & 0x7F), static_cast<uint8_t>((value % 128) & 0x7F), uint8_t{0xF7}})
        reply.push_back(b);
    return reply;
}

KeyboardSimulator::Bytes KeyboardSimulator::MakeIdentityReply(const char* digits)
{
    Bytes reply{0xF0, 0x7E, 0x00, 0x06, 0x02, 0x47, 0x25, 0x00, 0x19, 0x00};
    for (size_t i = 0; i < 4; ++i)
        reply.push_back(static_cast<uint8_t>(digits[i]));
    reply.push_back(0xF7);
    return reply;
}

void KeyboardSimulator::OnSent(std::span<const uint8_t> bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_handOvers;
    if (bytes.empty())
        return;
    const uint8_t first = bytes[0];
    if (first >= 0x80 && first != 0xF0 && first != 0xF7) {
        // A short message; a real-time byte does not disturb a message in progress.
        if (first < 0xF8)
            m_assembler.Reset();
        m_log.push_back({Kind::Other, Bytes(bytes.begin(), bytes.end())});
        return;
    }
    std::vector<Bytes> complete;
    m_assembler.Feed(bytes, [&](std::span<const uint8_t> m) { complete.emplace_back(m.begin(), m.end()); });
    for (const Bytes& m : complete)
        Handle(m);
}

bool KeyboardSimulator::ShouldAnswer(Kind kind)
{
    const int index = RequestIndex(kind);
    const int count = ++m_requestCounts[static_cast<size_t>(index)];
    if (m_silent)
        return false;
    const int only = m_answerOnly[static_cast<size_t>(index)];
    return only == 0 || only == count;
}

KeyboardSimulator::Bytes KeyboardSimulator::ApplyFaults(Kind request, Bytes reply, size_t commandOffset,
                                                        uint8_t wrongCommand) const
{
    if (m_faultKind != Kind::Other && m_faultKind != request)
        return reply;
    if (m_wrongCommand)
        reply[commandOffset] = wrongCommand;
    if (m_lengthDelta > 0)
        reply.insert(reply.end() - 1, static_cast<size_t>(m_lengthDelta), uint8_t{0x00});
    else if (m_lengthDelta < 0)
        reply.erase(reply.end() - 1 - std::min<ptrdiff_t>(-m_lengthDelta, static_cast<ptrdiff_t>(reply.size()) - 2),
                    reply.end() - 1);
    return reply;
}

void KeyboardSimulator::Handle(const Bytes& m)
{
    const Kind kind = KindOf(m);
    m_log.push_back({kind, m});
    switch (kind) {
    case Kind::IdentityRequest:
        if (ShouldAnswer(kind)) {
            Bytes reply(MakeIdentityReply(reinterpret_cast<const char*>(m_firmware.data())));
            Schedule(ApplyFaults(kind, std::move(reply), 4, 0x03));
        }
        break;
    case Kind::PresetRequest:
        if (ShouldAnswer(kind) && m[8] < kSlotCount)
            Schedule(ApplyFaults(kind, MakeDump(m[8], m_slots[m[8]]), kCommand, 0x64));
        break;
    case Kind::GlobalRequest:
        if (ShouldAnswer(kind) && m[11] < kGlobalCount) {
            const int code = m_replyCode >= 0 ? m_replyCode : m[11];
            Schedule(ApplyFaults(kind, MakeGlobalReply(code, m_globals[m[11]]), kCommand, 0x6D));
        }
        break;
    case Kind::PresetMessage:
        if (m[10] < kSlotCount)
            m_slots[m[10]].assign(m.begin() + 11, m.begin() + 11 + kSlotBytes);
        break;
    case Kind::GlobalSet:
        if (m[11] < kGlobalCount)
            m_globals[m[11]] = m[12] * 128 + m[13];
        break;
    case Kind::LeadIn:
    case Kind::Other: break;
    }
}

void KeyboardSimulator::Schedule(Bytes reply)
{
    const auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_delayMs);
    for (int i = 0; i < m_repeat; ++i)
        m_pending.push_back({due, reply});
    m_changed.notify_all();
}

void KeyboardSimulator::Deliver(const Bytes& bytes, size_t chunk, bool traffic)
{
    if (traffic)
        InjectTraffic(3);
    if (chunk == 0 || chunk >= bytes.size()) {
        if (traffic) {
            // Real-time bytes inside the message, as a busy cable carries them.
            Bytes mixed;
            mixed.reserve(bytes.size() + bytes.size() / 50 + 1);
            for (size_t i = 0; i < bytes.size(); ++i) {
                mixed.push_back(bytes[i]);
                if (i % 50 == 10 && i + 1 < bytes.size())
                    mixed.push_back(i % 100 == 10 ? 0xF8 : 0xFE);
            }
            m_capture->InjectRaw(mixed);
        } else {
            m_capture->InjectLong(bytes);
        }
    } else {
        for (size_t pos = 0; pos < bytes.size(); pos += chunk) {
            const size_t n = std::min(chunk, bytes.size() - pos);
            m_capture->InjectLong(std::span<const uint8_t>(bytes.data() + pos, n));
            if (traffic && pos + n < bytes.size())
                m_capture->InjectShort(0xFE);
        }
    }
    if (traffic)
        InjectTraffic(3);
}

void KeyboardSimulator::InjectTraffic(int n)
{
    for (int i = 0; i < n; ++i) {
        m_capture->InjectShort(0xFE);
        m_capture->InjectShort(0xF8);
        m_capture->InjectShort(0x00644090u + static_cast<uint32_t>(i)); // note on, channel 1 + i
        m_capture->InjectShort(0x00004080u + static_cast<uint32_t>(i)); // note off
    }
}

void KeyboardSimulator::ReplyLoop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        if (m_stopping)
            return;
        if (m_pending.empty()) {
            m_changed.wait(lock);
            continue;
        }
        const auto due = m_pending.front().due;
        if (std::chrono::steady_clock::now() < due) {
            m_changed.wait_until(lock, due);
            continue;
        }
        Bytes reply = std::move(m_pending.front().bytes);
        m_pending.pop_front();
        const size_t chunk = m_chunk;
        const bool traffic = m_traffic;
        m_injecting = true;
        lock.unlock();
        {
            // The editor's input callback runs on this thread; only the wire is held.
            std::lock_guard<std::mutex> wire(m_wire);
            Deliver(reply, chunk, traffic);
        }
        lock.lock();
        m_injecting = false;
        m_changed.notify_all();
    }
}

void KeyboardSimulator::TrafficLoop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    uint32_t tick = 0;
    while (!m_stopping) {
        const bool on = m_traffic;
        lock.unlock();
        if (on) {
            m_capture->InjectShort(0xFE);
            if (++tick % 4 == 0)
                m_capture->InjectShort(0xF8);
            if (tick % 8 == 0) {
                std::lock_guard<std::mutex> wire(m_wire);
                m_capture->InjectShort(tick % 16 == 0 ? 0x00403C90u : 0x00003C80u); // note on / off
            }
        }
        lock.lock();
        m_changed.wait_for(lock, std::chrono::milliseconds(1), [this] { return m_stopping; });
    }
}

} // namespace kxtest
