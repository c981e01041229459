// zenity and kdialog as child processes: an argument vector exec'd in a process group of its own
// (no shell), the answer read from a pipe on standard output, the exit code mapped to the result.
// A forked child of ours leads the group: it reports how the chooser ended and then ends the whole
// group, itself included, so that nothing the chooser started outlives it; it also takes the group
// down when the program goes. A termination signal of the program ends the whole group at once.
#include "platform/filechooser/FileChooser.h"
#include "platform/posix/ForkGuard.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
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
    bool ended = false; // ended by the program's own termination
    std::string answer;
    bool overflow = false;
};

// What a chooser that ignores SIGTERM gets before SIGKILL once the program is asked to end.
constexpr int kEndGraceMs = 1000;

// The file exec would run for name, looked up in PATH as execvp does; empty with error set when none.
std::string FindProgram(const std::string& name, int& error)
{
    if (name.find('/') != std::string::npos)
        return name;
    const char* path = std::getenv("PATH");
    const std::string_view folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    error = ENOENT;
    for (size_t start = 0; start <= folders.size();) {
        size_t end = folders.find(':', start);
        if (end == std::string_view::npos)
            end = folders.size();
        const std::string folder(folders.substr(start, end - start));
        const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            if (::access(candidate.c_str(), X_OK) == 0) {
                error = 0;
                return candidate;
            }
            error = EACCES;
        }
        start = end + 1;
    }
    return {};
}

// In the forked child until exec: async-signal-safe calls only. The fork guard has already made
// the child die with the process that forked it and closed the program's own descriptors.
[[noreturn]] void ExecChild(const char* file, char* const* argv, int answerFd, int errorFd)
{
    const int nullFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (nullFd < 0 || ::dup2(nullFd, STDIN_FILENO) < 0 || ::dup2(answerFd, STDOUT_FILENO) < 0) {
        const int error = errno;
        [[maybe_unused]] const ssize_t written = ::write(errorFd, &error, sizeof error);
        ::_exit(127);
    }
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    sigemptyset(&defaults.sa_mask);
    for (const int signal : {SIGPIPE, SIGCHLD, SIGINT, SIGQUIT, SIGTERM, SIGHUP})
        ::sigaction(signal, &defaults, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execve(file, argv, environ);
    const int error = errno;
    [[maybe_unused]] const ssize_t written = ::write(errorFd, &error, sizeof error);
    ::_exit(127);
}

volatile sig_atomic_t g_programGone = 0; // in the supervising child only

void OnProgramGone(int)
{
    g_programGone = 1;
}

void OnChooserEnded(int) {}

// The forked child that runs the chooser as its own child and stays with it: it leads the
// chooser's process group and ends the whole group when the program goes, however it goes (a kill
// included). Once the chooser has ended it writes the chooser's wait status to statusFd and ends
// the group, itself included, so that nothing the chooser left behind (holding the answer pipe, say)
// outlives the chooser. Async-signal-safe calls only.
[[noreturn]] void SuperviseChooser(pid_t program, const char* file, char* const* argv, int answerFd, int errorFd,
                                   int statusFd)
{
    ::setpgid(0, 0);
    sigset_t watched;
    sigemptyset(&watched);
    sigaddset(&watched, SIGCHLD);
    sigaddset(&watched, SIGUSR1);
    ::sigprocmask(SIG_BLOCK, &watched, nullptr);
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_handler = &OnProgramGone;
    ::sigaction(SIGUSR1, &action, nullptr);
    action.sa_handler = &OnChooserEnded;
    ::sigaction(SIGCHLD, &action, nullptr);
    // The program ends the group with SIGTERM: the chooser gets it, this one waits for the chooser.
    action.sa_handler = SIG_IGN;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGPIPE})
        ::sigaction(signal, &action, nullptr);
    ::prctl(PR_SET_PDEATHSIG, SIGUSR1);
    if (::getppid() != program)
        ::_exit(1);
    const pid_t chooser = ::fork();
    if (chooser == 0)
        ExecChild(file, argv, answerFd, errorFd);
    if (chooser < 0) {
        const int error = errno;
        [[maybe_unused]] const ssize_t written = ::write(errorFd, &error, sizeof error);
        ::_exit(127);
    }
    ::close(answerFd);
    ::close(errorFd);
    sigset_t none;
    sigemptyset(&none);
    int status = 0;
    for (;;) {
        if (g_programGone) {
            ::kill(0, SIGKILL);
            ::_exit(1);
        }
        const pid_t ended = ::waitpid(chooser, &status, WNOHANG);
        if (ended == chooser)
            break;
        if (ended < 0 && errno != EINTR)
            ::_exit(127);
        if (ended == 0)
            ::sigsuspend(&none);
    }
    [[maybe_unused]] const ssize_t written = ::write(statusFd, &status, sizeof status);
    ::kill(0, SIGKILL);
    ::_exit(127);
}

