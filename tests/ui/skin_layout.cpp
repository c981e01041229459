// The layout attributes of SubControls as the skin reader fills their layout descriptors, and
// the LayoutOrder of siblings.
#include "SkinLoad.h"
#include "kx/ui/LayoutDescriptor.h"

#include <gtest/gtest.h>

#include <string>

using KX::ConstRCPtr;
using KX::LLayoutDescriptor;
using KX::WString;
using KXTest::Narrow;

namespace {

const LLayoutDescriptor& Layout(const ConstRCPtr<KX::LControlDescriptor>& descriptor)
{
    return *descriptor->GetLayout();
}

} // namespace

TEST(SkinLayout, TopLevelControls)
{
    const auto factory = KXTest::LoadTestSkin();
    const ConstRCPtr<KX::LControlDescriptor> main = factory->FindControlDescriptor(WString(u"mainControl"));
    const LLayoutDescriptor& l = Layout(main);
    // "true" is not "True"; TabStop and IsVisible of a top-level control are ignored.
    EXPECT_FALSE(l.clipToParent);
    EXPECT_EQ(l.tabStop, 0);
    EXPECT_TRUE(l.visible);
    EXPECT_EQ(l.zOrder, 2);
    EXPECT_EQ(l.layoutOrder, 10); // 0x0A
    EXPECT_EQ(Narrow(l.textDecoration), "Underline");
    EXPECT_EQ(l.Size(0).absolute, 1200.0);
    EXPECT_EQ(l.Size(1).absolute, 750.0);
    EXPECT_EQ(l.Size(0).kind, KX::kSizeToSelf);

    // Defaults: client positions, own size of 16 by 40, no limits, nothing docked.
    const LLayoutDescriptor& dialog = Layout(factory->FindControlDescriptor(WString(u"dialog")));
    EXPECT_TRUE(dialog.clipToParent);
    EXPECT_EQ(dialog.Position(0).kind, KX::kPositionToClient);
    EXPECT_EQ(dialog.Size(0).absolute, 16.0);
    EXPECT_EQ(dialog.Size(1).absolute, 40.0);
    EXPECT_EQ(dialog.MinSize(0).toControl, 0);
    EXPECT_FALSE(dialog.IsXDocked());
    EXPECT_EQ(dialog.textOverflowX, KX::kTextOverflowClip);
}

