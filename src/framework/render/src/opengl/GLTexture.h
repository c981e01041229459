#pragma once
// OpenGL textures of the OpenGL renderer: the staging image that carries pixels to OpenGL, the
// texture with its upload rules and textured-quad drawing, and the polygon tessellator.
// Everything here needs the renderer's OpenGL context current on the calling thread.
#include "fonts/GlyphProcessor.h"
#include "kx/Geometry.h"
#include "kx/RefCountedObject.h"

#include <GL/gl.h>

#include <cstdint>

namespace KX {

class LBitmap;

// The smallest power of two not below n, at most 16384; 0 for n below 1.
int32_t NextPowerOfTwo(int32_t n) noexcept;

// Pixels on their way to OpenGL; may own its block. Rows run top-down, rowLength bytes apart.
struct SGLImage {
    GLenum format = 0;
    GLenum type = 0;
    bool ownsData = false;
    uint8_t* data = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t rowLength = 0;
    int32_t bytesPerPixel = 0;

    SGLImage() = default;
    SGLImage(const SGLImage&) = delete;
    SGLImage& operator=(const SGLImage&) = delete;
    ~SGLImage() { Free(); }

    // All fields 0; an owned block is not freed.
    void Clear() noexcept;
    // Frees an owned block, then clears.
    void Free() noexcept;
    // Takes the other image's fields and clears it.
    void Move(SGLImage& other) noexcept;
    // Points at pixels owned elsewhere (an owned block is freed first).
    void Set(uint8_t* pixels, int32_t rowBytes, int32_t pixelBytes, int32_t w, int32_t h, GLenum pixelFormat,
             GLenum pixelType) noexcept;

    // A 32-bit image becomes an owned 8-bit alpha image: a pixel of exactly 0 gives 0, any other
    // 255 minus its luminance (0.59 green + 0.3 red + 0.11 blue). False when this is not a
    // 32-bit image.
    bool ToAlphaMask();
    // An owned copy scaled to w x h by GLU; false (image unchanged) when scaling fails.
    bool Rescale(int32_t w, int32_t h);
};

// A 2D texture. Its name is kNoName until the first upload.
class LGLTexture : public virtual LRefCountedObject {
public:
    static constexpr GLuint kNoName = 0xFFFFFFFFu;
    // Upload flags.
    static constexpr int32_t kNearest = 1;
    static constexpr int32_t kRepeat = 2;
    static constexpr int32_t kMipmaps = 4;

    LGLTexture();

    // Sends the image into the texture (a power-of-two size at least the image's; halved while
    // OpenGL cannot hold it, the image then rescaled to it). The image may be converted or
    // replaced on the way. GL errors are drained.
    void Upload(SGLImage& image, GLint internalFormat, int32_t flags, float scale);
    // Draws the source rectangle (image texels, left/top/right/bottom) onto the destination
    // rectangle; texel row 0 is the top of the image. Leaves texturing on.
    void DrawQuad(const BoundsF& source, const BoundsF& destination) const;
    // Keeps the bitmap and uploads its root's pixels (linear, clamped, no mipmaps).
    void LoadFromBitmap(const ConstRCPtr<LBitmap>& bitmap);
    // Halves width and height while OpenGL cannot allocate such a texture; returns the factor
    // by which they were reduced (1, 2, 4, ...).
    static int32_t ProbeSize(int32_t& width, int32_t& height, GLint internalFormat, GLenum format, GLenum type);

    GLenum GetTarget() const noexcept { return m_target; }
    GLuint GetName() const noexcept { return m_name; }
    // True when the name is a texture OpenGL knows.
    bool IsValid() const;
    float GetTextureWidth() const noexcept { return m_textureWidth; }
    float GetTextureHeight() const noexcept { return m_textureHeight; }
    float GetImageWidth() const noexcept { return m_imageWidth; }
    float GetImageHeight() const noexcept { return m_imageHeight; }
    float GetLogicalWidth() const noexcept { return m_logicalWidth; }
    float GetLogicalHeight() const noexcept { return m_logicalHeight; }
    const ConstRCPtr<LBitmap>& GetSource() const noexcept { return m_source; }

protected:
    ~LGLTexture() override;

private:
    GLenum m_target = GL_TEXTURE_2D;
    GLuint m_name = kNoName;
    float m_textureWidth = 0.0f;
    float m_textureHeight = 0.0f;
    float m_imageWidth = 0.0f;
    float m_imageHeight = 0.0f;
    float m_logicalWidth = 0.0f;
    float m_logicalHeight = 0.0f;
    ConstRCPtr<LBitmap> m_source;
};

// Fills polygons through one process-wide GLU tessellator (GLU's default winding rule).
class CGLPolygon {
public:
    CGLPolygon();
    virtual ~CGLPolygon() = default;

    // Emits the filled polygon of the points as GL primitives.
    void Tessellate(const PolylineT<float>& polyline);
};

// Drains pending GL errors; returns the first one (GL_NO_ERROR when none).
GLenum DrainGLErrors() noexcept;

} // namespace KX
