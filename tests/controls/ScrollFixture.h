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

// Counts the notifications of the names it is registered for.
class NotificationCounter : public KX::LNotificationReceiver {
public:
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>&, const KX::RCPtr<KX::LNotification>& n) override
    {
        names.push_back(KX::LNotification::GetNotificationName(n->GetID()).ToNarrow().GetString());
        return KX::S_OK;
    }
    KX::KXRESULT UnregisterForNotification(const KX::RCPtr<KX::LNotificationDistributor>&, const char16_t*) override
    {
        return KX::S_OK;
    }
    size_t Count(const std::string& name) const
    {
        size_t k = 0;
        for (const std::string& s : names)
            k += s == name ? 1 : 0;
        return k;
    }
    std::vector<std::string> names;
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
    // Registers counter at source for each name.
    static void Watch(const KX::RCPtr<KX::LNotificationDistributor>& source,
                      const KX::RCPtr<NotificationCounter>& counter, std::initializer_list<const char16_t*> names)
    {
        for (const char16_t* n : names)
            source->RegisterClient(KX::RCPtr<KX::LNotificationReceiver>(counter), n, 0);
    }
};

} // namespace ctltest
