#!/usr/bin/python3
"""Writes the templates of the command engine's parameter dialogs from the
tables below.

usage: gen_cmddlg.py OUTPUT.rc

Each dialog is a caption, a width and a list of rows; a row is one or more
controls laid out left to right at 6 dialog units apart. A control is
(kind, id, text, width) with kind one of
  label   static text            edit     edit box
  check   check box              radio    radio button (first of a group: radio1)
  button  push button            ok       the default push button
  list    list box (4 rows high) combo    drop-down combo box
  text    static text of 3 rows
The OK and Cancel buttons close each dialog unless it has its own last row."""
import sys

FONT = 'FONT 8, "MS Shell Dlg"'
STYLE = "DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU"
ROW = 16  # dialog units from one row to the next

OK_CANCEL = [("ok", 1, "OK", 40), ("button", 2, "Cancel", 40)]


def length_rows(pairs):
    return [[("label", -1, t, 60), ("edit", i, "", 80)] for t, i in pairs]


def width_rows():
    return length_rows([("Width", 163)]) + [
        [("radio1", 1412, "Extended", 60), ("radio", 1413, "Inline", 60)], OK_CANCEL]


DIALOGS = [
    ("DPTH", "Depth", 220, [
        [("label", -1, "Top Level", 60), ("edit", 1274, "", 40), ("button", 1306, "Top", 40),
         ("button", 1307, "Up", 40)],
        [("label", -1, "Bottom Level", 60), ("edit", 1277, "", 40), ("button", 1305, "Bottom", 40),
         ("button", 1308, "Down", 40)],
        [("label", -1, "Rank Limit", 60), ("edit", 1281, "", 40), ("check", 1317, "Draw Single Rank", 80)],
        [("ok", 1, "Apply", 40), ("button", 1283, "Last", 40), ("button", 2, "Cancel", 40)],
    ]),
    ("SWIN", "Saved Windows", 200, [
        [("label", 1335, "Swin", 40)],
        [("button", 1338 + i, str(i + 1), 14) for i in range(9)],
        [("button", 2, "Cancel", 40)],
    ]),
    ("WDGRD", "Custom Grid", 160, length_rows([("Grid", 2006)]) + [OK_CANCEL]),
    ("WDTH", "Path Width", 160, width_rows()),
    ("CWTH", "Change Width", 160, width_rows()),
    ("TSIZ", "Text Size", 160, length_rows([("Size", 159)]) + [OK_CANCEL]),
    ("CSIZ", "Change Text Size", 160, length_rows([("Size", 159)]) + [OK_CANCEL]),
    ("STEP", "Step", 180, length_rows([("Nx", 2025), ("Dx", 2029), ("Ny", 2027), ("Dy", 2030)]) + [
        [("check", 1310, "Step Sequential", 80)], OK_CANCEL]),
    ("SNAP", "Snap", 160, length_rows([("Distance", 151)]) + [OK_CANCEL]),
    ("SMSH", "Smash", 180, [
        [("radio1", 1249, "Smash  Boxes to Poly", 160)],
        [("radio", 1250, "Smash Poly to Boxes", 160)],
        [("check", 1253, "Smash Text to Poly", 160)], OK_CANCEL]),
    ("ROT", "Rotate", 200, length_rows([("Angle", 147), ("Steps", 2106)]) + [
        [("ok", 1, "OK", 40), ("button", 1268, "Text", 40), ("button", 2, "Cancel", 40)]]),
    ("FLP", "Flip", 220, [
        [("check", 1269, "Text Orientation", 100)],
        [("label", 1271, "Flipping X Around Longer Cursor Y Axis", 200)], OK_CANCEL]),
    ("RESZ", "Resize", 160, length_rows([("Multiplier", 146)]) + [OK_CANCEL]),
    ("OVSZ", "Oversize", 160, length_rows([("Distance", 138)]) + [OK_CANCEL]),
    ("RES", "Resistance", 220, length_rows([("Ohms/Square", 2033), ("Row", 2032)]) + [
        [("text", 1233, "", 200)],
        [("button", 2037, "<", 20), ("button", 2035, ">", 20), ("ok", 1, "Continue", 44),
         ("button", 1247, "Manual", 44), ("button", 2, "Cancel", 40)]]),
    ("CAP", "Capacitance", 200, [
        [("radio1", 1294, "Area", 50), ("radio", 1295, "Fringe", 50)]] +
        length_rows([("Area Value", 1296), ("Fringe Value", 1239), ("Units", 2029)]) + [
        [("ok", 1, "Continue", 44), ("button", 1247, "Manual", 44), ("button", 2, "Cancel", 40)]]),
    ("CCEL", "Change Cell", 200, length_rows([("Cell Name", 106)]) + [
        [("button", 2009, "List", 40)] + OK_CANCEL]),
    ("COPY", "Copy Cell", 200, length_rows([("Cell Name", 2022), ("X Offset", 2023), ("Y Offset", 2024)]) + [
        [("button", 2009, "List", 40)] + OK_CANCEL]),
    ("SHOW", "Show", 200, length_rows([("Cell Name", 1019)]) + [[("button", 2009, "List", 40)] + OK_CANCEL]),
    ("SHOWLIST", "Show List", 200, [
        [("button", 2039, "<--", 188)],
        [("list", 1006, "", 188)],
        [("button", 2, "Cancel", 40)]]),
    ("FONT", "Font", 220, [[("label", -1, "Font File", 40), ("combo", 2012, "", 160)], OK_CANCEL]),
    ("SCALE", "Scale  (Set Drawing Scale)", 200, [
        [("label", -1, "Physical Unit Name", 100), ("edit", 1020, "", 80)],
        [("label", -1, "QUIL TLC Units/Phys Unit", 100), ("edit", 1021, "", 80)], OK_CANCEL]),
]


