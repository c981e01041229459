// The end-to-end path: the test skin loaded with a frame skin added, a control tree created by
// skin name and drawn into a 1200 x 750 offscreen surface. Pixels pin the looks (stretched,
// tiled, centred parts, tint, mask, label placement, the look the conditions select) and the
// layout (relative sizes, named siblings, pixel snapping, min/max, Expand, docking). The frame
// is written to <build>/screenshots/ui_tree_frame.png for a person to look at.
#include "LookTestUtil.h"
#include "SkinTree.h"

#include <filesystem>
#include <fstream>
#include <vector>

using namespace uitest;
using KXTest::Narrow;
using rendertest::Hex;

namespace {

constexpr uint32_t kBack = 0xFF202428;
constexpr uint32_t kBlue = 0xFF3070C0;
constexpr uint32_t kYellow = 0xFFE0C020;
constexpr uint32_t kGreen = 0xFF30A050;
constexpr uint32_t kOrange = 0xFFE08020;

const char* const kFrameSkin = R"(
<Colorizers>
  <Colorizer Name="F.Back" ColorType="SolidFill" Color="0xFF202428"/>
  <Colorizer Name="F.Blue" ColorType="SolidFill" Color="0xFF3070C0"/>
  <Colorizer Name="F.Yellow" ColorType="SolidFill" Color="0xFFE0C020"/>
  <Colorizer Name="F.Green" ColorType="SolidFill" Color="0xFF30A050"/>
  <Colorizer Name="F.Orange" ColorType="SolidFill" Color="0xFFE08020"/>
</Colorizers>
<Parts>
  <Part Name="F.Back" Width="4" Height="4" ResizeType="Stretch" ColorizerName="F.Back"/>
  <Part Name="F.Blue" Width="4" Height="4" ResizeType="Stretch" ColorizerName="F.Blue"/>
  <Part Name="F.Yellow" Width="4" Height="4" ResizeType="Stretch" ColorizerName="F.Yellow"/>
  <Part Name="F.Green" Width="4" Height="4" ResizeType="Stretch" ColorizerName="F.Green"/>
  <Part Name="F.Orange" Width="4" Height="4" ResizeType="Stretch" ColorizerName="F.Orange"/>
</Parts>
<Looks>
  <Look Name="F.Back"><ClientPart Name="F.Back" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
  <Look Name="F.Blue"><ClientPart Name="F.Blue" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
  <Look Name="F.Yellow"><ClientPart Name="F.Yellow" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
  <Look Name="F.Green"><ClientPart Name="F.Green" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
  <Look Name="F.Orange"><ClientPart Name="F.Orange" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
</Looks>
<LookLists>
  <LookList Name="F.Back" NumLooks="1"><Look Name="F.Back" Index="0"/></LookList>
  <LookList Name="F.Hover" NumLooks="2"><Look Name="F.Blue" Index="0"/><Look Name="F.Yellow" Index="1"/></LookList>
  <LookList Name="F.Green" NumLooks="1"><Look Name="F.Green" Index="0"/></LookList>
  <LookList Name="F.Orange" NumLooks="1"><Look Name="F.Orange" Index="0"/></LookList>
  <LookList Name="F.Blue" NumLooks="1"><Look Name="F.Blue" Index="0"/></LookList>
  <LookList Name="F.Framed" NumLooks="1"><Look Name="Framed" Index="0"/></LookList>
  <LookList Name="F.Tiled" NumLooks="1"><Look Name="Tiled" Index="0"/></LookList>
  <LookList Name="F.Centred" NumLooks="1"><Look Name="Centred" Index="0"/></LookList>
  <LookList Name="F.Masked" NumLooks="1"><Look Name="MaskedLook" Index="0"/></LookList>
</LookLists>
<Skin Name="Frame" FontName="DejaVu Sans" FontSize="10">
  <SubControl Class="Test.Panel" Name="frame" XSizeAbs="1200" YSizeAbs="750">
    <Skin Name="FrameSkin" LookList="F.Back">
      <SubControl Class="Test.Panel" Name="header" LayoutOrder="1" XSizeToControl="Parent" XSizeRel="1" XSizeAbs="0"
                  YSizeAbs="40" FontInheritsFromParent="True">
        <Skin Name="HeaderSkin" LookList="F.Framed"/>
      </SubControl>
      <SubControl Class="Test.Panel" Name="left" LayoutOrder="2" YPositionAbs="40" XSizeToControl="Parent"
                  XSizeRel="0.25" XSizeAbs="0" YSizeToControl="Parent" YSizeRel="1" YSizeAbs="0">
        <Skin Name="LeftSkin" LookList="F.Hover"/>
      </SubControl>
      <SubControl Class="Test.Panel" Name="right" LayoutOrder="3" XPositionToControl="left" XPositionRel="1"
                  XPositionAbs="10" YPositionAbs="50" XSizeAbs="200" YSizeAbs="100">
        <Skin Name="RightSkin" LookList="F.Green"/>
      </SubControl>
      <SubControl Class="Test.Panel" Name="snapped" LayoutOrder="4" XPositionAbs="1000" YPositionAbs="75"
                  XPlacementAnchor="0.5" YPlacementAnchor="0.5" XSizeAbs="99" YSizeAbs="49">
        <Skin Name="SnappedSkin" LookList="F.Orange"/>
      </SubControl>
      <SubControl Class="Test.Panel" Name="minmax" LayoutOrder="5" XPositionAbs="650" YPositionAbs="50"
                  XSizeAbs="20" YSizeAbs="500" XMinSizeToControl="Self" XMinSizeAbs="60"
                  YMaxSizeToControl="Self" YMaxSizeAbs="80">
        <Skin Name="MinMaxSkin" LookList="F.Green"/>
      </SubControl>
      <SubControl Class="Test.Panel" Name="expander" LayoutOrder="6" XPositionAbs="760" YPositionAbs="50"
                  XSizeAbs="20" YSizeAbs="40" TextOverflowXType="Expand" FontInheritsFromParent="True">
        <Skin Name="ExpanderSkin" LookList="F.Framed"/>
      </SubControl>
      <SubControl Class="Test.Panel" Name="scroller" LayoutOrder="7" XPositionAbs="310" YPositionAbs="200"
                  XSizeAbs="300" YSizeAbs="200">
        <Skin Name="ScrollerSkin" LookList="F.Orange">
          <SubControl Class="Test.Panel" Name="bar" LayoutOrder="1" YIsDocked="True" XSizeToControl="Parent"
                      XSizeRel="1" XSizeAbs="0" YSizeAbs="20">
            <Skin Name="BarSkin" LookList="F.Blue"/>
          </SubControl>
          <SubControl Class="Test.Panel" Name="content" LayoutOrder="2" XPositionAbs="20" YPositionAbs="60"
                      XSizeAbs="100" YSizeAbs="40">
            <Skin Name="ContentSkin" LookList="F.Green"/>
          </SubControl>
        </Skin>
      </SubControl>
      <SubControl Class="Test.Panel" Name="stretched" LayoutOrder="8" XPositionAbs="650" YPositionAbs="200"
                  XSizeAbs="64" YSizeAbs="40">
        <Skin Name="StretchedSkin" LookList="F.Framed"/>
      </SubControl>
      <SubControl Class="Test.Panel" Name="tiled" LayoutOrder="9" XPositionAbs="730" YPositionAbs="200"
                  XSizeAbs="40" YSizeAbs="30">
        <Skin Name="TiledSkin" LookList="F.Tiled"/>
      </SubControl>
      <SubControl Class="Test.Panel" Name="centred" LayoutOrder="10" XPositionAbs="780" YPositionAbs="200"
                  XSizeAbs="40" YSizeAbs="30">
        <Skin Name="CentredSkin" LookList="F.Centred"/>
      </SubControl>
      <SubControl Class="Test.Panel" Name="masked" LayoutOrder="11" XPositionAbs="830" YPositionAbs="200"
                  XSizeAbs="32" YSizeAbs="32">
        <Skin Name="MaskedSkin" LookList="F.Masked"/>
      </SubControl>
    </Skin>
  </SubControl>
</Skin>)";

