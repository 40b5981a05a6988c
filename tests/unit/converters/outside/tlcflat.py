# Reads the TLC cells of a fixture and flattens them on its own, so that what
# outside GDSII readers see can be compared with the drawing itself rather
# than with our writer's idea of it.
import math
import os

# Orientation codes as matrices (a, b, c, d): x' = a x + b y, y' = c x + d y.
ORIENT = {0: (1, 0, 0, 1), 1: (0, -1, 1, 0), 2: (-1, 0, 0, -1), 3: (0, 1, -1, 0),
          4: (1, 0, 0, -1), 5: (0, 1, 1, 0), 6: (-1, 0, 0, 1), 7: (0, -1, -1, 0)}


def mul(m, n):
    a, b, c, d = m
    e, f, g, h = n
    return (a * e + b * g, a * f + b * h, c * e + d * g, c * f + d * h)


def apply(m, t, p):
    a, b, c, d = m
    return (a * p[0] + b * p[1] + t[0], c * p[0] + d * p[1] + t[1])


def read_cell(folder, name):
    path = os.path.join(folder, name.upper() + ".tlc")
    lines = [l.strip() for l in open(path)]
    cell = {"boxes": [], "paths": [], "texts": [], "cells": []}
    i = 0
    while i < len(lines):
        tag = lines[i]
        i += 1
        if tag == "<B>":
            v = [int(x) for x in lines[i].split()]
            i += 1
            cell["boxes"].append((v[0], min(v[1], v[3]), min(v[2], v[4]), max(v[1], v[3]), max(v[2], v[4])))
        elif tag == "<P>":
            lyr, w, n = [int(x) for x in lines[i].split()]
            i += 1
            nums = []
            while len(nums) < 2 * n:
                nums += [int(x) for x in lines[i].split()]
                i += 1
            cell["paths"].append((lyr, w, [(nums[2 * k], nums[2 * k + 1]) for k in range(n)]))
        elif tag == "<T>":
            lyr, size, nv, o = [int(x) for x in lines[i].split()]
            x, y = [int(v) for v in lines[i + 1].split()]
            text = lines[i + 2]
            if text.startswith("<![CDATA[") and text.endswith("]]>"):
                text = text[9:-3]
            i += 3
            cell["texts"].append((lyr, size, o & 7, x, y, text))
        elif tag == "<C>":
            sub = lines[i].upper()
            o, x, y = [int(v) for v in lines[i + 1].split()[:3]]
            i += 2
            cell["cells"].append((sub, o & 7, x, y))
    return cell


def read_ldm(path):
    m = {}
    for line in open(path):
        line = line.strip()
        if not line or line[0] in "*;":
            continue
        g, d, t = [int(v) for v in line.replace(",", " ").split()[:3]]
        m.setdefault(t, (g, d))
    return m


def element(w, pts, ratio, mpw, protocol=False):
    """What the writer makes of a path record: None, ('poly', pts) or
    ('path', pts, width, ext), in GDS units. With protocol every question is
    answered OK: segments and folded polygons go, open polygons are closed."""
    clean = []
    for p in pts:
        if not clean or clean[-1] != p:
            clean.append(p)
    sc = [(int(math.trunc(x * ratio)), int(math.trunc(y * ratio))) for x, y in clean]
    n = len(clean)
    if n <= 1:
        return None
    if w != 0:
        width = int(math.trunc(abs(w) * ratio))
        return ("path", sc, width, width // 2 if w < 0 else 0)
    closed = clean[0] == clean[-1]
    if protocol:
        if n == 2 or (n == 3 and closed):
            return None
        return ("poly", sc if closed else sc + [sc[0]])
    if n == 2:
        return ("path", sc, mpw, 0)
    if n == 3 and closed:
        return None
    if not closed:
        return ("path", sc, mpw, 0)
    return ("poly", sc)


def flatten(folder, top, ratio, mpw, ldm, protocol=False):
    """Shapes per (layer, datatype), texts, path pathkinds and references of each cell."""
    cells = {}

    def get(name):
        if name not in cells:
            cells[name] = read_cell(folder, name)
        return cells[name]

    shapes = {}
    texts = []

    def lay(n):
        # A layer missing from the map is written as itself, datatype 0.
        return ldm.get(n, (n, 0))

    def walk(name, m, t):
        c = get(name)
        for lyr, l, b, r, tt in c["boxes"]:
            if protocol and (l == r or b == tt):
                continue  # a crushed box is removed
            pts = [apply(m, t, (int(math.trunc(x * ratio)), int(math.trunc(y * ratio))))
                   for x, y in ((l, b), (r, b), (r, tt), (l, tt))]
            shapes.setdefault(lay(lyr), []).append(("poly", pts))
        for lyr, w, pts in c["paths"]:
            e = element(w, pts, ratio, mpw, protocol)
            if e is None:
                continue
            moved = [apply(m, t, p) for p in e[1]]
            shapes.setdefault(lay(lyr), []).append((e[0], moved) + tuple(e[2:]))
        for lyr, size, o, x, y, text in c["texts"]:
            p = apply(m, t, (int(math.trunc(x * ratio)), int(math.trunc(y * ratio))))
            # A text carries the texttype of its text row (0 in the fixture).
            texts.append(((lay(lyr)[0], 0), text, p, mul(m, ORIENT[o])))
        for sub, o, x, y in c["cells"]:
            walk(sub, mul(m, ORIENT[o]), apply(m, t, (int(math.trunc(x * ratio)), int(math.trunc(y * ratio)))))

    walk(top.upper(), (1, 0, 0, 1), (0, 0))

    pathkinds = {}
    refs = {}
    for name, c in cells.items():
        pathkinds[name] = sorted(ldm.get(lyr, (lyr, 0)) + (e[2], e[3]) for lyr, w, pts in c["paths"]
                             for e in [element(w, pts, ratio, mpw, protocol)] if e and e[0] == "path")
        refs[name] = sorted((sub, ORIENT[o], int(math.trunc(x * ratio)), int(math.trunc(y * ratio)))
                            for sub, o, x, y in c["cells"])
    return shapes, texts, pathkinds, refs


def matrix(angle, mirror):
    """Reflection about the x axis first, then a turn by angle degrees."""
    q = int(round(angle / 90.0)) % 4
    rot = [(1, 0, 0, 1), (0, -1, 1, 0), (-1, 0, 0, -1), (0, 1, -1, 0)][q]
    return mul(rot, (1, 0, 0, -1) if mirror else (1, 0, 0, 1))
