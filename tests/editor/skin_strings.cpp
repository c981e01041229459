// The editor's string tables: every key the application reads has an English text under its table,
// the item lists have exactly their items, the menus hold their commands and hot keys, and the
// shipped UTF-16LE document is the one its UTF-8 source makes.
#include "SkinTestDocs.h"

#include "StringDocs.h"

#include "kx/ui/HotKeyTable.h"
#include "kx/ui/KeyCode.h"
#include "kx/ui/StringTable.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

using namespace KX;
using skintest::Narrow;

namespace {

class EditorStrings : public ::testing::Test {
protected:
    void SetUp() override
    {
        factory = skintest::LoadEditorDocuments();
        ASSERT_TRUE(factory);
    }

    // The English text of key in the table of that id; "<absent>" when there is none.
    std::string Text(const std::string& tableId, const std::string& key) const
    {
        const ConstRCPtr<LStringTable> table = factory->GetStringTables().GetTable(WString(tableId.c_str()));
        WString text;
        if (!table || !table->Lookup(WString(key.c_str()), text))
            return "<absent>";
        return Narrow(text);
    }

    RCPtr<LControlFactory> factory;
};

constexpr const char* kApp = "|PresetEditor";

} // namespace

TEST_F(EditorStrings, HoldEveryKeyTheApplicationReads)
{
    const std::vector<std::pair<std::string, std::string>> keys = {
        // Get and send preset, their failures and the slot refusal.
        {kApp, "LABEL_GET_PRESET_SUCEESS_MSGBOX_CAPTION"},
        {kApp, "LABEL_GET_PRESET_SUCEESS_MSGBOX_TEXT"},
        {kApp, "LABEL_GET_PRESET_FAILED_MSGBOX_CAPTION"},
        {kApp, "LABEL_GET_PRESET_FAILED_MIDI_ERROR_MSGBOX_TEXT"},
        {kApp, "LABEL_GET_PRESET_FAILED_FW_COMPATIBILITY_ERROR_MSGBOX_TEXT"},
        {kApp, "LABEL_SEND_PRESET_SUCEESS_MSGBOX_CAPTION"},
        {kApp, "LABEL_SEND_PRESET_SUCEESS_MSGBOX_TEXT"},
        {kApp, "LABEL_SEND_PRESET_FAILED_MSGBOX_CAPTION"},
        {kApp, "LABEL_SEND_PRESET_FAILED_MIDI_ERROR_MSGBOX_TEXT"},
        {kApp, "LABEL_SEND_PRESET_FAILED_FW_COMPATIBILITY_ERROR_MSGBOX_TEXT"},
        {kApp, "LABEL_PRESET_SLOT_NOT_SELECTED_MSGBOX_TEXT"},
        // Global settings, about, the hardware check.
        {kApp, "LABEL_GLOBALSETTINGS_FAILED_MIDI_ERROR_MESSAGEBOX_CAPTION"},
        {kApp, "LABEL_GLOBALSETTINGS_FAILED_MIDI_ERROR_MESSAGEBOX_TEXT"},
        {kApp, "LABEL_GLOBALSETTINGS_NOT_SELECTED_MESSAGEBOX_TEXT"},
        {kApp, "APP_VERSION"},
        {kApp, "EXCEPTION_ID"},
        {"PresetEditor|mainControl", "HARDWARE_CONFIG_ERROR_MESSAGE"},
        {"PresetEditor|mainControl", "HARDWARE_CONFIG_ERROR_TITLE"},
        // Preset files and the user guide.
        {kApp, "LOAD_PRESET_DIALOG_TITLE"},
        {kApp, "SAVE_PRESET_DIALOG_TITLE"},
        {kApp, "CONTROL_PANEL_SETTINGS_FILTER_SEGMENT_1"},
        {kApp, "CONTROL_PANEL_SETTINGS_FILTER_SEGMENT_2"},
        {kApp, "SETTINGS_FILE_LOAD_CAPTION"},
        {kApp, "SETTINGS_FILE_LOAD_OLDER_MESSAGE"},
        {kApp, "SETTINGS_FILE_LOAD_NEWER_MESSAGE"},
        {kApp, "SETTINGS_FILE_LOAD_CORRUPT_MESSAGE"},
        {kApp, "SETTINGS_FILE_LOAD_WRONG_DEVICE_MESSAGE"},
        {kApp, "SETTINGS_FILE_TRANSLATION_FAILURE_MESSAGE"},
        {kApp, "SETTINGS_FILE_SAVE_CAPTION"},
        {kApp, "SETTINGS_FILE_SAVE_FAILED_MESSAGE"},
        {kApp, "USER_GUIDE_FILE_NAME"},
        {kApp, "LABEL_OPEN_USERGUIDE_FILE_FAILED_MSGBOX_CAPTION"},
        {kApp, "LABEL_OPEN_USERGUIDE_FILE_FAILED_MSGBOX_TEXT"},
        // Dialog texts.
        {"PresetEditor.Dialog.RetrievePresetFromHardware|header", "LABEL"},
        {"PresetEditor.Dialog.RetrievePresetFromHardware|getButton", "LABEL"},
        {"PresetEditor.Dialog.SendPresetToHardware|header", "LABEL"},
        {"PresetEditor.Dialog.SendPresetToHardware|send", "LABEL"},
        {"PresetEditor|dialogAbout", "LABEL"},
        {"PresetEditor.GlobalEditorControl|headerLabel", "LABEL"},
        {"PresetEditor.GlobalEditorControl|getGlobalSettingsButton", "LABEL"},
        {"PresetEditor.GlobalEditorControl|sendGlobalSettingsButton", "LABEL"},
        {"PresetEditor.Control.Global.LabeledGlobalChannel|label", "GLOBAL_LABEL"},
        // Controller names at both ends.
        {"PresetEditor.Control.CCSelector|label", "TEXT.000"},
        {"PresetEditor.Control.CCSelector|label", "TEXT.127"},
    };
    for (const auto& [table, key] : keys) {
        const std::string text = Text(table, key);
        EXPECT_NE(text, "<absent>") << table << " lacks " << key;
        EXPECT_FALSE(text.empty()) << table << " " << key << " is empty";
    }
    // Texts whose exact words other code or the user relies on.
    EXPECT_EQ(Text(kApp, "CONTROL_PANEL_SETTINGS_FILTER_SEGMENT_1") + "Lumo25PresetEditor)|*.Lumo25PresetEditor" +
                  Text(kApp, "CONTROL_PANEL_SETTINGS_FILTER_SEGMENT_2"),
              "Control Panel Settings (*.Lumo25PresetEditor)|*.Lumo25PresetEditor|All Files (*.*)|*.*");
    EXPECT_EQ(Text(kApp, "USER_GUIDE_FILE_NAME"), "Lumo 25 Preset Editor - User Guide - v1.0.pdf");
    // The start-up error text is formatted with the error code at its one "%d".
    const std::string startup = Text(kApp, "EXCEPTION_ID");
    EXPECT_NE(startup.find("%d"), std::string::npos);
    EXPECT_EQ(startup.find('%'), startup.rfind('%')) << startup;
    EXPECT_EQ(Text("PresetEditor.Control.CCSelector|label", "TEXT.007"), "Channel Volume");
    EXPECT_EQ(Text("PresetEditor.Control.CCSelector|label", "TEXT.064"), "Sustain Pedal");
    EXPECT_EQ(Text("PresetEditor.Control.CCSelector|label", "TEXT.121"), "Reset All Controllers");
    EXPECT_EQ(Text("PresetEditor.Control.NoteSelector|octaveNameLabel", "ITEM.05"), "(4)");
}

