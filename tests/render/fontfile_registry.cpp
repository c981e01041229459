// The font file registry: scanning folders, registering faces, resolving fonts to file ids.
#include "FontFileTestUtil.h"
#include "TestSupport.h"
#include "kx/FontFileInfo.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <stdexcept>
#include <string>

using namespace fonttest;
using KX::LFontFileInfo;
using KX::WString;

namespace {

std::string Narrow(const WString& text)
{
    return text.ToNarrow().GetString();
}

WString Wide(const std::filesystem::path& path)
{
    return WString(path.string().c_str());
}

// Leaves the process-wide registry as it found it: empty, system folders, no default font.
class FontRegistry : public ::testing::Test {
protected:
    void TearDown() override
    {
        LFontFileInfo::SetFontFolders(nullptr);
        LFontFileInfo::ClearRegistry();
    }

    void Scan(std::initializer_list<std::filesystem::path> folders)
    {
        KX::Array<WString> list;
        for (const auto& folder : folders)
            list.AddItem(Wide(folder));
        LFontFileInfo::SetFontFolders(&list);
        LFontFileInfo::ScanFontFolder();
    }

    static const LFontFileInfo* Record(const char16_t* family)
    {
        const auto& registry = LFontFileInfo::GetRegistry();
        for (uint32_t i = 0; i < registry.GetCount(); ++i) {
            if (registry.ElementAt(i)->GetFamily() == WString(family))
                return registry.ElementAt(i).Get();
        }
        return nullptr;
    }

    kxtest::TempDir dir;
};

} // namespace

TEST_F(FontRegistry, CollectionRegistersEveryFamilyWithItsFaceIndex)
{
    WriteBytes(dir.path() / "three.ttc",
               MakeCollection({MakeFamilyFont(u"Coll One", u"Regular"), MakeFamilyFont(u"Coll Two", u"Bold"),
                               MakeFamilyFont(u"Coll Three", u"Italic")}));
    Scan({dir.path()});

    ASSERT_EQ(LFontFileInfo::GetRecordCount(), 3u);
    const std::string path = (std::filesystem::canonical(dir.path()) / "three.ttc").string();
    const LFontFileInfo* one = Record(u"Coll One");
    const LFontFileInfo* two = Record(u"Coll Two");
    const LFontFileInfo* three = Record(u"Coll Three");
    ASSERT_TRUE(one && two && three);
    EXPECT_EQ(Narrow(one->GetPath(LFontFileInfo::kRegular)), path);
    EXPECT_EQ(one->GetFaceIndex(LFontFileInfo::kRegular), 0);
    EXPECT_EQ(Narrow(two->GetPath(LFontFileInfo::kBold)), path);
    EXPECT_EQ(two->GetFaceIndex(LFontFileInfo::kBold), 1);
    EXPECT_EQ(three->GetFaceIndex(LFontFileInfo::kItalic), 2);

    // The face index travels with the file id, also through a fallback to another style.
    const int32_t id = LFontFileInfo::ResolveFileID(u"Coll Three", LFontFileInfo::kBold);
    EXPECT_EQ(id, three->GetIndex() * 4 + LFontFileInfo::kBold);
    EXPECT_EQ(Narrow(LFontFileInfo::GetPathForFileID(id)), path);
    EXPECT_EQ(LFontFileInfo::GetFaceIndexForFileID(id), 2);
}

TEST_F(FontRegistry, SubfamilyChoosesThePath)
{
    const std::pair<const char16_t*, int32_t> cases[] = {
        {u"BOLD", LFontFileInfo::kBold},
        {u"Italic", LFontFileInfo::kItalic},
        {u"Bold Italic", LFontFileInfo::kBoldItalic},
        {u"Oblique", LFontFileInfo::kItalic},
        {u"Bold Oblique", LFontFileInfo::kBoldItalic},
        {u"Regular", LFontFileInfo::kRegular},
        {u"Book", LFontFileInfo::kRegular},
        {u"Medium", LFontFileInfo::kRegular},
    };
    for (const auto& [style, expected] : cases) {
        LFontFileInfo::ClearRegistry();
        const auto file = dir.path() / "face.ttf";
        WriteBytes(file, MakeFamilyFont(u"Styled", style));
        ASSERT_TRUE(LFontFileInfo::ScanFontFile(Wide(file)));
        const LFontFileInfo* record = Record(u"Styled");
        ASSERT_NE(record, nullptr);
        for (int32_t s = 0; s < LFontFileInfo::kStyleCount; ++s)
            EXPECT_EQ(record->GetPath(s).IsEmpty(), s != expected) << Narrow(WString(style)) << " style " << s;
    }
}

