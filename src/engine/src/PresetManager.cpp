#include "engine/PresetManager.h"

#include "engine/ParamRecords.h"

#include "kx/AppServices.h"
#include "kx/Exception.h"
#include "kx/File.h"
#include "kx/Notification.h"
#include "kx/NotificationCenter.h"
#include "kx/NotificationId.h"
#include "kx/Wrappers.h"

#include "platform/posix/AtomicWrite.h"
#include "platform/posix/FileIo.h"
#include "platform/posix/Utf.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include <fcntl.h>
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
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

inline void StoreLE32(uint8_t* p, uint32_t v) noexcept
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

// The system's form of a path (UTF-8, "\" taken as "/"); false for an empty path or one holding
// a lone surrogate, which has no UTF-8 form.
bool ToNativePath(const WString& path, std::string& out)
{
    const char16_t* p = path.GetString();
    auto native = p ? platform::posix::ToNativePath(p) : std::nullopt;
    if (!native || native->empty())
        return false;
    out = std::move(*native);
    return true;
}

// Replaces the file at target by bytes, through a new file in the same folder; any failure
// leaves the target untouched. A target that exists must be writable: a read-only file is not
// replaced (a link is followed to the file it names).
bool ReplaceFileContents(const std::string& target, const std::vector<uint8_t>& bytes)
{
    if (::access(target.c_str(), W_OK) != 0 && errno != ENOENT)
        return false;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return platform::posix::WriteFileAtomic(target, text) == 0;
}

// Reads at most limit + 1 bytes of a regular file, so an oversized file is seen without reading
// it all: 0, or why it could not be read (an errno, or kNotRegularFile). Anything but a regular
// file is refused unread: a FIFO or a device is never waited on.
int ReadFileBytes(const WString& path, uint32_t limit, std::vector<uint8_t>& out)
{
    out.clear();
    std::string native;
    if (!ToNativePath(path, native))
        return ENOENT;
    const platform::posix::UniqueFd fd = platform::posix::OpenFd(native, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (!fd)
        return errno;
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    if (!S_ISREG(st.st_mode))
        return LPresetManager::kNotRegularFile;
    const uint64_t size = st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
    out.resize(static_cast<size_t>(std::min<uint64_t>(size, limit) + 1));
    size_t used = 0;
    for (;;) {
        if (used == out.size()) {
            if (used > limit)
                break;
            out.resize(std::min<size_t>(out.size() * 2, static_cast<size_t>(limit) + 1));
        }
        const ssize_t n = ::read(fd.Get(), out.data() + used, out.size() - used);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            out.clear();
            return error;
        }
        if (n == 0)
            break;
        used += static_cast<size_t>(n);
    }
    out.resize(used);
    return 0;
}

// Whether the model's value of descriptor is value.
bool ModelHolds(IParamValueStore& store, const ParamDescriptor& descriptor, const Variant& value)
{
    Array<ParamValue> values;
    return Succeeded(store.GetParamValues(descriptor.id, 1, values, -1)) && values.GetCount() == 1 &&
           values.ElementAt(0).value == value;
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

KXRESULT LPresetManager::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
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

int32_t LPresetManager::ParsePresetFile(const uint8_t* data, size_t size, IArray<ParamValue>& records,
                                        uint32_t* recordCount)
{
    records.RemoveAll();
    if (recordCount)
        *recordCount = 0;
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
            if (recordCount)
                *recordCount = 0;
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
            if (recordCount)
                *recordCount = 0;
            return kLoadCorrupt;
        }
        offset += length;
        if (recordCount)
            ++*recordCount;
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
    if (Failed(store->GetParamValues(store->GetFirstParamID(), static_cast<int32_t>(kParamCount), values, -1)))
        return E_FAIL;
    std::vector<uint8_t> bytes;
    if (BuildPresetFile(values, bytes) != S_OK)
        return E_FAIL;
    return ReplaceFileContents(target, bytes) ? S_OK : E_FAIL;
}

