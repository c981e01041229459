// OpenGL textures: power-of-two sizes, staging-image conversions and uploads.
#include "GLRendererTestUtil.h"

#include <GL/glext.h>

#include <vector>

using namespace KX;
using namespace gltest;

namespace {

// A bound OSMesa context for texture work outside the renderer.
class GLTextures : public ::testing::Test {
protected:
    GLTextures() : glContext(LOSMesaContext::Create()), surface(LOSMesaSurface::Create(16, 16))
    {
        EXPECT_TRUE(glContext);
        binding = std::make_unique<ScopedGLBinding>(glContext.Get(), surface.Get());
        EXPECT_TRUE(binding->IsBound());
    }

    RCPtr<LOSMesaContext> glContext;
    RCPtr<LOSMesaSurface> surface;
    std::unique_ptr<ScopedGLBinding> binding;
};

RCPtr<LGLTexture> MakeTexture()
{
    return RCPtr<LGLTexture>(new LGLTexture());
}

} // namespace

TEST(GLPowerOfTwo, RoundsUpAndStopsAt16384)
{
    const std::pair<int32_t, int32_t> cases[] = {{-5, 0},  {0, 0},   {1, 1},     {2, 2},         {3, 4},
                                                 {16, 16}, {17, 32}, {100, 128}, {16384, 16384}, {20000, 16384}};
    for (auto [n, expected] : cases)
        EXPECT_EQ(NextPowerOfTwo(n), expected) << n;
}

TEST(GLStagingImage, AlphaMasksInvertTheLuminanceAndKeepZero)
{
    std::vector<uint32_t> pixels = {0xFFFFFFFFu, 0xFF000000u, 0x00000000u, 0xFF808080u, 0x00FFFFFFu};
    SGLImage image;
    image.Set(reinterpret_cast<uint8_t*>(pixels.data()), 20, 4, 5, 1, GL_BGRA, GL_UNSIGNED_BYTE);
    ASSERT_TRUE(image.ToAlphaMask());
    EXPECT_TRUE(image.ownsData);
    EXPECT_EQ(image.format, static_cast<GLenum>(GL_ALPHA));
    EXPECT_EQ(image.bytesPerPixel, 1);
    EXPECT_EQ(image.width, 5);
    EXPECT_EQ(image.height, 1);
    EXPECT_EQ(image.rowLength, 8); // 5 rounded up to a multiple of 4
    EXPECT_EQ(image.data[0], 0);
    EXPECT_EQ(image.data[1], 255);
    EXPECT_EQ(image.data[2], 0);
    EXPECT_EQ(image.data[3], 255 - 128);
    EXPECT_EQ(image.data[4], 0); // transparent white is not 0: luminance 255
    // Only 32-bit images convert.
    EXPECT_FALSE(image.ToAlphaMask());
}

TEST_F(GLTextures, ImagesGoIntoPowerOfTwoTexturesFromTheTopLeft)
{
    RCPtr<LBitmap> bitmap = MakeBitmap(100, 30, [](int32_t x, int32_t) { return x < 50 ? 0xFFFF0000u : 0xFF0000FFu; });
    RCPtr<LGLTexture> texture = MakeTexture();
    EXPECT_EQ(texture->GetName(), LGLTexture::kNoName);
    texture->LoadFromBitmap(bitmap);
    ASSERT_TRUE(texture->IsValid());
    EXPECT_EQ(texture->GetSource().Get(), bitmap.Get());
    EXPECT_EQ(texture->GetTextureWidth(), 128.0f);
    EXPECT_EQ(texture->GetTextureHeight(), 32.0f);
    EXPECT_EQ(texture->GetImageWidth(), 100.0f);
    EXPECT_EQ(texture->GetImageHeight(), 30.0f);
    EXPECT_EQ(texture->GetLogicalWidth(), 100.0f);

    std::vector<uint32_t> texels(128 * 32);
    glBindTexture(GL_TEXTURE_2D, texture->GetName());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_EQ(texels[0], 0xFFFF0000u);
    EXPECT_EQ(texels[99], 0xFF0000FFu);
    EXPECT_EQ(texels[29 * 128 + 49], 0xFFFF0000u);
    // One texel of padding repeats the last column and row.
    EXPECT_EQ(texels[100], 0xFF0000FFu);
    EXPECT_EQ(texels[30 * 128], 0xFFFF0000u);
    EXPECT_EQ(texels[30 * 128 + 100], 0xFF0000FFu);

    // A repeated upload keeps the name.
    const GLuint name = texture->GetName();
    texture->LoadFromBitmap(bitmap);
    EXPECT_EQ(texture->GetName(), name);
    // Releasing the texture deletes it.
    texture = nullptr;
    EXPECT_FALSE(glIsTexture(name));
}

