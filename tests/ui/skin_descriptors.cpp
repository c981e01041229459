// Skin descriptors: sizes, look lists, copies that share, colorizers and the null objects.
#include "kx/ui/DescriptorCreation.h"

#include <gtest/gtest.h>

using KX::ConstRCPtr;
using KX::RCPtr;
using KX::WString;

namespace {

RCPtr<KX::LColorizer> White()
{
    const float white[4] = {1, 1, 1, 1};
    const float end[4] = {0.5f, 0.5f, 0.5f, 0.5f};
    RCPtr<KX::LColorizer> colorizer;
    return KX::CreateColorizer(colorizer, WString(u"White"), KX::LColorizer::kSolidFill, white, end, 1, 2, 3, 4);
}

TEST(SkinDescriptors, PartSizeComesFromTheImageRegion)
{
    const KX::ImageRegion image{WString(u"::ce.png"), 4, 5, 18, 17};
    RCPtr<KX::LVisualPartDescriptor> part;
    KX::CreateImagePartDescriptor(part, WString(u"CE"), image, KX::LVisualPartDescriptor::kResizeTile, nullptr, 1.0f,
                                  KX::ImageRegion());
    ASSERT_TRUE(part);
    EXPECT_EQ(part->GetWidth(), 18);
    EXPECT_EQ(part->GetHeight(), 17);
    EXPECT_TRUE(part->HasImage());

    KX::LVisualPartDescriptor direct(WString(u"D"), image, 0, nullptr, 99, 98, 1.0f, KX::ImageRegion());
    EXPECT_EQ(direct.GetWidth(), 18);
    EXPECT_EQ(direct.GetHeight(), 17);

    KX::CreateVisualPartDescriptor(part, WString(u"Fill"), White(), 30, 40, 0, 0.5f, KX::ImageRegion());
    ASSERT_TRUE(part);
    EXPECT_EQ(part->GetWidth(), 30);
    EXPECT_EQ(part->GetHeight(), 40);
    EXPECT_FALSE(part->HasImage());
    EXPECT_FLOAT_EQ(part->GetAlphaModifier(), 0.5f);

    // Neither an image nor a fill: nothing.
    KX::CreateImagePartDescriptor(part, WString(u"X"), KX::ImageRegion(), 0, White(), 1.0f, KX::ImageRegion());
    EXPECT_FALSE(part);
    KX::CreateVisualPartDescriptor(part, WString(u"Y"), nullptr, 1, 1, 0, 1.0f, KX::ImageRegion());
    EXPECT_FALSE(part);
}

TEST(SkinDescriptors, LookListEntriesStayNullUntilFilled)
{
    RCPtr<KX::LookList> list;
    ASSERT_TRUE(KX::CreateLookList(list, 3));
    RCPtr<KX::LLookDescriptor> look;
    KX::CreateLookDescriptor(look, WString(u"Normal"));
    list->ElementAt(1) = look;
    EXPECT_FALSE(list->ElementAt(0));
    EXPECT_EQ(list->ElementAt(1).Get(), look.Get());
    EXPECT_FALSE(list->ElementAt(2));

    // A negative or absurd count makes no list at all.
    EXPECT_FALSE(KX::CreateLookList(list, -1));
    EXPECT_FALSE(KX::CreateLookList(list, 0x7FFFFFFF));
    EXPECT_TRUE(KX::CreateLookList(list, 0));
}

TEST(SkinDescriptors, CopySharesChildrenButNotTheChildrenArray)
{
    RCPtr<KX::LControlDescriptor> root;
    KX::CreateControlDescriptor(root, WString(u"Application"), WString(u"PresetEditor"), nullptr);
    RCPtr<KX::LControlDescriptor> panel;
    KX::CreateControlDescriptor(panel, WString(u"Framework.Panel"), WString(u"panel"), root);
    EXPECT_EQ(panel->GetParent(), root.Get());
    EXPECT_EQ(panel->GetRefCount(), 1); // the parent link holds no reference
    EXPECT_EQ(root->GetRefCount(), 1);
    RCPtr<KX::LControlDescriptor> label;
    KX::CreateControlDescriptor(label, WString(u"Framework.Label"), WString(u"label"), panel);
    EXPECT_EQ(panel->AddChild(label), 0);

    RCPtr<KX::LSkinDescriptor> skin;
    KX::CreateSkinDescriptor(skin, WString(u"panel"));
    panel->SetSkin(skin);
    RCPtr<KX::LStringTable> params(new KX::LStringTable());
    panel->SetCreateParams(params);

    RCPtr<KX::LControlDescriptor> copy;
    ASSERT_EQ(panel->Copy(copy), KX::S_OK);
    copy->SetName(WString(u"generated"));
    EXPECT_TRUE(panel->GetName().Equals(u"panel"));
    EXPECT_EQ(copy->GetParent(), root.Get());
    EXPECT_EQ(copy->GetSkin().Get(), skin.Get());
    EXPECT_EQ(copy->GetCreateParams().Get(), params.Get());
    ASSERT_EQ(copy->GetChildren().GetCount(), 1u);

    RCPtr<KX::LControlDescriptor> button;
    KX::CreateControlDescriptor(button, WString(u"Framework.Button"), WString(u"ok"), panel);
    EXPECT_EQ(panel->AddChild(button), 1);
    EXPECT_EQ(copy->GetChildren().GetCount(), 1u);

    // A change inside a shared child shows through both.
    RCPtr<KX::LControlDescriptor> shared(new KX::LControlDescriptor(WString(u"C"), WString(u"s"), panel));
    panel->GetChildren().ElementAt(0) = shared;
    RCPtr<KX::LControlDescriptor> copy2;
    panel->Copy(copy2);
    shared->SetName(WString(u"renamed"));
    EXPECT_TRUE(copy2->GetChildren().ElementAt(0)->GetName().Equals(u"renamed"));
}

TEST(SkinDescriptors, SolidFillHasAnAllZeroEndColour)
{
    const RCPtr<KX::LColorizer> solid = White();
    EXPECT_TRUE(solid->GetName().Equals(u"White"));
    EXPECT_EQ(solid->GetEndColor(), KX::LColor());
    EXPECT_EQ(solid->GetColor(), KX::LColor(1, 1, 1, 1));

    const float from[4] = {1, 0, 0, 1};
    const float to[4] = {0, 0, 1, 1};
    RCPtr<KX::LColorizer> gradient;
    KX::CreateColorizer(gradient, WString(u"G"), KX::LColorizer::kLinearGradient, from, to, 0, 0, 0, 1);
    EXPECT_EQ(gradient->GetEndColor(), KX::LColor(0, 0, 1, 1));
    EXPECT_FLOAT_EQ(gradient->GetGradientEndY(), 1.0f);
}

TEST(SkinDescriptors, LooksHoldPartsAndTextProperties)
{
    RCPtr<KX::LVisualPartDescriptor> part;
    KX::CreateVisualPartDescriptor(part, WString(u"Fill"), White(), 8, 8, 0, 1.0f, KX::ImageRegion());
    RCPtr<KX::LLookDescriptor> look;
    KX::CreateLookDescriptor(look, WString(u"Normal"));
    EXPECT_FALSE(look->HasTextProperties());
    EXPECT_EQ(look->GetTextProperties().leftAbs, 0);

    KX::DockSpec edge;
    edge.givenEdges = KX::DockSpec::kTop | KX::DockSpec::kRight;
    edge.hasWidth = true;
    edge.width = 8;
    RCPtr<KX::LDockedPart> docked;
    KX::CreateDockedPart(docked, part, edge);
    look->GetNonClientParts().AddItem(docked);
    KX::DockSpec client;
    client.givenEdges = KX::DockSpec::kAllEdges;
    RCPtr<KX::LDockedPart> clientPart;
    look->SetClientPart(KX::CreateDockedPart(clientPart, part, client));

    KX::LookTextProperties text;
    text.hAlign = 0.5f;
    text.rightAbs = -4;
    look->SetTextProperties(text, part);
    EXPECT_TRUE(look->HasTextProperties());
    EXPECT_EQ(look->GetTextProperties().rightAbs, -4);
    EXPECT_EQ(look->GetTextForegroundPart().Get(), part.Get());
    EXPECT_EQ(look->GetNonClientParts().ElementAt(0)->GetDock().givenEdges, 6u);
    EXPECT_EQ(look->GetClientPart()->GetPart().Get(), part.Get());
    // Every holder sees the one part object.
    EXPECT_EQ(part->GetRefCount(), 4); // local, two docked parts, text foreground
}

TEST(SkinDescriptors, NullObjectsAndDefaults)
{
    EXPECT_FALSE(KX::LControlDescriptor::Null());
    EXPECT_FALSE(KX::LSkinDescriptor::Null());
    EXPECT_FALSE(KX::LLookDescriptor::Null());
    EXPECT_FALSE(KX::LVisualPartDescriptor::Null());

    KX::LSkinDescriptor skin(WString(u"Skin1"));
    EXPECT_EQ(skin.GetFontStyle(), -1);
    EXPECT_FLOAT_EQ(skin.GetFontSize(), 0.0f);
    EXPECT_FALSE(skin.GetFontSizeIsRelative());
    EXPECT_FALSE(skin.GetLookList());

    KX::LControlDescriptor descriptor(WString(u"Application"), WString(u"App"), nullptr);
    EXPECT_FALSE(descriptor.GetLayout());
    EXPECT_EQ(descriptor.GetCreateFunction(), nullptr);
    EXPECT_FALSE(descriptor.GetSkin());
}

} // namespace
