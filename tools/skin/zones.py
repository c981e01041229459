"""The keybed-zone group of the picture: four tiles as bars over the 25 keys (group_zones.xml)."""
from .groups import RING, ringed
from .xml import NOT_FOCUSABLE, Control, comment, label

WIDTH, HEIGHT = 236, 28  # a zone's colour bar and the rows of text under it, above the keys


def tile(i, x):
    # Under the zone's colour bar (the group's look): name, "OFF" and channel, then the key range;
    # the face first, under them, and reaching RING pixels past them for its ring.
    r = RING
    channel = Control("PresetEditor.MainControl.MIDIChannelView", "midiChannel", r + WIDTH - 108, r + 4, 104, 12,
                      "Bare", [label("label", 0, 0, 104, 12, "Tile.ChannelRight")], params=(NOT_FOCUSABLE,))
    body = [Control("Framework.Button", "button", 0, 0, WIDTH + 2 * r, HEIGHT + 2 * r, "Tile.Face",
                    params=(NOT_FOCUSABLE,)),
            label("zoneName", r + 4, r + 4, 104, 12, "Tile.NumberLeft"),
            # Shown while the zone is switched off.
            label("zoneOff", r + 60, r + 4, 48, 12, "Tile.NumberLeft", extra=(("IsVisible", "False"),)),
            channel,
            label("infoLabel", r + 4, r + 16, WIDTH - 8, 12, "Tile.Info")]
    return Control("PresetEditor.MainControl.KeybedZones.Zone", f"zone{i}", x, 0, WIDTH + 2 * r, HEIGHT + 2 * r,
                   "Tile.Clear", body, params=(NOT_FOCUSABLE,))


def group():
    tiles = [tile(i + 1, 240 * i) for i in range(4)]
    return (comment(16, "The four keybed zones as bars over the 25 keys") +
            Control("PresetEditor.MainControl.KeybedZones", "keybedZones", *ringed(64, 272, 960, 132), "Device.Keybed",
                    tiles, (("LayoutOrder", "36"),), (NOT_FOCUSABLE,)).render(16))


def fragments():
    return {"group_zones.xml": group()}
