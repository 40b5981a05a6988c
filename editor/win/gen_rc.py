#!/usr/bin/python3
"""Writes the editor's dialog templates, accelerators and bitmap resources
from the tables below: the tool strips, the command panels, the bottom bar,
the filler, the start-up, splash, pause and message-box dialogs.

usage: gen_rc.py OUTPUT.rc RESOURCE_FOLDER [OUTPUT.h]

The header gives the program the templates' sizes in dialog units, so the
start-up can measure the strips and panels without building them."""
import sys

FONT = 'FONT 8, "MS Shell Dlg"'
PANEL_STYLE = "DS_SETFONT | DS_CONTROL | WS_CHILD | WS_CLIPSIBLINGS"

# Tool strip buttons, left to right: id, captions of TOOLBAR0, TOOLBAR2,
# TOOLBAR4 and TOOLBAR6, and the bitmap of the picture strips.
TOOLS = [
    (31, "Drw", "Draw", "Draw", "MDRAW"),
    (10, "?", "Help", "Help", "MXPHELP"),
    (11, "Rn", "Run", "Run", "MRUN"),
    (12, "Prn", "Print", "Print", "MHCPY"),
    (13, "Sys", "Sys", "System", "MSYS"),
    (14, "Imp", "Imp", "Import", "MIMPORT"),
    (15, "Exp", "Exp", "Export", "MEXPORT"),
    (16, "<-X", "Undo", "Undo", "MUNDO"),
    (17, "X->", "Redo", "Redo", "MREDO"),
    (18, "Sav", "Save", "Save", "MSAVE"),
    (19, "Lod", "Load", "Load", "MCELL"),
    (20, "Rcl", "Recl", "Recl", "MRECL"),
    (21, "List", "List", "List", "MLIST"),
    (22, "Lf", "Lft", "Lft", "MLEFT"),
    (23, "Up", "Up", "Up", "MUP"),
    (24, "Dn", "Dn", "Dn", "MDN"),
    (25, "Rt", "Rgt", "Rgt", "MRIGHT"),
    (26, "Fit", "Fit", "Fit", "MFIT"),
    (27, "Cw", "Cntr", "Cntr", "MCNTR"),
    (28, "Xw", "Xpnd", "Xpnd", "MXPND"),
    (29, "Zw", "Zoom", "Zoom", "MZOOM"),
    (30, "Lw", "Last", "Last", "MLAST"),
]
# The order in which the 22 tool bitmaps are loaded (ids 10..31).
TOOL_BITMAPS = ["MXPHELP", "MRUN", "MHCPY", "MSYS", "MIMPORT", "MEXPORT", "MUNDO", "MREDO",
                "MSAVE", "MCELL", "MRECL", "MLIST", "MLEFT", "MUP", "MDN", "MRIGHT", "MFIT",
                "MCNTR", "MXPND", "MZOOM", "MLAST", "MDRAW"]
TOOLBAR_SIZES = [(380, 16), (384, 17), (484, 18), (484, 18), (576, 18), (580, 18), (585, 24), (580, 24)]

# Command-panel buttons: name and command id.
COMMAND_IDS = {
    "Get": 127, "Fget": 122, "Tget": 156, "Cget": 107, "Aget": 101, "Wget": 164, "Put": 142,
    "Fput": 125, "Tput": 158, "Cput": 113, "Aput": 102, "Mov": 133, "Qmov": 143, "Wmov": 166,
    "Cmov": 110, "Cpy": 114, "Rot": 147, "Flp": 123, "Prev": 141, "Pbeg": 139, "Pend": 140,
    "Cut": 117, "Join": 130, "Vstp": 162, "Obj": 134, "Text": 155, "Add": 100, "Del": 119,
    "Info": 129, "Show": 115, "Sort": 152, "Arc": 103, "Attr": 104, "Font": 124, "Ccel": 106,
    "Csiz": 116, "Clyr": 108, "Cwth": 118, "Dpth": 121, "Tlyr": 157, "Tsiz": 159, "Layr": 131,
    "Wdth": 163, "Outl": 137, "Full": 126, "Cnfg": 111, "Copy": 112, "Smsh": 150, "Udup": 160,
    "Step": 153, "Res": 145, "Cap": 105, "ReSz": 146, "Snap": 151, "OvSz": 138, "Orig": 136,
    "Swin": 154, "Rwin": 148, "Grid": 128, "Wgrd": 165, "Dgrd": 120, "View": 161, "Open": 135,
    "Cmd": 109, "Sdrw": 149, "Ldrw": 132, "Rdrw": 144,
}
MENU1 = ("Ldrw Sdrw Attr Show Info Arc Dpth Font Ccel Csiz Clyr Cwth Layr Wdth Swin Rwin Cmd "
         "Grid Wgrd Dgrd View Open Obj Text Add Del Get Put Fget Fput Cget Cput Tget Tput Aput "
         "Wmov Qmov Cmov Mov Cpy Vstp Prev Pbeg Pend Cut Join").split()
