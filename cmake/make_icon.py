#!/usr/bin/env python3
"""Writes the program's icon (32 x 32 and 16 x 16, 32-bit with alpha): a round window on a dusk
sky over water with a wave, made here so that no picture file sits in the sources.

  make_icon.py OUT.ico
"""
import math
import struct
import sys


def pixel(x, y, size):
    # Coordinates in the unit square; the disc has a soft edge.
    u, v = (x + 0.5) / size, (y + 0.5) / size
    r = math.hypot(u - 0.5, v - 0.5)
    alpha = max(0.0, min(1.0, (0.48 - r) * size))
    shore = 0.58 + 0.04 * math.sin(u * 2 * math.pi * 1.5)
    if v < shore:  # sky: violet above, warm near the horizon, and a low sun
        t = v / shore
        red, green, blue = 70 + 170 * t, 50 + 110 * t, 130 - 10 * t
        if math.hypot(u - 0.62, v - shore + 0.05) < 0.09:
            red, green, blue = 255, 225, 160
    else:  # water, darker with depth, with one bright wave line
        t = (v - shore) / (1 - shore)
        red, green, blue = 40 - 20 * t, 80 - 30 * t, 150 - 40 * t
        if abs(v - (shore + 0.18 + 0.03 * math.sin(u * 2 * math.pi * 2))) < 0.025:
            red, green, blue = 200, 220, 245
    return bytes((int(blue), int(green), int(red), int(alpha * 255)))


def image(size):
    rows = [b"".join(pixel(x, y, size) for x in range(size)) for y in range(size)]
    xor = b"".join(reversed(rows))  # bottom-up
    and_mask = b"\0" * (((size + 31) // 32) * 4 * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


images = [image(32), image(16)]
directory = struct.pack("<HHH", 0, 1, len(images))
offset = 6 + 16 * len(images)
for size, data in zip((32, 16), images):
    directory += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
open(sys.argv[1], "wb").write(directory + b"".join(images))
