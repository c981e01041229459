#pragma once
// A skinned panel with a notification handler bound to Self that takes the notifications first:
// the base of the edit panels' and the tiles' frames. Main thread only.
#include "kx/NotificationHandler.h"
#include "kx/controls/Panel.h"

namespace editor {

template <class Self>
class LHandlerPanel : public KX::LPanel {
public:
    using Handler = KX::LNotificationHandler<Self>;

    LHandlerPanel(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name) : KX::LPanel(parent, name) {}

    // The panel's own handler first (when it takes the notification), then the panel's.
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>& from,
                         const KX::RCPtr<KX::LNotification>& n) override
    {
        if (m_handler && m_handler->Receive(from, n))
            return KX::S_OK;
        return KX::LPanel::Receive(from, n);
    }
    KX::KXRESULT UnregisterForNotification(const KX::RCPtr<KX::LNotificationDistributor>& d,
                                           const char16_t* name) override
    {
        if (m_handler)
            m_handler->RemoveDistributorHandler(d, name);
        return KX::LPanel::UnregisterForNotification(d, name);
    }

    const KX::RCPtr<Handler>& GetHandler() const noexcept { return m_handler; }

protected:
    ~LHandlerPanel() override { m_handler = nullptr; }

    // Makes the handler bound to the panel; false when none could be made.
    bool CreateHandler()
    {
        m_handler = KX::RCPtr<Handler>(new Handler(static_cast<Self*>(this)));
        return static_cast<bool>(m_handler);
    }

    KX::RCPtr<Handler> m_handler;
};

} // namespace editor
