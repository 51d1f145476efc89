"""The opaque pictures: the five wall textures, the sky panorama and the floor.

A wall texture covers one cell's face and neighbouring faces sit side by side,
so both textures wrap from their right edge to their left; the sky wraps the
same way because it is drawn twice side by side as the player turns.
"""
import math
import random

from raster import Noise, clamp, lit, mix, picture, picture_ss, smoothstep

# ---------------------------------------------------------------- blue tiles
TILE_W, TILE_H = 315, 211
_TILE_ROWS = [  # (top, bottom, columns, kind)
    (11.0, 46.0, 5, "tile"),
    (46.0, 81.0, 5, "tile"),
    (81.0, 116.0, 5, "tile"),
    (116.0, 151.0, 5, "tile"),
    (151.0, 169.0, 14, "band"),
    (169.0, 201.0, 5, "tile"),
]
_GROUT = 3.0
_BEVEL = 3.5


def tile_wall():
    noise = Noise(129)
    rnd = random.Random(1291)
    jitter = {}
    for r in range(len(_TILE_ROWS)):
        for c in range(14):
            jitter[(r, c)] = (rnd.uniform(-0.07, 0.07), rnd.uniform(-10, 10), rnd.uniform(0, 1))
    base = (46, 96, 196)
    pale = (196, 214, 238)
    deep = (22, 52, 140)
    grout = (168, 176, 186)

    def f(x, y):
        per = 16.0 / TILE_W  # noise lattice wraps with the texture
        if y < 11.0:  # rounded cap along the top
            v = (y - 5.5) / 5.5
            n = (0.0, v * 0.9, math.sqrt(max(0.0, 1 - 0.81 * v * v)))
            c = lit((30, 50, 120), n, ambient=0.45, diffuse=0.7, specular=0.7, power=30)
            return c if y > 0.8 else mix(c, (10, 16, 40), 0.6)
        if y >= 201.0:  # skirting board
            t = y - 201.0
            n = (0.0, -0.8, 0.6) if t < 2.0 else (0.0, 0.0, 1.0)
            grime = noise.fbm(x * per * 2, y * 0.2, 3, period=32) * 25
            c = lit((26, 40, 92), n, ambient=0.5, diffuse=0.6, specular=0.3)
            return tuple(v - grime * 0.5 for v in c)
        for ri, (top, bot, cols, kind) in enumerate(_TILE_ROWS):
            if top <= y < bot:
                break
        cw = TILE_W / cols
        ci = int(x // cw)
        u = x - ci * cw
        v = y - top
        th = bot - top
        e_l, e_r, e_t, e_b = u - _GROUT / 2, cw - u - _GROUT / 2, v - _GROUT / 2, th - v - _GROUT / 2
        e = min(e_l, e_r, e_t, e_b)
        gn = noise.at(x * per * 8, y * 0.4, period=128)
        if e < 0.0:
            # Recessed grout, shaded under the tile above. The vertical joints are
            # lit evenly: the texture wraps in the middle of one.
            sh = 1.0 - 0.25 * smoothstep(0.0, 1.2, -e_t if e_t < 0 else 0.0)
            return tuple(g * sh * (0.92 + 0.12 * gn) for g in grout)
        dj, hue, sheen = jitter[(ri, ci)]
        if kind == "band":
            col = pale if ci % 2 == 0 else deep
        else:
            col = (base[0] + hue * 0.6, base[1] + hue * 0.4, base[2] - hue * 0.3)
        col = tuple(c * (1.0 + dj) for c in col)
        # Bevelled rim: the surface rolls off towards the nearest edge.
        if e < _BEVEL:
            s = (1.0 - e / _BEVEL) * 0.85
            if e == e_l:
                n = (-s, 0.0, 1.0)
            elif e == e_r:
                n = (s, 0.0, 1.0)
            elif e == e_t:
                n = (0.0, -s, 1.0)
            else:
                n = (0.0, s, 1.0)
        else:
            w1 = noise.at(x * per * 4, y * 0.12, period=64) - 0.5
            w2 = noise.at(x * per * 4 + 40, y * 0.12 + 40, period=64) - 0.5
            n = (w1 * 0.18, w2 * 0.18, 1.0)
        ln = math.sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2])
        n = (n[0] / ln, n[1] / ln, n[2] / ln)
        c = lit(col, n, ambient=0.55, diffuse=0.55, specular=0.55, power=40)
        # A soft window reflection across each glazed tile.
        if kind == "tile":
            k = (u / cw) * 0.8 + (v / th)
            refl = smoothstep(0.25, 0.4, k) * (1.0 - smoothstep(0.45, 0.62, k))
            c = mix(c, (235, 242, 255), refl * (0.18 + 0.12 * sheen))
        # Faint crazing and dirt in the glaze, darker towards the floor.
        dirt = noise.fbm(x * per * 3, y * 0.05, 3, period=48)
        c = tuple(v * (0.94 + 0.08 * dirt - 0.10 * smoothstep(150, 201, y) * dirt) for v in c)
        return c

    return picture_ss(TILE_W, TILE_H, f, 2)


