#!/usr/bin/env python3
"""Draws the program's pictures and writes them as Windows BMP and ICO files.

    python3 resources/art/make_art.py           writes the files beside this script
    python3 resources/art/make_art.py --check   rewrites nothing; exits 1 when a file
                                                 differs from what the script draws

The files are checked in, so the program builds without Python; this script is their
source and reproduces them byte for byte (standard library only, no time stamps).

What it draws:
  tree_images.bmp    bitmap 132: 45 tree pictures of 16 x 16 in one strip (720 x 16),
                     4 bits per pixel in the 16 standard colours (the tree's image list
                     keeps no more), on the white window ground. 0-14 the base set,
                     15-29 the same on a magenta ground, 30-44 with a magenta frame.
  toolbar.bmp        bitmap 134: 26 toolbar pictures of 18 x 18 (468 x 18), 8 bits per
                     pixel, on the light grey (192,192,192) that the toolbar treats as
                     the button face.
  menu_checked.bmp   bitmap 146: 13 x 13 monochrome ticked box (menu item checked).
  menu_star.bmp      bitmap 147: 13 x 13 monochrome star (menu item unchecked).
  program.ico        icon 107: 32 x 32 and 16 x 16, 32-bit with alpha and mask.
  program_small.ico  icon 108: 16 x 16.
"""

import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

# The 16 standard colours, in the order of the default 4-bit palette.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

# Letters used by the pixel templates. '.' is the ground and is left untouched.
COLOURS = {
    'K': (0, 0, 0), 'r': (128, 0, 0), 'd': (0, 128, 0), 'o': (128, 128, 0),
    'n': (0, 0, 128), 'p': (128, 0, 128), 't': (0, 128, 128), 's': (192, 192, 192),
    'g': (128, 128, 128), 'R': (255, 0, 0), 'G': (0, 255, 0), 'Y': (255, 255, 0),
    'B': (0, 0, 255), 'M': (255, 0, 255), 'C': (0, 255, 255), 'W': (255, 255, 255),
    # Toolbar and icon extras (not in the tree strip).
    'O': (255, 160, 0), 'L': (255, 255, 192), 'b': (96, 160, 255), 'w': (232, 232, 232),
    'h': (64, 64, 64),
}

WHITE = (255, 255, 255)
MAGENTA = (255, 0, 255)
RED = (255, 0, 0)
BUTTON_FACE = (192, 192, 192)


