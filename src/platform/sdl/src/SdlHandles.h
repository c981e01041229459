#pragma once
// Owning holders for SDL's handles: each frees its handle with SDL's own call when dropped.
// WindowHandle (WindowHandle.h) holds a window.
// Destroy a GL context or renderer before the window it was made for (declare the window first).
// Header only; the includer links SDL2.
#include "platform/sdl/WindowHandle.h"

#include <SDL.h>

#include <memory>
#include <utility>

namespace platform::sdl {

template <auto Free>
struct SdlFree {
    template <class T>
    void operator()(T* handle) const noexcept
    {
        if (handle)
            Free(handle);
    }
};

using RendererHandle = std::unique_ptr<SDL_Renderer, SdlFree<SDL_DestroyRenderer>>;
using TextureHandle = std::unique_ptr<SDL_Texture, SdlFree<SDL_DestroyTexture>>;
using SurfaceHandle = std::unique_ptr<SDL_Surface, SdlFree<SDL_FreeSurface>>;
using CursorHandle = std::unique_ptr<SDL_Cursor, SdlFree<SDL_FreeCursor>>;

// An OpenGL context (SDL_GLContext is an untyped pointer, so it gets a class of its own).
class GlContextHandle {
public:
    GlContextHandle() noexcept = default;
    explicit GlContextHandle(SDL_GLContext context) noexcept : m_context(context) {}
    ~GlContextHandle() { reset(); }
    GlContextHandle(GlContextHandle&& other) noexcept : m_context(other.release()) {}
    GlContextHandle& operator=(GlContextHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    GlContextHandle(const GlContextHandle&) = delete;
    GlContextHandle& operator=(const GlContextHandle&) = delete;

    SDL_GLContext get() const noexcept { return m_context; }
    explicit operator bool() const noexcept { return m_context != nullptr; }
    SDL_GLContext release() noexcept { return std::exchange(m_context, nullptr); }
    void reset(SDL_GLContext context = nullptr) noexcept
    {
        if (SDL_GLContext old = std::exchange(m_context, context); old && old != context)
            SDL_GL_DeleteContext(old);
    }

private:
    SDL_GLContext m_context = nullptr;
};

// One SDL subsystem (video, events, ...) started for the holder's lifetime; SDL counts the starts.
class SubsystemHandle {
public:
    SubsystemHandle() noexcept = default;
    // Starts the subsystems in flags; check with operator bool (SDL_GetError tells why not).
    explicit SubsystemHandle(Uint32 flags) noexcept : m_flags(SDL_InitSubSystem(flags) == 0 ? flags : 0) {}
    ~SubsystemHandle()
    {
        if (m_flags)
            SDL_QuitSubSystem(m_flags);
    }
    SubsystemHandle(SubsystemHandle&& other) noexcept : m_flags(std::exchange(other.m_flags, 0)) {}
    SubsystemHandle& operator=(SubsystemHandle&& other) noexcept
    {
        if (this != &other) {
            if (m_flags)
                SDL_QuitSubSystem(m_flags);
            m_flags = std::exchange(other.m_flags, 0);
        }
        return *this;
    }
    SubsystemHandle(const SubsystemHandle&) = delete;
    SubsystemHandle& operator=(const SubsystemHandle&) = delete;

    explicit operator bool() const noexcept { return m_flags != 0; }

private:
    Uint32 m_flags = 0;
};

} // namespace platform::sdl