# ---------------------------------------------------------------- wooden wall
WOOD_W, WOOD_H = 228, 287
_PLANK = 57.0
_BATTENS = ((20.0, 48.0), (239.0, 267.0))


def wood_wall():
    noise = Noise(159)
    fib = Noise(1590)
    rnd = random.Random(15)
    tones = [rnd.uniform(-0.08, 0.08) for _ in range(4)]
    knots = []
    for p in range(4):
        for _ in range(2 if p % 2 == 0 else 1):
            while True:
                ky = rnd.uniform(60, 230)
                if all(abs(ky - k[1]) > 50 for k in knots if k[0] == p):
                    break
            knots.append((p, ky, p * _PLANK + rnd.uniform(16, 41), rnd.uniform(3.0, 5.0)))
    light = (186, 124, 70)
    dark = (112, 62, 30)
    line = (78, 40, 18)

    def grain(along, across, seed, tone):
        # along: coordinate in the grain's direction, across: perpendicular.
        t = across * 0.075 + 2.4 * noise.fbm(across * 0.025 + seed, along * 0.006, 3)
        ring = (t * 3.0) % 1.0
        band = smoothstep(0.0, 0.12, ring) * (1.0 - smoothstep(0.7, 1.0, ring))
        c = mix(dark, light, 0.35 + 0.55 * band)
        c = mix(c, line, 0.55 * (1.0 - smoothstep(0.0, 0.06, ring)))
        fibre = fib.at(across * 0.9 + seed * 13, along * 0.04) - 0.5
        return tuple(v * (1.0 + tone + 0.16 * fibre) for v in c)

    def f(x, y):
        # Horizontal battens laid over the planks, grain running along x.
        for bi, (b0, b1) in enumerate(_BATTENS):
            if b0 <= y < b1:
                v = y - b0
                t_ = 1.2 * noise.fbm(x * 4.0 / WOOD_W, v * 0.05 + bi * 9, 3, period=4)
                ring = ((v * 0.075 + t_) * 3.0) % 1.0
                band = smoothstep(0.0, 0.12, ring) * (1.0 - smoothstep(0.7, 1.0, ring))
                c = mix(dark, light, 0.4 + 0.5 * band)
                c = mix(c, line, 0.5 * (1.0 - smoothstep(0.0, 0.06, ring)))
                fibre = fib.at(x * 16.0 / WOOD_W * 4, v * 0.9 + bi * 50, period=64) - 0.5
                c = tuple(k * (1.03 + 0.16 * fibre) for k in c)
                if v < 2.0:
                    n = (0.0, -0.7, 0.7)
                elif v > (b1 - b0) - 2.5:
                    n = (0.0, 0.7, 0.7)
                else:
                    n = (0.0, 0.0, 1.0)
                c = lit(c, n, ambient=0.6, diffuse=0.5, specular=0.08)
                # Nail heads where the batten crosses each plank.
                for p in range(4):
                    for ny in (b0 + 7.0, b1 - 7.0):
                        nx = p * _PLANK + _PLANK / 2
                        d = math.hypot(x - nx, y - ny)
                        if d < 2.6:
                            m = (x - nx) / 2.6, (y - ny) / 2.6
                            nn = (m[0], m[1], math.sqrt(max(0.0, 1 - m[0] ** 2 - m[1] ** 2)))
                            return lit((120, 118, 112), nn, ambient=0.35, diffuse=0.7, specular=0.8)
                        if d < 3.4:
                            c = tuple(k * 0.7 for k in c)
                return c
        p = int(x // _PLANK)
        u = x - p * _PLANK
        # The grain bends round the knots of its plank.
        bend = 0.0
        for kp, ky, kx, kr in knots:
            if kp == p:
                dx, dy = x - kx, y - ky
                bend -= 2.2 * kr * dx / (abs(dx) + kr) * math.exp(-(dy / (kr * 3.2)) ** 2 - (dx / (kr * 4.0)) ** 2)
        c = grain(y, u + bend, p * 5.1, tones[p])
        for kp, ky, kx, kr in knots:
            if kp != p:
                continue
            d = math.hypot((x - kx) / kr, (y - ky) / (kr * 1.5))
            if d < 2.2:
                ring = (d * 1.3) % 1.0
                kc = mix((70, 36, 16), (132, 80, 40), smoothstep(0.3, 0.9, ring))
                if d < 0.7:
                    kc = mix((52, 26, 10), kc, d / 0.7)
                c = mix(kc, c, smoothstep(1.2, 2.2, d))
        # Gaps and rounded edges between planks.
        e = min(u, _PLANK - u)
        if e < 1.0:
            return (44, 22, 10)
        if e < 3.0:
            s = (1.0 - (e - 1.0) / 2.0) * 0.8
            n = (-s, 0.0, 0.6) if u < _PLANK / 2 else (s, 0.0, 0.6)
        else:
            n = (0.0, 0.0, 1.0)
        c = lit(c, n, ambient=0.6, diffuse=0.5, specular=0.05)
        # The battens throw a shadow downward; the wall darkens at its very top and foot.
        for b0, b1 in _BATTENS:
            if b1 <= y < b1 + 6.0:
                c = tuple(k * (0.6 + 0.4 * (y - b1) / 6.0) for k in c)
        if y < 3.0 or y > WOOD_H - 3.0:
            c = tuple(k * 0.72 for k in c)
        return c

    return picture_ss(WOOD_W, WOOD_H, f, 2)


# ---------------------------------------------------------------- stone wall
STONE_W, STONE_H = 288, 224
_STONE_ROWS = (40.0, 52.0, 36.0, 48.0, 48.0)  # course heights, top to bottom
_MORTAR = 2.6


def stone_wall():
    """Grey ashlar: courses of uneven height, blocks of uneven length, each
    block with its own tone, chipped rims and a little moss in the joints."""
    noise = Noise(162)
    rnd = random.Random(1620)
    courses = []  # (top, bottom, joint positions, tones)
    top = 0.0
    for h in _STONE_ROWS:
        # The last block closes the ring: it runs from the last joint round
        # the width to the first, and is at least 40 pixels long too.
        joints = [rnd.uniform(0.0, 60.0)]
        x = joints[0] + rnd.uniform(52.0, 92.0)
        while x < STONE_W + joints[0] - 40.0:
            joints.append(x)
            x += rnd.uniform(52.0, 92.0)
        courses.append((top, top + h, joints, [(rnd.uniform(-0.16, 0.14), rnd.uniform(-8, 8)) for _ in joints]))
        top += h
    grey = (138, 136, 128)
    mortar = (92, 90, 84)
    moss = (70, 96, 48)
    per = 9.0 / STONE_W

    def f(x, y):
        for ci, (t, b, joints, tones) in enumerate(courses):
            if y < b:
                break
        # Which block of the course, and how far its nearest joint lies.
        xs = x if x >= joints[0] else x + STONE_W
        bi = max(i for i, j in enumerate(joints) if j <= xs)
        left = xs - joints[bi]
        right = (joints[bi + 1] if bi + 1 < len(joints) else joints[0] + STONE_W) - xs
        # A ragged rim: the edge distance wobbles with noise.
        rag = 1.6 * (noise.at(x * per * 6, y * 0.3 + ci * 7, period=54) - 0.5)
        e_l, e_r = left - _MORTAR / 2 + rag, right - _MORTAR / 2 + rag
        e_t, e_b = y - t - _MORTAR / 2 + rag, b - y - _MORTAR / 2 + rag
        e = min(e_l, e_r, e_t, e_b)
        grit = noise.fbm(x * per * 4, y * 0.06, 4, period=36)
        if e < 0.0:
            c = tuple(m * (0.8 + 0.35 * grit) for m in mortar)
            return mix(c, moss, 0.6 * smoothstep(0.55, 0.75, noise.at(x * per * 2, y * 0.05 + 3, period=18)))
        tone, warmth = tones[bi]
        c = (grey[0] + warmth, grey[1], grey[2] - warmth)
        c = tuple(g * (1.0 + tone) * (0.78 + 0.4 * grit) for g in c)
        # Pale and dark flecks in the stone.
        fleck = noise.at(x * 0.75, y * 0.75, period=216)
        c = mix(c, (190, 188, 178), 0.5 * smoothstep(0.82, 0.95, fleck))
        if e < 4.0:
            s = (1.0 - e / 4.0) * 0.9
            n = {e_l: (-s, 0.0, 1.0), e_r: (s, 0.0, 1.0), e_t: (0.0, -s, 1.0)}.get(e, (0.0, s, 1.0))
        else:
            w1 = noise.at(x * per * 3, y * 0.07 + 20, period=27) - 0.5
            w2 = noise.at(x * per * 3 + 40, y * 0.07 + 60, period=27) - 0.5
            n = (w1 * 0.5, w2 * 0.5, 1.0)
        ln = math.sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2])
        c = lit(c, (n[0] / ln, n[1] / ln, n[2] / ln), ambient=0.6, diffuse=0.5, specular=0.1, power=8)
        return tuple(v * (1.0 - 0.18 * smoothstep(STONE_H - 30, STONE_H, y)) for v in c)

    return picture_ss(STONE_W, STONE_H, f, 2)


