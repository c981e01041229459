// Bytes into the PNG-from-memory loader; a decoded bitmap is read back in both pixel formats.
#include "platform/gdi/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<gdi::Bitmap> bitmap;
    gdi::Status status = gdi::Bitmap::FromMemory({data, size}, bitmap);
    if (status != gdi::Status::Ok) {
        if (bitmap)
            std::abort(); // a failure never hands out a bitmap
        return 0;
    }
    int32_t w = bitmap->GetWidth(), h = bitmap->GetHeight();
    if (w <= 0 || h <= 0)
        std::abort();
    gdi::ARGB pixel = 0;
    if (bitmap->GetPixel(w - 1, h - 1, pixel) != gdi::Status::Ok)
        std::abort();
    if (int64_t(w) * h > 1 << 20)
        return 0;
    gdi::BitmapData locked;
    if (bitmap->LockBits({0, 0, w, h}, gdi::ImageLockMode::Read, gdi::PixelFormat::Argb32, locked) != gdi::Status::Ok)
        std::abort();
    // Touch both ends of every row of the lock.
    uint32_t sum = 0;
    for (int32_t y = 0; y < h; ++y)
        sum += *locked.PixelAt(0, y) + *locked.PixelAt(w - 1, y);
    __asm__ volatile("" : : "g"(sum) : "memory");
    bool same = *locked.PixelAt(w - 1, h - 1) == pixel;
    bitmap->UnlockBits(locked);
    if (!same)
        std::abort();
    std::unique_ptr<gdi::Bitmap> copy;
    if (bitmap->Clone({0, 0, w, h}, gdi::PixelFormat::PArgb32, copy) != gdi::Status::Ok)
        std::abort();
    return 0;
}
