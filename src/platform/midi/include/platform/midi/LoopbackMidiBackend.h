#pragma once
// An in-process MIDI backend for tests and simulated devices. The test registers
// named devices; what the program sends to an output device goes to that device's
// sink; what the test injects into an input device reaches every open, started
// input on it, on the injecting thread, as a driver's callback would.
#include "platform/midi/MidiBackend.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace platform::midi {

namespace detail {
class LoopbackInputCore;
class LoopbackOutputCore;
} // namespace detail

class LoopbackInputDevice {
public:
    explicit LoopbackInputDevice(std::string name);
    ~LoopbackInputDevice();
    LoopbackInputDevice(const LoopbackInputDevice&) = delete;
    LoopbackInputDevice& operator=(const LoopbackInputDevice&) = delete;

    const std::string& Name() const { return m_name; }
    size_t OpenCount() const;

    // Each returns how many started inputs took the data.
    // A short message, status byte lowest.
    size_t InjectShort(uint32_t message);
    // One piece of System Exclusive data as the driver receives it.
    size_t InjectLong(std::span<const uint8_t> bytes);
    // A whole message in pieces of `chunkSize` bytes (0: one piece); no other
    // input comes in between.
    size_t InjectSysEx(std::span<const uint8_t> bytes, size_t chunkSize = 0);
    // Bytes as a driver reads them: one short message (status first), or System
    // Exclusive data in which real-time bytes become short messages of their own.
    size_t InjectRaw(std::span<const uint8_t> bytes);

private:
    friend class LoopbackMidiBackend;
    friend class detail::LoopbackInputCore;
    std::vector<std::shared_ptr<detail::LoopbackInputCore>> Snapshot() const;
    void Attach(const std::shared_ptr<detail::LoopbackInputCore>& core);
    void Detach(const detail::LoopbackInputCore* core);

    const std::string m_name;
    std::recursive_mutex m_wire; // one injection at a time
    mutable std::mutex m_mutex;  // guards m_inputs
    std::vector<std::shared_ptr<detail::LoopbackInputCore>> m_inputs;
};

class LoopbackOutputDevice {
public:
    // Receives every message sent to the device: a short message's bytes, or
    // the bytes of a long send.
    using Sink = std::function<void(std::span<const uint8_t>)>;

    LoopbackOutputDevice(std::string name, Sink sink);
    LoopbackOutputDevice(const LoopbackOutputDevice&) = delete;
    LoopbackOutputDevice& operator=(const LoopbackOutputDevice&) = delete;

    const std::string& Name() const { return m_name; }
    size_t OpenCount() const { return m_openCount.load(); }
    void SetSink(Sink sink);
    // False: long sends are taken but never reported done (a hung device).
    void SetReportsDone(bool reports) { m_reportsDone.store(reports); }
    bool ReportsDone() const { return m_reportsDone.load(); }

private:
    friend class detail::LoopbackOutputCore;
    void Receive(std::span<const uint8_t> bytes);

    const std::string m_name;
    mutable std::mutex m_mutex; // guards m_sink
    std::shared_ptr<const Sink> m_sink;
    std::atomic<bool> m_reportsDone{true};
    std::atomic<size_t> m_openCount{0};
};

class LoopbackMidiBackend final : public MidiBackend {
public:
    // Devices are listed in the order they were added.
    std::shared_ptr<LoopbackInputDevice> AddInput(std::string name);
    std::shared_ptr<LoopbackOutputDevice> AddOutput(std::string name, LoopbackOutputDevice::Sink sink = {});

    MidiBackendKind Kind() const override { return MidiBackendKind::Loopback; }
    std::vector<std::string> InputNames() override;
    std::vector<std::string> OutputNames() override;
    MidiStatus OpenInput(size_t index, MidiInputCallback callback, std::unique_ptr<MidiInput>& out) override;
    MidiStatus OpenOutput(size_t index, MidiOutputCallback callback, std::unique_ptr<MidiOutput>& out) override;

private:
    std::mutex m_mutex;
    std::vector<std::shared_ptr<LoopbackInputDevice>> m_inputs;
    std::vector<std::shared_ptr<LoopbackOutputDevice>> m_outputs;
};

} // namespace platform::midi