// Ends the child's process group: SIGTERM, then SIGKILL for what is left after the grace; reaps
// the child.
void EndGroup(pid_t pid, int& status)
{
    ::kill(-pid, SIGTERM);
    bool reaped = false;
    for (int waited = 0; waited < kEndGraceMs; waited += 10) {
        if (!reaped)
            reaped = ::waitpid(pid, &status, WNOHANG) == pid;
        if (reaped && ::kill(-pid, 0) != 0)
            return;
        ::usleep(10 * 1000);
    }
    ::kill(-pid, SIGKILL);
    while (!reaped && ::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

// Appends what one read of the answer pipe gives; false at its end or on an error (EAGAIN included).
bool ReadAnswer(int fd, ChildRun& run)
{
    char buffer[4096];
    ssize_t n = 0;
    while ((n = read(fd, buffer, sizeof buffer)) < 0 && errno == EINTR) {
    }
    if (n <= 0)
        return false;
    if (run.answer.size() + static_cast<size_t>(n) > kMaxAnswerBytes)
        run.overflow = true;
    else
        run.answer.append(buffer, static_cast<size_t>(n));
    return true;
}

ChildRun Run(const std::vector<std::string>& arguments, const std::function<void(int)>& started)
{
    ChildRun run;
    const std::string file = FindProgram(arguments.front(), run.spawnError);
    if (file.empty())
        return run;
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    // The answer, a start error, and the chooser's wait status from the supervisor.
    int fds[2] = {-1, -1}, errorFds[2] = {-1, -1}, statusFds[2] = {-1, -1};
    const auto closeAll = [&] {
        for (int* pair : {fds, errorFds, statusFds})
            for (int i = 0; i < 2; ++i)
                if (pair[i] >= 0) {
                    close(pair[i]);
                    pair[i] = -1;
                }
    };
    if (pipe2(fds, O_CLOEXEC) != 0 || pipe2(errorFds, O_CLOEXEC) != 0 || pipe2(statusFds, O_CLOEXEC) != 0) {
        run.spawnError = errno;
        closeAll();
        return run;
    }
    platform::posix::InstallForkGuard();
    const pid_t program = getpid();
    const pid_t pid = fork();
    if (pid == 0)
        SuperviseChooser(program, file.c_str(), argv.data(), fds[1], errorFds[1], statusFds[1]);
    const int forkError = errno;
    for (int* pair : {fds, errorFds, statusFds}) {
        close(pair[1]);
        pair[1] = -1;
    }
    if (pid < 0) {
        run.spawnError = forkError;
        closeAll();
        return run;
    }
    // Both sides set the group, so that it exists whichever runs first.
    setpgid(pid, pid);
    // A termination signal ends the chooser's group, so that the program can quit.
    platform::posix::EndOnTerminationSignal(pid);
    int execError = 0;
    ssize_t got = 0;
    while ((got = read(errorFds[0], &execError, sizeof execError)) < 0 && errno == EINTR) {
    }
    if (got == static_cast<ssize_t>(sizeof execError)) {
        run.spawnError = execError;
        closeAll();
        while (waitpid(pid, &run.status, 0) < 0 && errno == EINTR) {
        }
        platform::posix::ForgetOnTerminationSignal(pid);
        return run;
    }
    if (started)
        started(pid);

    // The answer until the supervisor reports the chooser's end (or ends without a report), or a
    // termination signal (the chooser may ignore SIGTERM). A process the chooser started may keep
    // the answer pipe open: it is never waited for.
    const int signalled = platform::posix::TerminationSignalledFd();
    bool answerOpen = true;
    bool reported = false;
    int chooserStatus = 0;
    while (true) {
        pollfd waits[3] = {{answerOpen ? fds[0] : -1, POLLIN, 0}, {statusFds[0], POLLIN, 0}, {signalled, POLLIN, 0}};
        if (poll(waits, 3, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (waits[2].revents != 0) {
            run.ended = true;
            break;
        }
        if (waits[0].revents != 0)
            answerOpen = ReadAnswer(fds[0], run);
        if (waits[1].revents != 0) {
            while ((got = read(statusFds[0], &chooserStatus, sizeof chooserStatus)) < 0 && errno == EINTR) {
            }
            reported = got == static_cast<ssize_t>(sizeof chooserStatus);
            break;
        }
    }
    // What the chooser wrote before it ended is in the pipe already.
    if (answerOpen && !run.ended && fcntl(fds[0], F_SETFL, O_NONBLOCK) == 0)
        while (!run.overflow && ReadAnswer(fds[0], run)) {
        }
    closeAll();
    if (run.ended) {
        EndGroup(pid, run.status);
    } else {
        while (waitpid(pid, &run.status, 0) < 0) {
            if (errno != EINTR) {
                run.status = -1;
                break;
            }
        }
        if (reported)
            run.status = chooserStatus;
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
    if (request.x11Parent != 0) {
        args.push_back("--attach");
        args.push_back(std::to_string(request.x11Parent));
    }
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
    const ChildRun run = Run(args, request.programStarted);
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
    if (run.ended ||
        (WIFSIGNALED(run.status) && WTERMSIG(run.status) == SIGTERM && platform::posix::TerminationSignalled())) {
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
