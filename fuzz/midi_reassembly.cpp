// Feeds arbitrary bytes in arbitrary pieces to the System Exclusive assembler,
// directly and through a loopback input's 256-byte buffers, and checks that the
// pieces change nothing and that every message is well formed.
#include "MidiCapture.h"

#include "platform/midi/LoopbackMidiBackend.h"
#include "platform/midi/SysExAssembler.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

// Piece sizes from a small generator seeded by the input's first byte.
std::vector<size_t> Pieces(uint8_t seed, size_t total)
{
    std::vector<size_t> pieces;
    uint32_t state = seed * 2654435761u + 1;
    const uint32_t largest = 1 + (seed % 7 == 0 ? 600 : seed % 64);
    while (total > 0) {
        state = state * 1664525u + 1013904223u;
        const size_t n = std::min<size_t>(total, 1 + (state >> 8) % largest);
        pieces.push_back(n);
        total -= n;
    }
    return pieces;
}

std::vector<Bytes> Whole(std::span<const uint8_t> stream, size_t cap)
{
    std::vector<Bytes> messages;
    platform::midi::SysExAssembler assembler(cap);
    assembler.Feed(stream, [&](std::span<const uint8_t> m) { messages.emplace_back(m.begin(), m.end()); });
    return messages;
}

std::vector<Bytes> InPieces(std::span<const uint8_t> stream, const std::vector<size_t>& pieces, size_t cap)
{
    std::vector<Bytes> messages;
    platform::midi::SysExAssembler assembler(cap);
    size_t pos = 0;
    for (size_t n : pieces) {
        assembler.Feed(stream.subspan(pos, n),
                       [&](std::span<const uint8_t> m) { messages.emplace_back(m.begin(), m.end()); });
        pos += n;
    }
    return messages;
}

std::vector<Bytes> ThroughLoopback(std::span<const uint8_t> stream, const std::vector<size_t>& pieces, size_t cap)
{
    platform::midi::LoopbackMidiBackend backend;
    auto device = backend.AddInput("in");
    miditest::MidiCapture capture(3, cap);
    Check(capture.Open(backend, "in") == platform::midi::MidiStatus::Ok);
    size_t pos = 0;
    for (size_t n : pieces) {
        Check(device->InjectLong(stream.subspan(pos, n)) == 1);
        pos += n;
    }
    capture.Close(); // hands back what is still buffered
    for (const miditest::HandedBack& buffer : capture.HandedBackBuffers())
        Check(buffer.bytes.size() <= miditest::MidiCapture::kBufferSize);
    return capture.Messages();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t seed = data[0];
    const std::span<const uint8_t> stream(data + 1, size - 1);
    const size_t cap = seed % 3 == 0 ? 16 : seed % 3 == 1 ? 300 : platform::midi::SysExAssembler::kMaxMessage;

    const std::vector<Bytes> whole = Whole(stream, cap);
    for (const Bytes& m : whole) {
        Check(m.size() >= 2 && m.size() <= cap && m.front() == 0xF0 && m.back() == 0xF7);
        for (size_t i = 1; i + 1 < m.size(); ++i)
            Check(m[i] < 0x80);
    }
    const std::vector<size_t> pieces = Pieces(seed, stream.size());
    Check(InPieces(stream, pieces, cap) == whole);
    Check(ThroughLoopback(stream, pieces, cap) == whole);
    return 0;
}
