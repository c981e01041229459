// The shared-bitmap map when a bitmap is taken from it on one thread while its last outside
// holder lets go on another (a splash window's thread, for example).
#include "LBitmapTestUtil.h"

#include "kx/Resources.h"

#include <atomic>
#include <thread>

using KX::ConstRCPtr;
using KX::LBitmap;

TEST(LBitmapSharedThreads, TakingAndReleasingRaceSafely)
{
    KX::ScopedResource resource(u"GDIPLUS", u"RACE_PNG", lbitmaptest::EncodePng(2, 1, {0xFF112233u, 0x80445566u}));
    std::atomic<int> failures{0};
    auto work = [&] {
        for (int i = 0; i < 300; ++i) {
            ConstRCPtr<LBitmap> bitmap = LBitmap::GetSharedBitmap(u"::race.png");
            if (!bitmap || bitmap->GetWidth() != 2 || bitmap->GetInternalRefCount() > 1)
                ++failures;
            ConstRCPtr<LBitmap> sub = bitmap ? bitmap->CreateSubBitmap(1, 0, 1, 1) : nullptr;
            bitmap = nullptr;
            if (sub && sub->GetPixelColor(0, 0).ToARGB() != 0x80445566u)
                ++failures;
        }
    };
    std::thread a(work), b(work), c(work);
    a.join();
    b.join();
    c.join();
    EXPECT_EQ(failures.load(), 0);

    // Nothing is left over in the map: the next bitmap is new and held only by it and us.
    ConstRCPtr<LBitmap> last = LBitmap::GetSharedBitmap(u"::race.png");
    ASSERT_TRUE(last);
    EXPECT_EQ(last->GetRefCount(), 2);
    EXPECT_EQ(last->GetInternalRefCount(), 1);
}
