#pragma once
// The dialog: a scroll view shown modally in a root window of its own, closed with a result code
// by its standard buttons or by Close. Closing asks the listeners first ("NID_DIALOG_CLOSING"
// with a cancel argument), then closes the window and sends "NID_DIALOG_CLOSED". UI thread only.
#include "kx/NotificationHandler.h"
#include "kx/controls/ScrollView.h"
#include "kx/ui/FrameworkControlSeams.h"

#include <cstdint>

namespace KX {

class LDialog;

// The argument of "NID_DIALOG_CLOSING": a listener sets cancel to keep the dialog open.
class LCancelArgs : public virtual LRefCountedObject {
public:
    static RCPtr<LCancelArgs> Create() { return RCPtr<LCancelArgs>(new LCancelArgs()); }
    bool cancel = false;

protected:
    LCancelArgs() = default;
    ~LCancelArgs() override = default;
};

// The application's modal-dialog operation; registration is not owning.
class IModalDialogHost {
public:
    virtual ~IModalDialogHost() = default;
    // Runs dialog modally in a root window of its own; the code given to Close, -1 on failure.
    virtual int32_t RunModalDialog(const RCPtr<LDialog>& dialog) = 0;
};
void SetModalDialogHost(IModalDialogHost* host) noexcept;
IModalDialogHost* GetModalDialogHost() noexcept;

// The plain modal run: an OS window of the dialog's size owned by the active root window's
// window, the dialog as its main control, its modal loop. -1 when the window cannot be made.
int32_t RunDialogInOwnWindow(const RCPtr<LDialog>& dialog);

class LDialog : public LScrollView, public IDialogControl {
public:
    // The standard buttons and the codes they close with.
    struct StandardButton {
        const char16_t* name;
        int32_t code;
    };
    static constexpr StandardButton kStandardButtons[] = {
        {u"buttonOK", 1},    {u"buttonClose", 1},  {u"buttonCancel", 2}, {u"buttonAbort", 3},
        {u"buttonRetry", 4}, {u"buttonIgnore", 5}, {u"buttonYes", 6},    {u"buttonNo", 7},
    };

    LDialog(const RCPtr<LControl>& parent, const WString& name);

    // Binds the clicks of the standard buttons present; returns the scroll view's result.
    KXRESULT Initialize() override;
    // The dialog's handlers, then the scroll view's chain.
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    // Drops the binding from this class's handlers too, then the registration.
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;

    // Runs the dialog modally (the registered host, else RunDialogInOwnWindow); the result code.
    virtual int32_t ShowModal();
    // Called after a close went through.
    virtual void OnClosed() {}

    // Keeps the code, asks the listeners, then closes the window holding the dialog and
    // announces it. S_OK when closed, S_FALSE when a listener cancelled. A dialog closes once per
    // ShowModal: called again by a listener while the listeners are asked, it only replaces the
    // code that close ends with (S_FALSE); after that, it does nothing until ShowModal runs again.
    KXRESULT Close(int32_t code);
    int32_t GetResultCode() const noexcept { return m_resultCode; }
    // The title bar's close: Close(2).
    KXRESULT CloseFromSystemMenu() override { return Close(2); }

    // "NID_LEFT_CLICK" from a standard button. 1.
    KXRESULT OnStandardButton(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);

protected:
    ~LDialog() override;

private:
    RCPtr<LNotificationHandler<LDialog>> m_dialogHandler;
    int32_t m_resultCode = 0;
    // Where a Close in progress is.
    static constexpr uint8_t kNotClosing = 0, kAskingListeners = 1, kClosed = 2;
    uint8_t m_closeStage = kNotClosing;
};

} // namespace KX