uint32_t SkinPixel(const char16_t* image, int32_t x, int32_t y)
{
    return KX::LBitmap::GetSharedBitmap(WString(image))->GetPixelColor(x, y).ToARGB();
}

KX::RectT<double> Bounds(KX::LControl& c)
{
    return KX::RectT<double>{c.GetPosition().x, c.GetPosition().y, c.GetSize().x, c.GetSize().y};
}

std::filesystem::path ScreenshotFolder()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return (error ? std::filesystem::current_path() : exe.parent_path().parent_path()) / "screenshots";
}

class TreeFrame : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Under the test skin's application name, so its string tables still apply.
        const std::string document =
            std::string("<Root><Application Name=\"TestApp\">") + kFrameSkin + "</Application></Root>";
        ASSERT_EQ(t.factory->ParseXMLBuffer(document.data(), document.size()), KX::S_OK)
            << Narrow(t.factory->GetLastXMLErrorText()) << " line " << t.factory->GetLastXMLErrorLine();
        ASSERT_EQ(t.factory->GetSkins().GetCount(), 3u);
        ASSERT_EQ(t.factory->SetCurrentSkinIndex(2), KX::S_OK);
    }

    void Draw()
    {
        surface.Begin(0xFF000000);
        KX::RCPtrArray<KX::LControl> unclipped;
        // A top-level control that does not clip to its parent is drawn in the unclipped pass.
        const bool unclippedPass = !t.root->GetLayout()->clipToParent;
        EXPECT_EQ(t.root->Draw(RCPtr<KX::LRenderer>(surface.renderer), surface.All(), unclipped, unclippedPass),
                  KX::S_OK);
    }

    // The ink of a colour other than the background inside a rectangle.
    gdi::RectI InkIn(KX::RectT<int32_t> r, uint32_t background)
    {
        int32_t x0 = INT32_MAX, y0 = INT32_MAX, x1 = -1, y1 = -1;
        for (int32_t y = r.y; y < r.y + r.height; ++y)
            for (int32_t x = r.x; x < r.x + r.width; ++x)
                if (surface.Pixel(x, y) != background)
                    x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
        return x1 < 0 ? gdi::RectI{} : gdi::RectI{x0, y0, x1 - x0 + 1, y1 - y0 + 1};
    }

    Surface surface{1200, 750};
    SkinTree t;
};

} // namespace

