#pragma once
// Test doubles for key handling: a control that logs the focus it is given and the notifications
// it receives, a client that logs what a distributor sends, and a control host with application
// hot keys.
#include "RootWindowFakes.h"

#include "kx/ui/ControlHost.h"
#include "kx/ui/StringTable.h"

#include <string>
#include <vector>

namespace keytest {

using Log = std::vector<std::string>;

inline std::string Narrow(const KX::WString& s)
{
    return s.ToNarrow().GetString();
}

// Registrations the control holds as a client (not those it hands out as a distributor).
inline int32_t ClientRegistrations(KX::LControl& c)
{
    return c.KX::LNotificationClient::GetRegistrationCount();
}

// Logs "<tag>: <notification name>".
class LogClient : public KX::LNotificationClient {
public:
    LogClient(Log* log, std::string tag) : m_log(log), m_tag(std::move(tag)) {}
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>&, const KX::RCPtr<KX::LNotification>& n) override
    {
        m_log->push_back(m_tag + ": " + Narrow(KX::GetNotificationName(n->GetID())));
        return KX::S_OK;
    }

private:
    Log* m_log;
    std::string m_tag;
};

// A focusable control at a tab stop. SetFocus stands in for the focus model: it logs and makes
// the control the root window's focus. Notifications other than "NID_SIBLING_KEY" are logged.
class KeyControl : public uitest::TestControl {
public:
    KeyControl(const KX::RCPtr<KX::LControl>& parent, const char16_t* name, Log* log)
        : uitest::TestControl(parent, name, nullptr), m_log(log), m_tag(Narrow(KX::WString(name)))
    {
    }
    KX::KXRESULT SetFocus(bool forward) override
    {
        m_log->push_back(m_tag + ": focus" + (forward ? "" : " back"));
        if (window)
            window->SetFocusControl(KX::RCPtr<KX::LControl>(this));
        return KX::S_OK;
    }
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>& from,
                         const KX::RCPtr<KX::LNotification>& n) override
    {
        const std::string name = Narrow(KX::GetNotificationName(n->GetID()));
        if (name != "NID_SIBLING_KEY")
            m_log->push_back(m_tag + ": " + name);
        return KX::LControl::Receive(from, n);
    }
    // Offers a key to the children bound for "NID_SIBLING_KEY", as the focus model will.
    KX::KXRESULT HandleSiblingKey(const KX::RCPtr<KX::LKeyParam>& param) override
    {
        if (!offerToSiblings)
            return KX::LControl::HandleSiblingKey(param);
        KX::RCPtrArray<KX::LControl>& route = param->GetRoute();
        const KX::RCPtr<KX::LSiblingKeyParam> s = KX::LSiblingKeyParam::Create(
            param->GetKey(), route.GetCount() ? route.GetData()[route.GetCount() - 1] : KX::RCPtr<KX::LControl>());
        KX::RCPtr<KX::LNotification> n;
        KX::LNotification::Create(n, u"NID_SIBLING_KEY", KX::ConstRCPtr<KX::LRefCountedObject>(s));
        SendNotification(n);
        return s->GetResult() == 0 ? KX::S_OK : KX::S_FALSE;
    }

    KX::LRootWindow* window = nullptr;
    bool offerToSiblings = false;

private:
    Log* m_log;
    std::string m_tag;
};

// A built, focusable control of size w x h at (x, 0) with the given tab stop.
inline KX::RCPtr<KeyControl> MakeKeyControl(const KX::RCPtr<KX::LControl>& parent, const char16_t* name, Log* log,
                                            KX::LRootWindow* window, double x, int32_t tabStop, double w = 40,
                                            double h = 20)
{
    KX::RCPtr<KeyControl> c(new KeyControl(parent, name, log));
    c->window = window;
    KX::LLayoutDescriptor& l = *c->GetLayout();
    l.Position(0).absolute = x;
    l.Size(0).absolute = w;
    l.Size(1).absolute = h;
    l.tabStop = tabStop;
    c->SetNotFocusable(false);
    c->PerformLayout();
    c->SetBuilt();
    return c;
}

// Gives c a string table with these (key, text) entries.
inline void GiveStrings(KX::LControl& c, std::initializer_list<std::pair<const char16_t*, const char16_t*>> entries)
{
    KX::LStringTable::Entries map;
    for (const auto& [k, v] : entries)
        map[KX::WString(k)] = KX::WString(v);
    c.AdoptStringTable(KX::RCPtr<KX::LStringTable>(new KX::LStringTable(map)));
}

// A control host that has only application hot keys; registered for its lifetime.
class HotKeyHost : public KX::IControlHost {
public:
    explicit HotKeyHost(const KX::RCPtr<KX::LNotificationReceiver>& receiver)
        : hotKeys(KX::LGlobalHotKeyManager::Create(receiver)), m_previous(KX::GetControlHost())
    {
        KX::SetControlHost(this);
    }
    ~HotKeyHost() override { KX::SetControlHost(m_previous); }
    void ResolveStringTable(KX::LControl&) override {}
    KX::KXRESULT CreateChildControls(KX::LControl&, const KX::LControlDescriptor*) override { return KX::S_OK; }
    KX::WString LookupString(const KX::LControl&, const KX::WString&) override { return {}; }
    KX::RectT<int32_t> GetScreenArea() override { return {0, 0, 1920, 1080}; }
    KX::RCPtr<KX::IRootWindow> GetActiveRootWindow() override { return {}; }
    KX::RCPtr<KX::IRootWindow> GetFirstRootWindow() override { return {}; }
    KX::RCPtr<KX::LGlobalHotKeyManager> GetGlobalHotKeyManager() override { return hotKeys; }
    KX::RCPtr<KX::LControl> CreateSkinControl(const KX::WString& name, const KX::RCPtr<KX::LControl>& parent) override
    {
        return skinControls ? skinControls(name, parent) : KX::RCPtr<KX::LControl>();
    }

    KX::RCPtr<KX::LGlobalHotKeyManager> hotKeys;
    std::function<KX::RCPtr<KX::LControl>(const KX::WString&, const KX::RCPtr<KX::LControl>&)> skinControls;

private:
    KX::IControlHost* m_previous;
};

} // namespace keytest
