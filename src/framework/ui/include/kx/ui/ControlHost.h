#pragma once
// What the control tree needs of the application: its control factory, the screen, the cursor,
// its root windows and its hot keys. The application registers one for the process; registration is not
// owning. UI thread only.
#include "kx/Geometry.h"
#include "kx/KXResult.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"
#include "kx/ui/GlobalHotKeyManager.h"

namespace KX {

class LControl;
class LControlDescriptor;
class LFont;
class IRootWindow;

class IControlHost {
public:
    virtual ~IControlHost() = default;
    // Gives a newly constructed control its string table (from its parent and name).
    virtual void ResolveStringTable(LControl& control) = 0;
    // Creates every sub-control of descriptor that is not deferred, in order, as children of parent.
    virtual KXRESULT CreateChildControls(LControl& parent, const LControlDescriptor* descriptor) = 0;
    // The text of key in the control's string table; empty when missing.
    virtual WString LookupString(const LControl& control, const WString& key);
    // The screen area a top-level control is laid out against.
    virtual RectT<int32_t> GetScreenArea() = 0;
    // Null when there is none.
    virtual RCPtr<IRootWindow> GetActiveRootWindow() = 0;
    virtual RCPtr<IRootWindow> GetFirstRootWindow() = 0;
    // The mouse position on the screen; where a top-level control placed at the cursor goes.
    virtual PointT<int32_t> GetCursorScreenPosition() { return PointT<int32_t>{}; }
    // The application-wide hot keys; null when there are none.
    virtual RCPtr<LGlobalHotKeyManager> GetGlobalHotKeyManager() { return {}; }
    // The current skin's top-level control of that name built under parent; null when the skin
    // has none.
    virtual RCPtr<LControl> CreateSkinControl(const WString& name, const RCPtr<LControl>& parent);
    // The application's clocks: seconds, and milliseconds wrapping at 32 bits (compare them as
    // unsigned differences). Timed control behaviour reads these on the idle pass, never an OS
    // timer. By default both follow the render host's millisecond clock.
    virtual double GetTime();
    virtual uint32_t GetTickTime();
    // The font of a control that inherits none: the current skin's font; null when the host has
    // none, and the render host's default font is used.
    virtual ConstRCPtr<LFont> GetSkinDefaultFont();
};

void SetControlHost(IControlHost* host) noexcept;
IControlHost* GetControlHost() noexcept;

// The registered host's clocks; the render host's clock without a control host.
double GetAppTime();
uint32_t GetAppTickTime();

} // namespace KX