MENU2 = ("Ldrw Sdrw Cnfg Rdrw Outl Full Copy Smsh Step Res Sort Cap Tlyr Tsiz Swin Rwin Cmd "
         "Grid Wgrd Dgrd View Open Obj Text Add Del Get Put Fget Fput Cget Cput Tget Tput Aput "
         "Aget Qmov Wget Mov Udup Rot Flp ReSz Snap OvSz Orig").split()
PANEL_HEIGHTS = [248, 296, 340, 392, 436, 480]

PANES = [(600, 2, 2, 118), (601, 122, 2, 136), (602, 260, 2, 10), (603, 2, 16, 200), (604, 204, 16, 198)]
TOGGLES = ["W", "U", "C", "D", "H", "I", "N", "P", "R", "T", "V"]

# Accelerators: key, command id (all virtual keys; Alt where marked).
ACCELS = [("A", 30), ("C", 20), ("D", 31), ("E", 15), ("F", 26), ("H", 10), ("I", 14), ("L", 19),
          ("N", 27), ("O", 17), ("P", 12), ("R", 11), ("S", 18), ("T", 21), ("U", 16), ("X", 28),
          ("Y", 13), ("Z", 29)]
KEY_ACCELS = [("VK_DELETE", 40043), ("VK_DOWN", 24), ("VK_END", 40050), ("VK_HOME", 40045),
              ("VK_INSERT", 40049), ("VK_LEFT", 22), ("VK_NEXT", 40047), ("VK_PRIOR", 40046),
              ("VK_RIGHT", 25), ("VK_UP", 23)] + [("VK_F%d" % k, 1398 + k) for k in range(2, 13)]


def q(s):
    return '"' + s.replace('"', '""') + '"'


def toolbar(n, out):
    w, h = TOOLBAR_SIZES[n]
    out.append("TOOLBAR%d DIALOGEX 0, 0, %d, %d" % (n, w, h))
    out.append("STYLE " + PANEL_STYLE)
    out.append('CAPTION "TOOLBAR%d"' % n)
    out.append(FONT)
    out.append("BEGIN")
    bw = (w - 2) // len(TOOLS)
    for i, (cid, c0, c2, c4, _) in enumerate(TOOLS):
        x = 1 + i * bw
        if n % 2 == 0:
            cap = {0: c0, 2: c2}.get(n, c4)
            out.append("  PUSHBUTTON %s, %d, %d, 1, %d, %d" % (q(cap), cid, x, bw, h - 2))
        else:
            out.append('  CONTROL "", %d, "Button", BS_PUSHBUTTON | BS_BITMAP | WS_TABSTOP, %d, 1, %d, %d'
                       % (cid, x, bw, h - 2))
    out.append("END")
    out.append("")


