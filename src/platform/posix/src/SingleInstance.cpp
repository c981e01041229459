#include "platform/posix/SingleInstance.h"

#include "platform/posix/FileIo.h"
#include "platform/posix/ForkGuard.h"
#include "platform/posix/XdgFolders.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

namespace platform::posix {

namespace {

using Clock = std::chrono::steady_clock;

// No first instance yet listening: how long a second one keeps trying to connect.
constexpr std::chrono::milliseconds kConnectRetry{500};
// Connections the first instance keeps open at once; more are closed unanswered.
constexpr size_t kMaxPending = 16;

void PutU32(char* out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t GetU32(const uint8_t* in)
{
    return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 | static_cast<uint32_t>(in[2]) << 16 |
           static_cast<uint32_t>(in[3]) << 24;
}

bool FillAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

int RemainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

// Waits for events on fd until the deadline: 0, ETIMEDOUT, or the errno of poll.
int WaitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, RemainingMs(deadline));
        if (n > 0)
            return 0;
        if (n == 0)
            return ETIMEDOUT;
        if (errno != EINTR)
            return errno;
    }
}

void SendReply(int fd, uint32_t status)
{
    char reply[8];
    PutU32(reply, kHandOverTag);
    PutU32(reply + 4, status);
    // A fresh connection has room for 8 bytes; a peer that went away is simply not answered.
    while (::send(fd, reply, sizeof reply, MSG_NOSIGNAL | MSG_DONTWAIT) < 0 && errno == EINTR) {
    }
}

bool SameUser(int fd)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::geteuid();
}

} // namespace

std::string EncodeHandOver(std::string_view text)
{
    if (text.find('\0') != std::string_view::npos || text.size() + 1 > kMaxHandOverBytes)
        return {};
    std::string frame(8, '\0');
    PutU32(frame.data(), kHandOverTag);
    PutU32(frame.data() + 4, static_cast<uint32_t>(text.size() + 1));
    frame.append(text);
    frame.push_back('\0');
    return frame;
}

HandOverReader::State HandOverReader::Fail(std::string text)
{
    m_error = std::move(text);
    m_state = State::Error;
    return m_state;
}

HandOverReader::State HandOverReader::Feed(const void* data, size_t size, size_t* consumed)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t used = 0;
    while (m_state == State::NeedMore && used < size) {
        if (m_headerHave < sizeof m_header) {
            m_header[m_headerHave++] = bytes[used++];
            if (m_headerHave == 4 && GetU32(m_header) != kHandOverTag)
                Fail("unknown tag");
            if (m_headerHave == 8) {
                m_length = GetU32(m_header + 4);
                if (m_length == 0 || m_length > kMaxHandOverBytes)
                    Fail("length " + std::to_string(m_length) + " outside 1.." + std::to_string(kMaxHandOverBytes));
                else
                    m_body.reserve(m_length);
            }
            continue;
        }
        const size_t take = std::min<size_t>(size - used, m_length - m_body.size());
        const auto* start = reinterpret_cast<const char*>(bytes + used);
        const void* zero = std::memchr(start, '\0', take);
        m_body.append(start, take);
        used += take;
        const bool full = m_body.size() == m_length;
        if (zero && (!full || static_cast<const char*>(zero) != start + take - 1))
            Fail("zero byte inside the text");
        else if (full && m_body.back() != '\0')
            Fail("text not ended by a zero byte");
        else if (full)
            m_state = State::Complete;
    }
    if (consumed)
        *consumed = used;
    return m_state;
}

std::string_view HandOverReader::Text() const noexcept
{
    if (m_state != State::Complete)
        return {};
    return std::string_view(m_body).substr(0, m_body.size() - 1);
}

SingleInstance::~SingleInstance()
{
    Release();
}

SingleInstance& SingleInstance::operator=(SingleInstance&& other) noexcept
{
    if (this != &other) {
        Release();
        m_role = other.m_role;
        m_error = other.m_error;
        m_lockPath = std::move(other.m_lockPath);
        m_socketPath = std::move(other.m_socketPath);
        m_lock = std::move(other.m_lock);
        m_listen = std::move(other.m_listen);
        m_pending = std::move(other.m_pending);
    }
    return *this;
}

void SingleInstance::Release() noexcept
{
    // Only the owner of a live listening socket removes its file (a moved-from object holds none);
    // the lock is let go last.
    if (m_role == Role::First && m_listen)
        ::unlink(m_socketPath.c_str());
    m_pending.clear();
    KeepInForkedChildren(m_listen.Get());
    m_listen.Reset();
    KeepInForkedChildren(m_lock.Get());
    m_lock.Reset();
}

std::string SingleInstance::DefaultFolder()
{
    const XdgEnvironment env = XdgEnvironment::FromProcess();
    std::string folder = RuntimeDir(env);
    if (!folder.empty())
        return folder;
    folder = CacheHome(env);
    if (!folder.empty() && MakeFolderChain(folder) != 0)
        return {};
    return folder;
}

