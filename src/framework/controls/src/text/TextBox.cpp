// The text box: its text, validation, editing primitives, creation from the skin and its context
// menu.
#include "kx/controls/TextBox.h"

#include "TextBoxSupport.h"
#include "kx/NotificationId.h"
#include "kx/ui/ControlDescriptor.h"
#include "kx/ui/FrameworkApp.h"
#include "kx/ui/MenuDescriptor.h"
#include "kx/ui/StringTable.h"

#include <algorithm>

namespace KX {

namespace {
constexpr double kExtentLimit = 4503599627370496.0; // 2^52

void SendFrom(LControl& control, const char16_t* id, const ConstRCPtr<LRefCountedObject>& param)
{
    RCPtr<LNotification> n;
    LNotification::Create(n, id, param);
    if (n)
        control.SendNotification(n);
}

// The menu label of a key: the application's text, else the framework's.
WString MenuLabel(const WString& key)
{
    WString text = LookupAppString(key);
    if (text.IsEmpty())
        if (LFrameworkApp* app = LFrameworkApp::GetCurrent())
            if (const ConstRCPtr<LStringTable>& table = app->GetFrameworkStringTable())
                table->Lookup(key, text);
    return text;
}
} // namespace

RCPtr<LTextValidationParams> LTextValidationParams::Create(const WString& text)
{
    return RCPtr<LTextValidationParams>(new LTextValidationParams(text));
}

LTextValidationParams* LTextValidationParams::FromNotification(const RCPtr<LNotification>& n)
{
    if (!n)
        return nullptr;
    const LRefCountedObject* payload = n->GetPayload().Get();
    return const_cast<LTextValidationParams*>(dynamic_cast<const LTextValidationParams*>(payload));
}

ConstRCPtr<LRefCountedObject> LTextValidationParams::CreateCopy() const
{
    RCPtr<LTextValidationParams> copy = Create(originalText);
    copy->text = text;
    copy->accepted = accepted;
    return ConstRCPtr<LRefCountedObject>(copy.Get());
}

LTextBox::LTextBox(const RCPtr<LControl>& parent, const WString& name) : LScrollView(parent, name) {}

LTextBox::~LTextBox() = default;

int32_t LTextBox::GetTextLength() const
{
    return static_cast<int32_t>(GetText().GetLength());
}

KXRESULT LTextBox::SetText(const WString& text, bool resetCaret)
{
    if (ApplyText(text, false) != S_OK)
        return S_FALSE;
    const RCPtr<LControl> self(this);
    UpdateTextExtent();
    ClearSelection();
    // The caret never stands past the end, whoever shortened the text.
    const int32_t length = GetTextLength();
    if (m_caret > length)
        m_caret = length;
    if (resetCaret)
        SetCaretPosition(0, false);
    UpdateCaretRect();
    EnsureCaretVisible();
    if (!m_cueText.IsEmpty())
        if (const RCPtr<IControlLook>& cue = GetLookAt(kLookCue))
            if (GetLookCount() > static_cast<uint32_t>(kLookCue))
                cue->SetText(m_cueText);
    UpdateSelectionLooks();
    SendFrom(*this, NID_TEXTBOX_TEXT_CHANGE, ConstRCPtr<LRefCountedObject>(static_cast<LControl*>(this)));
    return S_OK;
}

void LTextBox::UpdateTextExtent()
{
    // The text with the look's margins on both sides.
    const PointT<double> origin = TextOrigin();
    const double width = MeasurePrefix(GetTextLength());
    const double right = std::max(0.0, GetSize().x - (origin.x + textbox::GetTextAreaWidth(*this)));
    SetClientExtent(std::clamp(origin.x + width + right, -kExtentLimit, kExtentLimit),
                    std::clamp(GetSize().y, -kExtentLimit, kExtentLimit));
}

void LTextBox::SetMaxLength(int32_t count)
{
    m_maxLength = count;
    if (count <= 0 || GetTextLength() <= count)
        return;
    // A cut through a surrogate pair keeps neither half.
    if (textbox::IsHighSurrogate(GetText().GetString()[count - 1]))
        --count;
    if (SetText(GetText().Left(static_cast<unsigned>(count)), false) == S_OK)
        SetCaretPosition(GetTextLength(), true);
}

void LTextBox::SetAutoScroll(int32_t axis, bool on)
{
    (axis == 0 ? m_autoScrollH : m_autoScrollV) = on;
}

RCPtr<LTextValidationParams> LTextBox::Validate()
{
    const RCPtr<LControl> self(this);
    // A listener that moves the focus asks this box whether it may lose it: no second validation,
    // and no leaving before the text is accepted.
    struct Mark {
        ValidationStage& stage;
        const ValidationStage was = stage;
        ~Mark() { stage = was; }
    } mark{m_validation};
    m_validation = ValidationStage::kChecking;
    RCPtr<LTextValidationParams> params = LTextValidationParams::Create(GetText());
    const ConstRCPtr<LRefCountedObject> payload(params.Get());
    SendFrom(*this, NID_TEXTBOX_VALIDATING, payload);
    if (params->accepted && params->text != GetText())
        SetText(params->text, false);
    if (params->accepted) {
        m_validation = ValidationStage::kAccepted;
        SendFrom(*this, NID_TEXTBOX_VALIDATED, payload);
    }
    return params;
}

KXRESULT LTextBox::SetFocus(bool forward)
{
    if ((GetConditionFlags() & Condition::kHasFocus) && m_validation == ValidationStage::kNone)
        Validate();
    return LScrollView::SetFocus(forward);
}

bool LTextBox::CanLoseFocus()
{
    if (m_validation != ValidationStage::kNone)
        return m_validation == ValidationStage::kAccepted;
    const RCPtr<LControl> self(this);
    return Validate()->accepted;
}

void LTextBox::InsertCharacter(char16_t c)
{
    // A pair typed as two characters is inserted whole when its second half comes; a half on its
    // own is never inserted.
    const char16_t high = m_pendingHigh;
    m_pendingHigh = 0;
    if (textbox::IsHighSurrogate(c)) {
        m_pendingHigh = c;
        return;
    }
    const bool pair = textbox::IsLowSurrogate(c) && high != 0;
    if (textbox::IsLowSurrogate(c) && !pair)
        return;
    // No room for the character: text and selection stay as they are.
    const int32_t count = pair ? 2 : 1;
    if (static_cast<int64_t>(GetTextLength()) - m_selectionLength + count > EditLimit())
        return;
    WString copy = GetText();
    if (m_selectionLength > 0) {
        const int32_t start = m_selectionStart;
        copy = copy.Left(static_cast<unsigned>(start)) + copy.Mid(start + m_selectionLength);
        SetCaretPosition(start, false);
        ClearSelection();
    }
    const int32_t caret = std::min(m_caret, static_cast<int32_t>(copy.GetLength()));
    const char16_t units[2] = {pair ? high : c, c};
    copy.InsertChars(static_cast<unsigned>(caret), units, static_cast<unsigned>(count));
    // A character typed over an equal selection leaves the text as it was; the caret still goes
    // after it.
    SetText(copy, false);
    if (GetText() == copy)
        SetCaretPosition(caret + count, true);
}

KXRESULT LTextBox::DeleteRange(int32_t start, int32_t count)
{
    const int32_t length = GetTextLength();
    if (start < 0 || count < 1 || start >= length || count > length - start)
        return S_FALSE;
    const WString& text = GetText();
    if (SetText(text.Left(static_cast<unsigned>(start)) + text.Mid(start + count), false) != S_OK)
        return S_FALSE;
    SetCaretPosition(start, true);
    return S_OK;
}

void LTextBox::DeleteSelection()
{
    if (m_selectionLength > 0)
        DeleteRange(m_selectionStart, m_selectionLength);
}

KXRESULT LTextBox::ReplaceSelection(const WString& text)
{
    if (m_selectionLength < 1)
        return E_FAIL;
    const int32_t start = m_selectionStart, count = m_selectionLength;
    const int32_t inserted = static_cast<int32_t>(text.GetLength());
    if (static_cast<int64_t>(GetTextLength()) - count + inserted > EditLimit())
        return E_FAIL;
    const WString& current = GetText();
    const KXRESULT hr = SetText(current.Left(static_cast<unsigned>(start)) + text + current.Mid(start + count), false);
    SetCaretPosition(start + inserted, true);
    ClearSelection();
    return hr;
}

KXRESULT LTextBox::CreateFromDescriptor(const ConstRCPtr<LControlDescriptor>& descriptor)
{
    const WString kept = GetText();
    const KXRESULT hr = LScrollView::CreateFromDescriptor(descriptor);
    const RCPtr<LStringTable>& table = GetStringTable();
    WString cue;
    if (table && table->Lookup(WString(u"LABEL"), cue)) {
        SetText(kept);
        m_cueText = cue;
        if (!cue.IsEmpty()) {
            if (GetLookCount() > static_cast<uint32_t>(kLookCue))
                if (const RCPtr<IControlLook>& look = GetLookAt(kLookCue))
                    look->SetText(cue);
            UpdateSelectionLooks();
        }
    }
    return hr;
}

KXRESULT LTextBox::Initialize()
{
    const KXRESULT hr = LScrollView::Initialize();
    if (Failed(hr))
        return hr;
    SetLooksScrollWithContent(true);
    UpdateTextExtent();
    UpdateCaretRect();
    return S_OK;
}

void LTextBox::RegisterNotificationHandlers()
{
    // The base registers a pending idle subscription and the children's handlers.
    LScrollView::RegisterNotificationHandlers();
    InstallContextMenu();
}

KXRESULT LTextBox::PostInitialize()
{
    const KXRESULT hr = LScrollView::PostInitialize();
    // A box made inside a window that is already shown is never registered again: it gets its
    // menu now (the registration builds it anew).
    if (!GetContextMenuRef())
        InstallContextMenu();
    return hr;
}

void LTextBox::InstallContextMenu()
{
    LFrameworkApp* app = LFrameworkApp::GetCurrent();
    if (!app || !app->GetApplicationStringTable())
        return;
    const RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    struct Entry {
        const char16_t* key;
        const char16_t* id;
    };
    static const Entry kEntries[] = {{u"EDIT_CUT", NID_EDIT_CUT_REQ},
                                     {u"EDIT_COPY", NID_EDIT_COPY_REQ},
                                     {u"EDIT_PASTE", NID_EDIT_PASTE_REQ},
                                     {u"EDIT_DELETE", NID_EDIT_DELETE_REQ}};
    for (const Entry& e : kEntries)
        menu->InsertNewItem(menu->GetItemCount(), MenuLabel(WString(e.key)), WString(e.id), true, false);
    SetContextMenu(menu);
}

KXRESULT LTextBox::GetMenuItemState(const RCPtr<LMenuDescriptor>& menu, uint32_t index, const WString& name,
                                    LMenuItemState& state)
{
    int32_t command = -1;
    if (name == WString(NID_EDIT_COPY_REQ))
        command = kEditCopy;
    else if (name == WString(NID_EDIT_CUT_REQ))
        command = kEditCut;
    else if (name == WString(NID_EDIT_DELETE_REQ))
        command = kEditDelete;
    else if (name == WString(NID_EDIT_PASTE_REQ))
        command = kEditPaste;
    if (command < 0)
        return LScrollView::GetMenuItemState(menu, index, name, state);
    LFrameworkApp* app = LFrameworkApp::GetCurrent();
    const RCPtr<LClipboard> clipboard = app ? app->GetClipboard() : RCPtr<LClipboard>();
    state.enabled = clipboard && clipboard->QueryFocusedControl(command) ? 1 : 0;
    return S_OK;
}

WString LTextBox::GetToolTipText()
{
    if (IsTextClipped())
        return GetText();
    return LScrollView::GetToolTipText();
}

} // namespace KX
