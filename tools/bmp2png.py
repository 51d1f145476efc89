#!/usr/bin/env python3
"""Converts an uncompressed BMP (1, 4, 8, 24 or 32 bits) to PNG, so that
screenshots and pictures can be looked at with tools that read PNG only.
Usage: bmp2png.py in.bmp out.png [scale]"""
import struct
import sys
import zlib


def read_bmp(data):
    if data[:2] != b"BM":
        raise ValueError("not a BMP")
    off = struct.unpack_from("<I", data, 10)[0]
    hsize, w, h, planes, bpp, comp = struct.unpack_from("<IiiHHI", data, 14)
    if comp not in (0, 3):
        raise ValueError("compressed BMP")
    ncol = struct.unpack_from("<I", data, 46)[0] if hsize >= 40 else 0
    pal = []
    if bpp <= 8:
        n = ncol or (1 << bpp)
        for i in range(n):
            b, g, r = data[14 + hsize + 4 * i: 14 + hsize + 4 * i + 3]
            pal.append((r, g, b))
    top_down = h < 0
    h = abs(h)
    stride = ((bpp * w + 31) // 32) * 4
    rows = []
    for y in range(h):
        sy = y if top_down else h - 1 - y
        row = data[off + sy * stride: off + (sy + 1) * stride]
        px = []
        for x in range(w):
            if bpp == 24:
                b, g, r = row[3 * x: 3 * x + 3]
                px.append((r, g, b))
            elif bpp == 32:
                b, g, r = row[4 * x: 4 * x + 3]
                px.append((r, g, b))
            else:
                bit = x * bpp
                v = (row[bit // 8] >> (8 - bpp - bit % 8)) & ((1 << bpp) - 1)
                px.append(pal[v] if v < len(pal) else (0, 0, 0))
        rows.append(px)
    return w, h, rows


def write_png(path, w, h, rows, scale=1):
    raw = bytearray()
    for px in rows:
        line = bytearray()
        for p in px:
            line += bytes(p) * scale
        for _ in range(scale):
            raw += b"\0" + line
    def chunk(t, d):
        c = struct.pack(">I", len(d)) + t + d
        return c + struct.pack(">I", zlib.crc32(t + d) & 0xFFFFFFFF)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w * scale, h * scale, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    w, h, rows = read_bmp(open(sys.argv[1], "rb").read())
    write_png(sys.argv[2], w, h, rows, int(sys.argv[3]) if len(sys.argv) > 3 else 1)
