#pragma once
// Shared pieces of the application tests: a temporary folder tree, the small test skin and strings
// written as the program's resource folder, a platform whose folders live in the temporary tree,
// program options for an offline start, and child processes of this test program that run the
// editor program as a later instance.
#include "editor/AppPlatform.h"
#include "editor/EditorProgram.h"

#include "ControlsHarness.h"
#include "StringDocs.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace apptest {

namespace fs = std::filesystem;

#ifndef KX_APPTEST_NARROW
#define KX_APPTEST_NARROW
inline std::string NarrowText(const KX::WString& text)
{
    return text.ToNarrow().GetString();
}
#endif

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// SDL's offscreen video, started once for the test program and kept: the programs the tests run
// start and stop it on top, so the libraries it loads stay loaded (and their allocations reachable).
inline bool KeepOffscreenVideo()
{
    ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
    // Plain framebuffers: no software OpenGL loaded behind the window surfaces.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    static const bool started = SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER) == 0;
    return started;
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempTree {
public:
    TempTree()
    {
        std::string pattern = (fs::temp_directory_path() / "lumo-app-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            m_root = pattern;
    }
    ~TempTree()
    {
        std::error_code ignored;
        if (!m_root.empty())
            fs::remove_all(m_root, ignored);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& Root() const { return m_root; }
    // root/relative, made with its parents.
    std::string Folder(const std::string& relative) const
    {
        const std::string path = m_root + "/" + relative;
        fs::create_directories(path);
        return path;
    }

private:
    std::string m_root;
};

// The program's three documents from the test skin and strings (skin text replaced when given).
inline std::string MakeResourceFolder(const TempTree& tree, const std::string& skinText = {})
{
    const std::string folder = tree.Folder("res");
    const std::string resources = KX_EDITOR_TEST_RESOURCES;
    WriteFile(folder + "/Skins.xml", skinText.empty() ? ReadFile(resources + "app_skin.xml") : skinText);
    WriteFile(folder + "/StringTables.xml", KXTest::ToUtf16Document(ReadFile(resources + "app_strings.xml")));
    WriteFile(folder + "/FrameworkStrings.xml", ReadFile(KX_EDITOR_FRAMEWORK_STRINGS));
    return folder;
}

// The XDG environment of a user whose home is root/home.
inline platform::posix::XdgEnvironment EnvironmentIn(const TempTree& tree)
{
    platform::posix::XdgEnvironment env;
    env.home = tree.Folder("home");
    env.dataHome = tree.Folder("home/.local/share");
    env.configHome = tree.Folder("home/.config");
    env.cacheHome = tree.Folder("home/.cache");
    env.runtimeDir = tree.Folder("run");
    return env;
}

// Options for an offline start with the test resources, the folders and the instance lock in tree.
inline EditorProgramOptions OfflineOptions(const TempTree& tree)
{
    EditorProgramOptions options;
    const platform::posix::XdgEnvironment env = EnvironmentIn(tree);
    options.makePlatform = [env] { return std::make_unique<SystemAppPlatform>(env); };
    options.instanceFolder = tree.Folder("run");
    options.resourceFolder = MakeResourceFolder(tree);
    options.engine.libraryPath = KX::WString((tree.Root() + "/no-device-library.so").c_str());
    return options;
}

// The environment variable that makes AppChild.Run act, and the modes it knows.
inline constexpr const char* kChildModeVariable = "LUMO_APP_TEST_CHILD";
inline constexpr const char* kChildTreeVariable = "LUMO_APP_TEST_TREE";

// Starts this test program as a child running the editor program in mode ("second": a later
// instance; "hang": a first instance that writes root/ready and runs until killed) on tree.
inline pid_t SpawnChild(const TempTree& tree, const std::string& mode, const std::string& marker)
{
    std::vector<std::string> args = {"/proc/self/exe", "--gtest_filter=AppChild.Run", "--gtest_also_run_disabled_tests",
                                     marker};
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    env.push_back(std::string(kChildModeVariable) + "=" + mode);
    env.push_back(std::string(kChildTreeVariable) + "=" + tree.Root());
    env.push_back("SDL_VIDEODRIVER=offscreen");
    env.push_back("SDL_FRAMEBUFFER_ACCELERATION=0");
    std::vector<char*> argv, envp;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv.data(), envp.data()) != 0)
        return -1;
    return pid;
}

// The child's exit status once it ended (-1 when it was killed by a signal), or nothing yet.
inline std::optional<int> ChildStatus(pid_t pid)
{
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) != pid)
        return std::nullopt;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Waits up to limit for the child to end.
inline std::optional<int> WaitChild(pid_t pid, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (std::optional<int> status = ChildStatus(pid))
            return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::nullopt;
}

// Events pushed for a window without running any loop; a key's press and release.
using ctltest::PushClick;
using ctltest::PushMouse;
using ctltest::PushWindowEvent;
inline void PushKey(Uint32 window, SDL_Keycode key, uint16_t mod = KMOD_NONE)
{
    for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
        SDL_Event e{};
        e.type = type;
        e.key.windowID = window;
        e.key.keysym.sym = key;
        e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
        e.key.keysym.mod = mod;
        SDL_PushEvent(&e);
    }
}

// The colour (0xRRGGBB) of a window's surface at x, y as last presented; 0xFFFFFFFF off it.
inline uint32_t WindowPixel(SDL_Window* window, int32_t x, int32_t y)
{
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (!surface || x < 0 || y < 0 || x >= surface->w || y >= surface->h)
        return 0xFFFFFFFFu;
    Uint32 value = 0;
    SDL_LockSurface(surface);
    std::memcpy(&value,
                static_cast<const uint8_t*>(surface->pixels) + static_cast<ptrdiff_t>(y) * surface->pitch +
                    static_cast<ptrdiff_t>(x) * surface->format->BytesPerPixel,
                surface->format->BytesPerPixel);
    SDL_UnlockSurface(surface);
    Uint8 r = 0, g = 0, b = 0;
    SDL_GetRGB(value, surface->format, &r, &g, &b);
    return (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}

} // namespace apptest
