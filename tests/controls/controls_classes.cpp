// The built-in class table: its names in registration order and the application's rows.
#include "kx/controls/ControlClasses.h"
#include "kx/ui/FrameworkApp.h"

#include <gtest/gtest.h>

#include <string>

using namespace KX;

TEST(ControlClasses, OneTableInRegistrationOrderHandedToTheFrameworkStartup)
{
    const std::vector<BuiltInControlClass>& table = GetBuiltInControlClasses();
    ASSERT_EQ(table.size(), 35u);
    EXPECT_EQ(std::u16string(table.front().name), u"Framework.Button");
    EXPECT_EQ(std::u16string(table[3].name), u"Framework.listboxNoScroll");
    EXPECT_EQ(std::u16string(table[16].name), u"Framework.ComboSlider.DropDownPanel");
    EXPECT_EQ(std::u16string(table.back().name), u"Framework.ProgressBar");
    // A failed registration reports the class's own line: 93 and 96, then one a line to 130.
    EXPECT_EQ(table[0].line, 93);
    EXPECT_EQ(table[1].line, 96);
    for (size_t i = 2; i < table.size(); ++i)
        EXPECT_EQ(table[i].line, static_cast<int32_t>(96 + i)) << i;
    int applicationRows = 0;
    for (const BuiltInControlClass& c : table)
        applicationRows += c.applicationRow ? 1 : 0;
    EXPECT_EQ(applicationRows, 4);
    EXPECT_EQ(FindBuiltInControlCreator(WString(u"Framework.ListBox")), table[2].create);
    EXPECT_EQ(FindBuiltInControlCreator(WString(u"Framework.ListboxNoScroll")), nullptr) << "names are case-sensitive";

    InstallBuiltInControlClasses();
    EXPECT_EQ(&GetFrameworkControlClasses(), &table);
    SetFrameworkControlClasses(nullptr);
}
