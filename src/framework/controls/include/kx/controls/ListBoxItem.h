#pragma once
// One row control of a list box: it shows the text, selection and flags the list box writes into
// it as one of fourteen looks ("Framework.ListBoxItem", "Framework.OverlayButton"). UI thread only.
#include "kx/ui/Control.h"

#include <cstdint>

namespace KX {

class LListBox;

// What a notification handler of the list controls answers: 1, the notification is used and the
// handler chain stops.
inline constexpr KXRESULT kConsumed = 1;

// The fourteen row looks.
namespace RowLook {
inline constexpr int32_t kNormal = 0;
inline constexpr int32_t kHover = 1;
inline constexpr int32_t kPressed = 2;
inline constexpr int32_t kAlternateOffset = 3; // normal, hover and pressed in their alternate form
inline constexpr int32_t kDisabled = 6;
inline constexpr int32_t kSelected = 7;           // selected normal, hover and pressed: 7, 8, 9
inline constexpr int32_t kSelectedAlternate = 10; // 10, 11, 12
inline constexpr int32_t kBlank = 13;             // also disabled and selected
} // namespace RowLook

class LListBoxItem : public LControl {
public:
    LListBoxItem(const RCPtr<LControl>& parent, const WString& name);

    void OnValueChanged() override;
    void OnConditionsChanged(const RCPtr<LConditionsParam>& param) override;
    KXRESULT PostInitialize() override;
    // The row's own text while it is clipped, else the control's tip.
    WString GetToolTipText() override;
    // In drop-down mode a press on the row drags the whole list: the call goes to the parent with
    // the point moved into the parent's coordinates.
    KXRESULT BeginDrag(int32_t button, int32_t x, int32_t y) override;
    // A scroll of the list by whole rows leaves the row in place unless the list says otherwise.
    KXRESULT OnParentResized(PointT<double> oldOffset, PointT<double> newOffset) override;

    // The look for the current state (selection, hover, press, enabling, alternate and blank).
    virtual int32_t GetStateLookIndex(int32_t unused = 0);

    // Shows the state look and repaints the row.
    void RefreshLook();

    bool IsAlternateLook() const noexcept { return m_alternate != 0; }
    // Stores a changed flag and refreshes the look.
    void SetAlternateLook(bool on);
    bool IsBlank() const noexcept { return m_blank != 0; }
    // Stores a changed flag; a set flag empties the text. Refreshes the look.
    void SetBlank(bool on);
    bool IsDropDownMode() const noexcept { return m_dropDownMode != 0; }
    void SetDropDownMode(bool on) noexcept { m_dropDownMode = on ? 1 : 0; }

    // The colour swatch of the item the row shows, when its list has swatches, and the caret mark.
    KXRESULT PaintAfterChildren(const RCPtr<LRenderer>& renderer) override;

protected:
    ~LListBoxItem() override;

private:
    void DrawCaretMark(const RCPtr<LRenderer>& renderer, LListBox& list);

    uint8_t m_alternate = 0;
    uint8_t m_dropDownMode = 0;
    uint8_t m_blank = 0;
};

} // namespace KX
