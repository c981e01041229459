#include "kx/Renderer.h"

#include "kx/D3D9Renderer.h"
#include "kx/Exception.h"
#include "kx/GDIRenderer.h"
#include "opengl/GLRenderer.h"

namespace KX {

// Each renderer type is made here once its renderer exists in this library.
RCPtr<LRenderer> LRenderer::Create(int32_t type, const RectT<int32_t>& /*viewport*/, WindowHandle window)
{
    switch (type) {
    case kRendererGDIPlus: return RCPtr<LRenderer>(new LGDIRenderer());
    case kRendererDirect3D9: return RCPtr<LRenderer>(new LD3D9Renderer());
    case kRendererOpenGL: return LGLRenderer::CreateWithFreetype(window);
    default: Throw<std::domain_error>("", "KX::LRenderer::Create", "Renderer\\Renderer", 114);
    }
}

} // namespace KX
