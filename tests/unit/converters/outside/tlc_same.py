#!/usr/bin/env python3
# Compares the cells of two TLC folders object by object (headers and layer
# records aside): boxes, polygons and paths (a repeated closing vertex
# ignored; an open polygon the writer made a path of its default width
# counts as the polygon; a rectangular polygon counts as the box the reader
# makes of it), texts (their sizes left out: the GDSII writer gives each text
# the size of the nearest of its four text rows) and cell references, as
# multisets per cell.
#   tlc_same.py <folder a> <folder b> <cell>...
import os
import re
import sys


def cell_file(folder, name):
    for f in os.listdir(folder):
        if f.lower() == name.lower() + ".tlc":
            return os.path.join(folder, f)
    return None


def objects(path):
    text = open(path).read()
    out = []
    for tag, body in re.findall(r"<([BPTC])>\n(.*?)</\1>", text, re.S):
        if tag == "B":
            out.append(("B",) + tuple(int(v) for v in body.split()))
        elif tag == "P":
            v = [int(x) for x in body.split()]
            pts = list(zip(v[3::2], v[4::2]))
            w = v[1]
            if w == 0 and len(pts) > 1 and pts[0] == pts[-1]:
                pts = pts[:-1]
            # The writer turns an open polygon into a path of its default
            # width (2): both count as the same object.
            if w == 2 and pts[0] != pts[-1]:
                w = 0
            xs, ys = sorted(set(p[0] for p in pts)), sorted(set(p[1] for p in pts))
            if w == 0 and len(pts) == 4 and len(xs) == 2 and len(ys) == 2 and \
                    all(pts[i][0] == pts[(i + 1) % 4][0] or pts[i][1] == pts[(i + 1) % 4][1] for i in range(4)):
                out.append(("B", v[0], xs[0], ys[0], xs[1], ys[1]))
                continue
            out.append(("P", v[0], w, tuple(pts)))
        elif tag == "T":
            lines = body.split("\n")
            h = [int(x) for x in lines[0].split()]
            xy = tuple(int(x) for x in lines[1].split())
            s = re.sub(r"^<!\[CDATA\[(.*)\]\]>$", r"\1", lines[2])
            out.append(("T", h[0], h[3]) + xy + (s,))
        else:
            lines = body.split("\n")
            out.append(("C", lines[0].upper()) + tuple(int(x) for x in lines[1].split()[:3]))
    return sorted(out)


a, b = sys.argv[1], sys.argv[2]
bad = 0
for name in sys.argv[3:]:
    fa, fb = cell_file(a, name), cell_file(b, name)
    if not fa or not fb:
        print("FAIL: %s missing (%s, %s)" % (name, fa, fb))
        bad = 1
        continue
    oa, ob = objects(fa), objects(fb)
    if oa != ob:
        print("FAIL: %s differs:\n  only in %s: %s\n  only in %s: %s"
              % (name, a, sorted(set(oa) - set(ob))[:5], b, sorted(set(ob) - set(oa))[:5]))
        bad = 1
    else:
        print("same: %s (%d objects)" % (name, len(oa)))
sys.exit(bad)
