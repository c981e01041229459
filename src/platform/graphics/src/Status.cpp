#include "platform/gdi/Types.h"

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
