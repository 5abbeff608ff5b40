#!/usr/bin/env python3
"""Writes the browsing controls' glyphs into glyphs/: 16-colour BMP files whose bottom-left
pixel gives the transparent colour. Drawn here as pixel maps so they can be regenerated
exactly: python3 resources/make_glyphs.py (standard library only)."""

import pathlib
import struct

# The 16 standard colours of the system palette, in palette order.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

# Map characters to palette indexes; "." is the transparent magenta, used nowhere else.
INDEX = {".": 13, "k": 0, "o": 3, "n": 4, "d": 6, "s": 7, "g": 8, "e": 10, "y": 11,
         "b": 12, "c": 14, "w": 15}

CLOSED_FOLDER = [
    "................",
    "................",
    "..kkkkk.........",
    ".kyyyyyk........",
    "kyyyyyyykkkkkkk.",
    "kywwwwwwwwwwwok.",
    "kywyyyyyyyyyyok.",
    "kywyyyyyyyyyyok.",
    "kywyyyyyyyyyyok.",
    "kywyyyyyyyyyyok.",
    "kywyyyyyyyyyyok.",
    "koooooooooooook.",
    "kkkkkkkkkkkkkkk.",
    "................",
    "................",
]

OPEN_FOLDER = [
    "................",
    "................",
    "..kkkkk.........",
    ".kyyyyyk........",
    "kyyyyyyykkkkkk..",
    "kyoooooooooook..",
    "kyokkkkkkkkkkkkk",
    "kyokwwwwwwwwwwwk",
    "kykwyyyyyyyyyyk.",
    "kykyyyyyyyyyyyk.",
    "kkwyyyyyyyyyyk..",
    "kkyyyyyyyyyyyk..",
    "kkkkkkkkkkkkk...",
    "................",
    "................",
]

# The open folder of the current directory, in the highlight's cyan.
CURRENT_FOLDER = [row.replace("y", "c").replace("o", "d") for row in OPEN_FOLDER]

EXECUTABLE = [
    "................",
    "................",
    ".kkkkkkkkkkkkkk.",
    ".knnnnnnnnnnnnk.",
    ".knwnnnnnnnnnnk.",
    ".kkkkkkkkkkkkkk.",
    ".kwwwwwwwwwwwwk.",
    ".kwsswssswssswk.",
    ".kwwwwwwwwwwwwk.",
    ".kwsssswsssswwk.",
    ".kwwwwwwwwwwwwk.",
    ".kwsswsswssswwk.",
    ".kwwwwwwwwwwwwk.",
    ".kkkkkkkkkkkkkk.",
    "................",
]

UNKNOWN_FILE = [
    "................",
    "...kkkkkkkk.....",
    "...kwwwwwwkk....",
    "...kwwwwwwkwk...",
    "...kwwwwwwkkkk..",
    "...kwwwwwwwwwk..",
    "...kwsssssswwk..",
    "...kwwwwwwwwwk..",
    "...kwsssssswwk..",
    "...kwwwwwwwwwk..",
    "...kwsssssswwk..",
    "...kwwwwwwwwwk..",
    "...kwwwwwwwwwk..",
    "...kkkkkkkkkkk..",
    "................",
]

FLOPPY = [
    "................",
    "..kkkkkkkkkkkk..",
    "..knnssssssnnk..",
    "..knnsskkssnnk..",
    "..knnssssssnnk..",
    "..knnnnnnnnnnk..",
    "..knwwwwwwwwnk..",
    "..knwwwwwwwwnk..",
    "..knwwwwwwwwnk..",
    "..kkkkkkkkkkkk..",
    "................",
]

HARD = [
    "................",
    "................",
    "..kkkkkkkkkkkk..",
    ".kssssssssssssk.",
    "kwwwwwwwwwwwwwwk",
    "kssssssssssseesk",
    "kssssssssssssssk",
    "kggggggggggggggk",
    ".kkkkkkkkkkkkkk.",
    "................",
    "................",
]

NETWORK = [
    "................",
    "..kkkkkkkkkkkk..",
    ".kssssssssssssk.",
    "kwwwwwwwwwwwwwwk",
    "ksssssssssseessk",
    "kggggggggggggggk",
    ".kkkkkkkkkkkkkk.",
    ".......kk.......",
    "...kkkkkkkkkk...",
    "................",
    "................",
]

CDROM = [
    "................",
    "................",
    "..kkkkkkkkkkkk..",
    ".kssssssssssssk.",
    "kwwwwwwwwwwwwwwk",
    "kskkkkkkkkkssesk",
    "kssssssssssssssk",
    "kggggggggggggggk",
    ".kkkkkkkkkkkkkk.",
    "................",
    "................",
]

RAM = [
    "................",
    "................",
    "..k.k.k.k.k.k...",
    ".kkkkkkkkkkkkkk.",
    ".keeeeeeeeeeeek.",
    ".kekkkekkkekkek.",
    ".keeeeeeeeeeeek.",
    ".kkkkkkkkkkkkkk.",
    "..k.k.k.k.k.k...",
    "................",
    "................",
]

GLYPHS = {
    "closedfolder": (CLOSED_FOLDER, 15), "openfolder": (OPEN_FOLDER, 15),
    "currentfolder": (CURRENT_FOLDER, 15), "executable": (EXECUTABLE, 15),
    "unknownfile": (UNKNOWN_FILE, 15), "floppy": (FLOPPY, 11), "hard": (HARD, 11),
    "network": (NETWORK, 11), "cdrom": (CDROM, 11), "ram": (RAM, 11),
}


def bmp(rows):
    """A 4-bit bottom-up BMP of the pixel map."""
    width = len(rows[0])
    height = len(rows)
    stride = (width * 4 + 31) // 32 * 4
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for x in range(0, width, 2):
            line.append(INDEX[row[x]] << 4 | INDEX[row[x + 1]])
        pixels += line.ljust(stride, b"\0")
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels), 2835, 2835, 16, 0)
    return header + info + palette + bytes(pixels)


def main():
    folder = pathlib.Path(__file__).resolve().parent / "glyphs"
    folder.mkdir(exist_ok=True)
    for name, (rows, height) in GLYPHS.items():
        assert len(rows) == height, name
        assert all(len(row) == 16 for row in rows), name
        assert rows[-1][0] == ".", f"{name}: the bottom-left pixel must be the transparent colour"
        (folder / f"{name}.bmp").write_bytes(bmp(rows))


if __name__ == "__main__":
    main()
