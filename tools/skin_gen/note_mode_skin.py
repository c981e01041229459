#!/usr/bin/env python3
"""Writes resources/skins/edit_notemode.xml: the note-mode sub-editor ("noteModePage", class
PresetEditor.MainControl.EditPanel.XYPadNotes) with its type and scale selectors and eight note
selectors, sized to fill the control it is placed in. Run from the repository root:
python3 tools/skin_gen/note_mode_skin.py"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from button_message_skin import IND, combo, label, numeric  # noqa: E402

ROW, GAP, COL_W, COL_GAP = 28, 4, 300, 8
LABEL_W = 56
FIELD_X = LABEL_W + 4
FIELD_W = COL_W - FIELD_X


def row_panel(cls, name, x, y, tab, body, d):
    i = IND * d
    return (f'{i}<SubControl Class="{cls}" Name="{name}" XPositionAbs="{x}" YPositionAbs="{y}" XSizeAbs="{COL_W}" '
            f'YSizeAbs="{ROW}" TabStop="{tab}">\n'
            f'{i}  <Skin Name="{name}Skin" LookList="Bare">\n' + body + f'{i}  </Skin>\n{i}</SubControl>\n')


def labeled_combo(cls, name, x, y, tab, items, d):
    body = label("controlNameLabel", 0, 6, LABEL_W, 16, d=d + 2) + combo(FIELD_X, 0, FIELD_W, items, d + 2)
    return row_panel(cls, name, x, y, tab, body, d)


def note(n, x, y, d):
    i = IND * (d + 2)
    step = 148 + 8
    inner = (numeric(0, 0, 148, d + 4) + label("noteNameLabel", step, 6, 32, 16, "Label.Body", d + 4) +
             label("octaveNameLabel", step + 36, 6, FIELD_W - step - 36, 16, "Label.Secondary", d + 4))
    selector = (f'{i}<SubControl Class="PresetEditor.Control.NoteSelector" Name="noteSelector" XPositionAbs="{FIELD_X}" '
                f'YPositionAbs="0" XSizeAbs="{FIELD_W}" YSizeAbs="{ROW}">\n'
                f'{i}  <Skin Name="noteSelectorSkin" LookList="Bare">\n' + inner + f'{i}  </Skin>\n{i}</SubControl>\n')
    body = label("controlNameLabel", 0, 6, LABEL_W, 16, d=d + 2) + selector
    return row_panel("PresetEditor.Control.LabeledNoteSelector", f"note{n}", x, y, 2 + n, body, d)


def document():
    i = IND * 4
    d = 6
    out = ['<!-- The note-mode sub-editor of an XY-pad axis (a fragment of the skin document, made by\n'
           '     tools/skin_gen/note_mode_skin.py): type and scale at the left, the eight notes in two\n'
           '     columns beside them. It fills the control it is placed in; the XY-pad edit panel places it\n'
           '     as its "noteModePage". -->\n']
    out.append(f'{i}<SubControl Class="PresetEditor.MainControl.EditPanel.XYPadNotes" Name="noteModePage" XPositionAbs="0" YPositionAbs="0" XSizeAbs="0" YSizeAbs="0" XSizeToControl="Parent" XSizeRel="1" YSizeToControl="Parent" YSizeRel="1">\n')
    out.append(f'{i}  <Skin Name="noteModePageSkin" LookList="Bare">\n')
    out.append(labeled_combo("PresetEditor.Control.LabeledNoteModeTypeSelector", "noteModeType", 0, 0, 1, 7, d))
    out.append(labeled_combo("PresetEditor.Control.LabeledNoteScaleSelector", "noteScaleType", 0, ROW + GAP, 2, 11, d))
    for n in range(1, 9):
        col = (n - 1) // 4 + 1
        out.append(note(n, col * (COL_W + COL_GAP), ((n - 1) % 4) * (ROW + GAP), d))
    out.append(f'{i}  </Skin>\n{i}</SubControl>\n')
    return "".join(out)


if __name__ == "__main__":
    path = os.path.join("resources", "skins", "edit_notemode.xml")
    with open(path, "w", encoding="utf-8") as f:
        f.write(document())
    print(path)
