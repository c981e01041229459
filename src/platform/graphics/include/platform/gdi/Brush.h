#pragma once
// Pens and brushes.
#include "platform/gdi/CairoRef.h"
#include "platform/gdi/Types.h"

#include <memory>
#include <utility>

namespace gdi {

class Bitmap;
class Graphics;

// Outline colour and width (in world units; thinner than a pixel draws one pixel without anti-aliasing).
class Pen {
public:
    explicit Pen(ARGB color, float width = 1.0f) : m_color(color), m_width(width) {}
    ARGB GetColor() const { return m_color; }
    float GetWidth() const { return m_width; }
    void SetColor(ARGB color) { m_color = color; }
    void SetWidth(float width) { m_width = width; }

private:
    ARGB m_color;
    float m_width;
};

class Brush {
public:
    virtual ~Brush() = default;
    Brush(const Brush&) = delete;
    Brush& operator=(const Brush&) = delete;

protected:
    Brush() = default;

private:
    friend class Graphics;
    // The colour when the brush is solid.
    virtual bool GetSolidColor(ARGB& color) const = 0;
    // The texture pattern, anchored at the world origin.
    virtual _cairo_pattern* GetPattern() const = 0;
};

class SolidBrush final : public Brush {
public:
    explicit SolidBrush(ARGB color) : m_color(color) {}
    ARGB GetColor() const { return m_color; }
    void SetColor(ARGB color) { m_color = color; }

private:
    bool GetSolidColor(ARGB& color) const override
    {
        color = m_color;
        return true;
    }
    _cairo_pattern* GetPattern() const override { return nullptr; }

    ARGB m_color;
};

// Fills with a rectangle of a bitmap repeated in both directions from the world origin.
class TextureBrush final : public Brush {
public:
    static Status Create(const Bitmap& bitmap, const RectI& source, std::unique_ptr<TextureBrush>& out);
    ~TextureBrush() override;

private:
    explicit TextureBrush(CairoPattern pattern) : m_pattern(std::move(pattern)) {}
    bool GetSolidColor(ARGB&) const override { return false; }
    _cairo_pattern* GetPattern() const override { return m_pattern.get(); }

    CairoPattern m_pattern;
};

} // namespace gdi
