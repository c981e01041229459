#pragma once
// What the rendering layer needs of the user-interface core: the application's measurement
// renderer, the system's default font and the millisecond clock. The UI core implements it and
// registers one instance for the process.
#include "kx/KXResult.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

#include <cstdint>

namespace KX {

class LMeasurementRenderer;

// Style bits of GetDefaultFont.
inline constexpr int32_t kFontStyleBold = 1;
inline constexpr int32_t kFontStyleItalic = 2;
inline constexpr int32_t kFontStyleUnderline = 4;
inline constexpr int32_t kFontStyleStrikeout = 8;

class IRenderHost {
public:
    virtual ~IRenderHost() = default;

    // The renderer through which all text layout and font metrics are measured; may be null.
    virtual ConstRCPtr<LMeasurementRenderer> GetMeasurementRenderer() = 0;
    // The system's default user-interface font: face name, size in points and style bits;
    // E_FAIL when the system cannot tell.
    virtual KXRESULT GetDefaultFont(WString& faceName, float& size, int32_t& style) = 0;
    // Milliseconds, wrapping at 32 bits.
    virtual uint32_t GetTickTime() = 0;
};

// The registered host, or null. Registration is not owning; unregister with null before the
// host goes away. UI thread only.
void SetRenderHost(IRenderHost* host) noexcept;
IRenderHost* GetRenderHost() noexcept;

// The host's operations. Without a host: no measurement renderer, E_FAIL for the default font
// (outputs unchanged), and a monotonic millisecond clock.
ConstRCPtr<LMeasurementRenderer> GetMeasurementRenderer();
KXRESULT GetDefaultFont(WString& faceName, float& size, int32_t& style);
uint32_t GetTickTime();

} // namespace KX
