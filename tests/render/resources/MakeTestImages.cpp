// Writes the test images into the folder given as the only argument.
#include "TestImages.h"

#include "platform/gdi/Bitmap.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

bool WriteFile(const std::filesystem::path& path, const void* data, size_t size)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    return file && file.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

bool EncodePng(int32_t width, int32_t height, const uint32_t* pixels, std::vector<uint8_t>& png)
{
    std::unique_ptr<gdi::Bitmap> bitmap;
    return gdi::Bitmap::FromPixels(width, height, width * 4, pixels, bitmap) == gdi::Status::Ok &&
           bitmap->EncodePng(png) == gdi::Status::Ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path out(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(out / "Images", error);

    std::vector<uint8_t> solid, knob;
    if (!EncodePng(kxtest::kSolidWidth, kxtest::kSolidHeight, kxtest::kSolidPixels, solid) ||
        !EncodePng(kxtest::kKnobWidth, 1, kxtest::kKnobPixels, knob)) {
        std::fprintf(stderr, "MakeTestImages: encoding failed\n");
        return 1;
    }
    const std::string doc = kxtest::kTestDocText;
    if (!WriteFile(out / "Solid 2x3.png", solid.data(), solid.size()) ||
        !WriteFile(out / "Images" / "Knob Small.png", knob.data(), knob.size()) ||
        !WriteFile(out / "Truncated.png", knob.data(), knob.size() / 2) ||
        !WriteFile(out / "Test Doc.xml", doc.data(), doc.size())) {
        std::fprintf(stderr, "MakeTestImages: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
