#include "platform/sdl/EventLoop.h"

#include "LoopEvents.h"
#include "platform/sdl/Window.h"

#include <SDL.h>

#include <vector>

namespace platform::sdl {

namespace detail {

namespace {

uint32_t FirstUserEvent()
{
    static const Uint32 first = SDL_RegisterEvents(2);
    return first;
}

// Pushes an event of the type unless one is queued already (a busy loop gets no pile of ticks). Looking and
// pushing are two steps: at worst two get queued, which does no harm.
void Push(uint32_t type)
{
    if (type == static_cast<uint32_t>(-1))
        return;
    if (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, type, type) > 0)
        return;
    SDL_Event event{};
    event.type = type;
    SDL_PushEvent(&event);
}

} // namespace

uint32_t TickEventType()
{
    return FirstUserEvent();
}

uint32_t WakeEventType()
{
    const uint32_t first = FirstUserEvent();
    return first == static_cast<uint32_t>(-1) ? first : first + 1;
}

void PostTick()
{
    Push(TickEventType());
}

void PostWake()
{
    Push(WakeEventType());
}

} // namespace detail

namespace {

constexpr int kWaitMs = 33;

// The SDL window id an event is for; 0 for events without a window.
Uint32 WindowIdOf(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_WINDOWEVENT: return event.window.windowID;
    case SDL_MOUSEMOTION: return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return event.button.windowID;
    case SDL_MOUSEWHEEL: return event.wheel.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP: return event.key.windowID;
    case SDL_TEXTINPUT: return event.text.windowID;
    default: return 0;
    }
}

bool EventsWaiting()
{
    SDL_PumpEvents();
    return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0;
}

} // namespace

EventLoop::EventLoop()
{
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0"); // closing is the application's decision
    detail::TickEventType();
}

void EventLoop::Wake()
{
    detail::PostWake();
}

void EventLoop::Quit(int code)
{
    if (!m_quit)
        m_code = code;
    m_quit = true;
}

int EventLoop::Run()
{
    Loop([] { return false; });
    return m_code;
}

// A modal run's front, kept for the run.
struct EventLoop::FrontKept {
    FrontKept(std::vector<ModalFront>& fronts, ModalFront front) : fronts(fronts) { fronts.push_back(front); }
    ~FrontKept() { fronts.pop_back(); }
    FrontKept(const FrontKept&) = delete;
    FrontKept& operator=(const FrontKept&) = delete;
    std::vector<ModalFront>& fronts;
};

int EventLoop::RunModal(Window& window, Window* owner)
{
    const uint32_t id = window.Id();
    // An owner that took no input before (under another modal run) is left so after.
    const uint32_t ownerId = owner && owner->IsInputEnabled() ? owner->Id() : 0;
    window.ResetModal();
    if (owner)
        owner->SetInputEnabled(false);
    window.SetInputEnabled(true);
    window.Show();
    {
        const FrontKept kept(m_fronts, {id, 0});
        Loop([id] {
            const Window* modal = Window::FromId(id);
            return !modal || modal->ModalEnded();
        });
    }
    if (Window* stillOwner = ownerId ? Window::FromId(ownerId) : nullptr) {
        stillOwner->SetInputEnabled(true);
        stillOwner->Raise();
        // The keyboard focus goes back too: without a window manager nothing else returns it.
        if (!stillOwner->HasFocus())
            stillOwner->SetFocus();
    }
    const Window* modal = Window::FromId(id);
    if (m_quit || !modal)
        return -1;
    return modal->ModalResult();
}

bool EventLoop::RunUntil(const std::function<bool()>& done)
{
    {
        const FrontKept kept(m_fronts, {});
        Loop(done);
    }
    return !m_quit;
}

void EventLoop::SetWaitWindow(uint64_t foreign)
{
    if (!m_fronts.empty() && m_fronts.back().window == 0)
        m_fronts.back().foreign = foreign;
}

void EventLoop::BringModalForward(uint32_t disabledId)
{
    Window* disabled = Window::FromId(disabledId);
    if (!disabled || disabled->IsInputEnabled() || m_fronts.empty())
        return;
    const ModalFront front = m_fronts.back();
    if (Window* modal = front.window ? Window::FromId(front.window) : nullptr)
        modal->BringForward();
    else if (front.foreign)
        disabled->BringForeignForward(front.foreign);
}

void EventLoop::Loop(const std::function<bool()>& done)
{
    bool idle = true;
    int idleCount = 0;
    while (!m_quit && !done()) {
        if (!EventsWaiting()) {
            if (DeliverPaints())
                continue;
            if (idle) {
                const bool more = m_idle ? m_idle(idleCount) : false;
                if (!more || idleCount >= 2)
                    idle = false;
                ++idleCount;
                continue;
            }
        }
        SDL_Event event;
        if (!SDL_WaitEventTimeout(&event, kWaitMs))
            continue;
        if (Dispatch(&event)) {
            idle = true;
            idleCount = 0;
        }
    }
}

void EventLoop::ProcessPending()
{
    SDL_Event event;
    SDL_PumpEvents();
    while (SDL_PollEvent(&event))
        Dispatch(&event);
    DeliverPaints();
}

bool EventLoop::DeliverPaints()
{
    bool any = false;
    // Ids first: a paint handler may create or destroy windows.
    for (uint32_t id : Window::IdsWithPendingPaint())
        if (Window* window = Window::FromId(id))
            any = window->DeliverPaint() || any;
    return any;
}

bool EventLoop::Dispatch(const void* raw)
{
    const SDL_Event& event = *static_cast<const SDL_Event*>(raw);
    if (event.type == detail::TickEventType() || event.type == detail::WakeEventType())
        return true;
    if (event.type == SDL_QUIT) {
        if (m_quitRequest)
            m_quitRequest();
        else
            Quit(0);
        return true;
    }
    const Uint32 id = WindowIdOf(event);
    if (event.type == SDL_MOUSEMOTION) {
        // A move to the same place starts no new idle period.
        const bool same = id == m_lastMoveWindow && event.motion.x == m_lastX && event.motion.y == m_lastY;
        m_lastMoveWindow = id;
        m_lastX = event.motion.x;
        m_lastY = event.motion.y;
        if (Window* window = Window::FromId(id))
            window->HandleEvent(event);
        return !same;
    }
    if (Window* window = id ? Window::FromId(id) : nullptr) {
        window->HandleEvent(event);
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
            BringModalForward(id);
    }
    return true;
}

} // namespace platform::sdl
