// The MIDI manager's two costs:
// - getting a preset from a keyboard that answers at once, over the loopback ports, with the
//   product's timing (every message is followed by a 10 ms pause, and a get sends four:
//   lead-in, identity request, lead-in, preset request, so about 40 ms is the floor; the
//   target is a median under 60 ms);
// - applying one 886-byte dump to the real model (engine, root module, cache) and posting
//   its changes; the target is under 200 microseconds.
#include "engine/MidiManager.h"
#include "FakeMidiPortObject.h"
#include "KeyboardSimulator.h"
#include "engine/ParamRecords.h"
#include "engine/ParamValueStore.h"
#include "engine/RootModuleEngine.h"

#include "kx/Notification.h"
#include "kx/NotificationCenter.h"
#include "kx/NotificationId.h"

#include <benchmark/benchmark.h>

#include <cstdint>
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

void BM_GetPresetFromInstantKeyboard(benchmark::State& state)
{
    // The keyboard's ports on the loopback backend; requests are answered without delay, the
    // dump in pieces of 256 bytes.
    kxtest::KeyboardSimulator keyboard;
    keyboard.SetChunkSize(256);
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

// Gets alternating dumps; the store is registered.
void ApplyDumps(benchmark::State& state)
{
    const KX::RCPtr<KX::LNotification> dumps[2] = {kxtest::FakeMidiPortObject::CapturedNotification(Dump(1), false),
                                                   kxtest::FakeMidiPortObject::CapturedNotification(Dump(2), false)};
    KX::LNotificationCenterManager::GetInstance()->ProcessAll(true);
    // Port service without devices, so that only the handler and the model are measured: it
    // answers the identity request, and a preset request with the dump of this round, at once
    // on the sending thread; only that answer's handling is timed.
    KX::RCPtr<kxtest::FakeMidiPortManager> manager(new kxtest::FakeMidiPortManager(KX::LMidiManager::Timings{0, 1, 0}));
    manager->answerIdentity = true;
    uint64_t applied = 0;
    manager->onSend = [&](kxtest::FakeMidiPortObject& port, const Bytes& message) {
        if (message.size() == 10 && message[7] == 0x62) {
            state.ResumeTiming();
            port.Deliver(dumps[applied & 1]);
            state.PauseTiming();
        }
    };

    for (auto _ : state) {
        state.PauseTiming();
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
