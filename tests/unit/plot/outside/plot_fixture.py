# Writes the plotter's outside-check drawing into a folder: LEAF (boxes, a
# closed polygon, an open thin path, wide paths with flush and square ends,
# a text), MID (LEAF in all eight orientations), OUTC (a cell placed in
# outline form) and TOP (two MIDs, one mirrored, the outlined OUTC, a box,
# a text), with the cell list and the main setup file.
import os
import sys

ORIENT = {0: (1, 0, 0, 1), 1: (0, -1, 1, 0), 2: (-1, 0, 0, -1), 3: (0, 1, -1, 0),
          4: (1, 0, 0, -1), 5: (0, 1, 1, 0), 6: (-1, 0, 0, 1), 7: (0, -1, -1, 0)}

CELLS = {
    "LEAF": {
        "boxes": [(1, 0, 0, 4000, 2000), (1, 5000, 0, 6000, 3000)],
        "paths": [(2, 0, [(0, 4000), (4000, 4000), (4000, 5000), (1000, 5000), (1000, 7000), (0, 7000), (0, 4000)]),
                  (2, 0, [(0, 9000), (3000, 9000), (3000, 10000)]),
                  (3, 600, [(6000, 4000), (9000, 4000), (9000, 7000)]),
                  (3, -600, [(6000, 9000), (9000, 9000)])],
        "texts": [(4, 800, 0, 11000, 0, "L")],
        "cells": [],
    },
    "MID": {
        "boxes": [(1, -1000, -1000, 80000, -500)],
        "paths": [], "texts": [],
        "cells": [("LEAF", o, 15000 + 20000 * (o % 4), 15000 + 20000 * (o // 4), 0) for o in range(8)],
    },
    "OUTC": {
        "boxes": [(1, 0, 0, 20000, 10000)], "paths": [], "texts": [], "cells": [],
    },
    "TOP": {
        "boxes": [(1, 0, -8000, 4000, -6000)],
        "paths": [], "texts": [(4, 1500, 0, 60000, -9000, "TOP")],
        "cells": [("MID", 0, 0, 0, 0), ("MID", 5, 90000, 0, 0), ("OUTC", 0, 20000, -30000, 1)],
    },
}


def xform(o, p):
    a, b, c, d = ORIENT[o]
    return (a * p[0] + b * p[1], c * p[0] + d * p[1])


def extents(name):
    c = CELLS[name]
    pts = []
    for _, l, b, r, t in c["boxes"]:
        pts += [(l, b), (r, t)]
    for _, w, ps in c["paths"]:
        m = abs(w) // 2
        for x, y in ps:
            pts += [(x - m, y - m), (x + m, y + m)]
    for _, size, o, x, y, text in c["texts"]:
        e = xform(o, (8 * size * ((len(text) + 8) // 8), size))
        pts += [(x, y), (x + e[0], y + e[1])]
    for sub, o, x, y, _ in c["cells"]:
        l, b, r, t = extents(sub)
        for q in ((l, b), (r, t), (l, t), (r, b)):
            q = xform(o, q)
            pts.append((q[0] + x, q[1] + y))
    return (min(p[0] for p in pts), min(p[1] for p in pts), max(p[0] for p in pts), max(p[1] for p in pts))


def rank(name):
    subs = CELLS[name]["cells"]
    return 1 + max([rank(s[0]) for s in subs] or [0])


def write(folder):
    order = ["LEAF", "OUTC", "MID", "TOP"]
    for name in order:
        c = CELLS[name]
        l, b, r, t = extents(name)
        nv = sum(len(p[2]) for p in c["paths"])
        with open(os.path.join(folder, name + ".tlc"), "w") as f:
            f.write('<?xml version="1.0"?>\n<TLC>\n<H>\n%s\n7.0.91\n7.0.91\n1000\num\n12/10/26\n13:00:00\n' % name)
            f.write("%d %d %d %d %d\n%d %d %d %d\n</H>\n" % (rank(name), l, b, r, t, len(c["boxes"]),
                                                              len(c["paths"]), nv, len(c["cells"])))
            for sub, o, x, y, out in c["cells"]:
                f.write("<C>\n%s\n%d %d %d %d\n</C>\n" % (sub, o, x, y, out))
            for box in c["boxes"]:
                f.write("<B>\n%d %d %d %d %d\n</B>\n" % box)
            for lyr, w, ps in c["paths"]:
                f.write("<P>\n%d %d %d\n%s\n</P>\n" % (lyr, w, len(ps), " ".join("%d %d" % p for p in ps)))
            for lyr, size, o, x, y, text in c["texts"]:
                f.write("<T>\n%d %d %d %d\n%d %d\n%s\n</T>\n" % (lyr, size, (len(text) + 8) // 8, o, x, y, text))
            f.write("</TLC>\n")
    with open(os.path.join(folder, "QUIL7.CRF"), "w") as f:
        f.write("%d\n" % len(order))
        for name in order:
            c = CELLS[name]
            l, b, r, t = extents(name)
            f.write("%s\n%d %d %d %d %d %d %d %d %d\n" % (name, rank(name), l, b, r, t, len(c["boxes"]),
                                                         len(c["paths"]), sum(len(p[2]) for p in c["paths"]),
                                                         len(c["cells"])))
    with open(os.path.join(folder, "QUIL7.USF"), "w") as f:
        f.write("scale=1000\nphysunit=um\n")


if __name__ == "__main__":
    write(sys.argv[1])
    print("%d %d %d %d" % extents("TOP"))
