# Run by klayout in batch mode: klayout -b -r gds_klayout.py -rd gds=F -rd tlc=DIR
#   -rd top=NAME -rd ratio=R -rd mpw=W -rd lib=DIR_OF_THIS_SCRIPT
# Reads the GDSII file and compares it with the TLC drawing flattened
# independently. Prints PASS or the differences and exits non-zero.
import sys

import pya

sys.path.insert(0, lib)  # noqa: F821 (set by -rd)
import tlcflat  # noqa: E402

errors = []
ratio_v = float(ratio)  # noqa: F821
mpw_v = int(mpw)  # noqa: F821
ldm = tlcflat.read_ldm(tlc + "/" + top + ".ldm")  # noqa: F821
protocol_v = globals().get("protocol", "N") == "Y"
shapes, texts, pathkinds, refs = tlcflat.flatten(tlc, top, ratio_v, mpw_v, ldm, protocol_v)  # noqa: F821

ly = pya.Layout()
ly.read(gds)  # noqa: F821
if abs(ly.dbu - 0.001) > 1e-12:
    errors.append("dbu %g" % ly.dbu)
names = sorted(c.name for c in ly.each_cell())
if names != sorted(pathkinds.keys()):
    errors.append("structures %s, expected %s" % (names, sorted(pathkinds.keys())))
tc = ly.cell(top.upper())  # noqa: F821

layers = {}
for li in ly.layer_indexes():
    info = ly.get_info(li)
    layers[(info.layer, info.datatype)] = li
want_layers = set(shapes.keys()) | set(t[0] for t in texts)
if set(layers.keys()) != want_layers:
    errors.append("layers %s, expected %s" % (sorted(layers.keys()), sorted(want_layers)))

checked = 0
for key, items in sorted(shapes.items()):
    exp = pya.Region()
    for it in items:
        pts = [pya.Point(x, y) for x, y in it[1]]
        if it[0] == "poly":
            exp.insert(pya.Polygon(pts))
        else:
            exp.insert(pya.Path(pts, it[2], it[3], it[3]).polygon())
    got = pya.Region()
    if key in layers:
        got = pya.Region(tc.begin_shapes_rec(layers[key]))
    # A crushed box is written but covers nothing: zero-area shapes are left
    # out on both sides (the layer list above shows it was written).
    got = pya.Region([p for p in got.each() if p.area() > 0])
    exp = pya.Region([p for p in exp.each() if p.area() > 0])
    x = got ^ exp
    if not x.is_empty() or got.area() != exp.area():
        errors.append("layer %d/%d: XOR not empty, area %d (got %d, expected %d)"
                      % (key[0], key[1], x.area(), got.area(), exp.area()))
    checked += 1

# Texts after flattening: layer, string, position and orientation.
got_texts = []
for key, li in layers.items():
    it = tc.begin_shapes_rec(li)
    it.shape_flags = pya.Shapes.STexts
    while not it.at_end():
        s = it.shape()
        t = it.trans() * pya.ICplxTrans(s.text_trans)
        got_texts.append((key, s.text_string, (t.disp.x, t.disp.y), tlcflat.matrix(t.angle, t.is_mirror())))
        it.next()
if sorted(got_texts) != sorted(texts):
    errors.append("texts differ:\n  got %s\n  expected %s" % (sorted(got_texts), sorted(texts)))

# Path widths and end types in each structure, before flattening.
for c in ly.each_cell():
    got_pathkinds = []
    for key, li in layers.items():
        for s in c.shapes(li).each():
            if s.is_path():
                got_pathkinds.append(key + (s.path_width, s.path_bgnext))
                if s.path_bgnext != s.path_endext:
                    errors.append("unequal path ends in %s" % c.name)
    if sorted(got_pathkinds) != pathkinds[c.name]:
        errors.append("paths of %s: %s, expected %s" % (c.name, sorted(got_pathkinds), pathkinds[c.name]))
    got_refs = []
    for inst in c.each_inst():
        tr = inst.cplx_trans
        got_refs.append((inst.cell.name, tlcflat.matrix(tr.angle, tr.is_mirror()), tr.disp.x, tr.disp.y))
    if sorted(got_refs) != refs[c.name]:
        errors.append("references of %s: %s, expected %s" % (c.name, sorted(got_refs), refs[c.name]))

if errors:
    print("FAIL klayout:\n" + "\n".join(errors))
    sys.exit(1)
print("PASS klayout%s: %d structures, %d layer/datatype pairs XOR-empty, %d texts, units %g um"
      % (" (protocol checks)" if protocol_v else "", len(names), checked, len(texts), ly.dbu))