TEST_F(TreeFrame, TheTreeIsLaidOutFromTheSkin)
{
    RCPtr<SkinControl> frame = t.Create(u"frame");
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->GetChildren().GetCount(), 11u);
    // Relative sizes against the parent.
    EXPECT_EQ(Bounds(*Child(*frame, u"header")), (KX::RectT<double>{0, 0, 1200, 40}));
    EXPECT_EQ(Bounds(*Child(*frame, u"left")), (KX::RectT<double>{0, 40, 300, 710}));
    // A named sibling's far edge plus 10.
    EXPECT_EQ(Bounds(*Child(*frame, u"right")), (KX::RectT<double>{310, 50, 200, 100}));
    // Centred on (1000, 75): the half-pixel corner (950.5, 50.5) snaps, edges rounded half away from zero.
    EXPECT_EQ(Bounds(*Child(*frame, u"snapped")), (KX::RectT<double>{951, 51, 99, 49}));
    // The minimum widens, the maximum shortens.
    EXPECT_EQ(Bounds(*Child(*frame, u"minmax")), (KX::RectT<double>{650, 50, 60, 80}));
    // Expand: the label widens its control past the 20 the skin gives.
    SkinControl* expander = Child(*frame, u"expander");
    expander->SetText(WString(u"Expanding label"));
    expander->PerformLayout();
    EXPECT_GT(expander->GetSize().x, 80.0);
    EXPECT_EQ(expander->GetSize().y, 40.0);
}

