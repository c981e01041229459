#!/usr/bin/env python3
"""Writes the keybed-zone skin fragments: the zone group with its four tiles (group_zones.xml) and the
zone edit panel (edit_zone.xml). The widget blocks are taken from edit_button_message.xml so that the
zone panel's selectors look like the other edit panels'."""
import pathlib
import re

SKINS = pathlib.Path(__file__).resolve().parent.parent / "resources" / "skins"
NF = '<CreateParamList>\n  <CreateParam ID="NOT_FOCUSABLE" Type="Boolean">True</CreateParam>\n</CreateParamList>\n'


def block(lines, start):
    """The balanced SubControl element opening at line index start, dedented."""
    depth, out = 0, []
    for line in lines[start:]:
        out.append(line)
        depth += line.count("<SubControl") - line.count("</SubControl>")
        depth -= len(re.findall(r"<SubControl[^>]*/>", line))
        if depth == 0:
            break
    pad = len(out[0]) - len(out[0].lstrip())
    return "".join(l[pad:] for l in out)


def first(lines, pattern):
    for i, l in enumerate(lines):
        if re.search(pattern, l):
            return i
    raise SystemExit("not found: " + pattern)


def place(xml, cls=None, name=None, x=None, y=None):
    head, rest = xml.split("\n", 1)
    if cls:
        head = re.sub(r'Class="[^"]*"', f'Class="{cls}"', head, 1)
    if name:
        head = re.sub(r'Name="[^"]*"', f'Name="{name}"', head, 1)
        rest = re.sub(r'<Skin Name="[^"]*Skin"', f'<Skin Name="{name}Skin"', rest, 1)
    if x is not None:
        head = re.sub(r'XPositionAbs="[^"]*"', f'XPositionAbs="{x}"', head, 1)
    if y is not None:
        head = re.sub(r'YPositionAbs="[^"]*"', f'YPositionAbs="{y}"', head, 1)
    return head + "\n" + rest


def indent(xml, n):
    return "".join(" " * n + l if l.strip() else l for l in xml.splitlines(True))


def label(name, x, y, w, h, look, size="8.25", extra=""):
    return (f'<SubControl Class="Framework.Label" Name="{name}" XPositionAbs="{x}" YPositionAbs="{y}" '
            f'XSizeAbs="{w}" YSizeAbs="{h}" FontSize="{size}"{extra}>\n' + indent(NF, 2) +
            f'  <Skin Name="{name}Skin" LookList="{look}"/>\n</SubControl>\n')


