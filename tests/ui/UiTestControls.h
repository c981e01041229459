#pragma once
// A plain control for the tree tests, placed by absolute layout values, that counts its deaths.
#include "UiTreeFakes.h"
#include "kx/ui/Control.h"

namespace uitest {

class TestControl : public KX::LControl {
public:
    TestControl(const KX::RCPtr<KX::LControl>& parent, const char16_t* name, int* deaths)
        : KX::LControl(parent, KX::WString(name)), m_deaths(deaths)
    {
        SetLayout(KX::LLayoutDescriptor::Create());
    }
    ~TestControl() override
    {
        if (m_deaths)
            ++*m_deaths;
    }

    int beforeChildrenPaints = 0;
    KX::KXRESULT PaintBeforeChildren(const KX::RCPtr<KX::LRenderer>&) override
    {
        ++beforeChildrenPaints;
        return KX::S_OK;
    }

private:
    int* m_deaths;
};

// A control under parent at (x, y) with size (w, h), laid out once.
inline KX::RCPtr<TestControl> Make(const KX::RCPtr<KX::LControl>& parent, const char16_t* name, double x, double y,
                                   double w, double h, int* deaths = nullptr)
{
    KX::RCPtr<TestControl> c(new TestControl(parent, name, deaths));
    KX::LLayoutDescriptor& l = *c->GetLayout();
    l.Position(0).absolute = x;
    l.Position(1).absolute = y;
    l.Size(0).absolute = w;
    l.Size(1).absolute = h;
    c->PerformLayout();
    return c;
}

// A top-level control in a fake root window of 1200 x 750.
struct Tree {
    Tree()
    {
        window = KX::RCPtr<kxtest::FakeRootWindow>(new kxtest::FakeRootWindow());
        root = KX::RCPtr<TestControl>(new TestControl(nullptr, u"main", nullptr));
        root->SetRootWindow(window);
        window->mainControl = root.Get();
        KX::LLayoutDescriptor& l = *root->GetLayout();
        l.Size(0).absolute = 1200;
        l.Size(1).absolute = 750;
        root->PerformLayout();
        // Children are drawn per visible look: an invisible one that paints nothing.
        root->AddLook(KX::RCPtr<KX::IControlLook>(new kxtest::FakeLook({0, 0, 1200, 750}, 0)));
        root->ShowLook(0, 1);
    }
    KX::RCPtr<kxtest::FakeRootWindow> window;
    KX::RCPtr<TestControl> root;
};

} // namespace uitest
