#!/usr/bin/env python3
"""Writes the skin fragments of the keyboard picture's groups that hold many like tiles
(resources/skins/group_pads.xml, group_buttons.xml, group_encoders.xml, group_faders.xml, group_wheels.xml, group_xy_pad.xml): every tile of every bank placed on the
4-pixel grid. Run it after changing a layout number here; the fragments are committed."""
import os
import sys

NF = ('<CreateParamList>\n{i}  <CreateParam ID="NOT_FOCUSABLE" Type="Boolean">True</CreateParam>\n'
      '{i}</CreateParamList>\n')


def control(indent, cls, name, x, y, w, h, looks, inner='', extra=''):
    i = ' ' * indent
    head = (f'{i}<SubControl Class="{cls}" Name="{name}" XPositionAbs="{x}" YPositionAbs="{y}" '
            f'XSizeAbs="{w}" YSizeAbs="{h}"{extra}>\n{i}  ' + NF.format(i=i + '  '))
    if inner:
        return head + f'{i}  <Skin Name="{name}Skin" LookList="{looks}">\n{inner}{i}  </Skin>\n{i}</SubControl>\n'
    return head + f'{i}  <Skin Name="{name}Skin" LookList="{looks}"/>\n{i}</SubControl>\n'


def tile(indent, cls, name, x, y, w, h, label, color_cls, color_looks):
    """A tile: colour bar, number, the assignment summary (channel, what it sends) and the face."""
    n = indent + 4
    small = ' FontSize="8.25"'
    channel = control(n + 8, 'Framework.Label', 'label', 0, 0, w - 4, 12, 'Tile.Channel', extra=small)
    summary = (control(n + 4, 'PresetEditor.MainControl.MIDIChannelView', 'midiChannel', 0, 0, w - 4, 12, 'Bare',
                       channel, ' LayoutOrder="0"') +
               control(n + 4, 'Framework.Label', 'infoLabel', 0, 12, w - 4, h - 30, 'Tile.Info',
                       extra=small + ' LayoutOrder="1"'))
    inner = (control(n, color_cls, 'color', 4, 3, w - 8, 3, color_looks, extra=' LayoutOrder="0"') +
             control(n, 'Framework.Label', label, 2, 5, w - 4, 12, 'Tile.Number', extra=small + ' LayoutOrder="1"') +
             control(n, 'PresetEditor.MainControl.PushButtonType.ViewPanel', 'viewPanel', 2, 16, w - 4, h - 18, 'Bare',
                     summary, ' LayoutOrder="2"') +
             control(n, 'Framework.Button', 'button', 0, 0, w, h, 'Tile.Face', extra=' LayoutOrder="3"'))
    return control(indent, cls, name, x, y, w, h, 'Tile.Back', inner)


def moveable_tile(indent, cls, name, x, y, w, h, label,
                  view='PresetEditor.MainControl.MoveableType.ViewPanel'):
    """A tile of a continuous control: number, the moveable summary (channel, what it sends), the face."""
    n = indent + 4
    small = ' FontSize="8.25"'
    channel = control(n + 8, 'Framework.Label', 'label', 0, 0, w - 4, 12, 'Tile.Channel', extra=small)
    summary = (control(n + 4, 'PresetEditor.MainControl.MIDIChannelView', 'midiChannel', 0, 0, w - 4, 12, 'Bare',
                       channel, ' LayoutOrder="0"') +
               control(n + 4, 'Framework.Label', 'infoLabel', 0, 12, w - 4, h - 28, 'Tile.Info',
                       extra=small + ' LayoutOrder="1"'))
    number = control(n, 'Framework.Label', label, 2, 2, w - 4, 12, 'Tile.Number',
                     extra=small + ' LayoutOrder="0"') if label else ''
    inner = (number +
             control(n, view, 'viewPanel', 2, 14, w - 4, h - 16, 'Bare', summary, ' LayoutOrder="1"') +
             control(n, 'Framework.Button', 'button', 0, 0, w, h, 'Tile.Face', extra=' LayoutOrder="2"'))
    return control(indent, cls, name, x, y, w, h, 'Tile.Back', inner)


def banked(group, kind, label, count, x, y, width, height, gap, looks, comment):
    """Four banks of like moveable tiles in one group; the first bank shown."""
    Kind = kind[0].upper() + kind[1:]
    view = f'PresetEditor.MainControl.{Kind}View'
    side = count * width + (count - 1) * gap
    banks = ''
    for b in range(1, 5):
        tiles = ''
        for t in range(1, count + 1):
            tiles += moveable_tile(24, f'{view}.{Kind}', f'{kind}{t}', (t - 1) * (width + gap), 0, width, height,
                                   label)
        banks += control(20, f'{view}.{Kind}Bank', f'{kind}Bank{b}', 0, 0, side, height, looks, tiles,
                         '' if b == 1 else ' IsVisible="False"')
    return (f'                <!-- {comment} -->\n' +
            control(16, view, group, x, y, side, height, 'Bare', banks))


def encoders():
    return banked('encoders', 'encoder', 'encoderNameLabel', 4, 352, 52, 57, 60, 4, 'Device.Knobs',
                  'Four banks of four encoders; the device view shows one bank at a time.')


