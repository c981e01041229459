// The exported entry points of libIniFileManager.so. Only these symbols are visible
// (hidden visibility by default, plus the linker version script exports.map).
#include "inifile/IniFileManagerApi.h"
#include "inifile/IniFileTable.h"

#define KX_INI_EXPORT __attribute__((visibility("default")))

namespace {

KX::Ini::IniFileTable& Table()
{
    static KX::Ini::IniFileTable table;
    return table;
}

} // namespace

extern "C" {

KX_INI_EXPORT int32_t OpenIniFile(const char* path, const char* section, const char* product, int32_t* handle)
{
    return Table().OpenIniFile(path, section, product, handle);
}

KX_INI_EXPORT int32_t WriteIniFile(int32_t handle)
{
    return Table().WriteIniFile(handle);
}

KX_INI_EXPORT int32_t CloseIniFile(int32_t handle, int32_t writeFirst)
{
    return Table().CloseIniFile(handle, writeFirst);
}

KX_INI_EXPORT bool DoesNodeExist(int32_t handle, const char* path)
{
    return Table().DoesNodeExist(handle, path);
}

KX_INI_EXPORT int32_t GetIniValueInt(int32_t handle, const char* path, int32_t defaultValue, int32_t* value)
{
    return Table().GetIniValueInt(handle, path, defaultValue, value);
}

KX_INI_EXPORT int32_t SetIniValueInt(int32_t handle, const char* path, int32_t value)
{
    return Table().SetIniValueInt(handle, path, value);
}

KX_INI_EXPORT int32_t GetIniValueStr(int32_t handle, const char* path, const char* defaultText, char* buffer,
                                     int32_t bufferSize, int32_t* neededSize)
{
    return Table().GetIniValueStr(handle, path, defaultText, buffer, bufferSize, neededSize);
}

KX_INI_EXPORT int32_t SetIniValueStr(int32_t handle, const char* path, const char* text)
{
    return Table().SetIniValueStr(handle, path, text);
}

KX_INI_EXPORT int32_t GetKeyCount(int32_t handle, const char* path, int32_t* count)
{
    return Table().GetKeyCount(handle, path, count);
}

KX_INI_EXPORT int32_t GetKeyNameAt(int32_t handle, const char* path, int32_t index, char* buffer, int32_t bufferSize,
                                   int32_t* neededSize)
{
    return Table().GetKeyNameAt(handle, path, index, buffer, bufferSize, neededSize);
}

KX_INI_EXPORT int32_t GetArrayCount(int32_t handle, const char* path, int32_t* count)
{
    return Table().GetArrayCount(handle, path, count);
}

KX_INI_EXPORT int32_t SetArrayCount(int32_t handle, const char* path, int32_t count)
{
    return Table().SetArrayCount(handle, path, count);
}

KX_INI_EXPORT int32_t GetArrayItemAt(int32_t handle, const char* path, int32_t index, char* buffer, int32_t bufferSize,
                                     int32_t* neededSize)
{
    return Table().GetArrayItemAt(handle, path, index, buffer, bufferSize, neededSize);
}

KX_INI_EXPORT int32_t SetArrayItemAt(int32_t handle, const char* path, int32_t index, const char* text)
{
    return Table().SetArrayItemAt(handle, path, index, text);
}

KX_INI_EXPORT int32_t RemoveArrayItemAt(int32_t handle, const char* path, int32_t index)
{
    return Table().RemoveArrayItemAt(handle, path, index);
}

} // extern "C"
