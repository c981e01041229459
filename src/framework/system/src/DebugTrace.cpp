#include "kx/DebugTrace.h"

#include "kx/Exception.h"
#include "kx/Utf8.h"

#include "platform/posix/FileIo.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>
#include <streambuf>
#include <vector>

namespace KX {

template class basic_debugbuf<char>;
template class basic_debugbuf<char16_t>;
template class basic_dostream<char>;
template class basic_dostream<char16_t>;

namespace {

// The trace target; kept for the whole process so that streams flushed at exit still find it.
struct TraceTarget {
    std::mutex lock;
    std::string host;
    int32_t port = -1;
};

TraceTarget& Target()
{
    static auto* target = new TraceTarget;
    return *target;
}

// The UDP sender's state, likewise kept until the process ends.
struct TraceSender {
    std::mutex lock;
    platform::posix::UniqueFd socket;
    sockaddr_in destination{};
    // What the destination was resolved for.
    std::string destinationHost;
    int32_t destinationPort = -1;
};

TraceSender& Sender()
{
    static auto* sender = new TraceSender;
    return *sender;
}

size_t Length(const char16_t* text)
{
    size_t n = 0;
    while (text[n])
        ++n;
    return n;
}

// UTF-16 to UTF-8 as the framework's strings convert it (an unpaired surrogate keeps its value).
std::string ToUtf8(const char16_t* text, size_t length)
{
    std::string out(length * 3 + 1, '\0');
    const UTF16* source = reinterpret_cast<const UTF16*>(text);
    UTF8* target = reinterpret_cast<UTF8*>(out.data());
    ConvertUTF16ToUTF8(&source, source + length, &target, reinterpret_cast<UTF8*>(out.data()) + out.size(),
                       LenientConversion);
    out.resize(static_cast<size_t>(reinterpret_cast<char*>(target) - out.data()));
    return out;
}

// Standard error may be closed or full: what does not go out is dropped.
void WriteAll(int fd, const char* data, size_t size)
{
    (void)platform::posix::WriteAll(fd, data, size);
}

// The first IPv4 address of a host name or dotted address, as text; empty when it does not resolve.
std::string ResolveFirstAddress(const char* host)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host, nullptr, &hints, &found) != 0 || !found)
        return std::string();
    std::string text;
    for (addrinfo* a = found; a; a = a->ai_next) {
        if (a->ai_family != AF_INET || !a->ai_addr)
            continue;
        char buffer[INET_ADDRSTRLEN] = {};
        const auto* address = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
        if (::inet_ntop(AF_INET, &address->sin_addr, buffer, sizeof buffer)) {
            text = buffer;
            break;
        }
    }
    ::freeaddrinfo(found);
    return text;
}

// The host's first address, else the local computer's, else the loopback address.
std::string DestinationAddress(const char* host)
{
    std::string address;
    if (host && *host)
        address = ResolveFirstAddress(host);
    if (address.empty()) {
        char name[64] = {};
        if (::gethostname(name, sizeof name) == 0) {
            name[sizeof name - 1] = '\0';
            address = ResolveFirstAddress(name);
        }
    }
    if (address.empty())
        address = "127.0.0.1";
    return address;
}

void SendOne(TraceSender& sender, const char* text)
{
    const size_t length = std::strlen(text);
    if (length == 0)
        return;
    // Send errors are ignored.
    (void)::sendto(sender.socket.Get(), text, length, MSG_NOSIGNAL,
                   reinterpret_cast<const sockaddr*>(&sender.destination), sizeof sender.destination);
}

// Standard error for UTF-16 text: converts and writes at once, holding back only the first
// half of a surrogate pair until its second half comes.
class WideErrorBuf : public std::basic_streambuf<char16_t> {
protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        const char16_t unit = traits_type::to_char_type(c);
        xsputn(&unit, 1);
        return c;
    }

    std::streamsize xsputn(const char16_t* text, std::streamsize count) override
    {
        std::lock_guard lock(m_lock);
        std::u16string units;
        if (m_pendingHigh) {
            units.push_back(m_pendingHigh);
            m_pendingHigh = 0;
        }
        units.append(text, static_cast<size_t>(count));
        if (!units.empty() && units.back() >= 0xD800 && units.back() <= 0xDBFF) {
            m_pendingHigh = units.back();
            units.pop_back();
        }
        const std::string utf8 = ToUtf8(units.data(), units.size());
        WriteAll(STDERR_FILENO, utf8.data(), utf8.size());
        return count;
    }

