#include "kx/MidiComm.h"

#include "kx/Notification.h"
#include "kx/NotificationId.h"
#include "kx/Thread.h"

#include "platform/midi/MidiBackend.h"

#include <cstring>
#include <string>
#include <vector>

namespace KX {

namespace {

// A device or port matches when its name contains the requested text (case-sensitive).
bool NameMatches(const StringT<char16_t, char>& deviceName, const StringT<char16_t, char>& requested)
{
    return deviceName.Find(requested) >= 0;
}

// Index of the first device whose name matches, -1 when none; name receives its full name.
int32_t FindDevice(const std::vector<std::string>& names, const StringT<char16_t, char>& requested,
                   StringT<char16_t, char>& name)
{
    for (size_t i = 0; i < names.size(); ++i) {
        StringT<char16_t, char> candidate(names[i].c_str());
        if (NameMatches(candidate, requested)) {
            name = candidate;
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

// Bytes of a short message sent with this status byte.
int32_t ShortLength(uint8_t status)
{
    if ((status >= 0x80 && status <= 0xBF) || (status >= 0xE0 && status <= 0xEF))
        return 3;
    if (status >= 0xC0 && status <= 0xDF)
        return 2;
    switch (status) {
    case 0xF1:
    case 0xF3:
    case 0xF4:
    case 0xF5: return 2;
    case 0xF2: return 3;
    default: return 1;
    }
}

} // namespace

RCPtr<LMidiCommInterface> LMidiCommInterface::Create()
{
    return RCPtr<LMidiCommInterface>(new LMidiComm());
}

int32_t LMidiCommInterface::Send(const RCPtr<LRefCountedObject>& port, std::span<const uint8_t> bytes)
{
    Array<signed char> copy;
    copy.SetSize(static_cast<uint32_t>(bytes.size()));
    if (!bytes.empty())
        std::memcpy(copy.GetData(), bytes.data(), bytes.size());
    return Send(port, copy);
}

LMidiComm::LMidiComm() : m_threadPool(LThreadPool::Create(1, THREAD_PRIORITY_HIGHEST)) {}

LMidiComm::~LMidiComm()
{
    // Every open port holds this object, so both lists are empty here. The pool may be running
    // this very destructor on its worker; its stop does not wait for the calling thread.
    RCPtr<LThreadPool> pool = std::move(m_threadPool);
    if (pool)
        pool->Stop();
}

uint32_t LMidiComm::GetCapturePortCount()
{
    MutexLock lock(m_lock);
    return m_capturePorts.GetCount();
}

uint32_t LMidiComm::GetRenderPortCount()
{
    MutexLock lock(m_lock);
    return m_renderPorts.GetCount();
}

KXRESULT LMidiComm::OpenRenderPort(const StringT<char16_t, char>& name, RCPtr<LRefCountedObject>& port)
{
    // Declared before the lock: whatever has to be closed is closed after it is left.
    std::unique_ptr<platform::midi::MidiOutput> output;
    RCPtr<LMidiRenderPort> result;
    {
        MutexLock lock(m_lock);
        for (uint32_t i = m_renderPorts.GetCount(); i > 0 && !result; --i) {
            if (NameMatches(m_renderPorts.GetData()[i - 1]->GetName(), name))
                result = m_renderPorts.GetData()[i - 1];
        }
        if (!result) {
            const std::shared_ptr<platform::midi::MidiBackend> backend = platform::midi::CurrentMidiBackend();
            StringT<char16_t, char> deviceName;
            const int32_t index = backend ? FindDevice(backend->OutputNames(), name, deviceName) : -1;
            if (index >= 0) {
                LMidiComm* self = this;
                const platform::midi::MidiStatus status = backend->OpenOutput(
                    static_cast<size_t>(index),
                    [self](platform::midi::MidiOutput& o, const platform::midi::MidiOutputEvent& e) {
                        self->OnOutput(o, e);
                    },
                    output);
                if (status == platform::midi::MidiStatus::Ok && output && !deviceName.IsEmpty()) {
                    RCPtr<LMidiRenderPort> created(
                        new LMidiRenderPort(deviceName, std::move(output), RCPtr<LMidiComm>(this)));
                    m_renderPorts.AddItem(created);
                    created->AddToRefCount(1);
                    result = std::move(created);
                }
            }
        }
    }
    port = result;
    return result ? S_OK : E_FAIL;
}

KXRESULT LMidiComm::OpenCapturePort(const StringT<char16_t, char>& name, RCPtr<LRefCountedObject>& port)
{
    // Declared before the lock: whatever has to be closed is closed after it is left.
    std::unique_ptr<platform::midi::MidiInput> input;
    RCPtr<LMidiCapturePort> failed;
    RCPtr<LMidiCapturePort> result;
    {
        MutexLock lock(m_lock);
        for (uint32_t i = m_capturePorts.GetCount(); i > 0 && !result; --i) {
            if (NameMatches(m_capturePorts.GetData()[i - 1]->GetName(), name))
                result = m_capturePorts.GetData()[i - 1];
        }
        if (!result) {
            const std::shared_ptr<platform::midi::MidiBackend> backend = platform::midi::CurrentMidiBackend();
            StringT<char16_t, char> deviceName;
            const int32_t index = backend ? FindDevice(backend->InputNames(), name, deviceName) : -1;
            if (index >= 0) {
                LMidiComm* self = this;
                const platform::midi::MidiStatus status = backend->OpenInput(
                    static_cast<size_t>(index),
                    [self](platform::midi::MidiInput& in, const platform::midi::MidiInputEvent& e) {
                        self->OnInput(in, e);
                    },
                    input);
                if (status == platform::midi::MidiStatus::Ok && input && !deviceName.IsEmpty()) {
                    RCPtr<LMidiCapturePort> created(
                        new LMidiCapturePort(deviceName, std::move(input), RCPtr<LMidiComm>(this)));
                    created->AddBuffers();
                    m_capturePorts.AddItem(created);
                    created->AddToRefCount(1);
                    if (created->m_input->Start() == platform::midi::MidiStatus::Ok) {
                        result = std::move(created);
                    } else {
                        // Out of the list again; the device is closed once the lock is left.
                        RCPtr<LMidiCapturePort> removed;
                        created->AddToRefCount(-1);
                        m_capturePorts.RemoveItem(m_capturePorts.GetCount() - 1, removed);
                        failed = std::move(created);
                    }
                }
            }
        }
    }
    port = result;
    return result ? S_OK : E_FAIL;
}

int32_t LMidiComm::Send(const RCPtr<LRefCountedObject>& port, const IArray<signed char>& bytes)
{
    // This reference keeps the port open until the send has ended.
    const RCPtr<LMidiRenderPort> render = RCPtr<LMidiRenderPort>::DynamicCast(port);
    const uint32_t count = bytes.GetCount();
    if (!render || count == 0 || !render->m_output)
        return E_INVALIDARG;
    const uint8_t* data = reinterpret_cast<const uint8_t*>(bytes.GetData());
    if (data == nullptr)
        return E_INVALIDARG;

    // Long messages on one port go one at a time; a previous one gets up to the time-out.
    render->m_done.Wait(kLongMessageTimeoutMs);

    const uint8_t first = data[0];
    if (first == 0xF0 || first == 0xF7 || first < 0x80) {
        render->m_done.Reset();
        bool ok = render->m_output->SendLong(data, count) == platform::midi::MidiStatus::Ok;
        if (ok)
            ok = render->m_done.Wait(kLongMessageTimeoutMs) == WAIT_OBJECT_0;
        render->m_done.Set();
        return ok ? static_cast<int32_t>(count) : E_FAIL;
    }

    uint32_t message = 0;
    for (uint32_t i = 0; i < count && i < 4; ++i)
        message |= static_cast<uint32_t>(data[i]) << (8 * i);
    if (render->m_output->SendShort(message) != platform::midi::MidiStatus::Ok)
        return E_FAIL;
    return ShortLength(first);
}

StringT<char16_t, char> LMidiComm::ToString() const
{
    static const StringT<char16_t, char>* const name = new StringT<char16_t, char>(u"KX::LMidiComm");
    return *name;
}

KXRESULT LMidiComm::Work(const RCPtr<LRefCountedObject>& params)
{
    try {
        RCPtr<LNotification> n;
        LNotification::Create(n, NID_MIDI_DATA_CAPTURED, params);
        if (!n)
            return E_FAIL;
        MutexLock lock(GetSubscriptionLock());
        return SendNotification(n);
    } catch (...) {
        // A subscriber's failure ends this delivery, not the pool's worker.
        return E_FAIL;
    }
}

void LMidiComm::OnInput(platform::midi::MidiInput& input, const platform::midi::MidiInputEvent& event)
{
    MutexLock lock(m_lock);
    LMidiCapturePort* port = nullptr;
    for (uint32_t i = m_capturePorts.GetCount(); i > 0; --i) {
        LMidiCapturePort* candidate = m_capturePorts.GetData()[i - 1].Get();
        if (candidate->m_input.get() == &input) {
            port = candidate;
            break;
        }
    }
    if (port == nullptr)
        return;
    switch (event.kind) {
    case platform::midi::MidiInputEventKind::Data: try { port->CaptureShort(event.message, event.timestampMs);
        } catch (...) {
            // Out of memory: the message is lost, the device goes on.
        }
        break;
    case platform::midi::MidiInputEventKind::LongData:
        if (event.buffer == nullptr)
            break;
        try {
            const uint32_t recorded =
                event.buffer->recorded < event.buffer->length ? event.buffer->recorded : event.buffer->length;
            port->CaptureLong(event.buffer->data, recorded);
        } catch (...) {
            port->DropPending();
        }
        port->ReAddBuffer(event.buffer);
        break;
    case platform::midi::MidiInputEventKind::LongError:
        if (event.buffer == nullptr)
            break;
        port->DropPending();
        port->ReAddBuffer(event.buffer);
        break;
    }
}

void LMidiComm::OnOutput(platform::midi::MidiOutput& output, const platform::midi::MidiOutputEvent& /*event*/)
{
    MutexLock lock(m_lock);
    for (uint32_t i = m_renderPorts.GetCount(); i > 0; --i) {
        LMidiRenderPort* candidate = m_renderPorts.GetData()[i - 1].Get();
        if (candidate->m_output.get() == &output) {
            candidate->m_done.Set();
            return;
        }
    }
}

void LMidiComm::Deliver(const RCPtr<LMidiCaptureNotificationData>& data)
{
    // Called under the lock, from a callback: the pool takes its own lock inside.
    if (m_threadPool)
        m_threadPool->QueueWork(RCPtr<LThreadWorker>(this), RCPtr<LRefCountedObject>(data.Get()), 0);
}

KXRESULT LMidiComm::RemoveCapturePort(LMidiCapturePort* port)
{
    // Never the port's last reference: the release in progress holds one.
    RCPtr<LMidiCapturePort> removed;
    {
        MutexLock lock(m_lock);
        // An open that found the port meanwhile keeps it listed.
        if (port->GetRefCount() != port->GetInternalRefCount() + 1)
            return E_FAIL;
        for (uint32_t i = m_capturePorts.GetCount(); i > 0; --i) {
            if (m_capturePorts.GetData()[i - 1].Get() == port) {
                port->AddToRefCount(-1);
                m_capturePorts.RemoveItem(i - 1, removed);
                break;
            }
        }
    }
    return removed ? S_OK : E_FAIL;
}

KXRESULT LMidiComm::RemoveRenderPort(LMidiRenderPort* port)
{
    RCPtr<LMidiRenderPort> removed;
    {
        MutexLock lock(m_lock);
        if (port->GetRefCount() != port->GetInternalRefCount() + 1)
            return E_FAIL;
        for (uint32_t i = m_renderPorts.GetCount(); i > 0; --i) {
            if (m_renderPorts.GetData()[i - 1].Get() == port) {
                port->AddToRefCount(-1);
                m_renderPorts.RemoveItem(i - 1, removed);
                break;
            }
        }
    }
    return removed ? S_OK : E_FAIL;
}

} // namespace KX
