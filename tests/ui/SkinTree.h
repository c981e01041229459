#pragma once
// Helpers for building control trees from a skin: plain test control classes registered under
// the test skin's class names, a factory-backed control host with a fake root window, and
// creation by skin name.
#include "SkinLoad.h"
#include "UiTreeFakes.h"
#include "kx/ui/ControlCreate.h"
#include "kx/ui/FactoryControlHost.h"

#include <memory>

namespace uitest {

// A control of no class of its own; counts its post-initialisations and remembers the order
// in which the create steps ran.
class SkinControl : public KX::LControl {
public:
    SkinControl(const KX::RCPtr<KX::LControl>& parent, const KX::WString& name) : KX::LControl(parent, name) {}

    KX::KXRESULT Initialize() override
    {
        // Every child is initialised before its parent.
        for (uint32_t i = 0; i < GetChildren().GetCount(); ++i)
            childrenInitialisedFirst &=
                static_cast<SkinControl*>(GetChildren().GetAt(i, KX::kOrderInsertion).Get())->initialised;
        initialised = true;
        return KX::LControl::Initialize();
    }
    KX::KXRESULT PostInitialize() override
    {
        ++postInitialisations;
        return KX::S_OK;
    }

    bool initialised = false;
    bool childrenInitialisedFirst = true;
    int postInitialisations = 0;
};

inline void RegisterTestClasses(KX::LControlFactory& factory)
{
    for (const char16_t* name : {u"Test.Panel", u"Test.Button", u"Test.Label"})
        factory.RegisterControlClass(KX::WString(name), &KX::CreateControlOfClass<SkinControl>);
}

// The test skin loaded (with its string tables), its classes registered, a host over the
// factory and a 1200 x 750 fake root window.
struct SkinTree {
    explicit SkinTree(KX::RCPtr<KX::LControlFactory> loaded = KXTest::LoadTestSkin()) : factory(std::move(loaded))
    {
        factory->LoadStringTables(KX::WString(u"::APP_STRINGS"), KX::WString(u"::NO_FRAMEWORK_STRINGS"), 0x0409);
        RegisterTestClasses(*factory);
        host = std::make_unique<KX::LFactoryControlHost>(factory);
        host->SetRootWindow(window);
    }
    ~SkinTree()
    {
        if (root)
            root->ReleaseInternalReferences();
    }

    // The current skin's top-level control of that name, given the window.
    KX::RCPtr<SkinControl> Create(const char16_t* name)
    {
        KX::RCPtr<KX::LControl> created = host->CreateControlByName(KX::WString(name), window);
        root = KX::RCPtr<SkinControl>(static_cast<SkinControl*>(created.Get()));
        window->mainControl = root.Get();
        return root;
    }

    KX::RCPtr<KX::LControlFactory> factory;
    KX::RCPtr<kxtest::FakeRootWindow> window{new kxtest::FakeRootWindow()};
    std::unique_ptr<KX::LFactoryControlHost> host;
    KX::RCPtr<SkinControl> root;
};

inline SkinControl* Child(KX::LControl& parent, const char16_t* name)
{
    return static_cast<SkinControl*>(parent.FindChild(KX::WString(name)).Get());
}

} // namespace uitest
