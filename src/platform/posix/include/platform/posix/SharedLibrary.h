#pragma once
// SharedLibrary: a shared library loaded at run time (dlopen), its entry points resolved by
// name, and unloaded when the object is dropped. Movable, not copyable.
#include <string>
#include <string_view>

namespace platform::posix {

// The folder of the running executable in UTF-8, without a trailing "/" ("/" for the root);
// empty when it cannot be read.
std::string ExecutableFolder();

class SharedLibrary {
public:
    SharedLibrary() noexcept = default;
    // Loads the file at path with every symbol bound now and kept local. A path without "/" is
    // looked for by the system's search; one with "/" only there.
    explicit SharedLibrary(const std::string& path);
    ~SharedLibrary();

    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // The library of that file name in the executable's folder.
    static SharedLibrary LoadBesideExecutable(std::string_view fileName);

    bool IsLoaded() const noexcept { return m_handle != nullptr; }
    explicit operator bool() const noexcept { return IsLoaded(); }

    // The address of an exported symbol; null when not loaded or not exported.
    void* Symbol(const char* name) const noexcept;
    // Stores the entry point name, converted to the function-pointer type of fn, in fn (null when
    // missing); whether it was found.
    template <class Fn>
    bool Resolve(Fn& fn, const char* name) const noexcept
    {
        fn = reinterpret_cast<Fn>(Symbol(name));
        return fn != nullptr;
    }

    // Unloads now: 0, or -1 when the system refused (the object is empty either way).
    int Unload() noexcept;
    // Keeps the library loaded until the process ends: the object lets go of it without
    // unloading it and is empty afterwards; resolved entry points stay valid.
    void Release() noexcept { m_handle = nullptr; }

    // The loader's message from the last failed load or lookup; empty when there was none.
    const std::string& LastError() const noexcept { return m_error; }

private:
    void* m_handle = nullptr;
    mutable std::string m_error;
};

} // namespace platform::posix
