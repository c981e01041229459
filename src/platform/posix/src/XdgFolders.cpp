#include "platform/posix/XdgFolders.h"

#include "platform/posix/FileIo.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace platform::posix {

namespace {

std::optional<std::string> Variable(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || !*value)
        return std::nullopt;
    return std::string(value);
}

// An absolute path without trailing "/" (the root stays "/"); empty for anything else.
std::string Absolute(const std::optional<std::string>& value)
{
    if (!value || value->empty() || (*value)[0] != '/')
        return {};
    std::string path = *value;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string Join(const std::string& folder, std::string_view tail)
{
    if (folder.empty())
        return {};
    std::string out = folder;
    if (out.back() != '/')
        out += '/';
    out += tail;
    return out;
}

std::string BaseOrDefault(const std::optional<std::string>& value, const XdgEnvironment& env, std::string_view tail)
{
    std::string path = Absolute(value);
    return path.empty() ? Join(HomeFolder(env), tail) : path;
}

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// One logical value of a user-dirs line: quoted with backslash escapes, or bare up to a blank or "#".
std::optional<std::string> ReadValue(std::string_view rest)
{
    std::string value;
    if (!rest.empty() && rest.front() == '"') {
        size_t i = 1;
        for (; i < rest.size() && rest[i] != '"'; ++i) {
            if (rest[i] == '\\' && i + 1 < rest.size())
                ++i;
            value += rest[i];
        }
        if (i >= rest.size())
            return std::nullopt; // no closing quote
        rest.remove_prefix(i + 1);
    } else {
        size_t i = 0;
        for (; i < rest.size() && rest[i] != ' ' && rest[i] != '\t' && rest[i] != '#'; ++i)
            value += rest[i];
        rest.remove_prefix(i);
    }
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t'))
        rest.remove_prefix(1);
    if (!rest.empty() && rest.front() != '#')
        return std::nullopt; // more than one word
    return value;
}

} // namespace

XdgEnvironment XdgEnvironment::FromProcess()
{
    XdgEnvironment env;
    env.home = Variable("HOME");
    if (!env.home) {
        long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
        std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
        struct passwd pw {};
        struct passwd* found = nullptr;
        if (::getpwuid_r(::getuid(), &pw, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
            *found->pw_dir)
            env.home = std::string(found->pw_dir);
    }
    env.dataHome = Variable("XDG_DATA_HOME");
    env.configHome = Variable("XDG_CONFIG_HOME");
    env.cacheHome = Variable("XDG_CACHE_HOME");
    env.runtimeDir = Variable("XDG_RUNTIME_DIR");
    return env;
}

std::string HomeFolder(const XdgEnvironment& env)
{
    return Absolute(env.home);
}

std::string DataHome(const XdgEnvironment& env)
{
    return BaseOrDefault(env.dataHome, env, ".local/share");
}

std::string ConfigHome(const XdgEnvironment& env)
{
    return BaseOrDefault(env.configHome, env, ".config");
}

std::string CacheHome(const XdgEnvironment& env)
{
    return BaseOrDefault(env.cacheHome, env, ".cache");
}

std::string RuntimeDir(const XdgEnvironment& env)
{
    std::string path = Absolute(env.runtimeDir);
    return !path.empty() && IsFolder(path) ? path : std::string();
}

std::optional<std::string> ParseUserDirsEntry(std::string_view text, std::string_view key, std::string_view home)
{
    std::optional<std::string> result;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (line.substr(0, key.size()) != key)
            continue;
        line.remove_prefix(key.size());
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (line.empty() || line.front() != '=')
            continue; // another key with this one as prefix, or no assignment
        line.remove_prefix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        std::optional<std::string> value = ReadValue(line);
        if (!value || value->find('\0') != std::string::npos)
            continue;
        std::string path;
        std::string_view v = *value;
        if (v.substr(0, 5) == "$HOME" && (v.size() == 5 || v[5] == '/')) {
            if (home.empty() || home.front() != '/')
                continue;
            path.assign(home);
            v.remove_prefix(5);
            while (!v.empty() && v.front() == '/')
                v.remove_prefix(1);
            if (!v.empty()) {
                if (path.back() != '/')
                    path += '/';
                path += v;
            }
        } else if (!v.empty() && v.front() == '/') {
            path.assign(v);
        } else {
            continue; // relative or another variable
        }
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        result = std::move(path);
    }
    return result;
}

std::string DocumentsFolder(const XdgEnvironment& env)
{
    const std::string home = HomeFolder(env);
    const std::string config = ConfigHome(env);
    if (!config.empty()) {
        UniqueFd fd = OpenFd(config + "/user-dirs.dirs", O_RDONLY);
        if (fd) {
            std::string text;
            char buffer[4096];
            constexpr size_t kLimit = 64 * 1024;
            while (text.size() < kLimit) {
                const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    break;
                text.append(buffer, static_cast<size_t>(n));
            }
            if (text.size() > kLimit)
                text.resize(kLimit);
            if (std::optional<std::string> documents = ParseUserDirsEntry(text, "XDG_DOCUMENTS_DIR", home))
                return *documents;
        }
    }
    return home;
}

int MakeFolderChain(const std::string& path)
{
    if (path.empty())
        return ENOENT;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        const std::string part = path.substr(0, pos);
        if (part.empty() || part == "/")
            continue;
        if (::mkdir(part.c_str(), 0700) == 0)
            continue;
        const int error = errno;
        if (error != EEXIST)
            return error;
        if (::stat(part.c_str(), &st) != 0)
            return errno;
        if (!S_ISDIR(st.st_mode))
            return ENOTDIR;
    }
    return 0;
}

} // namespace platform::posix
