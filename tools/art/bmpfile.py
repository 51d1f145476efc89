"""Palettised BMP writing for the art generator.

Every picture is written as an uncompressed 8-bit bottom-up BMP with the full
256-entry colour table: the level loader takes the pixel rows to start 1024
bytes after the information header, and the other loaders accept the same.
"""
import struct

KEY = (255, 0, 0)


def _565(c):
    """The colour as the game's 16-bit display keeps it (channels truncated)."""
    return (int(c[0]) & 0xF8, int(c[1]) & 0xFC, int(c[2]) & 0xF8)


def safe(c):
    """Rounds a colour to bytes and keeps it from ever reading as the key:
    anything the 5-6-5 display would turn into pure red gets a touch of green."""
    r, g, b = (max(0, min(255, int(round(v)))) for v in c)
    if r >= 248 and g < 4 and b < 8:
        g = 4
    return (r, g, b)


def quantize(rows, max_colours=255):
    """Reduces a picture (rows of colours, None for see-through) to a palette.
    Returns (palette, indices): index 0 is the key red whenever the picture has
    see-through pixels, and colours are grouped by their 5-6-5 value, which is
    all the game can show of them."""
    counts = {}
    sums = {}
    keyed = False
    for row in rows:
        for c in row:
            if c is None:
                keyed = True
                continue
            c = safe(c)
            k = _565(c)
            if k in counts:
                counts[k] += 1
                s = sums[k]
                s[0] += c[0]
                s[1] += c[1]
                s[2] += c[2]
            else:
                counts[k] = 1
                sums[k] = [c[0], c[1], c[2]]
    budget = max_colours - (1 if keyed else 0)
    keys = list(counts)
    if len(keys) <= budget:
        boxes = [[k] for k in keys]
    else:
        boxes = _median_cut(keys, counts, budget)
    palette = [KEY] if keyed else []
    lookup = {}
    for box in boxes:
        n = sum(counts[k] for k in box)
        c = tuple(sum(sums[k][i] for k in box) / n for i in range(3))
        c = safe(c)
        for k in box:
            lookup[k] = len(palette)
        palette.append(c)
    indices = []
    for row in rows:
        out = []
        for c in row:
            out.append(0 if c is None else lookup[_565(safe(c))])
        indices.append(out)
    while len(palette) < 256:
        palette.append((0, 0, 0))
    return palette, indices


def _median_cut(keys, counts, budget):
    # Split the box with the largest weighted spread until the budget is used.
    weight = (2.0, 3.0, 1.5)  # green matters most to the eye, blue least

    def spread(box):
        n = 0
        s = [0.0, 0.0, 0.0]
        for k in box:
            w = counts[k]
            n += w
            for i in range(3):
                s[i] += k[i] * w
        m = [v / n for v in s]
        e = 0.0
        for k in box:
            w = counts[k]
            for i in range(3):
                dv = (k[i] - m[i]) * weight[i]
                e += w * dv * dv
        return e

    boxes = [(spread(keys), keys)]
    while len(boxes) < budget:
        boxes.sort(key=lambda b: b[0])
        e, box = boxes.pop()
        if len(box) < 2:
            boxes.append((0.0, box))
            if all(len(b) < 2 for _, b in boxes):
                break
            continue
        ranges = [(max(k[i] for k in box) - min(k[i] for k in box)) * weight[i] for i in range(3)]
        ch = ranges.index(max(ranges))
        box = sorted(box, key=lambda k: k[ch])
        total = sum(counts[k] for k in box)
        acc = 0
        cut = 1
        for i, k in enumerate(box):
            acc += counts[k]
            if acc * 2 >= total:
                cut = max(1, min(len(box) - 1, i + 1))
                break
        a, b = box[:cut], box[cut:]
        boxes.append((spread(a), a))
        boxes.append((spread(b), b))
    return [b for _, b in boxes]


def bmp_bytes(width, height, palette, indices):
    """An 8-bit BMP file: file header, 40-byte information header, 256 colours, rows."""
    stride = (width + 3) & ~3
    pixels = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytes(indices[y])
        pixels += row + bytes(stride - width)
    offset = 14 + 40 + 1024
    head = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    table = bytearray()
    for i in range(256):
        r, g, b = palette[i] if i < len(palette) else (0, 0, 0)
        table += bytes((b, g, r, 0))
    return head + info + bytes(table) + bytes(pixels)


def write_picture(path, rows):
    """Quantises and writes a picture; returns the number of colours used."""
    h = len(rows)
    w = len(rows[0])
    palette, indices = quantize(rows)
    with open(path, "wb") as f:
        f.write(bmp_bytes(w, h, palette, indices))
    return len(set(i for row in indices for i in row))


def write_indexed(path, width, height, palette, indices):
    with open(path, "wb") as f:
        f.write(bmp_bytes(width, height, palette, indices))
