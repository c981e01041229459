"""The skin fragments of the keyboard picture's groups that hold many like tiles (group_pads.xml,
group_buttons.xml, group_encoders.xml, group_faders.xml, group_wheels.xml, group_xy_pad.xml,
group_pedals.xml) and the unplaced single tiles (tiles_single.xml): every tile of every bank placed on
the 4-pixel grid. A tile reaches RING pixels past its artwork on every side, and its group as far past
its tiles: there the face draws its selection ring and hover outline, clear of the tile's texts."""
from .xml import control

RING = 2


def ringed(x, y, w, h):
    """The place of a group or bank whose content lies at x, y, w x h: RING pixels wider on every side."""
    return x - RING, y - RING, w + 2 * RING, h + 2 * RING


def face(indent, w, h):
    """The clickable face over the whole tile, drawn first: its fill lies under the texts, its ring
    and outline around the artwork."""
    return control(indent, 'Framework.Button', 'button', 0, 0, w + 2 * RING, h + 2 * RING, 'Tile.Face',
                   extra=' LayoutOrder="0"')


def moveable_tile(indent, cls, name, x, y, w, h, label,
                  view='PresetEditor.MainControl.MoveableType.ViewPanel'):
    """A tile of a continuous control: the face, number, the moveable summary (channel, what it sends)."""
    n = indent + 4
    small = ' FontSize="8.25"'
    channel = control(n + 8, 'Framework.Label', 'label', 0, 0, w - 4, 12, 'Tile.Channel', extra=small)
    summary = (control(n + 4, 'PresetEditor.MainControl.MIDIChannelView', 'midiChannel', 0, 0, w - 4, 12, 'Bare',
                       channel, ' LayoutOrder="0"') +
               control(n + 4, 'Framework.Label', 'infoLabel', 0, 12, w - 4, h - 28, 'Tile.Info',
                       extra=small + ' LayoutOrder="1"'))
    number = control(n, 'Framework.Label', label, RING + 2, RING + 2, w - 4, 12, 'Tile.Number',
                     extra=small + ' LayoutOrder="1"') if label else ''
    inner = (face(n, w, h) + number +
             control(n, view, 'viewPanel', RING + 2, RING + 14, w - 4, h - 16, 'Bare', summary, ' LayoutOrder="2"'))
    return control(indent, cls, name, x, y, w + 2 * RING, h + 2 * RING, 'Tile.Back', inner)


def laid_tile(indent, cls, name, x, y, w, h, back, view, number=None, color=None, channel=None, info=None,
              info_look='Tile.Info'):
    """A tile of the picture whose back is its control's artwork at w x h and whose texts sit where
    the artwork leaves room. number: (label, x, y, w, look); color: (class, looks, x, y, w, h);
    channel: (x, y, w, look); info: (x, y, w, h), from the artwork's top left. Single text rows are 12
    pixels high; the summary panel covers the whole artwork. x, y place the tile in its ringed group:
    the artwork lies where x, y put it in the group unringed."""
    n = indent + 4
    small = ' FontSize="8.25"'
    cx, cy, cw, clook = channel
    ix, iy, iw, ih = info
    label = control(n + 8, 'Framework.Label', 'label', 0, 0, cw, 12, clook, extra=small)
    summary = (control(n + 4, 'PresetEditor.MainControl.MIDIChannelView', 'midiChannel', cx, cy, cw, 12, 'Bare',
                       label, ' LayoutOrder="0"') +
               control(n + 4, 'Framework.Label', 'infoLabel', ix, iy, iw, ih, info_look,
                       extra=small + ' LayoutOrder="1"'))
    inner = face(n, w, h)
    if color:
        ccls, clooks, kx, ky, kw, kh = color
        inner += control(n, ccls, 'color', RING + kx, RING + ky, kw, kh, clooks, extra=' LayoutOrder="1"')
    if number:
        lname, lx, ly, lw, llook = number
        inner += control(n, 'Framework.Label', lname, RING + lx, RING + ly, lw, 12, llook,
                         extra=small + ' LayoutOrder="2"')
    inner += control(n, view, 'viewPanel', RING, RING, w, h, 'Bare', summary, ' LayoutOrder="3"')
    return control(indent, cls, name, x, y, w + 2 * RING, h + 2 * RING, back, inner)


