#include "platform/midi/AlsaPortNames.h"
#include "platform/midi/MidiBackend.h"

#include <gtest/gtest.h>

namespace {

using platform::midi::AlsaPort;
using platform::midi::MapAlsaPortNames;
using platform::midi::MidiDirection;
using platform::midi::ParseRtMidiAlsaName;

TEST(MidiNameMatching, RequestedNameIsACaseSensitiveSubstring)
{
    using platform::midi::MidiNameMatches;
    EXPECT_TRUE(MidiNameMatches("MIDIOUT4 (Lumo 25)", "MIDIOUT4 (Lumo 25)"));
    EXPECT_TRUE(MidiNameMatches("2- MIDIOUT4 (Lumo 25) #2", "MIDIOUT4 (Lumo 25)"));
    EXPECT_FALSE(MidiNameMatches("MIDIOUT4 (lumo 25)", "MIDIOUT4 (Lumo 25)"));
    EXPECT_FALSE(MidiNameMatches("MIDIOUT4 (Lumo", "MIDIOUT4 (Lumo 25)"));

    const std::vector<std::string> names{"Midi Through", "Lumo 25", "MIDIOUT2 (Lumo 25)", "MIDIOUT4 (Lumo 25)"};
    EXPECT_EQ(platform::midi::FindMidiDevice(names, "MIDIOUT4 (Lumo 25)"), 3u);
    EXPECT_EQ(platform::midi::FindMidiDevice(names, "Lumo 25"), 1u); // the first that contains it
    EXPECT_EQ(platform::midi::FindMidiDevice(names, "MIDIOUT3 (Lumo 25)"), std::nullopt);
    EXPECT_EQ(platform::midi::FindMidiDevice({}, "Lumo 25"), std::nullopt);
}

TEST(MidiShortMessageLength, FollowsTheStatusByte)
{
    using platform::midi::ShortMessageLength;
    EXPECT_EQ(ShortMessageLength(0x90), 3u);
    EXPECT_EQ(ShortMessageLength(0x8F), 3u);
    EXPECT_EQ(ShortMessageLength(0xBF), 3u);
    EXPECT_EQ(ShortMessageLength(0xE3), 3u);
    EXPECT_EQ(ShortMessageLength(0xC0), 2u);
    EXPECT_EQ(ShortMessageLength(0xDF), 2u);
    EXPECT_EQ(ShortMessageLength(0xF1), 2u);
    EXPECT_EQ(ShortMessageLength(0xF2), 3u);
    EXPECT_EQ(ShortMessageLength(0xF3), 2u);
    EXPECT_EQ(ShortMessageLength(0xF6), 1u);
    EXPECT_EQ(ShortMessageLength(0xF8), 1u);
    EXPECT_EQ(ShortMessageLength(0xFE), 1u);
    EXPECT_EQ(ShortMessageLength(0xFF), 1u);
    EXPECT_EQ(ShortMessageLength(0xF0), 0u);
    EXPECT_EQ(ShortMessageLength(0xF7), 0u);
    EXPECT_EQ(ShortMessageLength(0x3C), 0u);
}

TEST(AlsaPortNameParsing, SplitsClientPortAndAddress)
{
    const AlsaPort lumo = ParseRtMidiAlsaName("Lumo 25:Lumo 25 MIDI 4 24:3");
    EXPECT_EQ(lumo.client, 24);
    EXPECT_EQ(lumo.clientName, "Lumo 25");
    EXPECT_EQ(lumo.port, 3);
    EXPECT_EQ(lumo.portName, "Lumo 25 MIDI 4");

    const AlsaPort through = ParseRtMidiAlsaName("Midi Through:Midi Through Port-0 14:0");
    EXPECT_EQ(through.client, 14);
    EXPECT_EQ(through.clientName, "Midi Through");
    EXPECT_EQ(through.portName, "Midi Through Port-0");

    // Without a numeric address the whole text is the client name.
    for (const char* text : {"Some Port", "a:b x:y", "Lumo 25:port 24:", "Lumo 25:port :3", "Lumo 25:port 2x:3", ""}) {
        const AlsaPort p = ParseRtMidiAlsaName(text);
        EXPECT_EQ(p.client, -1) << text;
        EXPECT_EQ(p.clientName, text);
    }
}

AlsaPort Port(int client, const char* clientName, int port)
{
    return AlsaPort{client, clientName, port, std::string(clientName) + " port"};
}

TEST(AlsaPortNameMapping, NamesPortsOfAMultiPortClientAsWindowsDoes)
{
    const std::vector<AlsaPort> ports{Port(14, "Midi Through", 0), Port(24, "Lumo 25", 0), Port(24, "Lumo 25", 1),
                                      Port(24, "Lumo 25", 2),      Port(24, "Lumo 25", 3), Port(28, "Other", 0)};
    EXPECT_EQ(MapAlsaPortNames(ports, MidiDirection::Input),
              (std::vector<std::string>{"Midi Through", "Lumo 25", "MIDIIN2 (Lumo 25)", "MIDIIN3 (Lumo 25)",
                                        "MIDIIN4 (Lumo 25)", "Other"}));
    EXPECT_EQ(MapAlsaPortNames(ports, MidiDirection::Output)[4], "MIDIOUT4 (Lumo 25)");
}

TEST(AlsaPortNameMapping, CountsPortsPerClientInPortOrder)
{
    // Listed out of order, with gaps in the port numbers, interleaved with another client.
    const std::vector<AlsaPort> ports{Port(24, "Lumo 25", 5), Port(30, "Pads", 1), Port(24, "Lumo 25", 0),
                                      Port(30, "Pads", 0), Port(24, "Lumo 25", 2)};
    EXPECT_EQ(
        MapAlsaPortNames(ports, MidiDirection::Input),
        (std::vector<std::string>{"MIDIIN3 (Lumo 25)", "MIDIIN2 (Pads)", "Lumo 25", "Pads", "MIDIIN2 (Lumo 25)"}));
}

TEST(AlsaPortNameMapping, GroupsByClientAddressNotByName)
{
    // Two keyboards of the same model are separate clients.
    const std::vector<AlsaPort> ports{Port(24, "Lumo 25", 0), Port(24, "Lumo 25", 1), Port(32, "Lumo 25", 0)};
    EXPECT_EQ(MapAlsaPortNames(ports, MidiDirection::Output),
              (std::vector<std::string>{"Lumo 25", "MIDIOUT2 (Lumo 25)", "Lumo 25"}));

    // Unaddressed names group by name.
    const std::vector<AlsaPort> bare{ParseRtMidiAlsaName("X"), ParseRtMidiAlsaName("X"), ParseRtMidiAlsaName("Y")};
    EXPECT_EQ(MapAlsaPortNames(bare, MidiDirection::Input), (std::vector<std::string>{"X", "MIDIIN2 (X)", "Y"}));
    EXPECT_TRUE(MapAlsaPortNames({}, MidiDirection::Input).empty());
}

TEST(AlsaPortNameMapping, KeyboardPortsAreFoundByTheirWindowsNames)
{
    std::vector<AlsaPort> ports;
    for (const char* name :
         {"Midi Through:Midi Through Port-0 14:0", "Lumo 25:Lumo 25 MIDI 1 20:0", "Lumo 25:Lumo 25 MIDI 2 20:1",
          "Lumo 25:Lumo 25 MIDI 3 20:2", "Lumo 25:Lumo 25 MIDI 4 20:3"})
        ports.push_back(ParseRtMidiAlsaName(name));
    EXPECT_EQ(platform::midi::FindMidiDevice(MapAlsaPortNames(ports, MidiDirection::Input), "MIDIIN4 (Lumo 25)"), 4u);
    EXPECT_EQ(platform::midi::FindMidiDevice(MapAlsaPortNames(ports, MidiDirection::Output), "MIDIOUT4 (Lumo 25)"), 4u);
}

} // namespace
