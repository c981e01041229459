// LBitmap: sub-bitmaps, copies, locked pixels and the ids that texture caches key on.
#include "LBitmapTestUtil.h"

#include "kx/Resources.h"

#include <set>

using KX::ConstRCPtr;
using KX::LBitmap;
using KX::LBitmapData;
using KX::RCPtr;
using lbitmaptest::AllPixels;
using lbitmaptest::Argb;

namespace {

// A 4 x 3 root whose pixel (x, y) is 0xFF000000 | y << 8 | x.
ConstRCPtr<LBitmap> MakeGrid()
{
    std::vector<uint32_t> pixels;
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            pixels.push_back(0xFF000000u | y << 8 | x);
    static KX::ScopedResource* resource = nullptr;
    delete resource;
    resource = new KX::ScopedResource(u"GDIPLUS", u"GRID_PNG", lbitmaptest::EncodePng(4, 3, pixels));
    ConstRCPtr<LBitmap> grid(new LBitmap(u"grid", u"::grid.png"));
    EXPECT_TRUE(grid->IsLoaded());
    return grid;
}

uint32_t Grid(uint32_t x, uint32_t y)
{
    return 0xFF000000u | y << 8 | x;
}

} // namespace

TEST(LBitmapViews, SubBitmapOfNothingIsTheWholeBitmap)
{
    ConstRCPtr<LBitmap> grid = MakeGrid();
    for (auto [w, h] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{-1, -1}}) {
        ConstRCPtr<LBitmap> whole = grid->CreateSubBitmap(2, 1, w, h);
        EXPECT_EQ(whole->GetX(), 0);
        EXPECT_EQ(whole->GetY(), 0);
        EXPECT_EQ(whole->GetWidth(), 4);
        EXPECT_EQ(whole->GetHeight(), 3);
        EXPECT_EQ(whole->GetParent(), grid);
        EXPECT_EQ(AllPixels(whole), AllPixels(grid));
    }
}

TEST(LBitmapViews, SubBitmapsPointAtTheRootWithSummedOffsets)
{
    ConstRCPtr<LBitmap> grid = MakeGrid();
    ConstRCPtr<LBitmap> sub = grid->CreateSubBitmap(1, 1, 3, 2);
    ConstRCPtr<LBitmap> subsub = sub->CreateSubBitmap(1, 1, 2, 1);
    EXPECT_EQ(sub->GetParent(), grid);
    EXPECT_EQ(subsub->GetParent(), grid); // never another sub-bitmap
    EXPECT_EQ(subsub->GetX(), 2);
    EXPECT_EQ(subsub->GetY(), 2);
    EXPECT_EQ(subsub->GetWidth(), 2);
    EXPECT_EQ(subsub->GetHeight(), 1);
    EXPECT_EQ(subsub->GetBitmapData(), grid->GetBitmapData());
    EXPECT_EQ(Argb(sub, 0, 0), Grid(1, 1));
    EXPECT_EQ(Argb(sub, 2, 1), Grid(3, 2));
    EXPECT_EQ(Argb(subsub, 1, 0), Grid(3, 2));

    // Pixels outside the view are not read from the neighbouring part of the root.
    EXPECT_EQ(Argb(subsub, 2, 0), 0u);
    EXPECT_EQ(Argb(subsub, 0, 1), 0u);
    EXPECT_EQ(Argb(subsub, -1, 0), 0u);

    // The sub-bitmap keeps the root alive.
    LBitmap* root = const_cast<LBitmap*>(grid.Get());
    grid = nullptr;
    EXPECT_EQ(subsub->GetParent().Get(), root);
    EXPECT_EQ(Argb(subsub, 0, 0), Grid(2, 2));
}

