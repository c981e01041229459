// Drawing on bitmaps: fills, outlines, clip and translation, paths, images, brushes and windows.
#include "RenderTestUtil.h"

#include "TestSupport.h"

#include <cmath>
#include <limits>

using namespace gdi;
using rendertest::Hex;
using rendertest::InkBounds;
using rendertest::MakeBitmap;
using rendertest::MakeGraphics;
using rendertest::Pixel;

namespace {

constexpr ARGB kWhite = 0xFFFFFFFF;
constexpr ARGB kBlack = 0xFF000000;
constexpr ARGB kRed = 0xFFFF0000;
constexpr ARGB kBlue = 0xFF0000FF;

// Graphics set up the way the renderer sets them up.
std::unique_ptr<Graphics> RendererGraphics(Bitmap& bitmap)
{
    auto graphics = MakeGraphics(bitmap);
    graphics->SetSmoothingMode(SmoothingMode::HighSpeed);
    graphics->SetInterpolationMode(InterpolationMode::NearestNeighbor);
    graphics->SetPixelOffsetMode(PixelOffsetMode::HighSpeed);
    graphics->SetCompositingMode(CompositingMode::SourceOver);
    return graphics;
}

std::unique_ptr<Bitmap> Filled(int w, int h, ARGB color, PixelFormat format = PixelFormat::PArgb32)
{
    auto bitmap = MakeBitmap(w, h, format);
    MakeGraphics(*bitmap)->Clear(color);
    return bitmap;
}

int CountPixels(const Bitmap& bitmap, ARGB color)
{
    int count = 0;
    for (int y = 0; y < bitmap.GetHeight(); ++y)
        for (int x = 0; x < bitmap.GetWidth(); ++x)
            count += Pixel(bitmap, x, y) == color;
    return count;
}

// A 2 x 2 image: red, green / blue, white.
std::unique_ptr<Bitmap> Checker()
{
    const ARGB pixels[] = {kRed, 0xFF00FF00, kBlue, kWhite};
    std::unique_ptr<Bitmap> bitmap;
    EXPECT_EQ(Bitmap::FromPixels(2, 2, 8, pixels, bitmap), Status::Ok);
    return bitmap;
}

} // namespace

TEST(GraphicsFill, SourceCopyKeepsHalfTransparentColoursExactly)
{
    for (PixelFormat format : {PixelFormat::PArgb32, PixelFormat::Argb32}) {
        SCOPED_TRACE(int(format));
        auto bitmap = Filled(8, 8, kBlue, format);
        auto graphics = RendererGraphics(*bitmap);
        graphics->SetCompositingMode(CompositingMode::SourceCopy);
        SolidBrush brush(0x80FF0000);
        ASSERT_EQ(graphics->FillRectangle(brush, 2, 2, 3, 3), Status::Ok);
        EXPECT_EQ(Pixel(*bitmap, 2, 2), 0x80FF0000u);
        EXPECT_EQ(Pixel(*bitmap, 4, 4), 0x80FF0000u);
        EXPECT_EQ(Pixel(*bitmap, 5, 5), kBlue);

        // Blending mixes with what is there.
        graphics->SetCompositingMode(CompositingMode::SourceOver);
        graphics->FillRectangle(brush, 0, 0, 1, 1);
        ARGB mixed = Pixel(*bitmap, 0, 0);
        EXPECT_EQ(mixed >> 24, 255u);
        EXPECT_NEAR(int((mixed >> 16) & 255), 128, 1);
        EXPECT_NEAR(int(mixed & 255), 127, 1);
    }
}

