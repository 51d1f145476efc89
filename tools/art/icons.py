#!/usr/bin/env python3
"""Writes the desktop icon theme's pictures of the game's icon into dist/icons/.

Usage: tools/art/icons.py [output folder]   (default: dist/icons/ of this tree)
       tools/art/icons.py --web [folder]      the page's icons (default: web/icons/)
       tools/art/icons.py --windows [file]    the Windows program's icon
                                              (default: platform/win32/quibbo.ico)
       tools/art/icons.py --check FILE...     are these PNGs or .ico files still
                                              the window icon?

The 32 x 32 one is the window icon itself, pixel for pixel as res/icon.bmp
holds it; the larger ones are the same drawing made at their size, so they
stay sharp instead of being blown up from 32 pixels.
"""
import os
import struct
import sys
import zlib

sys.dont_write_bytecode = True  # keep the tree free of caches

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, ".."))

import sprites  # noqa: E402
from bmp2png import read_bmp, write_png  # noqa: E402

SIZES = (32, 48, 64, 128, 256)
# The page's icons: the installed app's (a maskable one keeps the drawing
# inside the middle 80 %, which any mask leaves whole), the phone's home
# screen and the browser tab's.
WEB = (("icon-192.png", 192, False), ("icon-512.png", 512, False),
       ("maskable-512.png", 512, True), ("apple-touch-icon.png", 180, False))
FAVICON = (16, 32)
# The Windows program's icon: Explorer's and the title bar's sizes. The small
# ones are plain bitmaps, which every Windows reads; 256 is a PNG, as
# Windows keeps its largest icons.
WINDOWS = (16, 24, 32, 48, 256)
BACKGROUND = (150, 160, 176)  # the grey between the drawing's tiles
ROOT = os.path.join(HERE, "..", "..")


def read_png(path, data=None):
    """Width, height and rows of an 8-bit RGB PNG as write_png writes it (from
    `data` when given, else from the file)."""
    data = open(path, "rb").read() if data is None else data
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(path + " is not a PNG")
    at, idat, w, h = 8, b"", 0, 0
    while at < len(data):
        n = int.from_bytes(data[at:at + 4], "big")
        kind, body = data[at + 4:at + 8], data[at + 8:at + 8 + n]
        if kind == b"IHDR":
            w, h = int.from_bytes(body[0:4], "big"), int.from_bytes(body[4:8], "big")
            if body[8:13] != bytes((8, 2, 0, 0, 0)):
                raise ValueError(path + " is not plain 8-bit RGB")
        elif kind == b"IDAT":
            idat += body
        at += 12 + n
    raw = zlib.decompress(idat)
    rows, stride = [], 1 + 3 * w
    for y in range(h):
        line = raw[y * stride:(y + 1) * stride]
        if line[0] != 0:
            raise ValueError(path + " uses a row filter")
        rows.append([tuple(line[1 + 3 * x:4 + 3 * x]) for x in range(w)])
    return w, h, rows


def _cover(i, w):
    """The pixels of a w-pixel row that the i-th of 32 cells covers, with the
    share of the cell each takes."""
    a, b = i * w / 32.0, (i + 1) * w / 32.0
    return [(p, (min(b, p + 1) - max(a, p)) / (b - a)) for p in range(int(a), min(w, int(b) + 1))
            if min(b, p + 1) > max(a, p)]


def ico_entries(path):
    """(size, bytes) of each picture in an .ico file."""
    data = open(path, "rb").read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1:
        raise ValueError(path + " is not an icon file")
    entries = []
    for i in range(count):
        w, _, _, _, _, _, n, at = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        entries.append((w or 256, data[at:at + n]))
    return entries


def dib_rows(data):
    """Width, height and rows of an icon's bitmap as dib_bytes writes it."""
    _, w, h2, _, bits = struct.unpack_from("<IiiHH", data, 0)
    if bits != 32:
        raise ValueError("an icon bitmap of %d bits a pixel" % bits)
    h = h2 // 2
    rows = [[tuple(data[40 + 4 * (y * w + x) + c] for c in (2, 1, 0)) for x in range(w)]
            for y in range(h)]
    return w, h, rows[::-1]


def pictures(path):
    """(name, width, height, rows) of each picture in a PNG or an .ico file."""
    if not path.lower().endswith(".ico"):
        return [(path,) + read_png(path)]
    found = []
    for size, data in ico_entries(path):
        name = "%s (%dx%d)" % (path, size, size)
        found.append((name,) + (read_png(name, data) if data[:4] == b"\x89PNG" else dib_rows(data)))
    return found


