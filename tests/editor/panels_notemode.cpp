// The note-mode sub-editor built from its skin fragment with the editor's strings: the 9-byte value
// both ways, byte exact; hostile count bytes; the caller's bytes kept; which scale a value is shown
// with; what a user's choice of scale, type or note does.
#include "ControlsHarness.h"
#include "SkinTestDocs.h"

#include "editor/EditorClasses.h"
#include "editor/MidiNoteSelector.h"
#include "editor/NoteModeEditPanel.h"

#include "kx/controls/ComboBox.h"
#include "kx/controls/NumericUpDown.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace KX;
using Bytes = std::vector<uint8_t>;

namespace {

using Counter = ctltest::PlainNotificationCounter;

class NoteMode : public ctltest::ControlsTest {
protected:
    std::vector<std::string> Areas() const override
    {
        // The editor's documents with the fragment as a control of its own.
        const std::string area = skintest::WriteHarnessArea(ctltest::ScreenshotFolder() + "notemode_area");
        const std::filesystem::path fragment =
            std::filesystem::path(KX_EDITOR_STRINGS_SOURCE).parent_path().parent_path() / "skins" / "edit_notemode.xml";
        std::string skin = skintest::ReadFile(area + "_skin.xml");
        const size_t at = skin.find('>', skin.find("<Skin Name=\"Default\""));
        skin.insert(at + 1, "\n" + skintest::ReadFile(fragment.string()));
        std::ofstream(area + "_skin.xml") << skin;
        return {area};
    }
    void RegisterClasses(LControlFactory& f) override { RegisterEditorControlClasses(f); }
    int32_t WindowWidth() const override { return 940; }
    int32_t WindowHeight() const override { return 256; }

    void SetUp() override
    {
        ControlsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        sub = CreateAs<LNoteModeEditPanel>(u"noteModePage");
        ASSERT_TRUE(sub);
        ASSERT_EQ(sub->GetNoteFields().GetCount(), 8u);
        counter = RCPtr<Counter>(new Counter());
        counter->RegisterForNotification(RCPtr<LNotificationDistributor>(sub.Get()), NID_PARAMETERS_CHANGED, 0);
    }
    void TearDown() override
    {
        if (counter)
            counter->UnregisterFromAll();
        counter = nullptr;
        sub = nullptr;
        ControlsTest::TearDown();
    }

    static Array<signed char> Value(const Bytes& bytes)
    {
        Array<signed char> v;
        for (uint8_t b : bytes)
            v.AddItem(static_cast<signed char>(b));
        return v;
    }
    Bytes Read()
    {
        const Array<signed char> v = sub->GetNoteModeValue();
        Bytes out;
        for (uint32_t i = 0; i < v.GetCount(); ++i)
            out.push_back(static_cast<uint8_t>(v.ElementAt(i)));
        return out;
    }
    std::vector<int> Notes()
    {
        std::vector<int> out;
        for (uint32_t i = 0; i < 8; ++i)
            out.push_back(static_cast<int>(sub->GetNoteFields().ElementAt(i)->GetValue()));
        return out;
    }
    std::string Label(int note)
    {
        const RCPtr<LControl> child = sub->FindChild(WString::Format(u"note%d", note));
        return skintest::Narrow(child->FindChild(WString(u"controlNameLabel"))->GetText());
    }
    bool Shown(int note) { return sub->FindChild(WString::Format(u"note%d", note))->IsShowing(false); }
    int Scale() { return sub->GetScaleCombo()->GetSelectedIndex(); }