TEST_F(FontRegistry, BoldOnlyFamilyServesRegularFromTheBoldFile)
{
    WriteBytes(dir.path() / "heavy.ttf", MakeFamilyFont(u"Heavy", u"Bold"));
    Scan({dir.path()});
    const LFontFileInfo* record = Record(u"Heavy");
    ASSERT_NE(record, nullptr);
    const WString boldPath = record->GetPath(LFontFileInfo::kBold);
    ASSERT_TRUE(record->GetPath(LFontFileInfo::kRegular).IsEmpty());

    const int32_t id = LFontFileInfo::ResolveFileID(u"Heavy", LFontFileInfo::kRegular);
    EXPECT_EQ(id & 3, LFontFileInfo::kRegular);
    EXPECT_EQ(LFontFileInfo::GetPathForFileID(id), boldPath);
    // From now on the record's own regular path is the bold file.
    EXPECT_EQ(record->GetPath(LFontFileInfo::kRegular), boldPath);
    // Italic falls back through bold italic and regular (now filled) to the same file.
    EXPECT_EQ(LFontFileInfo::GetPathForFileID(LFontFileInfo::ResolveFileID(u"Heavy", LFontFileInfo::kItalic)),
              boldPath);
}

TEST_F(FontRegistry, FallbackOrderPerStyle)
{
    const auto Register = [](const char16_t* style, const char16_t* path) {
        LFontFileInfo::RegisterFace(u"Fam", style, path, 0);
    };
    Register(u"italic", u"/i");
    Register(u"bold", u"/b");
    // Bold italic tries bold italic, bold, italic, regular.
    EXPECT_EQ(Narrow(LFontFileInfo::GetPathForFileID(LFontFileInfo::ResolveFileID(u"Fam", 3))), "/b");
    LFontFileInfo::ClearRegistry();
    Register(u"regular", u"/r");
    Register(u"italic", u"/i");
    // Bold tries bold, bold italic, regular, italic.
    EXPECT_EQ(Narrow(LFontFileInfo::GetPathForFileID(LFontFileInfo::ResolveFileID(u"Fam", 1))), "/r");
    // Italic has its own.
    EXPECT_EQ(Narrow(LFontFileInfo::GetPathForFileID(LFontFileInfo::ResolveFileID(u"Fam", 2))), "/i");
}

TEST_F(FontRegistry, FamiliesMatchCaseSensitivelyWithDefaultFontFallback)
{
    Scan({kDejaVuFolder});
    // No user-interface host: a face name that differs only in case is not found.
    try {
        LFontFileInfo::ResolveFileID(u"dejavu sans", 0);
        FAIL() << "expected a runtime error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(),
                     "Runtime Error : KX::LFontFileInfo::GetFileID : Renderer\\FontRenderer\\FontFileInfo : Line 464");
    }
    FakeRenderHost host; // a host that cannot tell its default font
    EXPECT_THROW(LFontFileInfo::ResolveFileID(u"dejavu sans", 0), std::runtime_error);
    host.defaultFace = u"DejaVu Sans Mono Missing";
    EXPECT_THROW(LFontFileInfo::ResolveFileID(u"dejavu sans", 0), std::runtime_error);

    host.defaultFace = u"DejaVu Sans";
    const int32_t id = LFontFileInfo::ResolveFileID(u"dejavu sans", LFontFileInfo::kBold);
    EXPECT_EQ(id >> 2, Record(u"DejaVu Sans")->GetIndex());
    EXPECT_EQ(std::filesystem::path(Narrow(LFontFileInfo::GetPathForFileID(id))).filename(), "DejaVuSans-Bold.ttf");
}

TEST_F(FontRegistry, DejaVuFacesLandOnTheirStyles)
{
    Scan({kDejaVuFolder});
    const LFontFileInfo* sans = Record(u"DejaVu Sans");
    ASSERT_NE(sans, nullptr);
    const auto Name = [&](int32_t style) { return std::filesystem::path(Narrow(sans->GetPath(style))).filename(); };
    // Whatever order the folder lists them in, the slanted faces do not take the regular slot.
    EXPECT_EQ(Name(LFontFileInfo::kRegular), "DejaVuSans.ttf");
    EXPECT_EQ(Name(LFontFileInfo::kBold), "DejaVuSans-Bold.ttf");
    EXPECT_EQ(Name(LFontFileInfo::kItalic), "DejaVuSans-Oblique.ttf");
    EXPECT_EQ(Name(LFontFileInfo::kBoldItalic), "DejaVuSans-BoldOblique.ttf");
    EXPECT_NE(Record(u"DejaVu Serif Condensed"), nullptr);
}

TEST_F(FontRegistry, FileIdsAndStylesOutsideTheRegistry)
{
    LFontFileInfo::RegisterFace(u"Only", u"regular", u"/only.ttf", 0);
    EXPECT_EQ(Narrow(LFontFileInfo::GetPathForFileID(0)), "/only.ttf");
    EXPECT_TRUE(LFontFileInfo::GetPathForFileID(4).IsEmpty());
    EXPECT_TRUE(LFontFileInfo::GetPathForFileID(-1).IsEmpty());
    EXPECT_TRUE(LFontFileInfo::GetPathForFileID(0x7FFFFFFF).IsEmpty());
    EXPECT_EQ(LFontFileInfo::GetFaceIndexForFileID(4), 0);
    // Style bits above bold and italic (underline, strike-out) do not move the id to another record.
    EXPECT_EQ(LFontFileInfo::ResolveFileID(u"Only", 4 | 8), 0);
    EXPECT_EQ(LFontFileInfo::ResolveFileID(u"Only", 4 | 1), 1);
}

