#pragma once
// A render host for tests and benchmarks (KX::IRenderHost): hands out the measurer it was given,
// a default font of 9 points and a tick count the caller sets; registered for its lifetime.
// Header-only, for the programs that link the render library.
#include "kx/RenderHost.h"

#include <cstdint>
#include <string>
#include <utility>

namespace kxtest {

// Registers itself as the process's render host for its lifetime.
class ScopedRenderHost : public KX::IRenderHost {
public:
    explicit ScopedRenderHost(KX::ConstRCPtr<KX::LMeasurementRenderer> measurer) : m_measurer(std::move(measurer))
    {
        KX::SetRenderHost(this);
    }
    ~ScopedRenderHost() override { KX::SetRenderHost(nullptr); }

    KX::ConstRCPtr<KX::LMeasurementRenderer> GetMeasurementRenderer() override { return m_measurer; }
    KX::KXRESULT GetDefaultFont(KX::WString& face, float& size, int32_t& style) override
    {
        face = KX::WString(defaultFace.c_str());
        size = 9.0f;
        style = 0;
        return KX::S_OK;
    }
    uint32_t GetTickTime() override { return tick; }

    // The default font's face name and the tick count handed out.
    std::u16string defaultFace = u"Segoe UI";
    uint32_t tick = 1000;

private:
    KX::ConstRCPtr<KX::LMeasurementRenderer> m_measurer;
};

} // namespace kxtest
