// The built-in class names make their classes: every name with a create function builds exactly
// its class through the factory (the application's rows through the same creators), names are
// case-sensitive, and names whose class is missing stay unregistered.
#include "ControlsHarness.h"

#include "kx/controls/Button.h"
#include "kx/controls/CheckedComboBox.h"
#include "kx/controls/CheckedListBox.h"
#include "kx/controls/ComboBox.h"
#include "kx/controls/ComboMenu.h"
#include "kx/controls/ComboSlider.h"
#include "kx/controls/FileDropper.h"
#include "kx/controls/Knob.h"
#include "kx/controls/Label.h"
#include "kx/controls/LevelMeter.h"
#include "kx/controls/ListBox.h"
#include "kx/controls/ListBoxItem.h"
#include "kx/controls/MainMenu.h"
#include "kx/controls/MenuListBoxItem.h"
#include "kx/controls/MultiColumnListBox.h"
#include "kx/controls/NumericUpDown.h"
#include "kx/controls/Panel.h"
#include "kx/controls/PopupMenu.h"
#include "kx/controls/ProgressBar.h"
#include "kx/controls/Scrollbar.h"
#include "kx/controls/Slider.h"
#include "kx/controls/Splitter.h"
#include "kx/controls/StatusBar.h"
#include "kx/controls/TabControl.h"
#include "kx/controls/TextBox.h"
#include "kx/controls/ToolTip.h"

#include <map>
#include <typeindex>

using namespace KX;

namespace {

// The class each name must make; a row is added here when its class exists.
const std::map<std::u16string, std::type_index>& ExpectedClasses()
{
    static const std::map<std::u16string, std::type_index> classes{
        // clang-format off
        {u"Framework.Button", typeid(LButton)},
        {u"Framework.ScrollBar", typeid(LScrollbar)},
        {u"Framework.ScrollChannel", typeid(LPanel)},
        {u"Framework.TabControl", typeid(LTabControl)},
        {u"Framework.Label", typeid(LLabel)},
        {u"Framework.Panel", typeid(LPanel)},
        {u"Framework.ComboBox", typeid(LComboBox)},
        {u"Framework.ComboTextBox", typeid(LComboBox)},
        {u"Framework.PopupMenu", typeid(LPopupMenu)},
        {u"Framework.MenuItem", typeid(LMenuListBoxItem)},
        {u"Framework.ComboMenu", typeid(LComboMenu)},
        {u"Framework.MainMenu", typeid(LMainMenu)},
        {u"Framework.TextBox", typeid(LTextBox)},
        {u"Framework.NumericUpDown", typeid(LNumericUpDown)},
        {u"Framework.ComboSlider", typeid(LComboSlider)},
        {u"Framework.ComboSlider.DropDownPanel", typeid(LPanel)},
        {u"Framework.Slider", typeid(LSlider)},
        {u"Framework.Knob", typeid(LKnob)},
        {u"Framework.ToolTip", typeid(LToolTip)},
        {u"Framework.FileDropper", typeid(LFileDropper)},
        {u"Framework.StatusBar", typeid(LStatusBar)},
        {u"Framework.SplitterH", typeid(LSplitterH)},
        {u"Framework.SplitterV", typeid(LSplitterV)},
        {u"Framework.LevelMeter", typeid(LLevelMeter)},
        {u"Framework.ProgressBar", typeid(LProgressBar)},
        {u"Framework.OverlayButton", typeid(LListBoxItem)},
        {u"Framework.ListBox", typeid(LListBox)},
        {u"Framework.listboxNoScroll", typeid(LListBox)},
        {u"Framework.ListBoxItem", typeid(LListBoxItem)},
        {u"Framework.CheckedListBox", typeid(LCheckedListBox)},
        {u"Framework.CheckedListBoxItem", typeid(LCheckedListBoxItem)},
        {u"Framework.ListBoxWithIcons", typeid(LCheckedListBox)},
        {u"Framework.CheckedComboBox", typeid(LCheckedComboBox)},
        {u"Framework.ComboBoxWithIcons", typeid(LCheckedComboBox)},
        {u"Framework.listbox2ColumnSortable", typeid(LMultiColumnListBox)},
        // clang-format on
    };
    return classes;
}

std::string Narrow(const std::u16string& s)
{
    return WString(s.c_str()).ToNarrow().GetString();
}

class ControlsRegistration : public ctltest::ControlsTest {
protected:
    // A skin of one control per name ("reg0", "reg1", ...), read after the area's documents.
    void LoadRegistrySkin(const std::vector<std::u16string>& names)
    {
        std::string body;
        for (size_t i = 0; i < names.size(); ++i)
            body += "<SubControl Class=\"" + Narrow(names[i]) + "\" Name=\"reg" + std::to_string(i) +
                    "\" XSizeAbs=\"60\" YSizeAbs=\"20\"/>";
        const std::string document = "<Root><Application Name=\"ControlsTest\"><Skins><Skin Name=\"Registry\">" + body +
                                     "</Skin></Skins></Application></Root>";
        ASSERT_EQ(factory->ParseXMLBuffer(document.data(), document.size()), S_OK)
            << factory->GetLastXMLErrorText().ToNarrow().GetString();
    }
};

} // namespace

