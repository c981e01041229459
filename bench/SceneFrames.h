#pragma once
// The editor-like scene's frame drawn through any renderer, once per benchmark iteration.
#include "EditorScene.h"

#include "kx/Bitmap.h"
#include "kx/Font.h"
#include "kx/Renderer.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace benchscene {

// Draws the scene's frame through renderer into context for every benchmark iteration.
inline void DrawSceneFrames(benchmark::State& state, KX::LRenderer& renderer,
                            const KX::RCPtr<KX::LRenderContextInfo>& context)
{
    using namespace KX;
    const Scene& scene = TheScene();
    std::vector<RCPtr<LBitmap>> images;
    for (int i = 0; i < kImages; ++i) {
        auto [w, h] = scene.sizes[size_t(i)];
        RCPtr<LBitmap> image = LBitmap::CreateFilledBitmap(w, h, LColor());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                image->GetBitmapData()->SetPixel(x, y, scene.pixels[size_t(i)][size_t(y * w + x)]);
        images.push_back(image);
    }
    std::vector<WString> texts;
    for (const Scene::Text& t : scene.texts)
        texts.emplace_back(t.wide.c_str());
    const ConstRCPtr<LFont> font = LFont::GetFont(WString(u"Arial"), kFontPoints, kFontRegular);
    const LColor background = LColor::MakeFromARGB(0xFF202428);
    const LColor textColor = LColor::MakeFromARGB(0xFFE0E0E0);

    for (auto _ : state) {
        renderer.RenderStart(context);
        renderer.FillRect({0, 0, kWidth, kHeight}, background, false);
        for (const Scene::Rect& r : scene.rects)
            renderer.FillRect({r.x, r.y, r.w, r.h}, LColor::MakeFromARGB(r.color), true);
        for (const Scene::Draw& d : scene.draws) {
            auto [w, h] = scene.sizes[size_t(d.image)];
            renderer.DrawBitmap(images[size_t(d.image)], {d.x, d.y, w, h}, 0);
        }
        for (size_t i = 0; i < texts.size(); ++i)
            renderer.DrawText(texts[i], font, {scene.texts[i].x, scene.texts[i].y}, textColor);
        renderer.RenderFinish(context);
        benchmark::ClobberMemory();
    }
}

} // namespace benchscene