private:
    std::mutex m_lock;
    char16_t m_pendingHigh = 0;
};

} // namespace

DebugTrace::DebugTrace() : narrowOut(&narrowStream), wideOut(&wideStream) {}

DebugTrace& GetDebugTrace()
{
    // The target and the sender are made first, so that they outlive the streams' last flush.
    Target();
    Sender();
    static DebugTrace trace;
    return trace;
}

std::ostream& DebugOut()
{
    return *GetDebugTrace().narrowOut.load();
}

void TraceFailedResult(KXRESULT hr, std::string_view what)
{
    if (Failed(hr))
        DebugOut() << what << " : " << FormatResultCode(hr) << std::endl;
}

std::basic_ostream<char16_t>& DebugOutW()
{
    return *GetDebugTrace().wideOut.load();
}

void SetDebugTraceTarget(const char* host, int32_t port)
{
    TraceTarget& target = Target();
    std::lock_guard lock(target.lock);
    if (host && *host)
        target.host = host;
    target.port = port;
}

std::string GetDebugTraceHost()
{
    TraceTarget& target = Target();
    std::lock_guard lock(target.lock);
    return target.host;
}

int32_t GetDebugTracePort()
{
    TraceTarget& target = Target();
    std::lock_guard lock(target.lock);
    return target.port;
}

std::basic_ostream<char16_t>& WideErrorStream()
{
    static auto* buffer = new WideErrorBuf;
    static auto* stream = new std::basic_ostream<char16_t>(buffer);
    return *stream;
}

void OpenDebugConsole()
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    std::ios::sync_with_stdio(true);
    DebugTrace& trace = GetDebugTrace();
    trace.narrowOut.store(&std::cerr);
    trace.wideOut.store(&WideErrorStream());
}

void SendTraceDatagram(const char* host, int32_t port, const char* text)
{
    // A port outside the UDP range would be cut down to another port: nothing goes there.
    if (port < 1 || port > 65535)
        return;
    TraceSender& sender = Sender();
    std::lock_guard lock(sender.lock);
    const std::string hostText = host ? host : "";
    if (!sender.socket || sender.destinationHost != hostText || sender.destinationPort != port) {
        const std::string address = DestinationAddress(host);
        sender.destination = sockaddr_in{};
        sender.destination.sin_family = AF_INET;
        ::inet_pton(AF_INET, address.c_str(), &sender.destination.sin_addr);
        sender.destination.sin_port = htons(static_cast<uint16_t>(port));
        sender.destinationHost = hostText;
        sender.destinationPort = port;
        if (!sender.socket) {
            sender.socket.Reset(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP));
            if (sender.socket) {
                SendOne(sender, "*** APPLICATION Launched on ");
                SendOne(sender, address.c_str());
                SendOne(sender, "***\n");
            }
        }
    }
    if (!sender.socket || !text)
        return;
    SendOne(sender, text);
}

namespace Detail {

void DebuggerOutput(const char* text)
{
    if (text)
        WriteAll(STDERR_FILENO, text, std::strlen(text));
}

void DebuggerOutput(const char16_t* text)
{
    if (!text)
        return;
    const std::string utf8 = ToUtf8(text, Length(text));
    WriteAll(STDERR_FILENO, utf8.data(), utf8.size());
}

namespace {
bool TargetOf(std::string& host, int32_t& port)
{
    TraceTarget& target = Target();
    std::lock_guard lock(target.lock);
    host = target.host;
    port = target.port;
    return port >= 1;
}
} // namespace

void EmitTrace(const char* text)
{
    std::string host;
    int32_t port = -1;
    if (!TargetOf(host, port)) {
        DebuggerOutput(text);
        return;
    }
    SendTraceDatagram(host.empty() ? nullptr : host.c_str(), port, text);
}

void EmitTrace(const char16_t* text)
{
    std::string host;
    int32_t port = -1;
    if (!TargetOf(host, port)) {
        DebuggerOutput(text);
        return;
    }
    const std::string narrow = ToUtf8(text, Length(text));
    SendTraceDatagram(host.empty() ? nullptr : host.c_str(), port, narrow.c_str());
}

void ResetTraceSender()
{
    TraceSender& sender = Sender();
    std::lock_guard lock(sender.lock);
    sender.socket.Reset();
    sender.destination = sockaddr_in{};
    sender.destinationHost.clear();
    sender.destinationPort = -1;
}

} // namespace Detail

} // namespace KX
