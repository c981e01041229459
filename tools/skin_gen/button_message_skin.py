#!/usr/bin/env python3
"""Writes resources/skins/edit_button_message.xml: the button message sub-editor ("midiPage", class
PresetEditor.MainControl.EditPanel.ButtonTypePanel) with its tab control and ten pages, sized to fill
the control it is placed in. Run from the repository root: python3 tools/skin_gen/button_message_skin.py"""
import os

IND = "  "
NF = '<CreateParamList>\n{i}  <CreateParam ID="NOT_FOCUSABLE" Type="Boolean">True</CreateParam>\n{i}</CreateParamList>'
W, H, GAP = 148, 48, 8
STEP = W + GAP


def label(name, x, y, w, h, look="Label.FieldName", d=0):
    i = IND * d
    return (f'{i}<SubControl Class="Framework.Label" Name="{name}" XPositionAbs="{x}" YPositionAbs="{y}" '
            f'XSizeAbs="{w}" YSizeAbs="{h}" FontSize="8.25">\n{i}  ' + NF.format(i=i + "  ") +
            f'\n{i}  <Skin Name="{name}Skin" LookList="{look}"/>\n{i}</SubControl>\n')


def numeric(x, y, w, d):
    i = IND * d
    tb = w - 24
    return (f'{i}<SubControl Class="Framework.NumericUpDown" Name="numericUpDown" XPositionAbs="{x}" YPositionAbs="{y}" '
            f'XSizeAbs="{w}" YSizeAbs="28" TabStop="1">\n'
            f'{i}  <Skin Name="numericUpDownSkin" LookList="Bare">\n'
            f'{i}    <SubControl Class="Framework.TextBox" Name="textBox" XPositionAbs="0" YPositionAbs="0" XSizeAbs="{tb}" YSizeAbs="28" TabStop="1">\n'
            f'{i}      <Skin Name="textBoxSkin" LookList="TextField"/>\n'
            f'{i}    </SubControl>\n'
            f'{i}    <SubControl Class="Framework.Button" Name="buttonUp" XPositionAbs="{tb}" YPositionAbs="0" XSizeAbs="24" YSizeAbs="14" TabStop="2">\n'
            f'{i}      ' + NF.format(i=i + "      ") + '\n'
            f'{i}      <Skin Name="buttonUpSkin" LookList="Step.Up"/>\n'
            f'{i}    </SubControl>\n'
            f'{i}    <SubControl Class="Framework.Button" Name="buttonDown" XPositionAbs="{tb}" YPositionAbs="14" XSizeAbs="24" YSizeAbs="14" TabStop="3">\n'
            f'{i}      ' + NF.format(i=i + "      ") + '\n'
            f'{i}      <Skin Name="buttonDownSkin" LookList="Step.Down"/>\n'
            f'{i}    </SubControl>\n'
            + hidden_slider(tb, d + 2) +
            f'{i}  </Skin>\n{i}</SubControl>\n')


def hidden_slider(w, d):
    """The hidden slider a number box carries (unused by the box), its two track markers sharing one
    look list."""
    i = IND * d
    out = (f'{i}<SubControl Class="Framework.Slider" Name="slider1" XPositionAbs="0" YPositionAbs="0" '
           f'XSizeAbs="{w}" YSizeAbs="28" TabStop="-1" IsVisible="False">\n'
           f'{i}  <Skin Name="slider1Skin" LookList="Slider">\n')
    for name, x in (("thumbStart", 0), ("thumbEnd", w - 10)):
        out += (f'{i}    <SubControl Class="Framework.Button" Name="{name}" XPositionAbs="{x}" YPositionAbs="0" '
                f'XSizeAbs="10" YSizeAbs="28" TabStop="-1">\n'
                f'{i}      <CreateParamList>\n'
                f'{i}        <CreateParam ID="USE_PARENT_TOOLTIP" Type="Boolean">True</CreateParam>\n'
                f'{i}      </CreateParamList>\n'
                f'{i}      <Skin Name="{name}Skin" LookList="Thumb"/>\n'
                f'{i}    </SubControl>\n')
    return out + f'{i}  </Skin>\n{i}</SubControl>\n'



