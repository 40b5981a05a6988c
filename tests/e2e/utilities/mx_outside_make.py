#!/usr/bin/env python3
# Drawing of the router's outside check. DEV is a device cell with three
# numbered connectors, each a pad on layer 21; WIRED places six of them with
# device texts D1..D6 (layer 12) and wires four nets on its own (vertical
# stubs on 21, straight runs on 20, vias 22 where they meet), two of them
# with connector texts of WIRED; ORIG is WIRED without the wiring, the cell
# the router wires from WIRED's node list; END is the connector end (20, 21
# and the via 22). Units: scale 1000, database units.
#   mx_outside_make.py FOLDER row|column
#     row: cells side by side, pins on their top edge (horizontal buses)
#     column: cells stacked, pins on their left edge (vertical buses)
import os
import sys

folder, layout = sys.argv[1], sys.argv[2]
os.makedirs(folder, exist_ok=True)
row = layout == "row"
U = 1000


def box(lyr, l, b, r, t):
    return "<B>\n%d %d %d %d %d\n</B>\n" % (lyr, min(l, r), min(b, t), max(l, r), max(b, t))


def text(lyr, x, y, s):
    return "<T>\n%d %d 2 0\n%d %d\n<![CDATA[%s]]>\n</T>\n" % (lyr, U, x, y, s)


def pin(n):  # connector n of DEV
    return ((10 + 20 * (n - 1)) * U, 40 * U) if row else (0, (10 + 20 * (n - 1)) * U)


def origin(i):
    return (100 * U * i, 0) if row else (0, 100 * U * i)


cells = {}
dev = box(1, 0, 0, 60 * U, 40 * U) if row else box(1, 0, 0, 40 * U, 60 * U)
for n in (1, 2, 3):
    x, y = pin(n)
    dev += box(21, x - 2 * U, y - 2 * U, x + 2 * U, y + 2 * U) + text(11, x, y, "%d" % n)
cells["DEV"] = (1, dev)
cells["END"] = (1, box(20, -2 * U, -2 * U, 2 * U, 2 * U) + box(21, -2 * U, -2 * U, 2 * U, 2 * U) +
                box(22, -U, -U, U, U))
place = ""
for i in range(6):
    ox, oy = origin(i)
    place += "<C>\nDEV\n0 %d %d 0\n</C>\n" % (ox, oy) + text(12, ox + 5 * U, oy + 5 * U, "D%d" % (i + 1))
nets = [[(1, 1), (2, 1), (3, 3)], [(1, 2), (4, 2)], [(2, 3), (5, 1), (6, 2), (6, 3)], [(3, 1), (4, 3)]]
wires = ""
for k, net in enumerate(nets):
    level = (60 + 12 * k) * U  # beyond the cells: above the row, left of the column
    pts = []
    for d, n in net:
        ox, oy = origin(d - 1)
        px, py = pin(n)
        pts.append((ox + px, oy + py))
    for x, y in pts:
        if row:
            wires += box(21, x - U, y, x + U, level) + box(22, x - U, level - U, x + U, level + U)
        else:
            wires += box(21, -level, y - U, x, y + U) + box(22, -level - U, y - U, -level + U, y + U)
    if row:
        wires += box(20, min(p[0] for p in pts) - U, level - U, max(p[0] for p in pts) + U, level + U)
    else:
        wires += box(20, -level - U, min(p[1] for p in pts) - U, -level + U, max(p[1] for p in pts) + U)
    if k < 2:  # a connector of WIRED on the net
        x, y = (pts[0][0], level) if row else (-level, pts[0][1])
        wires += text(11, x, y, "%d %s" % (k + 1, "AB"[k]))
cells["WIRED"] = (2, place + wires)
cells["ORIG"] = (2, place)
ext = {"DEV": (0, 0, 60 * U, 40 * U) if row else (0, 0, 40 * U, 60 * U), "END": (-2 * U, -2 * U, 2 * U, 2 * U)}
far = 6 * 100 * U
ext["WIRED"] = (0, 0, far, 110 * U) if row else (-110 * U, 0, 40 * U, far)
ext["ORIG"] = (0, 0, far, 40 * U) if row else (0, 0, 40 * U, far)
with open(os.path.join(folder, "QUIL7.CRF"), "w") as f:
    f.write("%d\n" % len(cells))
    for name, (rank, body) in cells.items():
        l, b, r, t = ext[name]
        f.write("%s\n%d %d %d %d %d %d %d %d %d\n" % (name, rank, l, b, r, t, body.count("<B>"), body.count("<T>"), 0,
                                                      body.count("<C>")))
        with open(os.path.join(folder, name + ".tlc"), "w") as c:
            c.write('<?xml version="1.0"?>\n<TLC>\n' + body + "</TLC>\n")
with open(os.path.join(folder, "QUIL7.USF"), "w") as f:
    f.write("scale=1000\nphysunit=um\n")