def menu(n, out):
    m = n // 2
    names = MENU1 if n % 2 == 0 else MENU2
    title = "Menu 1" if n % 2 == 0 else "Menu 2"
    h = PANEL_HEIGHTS[m]
    rows = (len(names) + 1) // 2
    rh = (h - 4) // (rows + 1)
    out.append("MENUBTNS%d DIALOGEX 0, 0, 60, %d" % (n, h))
    out.append("STYLE " + PANEL_STYLE)
    out.append("CAPTION %s" % q(title))
    out.append(FONT)
    out.append("BEGIN")
    out.append("  PUSHBUTTON %s, 2019, 2, 2, 56, %d" % (q(title), rh - 1))
    for i, name in enumerate(names):
        col, row = i % 2, i // 2
        x, y = 2 + col * 28, 2 + (row + 1) * rh
        cid = COMMAND_IDS[name]
        if name == "Grid":
            out.append('  CONTROL %s, %d, "Button", BS_CHECKBOX | BS_PUSHLIKE | WS_TABSTOP, %d, %d, 28, %d'
                       % (q(name), cid, x, y, rh - 1))
        else:
            out.append("  PUSHBUTTON %s, %d, %d, %d, 28, %d" % (q(name), cid, x, y, rh - 1))
    out.append("END")
    out.append("")


def bottom(out):
    out.append("BOTTOM DIALOGEX 0, 0, 404, 30")
    out.append("STYLE " + PANEL_STYLE)
    out.append('CAPTION "BOTTOM"')
    out.append(FONT)
    out.append("BEGIN")
    for cid, x, y, w in PANES:
        out.append('  CONTROL "", %d, "Static", SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_SUNKEN, %d, %d, %d, 12'
                   % (cid, x, y, w))
    for i, t in enumerate(TOGGLES):
        out.append('  CONTROL %s, %d, "Button", BS_CHECKBOX | BS_PUSHLIKE, %d, 2, 12, 12'
                   % (q(t), 700 + i, 404 - 2 - 12 * (11 - i)))
    out.append("END")
    out.append("")


def fixed(out):
    out += [
        "FILLBAR DIALOGEX 0, 0, 8, 8", "STYLE " + PANEL_STYLE, 'CAPTION "FILLBAR"', FONT, "BEGIN", "END", "",
        "STARTUP DIALOGEX 0, 0, 300, 196",
        "STYLE DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU",
        'CAPTION "QUIL 7 Startup"', FONT, "BEGIN",
        '  LTEXT "Start Message", -1, 7, 4, 100, 9',
        "  EDITTEXT 1101, 7, 14, 286, 84, ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL",
        '  LTEXT "Current Folder", -1, 7, 104, 100, 9',
        "  EDITTEXT 1102, 7, 114, 286, 13, ES_AUTOHSCROLL",
        '  LTEXT "Cellname", -1, 7, 132, 100, 9',
        "  EDITTEXT 1103, 7, 142, 140, 13, ES_AUTOHSCROLL",
        '  DEFPUSHBUTTON "OK", IDOK, 7, 172, 64, 16',
        '  PUSHBUTTON "New", 1104, 80, 172, 64, 16',
        '  PUSHBUTTON "Browse", 1105, 153, 172, 64, 16',
        '  PUSHBUTTON "Cancel", IDCANCEL, 229, 172, 64, 16',
        "END", "",
        "LOGO DIALOGEX 0, 0, 217, 168",
        "STYLE DS_SETFONT | WS_POPUP | WS_BORDER", 'CAPTION "Quil 7"', FONT, "BEGIN",
        '  CONTROL "QUILLOGO", 1201, "Static", SS_BITMAP, 0, 0, 217, 168',
        "END", "",
        "PAUSE DIALOGEX 0, 0, 1, 1", "STYLE DS_SETFONT | WS_POPUP", 'CAPTION "Pause"', FONT,
        "BEGIN", "END", "",
        "POLAR DIALOGEX 0, 0, 160, 58",
        "STYLE DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU",
        'CAPTION "Polar Angle"', FONT, "BEGIN",
        '  LTEXT "Angle from the X Axis in Degrees (0 - 90)", -1, 7, 7, 146, 9',
        "  EDITTEXT 1001, 7, 18, 60, 13, ES_AUTOHSCROLL",
        '  DEFPUSHBUTTON "OK", IDOK, 40, 38, 50, 14',
        '  PUSHBUTTON "Cancel", IDCANCEL, 100, 38, 50, 14',
        "END", "",
        "RUNNER DIALOGEX 0, 0, 280, 132",
        "STYLE DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU",
        'CAPTION "Run Application"', FONT, "BEGIN",
        '  LTEXT "Application", -1, 7, 6, 120, 9',
        "  COMBOBOX 400, 7, 16, 196, 120, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP",
        '  PUSHBUTTON "X", 406, 207, 16, 14, 13',
        '  PUSHBUTTON "Browse", 450, 225, 16, 48, 13',
        '  LTEXT "Filename or Parameters", -1, 7, 36, 120, 9',
        "  COMBOBOX 401, 7, 46, 196, 120, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP",
        '  PUSHBUTTON "X", 407, 207, 46, 14, 13',
        '  PUSHBUTTON "Browse", 451, 225, 46, 48, 13',
        '  LTEXT "A file name that holds blanks must be given", -1, 7, 66, 266, 9',
        '  LTEXT "in double quotes.", -1, 7, 76, 266, 9',
        '  PUSHBUTTON "Clean Apps", 402, 7, 110, 56, 14',
        '  PUSHBUTTON "Clean Files", 403, 69, 110, 56, 14',
        '  DEFPUSHBUTTON "Run", IDOK, 155, 110, 56, 14',
        '  PUSHBUTTON "Cancel", IDCANCEL, 217, 110, 56, 14',
        "END", "",
        "MSGBOX DIALOGEX 0, 0, 220, 62",
        "STYLE DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU",
        'CAPTION "Yes, No, OK or Cancel?"', FONT, "BEGIN",
        '  LTEXT "", 1240, 7, 7, 206, 20, SS_NOPREFIX',
        '  PUSHBUTTON "Yes", 6, 14, 40, 44, 14',
        '  PUSHBUTTON "No", 7, 64, 40, 44, 14',
        '  DEFPUSHBUTTON "OK", IDOK, 114, 40, 44, 14',
        '  PUSHBUTTON "Cancel", IDCANCEL, 164, 40, 44, 14',
        "END", "",
    ]


