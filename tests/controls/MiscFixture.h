#pragma once
// The fixture of the tool tip, status bar, splitter, meter, progress bar and file dropper tests:
// the "misc" area's skin, a status bar class that counts its destructions ("Test.StatusBar"), a
// notification counter and helpers that read a control's place in the window.
#include "ControlsHarness.h"

#include "kx/controls/StatusBar.h"
#include "kx/ui/ControlCreate.h"
#include "kx/ui/RootWindow.h"

#include <string>
#include <vector>

namespace ctltest {

class CountedStatusBar : public KX::LStatusBar {
public:
    CountedStatusBar(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name) : KX::LStatusBar(parent, name)
    {
        ++alive;
    }
    static inline int alive = 0;

protected:
    ~CountedStatusBar() override { --alive; }
};

class MiscTest : public ControlsTest {
protected:
    std::vector<std::string> Areas() const override { return {"misc"}; }
    void RegisterClasses(KX::LControlFactory& f) override
    {
        f.RegisterControlClass(KX::WString(u"Test.StatusBar"), &KX::CreateControlOfClass<CountedStatusBar>);
    }

    KX::RCPtr<NotificationLog> Listen(KX::LControl& source, std::initializer_list<const char16_t*> names)
    {
        KX::RCPtr<NotificationLog> log(new NotificationLog());
        for (const char16_t* n : names)
            EXPECT_FALSE(KX::Failed(source.RegisterClient(KX::RCPtr<KX::LNotificationReceiver>(log), n, 0)));
        return log;
    }
    // A pointer move that the polled pointer position follows as well (injected events alone
    // leave it behind). The offscreen driver has no pointer focus, so the window reads its pointer
    // as a screen position: the warp puts it at the window's screen origin plus the point.
    void PointAt(int32_t x, int32_t y)
    {
        SDL_Window* handle = window->GetPlatformWindow().Handle();
        int wx = 0, wy = 0;
        SDL_GetWindowPosition(handle, &wx, &wy);
        SDL_WarpMouseInWindow(handle, x + wx, y + wy);
        MoveTo(x, y);
    }
    // The control's rectangle in window coordinates, rounded.
    static KX::RectT<int32_t> WindowRect(const KX::LControl& c)
    {
        const KX::PointT<double> o = c.GetOriginInRootWindow();
        return KX::RectT<int32_t>{static_cast<int32_t>(std::lround(o.x)), static_cast<int32_t>(std::lround(o.y)),
                                  static_cast<int32_t>(std::lround(c.GetSize().x)),
                                  static_cast<int32_t>(std::lround(c.GetSize().y))};
    }
    static std::string Text(const KX::LControl& c) { return c.GetText().ToNarrow().GetString(); }
};

} // namespace ctltest
