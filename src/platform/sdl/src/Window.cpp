#include "platform/sdl/Window.h"

#include "LoopEvents.h"
#include "SdlHandles.h"
#include "platform/sdl/KeyMap.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <unordered_map>

namespace platform::sdl {

namespace {

constexpr Uint32 kTimerPeriodMs = 33;
constexpr int32_t kUnlimitedSize = 16384;

std::unordered_map<uint32_t, Window*>& Registry()
{
    static std::unordered_map<uint32_t, Window*> windows;
    return windows;
}

Uint32 Tick(Uint32 interval, void*)
{
    detail::PostTick();
    return interval;
}

Rect Intersect(const Rect& a, const Rect& b)
{
    const int32_t left = std::max(a.x, b.x);
    const int32_t top = std::max(a.y, b.y);
    const int32_t right = std::min(a.x + a.width, b.x + b.width);
    const int32_t bottom = std::min(a.y + a.height, b.y + b.height);
    if (right <= left || bottom <= top)
        return {};
    return {left, top, right - left, bottom - top};
}

// One row of the back buffer made opaque, as composited over black.
void OpaqueRow(const uint32_t* source, uint32_t* target, int32_t count, PixelLayout layout)
{
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t pixel = source[i];
        if (layout == PixelLayout::Premultiplied) {
            target[i] = pixel | 0xFF000000u;
            continue;
        }
        const uint32_t alpha = pixel >> 24;
        const auto scale = [alpha](uint32_t channel) { return (channel * alpha + 127) / 255; };
        target[i] =
            0xFF000000u | scale((pixel >> 16) & 0xFF) << 16 | scale((pixel >> 8) & 0xFF) << 8 | scale(pixel & 0xFF);
    }
}

// SDL may present a software window through a GL texture, which uploads and draws the whole
// window for every update however small. Where the driver has a framebuffer of its own, ask for
// it, so that presenting the dirty rectangles moves only their pixels. The environment
// (SDL_FRAMEBUFFER_ACCELERATION) still decides when it is set.
void PreferOwnFramebuffer()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || (SDL_strcmp(driver, "x11") != 0 && SDL_strcmp(driver, "offscreen") != 0))
        return;
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
}

// A 32x32 cursor drawn from rows of characters: '#' black, '.' white, anything else clear. The
// arrow of the drop cursors with a box below it, and a plus beside it for a copy.
SDL_Cursor* CreateDropCursor(bool copy)
{
    static const char* const kArrow[] = {"#               ", "##              ", "#.#             ", "#..#            ",
                                         "#...#           ", "#....#          ", "#.....#         ", "#......#        ",
                                         "#.......#       ", "#........#      ", "#.....#####     ", "#..#..#         ",
                                         "#.# #..#        ", "##  #..#        ", "#    #..#       ", "     #..#       ",
                                         "      ##        "};
    static const char* const kBox[] = {"##########", "#........#", "#........#", "#........#",
                                       "#........#", "#........#", "##########"};
    static const char* const kPlus[] = {"  ###  ", "  #.#  ", "###.###", "#.....#", "###.###", "  #.#  ", "  ###  "};
    const SurfaceHandle image(SDL_CreateRGBSurfaceWithFormat(0, 32, 32, 32, SDL_PIXELFORMAT_ARGB8888));
    if (!image)
        return nullptr;
    SDL_Surface* surface = image.get();
    SDL_FillRect(surface, nullptr, 0);
    auto paint = [surface](const char* const* rows, size_t count, int x0, int y0) {
        for (size_t y = 0; y < count; ++y)
            for (int x = 0; rows[y][x] != '\0'; ++x) {
                const char c = rows[y][x];
                if (c != '#' && c != '.')
                    continue;
                auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) +
                                                        (y0 + static_cast<int>(y)) * surface->pitch);
                row[x0 + x] = c == '#' ? 0xFF000000u : 0xFFFFFFFFu;
            }
    };
    paint(kArrow, std::size(kArrow), 0, 0);
    paint(kBox, std::size(kBox), 8, 20);
    if (copy)
        paint(kPlus, std::size(kPlus), 20, 18);
    return SDL_CreateColorCursor(surface, 0, 0);
}

} // namespace

