#include "opengl/GLTexture.h"

#include "kx/Bitmap.h"
#include "kx/Buffer.h"

#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>

namespace KX {

namespace {

constexpr int32_t kMaxPowerOfTwo = 16384;

// Unpack alignment for rows rowBytes apart with pixels of pixelBytes.
GLint UnpackAlignment(int32_t rowBytes, int32_t pixelBytes) noexcept
{
    const int32_t remainder = pixelBytes > 0 ? rowBytes % pixelBytes : 0;
    if (remainder == 0)
        return 1;
    GLint alignment = 1;
    while (alignment <= remainder)
        alignment *= 2;
    return alignment;
}

void SetUnpackRows(const SGLImage& image) noexcept
{
    glPixelStorei(GL_UNPACK_ROW_LENGTH, image.bytesPerPixel > 0 ? image.rowLength / image.bytesPerPixel : 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, UnpackAlignment(image.rowLength, image.bytesPerPixel));
}

} // namespace

int32_t NextPowerOfTwo(int32_t n) noexcept
{
    if (n < 1)
        return 0;
    if (n == 1)
        return 1;
    int32_t p = 1;
    while (n > p && p < kMaxPowerOfTwo)
        p *= 2;
    const int32_t h = p / 2;
    return n < p - h ? h : p;
}

GLenum DrainGLErrors() noexcept
{
    GLenum first = GL_NO_ERROR;
    // A lost context may report errors for ever; a bounded drain is enough.
    for (int i = 0; i < 64; ++i) {
        const GLenum error = glGetError();
        if (error == GL_NO_ERROR)
            break;
        if (first == GL_NO_ERROR)
            first = error;
    }
    return first;
}

// ---------------------------------------------------------------------------------------------
// Staging image

void SGLImage::Clear() noexcept
{
    format = 0;
    type = 0;
    ownsData = false;
    data = nullptr;
    width = 0;
    height = 0;
    rowLength = 0;
    bytesPerPixel = 0;
}

void SGLImage::Free() noexcept
{
    if (ownsData)
        delete[] data;
    Clear();
}

void SGLImage::Move(SGLImage& other) noexcept
{
    if (&other == this)
        return;
    Free();
    format = other.format;
    type = other.type;
    ownsData = other.ownsData;
    data = other.data;
    width = other.width;
    height = other.height;
    rowLength = other.rowLength;
    bytesPerPixel = other.bytesPerPixel;
    other.Clear();
}

void SGLImage::Set(uint8_t* pixels, int32_t rowBytes, int32_t pixelBytes, int32_t w, int32_t h, GLenum pixelFormat,
                   GLenum pixelType) noexcept
{
    Free();
    data = pixels;
    rowLength = rowBytes;
    bytesPerPixel = pixelBytes;
    width = w;
    height = h;
    format = pixelFormat;
    type = pixelType;
}

bool SGLImage::ToAlphaMask()
{
    if (bytesPerPixel != 4 || !data || width <= 0 || height <= 0)
        return false;
    const int32_t rowBytes = (width + 3) & ~3;
    uint8_t* mask = new uint8_t[static_cast<size_t>(rowBytes) * static_cast<size_t>(height)]();
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* from = data + static_cast<ptrdiff_t>(y) * rowLength;
        uint8_t* to = mask + static_cast<ptrdiff_t>(y) * rowBytes;
        for (int32_t x = 0; x < width; ++x) {
            uint32_t pixel;
            std::memcpy(&pixel, from + static_cast<ptrdiff_t>(x) * 4, 4);
            if (pixel == 0) {
                to[x] = 0;
                continue;
            }
            const uint32_t red = (pixel >> 16) & 255;
            const uint32_t green = (pixel >> 8) & 255;
            const uint32_t blue = pixel & 255;
            // Whole hundredths, so white comes out at exactly 255.
            to[x] = static_cast<uint8_t>(255 - (59 * green + 30 * red + 11 * blue) / 100);
        }
    }
    const int32_t w = width;
    const int32_t h = height;
    Free();
    data = mask;
    ownsData = true;
    width = w;
    height = h;
    rowLength = rowBytes;
    bytesPerPixel = 1;
    format = GL_ALPHA;
    type = GL_UNSIGNED_BYTE;
    return true;
}