TEST_F(EditorStrings, DialogsAndMenuCommandsShowTheShippedWords)
{
    // Plain misspellings are corrected ("vesion", "Retreive", "Sucess"); the rest is word for word.
    const std::string notCompatible = "Preset file is not compatible with this version of the preset editor";
    const std::vector<std::tuple<std::string, std::string, std::string>> texts = {
        {kApp, "LABEL_GET_PRESET_SUCEESS_MSGBOX_CAPTION", "Retrieve Successful"},
        {kApp, "LABEL_GET_PRESET_SUCEESS_MSGBOX_TEXT", "The preset has been successfully retrieved."},
        {kApp, "LABEL_SEND_PRESET_SUCEESS_MSGBOX_CAPTION", "Send Success"},
        {kApp, "LABEL_SEND_PRESET_SUCEESS_MSGBOX_TEXT", "The preset has been successfully sent to the device"},
        {kApp, "LABEL_GLOBALSETTINGS_FAILED_MIDI_ERROR_MESSAGEBOX_CAPTION", "Global Settings Error"},
        {kApp, "LABEL_GLOBALSETTINGS_FAILED_MIDI_ERROR_MESSAGEBOX_TEXT",
         "Error connecting to device. Verify your Lumo Keyboard is plugged into the USB port and try again."},
        {kApp, "LOAD_PRESET_DIALOG_TITLE", "Select Preset File"},
        {kApp, "SAVE_PRESET_DIALOG_TITLE", "Select Save Location"},
        {kApp, "SETTINGS_FILE_LOAD_CAPTION", "Preset File Load"},
        {kApp, "SETTINGS_FILE_LOAD_OLDER_MESSAGE", notCompatible},
        {kApp, "SETTINGS_FILE_LOAD_NEWER_MESSAGE", "Preset file is not compatible with this version of the editor"},
        {kApp, "SETTINGS_FILE_LOAD_CORRUPT_MESSAGE", notCompatible},
        {kApp, "SETTINGS_FILE_LOAD_WRONG_DEVICE_MESSAGE", notCompatible},
        {kApp, "SETTINGS_FILE_TRANSLATION_FAILURE_MESSAGE", notCompatible},
        {kApp, "LABEL_OPEN_USERGUIDE_FILE_FAILED_MSGBOX_CAPTION", "Open User Guide Error"},
        {kApp, "LABEL_OPEN_USERGUIDE_FILE_FAILED_MSGBOX_TEXT", "The user guide could not be opened."},
        {"PresetEditor.MainControl|mainMenu", "CONTEXT_MENU0.00.NID_MENU_FILE_SEND_PRESET_TO_DEVICE",
         "Send Preset| Send this preset to the controller."},
        {"PresetEditor.MainControl|mainMenu", "CONTEXT_MENU0.01.NID_MENU_FILE_LOAD_PRESET_FROM_DEVICE",
         "Retrieve Preset| Retrieve a preset from the controller."},
        {"PresetEditor.MainControl|mainMenu", "CONTEXT_MENU0.03.NID_MENU_FILE_LOAD_PRESET_FROM_FILE",
         "Load Preset | Load Preset from disk."},
        {"PresetEditor.MainControl|mainMenu", "CONTEXT_MENU0.04.NID_MENU_FILE_SAVE_PRESET_TO_FILE",
         "Save Preset | Save Preset to disk"},
        {"PresetEditor.MainControl|mainMenu", "CONTEXT_MENU0.06.NID_MENU_FILE_GLOBALSETTINGS_REQ", "Global Settings"},
        {"PresetEditor.MainControl|mainMenu", "CONTEXT_MENU1.00.NID_MENU_HELP_OPEN_USER_GUIDE_REQ", "Open User Guide"},
        {"PresetEditor.MainControl|mainMenu", "CONTEXT_MENU1.01.NID_MENU_HELP_ABOUT_REQ",
         "About Lumo 25 Preset Editor|About Lumo 25 Preset Editor"},
    };
    for (const auto& [table, key, text] : texts)
        EXPECT_EQ(Text(table, key), text) << table << " " << key;
}