def combo(x, y, w, items, d):
    i = IND * d
    rows = min(items, 10)
    lh = rows * 20 + 2
    sub = i + "      "
    return (f'{i}<SubControl Class="Framework.ComboBox" Name="comboBox" XPositionAbs="{x}" YPositionAbs="{y}" XSizeAbs="{w}" YSizeAbs="28" TabStop="1">\n'
            f'{i}  <Skin Name="comboBoxSkin" LookList="Combo">\n'
            f'{i}    <SubControl Class="Framework.ListBox" Name="listBox" XPositionAbs="0" YPositionAbs="0" XSizeAbs="0" YSizeAbs="{lh}" IsVisible="False" ClipToParent="False" Z_Order="10" YPositionToControl="Parent" YPositionRel="1" XSizeToControl="Parent" XSizeRel="1">\n'
            f'{i}      <Skin Name="listBoxSkin" LookList="DropList">\n'
            f'{sub}  <SubControl Class="Framework.Label" Name="corner" XPositionAbs="0" YPositionAbs="0" XSizeAbs="10" YSizeAbs="0" LayoutOrder="0" XIsDocked="True" YIsDocked="True" XPositionToControl="Parent" XPositionRel="1" XPlacementAnchor="1" YPositionToControl="Parent" YPositionRel="1" YPlacementAnchor="1">\n'
            f'{sub}    ' + NF.format(i=sub + "    ") + '\n'
            f'{sub}    <Skin Name="cornerSkin" LookList="Track"/>\n'
            f'{sub}  </SubControl>\n'
            f'{sub}  <SubControl Class="Framework.ScrollBar" Name="vBar" XPositionAbs="0" YPositionAbs="0" XSizeAbs="0" YSizeAbs="0" LayoutOrder="1" XIsDocked="True" YIsDocked="True" XPositionToControl="corner" XPositionRel="0" XSizeToControl="corner" XSizeRel="1" YPositionToControl="Parent" YSizeToControl="corner" YSizeRel="0">\n'
            f'{sub}    <Skin Name="vBarSkin" LookList="ScrollBar">\n'
            f'{sub}      <SubControl Class="Framework.Button" Name="dec" XPositionAbs="0" YPositionAbs="0" XSizeAbs="0" YSizeAbs="12" LayoutOrder="0" XSizeToControl="Parent" XSizeRel="1">\n'
            f'{sub}        ' + NF.format(i=sub + "        ") + '\n'
            f'{sub}        <Skin Name="decSkin" LookList="Step.Up"/>\n'
            f'{sub}      </SubControl>\n'
            f'{sub}      <SubControl Class="Framework.Button" Name="inc" XPositionAbs="0" YPositionAbs="0" XSizeAbs="0" YSizeAbs="12" LayoutOrder="1" YPositionToControl="Parent" YPositionRel="1" YPlacementAnchor="1" XSizeToControl="Parent" XSizeRel="1">\n'
            f'{sub}        ' + NF.format(i=sub + "        ") + '\n'
            f'{sub}        <Skin Name="incSkin" LookList="Step.Down"/>\n'
            f'{sub}      </SubControl>\n'
            f'{sub}      <SubControl Class="Framework.ScrollChannel" Name="channel" XPositionAbs="0" YPositionAbs="0" XSizeAbs="0" YSizeAbs="0" LayoutOrder="2" YPositionToControl="dec" YPositionRel="1" XSizeToControl="Parent" XSizeRel="1" YSizeToControl="inc" YSizeRel="0">\n'
            f'{sub}        <Skin Name="channelSkin" LookList="Track">\n'
            f'{sub}          <SubControl Class="Framework.Button" Name="thumb" XPositionAbs="0" YPositionAbs="0" XSizeAbs="0" YSizeAbs="20" XSizeToControl="Parent" XSizeRel="1">\n'
            f'{sub}            ' + NF.format(i=sub + "            ") + '\n'
            f'{sub}            <Skin Name="thumbSkin" LookList="Thumb"/>\n'
            f'{sub}          </SubControl>\n'
            f'{sub}        </Skin>\n'
            f'{sub}      </SubControl>\n'
            f'{sub}    </Skin>\n'
            f'{sub}  </SubControl>\n'
            f'{sub}  <SubControl Class="Framework.ListBoxItem" Name="templateItem" XPositionAbs="0" YPositionAbs="0" XSizeAbs="0" YSizeAbs="20" XSizeToControl="Client" XSizeRel="1">\n'
            f'{sub}    <Skin Name="templateItemSkin" LookList="Row"/>\n'
            f'{sub}  </SubControl>\n'
            f'{i}      </Skin>\n'
            f'{i}    </SubControl>\n'
            f'{i}  </Skin>\n{i}</SubControl>\n')


