#pragma once
// A test double of the keyboard on the loopback MIDI backend: its two ports, 13
// preset slots of 874 record bytes, 16 global values and a firmware version. It
// answers the editor's System Exclusive messages from a thread of its own, logs
// every message it receives, and has switches for the faults a real keyboard or
// cable shows: silence, late or repeated replies, wrong lengths or command bytes,
// old firmware, replies in pieces, MIDI traffic that has nothing to do with the
// conversation, and global replies with codes outside the table.
#include "platform/midi/LoopbackMidiBackend.h"
#include "platform/midi/MidiBackend.h"
#include "platform/midi/SysExAssembler.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace kxtest {

class KeyboardSimulator {
public:
    using Bytes = std::vector<uint8_t>;

    // What the editor receives from (capture) and sends to (render).
    static constexpr const char* kCapturePortName = "MIDIIN4 (Lumo 25)";
    static constexpr const char* kRenderPortName = "MIDIOUT4 (Lumo 25)";
    static constexpr int kSlotCount = 13;
    static constexpr size_t kSlotBytes = 874;
    static constexpr int kGlobalCount = 16;

    enum class Kind {
        LeadIn,
        IdentityRequest,
        PresetRequest,
        PresetMessage,
        GlobalRequest,
        GlobalSet,
        Other, // anything else, short messages included
    };

    struct Received {
        Kind kind;
        Bytes bytes;
    };

    // Installs its backend process-wide for its lifetime unless install is false.
    // Destroy the editor's port objects before the simulator.
    explicit KeyboardSimulator(bool install = true);
    ~KeyboardSimulator();
    KeyboardSimulator(const KeyboardSimulator&) = delete;
    KeyboardSimulator& operator=(const KeyboardSimulator&) = delete;

    const std::shared_ptr<platform::midi::LoopbackMidiBackend>& Backend() const { return m_backend; }
    platform::midi::LoopbackInputDevice& CaptureDevice() { return *m_capture; }
    platform::midi::LoopbackOutputDevice& RenderDevice() { return *m_render; }

    // ---- keyboard state
    Bytes Slot(int slot) const;
    void SetSlot(int slot, const Bytes& records);
    int32_t Global(int code) const;
    void SetGlobal(int code, int32_t value);
    // Four ASCII digits, e.g. "1041".
    void SetFirmware(const char* digits);
    // The default contents of a slot: distinct per slot, every byte below 0x80.
    static Bytes PatternFor(int slot);

    // ---- fault switches (all off by default)
    void SetSilent(bool silent);
    // Answer only the k-th request of kind (identity, preset or global request), counting
    // from 1 since construction or ClearLog; 0 answers every one.
    void SetAnswerOnly(Kind kind, int k);
    void SetReplyDelay(uint32_t milliseconds);
    // Each reply is sent this many times (at least 1).
    void SetReplyRepeat(int times);
    // Replies carry delta more (or fewer) bytes before their F7: 885 or 887 for a dump.
    void SetReplyLengthDelta(int delta);
    // Replies carry another command byte (identity replies another sub-id).
    void SetWrongCommand(bool wrong);
    // Replies are injected in pieces of this many bytes (0: whole).
    void SetChunkSize(size_t bytes);
    // Active sensing, clock and notes before, between and inside replies, and from a
    // thread of its own every 1 ms.
    void SetBackgroundTraffic(bool on);
    // Global replies carry this code byte instead of the requested one (-1: off).
    void SetReplyCode(int code);
    // The length and command faults hit only the replies to requests of this kind
    // (Other: every reply).
    void SetFaultsOnlyFor(Kind kind);

    // ---- log of complete messages received (System Exclusive joined from its pieces)
    std::vector<Received> Log() const;
    std::vector<Kind> Kinds() const;
    size_t Count(Kind kind) const;
    // Long and short sends the device took (a message in pieces counts each piece).
    size_t HandOverCount() const;
    void ClearLog();
    // Waits until every scheduled reply has been injected (or ms ran out); true when idle.
    bool WaitIdle(uint32_t milliseconds = 5000);
    // Injects bytes as the keyboard would send them (pieces of chunk bytes; 0: whole).
    void Inject(const Bytes& bytes, size_t chunk = 0);

    // Reply bytes as the keyboard builds them (no faults applied).
    static Bytes MakeDump(int slot, const Bytes& records);
    static Bytes MakeGlobalReply(int code, int32_t value);
    static Bytes MakeIdentityReply(const char* digits);

private:
    struct Pending {
        std::chrono::steady_clock::time_point due;
        Bytes bytes;
    };

    void OnSent(std::span<const uint8_t> bytes);
    void Handle(const Bytes& message); // under m_mutex
    void Schedule(Bytes reply);        // under m_mutex
    bool ShouldAnswer(Kind kind);      // under m_mutex
    Bytes ApplyFaults(Kind request, Bytes reply, size_t commandOffset, uint8_t wrongCommand) const;
    void Deliver(const Bytes& bytes, size_t chunk, bool traffic);
    void ReplyLoop();
    void TrafficLoop();
    void InjectTraffic(int n);

    std::shared_ptr<platform::midi::LoopbackMidiBackend> m_backend;
    std::shared_ptr<platform::midi::LoopbackInputDevice> m_capture;
    std::shared_ptr<platform::midi::LoopbackOutputDevice> m_render;
    std::unique_ptr<platform::midi::ScopedMidiBackend> m_installed;

    mutable std::mutex m_mutex;
    // Held while a reply goes out, so no channel message lands inside it.
    std::mutex m_wire;
    std::condition_variable m_changed;
    platform::midi::SysExAssembler m_assembler;
    std::array<Bytes, kSlotCount> m_slots;
    std::array<int32_t, kGlobalCount> m_globals{};
    std::array<uint8_t, 4> m_firmware{{'1', '0', '4', '1'}};
    std::vector<Received> m_log;
    size_t m_handOvers = 0;
    std::array<int, 3> m_requestCounts{};
    std::array<int, 3> m_answerOnly{};

    bool m_silent = false;
    uint32_t m_delayMs = 0;
    int m_repeat = 1;
    int m_lengthDelta = 0;
    bool m_wrongCommand = false;
    size_t m_chunk = 0;
    bool m_traffic = false;
    int m_replyCode = -1;
    Kind m_faultKind = Kind::Other;

    std::deque<Pending> m_pending;
    bool m_injecting = false;
    bool m_stopping = false;
    std::thread m_replyThread;
    std::thread m_trafficThread;
};

const char* ToString(KeyboardSimulator::Kind kind);

} // namespace kxtest