TEST_F(EditorStrings, ItemListsHoldExactlyTheirItems)
{
    struct List {
        std::string table;
        const char* format;
        int count;
        const char* first;
        const char* last;
    };
    const std::string g = "PresetEditor.Control.Global.";
    const List lists[] = {
        {"PresetEditor.Control.PresetSlotCombobox|comboBox", "ITEM.%02d", 13, "RAM", "Preset 12"},
        {g + "LabeledGlobalChannel|comboBox", "ITEM.%02d", 16, "Channel 1", "Channel 16"},
        {g + "LabeledMackieHUIToggle|comboBox", "ITEM.%02d", 2, "Mackie Control", "HUI"},
        {g + "LabeledKeySensitivity|comboBox", "ITEM.%02d", 7, "C1", "F3"},
        {g + "LabeledPadSensitivity|comboBox", "ITEM.%02d", 10, "C1", "S4"},
        {g + "LabeledControlCurve|comboBox", "ITEM.%02d", 4, "Off", "C3"},
        {g + "LabeledxyPadSensitivity|comboBox", "ITEM.%02d", 10, "F1", "S8"},
        {"PresetEditor.Control.NoteSelector|noteNameLabel", "ITEM.%02d", 12, "C", "B"},
        {"PresetEditor.Control.NoteSelector|octaveNameLabel", "ITEM.%02d", 11, "(-1)", "(9)"},
        {"PresetEditor.Control.ZoneNoteSelector|noteNameLabel", "ITEM.%02d", 12, "C", "B"},
        {"PresetEditor.Control.ZoneNoteSelector|octaveNameLabel", "ITEM.%02d", 11, "(2)", "(12)"},
        {"PresetEditor.Control.CCSelector|label", "TEXT.%03d", 128, "Bank Select", "Poly Mode On"},
        {"PresetEditor.Control.LabeledNoteModeTypeSelector|comboBox", "ITEM.%02d", 7, "Range", "8 Notes"},
        {"PresetEditor.Control.LabeledNoteScaleSelector|comboBox", "ITEM.%02d", 11, "Off", "Chromatic"},
    };
    for (const List& list : lists) {
        char key[16];
        for (int i = 0; i < list.count; ++i) {
            std::snprintf(key, sizeof key, list.format, i);
            EXPECT_NE(Text(list.table, key), "<absent>") << list.table << " lacks " << key;
        }
        // The selectors read their tables by position: one entry more shifts every name.
        const ConstRCPtr<LStringTable> table = factory->GetStringTables().GetTable(WString(list.table.c_str()));
        ASSERT_TRUE(table) << list.table;
        EXPECT_EQ(table->GetCount(), static_cast<uint32_t>(list.count)) << list.table;
        std::snprintf(key, sizeof key, list.format, 0);
        EXPECT_EQ(Text(list.table, key), list.first) << list.table;
        std::snprintf(key, sizeof key, list.format, list.count - 1);
        EXPECT_EQ(Text(list.table, key), list.last) << list.table;
    }
}

