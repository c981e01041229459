#include "platform/sdl/GlContext.h"

#include "SdlHandles.h"
#include "platform/sdl/Window.h"

namespace platform::sdl {

std::unique_ptr<GlContext> GlContext::Create(Window& window, std::string& error)
{
    if (!(SDL_GetWindowFlags(window.Handle()) & SDL_WINDOW_OPENGL)) {
        error = "the window was not made for OpenGL";
        return nullptr;
    }
    GlContextHandle context(SDL_GL_CreateContext(window.Handle()));
    if (!context) {
        error = SDL_GetError();
        return nullptr;
    }
    int doubleBuffered = 0;
    if (SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffered) != 0)
        doubleBuffered = 0;
    return std::unique_ptr<GlContext>(new GlContext(context.release(), doubleBuffered != 0));
}

GlContext::~GlContext()
{
    GlContextHandle owned(m_context);
}

bool GlContext::MakeCurrent(Window& window, std::string& error)
{
    if (SDL_GL_MakeCurrent(window.Handle(), m_context) == 0)
        return true;
    error = SDL_GetError();
    return false;
}

void GlContext::MakeNoneCurrent()
{
    SDL_GL_MakeCurrent(nullptr, nullptr);
}

void GlContext::Swap(Window& window)
{
    SDL_GL_SwapWindow(window.Handle());
}

} // namespace platform::sdl
