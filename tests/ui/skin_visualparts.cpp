// Visual parts: building from descriptions (files and resources), drawing by resize rule, tint,
// mask, gradients, flat colours, the colour at a point and the description's cache.
#include "LookTestUtil.h"

#include "kx/Exception.h"

#include <functional>
#include <stdexcept>
#include <string>

using namespace uitest;
using KX::LVisualPart;
using KX::LVisualPartDescriptor;
using rendertest::Hex;

namespace {

constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kNone = KX::kNoColorAtPoint;

class VisualParts : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(images.IsValid()); }

    // The 4 x 4 colour chart of looks.png, from the folder or the resources.
    ConstRCPtr<LVisualPart> Chart(uint32_t resize, bool fromResource = false)
    {
        const WString path = fromResource ? WString(u"::looks.png") : images.Folder() + WString(u"looks.png");
        return ImagePart(path, 0, 0, 4, 4, resize)->GetVisualPart();
    }

    LookTestImages images;
};

std::string ThrownBy(const std::function<void()>& call)
{
    try {
        call();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "nothing thrown";
}

} // namespace

TEST_F(VisualParts, ImageRegionsLoadFromFilesAndResourcesAndAnswerTheirPixels)
{
    for (bool fromResource : {false, true}) {
        SCOPED_TRACE(fromResource);
        const ConstRCPtr<LVisualPart> part = Chart(LVisualPartDescriptor::kResizeStretch, fromResource);
        ASSERT_TRUE(part);
        EXPECT_EQ(part->GetWidth(), 4);
        EXPECT_EQ(part->GetHeight(), 4);
        EXPECT_EQ(Hex(part->GetColorAtPoint(0, 0)), Hex(ChartPixel(0, 0)));
        EXPECT_EQ(Hex(part->GetColorAtPoint(3, 2)), Hex(ChartPixel(3, 2)));
        // The right and bottom edges lie outside, as does anything negative.
        EXPECT_EQ(part->GetColorAtPoint(4, 0), kNone);
        EXPECT_EQ(part->GetColorAtPoint(0, 4), kNone);
        EXPECT_EQ(part->GetColorAtPoint(-1, 0), kNone);
    }
    // A region further into the image: the mask's left column is white, its right half clear.
    const ConstRCPtr<LVisualPart> mask =
        ImagePart(images.Folder() + WString(u"looks.png"), 4, 0, 4, 4, 0)->GetVisualPart();
    EXPECT_EQ(Hex(mask->GetColorAtPoint(0, 0)), Hex(kMaskOn));
    EXPECT_EQ(Hex(mask->GetColorAtPoint(3, 3)), Hex(kMaskOff));
}

TEST_F(VisualParts, MissingImagesOrMasksBuildNoPart)
{
    EXPECT_FALSE(ImagePart(images.Folder() + WString(u"absent.png"), 0, 0, 4, 4, 0)->GetVisualPart());
    EXPECT_FALSE(ImagePart(WString(u"::absent.png"), 0, 0, 4, 4, 0)->GetVisualPart());

    RCPtr<LVisualPartDescriptor> masked;
    KX::CreateVisualPartDescriptor(masked, WString(u"M"), Solid(0xFFFF0000), 4, 4, 0, 1.0f,
                                   KX::ImageRegion{images.Folder() + WString(u"nomask.png"), 0, 0, 4, 4});
    EXPECT_FALSE(masked->GetVisualPart()); // not a full red square
}

TEST_F(VisualParts, DrawnStretchedTiledAndCentred)
{
    Surface surface(40, 20);
    surface.Begin();
    RCPtr<KX::LRenderer> renderer(surface.renderer);
    Chart(LVisualPartDescriptor::kResizeStretch)->Draw(renderer, 8.0f, 8.0f);
    renderer->PushClipRect({10, 0, 8, 8}, {10, 0, 8, 8}, nullptr, true);
    Chart(LVisualPartDescriptor::kResizeTile)->Draw(renderer, 8.0f, 8.0f);
    renderer->PopState();
    renderer->PushClipRect({20, 0, 8, 8}, {20, 0, 8, 8}, nullptr, true);
    Chart(LVisualPartDescriptor::kResizeCenter)->Draw(renderer, 8.0f, 8.0f);
    renderer->PopState();

    // Stretched (smoothly) over the whole 8 x 8: corners exact, the middle between its neighbours.
    EXPECT_EQ(Hex(surface.Pixel(0, 0)), Hex(ChartPixel(0, 0)));
    EXPECT_EQ(Hex(surface.Pixel(7, 7)), Hex(ChartPixel(3, 3)));
    EXPECT_GT((surface.Pixel(3, 0) >> 16) & 0xFF, (ChartPixel(1, 0) >> 16) & 0xFF);
    EXPECT_LT((surface.Pixel(3, 0) >> 16) & 0xFF, (ChartPixel(2, 0) >> 16) & 0xFF);
    EXPECT_EQ(Hex(surface.Pixel(8, 7)), Hex(kBlack));
    // Tiled: the chart repeats every 4 pixels.
    EXPECT_EQ(Hex(surface.Pixel(10 + 5, 6)), Hex(ChartPixel(1, 2)));
    EXPECT_EQ(Hex(surface.Pixel(10 + 7, 7)), Hex(ChartPixel(3, 3)));
    // Centred at its own size, with a 2-pixel border of background.
    EXPECT_EQ(Hex(surface.Pixel(20 + 1, 1)), Hex(kBlack));
    EXPECT_EQ(Hex(surface.Pixel(20 + 2, 2)), Hex(ChartPixel(0, 0)));
    EXPECT_EQ(Hex(surface.Pixel(20 + 5, 5)), Hex(ChartPixel(3, 3)));
    EXPECT_EQ(Hex(surface.Pixel(20 + 6, 6)), Hex(kBlack));
    surface.End();
}