TEST(GraphicsFill, RectanglesCoverExactlyTheirPixels)
{
    auto bitmap = Filled(20, 20, kWhite);
    auto graphics = RendererGraphics(*bitmap);
    SolidBrush red(kRed);
    graphics->FillRectangle(red, 2, 3, 4, 5);
    EXPECT_EQ(InkBounds(*bitmap, kWhite), (RectI{2, 3, 4, 5}));
    EXPECT_EQ(CountPixels(*bitmap, kRed), 20);

    // Blended and anti-aliased paths cover the same whole-pixel rectangle.
    auto second = Filled(20, 20, kWhite);
    auto g2 = RendererGraphics(*second);
    SolidBrush halfRed(0x80FF0000);
    g2->FillRectangle(halfRed, RectF{2, 3, 4, 5});
    EXPECT_EQ(InkBounds(*second, kWhite), (RectI{2, 3, 4, 5}));
    g2->Clear(kWhite);
    g2->SetSmoothingMode(SmoothingMode::AntiAlias);
    g2->SetPixelOffsetMode(PixelOffsetMode::Half);
    g2->FillRectangle(red, RectF{2, 3, 4, 5});
    EXPECT_EQ(InkBounds(*second, kWhite), (RectI{2, 3, 4, 5}));
    EXPECT_EQ(CountPixels(*second, kRed), 20);
}

TEST(GraphicsFill, OutlinesAndLinesCoverTheirEdgePixels)
{
    auto bitmap = Filled(20, 20, kWhite);
    auto graphics = RendererGraphics(*bitmap);
    Pen pen(kBlack, 1.0f);
    graphics->DrawRectangle(pen, 3, 4, 5, 6);
    // Columns 3 and 8, rows 4 and 10: a 6 x 7 outline of 22 pixels.
    EXPECT_EQ(InkBounds(*bitmap, kWhite), (RectI{3, 4, 6, 7}));
    EXPECT_EQ(CountPixels(*bitmap, kBlack), 22);
    EXPECT_EQ(Pixel(*bitmap, 5, 7), kWhite);

    graphics->Clear(kWhite);
    graphics->DrawLine(pen, 2, 15, 12, 15);
    RectI ink = InkBounds(*bitmap, kWhite);
    EXPECT_EQ(ink.y, 15);
    EXPECT_EQ(ink.height, 1);
    EXPECT_EQ(ink.x, 2);
    EXPECT_GE(ink.width, 10);

    // A pen of width 0 still draws one pixel.
    graphics->Clear(kWhite);
    graphics->DrawLine(Pen(kBlack, 0.0f), 5, 1, 5, 9);
    ink = InkBounds(*bitmap, kWhite);
    EXPECT_EQ(ink.x, 5);
    EXPECT_EQ(ink.width, 1);
}

TEST(GraphicsClip, TranslationAndClipStack)
{
    auto bitmap = Filled(60, 60, kWhite);
    auto graphics = RendererGraphics(*bitmap);
    SolidBrush red(kRed);

    graphics->TranslateTransform(10, 10);
    graphics->SetClip(RectF{0, 0, 20, 20}); // pixels 10..29
    graphics->TranslateTransform(5, 5);     // the clip stays where it was set
    EXPECT_EQ(graphics->GetClipBounds().x, -5.0f);
    graphics->FillRectangle(red, -100, -100, 1000, 1000);
    EXPECT_EQ(InkBounds(*bitmap, kWhite), (RectI{10, 10, 20, 20}));

    // Intersecting narrows the clip; coordinates are taken at the current translation.
    graphics->Clear(kWhite);
    graphics->IntersectClip(RectF{10, 0, 100, 100}); // from pixel 25 on
    graphics->FillRectangle(red, -100, -100, 1000, 1000);
    EXPECT_EQ(InkBounds(*bitmap, kWhite), (RectI{25, 15, 5, 15}));

    // Replacing and resetting.
    graphics->ResetClip();
    graphics->Clear(kWhite);
    graphics->ResetTransform();
    graphics->SetClip(RectF{40, 40, 5, 5});
    graphics->FillRectangle(red, 0, 0, 60, 60);
    EXPECT_EQ(InkBounds(*bitmap, kWhite), (RectI{40, 40, 5, 5}));
    graphics->ResetClip();
    graphics->FillRectangle(red, 0, 0, 60, 60);
    EXPECT_EQ(CountPixels(*bitmap, kRed), 3600);
}

