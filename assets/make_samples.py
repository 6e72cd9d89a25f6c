#!/usr/bin/python3
"""Writes the sample form files that ship beside the program in dist/.

Run once with Debian's /usr/bin/python3 (PIL); the outputs are kept in the repository:
  assets/dist/generic_ab.esc   printer set-up sequence of a form (PCL: reset, A4, landscape, 8 lpi)
  assets/dist/ab1.bmp          the form's logo, 1 bit per pixel, 240 x 64
  assets/dist/abPOS.xml        form template of the point-of-sale maps
  assets/dist/abBACK.xml       form template of the back-office maps
A deployment replaces all four with the files that come with Vorla, under the same names; the
configuration copies whatever is there into the map folders.
"""
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

DIST = Path(__file__).resolve().parent / "dist"
FONT = "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf"

ESC = b"".join([
    b"\x1bE",         # reset
    b"\x1b&l26A",     # A4
    b"\x1b&l1O",      # landscape
    b"\x1b&l8D",      # 8 lines per inch
    b"\x1b(s0p16.67h8.5v0s0b3T",  # fixed pitch, 16.67 cpi, Courier
    b"\x1b&a0L",      # left margin at column 0
])

TEMPLATE = """<?xml version="1.0" encoding="utf-8"?>
<!-- Sample form template ({kind}). Replace with the template that comes with Vorla. -->
<form type="{kind}" paper="A4" orientation="landscape" linesPerPage="{lines}">
  <image file="ab1.bmp" x="10" y="8" width="60" height="16"/>
  <image file="address.bmp" x="80" y="6" width="122" height="26"/>
  <barcode field="Barcode39" x="210" y="40"/>
  <qrcode x="210" y="12" width="30"/>
  <body firstLine="1" lastLine="{last}" firstItem="{first_item}"/>
</form>
"""


def logo():
    image = Image.new("1", (240, 64), 1)
    draw = ImageDraw.Draw(image)
    draw.rectangle([0, 0, 239, 63], outline=0, width=3)
    draw.text((16, 6), "AB", font=ImageFont.truetype(FONT, 48), fill=0)
    draw.text((104, 20), "FORMS", font=ImageFont.truetype(FONT, 26), fill=0)
    return image


def main():
    DIST.mkdir(exist_ok=True)
    (DIST / "generic_ab.esc").write_bytes(ESC)
    logo().save(DIST / "ab1.bmp")
    (DIST / "abPOS.xml").write_text(TEMPLATE.format(kind="POS", lines=54, last=0, first_item=19), encoding="utf-8",
                                    newline="\r\n")
    (DIST / "abBACK.xml").write_text(TEMPLATE.format(kind="BACK", lines=53, last=51, first_item=0),
                                     encoding="utf-8", newline="\r\n")


if __name__ == "__main__":
    main()
