#pragma once
// Runs a benchmark program's benchmarks inside the editor program, on its own main window
// (offscreen without a display), with a single-instance folder of its own under /tmp.
#include "editor/Application.h"
#include "editor/EditorProgram.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace benchapp {

// Without a display the editor program draws offscreen.
inline void DrawOffscreenWithoutDisplay()
{
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
}

// A fresh folder "/tmp/<prefix>-XXXXXX"; /tmp itself when none could be made.
inline std::string MakeTempFolder(const std::string& prefix)
{
    std::string pattern = "/tmp/" + prefix + "-XXXXXX";
    return ::mkdtemp(pattern.data()) ? pattern : "/tmp";
}

// Runs the benchmarks benchmark::Initialize took in while the editor program runs on folder;
// app points to the program meanwhile. Removes folder afterwards. The program's exit status.
inline int RunBenchmarksInEditor(const char* self, const std::string& folder, LApplication*& app)
{
    EditorProgramOptions options;
    options.instanceFolder = folder;
    options.onStarted = [&app](LApplication& running) {
        app = &running;
        benchmark::RunSpecifiedBenchmarks();
        app = nullptr;
        running.RequestExit();
    };
    const int status = RunEditorProgram({self}, std::move(options));
    benchmark::Shutdown();
    std::error_code ignored;
    if (folder != "/tmp")
        std::filesystem::remove_all(folder, ignored);
    return status;
}

} // namespace benchapp
