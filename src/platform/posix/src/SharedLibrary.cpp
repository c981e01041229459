#include "platform/posix/SharedLibrary.h"

#include <dlfcn.h>
#include <unistd.h>

#include <utility>

namespace platform::posix {

namespace {

std::string LoaderError()
{
    const char* text = ::dlerror();
    return text ? std::string(text) : std::string("unknown error");
}

} // namespace

std::string ExecutableFolder()
{
    std::string path(4096, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
        if (n < 0)
            return {};
        if (static_cast<size_t>(n) < path.size()) {
            path.resize(static_cast<size_t>(n));
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    path.resize(slash == 0 ? 1 : slash);
    return path;
}

SharedLibrary::SharedLibrary(const std::string& path)
{
    m_handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle)
        m_error = LoaderError();
}

SharedLibrary::~SharedLibrary()
{
    Unload();
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr)), m_error(std::move(other.m_error))
{
}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept
{
    if (this != &other) {
        Unload();
        m_handle = std::exchange(other.m_handle, nullptr);
        m_error = std::move(other.m_error);
    }
    return *this;
}

SharedLibrary SharedLibrary::LoadBesideExecutable(std::string_view fileName)
{
    std::string folder = ExecutableFolder();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return SharedLibrary(folder.append(fileName));
}

void* SharedLibrary::Symbol(const char* name) const noexcept
{
    if (!m_handle || !name)
        return nullptr;
    ::dlerror();
    void* address = ::dlsym(m_handle, name);
    if (!address) {
        try {
            m_error = LoaderError();
        } catch (...) {
        }
    }
    return address;
}

int SharedLibrary::Unload() noexcept
{
    void* handle = std::exchange(m_handle, nullptr);
    if (!handle)
        return 0;
    return ::dlclose(handle) == 0 ? 0 : -1;
}

} // namespace platform::posix