SingleInstance SingleInstance::Acquire(const std::string& name, const std::string& folderIn)
{
    SingleInstance result;
    if (name.empty() || name.find('/') != std::string::npos || name.find('\0') != std::string::npos) {
        result.m_error = EINVAL;
        return result;
    }
    std::string folder = folderIn.empty() ? DefaultFolder() : folderIn;
    if (folder.empty()) {
        result.m_error = ENOENT;
        return result;
    }
    if (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    const std::string base = (folder == "/" ? std::string() : folder) + "/" + name + "Prevent";
    result.m_lockPath = base + ".lock";
    result.m_socketPath = base + ".sock";

    result.m_lock = OpenFd(result.m_lockPath, O_RDWR | O_CREAT, 0600);
    if (!result.m_lock) {
        result.m_error = errno;
        return result;
    }
    int rc;
    while ((rc = ::flock(result.m_lock.Get(), LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (rc != 0) {
        const int error = errno;
        result.m_lock.Reset();
        if (error == EWOULDBLOCK) {
            result.m_role = Role::Second;
        } else {
            result.m_error = error;
        }
        return result;
    }
    result.m_role = Role::First;
    CloseInForkedChildren(result.m_lock.Get());

    // The lock is ours: whatever socket file is there is left from a run that ended.
    sockaddr_un address{};
    if (!FillAddress(result.m_socketPath, address)) {
        result.m_error = ENAMETOOLONG;
        return result;
    }
    UniqueFd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!listener) {
        result.m_error = errno;
        return result;
    }
    if (::unlink(result.m_socketPath.c_str()) != 0 && errno != ENOENT) {
        result.m_error = errno;
        return result;
    }
    if (::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener.Get(), 8) != 0) {
        result.m_error = errno;
        return result;
    }
    result.m_listen = std::move(listener);
    CloseInForkedChildren(result.m_listen.Get());
    return result;
}

int SingleInstance::HandOver(std::string_view text, std::chrono::milliseconds timeout) const
{
    const std::string frame = EncodeHandOver(text);
    if (frame.empty())
        return EINVAL;
    sockaddr_un address{};
    if (!FillAddress(m_socketPath, address))
        return m_socketPath.empty() ? ENOENT : ENAMETOOLONG;

    const Clock::time_point deadline = Clock::now() + timeout;
    const Clock::time_point retryEnd = Clock::now() + std::min<std::chrono::milliseconds>(timeout, kConnectRetry);
    UniqueFd fd;
    for (;;) {
        fd.Reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
        if (!fd)
            return errno;
        if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            break;
        const int error = errno;
        if (error == EINTR)
            continue;
        const bool starting = error == ECONNREFUSED || error == ENOENT;
        if (!(starting && Clock::now() < retryEnd) && !(error == EAGAIN && Clock::now() < deadline))
            return error;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }

    size_t sent = 0;
    while (sent < frame.size()) {
        const ssize_t n = ::send(fd.Get(), frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (const int error = WaitFor(fd.Get(), POLLOUT, deadline))
                return error;
            continue;
        }
        return n < 0 ? errno : EIO;
    }

    uint8_t reply[8];
    size_t have = 0;
    while (have < sizeof reply) {
        const ssize_t n = ::recv(fd.Get(), reply + have, sizeof reply - have, 0);
        if (n > 0) {
            have += static_cast<size_t>(n);
            continue;
        }
        if (n == 0)
            return ECONNRESET; // closed without an answer
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return errno;
        if (const int error = WaitFor(fd.Get(), POLLIN, deadline))
            return error;
    }
    if (GetU32(reply) != kHandOverTag || GetU32(reply + 4) != kHandOverAccepted)
        return EPROTO;
    return 0;
}

int SingleInstance::Poll(const CommandLineHandler& handler, std::chrono::milliseconds stallLimit)
{
    if (!m_listen)
        return 0;
    const Clock::time_point now = Clock::now();
    for (;;) {
        UniqueFd fd(::accept4(m_listen.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            break; // EAGAIN: none waiting; anything else: try again next pass
        }
        if (m_pending.size() >= kMaxPending || !SameUser(fd.Get()))
            continue; // closed unanswered
        m_pending.push_back({std::move(fd), HandOverReader{}, now});
    }

    // Requests collected first, handed on after the connections are settled.
    std::vector<std::pair<UniqueFd, std::string>> complete;
    for (size_t i = 0; i < m_pending.size();) {
        Pending& p = m_pending[i];
        bool closed = false;
        char buffer[4096];
        while (p.reader.GetState() == HandOverReader::State::NeedMore) {
            const ssize_t n = ::recv(p.fd.Get(), buffer, sizeof buffer, 0);
            if (n > 0) {
                p.reader.Feed(buffer, static_cast<size_t>(n));
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            closed = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
            break;
        }
        const HandOverReader::State state = p.reader.GetState();
        if (state == HandOverReader::State::Complete) {
            complete.emplace_back(std::move(p.fd), std::string(p.reader.Text()));
        } else if (state == HandOverReader::State::Error) {
            SendReply(p.fd.Get(), kHandOverMalformed);
        } else if (!closed && now - p.since < stallLimit) {
            ++i;
            continue;
        }
        m_pending.erase(m_pending.begin() + static_cast<std::ptrdiff_t>(i));
    }

    for (auto& [fd, text] : complete) {
        const bool taken = handler ? handler(text) : false;
        SendReply(fd.Get(), taken ? kHandOverAccepted : kHandOverRefused);
    }
    return static_cast<int>(complete.size());
}

} // namespace platform::posix
