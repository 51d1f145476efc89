"""The built-in first level: level130.txt, one character a cell, written as
the 8-bit level bitmap whose palette indices are the cells' bytes.

The palette colours are what the minimap shows; corridors and enemy starts
are pure red so that the minimap leaves them out."""
import os

import bmpfile

MAP_FILE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "level130.txt")

# character -> (palette index, colour)
CELLS = {
    ".": (1, (255, 0, 0)),  # corridor
    "P": (2, (3, 171, 3)),  # player start
    "E": (3, (255, 0, 0)),  # enemy start
    "o": (64, (255, 255, 63)),  # dot
    "G": (65, (255, 255, 255)),  # gun
    "B": (66, (255, 191, 127)),  # barrel
    "#": (128, (91, 3, 211)),  # wall type 0, blue tiles
    "X": (129, (128, 64, 0)),  # wall type 1, wood
}


def read_map(path=MAP_FILE):
    with open(path) as f:
        rows = [line.rstrip("\n") for line in f if line.strip()]
    if len({len(r) for r in rows}) != 1:
        raise ValueError("%s: rows of different lengths" % path)
    for r in rows:
        for ch in r:
            if ch not in CELLS:
                raise ValueError("%s: unknown cell %r" % (path, ch))
    return rows


# The rest of the game's default level palette (LevelPaletteColour in
# scene/LevelBitmap.cpp, which tests/res holds this file to): the walls and
# decorations the game has pictures for, then by cell class.
OTHER_COLOURS = {
    130: (140, 140, 132),  # wall type 2, stone
    131: (168, 76, 52),  # wall type 3, brick
    132: (36, 112, 44),  # wall type 4, hedge
    67: (196, 148, 84),  # crate
    68: (255, 150, 40),  # lamp
}
CLASS_COLOURS = [(255, 0, 0), (255, 191, 127), (160, 160, 160), (255, 0, 0)]


def default_palette():
    """The colours every level bitmap starts from, so that the level tool
    prints the built-in level without any colour lines."""
    palette = [CLASS_COLOURS[i >> 6] for i in range(256)]
    for index, colour in list(CELLS.values()) + list(OTHER_COLOURS.items()):
        palette[index] = colour
    return palette


def write_level(path, rows=None):
    rows = rows or read_map()
    palette = default_palette()
    indices = [[CELLS[ch][0] for ch in row] for row in rows]
    bmpfile.write_indexed(path, len(rows[0]), len(rows), palette, indices)
