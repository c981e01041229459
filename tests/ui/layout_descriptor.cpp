// The layout descriptor's defaults, copies and comparisons.
#include "kx/ui/LayoutDescriptor.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace KX;

TEST(LayoutDescriptor, FreshDescriptorHasTheDocumentDefaults)
{
    RCPtr<LLayoutDescriptor> d = LLayoutDescriptor::Create();
    EXPECT_TRUE(d->visible);
    EXPECT_TRUE(d->enabled);
    EXPECT_TRUE(d->clipToParent);
    EXPECT_FALSE(d->IsXDocked());
    EXPECT_FALSE(d->IsYDocked());
    for (int axis = 0; axis < 2; ++axis) {
        EXPECT_EQ(d->Position(axis).kind, kPositionToClient);
        EXPECT_EQ(d->Size(axis).kind, kSizeToSelf);
        EXPECT_TRUE(d->Position(axis).controlName.IsEmpty());
        EXPECT_TRUE(d->Size(axis).controlName.IsEmpty());
        EXPECT_EQ(d->MinSize(axis).toControl, 0);
        EXPECT_EQ(d->MaxSize(axis).toControl, 0);
    }
    EXPECT_EQ(d->Size(0).absolute, 16.0);
    EXPECT_EQ(d->Size(1).absolute, 40.0);
    EXPECT_EQ(d->textOverflowX, kTextOverflowClip);
    EXPECT_EQ(d->textOverflowY, kTextOverflowClip);
    EXPECT_EQ(d->layoutOrder, 0);
    EXPECT_EQ(d->zOrder, 0);
    EXPECT_EQ(d->tabStop, 0);
}

TEST(LayoutDescriptor, CloneSharesNoStateWithItsSource)
{
    RCPtr<LLayoutDescriptor> source = LLayoutDescriptor::Create();
    source->Size(0).kind = kSizeToControl;
    source->Size(0).controlName = WString(u"buttonUp");
    source->Position(1).docked = 1;
    source->zOrder = 7;
    source->textDecoration = WString(u"underline");
    source->MaxSize(1) = SizeLimit{1, WString(u"Children"), 0.5f, 12.0};
    RCPtr<LLayoutDescriptor> copy = LLayoutDescriptor::Clone(*source);
    EXPECT_TRUE(copy->Size(0).controlName.Equals(u"buttonUp"));
    EXPECT_TRUE(copy->IsYDocked());
    EXPECT_EQ(copy->zOrder, 7);
    EXPECT_TRUE(copy->MaxSize(1) == source->MaxSize(1));
    copy->Size(0).controlName = WString(u"other");
    copy->zOrder = 1;
    EXPECT_TRUE(source->Size(0).controlName.Equals(u"buttonUp"));
    EXPECT_EQ(source->zOrder, 7);
    EXPECT_NE(copy->textDecoration.GetString(), source->textDecoration.GetString()); // own buffer
}

TEST(LayoutDescriptor, ComparisonsLookAtNamesOnlyWhereTheKindUsesThem)
{
    AxisPlacement a, b;
    a.controlName = WString(u"x");
    b.controlName = WString(u"y");
    EXPECT_TRUE(a == b); // kind 1: the name is not read
    a.kind = b.kind = kPositionToControl;
    EXPECT_FALSE(a == b);
    a.absolute = b.absolute = std::nan("");
    b.controlName = a.controlName;
    EXPECT_FALSE(a == b); // a NaN never compares equal, so setting it always counts as a change

    SizeLimit m{0, WString(u"one"), 0, 0}, n{0, WString(u"two"), 0, 0};
    EXPECT_TRUE(m == n);
    m.toControl = n.toControl = 1;
    EXPECT_FALSE(m == n);

    SizeSpec s, t;
    s.controlName = WString(u"a");
    EXPECT_TRUE(s == t);
    s.kind = t.kind = kSizeToControl;
    EXPECT_FALSE(s == t);
}

TEST(LayoutDescriptor, AxisAccessRefusesOtherAxes)
{
    RCPtr<LLayoutDescriptor> d = LLayoutDescriptor::Create();
    AxisPlacement p;
    SizeSpec s;
    SizeLimit lo, hi;
    EXPECT_EQ(d->GetAxisPlacement(2, p, s), E_INVALIDARG);
    EXPECT_EQ(d->GetAxisSizeLimits(-1, lo, hi), E_INVALIDARG);
    p.absolute = 5;
    s.absolute = 9;
    EXPECT_EQ(d->SetAxisPlacement(1, p, s), S_OK);
    AxisPlacement p2;
    SizeSpec s2;
    EXPECT_EQ(d->GetAxisPlacement(1, p2, s2), S_OK);
    EXPECT_EQ(p2.absolute, 5);
    EXPECT_EQ(s2.absolute, 9);
    d->Position(0).controlName = WString(u"left");
    d->Size(1).controlName = WString(u"left");
    EXPECT_EQ(d->RenameControlReference(WString(u"left"), WString(u"right")), S_OK);
    EXPECT_TRUE(d->Position(0).controlName.Equals(u"right"));
    EXPECT_TRUE(d->Size(1).controlName.Equals(u"right"));
    EXPECT_EQ(d->RenameControlReference(WString(u"left"), WString(u"x")), S_FALSE);
}
