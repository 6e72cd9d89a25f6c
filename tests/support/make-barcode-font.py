#!/usr/bin/python3
"""Writes a stand-in for the barcode font that the configuration requires: a free TrueType font
(Liberation Mono) whose family is renamed, so that Windows lists it under exactly that name.
It draws letters, not bars; only its name matters to the program.

usage: make-barcode-font.py OUT.ttf [FAMILY]   (FAMILY defaults to "Free 3 of 9 Extended")
Run with Debian's /usr/bin/python3 (python3-fonttools).
"""
import sys

from fontTools.ttLib import TTFont

SOURCE = "/usr/share/fonts/truetype/liberation/LiberationMono-Regular.ttf"
WINDOWS, MAC = 3, 1


def rename(font, family):
    names = font["name"]
    postscript = "".join(c for c in family if c.isalnum()) or "Font"
    wanted = {1: family, 2: "Regular", 3: "vorlasched test font: " + family, 4: family, 6: postscript}
    # Typographic and variation names would let a reader prefer the original family.
    names.names = [n for n in names.names if n.nameID not in (16, 17, 21, 22)]
    for record in names.names:
        if record.nameID in wanted and record.platformID in (WINDOWS, MAC):
            record.string = wanted[record.nameID]


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    family = sys.argv[2] if len(sys.argv) == 3 else "Free 3 of 9 Extended"
    font = TTFont(SOURCE)
    rename(font, family)
    font.save(sys.argv[1])


if __name__ == "__main__":
    main()