    RCPtr<LNoteModeEditPanel> sub;
    RCPtr<Counter> counter;
};

TEST_F(NoteMode, ValuesShowAndReadBackByteExact)
{
    // The model's default of axis 0: the major scale from 60.
    const Bytes axis0{0x08, 0x3C, 0x48, 0x3E, 0x40, 0x41, 0x43, 0x45, 0x47};
    ASSERT_EQ(sub->SetNoteModeValue(Value(axis0)), S_OK);
    EXPECT_EQ(sub->GetTypeCombo()->GetSelectedIndex(), 6);
    EXPECT_EQ(Notes(), (std::vector<int>{60, 62, 64, 65, 67, 69, 71, 72}));
    EXPECT_EQ(Scale(), 1);
    EXPECT_EQ(Label(1), "KEY");
    EXPECT_EQ(Label(8), "LAST");
    EXPECT_EQ(Read(), axis0);
    Screenshot("notemode_major");

    // Five notes: the last note moves to field 5, the hidden fields keep bytes 6..8. The caller's
    // array is not reordered.
    const Bytes five{0x05, 0x3C, 0x43, 0x3E, 0x40, 0x41, 0x45, 0x47, 0x48};
    const Array<signed char> given = Value(five);
    ASSERT_EQ(sub->SetNoteModeValue(given), S_OK);
    EXPECT_EQ(Notes(), (std::vector<int>{60, 62, 64, 65, 67, 69, 71, 72}));
    EXPECT_FALSE(Shown(6));
    EXPECT_EQ(Label(5), "LAST");
    EXPECT_EQ(Scale(), 1);
    for (uint32_t i = 0; i < 9; ++i)
        EXPECT_EQ(static_cast<uint8_t>(given.ElementAt(i)), five[i]) << i;
    EXPECT_EQ(Read(), five);

    // A range: two notes, the rest written as 0; the hidden fields keep their notes. A note byte
    // of 0x80 or more reads as negative and shows as 0.
    ASSERT_EQ(sub->SetNoteModeValue(Value({0x02, 0x30, 0x90, 1, 2, 3, 4, 5, 6})), S_OK);
    EXPECT_EQ(Notes(), (std::vector<int>{48, 0, 64, 65, 67, 69, 71, 72}));
    EXPECT_EQ(Scale(), 0);
    EXPECT_FALSE(Shown(3));
    EXPECT_EQ(Read(), (Bytes{0x02, 0x30, 0x00, 0, 0, 0, 0, 0, 0}));
}

TEST_F(NoteMode, CountBytesOutsideTwoToEightAndOtherLengthsAreRefused)
{
    const Bytes good{0x04, 0x3C, 0x43, 0x3E, 0x40, 0x41, 0x45, 0x47, 0x48};
    ASSERT_EQ(sub->SetNoteModeValue(Value(good)), S_OK);
    const uint32_t before = counter->count;
    for (uint8_t count : {0x00, 0x01, 0x09, 0x7F, 0x80, 0xFF}) {
        Bytes bad = good;
        bad[0] = count;
        bad[1] = 0x10;
        EXPECT_EQ(sub->SetNoteModeValue(Value(bad)), E_INVALIDARG) << int(count);
    }
    EXPECT_EQ(sub->SetNoteModeValue(Value(Bytes(good.begin(), good.end() - 1))), E_INVALIDARG);
    EXPECT_EQ(Read(), good);
    EXPECT_EQ(counter->count, before);
}

TEST_F(NoteMode, AValueIsShownWithTheScaleItsNotesBuild)
{
    // Item order: Off, Major, Minor, Phrygian, Melodic Minor, Harmonic Minor, Mixolydian, Dorian,
    // Lydian, Locrian, Chromatic; the notes from 60 of each item's scale name that item.
    const std::vector<std::vector<int>> scales{{60, 62, 64, 65, 67, 69, 71, 72}, {60, 62, 63, 65, 67, 68, 70, 72},
                                               {60, 61, 63, 65, 67, 68, 70, 72}, {60, 62, 63, 65, 67, 69, 71, 72},
                                               {60, 62, 63, 65, 67, 68, 71, 72}, {60, 62, 64, 65, 67, 69, 70, 72},
                                               {60, 62, 63, 65, 67, 69, 70, 72}, {60, 62, 64, 66, 67, 69, 71, 72},
                                               {60, 61, 63, 65, 66, 68, 70, 72}, {60, 61, 62, 63, 64, 65, 66, 67}};
    for (size_t k = 0; k < scales.size(); ++k) {
        const std::vector<int>& s = scales[k];
        ASSERT_EQ(sub->SetNoteModeValue(Value({8, uint8_t(s[0]), uint8_t(s[7]), uint8_t(s[1]), uint8_t(s[2]),
                                               uint8_t(s[3]), uint8_t(s[4]), uint8_t(s[5]), uint8_t(s[6])})),
                  S_OK);
        EXPECT_EQ(Scale(), static_cast<int>(k + 1)) << k;
        // And choosing the item fills the same notes from another key.
        sub->GetNoteFields().ElementAt(0)->SetValueAndRead(48);
        for (size_t i = 0; i < 8; ++i)
            EXPECT_EQ(Notes()[i], s[i] - 12) << "item " << k + 1 << " note " << i + 1;
    }
    // Notes clamped at 127 no longer match their scale.
    ASSERT_EQ(sub->SetNoteModeValue(Value({8, 120, 127, 122, 124, 125, 127, 127, 127})), S_OK);
    EXPECT_EQ(Scale(), 0);
    sub->GetScaleCombo()->SetSelectedIndex(1);
    EXPECT_EQ(Notes(), (std::vector<int>{120, 122, 124, 125, 127, 127, 127, 127}));
}

TEST_F(NoteMode, UserChoicesEditTheNotesAndAlwaysReport)
{
    ASSERT_EQ(sub->SetNoteModeValue(Value({0x08, 0x45, 0x51, 0x47, 0x48, 0x4A, 0x4C, 0x4D, 0x4F})), S_OK);
    const int32_t registrations = sub->LNotificationClient::GetRegistrationCount();
    // A new key refills from the selected scale (minor); another note drops the scale to "Off".
    uint32_t before = counter->count;
    sub->GetNoteFields().ElementAt(0)->SetValueAndRead(60);
    EXPECT_EQ(Notes(), (std::vector<int>{60, 62, 63, 65, 67, 68, 70, 72}));
    EXPECT_GT(counter->count, before);
    sub->GetNoteFields().ElementAt(2)->SetValueAndRead(64);
    EXPECT_EQ(Scale(), 0);
    EXPECT_EQ(Label(1), "FIRST");
    EXPECT_EQ(Notes(), (std::vector<int>{60, 62, 64, 65, 67, 68, 70, 72}));
    // Fewer notes keep every value; the last visible one is read as the last note.
    sub->GetTypeCombo()->SetSelectedIndex(2);
    EXPECT_FALSE(Shown(5));
    EXPECT_EQ(Label(4), "LAST");
    EXPECT_EQ(Read(), (Bytes{4, 60, 65, 62, 64, 67, 68, 70, 72}));
    // A scale in range mode changes nothing but still reports.
    sub->GetTypeCombo()->SetSelectedIndex(0);
    before = counter->count;
    sub->GetScaleCombo()->SetSelectedIndex(10);
    EXPECT_EQ(Notes(), (std::vector<int>{60, 62, 64, 65, 67, 68, 70, 72}));
    EXPECT_EQ(Label(1), "FIRST");
    EXPECT_GT(counter->count, before);
    // Filling unregisters and registers again: the registrations do not pile up.
    EXPECT_EQ(sub->LNotificationClient::GetRegistrationCount(), registrations);
}

} // namespace
