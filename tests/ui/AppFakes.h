#pragma once
// Test doubles for the framework application: an application whose platform parts are recorded
// or scripted, a settings store in memory and helpers for posting and recording notifications.
#include "MemoryClipboard.h"
#include "RootWindowFakes.h"

#include "kx/Notification.h"
#include "kx/NotificationCenter.h"
#include "kx/ui/FrameworkApp.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace apptest {

inline std::string Narrow(const KX::WString& text)
{
    return text.ToNarrow().GetString();
}

// Integer settings per (file, key); string and array values are not kept.
class FakeIni : public KX::IIniFileManager {
public:
    KX::KXRESULT Load(const KX::WString&) override { return KX::S_OK; }
    KX::KXRESULT Unload() override { return KX::S_OK; }
    KX::KXRESULT OpenIniFile(const KX::WString&, const KX::WString&, const KX::WString&, int32_t& h) override
    {
        h = 1;
        return KX::S_OK;
    }
    KX::KXRESULT WriteIniFile(int32_t) override { return KX::S_OK; }
    bool DoesNodeExist(int32_t, const KX::WString&) override { return false; }
    KX::KXRESULT CloseIniFile(int32_t, int32_t) override { return KX::S_OK; }
    KX::KXRESULT GetIniValueInt(int32_t h, const KX::WString& path, int32_t def, int32_t& value) override
    {
        value = def;
        const auto it = ints.find({h, Narrow(path)});
        if (it == ints.end())
            return KX::E_FAIL;
        value = it->second;
        return KX::S_OK;
    }
    KX::KXRESULT SetIniValueInt(int32_t h, const KX::WString& path, int32_t value) override
    {
        ints[{h, Narrow(path)}] = value;
        ++writes;
        return KX::S_OK;
    }
    KX::KXRESULT GetIniValueStr(int32_t, const KX::WString&, const KX::WString& d, KX::WString& t) override
    {
        t = d;
        return KX::E_FAIL;
    }
    KX::KXRESULT SetIniValueStr(int32_t, const KX::WString&, const KX::WString&) override { return KX::E_FAIL; }
    KX::KXRESULT GetKeyCount(int32_t, const KX::WString&, int32_t& c) override { return c = 0, KX::E_FAIL; }
    KX::KXRESULT GetKeyNameAt(int32_t, const KX::WString&, int32_t, KX::WString&) override { return KX::E_FAIL; }
    KX::KXRESULT GetArrayCount(int32_t, const KX::WString&, int32_t& c) override { return c = 0, KX::E_FAIL; }
    KX::KXRESULT SetArrayCount(int32_t, const KX::WString&, int32_t) override { return KX::E_FAIL; }
    KX::KXRESULT GetArrayItemAt(int32_t, const KX::WString&, int32_t, KX::WString&) override { return KX::E_FAIL; }
    KX::KXRESULT SetArrayItemAt(int32_t, const KX::WString&, int32_t, const KX::WString&) override
    {
        return KX::E_FAIL;
    }
    KX::KXRESULT RemoveArrayItemAt(int32_t, const KX::WString&, int32_t) override { return KX::E_FAIL; }

    std::map<std::pair<int32_t, std::string>, int32_t> ints;
    int writes = 0;
};

inline KX::RCPtr<KX::LClipboard> MemoryClipboard()
{
    return KX::LClipboard::Create(std::make_unique<kxtest::MemoryClipboard>());
}

// The application with its platform side recorded. Settings file of kind 1 is handle 7 when
// hasSettings is set.
class FakeApp : public KX::LFrameworkApp {
public:
    explicit FakeApp(const KX::RCPtr<KX::LControlFactory>& factory,
                     const KX::ConstRCPtr<KX::LStringTable>& strings = nullptr)
        : KX::LFrameworkApp(factory, strings, KX::NString("app --test"), MemoryClipboard())
    {
    }

    KX::KXRESULT GetSystemFont(KX::WString& face, float& size, uint32_t& style) override
    {
        ++fontQueries;
        face = KX::WString(u"Sans");
        size = 9.0f;
        style = 0;
        return fontResult;
    }
    KX::IIniFileManager* GetIniFileManager() override { return &ini; }
    int32_t GetSettingsFile(int32_t kind) override { return hasSettings && kind == 1 ? 7 : 0; }
    int32_t LoadAppCursor(const KX::WString& name) override { return Narrow(name) == "UI_CURSOR_WAIT" ? 42 : 7; }
    int32_t ShowMessageBox(const KX::WString& text, const KX::WString& caption, uint32_t flags) override
    {
        boxes.push_back(Narrow(text) + "|" + Narrow(caption) + "|" + std::to_string(flags));
        return 1;
    }
    void RunMessageLoop() override
    {
        if (loop)
            loop();
    }
    KX::RectT<int32_t> GetWorkArea() override { return {0, 0, 1920, 1040}; }
    KX::KXRESULT GetKeyState(int32_t vk, bool& pressed, bool& toggled) override
    {
        keyQueries.push_back(vk);
        pressed = vk >= 0 && vk < 256 && keys[vk];
        toggled = false;
        return KX::S_OK;
    }
    KX::PointT<int32_t> GetScreenCursorPos() override { return {11, 22}; }

    FakeIni ini;
    bool hasSettings = true;
    KX::KXRESULT fontResult = KX::S_OK;
    int fontQueries = 0;
    std::vector<std::string> boxes;
    std::vector<int32_t> keyQueries;
    bool keys[256] = {};
    std::function<void()> loop;
};

// Records the names of the notifications it receives, optionally acting on each.
class NameLog : public KX::LNotificationReceiver {
public:
    KX::KXRESULT Receive(const KX::RCPtr<KX::LNotificationDistributor>&, const KX::RCPtr<KX::LNotification>& n) override
    {
        names.push_back(Narrow(KX::LNotification::GetNotificationName(n->GetID())));
        if (onReceive)
            onReceive(names.back());
        return KX::S_OK;
    }
    KX::KXRESULT UnregisterForNotification(const KX::RCPtr<KX::LNotificationDistributor>& d,
                                           const char16_t* name) override
    {
        return d->UnregisterClient(KX::RCPtr<KX::LNotificationReceiver>(this), name);
    }
    std::vector<std::string> names;
    std::function<void(const std::string&)> onReceive;
};

inline KX::RCPtr<KX::LNotification> Make(const char16_t* name)
{
    KX::RCPtr<KX::LNotification> n;
    KX::LNotification::Create(n, name, nullptr);
    return n;
}

} // namespace apptest
