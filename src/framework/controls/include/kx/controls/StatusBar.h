#pragma once
// The status bar ("Framework.StatusBar"): one line of text in its child label "label1". Texts are
// shown at once or posted to the bar's own queue and shown one per idle pass, in order. The
// queue's link back to the bar counts as internal, so the bar is torn down when its last outside
// holder lets go, whatever other internal references it has. UI thread only.
#include "kx/NotificationHandler.h"
#include "kx/NotificationQueue.h"
#include "kx/ui/Control.h"
#include "kx/ui/FrameworkControlSeams.h"

namespace KX {

class LStatusBar : public LControl, public IStatusBarControl {
public:
    LStatusBar(const RCPtr<LControl>& parent, const WString& name);

    // Shows text now, after delivering the oldest posted text, and lays the window out again. 0.
    KXRESULT SetText(const WString& text) override;
    // Queues text: the queue's result (E_FAIL once the bar is torn down).
    KXRESULT PostStatusText(const WString& text) override;
    // The "LABEL" text of the bar's string table, or empty.
    void GetLabelText(WString& out) const;

    // IStatusBarControl.
    KXRESULT ShowStatusText(const WString& text) override { return SetText(text); }
    WString GetIdleText() override;

    // "NID_SET_STATUS_TEXT" from the queue: its text on the label. 1.
    KXRESULT OnSetStatusText(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n);

    const RCPtr<LControl>& GetLabel() const noexcept { return m_label; }
    // Texts waiting in the queue.
    uint32_t GetPendingCount() const;

    // LControl.
    KXRESULT Initialize() override;
    KXRESULT ReadCreateParams() override;
    KXRESULT PostInitialize() override { return S_OK; }
    // Delivers at most one queued text.
    void OnIdleHook() override;
    // The bar's own handlers, then the control's.
    KXRESULT Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n) override;
    KXRESULT UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name) override;
    // Tear-down: empties and detaches the queue, drops the handlers and every registration, then
    // the control's own. Safe to repeat; the result is the control base's.
    KXRESULT ReleaseInternalReferences() override;

protected:
    ~LStatusBar() override;

private:
    void DetachQueue();

    RCPtr<LNotificationQueue> m_queue;
    // Whether the queue's reference to this bar is counted as internal.
    bool m_queueCounted = false;
    RCPtr<LNotificationHandler<LStatusBar>> m_barHandler;
    RCPtr<LControl> m_label;
};

} // namespace KX
