"""The keyed pictures: items and decorations, the enemy, the held gun and its
flash, the life icon, the digits and the window icon. Everything that is not
part of the picture is pure red, the colour the game leaves out when it draws
them."""
import math
import random

import mesh
from raster import (Box, Canvas, Capsule, Circle, Ellipse, Noise, Poly, Shape, clamp, lit, mix,
                    shaded, smoothstep)

INK = (24, 18, 34)  # the outline colour every sprite shares
SHADOW = (46, 46, 52)

# ---------------------------------------------------------------- dot


def dot():
    """A glossy golden ball hovering over its shadow."""
    cv = Canvas(85, 120, ss=3)
    cv.paint(Ellipse(42.5, 111.0, 25.0, 5.5), SHADOW)
    ball = Circle(42.5, 56.0, 37.0)
    gold = (255, 196, 36)

    def shade(x, y):
        n = ball.normal(x, y)
        c = lit(gold, n, ambient=0.3, diffuse=0.8, specular=0.0)
        # Warm bounce light from the floor on the lower rim.
        rim = clamp(n[1]) * (1.0 - n[2]) ** 2
        c = mix(c, (255, 240, 150), rim * 0.6)
        return c

    cv.outlined(ball, shade, width=1.6)
    cv.paint(Ellipse(30.0, 40.0, 11.0, 7.5), lambda x, y: (255, 255, 236, 0.85))
    cv.paint(Ellipse(27.5, 38.0, 5.0, 3.2), (255, 255, 255))
    return cv.pixels()


# ---------------------------------------------------------------- the gun
STEEL = (104, 118, 146)
DARK_STEEL = (58, 64, 80)
BRASS = (214, 150, 58)
GLOW = (96, 236, 132)
GLOVE = (132, 74, 36)
SLEEVE = (46, 74, 140)
CUFF = (196, 190, 170)


def gun_model(hand=False):
    """A sleek blaster, barrel along +z, about 42 units long."""
    m = dict(ambient=0.42, diffuse=0.62, specular=0.4, power=18)
    glow = dict(ambient=0.95, diffuse=0.25, specular=0.3)
    # Slide cross-section: flat top with bevelled shoulders.
    slide = [(-2.4, -1.8), (2.4, -1.8), (2.4, 2.4), (1.5, 3.6), (-1.5, 3.6), (-2.4, 2.4)]
    solids = [
        mesh.extrude_z(slide, -10.0, 13.0, STEEL, **m),
        mesh.prism_z(0.0, 0.9, 13.0, 29.0, 1.25, DARK_STEEL, sides=10, **m),  # barrel
        mesh.prism_z(0.0, 0.9, 27.0, 31.0, 1.9, BRASS, sides=10, **m),  # muzzle brake
        mesh.prism_z(0.0, -1.6, 6.0, 22.0, 1.1, GLOW, sides=8, **glow),  # energy cell
        mesh.box(-0.7, -1.9, 21.0, 0.7, -0.2, 23.0, DARK_STEEL, **m),  # cell clamp
        mesh.box(-2.55, 0.6, -6.0, -2.35, 1.5, 11.0, GLOW, **glow),  # side lights
        mesh.box(2.35, 0.6, -6.0, 2.55, 1.5, 11.0, GLOW, **glow),
        mesh.box(-1.7, 3.6, -9.8, -0.5, 5.4, -8.4, BRASS, **m),  # rear sight posts
        mesh.box(0.5, 3.6, -9.8, 1.7, 5.4, -8.4, BRASS, **m),
        mesh.box(-0.45, 3.6, 10.5, 0.45, 5.2, 12.0, BRASS, **m),  # front sight
        mesh.box(-1.9, -12.0, -10.0, 1.9, -1.8, -3.8, DARK_STEEL, shear=(0.0, 2.6), **m),  # grip
        mesh.box(-0.6, -5.0, -3.0, 0.6, -1.8, 2.5, DARK_STEEL, **m),  # trigger guard
        mesh.box(-1.8, -1.0, -10.4, 1.8, 2.2, -10.0, DARK_STEEL, **m),  # rear plate
        mesh.box(-1.4, 0.9, -10.6, -0.3, 1.8, -10.3, GLOW, **glow),  # charge lights
        mesh.box(0.3, 0.9, -10.6, 1.4, 1.8, -10.3, GLOW, **glow),
    ]
    if hand:
        g = dict(ambient=0.5, diffuse=0.6, specular=0.25, power=10)
        solids += [
            mesh.prism_between((0.0, -12.5, -7.4), (0.0, -2.2, -4.6), 3.0, 2.9, GLOVE, sides=9, **g),  # fist
            mesh.prism_between((-2.5, -4.2, -8.6), (-2.7, -1.6, -2.6), 1.1, 0.95, GLOVE, sides=7, **g),  # thumb
            mesh.prism_between((0.2, -11.0, -8.2), (7.0, -24.0, -21.0), 3.6, 5.2, SLEEVE, **g),  # arm
            mesh.prism_between((0.2, -10.4, -7.8), (0.5, -12.0, -9.6), 3.8, 4.0, CUFF, **g),  # cuff
        ]
    return solids