Window::Window(const WindowOptions& options)
{
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (options.popup)
        flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_POPUP_MENU | SDL_WINDOW_SKIP_TASKBAR;
    else if (options.resizable)
        flags |= SDL_WINDOW_RESIZABLE;
    m_opengl = options.opengl;
    m_popup = options.popup;
    if (options.opengl)
        flags |= SDL_WINDOW_OPENGL;
    else
        PreferOwnFramebuffer();
    const int x = options.x ? *options.x : SDL_WINDOWPOS_CENTERED;
    const int y = options.y ? *options.y : SDL_WINDOWPOS_CENTERED;
    m_window = WindowHandle(
        SDL_CreateWindow(options.title.c_str(), x, y, std::max(options.width, 1), std::max(options.height, 1), flags));
    if (!m_window.get())
        return;
    m_id = SDL_GetWindowID(m_window.get());
    Registry()[m_id] = this;
    if (options.owner && options.owner->m_window.get() && !options.popup) {
        SDL_SetWindowModalFor(m_window.get(), options.owner->m_window.get()); // X11 only; elsewhere a plain window
        AnnounceModalDialog(options.resizable);
    }
    if (!options.popup)
        PlaceClientAreaWhenMapped(true);
    m_normal = ClientRectOnScreen();
    m_timer = SDL_AddTimer(kTimerPeriodMs, &Tick, nullptr);
}

Window::~Window()
{
    if (m_timer)
        SDL_RemoveTimer(m_timer);
    if (!m_window.get())
        return;
    Registry().erase(m_id);
    if (m_captured)
        SDL_CaptureMouse(SDL_FALSE);
}

void WindowDestroy::operator()(SDL_Window* window) const noexcept
{
    if (window)
        SDL_DestroyWindow(window);
}

Window* Window::FromId(uint32_t id)
{
    const auto found = Registry().find(id);
    return found == Registry().end() ? nullptr : found->second;
}

std::vector<uint32_t> Window::IdsWithPendingPaint()
{
    std::vector<uint32_t> ids;
    for (const auto& [id, window] : Registry())
        if (window->HasPendingPaint())
            ids.push_back(id);
    return ids;
}

void Window::Show()
{
    // A drop-down leaves the keyboard focus where it is, with or without a window manager.
    if (m_popup && !IsVisible() && MapWithoutFocus()) {
        m_mapPending = true;
        return;
    }
    SDL_ShowWindow(m_window.get());
}

void Window::Hide()
{
    if (m_mapPending && !(SDL_GetWindowFlags(m_window.get()) & SDL_WINDOW_SHOWN)) {
        m_mapPending = false;
        UnmapDirectly();
        return;
    }
    m_mapPending = false;
    SDL_HideWindow(m_window.get());
}

bool Window::IsVisible() const
{
    return m_mapPending || (SDL_GetWindowFlags(m_window.get()) & SDL_WINDOW_SHOWN) != 0;
}

void Window::Raise()
{
    SDL_RaiseWindow(m_window.get());
}

void Window::SetTopMost(bool topMost)
{
    SDL_SetWindowAlwaysOnTop(m_window.get(), topMost ? SDL_TRUE : SDL_FALSE);
}

void Window::SetTitle(std::string_view utf8)
{
    SDL_SetWindowTitle(m_window.get(), std::string(utf8).c_str());
}

std::string Window::Title() const
{
    return SDL_GetWindowTitle(m_window.get());
}

Rect Window::ClientRect() const
{
    int width = 0, height = 0;
    SDL_GetWindowSize(m_window.get(), &width, &height);
    return {0, 0, width, height};
}

Rect Window::ClientRectOnScreen() const
{
    Rect rect = ClientRect();
    SDL_GetWindowPosition(m_window.get(), &rect.x, &rect.y);
    return rect;
}

void Window::SetClientRect(const Rect& onScreen)
{
    SDL_SetWindowPosition(m_window.get(), onScreen.x, onScreen.y);
    SDL_SetWindowSize(m_window.get(), std::max(onScreen.width, 1), std::max(onScreen.height, 1));
}

void Window::ClientToScreen(int32_t& x, int32_t& y) const
{
    int left = 0, top = 0;
    SDL_GetWindowPosition(m_window.get(), &left, &top);
    x += left;
    y += top;
}

void Window::ScreenToClient(int32_t& x, int32_t& y) const
{
    int left = 0, top = 0;
    SDL_GetWindowPosition(m_window.get(), &left, &top);
    x -= left;
    y -= top;
}

void Window::SetMinimumClientSize(int32_t width, int32_t height)
{
    SDL_SetWindowMinimumSize(m_window.get(), std::max(width, 1), std::max(height, 1));
}

void Window::SetMaximumClientSize(int32_t width, int32_t height)
{
    SDL_SetWindowMaximumSize(m_window.get(), width > 0 ? width : kUnlimitedSize, height > 0 ? height : kUnlimitedSize);
}

bool Window::IsResizable() const
{
    return (SDL_GetWindowFlags(m_window.get()) & SDL_WINDOW_RESIZABLE) != 0;
}

