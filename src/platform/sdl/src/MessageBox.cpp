#include "platform/sdl/MessageBox.h"

#include "platform/sdl/Window.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace platform::sdl {

namespace {

IMessageBoxes* g_installed = nullptr;

constexpr BoxButton kOk{kIdOk, "OK"};
constexpr BoxButton kCancel{kIdCancel, "Cancel"};
constexpr BoxButton kAbort{kIdAbort, "Abort"};
constexpr BoxButton kRetry{kIdRetry, "Retry"};
constexpr BoxButton kIgnore{kIdIgnore, "Ignore"};
constexpr BoxButton kYes{kIdYes, "Yes"};
constexpr BoxButton kNo{kIdNo, "No"};
constexpr BoxButton kTryAgain{kIdTryAgain, "Try Again"};
constexpr BoxButton kContinue{kIdContinue, "Continue"};

bool HeadlessDriver()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver)
        driver = SDL_getenv("SDL_VIDEODRIVER");
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

} // namespace

BoxLayout DescribeMessageBox(uint32_t flags)
{
    BoxLayout layout;
    switch (flags & 0xF) {
    case kBoxOkCancel:
        layout.buttons = {kOk, kCancel};
        layout.closeResult = kIdCancel;
        break;
    case kBoxAbortRetryIgnore:
        layout.buttons = {kAbort, kRetry, kIgnore};
        layout.closeResult = kIdAbort;
        break;
    case kBoxYesNoCancel:
        layout.buttons = {kYes, kNo, kCancel};
        layout.closeResult = kIdCancel;
        break;
    case kBoxYesNo:
        layout.buttons = {kYes, kNo};
        layout.closeResult = kIdNo;
        break;
    case kBoxRetryCancel:
        layout.buttons = {kRetry, kCancel};
        layout.closeResult = kIdCancel;
        break;
    case kBoxCancelTryContinue:
        layout.buttons = {kCancel, kTryAgain, kContinue};
        layout.closeResult = kIdCancel;
        break;
    default:
        layout.buttons = {kOk};
        layout.closeResult = kIdOk;
        break;
    }
    switch (flags & 0xF0) {
    case kBoxIconError: layout.icon = BoxIcon::Error; break;
    case kBoxIconWarning: layout.icon = BoxIcon::Warning; break;
    case kBoxIconQuestion:
    case kBoxIconInformation: layout.icon = BoxIcon::Information; break;
    default: break;
    }
    const size_t wanted = (flags & 0xF00) >> 8;
    layout.defaultIndex = wanted < layout.buttons.size() ? wanted : 0;
    return layout;
}

int32_t SdlMessageBoxes::Show(std::string_view text, std::string_view caption, uint32_t flags, const Window* owner)
{
    const BoxLayout layout = DescribeMessageBox(flags);
    const std::string textZ(text);
    const std::string captionZ(caption);
    if (HeadlessDriver()) {
        std::fprintf(stderr, "[message box] %s: %s\n", captionZ.c_str(), textZ.c_str());
        return layout.buttons[layout.defaultIndex].id;
    }

    std::vector<SDL_MessageBoxButtonData> buttons;
    for (size_t i = 0; i < layout.buttons.size(); ++i) {
        Uint32 buttonFlags = 0;
        if (i == layout.defaultIndex)
            buttonFlags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (layout.buttons[i].id == layout.closeResult)
            buttonFlags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        buttons.push_back({buttonFlags, layout.buttons[i].id, layout.buttons[i].label});
    }
    Uint32 boxFlags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    switch (layout.icon) {
    case BoxIcon::Error: boxFlags |= SDL_MESSAGEBOX_ERROR; break;
    case BoxIcon::Warning: boxFlags |= SDL_MESSAGEBOX_WARNING; break;
    case BoxIcon::Information: boxFlags |= SDL_MESSAGEBOX_INFORMATION; break;
    case BoxIcon::None: break;
    }
    SDL_MessageBoxData data{};
    data.flags = boxFlags;
    data.window = owner ? owner->Handle() : nullptr;
    data.title = captionZ.c_str();
    data.message = textZ.c_str();
    data.numbuttons = static_cast<int>(buttons.size());
    data.buttons = buttons.data();
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
        std::fprintf(stderr, "[message box not shown: %s] %s: %s\n", SDL_GetError(), captionZ.c_str(), textZ.c_str());
        return 0;
    }
    return pressed < 0 ? layout.closeResult : pressed;
}

IMessageBoxes& GetMessageBoxes()
{
    static SdlMessageBoxes real;
    return g_installed ? *g_installed : real;
}

void SetMessageBoxes(IMessageBoxes* boxes)
{
    g_installed = boxes;
}

bool MessageBoxesReplaced()
{
    return g_installed != nullptr;
}

} // namespace platform::sdl