def panel(cls, name, x, y, w, h, body, d, look="Bare"):
    i = IND * d
    return (f'{i}<SubControl Class="{cls}" Name="{name}" XPositionAbs="{x}" YPositionAbs="{y}" XSizeAbs="{w}" YSizeAbs="{h}">\n'
            f'{i}  <Skin Name="{name}Skin" LookList="{look}">\n' + body + f'{i}  </Skin>\n{i}</SubControl>\n')


def labeled_combo(cls, name, x, y, items, d, w=W, label_name="controlNameLabel"):
    return panel(cls, name, x, y, w, H, label(label_name, 0, 0, w, 16, d=d + 2) + combo(0, 20, w, items, d + 2), d)


def labeled_numeric(cls, name, x, y, d, w=W, label_name="controlNameLabel"):
    return panel(cls, name, x, y, w, H, label(label_name, 0, 0, w, 16, d=d + 2) + numeric(0, 20, w, d + 2), d)


def pair(cls, name, x, y, a, b, d):
    body = labeled_numeric(a[0], a[1], 0, 0, d + 2, label_name=a[2]) + \
        labeled_numeric(b[0], b[1], STEP, 0, d + 2, label_name=b[2])
    return panel(cls, name, x, y, STEP + W, H, body, d)


def channel(d):
    return labeled_combo("PresetEditor.Control.LabeledMidiChannelSelector", "midiChannel", 0, 8, 22, d)


def cc(x, y, d):
    inner = panel("PresetEditor.Control.CCSelector", "ccSelector", 0, 20, 300, 28,
                  numeric(0, 0, W, d + 4) + label("label", STEP, 6, 300 - STEP, 16, "Label.Secondary", d + 4), d + 2)
    return panel("PresetEditor.Control.LabeledCCSelector", "cc", x, y, 300, H,
                 label("controlNameLabel", 0, 0, 300, 16, d=d + 2) + inner, d)


def note(x, y, d):
    inner = panel("PresetEditor.Control.NoteSelector", "noteSelector", 0, 20, 240, 28,
                  numeric(0, 0, W, d + 4) + label("noteNameLabel", STEP, 6, 32, 16, "Label.Body", d + 4) +
                  label("octaveNameLabel", STEP + 36, 6, 48, 16, "Label.Secondary", d + 4), d + 2)
    return panel("PresetEditor.Control.LabeledNoteSelector", "note", x, y, 240, H,
                 label("controlNameLabel", 0, 0, 240, 16, d=d + 2) + inner, d)


def latch(x, y, d):
    i = IND * (d + 2)
    button = (f'{i}<SubControl Class="Framework.Button" Name="button" XPositionAbs="0" YPositionAbs="20" XSizeAbs="28" YSizeAbs="28" TabStop="1">\n'
              f'{i}  <CreateParamList>\n{i}    <CreateParam ID="AUTO_VALUE_SET" Type="Boolean">True</CreateParam>\n{i}  </CreateParamList>\n'
              f'{i}  <Skin Name="buttonSkin" LookList="Btn"/>\n{i}</SubControl>\n')
    return panel("PresetEditor.Control.LabeledLatchingSelector", "latching", x, y, 64, H,
                 label("controlNameLabel", 0, 0, 64, 16, d=d + 2) + button, d)


MINMAX = (("PresetEditor.Control.LabeledMinSelector", "min", "controlNameSelector"),
          ("PresetEditor.Control.LabeledMaxSelector", "max", "controlNameLabel"))
MSBLSB = (("PresetEditor.Control.LabeledMSBSelector", "msb", "controlNameLabel"),
          ("PresetEditor.Control.LabeledLSBSelector", "lsb", "controlNameLabel"))
ONOFF = (("PresetEditor.Control.LabeledOnSelector", "on", "controlNameLabel"),
         ("PresetEditor.Control.LabeledOffSelector", "off", "controlNameLabel"))
PRESSREL = (("PresetEditor.Control.LabeledPressedSelector", "pressed", "controlNameLabel"),
            ("PresetEditor.Control.LabeledReleasedSelector", "released", "controlNameLabel"))
