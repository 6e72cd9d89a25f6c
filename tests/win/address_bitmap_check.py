#!/usr/bin/python3
"""Reads the branch header images back with PIL and checks their geometry.

usage: address_bitmap_check.py --work DIR -- <command that runs address_bitmap_probe under Wine>
"""
import argparse
import os
import struct
import subprocess
import tempfile
import sys
import unittest

from PIL import Image

WIDTH, HEIGHT = 487, 102
LEFT = 5

PROBE = []
WORK = ""


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


RENDERED = {}


def render(name, lines):
    """Runs the probe on five lines once per name; returns (image path, fit, palette, messages)."""
    if name in RENDERED:
        return RENDERED[name]
    text_path = os.path.join(WORK, name + ".txt")
    bmp_path = os.path.join(WORK, name + ".bmp")
    with open(text_path, "w", encoding="utf-8", newline="") as f:
        f.write("\n".join(lines))
    if os.path.exists(bmp_path):
        os.remove(bmp_path)
    # Output to files, not pipes: a Wine process that the probe's start brings up (the desktop, a
    # service) may inherit its handles and outlive it, and a pipe would then stay open.
    with tempfile.TemporaryFile() as stdout, tempfile.TemporaryFile() as stderr:
        run = subprocess.run(PROBE + [windows_path(bmp_path), windows_path(text_path)],
                             stdin=subprocess.DEVNULL, stdout=stdout, stderr=stderr, timeout=60)
        stdout.seek(0)
        stderr.seek(0)
        out = stdout.read().decode("utf-8", "replace")
        err = stderr.read().decode("utf-8", "replace")
    if run.returncode != 0:
        raise AssertionError("probe failed (%d): %s %s" % (run.returncode, out, err))
    fit, palette, messages = None, None, []
    for line in out.splitlines():
        word, _, rest = line.partition(" ")
        if word == "fit":
            fit = tuple(int(x) for x in rest.split())
        elif word == "palette":
            palette = [tuple(int(c) for c in entry.split(",")) for entry in rest.split()]
        elif word == "message":
            messages.append(rest)
    RENDERED[name] = (bmp_path, fit, palette, messages)
    return RENDERED[name]


