#!/usr/bin/env python3
"""Pictures and checks for vxscene_authoring.sh, written with the standard library only.

  authoring_pictures.py stripes FILE.png W H
      a picture of sharp horizontal stripes (waves that move rows show in it everywhere)
  authoring_pictures.py soft FILE.png W H
      a picture whose rows change slowly (waves show in it, but only a little)
  authoring_pictures.py region FILE.png W H KIND X0 Y0 X1 Y1 VALUE
      a regions picture with the rectangle X0..X1-1, Y0..Y1-1 painted, the rest left empty:
      KIND rgb (VALUE a region, its colour on black), rgba (the same on fully transparent
      white) or palette (VALUE a palette index on index 0, every entry a grey, none a region
      colour); one more argument "bad X Y COLOUR-OR-INDEX" spoils a pixel
  authoring_pictures.py stored ORIGINAL.vxp REBUILT.vxp FOLDER
      the thumbnail and background JPEG bytes of both project files equal each other and the
      folder's thumbnail.jpg and background.jpg
  authoring_pictures.py moved W H RECT FIRST.rgb FRAME.rgb...
      every pixel in which a frame differs from the first lies inside RECT ("X0,Y0,X1,Y1"), and
      at least half of RECT's pixels do in some frame
"""
import math
import struct
import sys
import zlib

REGION_COLOURS = [(0, 0, 0), (0, 0, 255), (255, 0, 255), (255, 0, 0), (255, 255, 0), (0, 255, 0), (0, 255, 255)]


def chunk(name, data):
    return struct.pack(">I", len(data)) + name + data + struct.pack(">I", zlib.crc32(name + data) & 0xFFFFFFFF)


def png(width, height, colour_type, rows, palette=None):
    data = b"".join(b"\0" + row for row in rows)
    head = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    extra = chunk(b"PLTE", b"".join(bytes(c) for c in palette)) if palette else b""
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) + extra + chunk(b"IDAT", zlib.compress(data))
            + chunk(b"IEND", b""))


def stripes(path, width, height):
    rows = [bytes((40 + 60 * (y % 3), 90 + 50 * (y % 3), 160) * width) for y in range(height)]
    open(path, "wb").write(png(width, height, 2, rows))


def soft(path, width, height):
    shade = lambda y: int(120 + 40 * math.sin(y / 10.0))
    rows = [bytes((shade(y) // 2, shade(y), 200) * width) for y in range(height)]
    open(path, "wb").write(png(width, height, 2, rows))


def region(path, width, height, kind, x0, y0, x1, y1, value, bad=None):
    inside = lambda x, y: x0 <= x < x1 and y0 <= y < y1
    if kind == "palette":
        palette = [(255 - 20 * k,) * 3 for k in range(10)]
        pixel = lambda x, y: bytes((value if inside(x, y) else 0,))
        if bad:
            pixel = (lambda p: lambda x, y: bytes((bad[2],)) if (x, y) == bad[:2] else p(x, y))(pixel)
        rows = [b"".join(pixel(x, y) for x in range(width)) for y in range(height)]
        open(path, "wb").write(png(width, height, 3, rows, palette))
        return
    alpha = kind == "rgba"
    empty = (255, 255, 255, 0) if alpha else (0, 0, 0)
    water = REGION_COLOURS[value] + ((255,) if alpha else ())
    def pixel(x, y):
        if bad and (x, y) == bad[:2]:
            return bytes(int(bad[2][i:i + 2], 16) for i in (1, 3, 5)) + (b"\xff" if alpha else b"")
        return bytes(water if inside(x, y) else empty)
    rows = [b"".join(pixel(x, y) for x in range(width)) for y in range(height)]
    open(path, "wb").write(png(width, height, 6 if alpha else 2, rows))


def stored_pictures(path):
    data = open(path, "rb").read()
    at = 8
    def counted():
        nonlocal at
        size = struct.unpack_from("<i", data, at)[0]
        at += 4 + size
        return data[at - size:at]
    counted(), counted()
    thumbnail = counted()
    at += 4 + 4 * 32
    runs = struct.unpack_from("<i", data, at)[0]
    at += 4 + 4 * runs
    return thumbnail, counted()


def stored(original, rebuilt, folder):
    pictures = stored_pictures(original)
    assert pictures == stored_pictures(rebuilt), "the rebuilt project's JPEG bytes differ"
    files = tuple(open(f"{folder}/{name}", "rb").read() for name in ("thumbnail.jpg", "background.jpg"))
    assert files == pictures, "the extracted JPEG files differ from the stored bytes"
    assert len(pictures[0]) > 100 and len(pictures[1]) > 1000


def moved(width, height, rect, first_frame, frames):
    x0, y0, x1, y1 = (int(v) for v in rect.split(","))
    first = open(first_frame, "rb").read()
    changed = set()
    for path in frames:
        frame = open(path, "rb").read()
        assert len(frame) == len(first) == width * height * 3, "sizes differ"
        changed.update(i // 3 for i in range(0, len(first), 3) if frame[i:i + 3] != first[i:i + 3])
    outside = sorted(i for i in changed if not (x0 <= i % width < x1 and y0 <= i // width < y1))
    area = (x1 - x0) * (y1 - y0)
    print(f"{len(changed)} of the region's {area} pixels moved, {len(outside)} outside it")
    assert not outside, f"pixel ({outside[0] % width}, {outside[0] // width}) outside the region moved"
    assert len(changed) * 2 >= area, "the water hardly moves"


if __name__ == "__main__":
    command, args = sys.argv[1], sys.argv[2:]
    if command in ("stripes", "soft"):
        (stripes if command == "stripes" else soft)(args[0], int(args[1]), int(args[2]))
    elif command == "region":
        bad = None
        if len(args) > 9:
            value = args[12] if args[3] != "palette" else int(args[12])
            bad = (int(args[10]), int(args[11]), value)
        region(args[0], int(args[1]), int(args[2]), args[3], *(int(v) for v in args[4:9]), bad)
    elif command == "stored":
        stored(*args)
    elif command == "moved":
        moved(int(args[0]), int(args[1]), args[2], args[3], args[4:])
    else:
        sys.exit("unknown command " + command)
