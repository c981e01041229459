#pragma once
// OpenGL through SDL for a platform window made with WindowOptions::opengl: a context of the window, made
// current on it, and the buffer swap. Such a window is drawn by OpenGL only (no Present). Main thread only;
// destroy the context before its window.
#include <memory>
#include <string>

namespace platform::sdl {

class Window;

class GlContext {
public:
    // A context for the window; null with SDL's reason in error when none can be made.
    static std::unique_ptr<GlContext> Create(Window& window, std::string& error);
    ~GlContext();
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    // Makes this context current on the calling thread, drawing into the window; false with the reason.
    bool MakeCurrent(Window& window, std::string& error);
    static void MakeNoneCurrent();
    // Whether the context draws into a back buffer that Swap shows.
    bool IsDoubleBuffered() const { return m_doubleBuffered; }
    static void Swap(Window& window);

private:
    explicit GlContext(void* context, bool doubleBuffered) : m_context(context), m_doubleBuffered(doubleBuffered) {}

    void* m_context;
    bool m_doubleBuffered;
};

} // namespace platform::sdl
