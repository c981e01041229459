#include "platform/x11/ImageWindow.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>

namespace platform::x11 {

struct ImageWindow::Impl {
    Display* display = nullptr;
    int screen = 0;
    Visual* visual = nullptr;
    Window window = 0;
    GC gc = nullptr;
    int32_t width = 0;
    int32_t height = 0;

    ~Impl()
    {
        if (gc)
            XFreeGC(display, gc);
        if (window)
            XDestroyWindow(display, window);
        if (display)
            XCloseDisplay(display);
    }
};

std::unique_ptr<ImageWindow> ImageWindow::Connect(const char* displayName, std::string& error)
{
    // Xlib takes its own locks from 1.8 on; older versions need them asked for first.
    XInitThreads();
    auto impl = std::make_unique<Impl>();
    impl->display = XOpenDisplay(displayName);
    if (!impl->display) {
        error = "cannot open display";
        return nullptr;
    }
    impl->screen = DefaultScreen(impl->display);
    XVisualInfo info{};
    if (!XMatchVisualInfo(impl->display, impl->screen, 24, TrueColor, &info) || info.red_mask != 0xFF0000 ||
        info.green_mask != 0xFF00 || info.blue_mask != 0xFF) {
        error = "no 24-bit true-colour visual";
        return nullptr;
    }
    impl->visual = info.visual;
    return std::unique_ptr<ImageWindow>(new ImageWindow(std::move(impl)));
}

ImageWindow::ImageWindow(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

ImageWindow::~ImageWindow() = default;

WorkArea ImageWindow::GetWorkArea() const
{
    Display* d = m_impl->display;
    WorkArea area{0, 0, DisplayWidth(d, m_impl->screen), DisplayHeight(d, m_impl->screen)};
    const Atom workArea = XInternAtom(d, "_NET_WORKAREA", True);
    if (workArea == None)
        return area;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, RootWindow(d, m_impl->screen), workArea, 0, 4, False, XA_CARDINAL, &type, &format, &count,
                           &after, &data) == Success &&
        data) {
        if (type == XA_CARDINAL && format == 32 && count >= 4) {
            // Format 32 properties come as longs.
            const auto* v = reinterpret_cast<const long*>(data);
            if (v[2] > 0 && v[3] > 0)
                area = {int32_t(v[0]), int32_t(v[1]), int32_t(v[0] + v[2]), int32_t(v[1] + v[3])};
        }
        XFree(data);
    }
    return area;
}

bool ImageWindow::Show(int32_t x, int32_t y, int32_t width, int32_t height, const std::string& titleUtf8)
{
    Impl& m = *m_impl;
    if (m.window || width <= 0 || height <= 0)
        return false;
    Display* d = m.display;
    const Window root = RootWindow(d, m.screen);
    XSetWindowAttributes attributes{};
    attributes.colormap = XCreateColormap(d, root, m.visual, AllocNone);
    attributes.background_pixel = 0xFFFFFF;
    attributes.border_pixel = 0;
    attributes.event_mask = ExposureMask | StructureNotifyMask;
    m.window = XCreateWindow(d, root, x, y, unsigned(width), unsigned(height), 0, 24, InputOutput, m.visual,
                             CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
    if (!m.window)
        return false;
    m.width = width;
    m.height = height;
    m_pixels.assign(size_t(width) * size_t(height), 0xFFFFFFFF);

    // Placed where asked, never resized, never focused.
    XSizeHints size{};
    size.flags = USPosition | PPosition | PMinSize | PMaxSize;
    size.x = x;
    size.y = y;
    size.min_width = size.max_width = width;
    size.min_height = size.max_height = height;
    XSetWMNormalHints(d, m.window, &size);
    XWMHints hints{};
    hints.flags = InputHint;
    hints.input = False;
    XSetWMHints(d, m.window, &hints);
    const Atom windowType = XInternAtom(d, "_NET_WM_WINDOW_TYPE", False);
    const Atom splash = XInternAtom(d, "_NET_WM_WINDOW_TYPE_SPLASH", False);
    XChangeProperty(d, m.window, windowType, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&splash), 1);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    const Atom name = XInternAtom(d, "_NET_WM_NAME", False);
    XChangeProperty(d, m.window, name, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(titleUtf8.data()), int(titleUtf8.size()));
    XStoreName(d, m.window, titleUtf8.c_str());

    m.gc = XCreateGC(d, m.window, 0, nullptr);
    XMapWindow(d, m.window);
    XFlush(d);
    return true;
}

void ImageWindow::Present(const uint32_t* pixels, int32_t stride)
{
    Impl& m = *m_impl;
    if (!m.window || !pixels)
        return;
    for (int32_t y = 0; y < m.height; ++y)
        std::memcpy(&m_pixels[size_t(y) * size_t(m.width)],
                    reinterpret_cast<const uint8_t*>(pixels) + ptrdiff_t(y) * stride, size_t(m.width) * 4);
    ++m_presentCount;
    PutPixels();
}

void ImageWindow::PutPixels()
{
    Impl& m = *m_impl;
    // The image borrows the pixels; its data pointer is cleared before it is destroyed.
    XImage* image = XCreateImage(m.display, m.visual, 24, ZPixmap, 0, reinterpret_cast<char*>(m_pixels.data()),
                                 unsigned(m.width), unsigned(m.height), 32, m.width * 4);
    if (!image)
        return;
    XPutImage(m.display, m.window, m.gc, image, 0, 0, 0, 0, unsigned(m.width), unsigned(m.height));
    image->data = nullptr;
    XDestroyImage(image);
    XFlush(m.display);
}

bool ImageWindow::HandleEvents()
{
    Impl& m = *m_impl;
    bool exposed = false;
    while (XPending(m.display) > 0) {
        XEvent event;
        XNextEvent(m.display, &event);
        if (event.type == Expose && event.xexpose.window == m.window)
            exposed = true;
    }
    if (exposed && m.window) {
        ++m_exposeCount;
        PutPixels();
    }
    return exposed;
}

bool ImageWindow::IsMapped() const
{
    if (!m_impl->window)
        return false;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(m_impl->display, m_impl->window, &attributes))
        return false;
    return attributes.map_state == IsViewable;
}

} // namespace platform::x11
