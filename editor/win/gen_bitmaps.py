#!/usr/bin/python3
"""Draws the editor's tool bitmaps, the splash picture and the program icon
into res/. Run by hand after changing a picture; the files are kept in the
repository so the build needs no imaging tools."""
import os
import re
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "res")


def version():
    """The version the splash shows, from the numbers of lib/version.h."""
    with open(os.path.join(HERE, "..", "..", "lib", "version.h")) as f:
        text = f.read()
    parts = [re.search(r"#define QUIL_VERSION_%s (\d+)" % k, text).group(1) for k in ("MAJOR", "MINOR", "BUILD")]
    return ".".join(parts)

# A 3 x 5 pixel font for the short labels.
FONT = {
    "A": ["010", "101", "111", "101", "101"], "B": ["110", "101", "110", "101", "110"],
    "C": ["011", "100", "100", "100", "011"], "D": ["110", "101", "101", "101", "110"],
    "E": ["111", "100", "110", "100", "111"], "F": ["111", "100", "110", "100", "100"],
    "G": ["011", "100", "101", "101", "011"], "H": ["101", "101", "111", "101", "101"],
    "I": ["111", "010", "010", "010", "111"], "L": ["100", "100", "100", "100", "111"],
    "M": ["101", "111", "111", "101", "101"], "N": ["110", "101", "101", "101", "101"],
    "O": ["010", "101", "101", "101", "010"], "P": ["110", "101", "110", "100", "100"],
    "Q": ["010", "101", "101", "110", "011"], "R": ["110", "101", "110", "101", "101"],
    "S": ["011", "100", "010", "001", "110"], "T": ["111", "010", "010", "010", "010"],
    "U": ["101", "101", "101", "101", "111"], "V": ["101", "101", "101", "101", "010"],
    "W": ["101", "101", "111", "111", "101"], "X": ["101", "101", "010", "101", "101"],
    "Y": ["101", "101", "010", "010", "010"], "Z": ["111", "001", "010", "100", "111"],
    "7": ["111", "001", "010", "010", "010"], "0": ["111", "101", "101", "101", "111"],
    "1": ["010", "110", "010", "010", "111"], "9": ["111", "101", "111", "001", "111"],
    ".": ["000", "000", "000", "000", "010"], "?": ["110", "001", "010", "000", "010"],
    " ": ["000", "000", "000", "000", "000"],
}

GREY = (192, 192, 192)
BLACK = (0, 0, 0)
BLUE = (0, 0, 160)
RED = (192, 0, 0)
GREEN = (0, 128, 0)
WHITE = (255, 255, 255)


class Pic:
    def __init__(self, w, h, bg):
        self.w, self.h = w, h
        self.px = [[bg] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, l, t, r, b, c, fill=False):
        for y in range(t, b + 1):
            for x in range(l, r + 1):
                if fill or y in (t, b) or x in (l, r):
                    self.set(x, y, c)

    def line(self, x0, y0, x1, y1, c):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            self.set(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)

    def text(self, x, y, s, c, k=1):
        for ch in s:
            g = FONT[ch]
            for gy, row in enumerate(g):
                for gx, bit in enumerate(row):
                    if bit == "1":
                        self.rect(x + gx * k, y + gy * k, x + gx * k + k - 1, y + gy * k + k - 1, c, True)
            x += 4 * k


