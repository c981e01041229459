#include "platform/x11/GoneWindowErrors.h"

#include <X11/Xlib.h>

#include <cstdio>

namespace platform::x11 {
namespace {

XErrorHandler g_previous = nullptr;

int OnError(Display* display, XErrorEvent* error)
{
    if (error->error_code == BadWindow || error->error_code == BadDrawable) {
        char text[128] = {};
        XGetErrorText(display, error->error_code, text, sizeof text);
        std::fprintf(stderr, "X11: %s (request %u) for 0x%lx, which is already gone: ignored\n", text,
                     static_cast<unsigned>(error->request_code), error->resourceid);
        return 0;
    }
    return g_previous ? g_previous(display, error) : 0;
}

} // namespace

void SurviveGoneWindowErrors()
{
    const XErrorHandler previous = XSetErrorHandler(OnError);
    if (previous != OnError)
        g_previous = previous;
}

} // namespace platform::x11