TEST(GraphicsClip, ClipAppliesToEveryKindOfDrawing)
{
    auto source = Filled(30, 30, kBlue);
    auto bitmap = Filled(40, 40, kWhite);
    auto graphics = RendererGraphics(*bitmap);
    graphics->SetClip(RectF{10, 10, 10, 10});
    graphics->DrawImage(*source, 0.0f, 0.0f);
    graphics->DrawImage(*source, RectF{0, 0, 40, 40}, RectF{0, 0, 30, 30});
    graphics->DrawLine(Pen(kBlack, 3), 0, 0, 40, 40);
    const PointF triangle[] = {{0, 0}, {40, 0}, {0, 40}};
    graphics->FillPolygon(SolidBrush(kRed), triangle);
    std::unique_ptr<CachedBitmap> cached;
    ASSERT_EQ(CachedBitmap::Create(*source, *graphics, cached), Status::Ok);
    graphics->DrawCachedBitmap(*cached, 0, 0);
    graphics->Clear(0x80808080);
    EXPECT_EQ(InkBounds(*bitmap, kWhite), (RectI{10, 10, 10, 10}));
    EXPECT_EQ(Pixel(*bitmap, 15, 15), 0x80808080u);
}

TEST(GraphicsClip, HugeAndInvalidCoordinatesAreSafe)
{
    auto bitmap = Filled(16, 16, kWhite);
    auto graphics = RendererGraphics(*bitmap);
    // The renderer's "no clip" state.
    graphics->SetClip(RectF{-5.0e15f, -5.0e15f, 1.0e16f, 1.0e16f});
    SolidBrush red(kRed);
    graphics->FillRectangle(red, RectF{-1e12f, -1e12f, 2e12f, 2e12f});
    EXPECT_EQ(CountPixels(*bitmap, kRed), 256);

    float nan = std::numeric_limits<float>::quiet_NaN();
    graphics->Clear(kWhite);
    graphics->FillRectangle(red, RectF{nan, 0, 5, 5});
    graphics->DrawLine(Pen(kBlack), nan, 0, 5, 5);
    graphics->DrawLine(Pen(kBlack), -1e30f, 8, 1e30f, 8);
    EXPECT_EQ(graphics->DrawEllipse(Pen(kBlack), RectF{0, 0, nan, 4}), Status::InvalidParameter);
    graphics->FillEllipse(red, RectF{3, 3, 0, 0});
    graphics->DrawImage(*bitmap, RectF{0, 0, 1e30f, 1e30f}, RectF{0, 0, 1, 1});
    // Drawing still works afterwards.
    graphics->FillRectangle(red, 0, 0, 2, 2);
    EXPECT_EQ(Pixel(*bitmap, 1, 1), kRed);
}

TEST(GraphicsPath, AlternateFillLeavesTheInnerSquareEmpty)
{
    auto bitmap = Filled(30, 30, kWhite);
    auto graphics = RendererGraphics(*bitmap);
    GraphicsPath path(FillMode::Alternate);
    const PointF outer[] = {{0, 0}, {30, 0}, {30, 30}, {0, 30}};
    const PointF inner[] = {{10, 10}, {20, 10}, {20, 20}, {10, 20}};
    path.AddPolygon(outer);
    path.AddPolygon(inner);
    SolidBrush red(kRed);
    graphics->FillPath(red, path);
    EXPECT_EQ(Pixel(*bitmap, 5, 5), kRed);
    EXPECT_EQ(Pixel(*bitmap, 15, 15), kWhite);
    EXPECT_EQ(CountPixels(*bitmap, kRed), 900 - 100);

    path.SetFillMode(FillMode::Winding);
    graphics->FillPath(red, path);
    EXPECT_EQ(Pixel(*bitmap, 15, 15), kRed);
}

