// The debug trace streams: debugger output on standard error, UDP datagrams received on a
// loopback socket, the 1023-character pieces, the announcement and the console switch.
#include "kx/DebugTrace.h"
#include "platform/posix/UniqueFd.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A UDP socket on a loopback address and a free port.
class Receiver {
public:
    explicit Receiver(const char* address = "127.0.0.1")
    {
        m_fd.Reset(::socket(AF_INET, SOCK_DGRAM, 0));
        sockaddr_in local{};
        local.sin_family = AF_INET;
        ::inet_pton(AF_INET, address, &local.sin_addr);
        if (!m_fd || ::bind(m_fd.Get(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0)
            return;
        socklen_t size = sizeof local;
        ::getsockname(m_fd.Get(), reinterpret_cast<sockaddr*>(&local), &size);
        m_port = ntohs(local.sin_port);
        timeval wait{10, 0}; // generous: a datagram that is due arrives long before
        ::setsockopt(m_fd.Get(), SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    }
    int32_t Port() const { return m_port; }

    std::string Next()
    {
        std::vector<char> buffer(65536);
        const ssize_t n = ::recv(m_fd.Get(), buffer.data(), buffer.size(), 0);
        return n < 0 ? std::string("<nothing>") : std::string(buffer.data(), static_cast<size_t>(n));
    }

    // The three datagrams of the announcement.
    void ExpectAnnouncement(const std::string& address)
    {
        EXPECT_EQ(Next(), "*** APPLICATION Launched on ");
        EXPECT_EQ(Next(), address);
        EXPECT_EQ(Next(), "***\n");
    }

private:
    platform::posix::UniqueFd m_fd;
    int32_t m_port = 0;
};

// Standard error redirected into a file for the scope.
class StderrCapture {
public:
    StderrCapture()
    {
        std::fflush(stderr);
        m_file = std::tmpfile();
        m_saved.Reset(::dup(STDERR_FILENO));
        ::dup2(::fileno(m_file), STDERR_FILENO);
    }
    ~StderrCapture() { Restore(); }

    std::string Text()
    {
        Restore();
        std::rewind(m_file);
        std::string text;
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, m_file)) > 0)
            text.append(buffer, n);
        return text;
    }

private:
    void Restore()
    {
        if (!m_saved)
            return;
        std::fflush(stderr);
        ::dup2(m_saved.Get(), STDERR_FILENO);
        m_saved.Reset();
    }

    std::FILE* m_file = nullptr;
    platform::posix::UniqueFd m_saved;
};

class TraceStreams : public ::testing::Test {
protected:
    void SetUp() override
    {
        KX::Detail::ResetTraceSender();
        KX::SetDebugTraceTarget(nullptr, -1);
    }
    void TearDown() override
    {
        KX::SetDebugTraceTarget(nullptr, -1);
        KX::Detail::ResetTraceSender();
    }

    KX::DebugTrace& trace = KX::GetDebugTrace();
};

TEST_F(TraceStreams, WithoutAPortTheFlushedTextGoesToTheDebuggerOutputOnce)
{
    StderrCapture capture;
    trace.narrowStream << "short text " << 42 << std::flush;
    trace.narrowStream << std::flush; // nothing more to hand on
    trace.wideStream << u"wide \u00e9\U0001F3B9" << std::flush;
    EXPECT_EQ(capture.Text(), "short text 42wide \xC3\xA9\xF0\x9F\x8E\xB9");
}

TEST_F(TraceStreams, FlushWithAPortSendsOneDatagramAfterTheAnnouncement)
{
    Receiver receiver;
    ASSERT_GT(receiver.Port(), 0);
    KX::SetDebugTraceTarget("127.0.0.1", receiver.Port());
    EXPECT_EQ(KX::GetDebugTraceHost(), "127.0.0.1");
    trace.narrowStream << "first line" << std::endl;
    trace.narrowStream << "second" << std::flush;
    receiver.ExpectAnnouncement("127.0.0.1");
    EXPECT_EQ(receiver.Next(), "first line\n");
    EXPECT_EQ(receiver.Next(), "second");
}

