#pragma once
// Behaviour shared by every backend's open devices: buffer handling, start/stop,
// serialised callbacks and a close that waits for a running callback.
#include "platform/midi/MidiBackend.h"

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <thread>

namespace platform::midi::detail {

class InputCore : public std::enable_shared_from_this<InputCore> {
public:
    InputCore(std::string name, MidiInputCallback callback);
    virtual ~InputCore();
    InputCore(const InputCore&) = delete;
    InputCore& operator=(const InputCore&) = delete;

    const std::string& Name() const { return m_name; }
    void SetOwner(MidiInput* owner) { m_owner = owner; }

    MidiStatus AddBuffer(MidiInputBuffer& buffer);
    MidiStatus Start();
    MidiStatus Stop();
    MidiStatus Reset();
    void Close();
    bool IsClosed() const { return m_closed.load(std::memory_order_acquire); }

    // Device side, called on the device's thread. False when the input is not
    // started (the data is dropped).
    bool DeliverShort(uint32_t message);
    bool DeliverLong(std::span<const uint8_t> bytes);
    // One message as a driver reads it: a short message, or System Exclusive
    // data whose real-time bytes (F8-FF) are passed on as short messages.
    bool DeliverMessage(std::span<const uint8_t> bytes);

protected:
    // Releases the system device; runs once, without locks. `onCallbackThread`
    // is true when Close() was called from inside a callback.
    virtual void CloseDevice(bool onCallbackThread) = 0;

private:
    void Invoke(MidiInputEventKind kind, uint32_t message, MidiInputBuffer* buffer);
    void HandBack(MidiInputBuffer* buffer, MidiInputEventKind kind);
    MidiInputBuffer* PopFront();
    uint32_t ElapsedMs() const;

    const std::string m_name;
    MidiInputCallback m_callback;
    MidiInput* m_owner = nullptr;

    std::recursive_mutex m_delivery; // held while a callback runs
    std::atomic<std::thread::id> m_callbackThread{};
    std::atomic<bool> m_started{false};
    std::atomic<bool> m_closed{false};
    std::atomic<int64_t> m_startNs{0};

    std::mutex m_buffersMutex; // never held while a callback runs
    std::deque<MidiInputBuffer*> m_buffers;
};

class OutputCore : public std::enable_shared_from_this<OutputCore> {
public:
    OutputCore(std::string name, MidiOutputCallback callback);
    virtual ~OutputCore();
    OutputCore(const OutputCore&) = delete;
    OutputCore& operator=(const OutputCore&) = delete;

    const std::string& Name() const { return m_name; }
    void SetOwner(MidiOutput* owner) { m_owner = owner; }

    MidiStatus SendShort(uint32_t message);
    MidiStatus SendLong(const uint8_t* data, size_t size);
    void Close();

protected:
    // Device side; called one at a time, never after CloseDevice.
    virtual MidiStatus Write(std::span<const uint8_t> bytes, bool isLong) = 0;
    // False when the device never reports a long send as done.
    virtual bool ReportsDone() const { return true; }
    virtual void CloseDevice() = 0;

private:
    const std::string m_name;
    MidiOutputCallback m_callback;
    MidiOutput* m_owner = nullptr;

    std::recursive_mutex m_sendMutex;     // serialises writes
    std::recursive_mutex m_callbackMutex; // held while a callback runs
    std::atomic<bool> m_closed{false};
};

} // namespace platform::midi::detail
