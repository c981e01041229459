"""The keybed-zone group of the picture: four tiles as bars over the 25 keys (group_zones.xml)."""
from .xml import NOT_FOCUSABLE, Control, comment, label


def tile(i, x):
    # Under the zone's colour bar (the group's look): name, "OFF" and channel, then the key range.
    channel = Control("PresetEditor.MainControl.MIDIChannelView", "midiChannel", 124, 5, 104, 12, "Bare",
                      [label("label", 0, 0, 104, 12, "Tile.ChannelRight")], params=(NOT_FOCUSABLE,))
    body = [label("zoneName", 4, 5, 104, 12, "Tile.NumberLeft"),
            # Shown while the zone is switched off.
            label("zoneOff", 60, 5, 48, 12, "Tile.NumberLeft", extra=(("IsVisible", "False"),)),
            channel,
            label("infoLabel", 4, 17, 224, 12, "Tile.Info"),
            Control("Framework.Button", "button", 0, 0, 232, 30, "Tile.Face", params=(NOT_FOCUSABLE,))]
    return Control("PresetEditor.MainControl.KeybedZones.Zone", f"zone{i}", x, 0, 232, 30, "Tile.Clear", body,
                   params=(NOT_FOCUSABLE,))


def group():
    tiles = [tile(i + 1, 2 + 240 * i) for i in range(4)]
    return (comment(16, "The four keybed zones as bars over the 25 keys") +
            Control("PresetEditor.MainControl.KeybedZones", "keybedZones", 64, 272, 960, 132, "Device.Keybed", tiles,
                    (("LayoutOrder", "36"),), (NOT_FOCUSABLE,)).render(16))


def fragments():
    return {"group_zones.xml": group()}
