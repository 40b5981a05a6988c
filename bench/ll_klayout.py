# The klayout anchor of the layer-logic benchmark: the same two layers as
# flat Regions (built aside, not timed), then AND, OR, XOR and A NOT B each
# timed on its own (klayout's Boolean of flat regions, one thread).
#   klayout -b -r ll_klayout.py -rd n=1000000
import math
import time

import pya

side = int(math.isqrt(int(n)))
a = pya.Region()
b = pya.Region()
for j in range(side):
    for i in range(side):
        x, y = i * 300, j * 300
        a.insert(pya.Box(x, y, x + 200, y + 100))
        b.insert(pya.Box(x + 100, y + 50, x + 300, y + 150))
for name, f in (("AND", lambda: a & b), ("OR", lambda: a | b), ("XOR", lambda: a ^ b), ("A NOT B", lambda: a - b)):
    t = time.time()
    r = f()
    count = r.count()
    print("klayout %-8s %.2f s  %d polygons" % (name, time.time() - t, count), flush=True)
