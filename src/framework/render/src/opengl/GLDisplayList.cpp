#include "opengl/GLDisplayList.h"

#include "opengl/GLTexture.h"

namespace KX {

LGLDisplayList::~LGLDisplayList()
{
    if (m_first != kNoList && m_count > 0 && glIsList(m_first))
        glDeleteLists(m_first, m_count);
    m_first = kNoList;
}

const ConstRCPtr<LGLDisplayList>& LGLDisplayList::GetEmpty()
{
    // Lives until the process ends; it never had lists to delete.
    static const ConstRCPtr<LGLDisplayList>* empty = new ConstRCPtr<LGLDisplayList>(new LGLDisplayList(0));
    return *empty;
}

KXRESULT LGLDisplayList::Begin(int32_t index)
{
    if (m_first == kNoList && m_count > 0) {
        const GLuint first = glGenLists(m_count);
        m_first = first == 0 ? kNoList : first;
    }
    if (m_first == kNoList || !glIsList(m_first))
        return E_FAIL;
    if (index < 0 || index >= m_count)
        return E_INVALIDARG;
    glNewList(m_first + static_cast<GLuint>(index), GL_COMPILE);
    DrainGLErrors();
    return S_OK;
}

KXRESULT LGLDisplayList::Call(int32_t from, int32_t count) const
{
    if (m_first == kNoList || !glIsList(m_first))
        return E_FAIL;
    if (from < 0 || count < 0 || static_cast<int64_t>(from) + count > m_count)
        return E_INVALIDARG;
    KXRESULT result = S_OK;
    for (int32_t i = 0; i < count; ++i) {
        const GLuint list = m_first + static_cast<GLuint>(from + i);
        if (!glIsList(list)) {
            result = E_FAIL;
            break;
        }
        glCallList(list);
    }
    DrainGLErrors();
    return result;
}

} // namespace KX
