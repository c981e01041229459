#!/usr/bin/env python3
"""Writes a UTF-8 XML document as UTF-16LE with a byte-order mark, its declaration saying UTF-16."""
import re
import sys


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: utf16le_document.py <utf-8 source> <utf-16 output>")
    with open(sys.argv[1], encoding="utf-8") as source:
        text = source.read()
    text = re.sub(r'^(<\?xml[^>]*encoding=")UTF-8(")', r"\1UTF-16\2", text, count=1)
    with open(sys.argv[2], "wb") as output:
        output.write(b"\xff\xfe" + text.encode("utf-16-le"))


if __name__ == "__main__":
    main()
