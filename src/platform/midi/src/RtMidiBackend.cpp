#include "platform/midi/RtMidiBackend.h"

#include "MidiPortCore.h"
#include "platform/midi/AlsaPortNames.h"

#include <RtMidi.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <unistd.h>

namespace platform::midi {

namespace {

constexpr const char* kSequencerDevice = "/dev/snd/seq";
// Room for large System Exclusive messages where RtMidi manages buffers itself.
constexpr unsigned kInputBufferSize = 65536;
constexpr unsigned kInputBufferCount = 4;
constexpr unsigned kInputQueueLimit = 1024;

bool SequencerAvailable()
{
    return ::access(kSequencerDevice, R_OK | W_OK) == 0;
}

// Takes RtMidi's reports instead of letting it print or throw; marks a failure.
void SilentError(RtMidiError::Type type, const std::string&, void* user)
{
    if (user != nullptr && type != RtMidiError::DEBUG_WARNING)
        static_cast<std::atomic<bool>*>(user)->store(true);
}

std::unique_ptr<RtMidiIn> MakeRtInput(const std::string& clientName, std::atomic<bool>* errorFlag)
{
    if (!SequencerAvailable())
        return nullptr;
    try {
        auto rt = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, clientName, kInputQueueLimit);
        rt->setErrorCallback(&SilentError, errorFlag);
        return rt;
    } catch (...) {
        return nullptr;
    }
}

std::unique_ptr<RtMidiOut> MakeRtOutput(const std::string& clientName, std::atomic<bool>* errorFlag)
{
    if (!SequencerAvailable())
        return nullptr;
    try {
        auto rt = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, clientName);
        rt->setErrorCallback(&SilentError, errorFlag);
        return rt;
    } catch (...) {
        return nullptr;
    }
}

// Runs jobs on a thread of its own: an RtMidi input closed from inside its own
// callback cannot be closed there (closing joins the callback's thread).
class DeferredCloser {
public:
    static DeferredCloser& Instance()
    {
        static DeferredCloser closer;
        return closer;
    }

    void Add(std::function<void()> job)
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
        if (!m_thread.joinable())
            m_thread = std::thread([this] { Run(); });
        m_wake.notify_one();
    }

    ~DeferredCloser()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_one();
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    DeferredCloser() = default;

    void Run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_jobs.empty())
                return;
            std::function<void()> job = std::move(m_jobs.front());
            m_jobs.pop_front();
            lock.unlock();
            job();
            job = nullptr;
            lock.lock();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    std::thread m_thread;
    bool m_stopping = false;
};

// The index of the port with this RtMidi name in the client's own list.
std::optional<unsigned> FindRtPort(RtMidi& rt, const std::string& rtName)
{
    const unsigned count = rt.getPortCount();
    for (unsigned index = 0; index < count; ++index)
        if (rt.getPortName(index) == rtName)
            return index;
    return std::nullopt;
}

class RtInputCore final : public detail::InputCore {
public:
    RtInputCore(std::string name, MidiInputCallback callback, const std::string& clientName)
        : InputCore(std::move(name), std::move(callback)), m_rt(MakeRtInput(clientName, &m_error))
    {
    }

    ~RtInputCore() override { m_rt.reset(); }

    // Finds the port by its RtMidi name in this client's own list and opens it.
    MidiStatus Open(const std::string& rtName)
    {
        if (!m_rt)
            return MidiStatus::Failed;
        try {
            const std::optional<unsigned> index = FindRtPort(*m_rt, rtName);
            if (!index)
                return MidiStatus::NoDevice;
            m_rt->setCallback(&RtInputCore::OnMessage, this);
            m_rt->ignoreTypes(false, false, false); // System Exclusive, timing and active sensing too
            m_rt->setBufferSize(kInputBufferSize, kInputBufferCount);
            m_error = false;
            m_rt->openPort(*index, "Input");
            return m_rt->isPortOpen() && !m_error ? MidiStatus::Ok : MidiStatus::Failed;
        } catch (...) {
            return MidiStatus::Failed;
        }
    }

protected:
    void CloseDevice(bool onCallbackThread) override
    {
        if (!m_rt)
            return;
        if (onCallbackThread) {
            std::shared_ptr<RtMidiIn> rt(std::move(m_rt));
            std::shared_ptr<InputCore> self = shared_from_this();
            DeferredCloser::Instance().Add([rt, self]() mutable {
                rt.reset();
                self.reset();
            });
            return;
        }
        m_rt.reset(); // closes the port and joins RtMidi's thread
    }

private:
    static void OnMessage(double, std::vector<unsigned char>* message, void* user)
    {
        if (message == nullptr || message->empty() || user == nullptr)
            return;
        auto* self = static_cast<RtInputCore*>(user);
        try {
            // RtMidi joins System Exclusive pieces itself and may append a byte
            // that arrived between two pieces.
            self->DeliverMessage(std::span<const uint8_t>(message->data(), message->size()));
        } catch (...) {
            // Nothing may leave RtMidi's thread.
        }
    }

    std::atomic<bool> m_error{false};
    std::unique_ptr<RtMidiIn> m_rt;
};

class RtOutputCore final : public detail::OutputCore {
public:
    RtOutputCore(std::string name, MidiOutputCallback callback, const std::string& clientName)
        : OutputCore(std::move(name), std::move(callback)), m_rt(MakeRtOutput(clientName, &m_error))
    {
    }