TEST_F(TreeFrame, TheFrameIsDrawnFromTheLooks)
{
    RCPtr<SkinControl> frame = t.Create(u"frame");
    SkinControl* header = Child(*frame, u"header");
    header->SetText(WString(u"Header"));
    SkinControl* expander = Child(*frame, u"expander");
    expander->SetText(WString(u"Expanding label"));
    expander->PerformLayout();
    Draw();

    // Flat looks at their laid-out rectangles.
    EXPECT_EQ(Hex(surface.Pixel(0, 40)), Hex(kBlue));
    EXPECT_EQ(Hex(surface.Pixel(299, 749)), Hex(kBlue));
    EXPECT_EQ(Hex(surface.Pixel(300, 749)), Hex(kBack));
    EXPECT_EQ(Hex(surface.Pixel(310, 50)), Hex(kGreen));
    EXPECT_EQ(Hex(surface.Pixel(309, 50)), Hex(kBack));
    EXPECT_EQ(Hex(surface.Pixel(951, 51)), Hex(kOrange));
    EXPECT_EQ(Hex(surface.Pixel(1049, 99)), Hex(kOrange));
    EXPECT_EQ(Hex(surface.Pixel(1050, 99)), Hex(kBack));
    EXPECT_EQ(Hex(surface.Pixel(950, 51)), Hex(kBack));
    EXPECT_EQ(Hex(surface.Pixel(951, 50)), Hex(kBack));
    EXPECT_EQ(Hex(surface.Pixel(709, 129)), Hex(kGreen));
    EXPECT_EQ(Hex(surface.Pixel(710, 129)), Hex(kBack));
    EXPECT_EQ(Hex(surface.Pixel(709, 130)), Hex(kBack));

    // The header's nine-cell frame: corners kept, edges tiled, the centre stretched.
    EXPECT_EQ(Hex(surface.Pixel(0, 0)), Hex(SkinPixel(u"::skin_frame.png", 0, 0)));
    EXPECT_EQ(Hex(surface.Pixel(1199, 0)), Hex(SkinPixel(u"::skin_frame.png", 23, 0)));
    EXPECT_EQ(Hex(surface.Pixel(8 + 3, 0)), Hex(SkinPixel(u"::skin_frame.png", 8 + 3, 0)));
    EXPECT_EQ(Hex(surface.Pixel(8 + 8 + 3, 0)), Hex(SkinPixel(u"::skin_frame.png", 8 + 3, 0)));
    const uint32_t centre = SkinPixel(u"::skin_frame.png", 12, 12);
    EXPECT_EQ(Hex(surface.Pixel(100, 20)), Hex(centre));
    // Its label centred in the box inset by 8, in the red of the text part.
    const gdi::RectI label = InkIn({8, 8, 1184, 24}, centre);
    EXPECT_GT(label.width, 20);
    EXPECT_NEAR(label.x + label.width / 2.0, 600.0, 3.0);
    EXPECT_NEAR(label.y + label.height / 2.0, 20.0, 4.0);
    EXPECT_GT((surface.Pixel(label.x + label.width / 2, label.y + label.height / 2) >> 16) & 0xFF, 0u);

    // Image parts: the frame centre stretched into a small control, a tiled checker, a
    // centred tinted icon, a masked fill.
    EXPECT_EQ(Hex(surface.Pixel(650, 200)), Hex(SkinPixel(u"::skin_frame.png", 0, 0)));
    EXPECT_EQ(Hex(surface.Pixel(682, 220)), Hex(centre));
    for (int32_t dx : {0, 1, 4, 5, 37})
        EXPECT_EQ(Hex(surface.Pixel(730 + dx, 201)), Hex(SkinPixel(u"::skin_tile.png", dx % 4, 1))) << dx;
    EXPECT_EQ(Hex(surface.Pixel(781, 201)), Hex(kBack)); // outside the centred icon
    EXPECT_NE(Hex(surface.Pixel(800, 215)), Hex(kBack));
    EXPECT_GT((surface.Pixel(800, 215) >> 16) & 0xFF, (surface.Pixel(800, 215) >> 8) & 0xFF); // red tint
    EXPECT_EQ(Hex(surface.Pixel(832, 215)), Hex(0xFFFF0000));                                 // mask opaque on the left
    EXPECT_EQ(Hex(surface.Pixel(860, 215)), Hex(kBack));                                      // clear on the right
    // Docked bar and its content inside the scroller.
    EXPECT_EQ(Hex(surface.Pixel(310, 200)), Hex(kBlue));
    EXPECT_EQ(Hex(surface.Pixel(330, 260)), Hex(kGreen));
    // The expanded label is drawn whole inside its widened frame.
    const KX::RectT<double> e = Bounds(*expander);
    EXPECT_EQ(Hex(surface.Pixel(int32_t(e.x + e.width) - 1, 50)), Hex(SkinPixel(u"::skin_frame.png", 23, 0)));
    surface.End();

    // The look the conditions select: the hover look replaces the normal one.
    Child(*frame, u"left")->ShowLook(1, 1);
    // Scrolling moves the content but not the docked bar.
    SkinControl* scroller = Child(*frame, u"scroller");
    scroller->SetScrollOffset({0, 30});
    Draw();
    EXPECT_EQ(Hex(surface.Pixel(0, 40)), Hex(kYellow));
    // The docked bar is laid out against the scroll offset, so it stays at the scroller's top.
    EXPECT_EQ(Child(*scroller, u"bar")->GetPosition().y - scroller->GetScrollOffset().y, 0.0);
    EXPECT_EQ(Child(*scroller, u"content")->GetPosition().y, 60.0);
    EXPECT_EQ(Hex(surface.Pixel(330, 260 - 30)), Hex(kGreen));
    EXPECT_EQ(Hex(surface.Pixel(330, 300 - 30)), Hex(kOrange));
    // The bar is drawn where it is laid out, at the scroller's top: the scroll offset moves the
    // children's origin, not the clip.
    EXPECT_EQ(Hex(surface.Pixel(310, 200)), Hex(kBlue));
    EXPECT_EQ(Hex(surface.Pixel(609, 219)), Hex(kBlue));
    EXPECT_EQ(Hex(surface.Pixel(310, 220)), Hex(kOrange));

    std::vector<uint8_t> png;
    ASSERT_EQ(surface.Bitmap().EncodePng(png), gdi::Status::Ok);
    surface.End();
    const std::filesystem::path folder = ScreenshotFolder();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::ofstream file(folder / "ui_tree_frame.png", std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    EXPECT_TRUE(file.good());
}

TEST_F(TreeFrame, TheTestSkinsMainControlIsDrawnWithItsLabel)
{
    ASSERT_EQ(t.factory->SetCurrentSkinIndex(0), KX::S_OK);
    RCPtr<SkinControl> main = t.Create(u"mainControl");
    Draw();
    EXPECT_EQ(Hex(surface.Pixel(0, 0)), Hex(SkinPixel(u"::skin_frame.png", 0, 0)));
    const uint32_t centre = SkinPixel(u"::skin_frame.png", 12, 12);
    const gdi::RectI label = InkIn({8, 8, 1184, 734}, centre);
    // "Main" from the string table, centred in the frame (the visible children lie elsewhere).
    EXPECT_GT(label.width, 10);
    EXPECT_NEAR(label.x + label.width / 2.0, 600.0, 3.0);
    EXPECT_NEAR(label.y + label.height / 2.0, 375.0, 4.0);
    surface.End();
}