bool SGLImage::Rescale(int32_t w, int32_t h)
{
    if (!data || w <= 0 || h <= 0 || width <= 0 || height <= 0 || bytesPerPixel <= 0)
        return false;
    const int32_t rowBytes = (bytesPerPixel * w + 3) & ~3;
    uint8_t* scaled = new uint8_t[static_cast<size_t>(rowBytes) * static_cast<size_t>(h)]();
    SetUnpackRows(*this);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    const GLint result = gluScaleImage(format, width, height, type, data, w, h, type, scaled);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (result != 0) {
        delete[] scaled;
        return false;
    }
    const GLenum keptFormat = format;
    const GLenum keptType = type;
    const int32_t keptBytes = bytesPerPixel;
    Free();
    data = scaled;
    ownsData = true;
    width = w;
    height = h;
    rowLength = rowBytes;
    bytesPerPixel = keptBytes;
    format = keptFormat;
    type = keptType;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Texture

LGLTexture::LGLTexture() = default;

LGLTexture::~LGLTexture()
{
    if (m_name != kNoName && glIsTexture(m_name))
        glDeleteTextures(1, &m_name);
    m_name = kNoName;
    m_textureWidth = m_textureHeight = 0.0f;
    m_imageWidth = m_imageHeight = 0.0f;
    m_logicalWidth = m_logicalHeight = 0.0f;
    m_source = nullptr;
}

bool LGLTexture::IsValid() const
{
    return m_name != kNoName && glIsTexture(m_name) == GL_TRUE;
}

int32_t LGLTexture::ProbeSize(int32_t& width, int32_t& height, GLint internalFormat, GLenum format, GLenum type)
{
    int32_t factor = 1;
    while (width > 1) {
        glTexImage2D(GL_PROXY_TEXTURE_2D, 0, internalFormat, width, height, 0, format, type, nullptr);
        GLint acceptedWidth = 0;
        GLint acceptedHeight = 0;
        glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &acceptedWidth);
        glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &acceptedHeight);
        DrainGLErrors();
        if (acceptedWidth != 0 || (acceptedWidth == width && acceptedHeight == height))
            break;
        width /= 2;
        height /= 2;
        factor *= 2;
        if (width <= 1 || height <= 1)
            break;
    }
    return factor;
}

