// LBitmap: loading from files and embedded resources, the shared map and its key rules,
// and what bad or missing images give.
#include "LBitmapTestUtil.h"
#include "TestImages.h"

#include "kx/Resources.h"

#include "TestSupport.h"

#include <string>

using KX::ConstRCPtr;
using KX::LBitmap;
using KX::WString;
using lbitmaptest::AllPixels;
using lbitmaptest::Argb;
using lbitmaptest::W;

namespace {

const std::vector<uint32_t> kPicture = {0xFF010203u, 0x80FF8000u, 0x00000000u, 0x7F102030u, 0xFFFFFFFFu, 0x01ABCDEFu};

std::vector<uint32_t> SolidPixels()
{
    return std::vector<uint32_t>(std::begin(kxtest::kSolidPixels), std::end(kxtest::kSolidPixels));
}

} // namespace

TEST(LBitmapLoading, FileKeepsExactStraightArgb)
{
    kxtest::TempDir dir;
    lbitmaptest::WritePng(dir.path() / "picture.png", 3, 2, kPicture);
    ConstRCPtr<LBitmap> bitmap(new LBitmap(u"skin name", W(dir.path() / "picture.png")));
    ASSERT_TRUE(bitmap->IsLoaded()) << bitmap->GetLoadError().ToNarrow().GetString();
    EXPECT_TRUE(bitmap->GetLoadError().IsEmpty());
    EXPECT_EQ(bitmap->GetName(), WString(u"skin name"));
    EXPECT_EQ(bitmap->GetX(), 0);
    EXPECT_EQ(bitmap->GetY(), 0);
    EXPECT_EQ(bitmap->GetWidth(), 3);
    EXPECT_EQ(bitmap->GetHeight(), 2);
    EXPECT_FALSE(bitmap->GetParent());
    EXPECT_EQ(AllPixels(bitmap), kPicture);
    // Channels are the 8-bit values / 255.
    const KX::LColor c = bitmap->GetPixelColor(1, 0);
    EXPECT_FLOAT_EQ(c.alpha, 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(c.red, 1.0f);
    EXPECT_FLOAT_EQ(c.green, 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(c.blue, 0.0f);
}

TEST(LBitmapLoading, BackslashesSeparateFolders)
{
    kxtest::TempDir dir;
    lbitmaptest::WritePng(dir.path() / "sub" / "p.png", 3, 2, kPicture);
    ConstRCPtr<LBitmap> bitmap = LBitmap::GetSharedBitmap(W(dir.path()) + WString(u"\\sub\\p.png"));
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap, LBitmap::GetSharedBitmap(W(dir.path() / "sub" / "p.png")));
}

TEST(LBitmapLoading, EmbeddedResourceByColonPath)
{
    // "::" + a file name with a blank and a dot names SOLID_2X3_PNG.
    ConstRCPtr<LBitmap> bitmap(new LBitmap(u"solid", u"::Solid 2x3.png"));
    ASSERT_TRUE(bitmap->IsLoaded()) << bitmap->GetLoadError().ToNarrow().GetString();
    EXPECT_EQ(bitmap->GetWidth(), kxtest::kSolidWidth);
    EXPECT_EQ(bitmap->GetHeight(), kxtest::kSolidHeight);
    EXPECT_EQ(AllPixels(bitmap), SolidPixels());

    ConstRCPtr<LBitmap> knob(new LBitmap(u"knob", u"::Images\\Knob Small.png"));
    ASSERT_TRUE(knob->IsLoaded());
    EXPECT_EQ(Argb(knob, 1, 0), kxtest::kKnobPixels[1]);
}

TEST(LBitmapLoading, RuntimeResourceIsDecodedFromItsBytes)
{
    const std::vector<uint8_t> png = lbitmaptest::EncodePng(3, 2, kPicture);
    KX::ScopedResource resource(u"GDIPLUS", u"RUNTIME_PICTURE_PNG", png);
    ConstRCPtr<LBitmap> bitmap = LBitmap::GetSharedBitmap(u"::runtime picture.png");
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(AllPixels(bitmap), kPicture);
}

TEST(LBitmapSharing, ResourcePathsShareRegardlessOfCase)
{
    ConstRCPtr<LBitmap> a = LBitmap::GetSharedBitmap(u"::Solid 2x3.png");
    ASSERT_TRUE(a);
    EXPECT_EQ(LBitmap::GetSharedBitmap(u"::SOLID 2X3.PNG"), a);
    // The same resource however its "." and blanks are written.
    EXPECT_EQ(LBitmap::GetSharedBitmap(u"::solid_2x3_png"), a);
    EXPECT_EQ(a->GetPath(), WString(u"::SOLID_2X3_PNG"));
    EXPECT_EQ(a->GetName(), WString(u"::Solid 2x3.png"));

    ConstRCPtr<LBitmap> knob = LBitmap::GetSharedBitmap(u"::Images\\Knob Small.png");
    ASSERT_TRUE(knob);
    EXPECT_EQ(LBitmap::GetSharedBitmap(u"::images/knob small.png"), knob);
    EXPECT_NE(knob, a);
}

TEST(LBitmapSharing, FilePathsKeepTheirLetterCase)
{
    // Two files whose names differ only in case are two images on this file system.
    kxtest::TempDir dir;
    lbitmaptest::WritePng(dir.path() / "Knob.png", 1, 1, {0xFF0000FFu});
    lbitmaptest::WritePng(dir.path() / "knob.png", 1, 1, {0xFFFF0000u});
    ConstRCPtr<LBitmap> upper = LBitmap::GetSharedBitmap(W(dir.path() / "Knob.png"));
    ConstRCPtr<LBitmap> lower = LBitmap::GetSharedBitmap(W(dir.path() / "knob.png"));
    ASSERT_TRUE(upper);
    ASSERT_TRUE(lower);
    EXPECT_NE(upper, lower);
    EXPECT_EQ(Argb(upper, 0, 0), 0xFF0000FFu);
    EXPECT_EQ(Argb(lower, 0, 0), 0xFFFF0000u);
    // A case that matches no file is no image, even though another case is loaded.
    EXPECT_FALSE(LBitmap::GetSharedBitmap(W(dir.path() / "KNOB.PNG")));
    EXPECT_EQ(upper->GetPath(), W(std::filesystem::canonical(dir.path() / "Knob.png")));
}

TEST(LBitmapSharing, OneFileOneBitmapHoweverItsPathIsWritten)
{
    kxtest::TempDir dir;
    lbitmaptest::WritePng(dir.path() / "a" / "p.png", 3, 2, kPicture);
    std::filesystem::create_directories(dir.path() / "b");
    ConstRCPtr<LBitmap> plain = LBitmap::GetSharedBitmap(W(dir.path() / "a" / "p.png"));
    ASSERT_TRUE(plain);
    EXPECT_EQ(LBitmap::GetSharedBitmap(W(dir.path() / "a" / "." / "p.png")), plain);
    EXPECT_EQ(LBitmap::GetSharedBitmap(W(dir.path() / "b" / ".." / "a" / "p.png")), plain);
    std::filesystem::create_directory_symlink(dir.path() / "a", dir.path() / "link");
    EXPECT_EQ(LBitmap::GetSharedBitmap(W(dir.path() / "link" / "p.png")), plain);
}

TEST(LBitmapSharing, MapLetsGoWithTheLastOutsideHolder)
{
    kxtest::TempDir dir;
    lbitmaptest::WritePng(dir.path() / "p.png", 3, 2, kPicture);
    const WString path = W(dir.path() / "p.png");

    ConstRCPtr<LBitmap> first = LBitmap::GetSharedBitmap(path);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->GetInternalRefCount(), 1);
    EXPECT_EQ(first->GetRefCount(), 2);
    const uint64_t firstID = first->GetUniqueID();
    {
        ConstRCPtr<LBitmap> again = LBitmap::GetSharedBitmap(path);
        EXPECT_EQ(again, first);
        EXPECT_EQ(first->GetRefCount(), 3);
    }
    EXPECT_EQ(first->GetRefCount(), 2);

    // A sub-bitmap keeps its root, and so the map entry, alive.
    ConstRCPtr<LBitmap> sub = first->CreateSubBitmap(1, 0, 2, 2);
    first = nullptr;
    ConstRCPtr<LBitmap> held = LBitmap::GetSharedBitmap(path);
    EXPECT_EQ(held->GetUniqueID(), firstID);
    held = nullptr;
    sub = nullptr;

    // Gone from the map: the next request loads the file again (sees its new content).
    lbitmaptest::WritePng(dir.path() / "p.png", 1, 1, {0xFF00FF00u});
    ConstRCPtr<LBitmap> reloaded = LBitmap::GetSharedBitmap(path);
    ASSERT_TRUE(reloaded);
    EXPECT_NE(reloaded->GetUniqueID(), firstID);
    EXPECT_EQ(reloaded->GetWidth(), 1);
    EXPECT_EQ(reloaded->GetRefCount(), 2);
}