def save_bmp(pic, name):
    # 8-bit BMP with a palette of the colours used.
    colours = sorted({c for row in pic.px for c in row})
    index = {c: i for i, c in enumerate(colours)}
    stride = (pic.w + 3) & ~3
    pixels = b""
    for y in range(pic.h - 1, -1, -1):
        row = bytes(index[c] for c in pic.px[y])
        pixels += row + b"\0" * (stride - pic.w)
    palette = b"".join(struct.pack("<BBBB", c[2], c[1], c[0], 0) for c in colours)
    header = struct.pack("<IiiHHIIiiII", 40, pic.w, pic.h, 1, 8, 0, len(pixels), 2835, 2835,
                         len(colours), 0)
    off = 14 + len(header) + len(palette)
    data = b"BM" + struct.pack("<IHHI", off + len(pixels), 0, 0, off) + header + palette + pixels
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def save_ico(pic, name):
    # One 32 x 32 image, 24-bit colour with an all-opaque mask.
    xor = b""
    for y in range(pic.h - 1, -1, -1):
        xor += b"".join(struct.pack("<BBB", c[2], c[1], c[0]) for c in pic.px[y])
    mask = b"\0" * (4 * pic.h)
    header = struct.pack("<IiiHHIIiiII", 40, pic.w, pic.h * 2, 1, 24, 0, len(xor) + len(mask), 0, 0, 0, 0)
    img = header + xor + mask
    data = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", pic.w, pic.h, 0, 0, 1, 24, len(img), 22) + img
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def label(s, c=BLACK):
    p = Pic(16, 16, GREY)
    p.text(8 - 2 * len(s) + 1 if len(s) < 4 else 0, 5, s, c)
    return p


def arrow(dx, dy):
    p = Pic(16, 16, GREY)
    cx, cy = 7, 7
    p.line(cx - 5 * dx, cy - 5 * dy, cx + 5 * dx, cy + 5 * dy, BLUE)
    p.line(cx - 5 * dx + dy, cy - 5 * dy + dx, cx + 5 * dx + dy, cy + 5 * dy + dx, BLUE)
    tx, ty = cx + 5 * dx, cy + 5 * dy
    for i in range(5):
        p.line(tx - i * dx - i * dy, ty - i * dy - i * dx, tx - i * dx + i * dy, ty - i * dy + i * dx, BLUE)
    return p


def undo(flip):
    p = Pic(16, 16, GREY)
    pts = [(12, 12), (13, 9), (12, 6), (9, 4), (5, 4)]
    if flip:
        pts = [(15 - x, y) for x, y in pts]
    for (a, b), (c, d) in zip(pts, pts[1:]):
        p.line(a, b, c, d, BLUE)
        p.line(a, b + 1, c, d + 1, BLUE)
    hx, hy = pts[-1]
    s = 1 if not flip else -1
    p.line(hx, hy, hx + 3 * s, hy - 3, BLUE)
    p.line(hx, hy + 1, hx + 3 * s, hy + 4, BLUE)
    return p


