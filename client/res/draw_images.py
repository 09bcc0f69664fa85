#!/usr/bin/env python3
"""Draws the client's picture resources once; the results are committed.

toolbar/*.bmp  38x38 toolbar pictograms, pure white = transparent
lamp_green.*, lamp_red.*  64x64 status lamps of the realtime view (.bmp to
look at, .xpm compiled into the program; white / None = transparent)

Run from anywhere: python3 client/res/draw_images.py
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
WHITE = (255, 255, 255)
STROKE = (250, 250, 250)    # not pure white: that is the mask colour
ACCENT = (255, 214, 0)


def write_bmp(path, w, h, pixels):
    row = (w * 3 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytearray()
        for x in range(w):
            r, g, b = pixels[y][x]
            line += bytes((b, g, r))
        line += b"\0" * (row - w * 3)
        data += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def write_xpm(path, name, w, h, pixels):
    colours = {}
    for row in pixels:
        for p in row:
            colours.setdefault(p, None)
    chars = "".join(chr(c) for c in range(35, 127) if chr(c) not in '"\\')
    keys = {}
    for i, c in enumerate(sorted(colours)):
        keys[c] = chars[i // len(chars)] + chars[i % len(chars)]
    lines = ['/* XPM */', 'static const char* const %s[] = {' % name,
             '"%d %d %d 2",' % (w, h, len(keys))]
    for c, k in keys.items():
        spec = "None" if c == WHITE else "#%02X%02X%02X" % c
        lines.append('"%s c %s",' % (k, spec))
    for y, row in enumerate(pixels):
        lines.append('"%s"%s' % ("".join(keys[p] for p in row), "," if y < h - 1 else ""))
    lines.append("};")
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


def render(size, paint, ss=4):
    """paint(x, y) -> colour or None at a sample point; majority of samples wins."""
    out = []
    for py in range(size):
        row = []
        for px in range(size):
            votes = {}
            for sy in range(ss):
                for sx in range(ss):
                    c = paint(px + (sx + 0.5) / ss, py + (sy + 0.5) / ss)
                    votes[c] = votes.get(c, 0) + 1
            best = max(votes.items(), key=lambda kv: kv[1])[0]
            row.append(WHITE if best is None else best)
        out.append(row)
    return out


def seg(x, y, x0, y0, x1, y1):
    dx, dy = x1 - x0, y1 - y0
    t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy or 1)))
    return math.hypot(x - x0 - t * dx, y - y0 - t * dy)


def line(x, y, pts, w):
    return any(seg(x, y, *pts[i], *pts[i + 1]) <= w / 2 for i in range(len(pts) - 1))


def ring(x, y, cx, cy, r, w):
    return abs(math.hypot(x - cx, y - cy) - r) <= w / 2


def rect_stroke(x, y, x0, y0, x1, y1, w):
    return line(x, y, [(x0, y0), (x1, y0), (x1, y1), (x0, y1), (x0, y0)], w)


def box(x, y, x0, y0, x1, y1):
    return x0 <= x <= x1 and y0 <= y <= y1


# --- toolbar pictograms (38x38) ---
def realtime(x, y):
    if line(x, y, [(9, 22), (14, 22), (17, 12), (21, 28), (24, 18), (29, 18)], 2.4):
        return ACCENT
    if rect_stroke(x, y, 5, 6, 33, 30, 2.6) or box(x, y, 15, 31, 23, 34):
        return STROKE
    return None


def history(x, y):
    if line(x, y, [(19, 9.5), (19, 19), (26, 23)], 2.8):
        return ACCENT
    if ring(x, y, 19, 19, 13, 2.8):
        return STROKE
    return None


def statistics(x, y):
    for x0, top, c in ((10, 20, STROKE), (17, 11, ACCENT), (24, 16, STROKE)):
        if box(x, y, x0, top, x0 + 5, 30):
            return c
    if line(x, y, [(6, 6), (6, 32), (33, 32)], 2.4):
        return STROKE
    return None


def debug(x, y):
    if line(x, y, [(10, 14), (16, 19), (10, 24)], 2.6) or line(x, y, [(19, 25), (27, 25)], 2.6):
        return ACCENT
    if rect_stroke(x, y, 4, 7, 34, 31, 2.6) or box(x, y, 4, 7, 34, 10):
        return STROKE
    return None


def datapoint(x, y):
    for row in (13, 20, 27):
        if math.hypot(x - 11, y - row) <= 2.3:
            return ACCENT
        if line(x, y, [(16, row), (29, row)], 2.4):
            return STROKE
    if rect_stroke(x, y, 5, 6, 33, 33, 2.4):
        return STROKE
    return None


def about(x, y):
    if math.hypot(x - 19, y - 11.5) <= 2.4 or box(x, y, 17.4, 16, 20.6, 28):
        return ACCENT
    if ring(x, y, 19, 19, 14, 2.8):
        return STROKE
    return None


def exit_(x, y):
    if line(x, y, [(19, 5), (19, 18)], 3.0):
        return ACCENT
    angle = math.degrees(math.atan2(x - 19, -(y - 20)))  # 0 at the top
    if abs(angle) > 38 and ring(x, y, 19, 20, 12, 3.0):
        return STROKE
    return None


# --- lamps (64x64) ---
def lamp(base, dark, light):
    def paint(x, y):
        cx, cy, r = 32, 32, 28
        d = math.hypot(x - cx, y - cy)
        if d > r:
            return None
        if d > r - 2.5:
            return tuple(int(c * 0.55) for c in dark)
        # light from the upper left
        hx, hy = cx - 9, cy - 10
        t = min(1.0, math.hypot(x - hx, y - hy) / (r * 1.55))
        c = tuple(int(light[i] * (1 - t) + dark[i] * t) for i in range(3))
        if math.hypot((x - (cx - 8)) / 1.4, y - (cy - 13)) < 6:
            c = tuple(min(254, int(v * 0.3 + 254 * 0.7)) for v in c)
        # quantise so the image keeps a modest palette
        return tuple(min(254, (v // 6) * 6) for v in c)
    return paint


def main():
    icons = {"realtime": realtime, "history": history, "statistics": statistics, "debug": debug,
             "datapoint": datapoint, "about": about, "exit": exit_}
    for name, paint in icons.items():
        write_bmp(os.path.join(HERE, "toolbar", name + ".bmp"), 38, 38, render(38, paint))
    lamps = {"green": lamp((0, 190, 0), (0, 110, 20), (150, 255, 120)),
             "red": lamp((220, 0, 0), (150, 0, 0), (255, 140, 120))}
    for name, paint in lamps.items():
        px = render(64, paint, ss=3)
        write_bmp(os.path.join(HERE, "lamp_%s.bmp" % name), 64, 64, px)
        write_xpm(os.path.join(HERE, "lamp_%s.xpm" % name), "lamp_%s_xpm" % name, 64, 64, px)


if __name__ == "__main__":
    main()
