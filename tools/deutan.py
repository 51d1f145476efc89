#!/usr/bin/env python3
"""How a picture looks to a player without green cones (deuteranopia), and
how far apart colours stay for such a player.

  deutan.py in.bmp out.png [scale [top]]
                                     the picture (from row `top` down) as a
                                     deuteranope sees it, beside the original
  deutan.py --pairs R,G,B R,G,B ...  the distance (CIE76 delta E) between
                                     every two colours, plain and simulated,
                                     and each colour's contrast to the first

The simulation is Machado, Oliveira and Fernandes' matrix for full
deuteranopia, applied to linear RGB."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bmp2png import read_bmp, write_png  # noqa: E402

DEUTAN = ((0.367322, 0.860646, -0.227968),
          (0.280085, 0.672501, 0.047413),
          (-0.011820, 0.042940, 0.968881))


def to_linear(c):
    c /= 255.0
    return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4


def to_srgb(v):
    v = min(max(v, 0.0), 1.0)
    v = v * 12.92 if v <= 0.0031308 else 1.055 * v ** (1 / 2.4) - 0.055
    return int(round(v * 255))


def simulate(rgb):
    lin = [to_linear(c) for c in rgb]
    return tuple(to_srgb(sum(m * c for m, c in zip(row, lin))) for row in DEUTAN)


def luminance(rgb):
    r, g, b = (to_linear(c) for c in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def lab(rgb):
    r, g, b = (to_linear(c) for c in rgb)
    xyz = (0.4124 * r + 0.3576 * g + 0.1805 * b, 0.2126 * r + 0.7152 * g + 0.0722 * b,
           0.0193 * r + 0.1192 * g + 0.9505 * b)
    f = [(t / n) ** (1 / 3) if t / n > 0.008856 else 7.787 * t / n + 16 / 116
         for t, n in zip(xyz, (0.95047, 1.0, 1.08883))]
    return 116 * f[1] - 16, 500 * (f[0] - f[1]), 200 * (f[1] - f[2])


def delta_e(a, b):
    return sum((x - y) ** 2 for x, y in zip(lab(a), lab(b))) ** 0.5


def pairs(colours):
    print("colour          contrast to the first")
    for c in colours:
        print(f"{str(c):16}{contrast(c, colours[0]):6.2f}   simulated {simulate(c)}")
    worst = None
    for i, a in enumerate(colours):
        for b in colours[i + 1:]:
            plain, seen = delta_e(a, b), delta_e(simulate(a), simulate(b))
            print(f"{str(a):16}{str(b):16} plain {plain:6.1f}  deutan {seen:6.1f}")
            worst = seen if worst is None else min(worst, seen)
    print(f"smallest deutan delta E: {worst:.1f}")


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "--pairs":
        pairs([tuple(int(v) for v in arg.split(",")) for arg in sys.argv[2:]])
        return
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    w, h, rows = read_bmp(open(sys.argv[1], "rb").read())
    rows = rows[int(sys.argv[4]) if len(sys.argv) > 4 else 0:]
    cache = {}
    out = []
    for px in rows:
        seen = [cache.setdefault(p, simulate(p)) for p in px]
        out.append(list(px) + [(0, 0, 0)] * 4 + seen)
    write_png(sys.argv[2], 2 * w + 4, len(out), out, int(sys.argv[3]) if len(sys.argv) > 3 else 1)


if __name__ == "__main__":
    main()