def faders():
    return banked('faders', 'fader', 'faderNumberLabel', 5, 352, 136, 44, 124, 5, 'Device.Faders',
                  'Four banks of five faders; the device view shows one bank at a time.')


def single_tiles():
    """One unplaced tile of each kind without a colour, for the groups that place them one by one."""
    m = 'PresetEditor.MainControl.'
    kinds = (('EncoderView.Encoder', 'encoderTile', 'encoderNameLabel', None),
             ('FaderView.Fader', 'faderTile', 'faderNumberLabel', None),
             ('Pedals.VolumePedal', 'volumePedalTile', '', None),
             ('Pedals.SustainPedal', 'sustainPedalTile', '', m + 'PushButtonType.ViewPanel'),
             ('WheelView.Wheel', 'wheelTile', '', None),
             ('XYPadView.Axis', 'axisTile', '', None))
    text = '<!-- Unplaced tiles of encoders, faders, pedals, wheels and XY-pad directions. -->\n'
    for cls, name, label, view in kinds:
        text += moveable_tile(8, m + cls, name, 0, 0, 48, 64, label, view or m + 'MoveableType.ViewPanel')
    return text


def pads():
    size, gap = 48, 4
    tiles = ''
    for k in range(16):
        row, col = divmod(k, 4)
        tiles += tile(20, 'PresetEditor.MainControl.PadView.Pad', f'pad{k + 1}', col * (size + gap),
                      row * (size + gap), size, size, 'padNumberLabel',
                      'PresetEditor.MainControl.PadView.Pad.ColorIndicator', 'Tile.PadColor')
    side = 4 * size + 3 * gap
    return ('                <!-- The sixteen pads, 4 x 4, pad 1 at the top left. -->\n' +
            control(16, 'PresetEditor.MainControl.PadView', 'pads', 844, 56, side, side, 'Bare', tiles,
                    ' LayoutOrder="35"'))


def buttons():
    width, height, gap = 36, 64, 5
    banks = ''
    for b in range(1, 5):
        tiles = ''
        for t in range(1, 6):
            tiles += tile(24, 'PresetEditor.MainControl.ButtonView.Button', f'button{t}', (t - 1) * (width + gap), 0,
                          width, height, 'buttonNumberLabel',
                          'PresetEditor.MainControl.ButtonView.Button.ColorIndicator', 'Tile.Color')
        banks += control(20, 'PresetEditor.MainControl.ButtonView.ButtonBank', f'buttonBank{b}', 0, 0,
                         5 * width + 4 * gap, height, 'Bare', tiles, '' if b == 1 else ' IsVisible="False"')
    return ('                <!-- Four banks of five push buttons; the device view shows one bank at a time. -->\n' +
            control(16, 'PresetEditor.MainControl.ButtonView', 'buttons', 608, 192, 5 * width + 4 * gap, height,
                    'Bare', banks, ' LayoutOrder="38"'))


def pair(group, kind, names, x, y, width, height, gap, looks, comment):
    """Two named moveable tiles side by side, each with a label of its own."""
    Kind = kind[0].upper() + kind[1:]
    view = {'wheel': 'PresetEditor.MainControl.WheelView', 'axis': 'PresetEditor.MainControl.XYPadView'}[kind]
    tiles = ''
    for k, name in enumerate(names):
        tiles += moveable_tile(20, f'{view}.{Kind}', name, k * (width + gap), 0, width, height, f'{name}Label')
    return (f'                <!-- {comment} -->\n' +
            control(16, view, group, x, y, 2 * width + gap, height, looks, tiles))


def wheels():
    return pair('wheels', 'wheel', ('pitchWheel', 'modWheel'), 36, 56, 44, 152, 8, 'Device.Wheels',
                'The pitch and modulation wheels; after their edit panel, which they watch from the start.')


def xy_pad():
    return pair('xyPad', 'axis', ('xAxis', 'yAxis'), 148, 56, 88, 184, 8, 'Device.XY',
                'The two directions of the XY pad; after their edit panel, which they watch from the start.')


def pedals():
    """The volume pedal above the sustain pedal."""
    m = 'PresetEditor.MainControl.'
    width, height, gap = 96, 164, 24
    tiles = (moveable_tile(20, m + 'Pedals.VolumePedal', 'volumePedal', 0, 0, width, height, '') +
             moveable_tile(20, m + 'Pedals.SustainPedal', 'sustainPedal', 0, height + gap, width, height, '',
                           m + 'PushButtonType.ViewPanel'))
    return ('                <!-- The volume pedal above the sustain pedal; after their edit panels. -->\n' +
            control(16, m + 'Pedals', 'pedals', 1088, 36, width, 2 * height + gap, 'Device.Pedals', tiles))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..', 'resources', 'skins')
    for name, text in (('group_pads.xml', pads()), ('group_buttons.xml', buttons()),
                       ('group_encoders.xml', encoders()), ('group_faders.xml', faders()),
                       ('group_wheels.xml', wheels()), ('group_xy_pad.xml', xy_pad()),
                       ('group_pedals.xml', pedals()),
                       ('tiles_single.xml', single_tiles())):
        with open(os.path.join(folder, name), 'w', encoding='utf-8', newline='\n') as f:
            f.write(text)


if __name__ == '__main__':
    main()
