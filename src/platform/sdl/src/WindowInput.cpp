// The window's translation of SDL events into WindowEvent records.
#include "platform/sdl/KeyMap.h"
#include "platform/sdl/Window.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

namespace platform::sdl {

namespace {

constexpr double kNotch = 120;
constexpr double kNotchTolerance = 1e-3; // float deltas such as 3 x 1/3 must still make a notch
// The most notches one event hands on; a larger delta is cut to it.
constexpr double kMaxNotchesPerEvent = 64;

// Adds a delta to a remainder: a delta that is not finite is dropped, the sum is cut to the
// notches one event may hand on.
void AddWheelDelta(double& remainder, double delta)
{
    if (!std::isfinite(delta))
        return;
    if (!std::isfinite(remainder))
        remainder = 0;
    constexpr double limit = kMaxNotchesPerEvent * kNotch;
    remainder = std::clamp(remainder + delta, -limit, limit);
}

uint32_t ButtonBit(Uint8 button)
{
    switch (button) {
    case SDL_BUTTON_LEFT: return kButtonLeft;
    case SDL_BUTTON_MIDDLE: return kButtonMiddle;
    case SDL_BUTTON_RIGHT: return kButtonRight;
    default: return 0;
    }
}

uint32_t PointerModifiers()
{
    return ShortModifierMask(static_cast<uint32_t>(SDL_GetModState()));
}

bool WinKeyDown(uint32_t sdlMod)
{
    return (sdlMod & KMOD_GUI) != 0;
}

} // namespace

void Window::HandleEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_WINDOWEVENT: HandleWindowEvent(event); break;
    case SDL_MOUSEMOTION: {
        if (!m_enabled)
            return;
        m_lastX = event.motion.x;
        m_lastY = event.motion.y;
        WindowEvent move;
        move.kind = WindowEventKind::PointerMove;
        move.x = m_lastX;
        move.y = m_lastY;
        move.modifiers = PointerModifiers();
        Deliver(move);
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: HandleButton(event); break;
    case SDL_MOUSEWHEEL: HandleWheel(event); break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: HandleKey(event); break;
    case SDL_TEXTINPUT: HandleText(event); break;
    default: break;
    }
}

void Window::HandleWindowEvent(const SDL_Event& event)
{
    WindowEvent out;
    switch (event.window.event) {
    case SDL_WINDOWEVENT_EXPOSED:
        if (m_buffer.pixels)
            Present({ClientRect()}); // the kept frame, not a new one
        else
            InvalidateAll();
        return;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_RESTORED: {
        const Uint32 flags = SDL_GetWindowFlags(m_window.get());
        out.kind = WindowEventKind::Size;
        out.sizeKind = event.window.event == SDL_WINDOWEVENT_MINIMIZED ? SizeKind::Minimised
                       : (flags & SDL_WINDOW_MAXIMIZED)                ? SizeKind::Maximised
                                                                       : SizeKind::Restored;
        const Rect client = ClientRect();
        out.width = event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED ? event.window.data1 : client.width;
        out.height = event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED ? event.window.data2 : client.height;
        RememberNormalRect();
        Deliver(out);
        return;
    }
    case SDL_WINDOWEVENT_SHOWN:
        m_mapPending = false;
        if (!m_popup)
            PlaceClientAreaWhenMapped(false);
        return;
    case SDL_WINDOWEVENT_MOVED:
        RememberNormalRect();
        out.kind = WindowEventKind::Moved;
        out.x = event.window.data1;
        out.y = event.window.data2;
        Deliver(out);
        return;
    case SDL_WINDOWEVENT_FOCUS_GAINED: out.kind = WindowEventKind::FocusGained; break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        if (m_captured) {
            SetCapture(false);
            WindowEvent lost;
            lost.kind = WindowEventKind::CaptureLost;
            if (!Deliver(lost))
                return;
        }
        out.kind = WindowEventKind::FocusLost;
        break;
    case SDL_WINDOWEVENT_LEAVE: {
        if (!m_enabled || m_captured)
            return; // a captured pointer keeps reporting its real moves
        int32_t x = 0, y = 0;
        PointerPosition(x, y);
        const Rect client = ClientRect();
        if (x >= 0 && y >= 0 && x < client.width && y < client.height)
            x = y = -1; // the platform has no position outside for us: one just outside
        m_lastX = x;
        m_lastY = y;
        out.kind = WindowEventKind::PointerMove;
        out.x = x;
        out.y = y;
        out.modifiers = PointerModifiers();
        break;
    }
    case SDL_WINDOWEVENT_CLOSE:
        if (!m_enabled)
            return;
        out.kind = WindowEventKind::CloseRequest;
        break;
    default: return;
    }
    Deliver(out);
}

