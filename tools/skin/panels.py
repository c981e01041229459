"""The edit panels whose pages differ from the moveable controls': pad, push button, sustain pedal, XY
pad and keybed zone, each on the one grid."""
from . import grid
from .grid import BOX_H, COL_W, FIELDS_Y, col, row, span
from .moveable import message_editor
from .widgets import combo_field, note_field, numeric_field
from .xml import Control, include, label

MAIN = "PresetEditor.MainPage."
PAD_COLORS = 14  # rows shown before a colour list scrolls
BUTTON_COLORS = 8


def colors(cls, count, rows, first=()):
    """The colour fields in the first row, in columns; first: fields written before them."""
    return list(first) + [combo_field(cls, f"color{k + 1}", col(k), FIELDS_Y, COL_W, rows, "colorNameLabel",
                                      (("LayoutOrder", str(k)),)) for k in range(count)]


def pad():
    pages = [include("edit_button_message.xml"),
             grid.page(MAIN + "PadEditPanel.ColorPage", "colorPage",
                       colors("PresetEditor.Control.LabeledPadColorSelector", 4, PAD_COLORS))]
    tabs = (("midiPage", "1", "midiPageTabSkin"), ("colorPage", "1", "colorPageTabSkin"))
    return grid.panel(MAIN + "PadEditPanel", "padEditPanel",
                      "The pad edit panel: the pad's name, its pages (the message, the colours)",
                      [grid.title("padName"), grid.side_tabs(MAIN + "PadEditPanel", tabs, pages)])


def push_button():
    selector = "PresetEditor.Control.LabeledButtonColorSelector"
    hid = combo_field(selector, "asciiColor", col(4), FIELDS_Y, COL_W, BUTTON_COLORS, "colorNameLabel",
                      (("LayoutOrder", "4"),))
    keys = [combo_field("PresetEditor.Control.LabeledKeySelector", "key", 0, FIELDS_Y, COL_W, 16),
            combo_field("PresetEditor.Control.LabeledModifierKeySelector", "modifierKey", col(1), FIELDS_Y, span(2),
                        16)]
    pages = [include("edit_button_message.xml"),
             grid.page(MAIN + "ButtonEditPanel.ColorPage", "colorPage", colors(selector, 4, BUTTON_COLORS, [hid])),
             grid.page(MAIN + "ButtonEditPanel.AsciiPage", "asciiPage", keys)]
    tabs = (("midiPage", "1", "midiPageTabSkin"), ("colorPage", "1", "colorPageTabSkin"),
            ("asciiPage", "1", "asciiPageTabSkin"))
    return grid.panel(MAIN + "ButtonEditPanel", "buttonEditPanel",
                      "The push-button edit panel: the button and its bank, its pages (the message, the colours with "
                      "the HID colour, the HID key stroke)",
                      [grid.title("buttonName"), grid.bank(), grid.side_tabs(MAIN + "ButtonEditPanel", tabs, pages)])


def sustain():
    return grid.panel(MAIN + "SustainEditPanel", "sustainEditPage",
                      "The sustain pedal edit panel: the pedal's name and the message it sends",
                      [grid.title("controlNameLabel"), grid.midi_header(), include("edit_sustain_message.xml")])


def xy_pad():
    x, y, w, h = grid.CONTENT
    pages = [message_editor("midiPage", w, h), include("edit_notemode.xml")]
    tabs = (("midiPage", "1", None), ("noteModePage", "2", None))
    return grid.panel(MAIN + "XYPadEditPanel", "xyPadEditPanel",
                      "The XY-pad edit panel: one direction, the message it sends or the notes it plays",
                      [grid.title("axisName"),
                       grid.side_tabs(MAIN + "XYPadEditPanel", tabs, pages, (("TabStop", "1"),))])


def zone():
    x0, y0 = grid.CONTENT[:2]
    fields_y = y0 + FIELDS_Y

    def at(n, r):
        return x0 + col(n), fields_y + row(r)

    number = "PresetEditor.Control.Labeled{}Selector"
    selector = "PresetEditor.Control.LabeledKeyZoneNoteSelector"
    notes = Control("PresetEditor.Control.KeyZoneStartEndNoteSelector", "startEndNoteSelector", *at(0, 1), span(4),
                    grid.FIELD_H, "Bare",
                    [note_field(selector, "startNote", 0, 0, span(2), COL_W, "PresetEditor.Control.ZoneNoteSelector"),
                     note_field(selector, "endNote", col(2), 0, span(2), COL_W,
                                "PresetEditor.Control.ZoneNoteSelector")])
    body = [grid.title("zoneName"),
            # The switch where the other panels have their tab row.
            label("zoneOnOffLabel", x0 + BOX_H + 8, y0 + 6, COL_W, 16),
            Control("Framework.Button", "zoneEnabledToggleButton", x0, y0, BOX_H, BOX_H, "Switch",
                    extra=(("TabStop", "1"),)),
            grid.midi_header(),
            combo_field("PresetEditor.Control.LabeledKeyZoneMidiChannelSelector", "midiChannel", *at(0, 0), COL_W, 10),
            numeric_field(number.format("Program"), "program", *at(1, 0), COL_W),
            Control("PresetEditor.Control.MSBLSBSelectors", "msbLSBSelectors", *at(2, 0), span(2), grid.FIELD_H,
                    "Bare", [numeric_field(number.format("MSB"), "msb", 0, 0, COL_W),
                             numeric_field(number.format("LSB"), "lsb", col(1), 0, COL_W)]),
            notes,
            numeric_field(number.format("Octave"), "octave", *at(0, 2), COL_W),
            numeric_field(number.format("Transpose"), "transpose", *at(1, 2), COL_W)]
    return grid.panel(MAIN + "ZoneEditPanel", "zoneEditPanel",
                      "The keybed-zone edit panel: the zone, its switch, channel, program and bank, keys, octave and "
                      "transposition", body)


def fragments():
    return {"edit_pad_panel.xml": pad(), "edit_button_panel.xml": push_button(),
            "edit_sustain_pedal.xml": sustain(), "edit_xy_pad.xml": xy_pad(), "edit_zone.xml": zone()}
