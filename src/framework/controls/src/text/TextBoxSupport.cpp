// Helpers of the text box.
#include "TextBoxSupport.h"

#include "kx/ui/Look.h"

namespace KX::textbox {

bool IsPrintable(char16_t c) noexcept
{
    return c >= 0x20 && c != 0x7F && !(c >= 0x80 && c <= 0x9F);
}

bool IsWordSpace(char16_t c) noexcept
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
           c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

RectT<double> GetTextArea(LControl& control, float& hAlign, float& vAlign)
{
    hAlign = vAlign = 0.0f;
    const auto* look = dynamic_cast<const LLook*>(control.GetLookAt(0).Get());
    if (!look || !look->GetLookDescriptor() || !look->GetLookDescriptor()->HasTextProperties())
        return RectT<double>{};
    const LookTextProperties& t = look->GetLookDescriptor()->GetTextProperties();
    hAlign = t.hAlign;
    vAlign = t.vAlign;
    const RectT<float> r = look->GetLookDescriptor()->GetTextRect(static_cast<float>(look->GetWidth()),
                                                                  static_cast<float>(look->GetHeight()));
    return RectT<double>{r.x, r.y, r.width, r.height};
}

double GetTextAreaWidth(LControl& control)
{
    float h = 0.0f, v = 0.0f;
    return GetTextArea(control, h, v).width;
}

} // namespace KX::textbox
