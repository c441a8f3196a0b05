#!/usr/bin/python3
"""Draws every picture the program carries and writes them under resources/.

    scripts/make-pictures.py [--preview DIR]

The icons and the cursor are written as Windows .ico/.cur files with classic
palette bitmaps (2 and 16 colours); the banner as a 24-bit PNG. --preview also
writes enlarged PNG sheets of every image, for looking at them.

Needs python3-pil and the DejaVu fonts (fonts-dejavu-core).
"""

import argparse
import math
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
RES = os.path.join(ROOT, "resources")
FONT_DIRS = ["/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/truetype/liberation2"]
SS = 8  # supersampling factor for smooth shapes

# The 16 colours every VGA adapter shows; the "standard" 16-colour images use them.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def font(name, px):
    for d in FONT_DIRS:
        path = os.path.join(d, name)
        if os.path.exists(path):
            return ImageFont.truetype(path, px)
    sys.exit("font %s not found (install fonts-dejavu-core)" % name)


# ---------------------------------------------------------------- shapes ---

def coverage(size, paint, ss=SS):
    """A greyscale coverage mask (0..255) of `size`, drawn `ss` times larger by
    paint(draw, s) where s scales pixel coordinates, then box-filtered down."""
    w, h = size
    big = Image.new("L", (w * ss, h * ss), 0)
    paint(ImageDraw.Draw(big), ss)
    return big.resize((w, h), Image.BOX)


def glyph_mask(size, text, fontname, box, ss=SS):
    """Coverage of `text` whose ink is fitted into box = (left, top, right, bottom)
    in pixels (right/bottom exclusive), keeping the glyph's proportions unless the
    box says otherwise."""
    w, h = size
    l, t, r, b = box
    f = font(fontname, (b - t) * ss * 2)
    ink = f.getbbox(text)
    tmp = Image.new("L", (ink[2] + 4, ink[3] + 4), 0)
    ImageDraw.Draw(tmp).text((0, 0), text, fill=255, font=f)
    tmp = tmp.crop(ink)
    tmp = tmp.resize(((r - l) * ss, (b - t) * ss), Image.LANCZOS)
    big = Image.new("L", (w * ss, h * ss), 0)
    big.paste(tmp, (l * ss, t * ss))
    return big.resize((w, h), Image.BOX)


def rounded_tile(size, box, radius):
    l, t, r, b = box
    return coverage(size, lambda d, s: d.rounded_rectangle(
        (l * s, t * s, r * s - 1, b * s - 1), radius=radius * s, fill=255))


def lerp(c1, c2, t):
    return tuple(int(round(a + (b - a) * t)) for a, b in zip(c1, c2))


def vertical_gradient(size, top, bottom):
    w, h = size
    img = Image.new("RGB", size)
    for y in range(h):
        t = y / max(1, h - 1)
        for x in range(w):
            img.putpixel((x, y), lerp(top, bottom, t))
    return img


def over(base, colour_or_img, mask):
    """Paints colour (or image) through mask onto base (RGB), in place."""
    if isinstance(colour_or_img, tuple):
        colour_or_img = Image.new("RGB", base.size, colour_or_img)
    base.paste(colour_or_img, (0, 0), mask)
    return base


def threshold(mask, level=128):
    return mask.point(lambda v: 255 if v >= level else 0)


# ------------------------------------------------------- palette images ---

class Indexed:
    """A palette image with a transparency mask, ready for an .ico/.cur entry."""

    def __init__(self, pixels, palette, opaque, bpp):
        self.w, self.h = pixels.size
        self.pixels = pixels  # "P"-like: list access via getpixel -> index
        self.palette = palette
        self.opaque = opaque  # "L": 255 opaque, 0 transparent
        self.bpp = bpp


def nearest(palette, c):
    best, bi = None, 0
    for i, p in enumerate(palette):
        d = (p[0] - c[0]) ** 2 * 3 + (p[1] - c[1]) ** 2 * 4 + (p[2] - c[2]) ** 2 * 2
        if best is None or d < best:
            best, bi = d, i
    return bi


def to_indexed(rgb, opaque, palette, bpp):
    """Maps every opaque pixel to its nearest palette colour (no dithering: small
    icons look cleaner with flat areas)."""
    w, h = rgb.size
    idx = Image.new("L", (w, h), 0)
    for y in range(h):
        for x in range(w):
            if opaque.getpixel((x, y)) >= 128:
                idx.putpixel((x, y), nearest(palette, rgb.getpixel((x, y))))
    return Indexed(idx, palette, threshold(opaque), bpp)


