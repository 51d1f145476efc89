#!/usr/bin/env python3
"""Writes the desktop icon theme's pictures of the game's icon into dist/icons/.

Usage: tools/art/icons.py [output folder]   (default: dist/icons/ of this tree)

The 32 x 32 one is the window icon itself, pixel for pixel as res/icon.bmp
holds it; the larger ones are the same drawing made at their size, so they
stay sharp instead of being blown up from 32 pixels.
"""
import os
import sys

sys.dont_write_bytecode = True  # keep the tree free of caches

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, ".."))

import sprites  # noqa: E402
from bmp2png import read_bmp, write_png  # noqa: E402

SIZES = (32, 48, 64, 128, 256)
ROOT = os.path.join(HERE, "..", "..")


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "dist", "icons")
    os.makedirs(out, exist_ok=True)
    for size in SIZES:
        if size == 32:
            w, h, rows = read_bmp(open(os.path.join(ROOT, "res", "icon.bmp"), "rb").read())
        else:
            rows = [[tuple(int(round(v)) for v in p) for p in row] for row in sprites.icon(size)]
            w = h = size
        path = os.path.join(out, "%dx%d.png" % (size, size))
        write_png(path, w, h, rows)
        print("%dx%d  %s" % (w, h, os.path.relpath(path)))


if __name__ == "__main__":
    main()
