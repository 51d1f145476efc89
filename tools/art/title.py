"""The title picture: the name in big outlined letters over a framed view of
the game itself, rendered from the built-in level with the game's own
pictures, all on a pure-red ground."""
import math

from raster import Arc, Box, Canvas, Capsule, Circle, Shape, Sub, clamp, mix
from sprites import INK

TITLE_W, TITLE_H = 240, 300
_FRAME = (12.0, 104.0, 228.0, 294.0)  # outer edge of the picture frame
_VIEW = (18, 110, 222, 288)  # the rendered view inside it (left, top, right, bottom)


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


# ---------------------------------------------------------------- the view
def _cell(grid, c, r):
    if 0 <= r < len(grid) and 0 <= c < len(grid[0]):
        return grid[r][c]
    return "#"


def _sample(pic, u, v):
    h = len(pic)
    w = len(pic[0])
    x = min(w - 1, max(0, int(u * w)))
    y = min(h - 1, max(0, int(v * h)))
    return pic[y][x]


def render_view(grid, pics, w, h, cam, heading, sprites, ss=2):
    """A view of the maze the way the game draws it: the sky, the floor, the
    walls with their darker faces and billboard sprites, far to near."""
    W, H = w * ss, h * ss
    f = 0.62 * W
    cx, cy = W / 2.0, H / 2.0
    hr = math.radians(heading)
    fwd = (math.sin(hr), -math.cos(hr))
    right = (math.cos(hr), math.sin(hr))
    sky, floor = pics["sky"], pics["floor"]
    sky_scale = (H / 2.0) / len(sky)
    sky_x0 = len(sky[0]) * (heading % 360.0) / 360.0
    px = [[None] * W for _ in range(H)]
    depth = [0.0] * W
    for sx in range(W):
        k = (sx + 0.5 - cx) / f
        dx = fwd[0] + right[0] * k
        dz = fwd[1] + right[1] * k
        c, r = int(cam[0]), int(cam[1])
        step_c = 1 if dx > 0 else -1
        step_r = 1 if dz > 0 else -1
        t_dx = abs(1.0 / dx) if dx else 1e30
        t_dz = abs(1.0 / dz) if dz else 1e30
        t_x = ((c + 1 - cam[0]) if dx > 0 else (cam[0] - c)) * t_dx
        t_z = ((r + 1 - cam[1]) if dz > 0 else (cam[1] - r)) * t_dz
        while True:
            if t_x < t_z:
                t, c, side = t_x, c + step_c, "x"
                t_x += t_dx
            else:
                t, r, side = t_z, r + step_r, "z"
                t_z += t_dz
            cell = _cell(grid, c, r)
            if cell in "#X" or t > 60:
                break
        hx, hz = cam[0] + dx * t, cam[1] + dz * t
        if side == "x":  # the face is to the right or the left of the open cell
            dark = step_c > 0
            u = hz - math.floor(hz) if step_c > 0 else 1.0 - (hz - math.floor(hz))
        else:
            dark = step_r < 0
            u = hx - math.floor(hx) if step_r < 0 else 1.0 - (hx - math.floor(hx))
        depth[sx] = t  # distance along the view direction, since fwd has length 1
        tex = pics["wood"] if cell == "X" else pics["tile"]
        top = cy - f * 0.5 / t
        bot = cy + f * 0.5 / t
        for sy in range(H):
            y = sy + 0.5
            if top <= y < bot:
                col = _sample(tex, u, (y - top) / (bot - top))
                px[sy][sx] = tuple(v * 0.6 for v in col) if dark else col
            elif y < cy:
                sxx = int(sky_x0 + sx / sky_scale) % len(sky[0])
                px[sy][sx] = sky[min(len(sky) - 1, int(y / sky_scale))][sxx]
            else:
                px[sy][sx] = _sample(floor, (sx + 0.5) / W, (y - cy) / (H - cy))
    order = []
    for (x, z, height, pic) in sprites:
        vx, vz = x - cam[0], z - cam[1]
        zc = vx * fwd[0] + vz * fwd[1]
        xc = vx * right[0] + vz * right[1]
        if zc > 0.3:
            order.append((zc, xc, height, pic))
    order.sort(key=lambda s: -s[0])
    for zc, xc, height, pic in order:
        top = cy - f * (height - 0.5) / zc
        bot = cy + f * 0.5 / zc
        sh = bot - top
        sw = sh * len(pic[0]) / len(pic)
        left = cx + f * xc / zc - sw / 2.0
        for sx in range(max(0, int(left)), min(W, int(left + sw) + 1)):
            if depth[sx] < zc:
                continue
            u = (sx + 0.5 - left) / sw
            if not 0.0 <= u < 1.0:
                continue
            for sy in range(max(0, int(top)), min(H, int(bot) + 1)):
                v = (sy + 0.5 - top) / sh
                if 0.0 <= v < 1.0:
                    col = _sample(pic, u, v)
                    if col is not None:
                        px[sy][sx] = col
    return _downsample(px, ss)