class Canvas:
    """A picture as rows of RGB tuples; None is a transparent pixel (icons only)."""

    def __init__(self, width, height, ground):
        self.width = width
        self.height = height
        self.pixels = [[ground] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def get(self, x, y):
        return self.pixels[y][x]

    def fill(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), both included."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.put(x, y0, colour)
            self.put(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.put(x0, y, colour)
            self.put(x1, y, colour)

    def line(self, x0, y0, x1, y1, colour, thickness=1):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            for t in range(thickness):
                if dx >= -dy:
                    self.put(x0, y0 + t, colour)
                else:
                    self.put(x0 + t, y0, colour)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def disc(self, cx, cy, radius, colour):
        """A filled circle centred between pixels when cx, cy end in .5."""
        for y in range(self.height):
            for x in range(self.width):
                if (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius:
                    self.put(x, y, colour)

    def template(self, x0, y0, rows, recolour=None):
        """Paints a picture given as text rows, one letter per pixel (see COLOURS)."""
        for dy, row in enumerate(rows):
            for dx, letter in enumerate(row):
                if letter == '.':
                    continue
                if recolour and letter in recolour:
                    letter = recolour[letter]
                self.put(x0 + dx, y0 + dy, COLOURS[letter])

    def glyph(self, x0, y0, rows, colour, halo=WHITE):
        """Paints the '#' pixels of `rows` in `colour` with a one-pixel halo around
        them, so that a mark stands out from whatever picture lies under it."""
        marked = set()
        for dy, row in enumerate(rows):
            for dx, letter in enumerate(row):
                if letter == '#':
                    marked.add((x0 + dx, y0 + dy))
        if halo is not None:
            for (x, y) in marked:
                for hx in (-1, 0, 1):
                    for hy in (-1, 0, 1):
                        if (x + hx, y + hy) not in marked:
                            self.put(x + hx, y + hy, halo)
        for (x, y) in marked:
            self.put(x, y, colour)

    def paste(self, other, x0, y0):
        for y in range(other.height):
            for x in range(other.width):
                self.put(x0 + x, y0 + y, other.get(x, y))

    def replace(self, old, new):
        for row in self.pixels:
            for x, colour in enumerate(row):
                if colour == old:
                    row[x] = new


# ---------------------------------------------------------------------------------
# Tree pictures, 16 x 16. Everything stays inside columns and rows 1-14 so that the
# frame of images 30-44 (the outermost pixels) never covers the picture.

FOLDER = [
    "................",
    "................",
    "..ooooo.........",
    ".oYYYYYo........",
    ".oYYYYYYooooooo.",
    ".oWWWWWWWWWWWWo.",
    ".oWYYYYYYYYYYYo.",
    ".oWYYYYYYYYYYYo.",
    ".oWYYYYYYYYYYYo.",
    ".oWYYYYYYYYYYYo.",
    ".oWYYYYYYYYYYYo.",
    ".oWYYYYYYYYYYYo.",
    ".oWYYYYYYYYYYYo.",
    ".oooooooooooooo.",
    "................",
    "................",
]

PAGE = [
    "................",
    "..gggggggg......",
    "..gWWWWWWgg.....",
    "..gWWWWWWgWg....",
    "..gWWWWWWgggg...",
    "..gWWWWWWWWWg...",
    "..gWBBWBBWBWg...",
    "..gWWWWWWWWWg...",
    "..gWWWWWWWWWg...",
    "..gWBBWBBWBWg...",
    "..gWWWWWWWWWg...",
    "..gWWWWWWWWWg...",
    "..gWBBWBBWWWg...",
    "..gWWWWWWWWWg...",
    "..ggggggggggg...",
    "................",
]

PADLOCK = [
    "................",
    ".....gggggg.....",
    "....gg....gg....",
    "....g......g....",
    "....g......g....",
    "....g......g....",
    "..oooooooooooo..",
    "..oYYYYYYYYYYo..",
    "..oYWWWWWWWWYo..",
    "..oYYYYKKYYYYo..",
    "..oYYYYKKYYYYo..",
    "..oYYYYYKYYYYo..",
    "..oYYYYYKYYYYo..",
    "..oYYYYYYYYYYo..",
    "..oooooooooooo..",
    "................",
]

MARK_EXCLAIM = [
    "##",
    "##",
    "##",
    "##",
    "##",
    "##",
    "..",
    "##",
    "##",
]

MARK_QUESTION = [
    ".###.",
    "##.##",
    "...##",
    "..##.",
    ".##..",
    ".##..",
    ".....",
    ".##..",
    ".##..",
]

MARK_CROSS = [
    "##...##",
    "###.###",
    ".#####.",
    "..###..",
    ".#####.",
    "###.###",
    "##...##",
]

CLOSED_EYE = [
    "KK.......KK",
    ".KKK...KKK.",
    "...KKKKK...",
    "...K.K.K...",
]

GREY = {'Y': 's', 'o': 'g', 'W': 'W'}
GREEN = {'Y': 'G', 'o': 'd'}
GREY_PAGE = {'W': 's', 'B': 's'}


def mark_exclaim(canvas, x=0, y=0):
    canvas.glyph(12 + x, 5 + y, MARK_EXCLAIM, RED)


def mark_question(canvas, x=0, y=0):
    canvas.glyph(10 + x, 5 + y, MARK_QUESTION, RED)


def mark_cross(canvas, x=0, y=0):
    canvas.glyph(8 + x, 7 + y, MARK_CROSS, RED)


def tree_picture(number, ground):
    c = Canvas(16, 16, ground)
    if number == 0:
        c.template(0, 0, FOLDER)
    elif number == 1:
        c.template(0, 0, FOLDER)
        c.line(2, 3, 13, 13, COLOURS['B'], 2)
        c.line(13, 3, 2, 13, COLOURS['B'], 2)
    elif number == 2:
        c.template(0, 0, FOLDER)
        for y in (7, 9, 11):
            c.line(3, y, 13, y, COLOURS['n'])
    elif number == 3:
        c.template(0, 0, FOLDER, GREY)
        c.template(3, 8, CLOSED_EYE)
    elif number == 4:
        c.template(0, 0, PADLOCK)
    elif number == 5:
        c.template(0, 0, FOLDER)
        mark_exclaim(c)
    elif number == 6:
        c.template(0, 0, FOLDER)
        mark_question(c)
    elif number == 7:
        c.template(0, 0, FOLDER)
        mark_cross(c)
    elif number == 8:
        c.template(0, 0, PAGE)
    elif number == 9:
        c.template(0, 0, PAGE)
        mark_exclaim(c)
    elif number == 10:
        c.template(0, 0, PAGE)
        mark_question(c)
    elif number == 11:
        c.template(0, 0, PAGE)
        mark_cross(c)
    elif number == 12:
        c.template(0, 0, PAGE, GREY_PAGE)
        c.template(2, 8, CLOSED_EYE)
    elif number == 13:
        c.template(0, 0, FOLDER, GREEN)
    elif number == 14:
        c.template(0, 0, FOLDER, GREEN)
        mark_exclaim(c)
    else:
        raise ValueError(number)
    return c


def tree_strip():
    strip = Canvas(16 * 45, 16, WHITE)
    for n in range(15):
        strip.paste(tree_picture(n, WHITE), 16 * n, 0)
        strip.paste(tree_picture(n, MAGENTA), 16 * (15 + n), 0)
        framed = tree_picture(n, WHITE)
        framed.frame(0, 0, 15, 15, MAGENTA)
        strip.paste(framed, 16 * (30 + n), 0)
    return strip


# ---------------------------------------------------------------------------------
# Toolbar pictures, 18 x 18 on the button face.

OPEN_FOLDER = [
    "..................",
    "..................",
    "..................",
    "..ooooo...........",
    ".oYYYYYo..........",
    ".oYYYYYYoooooo....",
    ".oYYYYYYYYYYYYo...",
    ".oYYYoooooooooooo.",
    ".oYYoLLLLLLLLLLLo.",
    ".oYoLLLLLLLLLLLo..",
    ".oYoLLLLLLLLLLLo..",
    ".ooLLLLLLLLLLLo...",
    ".ooLLLLLLLLLLLo...",
    ".oLLLLLLLLLLLo....",
    ".ooooooooooooo....",
    "..................",
    "..................",
    "..................",
]

FLOPPY = [
    "..................",
    "..................",
    "..nnnnnnnnnnnnnn..",
    "..nnWWWWWWWWWWnn..",
    "..nnWWWWWWWWWWnn..",
    "..nnWKKKKKKKKWnn..",
    "..nnWWWWWWWWWWnn..",
    "..nnWKKKKKKKKWnn..",
    "..nnWWWWWWWWWWnn..",
    "..nnnnnnnnnnnnnn..",
    "..nnnnnnnnnnnnnn..",
    "..nnnwwwwwwwwnnn..",
    "..nnnwwnnwwwwnnn..",
    "..nnnwwnnwwwwnnn..",
    "..nnnwwnnwwwwnnn..",
    "...nnnnnnnnnnnnn..",
    "..................",
    "..................",
]

MAGNIFIER = [
    "..................",
    "..................",
    "....KKKK..........",
    "..KKCCCCKK........",
    "..KCWCCCCK........",
    ".KCWCCCCCCK.......",
    ".KCCCCCCCCK.......",
    ".KCCCCCCCCK.......",
    ".KCCCCCCCCK.......",
    "..KCCCCCCK........",
    "..KKCCCCKKo.......",
    "....KKKK.ooo......",
    "..........ooo.....",
    "...........ooo....",
    "............ooo...",
    ".............oo...",
    "..................",
    "..................",
]

CLIPBOARD = [
    "..................",
    ".......KKKK.......",
    "...oooKssssKooo...",
    "..oOOOKKKKKKOOOo..",
    "..oOWWWWWWWWWWOo..",
    "..oOWKKKKKKKKWOo..",
    "..oOWWWWWWWWWWOo..",
    "..oOWKKKKKKWWWOo..",
    "..oOWWWWWWWWWWOo..",
    "..oOWKKKKKKKKWOo..",
    "..oOWWWWWWWWWWOo..",
    "..oOWWWWWWWWWWOo..",
    "..oOWWWWWWWWWWOo..",
    "..oOWWWWWWWWWWOo..",
    "..oOOOOOOOOOOOOo..",
    "...oooooooooooo...",
    "..................",
    "..................",
]

MINI_TREE = [
    "..................",
    ".KKKK.............",
    ".KYYK.............",
    ".KKKK.............",
    "..K...............",
    "..KKKKKKK.........",
    "..K....KYYK.......",
    "..K....KKKK.......",
    "..K...............",
    "..KKKKKKK.........",
    "..K....KYYK.......",
    "..K....KKKK.......",
    "..K...............",
    "..KKKKKKK.........",
    ".......KYYK.......",
    ".......KKKK.......",
    "..................",
    "..................",
]

PROPERTY_SHEET = [
    "..................",
    "..................",
    ".KKKKKKKKKKKKKKKK.",
    ".KnnnnnnnnnnnnnnK.",
    ".KnnnnnnnnnnnWnnK.",
    ".KKKKKKKKKKKKKKKK.",
    ".KWWWWWWWWWWWWWWK.",
    ".KWKKKKWWWnnnnnWK.",
    ".KWWWWWWWWWWWWWWK.",
    ".KWKKKKWWWnnnnnWK.",
    ".KWWWWWWWWWWWWWWK.",
    ".KWKKKKWWWnnnnnWK.",
    ".KWWWWWWWWWWWWWWK.",
    ".KWWWWWWWWWWWWWWK.",
    ".KKKKKKKKKKKKKKKK.",
    "..................",
    "..................",
    "..................",
]

INFO_CIRCLE_I = [
    "##",
    "..",
    "##",
    "##",
    "##",
    "##",
    "##",
]

ARROW_RIGHT = [
    "...#...",
    "...##..",
    "######.",
    "#######",
    "######.",
    "...##..",
    "...#...",
]

ARROW_DOWN = [
    "..##..",
    "..##..",
    "..##..",
    "######",
    ".####.",
    "..##..",
]

ARROW_LEFT_RIGHT = [
    "..#...#..",
    ".##...##.",
    "#########",
    ".##...##.",
    "..#...#..",
]

PLUS_BOX = [
    "KKKKKKK",
    "KWWWWWK",
    "KWWKWWK",
    "KWKKKWK",
    "KWWKWWK",
    "KWWWWWK",
    "KKKKKKK",
]

MINUS_BOX = [
    "KKKKKKK",
    "KWWWWWK",
    "KWWWWWK",
    "KWKKKWK",
    "KWWWWWK",
    "KWWWWWK",
    "KKKKKKK",
]

PLUS_MINUS = [
    "..#..",
    "..#..",
    "#####",
    "..#..",
    "..#..",
    ".....",
    "#####",
]

FLAG = [
    "..................",
    "..................",
    "...KRRRRRRR.......",
    "...KRRRRRRRRRR....",
    "...KRRRRRRRRRRR...",
    "...KRRRRRRRRRRR...",
    "...KRRRRRRRRRRR...",
    "...KRRRRRRRRRR....",
    "...KRRRRRRRRR.....",
    "...K..............",
    "...K..............",
    "...K..............",
    "...K..............",
    "...K..............",
    "..KKK.............",
    ".KKKKK............",
    "..................",
    "..................",
]


def toolbar_registry_blocks(c):
    # Four blocks of the registry with an arrow coming in from above.
    blocks = [
        "..................",
        "..................",
        "..................",
        "..................",
        "..................",
        "..................",
        "..................",
        ".nnnnnnn.nnnnnnn..",
        ".nbbbbbn.nbbbbbn..",
        ".nbWbbbn.nbWbbbn..",
        ".nbbbbbn.nbbbbbn..",
        ".nnnnnnn.nnnnnnn..",
        "..................",
        ".nnnnnnn.nnnnnnn..",
        ".nbbbbbn.nbbbbbn..",
        ".nbWbbbn.nbWbbbn..",
        ".nbbbbbn.nbbbbbn..",
        ".nnnnnnn.nnnnnnn..",
    ]
    c.template(0, 0, blocks)
    c.glyph(6, 0, ARROW_DOWN, COLOURS['d'])


def toolbar_picture(number):
    c = Canvas(18, 18, BUTTON_FACE)
    if number == 0:      # open a baseline file
        c.template(0, 0, OPEN_FOLDER)
    elif number == 1:    # read the registry / compare with it
        toolbar_registry_blocks(c)
    elif number == 2:    # open a comparison file
        c.template(0, 0, OPEN_FOLDER)
        c.glyph(8, 12, ARROW_LEFT_RIGHT, RED)
    elif number == 3:    # save
        c.template(0, 0, FLOPPY)
    elif number == 4:    # copy the key name
        c.fill(1, 1, 10, 12, WHITE)
        c.frame(1, 1, 10, 12, COLOURS['K'])
        for y in (4, 6, 8):
            c.line(3, y, 8, y, COLOURS['n'])
        c.fill(6, 5, 16, 16, WHITE)
        c.frame(6, 5, 16, 16, COLOURS['K'])
        c.template(8, 7, ["KKK.....", "KYYKKKKK", "KYYYYYYK", "KYYYYYYK", "KKKKKKKK"])
        for y in (13, 15):
            c.line(8, y, 14, y, COLOURS['n'])
    elif number == 5:    # search
        c.template(0, 0, MAGNIFIER)
    elif number == 6:    # find next
        c.template(-1, -1, MAGNIFIER)
        c.glyph(10, 2, ARROW_RIGHT, COLOURS['d'])
    elif number == 7:    # mark
        c.template(0, 0, FLAG)
    elif number == 8:    # not shown by any button
        pass
    elif number == 9:    # size information
        c.line(1, 16, 16, 16, COLOURS['K'])
        c.line(1, 2, 1, 16, COLOURS['K'])
        c.fill(3, 10, 5, 15, COLOURS['B'])
        c.fill(7, 5, 9, 15, COLOURS['d'])
        c.fill(11, 8, 13, 15, COLOURS['R'])
        c.frame(3, 10, 5, 15, COLOURS['K'])
        c.frame(7, 5, 9, 15, COLOURS['K'])
        c.frame(11, 8, 13, 15, COLOURS['K'])
    elif number == 10:   # value items
        c.template(1, 1, PAGE)
    elif number == 11:   # open every change
        c.template(0, 0, MINI_TREE)
        c.glyph(13, 5, MARK_EXCLAIM, RED)
    elif number == 12:   # open every added or deleted item
        c.template(0, 0, MINI_TREE)
        c.glyph(12, 7, PLUS_MINUS, RED)
    elif number == 13:   # open every exception (or every search hit)
        c.template(0, 0, MINI_TREE)
        c.fill(6, 9, 17, 15, WHITE)
        c.frame(6, 9, 17, 15, COLOURS['g'])
        c.template(7, 10, CLOSED_EYE)
    elif number == 14:   # open the changes in the key
        c.template(1, 1, FOLDER)
        mark_exclaim(c, 1, 1)
        c.glyph(2, 11, ARROW_DOWN, COLOURS['d'])
    elif number == 15:   # show everything in the key
        c.template(1, 0, FOLDER)
        c.template(10, 10, PLUS_BOX)
    elif number == 16:   # show the values in the key
        c.template(0, -1, FOLDER)
        small_page = [
            "gggggg..",
            "gWWWWgg.",
            "gWWWWWg.",
            "gWBB.Bg.",
            "gWWWWWg.",
            "gWBB.Bg.",
            "gWWWWWg.",
            "ggggggg.",
        ]
        c.fill(8, 8, 16, 17, BUTTON_FACE)
        c.template(9, 9, small_page)
    elif number == 17:   # close this level
        c.template(1, 0, FOLDER)
        c.template(10, 10, MINUS_BOX)
    elif number == 18:   # close everything
        c.template(0, 0, MINI_TREE)
        c.template(10, 10, MINUS_BOX)
    elif number == 19:   # status information
        c.disc(8.5, 8.5, 7.6, COLOURS['n'])
        c.disc(8.5, 8.5, 6.6, COLOURS['B'])
        c.glyph(8, 4, INFO_CIRCLE_I, WHITE, halo=None)
        c.put(7, 7, WHITE)
        c.fill(7, 12, 10, 12, WHITE)
    elif number == 20:   # properties
        c.template(0, 0, PROPERTY_SHEET)
    elif number == 21:   # not read
        c.paste(tree_picture(1, BUTTON_FACE), 1, 1)
    elif number == 22:   # not checked
        c.template(1, 1, FOLDER, {'Y': 'W', 'o': 'g'})
        c.template(4, 9, CLOSED_EYE)
    elif number == 23:   # not displayed
        c.paste(tree_picture(2, BUTTON_FACE), 1, 1)
    elif number == 24:   # auto-check target
        c.paste(tree_picture(13, BUTTON_FACE), 1, 1)
    elif number == 25:   # open the copied key name
        c.template(0, 0, CLIPBOARD)
        c.glyph(10, 9, ARROW_RIGHT, COLOURS['d'])
    else:
        raise ValueError(number)
    return c


TOOLBAR_IMAGE_COUNT = 26


def toolbar_strip():
    strip = Canvas(18 * TOOLBAR_IMAGE_COUNT, 18, BUTTON_FACE)
    for n in range(TOOLBAR_IMAGE_COUNT):
        strip.paste(toolbar_picture(n), 18 * n, 0)
    return strip


# ---------------------------------------------------------------------------------
# Menu marks, 13 x 13 monochrome: '#' is drawn in the menu's text colour, the rest
# lets the menu show through.

MENU_CHECKED = [
    "#############",
    "#...........#",
    "#...........#",
    "#.........#.#",
    "#........##.#",
    "#.#.....###.#",
    "#.##...###..#",
    "#.###.###...#",
    "#..#####....#",
    "#...###.....#",
    "#....#......#",
    "#...........#",
    "#############",
]

MENU_STAR = [
    "......#......",
    "......#......",
    ".....###.....",
    ".....###.....",
    "#############",
    ".###########.",
    "..#########..",
    "...#######...",
    "...#######...",
    "..####.####..",
    "..###...###..",
    ".##.......##.",
    ".#.........#.",
]


def mono_canvas(rows):
    c = Canvas(13, 13, WHITE)
    for y, row in enumerate(rows):
        for x, letter in enumerate(row):
            if letter == '#':
                c.put(x, y, (0, 0, 0))
    return c


# ---------------------------------------------------------------------------------
# Program icon: a grey folder (the baseline) behind a yellow one (the registry now),
# and a red badge with a white "!" for what changed.

BADGE_EXCLAIM_32 = [
    "##",
    "##",
    "##",
    "##",
    "##",
    "..",
    "##",
    "##",
]


def big_folder(c, x0, y0, body, edge, light):
    """A folder 20 wide and 16 high with its top-left corner at (x0, y0)."""
    c.fill(x0 + 1, y0, x0 + 7, y0, edge)
    c.fill(x0, y0 + 1, x0, y0 + 15, edge)
    c.fill(x0 + 8, y0 + 1, x0 + 8, y0 + 2, edge)
    c.fill(x0 + 8, y0 + 2, x0 + 19, y0 + 2, edge)
    c.fill(x0 + 19, y0 + 3, x0 + 19, y0 + 15, edge)
    c.fill(x0, y0 + 15, x0 + 19, y0 + 15, edge)
    c.fill(x0 + 1, y0 + 1, x0 + 7, y0 + 2, body)
    c.fill(x0 + 1, y0 + 3, x0 + 18, y0 + 14, body)
    c.fill(x0 + 1, y0 + 4, x0 + 18, y0 + 4, light)
    c.fill(x0 + 1, y0 + 4, x0 + 1, y0 + 14, light)


def icon_32():
    c = Canvas(32, 32, None)
    big_folder(c, 1, 3, COLOURS['s'], COLOURS['g'], WHITE)
    big_folder(c, 8, 11, COLOURS['Y'], COLOURS['o'], COLOURS['L'])
    c.disc(24.5, 24.5, 7.2, COLOURS['r'])
    c.disc(24.5, 24.5, 6.2, RED)
    c.glyph(24, 20, BADGE_EXCLAIM_32, WHITE, halo=None)
    return c


def icon_16():
    c = Canvas(16, 16, None)
    c.template(0, -1, FOLDER)
    # FOLDER paints ground pixels as untouched, so the icon's transparency survives.
    c.disc(11.5, 11.5, 4.4, COLOURS['r'])
    c.disc(11.5, 11.5, 3.5, RED)
    c.fill(11, 9, 12, 11, WHITE)
    c.fill(11, 13, 12, 13, WHITE)
    return c


# ---------------------------------------------------------------------------------
# File writers.

def bmp_bytes(canvas, bits, palette):
    """A bottom-up BMP with a colour table; every pixel must be a palette colour."""
    index = {colour: i for i, colour in enumerate(palette)}
    row_bytes = ((canvas.width * bits + 31) // 32) * 4
    rows = []
    for y in range(canvas.height - 1, -1, -1):
        numbers = []
        for x in range(canvas.width):
            colour = canvas.get(x, y)
            if colour not in index:
                raise ValueError("colour %r at %d,%d is not in the palette" % (colour, x, y))
            numbers.append(index[colour])
        packed = bytearray()
        if bits == 8:
            packed.extend(numbers)
        else:
            per_byte = 8 // bits
            for start in range(0, len(numbers), per_byte):
                value = 0
                for k in range(per_byte):
                    n = numbers[start + k] if start + k < len(numbers) else 0
                    value |= n << (8 - bits * (k + 1))
                packed.append(value)
        packed.extend(b'\0' * (row_bytes - len(packed)))
        rows.append(bytes(packed))
    pixels = b''.join(rows)
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in palette)
    header = struct.pack('<IiiHHIIiiII', 40, canvas.width, canvas.height, 1, bits, 0,
                         len(pixels), 2835, 2835, len(palette), len(palette))
    offset = 14 + len(header) + len(table)
    file_header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    return file_header + header + table + pixels


def toolbar_palette(canvas):
    """The 16 standard colours first, then the extras in the order they are met."""
    palette = list(VGA)
    for row in canvas.pixels:
        for colour in row:
            if colour not in palette:
                palette.append(colour)
    if len(palette) > 256:
        raise ValueError("toolbar uses more than 256 colours")
    return palette + [(0, 0, 0)] * (256 - len(palette))


def icon_image_bytes(canvas):
    """One icon image: BITMAPINFOHEADER (double height), BGRA pixels, AND mask."""
    w, h = canvas.width, canvas.height
    colour = bytearray()
    mask = bytearray()
    mask_row = ((w + 31) // 32) * 4
    for y in range(h - 1, -1, -1):
        bits = bytearray(mask_row)
        for x in range(w):
            pixel = canvas.get(x, y)
            if pixel is None:
                colour.extend(b'\0\0\0\0')
                bits[x // 8] |= 0x80 >> (x % 8)
            else:
                r, g, b = pixel
                colour.extend(bytes((b, g, r, 255)))
        mask.extend(bits)
    header = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0, len(colour) + len(mask),
                         0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def ico_bytes(canvases):
    images = [icon_image_bytes(c) for c in canvases]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, image in zip(canvases, images):
        out += struct.pack('<BBBBHHII', c.width % 256, c.height % 256, 0, 0, 1, 32,
                           len(image), offset)
        offset += len(image)
    return out + b''.join(images)


def all_files():
    toolbar = toolbar_strip()
    mono = [(0, 0, 0), (255, 255, 255)]
    return {
        'tree_images.bmp': bmp_bytes(tree_strip(), 4, VGA),
        'toolbar.bmp': bmp_bytes(toolbar, 8, toolbar_palette(toolbar)),
        'menu_checked.bmp': bmp_bytes(mono_canvas(MENU_CHECKED), 1, mono),
        'menu_star.bmp': bmp_bytes(mono_canvas(MENU_STAR), 1, mono),
        'program.ico': ico_bytes([icon_32(), icon_16()]),
        'program_small.ico': ico_bytes([icon_16()]),
    }


def main(argv):
    check = '--check' in argv[1:]
    differing = []
    for name, data in sorted(all_files().items()):
        path = os.path.join(HERE, name)
        if check:
            try:
                with open(path, 'rb') as f:
                    same = f.read() == data
            except OSError:
                same = False
            if not same:
                differing.append(name)
        else:
            with open(path, 'wb') as f:
                f.write(data)
            print(path)
    if differing:
        print("differs from the drawing: " + ", ".join(differing))
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
