"""Writes a GDSII stream whose structures carry the names given as arguments
(each with one box on layer 1), and a main structure TOP placing them all.
The names are written byte for byte, so control characters, path
characters and the empty name reach the reader as they stand."""
import struct
import sys


def record(kind, dtype, data=b""):
    if len(data) % 2:
        data += b"\0"
    return struct.pack(">HBB", 4 + len(data), kind, dtype) + data


def ints(fmt, *v):
    return struct.pack(">" + fmt * len(v), *v)


def real8(x):
    # GDSII excess-64 base-16 real.
    if x == 0:
        return b"\0" * 8
    exp = 64
    while x >= 1:
        x /= 16
        exp += 1
    while x < 1 / 16:
        x *= 16
        exp -= 1
    return bytes([exp]) + int(x * (1 << 56)).to_bytes(7, "big")


def main():
    out, names = sys.argv[1], [n.encode("latin-1") for n in sys.argv[2:]]
    stamp = ints("h", 126, 12, 10, 13, 0, 0) * 2
    s = record(0x00, 0x02, ints("h", 600)) + record(0x01, 0x02, stamp) + record(0x02, 0x06, b"NAMES")
    s += record(0x03, 0x05, real8(1e-3) + real8(1e-9))
    box = ints("i", 0, 0, 1000, 0, 1000, 1000, 0, 1000, 0, 0)
    for n in names:
        s += record(0x05, 0x02, stamp) + record(0x06, 0x06, n)
        s += record(0x08, 0x00) + record(0x0D, 0x02, ints("h", 1)) + record(0x0E, 0x02, ints("h", 0))
        s += record(0x10, 0x03, box) + record(0x11, 0x00)
        s += record(0x07, 0x00)
    s += record(0x05, 0x02, stamp) + record(0x06, 0x06, b"TOP")
    for i, n in enumerate(names):
        s += record(0x0A, 0x00) + record(0x12, 0x06, n) + record(0x10, 0x03, ints("i", i * 2000, 0))
        s += record(0x11, 0x00)
    s += record(0x07, 0x00) + record(0x04, 0x00)
    with open(out, "wb") as f:
        f.write(s)


if __name__ == "__main__":
    main()
