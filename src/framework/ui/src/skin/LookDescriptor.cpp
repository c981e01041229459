// Looks, docked parts and skin descriptors.
#include "kx/ui/LookDescriptor.h"

#include "kx/ui/SkinDescriptor.h"

#include <utility>

namespace KX {

LDockedPart::~LDockedPart() = default;

// Parts go from the last to the first, in time linear in their number.
LLookDescriptor::~LLookDescriptor()
{
    RCPtr<LDockedPart> part;
    while (m_nonClientParts.GetCount() > 0) {
        m_nonClientParts.RemoveLast(part);
        part = nullptr;
    }
}

KXRESULT LLookDescriptor::SetClientPart(ConstRCPtr<LDockedPart> part)
{
    m_clientPart = std::move(part);
    return S_OK;
}

KXRESULT LLookDescriptor::SetTextProperties(const LookTextProperties& text,
                                            ConstRCPtr<LVisualPartDescriptor> foreground)
{
    m_text = text;
    m_textForeground = std::move(foreground);
    m_hasTextProperties = true;
    return S_OK;
}

RectT<float> LLookDescriptor::GetTextRect(float width, float height) const noexcept
{
    if (!m_hasTextProperties)
        return RectT<float>{};
    const LookTextProperties& t = m_text;
    const float x = static_cast<float>(t.leftAbs) + t.leftRel * width;
    const float y = static_cast<float>(t.topAbs) + t.topRel * height;
    return RectT<float>{x, y, (static_cast<float>(t.rightAbs) + t.rightRel * width) - x,
                        (static_cast<float>(t.bottomAbs) + t.bottomRel * height) - y};
}

const ConstRCPtr<LLookDescriptor>& LLookDescriptor::Null() noexcept
{
    static const ConstRCPtr<LLookDescriptor> null;
    return null;
}

LSkinDescriptor::~LSkinDescriptor() = default;

const ConstRCPtr<LSkinDescriptor>& LSkinDescriptor::Null() noexcept
{
    static const ConstRCPtr<LSkinDescriptor> null;
    return null;
}

} // namespace KX
