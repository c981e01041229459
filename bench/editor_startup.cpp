// The editor program against a bare SDL + Cairo window program, side by side: the time from the
// start of the process to its first painted frame and the peak memory (each program run as a child
// process, several times); and a full repaint of the editor's main window against the plain-Cairo
// frame of the same size. The repaint runs inside the editor program, on its own main window.
//
//   bench_editor_startup                    the benchmarks
//   bench_editor_startup --first-frame DIR  the editor program that ends after its first frame
//                                           (DIR: its single-instance folder)
#include "EditorScene.h"

#include "editor/Application.h"
#include "editor/EditorProgram.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
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

BENCHMARK(BM_FirstFrame_BareSdlCairo)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstFrame_Editor)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Repaint_MainWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(benchscene::BM_FramePlainCairo)->Name("BM_Repaint_PlainCairoFrame")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    g_self = std::filesystem::canonical("/proc/self/exe").string();
    g_bareWindow = (std::filesystem::path(g_self).parent_path() / "bench_bare_window").string();
    char pattern[] = "/tmp/lumo-bench-XXXXXX";
    g_instanceFolder = ::mkdtemp(pattern) ? pattern : "/tmp";
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
    EditorProgramOptions options;
    options.instanceFolder = g_instanceFolder;
    options.onStarted = [](LApplication& app) {
        g_app = &app;
        benchmark::RunSpecifiedBenchmarks();
        g_app = nullptr;
        app.RequestExit();
    };
    const int status = RunEditorProgram({argv[0]}, std::move(options));
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(g_instanceFolder, ignored);
    return status;
}
