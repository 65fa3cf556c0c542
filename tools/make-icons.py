#!/usr/bin/env python3
"""Draws the program icons: one SVG and PNGs of every size from the same shapes.

    tools/make-icons.py [output folder, default data/icons]

The shapes are given on a 256-unit square. The PNGs are rasterised here
(4 x 4 samples per pixel), so nothing beyond Python is needed; the results
are kept in the repository and installed from there.
"""
import math
import os
import struct
import sys
import zlib

SIZES = [16, 22, 24, 32, 48, 64, 128, 256]


def rrect(x, y, w, h, r, color):
    return ("rrect", (x, y, w, h, r), color)


def circle(cx, cy, r, color):
    return ("circle", (cx, cy, r), color)


def line(points, width, color):
    return ("line", (points, width), color)


def polygon(points, color):
    return ("polygon", (points,), color)


BACK = "#f4f1e8"
ICONS = {
    # A chart of rankings: bars and a rising line that ends in a dot.
    "corvane": [
        rrect(16, 16, 224, 224, 44, "#1d4e74"),
        rrect(52, 150, 32, 54, 6, "#7fb3d5"),
        rrect(104, 118, 32, 86, 6, "#7fb3d5"),
        rrect(156, 86, 32, 118, 6, "#7fb3d5"),
        line([(48, 132), (104, 96), (146, 110), (200, 60)], 16, "#f5a623"),
        circle(200, 60, 18, "#f5a623"),
    ],
    # Results gathered: an arrow into a tray.
    "harvester": [
        rrect(16, 16, 224, 224, 44, "#2f6b3a"),
        rrect(118, 48, 20, 92, 4, BACK),
        polygon([(84, 126), (172, 126), (128, 174)], BACK),
        line([(60, 160), (60, 204), (196, 204), (196, 160)], 18, "#f5a623"),
    ],
    # The schedule: a clock face.
    "cvschedule": [
        rrect(16, 16, 224, 224, 44, "#5b3f7a"),
        circle(128, 132, 82, BACK),
        circle(128, 132, 66, "#ffffff"),
        line([(128, 132), (128, 84)], 14, "#5b3f7a"),
        line([(128, 132), (164, 152)], 14, "#5b3f7a"),
        circle(128, 132, 12, "#f5a623"),
    ],
}


def rgb(color):
    return tuple(int(color[i:i + 2], 16) for i in (1, 3, 5))


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length = dx * dx + dy * dy
    t = 0.0 if length == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length))
    cx, cy = ax + t * dx, ay + t * dy
    return math.hypot(px - cx, py - cy)


def inside(shape, x, y):
    kind, args, _ = shape
    if kind == "rrect":
        rx, ry, w, h, r = args
        if x < rx or y < ry or x > rx + w or y > ry + h:
            return False
        cx = min(max(x, rx + r), rx + w - r)
        cy = min(max(y, ry + r), ry + h - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    if kind == "circle":
        cx, cy, r = args
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    if kind == "line":
        points, width = args
        return any(segment_distance(x, y, *points[i], *points[i + 1]) <= width / 2
                   for i in range(len(points) - 1))
    if kind == "polygon":
        (points,) = args
        result = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    raise ValueError(kind)


def bounds(shape):
    kind, args, _ = shape
    if kind == "rrect":
        x, y, w, h, _ = args
        return x, y, x + w, y + h
    if kind == "circle":
        cx, cy, r = args
        return cx - r, cy - r, cx + r, cy + r
    if kind == "line":
        points, width = args
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        return min(xs) - width, min(ys) - width, max(xs) + width, max(ys) + width
    (points,) = args
    return min(p[0] for p in points), min(p[1] for p in points), max(p[0] for p in points), max(p[1] for p in points)


def render(shapes, size, samples=4):
    pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]  # premultiplied
    scale = 256.0 / size
    for shape in shapes:
        color = rgb(shape[2])
        x0, y0, x1, y1 = bounds(shape)
        for py in range(max(0, int(y0 / scale) - 1), min(size, int(y1 / scale) + 2)):
            for px in range(max(0, int(x0 / scale) - 1), min(size, int(x1 / scale) + 2)):
                hits = 0
                for sy in range(samples):
                    for sx in range(samples):
                        if inside(shape, (px + (sx + 0.5) / samples) * scale, (py + (sy + 0.5) / samples) * scale):
                            hits += 1
                if hits:
                    a = hits / (samples * samples)
                    p = pixels[py * size + px]
                    for c in range(3):
                        p[c] = color[c] * a + p[c] * (1 - a)
                    p[3] = a + p[3] * (1 - a)
    rows = bytearray()
    for py in range(size):
        rows.append(0)
        for px in range(size):
            r, g, b, a = pixels[py * size + px]
            if a > 0:
                rows += bytes((round(r / a), round(g / a), round(b / a), round(a * 255)))
            else:
                rows += b"\0\0\0\0"
    return rows


def png(size, rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b"")


def svg(shapes):
    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">']
    for kind, args, color in shapes:
        if kind == "rrect":
            x, y, w, h, r = args
            out.append(f'  <rect x="{x}" y="{y}" width="{w}" height="{h}" rx="{r}" fill="{color}"/>')
        elif kind == "circle":
            cx, cy, r = args
            out.append(f'  <circle cx="{cx}" cy="{cy}" r="{r}" fill="{color}"/>')
        elif kind == "line":
            points, width = args
            text = " ".join(f"{x},{y}" for x, y in points)
            out.append(f'  <polyline points="{text}" fill="none" stroke="{color}" stroke-width="{width}" '
                       'stroke-linecap="round" stroke-linejoin="round"/>')
        else:
            (points,) = args
            text = " ".join(f"{x},{y}" for x, y in points)
            out.append(f'  <polygon points="{text}" fill="{color}"/>')
    out.append("</svg>")
    return "\n".join(out) + "\n"


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "data", "icons")
    for name, shapes in ICONS.items():
        os.makedirs(os.path.join(folder, "scalable"), exist_ok=True)
        with open(os.path.join(folder, "scalable", name + ".svg"), "w") as f:
            f.write(svg(shapes))
        for size in SIZES:
            sub = os.path.join(folder, f"{size}x{size}")
            os.makedirs(sub, exist_ok=True)
            with open(os.path.join(sub, name + ".png"), "wb") as f:
                f.write(png(size, render(shapes, size)))


if __name__ == "__main__":
    main()
