#pragma once
// The frame shared by the tiles of the keyboard picture: a skinned panel that is also a control's
// leaf module, with a notification handler bound to the tile, the number label formatted from its
// own text, and (push buttons, pads) a colour indicator that follows the engine's stored value and
// steps through the value's four colours on Shift-clicks. Main thread only.
#include "editor/HandlerPanel.h"
#include "engine/ModuleInterfaces.h"

#include "kx/Array.h"

#include <cstdint>
#include <string_view>

namespace editor::tile {

// Modifier bit of Shift in a mouse-button parameter.
constexpr uint32_t kShiftBit = 1u << 3;
// Colours in one value; a colour slot is 0..3, -1 before the first Shift-click.
constexpr int32_t kColorSlots = 4;

// The factory's null control counts as missing.
bool IsMissing(const KX::RCPtr<KX::LControl>& c);
// The direct child "button" as a distributor, empty when it is missing.
KX::RCPtr<KX::LNotificationDistributor> Face(KX::LControl& tile);
// Formats the direct label child's own text with number, so a second call keeps the first
// number. A missing label throws "Null Pointer : Cannot find child: <name>" from method.
void FormatNumberLabel(KX::LControl& tile, const char16_t* labelName, int32_t number, std::string_view method,
                       std::string_view source, int line);
// The texts of the tile's labels that are cut, one a line (empty when every text fits): the tip
// of the tile.
KX::WString CutTexts(KX::LControl& tile);
// Lets the face, drawn over the whole tile, show the tile's tip.
void LendTipToFace(KX::LControl& tile);
// The slot after a click: the next one (wrapping 3 to 0) with Shift, else the same.
int32_t StepColorSlot(int32_t slot, const KX::RCPtr<KX::LNotification>& click);
// Shows on indicator the colour byte 1 + slot (byte 1 for a slot outside 0..3) of the engine's
// stored value of id; nothing when that value is not valueLength bytes or the byte has no look.
void ShowStoredColor(KX::LControl* indicator, int32_t id, uint32_t valueLength, int32_t slot);

} // namespace editor::tile

// The panel and module part of every tile: Owner is the tile class, Module its leaf interface.
template <class Owner, class Module>
class LTileFrame : public editor::LHandlerPanel<Owner>, public Module {
public:
    LTileFrame(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name)
        : editor::LHandlerPanel<Owner>(parent, name)
    {
    }

    // Its cut texts, whole (the face borrows the tip).
    KX::WString GetToolTipText() override { return editor::tile::CutTexts(*this); }
};

class LButtonControlViewPanel;

// The push-button and pad tiles: a "button" face, a "color" indicator and a "viewPanel" summary of
// the button message. Owner gives kValueLength (its control's value), the number label and how
// its value splits into the message; its Initialize calls InitializeTile.
template <class Owner, class Module>
class LColorTileFrame : public LTileFrame<Owner, Module> {
public:
    using LTileFrame<Owner, Module>::LTileFrame;

    // Refreshes the indicator whatever comes; E_FAIL for a foreign id or a value that is not
    // Owner::kValueLength bytes, else hands the button message to the summary. The flag is not read.
    KX::KXRESULT SetParamValueLocal(const KX::ParamDescriptor& descriptor, const KX::Variant& value,
                                    bool fromDevice) override;

    // "NID_LEFT_CLICK" of "button": with Shift the next colour slot (0..3, wrapping). 1.
    KX::KXRESULT OnButtonClicked(const KX::RCPtr<KX::LNotificationDistributor>& from,
                                 const KX::RCPtr<KX::LNotification>& n);
    // Shows the colour of the current slot of the engine's stored value; nothing for a value of
    // another length or a colour without a look.
    void UpdateColorIndicator();

    int32_t GetColorSlot() const noexcept { return m_colorSlot; }
    const KX::RCPtr<KX::LControl>& GetColorIndicator() const noexcept { return m_colorIndicator; }
    const KX::RCPtr<LButtonControlViewPanel>& GetViewPanel() const noexcept { return m_viewPanel; }

protected:
    ~LColorTileFrame() override;

    // The panel's initialisation, the handler, "color" and "viewPanel" (a missing one is a "Null
    // Pointer" runtime error of method), the "NID_LEFT_CLICK" of "button" (failed-result
    // exception), colour slot -1. The base's result.
    KX::KXRESULT InitializeTile(std::string_view method, std::string_view source);
    // The button message of a value of the tile's control; of another length for a foreign value.
    virtual KX::Array<char> SplitMessage(const KX::Variant& value) const = 0;

private:
    KX::RCPtr<KX::LControl> m_colorIndicator;
    KX::RCPtr<LButtonControlViewPanel> m_viewPanel;
    int32_t m_colorSlot = -1;
};