def cnfg():
    rows = [[("label", -1, "Wgrid", 30)] + [("edit", 1100 + i, "", 30) for i in range(10)],
            [("label", -1, "Dgrid", 30)] + [("edit", 1110 + i, "", 30) for i in range(10)],
            [("label", -1, "DrawRes", 40), ("edit", 1337, "", 40), ("label", -1, "CellDrawRes", 50),
             ("edit", 2101, "", 40), ("label", -1, "Aspect", 30), ("edit", 1338, "", 40)],
            [("label", -1, "Common", 40), ("edit", 2100, "", 290)]]
    checks = [(2018, "Hide Tooltips"), (2019, "Lock Frame"), (2048, "Ask on Save"), (2050, "Auto Organize"),
              (2045, "Layer Numbers Only"), (2046, "Undo on Save"), (2047, "Reverse Draw"),
              (2049, "View+Open Show"), (1257, "No Small Active"), (2020, "Left Command Menu"),
              (2051, "Write Old TLC"), (2107, "No Toggle Draw"), (2105, "Standard Message Box"),
              (2102, "Wine Mods"), (2103, "Flash Save"), (2021, "Center Tools"), (2022, "Text Toolbar"),
              (1331, "Outline 1"), (1333, "Outline 2"), (1334, "Outline 4")]
    for k in range(0, len(checks), 4):
        rows.append([("check", i, t, 80) for i, t in checks[k:k + 4]])
    rows.append([("button", 1232, "Layers", 50), ("button", 1233, "Fkeys", 50), ("button", 1234, "Fonts", 50),
                 ("button", 1235, "Auto R", 50), ("button", 1236, "Colors", 50)])
    rows.append(OK_CANCEL)
    return ("CNFG", "Drawing Configuration", 400, rows)


def q(s):
    return '"' + s.replace('"', '""') + '"'


def control(kind, cid, text, x, y, w):
    if kind == "label":
        return "  LTEXT %s, %d, %d, %d, %d, 8" % (q(text), cid, x, y + 2, w)
    if kind == "text":
        return "  LTEXT %s, %d, %d, %d, %d, 40" % (q(text), cid, x, y, w)
    if kind == "edit":
        return "  EDITTEXT %d, %d, %d, %d, 12, ES_AUTOHSCROLL" % (cid, x, y, w)
    if kind == "check":
        return "  AUTOCHECKBOX %s, %d, %d, %d, %d, 10" % (q(text), cid, x, y + 1, w)
    if kind in ("radio", "radio1"):
        group = ", WS_GROUP" if kind == "radio1" else ""
        return "  AUTORADIOBUTTON %s, %d, %d, %d, %d, 10%s" % (q(text), cid, x, y + 1, w, group)
    if kind == "button":
        return "  PUSHBUTTON %s, %d, %d, %d, %d, 14" % (q(text), cid, x, y, w)
    if kind == "ok":
        return "  DEFPUSHBUTTON %s, %d, %d, %d, %d, 14" % (q(text), cid, x, y, w)
    if kind == "list":
        return "  LISTBOX %d, %d, %d, %d, 80, LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP" % (cid, x, y, w)
    if kind == "combo":
        return "  COMBOBOX %d, %d, %d, %d, 100, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP" % (
            cid, x, y, w)
    raise ValueError(kind)


def dialog(name, caption, width, rows, out):
    body = []
    y = 6
    for row in rows:
        x = 6
        tall = 0
        for kind, cid, text, w in row:
            body.append(control(kind, cid, text, x, y, w))
            x += w + 4
            tall = max(tall, 84 if kind == "list" else 42 if kind == "text" else ROW)
        y += tall
    # Quoted: some names (FONT) are words of the resource language.
    out.append('"%s" DIALOGEX 0, 0, %d, %d' % (name, width, y + 4))
    out.append("STYLE " + STYLE)
    out.append("CAPTION %s" % q(caption))
    out.append(FONT)
    out.append("BEGIN")
    out += body
    out.append("END")
    out.append("")


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = ["// Generated by gen_cmddlg.py; edit the tables there.", "#include <windows.h>", ""]
    for d in DIALOGS + [cnfg()]:
        dialog(*d, out)
    with open(sys.argv[1], "w") as f:
        f.write("\n".join(out))


if __name__ == "__main__":
    main()
