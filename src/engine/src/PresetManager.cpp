#include "engine/PresetManager.h"

#include "engine/ParamRecords.h"

#include "kx/AppServices.h"
#include "kx/Exception.h"
#include "kx/File.h"
#include "kx/Notification.h"
#include "kx/NotificationCenter.h"
#include "kx/NotificationId.h"
#include "kx/Wrappers.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <limits>
#include <string>

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace KX {

namespace {

constexpr const char* kCreateMethod = "KX::LPresetManager::Create";
constexpr const char* kSourcePath = "UI\\DriverCommon\\PresetManager";

constexpr char16_t kCaptionKey[] = u"SETTINGS_FILE_LOAD_CAPTION";
// Error icon and an OK button.
constexpr uint32_t kMessageBoxFlags = 0x10;

inline uint32_t LoadLE32(const uint8_t* p) noexcept
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline void StoreLE32(uint8_t* p, uint32_t v) noexcept
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

// The system's form of a path: UTF-8, "\" taken as "/". A lone surrogate has no UTF-8
// form and gives false.
bool ToNativePath(const WString& path, std::string& out)
{
    out.clear();
    const char16_t* p = path.GetString();
    if (!p)
        return false;
    for (; *p; ++p) {
        char32_t cp = *p;
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (p[1] < 0xDC00 || p[1] > 0xDFFF)
                return false;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<char32_t>(p[1]) - 0xDC00);
            ++p;
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            return false;
        } else if (cp == u'\\') {
            cp = u'/';
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return !out.empty();
}

// Holds SIGXFSZ back on this thread while a file is written, so that going over the
// file size limit fails the write (EFBIG) instead of ending the process. A signal
// raised meanwhile is taken off again before the old mask returns.
class FileSizeSignalGuard {
public:
    FileSizeSignalGuard() noexcept
    {
        sigemptyset(&m_set);
        sigaddset(&m_set, SIGXFSZ);
        m_active = pthread_sigmask(SIG_BLOCK, &m_set, &m_previous) == 0;
    }
    ~FileSizeSignalGuard()
    {
        if (!m_active)
            return;
        if (!sigismember(&m_previous, SIGXFSZ)) {
            const timespec now{0, 0};
            while (sigtimedwait(&m_set, nullptr, &now) == SIGXFSZ) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    FileSizeSignalGuard(const FileSizeSignalGuard&) = delete;
    FileSizeSignalGuard& operator=(const FileSizeSignalGuard&) = delete;

private:
    sigset_t m_set;
    sigset_t m_previous;
    bool m_active = false;
};

bool WriteAll(int fd, const uint8_t* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Replaces the file at target by bytes: writes a new file in the same folder, flushes it
// to the disk and renames it over the target. Any failure removes the new file and leaves
// the target untouched. A target that exists must be a writable regular file; a link is
// followed to the file it names.
bool ReplaceFileContents(std::string target, const std::vector<uint8_t>& bytes)
{
    struct stat st {};
    bool exists = false;
    if (::lstat(target.c_str(), &st) == 0) {
        if (S_ISLNK(st.st_mode)) {
            char* resolved = ::realpath(target.c_str(), nullptr);
            if (!resolved)
                return false;
            target = resolved;
            std::free(resolved);
            if (::stat(target.c_str(), &st) != 0)
                return false;
        }
        if (!S_ISREG(st.st_mode) || ::access(target.c_str(), W_OK) != 0)
            return false;
        exists = true;
    } else if (errno != ENOENT) {
        return false;
    }

    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    if (name.empty())
        return false;

    static std::atomic<uint32_t> counter{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = folder + (slash == std::string::npos ? "/." : ".") + name + ".tmp" +
               std::to_string(::getpid()) + "-" +
               std::to_string(counter.fetch_add(1, std::memory_order_relaxed));
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;

    bool ok;
    {
        FileSizeSignalGuard guard;
        ok = WriteAll(fd, bytes.data(), bytes.size());
    }
    if (ok && exists)
        ::fchmod(fd, st.st_mode & 07777); // keep the old file's permissions; best effort
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}

// Reads at most limit + 1 bytes of the file, so an oversized file is seen without reading
// it all. false when the file cannot be opened or read.
bool ReadFileBytes(const WString& path, uint32_t limit, std::vector<uint8_t>& out)
{
    out.clear();
    try {
        File file(path, WString(), File::ReadAccess);
        const int32_t length = file.GetLength();
        if (length < 0)
            return false;
        out.resize(static_cast<uint32_t>(length) > limit ? limit + 1 : static_cast<size_t>(length) + 1);
        size_t used = 0;
        uint32_t position = 0;
        for (;;) {
            if (used == out.size()) {
                if (used > limit)
                    break;
                out.resize(std::min<size_t>(out.size() * 2, static_cast<size_t>(limit) + 1));
            }
            const int32_t n =
                file.Read(out.data() + used, static_cast<uint32_t>(out.size() - used), position);
            position = File::CurrentPosition;
            if (n <= 0)
                break;
            used += static_cast<size_t>(n);
        }
        out.resize(used);
        file.Close();
        return true;
    } catch (const std::exception&) {
        out.clear();
        return false;
    }
}

} // namespace

LPresetManager::~LPresetManager()
{
    LNotificationClient::UnregisterFromAll();
    DropAllRegistrations();
}

RCPtr<LPresetManager> LPresetManager::Create()
{
    return Create(RCPtr<LNotificationDistributor>(GetNotificationQueue()));
}

RCPtr<LPresetManager> LPresetManager::Create(const RCPtr<LNotificationDistributor>& centre)
{
    RCPtr<LPresetManager> manager(new LPresetManager());
    manager->m_handler =
        RCPtr<LNotificationHandler<LPresetManager>>(new LNotificationHandler<LPresetManager>(manager.Get()));
    if (manager->m_handler) {
        CheckResult(manager->m_handler->AddHandler(&LPresetManager::OnGlobalLoadControlPanelSettings, centre,
                                                   NID_GLOBAL_LOAD_CONTROL_PANEL_SETTINGS, 0),
                    kCreateMethod, kSourcePath, 29);
    }
    manager->m_receiving = true;
    return manager;
}

KXRESULT LPresetManager::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!m_handler || !m_receiving)
        return S_OK;
    return m_handler->Receive(from, n);
}

KXRESULT LPresetManager::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d,
                                                   const char16_t* name)
{
    if (m_handler)
        m_handler->RemoveDistributorHandler(d, name);
    return LNotificationClient::UnregisterForNotification(d, name);
}

KXRESULT LPresetManager::ReleaseInternalReferences()
{
    return LNotificationClient::ReleaseInternalReferences();
}

KXRESULT LPresetManager::OnGlobalLoadControlPanelSettings(const RCPtr<LNotificationDistributor>&,
                                                          const RCPtr<LNotification>& n)
{
    using PathHolder = LWrapperStringable<WString>;
    if (n) {
        const ConstRCPtr<PathHolder> path = ConstRCPtr<PathHolder>::DynamicCast(n->GetPayload());
        if (path)
            Load(*path);
    }
    return S_FALSE;
}

KXRESULT LPresetManager::BuildPresetFile(const IArray<ParamValue>& values, std::vector<uint8_t>& out)
{
    out.clear();
    if (values.GetCount() != kParamCount)
        return E_INVALIDARG;
    size_t total = kHeaderBytes;
    for (uint32_t i = 0; i < kParamCount; ++i) {
        const Variant& value = values.ElementAt(i).value;
        if (!IsValidParamRecord(static_cast<int32_t>(i), value))
            return E_INVALIDARG;
        total += kRecordHeadBytes + GetParamRecordLength(static_cast<int32_t>(i));
    }
    out.resize(total);
    uint8_t* p = out.data();
    StoreLE32(p, kFileVersion);
    StoreLE32(p + 4, 0);
    StoreLE32(p + 8, 0);
    size_t offset = kHeaderBytes;
    for (uint32_t i = 0; i < kParamCount; ++i) {
        const Variant& value = values.ElementAt(i).value;
        const uint32_t n = GetParamRecordLength(static_cast<int32_t>(i));
        StoreLE32(p + offset, kRecordHeadBytes + n);
        StoreLE32(p + offset + 4, 0);
        StoreLE32(p + offset + 8, i);
        if (Variant::Serialize(value, p + offset + 12, static_cast<uint32_t>(out.size() - offset - 12)) !=
            Variant::RecordHeaderSize + n) {
            out.clear();
            return E_INVALIDARG;
        }
        offset += kRecordHeadBytes + n;
    }
    return S_OK;
}

int32_t LPresetManager::ParsePresetFile(const uint8_t* data, size_t size, IArray<ParamValue>& records)
{
    records.RemoveAll();
    if (!data || size < kHeaderBytes)
        return kLoadCorrupt;
    if (LoadLE32(data + 4) != 0 || LoadLE32(data + 8) != 0)
        return kLoadWrongDevice;
    const uint32_t version = LoadLE32(data);
    if (version > kFileVersion)
        return kLoadNewer;
    if (version == 0)
        return kLoadOlder;

    size_t offset = kHeaderBytes;
    while (offset < size) {
        const uint8_t* record = data + offset;
        const size_t remaining = size - offset;
        // Structural damage: a record cut short, or one whose heads or value cannot be read.
        if (remaining < kRecordHeadBytes) {
            records.RemoveAll();
            return kLoadCorrupt;
        }
        const uint32_t length = LoadLE32(record);
        const uint32_t type = LoadLE32(record + 4);
        const uint32_t index = LoadLE32(record + 8);
        const uint32_t valueLength = LoadLE32(record + 12);
        const uint32_t valueType = LoadLE32(record + 20);
        Variant value;
        if (length < kRecordHeadBytes || length > remaining || type != 0 || valueLength != length - 12 ||
            Variant::Deserialize(value, record + 12, length - 12) != S_OK) {
            records.RemoveAll();
            return kLoadCorrupt;
        }
        offset += length;
        // A whole record that the model may not take (an index it does not know, a value of
        // another length or type) is the engine's to refuse: the rest of the file still
        // loads. Skipped here: indices that are no parameter id at all (a file never sets a
        // pseudo-parameter) and borrowed data, which deserializes as owned bytes.
        if (index > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()) ||
            valueType == static_cast<uint32_t>(Variant::TypeBorrowed) ||
            valueType == static_cast<uint32_t>(Variant::TypeBorrowedRaw))
            continue;
        records.AddItem(ParamValue(ParamDescriptor(static_cast<int32_t>(index)), value));
    }
    return kLoadOk;
}

KXRESULT LPresetManager::Save(const WString& path)
{
    std::string target;
    if (!ToNativePath(path, target))
        return E_FAIL;
    const RCPtr<IParamValueStore> store = GetParamValueStore();
    if (!store)
        return E_FAIL;
    Array<ParamValue> values;
    if (Failed(
            store->GetParamValues(store->GetFirstParamID(), static_cast<int32_t>(kParamCount), values, -1)))
        return E_FAIL;
    std::vector<uint8_t> bytes;
    if (BuildPresetFile(values, bytes) != S_OK)
        return E_FAIL;
    return ReplaceFileContents(std::move(target), bytes) ? S_OK : E_FAIL;
}

int32_t LPresetManager::ReadPresetFile(const WString& path)
{
    const RCPtr<IParamValueStore> store = GetParamValueStore();
    if (!store)
        return E_FAIL;
    std::vector<uint8_t> bytes;
    if (!ReadFileBytes(path, kMaxPresetFileBytes, bytes) || bytes.size() > kMaxPresetFileBytes)
        return kLoadCorrupt;
    Array<ParamValue> records;
    const int32_t result = ParsePresetFile(bytes.data(), bytes.size(), records);
    if (result != kLoadOk)
        return result;
    // The engine refuses what it cannot take (while disconnected: everything); reading goes on.
    const int64_t firstId = store->GetFirstParamID();
    for (uint32_t i = 0; i < records.GetCount(); ++i) {
        const ParamValue& record = records.ElementAt(i);
        const int64_t id = firstId + record.descriptor.id;
        if (id < 0 || id > std::numeric_limits<int32_t>::max())
            continue;
        store->SetParamValues(ParamDescriptor(static_cast<int32_t>(id)), record.value);
    }
    return kLoadOk;
}

int32_t LPresetManager::Load(const WString& path)
{
    SendLoadNotification(NID_PRESETFILE_PRE_LOAD, nullptr);
    const int32_t result = ReadPresetFile(path);
    SendLoadNotification(NID_PRESETFILE_POST_LOAD,
                         ConstRCPtr<LRefCountedObject>(new LPresetFileLoadNotificationData(result)));
    return result;
}

void LPresetManager::SendLoadNotification(const char16_t* name, const ConstRCPtr<LRefCountedObject>& payload)
{
    RCPtr<LNotification> n;
    LNotification::Create(n, name, payload);
    if (n)
        SendNotification(n);
}

void LPresetManager::ShowMessage(const char16_t* textKey)
{
    ShowAppMessageBox(LookupAppString(WString(textKey)), LookupAppString(WString(kCaptionKey)),
                      kMessageBoxFlags);
}

void LPresetManager::ShowLoadOlderMessage()
{
    ShowMessage(u"SETTINGS_FILE_LOAD_OLDER_MESSAGE");
}

void LPresetManager::ShowLoadNewerMessage()
{
    ShowMessage(u"SETTINGS_FILE_LOAD_NEWER_MESSAGE");
}

void LPresetManager::ShowLoadCorruptMessage()
{
    ShowMessage(u"SETTINGS_FILE_LOAD_CORRUPT_MESSAGE");
}

void LPresetManager::ShowLoadWrongDeviceMessage()
{
    ShowMessage(u"SETTINGS_FILE_LOAD_WRONG_DEVICE_MESSAGE");
}

void LPresetManager::ShowTranslationFailureMessage()
{
    ShowMessage(u"SETTINGS_FILE_TRANSLATION_FAILURE_MESSAGE");
}

} // namespace KX
