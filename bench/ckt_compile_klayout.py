# klayout's netlist extractor on a benchmark array (batch mode):
#   klayout -b -r ckt_compile_klayout.py -rd gds=TOP.gds
# The same layers and connections as the extractor's trace table: active
# and poly through contacts to metal 1, metal 1 through vias to metal 2.
# Prints the best of three extraction times (the layout read apart) and
# the nets of TOP.
import time
import pya

r0 = time.time()
ly = pya.Layout()
ly.read(gds)
top = ly.top_cell()
t_read = time.time()


def extract():
    l2n = pya.LayoutToNetlist(pya.RecursiveShapeIterator(ly, top, []))

    def layer(n):
        return l2n.make_layer(ly.layer(n, 0), "l%d" % n)

    active, poly, contact, metal1, via, metal2 = (layer(n) for n in (2, 5, 6, 7, 8, 9))
    for a in (active, poly, contact, metal1, via, metal2):
        l2n.connect(a)
    l2n.connect(active, contact)
    l2n.connect(poly, contact)
    l2n.connect(contact, metal1)
    l2n.connect(metal1, via)
    l2n.connect(via, metal2)
    l2n.extract_netlist()
    return l2n


best = None
for r in range(3):
    t0 = time.time()
    l2n = extract()
    nl = l2n.netlist()
    t1 = time.time()
    if best is None or t1 - t0 < best:
        best = t1 - t0
circuit = nl.circuit_by_name(top.name)
print("klayout_extract_s %.3f" % best)
print("klayout_read_s %.3f" % (t_read - r0))
print("klayout_nets %d circuits %d" % (len(list(circuit.each_net())) if circuit else -1, len(list(nl.each_circuit()))))