TEST(SkinLayout, NestedControlsAndSiblingOrder)
{
    const auto factory = KXTest::LoadTestSkin();
    const ConstRCPtr<KX::LControlDescriptor> main = factory->FindControlDescriptor(WString(u"mainControl"));
    // Written C (3), A (1), B (2): stored by LayoutOrder.
    const auto& children = main->GetChildren();
    ASSERT_EQ(children.GetCount(), 3u);
    EXPECT_EQ(Narrow(children.ElementAt(0)->GetName()), "buttonA");
    EXPECT_EQ(Narrow(children.ElementAt(1)->GetName()), "labelB");
    EXPECT_EQ(Narrow(children.ElementAt(2)->GetName()), "buttonC");

    const LLayoutDescriptor& c = Layout(children.ElementAt(2));
    EXPECT_EQ(c.tabStop, 3);
    EXPECT_FALSE(c.visible);
    EXPECT_TRUE(c.clipToParent);
    EXPECT_TRUE(c.IsXDocked());
    EXPECT_FALSE(c.IsYDocked());
    EXPECT_FLOAT_EQ(c.Position(0).anchor, 0.5f);
    EXPECT_FLOAT_EQ(c.Position(1).anchor, 1.0f);
    // "Parent" and "Screen" are one mode; whole-number distances drop their fractions.
    EXPECT_EQ(c.Position(0).kind, KX::kPositionToParent);
    EXPECT_EQ(c.Position(1).kind, KX::kPositionToParent);
    EXPECT_FLOAT_EQ(c.Position(0).relative, 0.5f);
    EXPECT_EQ(c.Position(0).absolute, 2.0);
    EXPECT_EQ(c.Position(1).absolute, -4.0);
    EXPECT_EQ(c.Size(0).kind, KX::kSizeToClient);
    EXPECT_EQ(c.Size(1).kind, KX::kSizeToClient);
    EXPECT_EQ(c.Size(0).absolute, 12.0);
    EXPECT_EQ(c.Size(1).absolute, 40.0);
    EXPECT_FLOAT_EQ(c.Size(1).relative, 0.125f);
    // Limits: "Self" clears the flag; any other word is a name, "Children" included.
    EXPECT_EQ(c.MinSize(0).toControl, 0);
    EXPECT_EQ(c.MinSize(0).absolute, 10.0);
    EXPECT_FLOAT_EQ(c.MinSize(0).relative, 0.1f);
    EXPECT_EQ(c.MinSize(1).toControl, 1);
    EXPECT_EQ(Narrow(c.MinSize(1).controlName), "Children");
    EXPECT_EQ(c.MaxSize(0).toControl, 1);
    EXPECT_EQ(Narrow(c.MaxSize(0).controlName), "mainControl");
    EXPECT_EQ(c.MaxSize(0).absolute, 500.0);
    EXPECT_EQ(c.MaxSize(1).toControl, 0);
    EXPECT_FLOAT_EQ(c.MaxSize(1).relative, 0.8f);
    // Text wraps across, never down.
    EXPECT_EQ(c.textOverflowX, KX::kTextOverflowWrap);
    EXPECT_EQ(c.textOverflowY, KX::kTextOverflowClip);

    const LLayoutDescriptor& a = Layout(children.ElementAt(0));
    EXPECT_EQ(a.Position(0).kind, KX::kPositionToControl);
    EXPECT_EQ(Narrow(a.Position(0).controlName), "buttonC");
    EXPECT_EQ(a.Position(1).kind, KX::kPositionToClient);
    EXPECT_EQ(a.Size(0).kind, KX::kSizeToControl);
    EXPECT_EQ(Narrow(a.Size(0).controlName), "buttonC");
    EXPECT_EQ(a.Size(1).kind, KX::kSizeToParent);
    EXPECT_EQ(a.textOverflowX, KX::kTextOverflowExpand);
    EXPECT_EQ(a.textOverflowY, KX::kTextOverflowExpand);

    const LLayoutDescriptor& b = Layout(children.ElementAt(1));
    EXPECT_EQ(b.Position(1).kind, KX::kPositionToClient); // "Active Window"
    EXPECT_EQ(b.Size(0).kind, KX::kSizeToParent);         // "Screen"
    // The nested label under labelB keeps every default.
    const LLayoutDescriptor& inner = Layout(children.ElementAt(1)->GetChildren().ElementAt(0));
    EXPECT_EQ(inner.Size(0).kind, KX::kSizeToSelf);
    EXPECT_TRUE(inner.visible);
}

TEST(SkinLayout, IntegerOrHexSpellings)
{
    const std::string document = KXTest::SkinDocument(
        "<Skin Name=\"S\"><SubControl Class=\"P\" Name=\"p\"><Skin Name=\"k\">"
        "<SubControl Class=\"C\" Name=\"upper\" LayoutOrder=\"0X0A\" Z_Order=\"0x05\" TabStop=\" 7\"/>"
        "<SubControl Class=\"C\" Name=\"lower\" LayoutOrder=\"0x0a\" Z_Order=\"-3\" TabStop=\"x\"/>"
        "</Skin></SubControl></Skin>");
    KX::RCPtr<KX::LControlFactory> factory(new KX::LControlFactory(WString()));
    ASSERT_EQ(factory->ParseXMLBuffer(document.data(), document.size()), KX::S_OK);
    const auto& children = factory->FindControlDescriptor(WString(u"p"))->GetChildren();
    ASSERT_EQ(children.GetCount(), 2u);
    const LLayoutDescriptor& upper = Layout(children.ElementAt(0));
    EXPECT_EQ(Narrow(children.ElementAt(0)->GetName()), "upper");
    EXPECT_EQ(upper.layoutOrder, 0);
    EXPECT_EQ(upper.zOrder, 0); // a plain integer reads no hex
    EXPECT_EQ(upper.tabStop, 7);
    const LLayoutDescriptor& lower = Layout(children.ElementAt(1));
    EXPECT_EQ(lower.layoutOrder, 10);
    EXPECT_EQ(lower.zOrder, -3);
    EXPECT_EQ(lower.tabStop, 0);
}
