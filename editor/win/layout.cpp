// The main window's frame: tool strip, command panels, bottom bar and
// fillers, placed around the drawing area; their button handling.
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstring>

#include "cmdengine.h"
#include "cmdtable.h"
#include "pending.h"
#include "panes.h"
#include "shellwin.h"
#include "trace.h"
#include "view.h"
#include "quil7_ui_sizes.h"

namespace {

const char* const kToolBitmapNames[TOOL_BITMAP_COUNT] = {
    "MXPHELP", "MRUN", "MHCPY", "MSYS",   "MIMPORT", "MEXPORT", "MUNDO", "MREDO",
    "MSAVE",   "MCELL", "MRECL", "MLIST", "MLEFT",   "MUP",     "MDN",   "MRIGHT",
    "MFIT",    "MCNTR", "MXPND", "MZOOM", "MLAST",   "MDRAW"};

void HelpTopic(int id) { ShellTrace("help %d", id); }

// Every panel takes the editor's feedback off the drawing when the mouse
// reaches it, and shows the system cursor there.
int PanelMouse(UINT msg) {
  if (msg == WM_MOUSEMOVE || msg == WM_SETCURSOR) {
    CursorClear();
    CursorShowSys(1);
  }
  return 0;
}

INT_PTR CALLBACK ToolStripProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
  PanelMouse(msg);
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    int id = LOWORD(wParam);
    if (KeyF1Held()) {
      HelpTopic(id);
      return TRUE;
    }
    SetFocus(Sw.main);
    SendMessageA(Sw.main, WM_COMMAND, (WPARAM)id, 0);
    return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK CmdPanelProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
  PanelMouse(msg);
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    int id = LOWORD(wParam);
    if (id == ID_SWAP) {
      SetFocus(Sw.main);
      SendMessageA(Sw.main, WM_COMMAND, ID_SWAP, 0);
      return TRUE;
    }
    if (KeyF1Held()) {
      HelpTopic(id);
      return TRUE;
    }
    int index = CmdIndexById(id);
    if (index < 0) return TRUE;
    SetFocus(Sw.main);
    PostMessageA(Sw.main, WM_CMDSTART, (WPARAM)index, 0);
    return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK BottomProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
  PanelMouse(msg);
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    int id = LOWORD(wParam);
    ToggleButton t = ToggleButtonOf(id);
    if (!t.mode) return TRUE;
    if (KeyF1Held()) {
      HelpTopic(id);
      return TRUE;
    }
    switch (t.mode) {
      case 1: View.togs |= t.bits; break;
      case 2: View.togs &= ~t.bits; break;
      case 3: View.togs ^= t.bits; break;
      case 4:
        PolarAsk();
        break;
    }
    TogglePanelSync();
    if (t.redraw && !Sw.noTogDraw) PostMessageA(Sw.main, WM_COMMAND, ID_DRAW, 0);
    return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK FillProc(HWND, UINT msg, WPARAM, LPARAM) {
  PanelMouse(msg);
  return msg == WM_INITDIALOG;
}

HWND PanelMake(const char* name, DLGPROC proc) {
  return CreateDialogParamA(Sw.inst, name, Sw.main, proc, 0);
}

void Destroy(HWND* w) {
  if (*w) DestroyWindow(*w);
  *w = nullptr;
}

int WindowWidth(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  return r.right - r.left;
}

int WindowHeight(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  return r.bottom - r.top;
}

void ToolBitmapsLoad() {
  ToolBitmapsFree();
  for (int i = 0; i < TOOL_BITMAP_COUNT; ++i)
    Sw.toolBmp[i] = (HBITMAP)LoadImageA(Sw.inst, kToolBitmapNames[i], IMAGE_BITMAP, 0, 0,
                                        LR_LOADMAP3DCOLORS);
}

// Button images go in id order from 10: Help first, Draw (31) last.
void ToolImagesSet(HWND strip) {
  for (int id = 10; id <= 31; ++id) {
    HWND b = GetDlgItem(strip, id);
    if (b && Sw.toolBmp[id - 10]) SendMessageA(b, BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)Sw.toolBmp[id - 10]);
  }
}

