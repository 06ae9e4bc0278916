#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files (32-bit, one image per size a tray
or a title bar asks for from 100 % to 200 % scaling), and the message list's small pictures.

    make_icons.py OUTPUT_DIR

Every picture is drawn here from simple shapes, so the icons are the program's own: an
envelope, and a badge that tells the state (a check mark, a red cross, a growing star for new
mail, a dot going round while mail is received). The message list gets a strip of eight 16-pixel
pictures on magenta, which stands for transparent (list_images.bmp: a paper clip, an
exclamation mark, envelopes, marks), and its remove and attachment buttons, plain and pressed
(list_remove.ico, list_remove_pressed.ico, list_attachment.ico, list_attachment_pressed.ico).
The strip is drawn at every size of LIST_SIZES (list_images.bmp at 16 pixels, list_images_N.bmp
at N), so that a list on a scaled monitor gets sharp pictures, not stretched ones.

Every tray icon also comes as NAME_light.ico for a light task bar, where the pale envelope and
the white rings of the badges would melt into the bar: a thick near-black outline and dark rings.
"""
import math
import os
import struct
import sys

SUPERSAMPLE = 4
# SM_CXSMICON at 96, 120, 144 and 192 DPI, and the large icon's size.
TRAY_SIZES = (16, 20, 24, 32, 48)
LIST_SIZES = (16, 20, 24, 32)


def blend(dst, src):
    sr, sg, sb, sa = src
    if sa <= 0:
        return dst
    dr, dg, db, da = dst
    oa = sa + da * (1 - sa)
    if oa <= 0:
        return (0.0, 0.0, 0.0, 0.0)
    return ((sr * sa + dr * da * (1 - sa)) / oa, (sg * sa + dg * da * (1 - sa)) / oa,
            (sb * sa + db * da * (1 - sa)) / oa, oa)


def rgb(hex_colour, alpha=1.0):
    return ((hex_colour >> 16 & 255) / 255, (hex_colour >> 8 & 255) / 255,
            (hex_colour & 255) / 255, alpha)


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


# Shapes: each is a function (x, y) -> colour or None, in a 0..1 square.
def envelope(body=0xFFF8E7, edge=0x37474F, line=0.045):
    left, right, top, bottom = 0.06, 0.80, 0.22, 0.78

    def shape(x, y):
        if not (left <= x <= right and top <= y <= bottom):
            return None
        near_border = min(x - left, right - x, y - top, bottom - y) < line
        flap = segment_distance(x, y, left, top, (left + right) / 2, 0.52) < line * 0.8 or \
            segment_distance(x, y, right, top, (left + right) / 2, 0.52) < line * 0.8
        return rgb(edge) if near_border or flap else rgb(body)
    return shape


def disc(cx, cy, r, fill, ring=None, ring_width=0.05):
    def shape(x, y):
        d = math.hypot(x - cx, y - cy)
        if d > r:
            return None
        if ring is not None and d > r - ring_width:
            return rgb(ring)
        return rgb(fill)
    return shape


def stroke(points, width, colour):
    def shape(x, y):
        for (ax, ay), (bx, by) in zip(points, points[1:]):
            if segment_distance(x, y, ax, ay, bx, by) <= width / 2:
                return rgb(colour)
        return None
    return shape


def star(cx, cy, r, fill, edge):
    corners = []
    for i in range(10):
        angle = -math.pi / 2 + i * math.pi / 5
        radius = r if i % 2 == 0 else r * 0.45
        corners.append((cx + radius * math.cos(angle), cy + radius * math.sin(angle)))

    def inside(x, y):
        hit = False
        for (ax, ay), (bx, by) in zip(corners, corners[1:] + corners[:1]):
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                hit = not hit
        return hit

    def shape(x, y):
        if not inside(x, y):
            return None
        near = any(segment_distance(x, y, ax, ay, bx, by) < 0.035
                   for (ax, ay), (bx, by) in zip(corners, corners[1:] + corners[:1]))
        return rgb(edge) if near else rgb(fill)
    return shape


def render(shapes, size):
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    x = (px + (sx + 0.5) / SUPERSAMPLE) / size
                    y = (py + (sy + 0.5) / SUPERSAMPLE) / size
                    colour = (0.0, 0.0, 0.0, 0.0)
                    for shape in shapes:
                        c = shape(x, y)
                        if c is not None:
                            colour = blend(colour, c)
                    acc = [a + c * colour[3] if i < 3 else a + c
                           for i, (a, c) in enumerate(zip(acc, colour))]
            n = SUPERSAMPLE * SUPERSAMPLE
            alpha = acc[3] / n
            if alpha > 0:
                row.append(tuple(round(255 * min(1.0, v / acc[3])) for v in acc[:3]) +
                           (round(255 * alpha),))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    return pixels


def ico_bytes(images):
    """images: list of (size, pixels); returns a .ico file with a 32-bit DIB per size."""
    header = struct.pack('<HHH', 0, 1, len(images))
    entries = b''
    data = b''
    offset = 6 + 16 * len(images)
    for size, pixels in images:
        dib = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        for row in reversed(pixels):
            for r, g, b, a in row:
                dib += struct.pack('<BBBB', b, g, r, a)
        mask_stride = ((size + 31) // 32) * 4
        for row in reversed(pixels):
            bits = 0
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    bits |= 1 << (mask_stride * 8 - 1 - x)
            dib += bits.to_bytes(mask_stride, 'big')
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(dib),
                               offset + len(data))
        data += dib
    return header + entries + data


BADGE_X, BADGE_Y, BADGE_R = 0.72, 0.72, 0.26


DARK_BAR = {'edge': 0x37474F, 'line': 0.045, 'ring': 0xFFFFFF, 'mark': 0xFFFFFF}
LIGHT_BAR = {'edge': 0x101010, 'line': 0.085, 'ring': 0x202020, 'mark': 0xFFFFFF}


def icons(bar=DARK_BAR):
    def base(body=0xFFF8E7):
        return [envelope(body=body, edge=bar['edge'], line=bar['line'])]

    ring = bar['ring']
    check = stroke([(0.61, 0.72), (0.69, 0.81), (0.84, 0.62)], 0.09, bar['mark'])
    yield 'normal', base() + [disc(BADGE_X, BADGE_Y, BADGE_R, 0x1E88E5, ring), check]
    cross = [stroke([(0.63, 0.63), (0.81, 0.81)], 0.09, bar['mark']),
             stroke([(0.81, 0.63), (0.63, 0.81)], 0.09, bar['mark'])]
    yield 'error', base() + [disc(BADGE_X, BADGE_Y, BADGE_R, 0xD32F2F, ring)] + cross
    star_edge = 0xE65100 if bar is DARK_BAR else 0x3E2723
    for i, scale in enumerate([0.55, 0.75, 1.0, 0.75, 0.55], start=1):
        yield f'new{i}', base(0xFFFDE7) + [
            star(BADGE_X, BADGE_Y - 0.02, 0.30 * scale, 0xFFC107, star_edge)]
    for i in range(8):
        angle = -math.pi / 2 + i * math.pi / 4
        dot = disc(BADGE_X + 0.12 * math.cos(angle), BADGE_Y + 0.12 * math.sin(angle), 0.07,
                   bar['mark'])
        yield f'rcv{i + 1}', base() + [disc(BADGE_X, BADGE_Y, BADGE_R, 0x43A047, ring), dot]


def rounded_square(left, top, right, bottom, radius, fill, edge=None, edge_width=0.07):
    def shape(x, y):
        if not (left <= x <= right and top <= y <= bottom):
            return None
        cx = min(max(x, left + radius), right - radius)
        cy = min(max(y, top + radius), bottom - radius)
        d = math.hypot(x - cx, y - cy)
        if d > radius:
            return None
        inner = min(x - left, right - x, y - top, bottom - y)
        if edge is not None and (inner < edge_width or d > radius - edge_width):
            return rgb(edge)
        return rgb(fill)
    return shape


def paper_clip(colour, dx=0.0, dy=0.0):
    points = [(0.64, 0.34), (0.64, 0.72), (0.50, 0.86), (0.36, 0.72), (0.36, 0.24), (0.46, 0.12),
              (0.56, 0.24), (0.56, 0.64)]
    # Tilted, as a clip lies on a page.
    angle = math.radians(30)

    def turned(x, y):
        x, y = x - 0.5, y - 0.5
        return (0.5 + x * math.cos(angle) - y * math.sin(angle) + dx,
                0.5 + x * math.sin(angle) + y * math.cos(angle) + dy)
    return stroke([turned(x, y) for x, y in points], 0.09, colour)


def exclamation(colour):
    return [stroke([(0.5, 0.12), (0.5, 0.52)], 0.2, colour), disc(0.5, 0.82, 0.11, colour)]


def list_pictures():
    """The strip's eight pictures in order; 0, 1 and 6 are those the list shows."""
    yield [paper_clip(0x455A64)]                                   # 0 attachment heading
    yield exclamation(0x607D8B)                                    # 1 importance heading
    yield [envelope()]                                             # 2 a message
    yield [envelope(body=0xE3F2FD)]                                # 3 a read message
    yield [stroke([(0.2, 0.55), (0.42, 0.76), (0.82, 0.28)], 0.14, 0x2E7D32)]  # 4 done
    yield [stroke([(0.3, 0.1), (0.3, 0.92)], 0.1, 0x5D4037),
           rounded_square(0.3, 0.12, 0.82, 0.5, 0.04, 0xE53935)]  # 5 a flag
    yield exclamation(0xD50000)                                    # 6 important
    yield [star(0.5, 0.52, 0.42, 0xFFC107, 0xE65100)]              # 7 new


