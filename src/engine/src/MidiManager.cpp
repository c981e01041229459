#include "engine/MidiManager.h"

#include "engine/ParamRecords.h"

#include "kx/Exception.h"
#include "kx/MidiCaptureNotificationData.h"
#include "kx/MidiComm.h"
#include "kx/Notification.h"
#include "kx/NotificationId.h"
#include "kx/Thread.h"
#include "kx/ThreadPool.h"
#include "kx/ThreadWorker.h"

#include <algorithm>
#include <span>
#include <string>

namespace KX {

namespace {

constexpr const char* kSourcePath = "Engine\\PresetEditorCommon\\MidiManager";
// Messages longer than this are handed to the port in pieces.
constexpr size_t kHandOverBytes = 256;

// How long a port object's worker may take to deliver what it has queued.
constexpr uint32_t kDeliveryWaitMs = 10000;

std::string MethodName(const char* operation)
{
    return std::string("KX::LMidiManager::") + operation;
}

// Queued behind every captured message; tells when the worker has reached it.
class DeliveryMark : public LThreadWorker {
public:
    KXRESULT Work(const RCPtr<LRefCountedObject>&) override
    {
        m_reached.Set();
        return S_OK;
    }
    bool Wait(uint32_t ms) { return m_reached.Wait(ms) == WAIT_OBJECT_0; }

private:
    TrafficLight m_reached;
};

} // namespace

// ---------------------------------------------------------------- construction

LMidiManager::LMidiManager(const Timings& timings) : m_timings(timings)
{
    m_handler = RCPtr<LNotificationHandler<LMidiManager>>(new LNotificationHandler<LMidiManager>(this));
}

LMidiManager::~LMidiManager()
{
    // Normally done by ReleaseInternalReferences; left over when nothing was registered.
    RetirePorts();
    m_handler = nullptr;
}

RCPtr<LMidiManager> LMidiManager::Create()
{
    return Create(Timings());
}

RCPtr<LMidiManager> LMidiManager::Create(const Timings& timings)
{
    RCPtr<LMidiManager> manager(new LMidiManager(timings));
    if (manager->m_handler) {
        manager->m_ports.portObject = manager->CreatePortObject();
        manager->m_currentPort.store(manager->m_ports.portObject.Get());
    }
    return manager;
}

void LMidiManager::BuildNonPresetParameterNames(StringArrayT<char16_t, char>& names)
{
    names.RemoveAll();
    for (const char16_t* name : SysEx::kGlobalParamNames)
        names.AddItem(StringT<char16_t, char>(name));
}

RCPtr<LMidiCommInterface> LMidiManager::CreatePortObject()
{
    return LMidiCommInterface::Create();
}

RCPtr<LMidiCommInterface> LMidiManager::GetPortObject()
{
    return m_ports.portObject;
}

LMidiManager::Ports LMidiManager::CurrentPorts()
{
    return m_ports;
}

// ---------------------------------------------------------------- notification client

KXRESULT LMidiManager::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!n)
        return S_OK;
    // Captured data comes on the port object's worker: it is dispatched by the binding's
    // mirror, so the worker never reads the handler map that the main thread changes.
    if (n->GetID() == GetNotificationID(NID_MIDI_DATA_CAPTURED)) {
        const LNotificationDistributor* bound = m_boundPort.load();
        if (bound == nullptr || bound != from.Get())
            return S_OK;
        return OnMidiDataCaptured(from, n);
    }
    return m_handler ? m_handler->Receive(from, n) : S_OK;
}

KXRESULT LMidiManager::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (d && GetNotificationID(name) == GetNotificationID(NID_MIDI_DATA_CAPTURED)) {
        const LNotificationDistributor* expected = d.Get();
        m_boundPort.compare_exchange_strong(expected, nullptr);
    }
    if (m_handler)
        m_handler->RemoveDistributorHandler(d, name);
    return LNotificationClient::UnregisterForNotification(d, name);
}

KXRESULT LMidiManager::ReleaseInternalReferences()
{
    // The port object is left the quiet way before the client leaves every distributor.
    RetirePorts();
    return LNotificationClient::ReleaseInternalReferences();
}

KXRESULT LMidiManager::Bind(const RCPtr<LMidiCommInterface>& portObject)
{
    if (!m_handler)
        return E_FAIL;
    const RCPtr<LNotificationDistributor> d(portObject.Get());
    const KXRESULT r =
        m_handler->AddDistributorHandler(&LMidiManager::OnMidiDataCaptured, d, NID_MIDI_DATA_CAPTURED, 0);
    if (Succeeded(r))
        m_boundPort.store(portObject.Get());
    return r;
}

