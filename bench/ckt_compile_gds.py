#!/usr/bin/env python3
# Copies a benchmark drawing's cells with header records (which the GDSII
# writer needs) into DIR/gds, with the layer map of the main cell:
#   ckt_compile_gds.py DIR MAIN
import os
import sys

folder, main = sys.argv[1], sys.argv[2]
out = os.path.join(folder, "gds")
os.makedirs(out, exist_ok=True)
with open(os.path.join(folder, "QUIL7.CRF")) as f:
    lines = f.read().split("\n")
count = int(lines[0])
for i in range(count):
    name = lines[1 + 2 * i].strip()
    nums = lines[2 + 2 * i].split()
    with open(os.path.join(folder, name + ".tlc")) as f:
        body = f.read()
    body = body.replace('<?xml version="1.0"?>\n<TLC>\n', "", 1)
    head = ('<?xml version="1.0"?>\n<TLC>\n<H>\n%s\n7.0.91\n7.0.91\n1000\num\n12/10/26\n10:00:00\n'
            '%s %s %s %s %s\n%s %s %s %s\n</H>\n' % tuple([name] + nums))
    with open(os.path.join(out, name + ".tlc"), "w") as f:
        f.write(head + body)
with open(os.path.join(out, "QUIL7.CRF"), "w") as f:
    f.write("\n".join(lines))
with open(os.path.join(out, main + ".ldm"), "w") as f:
    f.write("*LDM built from %s.tlc\n*gdslayer,datatype,tlclayer\n" % main)
    for l in range(1, 14):
        f.write("%d,0,%d\n" % (l, l))