void BottomPlace(int w, int h) {
  Sw.bottomHeight = WindowHeight(Sw.bottom);
  SetWindowPos(Sw.bottom, nullptr, 0, h - Sw.bottomHeight, w, Sw.bottomHeight, SWP_NOZORDER);
  HWND first = GetDlgItem(Sw.bottom, 700);
  int bw = first ? WindowWidth(first) : 20;
  int margin = 2 * Sw.cxEdge + 2;
  int togLeft = w;
  for (int id = 700; id <= 710; ++id) {
    HWND b = GetDlgItem(Sw.bottom, id);
    if (!b) continue;
    int x = w - (711 - id) * bw - margin;
    if (x < togLeft) togLeft = x;
    SetWindowPos(b, nullptr, x, 5, bw, WindowHeight(b), SWP_NOZORDER);
  }
  // 602 reaches to the toggles, 604 to the right edge.
  const int stretch[2] = {602, 604};
  for (int k = 0; k < 2; ++k) {
    HWND p = GetDlgItem(Sw.bottom, stretch[k]);
    if (!p) continue;
    RECT r;
    GetWindowRect(p, &r);
    MapWindowPoints(nullptr, Sw.bottom, (POINT*)&r, 2);
    int right = k == 0 ? togLeft - 2 : w - margin;
    int width = right - r.left;
    SetWindowPos(p, nullptr, 0, 0, width > 4 ? width : 4, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
  }
  ShowWindow(Sw.bottom, SW_SHOWNA);
}

}  // namespace

void ToolBitmapsFree() {
  for (HBITMAP& b : Sw.toolBmp) {
    if (b) DeleteObject(b);
    b = nullptr;
  }
}

void ToolStripCreate() {
  char name[16];
  ToolbarTemplate(name, sizeof name, Sw.toolClass, Sw.textToolbar);
  Destroy(&Sw.toolStrip);
  Destroy(&Sw.toolFill);
  Sw.toolStrip = PanelMake(name, ToolStripProc);
  if (!Sw.toolStrip) return;
  if (!Sw.textToolbar) ToolImagesSet(Sw.toolStrip);
  Sw.toolHeight = WindowHeight(Sw.toolStrip);
  if (Sw.measuring) return;
  RECT c;
  GetClientRect(Sw.main, &c);
  int w = c.right - c.left;
  int x = 0;
  if (Sw.cntrTools) {
    int stripW = WindowWidth(Sw.toolStrip);
    Sw.toolFill = PanelMake("FILLBAR", FillProc);
    int fillW = 0;
    int spacer = (w - stripW - fillW) / 2 + 1;
    x = (w - stripW) / 2;
    if (x < 0) x = 0;
    if (Sw.toolFill) {
      SetWindowPos(Sw.toolFill, nullptr, 0, 0, spacer > 0 ? spacer : 0, Sw.toolHeight, SWP_NOZORDER);
      ShowWindow(Sw.toolFill, SW_SHOWNA);
    }
    SetWindowPos(Sw.toolStrip, nullptr, x, 0, w - x, Sw.toolHeight, SWP_NOZORDER);
  } else {
    SetWindowPos(Sw.toolStrip, nullptr, 0, 0, w, Sw.toolHeight, SWP_NOZORDER);
  }
  ShowWindow(Sw.toolStrip, SW_SHOWNA);
}

// A panel's size in pixels is its template's size in the panels' font:
// one filler dialog made in that font converts all of them, which spares
// building some 700 buttons only to measure them.
static void DluToPixels(int w, int h, int* pw, int* ph) {
  *pw = *ph = 0;
  HWND probe = PanelMake("FILLBAR", FillProc);
  if (!probe) return;
  RECT r = {0, 0, w, h};
  MapDialogRect(probe, &r);
  DestroyWindow(probe);
  *pw = r.right;
  *ph = r.bottom;
}

void ToolWidthsMeasure() {
  for (int k = 0; k < 4; ++k) {
    int t = Sw.textToolbar ? 2 * k : 2 * k + 1;
    int h;
    DluToPixels(kToolbarDlu[t][0], kToolbarDlu[t][1], &Sw.toolWidths[k], &h);
  }
}

void CmdPanelsCreate(int measure) {
  CursorClear();
  Destroy(&Sw.panel[0]);
  Destroy(&Sw.panel[1]);
  char shown[16], hidden[16];
  MenuTemplates(shown, hidden, sizeof shown, Sw.panelLayout);
  Sw.panel[0] = PanelMake(shown, CmdPanelProc);
  Sw.panel[1] = PanelMake(hidden, CmdPanelProc);
  Sw.panelSwapped = 0;
  if (measure) return;
  RECT c;
  GetClientRect(Sw.main, &c);
  int w = c.right - c.left;
  int x = Sw.leftCmdMenu ? 0 : w - Sw.panelWidth;
  const LayoutArea a = {View.area.left, View.area.top, View.area.right, View.area.bottom, 0, 0, 0, 0};
  for (int i = 0; i < 2; ++i) {
    HWND p = Sw.panel[i];
    if (!p) continue;
    int ph = WindowHeight(p);
    int top = a.top + ((a.bottom - a.top) - ph) / 2;
    if (top < a.top) top = a.top;
    int height = a.bottom - top;
    SetWindowPos(p, nullptr, x, top, Sw.panelWidth, height > 0 ? height : 0, SWP_NOZORDER);
    ShowWindow(p, i == 0 ? SW_SHOWNA : SW_HIDE);
  }
  if (Sw.panel[0]) {
    RECT r;
    GetWindowRect(Sw.panel[0], &r);
    MapWindowPoints(nullptr, Sw.main, (POINT*)&r, 2);
    Destroy(&Sw.fillGap);
    Sw.fillGap = PanelMake("FILLBAR", FillProc);
    if (Sw.fillGap) {
      SetWindowPos(Sw.fillGap, nullptr, x, a.top, Sw.panelWidth, r.top - a.top, SWP_NOZORDER);
      ShowWindow(Sw.fillGap, r.top > a.top ? SW_SHOWNA : SW_HIDE);
    }
  }
  SetFocus(Sw.main);
}

