#!/usr/bin/env python3
# The router's benchmark drawing at its limits: DEV carries 8 connectors on
# its top edge, TOP places it 1,000 times (40 rows of 25) with device texts
# D1..D1000, END is the connector-end cell, and TOP.nod holds 500 nodes of 2
# to 4 pins each on cells chosen at random (fixed seed).
#   mx_make.py FOLDER
import os
import random
import sys

folder = sys.argv[1]
os.makedirs(folder, exist_ok=True)
random.seed(7)


def write(name, body):
    with open(os.path.join(folder, name + ".tlc"), "w") as f:
        f.write('<?xml version="1.0"?>\n<TLC>\n' + body + "</TLC>\n")


def text(lyr, x, y, s):
    return "<T>\n%d 1000 2 0\n%d %d\n<![CDATA[%s]]>\n</T>\n" % (lyr, x, y, s)


write("DEV", "<B>\n1 0 0 70000 10000\n</B>\n" + "".join(text(5, 10000 * (n - 1), 10000, "%d" % n) for n in range(1, 9)))
write("END", "<B>\n49 -1500 -1500 1500 1500\n</B>\n")
top = []
cells = 1000
for i in range(cells):
    x, y = 80000 * (i % 25), 20000 * (i // 25)
    top.append("<C>\nDEV\n0 %d %d 0\n</C>\n" % (x, y))
    top.append(text(6, x + 5000, y + 5000, "D%d" % (i + 1)))
write("TOP", "".join(top))
free = [(c, p) for c in range(1, cells + 1) for p in range(1, 9)]
random.shuffle(free)
lines = ["[TOP]"]
for n in range(500):
    k = random.randint(2, 4)
    pins = [free.pop() for _ in range(k)]
    lines.append("n%d:0" % n)
    lines.append(" " + "".join(" D%d.%d " % p for p in pins))
lines.append("::")
with open(os.path.join(folder, "TOP.nod"), "w") as f:
    f.write("\n".join(lines) + "\n")
with open(os.path.join(folder, "QUIL7.CRF"), "w") as f:
    f.write("3\nDEV\n1 0 0 70000 10000 1 8 16 0\nEND\n1 -1500 -1500 1500 1500 1 0 0 0\n"
            "TOP\n2 0 0 2000000 800000 0 %d %d %d\n" % (cells, 2 * cells, cells))
with open(os.path.join(folder, "QUIL7.USF"), "w") as f:
    f.write("scale=1000\nphysunit=um\n")
