#include "kx/Clipboard.h"

#include "kx/Exception.h"
#include "kx/NotificationCenter.h"
#include "kx/NotificationId.h"
#include "platform/sdl/Clipboard.h"

#include <optional>
#include <string>
#include <string_view>

namespace KX {

namespace {

constexpr const char* kInitializeMethod = "KX::LClipboard::Initialize";
constexpr const char* kSourcePath = "System\\ClipBoard";

// Clears the writing guard on every way out.
class WritingGuard {
public:
    explicit WritingGuard(bool& flag) noexcept : m_flag(flag) { m_flag = true; }
    ~WritingGuard() { m_flag = false; }
    WritingGuard(const WritingGuard&) = delete;
    WritingGuard& operator=(const WritingGuard&) = delete;

private:
    bool& m_flag;
};

} // namespace

LClipboard::LClipboard(std::unique_ptr<platform::sdl::ClipboardBackend> backend) : m_backend(std::move(backend)) {}

LClipboard::~LClipboard() = default;

RCPtr<LClipboard> LClipboard::Create()
{
    return Create(platform::sdl::CreateSdlClipboard());
}

RCPtr<LClipboard> LClipboard::Create(std::unique_ptr<platform::sdl::ClipboardBackend> backend)
{
    return RCPtr<LClipboard>(new LClipboard(std::move(backend)));
}

void LClipboard::Initialize()
{
    m_handler = RCPtr<LNotificationHandler<LClipboard>>(new LNotificationHandler<LClipboard>(this));
    const RCPtr<LNotificationDistributor> centre(GetNotificationQueue());
    CheckResult(m_handler->AddHandler(&LClipboard::OnEditCut, centre, NID_EDIT_CUT_REQ, 0), kInitializeMethod,
                kSourcePath, 41);
    CheckResult(m_handler->AddHandler(&LClipboard::OnEditCopy, centre, NID_EDIT_COPY_REQ, 0), kInitializeMethod,
                kSourcePath, 42);
    CheckResult(m_handler->AddHandler(&LClipboard::OnEditPaste, centre, NID_EDIT_PASTE_REQ, 0), kInitializeMethod,
                kSourcePath, 43);
    CheckResult(m_handler->AddHandler(&LClipboard::OnEditDelete, centre, NID_EDIT_DELETE_REQ, 0), kInitializeMethod,
                kSourcePath, 44);
    m_initialized = true;
}

KXRESULT LClipboard::Receive(const RCPtr<LNotificationDistributor>& from, const RCPtr<LNotification>& n)
{
    if (!m_handler || !m_initialized)
        return S_OK;
    return m_handler->Receive(from, n);
}

KXRESULT LClipboard::OnEditCut(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    PerformEditOnFocus(kEditCut);
    return S_FALSE;
}

KXRESULT LClipboard::OnEditCopy(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    PerformEditOnFocus(kEditCopy);
    return S_FALSE;
}

KXRESULT LClipboard::OnEditPaste(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    PerformEditOnFocus(kEditPaste);
    return S_FALSE;
}

KXRESULT LClipboard::OnEditDelete(const RCPtr<LNotificationDistributor>&, const RCPtr<LNotification>&)
{
    PerformEditOnFocus(kEditDelete);
    return S_FALSE;
}

RCPtr<IEditTarget> LClipboard::FindEditTarget()
{
    IAppServices* app = GetAppServices();
    if (!app)
        return nullptr;
    const RCPtr<IEditTarget> focused = app->GetFocusedControl();
    if (!focused)
        return nullptr;
    RCPtr<IEditTarget> target = focused->GetEditTarget();
    if (!target || !target->AcceptsEdits())
        return nullptr;
    return target;
}

int32_t LClipboard::PerformEditOnFocus(int32_t command)
{
    const RCPtr<IEditTarget> target = FindEditTarget();
    if (target && target->CanPerformEdit(command))
        return target->PerformEdit(command);
    return S_FALSE;
}

bool LClipboard::QueryFocusedControl(int32_t command)
{
    const RCPtr<IEditTarget> target = FindEditTarget();
    return target && target->CanPerformEdit(command);
}

RCPtr<LRefCountedObject> LClipboard::ReadSystemClipboard()
{
    if (!m_backend)
        return m_content;
    // Unchanged since this process last read or wrote it, or holding what only this process has.
    if (m_backend->GetSequenceNumber() == m_lastSequence || m_backend->HasPrivateMarker())
        return m_content;
    if (!m_backend->HasText()) {
        m_content = nullptr;
        return m_content;
    }
    if (!m_backend->Open())
        return m_content;
    const std::optional<std::string> text = m_backend->GetText();
    if (text)
        m_content = RCPtr<LRefCountedObject>(TextContent::Create(WString(text->c_str())));
    else
        m_content = nullptr;
    m_backend->Close();
    m_lastSequence = m_backend->GetSequenceNumber();
    return m_content;
}

KXRESULT LClipboard::WriteSystemClipboard(const RCPtr<LRefCountedObject>& content)
{
    if (m_writing)
        return S_FALSE;
    const WritingGuard guard(m_writing);
    m_content = content;
    if (!m_content)
        return S_OK;
    if (!m_backend || !m_backend->Open())
        return E_FAIL;

    bool written = false;
    const auto text = ConstRCPtr<TextContent>::DynamicCast(ConstRCPtr<LRefCountedObject>(m_content));
    if (text) {
        const NString narrow = static_cast<const WString&>(*text).ToNarrow();
        written = m_backend->SetText(std::string_view(narrow.GetString(), narrow.GetLength()));
    } else {
        written = m_backend->SetPrivateMarker();
    }
    m_backend->Close();
    m_lastSequence = m_backend->GetSequenceNumber();
    return written ? S_OK : E_FAIL;
}

} // namespace KX
