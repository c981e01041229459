// zenity and kdialog as child processes: an argument vector for posix_spawnp, the answer read from
// a pipe on standard output, the exit code mapped to the result.
#include "platform/filechooser/FileChooser.h"
#include "platform/posix/ForkGuard.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform::filechooser {

namespace {

// More answer than any list of paths needs; the rest is read and dropped.
constexpr size_t kMaxAnswerBytes = size_t(16) << 20;
// zenity's separator for several files: absolute, normalised paths never hold "//".
constexpr std::string_view kZenitySeparator = "//";

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    if (name.empty())
        return folder.back() == '/' ? folder : folder + "/";
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

struct ChildRun {
    int spawnError = 0; // errno of the start; 0 when it ran
    int status = 0;     // as waitpid gives it
    std::string answer;
    bool overflow = false;
};

ChildRun Run(const std::vector<std::string>& arguments)
{
    ChildRun run;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        run.spawnError = errno;
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int signal : {SIGPIPE, SIGCHLD, SIGINT, SIGQUIT, SIGTERM, SIGHUP})
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    run.spawnError = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (run.spawnError != 0) {
        close(fds[0]);
        return run;
    }
    // A termination signal ends the chooser, so that the program can quit.
    platform::posix::EndOnTerminationSignal(pid);

    char buffer[4096];
    while (true) {
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        if (run.answer.size() + static_cast<size_t>(n) > kMaxAnswerBytes)
            run.overflow = true;
        else
            run.answer.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    while (waitpid(pid, &run.status, 0) < 0) {
        if (errno != EINTR) {
            run.status = -1;
            break;
        }
    }
    platform::posix::ForgetOnTerminationSignal(pid);
    return run;
}

std::vector<std::string> SplitAnswer(Program program, const Request& request, std::string answer)
{
    if (!answer.empty() && answer.back() == '\n')
        answer.pop_back();
    std::vector<std::string> paths;
    if (answer.empty())
        return paths;
    if (request.mode != Mode::OpenMultiple) {
        paths.push_back(std::move(answer));
        return paths;
    }
    // zenity joins with its separator; kdialog writes one path a line (a line that does not start
    // a new absolute path belongs to a name holding a newline).
    const std::string_view separator = program == Program::Zenity ? kZenitySeparator : std::string_view("\n/");
    const size_t keep = program == Program::Zenity ? 0 : 1;
    size_t start = 0;
    while (true) {
        const size_t end = answer.find(separator, start);
        if (end == std::string::npos) {
            paths.push_back(answer.substr(start));
            return paths;
        }
        paths.push_back(answer.substr(start, end - start));
        start = end + separator.size() - keep;
    }
}

} // namespace

std::vector<std::string> ProgramArguments(Program program, const Request& request)
{
    std::vector<std::string> args;
    const bool save = request.mode == Mode::Save;
    const std::string start = save ? JoinPath(request.folder, request.proposedName) : JoinPath(request.folder, "");
    if (program == Program::Zenity) {
        args = {"zenity", "--file-selection"};
        if (!request.title.empty())
            args.push_back("--title=" + request.title);
        if (save) {
            args.push_back("--save");
            args.push_back("--confirm-overwrite");
        }
        if (request.mode == Mode::OpenMultiple) {
            args.push_back("--multiple");
            args.push_back("--separator=" + std::string(kZenitySeparator));
        }
        if (!start.empty())
            args.push_back("--filename=" + start);
        for (const Filter& filter : request.filters) {
            std::string entry = "--file-filter=" + filter.name + " |";
            for (const std::string& pattern : filter.patterns)
                entry += " " + CaseInsensitiveGlob(pattern);
            args.push_back(std::move(entry));
        }
        return args;
    }
    args = {"kdialog"};
    if (!request.title.empty()) {
        args.push_back("--title");
        args.push_back(request.title);
    }
    args.push_back(save ? "--getsavefilename" : "--getopenfilename");
    args.push_back(start.empty() ? std::string(".") : start);
    std::string filters;
    for (const Filter& filter : request.filters) {
        if (!filters.empty())
            filters += "\n";
        for (size_t i = 0; i < filter.patterns.size(); ++i)
            filters += (i ? " " : "") + filter.patterns[i];
        filters += "|" + filter.name;
    }
    if (!filters.empty())
        args.push_back(filters);
    if (request.mode == Mode::OpenMultiple) {
        args.push_back("--multiple");
        args.push_back("--separate-output");
    }
    return args;
}

Result ChooseWithProgram(Program program, const Request& request)
{
    Result result;
    const std::vector<std::string> args = ProgramArguments(program, request);
    const std::string& name = args.front();
    const ChildRun run = Run(args);
    if (run.spawnError != 0) {
        result.status = Status::Unavailable;
        result.error = name + ": " + std::strerror(run.spawnError);
        return result;
    }
    result.chooser = name;
    result.status = Status::Failed;
    if (run.status == -1) {
        result.error = name + ": its end could not be awaited";
        return result;
    }
    // Ended by the program's own quit: nothing was chosen, and nothing to report.
    if (WIFSIGNALED(run.status) && WTERMSIG(run.status) == SIGTERM && platform::posix::TerminationSignalled()) {
        result.status = Status::Cancelled;
        return result;
    }
    if (WIFSIGNALED(run.status)) {
        result.error = name + " ended by signal " + std::to_string(WTERMSIG(run.status));
        return result;
    }
    const int code = WIFEXITED(run.status) ? WEXITSTATUS(run.status) : -1;
    if (code == 1) {
        result.status = Status::Cancelled;
        return result;
    }
    if (code != 0) {
        result.error = name + " ended with code " + std::to_string(code);
        return result;
    }
    if (run.overflow) {
        result.error = name + " answered more than the chooser reads";
        return result;
    }
    std::vector<std::string> paths = SplitAnswer(program, request, run.answer);
    for (const std::string& path : paths) {
        if (path.empty() || path.front() != '/') {
            result.error = name + " answered something that is not an absolute path";
            return result;
        }
    }
    if (paths.empty()) {
        result.error = name + " answered no file";
        return result;
    }
    result.status = Status::Chosen;
    result.paths = std::move(paths);
    return result;
}

} // namespace platform::filechooser
