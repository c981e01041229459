#include "kx/Exception.h"

#include <cctype>
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

namespace {

bool IsBuiltinOrValue(std::string_view arg)
{
    if (arg.empty() || arg[0] == '-' || (arg[0] >= '0' && arg[0] <= '9'))
        return true;
    static constexpr std::string_view builtins[] = {
        "bool",     "char",     "signed", "unsigned", "short",   "int",      "long",
        "float",    "double",   "void",   "wchar_t",  "char8_t", "char16_t", "char32_t",
        "__int128", "decltype", "class ", "struct ",  "enum ",   "union ",   "std::nullptr_t"};
    for (std::string_view b : builtins) {
        if (arg.substr(0, b.size()) == b && (b.back() == ' ' || arg.size() == b.size() ||
                                             !(std::isalnum(static_cast<unsigned char>(arg[b.size()])) ||
                                               arg[b.size()] == '_' || arg[b.size()] == ':')))
            return true;
    }
    return false;
}

} // namespace

std::string MarkClassTemplateArgs(const std::string& name)
{
    std::string out;
    out.reserve(name.size() + 16);
    for (size_t i = 0; i < name.size(); ++i) {
        out.push_back(name[i]);
        if (name[i] == '<' || name[i] == ',') {
            if (!IsBuiltinOrValue(std::string_view(name).substr(i + 1)))
                out.append("class ");
        }
    }
    return out;
}

} // namespace KX