TEST(LBitmapViews, OffsetsSaturateAndViewsBeyondTheRootReadNothing)
{
    ConstRCPtr<LBitmap> grid = MakeGrid();
    ConstRCPtr<LBitmap> far = grid->CreateSubBitmap(0x7FFFFFF0, 0, 2, 2)->CreateSubBitmap(0x7FFFFFF0, 0, 1, 1);
    EXPECT_EQ(far->GetX(), 0x7FFFFFFF);
    EXPECT_EQ(Argb(far, 0, 0), 0u);
    EXPECT_FALSE(far->CopyBitmap()->IsLoaded());
    ConstRCPtr<LBitmapData> locked(new LBitmapData(far, gdi::ImageLockMode::Read));
    EXPECT_FALSE(locked->IsLocked());
    EXPECT_EQ(locked->GetPixelAddress(0, 0), nullptr);

    ConstRCPtr<LBitmap> overhang = grid->CreateSubBitmap(3, 2, 5, 5);
    EXPECT_EQ(Argb(overhang, 0, 0), Grid(3, 2));
    EXPECT_EQ(Argb(overhang, 1, 0), 0u);
}

TEST(LBitmapViews, CopyIsANewRootWithTheViewsPixels)
{
    ConstRCPtr<LBitmap> grid = MakeGrid();
    RCPtr<LBitmap> copy = grid->CreateSubBitmap(1, 1, 2, 2)->CopyBitmap();
    ASSERT_TRUE(copy->IsLoaded());
    EXPECT_FALSE(copy->GetParent());
    EXPECT_EQ(copy->GetX(), 0);
    EXPECT_EQ(copy->GetY(), 0);
    EXPECT_EQ(AllPixels(copy), (std::vector<uint32_t>{Grid(1, 1), Grid(2, 1), Grid(1, 2), Grid(2, 2)}));
    EXPECT_NE(copy->GetBitmapData(), grid->GetBitmapData());
    EXPECT_NE(copy->GetHandle(), grid->GetHandle());

    // A copy of an empty bitmap is empty and says so.
    ConstRCPtr<LBitmap> empty(new LBitmap(u"", u"::NOT_THERE"));
    RCPtr<LBitmap> none = empty->CopyBitmap();
    EXPECT_FALSE(none->IsLoaded());
    EXPECT_FALSE(none->GetLoadError().IsEmpty());
}

TEST(LBitmapIds, EveryBitmapHasItsOwnIdAndViewsShareTheRootsHandle)
{
    ConstRCPtr<LBitmap> grid = MakeGrid();
    ConstRCPtr<LBitmap> a = grid->CreateSubBitmap(0, 0, 1, 1);
    ConstRCPtr<LBitmap> b = grid->CreateSubBitmap(1, 0, 1, 1);
    RCPtr<LBitmap> copy = grid->CopyBitmap();
    RCPtr<LBitmap> filled = LBitmap::CreateFilledBitmap(1, 1, {});
    std::set<uint64_t> ids;
    for (const ConstRCPtr<LBitmap>& bitmap : {grid, a, b, ConstRCPtr<LBitmap>(copy), ConstRCPtr<LBitmap>(filled)})
        EXPECT_TRUE(ids.insert(bitmap->GetUniqueID()).second);
    EXPECT_EQ(ids.count(0u), 0u);

    // Views draw from the root's pixels: one texture for all of them.
    EXPECT_EQ(a->GetHandle(), grid->GetHandle());
    EXPECT_EQ(b->GetHandle(), grid->GetHandle());
    EXPECT_NE(copy->GetHandle(), grid->GetHandle());
    EXPECT_NE(filled->GetHandle(), copy->GetHandle());
}

TEST(LBitmapIds, IdsAreNeverReusedAfterABitmapIsGone)
{
    // A texture cache keyed by the id never meets a new bitmap under an old key, even when the
    // new bitmap sits at the old one's address.
    std::set<uint64_t> seen;
    for (int i = 0; i < 100; ++i) {
        RCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap(1, 1, {});
        EXPECT_TRUE(seen.insert(bitmap->GetHandle()).second);
    }
}

