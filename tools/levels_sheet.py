#!/usr/bin/env python3
"""Lays screenshots side by side on one PNG, four to a row, in the order
given: the campaign's opening views for docs/levels.png.

Usage: tools/levels_sheet.py out.png shot1.bmp shot2.bmp ...
"""
import sys

sys.dont_write_bytecode = True  # keep the tree free of caches

from bmp2png import read_bmp, write_png  # noqa: E402

COLUMNS = 4
GAP = 6
GROUND = (40, 40, 40)


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__.strip())
    out, shots = sys.argv[1], sys.argv[2:]
    pics = [read_bmp(open(path, "rb").read()) for path in shots]
    cell_w = max(w for w, _, _ in pics)
    cell_h = max(h for _, h, _ in pics)
    rows = (len(pics) + COLUMNS - 1) // COLUMNS
    page_w = GAP + COLUMNS * (cell_w + GAP)
    page_h = GAP + rows * (cell_h + GAP)
    page = [[GROUND] * page_w for _ in range(page_h)]
    for n, (w, h, pixels) in enumerate(pics):
        left = GAP + (n % COLUMNS) * (cell_w + GAP)
        top = GAP + (n // COLUMNS) * (cell_h + GAP)
        for y in range(h):
            page[top + y][left:left + w] = pixels[y]
    write_png(out, page_w, page_h, page)
    print(out)


if __name__ == "__main__":
    main()
