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

    def art(self, x0, y0, rows, palette):
        """Stamps small ASCII art; '.' leaves the pixel as it is."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch != ".":
                    self.set(x0 + dx, y0 + dy, palette[ch])

    def scaled(self, size):
        """A size x size copy, nearest neighbour, so the pixels stay crisp blocks."""
        out = Canvas(size, size, (0, 0, 0, 0))
        for y in range(size):
            for x in range(size):
                out.px[y][x] = self.px[y * self.height // size][x * self.width // size]
        return out

    def svg(self):
        """The same grid as SVG: one rectangle per run of equal pixels in a row."""
        rects = []
        for y, row in enumerate(self.px):
            x = 0
            while x < self.width:
                end = x
                while end < self.width and row[end] == row[x]:
                    end += 1
                r, g, b, a = row[x]
                if a:
                    opacity = "" if a == 255 else ' fill-opacity="%.3f"' % (a / 255)
                    rects.append('<rect x="%d" y="%d" width="%d" height="1" fill="#%02x%02x%02x"%s/>'
                                 % (x, y, end - x, r, g, b, opacity))
                x = end
        return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
                'viewBox="0 0 %d %d" shape-rendering="crispEdges">\n%s\n</svg>\n'
                % (self.width, self.height, self.width, self.height, "\n".join(rects)))

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


def _chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data
            + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
