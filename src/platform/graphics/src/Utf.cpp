#include "Utf.h"

#include "platform/gdi/Types.h"

namespace gdi::detail {

void AppendUtf8(std::u16string_view text, std::string& out)
{
    out.reserve(out.size() + text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
}

std::u16string FromUtf8(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        auto b = static_cast<unsigned char>(text[i]);
        char32_t c = 0xFFFD;
        size_t len = 1;
        if (b < 0x80) {
            c = b;
        } else if (b >= 0xC2 && b < 0xF5) {
            size_t need = b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
            char32_t v = b & (need == 2 ? 0x1F : need == 3 ? 0x0F : 0x07);
            size_t k = 1;
            for (; k < need && i + k < text.size(); ++k) {
                auto n = static_cast<unsigned char>(text[i + k]);
                if ((n & 0xC0) != 0x80)
                    break;
                v = (v << 6) | (n & 0x3F);
            }
            if (k == need) {
                bool overlong = (need == 3 && v < 0x800) || (need == 4 && v < 0x10000);
                bool surrogate = v >= 0xD800 && v <= 0xDFFF;
                if (!overlong && !surrogate && v <= 0x10FFFF)
                    c = v;
            }
            len = k;
        }
        if (c >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
        i += len;
    }
    return out;
}

} // namespace gdi::detail

namespace gdi {

const char* StatusText(Status status)
{
    switch (status) {
    case Status::Ok: return "Ok";
    case Status::GenericError: return "GenericError";
    case Status::InvalidParameter: return "InvalidParameter";
    case Status::OutOfMemory: return "OutOfMemory";
    case Status::ObjectBusy: return "ObjectBusy";
    case Status::NotImplemented: return "NotImplemented";
    case Status::WrongState: return "WrongState";
    case Status::FileNotFound: return "FileNotFound";
    case Status::ValueOverflow: return "ValueOverflow";
    case Status::UnknownImageFormat: return "UnknownImageFormat";
    case Status::FontFamilyNotFound: return "FontFamilyNotFound";
    case Status::FontStyleNotFound: return "FontStyleNotFound";
    }
    return "Unknown";
}

} // namespace gdi
