// The skin's appearance definitions: colorizers, parts, looks and look lists, with their
// incomplete, repeated and out-of-range forms.
#include "SkinLoad.h"

#include <gtest/gtest.h>

using KX::ConstRCPtr;
using KX::LColor;
using KX::RCPtr;
using KX::WString;
using KXTest::Narrow;

namespace {

uint32_t ARGB(const LColor& color)
{
    return color.ToARGB();
}

} // namespace

TEST(SkinAppearance, Colorizers)
{
    const auto factory = KXTest::LoadTestSkin();
    // The first definition of a name stays; a colour without alpha digits is transparent.
    ASSERT_TRUE(factory->FindColorizer(WString(u"White")));
    EXPECT_EQ(ARGB(factory->FindColorizer(WString(u"White"))->GetColor()), 0xFFFFFFFFu);
    EXPECT_EQ(ARGB(factory->FindColorizer(WString(u"Red"))->GetColor()), 0xFFFF0000u);
    EXPECT_EQ(ARGB(factory->FindColorizer(WString(u"SixDigits"))->GetColor()), 0x0000FF00u);
    EXPECT_FALSE(factory->FindColorizer(WString(u"NoColor")));

    const ConstRCPtr<KX::LColorizer> fade = factory->FindColorizer(WString(u"Fade"));
    ASSERT_TRUE(fade);
    EXPECT_EQ(fade->GetType(), KX::LColorizer::kLinearGradient);
    EXPECT_EQ(ARGB(fade->GetEndColor()), 0xFFFFFFFFu);
    EXPECT_FLOAT_EQ(fade->GetGradientEndX(), 1.0f);
    EXPECT_FLOAT_EQ(fade->GetGradientEndY(), 0.5f);

    // A gradient without its last point falls back to a solid fill; the points read stay.
    const ConstRCPtr<KX::LColorizer> halfway = factory->FindColorizer(WString(u"Halfway"));
    ASSERT_TRUE(halfway);
    EXPECT_EQ(halfway->GetType(), KX::LColorizer::kSolidFill);
    EXPECT_EQ(ARGB(halfway->GetEndColor()), 0u);
    EXPECT_FLOAT_EQ(halfway->GetGradientStartX(), 0.25f);
    EXPECT_FLOAT_EQ(halfway->GetGradientStartY(), 0.5f);
    EXPECT_FLOAT_EQ(halfway->GetGradientEndX(), 1.0f);
    EXPECT_FLOAT_EQ(halfway->GetGradientEndY(), 0.0f);
    EXPECT_EQ(factory->FindColorizer(WString(u"Glow"))->GetType(), KX::LColorizer::kRadialGradient);
}

TEST(SkinAppearance, Parts)
{
    const auto factory = KXTest::LoadTestSkin();
    const ConstRCPtr<KX::LVisualPartDescriptor> tr = factory->FindPart(WString(u"FrameTR"));
    ASSERT_TRUE(tr);
    EXPECT_EQ(Narrow(tr->GetImage().path), "::skin_frame.png");
    EXPECT_EQ(tr->GetImage().x, 16);
    EXPECT_EQ(tr->GetWidth(), 8);
    EXPECT_EQ(tr->GetResizeType(), KX::LVisualPartDescriptor::kResizeStretch);
    EXPECT_EQ(factory->FindPart(WString(u"FrameTop"))->GetResizeType(), KX::LVisualPartDescriptor::kResizeTile);

    const ConstRCPtr<KX::LVisualPartDescriptor> icon = factory->FindPart(WString(u"Icon"));
    EXPECT_EQ(icon->GetResizeType(), KX::LVisualPartDescriptor::kResizeCenter);
    EXPECT_EQ(icon->GetColorizer().Get(), factory->FindColorizer(WString(u"Red")).Get());
    EXPECT_FLOAT_EQ(icon->GetAlphaModifier(), 0.5f);
    EXPECT_TRUE(icon->GetMask().IsEmpty());

    // A mask keeps its file name as written; a fill has no image and the size given.
    const ConstRCPtr<KX::LVisualPartDescriptor> masked = factory->FindPart(WString(u"Masked"));
    ASSERT_TRUE(masked);
    EXPECT_FALSE(masked->HasImage());
    EXPECT_EQ(Narrow(masked->GetMask().path), "::skin_mask.png");
    EXPECT_EQ(masked->GetMask().width, 16);

    const ConstRCPtr<KX::LVisualPartDescriptor> fill = factory->FindPart(WString(u"WhiteFill"));
    EXPECT_EQ(fill->GetWidth(), 10); // the first of two definitions
    EXPECT_EQ(fill->GetHeight(), 12);
    EXPECT_FLOAT_EQ(fill->GetAlphaModifier(), 1.0f);
    EXPECT_EQ(factory->FindPart(WString(u"Gradient"))->GetResizeType(), KX::LVisualPartDescriptor::kResizeStretch);

    // Neither image nor colorizer: not registered.
    EXPECT_FALSE(factory->FindPart(WString(u"NoColorizer")));
    EXPECT_FALSE(factory->FindPart(WString(u"NoImageLoc")));
}

