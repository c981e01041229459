#pragma once
// The registry of font files: which file (and which font within a collection file) holds the
// regular, bold, italic and bold-italic face of each font family found in the font folders.
// A font resolves to a file id (record index × 4 + style), which the FreeType cache uses as its
// face id; a file id resolves back to a path and face index.
#include "kx/Array.h"
#include "kx/KXResult.h"
#include "kx/RCPtrArray.h"
#include "kx/RCPtrMap.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

#include <cstdint>

namespace KX {

class LFont;

class LFontFileInfo : public virtual LRefCountedObject {
public:
    // Styles, as in a font's style bits 1 (bold) and 2 (italic).
    static constexpr int32_t kRegular = 0;
    static constexpr int32_t kBold = 1;
    static constexpr int32_t kItalic = 2;
    static constexpr int32_t kBoldItalic = 3;
    static constexpr int32_t kStyleCount = 4;

    using Registry = RCPtrArray<LFontFileInfo>;
    using FontMap = RCPtrMap<LFont, LFontFileInfo, 8>;

    explicit LFontFileInfo(int32_t index) : m_index(index) {}

    const WString& GetFamily() const { return m_family; }
    void SetFamily(const WString& family) { m_family = family; }
    int32_t GetIndex() const { return m_index; }
    // style is masked to 0..3.
    const WString& GetPath(int32_t style) const { return m_faces[style & 3].path; }
    int32_t GetFaceIndex(int32_t style) const { return m_faces[style & 3].faceIndex; }
    void SetPath(int32_t style, const WString& path, int32_t faceIndex);

    // Rebuilds the registry from the font folders (fontconfig's, or those set by SetFontFolders).
    // File ids are the FreeType cache's face ids: do not rescan while a FreeType renderer lives.
    static void ScanFontFolder();
    // The record index × 4 + the font's style (bits 1 and 2). Falls back to the family of the
    // system's default font (KX::GetDefaultFont); throws the runtime error when neither is
    // registered.
    static int32_t GetFileID(const ConstRCPtr<LFont>& font);
    // The same for a face name and style, without the font map.
    static int32_t ResolveFileID(const WString& faceName, int32_t style);
    // The path of a file id, or the shared empty string.
    static const WString& GetPathForFileID(int32_t fileId);
    // The font index within the file of a file id (0 for a plain font file or an unknown id).
    static int32_t GetFaceIndexForFileID(int32_t fileId);
    // Empties the font map, then the registry.
    static void ClearRegistry();
    // A new record whose index is the current record count, appended to the registry.
    static RCPtr<LFontFileInfo> AddFontFileInfo();
    static const Registry& GetRegistry();
    static uint32_t GetRecordCount();

    // Reads one font file and registers every face it names; false when it could not be read.
    static bool ScanFontFile(const WString& path);
    // Sets the path of the style that a subfamily text (lower case) names, in the last record of
    // that exact family, or a new one.
    static void RegisterFace(const WString& family, const WString& style, const WString& path, int32_t faceIndex);
    // The style a lower-case subfamily text stands for.
    static int32_t StyleFromSubfamily(const WString& style);

    // The folders to scan: fontconfig's configured font folders (subfolders are searched too).
    static void GetSystemFontFolders(IArray<WString>& folders);
    // Scans these folders instead of the system's from now on; null goes back to the system's.
    static void SetFontFolders(const IArray<WString>* folders);

private:
    struct Face {
        WString path;
        int32_t faceIndex = 0;
    };

    static Registry& RegistryInstance();
    // Index of the last record of exactly this family, or -1.
    static int32_t FindFamily(const WString& family);
    // The path chosen for style (with the fallback order), filled into the style's own path
    // when that was empty.
    void ChoosePath(int32_t style);

    WString m_family;
    Face m_faces[kStyleCount];
    int32_t m_index;
};

} // namespace KX