TEST_F(GLTextures, RepeatingTexturesAreRescaledToTheirPowerOfTwo)
{
    std::vector<uint32_t> pixels(100 * 30, 0xFF00FF00u);
    SGLImage image;
    image.Set(reinterpret_cast<uint8_t*>(pixels.data()), 400, 4, 100, 30, GL_BGRA, GL_UNSIGNED_BYTE);
    RCPtr<LGLTexture> texture = MakeTexture();
    texture->Upload(image, GL_RGBA8, LGLTexture::kRepeat, 2.0f);
    EXPECT_EQ(texture->GetImageWidth(), 128.0f);
    EXPECT_EQ(texture->GetImageHeight(), 32.0f);
    EXPECT_EQ(texture->GetLogicalWidth(), 50.0f);
    EXPECT_TRUE(image.ownsData); // the rescaled copy
    EXPECT_EQ(image.width, 128);
    std::vector<uint32_t> texels(128 * 32);
    glBindTexture(GL_TEXTURE_2D, texture->GetName());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_EQ(texels[127 + 31 * 128], 0xFF00FF00u);
    GLint wrap = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_REPEAT);
}

TEST_F(GLTextures, AlphaFormatsConvertTheImageToAMask)
{
    std::vector<uint32_t> pixels = {0xFF000000u, 0xFFFFFFFFu, 0u, 0xFF000000u};
    SGLImage image;
    image.Set(reinterpret_cast<uint8_t*>(pixels.data()), 8, 4, 2, 2, GL_BGRA, GL_UNSIGNED_BYTE);
    RCPtr<LGLTexture> texture = MakeTexture();
    texture->Upload(image, GL_ALPHA8, LGLTexture::kNearest, 1.0f);
    std::vector<uint8_t> alpha(4);
    glBindTexture(GL_TEXTURE_2D, texture->GetName());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, alpha.data());
    EXPECT_EQ(alpha[0], 255);
    EXPECT_EQ(alpha[1], 0);
    EXPECT_EQ(alpha[2], 0);
    EXPECT_EQ(alpha[3], 255);
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
    EXPECT_EQ(filter, GL_NEAREST);
}

TEST_F(GLTextures, MipmappedTexturesHaveEveryLevel)
{
    std::vector<uint32_t> pixels(8 * 8, 0xFF204060u);
    SGLImage image;
    image.Set(reinterpret_cast<uint8_t*>(pixels.data()), 32, 4, 8, 8, GL_BGRA, GL_UNSIGNED_BYTE);
    RCPtr<LGLTexture> texture = MakeTexture();
    texture->Upload(image, GL_RGBA8, LGLTexture::kMipmaps, 1.0f);
    glBindTexture(GL_TEXTURE_2D, texture->GetName());
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 3, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 1);
    uint32_t texel = 0;
    glGetTexImage(GL_TEXTURE_2D, 3, GL_BGRA, GL_UNSIGNED_BYTE, &texel);
    EXPECT_EQ(texel, 0xFF204060u);
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR_MIPMAP_LINEAR);
}

TEST_F(GLTextures, SizesOpenGLCannotHoldAreHalved)
{
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    int32_t width = largest * 4;
    int32_t height = 64;
    EXPECT_EQ(LGLTexture::ProbeSize(width, height, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE), 4);
    EXPECT_EQ(width, largest);
    EXPECT_EQ(height, 16);
    width = 64;
    height = 64;
    EXPECT_EQ(LGLTexture::ProbeSize(width, height, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE), 1);
    EXPECT_EQ(width, 64);
}

TEST_F(GLTextures, AnEmptyImageMakesATextureThatDrawsNothing)
{
    RCPtr<LGLTexture> texture = MakeTexture();
    SGLImage image;
    texture->Upload(image, GL_RGBA8, 0, 1.0f);
    EXPECT_EQ(texture->GetTextureWidth(), 0.0f);
    texture->DrawQuad({0, 0, 1, 1}, {0, 0, 4, 4});
    RCPtr<LBitmap> empty(new LBitmap(WString(u"none"), WString(u"/no/such/image.png")));
    texture->LoadFromBitmap(empty);
    EXPECT_EQ(texture->GetTextureWidth(), 0.0f);
}
