#!/usr/bin/env python3
"""Draws the window icon at the sizes home screens and app shelves ask for.

    python3 appicons.py OUTDIR SIZE...      writes OUTDIR/perne-SIZE.png

The 32-pixel icon is drawn by the assets' own generator and enlarged pixel by pixel, so the
big icons are the same picture, as crisp as the small one.
"""

import os
import sys

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "..", "assets", "generate"))

import figures  # noqa: E402


def main():
    out, sizes = sys.argv[1], [int(s) for s in sys.argv[2:]]
    os.makedirs(out, exist_ok=True)
    icon = figures.icon()
    for size in sizes:
        with open(os.path.join(out, f"perne-{size}.png"), "wb") as f:
            f.write(icon.scaled(size).png(alpha=True))


if __name__ == "__main__":
    main()
