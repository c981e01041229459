#include "fonts/FreetypeFontRenderer.h"

#include "kx/Font.h"
#include "kx/FontFileInfo.h"

#include FT_GLYPH_H

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <vector>

namespace KX {

namespace {

// One library and one cache manager for every FreeType font renderer of the process.
struct FreetypeState {
    FT_Library library = nullptr;
    FTC_Manager manager = nullptr;
    int32_t renderers = 0;
};

FreetypeState& State()
{
    static FreetypeState state;
    return state;
}

FTC_FaceID FaceIdOf(int32_t fileId)
{
    return reinterpret_cast<FTC_FaceID>(static_cast<uintptr_t>(static_cast<uint32_t>(fileId)));
}

int32_t FileIdOf(FTC_FaceID faceId)
{
    return static_cast<int32_t>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(faceId)));
}

int8_t ClampTo8(FT_Pos value)
{
    return static_cast<int8_t>(std::clamp<FT_Pos>(value, INT8_MIN, INT8_MAX));
}

int16_t ClampTo16(FT_Pos value)
{
    return static_cast<int16_t>(std::clamp<FT_Pos>(value, INT16_MIN, INT16_MAX));
}

// The top-down address of row r of a FreeType bitmap (a negative pitch stores rows bottom-up).
const unsigned char* BitmapRow(const FT_Bitmap& bitmap, unsigned r)
{
    const unsigned stride = static_cast<unsigned>(std::abs(bitmap.pitch));
    const unsigned fromStart = bitmap.pitch < 0 ? bitmap.rows - 1 - r : r;
    return bitmap.buffer + static_cast<size_t>(stride) * fromStart;
}

// The rendered glyph as 8-bit coverage: a monochrome bitmap expanded to 0 and 0xFF with rows of
// its width, a gray one copied with its own row length. Null for any other pixel mode.
ConstRCPtr<LPixelBuffer<unsigned char>> CopyGlyphBitmap(const FT_Bitmap& bitmap)
{
    const unsigned width = bitmap.width;
    const unsigned rows = bitmap.rows;
    const unsigned stride = static_cast<unsigned>(std::abs(bitmap.pitch));
    std::vector<unsigned char> pixels;
    unsigned rowLength = 0;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
        if (rows > 0 && (!bitmap.buffer || stride < (width + 7) / 8))
            return nullptr;
        rowLength = width;
        pixels.resize(static_cast<size_t>(rowLength) * rows);
        for (unsigned r = 0; r < rows; ++r) {
            const unsigned char* src = BitmapRow(bitmap, r);
            for (unsigned x = 0; x < width; ++x)
                pixels[static_cast<size_t>(r) * rowLength + x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 0xFF : 0;
        }
    } else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
        if (rows > 0 && (!bitmap.buffer || stride < width))
            return nullptr;
        rowLength = stride;
        pixels.resize(static_cast<size_t>(rowLength) * rows);
        for (unsigned r = 0; r < rows; ++r)
            std::copy_n(BitmapRow(bitmap, r), rowLength, pixels.data() + static_cast<size_t>(r) * rowLength);
    } else {
        return nullptr;
    }
    return ConstRCPtr<LPixelBuffer<unsigned char>>(
        new LPixelBuffer<unsigned char>(width, rows, rowLength, pixels.empty() ? nullptr : pixels.data()));
}

// Renders the loaded glyph slot, in the preferred mode first, then in the other one.
ConstRCPtr<LPixelBuffer<unsigned char>> RenderSlot(FT_GlyphSlot slot, bool monochrome)
{
    const FT_Render_Mode modes[2] = {monochrome ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL,
                                     monochrome ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO};
    for (FT_Render_Mode mode : modes) {
        if (FT_Render_Glyph(slot, mode) != 0)
            continue;
        if (ConstRCPtr<LPixelBuffer<unsigned char>> bitmap = CopyGlyphBitmap(slot->bitmap))
            return bitmap;
    }
    return nullptr;
}

