#pragma once
// The interface through which a root window delivers pointer, wheel, key, resize and focus
// input to a control. UI thread only.
#include "kx/KXResult.h"
#include "kx/RefCountedObject.h"

#include <cstdint>

namespace KX {

class LPointWithModifiersParam;
class LMouseButtonParam;
class LMouseWheelParam;
class LKeyParam;

class UITarget : public virtual LRefCountedObject {
public:
    virtual KXRESULT OnMouseEnter() = 0;
    virtual KXRESULT OnMouseMove(const RCPtr<LPointWithModifiersParam>& param) = 0;
    virtual KXRESULT OnMouseDown(const RCPtr<LMouseButtonParam>& param) = 0;
    virtual KXRESULT OnMouseUp(const RCPtr<LMouseButtonParam>& param) = 0;
    virtual KXRESULT OnMouseLeave() = 0;
    // 0 when the press was taken, 1 when refused.
    virtual KXRESULT BeginDrag(int32_t button, int32_t x, int32_t y) = 0;
    virtual KXRESULT OnCaptureLost() = 0;
    virtual void OnKey(const RCPtr<LKeyParam>& param) = 0;
    // 1 when not handled.
    virtual KXRESULT OnMouseWheel(const RCPtr<LMouseWheelParam>& param) = 0;
    virtual KXRESULT OnMouseHWheel(const RCPtr<LMouseWheelParam>& param) = 0;
    virtual KXRESULT OnResize(int32_t width, int32_t height) = 0;
    // Whether the target lets the focus go.
    virtual bool CanLoseFocus() = 0;
    virtual bool KillFocus() = 0;

protected:
    ~UITarget() override = default;
};

} // namespace KX
