#pragma once
// The value controls' tests' fixture: the values area's skin, and a recorder of the notifications a
// value control sends ("NID_VALUE_CHANGE:<mapped value>", "NID_VALUE_CHANGE_CAPTURE:1",
// "NID_VALUE_CHANGE_KEY_UP:-" for one without a key, ...).
#include "ControlsHarness.h"

#include "kx/NotificationClient.h"
#include "kx/Resources.h"
#include "kx/Wrappers.h"
#include "kx/ui/Control.h"

#include <cctype>
#include <cmath>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace valuestest {

class ValueLog : public KX::LNotificationClient {
public:
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>&, const KX::RCPtr<KX::LNotification>& n) override
    {
        if (!n)
            return KX::S_OK;
        std::string line = KX::WString(KX::LNotification::GetNotificationName(n->GetID())).ToNarrow().GetString();
        const KX::LRefCountedObject* payload = n->GetPayload().Get();
        if (const auto* v = dynamic_cast<const KX::LValueParam*>(payload)) {
            lastValue = v->GetMappedValue();
            lastNormalized = v->GetNormalizedValue();
            if (!std::isfinite(lastValue) || !std::isfinite(lastNormalized))
                ++nonFinite;
            char text[32];
            std::snprintf(text, sizeof text, "%g", lastValue);
            line += std::string(":") + text;
        } else if (const auto* b = dynamic_cast<const KX::LHolder<bool>*>(payload)) {
            line += b->Value() ? ":1" : ":0";
        } else if (dynamic_cast<const KX::LKeyParam*>(payload)) {
            line += ":key";
        } else {
            line += ":-";
        }
        lines.push_back(line);
        return KX::S_OK;
    }
    // The value notifications of control.
    void Listen(const KX::RCPtr<KX::LControl>& control)
    {
        for (const char16_t* name : {u"NID_VALUE_CHANGE", u"NID_VALUE_CHANGE_CAPTURE", u"NID_VALUE_CHANGE_KEY_DOWN",
                                     u"NID_VALUE_CHANGE_KEY_UP"})
            RegisterForNotification(KX::RCPtr<KX::LNotificationDistributor>(control.Get()), name, 0);
    }
    int Count(const std::string& prefix) const
    {
        int n = 0;
        for (const std::string& s : lines)
            n += s.rfind(prefix, 0) == 0 ? 1 : 0;
        return n;
    }

    std::vector<std::string> lines;
    double lastValue = NAN;
    double lastNormalized = NAN;
    int nonFinite = 0;
};

class ValuesTest : public ctltest::ControlsTest {
protected:
    std::vector<std::string> Areas() const override { return {"values"}; }

    void SetUp() override
    {
        // The knob's focus and disabled parts read these images as resources.
        m_images = ctltest::AddImageResources({"values_knob_focus.png", "values_knob_disabled.png"});
        ControlsTest::SetUp();
    }
    void TearDown() override
    {
        if (log)
            log->UnregisterFromAll();
        log = nullptr;
        ControlsTest::TearDown();
        m_images.clear();
    }

    template <class T>
    KX::RCPtr<T> Make(const char16_t* name)
    {
        KX::RCPtr<T> control = CreateAs<T>(name);
        if (control) {
            log = KX::RCPtr<ValueLog>(new ValueLog());
            log->Listen(KX::RCPtr<KX::LControl>(control));
        }
        return control;
    }
    // A control's top-left corner in window coordinates.
    static KX::PointT<int32_t> CornerOf(const KX::LControl& control)
    {
        const KX::PointT<double> at = control.GetOriginInRootWindow();
        return KX::PointT<int32_t>{static_cast<int32_t>(std::lround(at.x)), static_cast<int32_t>(std::lround(at.y))};
    }
    static KX::PointT<int32_t> TopLeft(const KX::LControl& control)
    {
        return KX::PointT<int32_t>{static_cast<int32_t>(std::lround(control.GetPosition().x)),
                                   static_cast<int32_t>(std::lround(control.GetPosition().y))};
    }

    KX::RCPtr<ValueLog> log;

private:
    std::vector<std::unique_ptr<KX::ScopedResource>> m_images;
};

} // namespace valuestest
