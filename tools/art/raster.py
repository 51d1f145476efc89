"""Drawing primitives for the art generator: a supersampled canvas, shapes
given by signed distance (negative inside), simple lighting and noise.

Coordinates are in output pixels, x to the right and y downward; a shape is
painted wherever its distance is <= 0 at the centre of a subsample. The
canvas keeps a coverage per subsample, and the final picture is keyed where
less than half of a pixel is covered: the game draws pure red as see-through
and cannot blend, so edges against the background stay hard while edges
between shapes are smoothed by the supersampling.
"""
import math
import random

LIGHT = (-0.45, -0.6, 0.66)  # towards the light: from the upper left, in front
_ln = math.sqrt(sum(c * c for c in LIGHT))
LIGHT = tuple(c / _ln for c in LIGHT)
_half = (LIGHT[0], LIGHT[1], LIGHT[2] + 1.0)
_hn = math.sqrt(sum(c * c for c in _half))
HALF = tuple(c / _hn for c in _half)


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def smoothstep(e0, e1, x):
    t = clamp((x - e0) / (e1 - e0))
    return t * t * (3.0 - 2.0 * t)


# ---------------------------------------------------------------- shapes
class Shape:
    """A region with a signed distance d(x, y) and a bounding box."""

    def grow(self, r):
        return Grown(self, r)

    def __or__(self, other):
        return Union(self, other)

    def __and__(self, other):
        return Inter(self, other)

    def __sub__(self, other):
        return Sub(self, other)

    def normal(self, x, y):
        return (0.0, 0.0, 1.0)


class Circle(Shape):
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r = cx, cy, r
        self.bbox = (cx - r, cy - r, cx + r, cy + r)

    def d(self, x, y):
        return math.hypot(x - self.cx, y - self.cy) - self.r

    def normal(self, x, y):
        nx = (x - self.cx) / self.r
        ny = (y - self.cy) / self.r
        return _sphere(nx, ny)


class Ellipse(Shape):
    def __init__(self, cx, cy, rx, ry):
        self.cx, self.cy, self.rx, self.ry = cx, cy, rx, ry
        self.bbox = (cx - rx, cy - ry, cx + rx, cy + ry)

    def d(self, x, y):
        u = (x - self.cx) / self.rx
        v = (y - self.cy) / self.ry
        k = math.hypot(u, v)
        # Distance along the gradient, close enough for outlines a few pixels wide.
        g = math.hypot(u / self.rx, v / self.ry)
        if g < 1e-9:
            return -min(self.rx, self.ry)
        return (k * k - 1.0) / (2.0 * g) if k > 0 else -min(self.rx, self.ry)

    def normal(self, x, y):
        return _sphere((x - self.cx) / self.rx, (y - self.cy) / self.ry)


class Box(Shape):
    def __init__(self, x0, y0, x1, y1, radius=0.0):
        self.x0, self.y0, self.x1, self.y1, self.rad = x0, y0, x1, y1, radius
        self.bbox = (x0, y0, x1, y1)

    def d(self, x, y):
        cx = (self.x0 + self.x1) * 0.5
        cy = (self.y0 + self.y1) * 0.5
        hx = (self.x1 - self.x0) * 0.5 - self.rad
        hy = (self.y1 - self.y0) * 0.5 - self.rad
        qx = abs(x - cx) - hx
        qy = abs(y - cy) - hy
        out = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return out + min(max(qx, qy), 0.0) - self.rad


class Capsule(Shape):
    """A stroke from (x0, y0) to (x1, y1), radius r0 at the start and r1 at the end."""

    def __init__(self, x0, y0, x1, y1, r0, r1=None):
        r1 = r0 if r1 is None else r1
        self.a = (x0, y0)
        self.b = (x1, y1)
        self.r0, self.r1 = r0, r1
        self.dx, self.dy = x1 - x0, y1 - y0
        self.ll = self.dx * self.dx + self.dy * self.dy or 1e-9
        r = max(r0, r1)
        self.bbox = (min(x0, x1) - r, min(y0, y1) - r, max(x0, x1) + r, max(y0, y1) + r)

    def _closest(self, x, y):
        t = ((x - self.a[0]) * self.dx + (y - self.a[1]) * self.dy) / self.ll
        t = clamp(t)
        return t, self.a[0] + self.dx * t, self.a[1] + self.dy * t

    def d(self, x, y):
        t, px, py = self._closest(x, y)
        return math.hypot(x - px, y - py) - (self.r0 + (self.r1 - self.r0) * t)

    def normal(self, x, y):
        t, px, py = self._closest(x, y)
        r = self.r0 + (self.r1 - self.r0) * t
        return _sphere((x - px) / r, (y - py) / r)


