#include "platform/midi/MidiBackend.h"

#include "MidiPortCore.h"
#include "platform/midi/RtMidiBackend.h"

#include <mutex>

namespace platform::midi {

const char* ToString(MidiStatus status)
{
    switch (status) {
    case MidiStatus::Ok: return "ok";
    case MidiStatus::InvalidArgument: return "invalid argument";
    case MidiStatus::NoDevice: return "no such device";
    case MidiStatus::Closed: return "device closed";
    case MidiStatus::Failed: return "failed";
    }
    return "unknown";
}

size_t ShortMessageLength(uint8_t status)
{
    if (status < 0x80)
        return 0;
    if (status < 0xC0 || (status >= 0xE0 && status < 0xF0))
        return 3;
    if (status < 0xE0)
        return 2;
    switch (status) {
    case 0xF0:
    case 0xF7: return 0;
    case 0xF2: return 3;
    case 0xF1:
    case 0xF3:
    case 0xF4:
    case 0xF5: return 2;
    default: return 1; // F6 and the real-time messages
    }
}

bool MidiNameMatches(std::string_view deviceName, std::string_view requested)
{
    return deviceName.find(requested) != std::string_view::npos;
}

std::optional<size_t> FindMidiDevice(const std::vector<std::string>& names, std::string_view requested)
{
    for (size_t i = 0; i < names.size(); ++i) {
        if (MidiNameMatches(names[i], requested))
            return i;
    }
    return std::nullopt;
}

// ---------------------------------------------------------------- handles

MidiInput::MidiInput(std::shared_ptr<detail::InputCore> core) : m_core(std::move(core))
{
    m_core->SetOwner(this);
}

MidiInput::~MidiInput()
{
    m_core->Close();
}

const std::string& MidiInput::Name() const
{
    return m_core->Name();
}
MidiStatus MidiInput::AddBuffer(MidiInputBuffer& buffer)
{
    return m_core->AddBuffer(buffer);
}
MidiStatus MidiInput::Start()
{
    return m_core->Start();
}
MidiStatus MidiInput::Stop()
{
    return m_core->Stop();
}
MidiStatus MidiInput::Reset()
{
    return m_core->Reset();
}
void MidiInput::Close()
{
    m_core->Close();
}

MidiOutput::MidiOutput(std::shared_ptr<detail::OutputCore> core) : m_core(std::move(core))
{
    m_core->SetOwner(this);
}

MidiOutput::~MidiOutput()
{
    m_core->Close();
}

const std::string& MidiOutput::Name() const
{
    return m_core->Name();
}
MidiStatus MidiOutput::SendShort(uint32_t message)
{
    return m_core->SendShort(message);
}
MidiStatus MidiOutput::SendLong(const uint8_t* data, size_t size)
{
    return m_core->SendLong(data, size);
}
void MidiOutput::Close()
{
    m_core->Close();
}

// ---------------------------------------------------------------- backend

MidiStatus MidiBackend::OpenInputByName(std::string_view name, MidiInputCallback callback,
                                        std::unique_ptr<MidiInput>& out)
{
    out.reset();
    const std::optional<size_t> index = FindMidiDevice(InputNames(), name);
    if (!index)
        return MidiStatus::NoDevice;
    return OpenInput(*index, std::move(callback), out);
}

MidiStatus MidiBackend::OpenOutputByName(std::string_view name, MidiOutputCallback callback,
                                         std::unique_ptr<MidiOutput>& out)
{
    out.reset();
    const std::optional<size_t> index = FindMidiDevice(OutputNames(), name);
    if (!index)
        return MidiStatus::NoDevice;
    return OpenOutput(*index, std::move(callback), out);
}

namespace {

struct Selection {
    std::mutex mutex;
    std::shared_ptr<MidiBackend> installed;
    std::shared_ptr<MidiBackend> fallback; // the real backend, made on first use
};

Selection& TheSelection()
{
    static Selection selection;
    return selection;
}

} // namespace

std::shared_ptr<MidiBackend> CurrentMidiBackend()
{
    Selection& s = TheSelection();
    std::lock_guard lock(s.mutex);
    if (s.installed)
        return s.installed;
    if (!s.fallback)
        s.fallback = CreateRtMidiBackend();
    return s.fallback;
}

std::shared_ptr<MidiBackend> InstallMidiBackend(std::shared_ptr<MidiBackend> backend)
{
    Selection& s = TheSelection();
    std::lock_guard lock(s.mutex);
    std::shared_ptr<MidiBackend> previous = s.installed ? std::move(s.installed) : s.fallback;
    s.installed = std::move(backend);
    return previous;
}

} // namespace platform::midi
