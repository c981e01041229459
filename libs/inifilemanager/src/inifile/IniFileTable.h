#pragma once
// The open settings files of the library and the handles that name them. Each entry point of
// libIniFileManager.so forwards to the member of the same name. Every member is thread-safe and
// never throws: failures, unknown or closed handles and bad arguments come back as result codes.
#include "inifile/IniDocument.h"
#include "inifile/IniFileManagerApi.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace KX::Ini {

class IniFileTable {
public:
    int32_t OpenIniFile(const char* path, const char* section, const char* product, int32_t* handle) noexcept;
    int32_t WriteIniFile(int32_t handle) noexcept;
    int32_t CloseIniFile(int32_t handle, int32_t writeFirst) noexcept;
    bool DoesNodeExist(int32_t handle, const char* path) noexcept;
    int32_t GetIniValueInt(int32_t handle, const char* path, int32_t defaultValue, int32_t* value) noexcept;
    int32_t SetIniValueInt(int32_t handle, const char* path, int32_t value) noexcept;
    int32_t GetIniValueStr(int32_t handle, const char* path, const char* defaultText, char* buffer, int32_t bufferSize,
                           int32_t* neededSize) noexcept;
    int32_t SetIniValueStr(int32_t handle, const char* path, const char* text) noexcept;
    int32_t GetKeyCount(int32_t handle, const char* path, int32_t* count) noexcept;
    int32_t GetKeyNameAt(int32_t handle, const char* path, int32_t index, char* buffer, int32_t bufferSize,
                         int32_t* neededSize) noexcept;
    int32_t GetArrayCount(int32_t handle, const char* path, int32_t* count) noexcept;
    int32_t SetArrayCount(int32_t handle, const char* path, int32_t count) noexcept;
    int32_t GetArrayItemAt(int32_t handle, const char* path, int32_t index, char* buffer, int32_t bufferSize,
                           int32_t* neededSize) noexcept;
    int32_t SetArrayItemAt(int32_t handle, const char* path, int32_t index, const char* text) noexcept;
    int32_t RemoveArrayItemAt(int32_t handle, const char* path, int32_t index) noexcept;

private:
    // One file, shared by every handle open on it.
    struct OpenFile {
        std::mutex mutex;
        std::string path; // resolved, written in place
        IniDocument document;
    };
    struct Handle {
        std::shared_ptr<OpenFile> file;
        NodePath base;
    };

    std::shared_ptr<const Handle> Lookup(int32_t handle);
    // Applies a change to a copy of the document, saves the copy and only then keeps it.
    template <class Change>
    int32_t Modify(int32_t handle, Change&& change) noexcept;
    template <class Read>
    int32_t Query(int32_t handle, Read&& read) noexcept;

    std::mutex m_mutex; // guards the maps and m_next
    std::unordered_map<int32_t, std::shared_ptr<const Handle>> m_handles;
    std::unordered_map<std::string, std::weak_ptr<OpenFile>> m_files;
    int32_t m_next = 1;
};

} // namespace KX::Ini
