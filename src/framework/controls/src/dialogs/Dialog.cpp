// The dialog: standard buttons, the cancellable close and the modal run in a window of its own.
#include "kx/controls/Dialog.h"

#include "kx/ui/ControlHost.h"
#include "kx/ui/OSWindow.h"
#include "kx/ui/RootWindow.h"

#include <cmath>

namespace KX {

namespace {
IModalDialogHost* g_modalHost = nullptr;

OSWindow* OSWindowOf(const RCPtr<IRootWindow>& window)
{
    auto* root = dynamic_cast<LRootWindow*>(window.Get());
    return root ? dynamic_cast<OSWindow*>(root->GetServices()) : nullptr;
}
} // namespace

void SetModalDialogHost(IModalDialogHost* host) noexcept
{
    g_modalHost = host;
}

IModalDialogHost* GetModalDialogHost() noexcept
{
    return g_modalHost;
}

int32_t RunDialogInOwnWindow(const RCPtr<LDialog>& dialog)
{
    if (!dialog || dialog->GetParent())
        return -1;
    dialog->PerformLayout();
    IControlHost* host = GetControlHost();
    OSWindow* owner = host ? OSWindowOf(host->GetActiveRootWindow()) : nullptr;
    OSWindowOptions options;
    options.title = dialog->GetText();
    options.width = std::max<int32_t>(1, static_cast<int32_t>(std::lround(dialog->GetSize().x)));
    options.height = std::max<int32_t>(1, static_cast<int32_t>(std::lround(dialog->GetSize().y)));
    options.resizable = false;
    options.owner = owner;
    OSWindow* window = OSWindow::Create(options);
    if (!window)
        return -1;
    const int32_t type = owner && owner->GetRenderer() ? owner->GetRenderer()->GetRendererType() : kRendererGDIPlus;
    if (Failed(window->CreateRenderer(type))) {
        window->Destroy();
        return -1;
    }
    dialog->SetRootWindow(nullptr);
    window->GetRootWindow()->AttachMainControl(RCPtr<LControl>(dialog));
    dialog->FillRootWindow();
    window->ApplySizeLimits();
    window->InvalidateAll();
    // The window deletes itself when the loop ends.
    return window->RunModal();
}

LDialog::LDialog(const RCPtr<LControl>& parent, const WString& name) : LScrollView(parent, name) {}

LDialog::~LDialog()
{
    m_dialogHandler = nullptr;
}

KXRESULT LDialog::Initialize()
{
    const KXRESULT base = LScrollView::Initialize();
    m_dialogHandler = RCPtr<LNotificationHandler<LDialog>>(new LNotificationHandler<LDialog>(this));
    constexpr size_t count = sizeof kStandardButtons / sizeof kStandardButtons[0];
    for (size_t i = count; i > 0; --i) {
        const RCPtr<LControl> button = FindChild(WString(kStandardButtons[i - 1].name));
        if (button)
            TraceFailedResult(m_dialogHandler->AddDistributorHandler(&LDialog::OnStandardButton,
                                                                     RCPtr<LNotificationDistributor>(button),
                                                                     NID_LEFT_CLICK, 0),
                              "LDialog::Initialize");
    }
    return base;
}

KXRESULT LDialog::UnregisterForNotification(const RCPtr<LNotificationDistributor>& d, const char16_t* name)
{
    if (m_dialogHandler)
        m_dialogHandler->RemoveDistributorHandler(d, name);
    return LScrollView::UnregisterForNotification(d, name);
}

KXRESULT LDialog::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!IsBuilt())
        return S_FALSE;
    const RCPtr<LDialog> self(this);
    if (m_dialogHandler && m_dialogHandler->Receive(from, n))
        return S_OK;
    return LScrollView::Receive(from, n);
}

KXRESULT LDialog::OnStandardButton(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>&)
{
    auto* sender = dynamic_cast<LControl*>(from.Get());
    if (!sender)
        return S_FALSE;
    const RCPtr<LControl> button(sender);
    for (const StandardButton& b : kStandardButtons) {
        if (button->GetName() != WString(b.name))
            continue;
        if (b.code == 1) {
            // The focus first: a text field gives it up only once its edit is committed.
            if (button->SetFocus(true) >= 0)
                Close(1);
        } else {
            Close(b.code);
        }
        break;
    }
    return S_FALSE;
}

KXRESULT LDialog::Close(int32_t code)
{
    // Again from a listener: while the listeners are asked the code may still change; once the
    // window is closed, nothing does until the dialog is shown again (the window closes only at
    // the next idle pass, so later clicks may still reach it).
    if (m_closeStage != kNotClosing) {
        if (m_closeStage == kAskingListeners)
            m_resultCode = code;
        return S_FALSE;
    }
    const RCPtr<LDialog> self(this);
    // A cancelled close, or a listener that throws, leaves the dialog open.
    struct StageReset {
        uint8_t& stage;
        ~StageReset()
        {
            if (stage != kClosed)
                stage = kNotClosing;
        }
    } reset{m_closeStage};
    m_closeStage = kAskingListeners;
    m_resultCode = code;
    const RCPtr<LCancelArgs> args = LCancelArgs::Create();
    RCPtr<LNotification> closing;
    LNotification::Create(closing, NID_DIALOG_CLOSING, ConstRCPtr<LRefCountedObject>(args.Get()));
    if (closing)
        SendNotification(closing);
    if (args->cancel)
        return S_FALSE;
    m_closeStage = kClosed;
    const RCPtr<LControl> top = GetTopLevelControl();
    if (auto* root = dynamic_cast<LRootWindow*>((top ? top : RCPtr<LControl>(this))->GetTopLevelOwnerSlot().Get()))
        root->Close(static_cast<uint32_t>(m_resultCode));
    RCPtr<LNotification> closed;
    LNotification::Create(closed, NID_DIALOG_CLOSED, nullptr);
    if (closed)
        SendNotification(closed);
    OnClosed();
    return S_OK;
}

int32_t LDialog::ShowModal()
{
    const RCPtr<LDialog> self(this);
    m_closeStage = kNotClosing;
    if (IModalDialogHost* host = g_modalHost)
        return host->RunModalDialog(self);
    return RunDialogInOwnWindow(self);
}

} // namespace KX
