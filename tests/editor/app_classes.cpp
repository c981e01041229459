// The editor's skin-class table: every name once, and registration with the factory.
#include "editor/EditorClasses.h"

#include "kx/controls/ControlClasses.h"
#include "kx/ui/ControlCreate.h"
#include "kx/ui/ControlFactory.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>

TEST(EditorClasses, TableHoldsEveryNameOnceWithItsPrefix)
{
    const auto& rows = GetEditorControlClasses();
    ASSERT_EQ(rows.size(), 177u);
    std::set<std::u16string> seen;
    for (const EditorControlClass& row : rows) {
        std::u16string name(row.name);
        EXPECT_TRUE(seen.insert(name).second) << "twice: " << std::string(name.begin(), name.end());
        EXPECT_TRUE(name.rfind(u"PresetEditor.", 0) == 0 || name.rfind(u"MainControl.", 0) == 0)
            << std::string(name.begin(), name.end());
    }
    // The two names without the product prefix still belong to the table.
    EXPECT_TRUE(seen.count(u"MainControl.ProductImageSelector"));
    EXPECT_TRUE(seen.count(u"PresetEditor.Control.LabeledNrpnRpnSelector"));
}

TEST(EditorClasses, RegistrationSkipsMissingClassesAndKeepsFrameworkRows)
{
    KX::RCPtr<KX::LControlFactory> factory(new KX::LControlFactory(KX::WString(u"Test")));
    const int32_t registered = RegisterEditorControlClasses(*factory);

    int32_t expected = 0;
    for (const char16_t* name : GetApplicationFrameworkClassNames())
        expected += KX::FindBuiltInControlCreator(KX::WString(name)) != nullptr ? 1 : 0;
    for (const EditorControlClass& row : GetEditorControlClasses()) {
        KX::ControlCreateFunction found = nullptr;
        if (row.create == nullptr) {
            EXPECT_THROW(factory->GetControlCreateFunction(KX::WString(row.name), found), std::exception);
            continue;
        }
        ++expected;
        ASSERT_EQ(factory->GetControlCreateFunction(KX::WString(row.name), found), KX::S_OK);
        EXPECT_EQ(found, row.create);
    }
    EXPECT_EQ(registered, expected);

    KX::ControlCreateFunction panel = nullptr;
    ASSERT_EQ(factory->GetControlCreateFunction(KX::WString(u"Framework.Panel"), panel), KX::S_OK);
    EXPECT_EQ(panel, KX::FindBuiltInControlCreator(KX::WString(u"Framework.Panel")));
    EXPECT_EQ(GetApplicationFrameworkClassNames().size(), 4u);
}
