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


def write_level(path, rows=None):
    rows = rows or read_map()
    palette = [(0, 0, 0)] * 256  # every entry the level does not use stays black
    for index, colour in CELLS.values():
        palette[index] = colour
    indices = [[CELLS[ch][0] for ch in row] for row in rows]
    bmpfile.write_indexed(path, len(rows[0]), len(rows), palette, indices)
