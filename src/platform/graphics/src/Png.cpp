// PNG decoding and encoding through libpng's simplified interface, which keeps alpha straight.
#include "platform/gdi/Bitmap.h"

#include "platform/posix/Utf.h"

#include <png.h>

#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>

namespace gdi {

static_assert(std::endian::native == std::endian::little, "BGRA bytes are read as ARGB words");

namespace {

constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t(1) << 29;
// The largest image decoded: 4096 x 4096, 64 MiB of pixels.
constexpr int64_t kMaxDecodedPixels = int64_t(1) << 24;
// Deflate turns one byte into at most about 1032.
constexpr uint64_t kMaxInflation = 1033;

uint32_t ReadBigEndian(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

// Whether the bytes could hold the image data their header declares (libpng has read the header,
// the first chunk after the signature). Any PNG stores every pixel's bits, deflated.
bool DataCanHoldImage(std::span<const uint8_t> bytes)
{
    if (bytes.size() < 26)
        return false;
    const uint64_t width = ReadBigEndian(&bytes[16]), height = ReadBigEndian(&bytes[20]);
    const uint64_t depth = bytes[24];
    uint64_t channels = 1;
    switch (bytes[25]) {
    case 2: channels = 3; break;
    case 4: channels = 2; break;
    case 6: channels = 4; break;
    default: break;
    }
    const uint64_t dataBytes = (width * height * depth * channels + 7) / 8; // pixels checked: no overflow
    return dataBytes <= bytes.size() * kMaxInflation;
}

} // namespace

Status Bitmap::FromMemory(std::span<const uint8_t> bytes, std::unique_ptr<Bitmap>& out)
{
    out.reset();
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0)
        return Status::UnknownImageFormat;

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
        png_image_free(&image);
        return Status::UnknownImageFormat;
    }
    int64_t width = image.width, height = image.height;
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767 || width * height > kMaxDecodedPixels) {
        png_image_free(&image);
        return Status::OutOfMemory;
    }
    // A header claiming far more than the data holds allocates nothing.
    if (!DataCanHoldImage(bytes)) {
        png_image_free(&image);
        return Status::ValueOverflow;
    }
    image.format = PNG_FORMAT_BGRA;
    std::unique_ptr<Bitmap> bitmap(new (std::nothrow) Bitmap(int32_t(width), int32_t(height), PixelFormat::Argb32));
    if (!bitmap || bitmap->Allocate(false) != Status::Ok) {
        png_image_free(&image);
        return Status::OutOfMemory;
    }
    if (!png_image_finish_read(&image, nullptr, bitmap->m_straight.get(), 0, nullptr)) {
        png_image_free(&image);
        return Status::UnknownImageFormat;
    }
    out = std::move(bitmap);
    return Status::Ok;
}

Status Bitmap::FromFile(std::string_view utf8Path, std::unique_ptr<Bitmap>& out)
{
    out.reset();
    std::error_code error;
    std::string path(utf8Path);
    if (!std::filesystem::is_regular_file(path, error))
        return Status::FileNotFound;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return Status::FileNotFound;
    file.seekg(0, std::ios::end);
    std::streamoff size = file.tellg();
    if (size < 0)
        return Status::GenericError;
    if (std::uintmax_t(size) > kMaxFileBytes)
        return Status::OutOfMemory;
    file.seekg(0, std::ios::beg);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (size > 0 && !file.read(reinterpret_cast<char*>(bytes.data()), size))
        return Status::GenericError;
    return FromMemory(bytes, out);
}

Status Bitmap::FromFile(std::u16string_view path, std::unique_ptr<Bitmap>& out)
{
    return FromFile(std::string_view(platform::posix::ToUtf8Replacing(path)), out);
}

Status Bitmap::EncodePng(std::vector<uint8_t>& out) const
{
    out.clear();
    // A straight copy, so that premultiplied and partly drawn bitmaps encode alike.
    std::unique_ptr<Bitmap> copy;
    if (Status s = Clone({0, 0, m_width, m_height}, PixelFormat::Argb32, copy); s != Status::Ok)
        return s;
    const uint32_t* pixels = copy->m_straight.get();
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(m_width);
    image.height = png_uint_32(m_height);
    image.format = PNG_FORMAT_BGRA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels, 0, nullptr))
        return Fail(Status::GenericError);
    out.resize(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels, 0, nullptr)) {
        out.clear();
        return Fail(Status::GenericError);
    }
    out.resize(size);
    return Status::Ok;
}

Status Bitmap::SaveToPng(std::string_view utf8Path) const
{
    std::vector<uint8_t> bytes;
    if (Status s = EncodePng(bytes); s != Status::Ok)
        return s;
    std::ofstream file(std::string(utf8Path), std::ios::binary | std::ios::trunc);
    if (!file || !file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size())))
        return Fail(Status::GenericError);
    return Status::Ok;
}

} // namespace gdi
