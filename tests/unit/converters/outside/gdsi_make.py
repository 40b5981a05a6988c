# Writes a GDS-I text file of the form the GDS-I reader takes:
#   python3 gdsi_make.py OUT
# The cells it describes go to OUT.json (polygons by layer, placements with
# TLC orientation codes) for the checks that rebuild them elsewhere.
# "!1NAME " cell headers, "?1040000000000100 L<n> NNNN" polygons with "x!y!"
# vertices, "?1030000000000104" placements (four numbers, orientation, name,
# x, y, each ended by "!"), one of each skipped code, DEL ending each cell.
import json
import sys

DEL = "\x7f"


CELLS = {}
CURRENT = []


def poly(layer, xy):
    CELLS[CURRENT[-1]]["polys"].append([layer, xy])
    return "?1040000000000100 L%d %04d" % (layer, len(xy) // 2) + "".join("%d!" % v for v in xy)


def place(orient, name, x, y):
    code = {"0001A0": 0, "0001B0": 4, "0001C0": 6, "0001D0": 2}[orient]
    CELLS[CURRENT[-1]]["places"].append([name, code, x, y])
    return "?1030000000000104 F 1!2!3!4!%s!%s!%d!%d!" % (orient, name, x, y)


def begin(name):
    CURRENT.append(name)
    CELLS[name] = {"polys": [], "places": []}
    return ""


def cell(name, objects):
    return "!1%s %s%s" % (name, objects, DEL)


text = (begin("LEAF") + cell("LEAF", poly(5, [0, 0, 1000, 0, 1000, 500, 0, 500]) + "?1190000000000104 skipped " +
             poly(7, [0, 0, 200, 0, 200, 200, 100, 300, 0, 200])) +
        begin("TOP") + cell("TOP", place("0001A0", "LEAF", 0, 0) + place("0001B0", "LEAF", 2000, 0) +
             place("0001C0", "LEAF", 4000, 0) + place("0001D0", "LEAF", 6000, 0) +
             "?1040000000001100 skipped " + poly(1, [-100, -100, 8000, -100, 8000, 2000, -100, 2000])))
with open(sys.argv[1], "w", newline="") as f:
    f.write(text)
with open(sys.argv[1] + ".json", "w") as f:
    json.dump(CELLS, f)
