#!/usr/bin/env python3
"""Writes every picture, sound and the built-in level of the game into res/.

Usage: tools/art/generate.py [output folder]   (default: res/ of this tree)

Everything is drawn from code with fixed seeds, so the same source always
gives the same files. Change the drawing here and run this to rebuild them;
tools/art/contact_sheet.py shows the result on one page.
"""
import os
import sys

sys.dont_write_bytecode = True  # keep the tree free of caches

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import bmpfile  # noqa: E402
import font  # noqa: E402
import level  # noqa: E402
import sounds  # noqa: E402
import sprites  # noqa: E402
import textures  # noqa: E402
import title  # noqa: E402

MANIFEST = os.path.join(HERE, "..", "..", "res", "resources.txt")

# What each file holds: pictures by (size, name in draw_all), sounds by their
# exact size. The ids come from the manifest, which lists the same files.
PICTURES = {
    "wall_tiles.bmp": ((315, 211), "tile"),
    "sky.bmp": ((800, 160), "sky"),
    "floor.bmp": ((240, 160), "floor"),
    "dot.bmp": ((85, 120), "dot"),
    "enemy.bmp": ((130, 159), "enemy"),
    "gun.bmp": ((150, 100), "held_gun"),
    "flash.bmp": ((107, 108), "flash"),
    "gun_pickup.bmp": ((120, 100), "gun_pickup"),
    "barrel.bmp": ((120, 134), "barrel"),
    "life.bmp": ((20, 20), "life_icon"),
    "title.bmp": ((240, 300), "title"),
    "wall_wood.bmp": ((228, 287), "wood"),
    "wall_stone.bmp": ((288, 224), "stone"),
    "wall_brick.bmp": ((256, 256), "brick"),
    "wall_hedge.bmp": ((240, 240), "hedge"),
    "crate.bmp": ((120, 120), "crate"),
    "lamp.bmp": ((72, 134), "lamp"),
    "font.bmp": ((font.CELL_W * font.COLUMNS, font.CELL_H * font.ROWS), "font"),
}
for _d in range(10):
    PICTURES["digit%d.bmp" % _d] = ((10, 20), _d)
LEVEL = "level1.bmp"
ICON = "icon.bmp"
WAVES = {
    "shot.wav": 15190,
    "hit.wav": 21222,
    "caught.wav": 17008,
    "gun_pickup.wav": 4236,
    "dot.wav": 9354,
}


def read_manifest(path=MANIFEST):
    """The id of every file the manifest lists, by file name."""
    ids = {}
    with open(path) as f:
        for line in f:
            words = line.split()
            if not words or words[0].startswith("#") or words[1] == "STRING":
                continue
            ids[words[3]] = int(words[0])
    return ids


def draw_all():
    """Every picture by name, as rows of colours (None where see-through)."""
    pics = {
        "tile": textures.tile_wall(),
        "wood": textures.wood_wall(),
        "stone": textures.stone_wall(),
        "brick": textures.brick_wall(),
        "hedge": textures.hedge_wall(),
        "sky": textures.sky(),
        "floor": textures.floor(),
        "dot": sprites.dot(),
        "gun_pickup": sprites.gun_pickup(),
        "barrel": sprites.barrel(),
        "crate": sprites.crate(),
        "lamp": sprites.lamp(),
        "enemy": sprites.enemy(),
        "held_gun": sprites.held_gun(),
        "flash": sprites.flash(),
        "life_icon": sprites.life_icon(),
        "digits": [sprites.digit(d) for d in range(10)],
        "icon": sprites.icon(),
        "font": font.sheet(),
    }
    pics["title"] = title.title(pics)
    return pics


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "..", "res")
    os.makedirs(out, exist_ok=True)
    ids = read_manifest()
    unlisted = sorted((set(PICTURES) | set(WAVES) | {LEVEL, ICON}) - set(ids))
    if unlisted:
        sys.exit("res/resources.txt does not list " + ", ".join(unlisted))
    pics = draw_all()
    for name, (size, what) in sorted(PICTURES.items(), key=lambda item: ids[item[0]]):
        rows = pics["digits"][what] if isinstance(what, int) else pics[what]
        if (len(rows[0]), len(rows)) != size:
            sys.exit("%s is %dx%d, wants %dx%d" % (name, len(rows[0]), len(rows), size[0], size[1]))
        n = bmpfile.write_picture(os.path.join(out, name), rows)
        print("%3d %-16s %3dx%-3d %3d colours" % (ids[name], name, size[0], size[1], n))
    bmpfile.write_picture(os.path.join(out, ICON), pics["icon"])
    print("%3d %s" % (ids[ICON], ICON))
    level.write_level(os.path.join(out, LEVEL))
    print("%3d %s" % (ids[LEVEL], LEVEL))
    for name, size in sorted(WAVES.items(), key=lambda item: ids[item[0]]):
        data = sounds.SOUNDS[name](size)
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
        print("%3d %-16s %d bytes" % (ids[name], name, len(data)))


if __name__ == "__main__":
    main()