TEST(GraphicsPath, FiguresJoinOrStartAsAsked)
{
    GraphicsPath path;
    path.AddLine(0, 0, 10, 0);
    path.AddLine(10, 0, 10, 10);  // continues from the end point
    path.AddLine(20, 20, 30, 20); // joined by a connecting segment
    ASSERT_EQ(path.GetFigures().size(), 1u);
    EXPECT_EQ(path.GetPointCount(), 5);
    path.StartFigure();
    path.AddLine(0, 5, 5, 5);
    EXPECT_EQ(path.GetFigures().size(), 2u);
    const PointF two[] = {{0, 0}, {1, 1}};
    EXPECT_EQ(path.AddPolygon(two), Status::InvalidParameter);
    EXPECT_EQ(path.AddLines({}), Status::InvalidParameter);

    // Separate segments, as the renderer builds them, draw without the joins.
    auto bitmap = Filled(20, 20, kWhite);
    auto graphics = RendererGraphics(*bitmap);
    GraphicsPath segments;
    segments.StartFigure();
    segments.AddLine(2, 2, 8, 2);
    segments.StartFigure();
    segments.AddLine(2, 10, 8, 10);
    graphics->DrawPath(Pen(kBlack), segments);
    EXPECT_EQ(Pixel(*bitmap, 5, 2), kBlack);
    EXPECT_EQ(Pixel(*bitmap, 5, 10), kBlack);
    EXPECT_EQ(Pixel(*bitmap, 8, 6), kWhite);
    EXPECT_EQ(Pixel(*bitmap, 5, 6), kWhite);
}

TEST(GraphicsPath, ScaledCloneFillsTheScaledShape)
{
    GraphicsPath path;
    const PointF square[] = {{1, 1}, {3, 1}, {3, 3}, {1, 3}};
    path.AddPolygon(square);
    auto clone = path.Clone();
    Matrix matrix;
    matrix.Scale(4, 2);
    clone->Transform(matrix);

    auto bitmap = Filled(20, 20, kWhite);
    auto graphics = RendererGraphics(*bitmap);
    graphics->TranslateTransform(1, 1);
    graphics->FillPath(SolidBrush(kRed), *clone);
    EXPECT_EQ(InkBounds(*bitmap, kWhite), (RectI{5, 3, 8, 4}));
    EXPECT_EQ(path.GetFigures()[0].points[2].x, 3.0f); // the original is untouched

    Matrix both;
    both.Translate(10, 0);
    both.Scale(2, 2); // prepended: scale first, then move
    PointF p = both.TransformPoint({1, 1});
    EXPECT_EQ(p.x, 12.0f);
    EXPECT_EQ(p.y, 2.0f);
    Matrix appended;
    appended.Translate(10, 0);
    appended.Scale(2, 2, MatrixOrder::Append);
    EXPECT_EQ(appended.TransformPoint({1, 1}).x, 22.0f);
}

TEST(GraphicsImage, NearestNeighbourScalingDoublesPixels)
{
    auto checker = Checker();
    auto bitmap = Filled(6, 6, kBlack);
    auto graphics = RendererGraphics(*bitmap);
    ASSERT_EQ(graphics->DrawImage(*checker, RectF{1, 1, 4, 4}, RectF{0, 0, 2, 2}), Status::Ok);
    const ARGB expected[4][4] = {{kRed, kRed, 0xFF00FF00, 0xFF00FF00},
                                 {kRed, kRed, 0xFF00FF00, 0xFF00FF00},
                                 {kBlue, kBlue, kWhite, kWhite},
                                 {kBlue, kBlue, kWhite, kWhite}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Pixel(*bitmap, x + 1, y + 1), expected[y][x]) << x << "," << y;
    EXPECT_EQ(Pixel(*bitmap, 0, 0), kBlack);
    EXPECT_EQ(Pixel(*bitmap, 5, 5), kBlack);
}

TEST(GraphicsImage, ScaledSourceRectangleDoesNotBleed)
{
    // Red left half, blue right half; scaling the red half smoothly shows no blue.
    auto atlas = Filled(8, 4, kRed, PixelFormat::Argb32);
    auto g = MakeGraphics(*atlas);
    g->FillRectangle(SolidBrush(kBlue), 4, 0, 4, 4);
    auto bitmap = Filled(20, 20, kRed);
    auto graphics = MakeGraphics(*bitmap);
    graphics->SetInterpolationMode(InterpolationMode::Bilinear);
    graphics->DrawImage(*atlas, RectF{0, 0, 20, 20}, RectF{0, 0, 4, 4});
    EXPECT_EQ(CountPixels(*bitmap, kRed), 400);
}

