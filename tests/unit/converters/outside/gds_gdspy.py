# Run with /usr/bin/python3: gds_gdspy.py GDS TLCDIR TOP RATIO MPW
# Reads the GDSII file with gdspy and compares units, structures, references,
# labels and the flattened area per layer/datatype with the TLC drawing.
import os
import sys

import gdspy

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tlcflat  # noqa: E402

gds, tlc, top, ratio, mpw = sys.argv[1], sys.argv[2], sys.argv[3], float(sys.argv[4]), int(sys.argv[5])
protocol = len(sys.argv) > 6 and sys.argv[6] == "Y"
ldm = tlcflat.read_ldm(os.path.join(tlc, top + ".ldm"))
shapes, texts, pathkinds, refs = tlcflat.flatten(tlc, top, ratio, mpw, ldm, protocol)
errors = []

lib = gdspy.GdsLibrary(infile=gds)
if abs(lib.unit - 1e-6) > 1e-15 or abs(lib.precision - 1e-9) > 1e-18:
    errors.append("units %g %g" % (lib.unit, lib.precision))
if sorted(lib.cell_dict.keys()) != sorted(pathkinds.keys()):
    errors.append("structures %s" % sorted(lib.cell_dict.keys()))
scale = lib.precision / lib.unit  # user units per database unit
tc = lib.cell_dict[top.upper()]

got_refs = []
for r in tc.references:
    name = r.ref_cell.name if hasattr(r.ref_cell, "name") else r.ref_cell
    m = tlcflat.matrix(r.rotation or 0, bool(r.x_reflection))
    got_refs.append((name, m, int(round(r.origin[0] / scale)), int(round(r.origin[1] / scale))))
if sorted(got_refs) != refs[top.upper()]:
    errors.append("references %s\nexpected %s" % (sorted(got_refs), refs[top.upper()]))

# gdspy keeps a label's own rotation when it flattens references, so the
# orientation is compared on the top structure's own labels and the
# positions over the whole hierarchy.
got_texts = []
for lb in tc.get_labels():
    got_texts.append(((lb.layer, lb.texttype), lb.text,
                      (int(round(lb.position[0] / scale)), int(round(lb.position[1] / scale)))))
if sorted(got_texts) != sorted(t[:3] for t in texts):
    errors.append("labels %s\nexpected %s" % (sorted(got_texts), sorted(t[:3] for t in texts)))
own = []
for lb in tc.get_labels(depth=0):
    own.append((lb.text, tlcflat.matrix(lb.rotation or 0, bool(lb.x_reflection))))
own_texts = tlcflat.read_cell(tlc, top)["texts"]
want_own = [(t[5], tlcflat.ORIENT[t[2]]) for t in own_texts]
if sorted(own) != sorted(want_own):
    errors.append("label orientations %s\nexpected %s" % (sorted(own), sorted(want_own)))

polys = tc.get_polygons(by_spec=True)
for key, items in sorted(shapes.items()):
    exp = []
    for it in items:
        pts = [(x * scale, y * scale) for x, y in it[1]]
        if it[0] == "poly":
            exp.append(pts)
        else:
            ends = "extended" if it[3] else "flush"
            exp.extend(gdspy.FlexPath(pts, it[2] * scale, ends=ends).get_polygons())
    got = [p for p in polys.get(key, [])]
    exp = [p for p in exp if abs(gdspy.Polygon(p).area()) > 0]
    got = [p for p in got if abs(gdspy.Polygon(p).area()) > 0]
    x = gdspy.boolean(got, exp, "xor", precision=1e-4)
    area = x.area() if x is not None else 0.0
    if area > 1e-6:
        errors.append("layer %d/%d: XOR area %g um2" % (key[0], key[1], area))

if errors:
    print("FAIL gdspy:\n" + "\n".join(errors))
    sys.exit(1)
print("PASS gdspy: %d structures, %d references, %d labels, %d layer/datatype pairs XOR-empty"
      % (len(lib.cell_dict), len(got_refs), len(got_texts), len(shapes)))
