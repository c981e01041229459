#pragma once
// What the control tree asks of the framework's popup menu and tool tip, which the framework
// controls implement alongside LControl; the tree finds them with dynamic_cast. UI thread only.
#include "kx/KXResult.h"
#include "kx/RefCountedObject.h"

namespace KX {

class LControl;
class LMenuDescriptor;

class IPopupMenuControl {
public:
    virtual ~IPopupMenuControl() = default;
    // Fills the menu with the items of menu.
    virtual KXRESULT ShowMenu(const RCPtr<LMenuDescriptor>& menu) = 0;
    // Places the menu on the screen and shows it.
    virtual KXRESULT PositionOnScreen() = 0;
    // Hands the menu to the owner's PreparePopupMenu hook.
    virtual void LetOwnerPrepare(LControl& owner) = 0;
};

class IToolTipControl {
public:
    virtual ~IToolTipControl() = default;
    virtual void Hide() = 0;
    // Shows the tip beside control.
    virtual KXRESULT ShowForControl(const RCPtr<LControl>& control) = 0;
};

} // namespace KX
