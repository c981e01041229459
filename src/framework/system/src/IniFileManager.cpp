#include "kx/IniFileManager.h"

#include "platform/posix/SharedLibrary.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace KX {

namespace {

constexpr int32_t kBufferTooSmall = -2;

// The text of a buffer the library filled, up to its NUL or the buffer's end.
void AssignText(WString& out, const char* buffer, int32_t size)
{
    const size_t n = ::strnlen(buffer, static_cast<size_t>(size));
    out.AssignFromUTF8(buffer, static_cast<int>(n));
}

// Asks with a buffer of the first size; when the library needs more, asks once more with a
// buffer of the size it reported. out changes only when a query succeeded.
template <class Call>
KXRESULT ReadText(Call&& call, WString& out)
{
    char first[CIniFileManagerProxy::kFirstBufferSize];
    first[0] = '\0';
    int32_t needed = 0;
    const KXRESULT result = call(first, CIniFileManagerProxy::kFirstBufferSize, &needed);
    if (result == S_OK) {
        AssignText(out, first, CIniFileManagerProxy::kFirstBufferSize);
        return result;
    }
    if (result != kBufferTooSmall || needed <= 0)
        return result;
    const int32_t size = needed;
    std::unique_ptr<char[]> second(new (std::nothrow) char[static_cast<size_t>(size)]);
    if (!second)
        return E_OUTOFMEMORY;
    second[0] = '\0';
    const KXRESULT again = call(second.get(), size, &needed);
    if (Succeeded(again))
        AssignText(out, second.get(), size);
    return again;
}

} // namespace

CIniFileManagerProxy::~CIniFileManagerProxy() = default;

NString CIniFileManagerProxy::LibraryPathFor(const WString& folder)
{
    std::string path =
        folder.IsEmpty() ? platform::posix::ExecutableFolder() : std::string(folder.ToNarrow().GetString());
    for (char& c : path) {
        if (c == '\\')
            c = '/';
    }
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += kLibraryName;
    return NString(path.c_str());
}

KXRESULT CIniFileManagerProxy::Load(const WString& folder)
{
    if (m_module)
        return S_FALSE;
    const NString path = LibraryPathFor(folder);
    platform::posix::SharedLibrary module(path.GetString());
    // As the system's search would: the executable's folder first, then the usual places.
    if (!module && folder.IsEmpty())
        module = platform::posix::SharedLibrary(kLibraryName);
    if (!module)
        return E_FAIL;
    m_module = std::move(module);

    bool all = true;
    all &= m_module.Resolve(m_openIniFile, "OpenIniFile");
    all &= m_module.Resolve(m_writeIniFile, "WriteIniFile");
    all &= m_module.Resolve(m_closeIniFile, "CloseIniFile");
    all &= m_module.Resolve(m_doesNodeExist, "DoesNodeExist");
    all &= m_module.Resolve(m_getIniValueInt, "GetIniValueInt");
    all &= m_module.Resolve(m_setIniValueInt, "SetIniValueInt");
    all &= m_module.Resolve(m_getIniValueStr, "GetIniValueStr");
    all &= m_module.Resolve(m_setIniValueStr, "SetIniValueStr");
    all &= m_module.Resolve(m_getKeyCount, "GetKeyCount");
    all &= m_module.Resolve(m_getKeyNameAt, "GetKeyNameAt");
    all &= m_module.Resolve(m_getArrayCount, "GetArrayCount");
    all &= m_module.Resolve(m_setArrayCount, "SetArrayCount");
    all &= m_module.Resolve(m_getArrayItemAt, "GetArrayItemAt");
    all &= m_module.Resolve(m_setArrayItemAt, "SetArrayItemAt");
    all &= m_module.Resolve(m_removeArrayItemAt, "RemoveArrayItemAt");
    // An incomplete library stays loaded; the calls whose entry point is missing fail.
    return all ? S_OK : E_FAIL;
}

void CIniFileManagerProxy::ClearEntries() noexcept
{
    m_openIniFile = nullptr;
    m_writeIniFile = nullptr;
    m_closeIniFile = nullptr;
    m_doesNodeExist = nullptr;
    m_getIniValueInt = nullptr;
    m_setIniValueInt = nullptr;
    m_getIniValueStr = nullptr;
    m_setIniValueStr = nullptr;
    m_getKeyCount = nullptr;
    m_getKeyNameAt = nullptr;
    m_getArrayCount = nullptr;
    m_setArrayCount = nullptr;
    m_getArrayItemAt = nullptr;
    m_setArrayItemAt = nullptr;
    m_removeArrayItemAt = nullptr;
}

