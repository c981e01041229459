#pragma once
// What the control tree needs of the root window that owns it: its client area, invalidation,
// its notification source for idle work, hit-testing, the cursor and its hot keys. The root
// window implements it. UI thread only.
#include "kx/Geometry.h"
#include "kx/KXResult.h"
#include "kx/RefCountedObject.h"
#include "kx/ui/GlobalHotKeyManager.h"

#include <cstdint>

namespace KX {

class LControl;
class LNotificationDistributor;

class IRootWindow : public virtual LRefCountedObject {
public:
    // The client rectangle (x, y, width, height).
    virtual RectT<int32_t> GetClientRect() const = 0;
    // Adds (left, top, right, bottom), in root-window coordinates, to the region to repaint.
    virtual void InvalidateRect(const RectT<int32_t>& ltrb) = 0;
    // Where controls register for the window's "NID_IDLE".
    virtual RCPtr<LNotificationDistributor> GetIdleSource() = 0;
    // The control under a root-window point; null when none.
    virtual RCPtr<LControl> HitTest(PointT<int32_t> point, bool searchUnclipped, bool updateHover) = 0;
    // Shows a cursor kind (0 the application's default); returns the kind it replaced.
    virtual int32_t SetCursor(int32_t kind) = 0;
    // Where the client area's corner (0, 0) lies on the screen.
    virtual PointT<int32_t> GetClientOriginOnScreen() const { return PointT<int32_t>{}; }
    // Moves and sizes the window's client area (screen x, y, width, height); ignored by default.
    virtual void SetClientRect(const RectT<int32_t>&) {}
    // The hot keys of the window's main control ("GHK" entries); null when it keeps none.
    virtual RCPtr<LGlobalHotKeyManager> GetHotKeyManager() { return {}; }

protected:
    ~IRootWindow() override = default;
};

} // namespace KX
