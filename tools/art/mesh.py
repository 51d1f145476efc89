"""A small flat-shaded 3D painter for the gun: convex solids made of faces,
turned and placed in front of a pinhole camera, painted with a depth buffer.

Camera space: x right, y up, z away from the viewer. Model space is the same
before the solid is turned.
"""
import math

from raster import lit


def rot(yaw, pitch, roll):
    """Rotation matrix: roll about z, then pitch about x, then yaw about y (degrees)."""
    cy, sy = math.cos(math.radians(yaw)), math.sin(math.radians(yaw))
    cp, sp = math.cos(math.radians(pitch)), math.sin(math.radians(pitch))
    cr, sr = math.cos(math.radians(roll)), math.sin(math.radians(roll))
    rz = ((cr, -sr, 0), (sr, cr, 0), (0, 0, 1))
    rx = ((1, 0, 0), (0, cp, -sp), (0, sp, cp))
    ry = ((cy, 0, sy), (0, 1, 0), (-sy, 0, cy))

    def mul(a, b):
        return tuple(tuple(sum(a[i][k] * b[k][j] for k in range(3)) for j in range(3)) for i in range(3))

    return mul(ry, mul(rx, rz))


def apply(m, p):
    return tuple(m[i][0] * p[0] + m[i][1] * p[1] + m[i][2] * p[2] for i in range(3))


class Solid:
    def __init__(self, faces, colour, **light):
        self.faces = faces  # lists of model points, counter-clockwise seen from outside
        self.colour = colour
        self.light = light

    def moved(self, m, offset=(0.0, 0.0, 0.0)):
        """The same solid turned by m about the origin and then moved by offset."""
        faces = [[tuple(a + b for a, b in zip(apply(m, p), offset)) for p in f] for f in self.faces]
        return Solid(faces, self.colour, **self.light)


def box(x0, y0, z0, x1, y1, z1, colour, shear=(0.0, 0.0), **light):
    """An axis box; shear moves the top (y1) face by (dx, dz)."""
    sx, sz = shear
    p = [(x0, y0, z0), (x1, y0, z0), (x1, y1, z0), (x0, y1, z0),
         (x0, y0, z1), (x1, y0, z1), (x1, y1, z1), (x0, y1, z1)]
    p = [(x + (sx if y == y1 else 0.0), y, z + (sz if y == y1 else 0.0)) for x, y, z in p]
    f = [(0, 3, 2, 1), (4, 5, 6, 7), (0, 4, 7, 3), (1, 2, 6, 5), (3, 7, 6, 2), (0, 1, 5, 4)]
    return Solid([[p[i] for i in face] for face in f], colour, **light)


def prism_z(cx, cy, z0, z1, r, colour, sides=12, r1=None, **light):
    """A many-sided cylinder along z from z0 to z1 (radius r, r1 at the far end)."""
    ring = [(cx + r * math.cos(2 * math.pi * i / sides), cy + r * math.sin(2 * math.pi * i / sides))
            for i in range(sides)]
    return extrude_z(ring, z0, z1, colour, 1.0 if r1 is None else r1 / r, **light)


def prism_between(p0, p1, r0, r1, colour, sides=10, **light):
    """A many-sided cylinder from point p0 (radius r0) to p1 (radius r1)."""
    d = [b - a for a, b in zip(p0, p1)]
    length = math.sqrt(sum(k * k for k in d))
    yaw = math.degrees(math.atan2(d[0], d[2]))
    pitch = -math.degrees(math.asin(d[1] / length))
    return prism_z(0.0, 0.0, 0.0, length, r0, colour, sides, r1, **light).moved(rot(yaw, pitch, 0.0), p0)


def extrude_z(profile, z0, z1, colour, scale1=1.0, **light):
    """A prism along z whose cross-section is the convex polygon `profile`
    (x, y points, counter-clockwise with y up), shrunk by scale1 at the far end."""
    ring0 = [(x, y, z0) for x, y in profile]
    cx = sum(p[0] for p in profile) / len(profile)
    cy = sum(p[1] for p in profile) / len(profile)
    ring1 = [(cx + (x - cx) * scale1, cy + (y - cy) * scale1, z1) for x, y in profile]
    faces = [list(reversed(ring0)), list(ring1)]
    n = len(profile)
    for i in range(n):
        j = (i + 1) % n
        faces.append([ring0[i], ring0[j], ring1[j], ring1[i]])
    return Solid(faces, colour, **light)