def edit_panel():
    src = (SKINS / "edit_button_message.xml").read_text().splitlines(True)
    chan = block(src, first(src, r'Class="PresetEditor.Control.LabeledMidiChannelSelector" Name="midiChannel"'))
    note = block(src, first(src, r'Class="PresetEditor.Control.LabeledNoteSelector" Name="note"'))
    prog = block(src, first(src, r'Class="PresetEditor.Control.LabeledProgramSelector" Name="program"'))
    msblsb = block(src, first(src, r'Name="msbLSBSelectors"'))
    note = note.replace('Class="PresetEditor.Control.NoteSelector"', 'Class="PresetEditor.Control.ZoneNoteSelector"')
    start = place(note, "PresetEditor.Control.LabeledKeyZoneNoteSelector", "startNote", 0, 0)
    end = place(note, "PresetEditor.Control.LabeledKeyZoneNoteSelector", "endNote", 248, 0)
    number = place(prog, "PresetEditor.Control.LabeledOctaveSelector", "octave", 0, 68)
    trans = place(prog, "PresetEditor.Control.LabeledTransposeSelector", "transpose", 156, 68)
    startEnd = ('<SubControl Class="PresetEditor.Control.KeyZoneStartEndNoteSelector" Name="startEndNoteSelector" '
                'XPositionAbs="240" YPositionAbs="88" XSizeAbs="488" YSizeAbs="48">\n'
                '  <Skin Name="startEndNoteSelectorSkin" LookList="Bare">\n' + indent(start + end, 4) +
                '  </Skin>\n</SubControl>\n')
    body = (label("zoneName", 20, 16, 200, 24, "Label.Title", "12", ' FontStyle="0x0001"') +
            label("zoneOnOffLabel", 60, 56, 120, 16, "Label.FieldName") +
            # A plain button: the panel flips it once per click.
            '<SubControl Class="Framework.Button" Name="zoneEnabledToggleButton" XPositionAbs="20" YPositionAbs="50" '
            'XSizeAbs="28" YSizeAbs="28" TabStop="1">\n  <Skin Name="zoneEnabledToggleButtonSkin" LookList="Switch"/>\n'
            '</SubControl>\n' +
            label("midiLabel", 20, 96, 200, 16, "Label.Header") +
            place(chan, "PresetEditor.Control.LabeledKeyZoneMidiChannelSelector", "midiChannel", 20, 120) +
            place(prog, None, "program", 240, 16) +
            place(msblsb, None, None, 396, 16) + startEnd + indent(number, 0).replace(
                'YPositionAbs="68"', 'YPositionAbs="156"', 1).replace('XPositionAbs="0"', 'XPositionAbs="240"', 1) +
            trans.replace('YPositionAbs="68"', 'YPositionAbs="156"', 1).replace(
                'XPositionAbs="156"', 'XPositionAbs="396"', 1))
    return ('                <!-- The keybed-zone edit panel: the zone, its switch, channel, program and bank, keys, '
            'octave and transposition -->\n'
            '                <SubControl Class="PresetEditor.MainPage.ZoneEditPanel" Name="zoneEditPanel" '
            'XPositionAbs="16" YPositionAbs="424" XSizeAbs="1168" YSizeAbs="288" IsVisible="False">\n'
            '                  <Skin Name="zoneEditPanelSkin" LookList="Panel">\n' + indent(body, 20) +
            '                  </Skin>\n                </SubControl>\n')


def tile(i, x):
    n = f"zone{i}"
    # Under the zone's colour bar (the group's look): name, "OFF" and channel, then the key range.
    body = (label("zoneName", 4, 5, 104, 12, "Tile.NumberLeft") +
            # Shown while the zone is switched off.
            label("zoneOff", 60, 5, 48, 12, "Tile.NumberLeft", extra=' IsVisible="False"') +
            '<SubControl Class="PresetEditor.MainControl.MIDIChannelView" Name="midiChannel" XPositionAbs="124" '
            'YPositionAbs="5" XSizeAbs="104" YSizeAbs="12">\n' + indent(NF, 2) +
            '  <Skin Name="midiChannelSkin" LookList="Bare">\n' +
            indent(label("label", 0, 0, 104, 12, "Tile.ChannelRight"), 4) + '  </Skin>\n</SubControl>\n' +
            label("infoLabel", 4, 17, 224, 12, "Tile.Info") +
            f'<SubControl Class="Framework.Button" Name="button" XPositionAbs="0" YPositionAbs="0" XSizeAbs="232" '
            f'YSizeAbs="30">\n' + indent(NF, 2) + '  <Skin Name="buttonSkin" LookList="Tile.Face"/>\n</SubControl>\n')
    return (f'<SubControl Class="PresetEditor.MainControl.KeybedZones.Zone" Name="{n}" XPositionAbs="{x}" '
            f'YPositionAbs="0" XSizeAbs="232" YSizeAbs="30">\n' + indent(NF, 2) +
            f'  <Skin Name="{n}Skin" LookList="Tile.Clear">\n' + indent(body, 4) + '  </Skin>\n</SubControl>\n')


def group():
    tiles = "".join(tile(i + 1, 2 + 240 * i) for i in range(4))
    return ('                <!-- The four keybed zones as bars over the 25 keys -->\n'
            '                <SubControl Class="PresetEditor.MainControl.KeybedZones" Name="keybedZones" '
            'XPositionAbs="64" YPositionAbs="272" XSizeAbs="960" YSizeAbs="132" LayoutOrder="36">\n' + indent(NF, 18) +
            '                  <Skin Name="keybedZonesSkin" LookList="Device.Keybed">\n' + indent(tiles, 20) +
            '                  </Skin>\n                </SubControl>\n')


if __name__ == "__main__":
    (SKINS / "edit_zone.xml").write_text(edit_panel())
    (SKINS / "group_zones.xml").write_text(group())
