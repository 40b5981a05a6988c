# Run by klayout in batch mode: builds the drawing's cell hierarchy from its
# TLC files, lets klayout flatten the chosen cell, and compares the boxes
# with those of a smashed cell file. Writes "ok <n>" or "differ ..." to the
# file named by $report.
#   klayout -b -r klayout_flat.py -rd drawing=DIR -rd cell=TOP -rd smashed=FILE -rd report=FILE
import os
import pya


def tidy(line):
    return line.strip(" \t").rstrip("".join(chr(c) for c in range(0, 33)) + "\x7f")


def parse(path):
    boxes, insts = [], []
    with open(path, errors="replace") as f:
        lines = [tidy(l) for l in f]
    i = 0
    while i < len(lines):
        tag = lines[i]
        if tag in ("<B>", "=B"):
            v = [int(t) for t in lines[i + 1].split()[:5]]
            boxes.append(v)
            i += 2
        elif tag in ("<C>", "=C"):
            name = lines[i + 1].upper()
            v = [int(t) for t in lines[i + 2].split()[:3]]
            insts.append((name, v[0], v[1], v[2]))
            i += 3
        else:
            i += 1
    return boxes, insts


def cell_file(folder, name):
    for f in os.listdir(folder):
        if f.lower() == name.lower() + ".tlc":
            return os.path.join(folder, f)
    raise RuntimeError("no file for " + name)


layout = pya.Layout()
cells = {}


def build(name):
    if name in cells:
        return cells[name]
    c = layout.create_cell(name)
    cells[name] = c
    boxes, insts = parse(cell_file(drawing, name))
    for lyr, l, b, r, t in boxes:
        c.shapes(layout.layer(lyr, 0)).insert(pya.Box(min(l, r), min(b, t), max(l, r), max(b, t)))
    for child, o, x, y in insts:
        cc = build(child)
        # Code o: y negated first when o >= 4, then (o & 3) quarter turns
        # counter-clockwise; klayout's mirror is likewise applied first.
        c.insert(pya.CellInstArray(cc.cell_index(), pya.Trans(o & 3, o >= 4, x, y)))
    return c


top = build(cell.upper())
layout.flatten(top.cell_index(), -1, True)
mine = []
for li in layout.layer_indexes():
    info = layout.get_info(li)
    for s in top.shapes(li).each():
        if s.is_box():
            bx = s.box
            mine.append((info.layer, bx.left, bx.bottom, bx.right, bx.top))
theirs = [tuple(b) for b in parse(smashed)[0]]
for i, b in enumerate(theirs):
    lyr, l, bb, r, t = b
    theirs[i] = (lyr, min(l, r), min(bb, t), max(l, r), max(bb, t))
with open(report, "w") as out:
    if sorted(mine) == sorted(theirs):
        out.write("ok %d\n" % len(mine))
    else:
        out.write("differ: klayout %d boxes, smashed %d boxes\n" % (len(mine), len(theirs)))
        out.write("only klayout: %s\n" % sorted(set(mine) - set(theirs))[:10])
        out.write("only smashed: %s\n" % sorted(set(theirs) - set(mine))[:10])