CYCLE = "PresetEditor.Control.LabeledCycleTypeSelector"
CCVALUE = "PresetEditor.Control.LabeledCCValueSelector"
PROGRAM = "PresetEditor.Control.LabeledProgramSelector"
X1, X2, X3, X4 = STEP, 2 * STEP, 3 * STEP, 4 * STEP
ROW2 = 68


def pages(d):
    return [
        ("notePage", "PresetEditor.Control.PadModes.TabControl.PageHolder.NotePage",
         channel(d) + note(X1, 8, d) + latch(X1 + 248, 8, d) +
         pair("PresetEditor.Control.OnOffSelectors", "onOffSelectors", X1 + 320, 8, *ONOFF, d)),
        ("mmcPage", "PresetEditor.Control.PadModes.TabControl.PageHolder.MMCPage",
         channel(d) + labeled_combo("PresetEditor.Control.LabeledMMCSelector", "mmc", X1, 8, 13, d)),
        ("programPage", "PresetEditor.Control.PadModes.TabControl.PageHolder.ProgramPage",
         channel(d) + labeled_numeric(PROGRAM, "program", X1, 8, d) +
         pair("PresetEditor.Control.MSBLSBSelectors", "msbLSBSelectors", X2, 8, *MSBLSB, d)),
        ("programCyclePage", "PresetEditor.Control.PadModes.TabControl.PageHolder.ProgramCyclePage",
         channel(d) + labeled_combo(CYCLE, "cycleType", X1, 8, 3, d) +
         "".join(labeled_numeric(PROGRAM, f"program{k + 1}", k * STEP, ROW2, d) for k in range(4))),
        ("programIncDecPage", "PresetEditor.Control.PadModes.TabControl.PageHolder.ProgramIncDecPage",
         channel(d) + labeled_combo("PresetEditor.Control.LabeledINCDecTypeSelector", "incDecType", X1, 8, 2, d,
                                    label_name="typeNameLable") +
         pair("PresetEditor.Control.MinMaxSelectors", "minMaxSelectors", X2, 8, *MINMAX, d)),
        ("ccAbsolutePage", "PresetEditor.Control.ButtonModesControl.TabControl.PageHolder.CCAbsolutePage",
         channel(d) + cc(X1, 8, d) +
         pair("PresetEditor.Control.PressedReleasedSelectors", "pressedReleasedSelectors", X1 + 308, 8, *PRESSREL, d)),
        ("ccCyclePage", "PresetEditor.Control.PadModes.TabControl.PageHolder.CCCyclePage",
         channel(d) + cc(X1, 8, d) + labeled_combo(CYCLE, "cycleType", X1 + 308, 8, 3, d) +
         "".join(labeled_numeric(CCVALUE, f"ccValue{k + 1}", k * STEP, ROW2, d) for k in range(4))),
        ("ccIncDecPage", "PresetEditor.Control.PadModes.TabControl.PageHolder.CCIncDecPage",
         channel(d) + cc(X1, 8, d) +
         labeled_combo("PresetEditor.Control.LabeledINCDecTypeSelector", "incDec", X1 + 308, 8, 2, d,
                       label_name="typeNameLable") +
         pair("PresetEditor.Control.MinMaxSelectors", "minMaxSelectors", X1 + 308 + STEP, 8, *MINMAX, d)),
        ("nrpnRpnPage", "PresetEditor.Control.ButtonModesControl.TabControl.PageHolder.NrpnRpnPage",
         channel(d) + labeled_combo("PresetEditor.Control.LabeledNrpnRpnSelector", "NrpnRpn", X1, 8, 4, d) +
         pair("PresetEditor.Control.MSBLSBSelectors", "msbLSBSelectors", X2, 8, *MSBLSB, d) +
         labeled_numeric(CCVALUE, "value", X4, 8, d)),
        ("otherPage", "PresetEditor.Control.ButtonModesControl.TabControl.PageHolder.OtherPage",
         channel(d) + labeled_combo("PresetEditor.Control.LabeledOtherSelector", "type", X1, 8, 16, d, w=240,
                                    label_name="controlName") +
         labeled_numeric(CCVALUE, "value", X1 + 248, 8, d)),
    ]