TEST_F(TraceStreams, BulkWriteOf3000CharactersGoesInPiecesOfAtMost1023)
{
    Receiver receiver;
    KX::SetDebugTraceTarget("127.0.0.1", receiver.Port());
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text.push_back(static_cast<char>('a' + i % 26));
    trace.narrowStream.write(text.data(), static_cast<std::streamsize>(text.size()));
    trace.narrowStream.flush();
    receiver.ExpectAnnouncement("127.0.0.1");
    const std::string a = receiver.Next();
    const std::string b = receiver.Next();
    const std::string c = receiver.Next();
    EXPECT_EQ(a.size(), 1023u);
    EXPECT_EQ(b.size(), 1023u);
    EXPECT_EQ(c.size(), 954u);
    EXPECT_EQ(a + b + c, text);
}

TEST_F(TraceStreams, AWidePieceNeverEndsOnTheFirstHalfOfASurrogatePair)
{
    Receiver receiver;
    KX::SetDebugTraceTarget("127.0.0.1", receiver.Port());
    // 1022 plain units, then pairs: the 1023rd unit is the first half of a pair.
    std::u16string text(1022, u'x');
    std::string expected(1022, 'x');
    for (int i = 0; i < 600; ++i) {
        text += u"\U0001F3B9";
        expected += "\xF0\x9F\x8E\xB9";
    }
    trace.wideStream.write(text.data(), static_cast<std::streamsize>(text.size()));
    trace.wideStream.flush();
    receiver.ExpectAnnouncement("127.0.0.1");
    std::string all;
    for (int piece = 0; piece < 3; ++piece) {
        const std::string got = receiver.Next();
        // No replacement character and no lone half encoded on its own (ED A0..BF ..).
        EXPECT_EQ(got.find("\xEF\xBF\xBD"), std::string::npos) << "piece " << piece;
        EXPECT_EQ(got.find('\xED'), std::string::npos) << "piece " << piece;
        all += got;
    }
    EXPECT_EQ(all, expected);
}

TEST_F(TraceStreams, APairSplitBetweenTwoWritesAtTheLimitTravelsWhole)
{
    Receiver receiver;
    KX::SetDebugTraceTarget("127.0.0.1", receiver.Port());
    // The first write fills the buffer and ends on the first half of a pair.
    std::u16string first(1022, u'x');
    first.push_back(u'\xD83C');
    const std::u16string second = u"\xDFB9y";
    trace.wideStream.write(first.data(), static_cast<std::streamsize>(first.size()));
    trace.wideStream.write(second.data(), static_cast<std::streamsize>(second.size()));
    trace.wideStream.flush();
    receiver.ExpectAnnouncement("127.0.0.1");
    EXPECT_EQ(receiver.Next(), std::string(1022, 'x'));
    EXPECT_EQ(receiver.Next(), "\xF0\x9F\x8E\xB9y");
}

TEST_F(TraceStreams, EmptyFlushSendsNoTextButStillAnnounces)
{
    Receiver receiver;
    KX::SetDebugTraceTarget("127.0.0.1", receiver.Port());
    trace.narrowStream << std::flush;
    trace.wideStream << u"" << std::flush;
    trace.narrowStream << "marker" << std::flush;
    receiver.ExpectAnnouncement("127.0.0.1");
    EXPECT_EQ(receiver.Next(), "marker");
}

TEST_F(TraceStreams, WideTextTravelsAsUtf8)
{
    Receiver receiver;
    KX::SetDebugTraceTarget("127.0.0.1", receiver.Port());
    trace.wideStream << u"Gr\u00fc\u00dfe " << u"\U0001F3B9" << std::flush;
    receiver.ExpectAnnouncement("127.0.0.1");
    EXPECT_EQ(receiver.Next(), "Gr\xC3\xBC\xC3\x9F"
                               "e \xF0\x9F\x8E\xB9");
}

