#include "opengl/GLRenderer.h"

#include "fonts/FreetypeFontRenderer.h"
#include "kx/AppServices.h"
#include "kx/Bitmap.h"
#include "kx/Exception.h"
#include "kx/Font.h"
#include "kx/RenderHost.h"
#include "opengl/GLGlyphRenderer.h"

#include <GL/glu.h>

#include <algorithm>
#include <cmath>

namespace KX {

namespace {

constexpr const char* kSource = "Renderer\\OpenGL\\GLRenderer";
constexpr uint32_t kIconExclamation = 0x30;

void SetColor(const LColor& color) noexcept
{
    glColor4f(color.red, color.green, color.blue, color.alpha);
}

BoundsF ToBounds(double x, double y, double width, double height) noexcept
{
    return BoundsF{static_cast<float>(x), static_cast<float>(y), static_cast<float>(x + width),
                   static_cast<float>(y + height)};
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Construction

LGLRenderer::LGLRenderer(const RCPtr<LFontRenderer>& fontRenderer, WindowHandle window)
    : m_fontRenderer(fontRenderer), m_window(window)
{
    Construct(RCPtr<LGLContext>());
}

LGLRenderer::LGLRenderer(const RCPtr<LFontRenderer>& fontRenderer, WindowHandle window,
                         const RCPtr<LGLContext>& context)
    : m_fontRenderer(fontRenderer), m_window(window)
{
    Construct(context);
}

RCPtr<LRenderer> LGLRenderer::CreateWithFreetype(WindowHandle window)
{
    const RCPtr<LGlyphProcessor> glyphs(new LGLGlyphRenderer());
    const RCPtr<LFontRenderer> fonts(new LFreetypeFontRenderer(glyphs));
    return RCPtr<LRenderer>(new LGLRenderer(fonts, window));
}

void LGLRenderer::Construct(const RCPtr<LGLContext>& given)
{
    m_lastPurgeTime = GetTickTime();
    m_errorCaption = LookupAppString(WString(u"GL_ERROR_CAPTION"));
    m_errorHint = LookupAppString(WString(u"GL_ERROR_UPDATE_DRIVER"));

    RCPtr<LGLContext> context = given;
    if (!context) {
        if (auto* glWindow = dynamic_cast<IGLWindow*>(m_window))
            context = glWindow->CreateGLContext();
        else
            context = LGLContext::CreateOffscreen();
    }
    if (!context) {
        ShowErrorBox(u"GL_ERROR_MESSAGE_CREATE_CONTEXT");
        Throw<std::runtime_error>("", "KX::LGLRenderer::LGLRenderer", kSource, 171);
    }
    // The surface set-up and teardown bind to while no frame runs.
    RCPtr<LGLSurface> probe = context->CreateSurface(nullptr, RectT<int32_t>{0, 0, 1, 1}, true);
    if (!probe)
        Throw<std::runtime_error>("", "KX::LGLRenderer::LGLRenderer", kSource, 150);
    {
        const ScopedGLBinding binding(context.Get(), probe.Get());
        if (!binding.IsBound()) {
            ShowMakeCurrentErrorBox(*context);
            Throw<std::runtime_error>("", "KX::LGLRenderer::LGLRenderer", kSource, 180);
        }
    }
    m_context = context;
    m_probe = probe;
    m_doubleBuffered = context->IsDoubleBuffered();
    m_swapCopies = context->SwapsByCopy();
}

LGLRenderer::~LGLRenderer()
{
    if (m_context && m_probe) {
        // Textures and lists go while their context is bound.
        const ScopedGLBinding binding(m_context.Get(), m_probe.Get());
        m_textures.ReleaseAll();
        for (LGLDisplayListCache* cache : m_listCaches)
            cache->ReleaseAll();
        if (m_fontRenderer) {
            if (auto* glyphs = dynamic_cast<LGLGlyphRenderer*>(m_fontRenderer->GetGlyphProcessor().Get()))
                glyphs->GetFontCache().ReleaseAll();
        }
        m_fontRenderer = nullptr;
    }
    if (LGLContext::GetBoundContext() == m_context.Get())
        LGLContext::Unbind();
    m_probe = nullptr;
    m_context = nullptr;
}

void LGLRenderer::ShowErrorBox(const char16_t* messageKey) const
{
    WString text = LookupAppString(WString(messageKey));
    text += m_errorHint;
    ShowAppMessageBox(text, m_errorCaption, kIconExclamation);
}

void LGLRenderer::ShowMakeCurrentErrorBox(const LGLContext& context) const
{
    WString system;
    const int32_t error = context.GetLastError(system);
    WString format = LookupAppString(WString(u"GL_ERROR_MESSAGE_MAKE_CONTEXT_CURRENT"));
    format += m_errorHint;
    WString text;
    text.SetFormatted(format.GetString(), error, system.GetString());
    ShowAppMessageBox(text, m_errorCaption, kIconExclamation);
}

int32_t LGLRenderer::GetRendererType() const
{
    return kRendererOpenGL;
}

// ---------------------------------------------------------------------------------------------
// Text measuring

namespace {

// The font whose glyphs the glyph record and the atlas can hold: the font itself, or the same
// face and style at the largest such size, with the scale that brings it back to size.
ConstRCPtr<LFont> GlyphSizedFont(const ConstRCPtr<LFont>& font, float& scale)
{
    scale = 1.0f;
    if (!font || !std::isfinite(font->GetSize()) || font->GetSize() <= LGLRenderer::kLargestGlyphSize)
        return font;
    scale = font->GetSize() / LGLRenderer::kLargestGlyphSize;
    return LFont::GetFont(font->GetFaceName(), LGLRenderer::kLargestGlyphSize, font->GetStyle());
}

int32_t Scaled(int32_t value, float scale)
{
    return RoundToInt32(static_cast<double>(value) * scale);
}

} // namespace

KXRESULT LGLRenderer::GetFontMetrics(const ConstRCPtr<LFont>& font, int32_t& height, int32_t& ascent,
                                     int32_t& descent) const
{
    if (!m_fontRenderer)
        return E_FAIL;
    float scale = 1.0f;
    const ConstRCPtr<LFont> sized = GlyphSizedFont(font, scale);
    if (sized == font)
        return m_fontRenderer->GetFontMetrics(font, height, ascent, descent);
    int32_t h = 0, a = 0, d = 0;
    const KXRESULT result = m_fontRenderer->GetFontMetrics(sized, h, a, d);
    if (Succeeded(result)) {
        height = Scaled(h, scale);
        ascent = Scaled(a, scale);
        descent = Scaled(d, scale);
    }
    return result;
}

RectT<float> LGLRenderer::MeasureText(const WString& text, const ConstRCPtr<LFont>& font) const
{
    if (!m_fontRenderer)
        return RectT<float>{};
    float scale = 1.0f;
    const ConstRCPtr<LFont> sized = GlyphSizedFont(font, scale);
    RectT<float> box;
    // Measuring may evict a cached font, whose atlas texture must go while the context is bound.
    if (LGLContext::GetBoundContext() != m_context.Get() && m_probe) {
        const ScopedGLBinding binding(m_context.Get(), m_probe.Get());
        box = m_fontRenderer->MeasureText(text, sized);
    } else {
        box = m_fontRenderer->MeasureText(text, sized);
    }
    return RectT<float>{box.x * scale, box.y * scale, box.width * scale, box.height * scale};
}

// ---------------------------------------------------------------------------------------------
// Contexts and frames

KXRESULT LGLRenderer::InitRenderContextInfo(const RectT<int32_t>& viewport, WindowHandle window, bool offscreenOnly,
                                            RCPtr<LRenderContextInfo>& out)
{
    RCPtr<LGLSurface> surface = m_context->CreateSurface(window, viewport, offscreenOnly);
    if (!surface) {
        out = nullptr;
        ShowErrorBox(u"GL_ERROR_MESSAGE_SET_PIXEL_FORMAT");
        Throw<std::runtime_error>("", "KX::LGLRenderer::InitRenderContextInfo", kSource, 334);
    }
    RCPtr<LGLRenderContextInfo> info =
        LGLRenderContextInfo::Create(viewport, window, offscreenOnly, m_context, surface);
    const ScopedGLBinding binding(m_context.Get(), surface.Get());
    if (!binding.IsBound()) {
        out = nullptr;
        ShowMakeCurrentErrorBox(*m_context);
        Throw<std::runtime_error>("", "KX::LGLRenderer::InitRenderContextInfo", kSource, 340);
    }
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glDisable(GL_LIGHTING);
    glDisable(GL_DITHER);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_POLYGON_SMOOTH);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
    glEnable(GL_POINT_SMOOTH);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_SCISSOR_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glAlphaFunc(GL_GREATER, 0.003921569f);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    DrainGLErrors();
    out = RCPtr<LRenderContextInfo>(info.Get());
    return S_OK;
}

LGLRenderContextInfo* LGLRenderer::CurrentGLContext() const noexcept
{
    return dynamic_cast<LGLRenderContextInfo*>(GetCurrentContext());
}

bool LGLRenderer::CanDraw() const noexcept
{
    return m_context && LGLContext::GetBoundContext() == m_context.Get() && CurrentGLContext() != nullptr;
}

KXRESULT LGLRenderer::SetViewport(const RectT<int32_t>& viewport)
{
    LRenderer::SetViewport(viewport);
    if (!CanDraw())
        return S_OK;
    glViewport(viewport.x, viewport.y, viewport.width, viewport.height);
    GLint actual[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, actual);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, actual[2], actual[3], 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    return S_OK;
}

void LGLRenderer::ApplyCurrentOrigin() const
{
    const RenderState& state = CurrentGLContext()->GetCurrentState();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (state.originX != 0.0 || state.originY != 0.0)
        glTranslatef(static_cast<float>(state.originX), static_cast<float>(state.originY), 0.0f);
}

KXRESULT LGLRenderer::RenderStart(const ConstRCPtr<LRenderContextInfo>& context)
{
    LRenderer::RenderStart(context);
    auto* info = dynamic_cast<LGLRenderContextInfo*>(const_cast<LRenderContextInfo*>(context.Get()));
    if (!info || !info->GetSurface() || info->GetGLContext() != m_context)
        return S_OK;
    const RectT<int32_t>& viewport = info->GetViewport();
    info->GetSurface()->SetSize(viewport.width, viewport.height);
    if (!m_context->Bind(*info->GetSurface())) {
        ShowMakeCurrentErrorBox(*m_context);
        return E_FAIL;
    }
    SetViewport(viewport);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    // The context's state persists between frames: its origin and clip apply from the start.
    ApplyCurrentOrigin();
    ApplyCurrentClip();
    return S_OK;
}

void LGLRenderer::CopyBackToFront(const RectT<int32_t>& viewport)
{
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_PIXEL_MODE_BIT | GL_CURRENT_BIT | GL_ENABLE_BIT | GL_SCISSOR_BIT);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_TEXTURE_2D);
    glReadBuffer(GL_BACK);
    glDrawBuffer(GL_FRONT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0.0, viewport.width, 0.0, viewport.height);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRasterPos2i(0, 0);
    glEnable(GL_COLOR_LOGIC_OP);
    glLogicOp(GL_COPY);
    glCopyPixels(0, 0, viewport.width, viewport.height, GL_COLOR);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

KXRESULT LGLRenderer::RenderFinish(const ConstRCPtr<LRenderContextInfo>& context)
{
    const ConstRCPtrArray<LRenderContextInfo>& stack = GetContextStack();
    const uint32_t count = stack.GetCount();
    // A mismatch throws from the base before anything is presented.
    if (count != 0 && stack.ElementAt(count - 1) == context && CanDraw()) {
        auto* info = CurrentGLContext();
        DrainGLErrors();
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        if (!info->IsOffscreenOnly()) {
            if (!m_doubleBuffered) {
                glFlush();
            } else if (m_swapCopies) {
                info->SwapBuffers();
            } else {
                glFlush();
                CopyBackToFront(info->GetViewport());
            }
        } else {
            glFlush();
            info->CaptureSurface();
        }
        DrainGLErrors();
        LGLContext::Unbind();
    }
    LRenderer::RenderFinish(context);

    if (GetContextStack().GetCount() != 0) {
        // Back to the frame below: its surface, viewport, origin and clip.
        LGLRenderContextInfo* below = CurrentGLContext();
        if (below && below->GetSurface() && below->GetGLContext() == m_context &&
            m_context->Bind(*below->GetSurface())) {
            SetViewport(below->GetViewport());
            ApplyCurrentOrigin();
            ApplyCurrentClip();
        }
        return S_OK;
    }
    const uint32_t now = GetTickTime();
    if (now - m_lastPurgeTime > kPurgeInterval) {
        PurgeCaches();
        m_lastPurgeTime = now;
    }
    return S_OK;
}

void LGLRenderer::PurgeCaches()
{
    // Dropped textures and lists are deleted in their context.
    const ScopedGLBinding binding(m_context.Get(), m_probe.Get());
    m_textures.Purge();
    for (LGLDisplayListCache* cache : m_listCaches)
        cache->Purge();
}

// ---------------------------------------------------------------------------------------------
// State

void LGLRenderer::ApplyScissor(double x, double y, double width, double height) const
{
    const RectT<int32_t>& viewport = CurrentGLContext()->GetViewport();
    // Negative corners are folded into the size while still in doubles, and the size is cut
    // at the viewport, so that a clip of "everything" does not saturate into nothing.
    double sx = x;
    double sy = static_cast<double>(viewport.height) - (y + height);
    double sw = width;
    double sh = height;
    if (sx < 0.0) {
        sw += sx;
        sx = 0.0;
    }
    if (sy < 0.0) {
        sh += sy;
        sy = 0.0;
    }
    sw = std::min(sw, static_cast<double>(viewport.width) + 1.0);
    sh = std::min(sh, static_cast<double>(viewport.height) + 1.0);
    const int32_t left = RoundToInt32(sx);
    const int32_t bottom = RoundToInt32(sy);
    const int32_t w = RoundToInt32(sw);
    const int32_t h = RoundToInt32(sh);
    if (w > 0 && h > 0)
        glScissor(left, bottom, w, h);
    else
        glScissor(viewport.width, 0, 1, 1);
}

void LGLRenderer::ApplyCurrentClip() const
{
    const RenderState& state = CurrentGLContext()->GetCurrentState();
    ApplyScissor(state.clip.x + state.originX, state.clip.y + state.originY, state.clip.width, state.clip.height);
}

void LGLRenderer::SetClipRect(const RectT<double>& rect)
{
    LRenderer::SetClipRect(rect);
    if (CanDraw())
        ApplyCurrentClip();
}

void LGLRenderer::OffsetOrigin(const PointT<double>& offset)
{
    LRenderer::OffsetOrigin(offset);
    if (CanDraw() && (offset.x != 0.0 || offset.y != 0.0)) {
        glMatrixMode(GL_MODELVIEW);
        glTranslatef(static_cast<float>(offset.x), static_cast<float>(offset.y), 0.0f);
    }
}

// ---------------------------------------------------------------------------------------------
// Text, lines and rectangles

void LGLRenderer::DrawText(const WString& text, const ConstRCPtr<LFont>& font, const PointT<int32_t>& position,
                           const LColor& color)
{
    if (!m_fontRenderer || text.IsEmpty() || !font || !CanDraw())
        return;
    SetColor(color);
    const PointT<double> offset{static_cast<double>(position.x), static_cast<double>(position.y)};
    OffsetOrigin(offset);
    float scale = 1.0f;
    const ConstRCPtr<LFont> sized = GlyphSizedFont(font, scale);
    if (scale != 1.0f) {
        glPushMatrix();
        glScalef(scale, scale, 1.0f);
    }
    m_fontRenderer->RenderText(text, sized, m_fontRenderer->GetGlyphProcessor(), 0, 0.0f,
                               LGlyphProcessor::kModeLoad | LGlyphProcessor::kModeMeasure |
                                   LGlyphProcessor::kModeRender | LGlyphProcessor::kModeDraw);
    if (scale != 1.0f)
        glPopMatrix();
    OffsetOrigin(PointT<double>{-offset.x, -offset.y});
}

void LGLRenderer::DrawLine(const PointT<float>& from, const PointT<float>& to, const LColor& color, float width)
{
    if (!CanDraw())
        return;
    glDisable(GL_TEXTURE_2D);
    glLineWidth(width);
    SetColor(color);
    glBegin(GL_LINES);
    glVertex2f(from.x, from.y);
    glVertex2f(to.x, to.y);
    glEnd();
}

void LGLRenderer::DrawRect(const RectT<int32_t>& rect, const LColor& color, float lineWidth)
{
    if (!CanDraw())
        return;
    const float left = static_cast<float>(rect.x);
    const float top = static_cast<float>(rect.y);
    const float right = static_cast<float>(static_cast<int64_t>(rect.x) + rect.width);
    const float bottom = static_cast<float>(static_cast<int64_t>(rect.y) + rect.height);
    glDisable(GL_TEXTURE_2D);
    glLineWidth(lineWidth);
    SetColor(color);
    glBegin(GL_LINE_STRIP);
    glVertex2f(left, top);
    glVertex2f(right, top);
    glVertex2f(right, bottom);
    glVertex2f(left, bottom);
    glVertex2f(left, top);
    glEnd();
}

void LGLRenderer::FillRect(const RectT<int32_t>& rect, const LColor& color, bool blend)
{
    if (!CanDraw())
        return;
    if (blend) {
        const float left = static_cast<float>(rect.x);
        const float top = static_cast<float>(rect.y);
        const float right = static_cast<float>(static_cast<int64_t>(rect.x) + rect.width);
        const float bottom = static_cast<float>(static_cast<int64_t>(rect.y) + rect.height);
        SetColor(color);
        glDisable(GL_TEXTURE_2D);
        glBegin(GL_QUADS);
        glVertex2f(left, top);
        glVertex2f(right, top);
        glVertex2f(right, bottom);
        glVertex2f(left, bottom);
        glEnd();
        return;
    }
    const RenderState& state = CurrentGLContext()->GetCurrentState();
    ApplyScissor(rect.x + state.originX, rect.y + state.originY, rect.width, rect.height);
    glClearColor(color.red, color.green, color.blue, color.alpha);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ApplyCurrentClip();
}

void LGLRenderer::DrawFilledRect(const RectT<int32_t>& rect, const LColor& fill, const LColor& line, float lineWidth)
{
    if (fill.alpha > 0.0f)
        FillRect(rect, fill, true);
    if (line.alpha > 0.0f)
        DrawRect(rect, line, lineWidth);
}

void LGLRenderer::DrawColorRectList(const ColorRectListT<float>& list, const PointT<double>& offset, bool keepCached)
{
    if (!CanDraw())
        return;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslated(offset.x, offset.y, 0.0);
    auto draw = [this, &list] {
        const float scaleX = list.GetScaleX();
        const float scaleY = list.GetScaleY();
        for (uint32_t i = list.GetCount(); i-- > 0;) {
            const auto& item = list.GetItem(i);
            const RectT<int32_t> rect{RoundToInt32(static_cast<double>(item.rect.x) * scaleX),
                                      RoundToInt32(static_cast<double>(item.rect.y) * scaleY),
                                      RoundToInt32(static_cast<double>(item.rect.width) * scaleX),
                                      RoundToInt32(static_cast<double>(item.rect.height) * scaleY)};
            FillRect(rect, LColor::MakeFromARGB(item.argb), true);
        }
    };
    if (keepCached) {
        const bool changed = list.TakeChanged();
        RCPtr<LGLDisplayList>& slot = m_colorRects.GetSlot(list.GetHandle(), changed);
        if (!slot) {
            RCPtr<LGLDisplayList> made(new LGLDisplayList(1));
            if (made->Begin(0) == S_OK) {
                draw();
                glEndList();
                DrainGLErrors();
                slot = made;
            }
        }
        if (slot) {
            const RCPtr<LGLDisplayList> lists = slot;
            lists->Call(0, 1);
        }
    } else {
        m_colorRects.Drop(list.GetHandle());
        draw();
    }
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

// ---------------------------------------------------------------------------------------------
// Shapes

void LGLRenderer::DrawLineSegments(const PolylineT<float>& polyline, const LColor& color, const PointT<float>& offset,
                                   const PointT<float>& scale, bool keepCached)
{
    DrawShape(ShapeKind::LineSegments, polyline, color, offset, scale, keepCached);
}

void LGLRenderer::DrawPolyline(const PolylineT<float>& polyline, const LColor& color, const PointT<float>& offset,
                               const PointT<float>& scale, bool keepCached)
{
    DrawShape(ShapeKind::Polyline, polyline, color, offset, scale, keepCached);
}

void LGLRenderer::DrawPolygon(const PolylineT<float>& polyline, const LColor& color, const PointT<float>& offset,
                              const PointT<float>& scale, bool keepCached)
{
    DrawShape(ShapeKind::Polygon, polyline, color, offset, scale, keepCached);
}

void LGLRenderer::FillPolygon(const PolylineT<float>& polyline, const LColor& color, const PointT<float>& offset,
                              const PointT<float>& scale, bool keepCached)
{
    DrawShape(ShapeKind::FilledPolygon, polyline, color, offset, scale, keepCached);
}

void LGLRenderer::DrawShape(ShapeKind kind, const PolylineT<float>& polyline, const LColor& color,
                            const PointT<float>& offset, const PointT<float>& scale, bool keepCached)
{
    if (!CanDraw())
        return;
    LGLDisplayListCache* cache = nullptr;
    switch (kind) {
    case ShapeKind::LineSegments: cache = &m_lineSegments; break;
    case ShapeKind::Polyline: cache = &m_polylines; break;
    case ShapeKind::Polygon: cache = &m_polygonOutlines; break;
    case ShapeKind::FilledPolygon: cache = &m_filledPolygons; break;
    }
    const int32_t handle = polyline.GetHandle();

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(offset.x, offset.y, 0.0f);
    glScalef(scale.x, scale.y, 1.0f);
    SetColor(color);
    glLineWidth(polyline.GetLineWidth());
    glDisable(GL_TEXTURE_2D);

    auto draw = [kind, &polyline] {
        const uint32_t count = polyline.GetCount();
        if (count == 0)
            return;
        if (kind == ShapeKind::FilledPolygon) {
            CGLPolygon().Tessellate(polyline);
            return;
        }
        const PointT<float>* points = polyline.GetPoints().GetData();
        static_assert(sizeof(PointT<float>) == 2 * sizeof(float), "points are pairs of floats");
        // A polygon's outline is a strip over its points, not closed back to the first one
        // (a closing edge is the caller's last point).
        const GLenum mode = kind == ShapeKind::LineSegments ? GL_LINES : GL_LINE_STRIP;
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(2, GL_FLOAT, 0, points);
        glDrawArrays(mode, 0, static_cast<GLsizei>(kind == ShapeKind::LineSegments ? count & ~1u : count));
        glDisableClientState(GL_VERTEX_ARRAY);
    };

    if (keepCached) {
        const bool changed = polyline.TakeChanged();
        if (changed) {
            // The flag is read once for all kinds: a changed shape loses what every cache built.
            for (LGLDisplayListCache* other : {&m_lineSegments, &m_polylines, &m_polygonOutlines, &m_filledPolygons})
                if (other != cache)
                    other->Drop(handle);
        }
        RCPtr<LGLDisplayList>& slot = cache->GetSlot(handle, changed);
        if (!slot) {
            RCPtr<LGLDisplayList> made(new LGLDisplayList(1));
            if (made->Begin(0) == S_OK) {
                draw();
                glEndList();
                DrainGLErrors();
                slot = made;
            }
        }
        if (slot) {
            const RCPtr<LGLDisplayList> lists = slot;
            lists->Call(0, 1);
        }
    } else {
        cache->Drop(handle);
        if (kind == ShapeKind::Polygon)
            m_filledPolygons.Drop(handle);
        else if (kind == ShapeKind::FilledPolygon)
            m_polygonOutlines.Drop(handle);
        draw();
    }

    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

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
