"""A tiny pixel canvas and a PNG writer, standard library only."""

import struct
import zlib


class Canvas:
    """An RGBA pixel grid; colours are (r, g, b) or (r, g, b, a) tuples."""

    def __init__(self, width, height, ground):
        self.width = width
        self.height = height
        self.px = [[_rgba(ground) for _ in range(width)] for _ in range(height)]

    def inside(self, x, y):
        return 0 <= x < self.width and 0 <= y < self.height

    def set(self, x, y, colour):
        if self.inside(x, y):
            self.px[y][x] = _rgba(colour)

    def get(self, x, y):
        return self.px[y][x]

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), both included."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, colour)

    def ellipse(self, cx, cy, rx, ry, colour):
        for y in range(int(cy - ry) - 1, int(cy + ry) + 2):
            for x in range(int(cx - rx) - 1, int(cx + rx) + 2):
                if ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0:
                    self.set(x, y, colour)

    def polygon(self, points, colour):
        """Fills a convex or concave polygon by the even-odd rule at pixel centres."""
        ys = [p[1] for p in points]
        for y in range(int(min(ys)), int(max(ys)) + 1):
            for x in range(self.width):
                if _inside_polygon(x + 0.5, y + 0.5, points):
                    self.set(x, y, colour)

    def art(self, x0, y0, rows, palette):
        """Stamps small ASCII art; '.' leaves the pixel as it is."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch != ".":
                    self.set(x0 + dx, y0 + dy, palette[ch])

    def outline(self, ground, colour, diagonal=False):
        """Paints every ground pixel that touches a figure pixel, so the figure gets a rim."""
        ground = _rgba(ground)
        steps = [(1, 0), (-1, 0), (0, 1), (0, -1)]
        if diagonal:
            steps += [(1, 1), (1, -1), (-1, 1), (-1, -1)]
        rim = []
        for y in range(self.height):
            for x in range(self.width):
                if self.px[y][x] != ground:
                    continue
                for dx, dy in steps:
                    nx, ny = x + dx, y + dy
                    if self.inside(nx, ny) and self.px[ny][nx] != ground:
                        rim.append((x, y))
                        break
        for x, y in rim:
            self.set(x, y, colour)

    def replace(self, old, new):
        old = _rgba(old)
        for row in self.px:
            for x, p in enumerate(row):
                if p == old:
                    row[x] = _rgba(new)

    def png(self, alpha=False):
        channels = 4 if alpha else 3
        raw = bytearray()
        for row in self.px:
            raw.append(0)  # no filter
            for p in row:
                raw.extend(p[:channels])
        colour_type = 6 if alpha else 2
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, colour_type, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", header)
                + _chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + _chunk(b"IEND", b""))


def _rgba(colour):
    return tuple(colour) if len(colour) == 4 else (colour[0], colour[1], colour[2], 255)


def _inside_polygon(x, y, points):
    inside = False
    n = len(points)
    for i in range(n):
        x1, y1 = points[i]
        x2, y2 = points[(i + 1) % n]
        if (y1 > y) != (y2 > y):
            if x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                inside = not inside
    return inside


def _chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data
            + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
