#pragma once
// The framework's single-line text field ("Framework.TextBox"): its text is the control text, with
// a caret, a selection, a character filter, a maximum length, key and mouse editing, clipboard
// edits, a Cut/Copy/Paste/Delete context menu and a two-step validation of what was typed.
// UI thread only.
#include "kx/AppServices.h"
#include "kx/Color.h"
#include "kx/NotificationId.h"
#include "kx/controls/ScrollView.h"

#include <cstdint>

namespace KX {

// The parameter of "NID_TEXTBOX_VALIDATING" and "NID_TEXTBOX_VALIDATED". It is a shared mutable
// record: a handler of "NID_TEXTBOX_VALIDATING" may replace the text or refuse it.
class LTextValidationParams : public virtual LRefCountedObject {
public:
    static RCPtr<LTextValidationParams> Create(const WString& text);
    // The record a validation notification carries; null for any other payload.
    static LTextValidationParams* FromNotification(const RCPtr<LNotification>& n);

    ConstRCPtr<LRefCountedObject> CreateCopy() const override;

    // The candidate text; it starts as the box's text.
    WString text;
    // The box's text when the validation began.
    WString originalText;
    bool accepted = true;

protected:
    explicit LTextValidationParams(const WString& start) : text(start), originalText(start) {}
    ~LTextValidationParams() override = default;
};

// The text box answers clipboard edits itself; the clipboard finds it as the focused edit target.
// Kept apart from LControl's own GetEditTarget, whose result type differs.
class LTextBoxEditTarget : public IEditTarget {
public:
    bool AcceptsEdits() override { return true; }
    RCPtr<IEditTarget> GetEditTarget() override { return RCPtr<IEditTarget>(this); }

protected:
    ~LTextBoxEditTarget() override = default;
};

class LTextBox : public LScrollView, public LTextBoxEditTarget {
public:
    // Look indices.
    static constexpr int32_t kLookNormal = 0;
    static constexpr int32_t kLookHot = 1;
    static constexpr int32_t kLookCueBackground = 2;
    static constexpr int32_t kLookFocused = 3;
    static constexpr int32_t kLookFocusedHot = 4;
    static constexpr int32_t kLookDisabled = 6;
    static constexpr int32_t kLookCue = 9;
    static constexpr int32_t kLookSelected = 10;
    static constexpr int32_t kLookSelectedHot = 11;
    // The longest text typing and pasting make in a box without a maximum: every key measures the
    // text, and this keeps a key well inside a frame.
    static constexpr int32_t kEditLimit = 2048;

    LTextBox(const RCPtr<LControl>& parent, const WString& name);

    // LControl.
    KXRESULT SetText(const WString& text) override { return SetText(text, true); }
    const PointT<double>& SetScrollOffset(PointT<double> offset) override;
    bool IsEditTarget() override { return true; }
    bool CanPerformEdit(int32_t command) override;
    KXRESULT PerformEdit(int32_t command) override;
    KXRESULT SetFocus(bool forward) override;
    // The focus leaves only an accepted text: validates and answers whether it was accepted. While
    // the box validates it answers without validating again: no until the text is accepted.
    bool CanLoseFocus() override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    // Builds and installs the Cut, Copy, Paste and Delete context menu.
    void RegisterNotificationHandlers() override;
    KXRESULT GetMenuItemState(const RCPtr<LMenuDescriptor>& menu, uint32_t index, const WString& name,
                              LMenuItemState& state) override;
    KXRESULT CreateFromDescriptor(const ConstRCPtr<LControlDescriptor>& descriptor) override;
    void OnLeftDown(const RCPtr<LMouseButtonParam>& param) override;
    void OnMove(const RCPtr<LPointWithModifiersParam>& param) override;
    void OnLeftClickHook(const RCPtr<LMouseButtonParam>& param) override;
    // The key handler: 0 when the key was used, 1 to let it travel on.
    KXRESULT FilterKey(const RCPtr<LKeyParam>& param) override;
    void OnIdleHook() override;
    // Draws the caret over the looks.
    KXRESULT PaintAfterChildren(const RCPtr<LRenderer>& renderer) override;
    KXRESULT Initialize() override;
    // The context menu of a box made inside a live window.
    KXRESULT PostInitialize() override;
    WString GetToolTipText() override;

    // Applies the text; 1 when it was equal (nothing else happens), else 0 after emptying the
    // selection, moving the caret to 0 when resetCaret, keeping the caret in view and sending
    // "NID_TEXTBOX_TEXT_CHANGE".
    virtual KXRESULT SetText(const WString& text, bool resetCaret);
    int32_t GetTextLength() const;
    // Above 0: cuts a longer text to count characters (caret to the new end). 0 or less: no limit
    // of the box's own; typing and pasting still stop at kEditLimit.
    void SetMaxLength(int32_t count);
    int32_t GetMaxLength() const noexcept { return m_maxLength; }
    // Keeping the caret in view: axis 0 horizontal (on from the start, so that typing past the
    // right edge scrolls), any other axis vertical (the box never scrolls vertically).
    void SetAutoScroll(int32_t axis, bool on);
    // Sends "NID_TEXTBOX_VALIDATING", applies a corrected text, then sends "NID_TEXTBOX_VALIDATED"
    // unless the text was refused. Returns the parameters.
    RCPtr<LTextValidationParams> Validate();
    const WString& GetCueText() const noexcept { return m_cueText; }

