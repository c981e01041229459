// Notification parameter records: pooled storage, defaults and what travels with them.
#include "UiTestControls.h"

#include "kx/Notification.h"
#include "kx/NotificationClient.h"

#include <gtest/gtest.h>

using namespace KX;

TEST(ControlParamRecords, PooledRecordsReuseTheirBlockAndStartClean)
{
    auto& pool = LMouseButtonParam::GetAllocator();
    const void* first;
    {
        RCPtr<LMouseButtonParam> press = LMouseButtonParam::Create(1, {3, 4}, Modifier::Shift, true, 1);
        first = press.Get();
        EXPECT_EQ(press->GetButton(), 1u);
        EXPECT_EQ(press->GetPoint(), (PointT<int32_t>{3, 4}));
        EXPECT_EQ(press->GetModifiers(), Modifier::Shift);
        EXPECT_TRUE(press->IsDoubleClick());
        EXPECT_EQ(press->GetPressedButtons(), 1u);
    }
    const uint32_t blocks = pool.GetBlockCount();
    RCPtr<LMouseButtonParam> release = LMouseButtonParam::Create(4, {0, 0}, 0, false, 0);
    EXPECT_EQ(static_cast<const void*>(release.Get()), first); // the released block came back
    EXPECT_EQ(pool.GetBlockCount(), blocks);
    EXPECT_FALSE(release->IsDoubleClick());
    EXPECT_EQ(release->GetModifiers(), 0u);

    RCPtr<LValueParam> v = LValueParam::Create(0.25, 250.0);
    EXPECT_EQ(v->GetNormalizedValue(), 0.25);
    EXPECT_EQ(v->GetMappedValue(), 250.0);
    RCPtr<LConditionsParam> c = LConditionsParam::Create(1, 2, {0.5, 1.5});
    c->Set(2, 0x1004, {7, 8});
    EXPECT_EQ(c->GetPreviousMask(), 2u);
    EXPECT_EQ(c->GetCurrentMask(), 0x1004u);
    EXPECT_EQ(c->GetPoint(), (PointT<double>{7, 8}));
}

TEST(ControlParamRecords, KeyRecordsKeepTheirRouteAndResult)
{
    RCPtr<LSiblingKeyParam> orphan = LSiblingKeyParam::Create(KeyCode{0x20410000u, 0x1, 0}, nullptr);
    EXPECT_FALSE(orphan->GetSender());
    EXPECT_EQ(orphan->GetResult(), -1);
    orphan->SetResult(0);
    EXPECT_EQ(orphan->GetResult(), 0);

    int deaths = 0;
    {
        RCPtr<uitest::TestControl> c = uitest::Make(nullptr, u"c", 0, 0, 1, 1, &deaths);
        RCPtr<LKeyParam> key = LKeyParam::Create(KeyCode{9u << 16, 0, 1}, true);
        EXPECT_TRUE(key->IsFromKeyboard());
        EXPECT_EQ(key->GetKey().repeat, 1);
        key->GetRoute().AddItem(RCPtr<LControl>(c));
        c = nullptr;
        EXPECT_EQ(deaths, 0); // the route holds it
    }
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(KeyCode{}.code, 0x80000000u); // the empty key code
}

TEST(ControlParamRecords, ValueChangesAreAnnouncedOnceWithTheMappedValue)
{
    struct Listener : LNotificationClient {
        KXRESULT Receive(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n) override
        {
            auto p = ConstRCPtr<LValueParam>::DynamicCast(n->GetPayload());
            if (p) {
                ++count;
                mapped = p->GetMappedValue();
            }
            return S_OK;
        }
        int count = 0;
        double mapped = 0;
    };
    RCPtr<uitest::TestControl> c = uitest::Make(nullptr, u"c", 0, 0, 1, 1);
    RCPtr<Listener> listener(new Listener());
    ASSERT_TRUE(listener->RegisterForNotification(RCPtr<LNotificationDistributor>(c), u"NID_VALUE_CHANGE", 0));
    c->SetValueRange(20, 20000, 1);
    EXPECT_EQ(c->SetNormalizedValue(0.5), 0.5);
    EXPECT_EQ(listener->count, 1);
    EXPECT_NEAR(listener->mapped, 632.4555, 1e-3);
    c->SetNormalizedValue(0.5);
    EXPECT_EQ(listener->count, 1); // unchanged: nothing sent
    listener->UnregisterFromAll();
}

TEST(ControlParamRecords, CharacterKeyCodesCarryModifierBitsAndSides)
{
    using namespace Modifier;
    const uint32_t bothCtrlShift = Ctrl | LeftCtrl | RightCtrl | Shift | LeftShift | RightShift;
    const KeyCode k = KeyCode::FromCharacter(u'a', bothCtrlShift);
    EXPECT_EQ(k.code, 0x61u + 0x3000000u);
    EXPECT_EQ(k.sideMask, 0x0Fu);
    EXPECT_EQ(k.repeat, 0);
    EXPECT_EQ(KeyCode::SideMaskFromModifiers(LeftAlt | RightWin), 0u); // a side bit alone counts for nothing
    EXPECT_EQ(KeyCode::SideMaskFromModifiers(Alt | RightAlt | Win | LeftWin), 0x60u);
    EXPECT_EQ(KeyCode::FromCharacter(u'\t', Alt | Win | Extra).code, 0x9u + 0x4000000u + 0x8000000u + 0x10000000u);
}
