"""The pixel art: Momotaro with his banner, the white dog, and the window icon."""

from pixels import Canvas

YELLOW = (255, 222, 70)
GREEN = (96, 178, 72)
INK = (28, 22, 24)

PALETTE = {
    "K": INK,
    "H": (52, 44, 58),      # hair
    "S": (250, 210, 166),   # skin
    "C": (240, 146, 128),   # cheeks
    "M": (196, 52, 52),     # mouth
    "W": (255, 255, 255),
    "w": (214, 218, 228),   # white in shadow
    "P": (246, 136, 160),   # peach
    "G": (70, 156, 60),     # leaf
    "O": (226, 88, 44),     # coat
    "o": (176, 60, 30),     # coat in shadow
    "V": (255, 244, 220),   # collar
    "D": (60, 80, 158),     # trousers
    "d": (42, 56, 118),     # trouser pleats
    "N": (150, 96, 50),     # pole
    "R": (214, 40, 46),     # red lettering
    "T": (236, 110, 130),   # tongue
    "E": (18, 18, 22),      # eyes and nose
}

# The boy, 21 x 30; his raised hand ends at column 19 and the pole stands at column 20.
BOY = [
    ".......KKK",
    "......KHHHK",
    ".......KHK",
    "....KKKKHKKKK",
    "...KHHHHHHHHHK",
    "..KHHHHHHHHHHHK",
    "..KWWWWPPPWWWWK",
    "..KWWWWWPWWWWWK",
    "..KHSSSSSSSSSHK",
    "..KSSESSSSSESSK",
    "..KSSESSSSSESSK",
    "..KSCSSSSSSSCSK",
    "..KSSSSSSSSSSSK",
    "...KSSSMMMSSSK",
    "....KKKSSSKKK",
    "..KOOOVSSSVOOOKKKKKK",
    "KOoOOOOVSVOOOOOOOSSS",
    "KOoOOOOOVOOOOOOOOSSS",
    "KOoOOOOOVOOOOOKKKKKK",
    "KOoWWWWWWWWWWWK",
    "KOKDDdDDDDDdDDK",
    "KSKDDdDDDDDdDDK",
    ".KKDDdDDDDDdDDK",
    "..KDDdDDKDDdDDK",
    "..KDDdDDKDDdDDK",
    "..KDDdDDKDDdDDK",
    "..KKKKKKKKKKKKK",
    "....KSK...KSK",
    "...KWWWK.KWWWK",
    "...KKKKK.KKKKK",
]

# The banner on its pole: columns 0-2 are the pole, 2-9 the cloth.
BANNER_TOP = [
    ".K.",
    "KNK",
    "KNKKKKKKKK",
    "KNNNNNNNNK",
    "KNKKKKKKKK",
]
BANNER_CLOTH = [
    "WWWWGW",
    "WWWPGW",
    "WWPPPW",
    "WPPPPW",
    "WPPPPW",
    "WWPPWW",
    "WWWWWW",
    "WRRRRW",
    "WRWWRW",
    "WRRRRW",
    "WRWWRW",
    "WRRRRW",
    "WWWWWW",
    "WWWRWW",
    "WRRRRW",
    "WWRRWW",
    "WRWRRW",
    "WWWRWW",
    "WWWWWW",
    "WRRRRW",
    "WWWWWW",
]


def _pole_and_banner(canvas, x, top, bottom):
    """Pole at columns x..x+2 from row top to bottom, its cloth hanging to the right."""
    canvas.art(x, top, BANNER_TOP, PALETTE)
    y = top + len(BANNER_TOP)
    for row in BANNER_CLOTH:
        canvas.art(x, y, ["KNK" + row + "K"], PALETTE)
        y += 1
    canvas.art(x, y, ["KNKKKKKKKK"], PALETTE)
    for yy in range(y + 1, bottom + 1):
        canvas.art(x, yy, ["KNK"], PALETTE)


def _boy(canvas, x, y):
    canvas.art(x, y, BOY, PALETTE)
    # The raised hand closes round the pole.
    canvas.art(x + 20, y + 15, ["KK", "SS", "SS", "KK"], PALETTE)


def momotaro():
    canvas = Canvas(33, 36, YELLOW)
    _pole_and_banner(canvas, 21, 0, 35)
    _boy(canvas, 1, 5)
    return canvas


def icon():
    canvas = Canvas(32, 32, YELLOW)
    _pole_and_banner(canvas, 21, 0, 31)
    _boy(canvas, 1, 2)
    # Round the corners off through the alpha mask.
    clear = (0, 0, 0, 0)
    for cx, cy, dx, dy in ((0, 0, 1, 1), (31, 0, -1, 1), (0, 31, 1, -1), (31, 31, -1, -1)):
        for px, py in ((0, 0), (1, 0), (0, 1), (2, 0), (0, 2), (1, 1)):
            canvas.set(cx + dx * px, cy + dy * py, clear)
    return canvas


DOG = [
    "..................................",
    "..................................",
    "..................................",
    "..................................",
    "....................K....K........",
    "...................KwK..KWK.......",
    "...................KPwK.KPWK......",
    "..................KwPPWKWPPWK.....",
    "..................KWWWWWWWWWWK....",
    "...KKKK...........KWWWWWWWWWWWK...",
    "..KWWWWK.........KWWWEWWWWEWWWK...",
    ".KWWKKWWK........KWWWEWWWWEWWWWKK.",
    ".KWK..KWWK.......KWWWWWWWWWWWWWEEK",
    "..K...KWWK.......KwWWWWWWWWWWWWEEK",
    "......KWWK........KwWWWWWWWWWKKKK.",
    ".....KWWWKKKKKKKKKKKwWWWWWMTTK....",
    "......KWWWWWWWWWWWWKRRRRRRRTK.....",
    "......KWWWWWWWWWWWWWRRRRRRRK......",
    ".....KWWWWWWWWWWWWWWWWWWWWK.......",
    ".....KWWWWWWWWWWWWWWWWWWWWK.......",
    ".....KwWWWWWWWWWWWWWWWWWWWK.......",
    ".....KwWWWWWWWWWWWWWWWWWWwK.......",
    ".....KwwWWWWWWWWWWWWWWWWwwK.......",
    "......KwwwwwwwwwwwwwwwwwwK........",
    "......KwWWKwWWK....KwWWKwWWK......",
    "......KwWWKwWWK....KwWWKwWWK......",
    "......KwWWKwWWK....KwWWKwWWK......",
    "......KwWWKwWWK....KwWWKwWWK......",
    "......KWWWKWWWK....KWWWKWWWK......",
    "......KKKKKKKKK....KKKKKKKKK......",
    "..................................",
    "..................................",
    "..................................",
    "..................................",
]


def dog():
    canvas = Canvas(34, 34, GREEN)
    canvas.art(0, 0, DOG, PALETTE)
    return canvas
