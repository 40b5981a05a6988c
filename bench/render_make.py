#!/usr/bin/python3
"""Drawing folder for the redraw benchmarks: FLAT (1,000,000 boxes of 80 at a
pitch of 100), C100 (10 x 10 such boxes) and ARR (C100 placed 100 x 100
times at a pitch of 1100), with the sample drawing's setup.
    render_make.py <sample folder> <new folder>"""
import os
import shutil
import sys

src, dst = sys.argv[1], sys.argv[2]
os.makedirs(dst, exist_ok=True)
HDR = "<?xml version=\"1.0\"?>\n<TLC>\n<H>\n%s\n7.0.91\n7.0.91\n1000\num\n12/10/26\n12:00:00\n%d %d %d %d %d\n%d 0 0 %d\n</H>\n"


def boxes(f, n, x0=0, y0=0):
    out = []
    for j in range(n):
        for i in range(n):
            x, y = x0 + i * 100, y0 + j * 100
            out.append("<B>\n%d %d %d %d %d\n</B>\n" % (1 + (i + j) % 10, x, y, x + 80, y + 80))
    f.write("".join(out))


with open(os.path.join(dst, "FLAT.tlc"), "w") as f:
    f.write(HDR % ("FLAT", 1, 0, 0, 99980, 99980, 1000000, 0))
    for j in range(1000):
        f.write("".join("<B>\n%d %d %d %d %d\n</B>\n" % (1 + (i + j) % 10, i * 100, j * 100, i * 100 + 80, j * 100 + 80)
                        for i in range(1000)))
    f.write("</TLC>\n")
with open(os.path.join(dst, "C100.tlc"), "w") as f:
    f.write(HDR % ("C100", 1, 0, 0, 980, 980, 100, 0))
    boxes(f, 10)
    f.write("</TLC>\n")
with open(os.path.join(dst, "ARR.tlc"), "w") as f:
    f.write(HDR % ("ARR", 2, 0, 0, 109980, 109980, 0, 10000))
    f.write("".join("<C>\nC100\n0 %d %d 0\n</C>\n" % (i * 1100, j * 1100) for j in range(100) for i in range(100)))
    f.write("</TLC>\n")
with open(os.path.join(dst, "QUIL7.CRF"), "w") as f:
    f.write("3\nFLAT\n1 0 0 99980 99980 1000000 0 0 0\nC100\n1 0 0 980 980 100 0 0 0\n"
            "ARR\n2 0 0 109980 109980 0 0 0 10000\n")
shutil.copy(os.path.join(src, "QUIL7.USF"), os.path.join(dst, "QUIL7.USF"))
