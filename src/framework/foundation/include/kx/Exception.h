#pragma once
// The framework's exceptions: standard exceptions that also derive from KX::ExceptionBase,
// with texts "Kind : detail : Method : source path : Line N".
#include "kx/KXResult.h"

#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>

namespace KX {

struct ExceptionBase {
    virtual ~ExceptionBase() = default;
    // The message of the exception object this base belongs to.
    virtual const char* GetMessageText() const;
};

template <class E>
class Exception : public E, public ExceptionBase {
public:
    explicit Exception(const char* message) : E(message) {}
    explicit Exception(const std::string& message) : E(message) {}
};

// Array allocation failures carry the fixed text "bad allocation" and nothing else.
template <>
class Exception<std::bad_alloc> : public std::bad_alloc, public ExceptionBase {
public:
    Exception() = default;
    const char* what() const noexcept override { return "bad allocation"; }
};

class FailedResultException : public std::exception {
public:
    explicit FailedResultException(const std::string& message) : message(message) {}
    const char* what() const noexcept override { return message.c_str(); }

private:
    std::string message;
};

template <>
class Exception<FailedResultException> : public FailedResultException, public ExceptionBase {
public:
    explicit Exception(const std::string& message) : FailedResultException(message) {}
};

// Kind texts that open every message.
namespace Kind {
inline constexpr const char* LogicError = "Logic Error";
inline constexpr const char* RuntimeError = "Runtime Error";
inline constexpr const char* OutOfRange = "Out of Range";
inline constexpr const char* DomainError = "Domain Error";
inline constexpr const char* InvalidArgument = "Invalid Argument";
inline constexpr const char* FailedResult = "Failed Result";
} // namespace Kind

template <class E>
constexpr const char* KindTextOf()
{
    if constexpr (std::is_same_v<E, std::logic_error>)
        return Kind::LogicError;
    else if constexpr (std::is_same_v<E, std::runtime_error>)
        return Kind::RuntimeError;
    else if constexpr (std::is_same_v<E, std::out_of_range>)
        return Kind::OutOfRange;
    else if constexpr (std::is_same_v<E, std::domain_error>)
        return Kind::DomainError;
    else if constexpr (std::is_same_v<E, std::invalid_argument>)
        return Kind::InvalidArgument;
    else if constexpr (std::is_same_v<E, FailedResultException>)
        return Kind::FailedResult;
    else
        static_assert(!sizeof(E), "no kind text for this exception type");
}

// "KXRESULT = " and the code as upper-case hex without prefix or leading zeros.
std::string FormatResultCode(KXRESULT code);

// kind + " : " [+ detail + " : "] + method + " : " + path + " : Line " + line.
// An empty detail adds no separator of its own.
std::string ExceptionText(std::string_view kind, std::string_view detail, std::string_view method,
                          std::string_view path, int line);

template <class E>
[[noreturn]] void Throw(std::string_view detail, std::string_view method, std::string_view path, int line)
{
    throw Exception<E>(ExceptionText(KindTextOf<E>(), detail, method, path, line));
}

// Wraps a failing result code: "Failed Result : KXRESULT = 80004005 : Method : path : Line N".
[[noreturn]] void ThrowFailedResult(KXRESULT code, std::string_view method, std::string_view path, int line);

// Throws a failed-result exception when hr is a failure; returns hr otherwise.
inline KXRESULT CheckResult(KXRESULT hr, std::string_view method, std::string_view path, int line)
{
    if (Failed(hr))
        ThrowFailedResult(hr, method, path, line);
    return hr;
}

// The undecorated, namespace-qualified name of a type as run-time type information gives it
// ("KX::LControl", "int"), templates written without a blank after commas.
std::string UndecoratedTypeName(const std::type_info& type);

// Puts "class " before every template argument of a type name that is not a built-in type
// or a number: "KX::LWrapper<KX::ParamValues,int>" -> "KX::LWrapper<class KX::ParamValues,int>".
std::string MarkClassTemplateArgs(const std::string& name);

// A template argument as it appears in a member function's name: "class " before class types,
// also before those nested in its own template arguments.
template <class T>
std::string TemplateArgName()
{
    std::string name = MarkClassTemplateArgs(UndecoratedTypeName(typeid(T)));
    if constexpr (std::is_class_v<T> || std::is_union_v<T>)
        return "class " + name;
    else
        return name;
}

} // namespace KX

#define KX_THROW(E, detail, method, path, line) ::KX::Throw<E>((detail), (method), (path), (line))
