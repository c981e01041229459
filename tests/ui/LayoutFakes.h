#pragma once
// Doubles for the layout tests: a look with a measurable label, an application host with a
// screen and a cursor, a root window placed on the screen, and a control laid out from a spec.
#include "UiTestControls.h"
#include "kx/ui/ControlHost.h"
#include "kx/ui/LayoutPasses.h"
#include "kx/ui/LookDescriptor.h"

#include <algorithm>
#include <vector>

namespace uitest {

// A label whose text is textWidth wide unwrapped and takes lineHeight per started textWidth of
// the asked width.
class FakeLabel : public KX::ILookLabel {
public:
    explicit FakeLabel(const KX::LookTextProperties& edges) : descriptor(new KX::LLookDescriptor(KX::WString(u"label")))
    {
        descriptor->SetTextProperties(edges, nullptr);
    }
    const KX::LLookDescriptor& GetDescriptor() const override { return *descriptor; }
    bool GetWordWrap() const override { return wrap; }
    bool SetWordWrap(bool w) override
    {
        wrapCalls.push_back(w);
        const bool changed = wrap != w;
        wrap = w;
        return changed;
    }
    int32_t GetTextWidth() const override { return textWidth; }
    int32_t GetHeightForWidth(int32_t width) const override
    {
        askedWidths.push_back(width);
        if (!wrap || width <= 0)
            return lineHeight;
        return lineHeight * ((textWidth + width - 1) / width);
    }

    KX::RCPtr<KX::LLookDescriptor> descriptor;
    bool wrap = false;
    int32_t textWidth = 0;
    int32_t lineHeight = 10;
    std::vector<bool> wrapCalls;
    mutable std::vector<int32_t> askedWidths;
};

class LabelLook : public kxtest::FakeLook {
public:
    LabelLook(KX::RectT<int32_t> rect, const KX::LookTextProperties& edges) : FakeLook(rect, 0), label(edges) {}
    KX::ILookLabel* GetLabel() override { return &label; }
    FakeLabel label;
};

class FakeHost : public KX::IControlHost {
public:
    void ResolveStringTable(KX::LControl&) override {}
    KX::KXRESULT CreateChildControls(KX::LControl&, const KX::LControlDescriptor*) override { return KX::S_OK; }
    KX::WString LookupString(const KX::LControl&, const KX::WString&) override { return KX::WString(); }
    KX::RectT<int32_t> GetScreenArea() override { return screen; }
    KX::RCPtr<KX::IRootWindow> GetActiveRootWindow() override { return active; }
    KX::RCPtr<KX::IRootWindow> GetFirstRootWindow() override { return active; }
    KX::PointT<int32_t> GetCursorScreenPosition() override { return cursor; }

    KX::RectT<int32_t> screen{0, 0, 1920, 1080};
    KX::RCPtr<KX::IRootWindow> active;
    KX::PointT<int32_t> cursor;
};

// Registers the host for the scope of a test.
struct ScopedHost {
    explicit ScopedHost(FakeHost& host) { KX::SetControlHost(&host); }
    ~ScopedHost() { KX::SetControlHost(nullptr); }
};

class PlacedRootWindow : public kxtest::FakeRootWindow {
public:
    using FakeRootWindow::FakeRootWindow;
    KX::PointT<int32_t> GetClientOriginOnScreen() const override { return origin; }
    KX::PointT<int32_t> origin;
};

// The bounds a control has now, as (x, y, width, height).
inline KX::RectT<double> Bounds(const KX::LControl& c)
{
    return KX::RectT<double>{c.GetPosition().x, c.GetPosition().y, c.GetSize().x, c.GetSize().y};
}

// A child of parent whose layout the caller fills before laying it out.
inline KX::RCPtr<TestControl> Child(const KX::RCPtr<KX::LControl>& parent, const char16_t* name)
{
    return KX::RCPtr<TestControl>(new TestControl(parent, name, nullptr));
}

// Position kind, relative and absolute, and anchor of one axis.
inline void SetPosition(KX::LControl& c, int32_t axis, int32_t kind, float rel, double abs, float anchor = 0.0f,
                        const char16_t* name = u"")
{
    KX::AxisPlacement& p = c.GetLayout()->Position(axis);
    p.kind = kind;
    p.relative = rel;
    p.absolute = abs;
    p.anchor = anchor;
    p.controlName = KX::WString(name);
}

inline void SetSize(KX::LControl& c, int32_t axis, int32_t kind, float rel, double abs, const char16_t* name = u"")
{
    c.GetLayout()->Size(axis) = KX::SizeSpec{kind, KX::WString(name), rel, abs};
}

} // namespace uitest
