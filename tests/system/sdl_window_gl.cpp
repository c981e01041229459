// OpenGL contexts of SDL platform windows, where the offscreen driver can make them.
#include "SdlWindowSupport.h"
#include "platform/sdl/GlContext.h"

#include <string>

namespace {

using namespace sdltest;

TEST(SdlWindowGl, AnOpenGlWindowGivesAContextThatBindsAndSwaps)
{
    if (!StartVideo())
        GTEST_SKIP() << "no offscreen video driver: " << SDL_GetError();
    static const bool pinned = SDL_GL_LoadLibrary(nullptr) == 0; // drivers stay loaded: see the handle tests
    if (!pinned)
        GTEST_SKIP() << "no OpenGL library here: " << SDL_GetError();
    WindowOptions options;
    options.opengl = true;
    options.width = 32;
    options.height = 32;
    Window window(options);
    if (!window.IsValid())
        GTEST_SKIP() << "no OpenGL windows under the offscreen driver here: " << SDL_GetError();
    std::string error;
    std::unique_ptr<GlContext> context = GlContext::Create(window, error);
    if (!context)
        GTEST_SKIP() << "no OpenGL context here: " << error;
    EXPECT_TRUE(context->MakeCurrent(window, error)) << error;
    EXPECT_EQ(SDL_GL_GetCurrentWindow(), window.Handle());
    GlContext::Swap(window);
    EXPECT_FALSE(window.Present({{0, 0, 1, 1}})) << "an OpenGL window is not presented from a buffer";
    GlContext::MakeNoneCurrent();
    EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
    context.reset();

    Window plain(WindowOptions{});
    EXPECT_EQ(GlContext::Create(plain, error), nullptr);
    EXPECT_FALSE(error.empty());
}

} // namespace