void Window::HandleButton(const SDL_Event& event)
{
    const uint32_t bit = ButtonBit(event.button.button);
    if (!bit)
        return;
    const bool press = event.type == SDL_MOUSEBUTTONDOWN;
    if (press)
        m_buttons |= bit;
    else
        m_buttons &= ~bit;
    if (!m_enabled)
        return;
    m_lastX = event.button.x;
    m_lastY = event.button.y;
    WindowEvent out;
    out.kind = WindowEventKind::PointerButton;
    out.button = bit;
    out.x = m_lastX;
    out.y = m_lastY;
    out.modifiers = PointerModifiers();
    if (!press)
        out.action = kActionRelease;
    else
        out.action = event.button.clicks >= 2 && event.button.clicks % 2 == 0 ? kActionDoubleClick : kActionPress;
    Deliver(out);
}

void Window::HandleWheel(const SDL_Event& event)
{
    if (!m_enabled)
        return;
    const double flip = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
    AddWheelDelta(m_wheelRemainder[0], flip * static_cast<double>(event.wheel.preciseY) * kNotch);
    AddWheelDelta(m_wheelRemainder[1], flip * static_cast<double>(event.wheel.preciseX) * kNotch);
    m_lastX = event.wheel.mouseX;
    m_lastY = event.wheel.mouseY;
    WindowEvent out;
    out.kind = WindowEventKind::Wheel;
    out.x = m_lastX;
    out.y = m_lastY;
    out.modifiers = PointerModifiers();
    const uint32_t id = m_id;
    for (int axis = 0; axis < 2; ++axis) {
        for (;;) {
            // Read again after each step: the sink may have destroyed the window.
            Window* self = FromId(id);
            if (!self)
                return;
            double& remainder = self->m_wheelRemainder[axis];
            if (remainder >= kNotch - kNotchTolerance) {
                remainder -= kNotch;
                out.direction = axis == 0 ? kWheelVerticalPositive : kWheelHorizontalPositive;
            } else if (remainder <= -kNotch + kNotchTolerance) {
                remainder += kNotch;
                out.direction = axis == 0 ? kWheelVerticalNegative : kWheelHorizontalNegative;
            } else {
                break;
            }
            if (!Deliver(out))
                return;
        }
    }
}

void Window::HandleKey(const SDL_Event& event)
{
    if (!m_enabled)
        return;
    const SDL_Keysym& key = event.key.keysym;
    const uint8_t virtualKey = VirtualKeyFromSdl(key.sym, key.scancode);
    if (!virtualKey)
        return;
    WindowEvent out;
    out.kind = WindowEventKind::Key;
    out.virtualKey = virtualKey;
    out.down = event.type == SDL_KEYDOWN;
    out.repeat = !out.down || event.key.repeat != 0;
    out.modifiers = FullModifierMask(key.mod);
    if (!Deliver(out) || !out.down || WinKeyDown(key.mod))
        return;
    if (const auto control = ControlCharacterForKey(virtualKey, out.modifiers)) {
        WindowEvent character;
        character.kind = WindowEventKind::Character;
        character.character = *control;
        character.modifiers = ShortModifierMask(key.mod);
        Deliver(character);
    }
}

void Window::HandleText(const SDL_Event& event)
{
    const auto mod = static_cast<uint32_t>(SDL_GetModState());
    if (!m_enabled || WinKeyDown(mod))
        return;
    WindowEvent out;
    out.kind = WindowEventKind::Character;
    out.modifiers = ShortModifierMask(mod);
    for (char16_t unit : Utf8ToUtf16(event.text.text)) {
        out.character = unit;
        if (!Deliver(out))
            return;
    }
}

} // namespace platform::sdl
