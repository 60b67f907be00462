#!/usr/bin/env python3
"""Tells whether a screenshot shows the jigsaw board or the message screen.

    screen_check.py SHOT.ppm [LEFT TOP RIGHT BOTTOM]
    screen_check.py --message SHOT.ppm
    screen_check.py --colour RRGGBB SHOT.ppm

Reads a binary PPM (P6, 8 bits). The first form (optionally cropped) prints
the share of saturated pixels (max - min channel >= 64) and of white
pixels. The saver's background tile is a muted felt and its first screens
are white, so a clearly saturated share means pieces of the test picture
(sky, grass, roofs) are on screen: exit status 0 when that share is at
least 10 % (a revealed board; the plain background or an early reveal stays
below).

--message looks for the test document's yellow message text on the plain
background: exit status 0 when yellow pixels are present, nothing else on
screen is saturated, and the text's bounding box is centred horizontally
(within 2 % of the width) and starts in the upper quarter, as text drawn
centred and top-aligned in the middle three quarters of the screen is.

--colour looks for pieces of a picture of one flat colour: it prints the
share of pixels within 48 of RRGGBB on every channel (the pieces' bevels
shade their edges) and exits 0 when that share is at least 5 %.
"""
import sys

SATURATED_SPREAD = 64
BOARD_SHARE = 0.10
COLOUR_SHARE = 0.05


def read_ppm(path):
    with open(path, 'rb') as f:
        data = f.read()
    fields = []
    pos = 0
    # header: magic, width, height, maxval; '#' comments allowed
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b'#':
            pos = data.index(b'\n', pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    pos += 1
    if fields[0] != b'P6' or int(fields[3]) != 255:
        raise ValueError('not an 8-bit binary PPM')
    w, h = int(fields[1]), int(fields[2])
    if len(data) - pos < w * h * 3:
        raise ValueError('truncated PPM')
    return w, h, data[pos:pos + w * h * 3]


def is_yellow(c0, c1, c2):
    return c0 >= 160 and c1 >= 160 and c2 <= 110 and abs(c0 - c1) <= 60


def check_board(w, h, px, l, t, r, b):
    l, t, r, b = max(l, 0), max(t, 0), min(r, w), min(b, h)
    if l >= r or t >= b:
        print('empty area')
        return 1
    saturated = white = 0
    for y in range(t, b):
        row = px[(y * w + l) * 3:(y * w + r) * 3]
        for i in range(0, len(row), 3):
            c0, c1, c2 = row[i], row[i + 1], row[i + 2]
            if max(c0, c1, c2) - min(c0, c1, c2) >= SATURATED_SPREAD:
                saturated += 1
            elif c0 > 240 and c1 > 240 and c2 > 240:
                white += 1
    n = (r - l) * (b - t)
    print('saturated %.3f white %.3f' % (saturated / n, white / n))
    return 0 if saturated / n >= BOARD_SHARE else 1


def check_message(w, h, px):
    yellow = other = 0
    x0, y0, x1, y1 = w, h, -1, -1
    for y in range(h):
        row = px[y * w * 3:(y + 1) * w * 3]
        for x in range(w):
            c0, c1, c2 = row[3 * x], row[3 * x + 1], row[3 * x + 2]
            if is_yellow(c0, c1, c2):
                yellow += 1
                x0, y0, x1, y1 = min(x0, x), min(y0, y), max(x1, x), max(y1, y)
            elif max(c0, c1, c2) - min(c0, c1, c2) >= SATURATED_SPREAD:
                other += 1
    n = w * h
    if yellow == 0:
        print('no text (other saturated %.4f)' % (other / n))
        return 1
    centre = (x0 + x1) / 2
    print('text %.4f other %.4f box %d %d %d %d' % (yellow / n, other / n, x0, y0, x1 + 1, y1 + 1))
    ok = (yellow / n >= 0.002 and other / n < 0.01 and abs(centre - w / 2) <= 0.02 * w and
          h / 8 - 4 <= y0 < h / 4)
    return 0 if ok else 1


def check_colour(w, h, px, rgb):
    want = (int(rgb[0:2], 16), int(rgb[2:4], 16), int(rgb[4:6], 16))
    near = 0
    for i in range(0, w * h * 3, 3):
        if (abs(px[i] - want[0]) <= 48 and abs(px[i + 1] - want[1]) <= 48 and
                abs(px[i + 2] - want[2]) <= 48):
            near += 1
    print('colour %s %.3f' % (rgb, near / (w * h)))
    return 0 if near / (w * h) >= COLOUR_SHARE else 1


def main(argv):
    if len(argv) == 4 and argv[1] == '--colour':
        w, h, px = read_ppm(argv[3])
        return check_colour(w, h, px, argv[2])
    if len(argv) == 3 and argv[1] == '--message':
        w, h, px = read_ppm(argv[2])
        return check_message(w, h, px)
    if len(argv) not in (2, 6):
        sys.stderr.write(__doc__)
        return 2
    w, h, px = read_ppm(argv[1])
    l, t, r, b = (int(v) for v in argv[2:6]) if len(argv) == 6 else (0, 0, w, h)
    return check_board(w, h, px, l, t, r, b)


if __name__ == '__main__':
    sys.exit(main(sys.argv))