// A FreeType stream over a font file descriptor; FreeType closes it, which frees it.
unsigned long ReadStream(FT_Stream stream, unsigned long offset, unsigned char* buffer, unsigned long count)
{
    if (count == 0) // a seek: 0 is success
        return offset <= stream->size ? 0 : 1;
    unsigned long done = 0;
    while (done < count) {
        const ssize_t n = ::pread(static_cast<int>(stream->descriptor.value), buffer + done, count - done,
                                  static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<unsigned long>(n);
    }
    return done;
}

void CloseStream(FT_Stream stream)
{
    ::close(static_cast<int>(stream->descriptor.value));
    delete stream;
}

// Opens a face of a regular file only: the open does not wait (a FIFO put where a font file was
// would wait for a writer for ever), and FreeType reads the very file that was checked.
FT_Error OpenRegularFace(FT_Library library, const char* path, FT_Long faceIndex, FT_Face* face)
{
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return FT_Err_Cannot_Open_Resource;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) {
        ::close(fd);
        return FT_Err_Cannot_Open_Resource;
    }
    auto* stream = new (std::nothrow) FT_StreamRec{};
    if (!stream) {
        ::close(fd);
        return FT_Err_Out_Of_Memory;
    }
    stream->size = static_cast<unsigned long>(info.st_size);
    stream->descriptor.value = fd;
    stream->read = &ReadStream;
    stream->close = &CloseStream;
    FT_Open_Args args{};
    args.flags = FT_OPEN_STREAM;
    args.stream = stream;
    // On failure FreeType has closed the stream already.
    return FT_Open_Face(library, &args, faceIndex, face);
}

} // namespace

LFreetypeFontRenderer::LFreetypeFontRenderer(const RCPtr<LGlyphProcessor>& processor) : LFontRenderer(processor)
{
    FreetypeState& state = State();
    if (state.renderers++ > 0)
        return;
    LFontFileInfo::ScanFontFolder();
    if (FT_Init_FreeType(&state.library) != 0) {
        state.library = nullptr;
        return;
    }
    // The request data is not used: the requester finds everything through the file id.
    if (FTC_Manager_New(state.library, kMaxFaces, kMaxSizes, kMaxBytes, &LFreetypeFontRenderer::RequestFace, nullptr,
                        &state.manager) != 0)
        state.manager = nullptr;
}

LFreetypeFontRenderer::~LFreetypeFontRenderer()
{
    FreetypeState& state = State();
    if (--state.renderers > 0)
        return;
    if (state.manager)
        FTC_Manager_Done(state.manager);
    state.manager = nullptr;
    if (state.library)
        FT_Done_FreeType(state.library);
    state.library = nullptr;
    LFontFileInfo::ClearRegistry();
}

bool LFreetypeFontRenderer::IsFreetypeReady()
{
    return State().manager != nullptr;
}

FT_Error LFreetypeFontRenderer::RequestFace(FTC_FaceID faceId, FT_Library library, FT_Pointer, FT_Face* face)
{
    const int32_t fileId = FileIdOf(faceId);
    const NString path = LFontFileInfo::GetPathForFileID(fileId).ToNarrow();
    if (path.IsEmpty())
        return FT_Err_Cannot_Open_Resource;
    return OpenRegularFace(library, path.GetString(), LFontFileInfo::GetFaceIndexForFileID(fileId), face);
}

FT_Error LFreetypeFontRenderer::LookupSize(const ConstRCPtr<LFont>& font, FT_Size& size)
{
    FTC_Manager manager = State().manager;
    if (!manager)
        return FT_Err_Invalid_Library_Handle;
    if (!font)
        return FT_Err_Invalid_Argument;
    const float points = font->GetSize();
    // 26.6 points; a size that does not fit (or is not a number) is no size.
    if (!(points > 0.0f) || !(points * 64.0f < 2147483648.0f))
        return FT_Err_Invalid_Argument;
    const int32_t fileId = LFontFileInfo::GetFileID(font);
    FTC_ScalerRec scaler{};
    scaler.face_id = FaceIdOf(fileId);
    scaler.width = 0;
    scaler.height = static_cast<FT_UInt>(points * 64.0f);
    scaler.pixel = 0;
    scaler.x_res = 96;
    scaler.y_res = 96;
    return FTC_Manager_LookupSize(manager, &scaler, &size);
}

