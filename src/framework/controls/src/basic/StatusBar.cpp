// The status bar: immediate and queued texts on its label, and its tear-down.
#include "kx/controls/StatusBar.h"

#include "kx/Wrappers.h"
#include "kx/ui/RootWindow.h"

namespace KX {

namespace {
constexpr const char16_t* kSetStatusText = NID_SET_STATUS_TEXT;
using TextObject = LWrapperStringable<WString>;
} // namespace

LStatusBar::LStatusBar(const RCPtr<LControl>& parent, const WString& name)
    : LControl(parent, name), m_queue(LNotificationQueue::Create())
{
}

LStatusBar::~LStatusBar()
{
    // A bar never torn down (no internal reference ever made) still cuts the queue's links.
    DetachQueue();
}

void LStatusBar::DetachQueue()
{
    RCPtr<LNotificationQueue> queue = std::move(m_queue);
    if (!queue)
        return;
    // Lowered before the queue lets go of us, so that release is an ordinary one.
    if (m_queueCounted) {
        m_queueCounted = false;
        AddToRefCount(-1);
    }
    queue->Detach();
}

KXRESULT LStatusBar::ReadCreateParams()
{
    const KXRESULT hr = LControl::ReadCreateParams();
    SetNotFocusable(true);
    return hr;
}

KXRESULT LStatusBar::Initialize()
{
    const KXRESULT hr = LControl::Initialize();
    if (Failed(hr))
        return hr;
    m_barHandler = RCPtr<LNotificationHandler<LStatusBar>>(new LNotificationHandler<LStatusBar>(this));
    CheckResult(m_barHandler->AddDistributorHandler(&LStatusBar::OnSetStatusText, RCPtr<LNotificationDistributor>(this),
                                                    kSetStatusText, 0),
                "KX::LStatusBar::Initialize", "Controls\\StatusBar", 45);
    if (m_queue && !m_queueCounted && m_queue->AttachDistributor(RCPtr<LNotificationDistributor>(this)) == S_OK) {
        // The queue holds this bar: a reference of our own part.
        m_queueCounted = true;
        AddToRefCount(1);
    }
    SubscribeIdle();
    m_label = FindChild(WString(u"label1"));
    return hr;
}

KXRESULT LStatusBar::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!IsBuilt())
        return S_FALSE;
    const RCPtr<LStatusBar> self(this);
    if (m_barHandler && m_barHandler->Receive(from, n))
        return S_OK;
    return LControl::Receive(from, n);
}

KXRESULT LStatusBar::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_barHandler)
        m_barHandler->RemoveDistributorHandler(d, name);
    return LControl::UnregisterForNotification(d, name);
}

KXRESULT LStatusBar::PostStatusText(const WString& text)
{
    const RCPtr<LNotificationQueue> queue = m_queue;
    if (!queue)
        return E_FAIL;
    RCPtr<LNotification> n;
    const RCPtr<TextObject> payload = TextObject::Create(text);
    LNotification::Create(n, kSetStatusText, ConstRCPtr<LRefCountedObject>(payload.Get()));
    return queue->PostNotification(n);
}

uint32_t LStatusBar::GetPendingCount() const
{
    return m_queue ? m_queue->GetCount() : 0;
}

void LStatusBar::OnIdleHook()
{
    if (const RCPtr<LNotificationQueue> queue = m_queue)
        queue->ProcessOne();
}

KXRESULT LStatusBar::OnSetStatusText(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>& n)
{
    const auto* text = n ? dynamic_cast<const TextObject*>(n->GetPayload().Get()) : nullptr;
    if (text && m_label)
        RCPtr<LControl>(m_label)->SetText(*text);
    return 1;
}

KXRESULT LStatusBar::SetText(const WString& text)
{
    const RCPtr<LStatusBar> self(this);
    if (const RCPtr<LNotificationQueue> queue = m_queue)
        queue->ProcessOne();
    if (RCPtr<LControl> label = m_label)
        label->SetText(text);
    const RCPtr<LControl> top = GetTopLevelControl();
    if (auto* root = top ? dynamic_cast<LRootWindow*>(top->GetTopLevelOwnerSlot().Get()) : nullptr) {
        const RCPtr<LRootWindow> hold(root);
        top->PerformLayout();
        const RectT<int32_t> client = root->GetClientRect();
        root->InvalidateArea(RectT<int32_t>{0, 0, client.width, client.height});
    }
    return S_OK;
}

void LStatusBar::GetLabelText(WString& out) const
{
    LookupString(WString(u"LABEL"), out);
}

WString LStatusBar::GetIdleText()
{
    WString text;
    GetLabelText(text);
    return text;
}

KXRESULT LStatusBar::ReleaseInternalReferences()
{
    const RCPtr<LStatusBar> self(this);
    DetachQueue();
    UnregisterAllClients();
    m_barHandler = nullptr;
    m_label = nullptr;
    return LControl::ReleaseInternalReferences();
}

} // namespace KX