def held_gun():
    """The player's gun seen from behind, in the bottom-right corner of the
    view; its muzzle sits at the top-left corner, where the flash is drawn."""
    cv = Canvas(150, 100, ss=3)
    m = mesh.rot(-26.0, 14.0, -8.0)
    mesh.paint_solids(cv, gun_model(hand=True), m, (9.5, -19.0, 28.0), 144.0, (30.0, -60.0))
    return cv.pixels()


def gun_pickup():
    """The gun lying on the floor for the taking, seen from the side."""
    cv = Canvas(120, 100, ss=3)
    cv.paint(Ellipse(60.0, 90.0, 50.0, 6.5), SHADOW)
    m = mesh.rot(-70.0, -14.0, 12.0)
    off = mesh.place(m, (0.0, -3.0, 10.0), (58.0, 46.0), 92.0, 240.0, (60.0, 0.0))
    mesh.paint_solids(cv, gun_model(hand=False), m, off, 240.0, (60.0, 0.0))
    return cv.pixels()


# ---------------------------------------------------------------- barrel
def barrel():
    """A wooden barrel with iron hoops; its top is at eye height, so the lid
    shows as a thin ellipse."""
    cv = Canvas(120, 134, ss=3)
    grain = Noise(154)
    cx, top, bot = 60.0, 9.0, 124.0
    lid_ry, foot_ry = 4.5, 7.0

    def half_width(y):
        t = clamp((y - top) / (bot - top))
        return 43.0 + 9.0 * math.sin(math.pi * t)

    class Staves(Shape):
        bbox = (cx - 53.0, top, cx + 53.0, bot)

        def d(self, x, y):
            return max(abs(x - cx) - half_width(y), top - y, y - bot)

    body = Staves() | Ellipse(cx, bot, 43.0, foot_ry) | Ellipse(cx, top, 43.0, lid_ry)
    cv.paint(Ellipse(cx, bot + 2.0, 54.0, 8.5), SHADOW)
    wood = (196, 132, 72)
    hoops = (0.1, 0.32, 0.68, 0.9)

    def shade(x, y):
        w = half_width(y)
        nx = clamp((x - cx) / w, -0.999, 0.999)
        nz = math.sqrt(1.0 - nx * nx)
        t = (y - top) / (bot - top)
        # Lines of constant height curve down in front, as seen from above.
        v = t - 0.06 * nz
        slope = -0.35 * math.cos(math.pi * clamp(t))
        n = (nx, slope * nz, nz)
        ang = math.asin(nx)
        stave = (ang / (math.pi / 9.0)) + 4.5
        si = int(math.floor(stave))
        f = stave - si
        for hv in hoops:
            if abs(v - hv) < 0.035:
                edge = abs(v - hv) / 0.035
                c = lit((92, 94, 104), (n[0], n[1] + (0.5 if v > hv else -0.5) * edge, n[2]),
                        ambient=0.4, diffuse=0.7, specular=0.8, power=20)
                if abs(f - 0.5) < 0.09 and abs(v - hv) < 0.015:
                    c = lit((150, 150, 160), n, ambient=0.5, diffuse=0.6, specular=1.0)  # rivet
                return c
        tone = 1.0 + 0.09 * math.sin(si * 2.7)
        g = grain.fbm(si * 11.0 + f * 3.0, y * 0.04, 3)
        c = tuple(k * tone * (0.85 + 0.3 * g) for k in wood)
        c = lit(c, n, ambient=0.45, diffuse=0.7, specular=0.12, power=10)
        if f < 0.06 or f > 0.94:  # joint between staves
            c = tuple(k * 0.55 for k in c)
        return c

    cv.outlined(body, shade, width=1.6)
    lid = Ellipse(cx, top, 41.0, lid_ry - 0.8)
    cv.paint(lid, lambda x, y: mix((118, 74, 38), (164, 108, 60), clamp((y - top + 3.0) / 6.0)))
    cv.paint(Ellipse(cx, top + 0.6, 34.0, 2.4), (98, 60, 30))
    return cv.pixels()