    // Editing.
    void InsertCharacter(char16_t c);
    // 0 when the text changed, 1 otherwise.
    KXRESULT DeleteRange(int32_t start, int32_t count);
    void DeleteSelection();
    // E_FAIL without a selection or when the result would pass the maximum.
    KXRESULT ReplaceSelection(const WString& text);

    // Caret and selection.
    // E_INVALIDARG outside 0..length; 1 when the caret stood there already, else 0. An index
    // inside a surrogate pair moves to the pair's start.
    KXRESULT SetCaretPosition(int32_t index, bool force);
    void SetSelection(int32_t start, int32_t count, int32_t anchor);
    // first -1: none; first 0 with last -1: everything; else [min, max] of two valid indices,
    // widened to cover whole surrogate pairs.
    void SelectRange(int32_t first, int32_t last);
    void ExtendSelectionTo(int32_t index);
    void ClearSelection();
    // The character index nearest to a point in control coordinates.
    int32_t CharacterIndexAtPoint(PointT<double> point);
    void EnsureCaretVisible();
    void UpdateCaretRect();
    void UpdateSelectionLooks();
    int32_t NextWordStart() const;
    int32_t PreviousWordStart() const;

    int32_t GetCaretPosition() const noexcept { return m_caret; }
    int32_t GetSelectionStart() const noexcept { return m_selectionStart; }
    int32_t GetSelectionLength() const noexcept { return m_selectionLength; }
    int32_t GetSelectionAnchor() const noexcept { return m_selectionAnchor; }
    WString GetSelectedText() const;
    const RectT<float>& GetCaretRect() const noexcept { return m_caretRect; }
    bool IsCaretShown() const noexcept { return m_caretShown; }
    double GetNextBlinkTime() const noexcept { return m_nextBlink; }

    // Set by the owner: the characters the filter tests (empty: no filter) and whether they are
    // the only ones allowed (true) or the ones refused (false).
    WString characterFilter;
    bool filterIsAllowList = true;

protected:
    ~LTextBox() override;

private:
    void InstallContextMenu();
    // The scroll view's extent: the text's width within the look's margins.
    void UpdateTextExtent();
    // The key handler's cases.
    KXRESULT HandleMovementKey(uint32_t code);
    KXRESULT HandleDeletionKey(uint32_t code);
    KXRESULT HandleCharacter(char16_t c);
    // The caret position one character from index (direction -1 back, 1 on), whole surrogate
    // pairs counting as one character.
    int32_t StepFrom(int32_t index, int32_t direction) const;
    // index itself, or the nearest character boundary before (direction -1) or after (1) it
    // when it falls between the halves of a surrogate pair.
    int32_t ToBoundary(int32_t index, int32_t direction) const;
    // The colour of the text in the look the box shows; black without one.
    LColor CaretColor();
    void ShiftLeft();
    void ShiftRight();
    // Clipboard text; empty when there is none.
    bool ReadClipboardText(WString& out) const;
    KXRESULT PasteText(const WString& text);
    // The left edge of the text and the top of its line, in content coordinates.
    PointT<double> TextOrigin();
    double MeasurePrefix(int32_t count);
    // Content width minus client width plus 3, or 0 when the text fits.
    double ScrollLimit();
    bool IsPressed() const;
    bool IsHot() const;
    // The maximum edits keep to: the box's own, else kEditLimit.
    int32_t EditLimit() const noexcept { return m_maxLength > 0 ? m_maxLength : kEditLimit; }
    void RestartBlink();

    WString m_cueText;
    int32_t m_caret = 0;
    int32_t m_selectionStart = 0;
    int32_t m_selectionLength = 0;
    int32_t m_selectionAnchor = 0;
    int32_t m_maxLength = 0;
    bool m_autoScrollH = false;
    bool m_autoScrollV = false;
    RectT<float> m_caretRect{};
    bool m_inScrollUpdate = false;
    bool m_caretShown = true;
    double m_nextBlink = 0.0;
    bool m_idleSubscribed = false;
    // The first half of a pair typed as two characters, until its second half comes.
    char16_t m_pendingHigh = 0;
    // Inside Validate: the focus question answers without validating again.
    enum class ValidationStage : uint8_t { kNone, kChecking, kAccepted };
    ValidationStage m_validation = ValidationStage::kNone;
};

} // namespace KX