TEST(LBitmapIds, WritingPixelsGivesTheRootANewHandle)
{
    ConstRCPtr<LBitmap> grid = MakeGrid();
    ConstRCPtr<LBitmap> view = grid->CreateSubBitmap(1, 1, 1, 1);
    const uint64_t before = view->GetHandle();
    const uint64_t id = grid->GetUniqueID();
    {
        ConstRCPtr<LBitmapData> reading = grid->GetPixelBuffer();
    }
    EXPECT_EQ(view->GetHandle(), before);
    {
        ConstRCPtr<LBitmapData> writing(new LBitmapData(view, gdi::ImageLockMode::ReadWrite));
        ASSERT_TRUE(writing->IsLocked());
        *const_cast<LBitmapData*>(writing.Get())->GetPixelAddress(0, 0) = static_cast<int32_t>(0xFF445566u);
    }
    EXPECT_NE(view->GetHandle(), before);
    EXPECT_EQ(grid->GetHandle(), view->GetHandle());
    EXPECT_EQ(grid->GetUniqueID(), id);
    EXPECT_EQ(Argb(grid, 1, 1), 0xFF445566u);
}

TEST(LBitmapData, LocksTheWholeRootForReading)
{
    ConstRCPtr<LBitmap> grid = MakeGrid();
    ConstRCPtr<LBitmap> view = grid->CreateSubBitmap(1, 1, 2, 1);
    ConstRCPtr<LBitmapData> pixels = view->GetPixelBuffer();
    ASSERT_TRUE(pixels->IsLocked());
    EXPECT_EQ(pixels->GetWidth(), 4u);
    EXPECT_EQ(pixels->GetHeight(), 3u);
    EXPECT_GE(pixels->GetRowLength(), 16u);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            EXPECT_EQ(static_cast<uint32_t>(*pixels->GetPixelAddress(x, y)), Grid(x, y));
    // Rows are the row length apart, pixels four bytes.
    const auto* first = reinterpret_cast<const uint8_t*>(pixels->GetPixelAddress(0, 0));
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(pixels->GetPixelAddress(3, 2)), first + 2 * pixels->GetRowLength() + 12);
    EXPECT_EQ(pixels->GetPixelAddress(4, 0), nullptr);
    EXPECT_EQ(pixels->GetPixelAddress(0, 3), nullptr);

    // A view's own lock covers only its rectangle.
    pixels = nullptr;
    ConstRCPtr<LBitmapData> part(new LBitmapData(view, gdi::ImageLockMode::Read));
    ASSERT_TRUE(part->IsLocked());
    EXPECT_EQ(part->GetWidth(), 2u);
    EXPECT_EQ(part->GetHeight(), 1u);
    EXPECT_EQ(static_cast<uint32_t>(*part->GetPixelAddress(1, 0)), Grid(2, 1));
    EXPECT_EQ(part->GetPixelAddress(2, 0), nullptr);
}

TEST(LBitmapData, SecondLockIsEmptyNotACrash)
{
    ConstRCPtr<LBitmap> grid = MakeGrid();
    ConstRCPtr<LBitmapData> first = grid->GetPixelBuffer();
    ASSERT_TRUE(first->IsLocked());
    ConstRCPtr<LBitmapData> second = grid->GetPixelBuffer();
    EXPECT_FALSE(second->IsLocked());
    EXPECT_EQ(second->GetWidth(), 0u);
    EXPECT_EQ(second->GetPixelAddress(0, 0), nullptr);
    second = nullptr; // must not unlock the first one's lock
    EXPECT_EQ(static_cast<uint32_t>(*first->GetPixelAddress(3, 2)), Grid(3, 2));
    first = nullptr;
    EXPECT_TRUE(grid->GetPixelBuffer()->IsLocked());

    ConstRCPtr<LBitmapData> none(new LBitmapData(nullptr, gdi::ImageLockMode::Read));
    EXPECT_FALSE(none->IsLocked());
}

TEST(LBitmapData, WrappingAPixelBufferIsRefused)
{
    ConstRCPtr<LBitmap> grid = MakeGrid();
    ConstRCPtr<LBitmapData> inner = grid->GetPixelBuffer();
    const std::string text = lbitmaptest::ThrownText<std::domain_error>(
        [&] { LBitmapData data(grid, gdi::ImageLockMode::Read, const_cast<LBitmapData*>(inner.Get())); });
    EXPECT_EQ(text, "Domain Error : KX::LBitmapData::LBitmapData : Utilities\\Graphics\\Bitmap : Line 477");
    EXPECT_TRUE(inner->IsLocked());
}
