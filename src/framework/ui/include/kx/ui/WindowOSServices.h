#pragma once
// What a root window needs of the platform window behind it: invalidation, the client
// rectangle, coordinate conversion, showing, focus, cursor, pointer state, the modal loop and
// closing. The platform window implements it and outlives the root window's use of it (the root
// window holds it without owning it). Results: 0 success, E_FAIL failure. Main thread only.
#include "kx/Geometry.h"
#include "kx/KXResult.h"
#include "kx/Renderer.h"
#include "kx/StringT.h"

#include <cstdint>

namespace KX {

class IWindowOSServices {
public:
    virtual ~IWindowOSServices() = default;

    virtual KXRESULT SetTitle(const WString& text) = 0;
    // The whole client area needs painting.
    virtual KXRESULT InvalidateAll() = 0;
    virtual KXRESULT InvalidateRect(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    // x, y, width, height; a rectangle with negative extent leaves out unchanged. Always 0.
    virtual KXRESULT GetClientRect(RectT<int32_t>& out) = 0;
    virtual PointT<int32_t> ScreenToClient(PointT<int32_t> point) = 0;
    virtual PointT<int32_t> ClientToScreen(PointT<int32_t> point) = 0;
    // Moves and sizes the window so that its client area takes the rectangle.
    virtual KXRESULT SetClientRect(const RectT<int32_t>& rect) = 0;
    // Returns whether the window was visible before.
    virtual bool Show(int32_t showCommand) = 0;
    // Repaints at once.
    virtual KXRESULT Redraw() = 0;
    virtual KXRESULT BringToTop() = 0;
    virtual KXRESULT SetTopMost(bool topMost) = 0;
    // Ends the modal loop with code, or destroys the window.
    virtual KXRESULT Close(uint32_t code) = 0;
    // Runs the window's own modal loop; its result, or -1 when the application quits meanwhile.
    virtual int32_t RunModal() = 0;
    virtual bool IsModal() = 0;
    virtual bool IsActive() = 0;
    virtual bool HasFocus() = 0;
    virtual KXRESULT SetFocus() = 0;
    // One process-wide cursor; returns the one it replaced.
    virtual int32_t SetCursor(int32_t cursor) = 0;
    // The pointer in client coordinates.
    virtual PointT<int32_t> GetCursorPos() = 0;
    // Bit 0 left, bit 1 middle, bit 2 right.
    virtual uint32_t GetMouseButtons() = 0;
    virtual WindowHandle GetWindowHandle() = 0;
    // Where text input is being composed, in client coordinates (for input methods).
    virtual void SetTextInputPosition(const RectT<int32_t>& caret) = 0;
};

} // namespace KX