def check(paths):
    """The 32-pixel icon must be the window icon exactly; a larger one, shrunk
    to 32 by averaging, must come within a few levels of it on average; a
    smaller one (an .ico's 16 and 24) must be the same drawing at its size.
    Returns the problems found."""
    _, _, window = read_bmp(open(os.path.join(ROOT, "res", "icon.bmp"), "rb").read())
    problems = []
    for path, w, h, rows in (p for name in paths for p in pictures(name)):
        if w != h:
            problems.append("%s is %dx%d" % (path, w, h))
            continue
        if w < 32:
            if rows != picture(w):
                problems.append("%s is not the icon's drawing at %d pixels" % (path, w))
            continue
            problems.append("%s is %dx%d" % (path, w, h))
            continue
        cover = [_cover(i, w) for i in range(32)]
        diff = 0.0
        for y in range(32):
            for x in range(32):
                for c in range(3):
                    mean = sum(wy * wx * rows[j][i][c] for j, wy in cover[y] for i, wx in cover[x])
                    diff += abs(mean - window[y][x][c])
        diff /= 32 * 32 * 3
        if (w == 32 and diff != 0.0) or diff > 6.0:
            problems.append("%s differs from res/icon.bmp by %.1f levels a channel" % (path, diff))
    return problems


def picture(size):
    """The icon at `size` pixels: the window icon itself at 32."""
    if size == 32:
        return read_bmp(open(os.path.join(ROOT, "res", "icon.bmp"), "rb").read())[2]
    return [[tuple(int(round(v)) for v in p) for p in row] for row in sprites.icon(size)]


def png_bytes(path, size, rows):
    write_png(path, size, size, rows)
    return open(path, "rb").read()


def dib_bytes(size, rows):
    """An icon's picture as a bitmap: its header (twice the height, for the
    mask below it), 32-bit pixels bottom up, then the mask, all clear since
    the icon is square and opaque (its rows padded to 32 bits)."""
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, 255)) for row in reversed(rows) for r, g, b in row)
    return header + pixels + bytes((size + 31) // 32 * 4 * size)


def write_ico(path, sizes, images):
    """An .ico file of the pictures `images` (their bytes) of `sizes`."""
    ico = struct.pack("<HHH", 0, 1, len(images))
    at = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        ico += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), at)
        at += len(data)
    with open(path, "wb") as f:
        f.write(ico + b"".join(images))
    print("%s  %s" % ("+".join("%dx%d" % (s, s) for s in sizes), os.path.relpath(path)))


def windows(path):
    scratch = path + ".png"
    images = [png_bytes(scratch, size, picture(size)) if size == 256 else
              dib_bytes(size, picture(size)) for size in WINDOWS]
    os.remove(scratch)
    write_ico(path, WINDOWS, images)


def web(out):
    """The page's icons, and favicon.ico holding the 16 and 32 pixel ones as
    PNGs (which every browser of today reads inside an .ico)."""
    os.makedirs(out, exist_ok=True)
    for name, size, maskable in WEB:
        if maskable:
            inner = int(size * 0.8)
            pad = (size - inner) // 2
            drawing = picture(inner)
            rows = [[BACKGROUND] * size for _ in range(size)]
            for y, row in enumerate(drawing):
                rows[pad + y][pad:pad + inner] = row
        else:
            rows = picture(size)
        write_png(os.path.join(out, name), size, size, rows)
        print("%dx%d  %s" % (size, size, os.path.relpath(os.path.join(out, name))))
    scratch = os.path.join(out, ".favicon.png")
    images = [png_bytes(scratch, size, picture(size)) for size in FAVICON]
    os.remove(scratch)
    write_ico(os.path.join(out, "favicon.ico"), FAVICON, images)


def main():
    if sys.argv[1:2] == ["--web"]:
        web(sys.argv[2] if len(sys.argv) > 2 else os.path.join(ROOT, "web", "icons"))
        return
    if sys.argv[1:2] == ["--windows"]:
        windows(sys.argv[2] if len(sys.argv) > 2 else
                os.path.join(ROOT, "platform", "win32", "quibbo.ico"))
        return
    if sys.argv[1:2] == ["--check"]:
        problems = check(sys.argv[2:])
        for p in problems:
            print(p)
        sys.exit(1 if problems else 0)
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "dist", "icons")
    os.makedirs(out, exist_ok=True)
    for size in SIZES:
        rows, w, h = picture(size), size, size
        path = os.path.join(out, "%dx%d.png" % (size, size))
        write_png(path, w, h, rows)
        print("%dx%d  %s" % (w, h, os.path.relpath(path)))


if __name__ == "__main__":
    main()