# ---------------------------------------------------------------- brick wall
BRICK_W, BRICK_H = 256, 256
_BRICK_LONG, _BRICK_COURSE, _JOINT = 64.0, 32.0, 4.0


def brick_wall():
    """Red-brown bricks in running bond with pale mortar; every brick its own
    shade, speckled, with worn corners."""
    noise = Noise(163)
    rnd = random.Random(1630)
    cols = int(BRICK_W / _BRICK_LONG)
    rows = int(BRICK_H / _BRICK_COURSE)
    tone = {(r, c): (rnd.uniform(-0.12, 0.12), rnd.uniform(-12, 12)) for r in range(rows) for c in range(cols)}
    brick = (164, 76, 52)
    mortar = (196, 186, 166)
    per = 8.0 / BRICK_W

    def f(x, y):
        r = int(y // _BRICK_COURSE)
        shift = _BRICK_LONG / 2 if r % 2 else 0.0
        xs = (x + shift) % BRICK_W
        c_ = int(xs // _BRICK_LONG)
        u = xs - c_ * _BRICK_LONG
        v = y - r * _BRICK_COURSE
        wear = 1.3 * noise.at(x * per * 8, y * 0.35, period=64)
        e_l, e_r = u - _JOINT / 2, _BRICK_LONG - u - _JOINT / 2
        e_t, e_b = v - _JOINT / 2, _BRICK_COURSE - v - _JOINT / 2
        e = min(e_l, e_r, e_t, e_b)
        # Worn corners: a rounded box, eaten into by noise.
        cx_ = min(e_l, e_r)
        cy_ = min(e_t, e_b)
        if cx_ < 3.0 and cy_ < 3.0:
            e = min(e, 3.0 - math.hypot(3.0 - cx_, 3.0 - cy_))
        e -= wear - 0.6
        grit = noise.fbm(x * per * 3, y * 0.1, 3, period=24)
        if e < 0.0:
            # Recessed mortar, shadowed under the brick above.
            sh = 0.7 if 0.0 < v < _JOINT and e_t < 0 else 1.0
            return tuple(m * sh * (0.88 + 0.2 * grit) for m in mortar)
        k, hue = tone[(r, c_)]
        col = (brick[0] * (1 + k) + hue, brick[1] * (1 + k) + hue * 0.3, brick[2] * (1 + k))
        col = tuple(q * (0.84 + 0.3 * grit) for q in col)
        speck = noise.at(x * 0.875, y * 0.875, period=224)
        col = mix(col, (70, 34, 26), 0.6 * smoothstep(0.85, 0.97, speck))
        col = mix(col, (222, 170, 128), 0.35 * smoothstep(0.04, 0.0, speck))
        if e < 2.5:
            s = (1.0 - e / 2.5) * 0.8
            n = {e_l: (-s, 0.0, 1.0), e_r: (s, 0.0, 1.0), e_t: (0.0, -s, 1.0)}.get(min(e_l, e_r, e_t, e_b), (0.0, s, 1.0))
        else:
            n = (0.0, 0.0, 1.0)
        ln = math.sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2])
        return lit(col, (n[0] / ln, n[1] / ln, n[2] / ln), ambient=0.6, diffuse=0.5, specular=0.08)

    return picture_ss(BRICK_W, BRICK_H, f, 2)