TEST(SkinAppearance, Looks)
{
    const auto factory = KXTest::LoadTestSkin();
    const ConstRCPtr<KX::LLookDescriptor> framed = factory->FindLook(WString(u"Framed"));
    ASSERT_TRUE(framed);
    // The second "Framed" filled an unregistered look: the first keeps its frame.
    ASSERT_TRUE(framed->GetClientPart());
    EXPECT_EQ(Narrow(framed->GetClientPart()->GetPart()->GetName()), "FrameCentre");
    const KX::DockSpec& client = framed->GetClientPart()->GetDock();
    EXPECT_EQ(client.givenEdges, KX::DockSpec::kAllEdges);
    EXPECT_EQ(client.right, -8);
    EXPECT_FALSE(client.hasWidth);

    // Unknown parts are skipped; document order is kept.
    const auto& edges = framed->GetNonClientParts();
    ASSERT_EQ(edges.GetCount(), 4u);
    EXPECT_EQ(Narrow(edges.ElementAt(0)->GetPart()->GetName()), "FrameTL");
    const KX::DockSpec& tr = edges.ElementAt(2)->GetDock();
    EXPECT_EQ(tr.givenEdges, KX::DockSpec::kTop | KX::DockSpec::kRight);
    EXPECT_TRUE(tr.hasWidth);
    EXPECT_EQ(tr.width, 8);
    EXPECT_FALSE(tr.hasHeight);
    const KX::DockSpec& top = edges.ElementAt(1)->GetDock();
    EXPECT_EQ(top.givenEdges, KX::DockSpec::kLeft | KX::DockSpec::kTop | KX::DockSpec::kRight);
    EXPECT_FALSE(top.hasWidth);
    EXPECT_EQ(top.height, 8);

    ASSERT_TRUE(framed->HasTextProperties());
    EXPECT_EQ(framed->GetTextProperties().rightAbs, -8);
    EXPECT_FLOAT_EQ(framed->GetTextProperties().vAlign, 0.5f);
    EXPECT_EQ(Narrow(framed->GetTextForegroundPart()->GetName()), "TextInk");

    // TextProperties without TextVAlign, ClientPart without OffsetBottom: ignored.
    EXPECT_FALSE(factory->FindLook(WString(u"Plain"))->HasTextProperties());
    const ConstRCPtr<KX::LLookDescriptor> tiled = factory->FindLook(WString(u"Tiled"));
    ASSERT_TRUE(tiled->GetClientPart());
    EXPECT_EQ(tiled->GetClientPart()->GetDock().bottom, 0);
    EXPECT_FALSE(factory->FindLook(WString(u"Bare"))->GetClientPart());
}

TEST(SkinAppearance, LookLists)
{
    const auto factory = KXTest::LoadTestSkin();
    const ConstRCPtr<KX::LookList> buttons = factory->FindLookList(WString(u"ButtonLooks"));
    ASSERT_TRUE(buttons);
    // The second "ButtonLooks" neither replaced the list nor wrote its entries; indexes outside
    // the list and unknown looks are ignored.
    ASSERT_EQ(buttons->GetCount(), 4u);
    EXPECT_EQ(Narrow(buttons->ElementAt(0)->GetName()), "Plain");
    EXPECT_EQ(Narrow(buttons->ElementAt(1)->GetName()), "Framed");
    EXPECT_FALSE(buttons->ElementAt(2));
    EXPECT_EQ(Narrow(buttons->ElementAt(3)->GetName()), "Centred");

    EXPECT_EQ(factory->FindLookList(WString(u"PanelLooks"))->GetCount(), 2u);
    EXPECT_FALSE(factory->FindLookList(WString(u"Negative")));

    const ConstRCPtr<KX::LookList> sparse = factory->FindLookList(WString(u"Sparse"));
    ASSERT_EQ(sparse->GetCount(), 14u);
    for (uint32_t i = 4; i < 14; ++i)
        EXPECT_FALSE(sparse->ElementAt(i)) << i;
}

TEST(SkinAppearance, LookListsAttachToTheirSkins)
{
    const auto factory = KXTest::LoadTestSkin();
    const ConstRCPtr<KX::LControlDescriptor> main = factory->FindControlDescriptor(WString(u"mainControl"));
    ASSERT_TRUE(main);
    EXPECT_EQ(main->GetSkin()->GetLookList().Get(), factory->FindLookList(WString(u"PanelLooks")).Get());
    // A list name that is not registered leaves the skin without looks.
    const ConstRCPtr<KX::LControlDescriptor> dialog = factory->FindControlDescriptor(WString(u"dialog"));
    EXPECT_FALSE(dialog->GetSkin()->GetLookList());
}

TEST(SkinAppearance, ElementsWithoutTheirContextAreIgnored)
{
    RCPtr<KX::LControlFactory> factory(new KX::LControlFactory(WString()));
    const std::string document = KXTest::SkinDocument(
        "<ClientPart Name=\"P\" OffsetLeft=\"0\" OffsetTop=\"0\" OffsetRight=\"0\" OffsetBottom=\"0\"/>"
        "<NonClientPart Name=\"P\"/><TextProperties/><Look Name=\"Entry\" Index=\"0\"/>"
        "<Colorizers><Colorizer Name=\"C\" ColorType=\"SolidFill\" Color=\"0xFF102030\"/></Colorizers>"
        "<Parts><Part Name=\"P\" Width=\"2\" Height=\"2\" ResizeType=\"Tile\" ColorizerName=\"C\"/></Parts>"
        "<LookLists><LookList Name=\"L\" NumLooks=\"2\"><Look Name=\"Later\" Index=\"0\"/></LookList></LookLists>"
        "<Looks><Look Name=\"Later\"/></Looks>");
    ASSERT_EQ(factory->ParseXMLBuffer(document.data(), document.size()), KX::S_OK);
    EXPECT_TRUE(factory->FindPart(WString(u"P")));
    EXPECT_TRUE(factory->FindLook(WString(u"Later")));
    // The look was defined after the list named it: the entry stays null.
    EXPECT_FALSE(factory->FindLookList(WString(u"L"))->ElementAt(0));
}