Placement Window::GetPlacement() const
{
    const Uint32 flags = SDL_GetWindowFlags(m_window.get());
    Placement placement;
    placement.maximised = (flags & SDL_WINDOW_MAXIMIZED) != 0;
    placement.minimised = (flags & SDL_WINDOW_MINIMIZED) != 0;
    placement.normal = placement.maximised || placement.minimised ? m_normal : ClientRectOnScreen();
    return placement;
}

void Window::SetPlacement(const Placement& placement)
{
    SDL_RestoreWindow(m_window.get());
    SetClientRect(placement.normal);
    m_normal = ClientRectOnScreen();
    if (placement.maximised)
        SDL_MaximizeWindow(m_window.get());
    else if (placement.minimised)
        SDL_MinimizeWindow(m_window.get());
}

void Window::RememberNormalRect()
{
    if (!(SDL_GetWindowFlags(m_window.get()) & (SDL_WINDOW_MAXIMIZED | SDL_WINDOW_MINIMIZED)))
        m_normal = ClientRectOnScreen();
}

Rect Window::WorkArea() const
{
    const int display = std::max(SDL_GetWindowDisplayIndex(m_window.get()), 0);
    SDL_Rect area{};
    if (SDL_GetDisplayUsableBounds(display, &area) != 0 && SDL_GetDisplayBounds(display, &area) != 0)
        return {};
    return {area.x, area.y, area.w, area.h};
}

bool Window::HasFocus() const
{
    return SDL_GetKeyboardFocus() == m_window.get();
}

void Window::SetFocus()
{
    if (SDL_SetWindowInputFocus(m_window.get()) != 0)
        SDL_RaiseWindow(m_window.get());
}

void Window::BringForward()
{
    if (SDL_GetWindowFlags(m_window.get()) & SDL_WINDOW_MINIMIZED)
        SDL_RestoreWindow(m_window.get());
    Raise();
    SetFocus();
}

void Window::SetCapture(bool captured)
{
    if (captured == m_captured)
        return;
    SDL_CaptureMouse(captured ? SDL_TRUE : SDL_FALSE); // may be refused (no pointer focus, no support): kept anyway
    m_captured = captured;
}

void Window::PointerPosition(int32_t& x, int32_t& y) const
{
    if (SDL_GetMouseFocus() == m_window.get()) {
        SDL_GetMouseState(&x, &y);
        return;
    }
    SDL_GetGlobalMouseState(&x, &y);
    ScreenToClient(x, y);
}

CursorKind Window::SetCursor(CursorKind kind)
{
    // SDL frees its cursors when its video part stops: these are never freed here.
    static SDL_Cursor* cursors[static_cast<int>(CursorKind::DropCopy) + 1] = {};
    static CursorKind current = CursorKind::Arrow;
    if (kind == current)
        return current;
    static constexpr SDL_SystemCursor kSystem[] = {
        SDL_SYSTEM_CURSOR_ARROW,    SDL_SYSTEM_CURSOR_WAIT,     SDL_SYSTEM_CURSOR_IBEAM,  SDL_SYSTEM_CURSOR_CROSSHAIR,
        SDL_SYSTEM_CURSOR_SIZENWSE, SDL_SYSTEM_CURSOR_SIZENESW, SDL_SYSTEM_CURSOR_SIZEWE, SDL_SYSTEM_CURSOR_SIZENS,
        SDL_SYSTEM_CURSOR_SIZEALL,  SDL_SYSTEM_CURSOR_NO,       SDL_SYSTEM_CURSOR_HAND};
    SDL_Cursor*& cursor = cursors[static_cast<int>(kind)];
    if (!cursor)
        cursor = kind >= CursorKind::DropMove ? CreateDropCursor(kind == CursorKind::DropCopy)
                                              : SDL_CreateSystemCursor(kSystem[static_cast<int>(kind)]);
    if (cursor)
        SDL_SetCursor(cursor);
    const CursorKind previous = current;
    current = kind;
    return previous;
}

