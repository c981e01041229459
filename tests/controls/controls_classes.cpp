// The built-in class table: its names in registration order and the application's rows.
#include "kx/controls/ControlClasses.h"
#include "kx/ui/FrameworkApp.h"

#include <gtest/gtest.h>

#include <string>

using namespace KX;

TEST(ControlClasses, TableMatchesTheFrameworkStartupNamesInOrder)
{
    const std::vector<BuiltInControlClass>& table = GetBuiltInControlClasses();
    const std::vector<FrameworkControlClass>& startup = GetFrameworkControlClasses();
    ASSERT_EQ(table.size(), 35u);
    ASSERT_EQ(table.size(), startup.size());
    for (size_t i = 0; i < table.size(); ++i)
        EXPECT_EQ(std::u16string(table[i].name), std::u16string(startup[i].name)) << i;
    int applicationRows = 0;
    for (const BuiltInControlClass& c : table)
        applicationRows += c.applicationRow ? 1 : 0;
    EXPECT_EQ(applicationRows, 4);
    EXPECT_EQ(FindBuiltInControlCreator(WString(u"Framework.ListBox")), table[2].create);
    EXPECT_EQ(FindBuiltInControlCreator(WString(u"Framework.ListboxNoScroll")), nullptr) << "names are case-sensitive";
}
