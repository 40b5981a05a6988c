# klayout's anchors for the command benchmark (cmd_bench runs it):
#   klayout -b -r cmd_klayout.py -rd sizes=250000,500000,1000000
# For each size: a flat cell of that many boxes laid out like cmd_bench's;
# the time of one batch transform of all of them, of one copy of all of
# them (the cell then holds twice as many), and of flattening a 100 x 100
# array of a 100-box cell. One line per measurement.
import time

import pya


def boxes(n):
    ly = pya.Layout()
    top = ly.create_cell("TOP")
    li = ly.layer(1, 0)
    s = top.shapes(li)
    for i in range(n):
        x, y = (i % 1000) * 20, (i // 1000) * 20
        s.insert(pya.Box(x, y, x + 10, y + 10))
    return ly, top, s


def report(what, n, t):
    print("%-28s n=%8d  %8.3f s  %8.1f ns/item" % (what, n, t, t * 1e9 / n))


for n in [int(v) for v in sizes.split(",")]:
    ly, top, s = boxes(n)
    t = time.time()
    s.transform(pya.Trans(1000, 1000))
    report("klayout transform", n, time.time() - t)
    t = time.time()
    s.insert(s, pya.Trans(5000, 0))
    report("klayout copy", n, time.time() - t)
    if s.size() != 2 * n:
        raise SystemExit("copy made %d" % s.size())

ly = pya.Layout()
leaf = ly.create_cell("LEAF")
li = ly.layer(1, 0)
for i in range(100):
    leaf.shapes(li).insert(pya.Box(i * 20, 0, i * 20 + 10, 10))
top = ly.create_cell("TOP")
top.insert(pya.CellInstArray(leaf.cell_index(), pya.Trans(), pya.Vector(2000, 0), pya.Vector(0, 20), 100, 100))
t = time.time()
top.flatten(True)
report("klayout flatten 100x100", 1000000, time.time() - t)
