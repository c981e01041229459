#pragma once
// MIDI device service: enumerate input and output devices by name, open them by
// index or by part of their name, exchange short and System Exclusive messages.
//
// It reproduces the Windows multimedia MIDI service the port classes were
// designed around:
// - input is off until Start(); short messages come with a millisecond time stamp
//   counted from Start();
// - System Exclusive input is written into buffers the caller adds; a buffer is
//   handed back (done) when it is full, when an F7 has been written to it, or when
//   Stop()/Reset()/Close() returns it; a buffer that held the start of a message
//   that an F0 cut short is handed back as a long error;
// - a long send is reported done through the output callback (on the sending
//   thread, before SendLong returns) unless the device never finishes it;
// - callbacks come on the device's thread, one at a time per open device.
//
// Stop(), Reset() and Close() wait for a callback that runs on another thread and
// may call the callback themselves: never call them while holding a lock that the
// callback takes. Close() may be called from inside the callback.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform::midi {

enum class MidiStatus {
    Ok = 0,
    InvalidArgument, // null/empty data, bad status byte, buffer already queued
    NoDevice,        // index out of range or no device with that name
    Closed,          // the device has been closed
    Failed,          // the system refused the call
};

const char* ToString(MidiStatus status);

// A buffer for System Exclusive input (the service's long-message header).
struct MidiInputBuffer {
    uint8_t* data = nullptr;
    uint32_t length = 0;   // capacity of data
    uint32_t recorded = 0; // bytes written by the device
    bool done = false;     // set when the device hands the buffer back
    uintptr_t user = 0;    // free for the caller
};

class MidiInput;
class MidiOutput;

enum class MidiInputEventKind {
    Data,      // a short message in `message`
    LongData,  // `buffer` handed back with `buffer->recorded` bytes
    LongError, // `buffer` handed back holding an incomplete System Exclusive message
};

struct MidiInputEvent {
    MidiInputEventKind kind = MidiInputEventKind::Data;
    uint32_t message = 0;              // status byte lowest, then the data bytes
    MidiInputBuffer* buffer = nullptr; // LongData, LongError
    uint32_t timestampMs = 0;          // since Start()
};

// A long send has been taken by the device (the data pointer given to SendLong).
struct MidiOutputEvent {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

using MidiInputCallback = std::function<void(MidiInput&, const MidiInputEvent&)>;
using MidiOutputCallback = std::function<void(MidiOutput&, const MidiOutputEvent&)>;

namespace detail {
class InputCore;
class OutputCore;
} // namespace detail

// An open input device. Destroying it closes it.
class MidiInput {
public:
    explicit MidiInput(std::shared_ptr<detail::InputCore> core);
    ~MidiInput();
    MidiInput(const MidiInput&) = delete;
    MidiInput& operator=(const MidiInput&) = delete;

    const std::string& Name() const;
    // Queues a buffer for System Exclusive data; clears its done flag and count.
    MidiStatus AddBuffer(MidiInputBuffer& buffer);
    MidiStatus Start();
    // Stops input; a partly filled buffer is handed back, empty ones stay queued.
    MidiStatus Stop();
    // Stops input and hands back every queued buffer.
    MidiStatus Reset();
    // Resets, then closes; no callback runs once this returns. Idempotent.
    void Close();

private:
    std::shared_ptr<detail::InputCore> m_core;
};

// An open output device. Destroying it closes it.
class MidiOutput {
public:
    explicit MidiOutput(std::shared_ptr<detail::OutputCore> core);
    ~MidiOutput();
    MidiOutput(const MidiOutput&) = delete;
    MidiOutput& operator=(const MidiOutput&) = delete;

    const std::string& Name() const;
    // A channel or system message, status byte lowest; its length follows from
    // the status byte (see ShortMessageLength).
    MidiStatus SendShort(uint32_t message);
    // Any bytes, typically one System Exclusive message F0 ... F7.
    MidiStatus SendLong(const uint8_t* data, size_t size);
    // No callback runs once this returns. Idempotent.
    void Close();

private:
    std::shared_ptr<detail::OutputCore> m_core;
};

// Bytes of a short message with this status byte; 0 for F0, F7 and data bytes.
size_t ShortMessageLength(uint8_t status);

// A device matches a requested name when its name contains it (case-sensitive).
bool MidiNameMatches(std::string_view deviceName, std::string_view requested);
// Index of the first matching name.
std::optional<size_t> FindMidiDevice(const std::vector<std::string>& names, std::string_view requested);

// Which service a backend stands for.
enum class MidiBackendKind {
    Other,      // a test's own
    RtMidiAlsa, // the ALSA sequencer through RtMidi (what users run)
    Loopback,   // in-process ports for tests
};

class MidiBackend {
public:
    virtual ~MidiBackend() = default;

    virtual MidiBackendKind Kind() const { return MidiBackendKind::Other; }

    virtual std::vector<std::string> InputNames() = 0;
    virtual std::vector<std::string> OutputNames() = 0;
    virtual MidiStatus OpenInput(size_t index, MidiInputCallback callback, std::unique_ptr<MidiInput>& out) = 0;
    virtual MidiStatus OpenOutput(size_t index, MidiOutputCallback callback, std::unique_ptr<MidiOutput>& out) = 0;

    // Opens the first device whose name contains `name`.
    MidiStatus OpenInputByName(std::string_view name, MidiInputCallback callback, std::unique_ptr<MidiInput>& out);
    MidiStatus OpenOutputByName(std::string_view name, MidiOutputCallback callback, std::unique_ptr<MidiOutput>& out);
};

// The process-wide backend: the RtMidi/ALSA backend unless another is installed.
std::shared_ptr<MidiBackend> CurrentMidiBackend();
// Installs a backend (null: back to the default); returns the previous one.
std::shared_ptr<MidiBackend> InstallMidiBackend(std::shared_ptr<MidiBackend> backend);

// Installs a backend for the life of the scope.
class ScopedMidiBackend {
public:
    explicit ScopedMidiBackend(std::shared_ptr<MidiBackend> backend)
        : m_previous(InstallMidiBackend(std::move(backend)))
    {
    }
    ~ScopedMidiBackend() { InstallMidiBackend(std::move(m_previous)); }
    ScopedMidiBackend(const ScopedMidiBackend&) = delete;
    ScopedMidiBackend& operator=(const ScopedMidiBackend&) = delete;

private:
    std::shared_ptr<MidiBackend> m_previous;
};

} // namespace platform::midi
