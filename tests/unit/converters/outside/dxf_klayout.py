# Run by klayout in batch mode: klayout -b -r dxf_klayout.py -rd dxf=F
#   -rd tlc=DIR -rd top=NAME -rd ratio=R -rd lib=DIR_OF_THIS_SCRIPT
# Reads our DXF file (polylines as merged polygons, mode 2) and compares it
# per layer with the TLC drawing flattened independently: the XOR of the
# flattened shapes must be empty. DXF layer "LAYER_n" is TLC layer n.
# Prints PASS or the differences and exits non-zero.
import sys

import pya

sys.path.insert(0, lib)  # noqa: F821 (set by -rd)
import tlcflat  # noqa: E402

errors = []
ident = {n: (n, 0) for n in range(1, 257)}
shapes, texts, pathkinds, refs = tlcflat.flatten(tlc, top, float(ratio), 0, ident, True)  # noqa: F821

opt = pya.LoadLayoutOptions()
opt.dxf_polyline_mode = 2
opt.dxf_dbu = 0.001
opt.dxf_unit = 1.0
ly = pya.Layout()
ly.read(dxf, opt)  # noqa: F821
tc = ly.cell(top.upper())  # noqa: F821
if tc is None:
    tc = ly.top_cell()
layers = {}
for li in ly.layer_indexes():
    name = ly.get_info(li).name
    if name.startswith("LAYER_"):
        layers[(int(name[6:]), 0)] = li

checked = 0
for key in sorted(set(shapes.keys()) | set(layers.keys())):
    exp = pya.Region()
    for it in shapes.get(key, []):
        pts = [pya.Point(x, y) for x, y in it[1]]
        if it[0] == "poly":
            exp.insert(pya.Polygon(pts))
        else:
            exp.insert(pya.Path(pts, it[2], it[3], it[3]).polygon())
    got = pya.Region()
    if key in layers:
        got = pya.Region(tc.begin_shapes_rec(layers[key]))
    got.merge()
    exp.merge()
    x = got ^ exp
    if not x.is_empty():
        errors.append("layer %d: XOR not empty, area %d (got %d, expected %d)"
                      % (key[0], x.area(), got.area(), exp.area()))
    checked += 1

if errors:
    print("FAIL klayout (DXF):\n" + "\n".join(errors))
    sys.exit(1)
print("PASS klayout (DXF): %d layers XOR-empty" % checked)
