#pragma once
// Settings in INI files through the settings library libIniFileManager.so, loaded at run time.
// CIniFileManagerProxy loads the library and calls its entry points with UTF-8 texts;
// LIniFileManager is the shared object the application owns, forwarding to its proxy.
#include "inifile/IniFileManagerApi.h"
#include "kx/KXResult.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"
#include "platform/posix/SharedLibrary.h"

#include <cstdint>
#include <memory>

namespace KX {

class IIniFileManager {
public:
    // 1 when already loaded; 0 when the library and all its entry points were found; E_FAIL otherwise.
    // An empty folder loads the library from the executable's folder, else through the system's search.
    virtual KXRESULT Load(const WString& folder) = 0;
    // 1 when not loaded; 0, or E_FAIL when the system refused to unload (the proxy is unloaded anyway).
    virtual KXRESULT Unload() = 0;
    // Every call below fails with E_FAIL (DoesNodeExist: false) while nothing is loaded; getters
    // first store their fallback in the out value (the default, 0 or an empty text).
    virtual KXRESULT OpenIniFile(const WString& path, const WString& section, const WString& product,
                                 int32_t& handle) = 0;
    virtual KXRESULT WriteIniFile(int32_t handle) = 0;
    virtual bool DoesNodeExist(int32_t handle, const WString& path) = 0;
    virtual KXRESULT CloseIniFile(int32_t handle, int32_t writeFirst) = 0;
    virtual KXRESULT GetIniValueInt(int32_t handle, const WString& path, int32_t defaultValue, int32_t& value) = 0;
    virtual KXRESULT SetIniValueInt(int32_t handle, const WString& path, int32_t value) = 0;
    virtual KXRESULT GetIniValueStr(int32_t handle, const WString& path, const WString& defaultText, WString& text) = 0;
    virtual KXRESULT SetIniValueStr(int32_t handle, const WString& path, const WString& text) = 0;
    virtual KXRESULT GetKeyCount(int32_t handle, const WString& path, int32_t& count) = 0;
    virtual KXRESULT GetKeyNameAt(int32_t handle, const WString& path, int32_t index, WString& name) = 0;
    virtual KXRESULT GetArrayCount(int32_t handle, const WString& path, int32_t& count) = 0;
    virtual KXRESULT SetArrayCount(int32_t handle, const WString& path, int32_t count) = 0;
    virtual KXRESULT GetArrayItemAt(int32_t handle, const WString& path, int32_t index, WString& text) = 0;
    virtual KXRESULT SetArrayItemAt(int32_t handle, const WString& path, int32_t index, const WString& text) = 0;
    virtual KXRESULT RemoveArrayItemAt(int32_t handle, const WString& path, int32_t index) = 0;

protected:
    ~IIniFileManager() = default;
};

class CIniFileManagerProxy : public IIniFileManager {
public:
    // The library's file name, looked for in the folder given to Load.
    static constexpr const char* kLibraryName = "libIniFileManager.so";
    // Size of the first buffer of a text query; longer texts take a second query.
    static constexpr int32_t kFirstBufferSize = 1024;

    CIniFileManagerProxy() = default;
    CIniFileManagerProxy(const CIniFileManagerProxy&) = delete;
    CIniFileManagerProxy& operator=(const CIniFileManagerProxy&) = delete;
    // Unloads the library when it is loaded.
    virtual ~CIniFileManagerProxy();

    KXRESULT Load(const WString& folder) override;
    KXRESULT Unload() override;
    KXRESULT OpenIniFile(const WString& path, const WString& section, const WString& product, int32_t& handle) override;
    KXRESULT WriteIniFile(int32_t handle) override;
    bool DoesNodeExist(int32_t handle, const WString& path) override;
    KXRESULT CloseIniFile(int32_t handle, int32_t writeFirst) override;
    KXRESULT GetIniValueInt(int32_t handle, const WString& path, int32_t defaultValue, int32_t& value) override;
    KXRESULT SetIniValueInt(int32_t handle, const WString& path, int32_t value) override;
    KXRESULT GetIniValueStr(int32_t handle, const WString& path, const WString& defaultText, WString& text) override;
    KXRESULT SetIniValueStr(int32_t handle, const WString& path, const WString& text) override;
    KXRESULT GetKeyCount(int32_t handle, const WString& path, int32_t& count) override;
    KXRESULT GetKeyNameAt(int32_t handle, const WString& path, int32_t index, WString& name) override;
    KXRESULT GetArrayCount(int32_t handle, const WString& path, int32_t& count) override;
    KXRESULT SetArrayCount(int32_t handle, const WString& path, int32_t count) override;
    KXRESULT GetArrayItemAt(int32_t handle, const WString& path, int32_t index, WString& text) override;
    KXRESULT SetArrayItemAt(int32_t handle, const WString& path, int32_t index, const WString& text) override;
    KXRESULT RemoveArrayItemAt(int32_t handle, const WString& path, int32_t index) override;

