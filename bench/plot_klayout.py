# klayout's image export of the plotter benchmark's cells, built here with
# the same boxes: prints "klayout_image_s <seconds>" for the cell given as
# -rd cell=FLAT or ARR, its layers 1..N shown with -rd layers=N (1 when not
# given: the plot of one layer).
import time

import pya as db
lay = db

shown = int(globals().get("layers", "1"))  # given with -rd, before the name is reused
ly = db.Layout()
ly.dbu = 0.001
layers = [ly.layer(n, 0) for n in range(1, 11)]


def boxes(c, n, x0, y0):
    for j in range(n):
        for i in range(n):
            x, y = x0 + i * 100, y0 + j * 100
            c.shapes(layers[(i + j) % 10]).insert(db.Box(x, y, x + 80, y + 80))


name = cell  # noqa: F821 (given with -rd)
if name == "FLAT":
    top = ly.create_cell("FLAT")
    boxes(top, 1000, 0, 0)
else:
    c100 = ly.create_cell("C100")
    boxes(c100, 10, 0, 0)
    top = ly.create_cell("ARR")
    top.insert(db.CellInstArray(c100.cell_index(), db.Trans(), db.Vector(1100, 0), db.Vector(0, 1100), 100, 100))
view = lay.LayoutView()
cv = view.show_layout(ly, False)
view.max_hier()
view.clear_layers()
for n in range(shown, 0, -1):
    lp = lay.LayerPropertiesNode()
    lp.source = "%d/0@1" % n
    view.insert_layer(view.begin_layers(), lp)
view.zoom_fit()
t0 = time.time()
view.save_image("/tmp/plot_klayout_%s_%d.png" % (name, shown), 2048, 2048)
print("klayout_image_s %.3f" % (time.time() - t0))