TEST_F(VisualParts, ColorizerTintsAndMaskCutsTheFill)
{
    // Mid grey tinted half way toward pure red: red rises, green and blue halve; alpha kept.
    const ConstRCPtr<LVisualPart> tinted =
        ImagePart(images.Folder() + WString(u"looks.png"), 8, 0, 4, 4, 0, Solid(0x80FF0000))->GetVisualPart();
    ASSERT_TRUE(tinted);
    const uint32_t tint = tinted->GetColorAtPoint(1, 1);
    EXPECT_EQ(tint >> 24, 0xFFu);
    EXPECT_GT((tint >> 16) & 0xFF, 0xB0u);
    EXPECT_LT((tint >> 8) & 0xFF, 0x48u);
    // The shared image itself is untouched.
    EXPECT_EQ(
        Hex(ImagePart(images.Folder() + WString(u"looks.png"), 8, 0, 4, 4, 0)->GetVisualPart()->GetColorAtPoint(1, 1)),
        Hex(kGrey));

    // A blue fill through the mask: blue where the mask is opaque, nothing where it is clear.
    RCPtr<LVisualPartDescriptor> masked;
    KX::CreateVisualPartDescriptor(masked, WString(u"M"), Solid(0xFF0000FF), 4, 4, 0, 1.0f,
                                   KX::ImageRegion{WString(u"::looks.png"), 4, 0, 4, 4});
    const ConstRCPtr<LVisualPart> part = masked->GetVisualPart();
    ASSERT_TRUE(part);
    ASSERT_TRUE(part->GetBitmap());
    EXPECT_EQ((part->GetColorAtPoint(0, 2) >> 24), 0xFFu);
    EXPECT_EQ(part->GetColorAtPoint(0, 2) & 0xFF, 0xFFu);
    EXPECT_EQ(part->GetColorAtPoint(3, 2) >> 24, 0u);

    Surface surface(8, 4);
    surface.Begin();
    part->Draw(RCPtr<KX::LRenderer>(surface.renderer), 4.0f, 4.0f);
    EXPECT_EQ(Hex(surface.Pixel(1, 1)), Hex(0xFF0000FF));
    EXPECT_EQ(Hex(surface.Pixel(3, 1)), Hex(kBlack));
    surface.End();

    // An image, a mask and a colorizer together cannot be composed.
    RCPtr<LVisualPartDescriptor> both;
    KX::CreateImagePartDescriptor(both, WString(u"B"), KX::ImageRegion{WString(u"::looks.png"), 8, 0, 4, 4}, 0,
                                  Solid(0xFF0000FF), 1.0f, KX::ImageRegion{WString(u"::looks.png"), 4, 0, 4, 4});
    EXPECT_EQ(ThrownBy([&] { both->GetVisualPart(); }),
              "Domain Error : KX::LBitmap::ApplyColorizer : Utilities\\Graphics\\Bitmap : Line 432");
}

