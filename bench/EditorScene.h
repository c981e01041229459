#pragma once
// The editor-like scene of the frame benchmarks: 1200 x 750, 100 filled rectangles, 300 draws of
// 20 images and 200 short texts; and the same frame drawn with plain Cairo calls.
#include "platform/gdi/Gdi.h"

#include <benchmark/benchmark.h>
#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <string>
#include <vector>

namespace benchscene {

constexpr int kWidth = 1200;
constexpr int kHeight = 750;
constexpr int kImages = 20;
constexpr int kImageDraws = 300;
constexpr int kTexts = 200;
constexpr int kRects = 100;
constexpr float kFontPoints = 8.0f;

struct Scene {
    struct Rect {
        int x, y, w, h;
        gdi::ARGB color;
    };
    struct Draw {
        int image, x, y;
    };
    struct Text {
        std::u16string wide;
        std::string utf8;
        int x, y;
    };
    std::vector<std::vector<gdi::ARGB>> pixels; // straight ARGB of each image
    std::vector<std::pair<int, int>> sizes;
    std::vector<Rect> rects;
    std::vector<Draw> draws;
    std::vector<Text> texts;

    Scene()
    {
        for (int i = 0; i < kImages; ++i) {
            int w = 16 + (i * 7) % 80, h = 12 + (i * 11) % 48;
            sizes.emplace_back(w, h);
            std::vector<gdi::ARGB> image(size_t(w * h));
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    // A soft-edged disc on transparency, like a knob or a pad.
                    int dx = 2 * x - w, dy = 2 * y - h, r = std::min(w, h);
                    int d2 = dx * dx + dy * dy;
                    uint32_t a = d2 < r * r / 2 ? 255 : d2 < r * r ? 128 : 0;
                    image[size_t(y * w + x)] = gdi::MakeARGB(a, 40 + i * 10, 200 - i * 5, (x * 255) / w);
                }
            pixels.push_back(std::move(image));
        }
        for (int i = 0; i < kRects; ++i)
            rects.push_back({(i * 97) % 1100, (i * 61) % 700, 20 + (i * 13) % 200, 10 + (i * 17) % 120,
                             gdi::MakeARGB(i % 3 ? 255 : 160, (i * 50) % 256, (i * 80) % 256, (i * 30) % 256)});
        for (int i = 0; i < kImageDraws; ++i)
            draws.push_back({i % kImages, (i * 37) % 1120, (i * 53) % 700});
        for (int i = 0; i < kTexts; ++i) {
            char text[32];
            std::snprintf(text, sizeof text, i % 2 ? "Fader %d" : "CC %d Ch 1", i % 100);
            std::string utf8 = text;
            texts.push_back({std::u16string(utf8.begin(), utf8.end()), utf8, (i * 71) % 1140, 10 + (i * 29) % 720});
        }
    }
};

inline const Scene& TheScene()
{
    static const Scene scene;
    return scene;
}

// The scene's images as premultiplied Cairo surfaces, for PaintSceneWithCairo; the caller
// destroys them.
inline std::vector<cairo_surface_t*> MakeCairoImages(const Scene& scene)
{
    std::vector<cairo_surface_t*> images;
    for (int i = 0; i < kImages; ++i) {
        auto [w, h] = scene.sizes[size_t(i)];
        cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
        auto* data = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(image));
        int stride = cairo_image_surface_get_stride(image) / 4;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint32_t p = scene.pixels[size_t(i)][size_t(y * w + x)], a = p >> 24;
                auto mul = [a](uint32_t c) { return (c * a + 127) / 255; };
                data[y * stride + x] =
                    (a << 24) | (mul((p >> 16) & 255) << 16) | (mul((p >> 8) & 255) << 8) | mul(p & 255);
            }
        cairo_surface_mark_dirty(image);
        images.push_back(image);
    }
    return images;
}

// One frame of the scene with plain Cairo calls, in the font already set on cr.
inline void PaintSceneWithCairo(cairo_t* cr, const Scene& scene, const std::vector<cairo_surface_t*>& images)
{
    cairo_set_source_rgb(cr, 0x20 / 255.0, 0x24 / 255.0, 0x28 / 255.0);
    cairo_paint(cr);
    for (const Scene::Rect& r : scene.rects) {
        cairo_set_source_rgba(cr, ((r.color >> 16) & 255) / 255.0, ((r.color >> 8) & 255) / 255.0,
                              (r.color & 255) / 255.0, (r.color >> 24) / 255.0);
        cairo_rectangle(cr, r.x, r.y, r.w, r.h);
        cairo_fill(cr);
    }
    for (const Scene::Draw& d : scene.draws) {
        auto [w, h] = scene.sizes[size_t(d.image)];
        cairo_set_source_surface(cr, images[size_t(d.image)], d.x, d.y);
        cairo_rectangle(cr, d.x, d.y, w, h);
        cairo_fill(cr);
    }
    cairo_set_source_rgb(cr, 0xE0 / 255.0, 0xE0 / 255.0, 0xE0 / 255.0);
    for (const Scene::Text& t : scene.texts) {
        cairo_move_to(cr, t.x + 2, t.y + 9);
        cairo_show_text(cr, t.utf8.c_str());
    }
}

// The same frame drawn with plain Cairo calls, the baseline of the frame benchmarks.
inline void BM_FramePlainCairo(benchmark::State& state)
{
    const Scene& scene = TheScene();
    cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
    cairo_t* cr = cairo_create(target);
    const std::vector<cairo_surface_t*> images = MakeCairoImages(scene);

    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(match);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_face(cr, face);
    cairo_set_font_size(cr, kFontPoints * 96.0 / 72.0);
    cairo_set_font_options(cr, options);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);

    for (auto _ : state) {
        PaintSceneWithCairo(cr, scene, images);
        cairo_surface_flush(target);
        benchmark::ClobberMemory();
    }

    cairo_font_options_destroy(options);
    cairo_font_face_destroy(face);
    FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    for (cairo_surface_t* image : images)
        cairo_surface_destroy(image);
    cairo_destroy(cr);
    cairo_surface_destroy(target);
}

} // namespace benchscene