def line_tops(measured_height):
    """The rows the lines start at, in whole numbers and rounded down."""
    return [(HEIGHT - measured_height + 2 * HEIGHT * i) // 10 for i in range(5)]


class Ink:
    """The dark pixels of a palette image."""

    def __init__(self, path):
        self.image = Image.open(path)
        self.image.load()
        pal = self.image.getpalette()
        colours = [tuple(pal[3 * i:3 * i + 3]) for i in range(len(pal) // 3)]
        self.pixels = self.image.load()
        self.dark = [[sum(colours[self.pixels[x, y]]) < 3 * 128 for x in range(WIDTH)] for y in range(HEIGHT)]

    def rows(self, x0=0, x1=WIDTH):
        return [y for y in range(HEIGHT) if any(self.dark[y][x0:x1])]

    def columns(self, y0, y1, x0=0, x1=WIDTH):
        return [x for x in range(x0, x1) if any(self.dark[y][x] for y in range(max(y0, 0), min(y1, HEIGHT)))]

    def runs(self, y0, y1):
        """Runs of adjacent inked columns in a band: (first column, width)."""
        result, start, previous = [], None, None
        for x in self.columns(y0, y1):
            if start is None or x != previous + 1:
                if start is not None:
                    result.append((start, previous - start + 1))
                start = x
            previous = x
        if start is not None:
            result.append((start, previous - start + 1))
        return result


SHORT = [
    "Κατάστημα: Λεωφ. Αθηνών 12",
    "Αθήνα, Τηλ. 2101234567",
    "Κεντρικό: Σταδίου 5, Αθήνα",
    "Τηλ. 2107654321",
    "ΑΦΜ 099999999, ΔΟΥ ΦΑΕ",
]


class AddressBitmap(unittest.TestCase):
    def test_file_is_an_8_bit_bitmap_with_the_halftone_palette(self):
        path, fit, palette, messages = render("short", SHORT)
        self.assertEqual(messages, [])
        with open(path, "rb") as f:
            data = f.read()
        magic, size, _, offset = struct.unpack_from("<2sIII", data, 0)
        header, width, height, planes, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
        self.assertEqual((magic, size, len(data)), (b"BM", len(data), 14 + 40 + 256 * 4 + 488 * HEIGHT))
        self.assertEqual((header, width, height, planes, bits, compression), (40, WIDTH, HEIGHT, 1, 8, 0))
        self.assertEqual(offset, 14 + 40 + 256 * 4)
        table = [struct.unpack_from("<BBB", data, 54 + 4 * i)[::-1] for i in range(256)]
        self.assertEqual(len(palette), 256)
        self.assertEqual(table, palette)
        self.assertEqual((table[0], table[255]), ((0, 0, 0), (255, 255, 255)))

        image = Image.open(path)
        self.assertEqual((image.format, image.mode, image.size), ("BMP", "P", (WIDTH, HEIGHT)))
        used = {table[index] for _, index in image.getcolors(256)}
        self.assertEqual(used, {(0, 0, 0), (255, 255, 255)})  # black text on white, nothing else

    def test_five_short_lines_fit_at_height_25(self):
        path, fit, _, _ = render("short", SHORT)
        self.assertEqual(fit[0], 25)
        self.assertEqual(fit[2], 100)
        self.assertLessEqual(fit[1], 480)
        ink = Ink(path)
        self.assertEqual(ink.columns(0, HEIGHT, 0, LEFT), [], "left margin")
        self.assertEqual(ink.columns(0, HEIGHT, 470, WIDTH), [], "right margin")
        tops = line_tops(fit[2])
        self.assertEqual(tops, [0, 20, 41, 61, 81])
        rows = set(ink.rows())
        for i, top in enumerate(tops):
            bottom = tops[i + 1] if i < 4 else HEIGHT
            self.assertTrue(rows.intersection(range(top, bottom)), "no ink in line %d" % i)

    def test_each_line_starts_at_its_row(self):
        # One line of tall glyphs at a time, pushed right by blanks; the other lines are blanks
        # (the label lines still draw their colon near the left edge, outside the area looked at).
        glyphs = "            ÉÅ|gjÉÅ|"
        for i in range(5):
            with self.subTest(line=i):
                lines = [" "] * 5
                lines[i] = glyphs
                path, fit, _, _ = render("row%d" % i, lines)
                self.assertEqual(fit[0], 25)
                top = line_tops(fit[2])[i]
                rows = Ink(path).rows(40, WIDTH)
                self.assertTrue(rows, "no ink")
                self.assertIn(rows[0] - top, (0, 1), "the accents reach the top of the cell")
                self.assertLess(rows[-1], top + fit[0])
                self.assertGreaterEqual(rows[-1], min(top + 20, HEIGHT - 1))

    def test_label_part_is_bold_and_the_rest_regular(self):
        label = "IIIIIIII: IIIIIIII"
        path, fit, _, _ = render("bold", [label, label, "x", "x", "x"])
        ink = Ink(path)
        tops = line_tops(fit[2])
        first = ink.runs(tops[0], tops[1])
        second = ink.runs(tops[1], tops[2])
        # eight I's, the colon, eight I's
        self.assertEqual(len(first), 17, first)
        self.assertEqual(len(second), 17, second)
        bold_stem = sum(w for _, w in first[:8]) / 8
        regular_stem = sum(w for _, w in second[:8]) / 8
        self.assertGreater(bold_stem, regular_stem)
        self.assertEqual([w for _, w in first[9:]], [w for _, w in second[9:]], "value part in regular type")
        self.assertGreater(first[9][0], second[9][0], "value follows the wider bold label")

    def test_later_line_covers_the_one_above_with_its_background(self):
        # The bars reach below the second line's top; blanks there paint them over. (Columns
        # from 20 on: the single blank of the first case covers the first few.)
        bars = "|" * 20
        uncovered, fit, _, _ = render("uncovered", [bars, " ", " ", " ", " "])
        covered, fit2, _, _ = render("covered", [bars, " " * 40, " ", " ", " "])
        self.assertEqual((fit[0], fit[2]), (fit2[0], fit2[2]))
        top = line_tops(fit[2])[1]
        bar_columns = Ink(uncovered).columns(0, top, 20, 60)
        self.assertTrue(bar_columns)
        self.assertTrue(Ink(uncovered).columns(top, top + 5, 20, 60), "the bars reach into the next line")
        self.assertEqual(Ink(covered).columns(top, top + 5, 20, 60), [])
        self.assertEqual(Ink(covered).columns(0, top, 20, 60), bar_columns)

    def test_long_fifth_line_is_cut_at_the_right_edge(self):
        lines = SHORT[:4] + ["W" * 120]
        path, fit, _, _ = render("long5", lines)
        self.assertEqual(fit, render("short", SHORT)[1], "the fifth line takes no part in the fit")
        ink = Ink(path)
        top = line_tops(fit[2])[4]
        self.assertTrue(ink.columns(top, HEIGHT, WIDTH - 4, WIDTH), "ink reaches the right edge")
        self.assertEqual(ink.columns(0, top, 470, WIDTH), [], "the lines above stay short")


def main():
    global PROBE, WORK
    parser = argparse.ArgumentParser()
    parser.add_argument("--work", required=True)
    parser.add_argument("probe", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    PROBE = args.probe[1:] if args.probe[:1] == ["--"] else args.probe
    WORK = args.work
    os.makedirs(WORK, exist_ok=True)
    result = unittest.TextTestRunner(verbosity=2).run(unittest.defaultTestLoader.loadTestsFromTestCase(AddressBitmap))
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
