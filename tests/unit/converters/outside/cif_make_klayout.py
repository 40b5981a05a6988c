# Run by klayout in batch mode: klayout -b -r cif_make_klayout.py -rd out=PREFIX
# Builds a small hierarchy on a 10 nm grid (boxes, polygons, wires with
# extended ends and right-angle bends, texts, references in all eight
# orientations, layers 1/0, 10/0 and 10/1) and writes it as PREFIX.gds and,
# with klayout's own CIF writer, PREFIX.cif.
import pya

ly = pya.Layout()
ly.dbu = 0.01
l1 = ly.layer(1, 0)
l10 = ly.layer(10, 0)
l10d1 = ly.layer(10, 1)

leaf = ly.create_cell("LEAF")
leaf.shapes(l1).insert(pya.Box(0, 0, 40, 20))
leaf.shapes(l10).insert(pya.Polygon([pya.Point(0, 0), pya.Point(30, 0), pya.Point(30, 10), pya.Point(10, 30),
                                     pya.Point(0, 30)]))
leaf.shapes(l10d1).insert(pya.Path([pya.Point(0, 50), pya.Point(60, 50), pya.Point(60, 90)], 10, 5, 5))

sub = ly.create_cell("SUB")
sub.shapes(l1).insert(pya.Box(-100, -50, 300, 50))
sub.shapes(l10).insert(pya.Path([pya.Point(0, 100), pya.Point(200, 100)], 20, 10, 10))
sub.shapes(l10d1).insert(pya.Text("PIN", pya.Trans(pya.Point(20, 40))))
sub.insert(pya.CellInstArray(leaf.cell_index(), pya.Trans(pya.Point(500, 0))))

top = ly.create_cell("TOP")
top.shapes(l1).insert(pya.Box(-1000, -1000, 9000, -900))
top.shapes(l1).insert(pya.Text("TOP", pya.Trans(pya.Point(100, 200))))
for o in range(8):
    rot, mirror = o % 4, o >= 4
    t = pya.Trans(rot, mirror, pya.Vector(1000 * o + 37, -300 * o))
    top.insert(pya.CellInstArray(sub.cell_index(), t))
top.insert(pya.CellInstArray(leaf.cell_index(), pya.Trans(pya.Point(-500, 700))))

ly.write(out + ".gds")  # noqa: F821
opt = pya.SaveLayoutOptions()
opt.format = "CIF"
ly.write(out + ".cif", opt)  # noqa: F821
print("made %s.gds and %s.cif" % (out, out))  # noqa: F821