void LGLTexture::Upload(SGLImage& image, GLint internalFormat, int32_t flags, float scale)
{
    const bool alphaMask = internalFormat == GL_ALPHA4 || internalFormat == GL_ALPHA8;
    if (!IsValid()) {
        GLuint name = 0;
        glGenTextures(1, &name);
        m_name = name != 0 ? name : kNoName;
    }
    if (m_name == kNoName)
        return;
    glBindTexture(m_target, m_name);

    m_imageWidth = static_cast<float>(image.width);
    m_imageHeight = static_cast<float>(image.height);
    const float divisor = scale > 0.0f ? scale : 1.0f;
    m_logicalWidth = m_imageWidth / divisor;
    m_logicalHeight = m_imageHeight / divisor;

    int32_t width = NextPowerOfTwo(image.width);
    int32_t height = NextPowerOfTwo(image.height);

    const bool nearest = (flags & kNearest) != 0;
    const bool repeat = (flags & kRepeat) != 0;
    const bool mipmaps = (flags & kMipmaps) != 0;
    GLint minFilter = GL_LINEAR;
    if (nearest)
        minFilter = mipmaps ? GL_NEAREST_MIPMAP_NEAREST : GL_NEAREST;
    else if (mipmaps)
        minFilter = GL_LINEAR_MIPMAP_LINEAR;
    glTexParameteri(m_target, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(m_target, GL_TEXTURE_MAG_FILTER, nearest ? GL_NEAREST : GL_LINEAR);
    // Clamping to the edge: GL_CLAMP would blend the border colour into the outer texels.
    const GLint wrap = repeat ? GL_REPEAT : GL_CLAMP_TO_EDGE;
    glTexParameteri(m_target, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(m_target, GL_TEXTURE_WRAP_T, wrap);
    DrainGLErrors();

    if (!image.data || image.width <= 0 || image.height <= 0) {
        m_textureWidth = m_textureHeight = 0.0f;
        return;
    }

    const GLenum format = alphaMask ? GL_ALPHA : image.format;
    const GLenum type = alphaMask ? GL_UNSIGNED_BYTE : image.type;
    const int32_t factor = ProbeSize(width, height, internalFormat, format, type);
    m_textureWidth = static_cast<float>(width);
    m_textureHeight = static_cast<float>(height);
    glTexImage2D(m_target, 0, internalFormat, width, height, 0, format, type, nullptr);

    if ((factor >= 2 || repeat) && (image.width != width || image.height != height)) {
        if (image.Rescale(width, height)) {
            m_imageWidth = static_cast<float>(width);
            m_imageHeight = static_cast<float>(height);
        }
    }
    if (alphaMask)
        image.ToAlphaMask();

    SetUnpackRows(image);
    if (mipmaps) {
        gluBuild2DMipmaps(m_target, internalFormat, image.width, image.height, image.format, image.type, image.data);
    } else {
        const int32_t w = std::min(image.width, width);
        const int32_t h = std::min(image.height, height);
        glTexSubImage2D(m_target, 0, 0, 0, w, h, image.format, image.type, image.data);
        // The texel past the last column and row repeats it, so that linear filtering at the
        // image's right and bottom edges never reads the undefined rest of the texture.
        if (!repeat && w < width) {
            glPixelStorei(GL_UNPACK_SKIP_PIXELS, w - 1);
            glTexSubImage2D(m_target, 0, w, 0, 1, h, image.format, image.type, image.data);
        }
        if (!repeat && h < height) {
            glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
            glPixelStorei(GL_UNPACK_SKIP_ROWS, h - 1);
            glTexSubImage2D(m_target, 0, 0, h, w, 1, image.format, image.type, image.data);
            if (w < width) {
                glPixelStorei(GL_UNPACK_SKIP_PIXELS, w - 1);
                glTexSubImage2D(m_target, 0, w, h, 1, 1, image.format, image.type, image.data);
            }
        }
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
        glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    }
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    DrainGLErrors();
}

void LGLTexture::DrawQuad(const BoundsF& source, const BoundsF& destination) const
{
    if (m_name == kNoName || m_textureWidth <= 0.0f || m_textureHeight <= 0.0f)
        return;
    glEnable(m_target);
    glBindTexture(m_target, m_name);
    const float s0 = source.left / m_textureWidth;
    const float s1 = source.right / m_textureWidth;
    const float t0 = source.top / m_textureHeight;
    const float t1 = source.bottom / m_textureHeight;
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0);
    glVertex2f(destination.left, destination.top);
    glTexCoord2f(s0, t1);
    glVertex2f(destination.left, destination.bottom);
    glTexCoord2f(s1, t1);
    glVertex2f(destination.right, destination.bottom);
    glTexCoord2f(s1, t0);
    glVertex2f(destination.right, destination.top);
    glEnd();
    // Texturing stays on (switching it per quad costs more than the quad); every untextured
    // drawing of the renderer turns it off itself.
}

void LGLTexture::LoadFromBitmap(const ConstRCPtr<LBitmap>& bitmap)
{
    m_source = bitmap;
    if (!bitmap)
        return;
    const ConstRCPtr<LBitmapData> pixels = bitmap->GetPixelBuffer();
    if (!pixels || pixels->GetWidth() == 0 || pixels->GetHeight() == 0)
        return;
    const int32_t* first = pixels->GetPixelAddress(0, 0);
    if (!first)
        return;
    SGLImage image;
    image.Set(reinterpret_cast<uint8_t*>(const_cast<int32_t*>(first)), static_cast<int32_t>(pixels->GetRowLength()), 4,
              static_cast<int32_t>(pixels->GetWidth()), static_cast<int32_t>(pixels->GetHeight()), GL_BGRA,
              GL_UNSIGNED_BYTE);
    Upload(image, GL_RGBA8, 0, 1.0f);
    image.Free();
}

// ---------------------------------------------------------------------------------------------
// Polygons

namespace {

using TessCallback = void (*)();

struct Tessellator {
    GLUtesselator* tess = nullptr;
    ArrayBuffer<double> coordinates;
    // Points made where edges cross; kept until the next polygon.
    std::deque<std::array<double, 3>> crossings;
};

Tessellator& TheTessellator()
{
    // Lives until the process ends.
    static Tessellator* tessellator = new Tessellator();
    return *tessellator;
}

void GLAPIENTRY BeginCallback(GLenum mode)
{
    glBegin(mode);
}

void GLAPIENTRY VertexCallback(void* data)
{
    glVertex3dv(static_cast<const GLdouble*>(data));
}

void GLAPIENTRY EndCallback()
{
    glEnd();
}

// Edges that cross need a new vertex at the crossing; without one GLU drops the polygon.
void GLAPIENTRY CombineCallback(GLdouble coords[3], void* /*vertexData*/[4], GLfloat /*weight*/[4], void** outData)
{
    auto& crossings = TheTessellator().crossings;
    crossings.push_back({coords[0], coords[1], coords[2]});
    *outData = crossings.back().data();
}

} // namespace

CGLPolygon::CGLPolygon()
{
    Tessellator& t = TheTessellator();
    if (t.tess)
        return;
    t.tess = gluNewTess();
    if (!t.tess)
        return;
    gluTessNormal(t.tess, 0.0, 0.0, 1.0);
    gluTessProperty(t.tess, GLU_TESS_TOLERANCE, 1.0);
    gluTessCallback(t.tess, GLU_TESS_BEGIN, reinterpret_cast<TessCallback>(&BeginCallback));
    gluTessCallback(t.tess, GLU_TESS_VERTEX, reinterpret_cast<TessCallback>(&VertexCallback));
    gluTessCallback(t.tess, GLU_TESS_END, reinterpret_cast<TessCallback>(&EndCallback));
    gluTessCallback(t.tess, GLU_TESS_COMBINE, reinterpret_cast<TessCallback>(&CombineCallback));
}

void CGLPolygon::Tessellate(const PolylineT<float>& polyline)
{
    Tessellator& t = TheTessellator();
    const uint32_t count = polyline.GetCount();
    if (!t.tess || count == 0)
        return;
    const uint32_t needed = count * 3;
    if (t.coordinates.GetCount() < needed)
        t.coordinates.SetSize(needed);
    t.crossings.clear();
    double* coordinates = t.coordinates.GetData();
    const Array<PointT<float>>& points = polyline.GetPoints();
    gluTessProperty(t.tess, GLU_TESS_BOUNDARY_ONLY, GL_FALSE);
    gluTessBeginPolygon(t.tess, nullptr);
    gluTessBeginContour(t.tess);
    for (uint32_t i = 0; i < count; ++i) {
        double* vertex = coordinates + static_cast<size_t>(i) * 3;
        vertex[0] = points.ElementAt(i).x;
        vertex[1] = points.ElementAt(i).y;
        vertex[2] = 0.0;
        gluTessVertex(t.tess, vertex, vertex);
    }
    gluTessEndContour(t.tess);
    gluTessEndPolygon(t.tess);
}

} // namespace KX
