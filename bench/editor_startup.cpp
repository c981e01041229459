// The editor program against a bare SDL + Cairo window program, side by side in one run: the time
// from the start of the process to its first painted frame, its peak memory, and the time from the
// program's exit request to the end of the process (each program run as a child process, several
// times, without and with the keyboard simulator attached); and a full repaint of the editor's main
// window against the plain-Cairo frame of the same size. The repaint runs inside the editor
// program, on its own main window. The editor's counters frame_x and peak_x are its ratios to the
// bare window program's mean first frame and peak memory in the same run.
//
//   bench_editor_startup                               the benchmarks
//   bench_editor_startup --first-frame DIR [keyboard]  the editor program that ends after its
//                                                      first frame (DIR: its single-instance folder;
//                                                      keyboard: with the simulator attached)
#include "EditorScene.h"
#include "InEditorProgram.h"
#include "KeyboardSimulator.h"

#include "editor/Application.h"
#include "editor/EditorProgram.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

LApplication* g_app = nullptr;
std::string g_self;
std::string g_bareWindow;
std::string g_instanceFolder;
// The bare window program's means in this run: the yardstick of the editor's ratios.
double g_bareFrameSeconds = 0;
double g_barePeakKiB = 0;

int64_t MonotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// The number after "<key> " in text; -1 when it is not there.
int64_t Field(const std::string& text, const char* key)
{
    const std::string tag = std::string(key) + " ";
    const size_t at = text.find(tag);
    return at == std::string::npos ? -1 : std::atoll(text.c_str() + at + tag.size());
}

struct ChildRun {
    double frameSeconds = 0; // spawn to the "frame" line
    double exitSeconds = 0;  // the "exit" line (the exit request) to the end of the process
    long peakKiB = 0;        // the "peak" line: the child's own high-water mark of resident memory
};

// Runs args as a child with its output in a pipe and reads its lines. False when it fails.
bool RunChild(std::vector<std::string> args, ChildRun& run)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int64_t start = MonotonicNs();
    const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        return false;
    }
    std::string output;
    char buffer[256];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
        output.append(buffer, size_t(n));
    ::close(pipeFds[0]);
    int status = 0;
    const bool ended = ::waitpid(pid, &status, 0) == pid;
    const int64_t end = MonotonicNs();
    if (!ended || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    const int64_t frame = Field(output, "frame");
    const int64_t exit = Field(output, "exit");
    run.peakKiB = long(Field(output, "peak"));
    if (frame < 0 || run.peakKiB < 0)
        return false;
    run.frameSeconds = double(frame - start) / 1e9;
    run.exitSeconds = exit < 0 ? 0.0 : double(end - exit) / 1e9;
    return true;
}

// This process's peak resident memory in KiB (VmHWM); ru_maxrss of a spawned child would count
// the parent's memory it shared before its exec.
long PeakKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

enum class Measure { FirstFrame, Exit };

void RunChildren(benchmark::State& state, std::vector<std::string> args, Measure measure, bool bare = false)
{
    long peak = 0;
    double frames = 0;
    int runs = 0;
    for (auto _ : state) {
        ChildRun run;
        if (!RunChild(args, run)) {
            state.SkipWithError("the program did not paint its first frame and end normally");
            return;
        }
        state.SetIterationTime(measure == Measure::FirstFrame ? run.frameSeconds : run.exitSeconds);
        peak = std::max(peak, run.peakKiB);
        frames += run.frameSeconds;
        ++runs;
    }
    state.counters["peak_rss_KiB"] = double(peak);
    if (runs == 0)
        return;
    if (bare) {
        g_bareFrameSeconds = frames / runs;
        g_barePeakKiB = double(peak);
    } else if (g_bareFrameSeconds > 0 && g_barePeakKiB > 0) {
        state.counters["frame_x"] = frames / runs / g_bareFrameSeconds;
        state.counters["peak_x"] = double(peak) / g_barePeakKiB;
    }
}

std::vector<std::string> EditorChild(bool keyboard)
{
    std::vector<std::string> args = {g_self, "--first-frame", g_instanceFolder + "/child"};
    if (keyboard)
        args.emplace_back("keyboard");
    return args;
}

void BM_FirstFrame_BareSdlCairo(benchmark::State& state)
{
    RunChildren(state, {g_bareWindow}, Measure::FirstFrame, true);
}

void BM_FirstFrame_Editor(benchmark::State& state)
{
    RunChildren(state, EditorChild(false), Measure::FirstFrame);
}