class Poly(Shape):
    """A polygon (any winding); radius rounds it outward."""

    def __init__(self, pts, radius=0.0):
        self.pts = [tuple(p) for p in pts]
        self.rad = radius
        xs = [p[0] for p in self.pts]
        ys = [p[1] for p in self.pts]
        self.bbox = (min(xs) - radius, min(ys) - radius, max(xs) + radius, max(ys) + radius)
        self.edges = []
        n = len(self.pts)
        for i in range(n):
            ax, ay = self.pts[i]
            bx, by = self.pts[(i + 1) % n]
            ex, ey = bx - ax, by - ay
            self.edges.append((ax, ay, ex, ey, ex * ex + ey * ey or 1e-9))

    def d(self, x, y):
        best = 1e18
        inside = False
        for ax, ay, ex, ey, ll in self.edges:
            wx, wy = x - ax, y - ay
            t = clamp((wx * ex + wy * ey) / ll)
            qx, qy = wx - ex * t, wy - ey * t
            dd = qx * qx + qy * qy
            if dd < best:
                best = dd
            by = ay + ey
            if (ay > y) != (by > y):
                if x < ax + (y - ay) * ex / ey:
                    inside = not inside
        dist = math.sqrt(best)
        return (-dist if inside else dist) - self.rad


class Arc(Shape):
    """A stroke of radius r along a circle of radius R from angle a0 to a1
    (degrees, y downward so angles run clockwise on screen)."""

    def __init__(self, cx, cy, R, a0, a1, r):
        self.cx, self.cy, self.R, self.r = cx, cy, R, r
        self.a0, self.a1 = math.radians(a0), math.radians(a1)
        self.p0 = (cx + R * math.cos(self.a0), cy + R * math.sin(self.a0))
        self.p1 = (cx + R * math.cos(self.a1), cy + R * math.sin(self.a1))
        self.bbox = (cx - R - r, cy - R - r, cx + R + r, cy + R + r)

    def d(self, x, y):
        ang = math.atan2(y - self.cy, x - self.cx)
        span = self.a1 - self.a0
        rel = (ang - self.a0) % (2 * math.pi)
        if rel <= span:
            return abs(math.hypot(x - self.cx, y - self.cy) - self.R) - self.r
        return min(math.hypot(x - self.p0[0], y - self.p0[1]),
                   math.hypot(x - self.p1[0], y - self.p1[1])) - self.r


class Grown(Shape):
    def __init__(self, s, r):
        self.s, self.r = s, r
        b = s.bbox
        self.bbox = (b[0] - r, b[1] - r, b[2] + r, b[3] + r)

    def d(self, x, y):
        return self.s.d(x, y) - self.r

    def normal(self, x, y):
        return self.s.normal(x, y)


class Union(Shape):
    def __init__(self, *shapes):
        self.shapes = shapes
        self.bbox = (min(s.bbox[0] for s in shapes), min(s.bbox[1] for s in shapes),
                     max(s.bbox[2] for s in shapes), max(s.bbox[3] for s in shapes))

    def d(self, x, y):
        return min(s.d(x, y) for s in self.shapes)


class Inter(Shape):
    def __init__(self, a, b):
        self.a, self.b = a, b
        self.bbox = (max(a.bbox[0], b.bbox[0]), max(a.bbox[1], b.bbox[1]),
                     min(a.bbox[2], b.bbox[2]), min(a.bbox[3], b.bbox[3]))

    def d(self, x, y):
        return max(self.a.d(x, y), self.b.d(x, y))

    def normal(self, x, y):
        return self.a.normal(x, y)


class Sub(Shape):
    def __init__(self, a, b):
        self.a, self.b = a, b
        self.bbox = a.bbox

    def d(self, x, y):
        return max(self.a.d(x, y), -self.b.d(x, y))

    def normal(self, x, y):
        return self.a.normal(x, y)


def _sphere(nx, ny):
    k = nx * nx + ny * ny
    if k >= 1.0:
        s = 1.0 / math.sqrt(k)
        return (nx * s, ny * s, 0.0)
    return (nx, ny, math.sqrt(1.0 - k))


def lit(base, n, ambient=0.35, diffuse=0.75, specular=0.55, power=24, specular_col=(255, 255, 255)):
    """Colour of a surface of colour `base` with normal n under the one light."""
    ndl = max(0.0, n[0] * LIGHT[0] + n[1] * LIGHT[1] + n[2] * LIGHT[2])
    ndh = max(0.0, n[0] * HALF[0] + n[1] * HALF[1] + n[2] * HALF[2])
    k = ambient + diffuse * ndl
    s = specular * (ndh ** power)
    return tuple(clamp(b * k + sc * s, 0.0, 255.0) for b, sc in zip(base, specular_col))


def shaded(shape, base, **kw):
    """A shade function lighting `base` with the shape's own normals."""
    return lambda x, y: lit(base, shape.normal(x, y), **kw)


