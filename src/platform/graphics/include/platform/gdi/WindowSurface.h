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
// on, and the presentation of the rectangles drawn. Its resolution (96 dots per inch is a scale
// of 1) is the window's, as its owner sets it; Graphics for the window and bitmaps made
// compatible with them report it.
class WindowSurface {
public:
    virtual ~WindowSurface() = default;

    virtual Bitmap& GetBackBuffer() = 0;
    float GetDpiX() const { return m_dpiX; }
    float GetDpiY() const { return m_dpiY; }
    // Values that are not positive and finite are refused.
    Status SetDpi(float dpiX, float dpiY);
    // Makes these rectangles of the back buffer visible, in this order.
    virtual void Present(std::span<const RectI> rects) = 0;

private:
    float m_dpiX = 96.0f;
    float m_dpiY = 96.0f;
};

// A window without a screen, for tests: the back buffer is what the window shows, and every
// presentation is logged.
class OffscreenWindowSurface final : public WindowSurface {
public:
    // The back buffer starts opaque black.
    static Status Create(int32_t width, int32_t height, std::unique_ptr<OffscreenWindowSurface>& out,
                         float dpi = 96.0f);

    Bitmap& GetBackBuffer() override { return *m_buffer; }
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
    OffscreenWindowSurface() = default;

    std::unique_ptr<Bitmap> m_buffer;
    std::vector<std::vector<RectI>> m_presentations;
};

} // namespace gdi
