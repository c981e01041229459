// The program's own message box: texts, buttons, the icon's mark and its size.
#include "editor/MessageBoxDlg.h"

#include "kx/RenderHost.h"
#include "kx/TextLayout.h"
#include "kx/Utf8.h"
#include "kx/ui/ControlLook.h"
#include "kx/ui/KeyCode.h"
#include "kx/ui/LayoutDescriptor.h"
#include "kx/ui/Look.h"
#include "kx/ui/ParamRecords.h"

#include <algorithm>
#include <cmath>

namespace editor {

using namespace KX;

namespace {

constexpr double kButtonGap = 8.0;
// Heights change in steps of the layout grid.
constexpr double kGrid = 4.0;

// The mark's looks: error, warning, information. A box without an icon (news of success) is
// information too.
int32_t MarkLook(platform::sdl::BoxIcon icon)
{
    switch (icon) {
    case platform::sdl::BoxIcon::Error: return 0;
    case platform::sdl::BoxIcon::Warning: return 1;
    case platform::sdl::BoxIcon::Information:
    case platform::sdl::BoxIcon::None: break;
    }
    return 2;
}

WString Piece(const char16_t* text, size_t count)
{
    WString piece;
    piece.Assign(text, static_cast<unsigned>(count));
    return piece;
}

// The text's lines at width, a word too long for a line broken between its characters; at most
// maxLines of them (0: all), the last one shown then ending in an ellipsis.
WString LayOutLines(const WString& text, const ConstRCPtr<LFont>& font, double width, size_t maxLines)
{
    const ConstRCPtr<LMeasurementRenderer> measurer = GetMeasurementRenderer();
    const auto fits = [&](const WString& piece) {
        return MeasureTextWidth(measurer.Get(), font, piece) < static_cast<float>(width);
    };
    WStringArray wrapped;
    WrapText(measurer.Get(), font, static_cast<float>(width), text, wrapped);
    std::vector<WString> lines;
    bool broken = false;
    for (uint32_t i = 0; i < wrapped.GetCount(); ++i) {
        const WString& line = wrapped.ElementAt(i);
        const char16_t* s = line.GetString();
        const size_t length = line.GetLength();
        size_t start = 0;
        while (length - start > 1) {
            // The longest start that fits, at least one character, never half a surrogate pair.
            size_t count =
                FitCharactersToWidth(measurer.Get(), font, static_cast<float>(width), s + start, length - start);
            if (count >= length - start)
                break;
            if (count == 0) {
                const bool pair = IsHighSurrogate(s[start]) && IsLowSurrogate(s[start + 1]);
                if (pair && length - start == 2)
                    break;
                count = pair ? 2 : 1;
            }
            lines.push_back(Piece(s + start, count));
            start += count;
            broken = true;
        }
        lines.push_back(Piece(s + start, length - start));
    }
    if (maxLines > 0 && lines.size() > maxLines) {
        lines.resize(maxLines);
        WString& last = lines.back();
        while (!last.IsEmpty() && !fits(last + WString(u"\u2026")))
            last = last.Left(last.GetLength() - 1);
        last += WString(u"\u2026");
    } else if (!broken) {
        return text;
    }
    WString joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            joined += WString(u"\n");
        joined += lines[i];
    }
    return joined;
}

} // namespace

LMessageBoxDlg::LMessageBoxDlg(const RCPtr<LControl>& parent, const WString& name) : LDialog(parent, name) {}

RCPtr<LControl> LMessageBoxDlg::ButtonFor(int32_t id)
{
    for (const StandardButton& button : kStandardButtons)
        if (button.code == id)
            if (RCPtr<LControl> child = FindChild(WString(button.name)))
                return child;
    return RCPtr<LControl>();
}

void LMessageBoxDlg::Shift(LControl& child, double dx, double dy, double dw, double dh)
{
    if (!child.GetLayout())
        return;
    // A copy: the record may be the skin's, shared by every box made from it.
    child.SetLayout(LLayoutDescriptor::Clone(*child.GetLayout()));
    const double delta[2][2] = {{dx, dw}, {dy, dh}};
    for (int32_t axis = 0; axis < 2; ++axis) {
        AxisPlacement position;
        SizeSpec size;
        child.GetLayout()->GetAxisPlacement(axis, position, size);
        position.absolute += delta[axis][0];
        size.absolute += delta[axis][1];
        child.SetAxisPlacement(axis, position, size);
    }
}