TEST(LBitmapFailures, MissingFilesAndResourcesGiveNullAndAreNotCached)
{
    kxtest::TempDir dir;
    const WString path = W(dir.path() / "later.png");
    EXPECT_FALSE(LBitmap::GetSharedBitmap(path));
    EXPECT_FALSE(LBitmap::GetSharedBitmap(u"::No Such Image.png"));
    EXPECT_FALSE(LBitmap::GetSharedBitmap(u""));
    EXPECT_FALSE(LBitmap::GetSharedBitmap(u"::"));
    EXPECT_FALSE(LBitmap::GetSharedBitmap(W(dir.path()))); // a folder

    // Not remembered as missing: once the file exists it loads.
    lbitmaptest::WritePng(dir.path() / "later.png", 1, 1, {0xFF123456u});
    ConstRCPtr<LBitmap> bitmap = LBitmap::GetSharedBitmap(path);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(Argb(bitmap, 0, 0), 0xFF123456u);
}

TEST(LBitmapFailures, ConstructorLeavesAnEmptyBitmapWithAReason)
{
    ConstRCPtr<LBitmap> missing(new LBitmap(u"x", u"::Missing.png"));
    EXPECT_FALSE(missing->IsLoaded());
    EXPECT_EQ(missing->GetWidth(), 0);
    EXPECT_EQ(missing->GetHeight(), 0);
    EXPECT_EQ(missing->GetLoadStatus(), gdi::Status::FileNotFound);
    EXPECT_NE(std::string(missing->GetLoadError().ToNarrow().GetString()).find("MISSING_PNG"), std::string::npos);
    EXPECT_EQ(Argb(missing, 0, 0), 0u);
    EXPECT_EQ(missing->GetBitmapData(), nullptr);
}

