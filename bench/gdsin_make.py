#!/usr/bin/env python3
# Writes the GDSII inputs of the reader benchmark:
#   gdsin_make.py <out.gds> flat   1,000,000 boxes in one structure (64 MB)
#   gdsin_make.py <out.gds> srefs  10,000 SREFs of 100 cells of 10 boxes
import struct
import sys


def rec(out, rt, dt, data=b""):
    out.append(struct.pack(">HBB", len(data) + 4, rt, dt) + data)


def real8(x):
    if x == 0:
        return b"\0" * 8
    e = 64
    while x >= 1:
        x /= 16
        e += 1
    while x < 1 / 16:
        x *= 16
        e -= 1
    return bytes([e]) + int(x * (1 << 56)).to_bytes(7, "big")


def name(s):
    b = s.encode()
    return b + (b"\0" if len(b) % 2 else b"")


def begin(out, s):
    rec(out, 0x05, 2, struct.pack(">12h", 126, 1, 1, 0, 0, 0, 126, 1, 1, 0, 0, 0))
    rec(out, 0x06, 6, name(s))


def box(out, layer, l, b, r, t):
    rec(out, 0x08, 0)
    rec(out, 0x0D, 2, struct.pack(">h", layer))
    rec(out, 0x0E, 2, struct.pack(">h", 0))
    rec(out, 0x10, 3, struct.pack(">10i", l, b, r, b, r, t, l, t, l, b))
    rec(out, 0x11, 0)


path, kind = sys.argv[1], sys.argv[2]
out = []
rec(out, 0x00, 2, struct.pack(">h", 600))
rec(out, 0x01, 2, struct.pack(">12h", 126, 1, 1, 0, 0, 0, 126, 1, 1, 0, 0, 0))
rec(out, 0x02, 6, name("BENCH"))
rec(out, 0x03, 5, real8(0.001) + real8(1e-9))
with open(path, "wb") as f:
    if kind == "flat":
        f.write(b"".join(out))
        out = []
        begin(out, "FLAT")
        for i in range(1000000):
            x, y = (i % 1000) * 2000, (i // 1000) * 2000
            box(out, 1 + i % 8, x, y, x + 1000 + i % 7, y + 1000)
            if len(out) > 50000:
                f.write(b"".join(out))
                out = []
    else:
        for c in range(100):
            begin(out, "C%d" % c)
            for k in range(10):
                box(out, 1 + k % 4, k * 100, c * 10, k * 100 + 50, c * 10 + 50)
            rec(out, 0x07, 0)
        begin(out, "TOP")
        for i in range(10000):
            rec(out, 0x0A, 0)
            rec(out, 0x12, 6, name("C%d" % (i % 100)))
            rec(out, 0x1A, 1, struct.pack(">H", 0x8000 if i % 2 else 0))
            rec(out, 0x1C, 5, real8(90.0 * (i % 4)))
            rec(out, 0x10, 3, struct.pack(">2i", (i % 100) * 5000, (i // 100) * 5000))
            rec(out, 0x11, 0)
    rec(out, 0x07, 0)
    rec(out, 0x04, 0)
    f.write(b"".join(out))