def _downsample(px, ss):
    out = []
    for y in range(len(px) // ss):
        row = []
        for x in range(len(px[0]) // ss):
            acc = [0.0, 0.0, 0.0]
            for j in range(ss):
                for i in range(ss):
                    c = px[y * ss + j][x * ss + i]
                    for k in range(3):
                        acc[k] += c[k]
            row.append(tuple(a / (ss * ss) for a in acc))
        out.append(row)
    return out


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
                rows[ty][tx] = mix(rows[ty][tx], c, blend)


def title(grid, pics):
    cv = Canvas(TITLE_W, TITLE_H, ss=3)
    # The frame: a dark bevelled border with a gold rim.
    fx0, fy0, fx1, fy1 = _FRAME
    cv.paint(Box(fx0 - 2.0, fy0 - 2.0, fx1 + 2.0, fy1 + 2.0, 9.0), INK)
    cv.paint(Box(fx0, fy0, fx1, fy1, 8.0), lambda x, y: mix((250, 206, 90), (190, 110, 30), (y - fy0) / (fy1 - fy0)))
    cv.paint(Box(fx0 + 3.0, fy0 + 3.0, fx1 - 3.0, fy1 - 3.0, 6.0), (30, 40, 86))
    _lettering(cv, 84.0)
    rows = cv.pixels()
    vx0, vy0, vx1, vy1 = _VIEW
    vw, vh = vx1 - vx0, vy1 - vy0
    sprites = []
    for r, line in enumerate(grid):
        for c, ch in enumerate(line):
            if ch == "o":
                sprites.append((c + 0.5, r + 0.5, 0.5, pics["dot"]))
            elif ch == "B":
                sprites.append((c + 0.5, r + 0.5, 0.5, pics["barrel"]))
            elif ch == "G":
                sprites.append((c + 0.5, r + 0.5, 0.5, pics["gun_pickup"]))
    sprites.append((29.6, 26.55, 1.0, pics["enemy"]))  # one on its way down the corridor
    view = render_view(grid, pics, vw, vh, (25.3, 27.05), 87.0, sprites)
    s = vw / 240.0
    held = pics["held_gun"]
    gx = vw - int(len(held[0]) * s)
    gy = vh - int(len(held) * s)
    _overlay(view, held, gx, gy, s)
    x = 4
    for d in (1, 2, 0):  # a score in the corner, as the game shows it
        _overlay(view, pics["digits"][d], x, 4, 0.8)
        x += 8
    for i in range(3):
        _overlay(view, pics["life_icon"], vw - 4 - 17 * (3 - i), 4, 0.85)
    for y in range(vh):
        for x in range(vw):
            # Round the view's corners to sit inside the frame.
            cxr = min(x + 0.5, vw - x - 0.5)
            cyr = min(y + 0.5, vh - y - 0.5)
            if cxr < 4 and cyr < 4 and math.hypot(4 - cxr, 4 - cyr) > 4:
                continue
            rows[vy0 + y][vx0 + x] = view[y][x]
    return rows
