#pragma once
// Test doubles for focus and condition tests: a client that records the notifications a control
// sends, and a tree of plain controls under a real root window over fake window services.
#include "RootWindowFakes.h"

#include "kx/Notification.h"
#include "kx/NotificationClient.h"

#include <functional>
#include <string>
#include <vector>

namespace focustest {

// Records "<tag>: <notification name>" for every notification it receives.
class Watcher : public KX::LNotificationClient {
public:
    Watcher(std::vector<std::string>* log, std::string tag) : m_log(log), m_tag(std::move(tag)) {}
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>&, const KX::RCPtr<KX::LNotification>& n) override
    {
        const KX::WString name = KX::GetNotificationName(n->GetID());
        std::string text;
        for (const char16_t* c = name.GetString(); *c; ++c)
            text += static_cast<char>(*c);
        m_log->push_back(m_tag + ": " + text);
        if (onReceive)
            onReceive(n);
        return KX::S_OK;
    }
    void Watch(const KX::RCPtr<KX::LControl>& control, const char16_t* name)
    {
        RegisterForNotification(KX::RCPtr<KX::LNotificationDistributor>(control.Get()), name, 0);
    }
    std::function<void(const KX::RCPtr<KX::LNotification>&)> onReceive;

private:
    std::vector<std::string>* m_log;
    std::string m_tag;
};

// A plain control that can take the focus.
inline KX::RCPtr<uitest::TestControl> MakeFocusable(const KX::RCPtr<KX::LControl>& parent, const char16_t* name,
                                                    double x, double y, double w, double h, bool focusable = true)
{
    KX::RCPtr<uitest::TestControl> c = uitest::Make(parent, name, x, y, w, h);
    c->SetNotFocusable(!focusable);
    c->UpdateConditions();
    return c;
}

// main > panel > a, b, all focusable (a container passes the focus on), under a root window.
struct FocusTree {
    FocusTree()
    {
        window = KX::LRootWindow::Create(nullptr, &services);
        main = MakeFocusable(nullptr, u"main", 0, 0, 320, 200);
        window->AttachMainControl(main);
        panel = MakeFocusable(main, u"panel", 10, 10, 200, 100);
        a = MakeFocusable(panel, u"a", 0, 0, 50, 20);
        b = MakeFocusable(panel, u"b", 0, 30, 50, 20);
    }
    ~FocusTree()
    {
        a = b = panel = main = nullptr;
        window = nullptr;
    }
    rwtest::FakeServices services;
    KX::RCPtr<KX::LRootWindow> window;
    KX::RCPtr<uitest::TestControl> main, panel, a, b;
};

} // namespace focustest
