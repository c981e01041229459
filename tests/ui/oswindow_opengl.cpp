// The OpenGL renderer in an OS window: its context comes from the platform window (where the
// offscreen driver can make one) and a frame is drawn and swapped through it.
#include "OSWindowFakes.h"

#include "kx/GLRenderContextInfo.h"

using namespace KX;

TEST(OSWindowOpenGL, TheRendererDrawsThroughTheWindowsOwnContext)
{
    if (!oswtest::StartVideo())
        GTEST_SKIP() << "no offscreen video driver: " << SDL_GetError();
    static const bool pinned = SDL_GL_LoadLibrary(nullptr) == 0; // drivers stay loaded for the process
    if (!pinned)
        GTEST_SKIP() << "no OpenGL library here: " << SDL_GetError();
    oswtest::FakeApp app;
    OSWindowOptions options;
    options.title = u"gl";
    options.width = 64;
    options.height = 48;
    options.opengl = true;
    OSWindow* window = OSWindow::Create(options);
    if (!window)
        GTEST_SKIP() << "no OpenGL windows under the offscreen driver here";
    if (!window->CreateGLContext()) {
        window->Destroy();
        GTEST_SKIP() << "no OpenGL context here";
    }
    ASSERT_EQ(window->CreateRenderer(kRendererOpenGL), S_OK);
    auto context = RCPtr<LGLRenderContextInfo>::DynamicCast(window->GetRenderContext());
    ASSERT_TRUE(context);
    EXPECT_FALSE(context->IsOffscreenOnly());
    EXPECT_EQ(window->GetWindowSurface(), nullptr) << "no back buffer for an OpenGL window";
    EXPECT_EQ(window->GetRenderer()->GetRendererType(), kRendererOpenGL);
    RCPtr<uitest::TestControl> main = uitest::Make(nullptr, u"main", 0, 0, 64, 48);
    window->GetRootWindow()->AttachMainControl(main);
    window->InvalidateAll();
    app.loop.ProcessPending();
    EXPECT_GT(main->beforeChildrenPaints, 0);
    main = nullptr;
    window->Destroy();

    // A plain window gives the OpenGL renderer no context of its own.
    OSWindowOptions plainOptions;
    OSWindow* plain = OSWindow::Create(plainOptions);
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(plain->CreateGLContext());
    // A renderer type that does not exist fails cleanly: no renderer, no root window.
    EXPECT_EQ(plain->CreateRenderer(7), E_FAIL);
    EXPECT_FALSE(plain->GetRenderer());
    EXPECT_FALSE(plain->GetRootWindow());
    EXPECT_EQ(plain->GetWindowSurface(), nullptr);
    plain->Destroy();
}