void PanelHeightsMeasure() {
  for (int k = 0; k < 6; ++k) {
    int w;
    DluToPixels(kPanelWidthDlu, kPanelDlu[k], &w, &Sw.panelHeights[k]);
    // The panel is at least as wide as its buttons, whatever the font.
    if (w > Sw.panelWidth) Sw.panelWidth = w;
  }
  Sw.measured = 1;
}

void PanelSwap() {
  if (!Sw.panel[0] || !Sw.panel[1]) return;
  Sw.panelSwapped = !Sw.panelSwapped;
  ShowWindow(Sw.panel[Sw.panelSwapped ? 1 : 0], SW_SHOWNA);
  ShowWindow(Sw.panel[Sw.panelSwapped ? 0 : 1], SW_HIDE);
}

void MainLayout() {
  // Nothing to lay out before the strips and panels are measured.
  if (!Sw.main || !Sw.measured) return;
  RECT c;
  GetClientRect(Sw.main, &c);
  int w = c.right - c.left, h = c.bottom - c.top;
  Destroy(&Sw.toolStrip);
  Sw.toolClass = ToolClassPick(Sw.toolWidths, w);
  ToolBitmapsLoad();
  ToolStripCreate();
  Destroy(&Sw.bottom);
  Destroy(&Sw.fillSide);
  Sw.bottom = PanelMake("BOTTOM", BottomProc);
  if (Sw.bottom) {
    BottomPlace(w, h);
    TogglePanelSync();
  }
  int avail = h - Sw.toolHeight - Sw.bottomHeight;
  Sw.panelLayout = PanelLayoutPick(Sw.panelHeights, avail);
  LayoutInput in = {c.left, c.top, c.right, c.bottom, Sw.toolHeight, Sw.bottomHeight, Sw.panelWidth,
                    Sw.leftCmdMenu};
  LayoutArea a;
  DrawAreaCompute(in, &a);
  View.area.left = a.left;
  View.area.top = a.top;
  View.area.right = a.right;
  View.area.bottom = a.bottom;
  View.area.ox = a.ox;
  View.area.oy = a.oy;
  View.area.aspect = a.aspect;
  Sw.fillSide = PanelMake("FILLBAR", FillProc);
  if (Sw.fillSide) {
    int top = Sw.toolHeight, height = h - Sw.toolHeight - Sw.bottomHeight;
    SetWindowPos(Sw.fillSide, nullptr, Sw.leftCmdMenu ? w - 8 : 0, top, 8, height > 0 ? height : 0,
                 SWP_NOZORDER);
    ShowWindow(Sw.fillSide, SW_SHOWNA);
  }
  ShellTrace("layout %dx%d TOOLBAR%d MENUBTNS%d area %d,%d,%d,%d", w, h,
             Sw.textToolbar ? 2 * Sw.toolClass : 2 * Sw.toolClass + 1, 2 * Sw.panelLayout, a.left,
             a.top, a.right, a.bottom);
  if (a.empty) return;  // minimised or tiny: nothing to show or map
  ViewUpdate();
  CmdPanelsCreate(0);
}

void TogglePanelSync() {
  if (Sw.bottom)
    for (int id = 700; id <= 710; ++id)
      CheckDlgButton(Sw.bottom, id, ToggleChecked(id, View.togs) ? BST_CHECKED : BST_UNCHECKED);
  if (Sw.main) SetFocus(Sw.main);
}

void PaneTextSet(int id, const char* text) {
  if (Sw.bottom) SetDlgItemTextA(Sw.bottom, id, text);
}

void TitleShow(int kind) {
  char title[SHELL_PATH_SIZE + 200];
  TitleText(title, sizeof title, kind, Cell.name, Cell.rank, Sw.drawFolder, Cell.modified, "");
  SetWindowTextA(Sw.main, title);
}
