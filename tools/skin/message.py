"""The button message sub-editor: a row of tabs, one per kind of message, over a page of fields for
each. One definition placed twice: filling the MIDI page of the pad and push-button panels
(edit_button_message.xml), and at the content's place of the sustain-pedal panel
(edit_sustain_message.xml)."""
from .grid import COL, COL_W, CONTENT, FIELDS_Y, TAB_FONT, TAB_GAP, TAB_H, col, row, span
from .xml import FILL, Control, comment
from .widgets import cc_field, combo_field, latch, note_field, numeric_field, pair

CHANNEL = "PresetEditor.Control.LabeledMidiChannelSelector"
CYCLE = "PresetEditor.Control.LabeledCycleTypeSelector"
CCVALUE = "PresetEditor.Control.LabeledCCValueSelector"
PROGRAM = "PresetEditor.Control.LabeledProgramSelector"
INCDEC = "PresetEditor.Control.LabeledINCDecTypeSelector"
PAD_PAGE = "PresetEditor.Control.PadModes.TabControl.PageHolder."
BUTTON_PAGE = "PresetEditor.Control.ButtonModesControl.TabControl.PageHolder."
MINMAX = (("PresetEditor.Control.LabeledMinSelector", "min", "controlNameSelector"),
          ("PresetEditor.Control.LabeledMaxSelector", "max", "controlNameLabel"))
MSBLSB = (("PresetEditor.Control.LabeledMSBSelector", "msb", "controlNameLabel"),
          ("PresetEditor.Control.LabeledLSBSelector", "lsb", "controlNameLabel"))
ONOFF = (("PresetEditor.Control.LabeledOnSelector", "on", "controlNameLabel"),
         ("PresetEditor.Control.LabeledOffSelector", "off", "controlNameLabel"))
PRESSREL = (("PresetEditor.Control.LabeledPressedSelector", "pressed", "controlNameLabel"),
            ("PresetEditor.Control.LabeledReleasedSelector", "released", "controlNameLabel"))
# Each tab fits its name with the button look's 8-pixel insets; the row fits the content's width.
TABS = (("notePage", 56), ("mmcPage", 52), ("programPage", 80), ("programCyclePage", 120),
        ("programIncDecPage", 132), ("ccAbsolutePage", 100), ("ccCyclePage", 80), ("ccIncDecPage", 88),
        ("nrpnRpnPage", 84), ("otherPage", 60))


def both(cls, name, n, first, second):
    return pair(cls, name, col(n), 0, first, second, COL_W, COL)


def number(cls, name, n, r=0, label_name="controlNameLabel"):
    return numeric_field(cls, name, col(n), row(r), COL_W, label_name)


def pages():
    """(name, class, fields) of each page, in the tabs' order."""
    chan = combo_field(CHANNEL, "midiChannel", 0, 0, COL_W, 10)
    cc = cc_field(col(1), 0, span(2), COL_W)
    return [
        ("notePage", PAD_PAGE + "NotePage",
         [chan, note_field("PresetEditor.Control.LabeledNoteSelector", "note", col(1), 0, span(2), COL_W),
          latch(col(3), 0, COL_W),
          both("PresetEditor.Control.OnOffSelectors", "onOffSelectors", 4, *ONOFF)]),
        ("mmcPage", PAD_PAGE + "MMCPage",
         [chan, combo_field("PresetEditor.Control.LabeledMMCSelector", "mmc", col(1), 0, COL_W, 10)]),
        ("programPage", PAD_PAGE + "ProgramPage",
         [chan, number(PROGRAM, "program", 1),
          both("PresetEditor.Control.MSBLSBSelectors", "msbLSBSelectors", 2, *MSBLSB)]),
        ("programCyclePage", PAD_PAGE + "ProgramCyclePage",
         [chan, combo_field(CYCLE, "cycleType", col(1), 0, COL_W, 3)] +
         [number(PROGRAM, f"program{k + 1}", k, 1) for k in range(4)]),
        ("programIncDecPage", PAD_PAGE + "ProgramIncDecPage",
         [chan, combo_field(INCDEC, "incDecType", col(1), 0, COL_W, 2, "typeNameLable"),
          both("PresetEditor.Control.MinMaxSelectors", "minMaxSelectors", 2, *MINMAX)]),
        ("ccAbsolutePage", BUTTON_PAGE + "CCAbsolutePage",
         [chan, cc, both("PresetEditor.Control.PressedReleasedSelectors", "pressedReleasedSelectors", 3, *PRESSREL)]),
        ("ccCyclePage", PAD_PAGE + "CCCyclePage",
         [chan, cc, combo_field(CYCLE, "cycleType", col(3), 0, COL_W, 3)] +
         [number(CCVALUE, f"ccValue{k + 1}", k, 1) for k in range(4)]),
        ("ccIncDecPage", PAD_PAGE + "CCIncDecPage",
         [chan, cc, combo_field(INCDEC, "incDec", col(3), 0, COL_W, 2, "typeNameLable"),
          both("PresetEditor.Control.MinMaxSelectors", "minMaxSelectors", 4, *MINMAX)]),
        ("nrpnRpnPage", BUTTON_PAGE + "NrpnRpnPage",
         [chan, combo_field("PresetEditor.Control.LabeledNrpnRpnSelector", "NrpnRpn", col(1), 0, COL_W, 4),
          both("PresetEditor.Control.MSBLSBSelectors", "msbLSBSelectors", 2, *MSBLSB), number(CCVALUE, "value", 4)]),
        ("otherPage", BUTTON_PAGE + "OtherPage",
         [chan, combo_field("PresetEditor.Control.LabeledOtherSelector", "type", col(1), 0, span(2), 10, "controlName"),
          number(CCVALUE, "value", 3)]),
    ]


def sub_editor(name, place):
    """The sub-editor as the control name, at place (x, y, w, h, extra attributes)."""
    fill = (0, 0, 0, 0)
    tab_class = "PresetEditor.Control.ButtonModesControl.TabControl"
    x, tabs = 0, []
    for k, (tab, w) in enumerate(TABS):
        tabs.append(Control("Framework.Button", tab, x, 0, w, TAB_H, "Btn", extra=(
            ("TabStop", "1"), ("LayoutOrder", str(k)), ("FontSize", TAB_FONT)), skin="tabButtonSkin"))
        x += w + TAB_GAP
    page_list = [Control(cls, page, *fill, "Bare", fields, (("LayoutOrder", str(k)),) + FILL)
                 for k, (page, cls, fields) in enumerate(pages())]
    across = (("XSizeToControl", "Parent"), ("XSizeRel", "1"))
    holders = [Control(tab_class + ".ButtonHolder", "buttonHolder", 0, 0, 0, TAB_H, "Bare", tabs, across),
               Control(tab_class + ".PageHolder", "pageHolder", 0, FIELDS_Y, 0, -FIELDS_Y, "Bare", page_list, FILL)]
    return Control("PresetEditor.MainControl.EditPanel.ButtonTypePanel", name, *place[:4], "Bare",
                   [Control(tab_class, "tabControl", *fill, "Bare", holders, FILL)], place[4])


def fragments():
    note = ("The button message sub-editor (made by tools/skin): a row of tabs, one per kind of message, over "
            "the page of each")
    return {"edit_button_message.xml": comment(20, note) + sub_editor("midiPage", (0, 0, 0, 0, FILL)).render(20),
            "edit_sustain_message.xml": comment(20, note) +
            sub_editor("buttonTypePanel", CONTENT + ((),)).render(20)}
