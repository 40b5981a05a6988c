# Run by klayout in batch mode:
#   klayout -b -r gds_same.py -rd a=A.gds -rd b=B.gds -rd top=TOP
# Flattens the top cell of both files (both written by the same GDSII
# writer) and compares them layer by layer with a Boolean XOR of the merged
# shapes, and their texts by string, place and orientation. Prints PASS or
# the differences and exits non-zero.
import sys

import pya


def load(path):
    ly = pya.Layout()
    ly.read(path)
    return ly


def region(cell, li):
    r = pya.Region(cell.begin_shapes_rec(li))
    r.merge()
    return r


def texts(cell, li):
    out = []
    it = cell.begin_shapes_rec(li)
    while not it.at_end():
        s = it.shape()
        if s.is_text():
            t = s.text.transformed(it.trans())
            out.append((t.string, t.x, t.y, str(t.trans.to_s())))
        it.next()
    return sorted(out)


A = load(a)  # noqa: F821
B = load(b)  # noqa: F821
ta, tb = A.cell(top), B.cell(top)  # noqa: F821
if ta is None or tb is None:
    print("FAIL: no top cell")
    sys.exit(1)
keys = {}
for ly, tag in ((A, 0), (B, 1)):
    for li in ly.layer_indexes():
        info = ly.get_info(li)
        keys.setdefault((info.layer, info.datatype), [None, None])[tag] = li
errors = []
for key, (la, lb) in sorted(keys.items()):
    ra = region(ta, la) if la is not None else pya.Region()
    rb = region(tb, lb) if lb is not None else pya.Region()
    # Degenerate shapes (a box of no width) stay in a merged region as
    # edges of no area: only area tells geometry apart.
    if (ra ^ rb).area() != 0:
        errors.append("layer %d/%d: XOR area %d" % (key[0], key[1], (ra ^ rb).area()))
    xa = texts(ta, la) if la is not None else []
    xb = texts(tb, lb) if lb is not None else []
    if xa != xb:
        errors.append("layer %d/%d: texts differ" % key)
if errors:
    print("FAIL: " + "; ".join(errors))
    sys.exit(1)
print("PASS: %d layers" % len(keys))
