#include "kx/FontFileInfo.h"

#include "kx/Exception.h"
#include "kx/PathUtils.h"
#include "kx/RenderHost.h"
#include "kx/TrueTypeNames.h"

#include <fontconfig/fontconfig.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <system_error>

namespace KX {

namespace {

// A regular file opened for reading, and nothing else: the open does not wait (a FIFO named like
// a font would wait for a writer for ever), and what it opened must be a regular file.
class RegularFile final : public IFontByteSource {
public:
    explicit RegularFile(const WString& path)
    {
        const NString narrow = path.ToNarrow();
        m_fd = ::open(narrow.GetString(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        struct stat info {};
        if (m_fd < 0 || ::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            Close();
            return;
        }
        m_size = info.st_size > 0 ? static_cast<uint64_t>(info.st_size) : 0;
    }
    ~RegularFile() { Close(); }
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    uint64_t GetSize() const override { return m_size; }

    bool ReadAt(uint64_t offset, void* out, uint32_t count) override
    {
        if (offset > m_size || count > m_size - offset)
            return false;
        auto* bytes = static_cast<uint8_t*>(out);
        uint32_t done = 0;
        while (done < count) {
            const ssize_t n = ::pread(m_fd, bytes + done, count - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += static_cast<uint32_t>(n);
        }
        return true;
    }

private:
    void Close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    int m_fd = -1;
    uint64_t m_size = 0;
};

std::unique_ptr<Array<WString>> g_fontFolders;

// The fallback order of the paths per style.
constexpr int32_t kPathOrder[LFontFileInfo::kStyleCount][LFontFileInfo::kStyleCount] = {
    {LFontFileInfo::kRegular, LFontFileInfo::kBold, LFontFileInfo::kItalic, LFontFileInfo::kBoldItalic},
    {LFontFileInfo::kBold, LFontFileInfo::kBoldItalic, LFontFileInfo::kRegular, LFontFileInfo::kItalic},
    {LFontFileInfo::kItalic, LFontFileInfo::kBoldItalic, LFontFileInfo::kRegular, LFontFileInfo::kBold},
    {LFontFileInfo::kBoldItalic, LFontFileInfo::kBold, LFontFileInfo::kItalic, LFontFileInfo::kRegular},
};

WString FromUtf8(const std::string& text)
{
    return WString(text.c_str());
}

// folder and every folder below it (symbolic links to folders are not followed), each once.
void AddFolderTree(const std::filesystem::path& folder, std::set<std::filesystem::path>& seen, Array<WString>& out)
{
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::canonical(folder, error);
    if (error || !std::filesystem::is_directory(canonical, error) || !seen.insert(canonical).second)
        return;
    out.AddItem(FromUtf8(canonical.string()));
    std::filesystem::recursive_directory_iterator it(canonical,
                                                     std::filesystem::directory_options::skip_permission_denied, error);
    for (const std::filesystem::recursive_directory_iterator end; !error && it != end; it.increment(error)) {
        if (it->is_directory(error) && !it->is_symlink(error) && seen.insert(it->path()).second)
            out.AddItem(FromUtf8(it->path().string()));
        error.clear();
    }
}

} // namespace

namespace Detail {
// Defined with the font map.
void ClearFontFileMap();
} // namespace Detail

void LFontFileInfo::SetPath(int32_t style, const WString& path, int32_t faceIndex)
{
    Face& face = m_faces[style & 3];
    face.path = path;
    face.faceIndex = faceIndex;
}

void LFontFileInfo::ChoosePath(int32_t style)
{
    Face& own = m_faces[style & 3];
    if (!own.path.IsEmpty())
        return;
    for (int32_t candidate : kPathOrder[style & 3]) {
        const Face& face = m_faces[candidate];
        if (!face.path.IsEmpty()) {
            own = face;
            return;
        }
    }
}

LFontFileInfo::Registry& LFontFileInfo::RegistryInstance()
{
    // Never destroyed: nothing depends on the order of destruction at exit. The renderer's
    // destruction empties it.
    static Registry* const registry = new Registry();
    return *registry;
}

const LFontFileInfo::Registry& LFontFileInfo::GetRegistry()
{
    return RegistryInstance();
}

uint32_t LFontFileInfo::GetRecordCount()
{
    return RegistryInstance().GetCount();
}

RCPtr<LFontFileInfo> LFontFileInfo::AddFontFileInfo()
{
    Registry& registry = RegistryInstance();
    RCPtr<LFontFileInfo> info(new LFontFileInfo(static_cast<int32_t>(registry.GetCount())));
    registry.AddItem(info);
    return info;
}

void LFontFileInfo::ClearRegistry()
{
    Detail::ClearFontFileMap();
    RegistryInstance().SetSize(0);
}

int32_t LFontFileInfo::FindFamily(const WString& family)
{
    const Registry& registry = RegistryInstance();
    for (uint32_t i = registry.GetCount(); i-- > 0;) {
        if (registry.ElementAt(i)->GetFamily() == family)
            return static_cast<int32_t>(i);
    }
    return -1;
}

int32_t LFontFileInfo::StyleFromSubfamily(const WString& style)
{
    if (style.Equals(u"bold"))
        return kBold;
    // Oblique is the slanted face of families that do not call it italic.
    if (style.Equals(u"italic") || style.Equals(u"oblique"))
        return kItalic;
    if (style.Equals(u"bold italic") || style.Equals(u"bold oblique"))
        return kBoldItalic;
    return kRegular;
}

void LFontFileInfo::RegisterFace(const WString& family, const WString& style, const WString& path, int32_t faceIndex)
{
    const int32_t index = FindFamily(family);
    RCPtr<LFontFileInfo> info;
    if (index >= 0) {
        info = RegistryInstance().ElementAt(static_cast<uint32_t>(index));
    } else {
        info = AddFontFileInfo();
        info->SetFamily(family);
    }
    info->SetPath(StyleFromSubfamily(style), path, faceIndex);
}

bool LFontFileInfo::ScanFontFile(const WString& path)
{
    RegularFile file(path);
    if (!file.IsOpen())
        return false;
    try {
        ReadFontNames(file, [&path](const WString& family, const WString& style, int32_t faceIndex) {
            RegisterFace(family, style, path, faceIndex);
        });
    } catch (const std::runtime_error&) {
        // A read error ends this file; what it registered so far stays.
        return false;
    }
    return true;
}

void LFontFileInfo::GetSystemFontFolders(IArray<WString>& folders)
{
    folders.RemoveAll();
    FcConfig* config = FcInitLoadConfig();
    if (!config)
        return;
    std::set<std::filesystem::path> seen;
    Array<WString> found;
    if (FcStrList* list = FcConfigGetFontDirs(config)) {
        while (FcChar8* dir = FcStrListNext(list))
            AddFolderTree(std::filesystem::path(reinterpret_cast<const char*>(dir)), seen, found);
        FcStrListDone(list);
    }
    FcConfigDestroy(config);
    folders.Append(found);
}

void LFontFileInfo::SetFontFolders(const IArray<WString>* folders)
{
    if (!folders) {
        g_fontFolders.reset();
        return;
    }
    auto copy = std::make_unique<Array<WString>>();
    copy->Append(*folders);
    g_fontFolders = std::move(copy);
}

void LFontFileInfo::ScanFontFolder()
{
    ClearRegistry();

    Array<WString> folders;
    if (g_fontFolders) {
        std::set<std::filesystem::path> seen;
        for (uint32_t i = 0; i < g_fontFolders->GetCount(); ++i)
            AddFolderTree(std::filesystem::path(g_fontFolders->ElementAt(i).ToNarrow().GetString()), seen, folders);
    } else {
        GetSystemFontFolders(folders);
    }

    // Every ".ttf" file of every folder first, then every ".ttc" file.
    Array<WString> paths;
    for (const char16_t* pattern : {u"*.ttf", u"*.ttc"}) {
        for (uint32_t i = 0; i < folders.GetCount(); ++i) {
            Array<WString> files;
            FindFilesInDirectory(folders.ElementAt(i), WString(pattern), files);
            paths.Append(files);
        }
    }
    for (uint32_t i = 0; i < paths.GetCount(); ++i)
        ScanFontFile(paths.ElementAt(i));
}

int32_t LFontFileInfo::ResolveFileID(const WString& faceName, int32_t style)
{
    int32_t index = FindFamily(faceName);
    if (index < 0) {
        WString defaultFace;
        float size = 0;
        int32_t defaultStyle = 0;
        if (Succeeded(GetDefaultFont(defaultFace, size, defaultStyle)))
            index = FindFamily(defaultFace);
    }
    if (index < 0)
        KX_THROW(std::runtime_error, "", "KX::LFontFileInfo::GetFileID", "Renderer\\FontRenderer\\FontFileInfo", 464);
    RegistryInstance().ElementAt(static_cast<uint32_t>(index))->ChoosePath(style);
    return index * 4 + (style & 3);
}

const WString& LFontFileInfo::GetPathForFileID(int32_t fileId)
{
    const int32_t index = fileId >> 2;
    const Registry& registry = RegistryInstance();
    if (index >= 0 && static_cast<uint32_t>(index) < registry.GetCount())
        return registry.ElementAt(static_cast<uint32_t>(index))->GetPath(fileId & 3);
    static const WString* const empty = new WString();
    return *empty;
}

int32_t LFontFileInfo::GetFaceIndexForFileID(int32_t fileId)
{
    const int32_t index = fileId >> 2;
    const Registry& registry = RegistryInstance();
    if (index >= 0 && static_cast<uint32_t>(index) < registry.GetCount())
        return registry.ElementAt(static_cast<uint32_t>(index))->GetFaceIndex(fileId & 3);
    return 0;
}

} // namespace KX