bool LMessageBoxDlg::Prepare(const WString& text, const WString& caption, const platform::sdl::BoxLayout& layout,
                             double maxHeight)
{
    const RCPtr<LControl> title = FindChild(WString(u"labelTitle"));
    const RCPtr<LControl> message = FindChild(WString(u"labelText"));
    if (!title || !message || layout.buttons.empty())
        return false;
    std::vector<RCPtr<LControl>> shown;
    for (const platform::sdl::BoxButton& button : layout.buttons) {
        RCPtr<LControl> child = ButtonFor(button.id);
        if (!child)
            return false;
        shown.push_back(child);
    }
    PerformLayout();
    SetText(caption);
    title->SetText(caption);
    message->SetText(text);
    m_default = shown[std::min(layout.defaultIndex, shown.size() - 1)];
    m_closeResult = layout.closeResult;

    if (const RCPtr<LControl> mark = FindChild(WString(u"iconMark"))) {
        mark->SetVisible(true);
        mark->ShowLook(MarkLook(layout.icon), 1);
    }

    // The buttons asked for, in order, ending where the skin's OK button ends.
    const RCPtr<LControl> ok = ButtonFor(platform::sdl::kIdOk);
    const double right = ok ? ok->GetPosition().x + ok->GetSize().x : GetSize().x - 24.0;
    for (const StandardButton& standard : kStandardButtons)
        if (const RCPtr<LControl> child = FindChild(WString(standard.name)))
            child->SetVisible(std::find(shown.begin(), shown.end(), child) != shown.end());
    double x = right;
    for (auto it = shown.rbegin(); it != shown.rend(); ++it) {
        LControl& button = **it;
        x -= button.GetSize().x;
        Shift(button, x - button.GetPosition().x, 0, 0, 0);
        x -= kButtonGap;
    }

    // As tall as the message's lines need, taller or shorter than the skin's label, but never taller
    // than maxHeight: lines beyond it are left out, the last one shown ending in an ellipsis.
    const RCPtr<IControlLook>& look = message->GetLookAt(-1);
    const auto* textLook = dynamic_cast<const LLook*>(look.Get());
    const RCPtr<LFontText> fontText = textLook ? textLook->GetFontText() : RCPtr<LFontText>();
    const double width = message->GetSize().x;
    const int32_t lineHeight = fontText && fontText->GetFont() ? std::max(fontText->GetFont()->GetHeight(), 0) : 0;
    if (fontText && width > 0)
        message->SetText(LayOutLines(text, fontText->GetFont(), width, 0));
    ILookLabel* label = look ? look->GetLabel() : nullptr;
    const double need = label ? static_cast<double>(label->GetHeightForWidth(static_cast<int32_t>(width))) : 0.0;
    double grow = need > 0 ? std::ceil((need - message->GetSize().y) / kGrid) * kGrid : 0.0;
    if (maxHeight > 0 && GetSize().y + grow > maxHeight && lineHeight > 0) {
        grow = std::floor((maxHeight - GetSize().y) / kGrid) * kGrid;
        const double room = std::max(message->GetSize().y + grow, static_cast<double>(lineHeight));
        message->SetText(LayOutLines(text, fontText->GetFont(), width, static_cast<size_t>(room / lineHeight)));
    }
    if (grow != 0) {
        Shift(*message, 0, 0, 0, grow);
        for (const StandardButton& standard : kStandardButtons)
            if (const RCPtr<LControl> child = FindChild(WString(standard.name)))
                Shift(*child, 0, grow, 0, 0);
        // A box without a window lays itself out no more: its bounds are set.
        SetBounds(GetPosition(), PointT<double>{GetSize().x, GetSize().y + grow});
    }
    return true;
}

KXRESULT LMessageBoxDlg::SetFocus(bool forward)
{
    if (m_default && m_default->IsShowing(false) && !GetFocusedChild())
        return m_default->SetFocus(forward);
    return LDialog::SetFocus(forward);
}

KXRESULT LMessageBoxDlg::HandleKey(const RCPtr<LKeyParam>& param)
{
    if (param) {
        const KeyCode& key = param->GetKey();
        constexpr uint32_t kModifiers = KeyCode::kCtrl | KeyCode::kShift | KeyCode::kAlt | KeyCode::kWin;
        if (KeyCode::IsKeyDown(key) && key.GetVirtualKey() == VKey::Escape && (key.code & kModifiers) == 0) {
            Close(m_closeResult);
            return S_OK;
        }
    }
    return LDialog::HandleKey(param);
}

} // namespace editor
