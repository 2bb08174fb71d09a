#!/usr/bin/env python3
"""Draws the restore program's icon, pellim.ico (32 x 32 and 16 x 16): a green arrow
turning back over a registry key block. Reuses the drawing and file writers of the
main program's art generator. Run it to rewrite the file, with --check to compare."""
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', '..', 'resources', 'art'))
import make_art  # noqa: E402

BLUE = (40, 90, 200)
LIGHT_BLUE = (150, 190, 250)
GREEN = (20, 150, 60)
DARK_GREEN = (10, 90, 30)


def arrow(c, cx, cy, radius, width, colour, head):
    """Three quarters of a ring, open at the top right, with a head at its start."""
    for y in range(c.height):
        for x in range(c.width):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            angle = math.degrees(math.atan2(cy - (y + 0.5), x + 0.5 - cx)) % 360
            if radius - width <= d <= radius and not (0 <= angle <= 80):
                c.put(x, y, colour)
    tip_x, tip_y = cx + radius - width / 2, cy
    for dy in range(head + 1):
        for dx in range(-dy, dy + 1):
            c.put(int(tip_x + dx), int(tip_y - head + dy), colour)


def icon(size):
    c = make_art.Canvas(size, size, None)
    s = size / 32
    c.fill(int(4 * s), int(14 * s), int(20 * s), int(28 * s), BLUE)
    c.fill(int(6 * s), int(16 * s), int(18 * s), int(26 * s), LIGHT_BLUE)
    arrow(c, 18 * s, 13 * s, 11 * s, max(2, int(4 * s)), GREEN, max(2, int(5 * s)))
    return c


def main(argv):
    data = make_art.ico_bytes([icon(32), icon(16)])
    path = os.path.join(HERE, 'pellim.ico')
    if '--check' in argv[1:]:
        with open(path, 'rb') as f:
            return 0 if f.read() == data else 1
    with open(path, 'wb') as f:
        f.write(data)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