KeyState Window::GetKeyState(uint8_t virtualKey)
{
    const auto mod = static_cast<uint32_t>(SDL_GetModState());
    const auto modDown = [mod](uint32_t bits) { return KeyState{(mod & bits) != 0, false}; };
    switch (virtualKey) {
    case 0x01: return {(SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK) != 0, false};
    case 0x02: return {(SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON_RMASK) != 0, false};
    case 0x04: return {(SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON_MMASK) != 0, false};
    case 0x10: return modDown(KMOD_SHIFT);
    case 0x11: return modDown(KMOD_CTRL);
    case 0x12: return modDown(KMOD_ALT);
    case 0x5B: return modDown(KMOD_LGUI);
    case 0x5C: return modDown(KMOD_RGUI);
    case 0xA0: return modDown(KMOD_LSHIFT);
    case 0xA1: return modDown(KMOD_RSHIFT);
    case 0xA2: return modDown(KMOD_LCTRL);
    case 0xA3: return modDown(KMOD_RCTRL);
    case 0xA4: return modDown(KMOD_LALT);
    case 0xA5: return modDown(KMOD_RALT);
    default: break;
    }
    KeyState state;
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    for (int scancode = 0; scancode < count && !state.down; ++scancode)
        if (keys[scancode] &&
            VirtualKeyFromSdl(SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(scancode)), scancode) == virtualKey)
            state.down = true;
    if (virtualKey == 0x14)
        state.toggled = (mod & KMOD_CAPS) != 0;
    else if (virtualKey == 0x90)
        state.toggled = (mod & KMOD_NUM) != 0;
    else if (virtualKey == 0x91)
        state.toggled = (mod & KMOD_SCROLL) != 0;
    return state;
}

bool Window::Present(const std::vector<Rect>& dirty)
{
    if (m_opengl)
        return false;                                            // drawn by OpenGL
    SDL_Surface* surface = SDL_GetWindowSurface(m_window.get()); // a new one after each resize
    if (!surface)
        return false;
    if (!m_buffer.pixels || dirty.empty())
        return true;
    const Rect bounds = Intersect({0, 0, m_buffer.width, m_buffer.height}, {0, 0, surface->w, surface->h});
    std::vector<SDL_Rect> shown;
    std::vector<uint32_t> row;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0)
        return false;
    const int bytesPerPixel = surface->format->BytesPerPixel;
    // 32-bit xRGB surfaces (the usual ones) take the opaque rows directly.
    const bool direct =
        surface->format->format == SDL_PIXELFORMAT_ARGB8888 || surface->format->format == SDL_PIXELFORMAT_RGB888;
    for (const Rect& wanted : dirty) {
        const Rect rect = Intersect(wanted, bounds);
        if (rect.width == 0)
            continue;
        row.resize(static_cast<size_t>(rect.width));
        for (int32_t y = rect.y; y < rect.y + rect.height; ++y) {
            const auto* source =
                reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(m_buffer.pixels) + y * m_buffer.stride) +
                rect.x;
            auto* target = static_cast<uint8_t*>(surface->pixels) + y * surface->pitch + rect.x * bytesPerPixel;
            if (direct) {
                OpaqueRow(source, reinterpret_cast<uint32_t*>(target), rect.width, m_buffer.layout);
                continue;
            }
            OpaqueRow(source, row.data(), rect.width, m_buffer.layout);
            SDL_ConvertPixels(rect.width, 1, SDL_PIXELFORMAT_ARGB8888, row.data(), rect.width * 4,
                              surface->format->format, target, surface->pitch);
        }
        shown.push_back({rect.x, rect.y, rect.width, rect.height});
    }
    if (SDL_MUSTLOCK(surface))
        SDL_UnlockSurface(surface);
    if (shown.empty())
        return true;
    return SDL_UpdateWindowSurfaceRects(m_window.get(), shown.data(), static_cast<int>(shown.size())) == 0;
}

void Window::Invalidate(const Rect& rect)
{
    const Rect clipped = Intersect(rect, ClientRect());
    if (clipped.width > 0)
        m_invalid.push_back(clipped);
}

bool Window::DeliverPaint()
{
    if (m_invalid.empty())
        return false;
    WindowEvent event;
    event.kind = WindowEventKind::Paint;
    event.dirty.swap(m_invalid);
    Deliver(event);
    return true;
}

bool Window::AcceptCommandLine(const void* data, size_t size)
{
    if (!m_enabled || !data || size == 0 || size > kMaxCommandLineBytes)
        return false;
    const std::string_view bytes(static_cast<const char*>(data), size);
    if (bytes.find('\0') != size - 1)
        return false; // one NUL, at the end
    const std::string_view text = bytes.substr(0, size - 1);
    if (!IsValidUtf8(text))
        return false;
    WindowEvent event;
    event.kind = WindowEventKind::CommandLine;
    event.text = text;
    Deliver(event);
    return true;
}

void Window::EndModal(int code)
{
    m_modalEnded = true;
    m_modalResult = code;
}

bool Window::Deliver(const WindowEvent& event)
{
    if (!m_sink)
        return true;
    const uint32_t id = m_id;
    m_sink->OnWindowEvent(*this, event);
    return FromId(id) != nullptr;
}

} // namespace platform::sdl
