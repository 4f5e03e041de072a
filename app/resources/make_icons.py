#!/usr/bin/env python3
"""Draws the application icon at every size the window and the About box use and writes
one PNG per size into icons/, and the same drawing as a scalable SVG (icons/veltra.svg) for
the desktop's icon theme. Only the standard library is needed, so anyone can rebuild
the images: python3 app/resources/make_icons.py

The artwork: a blue tile with a photograph on it and a magnifying glass over the
photograph, because the program looks at what a picture file really holds. Each size is
drawn afresh from the shapes (supersampled), not scaled down from the largest, so the
small icons stay sharp.
"""

import math
import os
import struct
import zlib

SIZES = (16, 24, 32, 48, 64, 72, 80, 96, 128, 256)
HERE = os.path.dirname(os.path.abspath(__file__))


def rounded_rect(x0, y0, x1, y1, radius):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        dx = max(x0 + radius - x, 0.0, x - (x1 - radius))
        dy = max(y0 + radius - y, 0.0, y - (y1 - radius))
        return dx * dx + dy * dy <= radius * radius
    return inside


def circle(cx, cy, radius):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def ring(cx, cy, outer, inner):
    def inside(x, y):
        d = (x - cx) ** 2 + (y - cy) ** 2
        return inner * inner <= d <= outer * outer
    return inside


def polygon(*points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def thick_line(ax, ay, bx, by, width):
    length2 = (bx - ax) ** 2 + (by - ay) ** 2

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - ax) * (bx - ax) + (y - ay) * (by - ay)) / length2))
        px, py = ax + t * (bx - ax), ay + t * (by - ay)
        return (x - px) ** 2 + (y - py) ** 2 <= (width / 2) ** 2
    return inside


# The drawing, in paint order, in coordinates where the icon spans 0 to 1. Each row is
# (shape, its parameters, fill, opacity, smallest size that shows it). A fill is an RGB
# triple or ("vertical gradient", top colour, bottom colour) across the whole icon.
# Both the PNGs and the scalable SVG are made from these rows, so they are one drawing.
DRAWING = (
    # The blue tile, lighter at the top and deeper at the bottom.
    ("rounded_rect", (0.03, 0.03, 0.97, 0.97, 0.18),
     ("vertical gradient", (52, 120, 196), (22, 58, 112)), 1.0, 0),
    # The photograph: a white border, the sky, the sun (too small to see below 32 pixels)
    # and the hills.
    ("rounded_rect", (0.14, 0.16, 0.74, 0.68, 0.04), (250, 250, 250), 1.0, 0),
    ("rounded_rect", (0.18, 0.20, 0.70, 0.64, 0.01), (178, 220, 250), 1.0, 0),
    ("circle", (0.57, 0.31, 0.055), (255, 208, 64), 1.0, 32),
    ("polygon", ((0.18, 0.64), (0.33, 0.39), (0.45, 0.54), (0.54, 0.44), (0.70, 0.64)),
     (64, 150, 80), 1.0, 0),
    # The magnifying glass: a faint lens, its rim and its handle.
    ("circle", (0.62, 0.60, 0.17), (255, 255, 255), 0.30, 0),
    ("ring", (0.62, 0.60, 0.21, 0.15), (245, 190, 60), 1.0, 0),
    ("thick_line", (0.77, 0.75, 0.90, 0.88, 0.10), (245, 190, 60), 1.0, 0),
)

INSIDE_TESTS = {
    "rounded_rect": rounded_rect,
    "circle": circle,
    "ring": ring,
    "polygon": polygon,
    "thick_line": thick_line,
}


def fill_at(fill):
    """The fill as a colour, or as a function of the position for a gradient."""
    if fill[0] != "vertical gradient":
        return fill
    _, top, bottom = fill
    return lambda x, y: tuple(round(t + (b - t) * y) for t, b in zip(top, bottom))


def shapes(size):
    """Paint order, each an (inside test, colour or colour function, opacity)."""
    return [(INSIDE_TESTS[kind](*parameters), fill_at(fill), opacity)
            for kind, parameters, fill, opacity, smallest in DRAWING if size >= smallest]


