// The text box's caret, its selection and how both are shown, the mouse, the blink and the
// horizontal scrolling that keeps the caret in view.
#include "TextBoxSupport.h"
#include "kx/Color.h"
#include "kx/RenderHost.h"
#include "kx/TextLayout.h"
#include "kx/controls/TextBox.h"
#include "kx/ui/ControlHost.h"
#include "kx/ui/KeyNavigation.h"
#include "kx/ui/Look.h"
#include "kx/ui/RootWindow.h"

#include <algorithm>
#include <cmath>

namespace KX {

namespace {
constexpr double kBlinkShown = 0.5;
constexpr double kBlinkHidden = 0.3;
constexpr double kScrollMargin = 3.0;
constexpr double kEdgeZone = 20.0;
constexpr double kPointLimit = 8388608.0; // 2^23
constexpr float kEmptyWidth = 1.1920929e-7f;
// Clock readings this close to the blink time count as having reached it (sums of tenths of a
// second are not exact in binary).
constexpr double kTimeTolerance = 1e-6;

LRootWindow* RootWindowOf(LControl& control)
{
    const RCPtr<LControl> top = control.GetTopLevelControl();
    return top ? dynamic_cast<LRootWindow*>(top->GetTopLevelOwnerSlot().Get()) : nullptr;
}
} // namespace

bool LTextBox::IsPressed() const
{
    return (GetConditionFlags() & (Condition::kLeftPressed | Condition::kLeftDrag)) != 0;
}

bool LTextBox::IsHot() const
{
    return (GetConditionFlags() & Condition::kHover) != 0 || IsPressed();
}

void LTextBox::RestartBlink()
{
    m_caretShown = true;
    m_nextBlink = GetAppTime() + kBlinkShown;
}

PointT<double> LTextBox::TextOrigin()
{
    auto* look = dynamic_cast<LLook*>(GetLookAt(0).Get());
    if (!look)
        return PointT<double>{};
    const PointT<int32_t> at = look->GetTextPosition();
    PointT<double> origin{static_cast<double>(at.x), static_cast<double>(at.y)};
    if (const RCPtr<LFontText>& text = look->GetFontText()) {
        if (text->GetLineCount() > 0) {
            const RectT<float>& line = text->GetLineRectArray().ElementAt(0);
            origin.x += line.x;
            origin.y += line.y;
        }
    }
    return origin;
}

double LTextBox::MeasurePrefix(int32_t count)
{
    count = std::clamp(count, 0, GetTextLength());
    if (count == 0)
        return 0.0;
    const ConstRCPtr<LMeasurementRenderer> measurer = GetMeasurementRenderer();
    return MeasureTextWidth(measurer.Get(), GetFont(), GetText().Left(static_cast<unsigned>(count)));
}

double LTextBox::ScrollLimit()
{
    const double content = GetClientExtent().x;
    const double client = GetClientRect().width;
    return content > client ? content - client + kScrollMargin : 0.0;
}

void LTextBox::UpdateCaretRect()
{
    const PointT<double> origin = TextOrigin();
    const int32_t height = GetFont() ? GetFont()->GetHeight() : 0;
    m_caretRect = RectT<float>{static_cast<float>(origin.x + MeasurePrefix(m_caret) - 1.0),
                               static_cast<float>(origin.y), 1.0f, static_cast<float>(std::max(height, 0))};
}

int32_t LTextBox::ToBoundary(int32_t index, int32_t direction) const
{
    const WString& text = GetText();
    const int32_t length = static_cast<int32_t>(text.GetLength());
    if (index <= 0 || index >= length)
        return index;
    const char16_t* s = text.GetString();
    if (textbox::IsHighSurrogate(s[index - 1]) && textbox::IsLowSurrogate(s[index]))
        return direction < 0 ? index - 1 : index + 1;
    return index;
}

KXRESULT LTextBox::SetCaretPosition(int32_t index, bool force)
{
    if (index < 0 || index > GetTextLength())
        return E_INVALIDARG;
    index = ToBoundary(index, -1);
    if (index == m_caret && !force) {
        if (m_selectionLength == 0)
            m_selectionAnchor = m_caret;
        return S_FALSE;
    }
    const bool same = index == m_caret;
    m_caret = index;
    if (m_selectionLength == 0)
        m_selectionAnchor = index;
    UpdateCaretRect();
    EnsureCaretVisible();
    RestartBlink();
    Invalidate(RectT<double>{0, 0, GetSize().x, GetSize().y}, true);
    return same ? S_FALSE : S_OK;
}

void LTextBox::SetSelection(int32_t start, int32_t count, int32_t anchor)
{
    anchor = ToBoundary(anchor, -1);
    if (count < 1) {
        start = ToBoundary(start, -1);
        const bool changed = m_selectionLength != 0 || m_selectionStart != start;
        m_selectionStart = start;
        m_selectionLength = 0;
        if (changed)
            UpdateSelectionLooks();
    } else {
        SelectRange(start, start + count - 1);
    }
    m_selectionAnchor = anchor;
}

void LTextBox::SelectRange(int32_t first, int32_t last)
{
    const int32_t length = GetTextLength();
    const int32_t oldStart = m_selectionStart, oldLength = m_selectionLength;
    if (first == -1) {
        m_selectionStart = m_selectionLength = m_selectionAnchor = 0;
    } else if (first == 0 && last == -1) {
        m_selectionStart = 0;
        m_selectionLength = length;
        m_selectionAnchor = 0;
    } else {
        if (first < 0 || first >= length || last < 0 || last >= length)
            return;
        // Whole pairs: the start moves back to a boundary, the end (one past the last) forward.
        m_selectionStart = ToBoundary(std::min(first, last), -1);
        m_selectionLength = ToBoundary(std::max(first, last) + 1, 1) - m_selectionStart;
        m_selectionAnchor = m_selectionStart;
    }
    if (oldStart != m_selectionStart || oldLength != m_selectionLength)
        UpdateSelectionLooks();
}

void LTextBox::ExtendSelectionTo(int32_t index)
{
    index = ToBoundary(std::clamp(index, 0, GetTextLength()), -1);
    const int32_t anchor = ToBoundary(std::clamp(m_selectionAnchor, 0, GetTextLength()), -1);
    m_selectionStart = std::min(anchor, index);
    m_selectionLength = std::abs(index - anchor);
    m_selectionAnchor = anchor;
    SetCaretPosition(index, false);
    UpdateSelectionLooks();
}

void LTextBox::ClearSelection()
{
    const bool had = m_selectionLength > 0;
    m_selectionStart = m_selectionLength = m_selectionAnchor = 0;
    if (had)
        UpdateSelectionLooks();
}

WString LTextBox::GetSelectedText() const
{
    if (m_selectionLength < 1)
        return WString();
    return GetText().Mid(m_selectionStart, static_cast<unsigned>(m_selectionLength));
}

int32_t LTextBox::CharacterIndexAtPoint(PointT<double> point)
{
    const double x = std::clamp(point.x, -kPointLimit, kPointLimit);
    // One line: every y picks it.
    const double along = x + GetScrollOffset().x - TextOrigin().x;
    // The first character whose middle lies beyond the point; the middles grow along the text,
    // so a binary search measures a few prefixes however long the text is.
    const char16_t* s = GetText().GetString();
    int32_t low = 0, high = GetTextLength();
    while (low < high) {
        int32_t mid = low + (high - low) / 2;
        if (mid > low && textbox::IsLowSurrogate(s[mid]) && textbox::IsHighSurrogate(s[mid - 1]))
            --mid;
        const int32_t next = StepFrom(mid, 1);
        const double left = MeasurePrefix(mid);
        if (left + (MeasurePrefix(next) - left) / 2.0 > along)
            high = mid;
        else
            low = next;
    }
    return low;
}

void LTextBox::EnsureCaretVisible()
{
    if (!(m_autoScrollH || m_autoScrollV) || IsAxisAnimating(0) || IsAxisAnimating(1) || m_inScrollUpdate)
        return;
    if (!m_autoScrollH)
        return;
    const RectT<double> client = GetClientRect();
    const PointT<double> scroll = GetScrollOffset();
    const double caretX = m_caretRect.x, caretRight = m_caretRect.x + m_caretRect.width;
    double x = scroll.x;
    if (caretX - scroll.x < client.x)
        x = std::max(0.0, caretX - kScrollMargin);
    else if (caretRight - scroll.x > client.x + client.width)
        x = caretRight + kScrollMargin - (client.x + client.width);
    if (x == scroll.x)
        return;
    SetScrollOffset(PointT<double>{x, scroll.y});
    UpdateCaretRect();
    UpdateSelectionLooks();
}

const PointT<double>& LTextBox::SetScrollOffset(PointT<double> offset)
{
    if (m_inScrollUpdate)
        return LScrollView::SetScrollOffset(GetScrollOffset());
    m_inScrollUpdate = true;
    const RCPtr<LControl> self(this);
    LScrollView::SetScrollOffset(offset);
    if (IsAxisAnimating(0)) {
        const double x = GetScrollOffset().x;
        if (x <= 0.0 || x >= ScrollLimit())
            StopAxisAnimation(0);
    }
    if (IsPressed()) {
        LRootWindow* window = RootWindowOf(*this);
        if (window) {
            const PointT<int32_t> cursor = window->GetCursorPos();
            const PointT<double> origin = GetOriginInRootWindow();
            ExtendSelectionTo(CharacterIndexAtPoint(PointT<double>{cursor.x - origin.x, cursor.y - origin.y}));
        }
    } else {
        UpdateSelectionLooks();
    }
    m_inScrollUpdate = false;
    return LScrollView::SetScrollOffset(GetScrollOffset());
}

void LTextBox::UpdateSelectionLooks()
{
    const uint32_t flags = GetConditionFlags();
    if (!(flags & Condition::kEnabled)) {
        ClearAllLookRegions();
        ShowLook(kLookDisabled, 1);
        return;
    }
    const bool hot = IsHot();
    const bool focused = (flags & Condition::kHasFocus) != 0;
    if (!focused && GetText().IsEmpty() && !m_cueText.IsEmpty() && GetLookCount() > static_cast<uint32_t>(kLookCue)) {
        ClearAllLookRegions();
        float hAlign = 0.0f, vAlign = 0.0f;
        const RectT<int32_t> area = RoundRectToLong(textbox::GetTextArea(*this, hAlign, vAlign));
        LRegion region;
        region.AddRect(area.x, area.y, area.x + area.width, area.y + area.height);
        SetLookRegion(kLookCue, region);
        SetLookRegionExcept(kLookCueBackground, kLookCue);
        SetLookOpacity(kLookCueBackground, 1.0f, true);
        SetLookOpacity(kLookCue, 1.0f, false);
        return;
    }
    const int32_t base = focused ? (hot ? kLookFocusedHot : kLookFocused) : (hot ? kLookHot : kLookNormal);
    if (focused && m_selectionLength > 0 && GetLookCount() > static_cast<uint32_t>(kLookSelectedHot)) {
        const int32_t selected = hot ? kLookSelectedHot : kLookSelected;
        const RectT<double> client = GetClientRect();
        const double scroll = GetScrollOffset().x;
        const PointT<double> origin = TextOrigin();
        const double left = origin.x + MeasurePrefix(m_selectionStart) - scroll;
        const double right = origin.x + MeasurePrefix(m_selectionStart + m_selectionLength) - scroll;
        const int32_t height = GetFont() ? std::max(GetFont()->GetHeight(), 0) : 0;
        RectT<double> rect{left, origin.y, right - left, static_cast<double>(height)};
        LRegion region;
        if (IntersectRects(rect, client, rect) && rect.width > kEmptyWidth && rect.height > kEmptyWidth) {
            const RectT<int32_t> r = RoundRectToLong(rect);
            region.AddRect(r.x, r.y, r.x + r.width, r.y + r.height);
        }
        ClearAllLookRegions();
        SetLookRegion(selected, region);
        SetLookRegionExcept(base, selected);
        SetLookOpacity(base, 1.0f, true);
        SetLookOpacity(selected, 1.0f, false);
        return;
    }
    ClearAllLookRegions();
    ShowLook(base, 1);
}

void LTextBox::OnConditionsChanged(const RCPtr<LConditionsParam>& param)
{
    LScrollView::OnConditionsChanged(param);
    if (!param)
        return;
    const uint32_t previous = param->GetPreviousMask(), current = param->GetCurrentMask();
    auto gained = [&](uint32_t bits) { return (current & bits) && !(previous & bits); };
    auto lost = [&](uint32_t bits) { return !(current & bits) && (previous & bits); };
    LRootWindow* window = RootWindowOf(*this);
    if (gained(Condition::kHasFocus)) {
        if (window)
            window->SetTextInputPosition(
                RoundRectToLong(RectT<double>{m_caretRect.x, m_caretRect.y, m_caretRect.width, m_caretRect.height}));
        // The box may have been laid out anew since its text was set.
        UpdateTextExtent();
        // Reached by Tab: the whole text is selected, so that typing replaces it.
        if (IsFocusMovingByTab()) {
            SelectRange(0, -1);
            SetCaretPosition(GetTextLength(), false);
        }
        UpdateCaretRect();
        EnsureCaretVisible();
        RestartBlink();
        if (!m_idleSubscribed) {
            m_idleSubscribed = true;
            SubscribeIdle();
        }
    } else if (lost(Condition::kHasFocus)) {
        if (window)
            window->SetTextInputPosition(RectT<int32_t>{});
        if (m_idleSubscribed) {
            m_idleSubscribed = false;
            UnsubscribeIdle();
        }
        m_caretShown = false;
        SetScrollOffset(PointT<double>{0.0, 0.0});
        UpdateCaretRect();
    }
    if (gained(Condition::kHover))
        if (IRootWindowHost* host = GetRootWindowHost())
            SetCursor(host->GetApplicationCursor(WString(u"UI_CURSOR_IBEAM")));
    if (lost(Condition::kLeftPressed | Condition::kLeftDrag)) {
        StopAxisAnimation(0);
        StopAxisAnimation(1);
    }
    UpdateSelectionLooks();
    Invalidate(RectT<double>{0, 0, GetSize().x, GetSize().y}, true);
}

void LTextBox::OnLeftDown(const RCPtr<LMouseButtonParam>& param)
{
    LScrollView::OnLeftDown(param);
    if (!param)
        return;
    const PointT<int32_t> p = param->GetPoint();
    const int32_t index = CharacterIndexAtPoint(PointT<double>{static_cast<double>(p.x), static_cast<double>(p.y)});
    if (param->GetModifiers() & Modifier::Shift) {
        ExtendSelectionTo(index);
        return;
    }
    ClearSelection();
    SetCaretPosition(index, false);
    m_selectionAnchor = index;
}

void LTextBox::OnMove(const RCPtr<LPointWithModifiersParam>& param)
{
    LScrollView::OnMove(param);
    if (!param || !IsPressed())
        return;
    const RectT<double> client = GetClientRect();
    const PointT<int32_t> p = param->GetPoint();
    const double right = client.x + client.width;
    const double x = std::clamp(static_cast<double>(p.x), client.x, std::max(client.x, right - 1.0));
    const double y = std::clamp(static_cast<double>(p.y), client.y, std::max(client.y, client.y + client.height - 1.0));
    ExtendSelectionTo(CharacterIndexAtPoint(PointT<double>{x, y}));
    if (!m_autoScrollH)
        return;
    if (x > right - kEdgeZone)
        StartAxisAnimation(0, (x - (right - kEdgeZone) + 1.0) * 5.0, ScrollLimit(), 0.0, RCPtr<LControl>());
    else if (x < client.x + kEdgeZone)
        StartAxisAnimation(0, (x - (client.x + kEdgeZone) + 1.0) * 5.0, ScrollLimit(), 0.0, RCPtr<LControl>());
    else
        StopAxisAnimation(0);
}

void LTextBox::OnLeftClickHook(const RCPtr<LMouseButtonParam>& param)
{
    LScrollView::OnLeftClickHook(param);
    if (!param || !(param->IsDoubleClick() || (param->GetModifiers() & Modifier::Ctrl)))
        return;
    ClearSelection();
    SetCaretPosition(PreviousWordStart(), false);
    int32_t end = NextWordStart();
    const WString& text = GetText();
    while (end > m_caret && textbox::IsWordSpace(text.GetString()[end - 1]))
        --end;
    ExtendSelectionTo(end);
}

void LTextBox::OnIdleHook()
{
    LScrollView::OnIdleHook();
    const double now = GetAppTime();
    if (now + kTimeTolerance < m_nextBlink)
        return;
    m_caretShown = !m_caretShown;
    m_nextBlink = now + (m_caretShown ? kBlinkShown : kBlinkHidden);
    Invalidate(RectT<double>{0, 0, GetSize().x, GetSize().y}, true);
}

KXRESULT LTextBox::PaintAfterChildren(const RCPtr<LRenderer>& renderer)
{
    LScrollView::PaintAfterChildren(renderer);
    if (!renderer || !m_caretShown || !(GetConditionFlags() & Condition::kHasFocus))
        return S_OK;
    const PointT<double> scroll = GetScrollOffset();
    const float sx = static_cast<float>(std::clamp(scroll.x, -kPointLimit, kPointLimit));
    const float sy = static_cast<float>(std::clamp(scroll.y, -kPointLimit, kPointLimit));
    const float x = m_caretRect.x - sx;
    renderer->DrawLine(PointT<float>{x, m_caretRect.y - sy}, PointT<float>{x, m_caretRect.y + m_caretRect.height - sy},
                       CaretColor(), 1.0f);
    return S_OK;
}

LColor LTextBox::CaretColor()
{
    // The caret is drawn only while focused: the focused looks' text colour, else the first look's.
    const int32_t shown = IsHot() ? kLookFocusedHot : kLookFocused;
    for (int32_t index : {shown, kLookFocused, kLookNormal}) {
        if (GetLookCount() <= static_cast<uint32_t>(index))
            continue;
        const auto* look = dynamic_cast<const LLook*>(GetLookAt(static_cast<uint32_t>(index)).Get());
        if (!look || !look->GetTextForegroundPart())
            continue;
        const ConstRCPtr<LColorizer>& colorizer = look->GetTextForegroundPart()->GetColorizer();
        if (colorizer && !look->GetTextForegroundPart()->GetBitmap())
            return LColor::MakeFromARGB(look->GetTextForegroundPart()->GetFlatColor().ToARGB());
    }
    return LColor::MakeFromARGB(0xFF000000u);
}

} // namespace KX
