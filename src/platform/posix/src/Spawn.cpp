#include "platform/posix/Spawn.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace platform::posix {

namespace {

// Owns the spawn attributes and file actions for the duration of one call.
struct SpawnSetup {
    posix_spawn_file_actions_t actions{};
    posix_spawnattr_t attributes{};
    bool haveActions = false;
    bool haveAttributes = false;

    ~SpawnSetup()
    {
        if (haveActions)
            posix_spawn_file_actions_destroy(&actions);
        if (haveAttributes)
            posix_spawnattr_destroy(&attributes);
    }
};

} // namespace

int SpawnDetached(const std::vector<std::string>& argv)
{
    if (argv.empty() || argv[0].empty())
        return EINVAL;
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv) {
        if (arg.find('\0') != std::string::npos)
            return EINVAL;
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);

    SpawnSetup setup;
    int error = posix_spawn_file_actions_init(&setup.actions);
    if (error != 0)
        return error;
    setup.haveActions = true;
    for (int fd = 0; fd < 3 && error == 0; ++fd)
        error = posix_spawn_file_actions_addopen(&setup.actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
    if (error != 0)
        return error;
    error = posix_spawnattr_init(&setup.attributes);
    if (error != 0)
        return error;
    setup.haveAttributes = true;
    // A session of its own: the child outlives a terminal's hang-up of ours; signals as by default.
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGCHLD);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&setup.attributes, &defaults);
    posix_spawnattr_setsigmask(&setup.attributes, &none);
    error = posix_spawnattr_setflags(&setup.attributes,
                                     POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    if (error != 0)
        return error;

    pid_t pid = -1;
    error = posix_spawnp(&pid, args[0], &setup.actions, &setup.attributes, args.data(), environ);
    if (error != 0)
        return error;
    // Reaped in the background; the thread ends with the child.
    std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return 0;
}

int OpenWithDesktop(const std::string& path, const std::string& opener)
{
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return ENOENT;
    return SpawnDetached({opener, path});
}

} // namespace platform::posix
