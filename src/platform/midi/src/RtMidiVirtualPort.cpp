// Virtual ALSA sequencer ports of this program, through RtMidi.
#include "platform/midi/RtMidiBackend.h"

#include <RtMidi.h>

#include <atomic>
#include <mutex>
#include <unistd.h>

namespace platform::midi {

namespace {

bool SequencerUsable()
{
    return ::access("/dev/snd/seq", R_OK | W_OK) == 0;
}

void MarkError(RtMidiError::Type type, const std::string&, void* user)
{
    if (type != RtMidiError::DEBUG_WARNING && type != RtMidiError::WARNING)
        static_cast<std::atomic<bool>*>(user)->store(true);
}

class VirtualSource final : public RtMidiVirtualPort {
public:
    bool Open(const std::string& clientName, const std::string& portName)
    {
        try {
            m_rt = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, clientName);
            m_rt->setErrorCallback(&MarkError, &m_failed);
            m_rt->openVirtualPort(portName);
        } catch (...) {
            return false;
        }
        return !m_failed.load();
    }

    bool Send(const std::vector<uint8_t>& message) override
    {
        if (message.empty())
            return false;
        m_failed.store(false);
        try {
            m_rt->sendMessage(message.data(), message.size());
        } catch (...) {
            return false;
        }
        return !m_failed.load();
    }

    std::vector<std::vector<uint8_t>> TakeReceived() override { return {}; }

private:
    std::atomic<bool> m_failed{false};
    std::unique_ptr<RtMidiOut> m_rt;
};

class VirtualSink final : public RtMidiVirtualPort {
public:
    ~VirtualSink() override
    {
        // Ends RtMidi's input thread before the callback's state goes.
        m_rt.reset();
    }

    bool Open(const std::string& clientName, const std::string& portName)
    {
        try {
            m_rt = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, clientName);
            m_rt->setErrorCallback(&MarkError, &m_failed);
            m_rt->ignoreTypes(false, true, true);
            m_rt->setCallback(&VirtualSink::Received, this);
            m_rt->openVirtualPort(portName);
        } catch (...) {
            return false;
        }
        return !m_failed.load();
    }

    bool Send(const std::vector<uint8_t>&) override { return false; }

    std::vector<std::vector<uint8_t>> TakeReceived() override
    {
        std::lock_guard lock(m_mutex);
        std::vector<std::vector<uint8_t>> taken;
        taken.swap(m_received);
        return taken;
    }

private:
    static void Received(double, std::vector<unsigned char>* message, void* self)
    {
        if (!message || !self)
            return;
        auto* sink = static_cast<VirtualSink*>(self);
        std::lock_guard lock(sink->m_mutex);
        sink->m_received.emplace_back(message->begin(), message->end());
    }

    std::atomic<bool> m_failed{false};
    std::mutex m_mutex;
    std::vector<std::vector<uint8_t>> m_received;
    std::unique_ptr<RtMidiIn> m_rt;
};

} // namespace

std::unique_ptr<RtMidiVirtualPort> CreateRtMidiVirtualSource(const std::string& clientName, const std::string& portName)
{
    if (!SequencerUsable())
        return nullptr;
    auto port = std::make_unique<VirtualSource>();
    if (!port->Open(clientName, portName))
        return nullptr;
    return port;
}

std::unique_ptr<RtMidiVirtualPort> CreateRtMidiVirtualSink(const std::string& clientName, const std::string& portName)
{
    if (!SequencerUsable())
        return nullptr;
    auto port = std::make_unique<VirtualSink>();
    if (!port->Open(clientName, portName))
        return nullptr;
    return port;
}

} // namespace platform::midi