# ---------------------------------------------------------------- hedge
HEDGE_W, HEDGE_H = 240, 240
_LEAF_CELL = 12.0


def hedge_wall():
    """A clipped hedge: small leaves packed at different depths, lit from the
    upper left, with dark hollows between clumps and a shaded foot."""
    noise = Noise(164)
    rnd = random.Random(1640)
    gw, gh = int(HEDGE_W / _LEAF_CELL), int(HEDGE_H / _LEAF_CELL)
    leaves = {}  # grid cell -> [(x, y, angle, length, depth)]
    for gy in range(gh):
        for gx in range(gw):
            leaves[(gx, gy)] = [(
                (gx + rnd.random()) * _LEAF_CELL, (gy + rnd.random()) * _LEAF_CELL,
                rnd.uniform(0.0, math.pi), rnd.uniform(5.5, 8.5), rnd.random())
                for _ in range(3)]
    light = (118, 184, 74)
    dark = (24, 66, 30)
    per = 6.0 / HEDGE_W

    def f(x, y):
        gx, gy = int(x // _LEAF_CELL), int(y // _LEAF_CELL)
        clump = noise.fbm(x * per, y * 0.025, 3, period=6)
        best_depth, hit = -1.0, None
        for j in (gy - 1, gy, gy + 1):
            if not 0 <= j < gh:
                continue
            for i in (gx - 1, gx, gx + 1):
                wrap = -HEDGE_W if i >= gw else HEDGE_W if i < 0 else 0.0
                for lx, ly, a, ln, depth in leaves[(i % gw, j)]:
                    dx, dy = x - lx + wrap, y - ly
                    u = dx * math.cos(a) + dy * math.sin(a)
                    v = -dx * math.sin(a) + dy * math.cos(a)
                    # A leaf: pointed ellipse, half as wide as it is long.
                    w = ln * 0.45 * (1.0 - (u / ln) ** 2) if abs(u) < ln else -1.0
                    if w > 0 and abs(v) < w:
                        z = depth + 0.6 * clump
                        if z > best_depth:
                            best_depth, hit = z, (u / ln, v / w, a)
        if hit is None:
            return mix((10, 30, 14), dark, clump)
        u, v, a = hit
        # The leaf bends along its midrib: the normal tilts across it.
        tilt = v * 0.7
        n = (-math.sin(a) * tilt, math.cos(a) * tilt - 0.25 * u, 1.0)
        k = math.sqrt(n[0] ** 2 + n[1] ** 2 + n[2] ** 2)
        base = mix(dark, light, clamp(0.25 + 0.65 * best_depth - 0.15))
        c = lit(base, (n[0] / k, n[1] / k, n[2] / k), ambient=0.55, diffuse=0.6, specular=0.25, power=14)
        if abs(v) < 0.12 and abs(u) < 0.8:  # the midrib
            c = mix(c, (150, 196, 110), 0.35)
        return tuple(q * (1.0 - 0.35 * smoothstep(HEDGE_H - 40, HEDGE_H, y)) for q in c)

    return picture_ss(HEDGE_W, HEDGE_H, f, 2)


# ---------------------------------------------------------------- sky
SKY_W, SKY_H = 800, 160


def sky():
    clouds = Noise(131)
    land = Noise(1310)
    top = (38, 78, 168)
    mid = (92, 146, 214)
    low = (186, 212, 236)

    def ridge(x, noise, period, oct_, off):
        return noise.fbm(x * period / SKY_W + off, off, oct_, period=period)

    # Far mountains: a ring of peaks, each a pair of slightly concave flanks
    # with rough edges; the profile is the highest of them at every column.
    rnd = random.Random(1311)
    peaks = []
    x = 0.0
    while x < SKY_W - 40:
        x += rnd.uniform(45, 95)
        peaks.append((x, rnd.uniform(18, 58), rnd.uniform(0.55, 0.95), rnd.uniform(0.55, 0.95)))
    far = [0.0] * SKY_W
    face = [0.0] * SKY_W  # +1 on a flank facing the light, -1 facing away
    for xi in range(SKY_W):
        best, lit_side = 0.0, 0.0
        for px, ph, sl, sr in peaks:
            dx = (xi - px + SKY_W / 2) % SKY_W - SKY_W / 2
            s = sl if dx < 0 else sr
            h = ph - abs(dx) * s * (0.75 + 0.25 * abs(dx) / (abs(dx) + 30.0))
            if h > best:
                best, lit_side = h, (1.0 if dx < 0 else -1.0)
        rough = land.fbm(xi * 50.0 / SKY_W, 1.7, 4, period=50, gain=0.6) - 0.5
        far[xi] = 134.0 - best - rough * (6.0 + best * 0.25)
        face[xi] = lit_side
    near = [0.0] * SKY_W
    for xi in range(SKY_W):
        crowns = abs(math.sin(xi * math.pi / 7.0)) ** 0.5 * 4.0 * land.at(xi * 0.2, 17.0, period=160)
        near[xi] = 148.0 - 13.0 * ridge(xi, land, 4, 4, 50.0) - crowns

    def f(x, y):
        xi = int(x) % SKY_W
        t = y / SKY_H
        c = mix(top, mid, smoothstep(0.0, 0.55, t)) if t < 0.55 else mix(mid, low, smoothstep(0.55, 0.92, t))
        # Clouds: stretched wrapping noise, lit from above, thinning near the zenith.
        cx = x * 8.0 / SKY_W
        dens = clouds.fbm(cx, y / 34.0, 5, period=8)
        cover = smoothstep(0.47, 0.66, dens) * smoothstep(0.05, 0.3, t) * (1.0 - smoothstep(0.7, 0.85, t))
        if cover > 0.0:
            under = clouds.fbm(cx, (y + 4.0) / 34.0, 5, period=8)
            shade = clamp((under - dens) * 9.0 + 0.5)
            cc = mix((250, 251, 255), (150, 166, 200), shade)
            c = mix(c, cc, cover)
        hf = far[xi]
        if y >= hf:
            depth = y - hf
            mc = (120, 138, 178) if face[xi] > 0 else (92, 108, 150)
            # Rock: streaks running down the flanks, broken up by noise.
            streak = land.fbm(x * 0.09, y * 0.02 + x * 0.004 * face[xi], 3, period=72)
            mc = tuple(v * (0.86 + 0.26 * streak) for v in mc)
            snow = hf < 104.0 and depth < (104.0 - hf) * 0.55 + 2.0 * land.at(x * 0.4, 5.0, period=320)
            if snow:
                mc = (238, 242, 250) if face[xi] > 0 else (186, 198, 222)
            c = mix(mc, low, 0.15 + 0.45 * smoothstep(100.0, 150.0, y))
        hn = near[xi]
        if y >= hn:
            k = (y - hn) / max(1.0, SKY_H - hn)
            gc = mix((58, 108, 66), (30, 62, 40), k)
            blot = land.at(x * 0.3, y * 0.3, period=240)
            c = tuple(v * (0.88 + 0.2 * blot) for v in gc)
        return c

    return picture_ss(SKY_W, SKY_H, f, 2)


# ---------------------------------------------------------------- floor
FLOOR_W, FLOOR_H = 240, 160
_BAYER = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def floor():
    # Grey levels that are multiples of 8 stay exactly grey on a 5-6-5
    # display; an ordered dither between them hides the steps.
    def f(x, y):
        xi, yi = int(x), int(y)
        t = yi / (FLOOR_H - 1)
        v = 34.0 + 118.0 * (t ** 0.85)
        q = int((v + (_BAYER[yi % 4][xi % 4] + 0.5) / 16.0 * 8.0) // 8) * 8
        q = min(q, 248)
        return (q, q, q)

    return picture(FLOOR_W, FLOOR_H, f)