def place(m, point, target, z, focal, centre):
    """The offset that puts model `point`, turned by m, at depth z where it
    projects to the picture position `target`."""
    p = apply(m, point)
    x = (target[0] - centre[0]) * z / focal
    y = -(target[1] - centre[1]) * z / focal
    return (x - p[0], y - p[1], z - p[2])


def paint_solids(canvas, solids, m, offset, focal, centre, outline=(24, 18, 34), edge=0.8,
                 crease=0.78):
    """Turns every solid by m, moves it by offset and paints it with a depth
    buffer into the canvas. Silhouettes and the borders between solids get a
    dark line `edge` pixels wide; edges inside one solid are only darkened."""
    W, H, ss = canvas.W, canvas.H, canvas.ss
    inf = float("inf")
    zbuf = [inf] * (W * H)
    face_of = [-1] * (W * H)
    solid_of = [-1] * (W * H)
    colours = []
    for si, s in enumerate(solids):
        for face in s.faces:
            pts = [tuple(a + b for a, b in zip(apply(m, p), offset)) for p in face]
            if min(p[2] for p in pts) < 1.0:
                continue  # behind the eye
            a, b, c = pts[0], pts[1], pts[2]
            u = tuple(b[i] - a[i] for i in range(3))
            v = tuple(c[i] - a[i] for i in range(3))
            n = (u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0])
            ln = math.sqrt(sum(k * k for k in n)) or 1.0
            n = tuple(k / ln for k in n)
            nd = sum(n[i] * a[i] for i in range(3))
            if nd >= 0.0:
                continue  # faces away from the eye
            fi = len(colours)
            colours.append(lit(s.colour, (n[0], -n[1], -n[2]), **s.light))
            # Subsample coordinates of the projected corners.
            scr = [((centre[0] + focal * p[0] / p[2]) * ss, (centre[1] - focal * p[1] / p[2]) * ss)
                   for p in pts]
            area = sum(scr[i][0] * scr[(i + 1) % len(scr)][1] - scr[(i + 1) % len(scr)][0] * scr[i][1]
                       for i in range(len(scr)))
            sign = 1.0 if area > 0 else -1.0
            edges = []
            for i in range(len(scr)):
                x0, y0 = scr[i]
                x1, y1 = scr[(i + 1) % len(scr)]
                edges.append((x0, y0, (x1 - x0) * sign, (y1 - y0) * sign))
            bx0 = max(0, int(min(p[0] for p in scr)))
            bx1 = min(W, int(max(p[0] for p in scr)) + 2)
            by0 = max(0, int(min(p[1] for p in scr)))
            by1 = min(H, int(max(p[1] for p in scr)) + 2)
            k = ss * focal
            for sy in range(by0, by1):
                py = sy + 0.5
                dy = -(py - centre[1] * ss) / k
                for sx in range(bx0, bx1):
                    px = sx + 0.5
                    inside = True
                    for x0, y0, ex, ey in edges:
                        if ex * (py - y0) - ey * (px - x0) < 0.0:
                            inside = False
                            break
                    if not inside:
                        continue
                    dx = (px - centre[0] * ss) / k
                    den = n[0] * dx + n[1] * dy + n[2]
                    if den >= 0.0:
                        continue
                    z = nd / den
                    idx = sy * W + sx
                    if z < zbuf[idx]:
                        zbuf[idx] = z
                        face_of[idx] = fi
                        solid_of[idx] = si
    r = max(1, int(round(edge * ss)))
    near = [(i, j) for j in range(-r, r + 1) for i in range(-r, r + 1) if 0 < i * i + j * j <= r * r]
    for sy in range(H):
        for sx in range(W):
            idx = sy * W + sx
            si = solid_of[idx]
            if si < 0:
                continue
            fi = face_of[idx]
            c = colours[fi]
            ink = False
            dark = False
            for i, j in near:
                x, y = sx + i, sy + j
                if 0 <= x < W and 0 <= y < H:
                    o = y * W + x
                    if solid_of[o] != si:
                        # The nearer solid draws the line between two solids.
                        if solid_of[o] < 0 or zbuf[o] > zbuf[idx]:
                            ink = True
                            break
                    elif face_of[o] != fi and i * i + j * j <= 1:
                        dark = True
                else:
                    ink = True
                    break
            canvas.col[idx] = outline if ink else (tuple(v * crease for v in c) if dark else c)
            canvas.cov[idx] = 1.0
