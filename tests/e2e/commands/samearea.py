#!/usr/bin/python3
"""Counts the pixels of the drawing area that differ between two screenshots.

usage: samearea.py A.ppm B.ppm OX OY LEFT TOP RIGHT BOTTOM [SHARE]

Prints the count; exit 0 when at most SHARE (a fraction of the area, 0 by
default) differ, 1 otherwise."""
import sys

sys.path.insert(0, __import__("os").path.dirname(__file__))
from griddots import ppm  # noqa: E402


def main():
    if len(sys.argv) not in (9, 10):
        sys.exit(__doc__)
    w, h, a = ppm(sys.argv[1])
    w2, h2, b = ppm(sys.argv[2])
    if (w, h) != (w2, h2):
        sys.exit("screenshots differ in size")
    ox, oy, left, top, right, bottom = (int(v) for v in sys.argv[3:9])
    n = 0
    for y in range(oy + top + 1, min(h, oy + bottom - 1)):
        row = (y * w + ox + left + 1) * 3
        end = (y * w + min(w, ox + right - 1)) * 3
        if a[row:end] != b[row:end]:
            n += sum(1 for i in range(row, end, 3) if a[i:i + 3] != b[i:i + 3])
    share = float(sys.argv[9]) if len(sys.argv) == 10 else 0.0
    area = max(1, (right - left - 2) * (bottom - top - 2))
    print("pixels differing: %d of %d" % (n, area))
    return 0 if n <= share * area else 1


if __name__ == "__main__":
    sys.exit(main())
