// Creating controls through the factory: by skin name, from a descriptor, cloned descriptors and
// rebuilding from the skin.
#include "SkinLoad.h"
#include "UiTestControls.h"
#include "UiTreeFakes.h"
#include "kx/ui/Control.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using KX::ConstRCPtr;
using KX::RCPtr;
using KX::WString;
using KXTest::Narrow;

namespace {

// A control that records the descriptors it was built and rebuilt from.
class BuiltControl : public uitest::TestControl {
public:
    BuiltControl(const RCPtr<KX::LControl>& parent, const WString& name)
        : uitest::TestControl(parent, name.GetString(), nullptr)
    {
    }
    KX::KXRESULT CreateFromDescriptor(const ConstRCPtr<KX::LControlDescriptor>& descriptor) override
    {
        builtFrom.push_back(descriptor.Get());
        return KX::S_OK;
    }
    std::vector<const KX::LControlDescriptor*> builtFrom;
};

int g_creations = 0;
const KX::LControl* g_lastParent = nullptr;

RCPtr<KX::LControl>& CreateBuilt(RCPtr<KX::LControl>& out, RCPtr<KX::LControl>& parent,
                                 ConstRCPtr<KX::LControlDescriptor>& descriptor)
{
    ++g_creations;
    g_lastParent = parent.Get();
    RCPtr<BuiltControl> control(new BuiltControl(parent, descriptor->GetName()));
    control->CreateFromDescriptor(descriptor);
    out = control;
    return out;
}

RCPtr<KX::LControlFactory> FactoryWithClasses()
{
    RCPtr<KX::LControlFactory> factory = KXTest::LoadTestSkin();
    factory->RegisterControlClass(WString(u"Test.Panel"), &CreateBuilt);
    factory->RegisterControlClass(WString(u"Test.Button"), &CreateBuilt);
    return factory;
}

} // namespace

TEST(FactoryCreate, ByNameMakesVisibleTopLevelControlsOfTheCurrentSkin)
{
    const auto factory = FactoryWithClasses();
    RCPtr<kxtest::FakeRootWindow> window(new kxtest::FakeRootWindow());
    const ConstRCPtr<KX::LControlDescriptor> dialog = factory->FindControlDescriptor(WString(u"dialog"));
    dialog->GetLayoutForUpdate()->visible = false;

    RCPtr<KX::LControl> control;
    factory->CreateControlByName(control, WString(u"dialog"), window);
    ASSERT_TRUE(control);
    EXPECT_EQ(Narrow(control->GetName()), "dialog");
    EXPECT_FALSE(control->GetParent());
    EXPECT_EQ(control->GetTopLevelOwnerSlot().Get(), window.Get());
    // The last of the two "dialog" entries, visible from now on.
    auto* built = dynamic_cast<BuiltControl*>(control.Get());
    ASSERT_TRUE(built);
    ASSERT_EQ(built->builtFrom.size(), 1u);
    EXPECT_EQ(built->builtFrom[0], dialog.Get());
    EXPECT_TRUE(dialog->GetLayout()->visible);
    EXPECT_EQ(dialog->GetCreateFunction(), &CreateBuilt);

    // Nested and unknown names give the null control.
    factory->CreateControlByName(control, WString(u"buttonA"), window);
    EXPECT_FALSE(control);
    factory->CreateControlByName(control, WString(u"nobody"), window);
    EXPECT_FALSE(control);
}

TEST(FactoryCreate, FromADescriptorWithItsParent)
{
    const auto factory = FactoryWithClasses();
    RCPtr<KX::LControl> parent;
    factory->CreateControlByName(parent, WString(u"mainControl"), nullptr);
    ASSERT_TRUE(parent);
    const ConstRCPtr<KX::LControlDescriptor> button =
        factory->FindControlDescriptor(WString(u"mainControl"))->GetChildren().ElementAt(0);

    const int before = g_creations;
    RCPtr<KX::LControl> child;
    factory->CreateControlFromDescriptor(child, button, parent);
    ASSERT_TRUE(child);
    EXPECT_EQ(g_creations, before + 1);
    EXPECT_EQ(g_lastParent, parent.Get());
    EXPECT_EQ(child->GetParent().Get(), parent.Get());

    // An unregistered class throws and leaves the cache empty.
    const ConstRCPtr<KX::LControlDescriptor> label =
        factory->FindControlDescriptor(WString(u"mainControl"))->GetChildren().ElementAt(1);
    EXPECT_THROW(factory->CreateControlFromDescriptor(child, label, parent), std::runtime_error);
    EXPECT_EQ(label->GetCreateFunction(), nullptr);
    EXPECT_FALSE(child);
}

TEST(FactoryCreate, CloneAndReapply)
{
    const auto factory = FactoryWithClasses();
    const ConstRCPtr<KX::LControlDescriptor> main = factory->FindControlDescriptor(WString(u"mainControl"));
    RCPtr<KX::LLayoutDescriptor> layout = KX::LLayoutDescriptor::Create();
    const RCPtr<KX::LControlDescriptor> copy = factory->CloneDescriptorWithName(main, layout, WString(u"generated"));
    ASSERT_TRUE(copy);
    EXPECT_EQ(Narrow(copy->GetName()), "generated");
    EXPECT_EQ(copy->GetLayout().Get(), layout.Get());
    EXPECT_EQ(copy->GetSkin().Get(), main->GetSkin().Get());
    EXPECT_EQ(copy->GetChildren().ElementAt(0).Get(), main->GetChildren().ElementAt(0).Get());
    EXPECT_EQ(Narrow(main->GetName()), "mainControl");

    RCPtr<KX::LControl> control;
    factory->CreateControlByName(control, WString(u"mainControl"), nullptr);
    EXPECT_EQ(factory->ReapplyDescriptor(control), KX::S_OK);
    EXPECT_EQ(dynamic_cast<BuiltControl*>(control.Get())->builtFrom.size(), 2u);
    EXPECT_EQ(factory->ReapplyDescriptor(nullptr), KX::E_FAIL);
    RCPtr<KX::LControl> stray(new BuiltControl(nullptr, WString(u"stray")));
    EXPECT_EQ(factory->ReapplyDescriptor(stray), KX::E_FAIL);
}

TEST(FactoryCreate, ControlStringTablesByOwner)
{
    const auto factory = FactoryWithClasses();
    ASSERT_EQ(
        factory->LoadStringTables(factory->GetApplicationStringsPath(), factory->GetFrameworkStringsPath(), 0x0409),
        KX::S_OK);
    // Without an owner the application's name stands for it.
    const ConstRCPtr<KX::LStringTable> table =
        factory->GetStringTable(static_cast<const KX::LControl*>(nullptr), WString(u"mainControl"));
    ASSERT_TRUE(table);
    WString text;
    EXPECT_TRUE(table->Lookup(WString(u"LABEL"), text));
    EXPECT_EQ(Narrow(text), "Main");
}
