#!/usr/bin/env python3
"""Writes the program's pictures and sound cues into assets/.

Run by hand after changing the art or the tones: python3 assets/generate/generate.py
The output is committed; the build only packs it into the program.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import chimes  # noqa: E402
import figures  # noqa: E402


def main():
    out = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    pictures = {
        "momotaro.png": (figures.momotaro(), False),
        "dog.png": (figures.dog(), False),
        "icon.png": (figures.icon(), True),
    }
    for name, (canvas, alpha) in pictures.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(canvas.png(alpha=alpha))
    # The menu's icon at the sizes desktops ask for, the same 32-pixel figure in bigger
    # blocks, and as a picture that scales to any size.
    icon = figures.icon()
    icons = os.path.join(out, "icons")
    os.makedirs(icons, exist_ok=True)
    for size in (48, 64, 128, 256):
        with open(os.path.join(icons, "perne-%d.png" % size), "wb") as f:
            f.write(icon.scaled(size).png(alpha=True))
    with open(os.path.join(icons, "perne.svg"), "w", encoding="ascii") as f:
        f.write(icon.svg())
    chimes.pinpon(os.path.join(out, "pinpon.wav"))
    chimes.endpinpon(os.path.join(out, "endpinpon.wav"))
    chimes.logoff(os.path.join(out, "logoff.wav"))


if __name__ == "__main__":
    main()