TEST(GraphicsImage, UnscaledSourceRectangleCopiesExactly)
{
    auto source = MakeBitmap(4, 4, PixelFormat::Argb32);
    source->SetPixel(1, 2, 0x80FF0000);
    source->SetPixel(3, 3, 0xFF00FF00);
    auto bitmap = MakeBitmap(10, 10);
    auto graphics = RendererGraphics(*bitmap);
    graphics->TranslateTransform(2, 1);
    ASSERT_EQ(graphics->DrawImage(*source, 3, 3, 1, 2, 3, 2), Status::Ok);
    EXPECT_EQ(Pixel(*bitmap, 5, 4), 0x80FF0000u);
    EXPECT_EQ(Pixel(*bitmap, 7, 5), 0xFF00FF00u);
    EXPECT_EQ(InkBounds(*bitmap, 0), (RectI{5, 4, 3, 2}));

    // A source rectangle reaching past the image draws only the part inside it.
    graphics->SetCompositingMode(CompositingMode::SourceCopy);
    auto before = Pixel(*bitmap, 8, 4);
    graphics->DrawImage(*source, 3, 3, 2, 2, 4, 4);
    EXPECT_EQ(Pixel(*bitmap, 8, 4), before);
}

TEST(GraphicsImage, DrawingABitmapOntoItself)
{
    auto bitmap = Filled(4, 1, kRed);
    bitmap->SetPixel(0, 0, kBlue);
    auto graphics = MakeGraphics(*bitmap);
    ASSERT_EQ(graphics->DrawImage(*bitmap, 1, 0, 0, 0, 3, 1), Status::Ok);
    EXPECT_EQ(Pixel(*bitmap, 0, 0), kBlue);
    EXPECT_EQ(Pixel(*bitmap, 1, 0), kBlue);
    EXPECT_EQ(Pixel(*bitmap, 2, 0), kRed);
}

TEST(GraphicsImage, CachedBitmapDrawsAtTheTranslatedPosition)
{
    auto checker = Checker();
    auto bitmap = Filled(10, 10, kBlack);
    auto graphics = RendererGraphics(*bitmap);
    std::unique_ptr<CachedBitmap> cached;
    ASSERT_EQ(CachedBitmap::Create(*checker, *graphics, cached), Status::Ok);
    checker.reset(); // the cached copy does not need its source
    graphics->TranslateTransform(3, 4);
    ASSERT_EQ(graphics->DrawCachedBitmap(*cached, 1, 1), Status::Ok);
    EXPECT_EQ(Pixel(*bitmap, 4, 5), kRed);
    EXPECT_EQ(Pixel(*bitmap, 5, 6), kWhite);
    EXPECT_EQ(InkBounds(*bitmap, kBlack), (RectI{4, 5, 2, 2}));
}

TEST(GraphicsImage, TextureBrushRepeatsFromTheWorldOrigin)
{
    const ARGB pixels[] = {kRed, kBlue, 0xFF00FF00};
    std::unique_ptr<Bitmap> strip;
    ASSERT_EQ(Bitmap::FromPixels(3, 1, 12, pixels, strip), Status::Ok);
    std::unique_ptr<TextureBrush> brush;
    ASSERT_EQ(TextureBrush::Create(*strip, {0, 0, 2, 1}, brush), Status::Ok);
    EXPECT_EQ(TextureBrush::Create(*strip, {2, 0, 2, 1}, brush), Status::InvalidParameter);
    ASSERT_EQ(TextureBrush::Create(*strip, {0, 0, 2, 1}, brush), Status::Ok);

    auto bitmap = MakeBitmap(7, 2, PixelFormat::Argb32);
    auto graphics = RendererGraphics(*bitmap);
    graphics->FillRectangle(*brush, 0, 0, 7, 1);
    for (int x = 0; x < 7; ++x)
        EXPECT_EQ(Pixel(*bitmap, x, 0), x % 2 ? kBlue : kRed) << x;
    graphics->TranslateTransform(1, 1);
    graphics->FillRectangle(*brush, 0, 0, 6, 1);
    EXPECT_EQ(Pixel(*bitmap, 1, 1), kRed);
    EXPECT_EQ(Pixel(*bitmap, 2, 1), kBlue);
}

