// A frame of several looks drawn side by side, as a control tree draws them: framed buttons with
// labels, image parts stretched, tiled and centred, a tint and a mask. The frame is written to
// <build>/screenshots/ui_looks.png for a person to look at.
#include "LookTestUtil.h"

#include <filesystem>
#include <fstream>
#include <vector>

using namespace uitest;
using KX::DockSpec;
using KX::LLook;
using KX::LLookDescriptor;
using KX::LVisualPartDescriptor;
using rendertest::Hex;

namespace {

constexpr uint32_t kBackground = 0xFF202428;
constexpr uint32_t kFrame = 0xFFB0B8C0;
constexpr uint32_t kFace = 0xFF3C4650;
constexpr uint32_t kText = 0xFFFFFFFF;

DockSpec Strip(uint32_t edges, bool horizontal)
{
    DockSpec dock = Edges(edges, 0, 0, 0, 0);
    if (horizontal) {
        dock.hasHeight = true;
        dock.height = 1;
    } else {
        dock.hasWidth = true;
        dock.width = 1;
    }
    return dock;
}

// A framed button: a one-pixel frame of four docked strips, a face inset by 1, a label box.
RCPtr<LLookDescriptor> Button(float hAlign)
{
    RCPtr<LLookDescriptor> look;
    KX::CreateLookDescriptor(look, WString(u"Button"));
    look->SetClientPart(Docked(FlatPart(kFace, 1, 1), Edges(DockSpec::kAllEdges, 1, 1, -1, -1)));
    const auto frame = FlatPart(kFrame, 1, 1);
    look->GetNonClientParts().AddItem(Docked(frame, Strip(DockSpec::kLeft | DockSpec::kTop | DockSpec::kRight, true)));
    look->GetNonClientParts().AddItem(
        Docked(frame, Strip(DockSpec::kLeft | DockSpec::kBottom | DockSpec::kRight, true)));
    look->GetNonClientParts().AddItem(
        Docked(frame, Strip(DockSpec::kLeft | DockSpec::kTop | DockSpec::kBottom, false)));
    look->GetNonClientParts().AddItem(
        Docked(frame, Strip(DockSpec::kRight | DockSpec::kTop | DockSpec::kBottom, false)));
    look->SetTextProperties(KX::LookTextProperties{0, 6, 1, -6, hAlign, 0, 2, 1, -2, 0.5f}, FlatPart(kText, 1, 1));
    return look;
}

RCPtr<LLookDescriptor> Picture(const ConstRCPtr<LVisualPartDescriptor>& part)
{
    RCPtr<LLookDescriptor> look;
    KX::CreateLookDescriptor(look, WString(u"Picture"));
    look->SetClientPart(Docked(part, Edges(DockSpec::kAllEdges, 0, 0, 0, 0)));
    return look;
}

struct Placed {
    RCPtr<LLook> look;
    KX::RectT<int32_t> rect;
};

void DrawAll(Surface& surface, const std::vector<Placed>& looks)
{
    const RCPtr<KX::LRenderer> renderer(surface.renderer);
    for (const Placed& p : looks) {
        const KX::RectT<double> r{double(p.rect.x), double(p.rect.y), double(p.rect.width), double(p.rect.height)};
        KX::CAutoClip at(renderer, r, r, nullptr);
        p.look->DrawClientArea(renderer, surface.All());
        p.look->DrawNonClientParts(renderer, surface.All());
        p.look->DrawLabelText(renderer, surface.All(), {});
    }
}

std::filesystem::path ScreenshotFolder()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return (error ? std::filesystem::current_path() : exe.parent_path().parent_path()) / "screenshots";
}

} // namespace

TEST(LookFrame, ButtonsAndPicturesDrawnTogether)
{
    LookTestImages images;
    ASSERT_TRUE(images.IsValid());
    Surface surface(360, 120);
    const auto font = KX::LFont::GetFont(WString(u"DejaVu Sans"), 10.0f, KX::kFontRegular);
    const WString sheet = images.Folder() + WString(u"looks.png");

    std::vector<Placed> looks;
    auto add = [&](const ConstRCPtr<LLookDescriptor>& description, KX::RectT<int32_t> rect, const char16_t* text,
                   bool wrap = false) {
        RCPtr<LLook> look = LLook::Create(description, wrap);
        look->SetSize(rect.width, rect.height);
        look->SetFont(font);
        look->SetText(WString(text));
        looks.push_back(Placed{look, rect});
    };
    add(Button(0.0f), {10, 10, 100, 24}, u"Left");
    add(Button(0.5f), {130, 10, 100, 24}, u"Centre");
    add(Button(1.0f), {250, 10, 100, 24}, u"Right");
    add(Button(0.5f), {10, 44, 100, 66}, u"A label long enough to wrap", true);
    add(Picture(ImagePart(sheet, 0, 0, 4, 4, LVisualPartDescriptor::kResizeStretch)), {130, 44, 40, 30}, u"");
    add(Picture(ImagePart(sheet, 0, 0, 4, 4, LVisualPartDescriptor::kResizeTile)), {180, 44, 40, 30}, u"");
    add(Picture(ImagePart(sheet, 0, 0, 4, 4, LVisualPartDescriptor::kResizeCenter)), {230, 44, 40, 30}, u"");
    add(Picture(ImagePart(sheet, 8, 0, 4, 4, 0, Solid(0x80FF8000))), {280, 44, 30, 30}, u"");
    RCPtr<LVisualPartDescriptor> masked;
    KX::CreateVisualPartDescriptor(masked, WString(u"M"), Solid(0xFF40C0FF), 4, 4, 0, 1.0f,
                                   KX::ImageRegion{sheet, 4, 0, 4, 4});
    add(Picture(masked), {320, 44, 30, 30}, u"");

    surface.Begin(kBackground);
    DrawAll(surface, looks);

    // A few pixels that pin the frame down: frames, faces, pictures, tint and mask.
    EXPECT_EQ(Hex(surface.Pixel(10, 10)), Hex(kFrame));
    EXPECT_EQ(Hex(surface.Pixel(109, 33)), Hex(kFrame));
    EXPECT_EQ(Hex(surface.Pixel(12, 12)), Hex(kFace));
    EXPECT_EQ(Hex(surface.Pixel(110, 33)), Hex(kBackground));
    EXPECT_EQ(Hex(surface.Pixel(130, 44)), Hex(ChartPixel(0, 0)));
    EXPECT_EQ(Hex(surface.Pixel(180 + 37, 44 + 29)), Hex(ChartPixel(1, 1)));
    EXPECT_EQ(Hex(surface.Pixel(230 + 18, 44 + 13)), Hex(ChartPixel(0, 0)));
    EXPECT_EQ(Hex(surface.Pixel(230 + 17, 44 + 13)), Hex(kBackground));
    EXPECT_GT((surface.Pixel(290, 60) >> 16) & 0xFF, 0xA0u);
    EXPECT_EQ(Hex(surface.Pixel(320, 50)), Hex(0xFF40C0FF));
    EXPECT_EQ(Hex(surface.Pixel(349, 50)), Hex(kBackground));
    // Labels: ink inside each button's face, none on the frame.
    const gdi::RectI ink = rendertest::InkBounds(surface.Bitmap(), kBackground);
    EXPECT_GT(ink.width, 300);

    std::vector<uint8_t> png;
    ASSERT_EQ(surface.Bitmap().EncodePng(png), gdi::Status::Ok);
    surface.End();
    const std::filesystem::path folder = ScreenshotFolder();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::ofstream file(folder / "ui_looks.png", std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    EXPECT_TRUE(file.good());
}
