#pragma once
// What the system services and the device engine need of the user-interface core and the
// application shell. Those layers implement it and register one instance for the process.
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

#include <cstdint>

namespace KX {

// Edit commands.
inline constexpr int32_t kEditDelete = 0;
inline constexpr int32_t kEditCut = 1;
inline constexpr int32_t kEditCopy = 2;
inline constexpr int32_t kEditPaste = 3;

// A control as seen by edit commands.
class IEditTarget : public virtual LRefCountedObject {
public:
    // Whether this control takes edit commands at all.
    virtual bool AcceptsEdits() = 0;
    // The control that edits on this one's behalf: itself when it accepts edits, else the one it
    // delegates to, else null.
    virtual RCPtr<IEditTarget> GetEditTarget() = 0;
    virtual bool CanPerformEdit(int32_t command) = 0;
    virtual int32_t PerformEdit(int32_t command) = 0;

protected:
    ~IEditTarget() override = default;
};

class IAppServices {
public:
    virtual ~IAppServices() = default;

    // User-interface core.

    // One idle drain: every notification centre, then every root window's queue (each followed
    // by the window's pending close). Returns whether any queue kept entries.
    virtual bool ProcessNotificationQueues(bool firstPass) = 0;
    // Set once the application has been asked to exit.
    virtual bool IsExitRequested() = 0;
    // The focused control of the active root window; null when there is no active root window
    // or nothing has the focus.
    virtual RCPtr<IEditTarget> GetFocusedControl() = 0;

    // Application shell.

    // The application string table's text for key in the current locale; empty when missing.
    virtual WString LookupAppString(const WString& key) = 0;
    // Shows the application's modal message box; flags are message-box style bits. Returns the
    // button chosen.
    virtual int32_t ShowAppMessageBox(const WString& text, const WString& caption, uint32_t flags) = 0;
};

// The registered services, or null. Registration is not owning; unregister with null before
// the services go away.
void SetAppServices(IAppServices* services) noexcept;
IAppServices* GetAppServices() noexcept;

// One pass of the host's idle handler; passCount is 0 for the first pass after a message.
// Returns whether another pass is wanted: false without services, once exit was requested, or
// when no queue kept entries; else true while passCount is below 2.
bool RunIdlePass(int32_t passCount);

// The registered services' operations; without services the text is empty and the box result 0.
WString LookupAppString(const WString& key);
int32_t ShowAppMessageBox(const WString& text, const WString& caption, uint32_t flags);

} // namespace KX
