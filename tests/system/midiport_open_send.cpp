// MIDI port object: opening ports by part of their name, the port lifecycle, and sending short
// and System Exclusive messages over the loopback backend.
#include "MidiPortSupport.h"
#include "kx/Wrappers.h"

#include <gtest/gtest.h>

namespace {

using KX::E_FAIL;
using KX::E_INVALIDARG;
using KX::RCPtr;
using KX::S_OK;
using miditest::Bytes;
using miditest::Keyboard;
using miditest::kLumoIn;
using miditest::kLumoOut;
using miditest::MakeComm;
using miditest::Narrow;

KX::KXRESULT OpenRender(KX::LMidiComm& comm, const char16_t* name, RCPtr<KX::LRefCountedObject>& port)
{
    return comm.OpenRenderPort(KX::WString(name), port);
}

KX::KXRESULT OpenCapture(KX::LMidiComm& comm, const char16_t* name, RCPtr<KX::LRefCountedObject>& port)
{
    return comm.OpenCapturePort(KX::WString(name), port);
}

std::string PortName(const RCPtr<KX::LRefCountedObject>& port)
{
    if (auto render = RCPtr<KX::LMidiRenderPort>::DynamicCast(port))
        return Narrow(render->GetName());
    if (auto capture = RCPtr<KX::LMidiCapturePort>::DynamicCast(port))
        return Narrow(capture->GetName());
    return "?";
}

TEST(MidiPortOpen, DevicesMatchByCaseSensitiveSubstringAndTheFirstMatchWins)
{
    auto backend = std::make_shared<platform::midi::LoopbackMidiBackend>();
    platform::midi::ScopedMidiBackend scope(backend);
    backend->AddInput("Midi Through Port-0");
    backend->AddInput("2- MIDIIN4 (Lumo 25) MIDI 1");
    backend->AddInput("MIDIIN4 (Lumo 25)");
    backend->AddOutput("MIDIOUT2 (Lumo 25)");
    backend->AddOutput("MIDIOUT4 (Lumo 25) #2");

    auto comm = MakeComm();
    RCPtr<KX::LRefCountedObject> in, out;
    ASSERT_EQ(OpenCapture(*comm, kLumoIn, in), S_OK);
    EXPECT_EQ(PortName(in), "2- MIDIIN4 (Lumo 25) MIDI 1"); // the full name of the first device that matches
    ASSERT_EQ(OpenRender(*comm, kLumoOut, out), S_OK);
    EXPECT_EQ(PortName(out), "MIDIOUT4 (Lumo 25) #2");

    RCPtr<KX::LRefCountedObject> miss = in; // a failed open empties the out reference
    EXPECT_EQ(OpenCapture(*comm, u"midiin4 (lumo 25)", miss), E_FAIL);
    EXPECT_FALSE(miss);
    EXPECT_EQ(OpenRender(*comm, u"MIDIOUT3 (Lumo 25)", miss), E_FAIL);
    EXPECT_FALSE(miss);
    EXPECT_EQ(OpenCapture(*comm, u"MIDIOUT4", miss), E_FAIL); // outputs are not inputs
    EXPECT_FALSE(miss);
    EXPECT_EQ(comm->GetCapturePortCount(), 1u);
    EXPECT_EQ(comm->GetRenderPortCount(), 1u);

    // An open port that matches is handed out again, even for a shorter name.
    RCPtr<KX::LRefCountedObject> again;
    ASSERT_EQ(OpenCapture(*comm, u"(Lumo 25)", again), S_OK);
    EXPECT_EQ(again.Get(), in.Get());
    ASSERT_EQ(OpenRender(*comm, kLumoOut, again), S_OK);
    EXPECT_EQ(again.Get(), out.Get());
}

TEST(MidiPortLifecycle, APortClosesWithItsLastReferenceAndCanBeOpenedAgain)
{
    Keyboard keyboard;
    auto comm = MakeComm();
    RCPtr<KX::LRefCountedObject> out1, out2, in;
    ASSERT_EQ(OpenRender(*comm, kLumoOut, out1), S_OK);
    out2 = out1;
    ASSERT_EQ(OpenCapture(*comm, kLumoIn, in), S_OK);

    out1 = nullptr; // another holder keeps it open
    EXPECT_EQ(keyboard.output->OpenCount(), 1u);
    EXPECT_EQ(comm->GetRenderPortCount(), 1u);
    out2 = nullptr;
    EXPECT_EQ(keyboard.output->OpenCount(), 0u);
    EXPECT_EQ(comm->GetRenderPortCount(), 0u);

    in = nullptr;
    EXPECT_EQ(keyboard.input->OpenCount(), 0u);
    EXPECT_EQ(comm->GetCapturePortCount(), 0u);
    EXPECT_EQ(keyboard.input->InjectShort(0x643C90), 0u); // nobody listens any more

    ASSERT_EQ(OpenRender(*comm, kLumoOut, out1), S_OK);
    EXPECT_EQ(keyboard.output->OpenCount(), 1u);
    EXPECT_EQ(comm->Send(out1, Bytes{0xF8}), 1);
}

TEST(MidiPortLifecycle, PortsKeepTheirOwnerAliveAfterItsLastOutsideReference)
{
    Keyboard keyboard;
    RCPtr<KX::LRefCountedObject> out, in;
    KX::LMidiComm* raw = nullptr;
    {
        auto comm = MakeComm();
        raw = comm.Get();
        ASSERT_EQ(OpenRender(*comm, kLumoOut, out), S_OK);
        ASSERT_EQ(OpenCapture(*comm, kLumoIn, in), S_OK);
    }
    // The port object lives on through its ports.
    EXPECT_EQ(raw->Send(out, miditest::MakeSysEx(10)), 10);
    EXPECT_EQ(raw->GetCapturePortCount(), 1u);
    in = nullptr;
    out = nullptr; // the last port takes the port object with it
    EXPECT_EQ(keyboard.output->OpenCount(), 0u);
    EXPECT_EQ(keyboard.input->OpenCount(), 0u);
}

TEST(MidiPortSend, ShortMessagesGoOutWithTheirLengthByStatusByte)
{
    Keyboard keyboard;
    auto comm = MakeComm();
    RCPtr<KX::LRefCountedObject> out;
    ASSERT_EQ(OpenRender(*comm, kLumoOut, out), S_OK);

    EXPECT_EQ(comm->Send(out, Bytes{0x90, 0x3C, 0x64}), 3);
    EXPECT_EQ(comm->Send(out, Bytes{0xC0, 0x05}), 2);
    EXPECT_EQ(comm->Send(out, Bytes{0xF8}), 1);
    EXPECT_EQ(comm->Send(out, Bytes{0xFE}), 1);
    EXPECT_EQ(comm->Send(out, Bytes{0xF2, 0x10, 0x20}), 3);
    EXPECT_EQ(comm->Send(out, Bytes{0xF3, 0x07}), 2);
    EXPECT_EQ(comm->Send(out, Bytes{0xB0}), 3); // missing bytes count as 0
    EXPECT_EQ(comm->Send(out, Bytes{0xE0, 0x00, 0x40, 0x7F}), 3);

    const std::vector<Bytes> expected{
        {0x90, 0x3C, 0x64}, {0xC0, 0x05},      {0xF8}, {0xFE}, {0xF2, 0x10, 0x20}, {0xF3, 0x07},
        {0xB0, 0x00, 0x00}, {0xE0, 0x00, 0x40}};
    EXPECT_EQ(keyboard.Sent(), expected);
}

TEST(MidiPortSend, LongMessagesGoOutWholeAndReturnTheByteCount)
{
    Keyboard keyboard;
    auto comm = MakeComm();
    RCPtr<KX::LRefCountedObject> out;
    ASSERT_EQ(OpenRender(*comm, kLumoOut, out), S_OK);

    const Bytes identity{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
    EXPECT_EQ(comm->Send(out, identity), 6);
    const Bytes preset = miditest::MakeSysEx(886, 3);
    EXPECT_EQ(comm->Send(out, preset), 886);
    const Bytes tail{0x01, 0x02, 0xF7}; // data first: a long message too
    EXPECT_EQ(comm->Send(out, tail), 3);

    // Through the byte-array form the MIDI manager uses.
    KX::SimpleFixedArray<signed char, 8> fixed(6);
    for (uint32_t i = 0; i < 6; ++i)
        fixed.ElementAt(i) = static_cast<signed char>(identity[i]);
    EXPECT_EQ(comm->Send(out, fixed), 6);

    const std::vector<Bytes> expected{identity, preset, tail, identity};
    EXPECT_EQ(keyboard.Sent(), expected);
    EXPECT_TRUE(RCPtr<KX::LMidiRenderPort>::DynamicCast(out)->IsIdle());
}

TEST(MidiPortSend, RefusesWhatIsNoRenderPortAndEmptyMessages)
{
    Keyboard keyboard;
    auto comm = MakeComm();
    RCPtr<KX::LRefCountedObject> out, in;
    ASSERT_EQ(OpenRender(*comm, kLumoOut, out), S_OK);
    ASSERT_EQ(OpenCapture(*comm, kLumoIn, in), S_OK);

    EXPECT_EQ(comm->Send(out, Bytes{}), E_INVALIDARG);
    EXPECT_EQ(comm->Send(in, Bytes{0x90, 0x3C, 0x64}), E_INVALIDARG);
    EXPECT_EQ(comm->Send(nullptr, Bytes{0x90, 0x3C, 0x64}), E_INVALIDARG);
    RCPtr<KX::LRefCountedObject> other(KX::LHolder<int>::Create().Get());
    EXPECT_EQ(comm->Send(other, Bytes{0xF8}), E_INVALIDARG);
    EXPECT_TRUE(keyboard.Sent().empty());
}

TEST(MidiPortSend, ALongMessageNeverReportedDoneFailsAndLeavesThePortUsable)
{
    Keyboard keyboard;
    auto comm = MakeComm();
    RCPtr<KX::LRefCountedObject> out;
    ASSERT_EQ(OpenRender(*comm, kLumoOut, out), S_OK);
    auto render = RCPtr<KX::LMidiRenderPort>::DynamicCast(out);

    keyboard.output->SetReportsDone(false);
    EXPECT_EQ(comm->Send(out, Bytes{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}), E_FAIL); // after 10000 ms
    EXPECT_TRUE(render->IsIdle());

    keyboard.output->SetReportsDone(true);
    EXPECT_EQ(comm->Send(out, Bytes{0xF0, 0x01, 0xF7}), 3);
    EXPECT_EQ(keyboard.Sent().size(), 2u);
}

} // namespace
