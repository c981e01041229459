// The application's message boxes: over a window of the program, a dialog of its own skin centred
// on that window and modal to it; SDL's box only while no window of ours exists (start-up errors)
// or when the skin has no box.
#include "editor/Application.h"
#include "editor/MessageBoxDlg.h"

#include "kx/ui/RootWindow.h"

#include "platform/sdl/MessageBox.h"
#include "platform/sdl/Window.h"

#include <algorithm>

using namespace KX;

namespace {
constexpr const char16_t kBoxControl[] = u"dialogMessageBox";
} // namespace

OSWindow* LApplication::MessageBoxOwner()
{
    if (!m_mainWindow)
        return nullptr;
    RCPtr<LRootWindow> root = FindActiveRootWindow();
    if (!root && !GetRootWindows().empty())
        root = GetRootWindows().front();
    if (!root || !root->GetServices())
        return nullptr;
    return static_cast<OSWindow*>(root->GetServices()->GetWindowHandle());
}

bool LApplication::RunOwnMessageBox(const WString& text, const WString& caption, uint32_t flags, int32_t& answer)
{
    const RCPtr<LControl> control = CreateSkinControl(WString(kBoxControl), RCPtr<LControl>());
    const RCPtr<editor::LMessageBoxDlg> box(dynamic_cast<editor::LMessageBoxDlg*>(control.Get()));
    const platform::sdl::BoxLayout layout = platform::sdl::DescribeMessageBox(flags);
    // No taller than the usable area of the screen.
    if (!box || !box->Prepare(text, caption, layout, GetWorkArea().height))
        return false;
    const int32_t result = RunModalDialog(RCPtr<LControl>(box), true);
    if (result == E_FAIL)
        return false;
    // A box ended otherwise (the program quits) answers as closing it does.
    const bool asked = std::any_of(layout.buttons.begin(), layout.buttons.end(),
                                   [&](const platform::sdl::BoxButton& button) { return button.id == result; });
    answer = asked ? result : layout.closeResult;
    return true;
}

int32_t LApplication::ShowMessageBox(const WString& text, const WString& caption, uint32_t flags)
{
    OSWindow* owner = MessageBoxOwner();
    // Boxes a test put in place see every box and answer at once.
    if (owner && !platform::sdl::MessageBoxesReplaced()) {
        int32_t answer = 0;
        if (RunOwnMessageBox(text, caption, flags, answer))
            return answer;
    }
    return m_platform->ShowMessageBox(text.ToNarrow().GetString(), caption.ToNarrow().GetString(), flags,
                                      owner ? &owner->GetPlatformWindow() : nullptr);
}
