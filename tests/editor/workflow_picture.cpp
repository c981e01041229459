// The picture as a user meets it, through the real program and the keyboard simulator: a zone tile
// shows the keys stored and the key rule's correction reaches the model and the keyboard; an XY
// axis whose note count the note page cannot show is shown in range, corrected and edited as its own; MMC
// "Other" picked before any unlisted command was shown sends 13; a tile whose summary is cut
// shows it whole in a tool tip when the pointer rests on it; a selected tile's ring leaves its texts
// and colour rows as they were, and hover and press change its fill.
#include "ControlsHarness.h"
#include "PictureEndToEnd.h"

#include "editor/ButtonControlEditPanel.h"
#include "editor/ButtonEditPanel.h"
#include "editor/KeybedZoneEditPanel.h"
#include "editor/KeybedZoneGroupPanel.h"
#include "editor/KeybedZonePanel.h"
#include "editor/MoveableControlEditPanel.h"
#include "editor/NoteModeEditPanel.h"
#include "editor/XYPadEditPanel.h"

#include "engine/ParamRecords.h"

#include "kx/controls/ComboBox.h"
#include "kx/controls/ListBox.h"
#include "kx/controls/NumericUpDown.h"
#include "kx/controls/TabControl.h"
#include "kx/controls/ToolTip.h"

#include "platform/gdi/Bitmap.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <tuple>

using namespace KX;

