#!/usr/bin/env python3
"""Draws the saver's Windows cursor and icon and writes them as .cur/.ico.

    wingfx.py OUTDIR     writes OUTDIR/move.cur and OUTDIR/mosvik.ico

move.cur: cursor 129, a 32 x 32 monochrome four-headed move arrow (black
with a white outline, hot spot 15, 15). mosvik.ico: icon 128, one jigsaw
piece at 16, 32 and 48 pixels, 32-bit with alpha (plus the AND mask older
systems read). Both are drawn from geometry here, so the files in
src/resources can be remade byte for byte; the output is deterministic.
Python 3 standard library only.
"""
import math
import os
import struct
import sys

CURSOR_SIZE = 32
HOT_SPOT = (15, 15)
ICON_SIZES = (16, 32, 48)


# ---------------------------------------------------------------- cursor

def move_arrow_core():
    """Black pixels of the arrow: a one-pixel cross with four heads."""
    cx, cy = HOT_SPOT
    reach = 14      # tip distance from the centre
    head = 5        # rows in each arrow head
    black = set()
    for d in range(-reach, reach + 1):
        black.add((cx + d, cy))
        black.add((cx, cy + d))
    for row in range(head):
        half = row
        for k in range(-half, half + 1):
            black.add((cx + k, cy - reach + row))   # up
            black.add((cx + k, cy + reach - row))   # down
            black.add((cx - reach + row, cy + k))   # left
            black.add((cx + reach - row, cy + k))   # right
    return black


def cursor_masks():
    """(xor, and) bit rows, top row first: black core, white outline."""
    black = move_arrow_core()
    white = set()
    for (x, y) in black:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                p = (x + dx, y + dy)
                if p not in black:
                    white.add(p)
    xor_rows, and_rows = [], []
    for y in range(CURSOR_SIZE):
        xr, ar = [], []
        for x in range(CURSOR_SIZE):
            if (x, y) in black:
                xr.append(0); ar.append(0)
            elif (x, y) in white:
                xr.append(1); ar.append(0)
            else:
                xr.append(0); ar.append(1)   # transparent
        xor_rows.append(xr)
        and_rows.append(ar)
    return xor_rows, and_rows


def pack_bits(rows):
    """1-bit rows, bottom row first, each padded to 4 bytes."""
    out = bytearray()
    for bits in reversed(rows):
        row = bytearray((len(bits) + 7) // 8)
        for i, b in enumerate(bits):
            if b:
                row[i // 8] |= 0x80 >> (i % 8)
        row += bytes((-len(row)) % 4)
        out += row
    return bytes(out)


def bitmap_info(width, height, bits, image_size, colours):
    # The height counts both masks, as icon and cursor images do.
    return struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, bits, 0, image_size, 0, 0, colours, 0)


def make_cursor():
    xor_rows, and_rows = cursor_masks()
    xor_bits, and_bits = pack_bits(xor_rows), pack_bits(and_rows)
    palette = struct.pack('<BBBBBBBB', 0, 0, 0, 0, 255, 255, 255, 0)   # black, white
    image = bitmap_info(CURSOR_SIZE, CURSOR_SIZE, 1, len(xor_bits) + len(and_bits), 2) + palette + xor_bits + and_bits
    header = struct.pack('<HHH', 0, 2, 1)                                 # type 2: cursor
    entry = struct.pack('<BBBBHHII', CURSOR_SIZE, CURSOR_SIZE, 2, 0, HOT_SPOT[0], HOT_SPOT[1], len(image), 6 + 16)
    return header + entry + image


# ------------------------------------------------------------------ icon

def piece_sdf(u, v):
    """Signed distance (unit square coordinates) to one jigsaw piece:
    a square body with knobs out at the top and right, sockets at the
    bottom and left. Negative inside."""
    lo, hi, r, off = 0.22, 0.78, 0.12, 0.07
    dx = max(lo - u, u - hi, 0.0)
    dy = max(lo - v, v - hi, 0.0)
    inside = min(max(lo - u, u - hi, lo - v, v - hi), 0.0)
    body = math.hypot(dx, dy) + inside

    def circle(cx, cy):
        return math.hypot(u - cx, v - cy) - r

    shape = min(body, circle(0.5, lo - off), circle(hi + off, 0.5))
    shape = max(shape, -circle(0.5, hi - off), -circle(lo + off, 0.5))
    return shape


def icon_pixels(size):
    """BGRA rows, top row first."""
    top = (70, 170, 230)      # fill colour at the top (r, g, b)
    bottom = (20, 90, 170)    # ... and at the bottom
    edge = (10, 40, 80)
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            u, v = (x + 0.5) / size, (y + 0.5) / size
            d = piece_sdf(u, v) * size                  # in pixels
            cover = min(max(0.5 - d, 0.0), 1.0)
            t = v
            fill = [round(a + (b - a) * t) for a, b in zip(top, bottom)]
            # a dark rim about one pixel wide inside the outline
            rim = min(max(d + 1.5, 0.0), 1.0) if size >= 24 else min(max(d + 1.0, 0.0), 1.0)
            colour = [round(f + (e - f) * rim) for f, e in zip(fill, edge)]
            alpha = round(cover * 255)
            if alpha == 0:
                colour = [0, 0, 0]
            row.append((colour[2], colour[1], colour[0], alpha))
        rows.append(row)
    return rows


def make_icon_image(size):
    rows = icon_pixels(size)
    xor = bytearray()
    for row in reversed(rows):
        for px in row:
            xor += bytes(px)
    and_bits = pack_bits([[1 if px[3] == 0 else 0 for px in row] for row in rows])
    return bitmap_info(size, size, 32, len(xor) + len(and_bits), 0) + bytes(xor) + and_bits


def make_icon():
    images = [make_icon_image(s) for s in ICON_SIZES]
    header = struct.pack('<HHH', 0, 1, len(images))                      # type 1: icon
    offset = 6 + 16 * len(images)
    entries = b''
    for s, img in zip(ICON_SIZES, images):
        entries += struct.pack('<BBBBHHII', s % 256, s % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    return header + entries + b''.join(images)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    outdir = argv[1]
    with open(os.path.join(outdir, 'move.cur'), 'wb') as f:
        f.write(make_cursor())
    with open(os.path.join(outdir, 'mosvik.ico'), 'wb') as f:
        f.write(make_icon())
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
