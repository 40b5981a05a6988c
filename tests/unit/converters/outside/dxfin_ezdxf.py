# DXF written by ezdxf (Release 12) for the DXF reader, and the check of the
# cells it made:
#   python3 dxfin_ezdxf.py make FILE.dxf
#   python3 dxfin_ezdxf.py check FILE.dxf CELLFOLDER MAINCELL
# The drawing holds closed and open polylines with widths and bulges,
# circles, arcs, solids, texts, and blocks placed mirrored, rotated and as
# arrays. The check computes where every figure must come out (scale 10 TLC
# units per DXF unit, curves of 15 degrees a segment, counter-clockwise arcs)
# and finds each in the cell files, every coordinate within one unit; a
# cell may hold nothing else. Prints PASS or the differences and exits
# non-zero.
import math
import os
import sys

S = 10.0
SEG = 15.0
DEG = 0.017453292520882225
LAYERS = {"M1": 1, "M2": 2}


def rnd(v):
    return int(math.floor(abs(v) + 0.5)) * (1 if v >= 0 else -1)


def orient(angle, flags):
    mirror = 1 if flags & 4 else 0
    turns = 0
    if flags & 2:
        mirror ^= 1
        turns += 2
    a = math.fmod(angle, 360.0)
    if a < 0:
        a += 360
    if 45 < a <= 135:
        turns += 1
    elif 135 < a <= 225:
        turns += 2
    elif 225 < a <= 315:
        turns += 3
    return mirror * 4 + (turns & 3)


def bulge_points(p0, p1, b):
    q = abs(math.atan(b))
    g = int(4 * math.degrees(q) / SEG)
    if g <= 1:
        return []
    dx, dy = p1[0] - p0[0], p1[1] - p0[1]
    chord = math.hypot(dx, dy)
    m = 2 * q
    r = chord / 2 / math.sin(m)
    d = r * math.cos(m)
    nx, ny = -dy / chord, dx / chord
    if b < 0:
        nx, ny = -nx, -ny
    cx = rnd((p0[0] + p1[0]) / 2 + d * nx)
    cy = rnd((p0[1] + p1[1]) / 2 + d * ny)
    a0 = math.atan2(p0[1] - cy, p0[0] - cx)
    a1 = math.atan2(p1[1] - cy, p1[0] - cx)
    sw = a1 - a0
    if b > 0 and sw < 0:
        sw += 2 * math.pi
    if b < 0 and sw > 0:
        sw -= 2 * math.pi
    return [(rnd(cx + r * math.cos(a0 + i * sw / g)), rnd(cy + r * math.sin(a0 + i * sw / g))) for i in range(1, g)]


def polyline(vertices, closed):
    """vertices: (x, y, bulge) in DXF units; the TLC points."""
    pts = []
    last_b = 0
    for x, y, b in vertices:
        p = (rnd(x * S), rnd(y * S))
        if pts and last_b:
            pts += bulge_points(pts[-1], p, last_b)
        pts.append(p)
        last_b = b
    first = pts[0]
    if (closed or last_b) and len(pts) >= 3 and pts[-1] != first:
        if last_b:
            pts += bulge_points(pts[-1], first, last_b)
        pts.append(first)
    return pts


def circle(cx, cy, r):
    n = int(360 / SEG)
    step = 360 // n
    pts = []
    deg = 0
    while deg * DEG < 6.2831853 - step * DEG / 2:
        pts.append((rnd(cx * S + r * S * math.cos(deg * DEG)), rnd(cy * S + r * S * math.sin(deg * DEG))))
        deg += step
    return pts + [pts[0]]


def arc(cx, cy, r, a0, a1):
    a0 %= 360
    a1 %= 360
    sweep = a1 - a0
    size = abs(sweep)
    if sweep < 0:
        sweep += 360
    k = max(1, int(size / SEG))
    return [(rnd(cx * S + r * S * math.cos((a0 + i * sweep / k) * DEG)),
             rnd(cy * S + r * S * math.sin((a0 + i * sweep / k) * DEG))) for i in range(k + 1)]


