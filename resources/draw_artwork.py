#!/usr/bin/env python3
"""Draws the program's artwork and writes it as XBM text (bitmaps, cursors with their masks)
and PNG (the program icon). Run it from anywhere; it writes next to itself.

Bitmaps are monochrome: a 1-bit is ink (drawn in a control's foreground colour), a 0-bit is
paper (its background colour). A cursor's 1-bits are black, its mask says where it is opaque.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# Letters 3 pixels wide and 5 high, a few narrower or wider so words stay short.
SMALL = {
    'A': ".#. #.# ### #.# #.#", 'B': "##. #.# ##. #.# ##.", 'C': ".## #.. #.. #.. .##",
    'D': "##. #.# #.# #.# ##.", 'E': "### #.. ##. #.. ###", 'F': "### #.. ##. #.. #..",
    'G': ".## #.. #.# #.# .##", 'H': "#.# #.# ### #.# #.#", 'I': "# # # # #",
    'J': "..# ..# ..# #.# .#.", 'K': "#.# #.# ##. #.# #.#", 'L': "#.. #.. #.. #.. ###",
    'M': "#...# ##.## #.#.# #...# #...#", 'N': "#..# ##.# #.## #..# #..#",
    'O': ".#. #.# #.# #.# .#.", 'P': "##. #.# ##. #.. #..", 'Q': ".#. #.# #.# ##. .##",
    'R': "##. #.# ##. #.# #.#", 'S': ".## #.. .#. ..# ##.", 'T': "### .#. .#. .#. .#.",
    'U': "#.# #.# #.# #.# ###", 'V': "#.# #.# #.# #.# .#.",
    'W': "#...# #...# #.#.# ##.## #...#", 'X': "#.# #.# .#. #.# #.#",
    'Y': "#.# #.# .#. .#. .#.", 'Z': "### ..# .#. #.. ###",
    '0': "### #.# #.# #.# ###", '1': ".#. ##. .#. .#. ###", '2': "##. ..# .#. #.. ###",
    '3': "##. ..# .#. ..# ##.", '4': "#.# #.# ### ..# ..#", '5': "### #.. ##. ..# ##.",
    '6': ".## #.. ### #.# ###", '7': "### ..# .#. .#. .#.", '8': "### #.# ### #.# ###",
    '9': "### #.# ### ..# ##.", ' ': "... ... ... ... ...", '.': ". . . . #",
}

# Digits 5 wide and 7 high for the measure buttons.
BIG = {
    '1': "..#.. .##.. ..#.. ..#.. ..#.. ..#.. .###.",
    '2': ".###. #...# ....# ...#. ..#.. .#... #####",
    '3': "##### ...#. ..#.. ...#. ....# #...# .###.",
    '4': "...#. ..##. .#.#. #..#. ##### ...#. ...#.",
    '5': "##### #.... ####. ....# ....# #...# .###.",
    '6': "..##. .#... #.... ####. #...# #...# .###.",
    '7': "##### ....# ...#. ..#.. .#... .#... .#...",
    '8': ".###. #...# #...# .###. #...# #...# .###.",
    'F': "##### #.... #.... ####. #.... #.... #....",
    'E': "##### #.... #.... ####. #.... #.... #####",
    'M': "#...# ##.## #.#.# #.#.# #...# #...# #...#",
}


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[0] * w for _ in range(h)]

    def set(self, x, y, v=1):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = v

    def get(self, x, y):
        return self.px[y][x] if 0 <= x < self.w and 0 <= y < self.h else 0

    def fill(self, x0, y0, x1, y1, v=1):
        """Fills the box with corners (x0, y0) and (x1, y1), both inside."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, v)

    def frame(self, x0, y0, x1, y1, v=1, round_corners=False):
        for x in range(x0, x1 + 1):
            self.set(x, y0, v)
            self.set(x, y1, v)
        for y in range(y0, y1 + 1):
            self.set(x0, y, v)
            self.set(x1, y, v)
        if round_corners:
            for (x, y) in ((x0, y0), (x1, y0), (x0, y1), (x1, y1)):
                self.set(x, y, 1 - v)

    def line(self, x0, y0, x1, y1, v=1):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, v)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def polygon(self, pts, v=1):
        """Fills a polygon by the even-odd rule at pixel centres."""
        for y in range(self.h):
            cy = y + 0.5
            xs = []
            for i in range(len(pts)):
                (ax, ay), (bx, by) = pts[i], pts[(i + 1) % len(pts)]
                if (ay <= cy < by) or (by <= cy < ay):
                    xs.append(ax + (cy - ay) * (bx - ax) / (by - ay))
            xs.sort()
            for a, b in zip(xs[0::2], xs[1::2]):
                for x in range(self.w):
                    if a <= x + 0.5 < b:
                        self.set(x, y, v)

    def disc(self, cx, cy, r, v=1):
        for y in range(self.h):
            for x in range(self.w):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.set(x, y, v)

    def ring(self, cx, cy, r_out, r_in, v=1):
        for y in range(self.h):
            for x in range(self.w):
                d = (x - cx) ** 2 + (y - cy) ** 2
                if r_in * r_in < d <= r_out * r_out:
                    self.set(x, y, v)

    def glyphs(self, x, y, text, font=SMALL, v=1):
        for ch in text:
            rows = font[ch].split()
            for j, row in enumerate(rows):
                for i, c in enumerate(row):
                    if c == '#':
                        self.set(x + i, y + j, v)
            x += len(rows[0]) + 1
        return x

    def invert(self):
        self.px = [[1 - p for p in row] for row in self.px]

    def copy(self):
        c = Canvas(self.w, self.h)
        c.px = [row[:] for row in self.px]
        return c


