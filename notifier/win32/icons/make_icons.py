#!/usr/bin/env python3
"""Draws the notifier's icons as small 32-bit .ico files, into this folder.

    python3 make_icons.py

large.ico and small.ico are the window class icons (32 and 16 pixels);
information.ico, warning.ico and error.ico are the balloon icons (16 pixels).
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def ico(size, pixel):
    """An .ico of one size x size image; pixel(x, y) gives (r, g, b, a), y down."""
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up
        row = b""
        for x in range(size):
            r, g, b, a = pixel(x + 0.5, y + 0.5)
            row += bytes((b, g, r, a))
        rows.append(row)
    xor = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    mask = b"\0" * (mask_row * size)  # alpha decides; the mask shows all
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def disc(cx, cy, r, x, y):
    return math.hypot(x - cx, y - cy) <= r


def circle_icon(size, fill, mark):
    c = size / 2

    def pixel(x, y):
        if not disc(c, c, c - 0.5, x, y):
            return (0, 0, 0, 0)
        if mark(x / size, y / size):
            return (255, 255, 255, 255)
        return fill + (255,)

    return pixel


def info_mark(u, v):
    return (abs(u - 0.5) < 0.08 and 0.42 < v < 0.8) or disc(0.5, 0.26, 0.08, u, v)


def cross_mark(u, v):
    inside = 0.25 < u < 0.75 and 0.25 < v < 0.75
    return inside and (abs(u - v) < 0.08 or abs(u + v - 1) < 0.08)


def warning(size):
    def pixel(x, y):
        u, v = x / size, y / size
        # A triangle pointing up.
        if v < 0.08 or v > 0.94 or abs(u - 0.5) > (v - 0.06) * 0.55:
            return (0, 0, 0, 0)
        if (abs(u - 0.5) < 0.07 and 0.35 < v < 0.7) or disc(0.5, 0.82, 0.07, u, v):
            return (0, 0, 0, 255)
        return (250, 200, 20, 255)

    return pixel


def application(size):
    def pixel(x, y):
        u, v = x / size, y / size
        if not (0.06 < u < 0.94 and 0.12 < v < 0.88):
            return (0, 0, 0, 0)
        # Three stacked disks of an array.
        for top in (0.2, 0.42, 0.64):
            if top < v < top + 0.14 and 0.16 < u < 0.84:
                return (230, 235, 245, 255)
        return (30, 80, 160, 255)

    return pixel


def main():
    icons = {
        "large.ico": ico(32, application(32)),
        "small.ico": ico(16, application(16)),
        "information.ico": ico(16, circle_icon(16, (30, 100, 210), info_mark)),
        "warning.ico": ico(16, warning(16)),
        "error.ico": ico(16, circle_icon(16, (200, 30, 30), cross_mark)),
    }
    for name, data in icons.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
