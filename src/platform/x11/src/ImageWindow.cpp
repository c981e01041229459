#include "platform/x11/ImageWindow.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>
#include <memory>
#include <utility>

namespace platform::x11 {

namespace {

struct DisplayClose {
    void operator()(Display* display) const noexcept { XCloseDisplay(display); }
};
using DisplayHandle = std::unique_ptr<Display, DisplayClose>;

// A resource of a display (a window, colour map or graphics context), freed when dropped.
template <class Id, auto Free>
class XResource {
public:
    XResource() noexcept = default;
    XResource(Display* display, Id id) noexcept : m_display(display), m_id(id) {}
    ~XResource()
    {
        if (m_id)
            Free(m_display, m_id);
    }
    XResource(XResource&& other) noexcept : m_display(other.m_display), m_id(std::exchange(other.m_id, Id{})) {}
    XResource& operator=(XResource&& other) noexcept
    {
        XResource(std::move(other)).Swap(*this);
        return *this;
    }
    XResource(const XResource&) = delete;
    XResource& operator=(const XResource&) = delete;

    Id get() const noexcept { return m_id; }
    explicit operator bool() const noexcept { return m_id != Id{}; }

private:
    void Swap(XResource& other) noexcept
    {
        std::swap(m_display, other.m_display);
        std::swap(m_id, other.m_id);
    }

    Display* m_display = nullptr;
    Id m_id{};
};

using WindowResource = XResource<Window, XDestroyWindow>;
using ColormapResource = XResource<Colormap, XFreeColormap>;
using GcResource = XResource<GC, XFreeGC>;

// An image over pixels it borrows: its data pointer is cleared before it is destroyed.
struct BorrowingImageDestroy {
    void operator()(XImage* image) const noexcept
    {
        image->data = nullptr;
        XDestroyImage(image);
    }
};
using BorrowingImage = std::unique_ptr<XImage, BorrowingImageDestroy>;

} // namespace

// Declared in the order they are made: the display is closed last.
struct ImageWindow::Impl {
    DisplayHandle display;
    int screen = 0;
    Visual* visual = nullptr;
    ColormapResource colormap;
    WindowResource window;
    GcResource gc;
    int32_t width = 0;
    int32_t height = 0;
};

std::unique_ptr<ImageWindow> ImageWindow::Connect(const char* displayName, std::string& error)
{
    // Xlib takes its own locks from 1.8 on; older versions need them asked for first.
    XInitThreads();
    auto impl = std::make_unique<Impl>();
    impl->display.reset(XOpenDisplay(displayName));
    if (!impl->display) {
        error = "cannot open display";
        return nullptr;
    }
    impl->screen = DefaultScreen(impl->display.get());
    XVisualInfo info{};
    if (!XMatchVisualInfo(impl->display.get(), impl->screen, 24, TrueColor, &info) || info.red_mask != 0xFF0000 ||
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
    Display* d = m_impl->display.get();
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
    if (m.window.get() || width <= 0 || height <= 0)
        return false;
    Display* d = m.display.get();
    const Window root = RootWindow(d, m.screen);
    XSetWindowAttributes attributes{};
    m.colormap = ColormapResource(d, XCreateColormap(d, root, m.visual, AllocNone));
    attributes.colormap = m.colormap.get();
    attributes.background_pixel = 0xFFFFFF;
    attributes.border_pixel = 0;
    attributes.event_mask = ExposureMask | StructureNotifyMask;
    m.window =
        WindowResource(d, XCreateWindow(d, root, x, y, unsigned(width), unsigned(height), 0, 24, InputOutput, m.visual,
                                        CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &attributes));
    if (!m.window.get())
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
    XSetWMNormalHints(d, m.window.get(), &size);
    XWMHints hints{};
    hints.flags = InputHint;
    hints.input = False;
    XSetWMHints(d, m.window.get(), &hints);
    const Atom windowType = XInternAtom(d, "_NET_WM_WINDOW_TYPE", False);
    const Atom splash = XInternAtom(d, "_NET_WM_WINDOW_TYPE_SPLASH", False);
    XChangeProperty(d, m.window.get(), windowType, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&splash), 1);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    const Atom name = XInternAtom(d, "_NET_WM_NAME", False);
    XChangeProperty(d, m.window.get(), name, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(titleUtf8.data()), int(titleUtf8.size()));
    XStoreName(d, m.window.get(), titleUtf8.c_str());

    m.gc = GcResource(d, XCreateGC(d, m.window.get(), 0, nullptr));
    XMapWindow(d, m.window.get());
    XFlush(d);
    return true;
}

void ImageWindow::Present(const uint32_t* pixels, int32_t stride)
{
    Impl& m = *m_impl;
    if (!m.window.get() || !pixels)
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
    Display* d = m.display.get();
    const BorrowingImage image(XCreateImage(d, m.visual, 24, ZPixmap, 0, reinterpret_cast<char*>(m_pixels.data()),
                                            unsigned(m.width), unsigned(m.height), 32, m.width * 4));
    if (!image)
        return;
    XPutImage(d, m.window.get(), m.gc.get(), image.get(), 0, 0, 0, 0, unsigned(m.width), unsigned(m.height));
    XFlush(d);
}

bool ImageWindow::HandleEvents()
{
    Impl& m = *m_impl;
    bool exposed = false;
    while (XPending(m.display.get()) > 0) {
        XEvent event;
        XNextEvent(m.display.get(), &event);
        if (event.type == Expose && event.xexpose.window == m.window.get())
            exposed = true;
    }
    if (exposed && m.window.get()) {
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
    if (!XGetWindowAttributes(m_impl->display.get(), m_impl->window.get(), &attributes))
        return false;
    return attributes.map_state == IsViewable;
}

} // namespace platform::x11
