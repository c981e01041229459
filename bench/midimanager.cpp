// The MIDI manager's two costs:
// - getting a preset from a keyboard that answers at once, over the loopback ports, with the
//   product's timing (every message is followed by a 10 ms pause, and a get sends four:
//   lead-in, identity request, lead-in, preset request, so about 40 ms is the floor; the
//   target is a median under 60 ms);
// - applying one 886-byte dump to the real model (engine, root module, cache) and posting
//   its changes; the target is under 200 microseconds.
#include "engine/MidiManager.h"
#include "engine/ParamRecords.h"
#include "engine/ParamValueStore.h"
#include "engine/RootModuleEngine.h"

#include "kx/MidiCaptureNotificationData.h"
#include "kx/Notification.h"
#include "kx/NotificationCenter.h"
#include "kx/NotificationId.h"

#include "platform/LoopbackMidiBackend.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kHeader[7] = {0xF0, 0x00, 0x3F, 0x5A, 0x7F, 0x31, 0x04};

Bytes Dump(uint8_t seed)
{
    Bytes dump;
    dump.reserve(886);
    for (uint8_t b : kHeader)
        dump.push_back(b);
    for (uint8_t b : {0x63, 0x0A, 0x3B, 0x00})
        dump.push_back(b);
    for (size_t i = 0; i < 874; ++i)
        dump.push_back(static_cast<uint8_t>((i * 5 + seed) & 0x7F));
    dump.push_back(0xF7);
    return dump;
}

// A model that only keeps the values.
class PlainStore : public IParamValueStore {
public:
    int32_t GetFirstParamID() override { return 0; }
    KX::KXRESULT GetParamValues(int32_t, int32_t, KX::IArray<KX::ParamValue>&, int32_t) override { return 0; }
    KX::KXRESULT SetParamValues(const KX::ParamDescriptor& d, const KX::Variant& value) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (d.id >= 0 && d.id < 83)
            m_values[d.id] = value;
        return 0;
    }

private:
    std::mutex m_mutex;
    KX::Variant m_values[83];
};

// The keyboard's ports on the loopback backend; identity and preset requests are answered
// at once, on the sending thread.
class InstantKeyboard {
public:
    InstantKeyboard() : m_backend(std::make_shared<platform::LoopbackMidiBackend>()), m_dump(Dump(3))
    {
        m_in = m_backend->AddInput("MIDIIN4 (Lumo 25)");
        m_backend->AddOutput("MIDIOUT4 (Lumo 25)", [this](std::span<const uint8_t> b) { OnSent(b); });
        m_installed = std::make_unique<platform::ScopedMidiBackend>(m_backend);
    }

private:
    void OnSent(std::span<const uint8_t> b)
    {
        static const uint8_t identity[6] = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
        if (b.size() == 6 && std::memcmp(b.data(), identity, 6) == 0) {
            static const uint8_t reply[15] = {0xF0, 0x7E, 0x00, 0x06, 0x02, 0x47, 0x25, 0x00,
                                              0x19, 0x00, 0x31, 0x30, 0x34, 0x31, 0xF7};
            m_in->InjectLong(std::span<const uint8_t>(reply, sizeof(reply)));
        } else if (b.size() == 10 && b[7] == 0x62) {
            m_in->InjectSysEx(m_dump, 256);
        }
    }

    std::shared_ptr<platform::LoopbackMidiBackend> m_backend;
    std::shared_ptr<platform::LoopbackInputDevice> m_in;
    std::unique_ptr<platform::ScopedMidiBackend> m_installed;
    Bytes m_dump;
};

void BM_GetPresetFromInstantKeyboard(benchmark::State& state)
{
    InstantKeyboard keyboard;
    KX::RCPtr<PlainStore> store(new PlainStore);
    SetParamValueStore(store);
    KX::RCPtr<KX::LMidiManager> manager = KX::LMidiManager::Create(); // the product's timing
    for (auto _ : state) {
        if (manager->GetPresetFromMidiDevice(1) != 0) {
            state.SkipWithError("get failed");
            break;
        }
    }
    manager = nullptr;
    SetParamValueStore(nullptr);
}
BENCHMARK(BM_GetPresetFromInstantKeyboard)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(6)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();

