"""The title picture: the name in big outlined letters, the keys to play
with in small ones, and under them a small piece of maze seen from above,
walled with the game's own wall pictures, with dots, a gun and two of its
creatures in the corridors, all on a pure-red ground.

It is shown over the live game for its first seconds, so it holds nothing
that could be taken for the game's own score, lives or minimap, and it keeps
clear of the strips where those are drawn."""

from raster import Arc, Canvas, Capsule, Circle, Shape, Sub, clamp, mix
from sprites import INK

TITLE_W, TITLE_H = 240, 300

# The piece of maze: one character a cell, as in level130.txt.
# A blank is no cell at all: the piece has ragged edges, so it reads as a
# bit of a larger maze rather than as a framed screen.
_MAZE = [
    "  #####  ",
    " ##o.G## ",
    "##o.#.o##",
    "#o.E.X.o#",
    "#.#X.o..#",
    "#.o.o.E.#",
    " #.o.o.# ",
]
_CELL_W, _CELL_D, _WALL_H = 24, 16, 13  # a cell's width and depth, a wall's height
_SLAB = 6  # the thickness of the ground under the maze, seen at its front edge
_MAZE_TOP = 140  # where the floor of the first row starts


# ---------------------------------------------------------------- lettering
def _letters(r, R, cap):
    """The letters of the name as stroke shapes in local coordinates (left
    edge at x = 0, baseline at y = 0, up negative) with their advance widths."""
    xh = 2 * (R + r)
    RQ = cap / 2 - r
    bowl = lambda x0: Arc(x0 + r + R, -(r + R), R, 0, 360, r)
    q = Arc(r + RQ, -(r + RQ), RQ, 0, 360, r) | Capsule(r + RQ + 8, -RQ * 0.55, r + RQ * 2 + 6, 8.0, r, r * 0.8)
    u = (Capsule(r, -xh + r, r, -(r + R), r) | Capsule(2 * R + r, -xh + r, 2 * R + r, -r, r)
         | Arc(r + R, -(r + R), R, 0, 180, r))
    i = Capsule(r, -xh + r, r, -r, r) | Circle(r, -xh - r - 5.0, r + 0.8)
    b = Capsule(r, -cap + r, r, -r, r) | bowl(0)
    o = bowl(0)
    return [(q, 2 * r + 2 * RQ), (u, xh), (i, 2 * r), (b, xh), (b, xh), (o, xh)]


class _Moved(Shape):
    """A shape moved by (dx, dy)."""

    def __init__(self, s, dx, dy):
        self.s, self.dx, self.dy = s, dx, dy
        b = s.bbox
        self.bbox = (b[0] + dx, b[1] + dy, b[2] + dx, b[3] + dy)

    def d(self, x, y):
        return self.s.d(x - self.dx, y - self.dy)



def _lettering(cv, baseline):
    r, R, cap = 5.6, 10.8, 60.0
    letters = _letters(r, R, cap)
    gap = 2.5
    total = sum(w for _, w in letters) + gap * (len(letters) - 1)
    x = (TITLE_W - total) / 2.0 - 1.5
    placed = []
    for i, (shape, w) in enumerate(letters):
        dy = -3.0 if i % 2 else 0.0  # a little bounce along the line
        placed.append(_Moved(shape, x, baseline + dy))
        x += w + gap
    top = baseline - cap
    for depth in range(5, 0, -1):  # a deep blue extrusion down and right
        for s in placed:
            cv.paint(_Moved(s, depth * 0.8, depth).grow(2.4), INK if depth == 5 else (28, 50, 130))
    for s in placed:
        cv.paint(s.grow(2.4), INK)
        cv.paint(s, lambda x, y: mix((255, 244, 150), (246, 142, 24), clamp((y - top) / (cap + 8.0))))
    for s in placed:  # a glint along the upper-left edges
        cv.paint(Sub(s.grow(-1.2), _Moved(s, 1.4, 2.2)), (255, 255, 236), alpha=0.85)


