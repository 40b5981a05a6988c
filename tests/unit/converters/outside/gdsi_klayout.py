# Run by klayout in batch mode: klayout -b -r gdsi_klayout.py -rd desc=F.json
#   -rd tlc=DIR -rd gds=OUT.gds -rd top=NAME -rd lib=DIR_OF_THIS_SCRIPT
# Builds the GDS-I fixture's cells in klayout from their description
# (orientation codes as klayout transformations), writes them as GDSII, and
# compares the flattened top cell per layer with our TLC cells flattened
# independently (tlcflat): every XOR empty. Prints PASS or the differences.
import json
import sys

import pya

sys.path.insert(0, lib)  # noqa: F821 (set by -rd)
import tlcflat  # noqa: E402

cells = json.load(open(desc))  # noqa: F821
ly = pya.Layout()
ly.dbu = 0.01  # the reader's scale: 100 units/um
made = {name: ly.create_cell(name) for name in cells}
for name, c in cells.items():
    for layer, xy in c["polys"]:
        pts = [pya.Point(xy[i], xy[i + 1]) for i in range(0, len(xy), 2)]
        made[name].shapes(ly.layer(layer, 0)).insert(pya.Polygon(pts))
    for sub, o, x, y in c["places"]:
        made[name].insert(pya.CellInstArray(made[sub].cell_index(), pya.Trans(o & 3, bool(o & 4), x, y)))
ly.write(gds)  # noqa: F821
back = pya.Layout()
back.read(gds)  # noqa: F821
tc = back.cell(top)  # noqa: F821

ident = {n: (n, 0) for n in range(1, 257)}
shapes, texts, pathkinds, refs = tlcflat.flatten(tlc, top, 1.0, 0, ident, True)  # noqa: F821
errors = []
keys = set(shapes.keys())
for li in back.layer_indexes():
    info = back.get_info(li)
    keys.add((info.layer, info.datatype))
for key in sorted(keys):
    exp = pya.Region(tc.begin_shapes_rec(back.layer(key[0], key[1])))
    got = pya.Region()
    for it in shapes.get(key, []):
        got.insert(pya.Polygon([pya.Point(x, y) for x, y in it[1]]))
    x = got ^ exp
    if not x.is_empty() or exp.is_empty():
        errors.append("layer %d: XOR area %d (got %d, expected %d)" % (key[0], x.area(), got.area(), exp.area()))
if errors:
    print("FAIL klayout (GDS-I):\n" + "\n".join(errors))
    sys.exit(1)
print("PASS klayout (GDS-I): %d layers XOR-empty" % len(keys))