TEST_F(VisualParts, GradientsAreRenderedIntoABitmapAtThePartSize)
{
    // Two equal colours: the gradient is rendered as one colour, into a bitmap of the part's size.
    const ConstRCPtr<LVisualPart> even = LVisualPart::CreateFromColorizer(
        WString(u"G"), Solid(0xFF00FF00, KX::LColorizer::kLinearGradient, 0xFF00FF00), 6, 3, 0, 1.0f, nullptr);
    ASSERT_TRUE(even->GetBitmap());
    EXPECT_EQ(even->GetBitmap()->GetWidth(), 6);
    EXPECT_EQ(Hex(even->GetColorAtPoint(5, 2)), Hex(0xFF00FF00));
    EXPECT_EQ(even->GetColorAtPoint(6, 2), kNone);

    // Two different colours: the bitmap layer has no gradient fill and says so.
    EXPECT_EQ(ThrownBy([] {
                  LVisualPart::CreateFromColorizer(WString(u"G"),
                                                   Solid(0xFF00FF00, KX::LColorizer::kRadialGradient, 0xFF0000FF), 6, 3,
                                                   0, 1.0f, nullptr);
              }),
              "Domain Error : KX::LBitmap::CreateGradientFilledBitmap : Utilities\\Graphics\\Bitmap : Line 354");
    // A gradient of no size has nothing to render and draws nothing.
    const ConstRCPtr<LVisualPart> empty = LVisualPart::CreateFromColorizer(
        WString(u"G"), Solid(0xFF00FF00, KX::LColorizer::kLinearGradient, 0xFF0000FF), 0, 3, 0, 1.0f, nullptr);
    ASSERT_TRUE(empty);
    Surface surface(4, 4);
    surface.Begin();
    EXPECT_EQ(empty->Draw(RCPtr<KX::LRenderer>(surface.renderer), 4.0f, 4.0f), 0);
    EXPECT_EQ(Hex(surface.Pixel(1, 1)), Hex(kBlack));
    surface.End();
    EXPECT_EQ(empty->GetColorAtPoint(0, 0), kNone);
}

TEST_F(VisualParts, FlatColoursFillStretchOrCentreAndAlphaZeroDrawsNothing)
{
    Surface surface(30, 10);
    surface.Begin();
    RCPtr<KX::LRenderer> renderer(surface.renderer);
    FlatPart(0xFFFF0000, 2, 2)->GetVisualPart()->Draw(renderer, 6.0f, 6.0f);
    // Centred and larger than the destination: overhangs equally at a negative offset.
    renderer->PushClipRect({10, 0, 4, 4}, {10, 0, 4, 4}, nullptr, true);
    FlatPart(0xFF00FF00, 8, 8, LVisualPartDescriptor::kResizeCenter)->GetVisualPart()->Draw(renderer, 4.0f, 4.0f);
    renderer->PopState();
    // The transparent colorizer, and an opaque one whose alpha modifier is 0.
    FlatPart(0x00FFFFFF, 4, 4)->GetVisualPart()->Draw(renderer, 30.0f, 10.0f);
    renderer->PushClipRect({20, 0, 10, 10}, {20, 0, 10, 10}, nullptr, true);
    FlatPart(0xFFFFFFFF, 4, 4, 0, 0.0f)->GetVisualPart()->Draw(renderer, 10.0f, 10.0f);
    renderer->PopState();

    EXPECT_EQ(Hex(surface.Pixel(5, 5)), Hex(0xFFFF0000));
    EXPECT_EQ(Hex(surface.Pixel(6, 6)), Hex(kBlack));
    EXPECT_EQ(Hex(surface.Pixel(10, 0)), Hex(0xFF00FF00));
    EXPECT_EQ(Hex(surface.Pixel(13, 3)), Hex(0xFF00FF00));
    EXPECT_EQ(Hex(surface.Pixel(14, 3)), Hex(kBlack));
    EXPECT_EQ(Hex(surface.Pixel(25, 5)), Hex(kBlack));
    surface.End();

    EXPECT_EQ(FlatPart(0xFFFFFFFF, 4, 4, 0, 0.0f)->GetVisualPart()->GetColorAtPoint(1, 1) >> 24, 0u);
    EXPECT_EQ(Hex(FlatPart(0xFFFF0000, 4, 4, 0, 0.5f)->GetVisualPart()->GetColorAtPoint(1, 1)), Hex(0x80FF0000));
}

