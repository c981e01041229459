#include "platform/gdi/Path.h"

namespace gdi {

Matrix::Matrix(float m11, float m12, float m21, float m22, float dx, float dy)
    : m_m11(m11), m_m12(m12), m_m21(m21), m_m22(m22), m_dx(dx), m_dy(dy)
{
}

// Points are row vectors: p' = p * M. Prepend applies `other` first.
void Matrix::Multiply(const Matrix& other, MatrixOrder order)
{
    const Matrix& a = order == MatrixOrder::Prepend ? other : *this;
    const Matrix& b = order == MatrixOrder::Prepend ? *this : other;
    Matrix r;
    r.m_m11 = a.m_m11 * b.m_m11 + a.m_m12 * b.m_m21;
    r.m_m12 = a.m_m11 * b.m_m12 + a.m_m12 * b.m_m22;
    r.m_m21 = a.m_m21 * b.m_m11 + a.m_m22 * b.m_m21;
    r.m_m22 = a.m_m21 * b.m_m12 + a.m_m22 * b.m_m22;
    r.m_dx = a.m_dx * b.m_m11 + a.m_dy * b.m_m21 + b.m_dx;
    r.m_dy = a.m_dx * b.m_m12 + a.m_dy * b.m_m22 + b.m_dy;
    *this = r;
}

Status Matrix::Scale(float sx, float sy, MatrixOrder order)
{
    Multiply(Matrix(sx, 0, 0, sy, 0, 0), order);
    return Status::Ok;
}

Status Matrix::Translate(float dx, float dy, MatrixOrder order)
{
    Multiply(Matrix(1, 0, 0, 1, dx, dy), order);
    return Status::Ok;
}

PointF Matrix::TransformPoint(PointF p) const
{
    return {float(m_m11 * p.x + m_m21 * p.y + m_dx), float(m_m12 * p.x + m_m22 * p.y + m_dy)};
}

bool Matrix::IsIdentity() const
{
    return m_m11 == 1 && m_m12 == 0 && m_m21 == 0 && m_m22 == 1 && m_dx == 0 && m_dy == 0;
}

GraphicsPath::Figure& GraphicsPath::CurrentFigure()
{
    if (m_startNew || m_figures.empty() || m_figures.back().closed)
        m_figures.emplace_back();
    m_startNew = false;
    return m_figures.back();
}

Status GraphicsPath::StartFigure()
{
    m_startNew = true;
    return Status::Ok;
}

Status GraphicsPath::CloseFigure()
{
    if (!m_figures.empty() && !m_startNew)
        m_figures.back().closed = true;
    m_startNew = true;
    return Status::Ok;
}

Status GraphicsPath::AddLine(float x1, float y1, float x2, float y2)
{
    const PointF points[] = {{x1, y1}, {x2, y2}};
    return AddLines(points);
}

Status GraphicsPath::AddLines(std::span<const PointF> points)
{
    if (points.empty())
        return Status::InvalidParameter;
    Figure& figure = CurrentFigure();
    bool joins =
        !figure.points.empty() && figure.points.back().x == points[0].x && figure.points.back().y == points[0].y;
    figure.points.insert(figure.points.end(), points.begin() + (joins ? 1 : 0), points.end());
    return Status::Ok;
}

Status GraphicsPath::AddPolygon(std::span<const PointF> points)
{
    if (points.size() < 3)
        return Status::InvalidParameter;
    m_figures.push_back({{points.begin(), points.end()}, true});
    m_startNew = true;
    return Status::Ok;
}

std::unique_ptr<GraphicsPath> GraphicsPath::Clone() const
{
    return std::make_unique<GraphicsPath>(*this);
}

Status GraphicsPath::Transform(const Matrix& matrix)
{
    for (Figure& figure : m_figures)
        for (PointF& p : figure.points)
            p = matrix.TransformPoint(p);
    return Status::Ok;
}

int32_t GraphicsPath::GetPointCount() const
{
    size_t count = 0;
    for (const Figure& figure : m_figures)
        count += figure.points.size();
    return static_cast<int32_t>(count);
}

void GraphicsPath::Reset()
{
    m_figures.clear();
    m_startNew = true;
}

} // namespace gdi
