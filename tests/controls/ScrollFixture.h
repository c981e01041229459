#pragma once
// The fixture of the scroll bar and scroll view tests: the "scroll" area's skin, a bare scroll
// view class ("Test.ScrollView") and a plain block ("Test.Block") for content, and helpers that
// read a control's place in the window.
#include "ControlsHarness.h"

#include "kx/controls/ScrollView.h"
#include "kx/controls/Scrollbar.h"
#include "kx/ui/ControlCreate.h"
#include "kx/ui/RootWindow.h"

#include <string>
#include <vector>

namespace ctltest {

// Plain content: focusable, keeps no state.
class ScrollBlock : public KX::LControl {
public:
    ScrollBlock(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name) : KX::LControl(parent, name) {}
};

class ScrollTest : public ControlsTest {
protected:
    std::vector<std::string> Areas() const override { return {"scroll"}; }

    void SetUp() override
    {
        ControlsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        factory->RegisterControlClass(KX::WString(u"Test.ScrollView"), &KX::CreateControlOfClass<KX::LScrollView>);
        factory->RegisterControlClass(KX::WString(u"Test.Block"), &KX::CreateControlOfClass<ScrollBlock>);
    }

    // The clock moved on in steps of about one idle pass each.
    void AdvanceInSteps(uint32_t milliseconds, uint32_t step = 20)
    {
        for (uint32_t done = 0; done < milliseconds; done += step)
            Advance(std::min(step, milliseconds - done));
    }
    // The control's origin in window coordinates.
    static KX::PointT<int32_t> OriginOf(const KX::LControl& c)
    {
        return KX::RoundPointToLong(c.GetOriginInRootWindow());
    }
};

} // namespace ctltest