int32_t LPresetManager::ReadPresetFile(const WString& path)
{
    m_notApplied = 0;
    m_readRecords = 0;
    const RCPtr<IParamValueStore> store = GetParamValueStore();
    if (!store)
        return E_FAIL;
    std::vector<uint8_t> bytes;
    m_readError = ReadFileBytes(path, kMaxPresetFileBytes, bytes);
    if (m_readError != 0)
        return kLoadUnreadable;
    if (bytes.size() > kMaxPresetFileBytes)
        return kLoadCorrupt;
    Array<ParamValue> records;
    uint32_t recordCount = 0;
    const int32_t result = ParsePresetFile(bytes.data(), bytes.size(), records, &recordCount);
    if (result != kLoadOk)
        return result;
    // The engine refuses what it cannot take (while disconnected: everything); reading goes on. A
    // record is taken when the model holds its value afterwards: set, or changed to it by a set
    // that failed on the way to the keyboard (which went away). A parameter the model does not
    // have is never taken.
    const int64_t firstId = store->GetFirstParamID();
    uint32_t applied = 0;
    for (uint32_t i = 0; i < records.GetCount(); ++i) {
        const ParamValue& record = records.ElementAt(i);
        const int64_t id = firstId + record.descriptor.id;
        if (id < 0 || id > std::numeric_limits<int32_t>::max())
            continue;
        const ParamDescriptor descriptor(static_cast<int32_t>(id));
        const bool known = static_cast<uint32_t>(record.descriptor.id) < kParamCount;
        const bool held = known && ModelHolds(*store, descriptor, record.value);
        const bool set = Succeeded(store->SetParamValues(descriptor, record.value));
        if (known && (set || !held) && ModelHolds(*store, descriptor, record.value))
            ++applied;
    }
    m_readRecords = recordCount;
    m_notApplied = recordCount - applied;
    if (m_notApplied == 0)
        return kLoadOk;
    return applied == 0 ? kLoadNothingApplied : kLoadPartlyApplied;
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
    ShowAppMessageBox(LookupAppString(WString(textKey)), LookupAppString(WString(kCaptionKey)), kMessageBoxFlags);
}

void LPresetManager::ShowLoadOlderMessage()
{
    ShowMessage(u"SETTINGS_FILE_LOAD_OLDER_MESSAGE");
}

void LPresetManager::ShowLoadNewerMessage()
{
    ShowMessage(u"SETTINGS_FILE_LOAD_NEWER_MESSAGE");
}

void LPresetManager::ShowLoadUnreadableMessage()
{
    ShowAppMessageBox(UnreadableText(), LookupAppString(WString(kCaptionKey)), kMessageBoxFlags);
}

WString LPresetManager::UnreadableText() const
{
    WString reason = LookupAppString(WString(u"SETTINGS_FILE_LOAD_NOT_A_FILE_REASON"));
    if (m_readError != kNotRegularFile) {
        // The system's text, begun in lower case as it ends a sentence.
        std::string text = std::error_code(m_readError, std::generic_category()).message();
        if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
            text[0] = static_cast<char>(text[0] - 'A' + 'a');
        reason = WString(text.c_str());
    }
    const WString format = LookupAppString(WString(u"SETTINGS_FILE_LOAD_UNREADABLE_MESSAGE"));
    return WString::Format(format.GetString(), reason.GetString());
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

void LPresetManager::ShowLoadNotConnectedMessage()
{
    ShowMessage(u"SETTINGS_FILE_LOAD_NOT_CONNECTED_MESSAGE");
}

void LPresetManager::ShowLoadNothingTakenMessage()
{
    const WString format = LookupAppString(WString(u"SETTINGS_FILE_LOAD_NOTHING_TAKEN_MESSAGE"));
    ShowAppMessageBox(WString::Format(format.GetString(), static_cast<int>(m_readRecords)),
                      LookupAppString(WString(kCaptionKey)), kMessageBoxFlags);
}

void LPresetManager::ShowLoadPartlyAppliedMessage(bool connected)
{
    ShowAppMessageBox(PartlyAppliedText(connected), LookupAppString(WString(kCaptionKey)), kMessageBoxFlags);
}

WString LPresetManager::PartlyAppliedText(bool connected) const
{
    const WString format = LookupAppString(WString(connected ? u"SETTINGS_FILE_LOAD_PARTLY_REFUSED_MESSAGE"
                                                             : u"SETTINGS_FILE_LOAD_PARTLY_NOT_CONNECTED_MESSAGE"));
    return WString::Format(format.GetString(), static_cast<int>(m_notApplied), static_cast<int>(m_readRecords));
}

} // namespace KX