TEST_F(EditorStrings, MenusHoldTheirCommandsAndTheHotKeys)
{
    const std::string menu = "PresetEditor.MainControl|mainMenu";
    EXPECT_EQ(Text(menu, "MENU_LABEL.00"), "File");
    EXPECT_EQ(Text(menu, "MENU_LABEL.01"), "Help");
    const char* commands[] = {"CONTEXT_MENU0.00.NID_MENU_FILE_SEND_PRESET_TO_DEVICE",
                              "CONTEXT_MENU0.01.NID_MENU_FILE_LOAD_PRESET_FROM_DEVICE",
                              "CONTEXT_MENU0.03.NID_MENU_FILE_LOAD_PRESET_FROM_FILE",
                              "CONTEXT_MENU0.04.NID_MENU_FILE_SAVE_PRESET_TO_FILE",
                              "CONTEXT_MENU0.06.NID_MENU_FILE_GLOBALSETTINGS_REQ",
                              "CONTEXT_MENU0.08.NID_MENU_FILE_EXIT_REQ",
                              "CONTEXT_MENU1.00.NID_MENU_HELP_OPEN_USER_GUIDE_REQ",
                              "CONTEXT_MENU1.01.NID_MENU_HELP_ABOUT_REQ"};
    for (const char* key : commands)
        EXPECT_NE(Text(menu, key), "<absent>") << key;
    EXPECT_EQ(Text(menu, "CONTEXT_MENU0.08.NID_MENU_FILE_EXIT_REQ"), "Exit|Exit Lumo 25 Preset Editor");
    EXPECT_EQ(Text(kApp, "GHK.NID_MENU_FILE_SAVE_PRESET_TO_FILE"), "Ctrl+VKEY_S");
    EXPECT_EQ(Text(kApp, "GHK.NID_MENU_FILE_SEND_PRESET_TO_DEVICE"), "SHIFT+CTRL+VKEY_S");
    EXPECT_EQ(Text(kApp, "GHK.NID_MENU_FILE_LOAD_PRESET_FROM_DEVICE"), "SHIFT+CTRL+VKEY_R");
    EXPECT_EQ(Text(kApp, "GHK.NID_MENU_FILE_LOAD_PRESET_FROM_FILE"), "Ctrl+VKEY_O");

    // The hot keys as the framework reads them: a text it cannot parse would drop the binding.
    HotKeyTable keys;
    ASSERT_EQ(keys.LoadFromStringTable(factory->GetApplicationStringTable().Get(), WString(u"GHK")), S_OK);
    const std::pair<const char16_t*, const char*> bindings[] = {
        {u"NID_MENU_FILE_SAVE_PRESET_TO_FILE", "Ctrl+S"},
        {u"NID_MENU_FILE_SEND_PRESET_TO_DEVICE", "Ctrl+Shift+S"},
        {u"NID_MENU_FILE_LOAD_PRESET_FROM_DEVICE", "Ctrl+Shift+R"},
        {u"NID_MENU_FILE_LOAD_PRESET_FROM_FILE", "Ctrl+O"}};
    for (const auto& [id, shown] : bindings) {
        ASSERT_TRUE(keys.HasBinding(WString(id))) << Narrow(WString(id));
        EXPECT_EQ(Narrow(KeyCode::ToDisplayText(keys.GetFirstKeyCode(WString(id)))), shown) << Narrow(WString(id));
    }
}

TEST(EditorStringDocument, ShippedFormIsMadeFromItsSource)
{
    // An edit of the UTF-8 source that was not converted again would ship the old texts.
    std::string source = skintest::ReadFile(KX_EDITOR_STRINGS_SOURCE);
    ASSERT_FALSE(source.empty());
    const std::string declared = "encoding=\"UTF-8\"";
    const size_t at = source.find(declared);
    ASSERT_NE(at, std::string::npos);
    source.replace(at, declared.size(), "encoding=\"UTF-16\"");
    EXPECT_TRUE(KXTest::ToUtf16Document(source) == skintest::ReadFile(skintest::ShippedStringsPath()))
        << "run tools/utf16le_document.py on " << KX_EDITOR_STRINGS_SOURCE;
}