void BM_FirstFrame_EditorWithKeyboard(benchmark::State& state)
{
    RunChildren(state, EditorChild(true), Measure::FirstFrame);
}

void BM_Exit_Editor(benchmark::State& state)
{
    RunChildren(state, EditorChild(false), Measure::Exit);
}

void BM_Exit_EditorWithKeyboard(benchmark::State& state)
{
    RunChildren(state, EditorChild(true), Measure::Exit);
}

void BM_Repaint_MainWindow(benchmark::State& state)
{
    KX::OSWindow* window = g_app ? g_app->GetMainWindow() : nullptr;
    if (!window) {
        state.SkipWithError("no main window");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(window->Redraw());
}

// The plain-Cairo frame drawn into a window of its own and presented, as the main window's repaint
// is.
void BM_Repaint_PlainCairoFramePresented(benchmark::State& state)
{
    using namespace benchscene;
    const Scene& scene = TheScene();
    SDL_Window* window =
        SDL_CreateWindow("plain", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, kWidth, kHeight, SDL_WINDOW_SHOWN);
    SDL_Surface* surface = window ? SDL_GetWindowSurface(window) : nullptr;
    if (!surface || surface->format->BytesPerPixel != 4) {
        state.SkipWithError("no 32-bit window surface");
        if (window)
            SDL_DestroyWindow(window);
        return;
    }
    // The frame is drawn into a back buffer and copied to the window, as the main window does.
    cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
    cairo_t* cr = cairo_create(target);
    const std::vector<cairo_surface_t*> images = MakeCairoImages(scene);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, kFontPoints * 96.0 / 72.0);
    for (auto _ : state) {
        PaintSceneWithCairo(cr, scene, images);
        cairo_surface_flush(target);
        SDL_LockSurface(surface);
        const unsigned char* from = cairo_image_surface_get_data(target);
        const int fromStride = cairo_image_surface_get_stride(target);
        for (int y = 0; y < std::min(kHeight, surface->h); ++y)
            std::memcpy(static_cast<unsigned char*>(surface->pixels) + ptrdiff_t(y) * surface->pitch,
                        from + ptrdiff_t(y) * fromStride, size_t(std::min(kWidth, surface->w)) * 4);
        SDL_UnlockSurface(surface);
        SDL_UpdateWindowSurface(window);
    }
    for (cairo_surface_t* image : images)
        cairo_surface_destroy(image);
    cairo_destroy(cr);
    cairo_surface_destroy(target);
    SDL_DestroyWindow(window);
}

BENCHMARK(BM_FirstFrame_BareSdlCairo)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstFrame_Editor)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstFrame_EditorWithKeyboard)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Exit_Editor)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Exit_EditorWithKeyboard)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Repaint_MainWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(benchscene::BM_FramePlainCairo)->Name("BM_Repaint_PlainCairoFrame")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Repaint_PlainCairoFramePresented)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchapp::DrawOffscreenWithoutDisplay();
    g_self = std::filesystem::canonical("/proc/self/exe").string();
    g_bareWindow = (std::filesystem::path(g_self).parent_path() / "bench_bare_window").string();
    if (argc >= 3 && std::string(argv[1]) == "--first-frame") {
        // The simulator installs its MIDI backend before the program starts and goes after it.
        std::unique_ptr<kxtest::KeyboardSimulator> keyboard;
        if (argc >= 4 && std::string(argv[3]) == "keyboard")
            keyboard = std::make_unique<kxtest::KeyboardSimulator>();
        EditorProgramOptions options;
        options.instanceFolder = argv[2];
        options.onStarted = [](LApplication& app) {
            // The first idle pass comes after the shown window's first paint was delivered.
            app.onIdle = [&app] {
                if (app.IsExitRequested())
                    return;
                std::printf("frame %lld\n", static_cast<long long>(MonotonicNs()));
                std::printf("exit %lld\n", static_cast<long long>(MonotonicNs()));
                std::fflush(stdout);
                app.RequestExit();
            };
        };
        const int status = RunEditorProgram({argv[0]}, std::move(options));
        keyboard.reset();
        std::printf("peak %ld\n", PeakKiB());
        std::fflush(stdout);
        return status;
    }

    g_instanceFolder = benchapp::MakeTempFolder("lumo-bench");
    std::filesystem::create_directories(g_instanceFolder + "/child");
    benchmark::Initialize(&argc, argv);
    return benchapp::RunBenchmarksInEditor(argv[0], g_instanceFolder, g_app);
}
