#!/usr/bin/env python3
# The router's benchmark drawing at its limits, made so that our extractor
# compiles the very cell the router wires. DEV is a device cell (listed in
# mx.paf) with 2 connectors, pads on layer 21 numbered by texts on layer 5;
# TOP places it 1,000 times (40 rows of 25) with device texts D1..D1000 on
# layer 6 and, on a small pad over every connector, a node name on layer 10:
# 500 names of 2 to 6 connectors each on cells chosen at random (fixed seed),
# so that TOP's compile gives the 500-node list the router reads. END is the
# connector-end cell.
#   mx_make.py FOLDER
import os
import random
import sys

folder = sys.argv[1]
os.makedirs(folder, exist_ok=True)
random.seed(7)
CELLS, PINS, NODES = 1000, 2, 500


def write(name, body):
    with open(os.path.join(folder, name + ".tlc"), "w") as f:
        f.write('<?xml version="1.0"?>\n<TLC>\n' + body + "</TLC>\n")


def box(lyr, l, b, r, t):
    return "<B>\n%d %d %d %d %d\n</B>\n" % (lyr, l, b, r, t)


def text(lyr, x, y, s):
    return "<T>\n%d 1000 2 0\n%d %d\n<![CDATA[%s]]>\n</T>\n" % (lyr, x, y, s)


def pin(n):  # connector n of DEV, on its top edge
    return 20000 + 30000 * (n - 1), 10000


dev = box(1, 0, 0, 70000, 10000)
for n in range(1, PINS + 1):
    x, y = pin(n)
    dev += box(21, x - 2000, y - 2000, x + 2000, y + 2000) + text(5, x, y, "%d" % n)
write("DEV", dev)
write("END", box(49, -1500, -1500, 1500, 1500) + box(51, -1500, -1500, 1500, 1500))

# 2,000 connectors into 500 nodes of 2 to 6: sizes drawn at random, then
# nodes still within the range grown or shrunk until the sum is right.
sizes = [random.randint(2, 6) for _ in range(NODES)]
while sum(sizes) != CELLS * PINS:
    k = random.randrange(NODES)
    step = 1 if sum(sizes) < CELLS * PINS else -1
    if 2 <= sizes[k] + step <= 6:
        sizes[k] += step
free = [(c, p) for c in range(1, CELLS + 1) for p in range(1, PINS + 1)]
random.shuffle(free)
node = {}
for n, k in enumerate(sizes):
    for _ in range(k):
        node[free.pop()] = "n%d" % n

top = []
for i in range(CELLS):
    x, y = 80000 * (i % 25), 20000 * (i // 25)
    top.append("<C>\nDEV\n0 %d %d 0\n</C>\n" % (x, y))
    top.append(text(6, x + 5000, y + 5000, "D%d" % (i + 1)))
    for p in range(1, PINS + 1):
        px, py = pin(p)
        top.append(box(21, x + px - 1000, y + py - 1000, x + px + 1000, y + py + 1000))
        top.append(text(10, x + px, y + py, node[(i + 1, p)]))
write("TOP", "".join(top))
with open(os.path.join(folder, "QUIL7.CRF"), "w") as f:
    f.write("3\nDEV\n1 0 0 70000 12000 %d %d 0 0\nEND\n1 -1500 -1500 1500 1500 2 0 0 0\n"
            "TOP\n2 0 0 1990000 792000 %d %d 0 %d\n" % (1 + PINS, PINS, CELLS * PINS, CELLS * (1 + PINS), CELLS))
with open(os.path.join(folder, "QUIL7.USF"), "w") as f:
    f.write("scale=1000\nphysunit=um\n")
with open(os.path.join(folder, "mx.paf"), "w") as f:
    f.write("DEV=<DEVX>\n")
