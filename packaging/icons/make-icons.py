#!/usr/bin/python3
"""Makes the program's desktop icons from the same design as resources/icons/tovrin.ico:
a rounded blue tile, a white capital A and a yellow small a with a blue rim.

  tovrin.svg         drawn here, glyph outlines taken from DejaVu Sans Bold
  tovrin-16.png      the .ico's own 16 x 16 image (drawn pixel by pixel for the tray)
  tovrin-32.png      the .ico's richest 32 x 32 image
  tovrin-48.png      the SVG rendered at 48 x 48 (the .ico has no such size)

Needs python3-fonttools, fonts-dejavu-core, imagemagick and librsvg2-bin.
Run from anywhere; writes next to this script."""

import os
import re
import subprocess
import sys
import tempfile

from fontTools.pens.boundsPen import BoundsPen
from fontTools.pens.svgPathPen import SVGPathPen
from fontTools.pens.transformPen import TransformPen
from fontTools.ttLib import TTFont

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
ICO = os.path.join(ROOT, "resources", "icons", "tovrin.ico")
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

# The .ico's design on its 32-pixel grid (scripts/make-pictures.py).
BLUE_TOP, BLUE_BOTTOM = "#3478eb", "#0e2c96"
OUTLINE = "#081850"
WHITE, YELLOW = "#ffffff", "#ffd60a"
BIG_A_BOX = (3, 5, 20, 26)     # ink of "A" stretched to left, top, right, bottom
SMALL_A_BOX = (18, 12, 29, 26)  # ink of "a"


def num(v):
    text = "%.3f" % v
    return text.rstrip("0").rstrip(".") if "." in text else text


def glyph_path(font, char, box):
    glyphs = font.getGlyphSet()
    glyph = glyphs[font.getBestCmap()[ord(char)]]
    bounds = BoundsPen(glyphs)
    glyph.draw(bounds)
    xmin, ymin, xmax, ymax = bounds.bounds
    left, top, right, bottom = box
    sx = (right - left) / (xmax - xmin)
    sy = (bottom - top) / (ymax - ymin)
    pen = SVGPathPen(glyphs, ntos=num)
    glyph.draw(TransformPen(pen, (sx, 0, 0, -sy, left - xmin * sx, top + ymax * sy)))
    return pen.getCommands()


def svg():
    font = TTFont(FONT)
    big_a = glyph_path(font, "A", BIG_A_BOX)
    small_a = glyph_path(font, "a", SMALL_A_BOX)
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">
  <title>Tovrin</title>
  <defs>
    <linearGradient id="blue" x1="0" y1="0" x2="0" y2="32" gradientUnits="userSpaceOnUse">
      <stop offset="0" stop-color="{BLUE_TOP}"/>
      <stop offset="1" stop-color="{BLUE_BOTTOM}"/>
    </linearGradient>
  </defs>
  <rect x="1" y="1" width="30" height="30" rx="6" fill="{OUTLINE}"/>
  <rect x="2" y="2" width="28" height="28" rx="5" fill="url(#blue)"/>
  <path fill="{WHITE}" d="{big_a}"/>
  <path fill="none" stroke="url(#blue)" stroke-width="2" stroke-linejoin="round" d="{small_a}"/>
  <path fill="{YELLOW}" d="{small_a}"/>
</svg>
"""


def ico_entries():
    """(index, size, colours) of each image in the .ico."""
    out = subprocess.run(["identify", "-format", "%p %w %k\n", ICO], check=True,
                         capture_output=True, text=True).stdout
    return [tuple(int(v) for v in line.split()) for line in out.splitlines() if line.strip()]


def extract(index, path):
    subprocess.run(["convert", f"{ICO}[{index}]", f"png32:{path}"], check=True)


def main():
    svg_path = os.path.join(HERE, "tovrin.svg")
    with open(svg_path, "w") as fh:
        fh.write(svg())

    best = {}
    for index, size, colours in ico_entries():
        if size not in best or colours > best[size][1]:
            best[size] = (index, colours)
    for size in (16, 32, 48):
        out = os.path.join(HERE, f"tovrin-{size}.png")
        if size in best:
            extract(best[size][0], out)
        else:
            subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), "-o", out, svg_path], check=True)
        # Drop the time stamps ImageMagick writes, so an unchanged picture stays unchanged.
        subprocess.run(["convert", out, "-strip", f"png32:{out}"], check=True)
        print(out)
    print(svg_path)


if __name__ == "__main__":
    sys.exit(main())