KXRESULT LMidiManager::Unbind(const RCPtr<LMidiCommInterface>& portObject)
{
    const RCPtr<LNotificationDistributor> d(portObject.Get());
    const LNotificationDistributor* expected = d.Get();
    m_boundPort.compare_exchange_strong(expected, nullptr);
    const bool found = m_handler && m_handler->RemoveDistributorHandler(d, NID_MIDI_DATA_CAPTURED);
    return found ? S_OK : E_FAIL;
}

void LMidiManager::WaitForDeliveries(const RCPtr<LMidiCommInterface>& portObject)
{
    LMidiComm* comm = dynamic_cast<LMidiComm*>(portObject.Get());
    if (comm == nullptr || !comm->GetThreadPool())
        return;
    const RCPtr<LThreadPool>& pool = comm->GetThreadPool();
    if (pool->GetWorkerCount() < 1 || pool->GetWorker(0).IsCurrentThread())
        return;
    RCPtr<DeliveryMark> mark(new DeliveryMark);
    // With one worker, work never overtakes work queued before it.
    pool->QueueWork(RCPtr<LThreadWorker>(mark.Get()), RCPtr<LRefCountedObject>(), 0);
    mark->Wait(kDeliveryWaitMs);
}

void LMidiManager::RetirePorts()
{
    Ports old = std::move(m_ports);
    m_ports = Ports();
    m_currentPort.store(nullptr);
    if (!old.portObject) {
        old.render = nullptr;
        old.capture = nullptr;
        return;
    }
    const RCPtr<LNotificationDistributor> d(old.portObject.Get());
    Unbind(old.portObject);
    // Closing the capture port ends the captures; what was captured before is delivered
    // before the registration goes, so no send is walking it then.
    old.render = nullptr;
    old.capture = nullptr;
    WaitForDeliveries(old.portObject);
    LNotificationClient::UnregisterForNotification(d, NID_MIDI_DATA_CAPTURED);
    old.portObject = nullptr;
}

// ---------------------------------------------------------------- ports

bool LMidiManager::OpenPorts()
{
    return SubscribeToCapturedData(kCapturePortName, kRenderPortName);
}

bool LMidiManager::SubscribeToCapturedData(const StringT<char16_t, char>& captureName,
                                           const StringT<char16_t, char>& renderName)
{
    RetirePorts();

    RCPtr<LMidiCommInterface> portObject = CreatePortObject();
    if (!portObject)
        return false;
    m_ports.portObject = portObject;
    m_currentPort.store(portObject.Get());
    // Bound before any port is open, so nothing captured is missed.
    Bind(portObject);

    // The references are kept: a port closes when its last outside reference goes.
    portObject->OpenCapturePort(captureName, m_ports.capture);
    portObject->OpenRenderPort(renderName, m_ports.render);
    return m_ports.capture && m_ports.render;
}

// ---------------------------------------------------------------- sending

int32_t LMidiManager::SendSysEx(const SysEx::Bytes& message, const Ports& ports, bool withLeadIn)
{
    if (withLeadIn) {
        SysEx::Bytes leadIn;
        SysEx::BuildLeadIn(leadIn);
        if (SendSysEx(leadIn, ports, false) < 0)
            return kPortFailure;
    }
    if (!ports.render || !ports.portObject)
        return kPortFailure;
    SysEx::Bytes framed = message;
    if (!SysEx::FrameMessage(framed))
        return E_FAIL;
    int32_t result = kPortFailure;
    for (size_t pos = 0; pos < framed.size(); pos += kHandOverBytes) {
        const size_t n = std::min(kHandOverBytes, framed.size() - pos);
        result = ports.portObject->Send(ports.render, std::span<const uint8_t>(framed.data() + pos, n));
        if (result < 0)
            return kPortFailure;
        if (m_timings.pauseMs > 0)
            Sleep(m_timings.pauseMs);
    }
    return result;
}

int32_t LMidiManager::SendShortSysEx(const RCPtr<LRefCountedObject>& renderPort)
{
    if (!renderPort)
        return E_FAIL;
    SysEx::Bytes request;
    SysEx::BuildIdentityRequest(request);
    Ports ports = CurrentPorts();
    ports.render = renderPort;
    return SendSysEx(request, ports, true);
}

// ---------------------------------------------------------------- the wait loop

