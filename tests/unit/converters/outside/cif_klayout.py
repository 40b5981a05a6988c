# Run by klayout in batch mode: klayout -b -r cif_klayout.py -rd cif=F -rd tlc=DIR
#   -rd top=NAME -rd ratio=R -rd mpw=W -rd lib=DIR_OF_THIS_SCRIPT
# Reads our CIF file with klayout's defaults and compares it with the TLC
# drawing flattened independently: per layer the XOR of the flattened shapes,
# the texts by string and place, the references of each cell. Layer n is
# written as the CIF layer "Ln", which klayout reads as layer n. Prints PASS
# or the differences and exits non-zero.
import sys

import pya

sys.path.insert(0, lib)  # noqa: F821 (set by -rd)
import tlcflat  # noqa: E402

errors = []
ratio_v = float(ratio)  # noqa: F821
mpw_v = int(mpw)  # noqa: F821
ident = {n: (n, 0) for n in range(1, 257)}
shapes, texts, pathkinds, refs = tlcflat.flatten(tlc, top, ratio_v, mpw_v, ident)  # noqa: F821

ly = pya.Layout()
ly.read(cif)  # noqa: F821
names = sorted(c.name for c in ly.each_cell())
if names != sorted(refs.keys()):
    errors.append("cells %s, expected %s" % (names, sorted(refs.keys())))
tc = ly.cell(top.upper())  # noqa: F821
layers = {}
for li in ly.layer_indexes():
    info = ly.get_info(li)
    layers[(info.layer, info.datatype)] = li

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
    got = pya.Region([p for p in got.each() if p.area() > 0])
    exp = pya.Region([p for p in exp.each() if p.area() > 0])
    x = got ^ exp
    if not x.is_empty() or got.area() != exp.area():
        errors.append("layer %d: XOR not empty, area %d (got %d, expected %d)"
                      % (key[0], x.area(), got.area(), exp.area()))
    checked += 1

# Texts: a CIF text has no orientation and stands on the layer current where
# it is written; its string and place must match.
got_texts = []
for li in ly.layer_indexes():
    it = tc.begin_shapes_rec(li)
    it.shape_flags = pya.Shapes.STexts
    while not it.at_end():
        s = it.shape()
        t = it.trans() * pya.ICplxTrans(s.text_trans)
        got_texts.append((s.text_string, (t.disp.x, t.disp.y)))
        it.next()
want_texts = sorted((t[1], t[2]) for t in texts)
if sorted(got_texts) != want_texts:
    errors.append("texts differ:\n  got %s\n  expected %s" % (sorted(got_texts), want_texts))

for c in ly.each_cell():
    got_refs = []
    for inst in c.each_inst():
        tr = inst.cplx_trans
        got_refs.append((inst.cell.name, tlcflat.matrix(tr.angle, tr.is_mirror()), tr.disp.x, tr.disp.y))
    if sorted(got_refs) != refs.get(c.name, []):
        errors.append("references of %s: %s, expected %s" % (c.name, sorted(got_refs), refs.get(c.name)))

if errors:
    print("FAIL klayout (CIF):\n" + "\n".join(errors))
    sys.exit(1)
print("PASS klayout (CIF): %d cells, %d layers XOR-empty, %d texts" % (len(names), checked, len(texts)))
