// The table of the framework's built-in skin classes.
#include "kx/controls/ControlClasses.h"

#include "kx/controls/ComboBox.h"

#include "kx/controls/Button.h"
#include "kx/controls/CheckedComboBox.h"
#include "kx/controls/CheckedListBox.h"
#include "kx/controls/ComboSlider.h"
#include "kx/controls/Knob.h"
#include "kx/controls/Label.h"
#include "kx/controls/MultiColumnListBox.h"
#include "kx/controls/NumericUpDown.h"
#include "kx/controls/Panel.h"
#include "kx/controls/Scrollbar.h"
#include "kx/controls/Slider.h"
#include "kx/controls/TabControl.h"
#include "kx/controls/TextBox.h"

#include "kx/controls/ComboMenu.h"
#include "kx/controls/FileDropper.h"
#include "kx/controls/LevelMeter.h"
#include "kx/controls/MainMenu.h"
#include "kx/controls/MenuListBoxItem.h"
#include "kx/controls/PopupMenu.h"
#include "kx/controls/ProgressBar.h"
#include "kx/controls/Splitter.h"
#include "kx/controls/StatusBar.h"
#include "kx/controls/ToolTip.h"

#include "kx/ui/ControlCreate.h"
#include "kx/ui/FrameworkApp.h"

#include <string_view>

namespace KX {

const std::vector<BuiltInControlClass>& GetBuiltInControlClasses()
{
    static const std::vector<BuiltInControlClass> classes{
        {u"Framework.Button", &CreateControlOfClass<LButton>, false},
        {u"Framework.OverlayButton", &CreateControlOfClass<LListBoxItem>, false},
        {u"Framework.ListBox", &CreateControlOfClass<LListBox>, false},
        {u"Framework.listboxNoScroll", &CreateControlOfClass<LListBox>, false},
        {u"Framework.ListBoxItem", &CreateControlOfClass<LListBoxItem>, false},
        {u"Framework.CheckedListBox", &CreateControlOfClass<LCheckedListBox>, false},
        {u"Framework.CheckedListBoxItem", &CreateControlOfClass<LCheckedListBoxItem>, false},
        {u"Framework.ListBoxWithIcons", &CreateControlOfClass<LCheckedListBox>, false},
        {u"Framework.listbox2ColumnSortable", &CreateControlOfClass<LMultiColumnListBox>, false},
        {u"Framework.ScrollBar", &CreateControlOfClass<LScrollbar>, false},
        {u"Framework.ScrollChannel", &CreateControlOfClass<LPanel>, true},
        {u"Framework.ComboBox", &CreateControlOfClass<LComboBox>, false},
        {u"Framework.ComboTextBox", &CreateControlOfClass<LComboBox>, false},
        {u"Framework.CheckedComboBox", &CreateControlOfClass<LCheckedComboBox>, false},
        {u"Framework.ComboBoxWithIcons", &CreateControlOfClass<LCheckedComboBox>, false},
        {u"Framework.ComboSlider", &CreateControlOfClass<LComboSlider>, false},
        {u"Framework.ComboSlider.DropDownPanel", &CreateControlOfClass<LPanel>, true},
        {u"Framework.Slider", &CreateControlOfClass<LSlider>, false},
        {u"Framework.Knob", &CreateControlOfClass<LKnob>, false},
        {u"Framework.TabControl", &CreateControlOfClass<LTabControl>, true},
        {u"Framework.Label", &CreateControlOfClass<LLabel>, false},
        {u"Framework.TextBox", &CreateControlOfClass<LTextBox>, false},
        {u"Framework.NumericUpDown", &CreateControlOfClass<LNumericUpDown>, false},
        {u"Framework.Panel", &CreateControlOfClass<LPanel>, true},
        {u"Framework.ToolTip", &CreateControlOfClass<LToolTip>, false},
        {u"Framework.PopupMenu", &CreateControlOfClass<LPopupMenu>, false},
        {u"Framework.MenuItem", &CreateControlOfClass<LMenuListBoxItem>, false},
        {u"Framework.ComboMenu", &CreateControlOfClass<LComboMenu>, false},
        {u"Framework.MainMenu", &CreateControlOfClass<LMainMenu>, false},
        {u"Framework.FileDropper", &CreateControlOfClass<LFileDropper>, false},
        {u"Framework.StatusBar", &CreateControlOfClass<LStatusBar>, false},
        {u"Framework.SplitterH", &CreateControlOfClass<LSplitterH>, false},
        {u"Framework.SplitterV", &CreateControlOfClass<LSplitterV>, false},
        {u"Framework.LevelMeter", &CreateControlOfClass<LLevelMeter>, false},
        {u"Framework.ProgressBar", &CreateControlOfClass<LProgressBar>, false},
    };
    return classes;
}

void InstallBuiltInControlClasses()
{
    for (const BuiltInControlClass& c : GetBuiltInControlClasses())
        if (!c.applicationRow)
            SetFrameworkControlCreator(c.name, c.create);
}

ControlCreateFunction FindBuiltInControlCreator(const WString& name)
{
    const std::u16string_view wanted(name.GetString(), static_cast<size_t>(name.GetLength()));
    for (const BuiltInControlClass& c : GetBuiltInControlClasses())
        if (wanted == c.name)
            return c.create;
    return nullptr;
}

} // namespace KX