def to_indexed_adaptive(rgb, opaque, colours=16):
    """An own 16-colour palette chosen for this picture (index 0 stays black for the
    transparent pixels), for smoother edges than the fixed VGA colours allow."""
    w, h = rgb.size
    solid = [rgb.getpixel((x, y)) for y in range(h) for x in range(w) if opaque.getpixel((x, y)) >= 128]
    strip = Image.new("RGB", (len(solid), 1))
    strip.putdata(solid)
    q = strip.quantize(colors=colours - 1, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    pal = q.getpalette()[: 3 * (colours - 1)]
    palette = [(0, 0, 0)] + [tuple(pal[i:i + 3]) for i in range(0, len(pal), 3)]
    while len(palette) < colours:
        palette.append((0, 0, 0))
    return to_indexed(rgb, opaque, palette, 4)


# ---------------------------------------------------------- .ico / .cur ---

def dib(entry):
    """BITMAPINFOHEADER + palette + XOR bitmap + AND mask, bottom-up."""
    w, h, bpp = entry.w, entry.h, entry.bpp
    pal = entry.palette + [(0, 0, 0)] * ((1 << bpp) - len(entry.palette))
    xor_stride = ((w * bpp + 31) // 32) * 4
    and_stride = ((w + 31) // 32) * 4
    xor = bytearray()
    andm = bytearray()
    for y in reversed(range(h)):
        row = bytearray(xor_stride)
        mrow = bytearray(and_stride)
        for x in range(w):
            transparent = entry.opaque.getpixel((x, y)) < 128
            i = 0 if transparent else entry.pixels.getpixel((x, y))
            if bpp == 1:
                row[x // 8] |= (i & 1) << (7 - x % 8)
            elif bpp == 4:
                row[x // 2] |= (i & 15) << (4 if x % 2 == 0 else 0)
            if transparent:
                mrow[x // 8] |= 1 << (7 - x % 8)
        xor += row
        andm += mrow
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, bpp, 0, len(xor) + len(andm), 0, 0, 1 << bpp, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in pal)
    return header + palette + bytes(xor) + bytes(andm)


def write_icon_file(path, entries, hotspot=None):
    """Writes an icon (hotspot None) or a cursor with these entries."""
    kind = 1 if hotspot is None else 2
    blobs = [dib(e) for e in entries]
    out = bytearray(struct.pack("<HHH", 0, kind, len(entries)))
    offset = 6 + 16 * len(entries)
    for e, blob in zip(entries, blobs):
        colours = (1 << e.bpp) if e.bpp < 8 else 0
        if hotspot is None:
            planes, bits = 1, e.bpp
        else:
            planes, bits = hotspot
        out += struct.pack("<BBBBHHII", e.w % 256, e.h % 256, colours, 0, planes, bits, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as fh:
        fh.write(out)


def preview(entries, path, scale=8, backgrounds=((58, 110, 165), (240, 240, 240), (40, 40, 40))):
    """An enlarged sheet of the entries on several backgrounds, plus 1:1 copies."""
    cell = max(e.w for e in entries) * scale + 8
    sheet = Image.new("RGB", (cell * len(entries) + 8, (cell + 48) * len(backgrounds)), (255, 255, 255))
    for row, bg in enumerate(backgrounds):
        y0 = row * (cell + 48)
        sheet.paste(bg, (0, y0, sheet.size[0], y0 + cell + 48))
        for col, e in enumerate(entries):
            img = Image.new("RGB", (e.w, e.h), bg)
            for y in range(e.h):
                for x in range(e.w):
                    if e.opaque.getpixel((x, y)) >= 128:
                        img.putpixel((x, y), e.palette[e.pixels.getpixel((x, y))])
            sheet.paste(img.resize((e.w * scale, e.h * scale), Image.NEAREST), (col * cell + 4, y0 + 4))
            sheet.paste(img, (col * cell + 4, y0 + cell + 4))
            sheet.paste(img.resize((16, 16), Image.LANCZOS) if e.w != 16 else img, (col * cell + 44, y0 + cell + 12))
    sheet.save(path)


# ------------------------------------------------------- program icon ----

BLUE_TOP, BLUE_BOTTOM = (52, 120, 235), (14, 44, 150)
OUTLINE = (8, 24, 80)
WHITE, YELLOW = (255, 255, 255), (255, 214, 10)

# The 16 x 16 image is drawn pixel by pixel: fitted glyphs blur at that size, and
# this one sits in the tray.
PROGRAM_16 = """
.##############.
#bbbbbbbbbbbbbb#
#bbbbbbbbbbbbbb#
#bbbWWbbbbbbbbb#
#bbbWWbbbbbbbbb#
#bbWWWWbbbbbbbb#
#bbWWWWbbbbbbbb#
#bWWbbWWbbbbbbb#
#bWWbbWWbbyyyyb#
#bWWWWWWbbbbbyy#
#WWbbbbWWbyyyyy#
#WWbbbbWWyybbyy#
#WWbbbbWWyybbyy#
#WWbbbbWWbyyyyy#
#bbbbbbbbbbbbbb#
.##############.
"""


def pixel_art(art):
    rows = [r for r in art.strip("\n").split("\n")]
    return rows


def program_icon_layers(n):
    """Masks of the program icon at 32 x 32: tile, tile inside, capital A, small a."""
    size = (n, n)
    tile = rounded_tile(size, (1, 1, 31, 31), 6)
    inner = rounded_tile(size, (2, 2, 30, 30), 5)
    big_a = glyph_mask(size, "A", "DejaVuSans-Bold.ttf", (3, 5, 20, 26))
    small_a = glyph_mask(size, "a", "DejaVuSans-Bold.ttf", (18, 12, 29, 26))
    return tile, inner, big_a, small_a


def tile_palette(steps=5):
    """Own 16 colours: transparent black, outline, a blue ramp, white and yellow with
    their blends into blue for soft edges."""
    mid = lerp(BLUE_TOP, BLUE_BOTTOM, 0.5)
    pal = [(0, 0, 0), OUTLINE]
    pal += [lerp(BLUE_TOP, BLUE_BOTTOM, i / (steps - 1)) for i in range(steps)]
    pal += [WHITE, lerp(mid, WHITE, 0.7), lerp(mid, WHITE, 0.4)]
    pal += [YELLOW, lerp(mid, YELLOW, 0.7), lerp(mid, YELLOW, 0.4)]
    pal += [lerp(OUTLINE, BLUE_BOTTOM, 0.5), lerp(BLUE_TOP, WHITE, 0.35)]
    return pal[:16]


def program_icon_smooth32():
    tile, inner, big_a, small_a = program_icon_layers(32)
    img = Image.new("RGB", (32, 32), (0, 0, 0))
    over(img, OUTLINE, tile)
    over(img, vertical_gradient((32, 32), BLUE_TOP, BLUE_BOTTOM), inner)
    over(img, WHITE, big_a)
    over(img, vertical_gradient((32, 32), BLUE_TOP, BLUE_BOTTOM), small_a.filter(ImageFilter.MaxFilter(3)))
    over(img, YELLOW, small_a)
    return to_indexed(img, threshold(tile, 100), tile_palette(), 4)


def program_icon_vga32():
    tile, inner, big_a, small_a = (threshold(m, 110) for m in program_icon_layers(32))
    halo = small_a.filter(ImageFilter.MaxFilter(3))
    idx = Image.new("L", (32, 32), 0)
    NAVY, BLUE_I, WHITE_I, YELLOW_I = 4, 12, 15, 11
    for y in range(32):
        for x in range(32):
            if tile.getpixel((x, y)) == 0:
                continue
            i = NAVY
            if inner.getpixel((x, y)):
                # the lower right corner in navy gives the tile some depth
                i = NAVY if (x + y) > 46 else BLUE_I
            if big_a.getpixel((x, y)) and not halo.getpixel((x, y)):
                i = WHITE_I
            if small_a.getpixel((x, y)):
                i = YELLOW_I
            idx.putpixel((x, y), i)
    return Indexed(idx, VGA16, tile, 4)


def program_icon_mono32():
    tile, inner, big_a, small_a = (threshold(m, 110) for m in program_icon_layers(32))
    halo = small_a.filter(ImageFilter.MaxFilter(3))
    idx = Image.new("L", (32, 32), 0)
    for y in range(32):
        for x in range(32):
            if (big_a.getpixel((x, y)) and not halo.getpixel((x, y))) or small_a.getpixel((x, y)):
                idx.putpixel((x, y), 1)
    return Indexed(idx, [(0, 0, 0), (255, 255, 255)], tile, 1)


def program_icon16():
    rows = pixel_art(PROGRAM_16)
    pal = tile_palette()
    ramp = pal[2:7]
    img = Image.new("RGB", (16, 16))
    opaque = Image.new("L", (16, 16), 0)
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch == ".":
                continue
            opaque.putpixel((x, y), 255)
            c = {"#": OUTLINE, "W": WHITE, "y": YELLOW}.get(ch)
            if c is None:
                c = ramp[min(4, y * 5 // 16)]
            img.putpixel((x, y), c)
    return to_indexed(img, opaque, pal, 4)


def program_icon():
    return [program_icon_mono32(), program_icon_smooth32(), program_icon_vga32(), program_icon16()]


# ---------------------------------------------------------------- main ----

def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--preview", metavar="DIR", help="also write enlarged PNG sheets here")
    args = ap.parse_args()

    pictures = {
        "icons/tovrin.ico": (program_icon(), None),
    }
    for rel, (entries, hotspot) in pictures.items():
        write_icon_file(os.path.join(RES, rel), entries, hotspot)
        if args.preview:
            os.makedirs(args.preview, exist_ok=True)
            preview(entries, os.path.join(args.preview, os.path.basename(rel) + ".png"))


if __name__ == "__main__":
    main()
