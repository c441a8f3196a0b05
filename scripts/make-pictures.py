#!/usr/bin/python3
"""Draws every picture the program carries and writes them under resources/.

    scripts/make-pictures.py [--preview DIR]

The icons and the cursor are written as Windows .ico/.cur files with classic
palette bitmaps (2 and 16 colours), the icons also with a 64 x 64 true-colour image
for screens at twice the density; the banner as a 24-bit PNG, and at twice the size
as banner@2x.png. --preview also writes enlarged PNG sheets of every image, for
looking at them.

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


class Truecolour:
    """A 32-bit image with its own alpha, for an .ico entry."""

    def __init__(self, rgba):
        self.w, self.h = rgba.size
        self.rgba = rgba
        self.opaque = rgba.getchannel("A")
        self.bpp = 32
        self.palette = []


def truecolour(rgb, alpha):
    img = rgb.convert("RGBA")
    img.putalpha(alpha)
    return Truecolour(img)


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
    pal = entry.palette + [(0, 0, 0)] * ((1 << bpp) - len(entry.palette)) if bpp <= 8 else []
    xor_stride = ((w * bpp + 31) // 32) * 4
    and_stride = ((w + 31) // 32) * 4
    xor = bytearray()
    andm = bytearray()
    for y in reversed(range(h)):
        row = bytearray(xor_stride)
        mrow = bytearray(and_stride)
        for x in range(w):
            transparent = entry.opaque.getpixel((x, y)) < 128
            if bpp == 32:
                r, g, b, a = entry.rgba.getpixel((x, y))
                row[x * 4:x * 4 + 4] = bytes((b, g, r, a))
            i = 0 if transparent or bpp == 32 else entry.pixels.getpixel((x, y))
            if bpp == 1:
                row[x // 8] |= (i & 1) << (7 - x % 8)
            elif bpp == 4:
                row[x // 2] |= (i & 15) << (4 if x % 2 == 0 else 0)
            if transparent:
                mrow[x // 8] |= 1 << (7 - x % 8)
        xor += row
        andm += mrow
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, bpp, 0, len(xor) + len(andm), 0, 0, len(pal), 0)
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
            if e.bpp == 32:
                img.paste(e.rgba, (0, 0), e.opaque)
            else:
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
    """Masks of the program icon, drawn on its 32 x 32 grid scaled to n x n: tile,
    tile inside, capital A, small a."""
    size = (n, n)
    k = n // 32

    def box(l, t, r, b):
        return (l * k, t * k, r * k, b * k)

    tile = rounded_tile(size, box(1, 1, 31, 31), 6 * k)
    inner = rounded_tile(size, box(2, 2, 30, 30), 5 * k)
    big_a = glyph_mask(size, "A", "DejaVuSans-Bold.ttf", box(3, 5, 20, 26))
    small_a = glyph_mask(size, "a", "DejaVuSans-Bold.ttf", box(18, 12, 29, 26))
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


def program_icon_rgb(n):
    tile, inner, big_a, small_a = program_icon_layers(n)
    img = Image.new("RGB", (n, n), (0, 0, 0))
    over(img, OUTLINE, tile)
    over(img, vertical_gradient((n, n), BLUE_TOP, BLUE_BOTTOM), inner)
    over(img, WHITE, big_a)
    rim = small_a.filter(ImageFilter.MaxFilter(3 if n == 32 else 2 * (n // 32) + 1))
    over(img, vertical_gradient((n, n), BLUE_TOP, BLUE_BOTTOM), rim)
    over(img, YELLOW, small_a)
    return img, tile


def program_icon_smooth32():
    img, tile = program_icon_rgb(32)
    return to_indexed(img, threshold(tile, 100), tile_palette(), 4)


def program_icon64():
    return truecolour(*program_icon_rgb(64))


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
    return [program_icon_mono32(), program_icon_smooth32(), program_icon_vga32(), program_icon16(), program_icon64()]


# --------------------------------------------------------- link cursor ---

def cross_dilate(mask):
    """Grows a 0/255 mask by one pixel up, down, left and right (thin outlines)."""
    w, h = mask.size
    out = mask.copy()
    for y in range(h):
        for x in range(w):
            if mask.getpixel((x, y)):
                continue
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                nx, ny = x + dx, y + dy
                if 0 <= nx < w and 0 <= ny < h and mask.getpixel((nx, ny)):
                    out.putpixel((x, y), 255)
                    break
    return out


def shape(size, paint):
    m = Image.new("L", size, 0)
    paint(ImageDraw.Draw(m))
    return m


def cartoon(size, parts, fill_index, outline_index, shade_index):
    """Paints parts back to front, each with a one-pixel outline, so that a part in
    front draws its edge over the parts behind it. Pixels of a fill whose right or
    lower neighbour is outline get the shade colour."""
    idx = Image.new("L", size, 0)
    opaque = Image.new("L", size, 0)
    for part in parts:
        ring = cross_dilate(part)
        w, h = size
        for y in range(h):
            for x in range(w):
                if ring.getpixel((x, y)) and not part.getpixel((x, y)):
                    idx.putpixel((x, y), outline_index)
                    opaque.putpixel((x, y), 255)
                elif part.getpixel((x, y)):
                    idx.putpixel((x, y), fill_index)
                    opaque.putpixel((x, y), 255)
    w, h = size
    for y in range(h):
        for x in range(w):
            if idx.getpixel((x, y)) != fill_index:
                continue
            right = idx.getpixel((x + 1, y)) if x + 1 < w else outline_index
            if right == outline_index:
                idx.putpixel((x, y), shade_index)
    return idx, opaque


def link_cursor():
    """A pointing hand whose fingertip is the hot spot (12, 1)."""
    size = (32, 32)
    palm = shape(size, lambda d: d.rounded_rectangle((7, 13, 24, 25), radius=4, fill=255))
    wrist = shape(size, lambda d: d.rectangle((9, 22, 22, 28), fill=255))
    thumb = shape(size, lambda d: d.rounded_rectangle((4, 11, 9, 21), radius=2, fill=255))
    middle = shape(size, lambda d: d.rounded_rectangle((15, 9, 18, 16), radius=1, fill=255))
    ring = shape(size, lambda d: d.rounded_rectangle((19, 10, 22, 16), radius=1, fill=255))
    pinky = shape(size, lambda d: d.rounded_rectangle((23, 12, 25, 17), radius=1, fill=255))
    index = shape(size, lambda d: d.rounded_rectangle((11, 2, 14, 16), radius=1, fill=255))
    cuff = shape(size, lambda d: d.rectangle((9, 27, 22, 29), fill=255))
    BLACK, SILVER, WHITE_I, BLUE_I = 0, 7, 15, 12
    body = Image.new("L", size, 0)
    for m in (palm, wrist):
        body.paste(255, (0, 0), m)
    idx, opaque = cartoon(size, [thumb, body, pinky, ring, middle, index], WHITE_I, BLACK, SILVER)
    # a blue cuff, so that the pointer stands out on white and on black
    cidx, copaque = cartoon(size, [cuff], BLUE_I, BLACK, 4)
    for y in range(32):
        for x in range(32):
            if copaque.getpixel((x, y)) and y >= 26:
                idx.putpixel((x, y), cidx.getpixel((x, y)))
                opaque.putpixel((x, y), 255)
    return Indexed(idx, VGA16, opaque, 4)


# ----------------------------------------------------------- about icon ---

def about_icon_rgb(n):
    """A blue ball with a white 'i'; the larger sizes are the 32 x 32 design scaled."""
    size = (n, n)
    k = n // 32
    pad = k if n >= 32 else 0
    disc = coverage(size, lambda d, s: d.ellipse((pad * s, pad * s, (n - pad) * s - 1, (n - pad) * s - 1), fill=255))
    inner = coverage(size, lambda d, s: d.ellipse(((pad + max(1, k)) * s, (pad + max(1, k)) * s,
                                                   (n - pad - max(1, k)) * s - 1, (n - pad - max(1, k)) * s - 1),
                                                  fill=255))
    img = Image.new("RGB", size, (0, 0, 0))
    over(img, OUTLINE, disc)
    # lit from the upper left
    ball = Image.new("RGB", size)
    cx, cy = n * 0.36, n * 0.3
    for y in range(n):
        for x in range(n):
            t = min(1.0, math.hypot(x + 0.5 - cx, y + 0.5 - cy) / (n * 0.78))
            ball.putpixel((x, y), lerp((110, 170, 255), (12, 40, 140), t))
    over(img, ball, inner)
    if n >= 32:
        u = k
        dot = coverage(size, lambda d, s: d.ellipse((13 * u * s, 5 * u * s, 19 * u * s - 1, 11 * u * s - 1), fill=255))
        stem = coverage(size, lambda d, s: (
            d.rectangle((13 * u * s, 13 * u * s, 19 * u * s - 1, 24 * u * s - 1), fill=255),
            d.rectangle((11 * u * s, 13 * u * s, 15 * u * s - 1, 15 * u * s - 1), fill=255),
            d.rectangle((11 * u * s, 24 * u * s, 21 * u * s - 1, 27 * u * s - 1), fill=255)))
    else:
        dot = coverage(size, lambda d, s: d.rectangle((7 * s, 3 * s, 9 * s - 1, 5 * s - 1), fill=255))
        stem = coverage(size, lambda d, s: (
            d.rectangle((7 * s, 6 * s, 9 * s - 1, 12 * s - 1), fill=255),
            d.rectangle((6 * s, 6 * s, 7 * s - 1, 7 * s - 1), fill=255),
            d.rectangle((6 * s, 12 * s, 10 * s - 1, 13 * s - 1), fill=255)))
    over(img, WHITE, dot)
    over(img, WHITE, stem)
    return img, disc


def about_icon():
    out = []
    for n in (32, 16):
        img, disc = about_icon_rgb(n)
        out.append(to_indexed_adaptive(img, threshold(disc, 96 if n == 32 else 120)))
    out.append(truecolour(*about_icon_rgb(64)))
    return out


# --------------------------------------------------------- credits icon ---

def credits_icon_rgb(n):
    """A film clapperboard: dark slate with chalk lines under a striped clapper that
    stands open a little. Sampled at pixel centres, so every edge stays crisp."""
    BLACK_C, WHITE_C, SLATE, CHALK, HINGE = (16, 16, 18), (245, 245, 245), (60, 66, 80), (240, 214, 80), (150, 150, 160)
    k = n // 32
    if n >= 32:
        body, bar, stripe = (k, 15 * k, 31 * k, 30 * k), 5 * k, 4 * k
        hinge, length, thick, angle = (1.0 * k, 14.0 * k), 30.0 * k, 6.0 * k, 12.0
        chalk = [(5 * k, 21 * k, 17 * k), (5 * k, 24 * k, 25 * k), (5 * k, 27 * k, 13 * k)]
    else:
        k = 1
        body, bar, stripe = (0, 8, 16, 16), 3, 2
        hinge, length, thick, angle = (0.0, 7.0), 16.0, 4.0, 12.0
        chalk = [(2, 12, 10)]
    img = Image.new("RGB", (n, n), (0, 0, 0))
    opaque = Image.new("L", (n, n), 0)
    cos, sin = math.cos(math.radians(angle)), math.sin(math.radians(angle))
    l, t, r, b = body
    for y in range(n):
        for x in range(n):
            c = None
            if l <= x < r and t <= y < b:
                if x < l + k or x >= r - k or y < t + k or y >= b - k or t + bar - k <= y < t + bar:
                    c = BLACK_C
                elif y < t + bar:
                    c = WHITE_C if ((x + (y - t)) // stripe) % 2 == 0 else BLACK_C
                else:
                    c = SLATE
                    for x0, y0, x1 in chalk:
                        if y0 <= y < y0 + k and x0 <= x < x1:
                            c = CHALK
            dx, dy = x + 0.5 - hinge[0], hinge[1] - (y + 0.5)
            u, v = dx * cos + dy * sin, -dx * sin + dy * cos
            if 0 <= u < length and 0 <= v < thick:
                if u < k or u >= length - k or v < k or v >= thick - k:
                    c = BLACK_C
                else:
                    c = WHITE_C if (int(u - v) // stripe) % 2 == 0 else BLACK_C
            if c is not None:
                img.putpixel((x, y), c)
                opaque.putpixel((x, y), 255)
    hx, hy = int(hinge[0]) + (k if n >= 32 else 0), int(hinge[1])
    for y in range(hy, hy + k):
        for x in range(hx, hx + k):
            img.putpixel((x, y), HINGE)
    return img, opaque


def credits_icon():
    out = []
    for n in (32, 16):
        img, opaque = credits_icon_rgb(n)
        out.append(to_indexed_adaptive(img, opaque))
    out.append(truecolour(*credits_icon_rgb(64)))
    return out


# --------------------------------------------------------------- banner ---

def banner(k=1):
    """504 x 169 times k, 24-bit. The About box shows 497 pixels of its width."""
    W, H = 504 * k, 169 * k
    img = Image.new("RGB", (W, H))
    for y in range(H):
        for x in range(W):
            t = x / (W - 1)
            u = y / (H - 1)
            c = lerp((10, 22, 70), (44, 16, 84), t)
            img.putpixel((x, y), lerp(c, (4, 8, 28), u * 0.6))
    # faint letters drifting between cases in the background
    soup = Image.new("L", (W, H), 0)
    d = ImageDraw.Draw(soup)
    letters = "aAbBcCdDeEfFgGhHiIjJkKlLmMnNoOpPqQrRsStTuUvVwWxXyYzZ"
    faces = ["DejaVuSerif-Bold.ttf", "DejaVuSans.ttf", "DejaVuSerif-Italic.ttf", "DejaVuSans-Bold.ttf"]
    seed = 11
    for i in range(70):
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        x = seed % (W // k) * k
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        y = (seed % (H // k) - 20) * k
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        px = (14 + seed % 38) * k
        ch = letters[(seed >> 8) % len(letters)]
        d.text((x, y), ch, fill=22 + (seed >> 4) % 30, font=font(faces[(seed >> 12) % len(faces)], px))
    over(img, (150, 170, 255), soup)

    # the program tile, large
    n = 118 * k
    ox, oy = 22 * k, 25 * k
    tile = Image.new("L", (W, H), 0)
    tile.paste(rounded_tile((n, n), (0, 0, n, n), 22 * k), (ox, oy))
    inner = Image.new("L", (W, H), 0)
    inner.paste(rounded_tile((n, n), (3 * k, 3 * k, n - 3 * k, n - 3 * k), 19 * k), (ox, oy))
    shadow = Image.new("L", (W, H), 0)
    shadow.paste(rounded_tile((n, n), (0, 0, n, n), 22 * k), (ox + 5 * k, oy + 6 * k))
    shadow = shadow.filter(ImageFilter.GaussianBlur(5 * k)).point(lambda v: v * 2 // 3)
    over(img, (0, 0, 0), shadow)
    over(img, (8, 24, 80), tile)
    grad = Image.new("RGB", (W, H))
    grad.paste(vertical_gradient((n, n), (70, 140, 250), BLUE_BOTTOM), (ox, oy))
    over(img, grad, inner)
    gloss = Image.new("L", (W, H), 0)
    ImageDraw.Draw(gloss).ellipse((ox - 40 * k, oy - 70 * k, ox + n + 30 * k, oy + 48 * k), fill=40)
    gloss = Image.composite(gloss, Image.new("L", (W, H), 0), inner)
    over(img, (255, 255, 255), gloss)
    big_a = Image.new("L", (W, H), 0)
    big_a.paste(glyph_mask((n, n), "A", "DejaVuSans-Bold.ttf", (12 * k, 20 * k, 70 * k, 96 * k), ss=2), (ox, oy))
    small_a = Image.new("L", (W, H), 0)
    small_a.paste(glyph_mask((n, n), "a", "DejaVuSans-Bold.ttf", (66 * k, 46 * k, 106 * k, 97 * k), ss=2), (ox, oy))
    halo = small_a.filter(ImageFilter.MaxFilter(6 * k + 1))
    over(img, (255, 255, 255), big_a)
    over(img, grad, Image.composite(halo, Image.new("L", (W, H), 0), inner))
    over(img, YELLOW, small_a)

    # the name, with a mirror image that has lost its grip on the case
    tx = 166 * k
    f = font("DejaVuSans-Bold.ttf", 62 * k)
    name = Image.new("L", (W, H), 0)
    ImageDraw.Draw(name).text((tx, 14 * k), "Tovrin", font=f, fill=255)
    glow = name.filter(ImageFilter.GaussianBlur(6 * k)).point(lambda v: min(255, v * 2) // 2)
    over(img, (90, 140, 255), glow)
    over(img, (255, 255, 255), name)
    mirror = Image.new("L", (W, H), 0)
    m = Image.new("L", (330 * k, 70 * k), 0)
    ImageDraw.Draw(m).text((0, 0), "tOvRiN", font=f, fill=255)
    m = m.transpose(Image.FLIP_TOP_BOTTOM)
    fade = Image.new("L", m.size)
    for y in range(m.size[1]):
        v = max(0, 70 - y * 3 // k)
        for x in range(m.size[0]):
            fade.putpixel((x, y), v)
    m = Image.composite(m, Image.new("L", m.size, 0), fade).point(lambda v: v * 70 // 255)
    mirror.paste(m, (tx, 81 * k))
    over(img, (120, 160, 255), mirror)

    rule = Image.new("L", (W, H), 0)
    ImageDraw.Draw(rule).rectangle((tx + 2 * k, 94 * k, 486 * k, 96 * k - 1), fill=255)
    over(img, (255, 214, 10), rule)
    sub = Image.new("L", (W, H), 0)
    ds = ImageDraw.Draw(sub)
    ds.text((tx + 2 * k, 102 * k), "Change the case of text", font=font("DejaVuSans-Bold.ttf", 19 * k), fill=255)
    over(img, (200, 215, 255), sub)
    chips = [("UPPERCASE", (255, 255, 255)), ("lowercase", (255, 255, 255)), ("rAnDOm", (255, 214, 10))]
    cx = tx + 2 * k
    fc = font("DejaVuSans-Bold.ttf", 12 * k)
    for label, colour in chips:
        tw = int(ImageDraw.Draw(Image.new("L", (1, 1))).textlength(label, font=fc))
        pill = Image.new("L", (W, H), 0)
        ImageDraw.Draw(pill).rounded_rectangle((cx, 133 * k, cx + tw + 16 * k, 153 * k), radius=10 * k, fill=255)
        over(img, (30, 60, 150), pill)
        edge = Image.new("L", (W, H), 0)
        ImageDraw.Draw(edge).rounded_rectangle((cx, 133 * k, cx + tw + 16 * k, 153 * k), radius=10 * k, outline=255,
                                               width=k)
        over(img, (110, 150, 240), edge)
        t = Image.new("L", (W, H), 0)
        ImageDraw.Draw(t).text((cx + 8 * k, 136 * k), label, font=fc, fill=255)
        over(img, colour, t)
        cx += tw + 26 * k
    ver = Image.new("L", (W, H), 0)
    ImageDraw.Draw(ver).text((name.getbbox()[2] + 12 * k, 75 * k), "2.0.5", font=font("DejaVuSans-Bold.ttf", 24 * k),
                             fill=255, anchor="ls")
    over(img, (150, 180, 255), ver)
    return img


# ---------------------------------------------------------------- main ----

def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--preview", metavar="DIR", help="also write enlarged PNG sheets here")
    args = ap.parse_args()

    pictures = {
        "icons/tovrin.ico": (program_icon(), None),
        "icons/about.ico": (about_icon(), None),
        "icons/credits.ico": (credits_icon(), None),
        "cursors/link.cur": ([link_cursor()], (12, 1)),
    }
    for rel, (entries, hotspot) in pictures.items():
        write_icon_file(os.path.join(RES, rel), entries, hotspot)
        if args.preview:
            os.makedirs(args.preview, exist_ok=True)
            preview(entries, os.path.join(args.preview, os.path.basename(rel) + ".png"))
    os.makedirs(os.path.join(RES, "pictures"), exist_ok=True)
    # Qt picks the @2x file on screens at twice the density.
    banner().save(os.path.join(RES, "pictures", "banner.png"), optimize=True)
    banner(2).save(os.path.join(RES, "pictures", "banner@2x.png"), optimize=True)


if __name__ == "__main__":
    main()