def tools():
    pics = {}
    help_ = Pic(16, 16, GREY)
    help_.text(5, 2, "?", BLUE, 2)
    pics["MXPHELP"] = help_
    run = Pic(16, 16, GREY)
    for i in range(6):
        run.line(5 + i, 3 + i, 5 + i, 13 - i, GREEN)
    pics["MRUN"] = run
    prn = Pic(16, 16, GREY)
    prn.rect(4, 2, 11, 6, WHITE, True); prn.rect(4, 2, 11, 6, BLACK)
    prn.rect(2, 6, 13, 11, BLACK, True); prn.rect(4, 10, 11, 14, WHITE, True); prn.rect(4, 10, 11, 14, BLACK)
    pics["MHCPY"] = prn
    pics["MSYS"] = label("SYS", RED)
    imp = Pic(16, 16, GREY)
    imp.rect(8, 3, 14, 13, WHITE, True); imp.rect(8, 3, 14, 13, BLACK)
    imp.line(1, 8, 9, 8, GREEN); imp.line(6, 5, 9, 8, GREEN); imp.line(6, 11, 9, 8, GREEN)
    pics["MIMPORT"] = imp
    exp = Pic(16, 16, GREY)
    exp.rect(1, 3, 7, 13, WHITE, True); exp.rect(1, 3, 7, 13, BLACK)
    exp.line(6, 8, 14, 8, RED); exp.line(11, 5, 14, 8, RED); exp.line(11, 11, 14, 8, RED)
    pics["MEXPORT"] = exp
    pics["MUNDO"] = undo(False)
    pics["MREDO"] = undo(True)
    sav = Pic(16, 16, GREY)
    sav.rect(2, 2, 13, 13, BLUE, True); sav.rect(4, 2, 11, 6, WHITE, True); sav.rect(5, 9, 10, 13, BLACK, True)
    pics["MSAVE"] = sav
    pics["MCELL"] = label("LD")
    pics["MRECL"] = label("RC")
    lst = Pic(16, 16, GREY)
    for y in (3, 6, 9, 12):
        lst.rect(2, y, 3, y + 1, BLACK, True); lst.line(5, y, 13, y, BLACK)
    pics["MLIST"] = lst
    pics["MLEFT"] = arrow(-1, 0)
    pics["MUP"] = arrow(0, -1)
    pics["MDN"] = arrow(0, 1)
    pics["MRIGHT"] = arrow(1, 0)
    fit = Pic(16, 16, GREY)
    fit.rect(5, 5, 10, 10, RED, True)
    for (x, y, sx, sy) in ((1, 1, 1, 1), (14, 1, -1, 1), (1, 14, 1, -1), (14, 14, -1, -1)):
        fit.line(x, y, x + 3 * sx, y, BLACK); fit.line(x, y, x, y + 3 * sy, BLACK)
    pics["MFIT"] = fit
    cn = Pic(16, 16, GREY)
    cn.line(7, 1, 7, 14, BLACK); cn.line(1, 7, 14, 7, BLACK); cn.rect(5, 5, 9, 9, RED)
    pics["MCNTR"] = cn
    xp = Pic(16, 16, GREY)
    xp.rect(5, 5, 10, 10, BLUE)
    for (x, y, sx, sy) in ((1, 1, 1, 1), (14, 1, -1, 1), (1, 14, 1, -1), (14, 14, -1, -1)):
        xp.line(x, y, x + 3 * sx, y + 3 * sy, BLACK); xp.line(x, y, x + 2 * sx, y, BLACK); xp.line(x, y, x, y + 2 * sy, BLACK)
    pics["MXPND"] = xp
    zm = Pic(16, 16, GREY)
    zm.rect(2, 2, 9, 9, BLACK); zm.rect(3, 3, 8, 8, WHITE, True); zm.line(8, 8, 13, 13, BLACK); zm.line(9, 8, 14, 13, BLACK)
    pics["MZOOM"] = zm
    pics["MLAST"] = label("LW")
    drw = Pic(16, 16, GREY)
    drw.line(3, 12, 12, 3, BLACK); drw.line(4, 12, 13, 3, RED); drw.line(3, 13, 12, 4, BLACK); drw.set(2, 13, BLACK)
    pics["MDRAW"] = drw
    return pics


def logo():
    p = Pic(326, 276, (16, 16, 48))
    layers = [((160, 0, 0), 20, 30, 300, 60), ((0, 128, 0), 40, 200, 290, 250),
              ((0, 96, 192), 60, 20, 90, 260), ((192, 160, 0), 230, 20, 260, 260)]
    for c, l, t, r, b in layers:
        p.rect(l, t, r, b, c)
        p.rect(l + 1, t + 1, r - 1, b - 1, c)
    p.text(33, 100, "QUIL 7", WHITE, 11)
    p.text(110, 170, version(), (200, 200, 255), 4)
    return p


def icon():
    p = Pic(32, 32, (16, 16, 48))
    p.rect(3, 3, 28, 28, (192, 160, 0))
    p.text(4, 8, "Q7", WHITE, 3)
    return p


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, pic in tools().items():
        save_bmp(pic, name.lower() + ".bmp")
    save_bmp(logo(), "quillogo.bmp")
    save_ico(icon(), "quil1.ico")


if __name__ == "__main__":
    main()
