#pragma once
// What the control tree and the application ask of the framework's popup menu, tool tip, status
// bar and dialog, which the framework controls implement alongside LControl; they are found with
// dynamic_cast. UI thread only.
#include "kx/KXResult.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

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

class IStatusBarControl {
public:
    virtual ~IStatusBarControl() = default;
    // Shows text now (after the oldest posted text, if any).
    virtual KXRESULT ShowStatusText(const WString& text) = 0;
    // Queues text; it is shown on a later idle pass.
    virtual KXRESULT PostStatusText(const WString& text) = 0;
    // The bar's idle text ("LABEL" of its string table); empty when it has none.
    virtual WString GetIdleText() = 0;
};

class IDialogControl {
public:
    virtual ~IDialogControl() = default;
    // The window's system close (its title bar): the dialog closes through its own close with
    // result 2, which its listeners may cancel.
    virtual KXRESULT CloseFromSystemMenu() = 0;
};

} // namespace KX