KXRESULT CIniFileManagerProxy::Unload()
{
    if (!m_module)
        return S_FALSE;
    const int closed = m_module.Unload();
    ClearEntries();
    return closed == 0 ? S_OK : E_FAIL;
}

KXRESULT CIniFileManagerProxy::OpenIniFile(const WString& path, const WString& section, const WString& product,
                                           int32_t& handle)
{
    handle = 0;
    if (!m_openIniFile)
        return E_FAIL;
    const NString p = path.ToNarrow(), s = section.ToNarrow(), r = product.ToNarrow();
    return m_openIniFile(p.GetString(), s.GetString(), r.GetString(), &handle);
}

KXRESULT CIniFileManagerProxy::WriteIniFile(int32_t handle)
{
    return m_writeIniFile ? m_writeIniFile(handle) : E_FAIL;
}

bool CIniFileManagerProxy::DoesNodeExist(int32_t handle, const WString& path)
{
    if (!m_doesNodeExist)
        return false;
    return m_doesNodeExist(handle, path.ToNarrow().GetString());
}

KXRESULT CIniFileManagerProxy::CloseIniFile(int32_t handle, int32_t writeFirst)
{
    return m_closeIniFile ? m_closeIniFile(handle, writeFirst) : E_FAIL;
}

KXRESULT CIniFileManagerProxy::GetIniValueInt(int32_t handle, const WString& path, int32_t defaultValue, int32_t& value)
{
    value = defaultValue;
    if (!m_getIniValueInt)
        return E_FAIL;
    return m_getIniValueInt(handle, path.ToNarrow().GetString(), defaultValue, &value);
}

KXRESULT CIniFileManagerProxy::SetIniValueInt(int32_t handle, const WString& path, int32_t value)
{
    if (!m_setIniValueInt)
        return E_FAIL;
    return m_setIniValueInt(handle, path.ToNarrow().GetString(), value);
}

KXRESULT CIniFileManagerProxy::GetIniValueStr(int32_t handle, const WString& path, const WString& defaultText,
                                              WString& text)
{
    const NString p = path.ToNarrow(), d = defaultText.ToNarrow();
    text = defaultText;
    if (!m_getIniValueStr)
        return E_FAIL;
    return ReadText(
        [&](char* buffer, int32_t size, int32_t* needed) {
            return m_getIniValueStr(handle, p.GetString(), d.GetString(), buffer, size, needed);
        },
        text);
}

KXRESULT CIniFileManagerProxy::SetIniValueStr(int32_t handle, const WString& path, const WString& text)
{
    if (!m_setIniValueStr)
        return E_FAIL;
    const NString p = path.ToNarrow(), t = text.ToNarrow();
    return m_setIniValueStr(handle, p.GetString(), t.GetString());
}

KXRESULT CIniFileManagerProxy::GetKeyCount(int32_t handle, const WString& path, int32_t& count)
{
    count = 0;
    if (!m_getKeyCount)
        return E_FAIL;
    return m_getKeyCount(handle, path.ToNarrow().GetString(), &count);
}

KXRESULT CIniFileManagerProxy::GetKeyNameAt(int32_t handle, const WString& path, int32_t index, WString& name)
{
    const NString p = path.ToNarrow();
    name.Empty();
    if (!m_getKeyNameAt)
        return E_FAIL;
    return ReadText([&](char* buffer, int32_t size,
                        int32_t* needed) { return m_getKeyNameAt(handle, p.GetString(), index, buffer, size, needed); },
                    name);
}

KXRESULT CIniFileManagerProxy::GetArrayCount(int32_t handle, const WString& path, int32_t& count)
{
    count = 0;
    if (!m_getArrayCount)
        return E_FAIL;
    return m_getArrayCount(handle, path.ToNarrow().GetString(), &count);
}

KXRESULT CIniFileManagerProxy::SetArrayCount(int32_t handle, const WString& path, int32_t count)
{
    if (!m_setArrayCount)
        return E_FAIL;
    return m_setArrayCount(handle, path.ToNarrow().GetString(), count);
}

