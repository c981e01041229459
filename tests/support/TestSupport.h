#pragma once
// Helpers shared by the test programs.
#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kxtest {

// A fresh, empty folder under the system's temporary folder; removed by the destructor.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::string str() const { return m_path.string(); }

private:
    std::filesystem::path m_path;
};

// The whole file as bytes in a string; empty when it cannot be read.
std::string ReadText(const std::filesystem::path& path);
// Replaces the file with text, byte for byte.
void WriteText(const std::filesystem::path& path, const std::string& text);
// The names of the entries of a folder, sorted.
std::vector<std::string> FolderEntries(const std::filesystem::path& folder);
// A 32-bit value as "0x" and eight upper-case hex digits, for pixel messages.
std::string Hex(uint32_t v);

// Runs body in a child process; its exit status, or -1 when it did not exit (a signal ended it).
template <class Body>
int InChild(Body body)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace kxtest
