// Colour swatches beside the items of a list box and beside a combo box's chosen item, and the
// caret mark on a selected row.
#include "kx/Renderer.h"
#include "kx/controls/ComboBox.h"
#include "kx/controls/ListBox.h"
#include "kx/ui/Look.h"

#include <cmath>
#include <utility>

namespace KX {

namespace {

constexpr int32_t kSwatchSide = 12;
// Right of the swatch: the row's text margin, or the combo box's text margin before its arrow.
constexpr int32_t kRowRightMargin = 10;
constexpr int32_t kComboRightMargin = 28;
constexpr uint32_t kSwatchEdge = 0xFF4A5058u;

void DrawSwatch(const RCPtr<LRenderer>& renderer, PointT<double> size, int32_t rightMargin, uint32_t argb)
{
    const int32_t x = static_cast<int32_t>(std::floor(size.x)) - rightMargin - kSwatchSide;
    const int32_t y = static_cast<int32_t>(std::floor((size.y - kSwatchSide) / 2.0));
    if (x < 0 || y < 0)
        return;
    const RectT<int32_t> box{x, y, kSwatchSide, kSwatchSide};
    if ((argb >> 24) != 0)
        renderer->FillRect(box, LColor::MakeFromARGB(argb), true);
    renderer->DrawRect(box, LColor::MakeFromARGB(kSwatchEdge), 1.0f);
}

} // namespace

void LListBox::SetItemSwatches(std::vector<uint32_t> argb)
{
    m_swatches = std::move(argb);
    Invalidate(RectT<double>{0, 0, GetSize().x, GetSize().y}, true);
}

KXRESULT LListBoxItem::PaintAfterChildren(const RCPtr<LRenderer>& renderer)
{
    LControl::PaintAfterChildren(renderer);
    auto* list = dynamic_cast<LListBox*>(GetParent().Get());
    if (!renderer || !list || IsBlank())
        return S_OK;
    DrawCaretMark(renderer, *list);
    if (list->GetItemSwatches().empty())
        return S_OK;
    for (int32_t r = 0; r < list->GetRowCount(); ++r) {
        if (list->GetRowAt(r).Get() != this)
            continue;
        const int32_t item = list->GetFirstShownItem() + r;
        const std::vector<uint32_t>& swatches = list->GetItemSwatches();
        if (item < list->GetItemCount() && static_cast<size_t>(item) < swatches.size())
            DrawSwatch(renderer, GetSize(), kRowRightMargin, swatches[static_cast<size_t>(item)]);
        break;
    }
    return S_OK;
}

void LListBoxItem::DrawCaretMark(const RCPtr<LRenderer>& renderer, LListBox& list)
{
    // A selected row shows the caret of a focused list as a ring in its text colour; in a
    // drop-down list the caret follows the pointer and the row's highlight shows it.
    constexpr uint32_t cue = Condition::kHasFocus | Condition::kFocusVisible;
    if (list.IsDropDownMode() || (list.GetConditionFlags() & cue) != cue || GetNormalizedValue() < 0.5)
        return;
    const int32_t item = list.GetCaretIndex();
    if (item < 0 || list.GetItemOfRowControl(this) != item)
        return;
    const LLook* look = dynamic_cast<const LLook*>(GetLookAt(GetFirstVisibleLook()).Get());
    const ConstRCPtr<LVisualPart> part = look ? look->GetTextForegroundPart() : ConstRCPtr<LVisualPart>();
    if (!part || !part->GetColorizer())
        return;
    const PointT<double> size = GetSize();
    const RectT<int32_t> ring{1, 1, static_cast<int32_t>(std::floor(size.x)) - 2,
                              static_cast<int32_t>(std::floor(size.y)) - 2};
    if (ring.width > 0 && ring.height > 0)
        renderer->DrawRect(ring, part->GetColorizer()->GetColor(), 2.0f);
}

void LComboBox::SetItemSwatches(std::vector<uint32_t> argb)
{
    if (m_listBox)
        m_listBox->SetItemSwatches(argb);
    Invalidate(RectT<double>{0, 0, GetSize().x, GetSize().y}, true);
}

KXRESULT LComboBox::PaintAfterChildren(const RCPtr<LRenderer>& renderer)
{
    LDropDownControl::PaintAfterChildren(renderer);
    if (!renderer || !m_listBox || m_listBox->GetItemSwatches().empty())
        return S_OK;
    // The item the label shows: the current one, else the first with the label's text.
    int32_t shown = m_currentIndex;
    for (int32_t i = 0; shown < 0 && i < m_listBox->GetItemCount(); ++i)
        if (m_listBox->GetItemText(i) == GetText())
            shown = i;
    const std::vector<uint32_t>& swatches = m_listBox->GetItemSwatches();
    if (shown >= 0 && static_cast<size_t>(shown) < swatches.size())
        DrawSwatch(renderer, GetSize(), kComboRightMargin, swatches[static_cast<size_t>(shown)]);
    return S_OK;
}

} // namespace KX
