#pragma once
// Result codes in the HRESULT manner: 0 and positive succeed, negative fail.
#include <cstdint>

namespace KX {

using KXRESULT = int32_t;

inline constexpr KXRESULT S_OK = 0;
inline constexpr KXRESULT S_FALSE = 1;
inline constexpr KXRESULT E_FAIL = static_cast<KXRESULT>(0x80004005u);
inline constexpr KXRESULT E_INVALIDARG = static_cast<KXRESULT>(0x80070057u);
inline constexpr KXRESULT E_NOTIMPL = static_cast<KXRESULT>(0x80004001u);
inline constexpr KXRESULT E_OUTOFMEMORY = static_cast<KXRESULT>(0x8007000Eu);

inline constexpr bool Succeeded(KXRESULT hr)
{
    return hr >= 0;
}
inline constexpr bool Failed(KXRESULT hr)
{
    return hr < 0;
}

} // namespace KX
