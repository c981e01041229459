#include "kx/Exception.h"

#include <cstdio>
#include <cstdlib>
#include <cxxabi.h>
#include <memory>

namespace KX {

const char* ExceptionBase::GetMessageText() const
{
    // Every ExceptionBase is part of an Exception<E>, whose other base is a std::exception.
    if (auto* e = dynamic_cast<const std::exception*>(this))
        return e->what();
    return "";
}

std::string FormatResultCode(KXRESULT code)
{
    char digits[65];
    std::snprintf(digits, sizeof digits, "%X", static_cast<unsigned>(static_cast<uint32_t>(code)));
    return std::string("KXRESULT = ") + digits;
}

std::string ExceptionText(std::string_view kind, std::string_view detail, std::string_view method,
                          std::string_view path, int line)
{
    std::string text;
    text.reserve(kind.size() + detail.size() + method.size() + path.size() + 32);
    text.append(kind).append(" : ");
    if (!detail.empty())
        text.append(detail).append(" : ");
    text.append(method).append(" : ").append(path).append(" : Line ").append(std::to_string(line));
    return text;
}

void ThrowFailedResult(KXRESULT code, std::string_view method, std::string_view path, int line)
{
    throw Exception<FailedResultException>(
        ExceptionText(Kind::FailedResult, FormatResultCode(code), method, path, line));
}

std::string UndecoratedTypeName(const std::type_info& type)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                     std::free);
    std::string name = (status == 0 && demangled) ? demangled.get() : type.name();
    std::string out;
    out.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == ' ' && i > 0 && name[i - 1] == ',')
            continue;
        out.push_back(name[i]);
    }
    return out;
}

} // namespace KX
