#pragma once
// Test doubles for the root window: platform-window services that record what they are asked,
// a host with a list of root windows, and a control that records the input routed to it.
#include "UiTestControls.h"

#include "kx/ui/RootWindow.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace rwtest {

class FakeServices : public KX::IWindowOSServices {
public:
    KX::KXRESULT SetTitle(const KX::WString&) override { return KX::S_OK; }
    KX::KXRESULT InvalidateAll() override
    {
        ++invalidateAlls;
        return KX::S_OK;
    }
    KX::KXRESULT InvalidateRect(int32_t x, int32_t y, int32_t w, int32_t h) override
    {
        invalidated.push_back(KX::RectT<int32_t>{x, y, w, h});
        return KX::S_OK;
    }
    KX::KXRESULT GetClientRect(KX::RectT<int32_t>& out) override
    {
        out = client;
        return KX::S_OK;
    }
    KX::PointT<int32_t> ScreenToClient(KX::PointT<int32_t> p) override { return {p.x - 100, p.y - 50}; }
    KX::PointT<int32_t> ClientToScreen(KX::PointT<int32_t> p) override { return {p.x + 100, p.y + 50}; }
    KX::KXRESULT SetClientRect(const KX::RectT<int32_t>& r) override
    {
        client = r;
        return KX::S_OK;
    }
    bool Show(int32_t) override { return true; }
    KX::KXRESULT Redraw() override { return KX::S_OK; }
    KX::KXRESULT BringToTop() override { return KX::S_OK; }
    KX::KXRESULT SetTopMost(bool) override { return KX::S_OK; }
    KX::KXRESULT Close(uint32_t code) override
    {
        closes.push_back(code);
        if (onClose)
            onClose();
        return KX::S_OK;
    }
    int32_t RunModal() override { return 0; }
    bool IsModal() override { return modal; }
    bool IsActive() override { return active; }
    bool HasFocus() override { return focused; }
    KX::KXRESULT SetFocus() override
    {
        ++focusRequests;
        return KX::S_OK;
    }
    int32_t SetCursor(int32_t c) override { return std::exchange(cursor, c); }
    KX::PointT<int32_t> GetCursorPos() override { return pointer; }
    uint32_t GetMouseButtons() override { return buttons; }
    KX::WindowHandle GetWindowHandle() override { return nullptr; }
    void SetTextInputPosition(const KX::RectT<int32_t>&) override {}

    KX::RectT<int32_t> client{0, 0, 320, 200};
    bool active = true, focused = false, modal = false;
    KX::PointT<int32_t> pointer{-1, -1};
    uint32_t buttons = 0;
    int32_t cursor = 0;
    int invalidateAlls = 0, focusRequests = 0;
    std::vector<KX::RectT<int32_t>> invalidated; // x, y, width, height
    std::vector<uint32_t> closes;
    std::function<void()> onClose;
};

// The application's list of root windows; registered for its lifetime.
class ScopedHost : public KX::IRootWindowHost {
public:
    ScopedHost() { KX::SetRootWindowHost(this); }
    ~ScopedHost() override { KX::SetRootWindowHost(nullptr); }
    uint32_t GetRootWindowCount() override { return static_cast<uint32_t>(windows.size()); }
    KX::RCPtr<KX::LRootWindow> GetRootWindowAt(uint32_t i) override
    {
        return i < windows.size() ? windows[i] : KX::RCPtr<KX::LRootWindow>();
    }
    bool IsKeyDown(int32_t vk) override { return vk >= 0 && vk < 256 && keys[vk]; }

    std::vector<KX::RCPtr<KX::LRootWindow>> windows;
    bool keys[256] = {};
};

