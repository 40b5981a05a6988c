# Run by klayout in batch mode:
#   klayout -b -r cif_xor.py -rd a=ORIGINAL.gds -rd b=ROUNDTRIP.gds -rd top=TOP
# Flattens the top cell of both files and compares them layer by layer with
# a Boolean XOR; texts by string and place on any layer (CIF texts of
# klayout's own form name no layer of their own, so the reader puts them on
# its default layer). Prints PASS or the differences and exits non-zero.
import sys

import pya


def load(path):
    ly = pya.Layout()
    ly.read(path)
    return ly


def texts(ly, cell):
    out = []
    for li in ly.layer_indexes():
        it = cell.begin_shapes_rec(li)
        it.shape_flags = pya.Shapes.STexts
        while not it.at_end():
            t = it.shape().text.transformed(it.trans())
            out.append((t.string, t.x, t.y))
            it.next()
    return sorted(out)


A = load(a)  # noqa: F821
B = load(b)  # noqa: F821
ta = A.cell(top)  # noqa: F821
tb = B.cell(top)  # noqa: F821
errors = []
if ta is None or tb is None:
    print("FAIL: no top cell")
    sys.exit(1)
if abs(A.dbu - B.dbu) > 1e-12:
    errors.append("units %g and %g" % (A.dbu, B.dbu))
layers_b = {}
for li in B.layer_indexes():
    info = B.get_info(li)
    layers_b[(info.layer, info.datatype)] = li
checked = 0
for li in A.layer_indexes():
    info = A.get_info(li)
    key = (info.layer, info.datatype)
    ra = pya.Region(ta.begin_shapes_rec(li))
    rb = pya.Region(tb.begin_shapes_rec(layers_b[key])) if key in layers_b else pya.Region()
    x = ra ^ rb
    if not x.is_empty() or ra.area() == 0:
        errors.append("layer %d/%d: XOR area %d (original %d, round trip %d)"
                      % (key[0], key[1], x.area(), ra.area(), rb.area()))
    checked += 1
if texts(A, ta) != texts(B, tb):
    errors.append("texts %s, round trip %s" % (texts(A, ta), texts(B, tb)))
if errors:
    print("FAIL: " + "\n".join(errors))
    sys.exit(1)
print("PASS: %d layers XOR-empty, %d texts" % (checked, len(texts(A, ta))))
