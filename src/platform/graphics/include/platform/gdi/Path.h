#pragma once
// Affine matrices and paths of straight-line figures.
#include "platform/gdi/Types.h"

#include <memory>
#include <span>
#include <vector>

namespace gdi {

// x' = m11 * x + m21 * y + dx, y' = m12 * x + m22 * y + dy.
class Matrix {
public:
    Matrix() = default;
    Matrix(float m11, float m12, float m21, float m22, float dx, float dy);

    Status Scale(float sx, float sy, MatrixOrder order = MatrixOrder::Prepend);
    Status Translate(float dx, float dy, MatrixOrder order = MatrixOrder::Prepend);
    PointF TransformPoint(PointF p) const;
    bool IsIdentity() const;

private:
    void Multiply(const Matrix& other, MatrixOrder order);

    double m_m11 = 1, m_m12 = 0, m_m21 = 0, m_m22 = 1, m_dx = 0, m_dy = 0;
};

// Figures of connected line segments; a closed figure ends back at its first point.
class GraphicsPath {
public:
    explicit GraphicsPath(FillMode fillMode = FillMode::Alternate) : m_fillMode(fillMode) {}

    FillMode GetFillMode() const { return m_fillMode; }
    void SetFillMode(FillMode mode) { m_fillMode = mode; }

    // The next line added begins a new figure.
    Status StartFigure();
    Status CloseFigure();
    // Lines join the current figure; a start point away from its end adds the connecting segment.
    Status AddLine(float x1, float y1, float x2, float y2);
    Status AddLines(std::span<const PointF> points);
    // A closed figure of its own; needs three points.
    Status AddPolygon(std::span<const PointF> points);

    std::unique_ptr<GraphicsPath> Clone() const;
    Status Transform(const Matrix& matrix);
    int32_t GetPointCount() const;
    void Reset();

    struct Figure {
        std::vector<PointF> points;
        bool closed = false;
    };
    const std::vector<Figure>& GetFigures() const { return m_figures; }

private:
    Figure& CurrentFigure();

    FillMode m_fillMode;
    std::vector<Figure> m_figures;
    bool m_startNew = true;
};

} // namespace gdi
