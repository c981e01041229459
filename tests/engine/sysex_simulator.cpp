// The keyboard simulator speaks the protocol as the editor's parsers read it.
#include "KeyboardSimulator.h"

#include "engine/SysExProtocol.h"

#include "platform/midi/MidiBackend.h"
#include "platform/midi/SysExAssembler.h"

#include <gtest/gtest.h>

#include <array>
#include <condition_variable>
#include <mutex>

namespace {

using kxtest::KeyboardSimulator;
using Bytes = std::vector<uint8_t>;
using Kind = KeyboardSimulator::Kind;

// The editor's side of the two ports, straight on the backend.
class Wire {
public:
    explicit Wire(platform::midi::MidiBackend& backend)
    {
        for (size_t i = 0; i < m_buffers.size(); ++i) {
            m_buffers[i].data = m_storage[i].data();
            m_buffers[i].length = 256;
        }
        EXPECT_EQ(backend.OpenOutputByName("MIDIOUT4 (Lumo 25)", {}, m_out), platform::midi::MidiStatus::Ok);
        EXPECT_EQ(
            backend.OpenInputByName(
                "MIDIIN4 (Lumo 25)",
                [this](platform::midi::MidiInput& in, const platform::midi::MidiInputEvent& e) { OnInput(in, e); },
                m_in),
            platform::midi::MidiStatus::Ok);
        if (!m_in)
            return;
        for (auto& b : m_buffers)
            m_in->AddBuffer(b);
        m_in->Start();
    }
    ~Wire()
    {
        if (m_in)
            m_in->Close();
    }

    void Send(const Bytes& m) { ASSERT_EQ(m_out->SendLong(m.data(), m.size()), platform::midi::MidiStatus::Ok); }

    // The next System Exclusive message, or empty after ms.
    Bytes Next(uint32_t ms = 2000)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_cv.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !m_messages.empty(); }))
            return {};
        Bytes m = std::move(m_messages.front());
        m_messages.erase(m_messages.begin());
        return m;
    }
    size_t ShortCount()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_shorts;
    }

private:
    void OnInput(platform::midi::MidiInput& in, const platform::midi::MidiInputEvent& e)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (e.kind == platform::midi::MidiInputEventKind::Data) {
            ++m_shorts;
            return;
        }
        if (e.kind == platform::midi::MidiInputEventKind::LongData)
            m_assembler.Feed(std::span<const uint8_t>(e.buffer->data, e.buffer->recorded),
                             [this](std::span<const uint8_t> m) { m_messages.emplace_back(m.begin(), m.end()); });
        in.AddBuffer(*e.buffer);
        m_cv.notify_all();
    }

    std::array<std::array<uint8_t, 256>, 3> m_storage{};
    std::array<platform::midi::MidiInputBuffer, 3> m_buffers{};
    std::unique_ptr<platform::midi::MidiOutput> m_out;
    std::unique_ptr<platform::midi::MidiInput> m_in;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    platform::midi::SysExAssembler m_assembler;
    std::vector<Bytes> m_messages;
    size_t m_shorts = 0;
};

Bytes Build(bool (*builder)(int32_t, Bytes&), int32_t arg)
{
    Bytes m;
    EXPECT_TRUE(builder(arg, m));
    return m;
}

TEST(KeyboardSimulatorProtocol, AnswersRequestsAndStoresWhatItIsSent)
{
    KeyboardSimulator keyboard(false);
    Wire wire(*keyboard.Backend());

    Bytes m;
    KX::SysEx::BuildIdentityRequest(m);
    wire.Send(m);
    Bytes reply = wire.Next();
    EXPECT_TRUE(KX::SysEx::IsUsableIdentityReply(reply.data(), reply.size()));

    wire.Send(Build(KX::SysEx::BuildPresetRequest, 5));
    reply = wire.Next();
    const uint8_t* records = KX::SysEx::GetPresetDumpRecords(reply.data(), reply.size());
    ASSERT_NE(records, nullptr);
    EXPECT_EQ(Bytes(records, records + 874), KeyboardSimulator::PatternFor(5));

    Bytes preset(874, 0x11);
    ASSERT_TRUE(KX::SysEx::BuildPresetMessage(12, preset.data(), preset.size(), m));
    wire.Send(m);
    EXPECT_EQ(keyboard.Slot(12), preset);

    ASSERT_TRUE(KX::SysEx::BuildGlobalSet(13, 100, m));
    wire.Send(m);
    EXPECT_EQ(keyboard.Global(13), 100);
    wire.Send(Build(KX::SysEx::BuildGlobalRequest, 13));
    reply = wire.Next();
    KX::SysEx::GlobalReplyData global;
    ASSERT_TRUE(KX::SysEx::ParseGlobalReply(reply.data(), reply.size(), global));
    EXPECT_EQ(global.code, 13);
    EXPECT_EQ(global.value, 100);

    KX::SysEx::BuildLeadIn(m);
    wire.Send(m);
    EXPECT_EQ(keyboard.Kinds(), (std::vector<Kind>{Kind::IdentityRequest, Kind::PresetRequest, Kind::PresetMessage,
                                                   Kind::GlobalSet, Kind::GlobalRequest, Kind::LeadIn}));
}

TEST(KeyboardSimulatorProtocol, JoinsAMessageSentInPieces)
{
    KeyboardSimulator keyboard(false);
    Wire wire(*keyboard.Backend());
    Bytes preset(874);
    for (size_t i = 0; i < preset.size(); ++i)
        preset[i] = static_cast<uint8_t>(i % 127);
    Bytes m;
    ASSERT_TRUE(KX::SysEx::BuildPresetMessage(3, preset.data(), preset.size(), m));
    for (size_t pos = 0; pos < m.size(); pos += 256)
        wire.Send(Bytes(m.begin() + static_cast<ptrdiff_t>(pos),
                        m.begin() + static_cast<ptrdiff_t>(std::min(m.size(), pos + 256))));
    EXPECT_EQ(keyboard.HandOverCount(), 4u);
    EXPECT_EQ(keyboard.Count(Kind::PresetMessage), 1u);
    EXPECT_EQ(keyboard.Slot(3), preset);
}

TEST(KeyboardSimulatorProtocol, ChunkedRepliesWithTrafficStillArriveWhole)
{
    KeyboardSimulator keyboard(false);
    Wire wire(*keyboard.Backend());
    keyboard.SetChunkSize(256);
    keyboard.SetBackgroundTraffic(true);
    keyboard.SetReplyRepeat(2);
    wire.Send(Build(KX::SysEx::BuildPresetRequest, 7));
    for (int i = 0; i < 2; ++i) {
        const Bytes reply = wire.Next();
        const uint8_t* records = KX::SysEx::GetPresetDumpRecords(reply.data(), reply.size());
        ASSERT_NE(records, nullptr);
        EXPECT_EQ(Bytes(records, records + 874), KeyboardSimulator::PatternFor(7));
    }
    keyboard.SetChunkSize(0);
    wire.Send(Build(KX::SysEx::BuildPresetRequest, 8));
    const Bytes reply = wire.Next();
    EXPECT_NE(KX::SysEx::GetPresetDumpRecords(reply.data(), reply.size()), nullptr);
    EXPECT_TRUE(keyboard.WaitIdle());
    EXPECT_GT(wire.ShortCount(), 0u);
}

} // namespace
