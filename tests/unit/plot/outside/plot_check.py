# Compares a plot drawn by hp2xx with the drawing flattened here on its own:
# every expected edge must be drawn within 2 pixels (unless the layer is
# dashed), and no stroke pixel may lie farther than 2 pixels from an
# expected edge, apart from texts (the native tests hold them) and, with
# fills, the inside of filled shapes.
# Usage: plot_check.py FOLDER PBM HP2XX_OUTPUT DPI ORIGIN ROT PSC DOL DASHED FILLED L B R T
import math
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "../../converters/outside"))
import tlcflat  # noqa: E402

folder, pbm, hpout, dpi, origin, rot, psc, dol, dashed, filled = sys.argv[1:11]
win = [float(v) for v in sys.argv[11:15]]
dpi, psc = int(dpi), float(psc)
rot, dol, dashed, filled = rot == "Y", dol == "Y", dashed == "Y", filled == "Y"
SCALE = 1000.0

crf = open(os.path.join(folder, "QUIL7.CRF")).read().split("\n")
ext = {}
for i in range(int(crf[0])):
    v = [int(x) for x in crf[2 + 2 * i].split()]
    ext[crf[1 + 2 * i].strip()] = v[1:5]

cxd = int(SCALE * (win[0] + win[2]) / 2)
cyd = int(SCALE * (win[1] + win[3]) / 2)


def plot_units(p):
    """Database units of the main cell to plotter units, as the plot maps them."""
    x, y = p
    if origin == "C":
        u = (0.04 * psc * (x - cxd) / SCALE, 0.04 * psc * (y - cyd) / SCALE)
    else:
        u = (x * 0.04 / SCALE * psc, y * 0.04 / SCALE * psc)
    u = (math.trunc(u[0]), math.trunc(u[1]))
    return (-u[1], u[0]) if rot else u


edges = []    # segments in plotter units
masks = []    # boxes in plotter units where strokes are not judged
solids = []   # closed outlines in plotter units whose inside a fill may cover


def add_ring(pts, fill):
    u = [plot_units(p) for p in pts]
    for a, b in zip(u, u[1:]):
        edges.append((a, b))
    if fill:
        solids.append(u)


def outline(pts, w):
    """Outline of a wide path of right-angle turns: each side offset by half
    the width and joined where the offset lines meet; square ends go on."""
    a = abs(w) / 2.0
    ext_end = w < 0
    dirs = []
    for (x0, y0), (x1, y1) in zip(pts, pts[1:]):
        d = math.hypot(x1 - x0, y1 - y0)
        dirs.append(((x1 - x0) / d, (y1 - y0) / d))
    left, right = [], []
    for i, p in enumerate(pts):
        if i == 0 or i == len(pts) - 1:
            dx, dy = dirs[0] if i == 0 else dirs[-1]
            s = (-1 if i == 0 else 1) * (a if ext_end else 0)
            q = (p[0] + dx * s, p[1] + dy * s)
            left.append((q[0] - dy * a, q[1] + dx * a))
            right.append((q[0] + dy * a, q[1] - dx * a))
        else:
            (ax, ay), (bx, by) = dirs[i - 1], dirs[i]
            # Right angles: the corner point is the sum of both offsets.
            left.append((p[0] - ay * a - by * a, p[1] + ax * a + bx * a))
            right.append((p[0] + ay * a + by * a, p[1] - ax * a - bx * a))
    ring = right + left[::-1] + [right[0]]
    return [(int(round(x)), int(round(y))) for x, y in ring]


