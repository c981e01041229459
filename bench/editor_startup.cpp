// The editor program against a bare SDL + Cairo window program, side by side: the time from the
// start of the process to its first painted frame and the peak memory (each program run as a child
// process, several times); and a full repaint of the editor's main window against the plain-Cairo
// frame of the same size. The repaint runs inside the editor program, on its own main window.
//
//   bench_editor_startup                    the benchmarks
//   bench_editor_startup --first-frame DIR  the editor program that ends after its first frame
//                                           (DIR: its single-instance folder)
#include "EditorScene.h"
#include "InEditorProgram.h"

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
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

LApplication* g_app = nullptr;
std::string g_self;
std::string g_bareWindow;
std::string g_instanceFolder;

int64_t MonotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Runs argv as a child with its output in a pipe: the nanoseconds from the spawn to the "frame"
// line it prints, and its peak resident memory in KiB. False when it fails.
bool RunChild(std::vector<std::string> args, double& seconds, long& peakKiB)
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
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    const size_t at = output.find("frame ");
    if (at == std::string::npos)
        return false;
    const int64_t frame = std::atoll(output.c_str() + at + 6);
    seconds = double(frame - start) / 1e9;
    peakKiB = usage.ru_maxrss;
    return true;
}

void FirstFrame(benchmark::State& state, const std::vector<std::string>& args)
{
    long peak = 0;
    for (auto _ : state) {
        double seconds = 0;
        long kib = 0;
        if (!RunChild(args, seconds, kib)) {
            state.SkipWithError("the program did not paint its first frame");
            return;
        }
        state.SetIterationTime(seconds);
        peak = std::max(peak, kib);
    }
    state.counters["peak_rss_KiB"] = double(peak);
}

void BM_FirstFrame_Editor(benchmark::State& state)
{
    FirstFrame(state, {g_self, "--first-frame", g_instanceFolder + "/child"});
}

void BM_FirstFrame_BareSdlCairo(benchmark::State& state)
{
    FirstFrame(state, {g_bareWindow});
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
BENCHMARK(BM_Repaint_MainWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(benchscene::BM_FramePlainCairo)->Name("BM_Repaint_PlainCairoFrame")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Repaint_PlainCairoFramePresented)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchapp::DrawOffscreenWithoutDisplay();
    g_self = std::filesystem::canonical("/proc/self/exe").string();
    g_bareWindow = (std::filesystem::path(g_self).parent_path() / "bench_bare_window").string();
    g_instanceFolder = benchapp::MakeTempFolder("lumo-bench");
    std::filesystem::create_directories(g_instanceFolder + "/child");

    if (argc >= 3 && std::string(argv[1]) == "--first-frame") {
        EditorProgramOptions options;
        options.instanceFolder = argv[2];
        options.onStarted = [](LApplication& app) {
            // The first idle pass comes after the shown window's first paint was delivered.
            app.onIdle = [&app] {
                if (app.IsExitRequested())
                    return;
                std::printf("frame %lld\n", static_cast<long long>(MonotonicNs()));
                std::fflush(stdout);
                app.RequestExit();
            };
        };
        return RunEditorProgram({argv[0]}, std::move(options));
    }

    benchmark::Initialize(&argc, argv);
    return benchapp::RunBenchmarksInEditor(argv[0], g_instanceFolder, g_app);
}
