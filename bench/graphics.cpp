// One 1200 x 750 frame of an editor-like scene (100 filled rectangles, 300 draws of 20 images,
// 200 short texts), drawn through our graphics layer the way the renderer uses it, and the
// same scene drawn with plain Cairo calls.
#include "EditorScene.h"
#include "platform/gdi/Gdi.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace benchscene;

void BM_FrameGraphicsLayer(benchmark::State& state)
{
    using namespace gdi;
    const Scene& scene = TheScene();
    std::unique_ptr<Bitmap> target;
    Bitmap::Create(kWidth, kHeight, PixelFormat::PArgb32, target);
    std::unique_ptr<Graphics> graphics;
    Graphics::FromImage(*target, graphics);
    graphics->SetSmoothingMode(SmoothingMode::HighSpeed);
    graphics->SetInterpolationMode(InterpolationMode::NearestNeighbor);
    graphics->SetPixelOffsetMode(PixelOffsetMode::HighSpeed);
    float textScale = 96.0f / graphics->GetDpiX();

    // Images are scaled once into cached bitmaps, which the frames then draw.
    std::vector<std::unique_ptr<Bitmap>> images;
    std::vector<std::unique_ptr<CachedBitmap>> cached;
    for (int i = 0; i < kImages; ++i) {
        auto [w, h] = scene.sizes[size_t(i)];
        std::unique_ptr<Bitmap> image;
        Bitmap::FromPixels(w, h, w * 4, scene.pixels[size_t(i)].data(), image);
        std::unique_ptr<CachedBitmap> entry;
        CachedBitmap::Create(*image, *graphics, entry);
        images.push_back(std::move(image));
        cached.push_back(std::move(entry));
    }

    for (auto _ : state) {
        graphics->ResetTransform();
        graphics->Clear(0xFF202428);
        for (const Scene::Rect& r : scene.rects) {
            SolidBrush brush(r.color);
            graphics->FillRectangle(brush, r.x, r.y, r.w, r.h);
        }
        for (const Scene::Draw& d : scene.draws) {
            graphics->ResetTransform();
            graphics->TranslateTransform(d.x, d.y);
            graphics->DrawCachedBitmap(*cached[size_t(d.image)], 0, 0);
        }
        graphics->ResetTransform();
        for (const Scene::Text& t : scene.texts) {
            // As text drawing does it: the family by name, else the generic sans-serif.
            FontFamily family;
            if (FontFamily::FromName(u"Arial", family) != Status::Ok)
                FontFamily::GenericSansSerif(family);
            Font font;
            Font::Create(family, kFontPoints * textScale, FontStyleRegular, Unit::Point, font);
            SolidBrush brush(0xFFE0E0E0);
            graphics->DrawString(t.wide, font, RectF{float(t.x), float(t.y - 1), 0, 0}, nullptr, brush);
        }
        graphics->Flush(FlushIntention::Sync);
        benchmark::ClobberMemory();
    }
}

} // namespace

BENCHMARK(BM_FrameGraphicsLayer)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_FramePlainCairo)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