def accels(out):
    out.append("QUILACC ACCELERATORS")
    out.append("BEGIN")
    for key, cid in ACCELS:
        out.append('  "%s", %d, VIRTKEY, ALT' % (key, cid))
    for key, cid in KEY_ACCELS:
        out.append("  %s, %d, VIRTKEY" % (key, cid))
    out.append("END")
    out.append("")


def bitmaps(res, out):
    for name in TOOL_BITMAPS + ["QUILLOGO"]:
        out.append('%s BITMAP "%s/%s.bmp"' % (name, res, name.lower()))
    out.append('QUIL1 ICON "%s/quil1.ico"' % res)
    out.append("")


def header(path):
    out = ["// Generated by gen_rc.py; edit the tables there.",
           "#ifndef QUIL7_UI_SIZES_H", "#define QUIL7_UI_SIZES_H", "",
           "// Width and height of TOOLBAR0..7, dialog units.",
           "static const int kToolbarDlu[8][2] = {%s};" % ", ".join("{%d, %d}" % wh for wh in TOOLBAR_SIZES),
           "// Height of the command panels of layouts 0..5 and their width.",
           "static const int kPanelDlu[6] = {%s};" % ", ".join(str(h) for h in PANEL_HEIGHTS),
           "static const int kPanelWidthDlu = 60;", "", "#endif", ""]
    with open(path, "w") as f:
        f.write("\n".join(out))


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    if len(sys.argv) == 4:
        header(sys.argv[3])
    res = sys.argv[2].replace("\\", "/")
    out = ["// Generated by gen_rc.py; edit the tables there.", "#include <windows.h>", ""]
    for n in range(8):
        toolbar(n, out)
    for n in range(12):
        menu(n, out)
    bottom(out)
    fixed(out)
    accels(out)
    bitmaps(res, out)
    with open(sys.argv[1], "w") as f:
        f.write("\n".join(out))


if __name__ == "__main__":
    main()
