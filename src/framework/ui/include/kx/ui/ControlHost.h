#pragma once
// What the control tree needs of the application (its control factory, the screen, its root
// windows and its hot keys) and of the layout. The application and the layout register one of
// each for the process; registration is not owning. UI thread only.
#include "kx/Geometry.h"
#include "kx/KXResult.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"
#include "kx/ui/GlobalHotKeyManager.h"

namespace KX {

class LControl;
class LControlDescriptor;
class IRootWindow;

class IControlHost {
public:
    virtual ~IControlHost() = default;
    // Gives a newly constructed control its string table (from its parent and name).
    virtual void ResolveStringTable(LControl& control) = 0;
    // Creates every sub-control of descriptor that is not deferred, in order, as children of parent.
    virtual KXRESULT CreateChildControls(LControl& parent, const LControlDescriptor* descriptor) = 0;
    // The text of key in the control's string table; empty when missing.
    virtual WString LookupString(const LControl& control, const WString& key) = 0;
    // The screen area a top-level control is laid out against.
    virtual RectT<int32_t> GetScreenArea() = 0;
    // Null when there is none.
    virtual RCPtr<IRootWindow> GetActiveRootWindow() = 0;
    virtual RCPtr<IRootWindow> GetFirstRootWindow() = 0;
    // The application-wide hot keys; null when there are none.
    virtual RCPtr<LGlobalHotKeyManager> GetGlobalHotKeyManager() { return {}; }
};

// Computes a control's rectangle against a reference area (the parent's client rectangle, or the
// screen area with a root window for a top-level control).
class IControlPlacer {
public:
    virtual ~IControlPlacer() = default;
    virtual KXRESULT PlaceControl(LControl& control, const RectT<double>& reference, IRootWindow* window,
                                  RectT<double>& out) = 0;
};

void SetControlHost(IControlHost* host) noexcept;
IControlHost* GetControlHost() noexcept;
// Without a placer a control takes its absolute positions and sizes.
void SetControlPlacer(IControlPlacer* placer) noexcept;
IControlPlacer* GetControlPlacer() noexcept;

} // namespace KX