FILL = 'XPositionAbs="0" YPositionAbs="0" XSizeAbs="0" YSizeAbs="0" XSizeToControl="Parent" XSizeRel="1" YSizeToControl="Parent" YSizeRel="1"'
# The sustain pedal edit panel places its own copy beside its labels.
SUSTAIN_PLACE = 'XPositionAbs="240" YPositionAbs="16" XSizeAbs="912" YSizeAbs="240"'


def document(name="midiPage", place=FILL):
    d = 0
    i = IND * 4
    out = ['<!-- The button message sub-editor (a fragment of the skin document, made by\n'
           '     tools/skin_gen/button_message_skin.py): the tab control with one page per kind of message.\n'
           '     It fills the control it is placed in; the push-button and pad edit panels place it as their\n'
           '     "midiPage". -->\n']
    out.append(f'{i}<SubControl Class="PresetEditor.MainControl.EditPanel.ButtonTypePanel" Name="{name}" {place}>\n')
    out.append(f'{i}  <Skin Name="{name}Skin" LookList="Bare">\n')
    out.append(f'{i}    <SubControl Class="PresetEditor.Control.ButtonModesControl.TabControl" Name="tabControl" XPositionAbs="0" YPositionAbs="0" XSizeAbs="0" YSizeAbs="0" XSizeToControl="Parent" XSizeRel="1" YSizeToControl="Parent" YSizeRel="1">\n')
    out.append(f'{i}      <Skin Name="tabControlSkin" LookList="Bare">\n')
    holder = i + "        "
    out.append(f'{holder}<SubControl Class="PresetEditor.Control.ButtonModesControl.TabControl.ButtonHolder" Name="buttonHolder" XPositionAbs="0" YPositionAbs="0" XSizeAbs="0" YSizeAbs="24" XSizeToControl="Parent" XSizeRel="1">\n')
    out.append(f'{holder}  <Skin Name="buttonHolderSkin" LookList="Bare">\n')
    d = (len(holder) // 2) + 2
    names = [p[0] for p in pages(0)]
    # Each page button fits its name with the button look's 8-pixel insets; the row (888 pixels) fits
    # the narrower sustain-pedal copy.
    widths = [56, 52, 80, 120, 132, 100, 80, 88, 84, 60]
    x = 0
    for k, (name, w) in enumerate(zip(names, widths)):
        b = IND * d
        out.append(f'{b}<SubControl Class="Framework.Button" Name="{name}" XPositionAbs="{x}" YPositionAbs="0" XSizeAbs="{w}" YSizeAbs="24" TabStop="1" LayoutOrder="{k}" FontSize="8.25">\n'
                   f'{b}  <Skin Name="tabButtonSkin" LookList="Btn"/>\n{b}</SubControl>\n')
        x += w + 4
    out.append(f'{holder}  </Skin>\n{holder}</SubControl>\n')
    out.append(f'{holder}<SubControl Class="PresetEditor.Control.ButtonModesControl.TabControl.PageHolder" Name="pageHolder" XPositionAbs="0" YPositionAbs="32" XSizeAbs="0" YSizeAbs="-32" XSizeToControl="Parent" XSizeRel="1" YSizeToControl="Parent" YSizeRel="1">\n')
    out.append(f'{holder}  <Skin Name="pageHolderSkin" LookList="Bare">\n')
    for k, (name, cls, body) in enumerate(pages(d + 2)):
        p = IND * d
        out.append(f'{p}<SubControl Class="{cls}" Name="{name}" XPositionAbs="0" YPositionAbs="0" XSizeAbs="0" YSizeAbs="0" LayoutOrder="{k}" XSizeToControl="Parent" XSizeRel="1" YSizeToControl="Parent" YSizeRel="1">\n'
                   f'{p}  <Skin Name="{name}Skin" LookList="Bare">\n' + body + f'{p}  </Skin>\n{p}</SubControl>\n')
    out.append(f'{holder}  </Skin>\n{holder}</SubControl>\n')
    out.append(f'{i}      </Skin>\n{i}    </SubControl>\n{i}  </Skin>\n{i}</SubControl>\n')
    return "".join(out)


if __name__ == "__main__":
    for file, text in (("edit_button_message.xml", document()),
                       ("edit_sustain_message.xml", document("buttonTypePanel", SUSTAIN_PLACE))):
        path = os.path.join("resources", "skins", file)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        print(path)