MOVEABLE_VIEW = 'PresetEditor.MainControl.MoveableType.ViewPanel'
BUTTON_VIEW = 'PresetEditor.MainControl.PushButtonType.ViewPanel'


KNOB_CAP = 44  # the cap's diameter, its centre KNOB_CENTRE_Y below the tile's top (tools/skin_art)
KNOB_CENTRE_Y = 40
KNOB_TEXT_W = 39


def knob_tile(indent, cls, name, x, y, w, h, label):
    """Number and channel read as one line at the top left (the widest, "E4 CH:OM", just fits;
    right-aligned, a channel would read as the next encoder's), what it sends printed on the knob's
    cap: two lines centred on it, as wide as the cap holds them."""
    text_x = (w - KNOB_TEXT_W) // 2
    return laid_tile(indent, cls, name, x, y, w, h, 'Tile.Knob', MOVEABLE_VIEW,
                     number=(label, 0, 1, 16, 'Tile.NumberLeft'), channel=(17, 1, w - 17, 'Tile.ChannelLeft'),
                     info=(text_x, KNOB_CENTRE_Y - 13, KNOB_TEXT_W, 26), info_look='Tile.InfoMiddle')


def column_tile(indent, cls, name, x, y, w, h, label, back):
    """Number and channel above the control's picture, what it sends below it."""
    return laid_tile(indent, cls, name, x, y, w, h, back, MOVEABLE_VIEW,
                     number=(label, 2, 2, w - 4, 'Tile.Number'), channel=(2, 14, w - 4, 'Tile.Channel'),
                     info=(2, h - 28, w - 4, 26))


def banked(group, kind, label, count, x, y, width, height, gap, looks, comment, make):
    """Four banks of like moveable tiles in one group; the first bank shown."""
    Kind = kind[0].upper() + kind[1:]
    view = f'PresetEditor.MainControl.{Kind}View'
    side = count * width + (count - 1) * gap
    banks = ''
    for b in range(1, 5):
        tiles = ''
        for t in range(1, count + 1):
            tiles += make(24, f'{view}.{Kind}', f'{kind}{t}', (t - 1) * (width + gap), 0, width, height, label)
        banks += control(20, f'{view}.{Kind}Bank', f'{kind}Bank{b}', 0, 0, side + 2 * RING, height + 2 * RING, looks,
                         tiles, '' if b == 1 else ' IsVisible="False"')
    return (f'                <!-- {comment} -->\n' +
            control(16, view, group, *ringed(x, y, side, height), 'Bare', banks))


def encoders():
    return banked('encoders', 'encoder', 'encoderNameLabel', 4, 352, 52, 57, 64, 4, 'Bare',
                  'Four banks of four encoders; the device view shows one bank at a time.', knob_tile)


def faders():
    return banked('faders', 'fader', 'faderNumberLabel', 5, 352, 136, 44, 124, 5, 'Bare',
                  'Four banks of five faders; the device view shows one bank at a time.',
                  lambda *a: column_tile(*a, 'Tile.Fader'))


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
        # Number and colour share the top row: four rows of text do not fit a pad.
        tiles += laid_tile(20, 'PresetEditor.MainControl.PadView.Pad', f'pad{k + 1}', col * (size + gap),
                           row * (size + gap), size, size, 'Tile.Pad', BUTTON_VIEW,
                           number=('padNumberLabel', 4, 1, 26, 'Tile.NumberLeft'),
                           color=('PresetEditor.MainControl.PadView.Pad.ColorIndicator', 'Tile.PadColor', 34, 4, 10,
                                  6),
                           channel=(2, 12, size - 4, 'Tile.Channel'), info=(2, 23, size - 4, 24))
    side = 4 * size + 3 * gap
    return ('                <!-- The sixteen pads, 4 x 4, pad 1 at the top left. -->\n' +
            control(16, 'PresetEditor.MainControl.PadView', 'pads', *ringed(844, 56, side, side), 'Bare', tiles,
                    ' LayoutOrder="35"'))