TEST(LBitmapFailures, BadImageDataNeverLoads)
{
    // A PNG cut in half, compiled in.
    ConstRCPtr<LBitmap> truncated(new LBitmap(u"t", u"::Truncated.png"));
    EXPECT_FALSE(truncated->IsLoaded());
    EXPECT_NE(truncated->GetLoadStatus(), gdi::Status::Ok);
    EXPECT_NE(std::string(truncated->GetLoadError().ToNarrow().GetString()).find("TRUNCATED_PNG"), std::string::npos);
    EXPECT_FALSE(LBitmap::GetSharedBitmap(u"::Truncated.png"));

    // Files: text, nothing, a PNG signature with garbage, a PNG with a corrupt chunk.
    kxtest::TempDir dir;
    std::vector<uint8_t> png = lbitmaptest::EncodePng(3, 2, kPicture);
    std::vector<std::vector<uint8_t>> bad = {
        {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'},
        {},
        {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
        png,
    };
    bad[3][png.size() / 2] ^= 0xFF;
    for (size_t i = 0; i < bad.size(); ++i) {
        const auto file = dir.path() / ("bad" + std::to_string(i) + ".png");
        lbitmaptest::WriteBytes(file, bad[i]);
        ConstRCPtr<LBitmap> bitmap(new LBitmap(u"bad", W(file)));
        EXPECT_FALSE(bitmap->IsLoaded()) << i;
        EXPECT_FALSE(bitmap->GetLoadError().IsEmpty()) << i;
        EXPECT_FALSE(LBitmap::GetSharedBitmap(W(file))) << i;

        KX::ScopedResource resource(u"GDIPLUS", u"BAD_PNG", bad[i]);
        EXPECT_FALSE(LBitmap::GetSharedBitmap(u"::bad.png")) << i;
    }
}