    // The library file Load opens for a folder ("" -> the executable's folder).
    static NString LibraryPathFor(const WString& folder);

private:
    // The entry points' types, as the library declares them.
    using OpenIniFileFn = Ini::OpenIniFileFn;
    using WriteIniFileFn = Ini::WriteIniFileFn;
    using CloseIniFileFn = Ini::CloseIniFileFn;
    using DoesNodeExistFn = Ini::DoesNodeExistFn;
    using GetIniValueIntFn = Ini::GetIniValueIntFn;
    using SetIniValueIntFn = Ini::SetIniValueIntFn;
    using GetIniValueStrFn = Ini::GetIniValueStrFn;
    using SetIniValueStrFn = Ini::SetIniValueStrFn;
    using GetCountFn = Ini::GetKeyCountFn;
    using GetTextAtFn = Ini::GetKeyNameAtFn;
    using SetArrayCountFn = Ini::SetArrayCountFn;
    using SetArrayItemAtFn = Ini::SetArrayItemAtFn;
    using RemoveArrayItemAtFn = Ini::RemoveArrayItemAtFn;

    void ClearEntries() noexcept;

    OpenIniFileFn m_openIniFile = nullptr;
    WriteIniFileFn m_writeIniFile = nullptr;
    CloseIniFileFn m_closeIniFile = nullptr;
    DoesNodeExistFn m_doesNodeExist = nullptr;
    GetIniValueIntFn m_getIniValueInt = nullptr;
    SetIniValueIntFn m_setIniValueInt = nullptr;
    GetIniValueStrFn m_getIniValueStr = nullptr;
    SetIniValueStrFn m_setIniValueStr = nullptr;
    GetCountFn m_getKeyCount = nullptr;
    GetTextAtFn m_getKeyNameAt = nullptr;
    GetCountFn m_getArrayCount = nullptr;
    SetArrayCountFn m_setArrayCount = nullptr;
    GetTextAtFn m_getArrayItemAt = nullptr;
    SetArrayItemAtFn m_setArrayItemAt = nullptr;
    RemoveArrayItemAtFn m_removeArrayItemAt = nullptr;
    platform::posix::SharedLibrary m_module;
};

class LIniFileManager : public IIniFileManager, public virtual LRefCountedObject {
public:
    LIniFileManager();
    ~LIniFileManager() override;

    static RCPtr<LIniFileManager> Create();

    KXRESULT Load(const WString& folder) override;
    KXRESULT Unload() override;
    KXRESULT OpenIniFile(const WString& path, const WString& section, const WString& product, int32_t& handle) override;
    KXRESULT WriteIniFile(int32_t handle) override;
    bool DoesNodeExist(int32_t handle, const WString& path) override;
    KXRESULT CloseIniFile(int32_t handle, int32_t writeFirst) override;
    KXRESULT GetIniValueInt(int32_t handle, const WString& path, int32_t defaultValue, int32_t& value) override;
    KXRESULT SetIniValueInt(int32_t handle, const WString& path, int32_t value) override;
    KXRESULT GetIniValueStr(int32_t handle, const WString& path, const WString& defaultText, WString& text) override;
    KXRESULT SetIniValueStr(int32_t handle, const WString& path, const WString& text) override;
    KXRESULT GetKeyCount(int32_t handle, const WString& path, int32_t& count) override;
    KXRESULT GetKeyNameAt(int32_t handle, const WString& path, int32_t index, WString& name) override;
    KXRESULT GetArrayCount(int32_t handle, const WString& path, int32_t& count) override;
    KXRESULT SetArrayCount(int32_t handle, const WString& path, int32_t count) override;
    KXRESULT GetArrayItemAt(int32_t handle, const WString& path, int32_t index, WString& text) override;
    KXRESULT SetArrayItemAt(int32_t handle, const WString& path, int32_t index, const WString& text) override;
    KXRESULT RemoveArrayItemAt(int32_t handle, const WString& path, int32_t index) override;

private:
    std::unique_ptr<CIniFileManagerProxy> m_proxy;
};

} // namespace KX
