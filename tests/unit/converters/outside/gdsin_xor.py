# Run by klayout in batch mode:
#   klayout -b -r gdsin_xor.py -rd a=ORIGINAL.gds -rd b=ROUNDTRIP.gds -rd top=TOP [-rd square=0]
# Flattens the top cell of both files and compares them layer by layer with
# a Boolean XOR, and their texts by string, place and orientation. The one
# change the GDSII reader makes on purpose: round path ends become square
# ends reaching half the width beyond the end points (square=0 keeps them
# round, for round trips through files that carry the outline instead).
# Prints PASS or the differences and exits non-zero.
import sys

import pya


def load(path):
    ly = pya.Layout()
    ly.read(path)
    return ly


def region(ly, cell, li, square_round_ends):
    r = pya.Region()
    it = cell.begin_shapes_rec(li)
    while not it.at_end():
        s = it.shape()
        if s.is_path():
            p = s.path
            if p.round:
                if square_round_ends:
                    p = pya.Path(list(p.each_point()), p.width, p.width // 2, p.width // 2, False)
            r.insert(p.transformed(it.trans()).polygon())
        elif s.is_box() or s.is_polygon() or s.is_simple_polygon():
            r.insert(s.polygon.transformed(it.trans()))
        it.next()
    return r


def texts(ly, cell, li):
    out = []
    it = cell.begin_shapes_rec(li)
    while not it.at_end():
        s = it.shape()
        if s.is_text():
            t = s.text.transformed(it.trans())
            out.append((t.string, t.x, t.y, str(t.trans.to_s())))
        it.next()
    return sorted(out)


SQUARE = globals().get("square", "1") != "0"
A = load(a)  # noqa: F821
B = load(b)  # noqa: F821
ta = A.cell(top)  # noqa: F821
tb = B.cell(top)  # noqa: F821
errors = []
if ta is None or tb is None:
    print("FAIL: no top cell")
    sys.exit(1)
layers_b = {}
for li in B.layer_indexes():
    info = B.get_info(li)
    layers_b[(info.layer, info.datatype)] = li
checked = 0
for li in A.layer_indexes():
    info = A.get_info(li)
    key = (info.layer, info.datatype)
    ra = region(A, ta, li, SQUARE)
    rb = region(B, tb, layers_b[key], False) if key in layers_b else pya.Region()
    x = ra ^ rb
    if not x.is_empty():
        errors.append("layer %d/%d: XOR area %d (original %d, round trip %d)"
                      % (key[0], key[1], x.area(), ra.area(), rb.area()))
    txa = texts(A, ta, li)
    txb = texts(B, tb, layers_b[key]) if key in layers_b else []
    if txa != txb:
        errors.append("layer %d/%d: texts %s, round trip %s" % (key[0], key[1], txa, txb))
    checked += 1
if errors:
    print("FAIL: " + "\n".join(errors))
    sys.exit(1)
print("PASS: %d layers equal" % checked)
