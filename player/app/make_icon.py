#!/usr/bin/env python3
"""Draws the player's icon and writes it as an .ico file (16x16 and 32x32,
32-bit with an alpha channel and an AND mask) and, for looking at it, as a
PNG of both sizes side by side, enlarged.

Usage: make_icon.py <out.ico> [<preview.png>]

The picture: an amber disc with a darker rim and a soft highlight, the
surface on which the tray draws its moving ">".
"""
import math
import struct
import sys
import zlib


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def pixel(size, x, y):
    """RGBA of one pixel, from 4x4 samples per pixel for smooth edges."""
    centre = size / 2.0
    radius = size / 2.0 - 0.5
    rim = max(1.0, size / 16.0)
    top = (255, 196, 64)
    bottom = (224, 112, 0)
    edge = (120, 56, 0)
    acc = [0.0, 0.0, 0.0, 0.0]
    samples = 4
    for sy in range(samples):
        for sx in range(samples):
            px = x + (sx + 0.5) / samples
            py = y + (sy + 0.5) / samples
            d = math.hypot(px - centre, py - centre)
            if d > radius:
                continue
            colour = mix(top, bottom, py / size)
            # A highlight towards the upper left.
            h = math.hypot(px - size * 0.36, py - size * 0.32) / (size * 0.34)
            if h < 1.0:
                colour = mix(colour, (255, 240, 200), (1.0 - h) * 0.6)
            if d > radius - rim:
                colour = edge
            acc[0] += colour[0]
            acc[1] += colour[1]
            acc[2] += colour[2]
            acc[3] += 255
    n = samples * samples
    alpha = acc[3] / n
    if alpha == 0:
        return (0, 0, 0, 0)
    covered = acc[3] / 255
    return (round(acc[0] / covered), round(acc[1] / covered), round(acc[2] / covered), round(alpha))


def image(size):
    return [[pixel(size, x, y) for x in range(size)] for y in range(size)]


def ico_entry(size, rows):
    # BITMAPINFOHEADER with double height (colour plus mask), bottom-up.
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + bytes(mask)


def write_ico(path, images):
    entries = [ico_entry(size, rows) for size, rows in images]
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for (size, _), data in zip(images, entries):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(entries))


def write_png(path, images, scale=8):
    width = sum(size for size, _ in images) * scale + scale * (len(images) + 1)
    height = max(size for size, _ in images) * scale + 2 * scale
    canvas = [[(200, 200, 200)] * width for _ in range(height)]
    left = scale
    for size, rows in images:
        for y in range(size):
            for x in range(size):
                r, g, b, a = rows[y][x]
                bg = canvas[scale + y * scale][left + x * scale]
                c = mix(bg, (r, g, b), a / 255)
                for dy in range(scale):
                    for dx in range(scale):
                        canvas[scale + y * scale + dy][left + x * scale + dx] = c
        left += size * scale + scale
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in canvas)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main():
    images = [(16, image(16)), (32, image(32))]
    write_ico(sys.argv[1], images)
    if len(sys.argv) > 2:
        write_png(sys.argv[2], images)


if __name__ == "__main__":
    main()
