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
import level  # noqa: E402
import sounds  # noqa: E402
import sprites  # noqa: E402
import textures  # noqa: E402
import title  # noqa: E402

# Bitmap resources: id -> (file, size). The manifest res/resources.txt lists the same files.
PICTURES = {
    129: ("wall_tiles.bmp", (315, 211)),
    131: ("sky.bmp", (800, 160)),
    132: ("floor.bmp", (240, 160)),
    135: ("dot.bmp", (85, 120)),
    138: ("enemy.bmp", (130, 159)),
    139: ("gun.bmp", (150, 100)),
    140: ("flash.bmp", (107, 108)),
    153: ("gun_pickup.bmp", (120, 100)),
    154: ("barrel.bmp", (120, 134)),
    155: ("life.bmp", (20, 20)),
    157: ("title.bmp", (240, 300)),
    159: ("wall_wood.bmp", (228, 287)),
}
for _d in range(10):
    PICTURES[143 + _d] = ("digit%d.bmp" % _d, (10, 20))
LEVEL = (130, "level1.bmp")
ICON = (128, "icon.bmp")
WAVES = {
    141: ("shot.wav", 15190),
    142: ("hit.wav", 21222),
    156: ("caught.wav", 17008),
    160: ("gun_pickup.wav", 4236),
    161: ("dot.wav", 9354),
}


def draw_all():
    """Every picture by name, as rows of colours (None where see-through)."""
    pics = {
        "tile": textures.tile_wall(),
        "wood": textures.wood_wall(),
        "sky": textures.sky(),
        "floor": textures.floor(),
        "dot": sprites.dot(),
        "gun_pickup": sprites.gun_pickup(),
        "barrel": sprites.barrel(),
        "enemy": sprites.enemy(),
        "held_gun": sprites.held_gun(),
        "flash": sprites.flash(),
        "life_icon": sprites.life_icon(),
        "digits": [sprites.digit(d) for d in range(10)],
        "icon": sprites.icon(),
    }
    pics["title"] = title.title(level.read_map(), pics)
    return pics


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "..", "res")
    os.makedirs(out, exist_ok=True)
    pics = draw_all()
    by_id = {129: "tile", 131: "sky", 132: "floor", 135: "dot", 138: "enemy", 139: "held_gun",
             140: "flash", 153: "gun_pickup", 154: "barrel", 155: "life_icon", 157: "title",
             159: "wood"}
    for rid, (name, size) in sorted(PICTURES.items()):
        rows = pics["digits"][rid - 143] if 143 <= rid <= 152 else pics[by_id[rid]]
        if (len(rows[0]), len(rows)) != size:
            sys.exit("%s is %dx%d, wants %dx%d" % (name, len(rows[0]), len(rows), size[0], size[1]))
        n = bmpfile.write_picture(os.path.join(out, name), rows)
        print("%3d %-16s %3dx%-3d %3d colours" % (rid, name, size[0], size[1], n))
    bmpfile.write_picture(os.path.join(out, ICON[1]), pics["icon"])
    print("%3d %s" % ICON)
    level.write_level(os.path.join(out, LEVEL[1]))
    print("%3d %s" % LEVEL)
    for rid, (name, size) in sorted(WAVES.items()):
        data = sounds.SOUNDS[rid](size)
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
        print("%3d %-16s %d bytes" % (rid, name, len(data)))


if __name__ == "__main__":
    main()