int32_t LMidiManager::WaitLoop(Event& event, const SysEx::Bytes& message, bool identity, const Ports& ports,
                               SendFailure onFailure, int32_t timeoutResult, const char* method, int bindLine,
                               int unbindLine)
{
    const KXRESULT bound = Bind(ports.portObject);
    if (Failed(bound))
        ThrowFailedResult(bound, MethodName(method), kSourcePath, bindLine);
    event.Reset();
    // A dump is taken only from here until the loop ends.
    const bool getsDump = &event == &m_dumpEvent;
    if (getsDump)
        m_dumpAwaited.store(true);

    int32_t result = timeoutResult;
    for (int32_t attempt = 0; attempt < m_timings.attempts; ++attempt) {
        const int32_t sent = identity ? SendShortSysEx(ports.render) : SendSysEx(message, ports, true);
        if (sent < 0) {
            result = kPortFailure;
            if (onFailure == SendFailure::EndsLoop)
                break;
            continue;
        }
        if (!event.IsSet())
            event.Wait(m_timings.replyWaitMs);
        if (event.IsSet()) {
            result = 0;
            break;
        }
        result = timeoutResult;
    }

    // Replies that come from now on are late: only what came while waiting is announced.
    if (getsDump)
        m_dumpAwaited.store(false);
    std::vector<SysEx::GlobalReplyData> received = EndParameterWait(result == 0);
    const KXRESULT unbound = Unbind(ports.portObject);
    Announce(received);
    if (Failed(unbound))
        ThrowFailedResult(unbound, MethodName(method), kSourcePath, unbindLine);
    return result;
}

// ---------------------------------------------------------------- operations

bool LMidiManager::IsDeviceFirmwareVersionUseable()
{
    if (!SubscribeToCapturedData(kCapturePortName, kRenderPortName))
        return false;
    const Ports ports = CurrentPorts();
    const int32_t result = WaitLoop(m_identityEvent, SysEx::Bytes(), true, ports, SendFailure::NextAttempt,
                                    kFirmwareFailure, "IsDeviceFirmwareVersionUseable", 487, 518);
    return result == 0;
}

int32_t LMidiManager::GetPresetFromMidiDevice(int32_t slot)
{
    SysEx::Bytes request;
    if (!SysEx::BuildPresetRequest(slot, request))
        return kPortFailure;
    if (!SubscribeToCapturedData(kCapturePortName, kRenderPortName))
        return kPortFailure;
    if (!IsDeviceFirmwareVersionUseable())
        return kFirmwareFailure;
    const Ports ports = CurrentPorts();
    return WaitLoop(m_dumpEvent, request, false, ports, SendFailure::EndsLoop, kNoReply, "GetPresetFromMidiDevice", 265,
                    301);
}

int32_t LMidiManager::SendPresetToMidiDevice(int32_t slot)
{
    if (!SubscribeToCapturedData(kCapturePortName, kRenderPortName))
        return kPortFailure;
    if (!IsDeviceFirmwareVersionUseable())
        return kFirmwareFailure;
    const Ports ports = CurrentPorts();
    if (!ports.render)
        return kPortFailure;

    const RCPtr<IParamValueStore> store = GetParamValueStore();
    if (!store)
        return kPortFailure;
    Array<ParamValue> values;
    store->GetParamValues(store->GetFirstParamID(), SysEx::kPresetParamCount, values, -1);
    uint8_t records[SysEx::kPresetDataLength];
    SysEx::Bytes message;
    // Values that do not fit their records, or bytes that would break the message, send nothing.
    if (!SysEx::CollectPresetRecords(values, records, sizeof(records)) ||
        !SysEx::BuildPresetMessage(slot, records, sizeof(records), message))
        return kPortFailure;
    return SendSysEx(message, ports, true);
}

int32_t LMidiManager::RequestNonPresetParameterFromDevice(const StringT<char16_t, char>& name, bool skipFirmwareCheck)
{
    if (!SubscribeToCapturedData(kCapturePortName, kRenderPortName))
        return E_FAIL;
    if (!skipFirmwareCheck && !IsDeviceFirmwareVersionUseable())
        return kFirmwareFailure;
    const Ports ports = CurrentPorts();
    if (m_timings.attempts <= 0)
        return ports.capture ? S_OK : E_FAIL;

    m_parameterEvent.Reset();
    SysEx::Bytes request;
    // A name outside the table sends the request without a code byte; no reply answers it.
    const int32_t code = SysEx::FindGlobalParam(name);
    SysEx::BuildGlobalRequest(code, request);
    BeginParameterWait(code);
    // Closes the wait also when the loop throws.
    struct EndWait {
        LMidiManager& manager;
        ~EndWait() { manager.EndParameterWait(false); }
    } endWait{*this};
    return WaitLoop(m_parameterEvent, request, false, ports, SendFailure::NextAttempt, kNoReply,
                    "RequestNonPresetParameterFromDevice", 419, 450);
}

