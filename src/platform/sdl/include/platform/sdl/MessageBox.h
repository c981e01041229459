#pragma once
// Modal message boxes with the Windows message-box flags and results: the flags choose the icon,
// the buttons and the default button; the result is the id of the button pressed. The interface
// lets tests put a recording fake in place of the real boxes (no test ever waits on a box).
// Main thread only.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::sdl {

class Window;

// Button sets (flags & 0xF).
inline constexpr uint32_t kBoxOk = 0x0;
inline constexpr uint32_t kBoxOkCancel = 0x1;
inline constexpr uint32_t kBoxAbortRetryIgnore = 0x2;
inline constexpr uint32_t kBoxYesNoCancel = 0x3;
inline constexpr uint32_t kBoxYesNo = 0x4;
inline constexpr uint32_t kBoxRetryCancel = 0x5;
inline constexpr uint32_t kBoxCancelTryContinue = 0x6;
// Icons (flags & 0xF0).
inline constexpr uint32_t kBoxIconError = 0x10;
inline constexpr uint32_t kBoxIconQuestion = 0x20;
inline constexpr uint32_t kBoxIconWarning = 0x30;
inline constexpr uint32_t kBoxIconInformation = 0x40;
// Default button (flags & 0xF00): the first when absent.
inline constexpr uint32_t kBoxDefaultButton2 = 0x100;
inline constexpr uint32_t kBoxDefaultButton3 = 0x200;
inline constexpr uint32_t kBoxDefaultButton4 = 0x300;

// Results: the pressed button's id; 0 when no box could be shown.
inline constexpr int32_t kIdOk = 1;
inline constexpr int32_t kIdCancel = 2;
inline constexpr int32_t kIdAbort = 3;
inline constexpr int32_t kIdRetry = 4;
inline constexpr int32_t kIdIgnore = 5;
inline constexpr int32_t kIdYes = 6;
inline constexpr int32_t kIdNo = 7;
inline constexpr int32_t kIdTryAgain = 10;
inline constexpr int32_t kIdContinue = 11;

enum class BoxIcon { None, Error, Warning, Information };

struct BoxButton {
    int32_t id;
    const char* label; // English
};

// What the flags ask for: the buttons left to right, the default one's index, and the result of
// closing the box without a button (Escape, the close box).
struct BoxLayout {
    BoxIcon icon = BoxIcon::None;
    std::vector<BoxButton> buttons;
    size_t defaultIndex = 0;
    int32_t closeResult = kIdOk;
};

// Unknown button sets read as OK; a default button beyond the set as the first; the question icon
// shows as information (SDL has none of its own).
BoxLayout DescribeMessageBox(uint32_t flags);

class IMessageBoxes {
public:
    virtual ~IMessageBoxes() = default;
    // Shows text and caption (UTF-8) over owner (null: no owner) and waits for the user.
    virtual int32_t Show(std::string_view text, std::string_view caption, uint32_t flags, const Window* owner) = 0;
};

// The boxes of SDL (SDL_ShowMessageBox). Under the "offscreen" or "dummy" video driver no box is
// shown: the text goes to standard error and the default button's id is returned. A box SDL cannot
// show gives 0.
class SdlMessageBoxes final : public IMessageBoxes {
public:
    int32_t Show(std::string_view text, std::string_view caption, uint32_t flags, const Window* owner) override;
};

// The process's boxes: SdlMessageBoxes unless a test installed another (null restores them).
IMessageBoxes& GetMessageBoxes();
void SetMessageBoxes(IMessageBoxes* boxes);
// Whether boxes of a test stand in for the process's: then every box goes to them, also those a
// program would show in a window of its own.
bool MessageBoxesReplaced();

} // namespace platform::sdl