namespace {

using Bytes = std::vector<uint8_t>;
using apptest::NarrowText;
using e2etest::Picture;

constexpr int kSlot = 5;

class PictureWorkflow : public e2etest::PictureEndToEnd {
protected:
    // The keyboard's slot 3 under another name, with bytes of records replaced: (relative id, first
    // byte, bytes).
    void PutInSlot(const std::vector<std::tuple<int32_t, uint32_t, Bytes>>& changes)
    {
        Bytes records = kxtest::KeyboardSimulator::PatternFor(3);
        const Bytes name{'S', 'L', 'O', 'T', 0x22, '5'};
        std::copy(name.begin(), name.end(), records.begin() + GetParamRecordOffset(IDevice::kPresetNameOffset));
        for (const auto& [id, at, bytes] : changes)
            std::copy(bytes.begin(), bytes.end(), records.begin() + GetParamRecordOffset(id) + at);
        keyboard.SetSlot(kSlot, records);
    }
    // Fetches the slot as the Retrieve dialog does; true once the engine holds every record of it.
    bool Retrieve(Picture& p)
    {
        const Bytes records = keyboard.Slot(kSlot);
        if (p.app.GetMidiManager()->GetPresetFromMidiDevice(kSlot) != 0)
            return false;
        return p.Until([&] {
            for (int32_t id = 0; id < static_cast<int32_t>(kParamCount); ++id) {
                const Bytes stored = p.Stored(p.view->GetFirstParamID() + id);
                const auto at = records.begin() + GetParamRecordOffset(id);
                if (stored.empty() || !std::equal(stored.begin(), stored.end(), at))
                    return false;
            }
            return true;
        });
    }
    // The record of relative id in the keyboard's slot.
    Bytes SlotRecord(int slot, int32_t id, size_t length)
    {
        const Bytes records = keyboard.Slot(slot);
        const auto at = records.begin() + GetParamRecordOffset(id);
        return Bytes(at, at + static_cast<std::ptrdiff_t>(length));
    }
};

Uint32 WindowId(Picture& p)
{
    return p.app.GetMainWindow()->GetPlatformWindow().Id();
}

PointT<int32_t> CentreOf(const LControl& c)
{
    const PointT<double> origin = c.GetOriginInRootWindow();
    const PointT<double> size = c.GetSize();
    return {static_cast<int32_t>(origin.x + size.x / 2), static_cast<int32_t>(origin.y + size.y / 2)};
}

// The pointer moved in the focused window.
void MoveTo(Picture& p, PointT<int32_t> at)
{
    p.Activate();
    // Warped too, so that the pointer position the program asks SDL for moves with it.
    SDL_WarpMouseInWindow(p.app.GetMainWindow()->GetPlatformWindow().Handle(), at.x, at.y);
    apptest::PushMouse(WindowId(p), SDL_MOUSEMOTION, at.x, at.y);
    p.app.GetEvents().ProcessPending();
}

// The window's pixel (0xRRGGBB) as the program last painted it.
uint32_t Pixel(Picture& p, PointT<int32_t> at)
{
    return apptest::WindowPixel(p.app.GetMainWindow()->GetPlatformWindow().Handle(), at.x, at.y);
}

// The window as the program last painted it, as <build>/screenshots/<name>.png.
void Publish(Picture& p, const std::string& name)
{
    const std::filesystem::path folder = KX_EDITOR_SCREENSHOTS;
    std::filesystem::create_directories(folder);
    ctltest::SaveWindowPng(p.app.GetMainWindow()->GetPlatformWindow().Handle(), (folder / (name + ".png")).string());
}

RCPtr<LControl> Path(RCPtr<LControl> c, std::initializer_list<const char16_t*> names)
{
    for (const char16_t* name : names)
        c = c ? c->FindChild(WString(name)) : RCPtr<LControl>();
    return c;
}

TEST_F(PictureWorkflow, AZoneTileShowsTheStoredKeysAndTheKeyRuleCorrectionReachesTheKeyboard)
{
    const int32_t zone1 = IDevice::kKeybedZonesOffset;
    // Zone 1 on channel 1 with its keys crossed, zone 2 on keys beyond the keybed.
    PutInSlot({{zone1, 0, {1, 1, 5, 0, 0, 20, 10, 5, 12}}, {zone1 + 1, 0, {1, 2, 5, 0, 0, 127, 127, 5, 12}}});
    Run([&](Picture& p) {
        ASSERT_TRUE(Retrieve(p));
        const auto zones = p.ViewChild<LKeybedZoneGroupPanel>(u"keybedZones");
        const auto panel = p.ViewChild<LKeybedZoneEditPanel>(u"zoneEditPanel");
        ASSERT_TRUE(zones && panel);
        auto tileText = [&](uint32_t i) {
            return NarrowText(dynamic_cast<LKeybedZonePanel&>(*zones->GetTile(i)).GetInfoLabel()->GetText());
        };
        const int32_t id = p.view->GetFirstParamID() + zone1;
        EXPECT_TRUE(p.Until([&] { return tileText(0) == "First: Ab (3) | Last Bb (2)"; }))
            << "the keys as stored, crossed: " << tileText(0);
        EXPECT_TRUE(p.Until([&] { return tileText(1) == "First: G (12) | Last G (12)"; }))
            << "a key beyond the keybed, not clamped: " << tileText(1);

        // The panel shows the zone by its key rule, and the correction goes back to the model.
        ASSERT_TRUE(p.Open(*zones->GetTile(0), *panel, id));
        EXPECT_TRUE(p.Until([&] {
            const Bytes stored = p.Stored(id);
            return stored[KeybedZoneByte::kFirstKey] == 10 && stored[KeybedZoneByte::kLastKey] == 10;
        })) << "the model holds what the panel shows: "
            << ::testing::PrintToString(p.Stored(id));
        EXPECT_EQ(panel->GetFirstKeyBox()->GetValue(), 10.0);
        EXPECT_EQ(panel->GetLastKeyBox()->GetValue(), 10.0);
        EXPECT_TRUE(p.Until([&] { return tileText(0) == "First: Bb (2) | Last Bb (2)"; })) << tileText(0);

        // Sent to the keyboard: the keys it gets are the ones shown.
        ASSERT_GE(p.app.GetMidiManager()->SendPresetToMidiDevice(7), 0);
        EXPECT_TRUE(p.Until([&] { return SlotRecord(7, zone1, KeybedZoneByte::kLength) == p.Stored(id); }));
        EXPECT_EQ(SlotRecord(7, zone1, KeybedZoneByte::kLength)[KeybedZoneByte::kFirstKey], 10);
    });
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(PictureWorkflow, AnAxisWhoseNoteCountThePanelCannotShowIsShownInRangeCorrectedAndEditable)
{
    const int32_t x = IDevice::kTouchPadAxisesOffset;
    // X: four notes from 60; Y: a note count of 9 and notes of its own.
    const Bytes xRecord{2, 0, 16, 0, 0, 127, 4, 60, 72, 64, 67, 0, 0, 0, 0};
    PutInSlot({{x, 0, xRecord}, {x + 1, 0, {3, 0, 17, 0, 0, 127, 9, 40, 41, 42, 43, 44, 45, 46, 47}}});
    Run([&](Picture& p) {
        ASSERT_TRUE(Retrieve(p));
        const auto axes = p.ViewChild<LGroupPanelFrame>(u"xyPad");
        const auto panel = p.ViewChild<LXYPadEditPanel>(u"xyPadEditPanel");
        ASSERT_TRUE(axes && panel);
        const int32_t xId = p.view->GetFirstParamID() + x;
        const int32_t yId = xId + 1;
        LControl& yTile = *axes->GetTile(1);
        // The tile describes the message of the stored value.
        const auto tileShowsStored = [&] {
            const Bytes stored = p.Stored(yId);
            Array<char> message;
            for (size_t i = 0; i < 6 && i < stored.size(); ++i)
                message.AddItem(static_cast<char>(stored[i]));
            const auto label = yTile.FindChild(WString(u"viewPanel"))->FindChild(WString(u"infoLabel"));
            return Picture::InfoOf(yTile) == NarrowText(LMoveableControlViewPanel::Describe(*label, message));
        };
        ASSERT_TRUE(p.Open(*axes->GetTile(0), *panel, xId));
        const RCPtr<LNoteModeEditPanel> notes = panel->GetNoteModePage();
        ASSERT_TRUE(p.Until([&] { return notes->GetNoteFields().ElementAt(0)->GetValue() == 60.0; }));

        // Y shows its own bytes, eight notes, and the model is corrected to what is shown.
        ASSERT_TRUE(p.Open(yTile, *panel, yId));
        const RCPtr<LNumericUpDown> cc = panel->GetMidiPage()->GetNumberBoxes().ElementAt(0);
        EXPECT_TRUE(p.Until([&] { return cc->GetValue() == 17.0; })) << "X's message is shown";
        const Array<signed char> shown = panel->BuildValue();
        EXPECT_TRUE(p.Until([&] { return p.Stored(yId) == Bytes(&shown.ElementAt(0), &shown.ElementAt(0) + 15); }))
            << ::testing::PrintToString(p.Stored(yId));
        EXPECT_EQ(p.Stored(yId)[6], 8);
        EXPECT_EQ(notes->GetNoteFields().ElementAt(0)->GetValue(), 40.0);

        // A typed edit of its MIDI page reaches Y, and the tile follows.
        p.TypeOver(*cc->GetTextBox(), "18");
        p.Key(SDLK_RETURN);
        EXPECT_TRUE(p.Until([&] { return p.Stored(yId)[2] == 18; })) << "the edit was dropped";
        EXPECT_TRUE(p.Until(tileShowsStored));

        // The keyboard's value again, while the panel shows Y: the tile shows what is stored.
        ASSERT_EQ(p.app.GetMidiManager()->GetPresetFromMidiDevice(kSlot), 0);
        EXPECT_TRUE(p.Until([&] { return p.Stored(yId)[2] == 17 && cc->GetValue() == 17.0; }));
        EXPECT_TRUE(p.Until(tileShowsStored)) << Picture::InfoOf(yTile);
        EXPECT_EQ(p.Stored(xId), xRecord);
    });
}

TEST_F(PictureWorkflow, ANoteTypedOffTheChosenScaleTurnsTheScaleOffUntilTheAxisIsShownAgain)
{
    Run([&](Picture& p) {
        const auto axes = p.ViewChild<LGroupPanelFrame>(u"xyPad");
        const auto panel = p.ViewChild<LXYPadEditPanel>(u"xyPadEditPanel");
        ASSERT_TRUE(axes && panel);
        const int32_t xId = p.view->GetFirstParamID() + IDevice::kTouchPadAxisesOffset;
        ASSERT_TRUE(p.Open(*axes->GetTile(0), *panel, xId));
        const RCPtr<LControl> notePage =
            Path(RCPtr<LControl>(panel), {u"viewTabControl", u"buttonHolder", u"noteModePage"});
        ASSERT_TRUE(notePage);
        p.Click(*notePage);
        const RCPtr<LNoteModeEditPanel> notes = panel->GetNoteModePage();
        const RCPtr<LComboBox> scale = FindComboBoxChild(notes->FindChild(WString(u"noteScaleType")));
        ASSERT_TRUE(scale);
        ASSERT_TRUE(p.Until([&] { return scale->IsShowing(false) && notes->GetNoteFields().GetCount() == 8; }));
        const auto type = [&](uint32_t field, const char* digits) {
            p.TypeOver(*notes->GetNoteFields().ElementAt(field)->GetTextBox(), digits);
            p.Key(SDLK_RETURN);
            p.Pause(100);
        };
        const auto shown = [&] {
            std::vector<int> values;
            for (uint32_t i = 0; i < 8; ++i)
                values.push_back(static_cast<int>(notes->GetNoteFields().ElementAt(i)->GetValue()));
            return values;
        };
        // Picked from a list with the keys, as the user does.
        const auto pick = [&](const RCPtr<LComboBox>& combo, int32_t item) {
            p.Click(*combo);
            ASSERT_TRUE(p.Until([&] { return combo->IsDropDownShowing(); }));
            for (int32_t at = combo->GetSelectedIndex(); at < item; ++at)
                p.Key(SDLK_DOWN);
            p.Key(SDLK_RETURN);
            p.Pause(100);
        };
        // Eight notes in D Dorian: the key typed, the scale picked.
        pick(FindComboBoxChild(notes->FindChild(WString(u"noteModeType"))), 6);
        type(0, "62");
        pick(scale, 7);
        ASSERT_TRUE(p.Until([&] { return shown() == std::vector<int>{62, 64, 65, 67, 69, 71, 72, 74}; }))
            << ::testing::PrintToString(shown());
        ASSERT_EQ(scale->GetSelectedIndex(), 7);

        // 66 in place of 65: D Mixolydian's notes, but no scale was chosen for them.
        type(2, "66");
        // Byte 6 counts the notes; first, last, then notes 2 on.
        EXPECT_TRUE(p.Until([&] { return p.Stored(xId)[10] == 66; })) << ::testing::PrintToString(p.Stored(xId));
        EXPECT_EQ(shown(), (std::vector<int>{62, 64, 66, 67, 69, 71, 72, 74}));
        EXPECT_EQ(scale->GetSelectedIndex(), 0) << "the scale is not \"Off\"";
        p.Click(*Path(RCPtr<LControl>(panel), {u"viewTabControl", u"buttonHolder", u"midiPage"}));
        p.Click(*notePage);
        p.Pause(100);
        EXPECT_EQ(scale->GetSelectedIndex(), 0) << "the MIDI page and back";

        // The scale is not stored: a click on the axis' tile shows the scale its notes make; the
        // notes stay as they are.
        Bytes stored = p.Stored(xId);
        const auto showAgain = [&](LControl& other, int32_t expected) {
            p.Click(*other.FindChild(WString(u"button")));
            p.Pause(100);
            p.Click(*axes->GetTile(0)->FindChild(WString(u"button")));
            EXPECT_TRUE(p.Until([&] {
                return panel->GetFirstParamID() == xId && scale->GetSelectedIndex() == expected;
            })) << "the scale shown is item "
                << scale->GetSelectedIndex();
            EXPECT_EQ(p.Stored(xId), stored);
        };
        showAgain(*axes->GetTile(1), 6);
        // Back to Dorian's notes by hand: "Off", until the axis is shown again after a fader.
        type(2, "65");
        EXPECT_EQ(scale->GetSelectedIndex(), 0);
        EXPECT_TRUE(p.Until([&] { return p.Stored(xId)[10] == 65; }));
        stored = p.Stored(xId);
        showAgain(*p.ViewChild<LGroupPanelFrame>(u"faders")->GetTile(0), 7);
    });
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(PictureWorkflow, AnEditOfAPadWithColoursTheListLacksIsKeptAndTheColoursStayAsStored)
{
    // Pad 4 sends program 24 on channel 1; none of its four colours is in the list.
    const Bytes pad4{1, 100, 110, 120, 90, 1, 17, 24, 0, 0, 0, 0, 0, 0};
    PutInSlot({{IDevice::kPadsOffset + 3, 0, pad4}});
    Run([&](Picture& p) {
        ASSERT_TRUE(Retrieve(p));
        const int32_t id = p.pads->GetFirstParamID() + 3;
        const auto open = [&](uint32_t pad) {
            return p.Open(*p.pads->GetTile(pad), *p.padEdit, p.pads->GetFirstParamID() + int32_t(pad));
        };
        ASSERT_TRUE(open(3));
        const RCPtr<LTabControl> tabs = p.padEdit->GetButtonTypePanel()->GetTabControl();
        const RCPtr<LNumericUpDown> box =
            FindNumericUpDownChild(tabs->GetPageForTab(WString(u"programPage"))->FindChild(WString(u"program")));
        ASSERT_TRUE(box);
        ASSERT_TRUE(p.Until([&] { return box->IsShowing(true) && box->GetValue() == 24.0; }));
        const std::string before = Picture::TextOf(p.Pad(3));
        p.TypeOver(*box->GetTextBox(), "25");
        p.Key(SDLK_RETURN);
        Bytes taken = pad4;
        taken[7] = 25;
        EXPECT_TRUE(p.Until([&] { return p.Stored(id) == taken; })) << ::testing::PrintToString(p.Stored(id));
        EXPECT_TRUE(p.Until([&] { return Picture::TextOf(p.Pad(3)) != before; })) << "the tile kept " << before;
        ASSERT_TRUE(open(0));
        ASSERT_TRUE(open(3));
        EXPECT_TRUE(p.Until([&] { return box->GetValue() == 25.0; })) << "the reopened panel shows " << box->GetValue();

        // Pad 2 as the keyboard's memory holds it, made an absolute control change.
        const int32_t pad2 = p.pads->GetFirstParamID() + 1;
        ASSERT_NE(p.Stored(pad2)[5], 0);
        ASSERT_TRUE(open(1));
        p.Click(*Path(tabs, {u"buttonHolder", u"ccAbsolutePage"}));
        EXPECT_TRUE(p.Until([&] { return p.Stored(pad2)[5] == 0; })) << ::testing::PrintToString(p.Stored(pad2));
    });
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(PictureWorkflow, OtherPickedBeforeAnyUnlistedCommandWasShownSendsThirteen)
{
    Run([&](Picture& p) {
        const int32_t id = p.buttons->GetFirstParamID();
        const auto panel = p.ViewChild<LButtonEditPanel>(u"buttonEditPanel");
        ASSERT_TRUE(panel);
        ASSERT_TRUE(p.Open(*p.buttons->GetTile(0), *panel, id));
        const RCPtr<LTabControl> tabs = panel->GetButtonTypePanel()->GetTabControl();
        p.Click(*Path(tabs, {u"buttonHolder", u"mmcPage"}));
        const RCPtr<LComboBox> mmc =
            FindComboBoxChild(tabs->GetPageForTab(WString(u"mmcPage"))->FindChild(WString(u"mmc")));
        ASSERT_TRUE(mmc);
        ASSERT_TRUE(p.Until([&] { return mmc->IsShowing(false); }));
        ASSERT_EQ(mmc->GetItemCount(), 13) << "no MMC message was shown yet: \"Other\" is listed";

        // The list opened with a click, then "Other", its last item, chosen with the keys.
        p.Click(*mmc);
        ASSERT_TRUE(p.Until([&] { return mmc->IsDropDownShowing(); }));
        for (int32_t i = std::max(mmc->GetListBox()->GetCaretIndex(), 0); i < 12; ++i)
            p.Key(SDLK_DOWN);
        p.Key(SDLK_RETURN);
        ASSERT_TRUE(p.Until([&] { return mmc->GetSelectedIndex() == 12; })) << "selected " << mmc->GetSelectedIndex();
        // Type 21 (MMC) with command 13, as the list's "MMC Reset" sends.
        EXPECT_TRUE(p.Until([&] {
            const Bytes stored = p.Stored(id);
            return stored.size() > 8 && stored[6] == 21 && stored[8] == 13;
        })) << "command "
            << int(p.Stored(id)[8]);
    });
}

TEST_F(PictureWorkflow, ACutSummaryShowsItselfWholeInAToolTipWhereThePointerRests)
{
    PutInSlot({});
    Run([&](Picture& p) {
        ASSERT_TRUE(Retrieve(p));
        // Pad 9's summary in words longer than its narrow tile holds, as another language may have them.
        LControl& pad = p.Pad(8);
        const RCPtr<LControl> summary = Path(RCPtr<LControl>(&pad), {u"viewPanel", u"infoLabel"});
        ASSERT_TRUE(p.Until([&] { return summary->GetText() == WString(u"PG\n+/-"); }))
            << NarrowText(summary->GetText());
        summary->SetText(WString(u"PG\nINC/DEC"));
        ASSERT_TRUE(p.Until([&] { return summary->IsTextClipped(); }))
            << "the summary fits: nothing to show (" << NarrowText(summary->GetText()) << ")";

        const PointT<int32_t> at = CentreOf(pad);
        MoveTo(p, {at.x, at.y - 40});
        MoveTo(p, at);
        RCPtr<LControl> tip;
        ASSERT_TRUE(p.Until([&] {
            tip = pad.FindChild(WString(u"toolTip"));
            const auto* shown = dynamic_cast<LToolTip*>(tip.Get());
            return shown && shown->GetTipState() == LToolTip::kShown && tip->IsShowing(false);
        })) << "no tool tip showed";
        EXPECT_EQ(NarrowText(tip->GetText()), NarrowText(summary->GetText()));
        EXPECT_FALSE(tip->IsTextClipped()) << "the tip holds the whole text";

        // Painted in the window below the pointer, in the look of a raised face with a border.
        p.Pause(100);
        const PointT<double> origin = tip->GetOriginInRootWindow();
        const PointT<double> size = tip->GetSize();
        EXPECT_GE(origin.y, at.y) << "below the pointer";
        const RectT<int32_t> client = p.app.GetRootWindows().front()->GetClientRect();
        EXPECT_LE(origin.x + size.x, client.width);
        EXPECT_LE(origin.y + size.y, client.height);
        const PointT<int32_t> corner{static_cast<int32_t>(origin.x), static_cast<int32_t>(origin.y)};
        EXPECT_EQ(Pixel(p, {corner.x + 2, corner.y + 2}), 0x2C3035u) << "the tip's face";
        EXPECT_NE(Pixel(p, corner), 0x2C3035u) << "its border";
        Publish(p, "picture_tool_tip");

        // Moving away hides it.
        MoveTo(p, {at.x, at.y - 200});
        EXPECT_TRUE(p.Until([&] {
            return !pad.FindChild(WString(u"toolTip")) || !pad.FindChild(WString(u"toolTip"))->IsShowing(false);
        }));
    });
}

} // namespace

TEST_F(PictureWorkflow, AnUpwardListOpensOnAllItsItemsAndOtherIsPickedWithTheMouse)
{
    // Push button 1 sends MMC command 12, which the list does not name: "Other" is its last item,
    // chosen while the list was closed.
    PutInSlot({{IDevice::kPushButtonsOffset, 6, {0x15, 0x00, 0x0C}}});
    Run([&](Picture& p) {
        ASSERT_TRUE(Retrieve(p));
        const auto panel = p.ViewChild<LButtonEditPanel>(u"buttonEditPanel");
        ASSERT_TRUE(panel);
        ASSERT_TRUE(p.Open(*p.buttons->GetTile(0), *panel));
        const RCPtr<LTabControl> tabs = panel->GetButtonTypePanel()->GetTabControl();
        const RCPtr<LComboBox> mmc =
            FindComboBoxChild(tabs->GetPageForTab(WString(u"mmcPage"))->FindChild(WString(u"mmc")));
        ASSERT_TRUE(mmc);
        ASSERT_TRUE(p.Until([&] { return mmc->IsShowing(false) && mmc->GetSelectedIndex() == 12; }));
        p.Pause(100);

        p.Click(*mmc);
        ASSERT_TRUE(p.Until([&] { return mmc->IsDropDownShowing(); }));
        p.Pause(100);
        const RCPtr<LListBox> list = mmc->GetListBox();
        const double listBottom = list->GetOriginInRootWindow().y + list->GetSize().y;
        ASSERT_LE(listBottom, mmc->GetOriginInRootWindow().y) << "the list opens upwards";
        ASSERT_GE(list->GetClientRect().height, 13.0 * list->GetRowHeight()) << "room for every item";
        EXPECT_EQ(list->GetFirstShownItem(), 0) << "items scrolled away above empty rows";
        const int32_t row = list->GetRowOfItem(12);
        ASSERT_GE(row, 0);
        const RCPtr<LListBoxItem> other = list->GetRowAt(row);
        EXPECT_LE(other->GetOriginInRootWindow().y + other->GetSize().y, listBottom) << "the last row is cut";
        const PointT<int32_t> at = CentreOf(*other);
        EXPECT_EQ(Pixel(p, {static_cast<int32_t>(other->GetOriginInRootWindow().x) + 4, at.y}), 0x3FA9F5u)
            << "the chosen item is not drawn where it is picked";
        p.ClickAt(at.x, at.y);
        EXPECT_TRUE(p.Until([&] { return mmc->GetSelectedIndex() == 12 && !mmc->IsDropDownShowing(); }))
            << "selected " << mmc->GetSelectedIndex();
    });
}

TEST_F(PictureWorkflow, TheFocusRingShowsOnTheBankButtonFilledWithTheAccent)
{
    Run([&](Picture& p) {
        const RCPtr<LControl> bank1 = Path(p.view, {u"groupBankPanel", u"bank1"});
        ASSERT_TRUE(bank1);
        p.Activate();
        p.view->SetFocus(true);
        ASSERT_TRUE(p.Until([&] { return p.Focused() == bank1; }))
            << "the picture's keys start on "
            << (p.Focused() ? p.Focused()->GetName().ToNarrow().GetString() : "nothing");
        // The ring waits for the keyboard.
        p.Key(SDLK_TAB);
        p.Key(SDLK_TAB, KMOD_LSHIFT);
        p.Pause(60);
        const PointT<double> o = bank1->GetOriginInRootWindow();
        const PointT<int32_t> corner{static_cast<int32_t>(o.x), static_cast<int32_t>(o.y) + 12};
        const uint32_t ring = Pixel(p, corner);
        const uint32_t face = Pixel(p, PointT<int32_t>{corner.x + 6, corner.y});
        EXPECT_EQ(face, 0x3FA9F5u) << "bank 1 is on";
        EXPECT_EQ(ring, 0xE8EAEDu) << "the ring melts into the accent face";
    });
}

TEST_F(PictureWorkflow, AClickOnATileLeavesThePanelsPageTabsWithoutARingUntilAKeyWorksOnThem)
{
    Run([&](Picture& p) {
        const auto wheels = p.ViewChild<LGroupPanelFrame>(u"wheels");
        const RCPtr<LControl> panel = p.view->FindChild(WString(u"wheelEditPanel"));
        ASSERT_TRUE(wheels && wheels->GetTileCount() > 0 && panel);
        const auto inPanel = [&] { return e2etest::Contains(*panel, p.Focused()); };
        // The left edge of the focused control, half-way down.
        const auto edge = [&] {
            const RCPtr<LControl> c = p.Focused();
            const PointT<double> o = c->GetOriginInRootWindow();
            return Pixel(p, {static_cast<int32_t>(o.x), static_cast<int32_t>(o.y + c->GetSize().y / 2)});
        };
        p.Click(*wheels->GetTile(0));
        ASSERT_TRUE(p.Until([&] { return panel->IsShowing(true) && inPanel(); }));
        // Modifiers alone and a hot key work on no control: still no ring.
        p.Key(SDLK_LCTRL, KMOD_LCTRL);
        p.Key(SDLK_LSHIFT, KMOD_LSHIFT);
        p.Key(SDLK_c, KMOD_LCTRL);
        p.Pause(60);
        const RCPtr<LControl> clicked = p.Focused();
        // The ring is the accent, or the primary text colour on a face filled with the accent.
        const uint32_t clickedEdge = edge();
        EXPECT_TRUE(clickedEdge != 0x3FA9F5u && clickedEdge != 0xE8EAEDu)
            << NarrowText(clicked->GetName()) << " wears the ring after a click and Ctrl, Shift, Ctrl+C";
        p.Key(SDLK_TAB);
        ASSERT_TRUE(p.Until([&] { return p.Focused() != clicked && inPanel(); }));
        p.Pause(60);
        const uint32_t ring = edge();
        EXPECT_TRUE(ring == 0x3FA9F5u || ring == 0xE8EAEDu)
            << NarrowText(p.Focused()->GetName()) << " shows no ring after Tab: " << std::hex << ring;
    });
}

TEST_F(PictureWorkflow, APadsColourBoxShowsTheSwatchOfEachColourBesideItsName)
{
    // Pad 1's first colour is red (item 10).
    PutInSlot({{IDevice::kPadsOffset, 1, {10}}});
    Run([&](Picture& p) {
        ASSERT_TRUE(Retrieve(p));
        ASSERT_TRUE(p.Open(*p.pads->GetTile(0), *p.padEdit));
        const RCPtr<LControl> tabs = p.padEdit->FindChild(WString(u"viewTabControl"));
        ASSERT_TRUE(tabs);
        p.Click(*Path(tabs, {u"buttonHolder", u"colorPage"}));
        const RCPtr<LComboBox> color1 = FindComboBoxChild(RCPtr<LTabControl>::DynamicCast(ConstRCPtr<LControl>(tabs))
                                                              ->GetPageForTab(WString(u"colorPage"))
                                                              ->FindChild(WString(u"color1")));
        ASSERT_TRUE(color1);
        ASSERT_TRUE(p.Until([&] { return color1->IsShowing(false) && color1->GetSelectedIndex() == 10; }));
        p.Pause(60);
        // The closed box: a red swatch left of the arrow, clear of the name.
        const PointT<double> box = color1->GetOriginInRootWindow();
        const PointT<double> size = color1->GetSize();
        const int32_t middle = static_cast<int32_t>(box.y + size.y / 2);
        EXPECT_EQ(Pixel(p, {static_cast<int32_t>(box.x + size.x) - 34, middle}), 0xFF0000u) << "no swatch in the box";
        // A colour changed while the page shows: the swatch follows the name.
        PutInSlot({{IDevice::kPadsOffset, 1, {10, 6}}});
        ASSERT_TRUE(Retrieve(p));
        const RCPtr<LComboBox> color2 = FindComboBoxChild(RCPtr<LTabControl>::DynamicCast(ConstRCPtr<LControl>(tabs))
                                                              ->GetPageForTab(WString(u"colorPage"))
                                                              ->FindChild(WString(u"color2")));
        ASSERT_TRUE(color2);
        ASSERT_TRUE(p.Until([&] { return color2->GetSelectedIndex() == 6; }));
        p.Pause(60);
        const PointT<double> box2 = color2->GetOriginInRootWindow();
        EXPECT_EQ(Pixel(p, {static_cast<int32_t>(box2.x + size.x) - 34, middle}),
                  color2->GetListBox()->GetItemSwatches().at(6) & 0xFFFFFFu)
            << "the box still shows the old colour's swatch";
        // Every box that names a colour shows its swatch (the pattern's colour 3 lies outside the list).
        for (const char16_t* name : {u"color3", u"color4"}) {
            const RCPtr<LComboBox> box3 = FindComboBoxChild(RCPtr<LTabControl>::DynamicCast(ConstRCPtr<LControl>(tabs))
                                                                ->GetPageForTab(WString(u"colorPage"))
                                                                ->FindChild(WString(name)));
            ASSERT_TRUE(box3);
            const RCPtr<LListBox> items = box3->GetListBox();
            const int32_t named = box3->GetSelectedIndex();
            if (named < 0)
                continue;
            EXPECT_EQ(NarrowText(items->GetItemText(named)), NarrowText(box3->GetText()));
            const PointT<double> at3 = box3->GetOriginInRootWindow();
            EXPECT_EQ(Pixel(p, {static_cast<int32_t>(at3.x + size.x) - 34, middle}),
                      items->GetItemSwatches().at(static_cast<size_t>(named)) & 0xFFFFFFu)
                << NarrowText(box3->GetText());
        }

        p.Click(*color1);
        ASSERT_TRUE(p.Until([&] { return color1->IsDropDownShowing(); }));
        p.Pause(60);
        Publish(p, "edit_pad_colour_list");
        const RCPtr<LListBox> list = color1->GetListBox();
        for (int32_t item : {2, 6, 13}) { // green, blue, white
            const int32_t row = list->GetRowOfItem(item);
            ASSERT_GE(row, 0) << "item " << item;
            const RCPtr<LListBoxItem> shown = list->GetRowAt(row);
            const PointT<double> at = shown->GetOriginInRootWindow();
            const uint32_t swatch = Pixel(p, {static_cast<int32_t>(at.x + shown->GetSize().x) - 16,
                                              static_cast<int32_t>(at.y + shown->GetSize().y / 2)});
            EXPECT_EQ(swatch, color1->GetListBox()->GetItemSwatches().at(static_cast<size_t>(item)) & 0xFFFFFFu)
                << "item " << item;
            EXPECT_NE(swatch, Pixel(p, {static_cast<int32_t>(at.x) + 4, static_cast<int32_t>(at.y) + 4}))
                << "item " << item << " shows no swatch";
        }
    });
}

TEST_F(PictureWorkflow, APadColourOutsideTheListLeavesItsBoxEmptyNotTheColourBefore)
{
    // Pad 1 with four colours the list has, then a preset whose colours 3 and 4 lie past its end.
    PutInSlot({{IDevice::kPadsOffset, 1, {10, 6, 2, 13}}});
    Run([&](Picture& p) {
        ASSERT_TRUE(Retrieve(p));
        ASSERT_TRUE(p.Open(*p.pads->GetTile(0), *p.padEdit));
        const RCPtr<LControl> tabs = p.padEdit->FindChild(WString(u"viewTabControl"));
        ASSERT_TRUE(tabs);
        p.Click(*Path(tabs, {u"buttonHolder", u"colorPage"}));
        const RCPtr<LControl> page =
            RCPtr<LTabControl>::DynamicCast(ConstRCPtr<LControl>(tabs))->GetPageForTab(WString(u"colorPage"));
        const RCPtr<LComboBox> color3 = FindComboBoxChild(page->FindChild(WString(u"color3")));
        const RCPtr<LComboBox> color4 = FindComboBoxChild(page->FindChild(WString(u"color4")));
        ASSERT_TRUE(color3 && color4);
        ASSERT_TRUE(p.Until([&] { return color3->IsShowing(false) && color4->GetSelectedIndex() == 13; }));
        ASSERT_FALSE(color3->GetText().IsEmpty());
        const int32_t colours = color3->GetItemCount();

        PutInSlot({{IDevice::kPadsOffset, 1, {10, 6, static_cast<uint8_t>(colours), 0x7F}}});
        ASSERT_TRUE(Retrieve(p));
        ASSERT_TRUE(p.Until([&] { return color3->GetSelectedIndex() < 0 && color4->GetSelectedIndex() < 0; }));
        p.Pause(60);
        for (const RCPtr<LComboBox>& box : {color3, color4}) {
            EXPECT_EQ(NarrowText(box->GetText()), "") << "the box names a colour the pad does not have";
            // No swatch either: the face shows where the swatch would be.
            const PointT<double> at = box->GetOriginInRootWindow();
            const int32_t middle = static_cast<int32_t>(at.y + box->GetSize().y / 2);
            EXPECT_EQ(Pixel(p, {static_cast<int32_t>(at.x + box->GetSize().x) - 34, middle}),
                      Pixel(p, {static_cast<int32_t>(at.x) + 6, middle}));
        }
    });
}

TEST_F(PictureWorkflow, ATilesRingLeavesItsTextsAndColourRowsAsTheyWereAndHoverAndPressChangeItsFill)
{
    // Button 1 sends a program cycle: its summary's CYCLE is nearly as wide as the tile.
    PutInSlot({{IDevice::kPushButtonsOffset, 5, {1, 29}}});
    Run([&](Picture& p) {
        ASSERT_TRUE(Retrieve(p));
        const RCPtr<LControl> tiles[] = {p.buttons->GetTile(0), Path(p.view, {u"keybedZones", u"zone1"}),
                                         p.ViewChild<LGroupPanelFrame>(u"encoders")->GetTile(0)};
        ASSERT_TRUE(tiles[0] && tiles[1] && tiles[2]);
        ASSERT_TRUE(p.Until([&] { return Picture::InfoOf(*tiles[0]) == "PG\nCYCLE"; }));
        const auto points = [](const LControl& c) {
            const PointT<double> o = c.GetOriginInRootWindow();
            std::vector<PointT<int32_t>> all;
            for (int32_t y = 0; y < static_cast<int32_t>(c.GetSize().y); ++y)
                for (int32_t x = 0; x < static_cast<int32_t>(c.GetSize().x); ++x)
                    all.push_back({static_cast<int32_t>(o.x) + x, static_cast<int32_t>(o.y) + y});
            return all;
        };
        // What the ring must leave alone: the boxes of the tile's texts and colour indicator, and the
        // colour bar that the zone group draws under a zone's tile.
        const auto kept = [&](LControl& tile) {
            std::vector<PointT<int32_t>> out;
            const std::function<void(LControl&)> walk = [&](LControl& c) {
                for (uint32_t i = 0; i < c.GetChildren().GetCount(); ++i) {
                    LControl& child = *c.GetChildren().GetAt(i, kOrderInsertion);
                    if (child.IsShowing(true) && ((dynamic_cast<LLabel*>(&child) && !child.GetText().IsEmpty()) ||
                                                  child.GetName() == WString(u"color"))) {
                        const auto box = points(child);
                        out.insert(out.end(), box.begin(), box.end());
                    }
                    walk(child);
                }
            };
            walk(tile);
            for (const PointT<int32_t>& at : points(tile))
                if (Pixel(p, at) == 0xEF8A3Cu) // zone 1's colour
                    out.push_back(at);
            return out;
        };
        // The tile's fill: the colour most of its pixels show, and how bright it is.
        const auto fill = [&](const LControl& tile) {
            std::map<uint32_t, int> counts;
            for (const PointT<int32_t>& at : points(tile))
                ++counts[Pixel(p, at)];
            const uint32_t rgb = std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
                                     return a.second < b.second;
                                 })->first;
            return ((rgb >> 16) & 0xFF) + ((rgb >> 8) & 0xFF) + (rgb & 0xFF);
        };
        const PointT<int32_t> away{600, 700};
        const auto selected = [&](LControl& tile) {
            return p.Until([&] { return tile.FindChild(WString(u"button"))->GetNormalizedValue() == 1.0; });
        };
        const auto select = [&](LControl& tile) {
            p.Click(tile);
            return selected(tile);
        };
        const RCPtr<LControl> other = p.pads->GetTile(15);
        for (const RCPtr<LControl>& tile : tiles) {
            const std::string name = NarrowText(tile->GetName());
            // Once selected, the tile shows what its edit panel made of the stored value.
            ASSERT_TRUE(select(*tile) && select(*other)) << name;
            MoveTo(p, away);
            p.Pause(60);
            const std::vector<PointT<int32_t>> texts = kept(*tile);
            ASSERT_GT(texts.size(), 100u) << name;
            std::vector<uint32_t> before;
            for (const PointT<int32_t>& at : texts)
                before.push_back(Pixel(p, at));
            const uint32_t rest = fill(*tile);
            const PointT<int32_t> centre = CentreOf(*tile);
            MoveTo(p, centre);
            p.Pause(60);
            EXPECT_GT(fill(*tile), rest) << name << ": hover leaves the fill as it was";
            apptest::PushMouse(WindowId(p), SDL_MOUSEBUTTONDOWN, centre.x, centre.y);
            p.Pause(60);
            EXPECT_LT(fill(*tile), rest) << name << ": a press leaves the fill as it was";
            apptest::PushMouse(WindowId(p), SDL_MOUSEBUTTONUP, centre.x, centre.y);
            ASSERT_TRUE(selected(*tile)) << name << " is not selected";
            MoveTo(p, away);
            p.Pause(60);
            const std::vector<PointT<int32_t>> all = points(*tile);
            EXPECT_TRUE(std::any_of(all.begin(), all.end(), [&](auto at) { return Pixel(p, at) == 0x3FA9F5u; }))
                << name << " shows no ring";
            size_t covered = 0;
            for (size_t i = 0; i < texts.size(); ++i)
                covered += Pixel(p, texts[i]) != before[i] ? 1 : 0;
            EXPECT_EQ(covered, 0u) << "the ring covers texts or colour rows of " << name;
        }
    });
}
