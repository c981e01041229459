#pragma once
// The pixels of a window, as the graphics layer draws and presents them.
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Types.h"

#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace gdi {

// A window's client area: a premultiplied back buffer that Graphics made for the window draw
// on, and the presentation of the rectangles drawn.
class WindowSurface {
public:
    virtual ~WindowSurface() = default;

    virtual Bitmap& GetBackBuffer() = 0;
    virtual float GetDpiX() const { return 96.0f; }
    virtual float GetDpiY() const { return 96.0f; }
    // Makes these rectangles of the back buffer visible, in this order.
    virtual void Present(std::span<const RectI> rects) = 0;
};

// A window without a screen, for tests: the back buffer is what the window shows, and every
// presentation is logged.
class OffscreenWindowSurface final : public WindowSurface {
public:
    // The back buffer starts opaque black.
    static Status Create(int32_t width, int32_t height, std::unique_ptr<OffscreenWindowSurface>& out,
                         float dpi = 96.0f);

    Bitmap& GetBackBuffer() override { return *m_buffer; }
    float GetDpiX() const override { return m_dpi; }
    float GetDpiY() const override { return m_dpi; }
    void Present(std::span<const RectI> rects) override;

    // A new back buffer of the new size, opaque black; the log is kept.
    Status Resize(int32_t width, int32_t height);
    int32_t GetWidth() const { return m_buffer->GetWidth(); }
    int32_t GetHeight() const { return m_buffer->GetHeight(); }
    ARGB GetPixel(int32_t x, int32_t y) const;
    Status SaveToPng(std::string_view utf8Path) const { return m_buffer->SaveToPng(utf8Path); }

    // One entry per Present call, with its rectangles.
    const std::vector<std::vector<RectI>>& GetPresentations() const { return m_presentations; }
    void ClearPresentations() { m_presentations.clear(); }

private:
    explicit OffscreenWindowSurface(float dpi) : m_dpi(dpi) {}

    float m_dpi;
    std::unique_ptr<Bitmap> m_buffer;
    std::vector<std::vector<RectI>> m_presentations;
};

} // namespace gdi
