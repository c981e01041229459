// The whole picture end to end, on a preset retrieved from the keyboard simulator: each of the
// nine kinds of control clicked in the picture opens its edit panel on that control with the value
// the keyboard sent; zone 2 switched on and narrowed in its panel, and the preset renamed, reach the
// engine, the keyboard and the picture; a retrieved preset changes every tile, and a preset file
// saved from it gives a fresh program the same picture.
#include "PictureEndToEnd.h"

#include "editor/ButtonControlEditPanel.h"
#include "editor/ButtonEditPanel.h"
#include "editor/EncoderEditPanel.h"
#include "editor/FaderEditPanel.h"
#include "editor/KeybedZoneEditPanel.h"
#include "editor/KeybedZoneGroupPanel.h"
#include "editor/KeybedZonePanel.h"
#include "editor/MoveableControlEditPanel.h"
#include "editor/NoteModeEditPanel.h"
#include "editor/PedalEditPanels.h"
#include "editor/WheelEditPanel.h"
#include "editor/XYPadEditPanel.h"

#include "engine/ParamRecords.h"

#include "kx/controls/Button.h"
#include "kx/controls/NumericUpDown.h"
#include "kx/controls/TabControl.h"

#include <cstring>

using namespace KX;

namespace {

using e2etest::Picture;
using e2etest::PictureEndToEnd;
using Bytes = std::vector<uint8_t>;

constexpr int kSlot = 3;

std::vector<uint8_t> Unsigned(const Array<signed char>& bytes)
{
    std::vector<uint8_t> out;
    for (uint32_t i = 0; i < bytes.GetCount(); ++i)
        out.push_back(static_cast<uint8_t>(bytes.ElementAt(i)));
    return out;
}

RCPtr<LControl> Page(const RCPtr<LTabControl>& tabs, const char16_t* page)
{
    return tabs ? tabs->GetPageForTab(WString(page)) : RCPtr<LControl>();
}

double ValueOf(const RCPtr<LNumericUpDown>& box)
{
    return box ? box->GetValue() : -1.0;
}

// One control of each kind, with a value of its own that its panel shows and reads back.
struct Control {
    const char* kind;
    int32_t relativeId;
    Bytes value;
    const char16_t* group; // the group in the device view
    uint32_t tile;         // the tile in the group (pedals: 0 volume, 1 sustain)
    const char16_t* panel; // the edit panel in the device view
    // The value the panel's widgets give, and the one field that shows the value best.
    std::function<Bytes(LControl&)> read;
    std::function<double(LControl&)> field;
    double expected;
};

const std::vector<Control>& Controls()
{
    static const std::vector<Control> controls = {
        {"pad",
         IDevice::kPadsOffset + 10,
         // Channel 5, colours 1 2 3 4, a momentary note 42 (on velocity 100).
         {0x05, 0x01, 0x02, 0x03, 0x04, 0x01, 0x13, 0x2A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x64},
         u"pads",
         10,
         u"padEditPanel",
         [](LControl& c) { return Unsigned(dynamic_cast<LPadEditPanel&>(c).AssembleValue()); },
         [](LControl& c) {
             const auto& panel = dynamic_cast<LPadEditPanel&>(c);
             return ValueOf(FindNoteNumericUpDown(
                 Page(panel.GetButtonTypePanel()->GetTabControl(), u"notePage")->FindChild(WString(u"note"))));
         },
         42},
        {"push button",
         IDevice::kPushButtonsOffset + 3,
         // MMC command 12, which the command list does not name ("Other").
         {0x02, 0x04, 0x03, 0x07, 0x05, 0x01, 0x15, 0x00, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x0A, 0x03},
         u"buttons",
         3,
         u"buttonEditPanel",
         [](LControl& c) { return Unsigned(dynamic_cast<LButtonEditPanel&>(c).AssembleValue()); },
         [](LControl& c) {
             const auto& panel = dynamic_cast<LButtonEditPanel&>(c);
             const RCPtr<LComboBox> mmc = FindComboBoxChild(
                 Page(panel.GetButtonTypePanel()->GetTabControl(), u"mmcPage")->FindChild(WString(u"mmc")));
             return mmc ? double(mmc->GetSelectedIndex()) : -1.0;
         },
         12},
        {"encoder",
         IDevice::kEncodersOffset + 2,
         // Channel 7, controller 74 from 10 to 100.
         {0x07, 0x00, 0x4A, 0x00, 0x0A, 0x64},
         u"encoders",
         2,
         u"knobEditPanel",
         [](LControl& c) { return Unsigned(dynamic_cast<LEncoderEditPanel&>(c).GetSubEditor()->GetMoveableMessage()); },
         [](LControl& c) {
             return ValueOf(dynamic_cast<LEncoderEditPanel&>(c).GetSubEditor()->GetNumberBoxes().ElementAt(0));
         },
         74},
        {"fader",
         IDevice::kFadersOffset + 4,
         // Channel 11, controller 7 from 5 to 120.
         {0x0B, 0x00, 0x07, 0x00, 0x05, 0x78},
         u"faders",
         4,
         u"faderEditPanel",
         [](LControl& c) { return Unsigned(dynamic_cast<LFaderEditPanel&>(c).GetSubEditor()->GetMoveableMessage()); },
         [](LControl& c) {
             return ValueOf(dynamic_cast<LFaderEditPanel&>(c).GetSubEditor()->GetMaximumBoxes().ElementAt(0));
         },
         120},
        {"wheel",
         IDevice::kWheelsOffset + 1,
         // The modulation wheel: channel 3, controller 1 from 16 to 112.
         {0x03, 0x00, 0x01, 0x10, 0x70},
         u"wheels",
         1,
         u"wheelEditPanel",
         [](LControl& c) {
             return Unsigned(
                 WheelValue::FromMessage(dynamic_cast<LWheelEditPanel&>(c).GetSubEditor()->GetMoveableMessage()));
         },
         [](LControl& c) {
             return ValueOf(dynamic_cast<LWheelEditPanel&>(c).GetSubEditor()->GetMaximumBoxes().ElementAt(0));
         },
         112},
        {"XY-pad axis",
         IDevice::kTouchPadAxisesOffset + 1,
         // Y: channel 5, controller 85; notes: the range from 48 to 72.
         {0x05, 0x00, 0x55, 0x00, 0x00, 0x7F, 0x02, 0x30, 0x48, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
         u"xyPad",
         1,
         u"xyPadEditPanel",
         [](LControl& c) { return Unsigned(dynamic_cast<LXYPadEditPanel&>(c).BuildValue()); },
         [](LControl& c) {
             return ValueOf(dynamic_cast<LXYPadEditPanel&>(c).GetNoteModePage()->GetNoteFields().ElementAt(0));
         },
         48},
        {"volume pedal",
         IDevice::kPedalsOffset,
         // Channel 2, controller 11 from 16 to 127.
         {0x02, 0x00, 0x0B, 0x00, 0x10, 0x7F},
         u"pedals",
         0,
         u"volumePedalEditPanel",
         [](LControl& c) {
             return Unsigned(dynamic_cast<LVolumePedalEditPanel&>(c).GetSubEditor()->GetMoveableMessage());
         },
         [](LControl& c) {
             return ValueOf(dynamic_cast<LVolumePedalEditPanel&>(c).GetSubEditor()->GetMinimumBoxes().ElementAt(0));
         },
         16},
        {"sustain pedal",
         IDevice::kPedalsOffset + 1,
         // Channel 4, program 42 of bank MSB 1, LSB 3.
         {0x04, 0x01, 0x11, 0x2A, 0x03, 0x01},
         u"pedals",
         1,
         u"sustainEditPage",
         [](LControl& c) {
             return Unsigned(SustainPedalValue::FromButtonMessage(
                 dynamic_cast<LSustainPedalEditPanel&>(c).GetSubEditor()->GetButtonMessage()));
         },
         [](LControl& c) {
             const auto& panel = dynamic_cast<LSustainPedalEditPanel&>(c);
             return ValueOf(FindNumericUpDownChild(
                 Page(panel.GetSubEditor()->GetTabControl(), u"programPage")->FindChild(WString(u"program"))));
         },
         42},
        {"keybed zone",
         IDevice::kKeybedZonesOffset + 2,
         // Zone 3 on channel 9, program 5, keys 3 to 20, an octave up, two semitones down.
         {0x01, 0x09, 0x05, 0x00, 0x00, 0x03, 0x14, 0x06, 0x0A},
         u"keybedZones",
         2,
         u"zoneEditPanel",
         [](LControl& c) { return Unsigned(dynamic_cast<LKeybedZoneEditPanel&>(c).GetKeybedZoneValue()); },
         [](LControl& c) { return ValueOf(dynamic_cast<LKeybedZoneEditPanel&>(c).GetLastKeyBox()); },
         20},
    };
    return controls;
}

// The keyboard's preset: every record differs from the program's defaults where its tile shows it
// (each control on a channel of its own, other zone ranges, another name), and the nine controls
// above carry their own values.
Bytes RetrievedPreset()
{
    Bytes records(kPresetRecordBytes);
    for (int32_t id = 0; id < static_cast<int32_t>(kParamCount); ++id) {
        const ParamKindInfo* row = FindParamKind(id);
        uint8_t* record = records.data() + GetParamRecordOffset(id);
        const int32_t index = id - row->firstRelativeId;
        FillDefaultParamRecord(row->kind, index, record);
        if (row->kind == ParamKind::PresetName) {
            std::memcpy(record, "LUMO\"3", 6);
        } else if (row->kind == ParamKind::KeybedZone) {
            record[KeybedZoneByte::kChannel] = static_cast<uint8_t>(10 + index);
            record[KeybedZoneByte::kFirstKey] = static_cast<uint8_t>(1 + index);
            record[KeybedZoneByte::kLastKey] = static_cast<uint8_t>(20 - index);
        } else {
            record[0] = static_cast<uint8_t>(1 + id % 16);
        }
    }
    for (const Control& control : Controls())
        std::memcpy(records.data() + GetParamRecordOffset(control.relativeId), control.value.data(),
                    control.value.size());
    return records;
}

// The clickable face of a control's tile, and its edit panel.
RCPtr<LControl> FaceOf(Picture& p, const Control& control)
{
    RCPtr<LControl> tile;
    if (const RCPtr<LPedalGroupPanel> pedals = p.ViewChild<LPedalGroupPanel>(control.group))
        tile = control.tile == 0 ? pedals->GetVolumeTile() : pedals->GetSustainTile();
    else if (const RCPtr<LGroupPanelFrame> group = p.ViewChild<LGroupPanelFrame>(control.group))
        tile = group->GetTile(control.tile);
    return tile ? tile->FindChild(WString(u"button")) : RCPtr<LControl>();
}

// Fetches a slot of the keyboard; true once the engine holds the slot's name.
bool Retrieve(Picture& p, kxtest::KeyboardSimulator& keyboard, int slot)
{
    const Bytes records = keyboard.Slot(slot);
    const Bytes name(records.begin(), records.begin() + 6);
    const int32_t nameId = p.view->GetFirstParamID() + IDevice::kPresetNameOffset;
    return p.app.GetMidiManager()->GetPresetFromMidiDevice(slot) == 0 &&
           p.Until([&] { return p.Stored(nameId) == name; });
}

TEST_F(PictureEndToEnd, EachKindOfControlClickedOpensItsEditPanelOnTheValueTheKeyboardSent)
{
    keyboard.SetSlot(kSlot, RetrievedPreset());
    Run([&](Picture& p) {
        ASSERT_TRUE(Retrieve(p, keyboard, kSlot));
        for (const Control& control : Controls()) {
            SCOPED_TRACE(control.kind);
            const int32_t id = p.view->GetFirstParamID() + control.relativeId;
            ASSERT_TRUE(p.Until([&] { return p.Stored(id) == control.value; })) << "the keyboard's value";
            const RCPtr<LControl> face = FaceOf(p, control);
            const RCPtr<LControl> panel = p.view->FindChild(WString(control.panel));
            auto* module = dynamic_cast<LParameterizedModule*>(panel.Get());
            ASSERT_TRUE(face && module);

            p.Click(*face);
            EXPECT_TRUE(p.Until([&] { return panel->IsShowing(false) && module->GetFirstParamID() == id; }))
                << "the panel does not show this control";
            EXPECT_TRUE(p.Until([&] { return control.read(*panel) == p.Stored(id); }))
                << "the panel does not read back the stored value";
            EXPECT_EQ(control.field(*panel), control.expected);
        }
    });
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(PictureEndToEnd, ZoneTwoAndANewNameMadeInTheirPanelsReachTheKeyboardAndThePicture)
{
    Run([&](Picture& p) {
        const int32_t zone2 = p.view->GetFirstParamID() + IDevice::kKeybedZonesOffset + 1;
        const int32_t nameId = p.view->GetFirstParamID() + IDevice::kPresetNameOffset;
        const auto zones = p.ViewChild<LKeybedZoneGroupPanel>(u"keybedZones");
        const auto panel = p.ViewChild<LKeybedZoneEditPanel>(u"zoneEditPanel");
        ASSERT_TRUE(zones && panel);
        const auto tile = RCPtr<LKeybedZonePanel>(dynamic_cast<LKeybedZonePanel*>(zones->GetTile(1).Get()));
        ASSERT_TRUE(tile);
        auto tileText = [&] { return std::string(tile->GetInfoLabel()->GetText().ToNarrow().GetString()); };
        EXPECT_TRUE(p.Until([&] { return tileText() == "First: C (2) | Last C (4)"; })) << tileText();

        // Zone 2 switched on, its first key four steps up and its last five down.
        p.Click(*zones->GetTile(1)->FindChild(WString(u"button")));
        ASSERT_TRUE(p.Until([&] { return panel->IsShowing(false) && panel->GetFirstParamID() == zone2; }));
        ASSERT_TRUE(p.Until([&] { return Unsigned(panel->GetKeybedZoneValue()) == p.Stored(zone2); }));
        p.Click(*panel->GetEnabledToggle());
        ASSERT_TRUE(p.Until([&] { return p.Stored(zone2)[KeybedZoneByte::kEnabled] == 1; }));
        for (int i = 0; i < 4; ++i)
            p.Click(*panel->GetFirstKeyBox()->FindChild(WString(u"buttonUp")));
        for (int i = 0; i < 5; ++i)
            p.Click(*panel->GetLastKeyBox()->FindChild(WString(u"buttonDown")));
        const Bytes zone{0x01, 0x01, 0x00, 0x00, 0x00, 0x04, 0x13, 0x05, 0x0C};
        EXPECT_TRUE(p.Until([&] { return p.Stored(zone2) == zone; })) << "the engine holds the zone";
        EXPECT_TRUE(p.Until([&] { return tileText() == "First: E (2) | Last G (3)"; })) << tileText();

        // The name typed over the old one: upper case, a blank stored as 0x22.
        const auto name = p.ViewChild<LPresetNamePanel>(u"presetNameEditPanel");
        ASSERT_TRUE(name);
        p.Click(*name->GetTextBox());
        p.Key(SDLK_END);
        p.Key(SDLK_HOME, KMOD_LSHIFT);
        p.Type("Zone 2");
        const Bytes named{'Z', 'O', 'N', 'E', 0x22, '2'};
        EXPECT_TRUE(p.Until([&] { return p.Stored(nameId) == named; })) << "the engine holds the name";

        // Sent to the keyboard and fetched back: the records are there and the name shows.
        ASSERT_GE(p.app.GetMidiManager()->SendPresetToMidiDevice(5), 0);
        ASSERT_TRUE(p.Until([&] {
            const Bytes slot = keyboard.Slot(5);
            return Bytes(slot.begin(), slot.begin() + 6) == named;
        }));
        const Bytes slot = keyboard.Slot(5);
        const uint32_t at = GetParamRecordOffset(IDevice::kKeybedZonesOffset + 1);
        EXPECT_EQ(Bytes(slot.begin() + at, slot.begin() + at + zone.size()), zone);
        name->GetTextBox()->SetText(WString(u"OTHER"));
        ASSERT_TRUE(Retrieve(p, keyboard, 5));
        EXPECT_TRUE(p.Until([&] { return name->GetTextBox()->GetText() == WString(u"ZONE 2"); }));
        EXPECT_EQ(tileText(), "First: E (2) | Last G (3)");
    });
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(PictureEndToEnd, ARetrievedPresetChangesEveryTileAndItsFileGivesAFreshProgramTheSamePicture)
{
    keyboard.SetSlot(kSlot, RetrievedPreset());
    const std::string file = tree.Root() + "/all." + LDeviceView::GetPresetFileExtension().ToNarrow().GetString();
    std::map<std::string, std::string> retrieved;
    Run([&](Picture& p) {
        // The sustain pedal's panel is open while the preset comes: it follows too.
        const Control& sustain = Controls()[7];
        const RCPtr<LControl> panel = p.view->FindChild(WString(sustain.panel));
        p.Click(*FaceOf(p, sustain));
        ASSERT_TRUE(p.Until([&] { return panel->IsShowing(false); }));

        const std::map<std::string, std::string> before = p.Texts();
        ASSERT_EQ(before.size(), 83u) << "every control has a tile, the name its box";
        ASSERT_TRUE(Retrieve(p, keyboard, kSlot));
        std::vector<std::string> unchanged;
        EXPECT_TRUE(p.Until([&] {
            const std::map<std::string, std::string> now = p.Texts();
            unchanged.clear();
            for (const auto& [tile, text] : now)
                if (before.at(tile) == text)
                    unchanged.push_back(tile);
            return unchanged.empty();
        })) << "not refreshed: "
            << testing::PrintToString(unchanged);
        retrieved = p.Texts();
        EXPECT_EQ(retrieved["presetName"], "LUMO 3");
        EXPECT_NE(retrieved["keybedZones2"].find("First: Eb (2) | Last Ab (3)"), std::string::npos)
            << retrieved["keybedZones2"];
        const int32_t id = p.view->GetFirstParamID() + sustain.relativeId;
        EXPECT_TRUE(p.Until([&] { return sustain.read(*panel) == sustain.value && p.Stored(id) == sustain.value; }));

        EXPECT_EQ(LPresetManager::Create()->Save(WString(file.c_str())), S_OK);
    });
    ASSERT_FALSE(retrieved.empty());

    Run([&](Picture& p) {
        EXPECT_NE(p.Texts(), retrieved) << "a fresh program starts from its own defaults";
        EXPECT_GE(LPresetManager::Create()->Load(WString(file.c_str())), 0);
        std::map<std::string, std::string> loaded;
        EXPECT_TRUE(p.Until([&] { return (loaded = p.Texts()) == retrieved; }));
        for (const auto& [tile, text] : retrieved)
            EXPECT_EQ(loaded[tile], text) << tile;
    });
    EXPECT_TRUE(boxes.Boxes().empty());
}

} // namespace