KXRESULT CIniFileManagerProxy::GetArrayItemAt(int32_t handle, const WString& path, int32_t index, WString& text)
{
    const NString p = path.ToNarrow();
    text.Empty();
    if (!m_getArrayItemAt)
        return E_FAIL;
    return ReadText(
        [&](char* buffer, int32_t size, int32_t* needed) {
            return m_getArrayItemAt(handle, p.GetString(), index, buffer, size, needed);
        },
        text);
}

KXRESULT CIniFileManagerProxy::SetArrayItemAt(int32_t handle, const WString& path, int32_t index, const WString& text)
{
    if (!m_setArrayItemAt)
        return E_FAIL;
    const NString p = path.ToNarrow(), t = text.ToNarrow();
    return m_setArrayItemAt(handle, p.GetString(), index, t.GetString());
}

KXRESULT CIniFileManagerProxy::RemoveArrayItemAt(int32_t handle, const WString& path, int32_t index)
{
    if (!m_removeArrayItemAt)
        return E_FAIL;
    return m_removeArrayItemAt(handle, path.ToNarrow().GetString(), index);
}

// The manager forwards every call to the proxy it owns.

LIniFileManager::LIniFileManager() : m_proxy(std::make_unique<CIniFileManagerProxy>()) {}

LIniFileManager::~LIniFileManager() = default;

RCPtr<LIniFileManager> LIniFileManager::Create()
{
    return RCPtr<LIniFileManager>(new LIniFileManager());
}

KXRESULT LIniFileManager::Load(const WString& folder)
{
    return m_proxy->Load(folder);
}

KXRESULT LIniFileManager::Unload()
{
    return m_proxy->Unload();
}

KXRESULT LIniFileManager::OpenIniFile(const WString& path, const WString& section, const WString& product,
                                      int32_t& handle)
{
    return m_proxy->OpenIniFile(path, section, product, handle);
}

KXRESULT LIniFileManager::WriteIniFile(int32_t handle)
{
    return m_proxy->WriteIniFile(handle);
}

bool LIniFileManager::DoesNodeExist(int32_t handle, const WString& path)
{
    return m_proxy->DoesNodeExist(handle, path);
}

KXRESULT LIniFileManager::CloseIniFile(int32_t handle, int32_t writeFirst)
{
    return m_proxy->CloseIniFile(handle, writeFirst);
}

KXRESULT LIniFileManager::GetIniValueInt(int32_t handle, const WString& path, int32_t defaultValue, int32_t& value)
{
    return m_proxy->GetIniValueInt(handle, path, defaultValue, value);
}

KXRESULT LIniFileManager::SetIniValueInt(int32_t handle, const WString& path, int32_t value)
{
    return m_proxy->SetIniValueInt(handle, path, value);
}

KXRESULT LIniFileManager::GetIniValueStr(int32_t handle, const WString& path, const WString& defaultText, WString& text)
{
    return m_proxy->GetIniValueStr(handle, path, defaultText, text);
}

KXRESULT LIniFileManager::SetIniValueStr(int32_t handle, const WString& path, const WString& text)
{
    return m_proxy->SetIniValueStr(handle, path, text);
}

KXRESULT LIniFileManager::GetKeyCount(int32_t handle, const WString& path, int32_t& count)
{
    return m_proxy->GetKeyCount(handle, path, count);
}

KXRESULT LIniFileManager::GetKeyNameAt(int32_t handle, const WString& path, int32_t index, WString& name)
{
    return m_proxy->GetKeyNameAt(handle, path, index, name);
}

KXRESULT LIniFileManager::GetArrayCount(int32_t handle, const WString& path, int32_t& count)
{
    return m_proxy->GetArrayCount(handle, path, count);
}

KXRESULT LIniFileManager::SetArrayCount(int32_t handle, const WString& path, int32_t count)
{
    return m_proxy->SetArrayCount(handle, path, count);
}

KXRESULT LIniFileManager::GetArrayItemAt(int32_t handle, const WString& path, int32_t index, WString& text)
{
    return m_proxy->GetArrayItemAt(handle, path, index, text);
}

KXRESULT LIniFileManager::SetArrayItemAt(int32_t handle, const WString& path, int32_t index, const WString& text)
{
    return m_proxy->SetArrayItemAt(handle, path, index, text);
}

KXRESULT LIniFileManager::RemoveArrayItemAt(int32_t handle, const WString& path, int32_t index)
{
    return m_proxy->RemoveArrayItemAt(handle, path, index);
}

} // namespace KX