// Records, as text, the input the root window routes to it.
class Recorder : public uitest::TestControl {
public:
    Recorder(const KX::RCPtr<KX::LControl>& parent, const char16_t* name, std::vector<std::string>* log)
        : uitest::TestControl(parent, name, nullptr), m_log(log), m_tag(Narrow(name))
    {
    }
    KX::KXRESULT OnMouseEnter() override { return Log("enter"); }
    KX::KXRESULT OnMouseLeave() override { return Log("leave"); }
    KX::KXRESULT OnMouseMove(const KX::RCPtr<KX::LPointWithModifiersParam>& p) override
    {
        return Log("move " + Point(p->GetPoint()) + " m" + std::to_string(p->GetModifiers()));
    }
    KX::KXRESULT OnMouseDown(const KX::RCPtr<KX::LMouseButtonParam>& p) override { return Log("down " + Button(*p)); }
    KX::KXRESULT OnMouseUp(const KX::RCPtr<KX::LMouseButtonParam>& p) override { return Log("up " + Button(*p)); }
    KX::KXRESULT OnCaptureLost() override { return Log("capture-lost"); }
    void OnKey(const KX::RCPtr<KX::LKeyParam>& p) override { Log("key " + std::to_string(p->GetKey().code)); }
    KX::KXRESULT OnMouseWheel(const KX::RCPtr<KX::LMouseWheelParam>& p) override
    {
        Log("wheel " + std::to_string(p->GetDirection()) + " " + Point(p->GetPoint()));
        return wheelResult;
    }
    KX::KXRESULT OnMouseHWheel(const KX::RCPtr<KX::LMouseWheelParam>& p) override
    {
        Log("hwheel " + std::to_string(p->GetDirection()));
        return wheelResult;
    }
    KX::KXRESULT SetFocus(bool forward) override { return Log(forward ? "setfocus" : "setfocus-back"); }
    bool KillFocus() override
    {
        Log("killfocus");
        return true;
    }
    KX::KXRESULT ShowToolTip(bool show) override { return Log(show ? "tip-on" : "tip-off"); }
    KX::KXRESULT OnResize(int32_t w, int32_t h) override
    {
        return Log("resize " + std::to_string(w) + "x" + std::to_string(h));
    }

    KX::WString GetToolTipText() override { return toolTip; }

    KX::KXRESULT wheelResult = KX::S_OK;
    KX::WString toolTip;

private:
    static std::string Narrow(const char16_t* s)
    {
        std::string out;
        for (; *s; ++s)
            out += static_cast<char>(*s);
        return out;
    }
    static std::string Point(KX::PointT<int32_t> p) { return std::to_string(p.x) + "," + std::to_string(p.y); }
    static std::string Button(const KX::LMouseButtonParam& p)
    {
        return "b" + std::to_string(p.GetButton()) + " " + Point(p.GetPoint()) + " m" +
               std::to_string(p.GetModifiers()) + (p.IsDoubleClick() ? " dbl" : "") + " held" +
               std::to_string(p.GetPressedButtons());
    }
    KX::KXRESULT Log(const std::string& what)
    {
        if (m_log)
            m_log->push_back(m_tag + ": " + what);
        return KX::S_OK;
    }

    std::vector<std::string>* m_log;
    std::string m_tag;
};

inline KX::RCPtr<Recorder> MakeRecorder(const KX::RCPtr<KX::LControl>& parent, const char16_t* name,
                                        std::vector<std::string>* log, double x, double y, double w, double h)
{
    KX::RCPtr<Recorder> c(new Recorder(parent, name, log));
    KX::LLayoutDescriptor& l = *c->GetLayout();
    l.Position(0).absolute = x;
    l.Position(1).absolute = y;
    l.Size(0).absolute = w;
    l.Size(1).absolute = h;
    c->PerformLayout();
    return c;
}

// Hit-testing needs a visible look: an invisible one covering the control.
inline void GiveHitLook(KX::LControl& c, double w, double h, uint32_t argb = 0xFF808080u)
{
    c.ShowLook(c.AddLook(KX::RCPtr<KX::IControlLook>(
                   new kxtest::FakeLook({0, 0, static_cast<int32_t>(w), static_cast<int32_t>(h)}, argb))),
               1);
}

} // namespace rwtest
