#include "platform/midi/AlsaPortNames.h"

#include <charconv>

namespace platform::midi {

namespace {

bool ParseNumber(std::string_view text, int& value)
{
    if (text.empty())
        return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value >= 0;
}

bool SameClient(const AlsaPort& a, const AlsaPort& b)
{
    if (a.client >= 0 || b.client >= 0)
        return a.client == b.client;
    return a.clientName == b.clientName;
}

} // namespace

AlsaPort ParseRtMidiAlsaName(std::string_view name)
{
    AlsaPort result;
    result.clientName = std::string(name);
    const size_t space = name.rfind(' ');
    if (space == std::string_view::npos)
        return result;
    const std::string_view address = name.substr(space + 1);
    const size_t colon = address.find(':');
    int client = 0;
    int port = 0;
    if (colon == std::string_view::npos || !ParseNumber(address.substr(0, colon), client) ||
        !ParseNumber(address.substr(colon + 1), port))
        return result;

    const std::string_view names = name.substr(0, space);
    const size_t split = names.find(':');
    result.client = client;
    result.port = port;
    result.clientName = std::string(names.substr(0, split));
    result.portName = split == std::string_view::npos ? std::string() : std::string(names.substr(split + 1));
    return result;
}

std::vector<std::string> MapAlsaPortNames(const std::vector<AlsaPort>& ports, MidiDirection direction)
{
    const char* prefix = direction == MidiDirection::Input ? "MIDIIN" : "MIDIOUT";
    std::vector<std::string> names;
    names.reserve(ports.size());
    for (size_t i = 0; i < ports.size(); ++i) {
        const AlsaPort& p = ports[i];
        size_t rank = 1;
        for (size_t j = 0; j < ports.size(); ++j) {
            const AlsaPort& q = ports[j];
            if (j != i && SameClient(p, q) && (q.port < p.port || (q.port == p.port && j < i)))
                ++rank;
        }
        if (rank == 1)
            names.push_back(p.clientName);
        else
            names.push_back(prefix + std::to_string(rank) + " (" + p.clientName + ")");
    }
    return names;
}

} // namespace platform::midi
