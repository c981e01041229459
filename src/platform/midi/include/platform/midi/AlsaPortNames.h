#pragma once
// Names for ALSA sequencer ports in the form Windows gives the ports of a USB MIDI
// device: the first port of a client carries the client's name, port k (k >= 2,
// counting the client's ports of one direction from 1) is "MIDIIN{k} (name)" or
// "MIDIOUT{k} (name)".
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::midi {

enum class MidiDirection { Input, Output };

struct AlsaPort {
    int client = -1; // -1 when the address is unknown
    std::string clientName;
    int port = -1;
    std::string portName;
};

// Splits a port name as RtMidi gives it for ALSA ("client name:port name c:p").
// Without the trailing address the whole text is taken as the client name.
AlsaPort ParseRtMidiAlsaName(std::string_view name);

// One display name per port, in the order given. Ports are grouped by client
// address (by client name when the address is unknown) and counted in port order.
std::vector<std::string> MapAlsaPortNames(const std::vector<AlsaPort>& ports, MidiDirection direction);

} // namespace platform::midi
