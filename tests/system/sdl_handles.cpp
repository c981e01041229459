// The SDL handle holders under SDL's offscreen video driver (no display needed): each one frees
// its handle when dropped, and moving hands the handle over.
#include "SdlHandles.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace platform::sdl;

namespace {

// Video starts once and stays for the rest of the process, and window surfaces stay in software:
// the GL drivers, once loaded, are never unloaded (their allocations would count as leaks then).
bool StartVideo()
{
    ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    static const SubsystemHandle* video = new SubsystemHandle(SDL_INIT_VIDEO);
    return static_cast<bool>(*video);
}

class SdlHandles : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!StartVideo())
            GTEST_SKIP() << "no offscreen video driver: " << SDL_GetError();
    }
};

TEST(SdlSubsystem, StartsAndStopsWithItsHolder)
{
    ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
    const Uint32 before = SDL_WasInit(SDL_INIT_EVENTS);
    {
        SubsystemHandle events(SDL_INIT_EVENTS);
        ASSERT_TRUE(events) << SDL_GetError();
        EXPECT_NE(SDL_WasInit(SDL_INIT_EVENTS), 0u);
        SubsystemHandle moved(std::move(events));
        EXPECT_FALSE(events);
        EXPECT_TRUE(moved);
    }
    EXPECT_EQ(SDL_WasInit(SDL_INIT_EVENTS), before) << "stopped once, by the last holder";
}

TEST_F(SdlHandles, WindowRendererTextureAndSurfaceAreFreedWhenDropped)
{
    WindowHandle window(SDL_CreateWindow("handles", 0, 0, 64, 48, SDL_WINDOW_HIDDEN));
    ASSERT_TRUE(window) << SDL_GetError();
    const Uint32 id = SDL_GetWindowID(window.get());
    ASSERT_EQ(SDL_GetWindowFromID(id), window.get());
    {
        RendererHandle renderer(SDL_CreateRenderer(window.get(), -1, SDL_RENDERER_SOFTWARE));
        ASSERT_TRUE(renderer) << SDL_GetError();
        TextureHandle texture(
            SDL_CreateTexture(renderer.get(), SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, 8, 8));
        EXPECT_TRUE(texture) << SDL_GetError();
        RendererHandle moved(std::move(renderer));
        EXPECT_FALSE(renderer);
        EXPECT_EQ(SDL_GetRenderer(window.get()), moved.get());
        texture.reset(); // before its renderer, as SDL wants
    }
    EXPECT_EQ(SDL_GetRenderer(window.get()), nullptr) << "the renderer went with its holder";

    SurfaceHandle surface(SDL_CreateRGBSurfaceWithFormat(0, 16, 16, 32, SDL_PIXELFORMAT_ARGB8888));
    ASSERT_TRUE(surface) << SDL_GetError();
    SDL_Surface* raw = surface.get();
    ++raw->refcount; // a second owner, to watch the holder let go of its own
    surface.reset();
    EXPECT_EQ(raw->refcount, 1);
    SDL_FreeSurface(raw);

    CursorHandle cursor(SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_HAND)); // the offscreen driver may have none
    cursor.reset();

    window.reset();
    EXPECT_EQ(SDL_GetWindowFromID(id), nullptr) << "the window went with its holder";
}

TEST_F(SdlHandles, AGlContextIsDeletedWhenDropped)
{
    static const bool pinned = SDL_GL_LoadLibrary(nullptr) == 0; // kept loaded, see StartVideo
    if (!pinned)
        GTEST_SKIP() << "no OpenGL library here: " << SDL_GetError();
    WindowHandle window(SDL_CreateWindow("gl", 0, 0, 32, 32, SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL));
    if (!window)
        GTEST_SKIP() << "no OpenGL windows under the offscreen driver here: " << SDL_GetError();
    GlContextHandle context(SDL_GL_CreateContext(window.get()));
    if (!context)
        GTEST_SKIP() << "no OpenGL context here: " << SDL_GetError();
    EXPECT_EQ(SDL_GL_GetCurrentContext(), context.get());
    GlContextHandle moved(std::move(context));
    EXPECT_FALSE(context);
    EXPECT_EQ(SDL_GL_GetCurrentContext(), moved.get()) << "moving deletes nothing";
    moved.reset();
    EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr) << "the current context went with its holder";
}

} // namespace