KXRESULT LFreetypeFontRenderer::GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                                               int32_t& descent)
{
    if (!font)
        return E_INVALIDARG;
    FT_Size size = nullptr;
    if (LookupSize(font, size) != 0 || !size)
        return E_FAIL;
    const FT_Size_Metrics& metrics = size->metrics;
    const int32_t a = -static_cast<int32_t>(metrics.ascender >> 6);
    const int32_t d = -static_cast<int32_t>(metrics.descender >> 6);
    int32_t h =
        std::max(static_cast<int32_t>(metrics.height >> 6), static_cast<int32_t>(96.0f * font->GetSize() / 72.0f));
    if (h < d - a)
        h = d - a;
    height = h;
    ascent = a;
    descent = d;
    return S_OK;
}

void LFreetypeFontRenderer::RenderText(const WString& text, const ConstRCPtr<LFont>& font,
                                       const RCPtr<LGlyphProcessor>& processor, int32_t start, float, int32_t mode)
{
    if (!font || !processor)
        return;
    FT_Size size = nullptr;
    if (LookupSize(font, size) != 0 || !size)
        return;
    FT_Face face = size->face;
    const bool kerning = FT_HAS_KERNING(face);
    const bool monochrome = font->GetSize() < kMonochromeBelow;

    SGlyph glyph;
    glyph.position = static_cast<uint32_t>(start);
    FT_UInt previous = 0;
    processor->Begin(font, mode);
    const char16_t* units = text.GetString();
    const unsigned count = text.GetLength();
    for (unsigned i = 0; i < count; ++i) {
        glyph.character = units[i];
        glyph.glyphIndex = 0;
        glyph.bitmap = nullptr;
        glyph.boxLeft = glyph.boxTop = glyph.boxRight = glyph.boxBottom = 0;
        glyph.advanceX = glyph.advanceY = 0;

        const uint16_t need = processor->QueryGlyph(glyph);
        if (need != 0)
            glyph.glyphIndex = FT_Get_Char_Index(face, glyph.character);
        if (glyph.glyphIndex == 0)
            continue;

        FT_Glyph outline = nullptr;
        if (need != 0) {
            if (FT_Load_Glyph(face, glyph.glyphIndex, FT_LOAD_DEFAULT) != 0 ||
                FT_Get_Glyph(face->glyph, &outline) != 0) {
                glyph.position = i + 1;
                continue;
            }
            glyph.advanceX = ClampTo16(face->glyph->advance.x);
            glyph.advanceY = ClampTo16(face->glyph->advance.y);
            if (need & (LGlyphProcessor::kNeedBox | LGlyphProcessor::kNeedBitmap)) {
                FT_BBox box;
                FT_Glyph_Get_CBox(outline, FT_GLYPH_BBOX_PIXELS, &box);
                glyph.boxLeft = ClampTo8(box.xMin);
                glyph.boxTop = ClampTo8(-box.yMax);
                glyph.boxRight = ClampTo8(box.xMax);
                glyph.boxBottom = ClampTo8(-box.yMin);
            }
            if (need & LGlyphProcessor::kNeedBitmap) {
                glyph.bitmap = RenderSlot(face->glyph, monochrome);
                if (!glyph.bitmap) {
                    FT_Done_Glyph(outline);
                    glyph.position = i + 1;
                    continue;
                }
            }
        }

        if (kerning) {
            if (previous == 0) {
                if (glyph.boxLeft < 0)
                    glyph.penX -= glyph.boxLeft;
            } else {
                FT_Vector delta{0, 0};
                if (FT_Get_Kerning(face, previous, glyph.glyphIndex, FT_KERNING_DEFAULT, &delta) == 0)
                    glyph.penX += static_cast<float>(delta.x) / 64.0f;
            }
        }

        processor->ProcessGlyph(glyph);
        if (outline)
            FT_Done_Glyph(outline);
        glyph.penX += static_cast<float>(glyph.advanceX) / 64.0f;
        glyph.penY += static_cast<float>(glyph.advanceY) / 64.0f;
        glyph.bitmap = nullptr;
        glyph.position = i + 1;
        previous = glyph.glyphIndex;
    }
    processor->End();
}

} // namespace KX
