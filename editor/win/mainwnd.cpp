// The main window procedure: every input of the editor becomes a command
// start, a command line, a point, a toggle, a redraw or a layout pass.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "cmdengine.h"
#include "cmdtable.h"
#include "cmdwin.h"
#include "editorcmd.h"
#include "undo.h"
#include "display.h"
#include "drawres.h"
#include "pending.h"
#include "rubber.h"
#include "namecheck.h"
#include "shellwin.h"
#include "trace.h"
#include "view.h"

namespace {

const char* CurrentName() {
  int i = EditorCmd.current;
  return i >= 0 && i < CMD_COUNT ? CmdTable[i].name : "";
}

// The shell's share of a handler step's end: toggles and title fresh.
void Completion(int mode) {
  CmdDone(EditorCmd, mode);
  DisplayPanesUpdate();
  TogglePanelSync();
  TitleShow(0);
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

// Runs a command line as a key line (F-keys, navigation keys, other programs).
void KeyLineRun(const char* line) {
  EditorCmd.keyLine = 1;
  Cmd(EditorCmd, line);
  EditorCmd.keyLine = 0;
}

void PostDraw() { PostMessageA(Sw.main, WM_COMMAND, ID_DRAW, 0); }

void CountsPane() { DisplayPanesUpdate(); }

// The whole drawing area redrawn; the timer started by the redraw clears
// the just-drawn state.
void DrawAll() {
  if (DrawAreaEmpty(View.area) || !Sw.dc) return;
  DisplayDraw(Sw.dc, Sw.redrawKind);
  View.justDrawn = 1;
  Sw.fullDraw = 0;
}

void RedrawHook(int kind) {
  Sw.redrawKind = kind;
  SendMessageA(Sw.main, WM_REDRAW, 0, 0);
}

void PaneHook(int id, const char* text) { PaneTextSet(id, text); }

// The editor's palette in the window's device context while it draws.
HPALETTE PaletteIn() {
  if (!DrawRes.palette || !Sw.dc) return nullptr;
  HPALETTE old = SelectPalette(Sw.dc, DrawRes.palette, TRUE);
  RealizePalette(Sw.dc);
  return old;
}

void PaletteOut(HPALETTE old) {
  if (old) SelectPalette(Sw.dc, old, TRUE);
  if (Sw.dc) SelectObject(Sw.dc, GetStockObject(WHITE_PEN));
}

// A display grid drawn over the drawing as it stands (Grid, Dgrd, Sdrw).
void GridHook(int n) {
  if (DrawAreaEmpty(View.area) || !Sw.dc) return;
  CursorClear();
  HPALETTE old = PaletteIn();
  DisplayGridDraw(Sw.dc, n);
  PaletteOut(old);
}

void Redraw() {
  if (DrawAreaEmpty(View.area)) {
    Sw.redrawKind = 0;
    return;
  }
  Sw.redrawing = 1;
  SetCursor(LoadCursor(nullptr, IDC_WAIT));
  CursorClear();
  HPALETTE old = PaletteIn();
  if (Sw.redrawKind == 0) {
    RECT r = {View.area.left, View.area.top, View.area.right, View.area.bottom};
    Sw.noRedraw = 1;
    InvalidateRect(Sw.main, &r, TRUE);
    UpdateWindow(Sw.main);
    if (Sw.fullDraw) FillRect(Sw.dc, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
  } else {
    const char* text = Sw.redrawKind == 3
                           ? (Sw.wineMode ? "Previewing Print Resolution ... Please Wait"
                                          : "Previewing Print Resolution ... Press ESC for Quick Draw")
                           : (Sw.wineMode ? "Drawing ... Please Wait" : "Drawing ... Press ESC for Quick Draw");
    PaneTextSet(602, text);
    DrawAll();
    CountsPane();
  }
  PaletteOut(old);
  Sw.redrawKind = 0;
  Sw.noRedraw = 0;
  Sw.redrawing = 0;
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
  CmdDone(EditorCmd, 0);
}

void Paint(HWND hwnd) {
  SetCursor(LoadCursor(nullptr, IDC_WAIT));
  CursorClear();
  HPALETTE old = PaletteIn();
  PAINTSTRUCT ps;
  BeginPaint(hwnd, &ps);
  const RECT& r = ps.rcPaint;
  if (!Sw.noRedraw && (r.left || r.top || r.right || r.bottom) && !DrawAreaEmpty(View.area)) {
    Sw.redrawing = 1;
    PaneTextSet(602, Sw.wineMode ? "Redrawing ... Please Wait" : "Redrawing ... Press ESC for Quick Draw");
    DrawAll();
    CountsPane();
    Sw.redrawing = 0;
  }
  EndPaint(hwnd, &ps);
  PaletteOut(old);
  Sw.noRedraw = 0;
  Sw.redrawKind = 0;
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
  CmdDone(EditorCmd, 0);
}

// The figure follows the running command: from the point before the one it
// waits for to the cursor, a rectangle while that point closes a window. A
// figure still on the screen is taken off before it changes, since only the
// same figure drawn again removes it.
void RubberSync() {
  int kind = FIG_NONE, ax = 0, ay = 0;
  if (View.step >= 2 && View.step <= 4) {
    kind = EditorCmd.pointMode == 2 && View.step == 2 ? FIG_RECT : FIG_LINE;
    ax = View.slot[View.step - 1].px;
    ay = View.slot[View.step - 1].py;
  }
  if (kind == Rubber.kind && ax == Rubber.ax && ay == Rubber.ay) return;
  RubberShow(0);
  Rubber.kind = kind;
  Rubber.ax = ax;
  Rubber.ay = ay;
}

void MouseMove(HWND hwnd, int x, int y) {
  Sw.cursor.x = x;
  Sw.cursor.y = y;
  if (!GridSnap(x, y) || !CursorFree(x, y)) return;
  const ViewPoint& p = (View.togs & TOG_SNAP) ? View.snapped : View.freePt;
  char text[200];
  CursorReadoutText(text, sizeof text, Sw.toolClass, CurrentName(), p);
  PaneTextSet(601, text);
  int inside = x > View.area.left && x < View.area.right && y > View.area.top && y < View.area.bottom;
  if (GetForegroundWindow() == hwnd && inside) {
    CursorShowSys(0);
    CursorMarkMove(p.px, p.py);
    RubberSync();
    if (Rubber.kind != FIG_NONE) {
      if (Rubber.shown) RubberMove();
      else RubberShow(1);
    }
  } else {
    CursorClear();
    CursorShowSys(1);
  }
}

// The Shift key turns Get into Put and back while one of them waits.
void ShiftPoll() {
  static const char* const kSwapping[] = {"Get", "Fget", "Tget", "Cget", "Put",
                                          "Fput", "Tput", "Cput", "Outl", "Full"};
  const char* name = CurrentName();
  int swapping = 0;
  for (const char* s : kSwapping)
    if (strcmp(name, s) == 0) swapping = 1;
  if (!swapping) {
    Sw.shiftKept = 0;
    return;
  }
  int shift = KeyShiftHeld();
  if (shift != Sw.shiftKept) {
    Sw.shiftKept = shift;
    ShellTrace("prompt %s shift %d", name, shift);
  }
}

void TypedPoint(int axis) {
  if (EditorCmd.wantsZeroPoint) SendMessageA(Sw.main, WM_CMDPOINT, 0, 0);
  double x = 0, y = 0;
  if (!CmdAskPoint(axis, &x, &y)) return;
  int32_t dx, dy;
  if (!TypedToDb(x, View.scale, &dx) || !TypedToDb(y, View.scale, &dy)) {
    ErrorShow("Point is Out of Range");
    return;
  }
  SendMessageA(Sw.main, WM_CMDPOINT, (WPARAM)(uint32_t)dx, (LPARAM)dy);
}

void Char(int ch) {
  switch (ch) {
    case 1: {  // Ctrl+A
      char text[1400];
      InfoAllocText(text, sizeof text, Sw.winVersion, Sw.progFolder, Sw.wineMode);
      MsgBoxWait(Sw.main, text, "Information and Allocations", MB_OK);
      return;
    }
    case 2: {  // Ctrl+B
      char help[SHELL_PATH_SIZE], date[64] = "Unknown";
      snprintf(help, sizeof help, "%s\\Quil7\\Quilhelp.chm", Sw.progDrive);
      WIN32_FILE_ATTRIBUTE_DATA fa;
      SYSTEMTIME st;
      if (GetFileAttributesExA(help, GetFileExInfoStandard, &fa) &&
          FileTimeToSystemTime(&fa.ftLastWriteTime, &st))
        snprintf(date, sizeof date, "%02d/%02d/%04d", st.wMonth, st.wDay, st.wYear);
      char text[200];
      BuildHistoryText(text, sizeof text, date);
      MsgBoxWait(Sw.main, text, "Version Build History", MB_OK);
      return;
    }
    case 4: {  // Ctrl+D
      char text[400];
      ObjectInfoText(text, sizeof text, Sw.countBoxes, Sw.countPaths, Sw.countTexts, Sw.countCells);
      MsgBoxWait(Sw.main, text, "Object Information", MB_OK);
      return;
    }
    case '\t':
      CrossLinesToggle();
      return;
    case '\r':
      PostDraw();
      return;
    case 27:
      Sw.cmdAbort = 1;
      EditorCmd.abort = 1;
      ShellTrace("escape");
      CmdHandlerCall(EditorCmd);
      return;
    case ' ':
    case 'z':
    case 'Z': {
      CursorClear();
      char text[160];
      int r = Measure(ch == ' ' ? 0 : 1, KeyCtrlHeld(), text, sizeof text);
      if (r < 0) return;
      if (ch == ' ') PaneTextSet(602, text);
      const ViewPoint& p = ch == ' ' ? View.measLast : View.measRef;
      if (r == 1) MarkerAt(p.px, p.py);
      return;
    }
    case 'w': case 'W': case 'u': case 'U':
      CursorClear();
      if (ch == 'w' || ch == 'W') View.togs |= TOG_SNAP;
      else View.togs &= ~TOG_SNAP;
      TogglePanelSync();
      return;
    case 'p': case 'P':
      CursorClear();
      PolarAsk();
      return;
    case 'm': case 'M':
      Sw.noRedraw = 1;
      PanelSwap();
      return;
    case 'x': case 'X':
      TypedPoint(0);
      return;
    case 'y': case 'Y':
      TypedPoint(1);
      return;
    default: {
      ToggleKey t = ToggleKeyOf(ch);
      if (!t.bits) return;
      View.togs ^= t.bits;
      TogglePanelSync();
      if (t.redraw && !Sw.noTogDraw) PostDraw();
    }
  }
}

void LoadNamed(const char* name) {
  if (Cell.name[0] && !CellSavePrompt(0, 0)) {
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    return;
  }
  if (CellLoadByName(name)) {
    TitleShow(0);
    PostDraw();
  } else {
    PostMessageA(Sw.main, WM_COMMAND, ID_LOAD, 0);
  }
}

void Load() {
  char name[SHELL_PATH_SIZE] = "";
  // The first Load after start-up opens the drawing's current cell.
  if (Sw.cellToOpen[0]) {
    snprintf(name, sizeof name, "%s", Sw.cellToOpen);
    Sw.cellToOpen[0] = '\0';
  } else {
    if (!CmdAskCellName(name, sizeof name)) return;
    if (CellNameCheck(name, 0)) {
      ErrorShow("Not a Valid Cellname");
      PostMessageA(Sw.main, WM_COMMAND, ID_LOAD, 0);
      return;
    }
  }
  LoadNamed(name);
}

// A button whose program is not part of this edition: said in the prompt
// pane, before any question, so the cell and its state stay as they were.
void NotAvailable(const char* name) {
  char msg[96];
  snprintf(msg, sizeof msg, "%s is not available in this Edition", name);
  PaneTextSet(600, msg);
}

void Command(int id) {
  switch (id) {
    case 10:
      ShellTrace("help");
      NotAvailable("Help");
      return;
    case 11:
      Sw.askFlag = 1;
      Undo.askFlag = 1;  // the save prompt asks even for an unmodified cell
      if (CellSavePrompt(0, 0)) RunnerRun();
      Completion(0x02);
      return;
    case 13:
      if (CellSavePrompt(0, 0)) SystemModeRun();
      PostDraw();
      Completion(0x02);
      return;
    case 14:
      if (Sw.wineMode) {
        ErrorShow("Button not available under Wine\n\nUse Import in System Mode");
        return;
      }
      if (CellSavePrompt(0, 0)) ImportRun();
      PostDraw();
      return;
    case 15:
      if (Sw.wineMode) {
        ErrorShow("Button not available under Wine\n\nUse Export in System Mode");
        return;
      }
      if (CellSavePrompt(0, 0)) ExportRun(Cell.name);
      Completion(0x06);
      return;
    case 16:
    case 17:
      BackupRestore(EditorCmd, id == 17 ? 3 : (KeyCtrlHeld() ? 1 : 4));
      PostDraw();
      CursorClear();
      Completion(0x02);
      return;
    case 18: {
      if (!Cell.name[0]) {
        ErrorShow("You Must Create or Load a Cell before it can be Saved");
        return;
      }
      if (CmdSave()) TitleShow(0);
      Completion(0x02);
      return;
    }
    case ID_LOAD:
      Load();
      return;
    case 20:
      if (Cell.recall[0][0] && Cell.recall[1][0]) {
        char name[40];
        snprintf(name, sizeof name, "%s", Cell.recall[1]);
        LoadNamed(name);
      }
      return;
    case 21:
      ShellTrace("list");
      NotAvailable("List");
      return;
    case ID_SWAP:
      Sw.noRedraw = 1;
      PanelSwap();
      Completion(0x02);
      return;
    case 40043: KeyLineRun("Del"); return;
    case 40045: KeyLineRun("Cntr 0 0"); return;
    case 40046: KeyLineRun("Fit"); return;
    case 40047: KeyLineRun("Xpnd"); return;
    case 40049: KeyLineRun("Zoom"); return;
    case 40050: KeyLineRun("Last"); return;
    default:
      break;
  }
  if (id == 12 || (id >= 22 && id <= 31)) {
    int index = CmdIndexById(id);
    if (index < 0) return;
    SendMessageA(Sw.main, WM_CMDSTART, (WPARAM)index, 0);
    SetFocus(Sw.main);
    return;
  }
  if (id >= 1400 && id <= 1410) {
    int n = FKeyLineIndex(id, SetupFKeyCount());
    if (!n) return;
    const char* line = SetupFKeyLine(n);
    if (!line || !*line) return;
    FKeyLineCopy(Sw.cmdLine, sizeof Sw.cmdLine, line);
    KeyLineRun(Sw.cmdLine);
  }
}

void CopyData(const COPYDATASTRUCT* cds) {
  // A line arriving while a dialog, a script or a redraw runs would re-enter
  // code that is not done; the sender gets no answer either way.
  if (Sw.modalDepth > 0 || EditorCmd.scriptRunning || Sw.redrawing || !Sw.started) {
    ShellTrace("copydata ignored: busy");
    return;
  }
  if (!cds || !CmdLineAccept(Sw.cmdLine, sizeof Sw.cmdLine, cds->lpData, cds->cbData)) {
    ShellTrace("copydata refused");
    return;
  }
  KeyLineRun(Sw.cmdLine);
}

void Start(int index) {
  if (index < 0 || index >= CMD_COUNT) return;  // any process may post this
  // Ctrl+Mov: the engine runs INCMOV and the line it forms; the line's own
  // start does not look at Ctrl again.
  Sw.cmdAbort = 0;
  Sw.drawAbort = 0;
  CmdStart(EditorCmd, index, KeyCtrlHeld());
}

void Point(WPARAM wParam, LPARAM lParam) {
  int32_t x = (int32_t)(uint32_t)wParam, y = (int32_t)lParam;
  if (x > ROUND_LIMIT || x < -ROUND_LIMIT || y > ROUND_LIMIT || y < -ROUND_LIMIT) return;
  RubberShow(0);  // drawn for the step that this point ends
  CmdPoint(EditorCmd, x, y);
}

}  // namespace

int KeyCtrlHeld() { return (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0; }
int KeyAltHeld() { return (GetAsyncKeyState(VK_MENU) & 0x8000) != 0; }
int KeyF1Held() { return (GetAsyncKeyState(VK_F1) & 0x8000) != 0; }
int KeyShiftHeld() { return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0; }

void ToggleRefresh() { TogglePanelSync(); }

int KeyEscAbort() {
  if (!Sw.cmdAbort && (GetAsyncKeyState(VK_ESCAPE) & 0x8000)) Sw.cmdAbort = 1;
  return Sw.cmdAbort;
}

int DrawEscAbort() {
  if (!Sw.drawAbort && (GetAsyncKeyState(VK_ESCAPE) & 0x8000)) Sw.drawAbort = 1;
  return Sw.drawAbort;
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  ShiftPoll();
  switch (msg) {
    case WM_CREATE:
      Sw.main = hwnd;
      Sw.dc = GetDC(hwnd);
      SetMapMode(Sw.dc, MM_TEXT);
      DisplayInit(hwnd);
      CmdShell.redraw = RedrawHook;
      CmdShell.pane = PaneHook;
      CmdShell.gridDraw = GridHook;
      CmdWinInstall();
      View.step = 0;
      View.togs &= ~0x8u;
      SendMessageA(hwnd, WM_CMDSTART, 0, 0);
      return 0;
    case WM_CLOSE:
      if (!MainShutdown()) return 0;  // the cell could not be saved: stay open
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      MainShutdown();
      return 0;
    case WM_ENDSESSION:
      if (wParam) {
        Sw.endSession = 1;
        MainShutdown();
      }
      return 0;
    case WM_SIZE:
    case WM_DISPLAYCHANGE:
    case WM_RELAYOUT:
      MainLayout();
      if (wParam <= 2 && !DrawAreaEmpty(View.area)) PostDraw();
      return 0;
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case WM_KILLFOCUS:
    case WM_NCMOUSEMOVE:
      CursorClear();
      CursorShowSys(1);
      return msg == WM_NCMOUSEMOVE ? DefWindowProcA(hwnd, msg, wParam, lParam) : 0;
    case WM_TIMER:
      View.justDrawn = 0;
      return 0;
    case WM_MOUSEMOVE:
      MouseMove(hwnd, (short)LOWORD(lParam), (short)HIWORD(lParam));
      return 0;
    case WM_LBUTTONDOWN: {
      const ViewPoint& p = (View.togs & TOG_SNAP) ? View.snapped : View.freePt;
      SendMessageA(hwnd, WM_CMDPOINT, (WPARAM)(uint32_t)p.x, (LPARAM)p.y);
      return 0;
    }
    case WM_LBUTTONDBLCLK:
      if (View.step == 2) {
        Sw.doubleClick = 1;
        CmdDoubleClick(EditorCmd);
      }
      return 0;
    case WM_RBUTTONDOWN:
      Sw.noRedraw = 1;
      PanelSwap();
      Completion(0x02);
      return 0;
    case WM_COPYDATA:
      CopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
      return 0;
    case WM_CHAR:
      Char((int)wParam);
      return 0;
    case WM_COMMAND:
      Command(LOWORD(wParam));
      return 0;
    case WM_CMDSTART:
      Start((int)wParam);
      return 0;
    case WM_CMDRESUME:
      EditorCmd.current = EditorCmd.pending;
      SendMessageA(hwnd, WM_CMDSTART, (WPARAM)EditorCmd.pending, 0);
      return 0;
    case WM_CMDBACK:
      View.step = View.step < 2 ? 0 : View.step - 1;
      CmdHandlerCall(EditorCmd);
      return 0;
    case WM_CMDPOINT:
      Point(wParam, lParam);
      return 0;
    case WM_REDRAW:
      Redraw();
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}
