#!/usr/bin/env python3
"""Writes application.ico: the application icon MAINICON at 32x32 and 16x16 pixels.

A padlock over a page of log lines, drawn from geometry so the icon can be regenerated
exactly: python3 resources/make_icon.py (standard library only)."""

import pathlib
import struct

PAGE = (250, 250, 245, 255)
LINE = (120, 130, 150, 255)
BODY = (200, 150, 30, 255)
SHACKLE = (90, 90, 100, 255)
HOLE = (60, 40, 10, 255)
OUTLINE = (40, 40, 50, 255)
CLEAR = (0, 0, 0, 0)


def pixel(x, y, size):
    """Colour of the pixel at (x, y), y downwards, in an icon of size x size pixels."""
    u = (x + 0.5) / size
    v = (y + 0.5) / size
    edge = 1.0 / size
    # Shackle: a ring above the lock body.
    cx, cy, outer, inner = 0.62, 0.52, 0.20, 0.12
    distance = ((u - cx) ** 2 + (v - cy) ** 2) ** 0.5
    if v < cy and inner <= distance <= outer:
        return SHACKLE
    # Lock body with a key hole.
    if 0.38 <= u <= 0.86 and 0.50 <= v <= 0.92:
        if abs(u - 0.62) < 0.05 and 0.62 <= v <= 0.80:
            return HOLE
        if u < 0.38 + edge or u > 0.86 - edge or v < 0.50 + edge or v > 0.92 - edge:
            return OUTLINE
        return BODY
    # Page with lines of text.
    if 0.10 <= u <= 0.62 and 0.06 <= v <= 0.86:
        if u < 0.10 + edge or u > 0.62 - edge or v < 0.06 + edge or v > 0.86 - edge:
            return OUTLINE
        row = (v - 0.16) / 0.12
        if 0.18 <= u <= 0.54 and row >= 0 and row - int(row) < 0.35:
            return LINE
        return PAGE
    return CLEAR


def image(size):
    """One icon image: BITMAPINFOHEADER, 32-bit BGRA rows bottom-up, then the AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colours = bytearray()
    mask = bytearray()
    mask_row_bytes = ((size + 31) // 32) * 4
    for y in reversed(range(size)):
        row_mask = 0
        for x in range(size):
            r, g, b, a = pixel(x, y, size)
            colours += bytes((b, g, r, a))
            if a == 0:
                row_mask |= 1 << (size - 1 - x)
        mask += row_mask.to_bytes((size + 7) // 8, "big").ljust(mask_row_bytes, b"\0")
    return header + bytes(colours) + bytes(mask)


def icon(sizes):
    images = [image(size) for size in sizes]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, data in zip(sizes, images):
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return directory + entries + b"".join(images)


if __name__ == "__main__":
    target = pathlib.Path(__file__).with_name("application.ico")
    target.write_bytes(icon([32, 16]))
