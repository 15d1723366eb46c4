#!/usr/bin/env python3
"""Draws the product icon (a star over a night-sky disc, 48 x 48, 32-bit) into Skelvane.ico."""
import math
import struct
import sys

SIZE = 48
SUPER = 4  # samples per pixel side, for smooth edges


def coverage_and_colour(x, y):
    """Colour (r, g, b) and opacity of one sample point in icon coordinates."""
    cx = cy = SIZE / 2
    dx, dy = x - cx, y - cy
    r = math.hypot(dx, dy)
    if r > 22.5:
        return (0, 0, 0), 0.0
    # Night sky: deep blue, lighter towards the top left.
    shade = max(0.0, min(1.0, 0.5 + (-(dx + dy)) / 60))
    sky = (int(10 + 30 * shade), int(20 + 40 * shade), int(70 + 80 * shade))
    if r > 20.5:
        return (200, 210, 230), 1.0  # silver rim
    # Four-pointed star with a soft glow.
    a = math.atan2(dy, dx)
    spike = 2.0 + 14.0 * abs(math.cos(2 * a)) ** 8
    glow = math.exp(-(r / 7.0) ** 2)
    if r < spike:
        return (255, 244, 190), 1.0
    col = tuple(int(s + (255 - s) * glow * 0.6) for s in sky)
    # A few faint background stars.
    for sx, sy in ((12, 30), (33, 13), (35, 34), (16, 15)):
        if math.hypot(x - sx, y - sy) < 1.1:
            return (230, 230, 255), 1.0
    return col, 1.0


def render():
    pixels = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SUPER):
                for sx in range(SUPER):
                    (r, g, b), alpha = coverage_and_colour(px + (sx + 0.5) / SUPER,
                                                           py + (sy + 0.5) / SUPER)
                    acc[0] += r * alpha
                    acc[1] += g * alpha
                    acc[2] += b * alpha
                    acc[3] += alpha
            n = SUPER * SUPER
            alpha = acc[3] / n
            if acc[3] > 0:
                row.append((int(acc[0] / acc[3]), int(acc[1] / acc[3]), int(acc[2] / acc[3]),
                            int(round(alpha * 255))))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    return pixels


def ico_bytes(pixels):
    xor = bytearray()
    for row in reversed(pixels):  # bottom-up rows
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_row_bytes = ((SIZE + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_row_bytes)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    image = header + xor + mask
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


if __name__ == '__main__':
    out = sys.argv[1] if len(sys.argv) > 1 else 'Skelvane.ico'
    with open(out, 'wb') as f:
        f.write(ico_bytes(render()))
