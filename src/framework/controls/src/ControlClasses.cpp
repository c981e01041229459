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
        {u"Framework.Button", &CreateControlOfClass<LButton>, 93, false},
        {u"Framework.OverlayButton", &CreateControlOfClass<LListBoxItem>, 96, false},
        {u"Framework.ListBox", &CreateControlOfClass<LListBox>, 98, false},
        {u"Framework.listboxNoScroll", &CreateControlOfClass<LListBox>, 99, false},
        {u"Framework.ListBoxItem", &CreateControlOfClass<LListBoxItem>, 100, false},
        {u"Framework.CheckedListBox", &CreateControlOfClass<LCheckedListBox>, 101, false},
        {u"Framework.CheckedListBoxItem", &CreateControlOfClass<LCheckedListBoxItem>, 102, false},
        {u"Framework.ListBoxWithIcons", &CreateControlOfClass<LCheckedListBox>, 103, false},
        {u"Framework.listbox2ColumnSortable", &CreateControlOfClass<LMultiColumnListBox>, 104, false},
        {u"Framework.ScrollBar", &CreateControlOfClass<LScrollbar>, 105, false},
        {u"Framework.ScrollChannel", &CreateControlOfClass<LPanel>, 106, true},
        {u"Framework.ComboBox", &CreateControlOfClass<LComboBox>, 107, false},
        {u"Framework.ComboTextBox", &CreateControlOfClass<LComboBox>, 108, false},
        {u"Framework.CheckedComboBox", &CreateControlOfClass<LCheckedComboBox>, 109, false},
        {u"Framework.ComboBoxWithIcons", &CreateControlOfClass<LCheckedComboBox>, 110, false},
        {u"Framework.ComboSlider", &CreateControlOfClass<LComboSlider>, 111, false},
        {u"Framework.ComboSlider.DropDownPanel", &CreateControlOfClass<LPanel>, 112, true},
        {u"Framework.Slider", &CreateControlOfClass<LSlider>, 113, false},
        {u"Framework.Knob", &CreateControlOfClass<LKnob>, 114, false},
        {u"Framework.TabControl", &CreateControlOfClass<LTabControl>, 115, true},
        {u"Framework.Label", &CreateControlOfClass<LLabel>, 116, false},
        {u"Framework.TextBox", &CreateControlOfClass<LTextBox>, 117, false},
        {u"Framework.NumericUpDown", &CreateControlOfClass<LNumericUpDown>, 118, false},
        {u"Framework.Panel", &CreateControlOfClass<LPanel>, 119, true},
        {u"Framework.ToolTip", &CreateControlOfClass<LToolTip>, 120, false},
        {u"Framework.PopupMenu", &CreateControlOfClass<LPopupMenu>, 121, false},
        {u"Framework.MenuItem", &CreateControlOfClass<LMenuListBoxItem>, 122, false},
        {u"Framework.ComboMenu", &CreateControlOfClass<LComboMenu>, 123, false},
        {u"Framework.MainMenu", &CreateControlOfClass<LMainMenu>, 124, false},
        {u"Framework.FileDropper", &CreateControlOfClass<LFileDropper>, 125, false},
        {u"Framework.StatusBar", &CreateControlOfClass<LStatusBar>, 126, false},
        {u"Framework.SplitterH", &CreateControlOfClass<LSplitterH>, 127, false},
        {u"Framework.SplitterV", &CreateControlOfClass<LSplitterV>, 128, false},
        {u"Framework.LevelMeter", &CreateControlOfClass<LLevelMeter>, 129, false},
        {u"Framework.ProgressBar", &CreateControlOfClass<LProgressBar>, 130, false},
    };
    return classes;
}

void InstallBuiltInControlClasses()
{
    SetFrameworkControlClasses(&GetBuiltInControlClasses());
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
