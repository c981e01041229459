// One small scene drawn by the GDI+ renderer and by the OpenGL renderer (over OSMesa).
//
// Tolerance: outside the text, red, green and blue of every pixel agree within 2 (of 255).
// Alpha is not compared: OpenGL's blend function (source alpha, one minus source alpha) also
// applies to the destination's alpha, and windows show no alpha. Outlines through whole-pixel
// coordinates (DrawRect) are smoothed by OpenGL over the two pixels the ideal line straddles,
// where GDI+ fills one: there OpenGL's ink must lie within one pixel of GDI+'s and amount to the
// same within 20% (smoothed joints and ends carry a little less).
#include "GLRendererTestUtil.h"
#include "GdiRendererTestUtil.h"

#include <string>
#include <utility>

using namespace KX;
using namespace gltest;

namespace {

constexpr int32_t kWidth = 96;
constexpr int32_t kHeight = 64;
constexpr uint32_t kBackground = 0xFF303840u;
// The outline, on plain background.
constexpr RectT<int32_t> kOutline{36, 1, 12, 6};

struct SceneAssets {
    RCPtr<LBitmap> checker = MakeBitmap(10, 8, [](int32_t x, int32_t y) {
        return gdi::MakeARGB(255, uint32_t(x * 25), uint32_t(y * 30), (x + y) % 2 ? 255u : 40u);
    });
    RCPtr<LBitmap> tile = MakeBitmap(
        6, 5, [](int32_t x, int32_t y) { return gdi::MakeARGB(255, x < 3 ? 200u : 20u, y < 2 ? 220u : 60u, 90u); });
    // Opaque centre, half-transparent ring, transparent corners.
    RCPtr<LBitmap> knob = MakeBitmap(12, 12, [](int32_t x, int32_t y) {
        const int dx = 2 * x - 11, dy = 2 * y - 11, d2 = dx * dx + dy * dy;
        const uint32_t a = d2 < 60 ? 255u : d2 < 121 ? 128u : 0u;
        return gdi::MakeARGB(a, 250, 120, 30);
    });
    PolylineT<float> lShape;
    ColorRectListT<float> bars;
    ConstRCPtr<LFont> font = LFont::GetFont(WString(u"DejaVu Sans"), 9.0f, kFontRegular);

    SceneAssets()
    {
        for (auto [x, y] : {std::pair{60.f, 4.f}, {90.f, 4.f}, {90.f, 14.f}, {70.f, 14.f}, {70.f, 30.f}, {60.f, 30.f}})
            lShape.AddPoint(x, y);
        bars.AddRect({0, 0, 3, 10}, 0xFF20C040u);
        bars.AddRect({4, 2, 3, 8}, 0xC0C02040u);
        bars.AddRect({8, 5, 3, 5}, 0xFF2040C0u);
        bars.SetScale(2.0f, 1.0f);
    }
};

// Draws the scene; the text's box (target pixels, with a margin) goes into textBox.
void DrawScene(LRenderer& r, const SceneAssets& a, RectT<int32_t>& textBox)
{
    r.FillRect({0, 0, kWidth, kHeight}, LColor::MakeFromARGB(kBackground), false);
    r.FillRect({4, 8, 30, 16}, LColor::MakeFromARGB(0xFFE0E0E0u), true);
    r.FillRect({20, 10, 30, 20}, LColor::MakeFromARGB(0x8000A0FFu), true);
    r.DrawFilledRect({52, 40, 6, 6}, LColor::MakeFromARGB(0xFF806040u), LColor(), 1.0f);
    r.DrawBitmap(a.checker, {6, 30, 10, 8}, 0);
    r.DrawBitmap(a.tile, {20, 34, 18, 10}, 1);
    r.DrawBitmap(a.knob, {40, 34, 20, 20}, 2);
    r.DrawBitmap(a.knob, {64, 36, 12, 12}, 7);
    r.FillPolygon(a.lShape, LColor::MakeFromARGB(0xFFF0C020u), {0.0f, 0.0f}, {1.0f, 1.0f}, true);
    r.DrawColorRectList(a.bars, {2.0, 50.0}, true);
    // A clipped fill: only (80..88, 40..50) shows.
    r.PushClipRect({80.0, 40.0, 8.0, 10.0}, {80.0, 40.0, 8.0, 10.0}, ConstRCPtr<LStencil>(), true);
    r.FillRect({-5, -5, 30, 30}, LColor::MakeFromARGB(0xFFFF00FFu), true);
    r.PopState();
    // An origin moves everything drawn under it.
    r.PushState();
    r.PushOrigin({78.0, 54.0});
    r.FillRect({0, 0, 6, 6}, LColor::MakeFromARGB(0xFF00FF80u), true);
    r.PopState();
    r.PopState();
    // Lines through pixel centres.
    r.DrawLine({2.0f, 60.5f}, {26.0f, 60.5f}, kWhite, 1.0f);
    r.DrawLine({92.5f, 20.0f}, {92.5f, 40.0f}, kWhite, 1.0f);
    r.DrawRect(kOutline, LColor::MakeFromARGB(0xFF00FFFFu), 1.0f);
    r.DrawText(WString(u"Ab"), a.font, {30, 50}, kWhite);
    const RectT<float> measured = r.MeasureText(WString(u"Ab"), a.font);
    textBox = RectT<int32_t>{30 - 2, 50 - 2, static_cast<int32_t>(measured.width) + 6,
                             static_cast<int32_t>(measured.height) + 6};
}

bool Inside(const RectT<int32_t>& r, int32_t x, int32_t y)
{
    return x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height;
}

class GLRendererVersusGdi : public ::testing::Test {
protected:
    void SetUp() override
    {
        RCPtr<LGDIRenderer> gdiRenderer = gditest::MakeRenderer();
        gdiContext = gditest::MakeContext(*gdiRenderer, {0, 0, kWidth, kHeight});
        gdiRenderer->RenderStart(gdiContext);
        DrawScene(*gdiRenderer, assets, gdiText);
        gdiRenderer->RenderFinish(gdiContext);

        glContext = rig.MakeContext(kWidth, kHeight);
        rig.renderer->RenderStart(glContext);
        DrawScene(*rig.renderer, assets, glText);
        rig.renderer->RenderFinish(glContext);
    }