TEST(GraphicsImage, LockedBitmapsAreNeitherTargetNorSource)
{
    auto source = MakeBitmap(2, 2);
    auto bitmap = MakeBitmap(4, 4);
    auto graphics = MakeGraphics(*bitmap);
    BitmapData data;
    ASSERT_EQ(source->LockBits({0, 0, 2, 2}, ImageLockMode::Read, PixelFormat::Argb32, data), Status::Ok);
    EXPECT_EQ(graphics->DrawImage(*source, 0.0f, 0.0f), Status::ObjectBusy);
    source->UnlockBits(data);
    ASSERT_EQ(bitmap->LockBits({0, 0, 2, 2}, ImageLockMode::Read, PixelFormat::Argb32, data), Status::Ok);
    EXPECT_EQ(graphics->FillRectangle(SolidBrush(kRed), 0, 0, 4, 4), Status::ObjectBusy);
    EXPECT_EQ(graphics->Clear(kRed), Status::ObjectBusy);
    EXPECT_EQ(graphics->GetLastStatus(), Status::ObjectBusy);
    EXPECT_EQ(graphics->GetLastStatus(), Status::Ok);
    bitmap->UnlockBits(data);
}

TEST(WindowSurfaces, GraphicsForAWindowPresentWhatTheyDrew)
{
    std::unique_ptr<OffscreenWindowSurface> window;
    ASSERT_EQ(OffscreenWindowSurface::Create(50, 40, window), Status::Ok);
    EXPECT_EQ(window->GetPixel(10, 10), kBlack);

    auto frame = Filled(50, 40, kRed);
    frame->SetPixel(30, 20, kBlue);
    {
        std::unique_ptr<Graphics> graphics;
        ASSERT_EQ(Graphics::FromWindow(*window, graphics), Status::Ok);
        graphics->DrawImage(*frame, 25, 15, 25, 15, 10, 10);
        graphics->DrawImage(*frame, 0, 0, 0, 0, 5, 5);
        EXPECT_TRUE(window->GetPresentations().empty());
        graphics->Flush(FlushIntention::Sync);
        ASSERT_EQ(window->GetPresentations().size(), 1u);
        EXPECT_EQ(window->GetPresentations()[0], (std::vector<RectI>{{25, 15, 10, 10}, {0, 0, 5, 5}}));
        graphics->DrawImage(*frame, 40, 0, 40, 0, 100, 100); // only the part inside the window
    }
    ASSERT_EQ(window->GetPresentations().size(), 2u);
    EXPECT_EQ(window->GetPresentations()[1], (std::vector<RectI>{{40, 0, 10, 40}}));
    EXPECT_EQ(window->GetPixel(30, 20), kBlue);
    EXPECT_EQ(window->GetPixel(26, 16), kRed);
    EXPECT_EQ(window->GetPixel(20, 20), kBlack);

    kxtest::TempDir dir;
    auto path = (dir.path() / "window.png").string();
    ASSERT_EQ(window->SaveToPng(path), Status::Ok);
    std::unique_ptr<Bitmap> saved;
    ASSERT_EQ(Bitmap::FromFile(path, saved), Status::Ok);
    EXPECT_EQ(Pixel(*saved, 30, 20), kBlue);

    ASSERT_EQ(window->Resize(0, 5), Status::InvalidParameter);
    ASSERT_EQ(window->Resize(60, 5), Status::Ok);
    EXPECT_EQ(window->GetWidth(), 60);
    EXPECT_EQ(window->GetPixel(59, 4), kBlack);
}
