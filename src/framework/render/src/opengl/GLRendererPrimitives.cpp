#include "opengl/GLRenderer.h"

#include "opengl/GLRendererInternal.h"

#include <algorithm>
#include <cmath>

namespace KX {

// ---------------------------------------------------------------------------------------------
// Lines and rectangles

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

} // namespace KX
