# klayout's view of a 3D result against an independent projection of its
# source: the result cell, written to GDSII by our writer, must read without
# error, and per layer its polygons must equal (XOR empty) the source's boxes,
# polygons and wide-path outlines (klayout's own outlines) projected here by
# the same formula, truncated toward zero, and the legend squares placed from
# the projected extent. With both angles 0 the result must also equal the
# source merely moved up by (level - 1) x spacing x scale.
#   klayout -b -r q3d_klayout.py -rd drawing=DIR -rd lib=DIR -rd gds=FILE -rd z=DEG -rd x=DEG
#     -rd stp=N -rd layers=L1,L2,...  (the list, 0 for a gap)
import math
import sys

import pya

sys.path.insert(0, lib)
import tlcflat  # noqa: E402

FACTOR = 0.017453292519444445
Z = float(z) * FACTOR
X = float(x) * FACTOR
sz, cz, cx = math.sin(Z), math.cos(Z), math.cos(X)
S = int(stp)
C = 1000.0
order = [int(v) for v in layers.split(",")]
level = {}
for i, lyr in enumerate(order):
    if lyr and lyr not in level:
        level[lyr] = i + 1

src = tlcflat.read_cell(drawing, "FLAT")
ext = [None, None, None, None]


def take(px, py):
    ext[0] = px if ext[0] is None else min(ext[0], px)
    ext[1] = py if ext[1] is None else min(ext[1], py)
    ext[2] = px if ext[2] is None else max(ext[2], px)
    ext[3] = py if ext[3] is None else max(ext[3], py)


def project(k, px, py):
    a = math.trunc(px * cz - py * sz)
    b = math.trunc((k - 1) * S * C + (px * sz + py * cz) * cx)
    take(a, b)
    return pya.Point(a, b)


want = {}
plain = {}  # the source outlines, unprojected


def add(lyr, pts):
    k = level[lyr]
    want.setdefault(lyr, pya.Region()).insert(pya.Polygon([project(k, px, py) for px, py in pts]))
    plain.setdefault(lyr, pya.Region()).insert(pya.Polygon([pya.Point(px, py) for px, py in pts]))


for lyr, l, b, r, t in src["boxes"]:
    if lyr in level:
        add(lyr, [(l, b), (r, b), (r, t), (l, t)])
for lyr, w, pts in src["paths"]:
    if lyr not in level:
        continue
    if w == 0:
        if pts[0] == pts[-1]:
            add(lyr, pts[:-1])
        else:
            # Our writer gives a line the narrowest width GDSII readers draw.
            line = [project(level[lyr], px, py) for px, py in pts]
            want.setdefault(lyr, pya.Region()).insert(pya.Path(line, 2).polygon())
            plain.setdefault(lyr, pya.Region()).insert(pya.Path([pya.Point(px, py) for px, py in pts], 2).polygon())
        continue
    e = abs(w) // 2 if w < 0 else 0
    poly = pya.Path([pya.Point(px, py) for px, py in pts], abs(w), e, e).polygon()
    add(lyr, [(p.x, p.y) for p in poly.each_point_hull()])
for lyr, size, o, px, py, s in src["texts"]:
    if lyr in level:
        project(level[lyr], px, py)

# The legend from the extent of the elements.
w = (ext[2] - ext[0]) // 20
step = int(S * C)
legend_texts = []
for i, lyr in enumerate(order):
    if not lyr or level[lyr] != i + 1:
        continue
    X0, Y0 = ext[2] + w, level[lyr] * step + ext[1]
    h = w // 2
    want.setdefault(lyr, pya.Region()).insert(pya.Box(X0 + w, Y0, X0 + w + h, Y0 + h))
    legend_texts.append((lyr, X0, Y0, str(lyr)))

ly = pya.Layout()
ly.read(gds)
top = ly.top_cell()
failed = False
if top is None or top.name.upper() != "FLAT_3D":
    print("FAIL: top cell %s" % (top.name if top else None))
    sys.exit(1)
for lyr, region in sorted(want.items()):
    li = ly.find_layer(lyr, 0)
    got = pya.Region(top.begin_shapes_rec(li)) if li is not None else pya.Region()
    diff = got.merged() ^ region.merged()
    if not diff.is_empty():
        failed = True
        print("FAIL: layer %d z=%s x=%s differs in %d polygons, first %s" % (lyr, z, x, diff.count(),
                                                                           list(diff.each())[0]))
    if float(z) == 0 and float(x) == 0 and lyr in plain:
        moved = plain[lyr].moved(0, (level[lyr] - 1) * step)
        rest = got.merged() - pya.Region(pya.Box(ext[2] + 1, -2**30, 2**30, 2**30))
        if not (rest ^ moved.merged()).is_empty():
            failed = True
            print("FAIL: layer %d with both angles 0 is not the source moved up" % lyr)
# Layers not listed stay out.
for li in ly.layer_indexes():
    info = ly.get_info(li)
    if info.layer not in level and not top.bbox_per_layer(li).empty():
        failed = True
        print("FAIL: layer %d is not listed but drawn" % info.layer)
labels = []
for li in ly.layer_indexes():
    for sh in top.shapes(li).each():
        if sh.is_text():
            labels.append((ly.get_info(li).layer, sh.text_string, sh.text_pos.x, sh.text_pos.y))
for lyr, X0, Y0, s in legend_texts:
    if (lyr, s, X0, Y0) not in labels:
        failed = True
        print("FAIL: legend text %s not at %d %d: %s" % (s, X0, Y0, labels))
if failed:
    sys.exit(1)
print("ok z=%s x=%s: %d layers equal" % (z, x, len(want)))