def text_width(text, font):
    return sum(len(font[ch].split()[0]) for ch in text) + len(text) - 1


def centred_text(c, cx, y, text, font=SMALL, v=1):
    c.glyphs(cx - text_width(text, font) // 2, y, text, font, v)


def write_xbm(name, c, hot=None):
    rows = []
    for y in range(c.h):
        for bx in range(0, c.w, 8):
            byte = 0
            for i in range(8):
                if c.get(bx + i, y):
                    byte |= 1 << i
            rows.append(byte)
    out = [f"#define {name}_width {c.w}", f"#define {name}_height {c.h}"]
    if hot is not None:
        out += [f"#define {name}_x_hot {hot[0]}", f"#define {name}_y_hot {hot[1]}"]
    out.append(f"static unsigned char {name}_bits[] = {{")
    for i in range(0, len(rows), 12):
        out.append("   " + ", ".join(f"0x{b:02x}" for b in rows[i:i + 12]) + ",")
    out[-1] = out[-1].rstrip(",") + " };"
    with open(os.path.join(HERE, name + ".xbm"), "w") as f:
        f.write("\n".join(out) + "\n")


# ---- bitmaps -------------------------------------------------------------------------------

def button_pair(name, up):
    """The up look as drawn; the down look is its negative."""
    write_xbm(name + "UP", up)
    down = up.copy()
    down.invert()
    write_xbm(name + "DN", down)


def arrows():
    up = Canvas(7, 9)
    up.polygon([(3.5, 1), (7, 4.6), (0, 4.6)])
    up.fill(2, 5, 4, 7)
    down = Canvas(7, 9)
    down.px = [row[:] for row in reversed(up.px)]
    button_pair("UPARROW", up)
    button_pair("DNARROW", down)


def onoff():
    off = Canvas(17, 17)
    off.ring(8, 8, 7.2, 5.6)
    on = off.copy()
    on.disc(8, 8, 3.6)
    write_xbm("ONOFFUP", off)
    write_xbm("ONOFFDN", on)


def play():
    up = Canvas(24, 24)
    up.frame(0, 0, 23, 23, round_corners=True)
    up.polygon([(8, 5), (19, 12), (8, 19)])
    down = Canvas(24, 24)
    down.fill(0, 0, 23, 23)
    down.set(0, 0, 0), down.set(23, 0, 0), down.set(0, 23, 0), down.set(23, 23, 0)
    down.polygon([(9, 6), (20, 13), (9, 20)], 0)
    write_xbm("PLAY2UP", up)
    write_xbm("PLAY2DN", down)


def menu_buttons():
    for word in ("FILE", "EDIT", "MIDI"):
        # Words are 13 pixels wide: the sides are only brackets at the corners, so the
        # letters keep a clear pixel on each side.
        up = Canvas(16, 15)
        up.line(1, 0, 14, 0)
        up.line(1, 14, 14, 14)
        for x in (0, 15):
            up.line(x, 1, x, 3)
            up.line(x, 11, x, 13)
        up.glyphs(2, 5, word)
        button_pair(word, up)


def measure_buttons():
    for n in range(1, 9):
        up = Canvas(10, 18)
        up.frame(0, 0, 9, 17, round_corners=True)
        up.glyphs(3 if n != 1 else 2, 5, str(n), BIG)
        button_pair(f"LOOPSCTRL{n}", up)


def global_strip():
    c = Canvas(79, 166)
    c.frame(0, 0, 78, 165)
    # The fader grooves of volume and transpose, one pixel around each bar.
    c.frame(1, 1, 8, 137)
    c.frame(9, 1, 16, 137)
    for y in range(12, 137, 13):
        c.set(17, y)
    # Labels above the arrows: volume, transpose, tempo.
    centred_text(c, 5, 140, "V")
    centred_text(c, 13, 140, "T")
    c.glyphs(26, 141, "TEMPO")
    c.line(47, 143, 76, 143)
    # The menu bar sits at (22, 4); the name of the program under it.
    c.line(20, 22, 76, 22)
    centred_text(c, 48, 26, "THRUMBLEWORX")
    c.line(20, 33, 76, 33)
    centred_text(c, 48, 53, "PLAY")
    c.frame(34, 58, 61, 85, round_corners=True)
    c.frame(38, 90, 58, 110, round_corners=True)
    centred_text(c, 48, 113, "SOUND")
    c.line(20, 120, 76, 120)
    c.line(17, 138, 78, 138)
    write_xbm("GLOBALBMP", c)


def note_strip():
    c = Canvas(37, 162)
    c.frame(0, 0, 36, 161)
    c.line(1, 19, 28, 19)
    # The toggle at (12, 30) in a box.
    c.frame(10, 28, 30, 48, round_corners=True)
    # P by the note field, I by the program field, S by the pan slider, D by the duration
    # slider, V under the velocity fader's arrows.
    c.glyphs(2, 55, "P")
    c.line(6, 57, 27, 57)
    c.glyphs(2, 88, "I")
    c.line(4, 90, 27, 90)
    c.glyphs(2, 122, "S")
    c.line(6, 124, 27, 124)
    c.frame(1, 129, 29, 137)
    c.glyphs(2, 145, "D")
    c.line(6, 147, 27, 147)
    c.frame(1, 152, 29, 160)
    c.glyphs(31, 154, "V")
    c.frame(29, 18, 36, 134)
    write_xbm("NOTEBMP", c)


def loop_popup():
    c = Canvas(125, 20)
    c.frame(0, 0, 124, 19)
    c.glyphs(32, 4, "NEXT")
    c.polygon([(32, 12), (45, 12), (45, 10), (49, 13.5), (45, 17), (45, 15), (32, 15)])
    c.glyphs(94 - text_width("REPEAT", SMALL), 4, "REPEAT")
    c.glyphs(94 - text_width("TIMES", SMALL), 12, "TIMES")
    write_xbm("LOOPBKGBMP", c)


# ---- cursors -------------------------------------------------------------------------------

def cursor(name, ink, hot):
    """Black ink with a one-pixel white rim."""
    mask = Canvas(ink.w, ink.h)
    for y in range(ink.h):
        for x in range(ink.w):
            if any(ink.get(x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                mask.set(x, y)
    write_xbm(name, ink, hot)
    write_xbm(name + "_mask", mask)


def pointer(c, x=1, y=1, v=1):
    c.polygon([(x, y), (x, y + 16), (x + 4, y + 12.5), (x + 7, y + 18.5), (x + 9, y + 17.5),
               (x + 6.5, y + 11.5), (x + 11.5, y + 11.5)], v)


def cursors():
    arrow = Canvas(32, 32)
    pointer(arrow)
    cursor("NOCUR", arrow, (1, 1))

    push = Canvas(32, 32)
    pointer(push)
    push.disc(17, 21, 4.2)
    push.ring(17, 21, 6.6, 5.4)
    cursor("PUSHCUR", push, (1, 1))

    gen = Canvas(32, 32)
    pointer(gen)
    gen.frame(13, 16, 23, 26)
    gen.fill(15, 18, 21, 24)
    cursor("GENCUR", gen, (1, 1))

    up = Canvas(32, 32)
    up.polygon([(8, 1), (15.5, 9), (10, 9), (10, 18), (6, 18), (6, 9), (0.5, 9)])
    cursor("UPCUR", up, (8, 1))
    down = Canvas(32, 32)
    down.polygon([(8, 19), (15.5, 11), (10, 11), (10, 2), (6, 2), (6, 11), (0.5, 11)])
    cursor("DNCUR", down, (8, 18))

    barh = Canvas(32, 32)
    barh.polygon([(1, 10), (6, 5), (6, 9), (14, 9), (14, 5), (19, 10), (14, 15), (14, 11),
                  (6, 11), (6, 15)])
    barh.fill(9, 3, 10, 17)
    cursor("BARHCUR", barh, (10, 10))
    barv = Canvas(32, 32)
    barv.polygon([(10, 1), (15, 6), (11, 6), (11, 14), (15, 14), (10, 19), (5, 14), (9, 14),
                  (9, 6), (5, 6)])
    barv.fill(3, 9, 17, 10)
    cursor("BARVCUR", barv, (10, 10))

    size = Canvas(32, 32)
    size.polygon([(1, 9), (6, 4), (6, 8), (8, 8), (8, 10), (6, 10), (6, 14)])
    size.polygon([(20, 9), (15, 4), (15, 8), (13, 8), (13, 10), (15, 10), (15, 14)])
    size.fill(9, 2, 9, 16)
    size.fill(12, 2, 12, 16)
    cursor("SIZECUR", size, (10, 9))

    beam = Canvas(32, 32)
    beam.fill(2, 1, 4, 1)
    beam.fill(6, 1, 8, 1)
    beam.fill(5, 2, 5, 16)
    beam.fill(2, 17, 4, 17)
    beam.fill(6, 17, 8, 17)
    beam.fill(3, 9, 7, 9)
    cursor("TEXTCUR", beam, (5, 9))

    hand = Canvas(32, 32)
    rows = [
        "....##..........",
        "...#..#.........",
        "...#..#.........",
        "...#..#.........",
        "...#..#.........",
        "...#..###.......",
        "...#..#..###....",
        "...#..#..#..##..",
        "##.#..#..#..#.#.",
        "#.##........#..#",
        "#..#...........#",
        ".#.............#",
        ".#.............#",
        "..#............#",
        "..#...........#.",
        "...#..........#.",
        "...#.........#..",
        "....#........#..",
        "....##########..",
    ]
    for j, row in enumerate(rows):
        for i, ch in enumerate(row):
            if ch == '#':
                hand.set(i + 1, j + 1)
    # The inside of the hand is white: opaque in the mask, 0 in the image.
    inside = hand.copy()
    for y in range(inside.h):
        xs = [x for x in range(inside.w) if hand.get(x, y)]
        if len(xs) >= 2:
            for x in range(xs[0], xs[-1] + 1):
                inside.set(x, y)
    mask = Canvas(32, 32)
    for y in range(32):
        for x in range(32):
            if any(inside.get(x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                mask.set(x, y)
    write_xbm("HANDCUR", hand, (5, 1))
    write_xbm("HANDCUR_mask", mask)

    for letter in ("F", "E", "M"):
        c = Canvas(32, 32)
        pointer(c)
        c.fill(12, 15, 20, 25)
        c.glyphs(14, 17, letter, BIG, 0)
        cursor(letter + "CUR", c, (1, 1))


# ---- the program icon ----------------------------------------------------------------------

def write_png(path, w, h, rgba):
    raw = b"".join(b"\x00" + bytes(rgba[y * w * 4:(y + 1) * w * 4]) for y in range(h))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def icon(size):
    """Four rows of four step pads, some lit, with the play column brighter."""
    back, pad, lit, head = (29, 43, 58), (61, 83, 102), (242, 164, 58), (255, 214, 140)
    pattern = ["1001", "0100", "0010", "1011"]
    px = [0] * (size * size * 4)
    margin = max(1, size // 16)
    radius = size / 6
    gap = max(1, size // 32)
    cell = (size - 2 * margin - 5 * gap) / 4
    for y in range(size):
        for x in range(size):
            # The rounded square behind the pads, with soft corners by supersampling.
            cover = 0
            for sy in (0.25, 0.75):
                for sx in (0.25, 0.75):
                    fx, fy = x + sx, y + sy
                    cx = min(max(fx, radius), size - radius)
                    cy = min(max(fy, radius), size - radius)
                    if (fx - cx) ** 2 + (fy - cy) ** 2 <= radius * radius:
                        cover += 1
            if cover == 0:
                continue
            colour = back
            gx = (x - margin - gap) / (cell + gap)
            gy = (y - margin - gap) / (cell + gap)
            col, row = int(gx), int(gy)
            if 0 <= col < 4 and 0 <= row < 4 and gx >= 0 and gy >= 0 \
                    and gx - col < cell / (cell + gap) and gy - row < cell / (cell + gap):
                on = pattern[row][col] == "1"
                colour = (head if on else (96, 122, 146)) if col == 2 else (lit if on else pad)
            i = (y * size + x) * 4
            px[i:i + 4] = [*colour, 255 * cover // 4]
    write_png(os.path.join(HERE, f"icon128_{size}.png"), size, size, px)


def main():
    arrows()
    onoff()
    play()
    menu_buttons()
    measure_buttons()
    global_strip()
    note_strip()
    loop_popup()
    cursors()
    for size in (16, 24, 32, 48, 64, 128, 256):
        icon(size)


if __name__ == "__main__":
    main()
