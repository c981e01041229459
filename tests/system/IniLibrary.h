#pragma once
// Loads the real libIniFileManager.so from the test program's own folder, as the editor does,
// and resolves its entry points by name.
#include "inifile/IniFileManagerApi.h"
#include "platform/posix/SharedLibrary.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace initest {

struct IniLibrary {
    std::string error; // empty once every entry point was found
    KX::Ini::OpenIniFileFn OpenIniFile = nullptr;
    KX::Ini::WriteIniFileFn WriteIniFile = nullptr;
    KX::Ini::CloseIniFileFn CloseIniFile = nullptr;
    KX::Ini::DoesNodeExistFn DoesNodeExist = nullptr;
    KX::Ini::GetIniValueIntFn GetIniValueInt = nullptr;
    KX::Ini::SetIniValueIntFn SetIniValueInt = nullptr;
    KX::Ini::GetIniValueStrFn GetIniValueStr = nullptr;
    KX::Ini::SetIniValueStrFn SetIniValueStr = nullptr;
    KX::Ini::GetKeyCountFn GetKeyCount = nullptr;
    KX::Ini::GetKeyNameAtFn GetKeyNameAt = nullptr;
    KX::Ini::GetArrayCountFn GetArrayCount = nullptr;
    KX::Ini::SetArrayCountFn SetArrayCount = nullptr;
    KX::Ini::GetArrayItemAtFn GetArrayItemAt = nullptr;
    KX::Ini::SetArrayItemAtFn SetArrayItemAt = nullptr;
    KX::Ini::RemoveArrayItemAtFn RemoveArrayItemAt = nullptr;

    // Loaded once per process and kept loaded.
    static const IniLibrary& Get()
    {
        static const IniLibrary library = Load();
        return library;
    }

    static std::filesystem::path Location()
    {
        return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "libIniFileManager.so";
    }

private:
    template <class Fn>
    void Resolve(const platform::posix::SharedLibrary& module, Fn& fn, const char* name)
    {
        if (!module.Resolve(fn, name) && error.empty())
            error = std::string("entry point missing: ") + name;
    }

    static IniLibrary Load()
    {
        IniLibrary lib;
        const auto path = Location();
        platform::posix::SharedLibrary module(path.string());
        if (!module) {
            lib.error = "cannot load " + path.string() + ": " + module.LastError();
            return lib;
        }
        lib.Resolve(module, lib.OpenIniFile, "OpenIniFile");
        lib.Resolve(module, lib.WriteIniFile, "WriteIniFile");
        lib.Resolve(module, lib.CloseIniFile, "CloseIniFile");
        lib.Resolve(module, lib.DoesNodeExist, "DoesNodeExist");
        lib.Resolve(module, lib.GetIniValueInt, "GetIniValueInt");
        lib.Resolve(module, lib.SetIniValueInt, "SetIniValueInt");
        lib.Resolve(module, lib.GetIniValueStr, "GetIniValueStr");
        lib.Resolve(module, lib.SetIniValueStr, "SetIniValueStr");
        lib.Resolve(module, lib.GetKeyCount, "GetKeyCount");
        lib.Resolve(module, lib.GetKeyNameAt, "GetKeyNameAt");
        lib.Resolve(module, lib.GetArrayCount, "GetArrayCount");
        lib.Resolve(module, lib.SetArrayCount, "SetArrayCount");
        lib.Resolve(module, lib.GetArrayItemAt, "GetArrayItemAt");
        lib.Resolve(module, lib.SetArrayItemAt, "SetArrayItemAt");
        lib.Resolve(module, lib.RemoveArrayItemAt, "RemoveArrayItemAt");
        module.Release(); // kept loaded until the process ends
        return lib;
    }
};

} // namespace initest
