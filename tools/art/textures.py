"""The opaque pictures: the two wall textures, the sky panorama and the floor.

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
