#pragma once
// The program's own message box: a dialog of the skin with a title, a message that wraps and the
// buttons the message-box flags ask for, laid out right-aligned at the bottom. The default button
// takes the focus (Enter presses it); Escape and the title bar's close answer as closing the box
// does. The box's height follows the lines of its message, up to a limit. UI thread only.
#include "kx/controls/Dialog.h"

#include "platform/sdl/MessageBox.h"

#include <cstdint>

namespace editor {

class LMessageBoxDlg : public KX::LDialog {
public:
    LMessageBoxDlg(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name);

    // Fills the box: caption as title and window text, the message, the buttons of layout (the
    // others hidden) and the icon's mark. A word wider than the message breaks between its
    // characters. The box grows with the message's lines up to maxHeight (0: no limit); the lines
    // beyond are left out, the last one shown ending in an ellipsis. False when the skin lacks the
    // labels or one of the buttons asked for; the box is then not to be shown.
    bool Prepare(const KX::WString& text, const KX::WString& caption, const platform::sdl::BoxLayout& layout,
                 double maxHeight = 0);

    // Into the box: the default button.
    KX::KXRESULT SetFocus(bool forward) override;
    // Escape closes with the close result; other keys go the usual way.
    KX::KXRESULT HandleKey(const KX::RCPtr<KX::LKeyParam>& param) override;
    KX::KXRESULT CloseFromSystemMenu() override { return Close(m_closeResult); }

    const KX::RCPtr<KX::LControl>& GetDefaultButton() const noexcept { return m_default; }

protected:
    ~LMessageBoxDlg() override = default;

private:
    // The standard button closing with id; null when the skin has none.
    KX::RCPtr<KX::LControl> ButtonFor(int32_t id);
    // Moves child by (dx, dy) and resizes it by (dw, dh) through its own copy of its layout.
    static void Shift(KX::LControl& child, double dx, double dy, double dw, double dh);

    KX::RCPtr<KX::LControl> m_default;
    int32_t m_closeResult = 1;
};

} // namespace editor
