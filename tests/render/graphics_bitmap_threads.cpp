// One bitmap drawn from on two threads at once: its drawing surface is made once, and every
// drawing sees the whole image.
#include "RenderTestUtil.h"

#include <atomic>
#include <thread>
#include <vector>

using namespace gdi;

TEST(BitmapThreads, DrawingOneSourceFromTwoThreadsMakesItsSurfaceOnce)
{
    std::vector<ARGB> pixels(16 * 16);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = 0xFF000000u | ARGB(i * 0x010203u);
    std::atomic<int> wrong{0};
    for (int round = 0; round < 100; ++round) {
        std::unique_ptr<Bitmap> shared;
        ASSERT_EQ(Bitmap::FromPixels(16, 16, 64, pixels.data(), shared), Status::Ok);
        std::atomic<int> ready{0};
        auto draw = [&] {
            std::unique_ptr<Bitmap> target;
            std::unique_ptr<Graphics> graphics;
            if (Bitmap::Create(16, 16, PixelFormat::PArgb32, target) != Status::Ok ||
                Graphics::FromImage(*target, graphics) != Status::Ok) {
                ++wrong;
                return;
            }
            ready.fetch_add(1);
            while (ready.load() < 2) {
            }
            graphics->DrawImage(*shared, 0.0f, 0.0f);
            graphics.reset();
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    ARGB value = 0;
                    target->GetPixel(x, y, value);
                    if (value != pixels[size_t(y * 16 + x)])
                        ++wrong;
                }
        };
        std::thread a(draw), b(draw);
        a.join();
        b.join();
    }
    EXPECT_EQ(wrong.load(), 0);
}
