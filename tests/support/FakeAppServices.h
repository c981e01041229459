#pragma once
// The application's services (the user-interface core's and the shell's side of
// KX::IAppServices) as tests, benchmarks and fuzz targets play them: string look-ups answered by
// a rule, message boxes recorded, idle drains and the focused control set by the test.
// Main thread only, like the services it stands for.
#include "kx/AppServices.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kxtest {

class FakeAppServices : public KX::IAppServices {
public:
    struct Box {
        std::u16string text;
        std::u16string caption;
        uint32_t flags;
    };

    // Registered as the process's services for the object's lifetime, unless registered is false.
    explicit FakeAppServices(bool registered = true) : m_registered(registered)
    {
        if (m_registered)
            KX::SetAppServices(this);
    }
    ~FakeAppServices() override
    {
        if (m_registered)
            KX::SetAppServices(nullptr);
    }
    FakeAppServices(const FakeAppServices&) = delete;
    FakeAppServices& operator=(const FakeAppServices&) = delete;

    bool ProcessNotificationQueues(bool firstPass) override
    {
        passes.push_back(firstPass);
        return drain ? drain(firstPass) : false;
    }
    bool IsExitRequested() override { return exitRequested; }
    KX::RCPtr<KX::IEditTarget> GetFocusedControl() override { return focused; }
    KX::WString LookupAppString(const KX::WString& key) override { return lookup ? lookup(key) : KX::WString(); }
    int32_t ShowAppMessageBox(const KX::WString& text, const KX::WString& caption, uint32_t flags) override
    {
        boxes.push_back({text.GetString(), caption.GetString(), flags});
        return answer ? answer(flags) : 1;
    }

    // Each box as "caption | text", narrow.
    std::vector<std::string> BoxLines() const
    {
        std::vector<std::string> lines;
        for (const Box& box : boxes)
            lines.push_back(Narrow(box.caption) + " | " + Narrow(box.text));
        return lines;
    }

    // What the idle drain does (default: nothing kept); the string table (default: empty
    // texts); the button a box returns for its flags (default: 1).
    std::function<bool(bool firstPass)> drain;
    std::function<KX::WString(const KX::WString& key)> lookup;
    std::function<int32_t(uint32_t flags)> answer;
    bool exitRequested = false;
    KX::RCPtr<KX::IEditTarget> focused;

    std::vector<bool> passes;
    std::vector<Box> boxes;

private:
    static std::string Narrow(const std::u16string& text) { return KX::WString(text.c_str()).ToNarrow().GetString(); }

    const bool m_registered;
};

} // namespace kxtest
