#pragma once
// The framework's clipboard: passes the edit requests (cut, copy, paste, delete) from the
// application's notification centre to the focused control, and moves content to and from the
// system clipboard. Text goes to the system clipboard; any other object stays in this process
// and the system clipboard only carries a marker for it. Main thread only.
#include "kx/AppServices.h"
#include "kx/KXResult.h"
#include "kx/NotificationClient.h"
#include "kx/NotificationHandler.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"
#include "kx/Wrappers.h"

#include <cstdint>
#include <memory>

namespace platform::sdl {
class ClipboardBackend;
}

namespace KX {

class LClipboard : public LNotificationClient {
public:
    // Clipboard text travels in this wrapper.
    using TextContent = LWrapperStringable<WString>;

    // Over the system clipboard; not yet initialised.
    static RCPtr<LClipboard> Create();
    // Over the given clipboard service (null: a clipboard that can never be opened).
    static RCPtr<LClipboard> Create(std::unique_ptr<platform::sdl::ClipboardBackend> backend);

    // Binds the four edit requests at the application's notification centre. Throws the
    // failed-result exception when a binding fails.
    void Initialize();
    bool IsInitialized() const noexcept { return m_initialized; }

    // Passes the notification to the bound handler once initialised.
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;

    // The focused control's PerformEdit result, or 1 when no control took the command.
    int32_t PerformEditOnFocus(int32_t command);
    // Whether the focused control would take the command.
    bool QueryFocusedControl(int32_t command);

    // The current content: the object this process wrote as long as nobody else changed the
    // system clipboard, else a new text wrapper, or null when there is no text.
    RCPtr<LRefCountedObject> ReadSystemClipboard();
    // Stores content and puts it on the system clipboard (a text wrapper as text, anything else
    // as the private marker). 0; E_FAIL when the system clipboard refused; 1 while a write is
    // already in progress.
    KXRESULT WriteSystemClipboard(const RCPtr<LRefCountedObject>& content);

    // Edit request handlers: each performs its command on the focused control; result 1 (handled).
    KXRESULT OnEditCut(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    KXRESULT OnEditCopy(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    KXRESULT OnEditPaste(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);
    KXRESULT OnEditDelete(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);

protected:
    explicit LClipboard(std::unique_ptr<platform::sdl::ClipboardBackend> backend);
    ~LClipboard() override;

private:
    RCPtr<IEditTarget> FindEditTarget();

    RCPtr<LNotificationHandler<LClipboard>> m_handler;
    uint32_t m_lastSequence = 0;
    RCPtr<LRefCountedObject> m_content;
    bool m_initialized = false;
    bool m_writing = false;
    std::unique_ptr<platform::sdl::ClipboardBackend> m_backend;
};

} // namespace KX
