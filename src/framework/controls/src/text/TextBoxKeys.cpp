// The text box's keyboard editing, word boundaries and clipboard edits.
#include "TextBoxSupport.h"
#include "kx/controls/TextBox.h"
#include "kx/ui/FrameworkApp.h"
#include "kx/ui/KeyCode.h"
#include "kx/ui/ParamRecords.h"

#include <algorithm>

namespace KX {

namespace {
constexpr uint32_t kDown = KeyCode::kKeyDown;
constexpr uint32_t kShift = KeyCode::kShift;
constexpr uint32_t kCtrl = KeyCode::kCtrl;

constexpr uint32_t Key(uint8_t virtualKey, uint32_t modifiers = 0)
{
    return kDown | (static_cast<uint32_t>(virtualKey) << KeyCode::kVirtualKeyShift) | modifiers;
}

RCPtr<LClipboard> GetAppClipboard()
{
    LFrameworkApp* app = LFrameworkApp::GetCurrent();
    return app ? app->GetClipboard() : RCPtr<LClipboard>();
}
} // namespace

int32_t LTextBox::NextWordStart() const
{
    const WString& text = GetText();
    const int32_t length = GetTextLength();
    int32_t i = m_caret;
    if (i >= length)
        return length;
    const char16_t* s = text.GetString();
    while (i < length && textbox::IsWordSpace(s[i]))
        ++i;
    while (i < length && !textbox::IsWordSpace(s[i]))
        ++i;
    while (i < length && textbox::IsWordSpace(s[i]))
        ++i;
    return i;
}

int32_t LTextBox::PreviousWordStart() const
{
    if (m_caret <= 0)
        return 0;
    const char16_t* s = GetText().GetString();
    int32_t i = m_caret - 1;
    while (i > 0 && textbox::IsWordSpace(s[i]))
        --i;
    // Only blanks before the caret: the start of the text, not the blank after the first one.
    if (i == 0 && textbox::IsWordSpace(s[0]))
        return 0;
    while (i > 0 && !textbox::IsWordSpace(s[i]))
        --i;
    if (textbox::IsWordSpace(s[i]))
        ++i;
    return i;
}

int32_t LTextBox::StepFrom(int32_t index, int32_t direction) const
{
    const int32_t length = GetTextLength();
    const char16_t* s = GetText().GetString();
    const int32_t next = std::clamp(index + (direction < 0 ? -1 : 1), 0, length);
    // A surrogate pair is one character: never stop between its halves.
    if (next > 0 && next < length && textbox::IsHighSurrogate(s[next - 1]) && textbox::IsLowSurrogate(s[next]))
        return std::clamp(next + (direction < 0 ? -1 : 1), 0, length);
    return next;
}

void LTextBox::ShiftLeft()
{
    if (m_caret < 1)
        return;
    const int32_t units = m_caret - StepFrom(m_caret, -1);
    if (m_selectionLength > 0) {
        if (m_caret > m_selectionAnchor) {
            m_selectionLength -= units;
        } else {
            m_selectionStart -= units;
            m_selectionLength += units;
        }
    } else {
        m_selectionStart = m_caret - units;
        m_selectionLength = units;
        m_selectionAnchor = m_caret;
    }
    SetCaretPosition(m_caret - units, false);
    UpdateSelectionLooks();
}

void LTextBox::ShiftRight()
{
    if (m_caret >= GetTextLength())
        return;
    const int32_t units = StepFrom(m_caret, 1) - m_caret;
    if (m_selectionLength > 0) {
        if (m_caret < m_selectionAnchor) {
            m_selectionStart += units;
            m_selectionLength -= units;
        } else {
            m_selectionLength += units;
        }
    } else {
        m_selectionStart = m_caret;
        m_selectionLength = units;
        m_selectionAnchor = m_caret;
    }
    SetCaretPosition(m_caret + units, false);
    UpdateSelectionLooks();
}

KXRESULT LTextBox::HandleMovementKey(uint32_t code)
{
    const int32_t length = GetTextLength();
    switch (code) {
    case Key(VKey::Left):
        ClearSelection();
        if (m_caret > 0)
            SetCaretPosition(StepFrom(m_caret, -1), false);
        return S_OK;
    case Key(VKey::Right):
        ClearSelection();
        if (m_caret < length)
            SetCaretPosition(StepFrom(m_caret, 1), false);
        return S_OK;
    case Key(VKey::Left, kShift): ShiftLeft(); return S_OK;
    case Key(VKey::Right, kShift): ShiftRight(); return S_OK;
    case Key(VKey::Left, kCtrl): {
        const int32_t to = PreviousWordStart();
        ClearSelection();
        SetCaretPosition(to, false);
        return S_OK;
    }
    case Key(VKey::Right, kCtrl): {
        const int32_t to = NextWordStart();
        ClearSelection();
        SetCaretPosition(to, false);
        return S_OK;
    }
    case Key(VKey::Left, kCtrl | kShift): ExtendSelectionTo(PreviousWordStart()); return S_OK;
    case Key(VKey::Right, kCtrl | kShift): ExtendSelectionTo(NextWordStart()); return S_OK;
    case Key(VKey::Home):
        ClearSelection();
        SetCaretPosition(0, false);
        return S_OK;
    case Key(VKey::End):
        ClearSelection();
        SetCaretPosition(length, false);
        return S_OK;
    case Key(VKey::Home, kShift):
        if (m_caret > 0) {
            SetSelection(0, m_selectionAnchor, m_selectionAnchor);
            SetCaretPosition(0, false);
            UpdateSelectionLooks();
        }
        return S_OK;
    case Key(VKey::End, kShift):
        if (m_caret < length) {
            SetSelection(m_selectionAnchor, length - m_selectionAnchor, m_selectionAnchor);
            SetCaretPosition(length, false);
            UpdateSelectionLooks();
        }
        return S_OK;
    default: return S_FALSE;
    }
}

KXRESULT LTextBox::HandleDeletionKey(uint32_t code)
{
    switch (code) {
    case Key(VKey::Delete):
        if (m_selectionLength > 0)
            DeleteSelection();
        else if (m_caret < GetTextLength())
            DeleteRange(m_caret, StepFrom(m_caret, 1) - m_caret);
        return S_OK;
    case Key(VKey::Delete, kCtrl):
        if (m_selectionLength > 0)
            DeleteSelection();
        else
            DeleteRange(m_caret, GetTextLength() - m_caret);
        return S_OK;
    case Key(VKey::Back):
    case Key(VKey::Delete, kShift):
        if (m_selectionLength > 0)
            DeleteSelection();
        else if (m_caret >= 1)
            DeleteRange(StepFrom(m_caret, -1), m_caret - StepFrom(m_caret, -1));
        return S_OK;
    default: return S_FALSE;
    }
}

KXRESULT LTextBox::HandleCharacter(char16_t c)
{
    if (!textbox::IsPrintable(c) || c == u'\t')
        return S_FALSE;
    if (!characterFilter.IsEmpty()) {
        bool found = false;
        for (const char16_t* f = characterFilter.GetString(); *f && !found; ++f)
            found = *f == c;
        if (found != filterIsAllowList)
            return S_OK;
    }
    InsertCharacter(c);
    return S_OK;
}

KXRESULT LTextBox::FilterKey(const RCPtr<LKeyParam>& param)
{
    if (!param)
        return S_FALSE;
    const RCPtr<LControl> self(this);
    const uint32_t code = param->GetKey().code;
    const uint8_t virtualKey = param->GetKey().GetVirtualKey();
    if (HandleMovementKey(code) == S_OK)
        return S_OK;
    if ((code & kDown) && (virtualKey == VKey::Up || virtualKey == VKey::Down))
        return S_FALSE;
    if (HandleDeletionKey(code) == S_OK)
        return S_OK;
    if (code == Key(VKey::Return))
        return Validate()->accepted ? S_FALSE : S_OK;
    if (virtualKey == 0 && !(code & KeyCode::kEmpty) && !(code & kDown))
        return HandleCharacter(param->GetKey().GetCharacter());
    // Releases and other non-presses are used; a press travels on unless it is a plain letter,
    // digit or space, which typing turns into characters.
    if (!KeyCode::IsKeyDown(param->GetKey()))
        return S_OK;
    const bool typing = virtualKey == VKey::Space || (virtualKey >= '0' && virtualKey <= '9') ||
                        (virtualKey >= 'A' && virtualKey <= 'Z');
    if (!typing || (code & (kCtrl | KeyCode::kAlt | KeyCode::kWin)))
        return S_FALSE;
    return S_OK;
}

// Clipboard edits.

bool LTextBox::ReadClipboardText(WString& out) const
{
    out = WString();
    const RCPtr<LClipboard> clipboard = GetAppClipboard();
    if (!clipboard)
        return false;
    const RCPtr<LRefCountedObject> content = clipboard->ReadSystemClipboard();
    const auto* text = dynamic_cast<const LClipboard::TextContent*>(content.Get());
    if (!text)
        return false;
    // Only what typing could insert: one line, through the filter.
    const WString& raw = *text;
    for (const char16_t* c = raw.GetString(); *c; ++c) {
        if (!textbox::IsPrintable(*c) || *c == u'\t')
            continue;
        if (!characterFilter.IsEmpty()) {
            bool found = false;
            for (const char16_t* f = characterFilter.GetString(); *f && !found; ++f)
                found = *f == *c;
            if (found != filterIsAllowList)
                continue;
        }
        out.AppendChar(*c);
    }
    return !out.IsEmpty();
}

bool LTextBox::CanPerformEdit(int32_t command)
{
    if (command == kEditDelete || command == kEditCut || command == kEditCopy)
        return m_selectionLength > 0;
    WString text;
    if (!ReadClipboardText(text))
        return false;
    return static_cast<int64_t>(GetTextLength()) - m_selectionLength + text.GetLength() <= EditLimit();
}

KXRESULT LTextBox::PasteText(const WString& text)
{
    if (m_selectionLength > 0)
        return ReplaceSelection(text);
    const int32_t inserted = static_cast<int32_t>(text.GetLength());
    if (static_cast<int64_t>(GetTextLength()) + inserted > EditLimit())
        return E_FAIL;
    const int32_t caret = m_caret;
    WString copy = GetText();
    copy.Insert(static_cast<unsigned>(caret), text);
    if (SetText(copy, false) != S_OK)
        return E_FAIL;
    SetCaretPosition(caret + inserted, true);
    return S_OK;
}

KXRESULT LTextBox::PerformEdit(int32_t command)
{
    const RCPtr<LControl> self(this);
    switch (command) {
    case kEditDelete:
        if (m_selectionLength < 1)
            return E_FAIL;
        DeleteSelection();
        return S_OK;
    case kEditCut:
    case kEditCopy: {
        if (m_selectionLength < 1)
            return E_FAIL;
        const RCPtr<LClipboard> clipboard = GetAppClipboard();
        if (!clipboard)
            return E_FAIL;
        const KXRESULT written = clipboard->WriteSystemClipboard(
            RCPtr<LRefCountedObject>(LClipboard::TextContent::Create(GetSelectedText())));
        // A cut whose text did not reach the clipboard keeps it.
        if (written != S_OK)
            return E_FAIL;
        if (command == kEditCut)
            DeleteSelection();
        return S_OK;
    }
    case kEditPaste: {
        WString text;
        if (!ReadClipboardText(text))
            return E_FAIL;
        return PasteText(text);
    }
    default: return E_FAIL;
    }
}

} // namespace KX