def text_size(h):
    return max(15, min(9830400, int(math.floor(h * S / 15 + 0.5)) * 15))


def drawing():
    """(what ezdxf is asked to write, what each cell must hold)"""
    cells = {}
    # Block CELLA: a closed polyline with a bulge, base point (0, 0).
    cella_poly = [(0, 0, 0), (4, 0, 0.5), (4, 3, 0), (0, 3, 0)]
    cells["CELLA"] = [("P", 1, 0, polyline(cella_poly, True))]
    # Block ROT, base point (1, 2): a wide open path with a negative bulge.
    rot_poly = [(1, 2, 0), (6, 2, -0.4), (6, 7, 0)]
    cells["ROT"] = [("P", 2, 5, polyline([(x - 1, y - 2, b) for x, y, b in rot_poly], False))]
    main = []
    main.append(("P", 1, 0, polyline([(10, 10, 0), (20, 10, 0), (20, 15, 0)], True)))
    main.append(("P", 2, 0, polyline([(30, 10, 0), (40, 10, 1), (40, 20, 0), (30, 20, 0)], False)))
    main.append(("P", 1, 8, polyline([(50, 10, 0), (60, 10, 0), (60, 20, 0)], False)))
    main.append(("P", 2, 2, polyline([(70, 10, 0.3), (80, 10, 0), (80, 20, -1)], True)))
    main.append(("P", 1, 0, circle(100, 100, 5.5)))
    main.append(("P", 2, 0, arc(120, 100, 4, 30, 250)))
    main.append(("P", 1, 0, arc(140, 100, 4, 350, 10)))
    main.append(("P", 2, 0, [(0, 0), (40, 0), (40, 30), (0, 30), (0, 0)]))  # solid, corners 1 2 4 3
    main.append(("T", 1, text_size(1.5), 1, 30, 40, "Hello DXF"))
    main.append(("T", 2, text_size(0.7), 6, 50, 60, "Back"))
    main.append(("C", "CELLA", 0, 0, 2000))
    main.append(("C", "CELLA", 6, 500, 2000))      # x scale -2: mirrored, unscaled
    main.append(("C", "CELLA", 1, 1000, 2000))     # rotated 90
    main.append(("C", "CELLA", 6, 1500, 2000))     # y mirrored, rotated 180
    main.append(("C", "ROT", 3, 2000, 2000))       # rotated -90
    for j in range(2):
        for i in range(3):
            main.append(("C", "CELLA", 0, 3000 + i * 50, 2000 + j * 70))
    cells["MAIN"] = main
    return cells


def make(path):
    import ezdxf
    doc = ezdxf.new("R12")
    for name in LAYERS:
        doc.layers.new(name)
    a = doc.blocks.new("CELLA")
    a.add_polyline2d([(0, 0, 0), (4, 0, 0.5), (4, 3, 0), (0, 3, 0)], format="xyb", close=True,
                     dxfattribs={"layer": "M1"})
    r = doc.blocks.new("ROT", base_point=(1, 2))
    r.add_polyline2d([(1, 2, 0), (6, 2, -0.4), (6, 7, 0)], format="xyb",
                     dxfattribs={"layer": "M2", "default_start_width": 0.5, "default_end_width": 0.5})
    m = doc.modelspace()
    m.add_polyline2d([(10, 10, 0), (20, 10, 0), (20, 15, 0)], format="xyb", close=True, dxfattribs={"layer": "M1"})
    m.add_polyline2d([(30, 10, 0), (40, 10, 1), (40, 20, 0), (30, 20, 0)], format="xyb", dxfattribs={"layer": "M2"})
    m.add_polyline2d([(50, 10, 0), (60, 10, 0), (60, 20, 0)], format="xyb",
                     dxfattribs={"layer": "M1", "default_start_width": 0.8, "default_end_width": 0.8})
    m.add_polyline2d([(70, 10, 0.3), (80, 10, 0), (80, 20, -1)], format="xyb", close=True,
                     dxfattribs={"layer": "M2", "default_start_width": 0.2, "default_end_width": 0.2})
    m.add_circle((100, 100), 5.5, dxfattribs={"layer": "M1"})
    m.add_arc((120, 100), 4, 30, 250, dxfattribs={"layer": "M2"})
    m.add_arc((140, 100), 4, 350, 10, dxfattribs={"layer": "M1"})
    m.add_solid([(0, 0), (4, 0), (0, 3), (4, 3)], dxfattribs={"layer": "M2"})
    m.add_text("Hello DXF", dxfattribs={"layer": "M1", "height": 1.5, "rotation": 90, "insert": (3, 4)})
    m.add_text("Back", dxfattribs={"layer": "M2", "height": 0.7, "insert": (5, 6), "text_generation_flag": 2})
    m.add_blockref("CELLA", (0, 200))
    m.add_blockref("CELLA", (50, 200), dxfattribs={"xscale": -2})
    m.add_blockref("CELLA", (100, 200), dxfattribs={"rotation": 90})
    m.add_blockref("CELLA", (150, 200), dxfattribs={"yscale": -1, "rotation": 180})
    m.add_blockref("ROT", (200, 200), dxfattribs={"rotation": -90})
    arr = m.add_blockref("CELLA", (300, 200))
    arr.dxf.column_count = 3
    arr.dxf.row_count = 2
    arr.dxf.column_spacing = 5
    arr.dxf.row_spacing = 7
    doc.saveas(path)