TEST_F(TraceStreams, WithoutAHostTheDatagramsGoToTheLocalComputer)
{
    char name[64] = {};
    ASSERT_EQ(::gethostname(name, sizeof name), 0);
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    std::string address = "127.0.0.1";
    if (::getaddrinfo(name, nullptr, &hints, &found) == 0 && found) {
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr, text, sizeof text);
        address = text;
        ::freeaddrinfo(found);
    }
    // Only ever sends to this machine's loopback range.
    if (address.rfind("127.", 0) != 0)
        GTEST_SKIP() << "the local host name resolves outside the loopback range";
    Receiver receiver(address.c_str());
    ASSERT_GT(receiver.Port(), 0);
    KX::SetDebugTraceTarget(nullptr, receiver.Port());
    trace.narrowStream << "to myself" << std::flush;
    receiver.ExpectAnnouncement(address);
    EXPECT_EQ(receiver.Next(), "to myself");
}

TEST_F(TraceStreams, ALaterTargetIsUsedAndAPortOutsideTheRangeGetsNothing)
{
    Receiver first;
    Receiver second;
    KX::SendTraceDatagram("127.0.0.1", first.Port(), "one");
    first.ExpectAnnouncement("127.0.0.1");
    EXPECT_EQ(first.Next(), "one");
    // A port that would be cut down to the second receiver's port sends nothing anywhere.
    KX::SendTraceDatagram("127.0.0.1", second.Port() + 65536, "wrapped");
    KX::SendTraceDatagram("localhost", second.Port(), "two");
    EXPECT_EQ(second.Next(), "two");
}

TEST_F(TraceStreams, PortBelowOneSendsToTheDebuggerAgain)
{
    Receiver receiver;
    KX::SetDebugTraceTarget("127.0.0.1", receiver.Port());
    trace.narrowStream << "udp" << std::flush;
    KX::SetDebugTraceTarget(nullptr, 0);
    EXPECT_EQ(KX::GetDebugTraceHost(), "127.0.0.1"); // no host given: the host is kept
    StderrCapture capture;
    trace.narrowStream << "debugger" << std::flush;
    EXPECT_EQ(capture.Text(), "debugger");
    receiver.ExpectAnnouncement("127.0.0.1");
    EXPECT_EQ(receiver.Next(), "udp");
}

TEST_F(TraceStreams, StreamDestructionFlushesWhatIsBuffered)
{
    Receiver receiver;
    KX::SetDebugTraceTarget("127.0.0.1", receiver.Port());
    {
        KX::basic_dostream<char> stream;
        stream << "left in the buffer";
    }
    receiver.ExpectAnnouncement("127.0.0.1");
    EXPECT_EQ(receiver.Next(), "left in the buffer");
}

TEST_F(TraceStreams, OpenDebugConsolePointsBothOutputsAtStandardError)
{
    KX::OpenDebugConsole();
    EXPECT_EQ(&KX::DebugOut(), &std::cerr);
    EXPECT_EQ(&KX::DebugOutW(), &KX::WideErrorStream());
    StderrCapture capture;
    KX::DebugOut() << "narrow " << 7 << std::flush;
    // A surrogate pair split over two writes still comes out as one character.
    const char16_t pair[] = u"\U0001F3B9";
    KX::DebugOutW() << u" wide \u00e9 ";
    KX::DebugOutW().put(pair[0]);
    KX::DebugOutW().put(pair[1]);
    KX::DebugOutW() << std::flush;
    EXPECT_EQ(capture.Text(), "narrow 7 wide \xC3\xA9 \xF0\x9F\x8E\xB9");
    // Back to the debug streams for the tests that follow in this process.
    KX::GetDebugTrace().narrowOut.store(&KX::GetDebugTrace().narrowStream);
    KX::GetDebugTrace().wideOut.store(&KX::GetDebugTrace().wideStream);
}

} // namespace
