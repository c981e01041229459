#include "TestSupport.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace kxtest {

TempDir::TempDir()
{
    static std::atomic<int> counter{0};
    auto base = std::filesystem::temp_directory_path();
    for (;;) {
        auto candidate = base / ("kxtest-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec)) {
            m_path = candidate;
            break;
        }
    }
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Hex(uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", v);
    return text;
}

} // namespace kxtest
