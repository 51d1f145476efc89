#!/usr/bin/env python3
"""Puts every picture of res/ on one neutral grey page, as a PNG.

Usage: tools/art/contact_sheet.py [out.png] [res folder]

Pure red is shown as the grey ground, as the game leaves it out. Colours are
cut to 5-6-5 the way the game's display keeps them. Below the pictures the
sprites appear again at a quarter of their size, scaled by nearest pixel the
way the game draws far sprites, and the walls at the size of a near face.
"""
import os
import sys

sys.dont_write_bytecode = True  # keep the tree free of caches

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, ".."))

from bmp2png import read_bmp, write_png  # noqa: E402

GROUND = (128, 128, 128)
PAGE_W = 1000
GAP = 8

WALLS = ["wall_tiles.bmp", "wall_wood.bmp", "wall_stone.bmp", "wall_brick.bmp", "wall_hedge.bmp"]
ORDER = ["sky.bmp", "floor.bmp"] + WALLS + [
    "title.bmp", "enemy.bmp", "dot.bmp", "gun_pickup.bmp", "barrel.bmp", "crate.bmp", "lamp.bmp",
    "gun.bmp", "flash.bmp", "life.bmp", "icon.bmp", "level1.bmp"] + ["digit%d.bmp" % d for d in range(10)]
SPRITES = ["enemy.bmp", "dot.bmp", "gun_pickup.bmp", "barrel.bmp", "crate.bmp", "lamp.bmp", "gun.bmp",
           "flash.bmp"]


def load(path):
    w, h, rows = read_bmp(open(path, "rb").read())
    return [[None if p == (255, 0, 0) else (p[0] & 0xF8, p[1] & 0xFC, p[2] & 0xF8) for p in r] for r in rows]


def scaled(pic, w, h):
    """Nearest-pixel scaling with the source coordinate rounded down, as the game does it."""
    sh, sw = len(pic), len(pic[0])
    return [[pic[y * sh // h][x * sw // w] for x in range(w)] for y in range(h)]


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "contact_sheet.png"
    res = sys.argv[2] if len(sys.argv) > 2 else os.path.join(HERE, "..", "..", "res")
    pics = {name: load(os.path.join(res, name)) for name in ORDER}
    items = [pics[n] for n in ORDER]
    level = pics["level1.bmp"]
    items[ORDER.index("level1.bmp")] = scaled(level, len(level[0]) * 3, len(level) * 3)
    for n in SPRITES:
        p = pics[n]
        items.append(scaled(p, len(p[0]) // 4, len(p) // 4))
    for n in WALLS:
        items.append(scaled(pics[n], 290, 290))
    # Shelf packing, in order.
    placed = []
    x = y = GAP
    shelf = 0
    for p in items:
        w, h = len(p[0]), len(p)
        if x + w + GAP > PAGE_W:
            x, y = GAP, y + shelf + GAP
            shelf = 0
        placed.append((x, y, p))
        x += w + GAP
        shelf = max(shelf, h)
    page_h = y + shelf + GAP
    page = [[GROUND] * PAGE_W for _ in range(page_h)]
    for px, py, p in placed:
        for j, row in enumerate(p):
            for i, c in enumerate(row):
                if c is not None:
                    page[py + j][px + i] = c
    write_png(out, PAGE_W, page_h, page)
    print(out)


if __name__ == "__main__":
    main()