KX::RCPtr<KX::LNotification> Captured(const Bytes& bytes)
{
    auto payload = KX::LMidiCaptureNotificationData::Create(u"MIDIIN4 (Lumo 25)", 0);
    payload->AppendBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
    KX::RCPtr<KX::LNotification> n;
    KX::LNotification::CreateUnpooled(n, KX::NID_MIDI_DATA_CAPTURED,
                                      KX::ConstRCPtr<KX::LRefCountedObject>(payload.Get()));
    return n;
}

// Port service without devices, so that only the handler and the model are measured: it
// answers the identity request, and a preset request with the dump it is given, at once on
// the sending thread; only that answer's handling is timed.
class Port : public KX::LRefCountedObject {};
class QuietPortObject : public KX::LMidiCommInterface {
public:
    QuietPortObject(benchmark::State& state, const KX::RCPtr<KX::LNotification>*& answer)
        : m_state(state), m_answer(answer)
    {
    }
    KX::KXRESULT OpenCapturePort(const KX::WString&, KX::RCPtr<KX::LRefCountedObject>& port) override
    {
        port = new Port;
        return KX::S_OK;
    }
    KX::KXRESULT OpenRenderPort(const KX::WString&, KX::RCPtr<KX::LRefCountedObject>& port) override
    {
        port = new Port;
        return KX::S_OK;
    }
    int32_t Send(const KX::RCPtr<KX::LRefCountedObject>&, const KX::IArray<signed char>& bytes) override
    {
        const auto* b = reinterpret_cast<const uint8_t*>(bytes.GetData());
        const uint32_t n = bytes.GetCount();
        if (n == 6 && b[1] == 0x7E) {
            static const Bytes reply = {0xF0, 0x7E, 0x00, 0x06, 0x02, 0x47, 0x25, 0x00,
                                        0x19, 0x00, 0x31, 0x30, 0x34, 0x31, 0xF7};
            SendNotification(Captured(reply));
        } else if (n == 10 && b[7] == 0x62) {
            m_state.ResumeTiming();
            SendNotification(*m_answer);
            m_state.PauseTiming();
        }
        return static_cast<int32_t>(n);
    }

private:
    benchmark::State& m_state;
    const KX::RCPtr<KX::LNotification>*& m_answer;
};

class QuietManager : public KX::LMidiManager {
public:
    explicit QuietManager(benchmark::State& state) : LMidiManager(Timings{0, 1, 0}), m_state(state) {}
    KX::RCPtr<KX::LMidiCommInterface> CreatePortObject() override { return new QuietPortObject(m_state, answer); }

    const KX::RCPtr<KX::LNotification>* answer = nullptr;

private:
    benchmark::State& m_state;
};

// Gets alternating dumps; the store is registered.
void ApplyDumps(benchmark::State& state)
{
    const KX::RCPtr<KX::LNotification> dumps[2] = {Captured(Dump(1)), Captured(Dump(2))};
    KX::LNotificationCenterManager::GetInstance()->ProcessAll(true);
    KX::RCPtr<QuietManager> manager(new QuietManager(state));

    uint64_t applied = 0;
    for (auto _ : state) {
        state.PauseTiming();
        manager->answer = &dumps[applied & 1];
        // Timed only while the port object hands the dump over.
        if (manager->GetPresetFromMidiDevice(1) != 0) {
            state.SkipWithError("get failed");
            state.ResumeTiming();
            break;
        }
        ++applied;
        // The posted changes are drained as the main loop would.
        KX::LNotificationCenterManager::GetInstance()->ProcessAll(true);
        state.ResumeTiming();
    }
    manager = nullptr;
    state.SetItemsProcessed(static_cast<int64_t>(applied) * 83);
}

void BM_ApplyDumpToModel(benchmark::State& state)
{
    // The engine over the device-control library in the program's folder.
    KX::RCPtr<LRootModuleEngine> engine = LRootModuleEngine::Create();
    engine->Initialize(0);
    SetParamValueStore(engine);
    ApplyDumps(state);
    SetParamValueStore(nullptr);
    engine = nullptr;
}
BENCHMARK(BM_ApplyDumpToModel)->Unit(benchmark::kMicrosecond);

// The handler's own share: the same dumps into a store that only keeps the values.
void BM_ApplyDumpToPlainStore(benchmark::State& state)
{
    KX::RCPtr<PlainStore> store(new PlainStore);
    SetParamValueStore(store);
    ApplyDumps(state);
    SetParamValueStore(nullptr);
}
BENCHMARK(BM_ApplyDumpToPlainStore)->Unit(benchmark::kMicrosecond);

} // namespace
