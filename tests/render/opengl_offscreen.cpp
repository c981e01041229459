// A renderer whose window offers no OpenGL context takes the process's offscreen context maker:
// in this program OSMesa, installed before any test runs; without a maker, the error box.
#include "GLRendererTestUtil.h"

#include "FakeAppServices.h"
#include "kx/Exception.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const bool kOSMesaInstalled = (KX::UseOSMesaOffscreen(), true);

TEST(GLOffscreenMaker, AWindowlessRendererGetsTheInstalledContext)
{
    ASSERT_TRUE(kOSMesaInstalled);
    KX::RCPtr<KX::LGLRenderer> renderer(new KX::LGLRenderer(KX::RCPtr<KX::LFontRenderer>(), nullptr));
    EXPECT_TRUE(dynamic_cast<KX::LOSMesaContext*>(renderer->GetGLContext().Get()));
}

TEST(GLOffscreenMaker, WithoutAMakerAWindowlessRendererShowsTheBoxAndThrows)
{
    kxtest::FakeAppServices shell;
    shell.lookup = [](const KX::WString& key) { return KX::WString("<") + key + KX::WString(">"); };
    KX::LGLContext::SetOffscreenMaker(nullptr);
    std::string text;
    try {
        KX::RCPtr<KX::LGLRenderer> renderer(new KX::LGLRenderer(KX::RCPtr<KX::LFontRenderer>(), nullptr));
    } catch (const std::exception& e) {
        text = e.what();
    }
    KX::UseOSMesaOffscreen();
    EXPECT_EQ(text, "Runtime Error : KX::LGLRenderer::LGLRenderer : Renderer\\OpenGL\\GLRenderer : Line 171");
    ASSERT_EQ(shell.BoxLines().size(), 1u);
    EXPECT_EQ(shell.BoxLines()[0], "<GL_ERROR_CAPTION> | <GL_ERROR_MESSAGE_CREATE_CONTEXT><GL_ERROR_UPDATE_DRIVER>");
}

} // namespace