# ---------------------------------------------------------------- how to play
# A small stroke alphabet in the name's manner: round strokes ringed in ink.
# Each letter is polylines on a grid 4 wide (W and M 5, I 0) and 6 high,
# y down; the letters are only those the hint needs.
_GLYPHS = {
    "A": [[(0, 6), (0, 2), (1.2, 0), (2.8, 0), (4, 2), (4, 6)], [(0, 3.6), (4, 3.6)]],
    "C": [[(4, 1), (3, 0), (1, 0), (0, 1), (0, 5), (1, 6), (3, 6), (4, 5)]],
    "D": [[(0, 0), (0, 6), (2.5, 6), (4, 4.5), (4, 1.5), (2.5, 0), (0, 0)]],
    "E": [[(4, 0), (0, 0), (0, 6), (4, 6)], [(0, 3), (3, 3)]],
    "F": [[(4, 0), (0, 0), (0, 6)], [(0, 3), (3, 3)]],
    "I": [[(0, 0), (0, 6)]],
    "K": [[(0, 0), (0, 6)], [(4, 0), (0, 3.8)], [(1.4, 2.6), (4, 6)]],
    "L": [[(0, 0), (0, 6), (4, 6)]],
    "M": [[(0, 6), (0, 0), (2.5, 3.5), (5, 0), (5, 6)]],
    "N": [[(0, 6), (0, 0), (4, 6), (4, 0)]],
    "O": [[(1, 0), (3, 0), (4, 1), (4, 5), (3, 6), (1, 6), (0, 5), (0, 1), (1, 0)]],
    "P": [[(0, 6), (0, 0), (3, 0), (4, 0.9), (4, 2.3), (3, 3.2), (0, 3.2)]],
    "R": [[(0, 6), (0, 0), (3, 0), (4, 0.9), (4, 2.1), (3, 3), (0, 3)], [(2.2, 3), (4, 6)]],
    "S": [[(4, 1), (3, 0), (1, 0), (0, 1), (0, 2), (1, 3), (3, 3), (4, 4), (4, 5), (3, 6), (1, 6),
           (0, 5)]],
    "T": [[(0, 0), (4, 0)], [(2, 0), (2, 6)]],
    "U": [[(0, 0), (0, 5), (1, 6), (3, 6), (4, 5), (4, 0)]],
    "W": [[(0, 0), (1.1, 6), (2.5, 2.6), (3.9, 6), (5, 0)]],
    "/": [[(0, 6), (3, 0)]],
}
# Two lines: each pair is (key, what it does); keys in the name's gold,
# what they do in white.
_HINT = [[("ARROWS", "WALK/TURN")], [("SPACE", "FIRE"), ("P", "PAUSE"), ("M", "SOUND")]]
_HINT_CAP = 7.0  # letter height in pixels
_STROKE = 0.8  # half a stroke's width
_RING = 1.1  # the ink ring round every stroke
_HINT_BASE = (105.0, 118.0)  # the two lines' baselines, between the name and the maze


def _word(text, x, baseline):
    """The strokes of a word placed at x on the baseline; returns them and
    the x after the word."""
    k = _HINT_CAP / 6.0
    strokes = []
    for ch in text:
        for line in _GLYPHS[ch]:
            for (ax, ay), (bx, by) in zip(line, line[1:]):
                strokes.append(Capsule(x + ax * k, baseline - _HINT_CAP + ay * k,
                                       x + bx * k, baseline - _HINT_CAP + by * k, _STROKE))
        width = max(px for line in _GLYPHS[ch] for px, _ in line) * k
        x += width + 2 * (_STROKE + _RING) + 0.6
    return strokes, x - 2 * _RING - 0.6


def _hint(cv):
    """The keys to play with, under the name: the title is the first thing
    a player sees, over the game that has already started."""
    gap, pair_gap = 6.0, 12.0
    for line, baseline in zip(_HINT, _HINT_BASE):
        # Measure the line, then place it centred.
        x = 0.0
        for i, (key, what) in enumerate(line):
            x = _word(key, x, baseline)[1] + gap
            x = _word(what, x, baseline)[1] + (pair_gap if i < len(line) - 1 else 0.0)
        x = (TITLE_W - x) / 2.0
        words = []
        for key, what in line:
            strokes, x = _word(key, x, baseline)
            words.append((strokes, ((255, 244, 150), (246, 142, 24))))
            strokes, x = _word(what, x + gap, baseline)
            words.append((strokes, ((255, 255, 255), (196, 214, 238))))
            x += pair_gap
        top = baseline - _HINT_CAP
        for strokes, _ in words:  # a shadow down and right, then the ring
            for st in strokes:
                cv.paint(_Moved(st, 0.8, 1.0).grow(_RING), INK)
                cv.paint(st.grow(_RING), INK)
        for strokes, (hi, lo) in words:
            for st in strokes:
                cv.paint(st, lambda x, y, hi=hi, lo=lo: mix(hi, lo, clamp((y - top) / _HINT_CAP)))


# ---------------------------------------------------------------- the maze
def _texture(pic, u, v, ss=3):
    """The mean colour of a picture over the cell of a face at (u, v) in
    [0, 1), sampled on an ss x ss grid so small faces keep their tone."""
    h, w = len(pic), len(pic[0])
    acc = [0.0, 0.0, 0.0]
    for j in range(ss):
        for i in range(ss):
            c = pic[min(h - 1, int((v + j / (ss * 8.0)) * h))][min(w - 1, int((u + i / (ss * 8.0)) * w))]
            for k in range(3):
                acc[k] += c[k]
    return tuple(a / (ss * ss) for a in acc)


