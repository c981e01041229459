#pragma once
// Basic vocabulary of the graphics layer: result codes, colours, geometry and modes.
#include <cstdint>

namespace gdi {

// Result of every operation; Ok is success.
enum class Status : int32_t {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    ObjectBusy = 4,
    NotImplemented = 6,
    WrongState = 8,
    FileNotFound = 10,
    ValueOverflow = 11,
    UnknownImageFormat = 13,
    FontFamilyNotFound = 14,
    FontStyleNotFound = 15,
};

const char* StatusText(Status status);

// 32-bit colour, straight (non-premultiplied) alpha: alpha bits 24-31, red 16-23, green 8-15, blue 0-7.
using ARGB = uint32_t;

constexpr ARGB MakeARGB(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return ((a & 255u) << 24) | ((r & 255u) << 16) | ((g & 255u) << 8) | (b & 255u);
}

struct PointF {
    float x = 0, y = 0;
};

struct RectF {
    float x = 0, y = 0, width = 0, height = 0;
};

struct RectI {
    int32_t x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const RectI&, const RectI&) = default;
};

// Storage of a bitmap's pixels. Argb32 keeps every ARGB value exactly;
// PArgb32 is the premultiplied format of drawing surfaces.
enum class PixelFormat : uint8_t { Argb32, PArgb32 };

enum class ImageLockMode : uint8_t { Read = 1, Write = 2, ReadWrite = 3 };

// Units a font size is given in.
enum class Unit : uint8_t { World, Pixel, Point };

// Font style bits: 1 bold, 2 italic.
enum FontStyle : int32_t { FontStyleRegular = 0, FontStyleBold = 1, FontStyleItalic = 2, FontStyleBoldItalic = 3 };

// Alternate is the even-odd rule.
enum class FillMode : uint8_t { Alternate, Winding };

enum class CompositingMode : uint8_t { SourceOver, SourceCopy };

// HighSpeed and None draw without anti-aliasing.
enum class SmoothingMode : uint8_t { Default, HighSpeed, HighQuality, None, AntiAlias };

enum class InterpolationMode : uint8_t { Default, NearestNeighbor, Bilinear, HighQuality };

// HighSpeed/None put pixel centres on integer coordinates; Half/HighQuality on the half.
enum class PixelOffsetMode : uint8_t { Default, HighSpeed, HighQuality, None, Half };

enum class CombineMode : uint8_t { Replace, Intersect };

enum class MatrixOrder : uint8_t { Prepend, Append };

enum class FlushIntention : uint8_t { Flush, Sync };

} // namespace gdi
