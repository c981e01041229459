"""The note-mode sub-editor of an XY-pad axis (edit_notemode.xml): type and scale in the first row of
fields, the eight notes in two rows of four under them, one column each like the row above (the
note's name and octave beside a narrower box)."""
from .grid import COL_W, FIELDS_Y, col, row, span
from .widgets import combo_field, note_field
from .xml import FILL, Control, comment

NOTE_BOX_W = COL_W - 64  # leaves the note's name and octave their room in the column


def sub_editor():
    fields = [combo_field("PresetEditor.Control.LabeledNoteModeTypeSelector", "noteModeType", 0, FIELDS_Y, COL_W, 7,
                          extra=(("TabStop", "1"),)),
              combo_field("PresetEditor.Control.LabeledNoteScaleSelector", "noteScaleType", col(1), FIELDS_Y, span(2),
                          10, extra=(("TabStop", "2"),))]
    for n in range(1, 9):
        r, k = divmod(n - 1, 4)
        note = note_field("PresetEditor.Control.LabeledNoteSelector", f"note{n}", col(k), FIELDS_Y + row(r + 1),
                          COL_W, NOTE_BOX_W)
        note.extra = (("TabStop", str(2 + n)),)
        fields.append(note)
    return Control("PresetEditor.MainControl.EditPanel.XYPadNotes", "noteModePage", 0, 0, 0, 0, "Bare", fields, FILL)


def fragments():
    note = "The note-mode sub-editor of an XY-pad axis (made by tools/skin): type and scale, then the eight notes"
    return {"edit_notemode.xml": comment(28, note) + sub_editor().render(28)}
