#!/usr/bin/env python3
"""Draws the pictures of the list window's menu items as one strip of 16-pixel images on
magenta, which stands for transparent, and writes it as a 24-bit bitmap; the same strip at 20,
24 and 32 pixels goes beside it as OUTPUT_20.bmp and so on, for scaled monitors.

    make_menu_images.py OUTPUT.bmp

The images are in the order of the commands they stand for: remove from the list (a waste bin),
read / unread (an opened envelope with a check), open in the editor (a page and a pencil), open
a link (a globe), copy (two pages), start the mail program (an envelope leaving) and about (an
"i" in a disc).
"""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_icons import LIST_SIZES, disc, envelope, rgb, strip_bmp, stroke, write  # noqa: E402


def box(left, top, right, bottom, fill, edge=None, edge_width=0.07):
    def shape(x, y):
        if not (left <= x <= right and top <= y <= bottom):
            return None
        inner = min(x - left, right - x, y - top, bottom - y)
        return rgb(edge) if edge is not None and inner < edge_width else rgb(fill)
    return shape


def ring(cx, cy, r, width, colour):
    def shape(x, y):
        return rgb(colour) if abs(math.hypot(x - cx, y - cy) - r) <= width / 2 else None
    return shape


def clipped(shape, cx, cy, r):
    """The shape only inside a disc, for the lines of the globe."""
    def inside(x, y):
        return shape(x, y) if math.hypot(x - cx, y - cy) <= r else None
    return inside


def page(left, top, right, bottom, lines=True):
    shapes = [box(left, top, right, bottom, 0xFFFFFF, 0x546E7A)]
    if lines:
        y = top + 0.2
        while y < bottom - 0.12:
            shapes.append(stroke([(left + 0.12, y), (right - 0.12, y)], 0.06, 0x90A4AE))
            y += 0.16
    return shapes


def pictures():
    bin_edge = 0x455A64
    yield [box(0.24, 0.3, 0.76, 0.92, 0xB0BEC5, bin_edge),
           stroke([(0.14, 0.22), (0.86, 0.22)], 0.1, bin_edge),
           stroke([(0.4, 0.12), (0.6, 0.12)], 0.09, bin_edge)] + [
        stroke([(x, 0.42), (x, 0.8)], 0.06, bin_edge) for x in (0.4, 0.6)]
    yield [envelope(body=0xE3F2FD),
           disc(0.72, 0.72, 0.26, 0x43A047, 0xFFFFFF),
           stroke([(0.6, 0.72), (0.69, 0.81), (0.84, 0.62)], 0.09, 0xFFFFFF)]
    yield page(0.1, 0.06, 0.7, 0.94) + [
        stroke([(0.48, 0.86), (0.9, 0.34)], 0.16, 0xF9A825),
        stroke([(0.84, 0.41), (0.9, 0.34)], 0.16, 0xE57373),
        stroke([(0.44, 0.91), (0.49, 0.85)], 0.1, 0x37474F)]
    globe = [disc(0.5, 0.5, 0.42, 0x64B5F6, 0x1565C0)]
    for shape in (stroke([(0.08, 0.5), (0.92, 0.5)], 0.06, 0x1565C0),
                  stroke([(0.5, 0.08), (0.5, 0.92)], 0.06, 0x1565C0),
                  ring(0.5, 0.5 + 0.55, 0.72, 0.06, 0x1565C0),
                  ring(0.5, 0.5 - 0.55, 0.72, 0.06, 0x1565C0)):
        globe.append(clipped(shape, 0.5, 0.5, 0.42))
    yield globe
    yield page(0.08, 0.06, 0.6, 0.7, lines=False) + page(0.36, 0.3, 0.9, 0.94)
    yield [envelope(),
           stroke([(0.5, 0.76), (0.94, 0.76)], 0.12, 0x2E7D32),
           stroke([(0.8, 0.6), (0.95, 0.76), (0.8, 0.92)], 0.12, 0x2E7D32)]
    yield [disc(0.5, 0.5, 0.44, 0x1E88E5, 0x0D47A1),
           disc(0.5, 0.27, 0.08, 0xFFFFFF),
           stroke([(0.5, 0.44), (0.5, 0.76)], 0.14, 0xFFFFFF)]


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: make_menu_images.py OUTPUT.bmp')
    path = sys.argv[1]
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    stem, ext = os.path.splitext(path)
    for size in LIST_SIZES:
        write(path if size == 16 else '%s_%d%s' % (stem, size, ext),
              strip_bmp(list(pictures()), size))


if __name__ == '__main__':
    main()