def list_buttons():
    cross = [(0.36, 0.36), (0.64, 0.64)], [(0.64, 0.36), (0.36, 0.64)]

    def remove(pressed):
        o = 0.06 if pressed else 0.0
        back = 0xB0BEC5 if pressed else 0xECEFF1
        return [rounded_square(0.12 + o, 0.12 + o, 0.88 + o, 0.88 + o, 0.16, back, 0x78909C)] + [
            stroke([(x + o, y + o) for x, y in line], 0.12, 0xC62828) for line in cross]

    def attachment(pressed):
        o = 0.06 if pressed else 0.0
        back = 0xB0BEC5 if pressed else 0xECEFF1
        return [rounded_square(0.12 + o, 0.12 + o, 0.88 + o, 0.88 + o, 0.16, back, 0x78909C),
                paper_clip(0x1565C0, o, o)]

    yield 'list_remove', remove(False)
    yield 'list_remove_pressed', remove(True)
    yield 'list_attachment', attachment(False)
    yield 'list_attachment_pressed', attachment(True)


def hard_edges(pixels):
    """Small pictures on a list read better without half-transparent edges."""
    return [[(r, g, b, 255) if a >= 128 else (0, 0, 0, 0) for r, g, b, a in row] for row in pixels]


def strip_bmp(pictures, size=16):
    """A 24-bit bitmap of the pictures side by side, magenta where nothing is drawn."""
    rendered = [hard_edges(render(shapes, size)) for shapes in pictures]
    width = size * len(rendered)
    stride = (width * 3 + 3) // 4 * 4
    data = b''
    for y in reversed(range(size)):
        row = b''
        for picture in rendered:
            for r, g, b, a in picture[y]:
                row += struct.pack('<BBB', b, g, r) if a else b'\xff\x00\xff'
        data += row + b'\0' * (stride - len(row))
    header = struct.pack('<IiiHHIIiiII', 40, width, size, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return struct.pack('<2sIHHI', b'BM', 14 + len(header) + len(data), 0, 0,
                       14 + len(header)) + header + data


def write(path, data):
    temp = path + '.tmp'
    with open(temp, 'wb') as f:
        f.write(data)
    os.replace(temp, path)


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: make_icons.py OUTPUT_DIR')
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for bar, suffix in ((DARK_BAR, ''), (LIGHT_BAR, '_light')):
        for name, shapes in icons(bar):
            write(os.path.join(out, name + suffix + '.ico'),
                  ico_bytes([(size, render(shapes, size)) for size in TRAY_SIZES]))
    for name, shapes in list_buttons():
        write(os.path.join(out, name + '.ico'),
              ico_bytes([(size, hard_edges(render(shapes, size))) for size in LIST_SIZES]))
    for size in LIST_SIZES:
        name = 'list_images.bmp' if size == 16 else 'list_images_%d.bmp' % size
        write(os.path.join(out, name), strip_bmp(list(list_pictures()), size))


if __name__ == '__main__':
    main()