def read_cell(folder, name):
    want = (name + ".tlc").lower()
    found = [f for f in os.listdir(folder) if f.lower() == want]
    if not found:
        return None
    lines = [l.strip() for l in open(os.path.join(folder, found[0]))]
    recs = []
    i = 0
    while i < len(lines):
        tag = lines[i]
        i += 1
        if tag == "<P>":
            lyr, w, n = [int(x) for x in lines[i].split()]
            i += 1
            nums = []
            while len(nums) < 2 * n:
                nums += [int(x) for x in lines[i].split()]
                i += 1
            recs.append(("P", lyr, w, [(nums[2 * k], nums[2 * k + 1]) for k in range(n)]))
        elif tag == "<T>":
            lyr, size, nv, o = [int(x) for x in lines[i].split()]
            x, y = [int(v) for v in lines[i + 1].split()]
            t = lines[i + 2]
            if t.startswith("<![CDATA[") and t.endswith("]]>"):
                t = t[9:-3]
            recs.append(("T", lyr, size, o, x, y, t))
            i += 3
        elif tag == "<C>":
            name = lines[i]
            o, x, y, _ = [int(v) for v in lines[i + 1].split()]
            recs.append(("C", name, o, x, y))
            i += 2
        elif tag == "<B>":
            recs.append(("B",) + tuple(int(v) for v in lines[i].split()))
            i += 1
    return recs


def near(e, g):
    if e[0] != g[0]:
        return False
    if e[0] == "P":
        return (e[1], e[2], len(e[3])) == (g[1], g[2], len(g[3])) and all(
            abs(a[0] - b[0]) <= 1 and abs(a[1] - b[1]) <= 1 for a, b in zip(e[3], g[3]))
    if e[0] == "T":
        return e[1:4] == g[1:4] and e[6] == g[6] and abs(e[4] - g[4]) <= 1 and abs(e[5] - g[5]) <= 1
    return e == g


def check(folder, main):
    cells = drawing()
    cells[main] = cells.pop("MAIN")
    errors = []
    for name, want in cells.items():
        got = read_cell(folder, name)
        if got is None:
            errors.append("%s: no cell file" % name)
            continue
        left = list(got)
        for e in want:
            hit = next((g for g in left if near(e, g)), None)
            if hit is None:
                errors.append("%s: missing %s" % (name, e))
            else:
                left.remove(hit)
        for g in left:
            errors.append("%s: not expected %s" % (name, g))
    if errors:
        print("FAIL ezdxf drawing:\n" + "\n".join(errors))
        sys.exit(1)
    print("PASS ezdxf drawing: %d cells, %d figures where expected"
          % (len(cells), sum(len(v) for v in cells.values())))


if __name__ == "__main__":
    if sys.argv[1] == "make":
        make(sys.argv[2])
    else:
        check(sys.argv[3], sys.argv[4])
