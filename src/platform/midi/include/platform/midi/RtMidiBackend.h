#pragma once
// The real MIDI backend: RtMidi over the ALSA sequencer. Devices are named as in
// AlsaPortNames.h. On a machine without an ALSA sequencer it lists no devices;
// it never throws and prints nothing.
#include "platform/midi/MidiBackend.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform::midi {

// `clientName` names this program's own ALSA clients; their ports are not listed.
std::shared_ptr<MidiBackend> CreateRtMidiBackend(std::string clientName = "KX MIDI");

// A port of this program's own that other ALSA clients see as a device: a source sends what
// it is given (an input device to others), a sink keeps what it receives, System Exclusive
// included (an output device to others). Callbacks come on RtMidi's thread.
class RtMidiVirtualPort {
public:
    virtual ~RtMidiVirtualPort() = default;
    // Source: sends one whole message; false when refused or on a sink.
    virtual bool Send(const std::vector<uint8_t>& message) = 0;
    // Sink: the messages received since the last call, oldest first.
    virtual std::vector<std::vector<uint8_t>> TakeReceived() = 0;
};

// Null where there is no usable ALSA sequencer. The client name is how others list the port.
std::unique_ptr<RtMidiVirtualPort> CreateRtMidiVirtualSource(const std::string& clientName,
                                                             const std::string& portName);
std::unique_ptr<RtMidiVirtualPort> CreateRtMidiVirtualSink(const std::string& clientName, const std::string& portName);

} // namespace platform::midi
