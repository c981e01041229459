"""The skin's controls as a tree, written by one serializer so that every fragment is indented and
ordered alike: Class, Name, the four geometry attributes, the rest in the order given; then the
create parameters and the skin with the children."""
import re

NOT_FOCUSABLE = ("NOT_FOCUSABLE", "Boolean", "True")
PARENT_TOOLTIP = ("USE_PARENT_TOOLTIP", "Boolean", "True")
AUTO_VALUE = ("AUTO_VALUE_SET", "Boolean", "True")
# Fills the parent whatever its size.
FILL = (("XSizeToControl", "Parent"), ("XSizeRel", "1"), ("YSizeToControl", "Parent"), ("YSizeRel", "1"))


def attributes(text):
    """' A="1" B="2"' as pairs."""
    return tuple(re.findall(r'(\w+)="([^"]*)"', text or ""))


class Control:
    """One SubControl. children: Controls or ready-made text (an include line, a comment)."""

    def __init__(self, cls, name, x=0, y=0, w=0, h=0, look="Bare", children=(), extra=(), params=(), skin=None):
        self.cls, self.name = cls, name
        self.geometry = (x, y, w, h)
        self.look = look
        self.children = list(children)
        self.extra = attributes(extra) if isinstance(extra, str) else tuple(extra)
        self.params = tuple(params)
        self.skin = skin or f"{name}Skin"

    def render(self, indent):
        i = " " * indent
        x, y, w, h = self.geometry
        extra = "".join(f' {k}="{v}"' for k, v in self.extra)
        out = (f'{i}<SubControl Class="{self.cls}" Name="{self.name}" XPositionAbs="{x}" YPositionAbs="{y}" '
               f'XSizeAbs="{w}" YSizeAbs="{h}"{extra}>\n')
        if self.params:
            out += f"{i}  <CreateParamList>\n"
            for pid, kind, value in self.params:
                out += f'{i}    <CreateParam ID="{pid}" Type="{kind}">{value}</CreateParam>\n'
            out += f"{i}  </CreateParamList>\n"
        if self.children:
            out += f'{i}  <Skin Name="{self.skin}" LookList="{self.look}">\n'
            out += "".join(c if isinstance(c, str) else c.render(indent + 4) for c in self.children)
            out += f"{i}  </Skin>\n"
        else:
            out += f'{i}  <Skin Name="{self.skin}" LookList="{self.look}"/>\n'
        return out + f"{i}</SubControl>\n"


def control(indent, cls, name, x, y, w, h, looks, inner="", extra=""):
    """A control that cannot take the focus, its children already written (the picture's tiles)."""
    return Control(cls, name, x, y, w, h, looks, [inner] if inner else (), extra, (NOT_FOCUSABLE,)).render(indent)


def label(name, x, y, w, h, look="Label.FieldName", size="8.25", extra=()):
    return Control("Framework.Label", name, x, y, w, h, look, extra=(("FontSize", size),) + tuple(extra),
                   params=(NOT_FOCUSABLE,))


def include(fragment):
    """The line the skin merge replaces with the fragment of that name."""
    return f"<!--#include {fragment}-->\n"


def comment(indent, text):
    return f'{" " * indent}<!-- {text} -->\n'