def buttons():
    # 40-pixel tiles (a transport command's name needs them) on the 4-pixel grid: each tile covers
    # the place it had as a 36-pixel tile at a 41-pixel pitch from x 608.
    width, height, gap = 40, 64, 2
    side = 5 * width + 4 * gap
    banks = ''
    for b in range(1, 5):
        tiles = ''
        for t in range(1, 6):
            tiles += laid_tile(24, 'PresetEditor.MainControl.ButtonView.Button', f'button{t}',
                               (t - 1) * (width + gap), 0, width, height, 'Tile.PushButton', BUTTON_VIEW,
                               number=('buttonNumberLabel', 0, 9, width, 'Tile.Number'),
                               color=('PresetEditor.MainControl.ButtonView.Button.ColorIndicator', 'Tile.Color', 5, 4,
                                      width - 10, 3),
                               channel=(0, 21, width, 'Tile.Channel'), info=(0, 33, width, 28))
        banks += control(20, 'PresetEditor.MainControl.ButtonView.ButtonBank', f'buttonBank{b}', 0, 0,
                         side + 2 * RING, height + 2 * RING, 'Bare', tiles, '' if b == 1 else ' IsVisible="False"')
    return ('                <!-- Four banks of five push buttons; the device view shows one bank at a time. -->\n' +
            control(16, 'PresetEditor.MainControl.ButtonView', 'buttons', *ringed(604, 192, side, height), 'Bare',
                    banks, ' LayoutOrder="38"'))


def pair(group, kind, names, x, y, width, height, gap, looks, comment, back):
    """Two named moveable tiles side by side, each with a label of its own."""
    Kind = kind[0].upper() + kind[1:]
    view = {'wheel': 'PresetEditor.MainControl.WheelView', 'axis': 'PresetEditor.MainControl.XYPadView'}[kind]
    tiles = ''
    for k, name in enumerate(names):
        if back == 'Tile.Wheel':
            tiles += column_tile(20, f'{view}.{Kind}', name, k * (width + gap), 0, width, height, f'{name}Label', back)
        else:
            # The XY surface shows through; the texts fill the band at its top.
            tiles += laid_tile(20, f'{view}.{Kind}', name, k * (width + gap), 0, width, height, back, MOVEABLE_VIEW,
                               number=(f'{name}Label', 4, 4, width - 8, 'Tile.Number'),
                               channel=(4, 16, width - 8, 'Tile.Channel'), info=(4, 28, width - 8, 28))
    return (f'                <!-- {comment} -->\n' +
            control(16, view, group, *ringed(x, y, 2 * width + gap, height), looks, tiles))


def wheels():
    return pair('wheels', 'wheel', ('pitchWheel', 'modWheel'), 36, 56, 44, 152, 8, 'Bare',
                'The pitch and modulation wheels; after their edit panel, which they watch from the start.',
                'Tile.Wheel')


def xy_pad():
    return pair('xyPad', 'axis', ('xAxis', 'yAxis'), 148, 56, 88, 184, 8, 'Device.XY',
                'The two directions of the XY pad; after their edit panel, which they watch from the start.',
                'Tile.Clear')


def pedals():
    """The volume pedal above the sustain pedal."""
    m = 'PresetEditor.MainControl.'
    # Their headers on the line of the body's top row of headers, each 24 pixels above its pedal.
    width, height, gap = 96, 164, 28
    # The summary in the band above each pedal's picture.
    texts = dict(channel=(4, 4, width - 8, 'Tile.Channel'), info=(4, 16, width - 8, 28))
    tiles = (laid_tile(20, m + 'Pedals.VolumePedal', 'volumePedal', 0, 0, width, height, 'Tile.PedalVolume',
                       MOVEABLE_VIEW, **texts) +
             laid_tile(20, m + 'Pedals.SustainPedal', 'sustainPedal', 0, height + gap, width, height,
                       'Tile.PedalSustain', BUTTON_VIEW, **texts))
    return ('                <!-- The volume pedal above the sustain pedal; after their edit panels. -->\n' +
            control(16, m + 'Pedals', 'pedals', *ringed(1088, 56, width, 2 * height + gap), 'Bare', tiles))


def fragments():
    return {'group_pads.xml': pads(), 'group_buttons.xml': buttons(), 'group_encoders.xml': encoders(),
            'group_faders.xml': faders(), 'group_wheels.xml': wheels(), 'group_xy_pad.xml': xy_pad(),
            'group_pedals.xml': pedals(), 'tiles_single.xml': single_tiles()}
