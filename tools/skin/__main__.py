"""python3 -m tools.skin [--check] [skins folder]: writes the generated fragments, or with --check
lists those that differ from the folder's and exits 1."""
import pathlib
import sys

from . import groups, message, moveable, notemode, panels, zones

FOLDER = pathlib.Path(__file__).resolve().parent.parent.parent / "resources" / "skins"


def fragments():
    out = {}
    for module in (groups, zones, moveable, panels, message, notemode):
        out.update(module.fragments())
    return out


def main(argv):
    check = "--check" in argv
    rest = [a for a in argv if a != "--check"]
    folder = pathlib.Path(rest[0]) if rest else FOLDER
    stale = []
    for name, text in sorted(fragments().items()):
        path = folder / name
        if check:
            if not path.exists() or path.read_bytes() != text.encode("utf-8"):
                stale.append(name)
        else:
            path.write_bytes(text.encode("utf-8"))
    for name in stale:
        print(f"{folder / name} differs from what tools/skin writes: run python3 -m tools.skin and commit it")
    if check:
        print(f"{len(fragments()) - len(stale)} fragments current, {len(stale)} stale")
    return 1 if stale else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
