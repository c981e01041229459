#pragma once
// Loads the real libIniFileManager.so from the test program's own folder, as the editor does,
// and resolves its entry points by name.
#include "inifile/IniFileManagerApi.h"

#include <cstdint>
#include <dlfcn.h>
#include <filesystem>
#include <string>

namespace initest {

struct IniLibrary {
    std::string error; // empty once every entry point was found
    void* module = nullptr;
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
    void Resolve(Fn& fn, const char* name)
    {
        fn = reinterpret_cast<Fn>(::dlsym(module, name));
        if (!fn && error.empty())
            error = std::string("entry point missing: ") + name;
    }

    static IniLibrary Load()
    {
        IniLibrary lib;
        const auto path = Location();
        lib.module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!lib.module) {
            const char* why = ::dlerror();
            lib.error = "cannot load " + path.string() + ": " + (why ? why : "?");
            return lib;
        }
        lib.Resolve(lib.OpenIniFile, "OpenIniFile");
        lib.Resolve(lib.WriteIniFile, "WriteIniFile");
        lib.Resolve(lib.CloseIniFile, "CloseIniFile");
        lib.Resolve(lib.DoesNodeExist, "DoesNodeExist");
        lib.Resolve(lib.GetIniValueInt, "GetIniValueInt");
        lib.Resolve(lib.SetIniValueInt, "SetIniValueInt");
        lib.Resolve(lib.GetIniValueStr, "GetIniValueStr");
        lib.Resolve(lib.SetIniValueStr, "SetIniValueStr");
        lib.Resolve(lib.GetKeyCount, "GetKeyCount");
        lib.Resolve(lib.GetKeyNameAt, "GetKeyNameAt");
        lib.Resolve(lib.GetArrayCount, "GetArrayCount");
        lib.Resolve(lib.SetArrayCount, "SetArrayCount");
        lib.Resolve(lib.GetArrayItemAt, "GetArrayItemAt");
        lib.Resolve(lib.SetArrayItemAt, "SetArrayItemAt");
        lib.Resolve(lib.RemoveArrayItemAt, "RemoveArrayItemAt");
        return lib;
    }
};

} // namespace initest
