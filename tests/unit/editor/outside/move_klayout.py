# Run by klayout in batch mode:
#   klayout -b -r move_klayout.py -rd orig=ORIG.gds -rd edited=EDITED.gds -rd top=TOP -rd op=OP
# OP says what the editor did to the whole of the top cell, in micrometres:
#   mov:dx,dy   cpy:dx,dy   orig:x,y   step:nx,ny,dx,dy,seq
# klayout makes the same thing from the original with its own instances
# (a transform, a second placement, an array), flattens both and compares
# them layer by layer with a Boolean XOR and the texts by string, place and
# orientation. Prints PASS or the differences and exits non-zero.
import sys

import pya


def load(path):
    ly = pya.Layout()
    ly.read(path)
    return ly


def placements(op):
    kind, _, args = op.partition(":")
    v = [float(a) for a in args.split(",")]
    if kind == "mov":
        return [(v[0], v[1])], False
    if kind == "cpy":
        return [(0, 0), (v[0], v[1])], False
    if kind == "orig":
        return [(-v[0], -v[1])], False
    if kind == "step":
        nx, ny, dx, dy = int(v[0]), int(v[1]), v[2], v[3]
        return [(i * dx, j * dy) for i in range(nx) for j in range(ny)], True
    raise SystemExit("unknown op " + op)


def shapes(ly, cell):
    regions, texts = {}, []
    for li in ly.layer_indexes():
        info = ly.get_info(li)
        key = (info.layer, info.datatype)
        r = pya.Region(cell.begin_shapes_rec(li))
        regions[key] = regions.get(key, pya.Region()) + r
        it = cell.begin_shapes_rec(li)
        while not it.at_end():
            s = it.shape()
            if s.is_text():
                t = s.text.transformed(it.trans())
                texts.append((key, t.string, t.x, t.y, t.trans.rot, t.trans.is_mirror()))
            it.next()
    return regions, sorted(texts)


orig = load(orig)
edited = load(edited)
dbu = orig.dbu
top_o = orig.cell(top)
want = orig.create_cell("EXPECTED_" + top)
moves, array = placements(op)
if array:
    kind, _, args = op.partition(":")
    v = [float(a) for a in args.split(",")]
    want.insert(pya.DCellInstArray(top_o.cell_index(), pya.DTrans(), pya.DVector(v[2], 0), pya.DVector(0, v[3]),
                                   int(v[0]), int(v[1])))
else:
    for dx, dy in moves:
        want.insert(pya.DCellInstArray(top_o.cell_index(), pya.DTrans(dx, dy)))
# Copies that lie on each other are one area: merge before comparing.
want_r, want_t = shapes(orig, want)
got_r, got_t = shapes(edited, edited.cell(top))
status = 0
if abs(edited.dbu - dbu) > 1e-12:
    print("FAIL: database units differ: %g %g" % (dbu, edited.dbu))
    status = 1


def split(r):
    # Shapes without area (a box of zero width) do not cancel in an XOR:
    # they are compared by their extents.
    area, flat = pya.Region(), set()
    for p in r.each():
        if p.area() == 0:
            flat.add(str(p.bbox()))
        else:
            area.insert(p)
    return area.merged(), flat


for key in sorted(set(want_r) | set(got_r)):
    a, fa = split(want_r.get(key, pya.Region()))
    b, fb = split(got_r.get(key, pya.Region()))
    x = a ^ b
    if not x.is_empty():
        print("FAIL: layer %d/%d differs in %d polygon(s), first %s" % (key[0], key[1], x.count(), x[0]))
        status = 1
    if fa != fb:
        print("FAIL: layer %d/%d: shapes without area differ: %s / %s" % (key[0], key[1], sorted(fa)[:3], sorted(fb)[:3]))
        status = 1
if want_t != got_t:
    print("FAIL: texts differ\n  want %s\n  got  %s" % (want_t[:6], got_t[:6]))
    status = 1
nshapes = sum(r.count() for r in got_r.values())
if nshapes == 0:
    print("FAIL: the edited cell is empty")
    status = 1
print("PASS %s: %d polygons, %d texts" % (op, nshapes, len(got_t)) if status == 0 else "FAIL %s" % op)
sys.exit(status)
