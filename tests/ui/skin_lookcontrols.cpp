// Looks of the test skin inside a control tree: the control draws its visible look (edges,
// client area, label), switching the shown look changes the drawing, and hit-testing goes
// through where the look shows nothing.
#include "LookTestUtil.h"
#include "SkinLoad.h"
#include "UiTestControls.h"

#include <algorithm>
#include <vector>

using namespace uitest;
using KX::LLook;
using rendertest::Hex;

namespace {

constexpr uint32_t kBlack = 0xFF000000;

uint32_t SkinPixel(const char16_t* image, int32_t x, int32_t y)
{
    return KX::LBitmap::GetSharedBitmap(WString(image))->GetPixelColor(x, y).ToARGB();
}

class SkinLooksInATree : public ::testing::Test {
protected:
    // A control at (20, 20) of 64 x 40 with a look per name of the test skin, the first shown.
    RCPtr<TestControl> Panel(std::initializer_list<const char16_t*> lookNames)
    {
        RCPtr<TestControl> panel = Make(tree.root, u"panel", 20, 20, 64, 40);
        for (const char16_t* name : lookNames) {
            const ConstRCPtr<KX::LLookDescriptor> description = factory->FindLook(WString(name));
            EXPECT_TRUE(description) << KXTest::Narrow(WString(name));
            RCPtr<LLook> look = LLook::Create(description, false);
            look->SetSize(64, 40);
            look->SetFont(KX::LFont::GetFont(WString(u"DejaVu Sans"), 9.0f, 0));
            looks.push_back(look);
            panel->AddLook(RCPtr<KX::IControlLook>(look));
        }
        panel->ShowLook(0, 1);
        return panel;
    }

    void DrawFrame()
    {
        surface.Begin(kBlack);
        KX::RCPtrArray<KX::LControl> unclipped;
        EXPECT_EQ(tree.root->Draw(RCPtr<KX::LRenderer>(surface.renderer), surface.All(), unclipped, false), KX::S_OK);
    }

    RCPtr<KX::LControlFactory> factory = KXTest::LoadTestSkin();
    Tree tree;
    Surface surface{120, 80};
    std::vector<RCPtr<LLook>> looks;
};

} // namespace

TEST_F(SkinLooksInATree, TheShownLookIsDrawnWithItsEdgesClientAndLabel)
{
    RCPtr<TestControl> panel = Panel({u"Framed", u"Plain"});
    looks[0]->SetText(WString(u"Hi"));
    looks[1]->SetText(WString(u"Hi")); // no text box: its text properties lack TextVAlign
    DrawFrame();
    // Framed: corner and top edge from the frame image, the centre cell stretched inside.
    EXPECT_EQ(Hex(surface.Pixel(20, 20)), Hex(SkinPixel(u"::skin_frame.png", 0, 0)));
    EXPECT_EQ(Hex(surface.Pixel(83, 20)), Hex(SkinPixel(u"::skin_frame.png", 23, 0)));
    EXPECT_EQ(Hex(surface.Pixel(20 + 12, 20)), Hex(SkinPixel(u"::skin_frame.png", 12, 0)));
    EXPECT_EQ(Hex(surface.Pixel(19, 20)), Hex(kBlack));
    // The label, centred in the box inset by 8, in the red of its foreground part.
    const uint32_t centre = SkinPixel(u"::skin_frame.png", 12, 12);
    gdi::RectI label{};
    {
        int32_t x0 = 999, x1 = -1;
        for (int32_t y = 28; y < 52; ++y)
            for (int32_t x = 28; x < 76; ++x)
                if (surface.Pixel(x, y) != centre && ((surface.Pixel(x, y) >> 16) & 0xFF) > 0x80)
                    x0 = std::min(x0, x), x1 = std::max(x1, x);
        label = gdi::RectI{x0, 0, x1 - x0 + 1, 0};
    }
    EXPECT_GT(label.width, 5);
    EXPECT_NEAR(label.x + label.width / 2.0, 52.0, 3.0);
    surface.End();

    // Plain: the first "White" wins; nothing but the fill.
    panel->ShowLook(1, 1);
    DrawFrame();
    EXPECT_EQ(Hex(surface.Pixel(20, 20)), Hex(0xFFFFFFFF));
    EXPECT_EQ(Hex(surface.Pixel(83, 59)), Hex(0xFFFFFFFF));
    EXPECT_EQ(rendertest::InkBounds(surface.Bitmap(), kBlack), (gdi::RectI{20, 20, 64, 40}));
    EXPECT_EQ(rendertest::InkBounds(surface.Bitmap(), 0xFFFFFFFF), (gdi::RectI{0, 0, 120, 80}));
    surface.End();
}

TEST_F(SkinLooksInATree, HitTestsPassThroughWhereTheLookShowsNothing)
{
    RCPtr<TestControl> panel = Panel({u"MaskedLook"});
    DrawFrame();
    // The mask's left half is opaque: red there, background where it is clear.
    EXPECT_EQ(Hex(surface.Pixel(25, 40)), Hex(0xFFFF0000));
    EXPECT_EQ(Hex(surface.Pixel(80, 40)), Hex(kBlack));
    surface.End();

    EXPECT_EQ(tree.window->HitTest({25, 40}, true, false).Get(), panel.Get());
    EXPECT_NE(tree.window->HitTest({80, 40}, true, false).Get(), panel.Get());
    EXPECT_NE(tree.window->HitTest({90, 40}, true, false).Get(), panel.Get());
}

TEST_F(SkinLooksInATree, TheLayoutMeasuresTheLabelThroughTheLook)
{
    RCPtr<TestControl> panel = Panel({u"Framed", u"Tiled"});
    KX::ILookLabel* label = looks[0]->GetLabel();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(looks[1]->GetLabel(), nullptr);
    EXPECT_EQ(&label->GetDescriptor(), factory->FindLook(WString(u"Framed")).Get());
    looks[0]->SetText(WString(u"two words"));
    EXPECT_GT(label->GetTextWidth(), 20);
    const int32_t oneLine = label->GetHeightForWidth(1000);
    EXPECT_TRUE(label->SetWordWrap(true));
    EXPECT_TRUE(label->GetWordWrap());
    EXPECT_EQ(label->GetHeightForWidth(10), 2 * oneLine);
    KX::RectT<double> client;
    EXPECT_TRUE(looks[1]->GetClientPartRect(client));
    EXPECT_EQ(client, (KX::RectT<double>{0, 0, 64, 40}));

    // The control's setters reach the look through what the control holds.
    KX::IControlLook& held = *panel->GetLookAt(0);
    EXPECT_TRUE(held.SetSize(100, 50));
    EXPECT_EQ(held.GetRect(), (KX::RectT<int32_t>{0, 0, 100, 50}));
    EXPECT_TRUE(held.GetClientPartRect(client));
    EXPECT_EQ(client, (KX::RectT<double>{8, 8, 84, 34}));
    EXPECT_EQ(held.SetText(WString(u"two words")), KX::S_OK);
    EXPECT_EQ(held.SetText(WString(u"other")), KX::S_FALSE);
    EXPECT_EQ(held.SetFont(nullptr), KX::S_FALSE);
}
