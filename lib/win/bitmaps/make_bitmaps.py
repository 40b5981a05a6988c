#!/usr/bin/env python3
# Draws the tool bar bitmaps and the program icons: plain glyphs on the
# button face, 8 bits a pixel so LR_LOADMAP3DCOLORS can map the greys.
import struct, sys

FONT = {
    '?': ["01110", "10001", "00001", "00110", "00100", "00000", "00100"],
    'R': ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    'S': ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    'G': ["01110", "10001", "10000", "10111", "10001", "10001", "01110"],
    'O': ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    'L': ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    'T': ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    'F': ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
}
# palette: 0 face grey (192), 1 black, 2 dark grey (128), 3 blue, 4 green, 5 red, 6 white
PAL = [(192, 192, 192), (0, 0, 0), (128, 128, 128), (0, 0, 160), (0, 128, 0), (160, 0, 0), (255, 255, 255)]


def draw(w, h, text, colour, scale):
    px = [[0] * w for _ in range(h)]
    tw = len(text) * 6 * scale - scale
    x0 = (w - tw) // 2
    y0 = (h - 7 * scale) // 2
    for k, ch in enumerate(text):
        for r, row in enumerate(FONT[ch]):
            for c, bit in enumerate(row):
                if bit == '1':
                    for dy in range(scale):
                        for dx in range(scale):
                            px[y0 + r * scale + dy][x0 + (k * 6 + c) * scale + dx] = colour
    return px


def bmp8(px):
    h = len(px)
    w = len(px[0])
    stride = (w + 3) & ~3
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PAL + [(0, 0, 0)] * (256 - len(PAL)))
    data = b''.join(bytes(row) + b'\0' * (stride - w) for row in reversed(px))
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 8, 0, len(data), 2835, 2835, 256, 0)
    off = 14 + len(info) + len(pal)
    return struct.pack('<2sIHHI', b'BM', off + len(data), 0, 0, off) + info + pal + data


def ico(px):
    h = len(px)
    w = len(px[0])
    rows = []
    for row in reversed(px):
        rows.append(b''.join(struct.pack('<BBBB', *reversed(PAL[c]), 255) for c in row))
    xor = b''.join(rows)
    mask = b'\0' * (((w + 31) // 32) * 4 * h)
    info = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    img = info + xor + mask
    return struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', w, h, 0, 0, 1, 32, len(img), 22) + img


def main(out):
    for name, text, colour in [("mxphelp", "?", 3), ("mrun", "R", 4), ("msetup", "S", 1),
                               ("mgo", "GO", 5), ("mlayer", "L", 3), ("mtext", "T", 1)]:
        open(f"{out}/{name}.bmp", "wb").write(bmp8(draw(24, 24, text, colour, 2)))
    icon = draw(32, 32, "F", 6, 3)
    icon = [[4 if c == 0 else c for c in row] for row in icon]
    open(f"{out}/quilflat.ico", "wb").write(ico(icon))


main(sys.argv[1] if len(sys.argv) > 1 else ".")