TEST_F(ControlsRegistration, EveryNameWithACreatorMakesExactlyItsClass)
{
    std::vector<std::u16string> names;
    for (const BuiltInControlClass& c : GetBuiltInControlClasses())
        names.push_back(c.name);
    LoadRegistrySkin(names);
    for (size_t i = 0; i < names.size(); ++i) {
        const std::u16string reg = u"reg" + std::u16string(WString(std::to_string(i).c_str()).GetString());
        const ControlCreateFunction create = FindBuiltInControlCreator(WString(names[i].c_str()));
        if (!create) {
            ControlCreateFunction none = nullptr;
            EXPECT_THROW(factory->GetControlCreateFunction(WString(names[i].c_str()), none), std::exception)
                << Narrow(names[i]) << " has no class yet and must stay unregistered";
            continue;
        }
        const auto expected = ExpectedClasses().find(names[i]);
        ASSERT_NE(expected, ExpectedClasses().end()) << Narrow(names[i]) << " makes a class this test does not know";
        const RCPtr<LControl> made = Create(reg.c_str());
        ASSERT_TRUE(made) << Narrow(names[i]);
        EXPECT_EQ(std::type_index(typeid(*made)), expected->second) << Narrow(names[i]);
        EXPECT_TRUE(made->IsBuilt()) << Narrow(names[i]);
        made->SetParent(nullptr);
    }
}

TEST_F(ControlsRegistration, NamesAreCaseSensitiveAndApplicationRowsAreNotInstalledByTheFramework)
{
    EXPECT_NE(FindBuiltInControlCreator(WString(u"Framework.Panel")), nullptr);
    EXPECT_EQ(FindBuiltInControlCreator(WString(u"Framework.panel")), nullptr);
    EXPECT_EQ(FindBuiltInControlCreator(WString(u"Framework.ListboxNoScroll")), nullptr);
    LoadRegistrySkin({u"Framework.button"});
    EXPECT_THROW(Create(u"reg0"), std::exception) << "a capital letter in the wrong place names no class";

    // The framework's start-up table flags the application's four rows, which it leaves alone.
    InstallBuiltInControlClasses();
    for (const FrameworkControlClass& c : GetFrameworkControlClasses()) {
        const std::u16string name(c.name);
        const bool application = name == u"Framework.ScrollChannel" || name == u"Framework.ComboSlider.DropDownPanel" ||
                                 name == u"Framework.Panel" || name == u"Framework.TabControl";
        EXPECT_EQ(c.applicationRow, application) << Narrow(name);
        EXPECT_EQ(c.create, FindBuiltInControlCreator(WString(c.name))) << Narrow(name);
    }
    SetFrameworkControlClasses(nullptr);
}