int32_t LMidiManager::SetNonPresetParameterOnDevice(const StringT<char16_t, char>& name, int32_t value,
                                                    bool skipFirmwareCheck)
{
    if (!SubscribeToCapturedData(kCapturePortName, kRenderPortName))
        return kPortFailure;
    if (!skipFirmwareCheck && !IsDeviceFirmwareVersionUseable())
        return kFirmwareFailure;
    const Ports ports = CurrentPorts();
    if (!ports.render)
        return kPortFailure;
    SysEx::Bytes message;
    if (!SysEx::BuildGlobalSet(SysEx::FindGlobalParam(name), value, message))
        return E_INVALIDARG;
    return SendSysEx(message, ports, true);
}

// ---------------------------------------------------------------- captured data (worker thread)

KXRESULT LMidiManager::OnMidiDataCaptured(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!from || !n || from.Get() != m_currentPort.load())
        return S_FALSE;
    const ConstRCPtr<LMidiCaptureNotificationData> data =
        ConstRCPtr<LMidiCaptureNotificationData>::DynamicCast(n->GetPayload());
    if (!data)
        return S_FALSE;
    // A copy: the payload is shared with every other subscriber.
    const SysEx::Bytes bytes(data->GetData(), data->GetData() + data->GetCount());

    switch (SysEx::Classify(bytes.data(), bytes.size())) {
    case SysEx::MessageKind::PresetDump:
        // Applied once, and only while a get waits for it: a second answer to a repeated
        // request, a late one, or one nobody asked for never overwrites the model.
        if (m_dumpAwaited.exchange(false)) {
            ApplyPresetDump(SysEx::GetPresetDumpRecords(bytes.data(), bytes.size()));
            m_dumpEvent.Set();
        }
        break;
    case SysEx::MessageKind::GlobalReply: {
        SysEx::GlobalReplyData reply;
        if (SysEx::ParseGlobalReply(bytes.data(), bytes.size(), reply)) {
            // Taken only while a request for this parameter waits; a late or unasked reply
            // is dropped, so it is never announced in the middle of another operation.
            bool awaited = false;
            {
                std::lock_guard<std::mutex> lock(m_receivedLock);
                awaited = m_awaitedCode != kNothingAwaited && reply.code == m_awaitedCode;
                if (awaited)
                    m_received.push_back(reply);
            }
            if (awaited)
                m_parameterEvent.Set();
        }
        break;
    }
    case SysEx::MessageKind::IdentityReply:
        if (SysEx::IsUsableIdentityReply(bytes.data(), bytes.size()))
            m_identityEvent.Set();
        break;
    case SysEx::MessageKind::Other: break;
    }
    return S_FALSE;
}

void LMidiManager::ApplyPresetDump(const uint8_t* records)
{
    const RCPtr<IParamValueStore> store = GetParamValueStore();
    if (!store || records == nullptr)
        return;
    const int32_t firstId = store->GetFirstParamID();
    // Record lengths come from the layout, so the reads stay inside the dump's records.
    uint32_t offset = 0;
    for (int32_t k = 0; k < SysEx::kPresetParamCount; ++k) {
        const uint32_t length = GetParamRecordLength(k);
        Variant value;
        value.SetBytes(records + offset, length);
        offset += length;
        // A refused value does not stop the others.
        (void)store->SetParamValues(ParamDescriptor(firstId + k), value);
    }
}

void LMidiManager::BeginParameterWait(int32_t code)
{
    std::lock_guard<std::mutex> lock(m_receivedLock);
    m_received.clear();
    m_awaitedCode = code;
}

std::vector<SysEx::GlobalReplyData> LMidiManager::EndParameterWait(bool answered)
{
    std::vector<SysEx::GlobalReplyData> received;
    std::lock_guard<std::mutex> lock(m_receivedLock);
    m_awaitedCode = kNothingAwaited;
    if (answered)
        received.swap(m_received);
    m_received.clear();
    return received;
}

void LMidiManager::Announce(const std::vector<SysEx::GlobalReplyData>& received)
{
    for (const SysEx::GlobalReplyData& reply : received) {
        const char16_t* name = SysEx::GetGlobalParamName(reply.code);
        if (name == nullptr)
            continue;
        const ConstRCPtr<LRefCountedObject> payload(
            new LMidiParameterNotification(StringT<char16_t, char>(name), reply.value));
        RCPtr<LNotification> n;
        LNotification::Create(n, NID_MIDIMANAGER_PARAMETER_RECIEVED, payload);
        if (n)
            SendNotification(n);
    }
}

} // namespace KX
