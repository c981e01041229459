#include "opengl/GLRenderer.h"

#include "kx/Bitmap.h"
#include "kx/Exception.h"
#include "opengl/GLRendererInternal.h"

namespace KX {

namespace {

BoundsF ToBounds(double x, double y, double width, double height) noexcept
{
    return BoundsF{static_cast<float>(x), static_cast<float>(y), static_cast<float>(x + width),
                   static_cast<float>(y + height)};
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Bitmaps

void LGLRenderer::DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<int32_t>& dest, int32_t resizeType)
{
    if (!bitmap)
        ThrowFailedResult(E_INVALIDARG, "KX::LGLRenderer::DrawBitmap", kSource, 1102);
    if (!CanDraw())
        return;
    const int32_t sx = bitmap->GetX();
    const int32_t sy = bitmap->GetY();
    const int32_t sw = bitmap->GetWidth();
    const int32_t sh = bitmap->GetHeight();

    RCPtr<LGLTexture>& slot = m_textures.GetSlot(bitmap->GetHandle(), false);
    if (!slot || slot->GetName() == LGLTexture::kNoName || !slot->IsValid()) {
        RCPtr<LGLTexture> made(new LGLTexture());
        made->LoadFromBitmap(bitmap);
        slot = made;
    }
    const RCPtr<LGLTexture> texture = slot;

    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    if (sw == dest.width && sh == dest.height)
        resizeType = 0;
    const BoundsF source = ToBounds(sx, sy, sw, sh);
    switch (resizeType) {
    case 0: texture->DrawQuad(source, ToBounds(dest.x, dest.y, dest.width, dest.height)); break;
    case 1: {
        // An empty source would never advance.
        if (sw <= 0 || sh <= 0)
            break;
        const int64_t right = static_cast<int64_t>(dest.x) + dest.width;
        const int64_t bottom = static_cast<int64_t>(dest.y) + dest.height;
        for (int64_t x = dest.x; x < right; x += sw)
            for (int64_t y = dest.y; y < bottom; y += sh)
                texture->DrawQuad(source, ToBounds(static_cast<double>(x), static_cast<double>(y), sw, sh));
        break;
    }
    case 2: {
        const int64_t x = dest.x + (static_cast<int64_t>(dest.width) - sw) / 2;
        const int64_t y = dest.y + (static_cast<int64_t>(dest.height) - sh) / 2;
        texture->DrawQuad(source, ToBounds(static_cast<double>(x), static_cast<double>(y), sw, sh));
        break;
    }
    default:
        Throw<std::logic_error>("Invalid ResizeType passed to DrawBitmap!", "KX::LGLRenderer::DrawBitmap", kSource,
                                1152);
    }
}

// ---------------------------------------------------------------------------------------------
// Context surfaces

KXRESULT LGLRenderer::DrawContextSurface(const ConstRCPtr<LRenderContextInfo>& source, const PointT<int32_t>& dest,
                                         const RectT<int32_t>& sourceRect)
{
    const auto* from = dynamic_cast<const LGLRenderContextInfo*>(source.Get());
    if (!from || !from->IsOffscreenOnly())
        return E_INVALIDARG;
    if (!CanDraw() || from->GetSurfaceTexture() == 0)
        return E_FAIL;
    const float textureWidth = from->GetSurfaceTextureWidth();
    const float textureHeight = from->GetSurfaceTextureHeight();
    const float viewportHeight = static_cast<float>(from->GetViewport().height);
    const float s0 = static_cast<float>(sourceRect.x) / textureWidth;
    const float s1 = static_cast<float>(static_cast<int64_t>(sourceRect.x) + sourceRect.width) / textureWidth;
    // The surface's rows run bottom-up.
    const float tTop = (viewportHeight - static_cast<float>(sourceRect.y)) / textureHeight;
    const float tBottom =
        (viewportHeight - static_cast<float>(static_cast<int64_t>(sourceRect.y) + sourceRect.height)) / textureHeight;
    const float left = static_cast<float>(dest.x);
    const float top = static_cast<float>(dest.y);
    const float right = static_cast<float>(static_cast<int64_t>(dest.x) + sourceRect.width);
    const float bottom = static_cast<float>(static_cast<int64_t>(dest.y) + sourceRect.height);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, from->GetSurfaceTexture());
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(s0, tTop);
    glVertex2f(left, top);
    glTexCoord2f(s0, tBottom);
    glVertex2f(left, bottom);
    glTexCoord2f(s1, tBottom);
    glVertex2f(right, bottom);
    glTexCoord2f(s1, tTop);
    glVertex2f(right, top);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    return S_OK;
}

KXRESULT LGLRenderer::ScrollContextSurface(const ConstRCPtr<LRenderContextInfo>& context, const PointT<int32_t>& offset)
{
    auto* target = dynamic_cast<const LGLRenderContextInfo*>(context.Get());
    if (!target || !target->IsOffscreenOnly())
        return E_INVALIDARG;
    RenderStart(context);
    const RectT<int32_t>& viewport = target->GetViewport();
    const RectT<double> area{static_cast<double>(viewport.x), static_cast<double>(viewport.y),
                             static_cast<double>(viewport.width), static_cast<double>(viewport.height)};
    PushClipRect(area, area, ConstRCPtr<LStencil>(), false);
    const GLuint texture = target->GetSurfaceTexture();
    if (CanDraw() && texture != 0) {
        const float textureWidth = target->GetSurfaceTextureWidth();
        const float textureHeight = target->GetSurfaceTextureHeight();
        const float width = static_cast<float>(viewport.width);
        const float height = static_cast<float>(viewport.height);
        const float s0 = static_cast<float>(viewport.x) / textureWidth;
        const float s1 = (static_cast<float>(viewport.x) + width) / textureWidth;
        const float tTop = height / textureHeight;
        const float left = static_cast<float>(offset.x);
        const float top = static_cast<float>(offset.y);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glBlendFunc(GL_ONE, GL_ZERO);
        glBegin(GL_QUADS);
        glTexCoord2f(s0, tTop);
        glVertex2f(left, top);
        glTexCoord2f(s0, 0.0f);
        glVertex2f(left, top + height);
        glTexCoord2f(s1, 0.0f);
        glVertex2f(left + width, top + height);
        glTexCoord2f(s1, tTop);
        glVertex2f(left + width, top);
        glEnd();
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDisable(GL_TEXTURE_2D);
    }
    PopState();
    RenderFinish(context);
    return S_OK;
}

} // namespace KX
