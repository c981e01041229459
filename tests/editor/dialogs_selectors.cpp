// The note selector's names, the scale builder and the number box with text values, created from
// the test skin.
#include "DialogsFixture.h"

#include "editor/MidiNoteSelector.h"
#include "editor/NumberBoxTextSelector.h"

#include "kx/controls/Label.h"
#include "kx/controls/NumericUpDown.h"

using namespace KX;
using namespace editor;
using dlgtest::Narrow;

namespace {

class Selectors : public dlgtest::DialogsTest {
protected:
    // Sets the box as the user's typing would (clamped to its range), and reads both labels.
    static std::string Show(LMidiNoteSelector& s, double value)
    {
        s.GetNumberBox()->SetValueAndRead(value);
        return Narrow(s.GetNoteLabel()->GetText()) + " " + Narrow(s.GetOctaveLabel()->GetText());
    }
    static std::vector<double> Values(const std::vector<RCPtr<LControl>>& controls)
    {
        std::vector<double> out;
        for (const RCPtr<LControl>& c : controls)
            out.push_back(c->NormalizedToValue(c->GetNormalizedValue()));
        return out;
    }
    std::vector<RCPtr<LControl>> ScaleControls(int count, double root)
    {
        std::vector<RCPtr<LControl>> controls;
        for (int i = 1; i <= count; ++i) {
            const std::u16string name = u"scaleNote" + std::u16string(1, char16_t(u'0' + i));
            RCPtr<LNumericUpDown> box = CreateAs<LNumericUpDown>(name.c_str());
            box->SetValueRange(0, 127, 0);
            box->SetValueAndRead(i == 1 ? root : 0);
            controls.push_back(RCPtr<LControl>(box));
        }
        return controls;
    }
};

TEST_F(Selectors, NoteNamesAndOctavesComeFromTheLabelsTables)
{
    RCPtr<LMidiNoteSelector> s = CreateAs<LMidiNoteSelector>(u"noteSelector");
    ASSERT_TRUE(s);
    // Initialised on note 0.
    EXPECT_EQ(Narrow(s->GetNoteLabel()->GetText()) + " " + Narrow(s->GetOctaveLabel()->GetText()), "C (-1)");
    EXPECT_EQ(Show(*s, 11), "B (-1)");
    EXPECT_EQ(Show(*s, 12), "C (-0)");
    EXPECT_EQ(Show(*s, 60), "C (4)");
    EXPECT_EQ(Show(*s, 127), "G (9)");
    // A fraction is cut toward zero; the box's range holds the value inside 0..127.
    // (A box with one decimal keeps the fraction.)
    s->GetNumberBox()->SetDecimalPlaces(1);
    s->GetNumberBox()->SetValueAndRead(59.7);
    EXPECT_EQ(Narrow(s->GetNoteLabel()->GetText()) + " " + Narrow(s->GetOctaveLabel()->GetText()), "B (3)");
    EXPECT_EQ(Show(*s, 300), "G (9)");
    EXPECT_EQ(Show(*s, -5), "C (-1)");

    // The zone selector writes its octaves from its own table.
    RCPtr<LMidiNoteSelector> zone = CreateAs<LMidiNoteSelector>(u"zoneNoteSelector");
    ASSERT_TRUE(zone);
    EXPECT_EQ(Show(*zone, 0), "C (2)");
    EXPECT_EQ(Show(*zone, 127), "G (12)");
    Screenshot("note_selectors");
}

TEST_F(Selectors, AnIndexPastTheTableLeavesTheLabel)
{
    RCPtr<LMidiNoteSelector> s = CreateAs<LMidiNoteSelector>(u"noteSelector");
    ASSERT_TRUE(s);
    RCPtr<LControl> label(s->GetOctaveLabel());
    label->SetText(WString(u"kept"));
    EXPECT_EQ(s->SetLabelFromStringTable(s->GetOctaveLabel()->GetStringTable(), 11, label), S_OK);
    EXPECT_EQ(Narrow(label->GetText()), "kept");
    EXPECT_EQ(s->SetLabelFromStringTable(s->GetOctaveLabel()->GetStringTable(), 0xFFFFFFFFu, label), S_OK);
    EXPECT_EQ(Narrow(label->GetText()), "kept");
}

TEST_F(Selectors, MissingChildrenAreReportedByName)
{
    EXPECT_EQ(CreationError(u"noteSelectorWithoutOctave"),
              "Runtime Error : Null Pointer : Cannot find child octaveNameLabel : LMidiNoteSelector::Initialize : "
              "UI\\PresetEditorCommon\\MidiNoteSelector : Line 28");
    EXPECT_EQ(CreationError(u"ccSelectorWithoutBox"),
              "Runtime Error : Null Pointer : Cannot find child numericUpDown : LNumberBoxTextSelector::Initialize : "
              "UI\\PresetEditorCommon\\NumberBoxTextSelector : Line 29");
}

TEST_F(Selectors, ScalesFromARoot)
{
    auto list = [](const Array<double>& a) {
        std::vector<double> v;
        for (uint32_t i = 0; i < a.GetCount(); ++i)
            v.push_back(a.ElementAt(i));
        return v;
    };
    EXPECT_EQ(list(BuildScaleNotes(0, 60, 8)), (std::vector<double>{60, 62, 64, 65, 67, 69, 71, 72}));
    EXPECT_EQ(list(BuildScaleNotes(0, 60, 3)), (std::vector<double>{60, 62, 64}));
    EXPECT_EQ(list(BuildScaleNotes(9, 60, 3)), (std::vector<double>{60, 61, 62}));
    // Lydian is type 6 and Dorian type 7, in this order.
    EXPECT_EQ(list(BuildScaleNotes(6, 0, 7)), (std::vector<double>{0, 2, 4, 6, 7, 9, 11}));
    EXPECT_EQ(list(BuildScaleNotes(7, 0, 7)), (std::vector<double>{0, 2, 3, 5, 7, 9, 10}));
    // Past one octave the table repeats twelve up; chromatic over 14 notes is root + i.
    EXPECT_EQ(list(BuildScaleNotes(8, 10, 9)), (std::vector<double>{10, 11, 13, 15, 16, 18, 20, 22, 23}));
    EXPECT_EQ(list(BuildScaleNotes(9, 0, 14)).back(), 13);
    EXPECT_TRUE(list(BuildScaleNotes(10, 60, 8)).empty());
    EXPECT_TRUE(list(BuildScaleNotes(-1, 60, 8)).empty());
    EXPECT_TRUE(list(BuildScaleNotes(0, 60, 0)).empty());
}

TEST_F(Selectors, ApplyingAScaleSetsTheControlsAndClampsAtTheTop)
{
    std::vector<RCPtr<LControl>> controls = ScaleControls(8, 60);
    EXPECT_EQ(ApplyScaleToNoteSelectors(controls, 0), S_OK);
    EXPECT_EQ(Values(controls), (std::vector<double>{60, 62, 64, 65, 67, 69, 71, 72}));

    // An unknown type changes nothing.
    EXPECT_EQ(ApplyScaleToNoteSelectors(controls, 10), S_OK);
    EXPECT_EQ(Values(controls), (std::vector<double>{60, 62, 64, 65, 67, 69, 71, 72}));

    // Above 127 the controls hold their top.
    controls.front()->SetNormalizedValue(controls.front()->ValueToNormalized(120));
    ApplyScaleToNoteSelectors(controls, 9);
    EXPECT_EQ(Values(controls), (std::vector<double>{120, 121, 122, 123, 124, 125, 126, 127}));

    // An empty run, or one without a first control, is left alone.
    EXPECT_EQ(ApplyScaleToNoteSelectors({}, 0), S_OK);
    EXPECT_EQ(ApplyScaleToNoteSelectors({RCPtr<LControl>(), controls[1]}, 0), S_OK);
    EXPECT_EQ(Values({controls[1]}), (std::vector<double>{121}));
}

TEST_F(Selectors, NumberBoxNamesItsValueAndKeepsTheTextOutsideTheTable)
{
    RCPtr<LNumberBoxTextSelector> s = CreateAs<LNumberBoxTextSelector>(u"ccSelector");
    ASSERT_TRUE(s);
    RCPtr<LNumericUpDown> box = s->GetNumberBox();
    // The selector sets no range: the owner's reaches past the table on both sides.
    box->SetValueRange(-10, 200, 0);
    box->SetValueAndRead(0);
    EXPECT_EQ(Narrow(s->GetLabel()->GetText()), "Bank Select");
    box->SetValueAndRead(127);
    EXPECT_EQ(Narrow(s->GetLabel()->GetText()), "Poly Mode On");
    box->SetDecimalPlaces(1);
    box->SetValueAndRead(7.9);
    EXPECT_EQ(Narrow(s->GetLabel()->GetText()), "Channel Volume");
    box->SetValueAndRead(128);
    EXPECT_EQ(Narrow(s->GetLabel()->GetText()), "Channel Volume");
    box->SetValueAndRead(-1);
    EXPECT_EQ(Narrow(s->GetLabel()->GetText()), "Channel Volume");
    box->SetValueAndRead(64);
    EXPECT_EQ(Narrow(s->GetLabel()->GetText()), "Sustain Pedal");
}

} // namespace
