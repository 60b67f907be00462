#!/usr/bin/env python3
"""What a screenshot of an output shows, for the Wayland tests.

    look.py FILE.png

Prints "WIDTH HEIGHT COLOURS BACKGROUND EVEN ODD": the size, the number of
distinct colours, the pixels of the desktop's background (#203040), and,
over every other row, how many pixels differ from their right neighbour in
even and in odd columns (a picture scaled up twice differs only between
pixel pairs, so one of the two counts is then near 0)."""
import subprocess
import sys

BACKGROUND = bytes((0x20, 0x30, 0x40))


def main():
    path = sys.argv[1]
    w, h = (int(v) for v in subprocess.check_output(['convert', path, '-format', '%w %h', 'info:']).split())
    data = subprocess.check_output(['convert', path, '-depth', '8', 'rgb:-'])
    pixels = [data[i:i + 3] for i in range(0, w * h * 3, 3)]
    colours = len(set(pixels))
    background = pixels.count(BACKGROUND)
    diff = [0, 0]
    for y in range(0, h, 2):
        row = pixels[y * w:(y + 1) * w]
        for x in range(w - 1):
            if row[x] != row[x + 1]:
                diff[x & 1] += 1
    print(w, h, colours, background, diff[0], diff[1])


if __name__ == '__main__':
    main()