def render(size):
    samples = 4 if size <= 96 else 3
    layers = shapes(size)
    rows = []
    for py in range(size):
        row = bytearray([0])  # PNG filter type: none
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / size
                    y = (py + (sy + 0.5) / samples) / size
                    r = g = b = a = 0.0
                    for inside, colour, opacity in layers:
                        if not inside(x, y):
                            continue
                        c = colour(x, y) if callable(colour) else colour
                        r = c[0] * opacity + r * (1 - opacity)
                        g = c[1] * opacity + g * (1 - opacity)
                        b = c[2] * opacity + b * (1 - opacity)
                        a = opacity + a * (1 - opacity)
                    acc[0] += r
                    acc[1] += g
                    acc[2] += b
                    acc[3] += a
            count = samples * samples
            alpha = acc[3] / count
            if alpha > 0:
                pixel = [round(acc[i] / count / alpha) for i in range(3)]
            else:
                pixel = [0, 0, 0]
            row += bytes(min(255, max(0, v)) for v in pixel)
            row.append(round(alpha * 255))
        rows.append(bytes(row))
    return b"".join(rows)


def png(size, raw):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


SVG_SIZE = 256


def svg(drawing):
    """The drawing as a scalable SVG, at every size the same as the largest PNG."""
    def number(fraction):
        return f"{round(fraction * SVG_SIZE, 3):g}"

    def colour(rgb):
        return "#{:02x}{:02x}{:02x}".format(*rgb)

    definitions = []
    elements = []
    for kind, parameters, fill, opacity, _ in drawing:
        paint = colour(fill) if fill[0] != "vertical gradient" else None
        if paint is None:
            gradient = f"gradient{len(definitions)}"
            definitions.append(
                f'    <linearGradient id="{gradient}" gradientUnits="userSpaceOnUse"'
                f' x1="0" y1="0" x2="0" y2="{SVG_SIZE}">\n'
                f'      <stop offset="0" stop-color="{colour(fill[1])}"/>\n'
                f'      <stop offset="1" stop-color="{colour(fill[2])}"/>\n'
                f'    </linearGradient>')
            paint = f"url(#{gradient})"
        faint = "" if opacity == 1.0 else f' opacity="{opacity:g}"'
        if kind == "rounded_rect":
            x0, y0, x1, y1, radius = parameters
            elements.append(
                f'  <rect x="{number(x0)}" y="{number(y0)}" width="{number(x1 - x0)}"'
                f' height="{number(y1 - y0)}" rx="{number(radius)}" fill="{paint}"{faint}/>')
        elif kind == "circle":
            cx, cy, radius = parameters
            elements.append(f'  <circle cx="{number(cx)}" cy="{number(cy)}"'
                            f' r="{number(radius)}" fill="{paint}"{faint}/>')
        elif kind == "ring":
            cx, cy, outer, inner = parameters
            elements.append(
                f'  <circle cx="{number(cx)}" cy="{number(cy)}" r="{number((outer + inner) / 2)}"'
                f' fill="none" stroke="{paint}" stroke-width="{number(outer - inner)}"{faint}/>')
        elif kind == "polygon":
            points = " ".join(f"{number(x)},{number(y)}" for x, y in parameters)
            elements.append(f'  <polygon points="{points}" fill="{paint}"{faint}/>')
        elif kind == "thick_line":
            ax, ay, bx, by, width = parameters
            elements.append(
                f'  <line x1="{number(ax)}" y1="{number(ay)}" x2="{number(bx)}" y2="{number(by)}"'
                f' stroke="{paint}" stroke-width="{number(width)}" stroke-linecap="round"{faint}/>')
        else:
            raise ValueError(f"no SVG element for {kind}")
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{SVG_SIZE}" height="{SVG_SIZE}"'
            f' viewBox="0 0 {SVG_SIZE} {SVG_SIZE}">\n'
            f'  <title>Veltra</title>\n'
            f'  <!-- Written by make_icons.py from the same drawing as the PNGs. -->\n'
            f'  <defs>\n' + "\n".join(definitions) + '\n  </defs>\n'
            + "\n".join(elements) + "\n</svg>\n")


def main():
    out_dir = os.path.join(HERE, "icons")
    os.makedirs(out_dir, exist_ok=True)
    for size in SIZES:
        with open(os.path.join(out_dir, f"veltra_{size}.png"), "wb") as out:
            out.write(png(size, render(size)))
    with open(os.path.join(out_dir, "veltra.svg"), "w", encoding="utf-8") as out:
        out.write(svg(DRAWING))


if __name__ == "__main__":
    main()
