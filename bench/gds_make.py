#!/usr/bin/env python3
# Makes the benchmark drawings of the GDSII writer in a folder:
#   gds_make.py DIR flat   -> FLAT.tlc, 1,000,000 boxes in one cell
#   gds_make.py DIR array  -> ARRAY.tlc: 100 rows of 100 instances of a 4-box unit
import os
import sys

folder, kind = sys.argv[1], sys.argv[2]
os.makedirs(folder, exist_ok=True)


def header(name, rank):
    return ('<?xml version="1.0"?>\n<TLC>\n<H>\n%s\n7.0.91\n7.0.91\n1000\num\n12/10/26\n10:00:00\n'
            '%d 0 0 100 100\n0 0 0 0\n</H>\n' % (name, rank))


def write(name, rank, body):
    with open(os.path.join(folder, name + ".tlc"), "w") as f:
        f.write(header(name, rank))
        f.write(body)
        f.write("</TLC>\n")


if kind == "flat":
    parts = []
    for i in range(1000000):
        x, y = (i % 1000) * 200, (i // 1000) * 200
        parts.append("<B>\n%d %d %d %d %d\n</B>\n" % (1 + i % 4, x, y, x + 100, y + 150))
    write("FLAT", 1, "".join(parts))
    main = "FLAT"
else:
    write("UNIT", 1, "".join("<B>\n%d 0 0 %d %d\n</B>\n" % (l, 50 + 10 * l, 80) for l in range(1, 5)))
    write("ROW", 2, "".join("<C>\nUNIT\n%d %d 0 0\n</C>\n" % (i % 8, 200 * i) for i in range(100)))
    write("ARRAY", 3, "".join("<C>\nROW\n0 0 %d 0\n</C>\n" % (300 * j) for j in range(100)))
    main = "ARRAY"
with open(os.path.join(folder, main + ".ldm"), "w") as f:
    f.write("*LDM built from %s.tlc\n*gdslayer,datatype,tlclayer\n" % main)
    for l in range(1, 5):
        f.write("%d,0,%d\n" % (l, l))
print(main)