# ---------------------------------------------------------------- crate
def crate():
    """A wooden crate: planked front framed by battens, a diagonal brace, its
    top just in sight as a thin strip since it stands below eye height."""
    cv = Canvas(120, 120, ss=3)
    grain = Noise(165)
    x0, x1, top, lid, bot = 12.0, 108.0, 10.0, 20.0, 114.0
    cv.paint(Ellipse(60.0, bot + 0.5, 56.0, 5.0), SHADOW)
    wood = (200, 150, 88)

    def planks(x, y):
        k = int((y - lid) // 16.0)
        g = grain.fbm(x * 0.03 + k * 7.0, y * 0.25, 3)
        c = tuple(v * (0.82 + 0.3 * g + 0.05 * math.sin(k * 2.3)) for v in wood)
        c = lit(c, (0.0, 0.0, 1.0), ambient=0.55, diffuse=0.5, specular=0.05)
        if (y - lid) % 16.0 < 1.2:  # the gap between planks
            c = tuple(v * 0.5 for v in c)
        return c

    front = Box(x0, lid, x1, bot)
    cv.paint(Poly([(x0 + 6.0, top), (x1 - 6.0, top), (x1, lid), (x0, lid)]).grow(1.6), INK)
    cv.outlined(front, planks, width=1.6)
    cv.paint(Poly([(x0 + 6.0, top), (x1 - 6.0, top), (x1, lid), (x0, lid)]),
             lambda x, y: mix((150, 104, 56), (214, 168, 106), clamp((y - top) / (lid - top))))

    def batten(x, y):
        g = grain.fbm(x * 0.2, y * 0.05 + 30.0, 3)
        return lit(tuple(v * (0.7 + 0.3 * g) for v in (176, 122, 66)), (0.0, 0.0, 1.0),
                   ambient=0.6, diffuse=0.45, specular=0.1)

    frame = (Box(x0, lid, x1, lid + 11.0) | Box(x0, bot - 11.0, x1, bot) |
             Box(x0, lid, x0 + 11.0, bot) | Box(x1 - 11.0, lid, x1, bot))
    brace = Poly([(x0 + 8.0, bot - 11.0), (x0 + 11.0, bot - 6.0), (x1 - 8.0, lid + 11.0),
                  (x1 - 11.0, lid + 6.0)]) & Box(x0 + 11.0, lid + 11.0, x1 - 11.0, bot - 11.0)
    for part in (brace, frame):
        cv.paint(part.grow(1.2), INK, clip=front)
        cv.paint(part, batten, clip=front)
    for nx in (x0 + 5.5, x1 - 5.5):  # nail heads at the corners
        for ny in (lid + 5.5, bot - 5.5):
            head = Circle(nx, ny, 1.8)
            cv.paint(head, shaded(head, (130, 128, 122), ambient=0.4, diffuse=0.6, specular=0.8))
    return cv.pixels()


# ---------------------------------------------------------------- lamp
def lamp():
    """A lantern on a short iron post: a glowing glass head under a pointed
    cap, the post standing on a round foot."""
    cv = Canvas(72, 134, ss=3)
    iron = (70, 72, 86)
    cx = 36.0
    cv.paint(Ellipse(cx, 128.0, 30.0, 5.0), SHADOW)
    # A pool of lamplight on the ground round the foot.
    cv.paint(Ellipse(cx, 128.0, 26.0, 4.0), (116, 104, 66))
    metal = dict(ambient=0.45, diffuse=0.6, specular=0.7, power=20)
    foot = Ellipse(cx, 124.0, 15.0, 6.0) | Box(cx - 15.0, 118.0, cx + 15.0, 124.0)
    cv.outlined(foot, lambda x, y: lit(iron, _cylinder(x, cx, 15.0), **metal), width=1.4)
    post = Box(cx - 4.0, 52.0, cx + 4.0, 120.0)
    cv.outlined(post, lambda x, y: lit(iron, _cylinder(x, cx, 4.0), **metal), width=1.4)
    collar = Box(cx - 8.0, 48.0, cx + 8.0, 56.0, 1.5)
    cv.outlined(collar, lambda x, y: lit(iron, _cylinder(x, cx, 8.0), **metal), width=1.4)
    glass = Poly([(cx - 15.0, 16.0), (cx + 15.0, 16.0), (cx + 11.0, 48.0), (cx - 11.0, 48.0)])

    def glow(x, y):
        r = math.hypot((x - cx) / 14.0, (y - 32.0) / 18.0)
        return mix((255, 252, 214), (250, 176, 52), smoothstep(0.1, 1.0, r))

    cv.outlined(glass, glow, width=1.6)
    for bar in (Box(cx - 1.2, 16.0, cx + 1.2, 48.0), Box(cx - 15.0, 30.0, cx + 15.0, 32.0)):
        cv.paint(bar, iron, clip=glass)
    cap = Poly([(cx - 19.0, 17.0), (cx + 19.0, 17.0), (cx + 5.0, 6.0), (cx - 5.0, 6.0)])
    cv.outlined(cap, lambda x, y: lit(iron, _cylinder(x, cx, 19.0), **metal), width=1.4)
    knob = Circle(cx, 4.5, 3.2)
    cv.outlined(knob, shaded(knob, iron, **metal), width=1.2)
    return cv.pixels()


def _cylinder(x, cx, r):
    """The normal of an upright round shape of radius r at column x."""
    nx = clamp((x - cx) / r, -0.99, 0.99)
    return (nx, 0.0, math.sqrt(1.0 - nx * nx))


# ---------------------------------------------------------------- enemy
def enemy():
    """A green horned gobbler with claws out, the height of a wall."""
    cv = Canvas(130, 159, ss=3)
    skin = (92, 190, 70)
    dark_skin = (52, 124, 44)
    bone = (236, 224, 184)
    sk = dict(ambient=0.45, diffuse=0.7, specular=0.25, power=12)
    cv.paint(Ellipse(65.0, 153.0, 54.0, 5.5), SHADOW)
    # Horns behind the head.
    for s in (-1, 1):
        horn = Capsule(65 + s * 24, 26, 65 + s * 44, 8, 7.0, 2.5) | Capsule(65 + s * 44, 8, 65 + s * 46, 1.5, 2.5, 1.0)
        cv.outlined(horn, lambda x, y: mix(bone, (170, 150, 110), clamp((y - 2) / 30)), width=1.4)
    # Legs and feet.
    for s in (-1, 1):
        leg = Capsule(65 + s * 20, 118, 65 + s * 22, 144, 11.0, 9.0)
        cv.outlined(leg, shaded(leg, dark_skin, **sk), width=1.5)
        foot = Ellipse(65 + s * 22, 147.0, 15.0, 7.5)
        cv.outlined(foot, shaded(foot, dark_skin, **sk), width=1.5)
        for k in (-1, 0, 1):
            claw = Capsule(65 + s * 22 + k * 7, 151, 65 + s * 22 + k * 8.5, 157.0, 2.4, 0.8)
            cv.outlined(claw, bone, width=1.0)
    head = Ellipse(65.0, 52.0, 41.0, 35.0)
    body = Ellipse(65.0, 96.0, 45.0, 38.0)
    cv.paint((head | body).grow(1.6), INK)
    cv.paint(body, shaded(body, skin, **sk))
    cv.paint(head, shaded(head, skin, **sk))
    belly = Ellipse(65.0, 106.0, 28.0, 24.0)
    cv.paint(belly, shaded(belly, (206, 226, 120), **sk), clip=body)
    for bx, by, br in ((28, 40, 5), (100, 36, 6), (34, 92, 6), (97, 100, 5), (88, 20, 4), (40, 18, 3.5)):
        spot = Circle(bx, by, br)
        cv.paint(spot, shaded(spot, (60, 142, 50), **sk), clip=head | body)
    # Arms raised to grab, with three claws on each hand.
    for s in (-1, 1):
        arm = Capsule(65 + s * 38, 84, 65 + s * 54, 108, 9.5, 7.5)
        cv.outlined(arm, shaded(arm, skin, **sk), width=1.5)
        hand = Circle(65 + s * 55, 112, 8.5)
        for k in (-1, 0, 1):
            claw = Capsule(65 + s * 55 + k * 5.5, 116, 65 + s * 56 + k * 8, 126, 2.6, 0.8)
            cv.outlined(claw, bone, width=1.0)
        cv.outlined(hand, shaded(hand, skin, **sk), width=1.5)
    # The face: two big eyes under angry brows, a wide mouth full of teeth.
    mouth = Ellipse(65.0, 70.0, 27.0, 15.0) & Box(30.0, 69.0, 100.0, 90.0)
    cv.outlined(mouth, lambda x, y: mix((120, 20, 46), (60, 8, 24), clamp((y - 69) / 14)), width=1.5)
    tongue = Ellipse(70.0, 84.0, 12.0, 6.0)
    cv.paint(tongue, shaded(tongue, (214, 84, 112), **sk), clip=mouth)
    for i in range(7):
        tx = 43.0 + i * 7.3
        tooth = Poly([(tx - 3.4, 69.5), (tx + 3.4, 69.5), (tx, 77.0 - abs(i - 3) * 0.8)])
        cv.paint(tooth.grow(0.6), INK, clip=mouth.grow(0.5))
        cv.paint(tooth, bone, clip=mouth)
    for s in (-1, 1):
        eye = Ellipse(65 + s * 17, 46.0, 13.0, 15.0)
        cv.outlined(eye, shaded(eye, (250, 250, 240), ambient=0.6, diffuse=0.45, specular=0.3), width=1.6)
        iris = Circle(65 + s * 14.5, 49.0, 7.5)
        cv.paint(iris, shaded(iris, (250, 196, 40), ambient=0.6, diffuse=0.5, specular=0.0))
        cv.paint(Circle(65 + s * 14.0, 49.5, 3.8), INK)
        cv.paint(Circle(65 + s * 14.0 - 2.5, 46.0, 1.8), (255, 255, 255))
        brow = Capsule(65 + s * 31, 27.0, 65 + s * 8, 36.0, 4.2, 3.2)
        cv.outlined(brow, shaded(brow, dark_skin, **sk), width=1.2)
    return cv.pixels()


# ---------------------------------------------------------------- flash
def flash():
    """The muzzle flash: a hot star, drawn centred on the muzzle and blended."""
    cv = Canvas(107, 108, ss=3)
    rnd = random.Random(140)
    cx, cy = 53.5, 54.0
    pts_outer, pts_inner = [], []
    spikes = 11
    for i in range(spikes * 2):
        a = 2 * math.pi * (i + rnd.uniform(-0.2, 0.2)) / (spikes * 2)
        long_ = i % 2 == 0
        r = rnd.uniform(40.0, 52.0) if long_ else rnd.uniform(15.0, 21.0)
        pts_outer.append((cx + r * math.cos(a), cy + r * math.sin(a)))
        pts_inner.append((cx + r * 0.62 * math.cos(a), cy + r * 0.62 * math.sin(a)))
    cv.paint(Poly(pts_outer), lambda x, y: mix((255, 170, 40), (240, 100, 20),
                                             clamp(math.hypot(x - cx, y - cy) / 50.0)))
    cv.paint(Poly(pts_inner), lambda x, y: mix((255, 250, 200), (255, 214, 70),
                                             clamp(math.hypot(x - cx, y - cy) / 30.0)))
    cv.paint(Circle(cx, cy, 11.0), (255, 255, 240))
    return cv.pixels()


# ---------------------------------------------------------------- life icon
def life_icon():
    cv = Canvas(20, 20, ss=4)
    heart = Circle(6.3, 7.2, 4.7) | Circle(13.7, 7.2, 4.7) | Poly([(1.9, 9.0), (18.1, 9.0), (10.0, 17.8)])
    cv.paint(heart.grow(1.0), INK)
    cv.paint(heart, lambda x, y: lit((236, 46, 82), Circle(10.0, 9.0, 9.5).normal(x, y),
                                     ambient=0.5, diffuse=0.6, specular=0.0))
    cv.paint(Ellipse(6.0, 6.0, 2.0, 1.4), (255, 220, 226))
    return cv.pixels()


# ---------------------------------------------------------------- digits
# 8 x 18 strokes; the glyph is 10 x 20 with a one-pixel outline all round.
_DIGITS = {
    0: ["..XXXX..", ".XXXXXX.", "XXX..XXX", "XX....XX", "XX....XX", "XX....XX", "XX....XX",
        "XX....XX", "XX....XX", "XX....XX", "XX....XX", "XX....XX", "XX....XX", "XX....XX",
        "XX....XX", "XXX..XXX", ".XXXXXX.", "..XXXX.."],
    1: ["...XX...", "..XXX...", ".XXXX...", "XXXXX...", "...XX...", "...XX...", "...XX...",
        "...XX...", "...XX...", "...XX...", "...XX...", "...XX...", "...XX...", "...XX...",
        "...XX...", "...XX...", "XXXXXXXX", "XXXXXXXX"],
    2: ["..XXXX..", ".XXXXXX.", "XXX..XXX", "XX....XX", "......XX", "......XX", "......XX",
        ".....XXX", "....XXX.", "...XXX..", "..XXX...", ".XXX....", "XXX.....", "XX......",
        "XX......", "XX......", "XXXXXXXX", "XXXXXXXX"],
    3: ["..XXXX..", ".XXXXXX.", "XXX..XXX", "XX....XX", "......XX", "......XX", "......XX",
        ".....XXX", "..XXXXX.", "..XXXXX.", ".....XXX", "......XX", "......XX", "......XX",
        "XX....XX", "XXX..XXX", ".XXXXXX.", "..XXXX.."],
    4: [".....XX.", "....XXX.", "....XXX.", "...XXXX.", "...XXXX.", "..XX.XX.", "..XX.XX.",
        ".XX..XX.", ".XX..XX.", "XX...XX.", "XX...XX.", "XXXXXXXX", "XXXXXXXX", ".....XX.",
        ".....XX.", ".....XX.", ".....XX.", ".....XX."],
    5: ["XXXXXXXX", "XXXXXXXX", "XX......", "XX......", "XX......", "XX......", "XXXXXX..",
        "XXXXXXX.", ".....XXX", "......XX", "......XX", "......XX", "......XX", "......XX",
        "XX....XX", "XXX..XXX", ".XXXXXX.", "..XXXX.."],
    7: ["XXXXXXXX", "XXXXXXXX", "......XX", "......XX", ".....XXX", ".....XX.", "....XXX.",
        "....XX..", "...XXX..", "...XX...", "...XX...", "..XXX...", "..XX....", "..XX....",
        "..XX....", "..XX....", "..XX....", "..XX...."],
    8: ["..XXXX..", ".XXXXXX.", "XXX..XXX", "XX....XX", "XX....XX", "XX....XX", "XXX..XXX",
        ".XXXXXX.", ".XXXXXX.", "XXX..XXX", "XX....XX", "XX....XX", "XX....XX", "XX....XX",
        "XX....XX", "XXX..XXX", ".XXXXXX.", "..XXXX.."],
    9: ["..XXXX..", ".XXXXXX.", "XXX..XXX", "XX....XX", "XX....XX", "XX....XX", "XX....XX",
        "XX....XX", "XX....XX", "XXX..XXX", ".XXXXXXX", "..XXX.XX", "......XX", "......XX",
        ".....XXX", "....XXX.", ".XXXXX..", ".XXXX..."],
}
_DIGITS[6] = [row[::-1] for row in reversed(_DIGITS[9])]  # a six is a nine turned round


def _touches(fill, x, y):
    """Whether an outline pixel belongs at (x, y): next to a stroke, counting
    diagonal neighbours except in the glyph's corners, which stay ground."""
    corner = x in (0, 9) and y in (0, 19)
    for j in range(max(0, y - 1), min(20, y + 2)):
        for i in range(max(0, x - 1), min(10, x + 2)):
            if fill[j][i] and not (corner and i != x and j != y):
                return True
    return False


def digit(d):
    """Digit d, 10 x 20: white fading to pale gold, ringed in ink."""
    strokes = _DIGITS[d]
    fill = [[False] * 10 for _ in range(20)]
    for y, row in enumerate(strokes):
        for x, ch in enumerate(row):
            fill[y + 1][x + 1] = ch == "X"
    out = []
    for y in range(20):
        row = []
        for x in range(10):
            if fill[y][x]:
                t = (y - 1) / 17.0
                row.append(mix((255, 255, 255), (255, 214, 96), t * t))
            elif _touches(fill, x, y):
                row.append(INK)
            else:
                row.append(None)
        out.append(row)
    return out


# ---------------------------------------------------------------- window icon
def icon(size=32):
    """A golden ball in front of blue tiles: 32 x 32 for the game's window, and
    the same drawing at any size for the desktop's icon theme."""
    k = size / 32.0
    cv = Canvas(size, size, ss=4 if size <= 64 else 2, fill=(150, 160, 176))
    for ty in range(2):
        for tx in range(2):
            t = Box((tx * 16 + 1.0) * k, (ty * 16 + 1.0) * k, (tx * 16 + 15.0) * k, (ty * 16 + 15.0) * k, 1.5 * k)
            cv.paint(t, lambda x, y: mix((70, 130, 226), (30, 70, 170), clamp((x + y) / (64.0 * k))))
    ball = Circle(16.0 * k, 16.5 * k, 11.0 * k)
    cv.paint(ball.grow(1.2 * k), INK)
    cv.paint(ball, shaded(ball, (255, 196, 36), ambient=0.3, diffuse=0.8, specular=0.9, power=30))
    cv.paint(Ellipse(12.5 * k, 12.0 * k, 3.2 * k, 2.2 * k), (255, 255, 236))
    return cv.pixels()


def digits():
    """All ten digits side by side, for looking at."""
    glyphs = [digit(d) for d in range(10)]
    return [sum((g[y] for g in glyphs), []) for y in range(20)]