    uint32_t Gdi(int32_t x, int32_t y) const
    {
        if (x < 0 || y < 0 || x >= kWidth || y >= kHeight)
            return kBackground;
        return gditest::SurfacePixel(*gdiContext, x, y);
    }
    uint32_t Gl(int32_t x, int32_t y) const { return PixelAt(*glContext, x, y); }

    SceneAssets assets;
    GLRig rig;
    RCPtr<LGDIRenderContextInfo> gdiContext;
    RCPtr<LGLRenderContextInfo> glContext;
    RectT<int32_t> gdiText;
    RectT<int32_t> glText;
};

} // namespace

TEST_F(GLRendererVersusGdi, EveryPixelOutsideTextAndOutlineAgreesWithinTwo)
{
    const RectT<int32_t> outline{kOutline.x - 2, kOutline.y - 2, kOutline.width + 5, kOutline.height + 5};
    int worst = 0;
    std::string where;
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x) {
            if (Inside(gdiText, x, y) || Inside(glText, x, y) || Inside(outline, x, y))
                continue;
            const int d = RgbDistance(Gdi(x, y), Gl(x, y));
            if (d > worst) {
                worst = d;
                where = std::to_string(x) + "," + std::to_string(y) + ": " + rendertest::Hex(Gdi(x, y)) + " vs " +
                        rendertest::Hex(Gl(x, y));
            }
        }
    EXPECT_LE(worst, 2) << where;
    // The scene is not trivially empty: spot checks of what both drew.
    EXPECT_EQ(Rgb(Gl(1, 1)), 0x303840u);
    EXPECT_EQ(Rgb(Gl(84, 45)), 0xFF00FFu);
    EXPECT_EQ(Rgb(Gl(80, 56)), 0x00FF80u);
    EXPECT_EQ(Rgb(Gl(70, 8)), 0xF0C020u);
    EXPECT_EQ(Rgb(Gl(10, 60)), 0xFFFFFFu);
}

TEST_F(GLRendererVersusGdi, OutlinesCarryTheSameInkWithinOnePixel)
{
    const uint32_t line = 0xFF00FFFFu;
    auto ink = [&](uint32_t pixel) { return Green(pixel) - Green(kBackground); };
    int64_t gdiInk = 0;
    int64_t glInk = 0;
    for (int32_t y = kOutline.y - 2; y <= kOutline.y + kOutline.height + 2; ++y)
        for (int32_t x = kOutline.x - 2; x <= kOutline.x + kOutline.width + 2; ++x) {
            gdiInk += ink(Gdi(x, y));
            glInk += ink(Gl(x, y));
            if (ink(Gl(x, y)) <= 2)
                continue;
            // Ink of OpenGL's lies next to GDI+'s.
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx)
                    near = Rgb(Gdi(x + dx, y + dy)) == Rgb(line);
            EXPECT_TRUE(near) << x << "," << y;
        }
    ASSERT_GT(gdiInk, 0);
    EXPECT_NEAR(static_cast<double>(glInk), static_cast<double>(gdiInk), 0.2 * static_cast<double>(gdiInk));
}

TEST_F(GLRendererVersusGdi, BothDrawTheTextInkInsideTheMeasuredBox)
{
    int gdiInk = 0;
    int glInk = 0;
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x) {
            const bool gdiLit = Green(Gdi(x, y)) > 0xF0 && Red(Gdi(x, y)) > 0xF0 && Blue(Gdi(x, y)) > 0xF0;
            const bool glLit = Green(Gl(x, y)) > 0xF0 && Red(Gl(x, y)) > 0xF0 && Blue(Gl(x, y)) > 0xF0;
            if (Inside(glText, x, y) && y < 60) {
                glInk += glLit;
                gdiInk += gdiLit;
            } else if (y < 58 && !(x == 92 && y >= 20 && y < 40)) {
                // White appears nowhere else but on the two lines.
                EXPECT_FALSE(glLit && !Inside(gdiText, x, y)) << x << "," << y;
            }
        }
    EXPECT_GT(glInk, 10);
    EXPECT_GT(gdiInk, 10);
}
