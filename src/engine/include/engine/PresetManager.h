#pragma once
// Preset files: the 83 parameter values of one preset on disk, and loading them back
// through the engine's set path.
//
// Format (all words unsigned 32-bit little-endian): a header of version 1 and two zero
// words, then one record per parameter: record length (24 + n), a zero type word, the
// parameter index, then the value's Variant record (12 + n, 0, type 8, n bytes).
#include "engine/ParamValueStore.h"

#include "kx/Array.h"
#include "kx/KXResult.h"
#include "kx/NotificationClient.h"
#include "kx/NotificationDistributor.h"
#include "kx/NotificationHandler.h"
#include "kx/ParamValues.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace KX {

// The parameter object of "NID_PRESETFILE_POST_LOAD".
class LPresetFileLoadNotificationData : public LRefCountedObject {
public:
    explicit LPresetFileLoadNotificationData(int32_t result) : m_result(result) {}
    int32_t GetResult() const noexcept { return m_result; }

private:
    int32_t m_result;
};

class LPresetManager : public virtual LNotificationClient, public virtual LNotificationDistributor {
public:
    // Read results.
    static constexpr int32_t kLoadOk = 0;
    static constexpr int32_t kLoadOlder = -1;
    static constexpr int32_t kLoadNewer = -2;
    static constexpr int32_t kLoadCorrupt = -3;
    static constexpr int32_t kLoadWrongDevice = -4;
    static constexpr int32_t kLoadTranslationFailure = -5;
    // The file could not be read at all (missing, a folder, no permission, not a regular file);
    // GetReadError says why.
    static constexpr int32_t kLoadUnreadable = -6;
    // The file was read but the model took none of its records (while no keyboard is connected
    // it takes none): nothing changed.
    static constexpr int32_t kLoadNothingApplied = -7;
    // The model took some of the file's records but not all (it refused some, they name
    // parameters it does not have, or the keyboard went away partway): GetNotAppliedCount says
    // how many it did not take.
    static constexpr int32_t kLoadPartlyApplied = -8;
    // The read error of anything but a regular file or a folder (a FIFO, a device, a socket).
    static constexpr int kNotRegularFile = -1;

    static constexpr uint32_t kFileVersion = 1;
    static constexpr uint32_t kHeaderBytes = 12;
    // Record head: length, type, index; then the value's own 12-byte head.
    static constexpr uint32_t kRecordHeadBytes = 24;
    // A file written by the editor: header, 83 heads and the 874 bytes of records.
    static constexpr uint32_t kPresetFileBytes = 2878;
    // Larger files are refused unread.
    static constexpr uint32_t kMaxPresetFileBytes = 1u << 20;

    // A new manager bound to "NID_GLOBAL_LOAD_CONTROL_PANEL_SETTINGS" at the application's
    // centre, or at the given one. A failed binding (no centre) throws the failed-result
    // exception.
    static RCPtr<LPresetManager> Create();
    static RCPtr<LPresetManager> Create(const RCPtr<LNotificationDistributor>& centre);

    // Writes the engine's 83 current values to path: 0, or E_FAIL when the engine has no
    // complete, valid preset or anything about the file fails. The file is written beside
    // the target and renamed over it, so a failed save leaves the previous file as it was.
    KXRESULT Save(const WString& path);
    // Sends "NID_PRESETFILE_PRE_LOAD", reads the file, sends "NID_PRESETFILE_POST_LOAD"
    // with the result; returns the read result.
    int32_t Load(const WString& path);
    // 0 (read to the end), -1 older, -2 newer, -3 structurally damaged (a record cut short
    // or one whose heads or value cannot be read) or over kMaxPresetFileBytes, -4 another
    // device's file, -6 not readable (only regular files are read); E_FAIL when no engine is
    // registered. A file is checked whole before any record
    // is applied, so a refused file changes nothing. Records are handed to the engine in
    // file order; one it refuses (unknown index, wrong length or type, a byte of 0x80 or
    // more) is left out and the others still apply. A record counts as taken when the model
    // holds its value afterwards (a record for a parameter the model does not have never is);
    // -7 when none was taken, -8 when some were not.
    int32_t ReadPresetFile(const WString& path);
    // Of the last read's records, how many the engine did not take, and how many were read.
    uint32_t GetNotAppliedCount() const noexcept { return m_notApplied; }
    uint32_t GetReadRecordCount() const noexcept { return m_readRecords; }

    // The application's message boxes for the negative results of Load.
    void ShowLoadOlderMessage();
    void ShowLoadNewerMessage();
    void ShowLoadCorruptMessage();
    void ShowLoadWrongDeviceMessage();
    void ShowTranslationFailureMessage();
    // The boxes of -7: while no keyboard is connected, and while one is (none of the values fit).
    void ShowLoadNotConnectedMessage();
    void ShowLoadNothingTakenMessage();
    // The box of -8: how many of the file's values were not taken; connected says whether the
    // keyboard is still there (else it went away during the load).
    void ShowLoadPartlyAppliedMessage(bool connected);
    WString PartlyAppliedText(bool connected) const;
    // The box of -6: the reason the last read failed, in the "SETTINGS_FILE_LOAD_UNREADABLE_MESSAGE"
    // text.
    void ShowLoadUnreadableMessage();
    WString UnreadableText() const;
    // Why the last read failed: an errno, kNotRegularFile, or 0 after a read that succeeded.
    int GetReadError() const noexcept { return m_readError; }

    // The file bytes for values (element k is the value of index k; exactly 83 valid
    // records). S_OK, or E_INVALIDARG with out emptied.
    static KXRESULT BuildPresetFile(const IArray<ParamValue>& values, std::vector<uint8_t>& out);
    // Checks a whole file image; on 0, records holds one entry per record in file order
    // (descriptor id = the record's parameter index), whether or not the model takes it;
    // records with an index above the id range or with borrowed data are left out (counted in
    // recordCount, when given, with the others). On any other result records is empty.
    static int32_t ParsePresetFile(const uint8_t* data, size_t size, IArray<ParamValue>& records,
                                   uint32_t* recordCount = nullptr);

    // Notification client: passes notifications to the handler once bound.
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;
    KXRESULT ReleaseInternalReferences() override;

    KXRESULT OnGlobalLoadControlPanelSettings(const RCPtr<LNotificationDistributor>& from,
                                              const RCPtr<LNotification>& n);

protected:
    LPresetManager() = default;
    ~LPresetManager() override;

private:
    void SendLoadNotification(const char16_t* name, const ConstRCPtr<LRefCountedObject>& payload);
    void ShowMessage(const char16_t* textKey);

    RCPtr<LNotificationHandler<LPresetManager>> m_handler;
    bool m_receiving = false;
    int m_readError = 0;
    uint32_t m_notApplied = 0;
    uint32_t m_readRecords = 0;
};

} // namespace KX