def text_mask(m, t, text, size, o, x, y):
    e = tlcflat.apply(tlcflat.ORIENT[o], (0, 0), (8 * size * ((len(text) + 8) // 8), size))
    corners = [tlcflat.apply(m, t, (x, y)), tlcflat.apply(m, t, (x + e[0], y + e[1]))]
    u = [plot_units(c) for c in corners]
    masks.append((min(u[0][0], u[1][0]), min(u[0][1], u[1][1]), max(u[0][0], u[1][0]), max(u[0][1], u[1][1])))


def walk(name, m, t):
    c = tlcflat.read_cell(folder, name)
    for lyr, l, b, r, tt in c["boxes"]:
        add_ring([tlcflat.apply(m, t, p) for p in ((l, b), (r, b), (r, tt), (l, tt), (l, b))], True)
    for lyr, w, pts in c["paths"]:
        if w == 0:
            closed = pts[0] == pts[-1]
            add_ring([tlcflat.apply(m, t, p) for p in pts], closed)
        else:
            add_ring([tlcflat.apply(m, t, p) for p in outline(pts, w)], True)
    for lyr, size, o, x, y, text in c["texts"]:
        text_mask(m, t, text, max(size, 15), o, x, y)
    for sub, o, x, y in c["cells"]:
        tm = tlcflat.mul(m, tlcflat.ORIENT[o])
        tt = tlcflat.apply(m, t, (x, y))
        if sub == "OUTC" and not dol:
            l, b, r, top = ext[sub]
            cs = [tlcflat.apply(tm, tt, p) for p in ((l, b), (r, top))]
            l, r = sorted((cs[0][0], cs[1][0]))
            b, top = sorted((cs[0][1], cs[1][1]))
            add_ring([(l, b), (r, b), (r, top), (l, top), (l, b)], False)
            u = [plot_units(p) for p in ((l, b), (r, top))]
            # The name inside the box.
            masks.append((min(u[0][0], u[1][0]) + 3, min(u[0][1], u[1][1]) + 3,
                          max(u[0][0], u[1][0]) - 3, max(u[0][1], u[1][1]) - 3))
            continue
        walk(sub, tm, tt)


walk("TOP", (1, 0, 0, 1), (0, 0))

# The picture: hp2xx maps its coordinate range onto the image at true size.
said = open(hpout).read()
if "HPGL command(s) ignored: 0" not in said:
    sys.exit("hp2xx ignored commands:\n" + said[-800:])
num = r"(-?[0-9.]+(?:e[-+]?\d+)?)"
rng = re.search(r"Coordinate range: \(%s, %s\) \.\.\. \(%s, %s\)" % (num, num, num, num), said)
x0, y0, x1, y1 = [float(v) for v in rng.groups()]
tok = open(pbm).read().split()
assert tok[0] == "P1", tok[0]
W, H = int(tok[1]), int(tok[2])
bits = tok[3:]
if len(bits) == 1 or len(bits) < W * H:
    bits = list("".join(bits))
ink = {(i % W, i // W) for i, b in enumerate(bits[:W * H]) if b == "1"}
k = dpi / 1016.0


def px(u):
    return ((u[0] - x0) * k, (y1 - u[1]) * k)


def near(p, pixels, r=2):
    x, y = int(round(p[0])), int(round(p[1]))
    return any((x + dx, y + dy) in pixels for dx in range(-r, r + 1) for dy in range(-r, r + 1))


expected = set()
samples = []
for a, b in edges:
    pa, pb = px(a), px(b)
    n = max(1, int(math.hypot(pb[0] - pa[0], pb[1] - pa[1])))
    for i in range(n + 1):
        q = (pa[0] + (pb[0] - pa[0]) * i / n, pa[1] + (pb[1] - pa[1]) * i / n)
        samples.append(q)
        expected.add((int(round(q[0])), int(round(q[1]))))

bad = []
if not dashed:
    missed = [q for q in samples if not near(q, ink)]
    if missed:
        bad.append("%d of %d edge samples undrawn, first at %s" % (len(missed), len(samples), missed[:3]))


def masked(p):
    for l, b, r, t in masks:
        (pl, pt), (pr, pb) = px((l, t)), px((r, b))
        if pl - 3 <= p[0] <= pr + 3 and pt - 3 <= p[1] <= pb + 3:
            return True
    return False


def inside(p, ring):
    x, y = p
    c = False
    for (ax, ay), (bx, by) in zip(ring, ring[1:]):
        if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
            c = not c
    return c


rings = [[px(u) for u in ring] for ring in solids]
stray = []
for p in ink:
    if near(p, expected) or masked(p):
        continue
    # hp2xx's hatch lines may end a pixel past a concave corner.
    if filled and (near(p, expected, 3) or any(inside((p[0] + 0.5, p[1] + 0.5), r) for r in rings)):
        continue
    stray.append(p)
if stray:
    bad.append("%d stroke pixels off every edge, e.g. %s" % (len(stray), sorted(stray)[:5]))
print("%d edges, %d ink pixels, %d samples" % (len(edges), len(ink), len(samples)))
if bad:
    sys.exit("; ".join(bad))
