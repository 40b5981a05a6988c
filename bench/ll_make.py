#!/usr/bin/env python3
# A drawing folder for the layer-logic benchmark: cell TOP with N boxes of
# 200 x 100 units at a pitch of 300 on layer 1, the same moved by (100, 50)
# on layer 2; scale 1000 units to the um.
#   ll_make.py FOLDER [N]
import math
import os
import sys

folder = sys.argv[1]
n = int(sys.argv[2]) if len(sys.argv) > 2 else 1000000
side = int(math.isqrt(n))
os.makedirs(folder, exist_ok=True)
with open(os.path.join(folder, "TOP.tlc"), "w") as f:
    f.write('<?xml version="1.0"?>\n<TLC>\n')
    for layer, dx, dy in ((1, 0, 0), (2, 100, 50)):
        rows = []
        for j in range(side):
            y = j * 300 + dy
            for i in range(side):
                x = i * 300 + dx
                rows.append("<B>\n%d %d %d %d %d\n</B>\n" % (layer, x, y, x + 200, y + 100))
            if len(rows) > 20000:
                f.write("".join(rows))
                rows = []
        f.write("".join(rows))
    f.write("</TLC>\n")
ext = side * 300 + 150
with open(os.path.join(folder, "QUIL7.CRF"), "w") as f:
    f.write("1\nTOP\n1 0 0 %d %d %d 0 0 0\n" % (ext, ext, 2 * side * side))
with open(os.path.join(folder, "QUIL7.USF"), "w") as f:
    f.write("scale=1000\nphysunit=um\n")
print(side * side, ext)
