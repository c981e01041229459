#pragma once
// The real MIDI backend: RtMidi over the ALSA sequencer. Devices are named as in
// AlsaPortNames.h. On a machine without an ALSA sequencer it lists no devices;
// it never throws and prints nothing.
#include "platform/MidiBackend.h"

#include <memory>
#include <string>

namespace platform {

// `clientName` names this program's own ALSA clients; their ports are not listed.
std::shared_ptr<MidiBackend> CreateRtMidiBackend(std::string clientName = "KX MIDI");

} // namespace platform
