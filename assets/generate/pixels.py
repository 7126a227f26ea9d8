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