def _maze(rows, pics):
    """Draws the piece of maze row by row, far to near, in a three-quarter view
    from above: every wall a raised block whose front shows its wall picture,
    each row's creatures and items after its walls so nearer walls hide their
    feet. Returns where it drew, for the outline."""
    cols = len(_MAZE[0])
    x0 = (TITLE_W - cols * _CELL_W) // 2
    drawn = set()

    def fill(x, y, colour):
        if 0 <= y < len(rows) and 0 <= x < TITLE_W:
            rows[y][x] = colour
            drawn.add((x, y))

    for r, line in enumerate(_MAZE):
        y = _MAZE_TOP + r * _CELL_D
        for c, ch in enumerate(line):
            x = x0 + c * _CELL_W
            if ch == " ":
                continue
            if ch in "#X":
                wood = ch == "X"
                tex = pics["wood"] if wood else pics["tile"]
                rim = (176, 130, 84) if wood else (120, 156, 232)
                top_back, top_front = ((120, 84, 52), (84, 56, 36)) if wood else ((62, 92, 178), (40, 58, 124))
                for j in range(_CELL_D):
                    for i in range(_CELL_W):
                        edge = (j == 0 and _cell(c, r - 1) not in "#X") or \
                            (i == 0 and _cell(c - 1, r) not in "#X") or \
                            (i == _CELL_W - 1 and _cell(c + 1, r) not in "#X")
                        if edge:
                            fill(x + i, y - _WALL_H + j, rim)
                        else:  # the top, lit from behind
                            fill(x + i, y - _WALL_H + j, mix(top_back, top_front, j / float(_CELL_D)))
                if _cell(c, r + 1) not in "#X":  # the front face shows
                    for j in range(_WALL_H):
                        for i in range(_CELL_W):
                            u = ((c * _CELL_W + i) % 48) / 48.0
                            fill(x + i, y + _CELL_D - _WALL_H + j, _texture(tex, u, j / float(_WALL_H)))
            else:
                for j in range(_CELL_D):
                    for i in range(_CELL_W):
                        # The floor darkens towards the back of each cell, a
                        # hint of the game's shaded floor.
                        shade = 118 + 22 * j / _CELL_D
                        if j < 3 and _cell(c, r - 1) in "#X":  # the wall behind shades the floor at its foot
                            shade -= 26 - 8 * j
                        fill(x + i, y + j, (shade, shade, shade + 8))
            if _cell(c, r + 1) == " ":  # the ground's edge below the nearest cells
                for j in range(_SLAB):
                    for i in range(_CELL_W):
                        t = j / float(_SLAB)
                        fill(x + i, y + _CELL_D + j, mix((96, 70, 52), (58, 40, 30), t))
        for c, ch in enumerate(line):
            foot = _MAZE_TOP + r * _CELL_D + _CELL_D - 2
            cx = x0 + c * _CELL_W + _CELL_W // 2
            for want, name, scale in (("o", "dot", 0.13), ("G", "gun_pickup", 0.24), ("E", "enemy", 0.25)):
                if ch == want:
                    pic = pics[name]
                    w, h = int(len(pic[0]) * scale), int(len(pic) * scale)
                    before = [row[:] for row in rows]
                    _overlay(rows, pic, cx - w // 2, foot - h, scale)
                    for yy in range(max(0, foot - h), min(len(rows), foot)):
                        for xx in range(max(0, cx - w // 2), min(TITLE_W, cx - w // 2 + w)):
                            if rows[yy][xx] != before[yy][xx]:
                                drawn.add((xx, yy))
    return drawn


def _cell(c, r):
    if 0 <= r < len(_MAZE) and 0 <= c < len(_MAZE[0]):
        return _MAZE[r][c]
    return " "


def _outline(rows, drawn, width=2):
    """A dark edge round what was drawn, so the maze stands out from whatever
    the game shows behind it."""
    ring = set()
    for (x, y) in drawn:
        for dy in range(-width, width + 1):
            for dx in range(-width, width + 1):
                p = (x + dx, y + dy)
                if p not in drawn and 0 <= p[0] < TITLE_W and 0 <= p[1] < len(rows):
                    ring.add(p)
    for (x, y) in ring:
        rows[y][x] = INK


def _overlay(rows, pic, x0, y0, scale=1.0, blend=1.0):
    """Draws a keyed picture onto rows, scaled by area sampling."""
    w = int(len(pic[0]) * scale)
    h = int(len(pic) * scale)
    for y in range(h):
        for x in range(w):
            ty, tx = y0 + y, x0 + x
            if not (0 <= ty < len(rows) and 0 <= tx < len(rows[0])):
                continue
            acc = [0.0, 0.0, 0.0]
            n = 0
            tot = 0
            for sy in range(int(y / scale), max(int(y / scale) + 1, int((y + 1) / scale))):
                for sx in range(int(x / scale), max(int(x / scale) + 1, int((x + 1) / scale))):
                    tot += 1
                    c = pic[min(sy, len(pic) - 1)][min(sx, len(pic[0]) - 1)]
                    if c is not None:
                        n += 1
                        for k in range(3):
                            acc[k] += c[k]
            if n * 2 >= tot and n:
                c = tuple(a / n for a in acc)
                under = rows[ty][tx]
                rows[ty][tx] = c if under is None else mix(under, c, blend)


def title(pics):
    cv = Canvas(TITLE_W, TITLE_H, ss=3)
    _lettering(cv, 80.0)
    _hint(cv)
    rows = cv.pixels()
    drawn = _maze(rows, pics)
    _outline(rows, drawn)
    return rows
