#!/usr/bin/env python3
"""Writes the glyphs of the framework's speed buttons: the spin edit's arrows SPEED_UP.bmp and
SPEED_DOWN.bmp and the deconvolution dialogs' about button ABOUT.bmp. 16-colour bitmaps with a
magenta background (drawn transparent). Run it in this folder."""
import struct

PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
# Rows from the top: '#' black, 'n' navy, 'b' blue, 'w' white, '.' transparent.
COLOURS = {"#": 0, "n": 4, "b": 12, "w": 15, ".": 13}

GLYPHS = {
    "SPEED_UP.bmp": ["..#..", ".###.", "....."],
    "SPEED_DOWN.bmp": [".###.", "..#..", ".....", "....."],
    # An information sign: a white "i" on a blue disc.
    "ABOUT.bmp": [
        "................",
        ".....nnnnnn.....",
        "...nnbbbbbbnn...",
        "..nbbbbwwbbbbn..",
        "..nbbbbwwbbbbn..",
        ".nbbbbbbbbbbbbn.",
        ".nbbbbwwwbbbbbn.",
        ".nbbbbbwwbbbbbn.",
        ".nbbbbbwwbbbbbn.",
        ".nbbbbbwwbbbbbn.",
        ".nbbbbbwwbbbbbn.",
        "..nbbbbwwbbbbn..",
        "..nbbbwwwwbbbn..",
        "...nnbbbbbbnn...",
        ".....nnnnnn.....",
        "................",
    ],
}


def write_bitmap(path, rows):
    width, height = len(rows[0]), len(rows)
    stride = ((width * 4 + 31) // 32) * 4
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        indices = [COLOURS[c] for c in row]
        if len(indices) % 2:
            indices.append(0)
        line = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, len(indices), 2))
        pixels += line + b"\0" * (stride - len(line))
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels), 2835, 2835, 16, 0)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)


for name, glyph in GLYPHS.items():
    write_bitmap(name, glyph)
