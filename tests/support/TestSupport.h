#pragma once
// Helpers shared by the test programs.
#include <filesystem>
#include <string>

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

} // namespace kxtest
