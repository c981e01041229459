"""The one grid of the edit panels. Every panel has the same frame: at the left, the control's name,
its bank under it and, level with the first row of boxes, the panel's pages (or the MIDI header where
there is one page); at the right, one row of tabs for the kind of message, then fields (a name over a
box) in columns of 144 pixels and rows 76 pixels apart. All numbers are on the 4-pixel grid."""
from .xml import Control, comment, label

PANEL = (16, 424, 1168, 288)  # in the main window, where the edit hint is
TITLE = (20, 16, 200, 24)
BANK = (20, 44, 200, 16)
SIDE_X = 20
SIDE_Y = 80  # the first page tab (or the MIDI header), level with the first row's boxes
CONTENT = (240, 16, 912, 256)  # the tab row, then the fields

TAB_H = 28
TAB_GAP = 4
TAB_FONT = "8.25"  # every page tab's text, whatever its panel
FIELDS_Y = 44  # below the tab row, in the content
COL_W = 144
COL_GAP = 8
COL = COL_W + COL_GAP
ROW = 76
LABEL_H = 16
BOX_Y = 20
BOX_H = 28
FIELD_H = BOX_Y + BOX_H


def col(n):
    """The left edge of column n (a half column is allowed)."""
    return int(n * COL)


def span(n):
    """The width of n columns."""
    return int(n * COL) - COL_GAP


def row(n):
    return n * ROW


def title(name):
    return label(name, *TITLE, "Label.Title", "12", (("FontStyle", "0x0001"),))


def bank():
    return label("bankName", *BANK, "Label.Secondary")


def midi_header():
    """The header of a panel with one page, where the page tabs of the others are."""
    return label("midiLabel", SIDE_X, SIDE_Y, COL_W, TAB_H, "Label.Header")


def side_tabs(prefix, tabs, pages, extra=()):
    """The panel's pages: tabs stacked in the left column, the pages at the content's place.
    tabs: (name, TabStop, skin name or None)."""
    x, y, w, h = CONTENT
    buttons = [Control("Framework.Button", name, 0, k * (TAB_H + TAB_GAP), COL_W, TAB_H, "Btn",
                       extra=(("TabStop", stop), ("FontSize", TAB_FONT)), skin=skin) for k, (name, stop, skin) in enumerate(tabs)]
    holder_y = SIDE_Y - y
    left = x - SIDE_X
    return Control(prefix + ".TabControl", "viewTabControl", SIDE_X, y, left + w, h, "Bare", [
        Control(prefix + ".TabControl.ButtonHolder", "buttonHolder", 0, holder_y, COL_W,
                len(tabs) * (TAB_H + TAB_GAP) - TAB_GAP, "Bare", buttons),
        Control(prefix + ".TabControl.PageHolder", "pageHolder", left, 0, w, h, "Bare", pages)], extra)


def page(cls, name, children, extra=()):
    """A page filling the content."""
    return Control(cls, name, 0, 0, CONTENT[2], CONTENT[3], "Bare", children, extra)


def panel(cls, name, note, children):
    """An edit panel, hidden until its control is chosen."""
    return comment(16, note) + Control(cls, name, *PANEL, "Panel", children, (("IsVisible", "False"),)).render(16)
