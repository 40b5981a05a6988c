# klayout's Booleans against a layer-logic result: the drawing is flattened
# on its own (tlcflat.py) into Regions of layers A and B, clipped to the
# boundary, combined, and compared with layer 3 of the result written to
# GDSII by our writer. With exact=Y the XOR must be empty; otherwise it must
# vanish once shrunk by one map cell (slanted edges and wide paths are
# rounded to the map grid).
#   klayout -b -r ll_klayout.py -rd drawing=DIR -rd lib=DIR -rd m=UNITS -rd box=L,B,R,T
#     -rd exact=Y|N -rd cases=OP:RES.gds,OP:RES.gds,...   (OP 0 AND, 1 OR, 2 XOR, 3 A NOT B)
import sys

import pya

sys.path.insert(0, lib)
import tlcflat  # noqa: E402

shapes, _, _, _ = tlcflat.flatten(drawing, "TOP", 1, 0, {})


def region(layer):
    r = pya.Region()
    for e in shapes.get((layer, 0), []):
        pts = [pya.Point(int(x), int(y)) for x, y in e[1]]
        if e[0] == "poly":
            r.insert(pya.Polygon(pts))
        else:
            r.insert(pya.Path(pts, e[2], e[3], e[3]).polygon())
    return r.merged()


l, b, r_, t = [int(v) for v in box.split(",")]
clip = pya.Region(pya.Box(l, b, r_, t))
a = region(1) & clip
bb = region(2) & clip
ops = {"0": a & bb, "1": a | bb, "2": a ^ bb, "3": a - bb}
failed = False
for case in cases.split(","):
    op, gds = case.split(":", 1)
    want = ops[op]
    ly = pya.Layout()
    ly.read(gds)
    got = pya.Region()
    if ly.top_cell() is not None:
        li = ly.find_layer(3, 0)
        if li is not None:
            got = pya.Region(ly.top_cell().begin_shapes_rec(li))
    got.merge()
    diff = got ^ want
    if exact != "Y":
        diff = diff.sized(-int(m))
    name = {"0": "AND", "1": "OR", "2": "XOR", "3": "A NOT B"}[op]
    if diff.is_empty() and not want.is_empty():
        print("ok %s area %d" % (name, want.area()))
    else:
        print("FAIL %s: %d shapes differ, first %s (want area %d, got %d)" %
              (name, diff.count(), diff[0] if diff.count() else "-", want.area(), got.area()))
        failed = True
if failed:
    sys.exit(1)