TEST_F(VisualParts, ColourAtAPointFollowsTheResizeRule)
{
    // A 16 x 1 strip whose pixel x has blue x * 10.
    auto strip = gditest::MakePatternBitmap(16, 1, [](int32_t x, int32_t) { return 0xFF000000u | uint32_t(x * 10); });
    const RCPtr<LVisualPart> tile = LVisualPart::Create(WString(), strip, 1, nullptr, 1.0f, nullptr);
    EXPECT_EQ(Hex(tile->GetColorAtPoint(37.4f, 0.0f, 100.0f, 1.5f)), Hex(0xFF000000u | 50));
    EXPECT_EQ(tile->GetColorAtPoint(100.0f, 0.0f, 100.0f, 1.5f), kNone);
    // Within a hair of the part's own size: the direct query, whatever the rule.
    EXPECT_EQ(Hex(tile->GetColorAtPoint(14.6f, 0.0f, 16.0000005f, 1.0f)), Hex(0xFF000000u | 150));

    const ConstRCPtr<LVisualPart> chart = Chart(LVisualPartDescriptor::kResizeCenter);
    EXPECT_EQ(Hex(chart->GetColorAtPoint(2.0f, 2.0f, 8.0f, 8.0f)), Hex(ChartPixel(0, 0)));
    EXPECT_EQ(chart->GetColorAtPoint(1.0f, 1.0f, 8.0f, 8.0f), kNone);

    // Stretched to double size, then to half: a shrunk part answers the first opaque pixel of
    // the block a destination pixel covers, column by column.
    const ConstRCPtr<LVisualPart> stretched = Chart(LVisualPartDescriptor::kResizeStretch);
    EXPECT_EQ(Hex(stretched->GetColorAtPoint(7.0f, 5.0f, 8.0f, 8.0f)), Hex(ChartPixel(3, 2)));
    auto big = gditest::MakePatternBitmap(8, 8, [](int32_t x, int32_t y) {
        return x == 7 && y == 6 ? 0xFF00FF00u : x == 6 && y == 7 ? 0xFFFF0000u : 0u;
    });
    const RCPtr<LVisualPart> shrunk = LVisualPart::Create(WString(), big, 0, nullptr, 1.0f, nullptr);
    EXPECT_EQ(Hex(shrunk->GetColorAtPoint(3.0f, 3.0f, 4.0f, 4.0f)), Hex(0xFFFF0000));
    EXPECT_EQ(shrunk->GetColorAtPoint(0.0f, 0.0f, 4.0f, 4.0f), kNone);

    // A huge flat part shrunk into one pixel answers at once instead of scanning its area.
    EXPECT_EQ(Hex(FlatPart(0xFF123456, 8000000, 8000000)->GetVisualPart()->GetColorAtPoint(0.0f, 0.0f, 1.0f, 1.0f)),
              Hex(0xFF123456));
}

TEST_F(VisualParts, ImpossibleQueriesThrowTheirMessages)
{
    const std::string prefix = "Runtime Error : KX::LVisualPart::";
    const LVisualPart bare(WString(), nullptr, 0, nullptr, 4, 4, 1.0f, nullptr);
    EXPECT_EQ(ThrownBy([&] { bare.GetColorAtPoint(1, 1); }),
              prefix + "GetColorAtPoint : ControlBase\\VisualPart : Line 91");
    Surface surface(4, 4);
    surface.Begin();
    EXPECT_EQ(ThrownBy([&] { bare.Draw(RCPtr<KX::LRenderer>(surface.renderer), 4, 4); }),
              prefix + "Draw : ControlBase\\VisualPart : Line 218");
    surface.End();

    const LVisualPart odd(WString(), nullptr, 7, Solid(0xFFFFFFFF), 4, 4, 1.0f, nullptr);
    EXPECT_EQ(ThrownBy([&] { odd.GetColorAtPoint(1.0f, 1.0f, 9.0f, 9.0f); }),
              prefix + "GetColorAtPoint : ControlBase\\VisualPart : Line 165");
}

TEST_F(VisualParts, NegativeSizesCountAsEmpty)
{
    const ConstRCPtr<LVisualPart> part =
        FlatPart(0xFFFF0000, -5, -3, LVisualPartDescriptor::kResizeCenter)->GetVisualPart();
    EXPECT_EQ(part->GetWidth(), 0);
    EXPECT_EQ(part->GetHeight(), 0);
    Surface surface(8, 8);
    surface.Begin();
    part->Draw(RCPtr<KX::LRenderer>(surface.renderer), 8.0f, 8.0f);
    EXPECT_TRUE(rendertest::InkBounds(surface.Bitmap(), kBlack).width == 0);
    surface.End();
    EXPECT_EQ(part->GetColorAtPoint(0.0f, 0.0f, 8.0f, 8.0f), kNone);
}

TEST_F(VisualParts, TheDescriptionCachesItsPartWhileAHolderLives)
{
    const RCPtr<LVisualPartDescriptor> description = FlatPart(0xFF00FF00, 3, 3);
    const int32_t before = description->GetRefCount();
    {
        const ConstRCPtr<LVisualPart> held = description->GetVisualPart();
        EXPECT_EQ(description->GetVisualPart().Get(), held.Get());
        EXPECT_EQ(description->GetCachedVisualPart(), held.Get());
        EXPECT_EQ(held->GetDescriptor().Get(), description.Get());
        EXPECT_EQ(description->GetRefCount(), before + 1);
    }
    // The last holder let go: the cycle is broken, the part is gone and so is its reference.
    EXPECT_EQ(description->GetCachedVisualPart(), nullptr);
    EXPECT_EQ(description->GetRefCount(), before);
    // Built again on demand.
    EXPECT_TRUE(description->GetVisualPart());
    EXPECT_EQ(description->GetCachedVisualPart(), nullptr);
}