TEST_F(FontRegistry, ScanFindsExtensionsInAnyCaseInSubfolders)
{
    std::filesystem::create_directories(dir.path() / "sub" / "deeper");
    WriteBytes(dir.path() / "UPPER.TTF", MakeFamilyFont(u"Upper", u"Regular"));
    WriteBytes(dir.path() / "sub" / "deeper" / "mixed.TtC", MakeCollection({MakeFamilyFont(u"Mixed", u"Regular")}));
    WriteBytes(dir.path() / "open.otf", MakeFamilyFont(u"OpenType", u"Regular"));
    WriteBytes(dir.path() / "notes.txt", MakeFamilyFont(u"Text", u"Regular"));
    Scan({dir.path()});
    EXPECT_NE(Record(u"Upper"), nullptr);
    EXPECT_NE(Record(u"Mixed"), nullptr);
    EXPECT_EQ(Record(u"OpenType"), nullptr);
    EXPECT_EQ(Record(u"Text"), nullptr);
    EXPECT_EQ(LFontFileInfo::GetRecordCount(), 2u);
}

TEST_F(FontRegistry, CollectionsAreReadAfterPlainFiles)
{
    WriteBytes(dir.path() / "z.ttf", MakeFamilyFont(u"Twice", u"Regular"));
    WriteBytes(dir.path() / "a.ttc", MakeCollection({MakeFamilyFont(u"Twice", u"Regular")}));
    Scan({dir.path()});
    ASSERT_EQ(LFontFileInfo::GetRecordCount(), 1u);
    EXPECT_EQ(std::filesystem::path(Narrow(Record(u"Twice")->GetPath(0))).filename(), "a.ttc");
}

TEST_F(FontRegistry, BrokenFilesAreSkippedAndTheRestRead)
{
    const Bytes good = MakeFamilyFont(u"Survivor", u"Regular");
    WriteBytes(dir.path() / "empty.ttf", {});
    WriteBytes(dir.path() / "short.ttf", Bytes(good.begin(), good.begin() + 20));
    WriteBytes(dir.path() / "noise.ttc", Bytes(3000, 0xFF));
    Bytes lying = MakeCollection({good});
    Set32(lying, 8, 0x40000000u);
    WriteBytes(dir.path() / "lying.ttc", lying);
    WriteBytes(dir.path() / "good.ttf", good);
    std::filesystem::create_directory(dir.path() / "folder.ttf");
    const auto locked = dir.path() / "locked.ttf";
    WriteBytes(locked, good);
    std::filesystem::permissions(locked, std::filesystem::perms::none);

    Scan({dir.path(), dir.path() / "missing"});
    ASSERT_EQ(LFontFileInfo::GetRecordCount(), 1u);
    EXPECT_FALSE(Record(u"Survivor")->GetPath(0).IsEmpty());
    EXPECT_FALSE(LFontFileInfo::ScanFontFile(Wide(dir.path() / "missing.ttf")));
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
}

TEST_F(FontRegistry, FifosAndOtherSpecialFilesAreNotOpenedForReading)
{
    // Anyone who can write a font folder could leave a FIFO named like a font in it.
    WriteBytes(dir.path() / "good.ttf", MakeFamilyFont(u"Survivor", u"Regular"));
    const auto fifo = dir.path() / "trap.ttf";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", dir.path() / "zero.ttc");

    auto scan = std::async(std::launch::async, [&] { Scan({dir.path()}); });
    if (scan.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        ADD_FAILURE() << "the scan waits for a writer of the FIFO";
        // Let the blocked open return so that the scan can end.
        const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            close(writer);
    }
    scan.get();
    ASSERT_EQ(LFontFileInfo::GetRecordCount(), 1u);
    EXPECT_FALSE(Record(u"Survivor")->GetPath(0).IsEmpty());
}

TEST_F(FontRegistry, SystemFoldersComeFromFontconfig)
{
    KX::Array<WString> folders;
    LFontFileInfo::GetSystemFontFolders(folders);
    bool dejavu = false;
    for (uint32_t i = 0; i < folders.GetCount(); ++i)
        dejavu = dejavu || Narrow(folders.ElementAt(i)) == kDejaVuFolder.string();
    EXPECT_TRUE(dejavu) << "fontconfig's folders, searched below, include the DejaVu folder";

    LFontFileInfo::ScanFontFolder();
    EXPECT_NE(Record(u"DejaVu Serif"), nullptr);
    // A rescan starts from nothing.
    const uint32_t count = LFontFileInfo::GetRecordCount();
    LFontFileInfo::ScanFontFolder();
    EXPECT_EQ(LFontFileInfo::GetRecordCount(), count);
}
