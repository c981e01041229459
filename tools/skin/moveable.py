"""The message editor of a moveable control (encoder, fader, wheel, volume pedal, XY-pad direction):
four tabs over the page of each kind of message, and the edit panels made of it."""
from . import grid
from .grid import COL, COL_W, FIELDS_Y, TAB_FONT, TAB_H, col, span
from .widgets import cc_field, combo_field, pair
from .xml import Control

CHANNEL = "PresetEditor.Control.LabeledMidiChannelSelector"
TABS = "PresetEditor.Control.MovementTypes.TabControl"
PAGE = TABS + ".PageHolder."
TAB_W = 136
TAB_STEP = TAB_W + 4


def both(cls, name, n, first, second):
    return pair(cls, name, col(n), 0, first, second, COL_W, COL)


def pages(w, h):
    chan = combo_field(CHANNEL, "midiChannel", 0, 0, COL_W, 8, "chanLabel")
    cc = cc_field(col(1), 0, span(2), COL_W, "ccLabel")
    min_max = both("PresetEditor.Control.MinMaxSelectors", "minMaxSelectors", 3,
                   ("PresetEditor.Control.LabeledMinSelector", "min", "minLabel"),
                   ("PresetEditor.Control.LabeledMaxSelector", "max", "maxLabel"))
    fields = [
        (PAGE + "CCAbsolutePage", "ccAbsolutePage", [chan, cc, min_max]),
        (PAGE + "CCRelativePage", "ccRelativePage",
         [chan, cc, combo_field("PresetEditor.Control.LabeledRelativeTypeSelector", "relativeType", col(3), 0, COL_W,
                                4, "typeLabel")]),
        (PAGE + "NRPNAbsolutePage", "nrpnRpnPage",
         [chan, combo_field("PresetEditor.Control.LabeledFaderTypeSelector", "NrpnRpnSelector", col(1), 0, COL_W, 4,
                            "typeLabel"),
          both("PresetEditor.Control.MSBLSBSelectors", "msbLSBSelectors", 2,
               ("PresetEditor.Control.LabeledLSBSelector", "lsb", "lsbLabel"),
               ("PresetEditor.Control.LabeledMSBSelector", "msb", "msbLabel"))]),
        ("Framework.Panel", "otherPage",
         [chan, combo_field("PresetEditor.Control.LabeledOtherSelector", "otherType", col(1), 0, span(2), 8,
                            "typeLabel"), min_max]),
    ]
    return [Control(cls, name, 0, 0, w, h, "Bare", kids) for cls, name, kids in fields]


def message_editor(name, w, h, relative=True, x=0, y=0):
    """The tabs and pages in a w x h box; without relative, the wheels' editor (its tab hidden)."""
    tabs, tx = [], 0
    for k, tab in enumerate(("ccAbsolutePage", "ccRelativePage", "nrpnRpnPage", "otherPage")):
        hidden = tab == "ccRelativePage" and not relative
        tabs.append(Control("Framework.Button", tab, tx, 0, TAB_W, TAB_H, "Btn",
                            extra=(("TabStop", str(k + 1)), ("FontSize", TAB_FONT)) +
                            ((("IsVisible", "False"),) if hidden else ())))
        tx += 0 if hidden else TAB_STEP
    holders = [Control(TABS + ".ButtonHolder", "buttonHolder", 0, 0, w, TAB_H, "Bare", tabs),
               Control(TABS + ".PageHolder", "pageHolder", 0, FIELDS_Y, w, h - FIELDS_Y, "Bare",
                       pages(w, h - FIELDS_Y))]
    return Control("PresetEditor.MainControl.EditPanel.MoveableTypePanel", name, x, y, w, h, "Bare",
                   [Control(TABS, "tabControl", 0, 0, w, h, "Bare", holders, (("TabStop", "1"),))],
                   (("TabStop", "1"),))


def panel(cls, name, note, title, banked=False, relative=True):
    """The edit panel of a moveable control: name (and bank), the MIDI header, the message editor."""
    x, y, w, h = grid.CONTENT
    return grid.panel(cls, name, note, [grid.title(title)] + ([grid.bank()] if banked else []) +
                      [grid.midi_header(), message_editor("moveableTypePanel", w, h, relative, x, y)])


def fragments():
    main = "PresetEditor.MainPage."
    return {
        "edit_encoder.xml": panel(main + "KnobEditPanel", "knobEditPanel",
                                  "The encoder edit panel: the encoder and its bank, and the message it sends",
                                  "knobName", banked=True),
        "edit_fader.xml": panel(main + "FaderEditPanel", "faderEditPanel",
                                "The fader edit panel: the fader and its bank, and the message it sends",
                                "faderName", banked=True),
        "edit_wheel.xml": panel("PresetEditor.TabControl.PageHolder.WheelsPage.Wheel", "wheelEditPanel",
                                "The wheel edit panel: one wheel and the message it sends (never a relative "
                                "controller)", "wheelName", relative=False),
        "edit_volume_pedal.xml": panel(main + "VolumeEditPanel", "volumePedalEditPanel",
                                       "The volume pedal edit panel: the message the pedal sends", "controlNameLabel"),
    }
