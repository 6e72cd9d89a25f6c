#!/usr/bin/python3
"""Draws the program's pictures: the About dialog's logo and the application icon.

Run once with Debian's /usr/bin/python3 (PIL); the outputs are kept in the repository:
  assets/logo.bmp        146 x 129, 8 bits with a 256-colour palette; its bottom-left pixel
                         holds the colour that is drawn transparent
  assets/logo-144.bmp    the same picture drawn at 219 x 194, as the dialog shows it at 144 DPI
  assets/logo-192.bmp    and at 292 x 258, for 192 DPI
  assets/vorlasched.ico  16 to 64 pixels, 32-bit colour with alpha and an AND mask
The picture: a printed job sheet with a circular "send again" arrow and a small clock.
"""
import math
import struct
import sys
from pathlib import Path

from PIL import Image, ImageDraw

HERE = Path(__file__).resolve().parent
NAVY = (31, 58, 104)
TEAL = (28, 140, 156)
ORANGE = (232, 137, 43)
PAPER = (252, 252, 248)
RULE = (150, 160, 176)
BACKDROP = (240, 240, 240)  # what the anti-aliased edges are blended into (the dialog face)
KEY = (255, 0, 255)         # the transparent colour of the logo


def draw_picture(draw, s, detail):
    """Draws the picture on a canvas of 146 x 129 units, s pixels per unit; fill is RGBA."""
    def box(x0, y0, x1, y1):
        return [x0 * s, y0 * s, x1 * s, y1 * s]

    # The job sheet, its folded corner and printed lines.
    draw.polygon([(18 * s, 10 * s), (78 * s, 10 * s), (96 * s, 28 * s), (96 * s, 112 * s), (18 * s, 112 * s)],
                 fill=PAPER + (255,), outline=NAVY + (255,), width=max(1, int(3 * s)))
    draw.polygon([(78 * s, 10 * s), (78 * s, 28 * s), (96 * s, 28 * s)], fill=RULE + (255,))
    if detail:
        for i, y in enumerate(range(36, 100, 11)):
            right = 84 if i % 2 == 0 else 70
            draw.rounded_rectangle(box(28, y, right, y + 4), radius=2 * s, fill=RULE + (255,))
        draw.rounded_rectangle(box(28, 20, 62, 27), radius=2 * s, fill=NAVY + (255,))

    # The circular arrow around the clock: the job sent again.
    cx, cy, radius, end = 96, 84, 32, 100
    draw.arc(box(cx - radius, cy - radius, cx + radius, cy + radius), start=205, end=end, fill=TEAL + (255,),
             width=max(2, int(8 * s)))
    a = math.radians(end)
    ex, ey = cx + radius * math.cos(a), cy + radius * math.sin(a)
    dx, dy = -math.sin(a), math.cos(a)      # direction of travel at the arc's end
    nx, ny = math.cos(a), math.sin(a)       # outward normal
    draw.polygon([((ex + 13 * dx) * s, (ey + 13 * dy) * s), ((ex + 10 * nx) * s, (ey + 10 * ny) * s),
                  ((ex - 10 * nx) * s, (ey - 10 * ny) * s)], fill=TEAL + (255,))

    # The clock of the scheduler.
    draw.ellipse(box(cx - 20, cy - 20, cx + 20, cy + 20), fill=ORANGE + (255,), outline=NAVY + (255,),
                 width=max(1, int(3 * s)))
    draw.line([(cx * s, cy * s), (cx * s, (cy - 14) * s)], fill=PAPER + (255,), width=max(1, int(4 * s)))
    draw.line([(cx * s, cy * s), ((cx + 11) * s, (cy + 5) * s)], fill=PAPER + (255,), width=max(1, int(4 * s)))

def render_rgba(width, height, detail, supersample=8):
    scale = supersample * min(width / 146, height / 129)
    big = Image.new("RGBA", (width * supersample, height * supersample), (0, 0, 0, 0))
    draw_picture(ImageDraw.Draw(big), scale, detail)
    return big.resize((width, height), Image.Resampling.LANCZOS)


def make_logo(path, width=146, height=129):
    rgba = render_rgba(width, height, detail=True)
    opaque = Image.new("RGB", rgba.size, BACKDROP)
    opaque.paste(rgba, mask=rgba.getchannel("A"))
    # 255 colours for the picture, index 0 for the transparent key.
    quantized = opaque.quantize(colors=255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    palette = quantized.getpalette()[: 255 * 3]
    palette += [0, 0, 0] * (255 - len(palette) // 3)
    indices = [i + 1 for i in quantized.getdata()]
    alpha = rgba.getchannel("A").getdata()
    indices = [0 if a < 128 else i for i, a in zip(indices, alpha)]
    logo = Image.new("P", rgba.size)
    logo.putpalette(list(KEY) + palette)
    logo.putdata(indices)
    if logo.getpixel((0, height - 1)) != 0:
        sys.exit("the logo's bottom-left pixel must be transparent")
    logo.save(path, "BMP")


def icon_frame(size):
    rgba = render_rgba(size, size, detail=size >= 32)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(size):
            r, g, b, a = rgba.getpixel((x, y))
            pixels += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(size):
            if rgba.getpixel((x, y))[3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + pixels + mask


def make_icon(path, sizes=(16, 20, 24, 32, 40, 48, 64)):
    frames = [icon_frame(size) for size in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(frames)))
    offset = 6 + 16 * len(frames)
    for size, frame in zip(sizes, frames):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(frame), offset)
        offset += len(frame)
    for frame in frames:
        out += frame
    Path(path).write_bytes(out)


if __name__ == "__main__":
    make_logo(HERE / "logo.bmp")
    make_logo(HERE / "logo-144.bmp", 219, 194)
    make_logo(HERE / "logo-192.bmp", 292, 258)
    make_icon(HERE / "vorlasched.ico")