# ---------------------------------------------------------------- canvas
class Canvas:
    def __init__(self, w, h, ss=3, fill=None):
        self.w, self.h, self.ss = w, h, ss
        self.W, self.H = w * ss, h * ss
        n = self.W * self.H
        if fill is None:
            self.col = [(0.0, 0.0, 0.0)] * n
            self.cov = [0.0] * n
        else:
            self.col = [tuple(fill)] * n
            self.cov = [1.0] * n

    def paint(self, shape, shade, alpha=1.0, clip=None):
        """Paints `shape` with `shade`: a colour, or f(x, y) giving a colour or
        (r, g, b, a). `alpha` scales the opacity; `clip` limits to another shape."""
        ss = self.ss
        x0, y0, x1, y1 = shape.bbox
        if clip is not None:
            c = clip.bbox
            x0, y0, x1, y1 = max(x0, c[0]), max(y0, c[1]), min(x1, c[2]), min(y1, c[3])
        sx0 = max(0, int(math.floor(x0 * ss)) - 1)
        sy0 = max(0, int(math.floor(y0 * ss)) - 1)
        sx1 = min(self.W, int(math.ceil(x1 * ss)) + 1)
        sy1 = min(self.H, int(math.ceil(y1 * ss)) + 1)
        const = not callable(shade)
        col, cov = self.col, self.cov
        d = shape.d
        inv = 1.0 / ss
        for sy in range(sy0, sy1):
            y = (sy + 0.5) * inv
            row = sy * self.W
            for sx in range(sx0, sx1):
                x = (sx + 0.5) * inv
                if d(x, y) > 0.0:
                    continue
                if clip is not None and clip.d(x, y) > 0.0:
                    continue
                c = shade if const else shade(x, y)
                a = alpha
                if len(c) == 4:
                    a *= c[3]
                    c = c[:3]
                if a <= 0.0:
                    continue
                i = row + sx
                if a >= 1.0:
                    col[i] = c
                    cov[i] = 1.0
                else:
                    oc = cov[i]
                    na = a + oc * (1.0 - a)
                    o = col[i]
                    k = oc * (1.0 - a)
                    col[i] = ((c[0] * a + o[0] * k) / na, (c[1] * a + o[1] * k) / na,
                              (c[2] * a + o[2] * k) / na)
                    cov[i] = na

    def outlined(self, shape, shade, width=1.2, outline=(24, 18, 34)):
        """Paints the shape's outline ring and then the shape over it."""
        self.paint(shape.grow(width), outline)
        self.paint(shape, shade)

    def pixels(self):
        """The picture: rows of (r, g, b) tuples, None where it is see-through."""
        ss = self.ss
        n = ss * ss
        out = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                cr = cg = cb = 0.0
                cv = 0.0
                for j in range(ss):
                    base = (y * ss + j) * self.W + x * ss
                    for i in range(ss):
                        a = self.cov[base + i]
                        if a > 0.0:
                            c = self.col[base + i]
                            cr += c[0] * a
                            cg += c[1] * a
                            cb += c[2] * a
                            cv += a
                if cv < 0.5 * n:
                    row.append(None)
                else:
                    row.append((cr / cv, cg / cv, cb / cv))
            out.append(row)
        return out


def picture(w, h, f):
    """A fully opaque picture from a colour function f(x, y) at pixel centres."""
    return [[f(x + 0.5, y + 0.5) for x in range(w)] for y in range(h)]


# ---------------------------------------------------------------- noise
class Noise:
    """Value noise from a fixed seed; with `period` it wraps in x."""

    def __init__(self, seed, size=256):
        rnd = random.Random(seed)
        self.size = size
        self.v = [rnd.random() for _ in range(size * size)]

    def at(self, x, y, period=None):
        xi = math.floor(x)
        yi = math.floor(y)
        fx = x - xi
        fy = y - yi
        fx = fx * fx * (3 - 2 * fx)
        fy = fy * fy * (3 - 2 * fy)
        n = self.size
        x0 = xi % period if period else xi
        x1 = (xi + 1) % period if period else xi + 1
        v = self.v
        r0 = (yi % n) * n
        r1 = ((yi + 1) % n) * n
        a = v[r0 + x0 % n]
        b = v[r0 + x1 % n]
        c = v[r1 + x0 % n]
        d = v[r1 + x1 % n]
        return a + (b - a) * fx + (c - a) * fy + (a - b - c + d) * fx * fy

    def fbm(self, x, y, octaves=4, period=None, gain=0.5):
        """Sum of octaves in 0..1; `period` (in units of x at octave 0) must be an integer."""
        s = 0.0
        amp = 1.0
        tot = 0.0
        f = 1
        for _ in range(octaves):
            s += amp * self.at(x * f, y * f, period * f if period else None)
            tot += amp
            amp *= gain
            f *= 2
        return s / tot


def picture_ss(w, h, f, ss=2):
    """Like picture, averaging ss x ss samples per pixel."""
    inv = 1.0 / ss
    out = []
    for y in range(h):
        row = []
        for x in range(w):
            r = g = b = 0.0
            for j in range(ss):
                for i in range(ss):
                    c = f(x + (i + 0.5) * inv, y + (j + 0.5) * inv)
                    r += c[0]
                    g += c[1]
                    b += c[2]
            n = ss * ss
            row.append((r / n, g / n, b / n))
        out.append(row)
    return out