    ~RtOutputCore() override { m_rt.reset(); }

    MidiStatus Open(const std::string& rtName)
    {
        if (!m_rt)
            return MidiStatus::Failed;
        try {
            const std::optional<unsigned> index = FindRtPort(*m_rt, rtName);
            if (!index)
                return MidiStatus::NoDevice;
            m_error = false;
            m_rt->openPort(*index, "Output");
            return m_rt->isPortOpen() && !m_error ? MidiStatus::Ok : MidiStatus::Failed;
        } catch (...) {
            return MidiStatus::Failed;
        }
    }

protected:
    MidiStatus Write(std::span<const uint8_t> bytes, bool) override
    {
        if (!m_rt)
            return MidiStatus::Failed;
        m_error = false;
        try {
            m_rt->sendMessage(bytes.data(), bytes.size());
        } catch (...) {
            return MidiStatus::Failed;
        }
        return m_error ? MidiStatus::Failed : MidiStatus::Ok;
    }

    void CloseDevice() override { m_rt.reset(); }

private:
    std::atomic<bool> m_error{false};
    std::unique_ptr<RtMidiOut> m_rt;
};

struct PortEntry {
    std::string rtName;
    std::string displayName;
};

class RtMidiBackend final : public MidiBackend {
public:
    explicit RtMidiBackend(std::string clientName) : m_clientName(std::move(clientName)) {}

    MidiBackendKind Kind() const override { return MidiBackendKind::RtMidiAlsa; }
    std::vector<std::string> InputNames() override { return Names(Ports(MidiDirection::Input)); }
    std::vector<std::string> OutputNames() override { return Names(Ports(MidiDirection::Output)); }

    MidiStatus OpenInput(size_t index, MidiInputCallback callback, std::unique_ptr<MidiInput>& out) override
    {
        out.reset();
        const std::vector<PortEntry> ports = Ports(MidiDirection::Input);
        if (index >= ports.size())
            return MidiStatus::NoDevice;
        auto core = std::make_shared<RtInputCore>(ports[index].displayName, std::move(callback), m_clientName);
        const MidiStatus status = core->Open(ports[index].rtName);
        if (status != MidiStatus::Ok)
            return status;
        out = std::make_unique<MidiInput>(std::move(core));
        return MidiStatus::Ok;
    }

    MidiStatus OpenOutput(size_t index, MidiOutputCallback callback, std::unique_ptr<MidiOutput>& out) override
    {
        out.reset();
        const std::vector<PortEntry> ports = Ports(MidiDirection::Output);
        if (index >= ports.size())
            return MidiStatus::NoDevice;
        auto core = std::make_shared<RtOutputCore>(ports[index].displayName, std::move(callback), m_clientName);
        const MidiStatus status = core->Open(ports[index].rtName);
        if (status != MidiStatus::Ok)
            return status;
        out = std::make_unique<MidiOutput>(std::move(core));
        return MidiStatus::Ok;
    }

private:
    static std::vector<std::string> Names(const std::vector<PortEntry>& ports)
    {
        std::vector<std::string> names;
        names.reserve(ports.size());
        for (const PortEntry& p : ports)
            names.push_back(p.displayName);
        return names;
    }

    std::vector<PortEntry> Ports(MidiDirection direction)
    {
        std::lock_guard lock(m_mutex);
        RtMidi* rt = nullptr;
        if (direction == MidiDirection::Input) {
            if (!m_inputLister && !m_listerFailed) {
                m_inputLister = MakeRtInput(m_clientName, nullptr);
                m_listerFailed = !m_inputLister && SequencerAvailable();
            }
            rt = m_inputLister.get();
        } else {
            if (!m_outputLister && !m_listerFailed) {
                m_outputLister = MakeRtOutput(m_clientName, nullptr);
                m_listerFailed = !m_outputLister && SequencerAvailable();
            }
            rt = m_outputLister.get();
        }
        if (rt == nullptr)
            return {};

        std::vector<std::string> rtNames;
        std::vector<AlsaPort> alsa;
        try {
            const unsigned count = rt->getPortCount();
            for (unsigned i = 0; i < count; ++i) {
                std::string name = rt->getPortName(i);
                AlsaPort port = ParseRtMidiAlsaName(name);
                if (name.empty() || port.clientName == m_clientName)
                    continue; // our own ports
                rtNames.push_back(std::move(name));
                alsa.push_back(std::move(port));
            }
        } catch (...) {
            return {};
        }
        const std::vector<std::string> display = MapAlsaPortNames(alsa, direction);
        std::vector<PortEntry> ports(rtNames.size());
        for (size_t i = 0; i < ports.size(); ++i) {
            ports[i].rtName = std::move(rtNames[i]);
            ports[i].displayName = display[i];
        }
        return ports;
    }

    const std::string m_clientName;
    std::mutex m_mutex; // guards the listers
    std::unique_ptr<RtMidiIn> m_inputLister;
    std::unique_ptr<RtMidiOut> m_outputLister;
    bool m_listerFailed = false; // a sequencer is there but refuses us: do not retry
};

} // namespace

std::shared_ptr<MidiBackend> CreateRtMidiBackend(std::string clientName)
{
    return std::make_shared<RtMidiBackend>(std::move(clientName));
}

} // namespace platform::midi
