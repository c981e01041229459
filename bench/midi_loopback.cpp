// An 886-byte System Exclusive message (a preset dump) sent through the loopback
// backend: from SendLong on an output, through a simulated device that passes it
// to its input, into three 256-byte buffers that the callback re-adds, to the
// assembled message. The target is under 50 microseconds per message.
#include "MidiCapture.h"

#include "platform/midi/LoopbackMidiBackend.h"
#include "platform/midi/SysExAssembler.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

std::vector<uint8_t> PresetDump()
{
    std::vector<uint8_t> dump(886);
    dump.front() = 0xF0;
    for (size_t i = 1; i + 1 < dump.size(); ++i)
        dump[i] = static_cast<uint8_t>(i & 0x7F);
    dump.back() = 0xF7;
    return dump;
}

void BM_SysExSendToCallback(benchmark::State& state)
{
    const size_t chunk = static_cast<size_t>(state.range(0));
    platform::midi::LoopbackMidiBackend backend;
    auto keyboardIn = backend.AddInput("MIDIIN4 (Lumo 25)");
    backend.AddOutput("MIDIOUT4 (Lumo 25)",
                      [&](std::span<const uint8_t> bytes) { keyboardIn->InjectSysEx(bytes, chunk); });

    size_t received = 0;
    size_t receivedBytes = 0;
    miditest::MidiCapture capture;
    capture.onMessage = [&](std::span<const uint8_t> m) {
        ++received;
        receivedBytes += m.size();
    };
    capture.Open(backend, "MIDIIN4 (Lumo 25)");
    std::unique_ptr<platform::midi::MidiOutput> output;
    backend.OpenOutputByName("MIDIOUT4 (Lumo 25)", {}, output);

    const std::vector<uint8_t> dump = PresetDump();
    for (auto _ : state) {
        output->SendLong(dump.data(), dump.size());
        benchmark::DoNotOptimize(received);
    }
    if (received != static_cast<size_t>(state.iterations()) || receivedBytes != received * dump.size())
        state.SkipWithError("a message did not arrive whole");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * dump.size()));
    capture.Close();
}
// 0: the device passes the message in one piece; 256: in pieces as a USB driver might.
BENCHMARK(BM_SysExSendToCallback)->Arg(0)->Arg(256)->Arg(64);

} // namespace
