"""The framework's compound widgets as the edit panels use them: number boxes, drop-down lists, and
fields (a name above a box) sized on the edit-panel grid."""
from .grid import BOX_H, BOX_Y, FIELD_H, LABEL_H
from .xml import AUTO_VALUE, NOT_FOCUSABLE, PARENT_TOOLTIP, Control, label

STEP_W = 24
ROW_H = 20


def numeric(x, y, w):
    """A number box: the text, the two step buttons and the hidden slider it carries (unused)."""
    text_w = w - STEP_W
    thumbs = [Control("Framework.Button", name, tx, 0, 10, BOX_H, "Thumb", extra=(("TabStop", "-1"),),
                      params=(PARENT_TOOLTIP,)) for name, tx in (("thumbStart", 0), ("thumbEnd", text_w - 10))]
    half = BOX_H // 2
    return Control("Framework.NumericUpDown", "numericUpDown", x, y, w, BOX_H, "Bare", [
        Control("Framework.TextBox", "textBox", 0, 0, text_w, BOX_H, "TextField", extra=(("TabStop", "1"),)),
        Control("Framework.Button", "buttonUp", text_w, 0, STEP_W, half, "Step.Up", extra=(("TabStop", "2"),),
                params=(NOT_FOCUSABLE,)),
        Control("Framework.Button", "buttonDown", text_w, half, STEP_W, half, "Step.Down", extra=(("TabStop", "3"),),
                params=(NOT_FOCUSABLE,)),
        Control("Framework.Slider", "slider1", 0, 0, text_w, BOX_H, "Slider", thumbs,
                (("TabStop", "-1"), ("IsVisible", "False")))], (("TabStop", "1"),))


def scroll_bar():
    fixed = (("XIsDocked", "True"), ("YIsDocked", "True"))
    corner = Control("Framework.Label", "corner", 0, 0, 10, 0, "Track", params=(NOT_FOCUSABLE,), extra=(
        ("LayoutOrder", "0"),) + fixed + (
        ("XPositionToControl", "Parent"), ("XPositionRel", "1"), ("XPlacementAnchor", "1"),
        ("YPositionToControl", "Parent"), ("YPositionRel", "1"), ("YPlacementAnchor", "1")))
    across = (("XSizeToControl", "Parent"), ("XSizeRel", "1"))
    thumb = Control("Framework.Button", "thumb", 0, 0, 0, 20, "Thumb", extra=across, params=(NOT_FOCUSABLE,))
    bar = Control("Framework.ScrollBar", "vBar", 0, 0, 0, 0, "ScrollBar", [
        Control("Framework.Button", "dec", 0, 0, 0, 12, "Step.Up", extra=(("LayoutOrder", "0"),) + across,
                params=(NOT_FOCUSABLE,)),
        Control("Framework.Button", "inc", 0, 0, 0, 12, "Step.Down",
                extra=(("LayoutOrder", "1"), ("YPositionToControl", "Parent"), ("YPositionRel", "1"),
                       ("YPlacementAnchor", "1")) + across, params=(NOT_FOCUSABLE,)),
        Control("Framework.ScrollChannel", "channel", 0, 0, 0, 0, "Track", [thumb],
                (("LayoutOrder", "2"), ("YPositionToControl", "dec"), ("YPositionRel", "1")) + across +
                (("YSizeToControl", "inc"), ("YSizeRel", "0")))],
        (("LayoutOrder", "1"),) + fixed + (
            ("XPositionToControl", "corner"), ("XPositionRel", "0"), ("XSizeToControl", "corner"), ("XSizeRel", "1"),
            ("YPositionToControl", "Parent"), ("YSizeToControl", "corner"), ("YSizeRel", "0")))
    return [corner, bar]


def combo(x, y, w, rows):
    """A drop-down list showing up to rows rows before it scrolls."""
    item = Control("Framework.ListBoxItem", "templateItem", 0, 0, 0, ROW_H, "Row",
                   extra=(("XSizeToControl", "Client"), ("XSizeRel", "1")))
    drop = Control("Framework.ListBox", "listBox", 0, 0, 0, rows * ROW_H + 2, "DropList", scroll_bar() + [item],
                   (("IsVisible", "False"), ("ClipToParent", "False"), ("Z_Order", "10"),
                    ("YPositionToControl", "Parent"), ("YPositionRel", "1"), ("XSizeToControl", "Parent"),
                    ("XSizeRel", "1")))
    return Control("Framework.ComboBox", "comboBox", x, y, w, BOX_H, "Combo", [drop], (("TabStop", "1"),))


def field(cls, name, x, y, w, box, label_name="controlNameLabel", h=FIELD_H, extra=()):
    """A name above a box (the box placed at its y below the name)."""
    return Control(cls, name, x, y, w, h, "Bare", [label(label_name, 0, 0, w, LABEL_H), box], extra)


def combo_field(cls, name, x, y, w, rows, label_name="controlNameLabel", extra=()):
    return field(cls, name, x, y, w, combo(0, BOX_Y, w, rows), label_name, extra=extra)


def numeric_field(cls, name, x, y, w, label_name="controlNameLabel", box_w=None):
    return field(cls, name, x, y, w, numeric(0, BOX_Y, box_w or w), label_name)


def latch(x, y, w):
    button = Control("Framework.Button", "button", 0, BOX_Y, BOX_H, BOX_H, "Btn", extra=(("TabStop", "1"),),
                     params=(AUTO_VALUE,))
    return field("PresetEditor.Control.LabeledLatchingSelector", "latching", x, y, w, button)


def note_selector(cls, x, y, w, box_w):
    """A note number with its name and octave beside it."""
    name_x = box_w + 4
    return Control(cls, "noteSelector", x, y, w, BOX_H, "Bare", [
        numeric(0, 0, box_w), label("noteNameLabel", name_x, 6, 28, 16, "Label.Body"),
        label("octaveNameLabel", name_x + 32, 6, w - name_x - 32, 16, "Label.Secondary")])


def note_field(cls, name, x, y, w, box_w, selector="PresetEditor.Control.NoteSelector", label_name="controlNameLabel"):
    return field(cls, name, x, y, w, note_selector(selector, 0, BOX_Y, w, box_w), label_name)


def cc_field(x, y, w, box_w, label_name="controlNameLabel"):
    """A controller number with its usual name under the box."""
    hint_y = BOX_H + 4
    selector = Control("PresetEditor.Control.CCSelector", "ccSelector", 0, BOX_Y, w, hint_y + LABEL_H, "Bare", [
        numeric(0, 0, box_w), label("label", 0, hint_y, w, LABEL_H, "Label.Secondary")])
    return field("PresetEditor.Control.LabeledCCSelector", "cc", x, y, w, selector, label_name,
                 h=BOX_Y + hint_y + LABEL_H)


def pair(cls, name, x, y, first, second, w, step):
    """Two fields in a container of their own: (class, name, label name) each."""
    return Control(cls, name, x, y, step + w, FIELD_H, "Bare", [
        numeric_field(first[0], first[1], 0, 0, w, first[2]),
        numeric_field(second[0], second[1], step, 0, w, second[2])])
