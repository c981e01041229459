// What the application gives the control tree: children and skin controls created through the
// factory (deferred ones left out), string tables resolved from the parent and the look-ups of texts.
#include "AppFakes.h"
#include "SkinLoad.h"

#include <gtest/gtest.h>

using namespace KX;

namespace {
std::vector<std::string> g_created;

RCPtr<LControl>& CreatePlain(RCPtr<LControl>& out, RCPtr<LControl>& parent, ConstRCPtr<LControlDescriptor>& d)
{
    g_created.push_back(apptest::Narrow(d->GetName()));
    out = RCPtr<LControl>(new uitest::TestControl(parent, d->GetName().GetString(), nullptr));
    return out;
}

std::string Child(const char* name, const char* deferValue)
{
    std::string s = std::string("<SubControl Class=\"Test.Plain\" Name=\"") + name + "\">";
    if (deferValue)
        s += std::string("<CreateParamList><CreateParam ID=\"DEFER_CREATE\" Type=\"Boolean\">") + deferValue +
             "</CreateParam></CreateParamList>";
    return s + "</SubControl>";
}
} // namespace

TEST(AppHost, ChildrenAreCreatedInOrderExceptDeferredOnes)
{
    RCPtr<LControlFactory> factory(new LControlFactory(WString(u"App")));
    const std::string doc =
        KXTest::SkinDocument("<Skin Name=\"S\"><SubControl Class=\"Test.Plain\" Name=\"host\">" + Child("a", nullptr) +
                             Child("b", " TRUE\n") + Child("c", "false") + Child("d", "yes") + "</SubControl></Skin>");
    ASSERT_EQ(factory->ParseXMLBuffer(doc.data(), doc.size()), S_OK) << apptest::Narrow(factory->GetLastXMLErrorText());
    factory->RegisterControlClass(WString(u"Test.Plain"), &CreatePlain);
    RCPtr<apptest::FakeApp> app(new apptest::FakeApp(factory));
    ConstRCPtr<LControlDescriptor> host = factory->FindControlDescriptor(WString(u"host"));
    ASSERT_TRUE(host);

    RCPtr<uitest::TestControl> parent(new uitest::TestControl(nullptr, u"host", nullptr));
    g_created.clear();
    EXPECT_EQ(app->CreateChildControls(*parent, host.Get()), S_OK);
    EXPECT_EQ(g_created, (std::vector<std::string>{"a", "c", "d"})) << "\" TRUE\" (trimmed, any case) defers";
    EXPECT_EQ(parent->GetChildren().GetCount(), 3u);
    EXPECT_EQ(app->CreateChildControls(*parent, nullptr), S_FALSE) << "no descriptor: nothing to create";

    // Skin controls by name come from the same factory: top-level names only.
    g_created.clear();
    RCPtr<LControl> made = app->CreateSkinControl(WString(u"host"), RCPtr<LControl>(parent));
    ASSERT_TRUE(made);
    EXPECT_EQ(g_created, (std::vector<std::string>{"host"}));
    EXPECT_FALSE(app->CreateSkinControl(WString(u"a"), RCPtr<LControl>(parent)));
    made = nullptr;

    // Once the factory is gone, nothing is created and nothing fails.
    app->RunApplicationShutdown();
    g_created.clear();
    EXPECT_EQ(app->CreateChildControls(*parent, host.Get()), S_FALSE);
    EXPECT_FALSE(app->CreateSkinControl(WString(u"host"), RCPtr<LControl>(parent)));
    EXPECT_TRUE(g_created.empty());
    parent->ReleaseInternalReferences();
}

TEST(AppHost, StringLookupsGoThroughTheControlsAndTheApplicationsTables)
{
    RCPtr<LControlFactory> factory(new LControlFactory(WString(u"Other")));
    ASSERT_EQ(
        factory->LoadStringTables(factory->GetApplicationStringsPath(), factory->GetFrameworkStringsPath(), 0x0409),
        S_OK);
    RCPtr<apptest::FakeApp> app(new apptest::FakeApp(factory));
    EXPECT_EQ(apptest::Narrow(LookupAppString(WString(u"TITLE"))), "Test Application");
    EXPECT_TRUE(LookupAppString(WString(u"NO_SUCH_KEY")).IsEmpty());

    // A control constructed now finds its own table (application owner, its name).
    RCPtr<uitest::TestControl> main(new uitest::TestControl(nullptr, u"mainControl", nullptr));
    ASSERT_TRUE(main->GetStringTable());
    EXPECT_EQ(apptest::Narrow(app->LookupString(*main, WString(u"LABEL"))), "Main");
    RCPtr<uitest::TestControl> nobody(new uitest::TestControl(nullptr, u"nobody", nullptr));
    EXPECT_TRUE(app->LookupString(*nobody, WString(u"LABEL")).IsEmpty());
    EXPECT_EQ(app->GetScreenArea().width, 1920);
}
