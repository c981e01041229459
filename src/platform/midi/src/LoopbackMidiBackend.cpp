#include "platform/midi/LoopbackMidiBackend.h"

#include "MidiPortCore.h"

#include <algorithm>

namespace platform::midi {

namespace detail {

class LoopbackInputCore final : public InputCore {
public:
    LoopbackInputCore(const std::shared_ptr<LoopbackInputDevice>& device, MidiInputCallback callback)
        : InputCore(device->Name(), std::move(callback)), m_device(device)
    {
    }

protected:
    void CloseDevice(bool) override
    {
        if (std::shared_ptr<LoopbackInputDevice> device = m_device.lock())
            device->Detach(this);
    }

private:
    std::weak_ptr<LoopbackInputDevice> m_device;
};

class LoopbackOutputCore final : public OutputCore {
public:
    LoopbackOutputCore(std::shared_ptr<LoopbackOutputDevice> device, MidiOutputCallback callback)
        : OutputCore(device->Name(), std::move(callback)), m_device(std::move(device))
    {
        ++m_device->m_openCount;
    }

protected:
    MidiStatus Write(std::span<const uint8_t> bytes, bool) override
    {
        m_device->Receive(bytes);
        return MidiStatus::Ok;
    }

    bool ReportsDone() const override { return m_device->ReportsDone(); }

    void CloseDevice() override { --m_device->m_openCount; }

private:
    std::shared_ptr<LoopbackOutputDevice> m_device;
};

} // namespace detail

// ---------------------------------------------------------------- input device

LoopbackInputDevice::LoopbackInputDevice(std::string name) : m_name(std::move(name)) {}

LoopbackInputDevice::~LoopbackInputDevice() = default;

size_t LoopbackInputDevice::OpenCount() const
{
    std::lock_guard lock(m_mutex);
    return m_inputs.size();
}

std::vector<std::shared_ptr<detail::LoopbackInputCore>> LoopbackInputDevice::Snapshot() const
{
    std::lock_guard lock(m_mutex);
    return m_inputs;
}

void LoopbackInputDevice::Attach(const std::shared_ptr<detail::LoopbackInputCore>& core)
{
    std::lock_guard lock(m_mutex);
    m_inputs.push_back(core);
}

void LoopbackInputDevice::Detach(const detail::LoopbackInputCore* core)
{
    std::shared_ptr<detail::LoopbackInputCore> removed; // released outside the lock
    std::lock_guard lock(m_mutex);
    const auto it = std::find_if(m_inputs.begin(), m_inputs.end(), [core](const auto& p) { return p.get() == core; });
    if (it != m_inputs.end()) {
        removed = std::move(*it);
        m_inputs.erase(it);
    }
}

size_t LoopbackInputDevice::InjectShort(uint32_t message)
{
    std::lock_guard wire(m_wire);
    size_t taken = 0;
    for (const auto& input : Snapshot())
        taken += input->DeliverShort(message) ? 1 : 0;
    return taken;
}

size_t LoopbackInputDevice::InjectLong(std::span<const uint8_t> bytes)
{
    std::lock_guard wire(m_wire);
    size_t taken = 0;
    for (const auto& input : Snapshot())
        taken += input->DeliverLong(bytes) ? 1 : 0;
    return taken;
}

size_t LoopbackInputDevice::InjectRaw(std::span<const uint8_t> bytes)
{
    std::lock_guard wire(m_wire);
    size_t taken = 0;
    for (const auto& input : Snapshot())
        taken += input->DeliverMessage(bytes) ? 1 : 0;
    return taken;
}

size_t LoopbackInputDevice::InjectSysEx(std::span<const uint8_t> bytes, size_t chunkSize)
{
    std::lock_guard wire(m_wire);
    if (chunkSize == 0 || chunkSize >= bytes.size())
        return InjectLong(bytes);
    size_t taken = 0;
    for (size_t pos = 0; pos < bytes.size(); pos += chunkSize)
        taken = std::max(taken, InjectLong(bytes.subspan(pos, std::min(chunkSize, bytes.size() - pos))));
    return taken;
}

// ---------------------------------------------------------------- output device

LoopbackOutputDevice::LoopbackOutputDevice(std::string name, Sink sink) : m_name(std::move(name))
{
    SetSink(std::move(sink));
}

void LoopbackOutputDevice::SetSink(Sink sink)
{
    auto next = sink ? std::make_shared<const Sink>(std::move(sink)) : nullptr;
    std::lock_guard lock(m_mutex);
    m_sink.swap(next);
}

void LoopbackOutputDevice::Receive(std::span<const uint8_t> bytes)
{
    std::shared_ptr<const Sink> sink;
    {
        std::lock_guard lock(m_mutex);
        sink = m_sink;
    }
    if (sink)
        (*sink)(bytes);
}

// ---------------------------------------------------------------- backend

std::shared_ptr<LoopbackInputDevice> LoopbackMidiBackend::AddInput(std::string name)
{
    auto device = std::make_shared<LoopbackInputDevice>(std::move(name));
    std::lock_guard lock(m_mutex);
    m_inputs.push_back(device);
    return device;
}

std::shared_ptr<LoopbackOutputDevice> LoopbackMidiBackend::AddOutput(std::string name, LoopbackOutputDevice::Sink sink)
{
    auto device = std::make_shared<LoopbackOutputDevice>(std::move(name), std::move(sink));
    std::lock_guard lock(m_mutex);
    m_outputs.push_back(device);
    return device;
}

std::vector<std::string> LoopbackMidiBackend::InputNames()
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> names;
    for (const auto& device : m_inputs)
        names.push_back(device->Name());
    return names;
}

std::vector<std::string> LoopbackMidiBackend::OutputNames()
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> names;
    for (const auto& device : m_outputs)
        names.push_back(device->Name());
    return names;
}

MidiStatus LoopbackMidiBackend::OpenInput(size_t index, MidiInputCallback callback, std::unique_ptr<MidiInput>& out)
{
    out.reset();
    std::shared_ptr<LoopbackInputDevice> device;
    {
        std::lock_guard lock(m_mutex);
        if (index >= m_inputs.size())
            return MidiStatus::NoDevice;
        device = m_inputs[index];
    }
    auto core = std::make_shared<detail::LoopbackInputCore>(device, std::move(callback));
    out = std::make_unique<MidiInput>(core);
    device->Attach(core);
    return MidiStatus::Ok;
}

MidiStatus LoopbackMidiBackend::OpenOutput(size_t index, MidiOutputCallback callback, std::unique_ptr<MidiOutput>& out)
{
    out.reset();
    std::shared_ptr<LoopbackOutputDevice> device;
    {
        std::lock_guard lock(m_mutex);
        if (index >= m_outputs.size())
            return MidiStatus::NoDevice;
        device = m_outputs[index];
    }
    out = std::make_unique<MidiOutput>(std::make_shared<detail::LoopbackOutputCore>(device, std::move(callback)));
    return MidiStatus::Ok;
}

} // namespace platform::midi
