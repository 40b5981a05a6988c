// The command engine's dialogs and its hooks into the main window.
#include <windows.h>
#include <commdlg.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "celltable.h"
#include "cellname.h"
#include "cmdedit.h"
#include "cmdengine.h"
#include "cmdwin.h"
#include "display.h"
#include "mainsetup.h"
#include "namecheck.h"
#include "pending.h"
#include "shellwin.h"
#include "version.h"

int CmdDlgModal(const char* tmpl, DLGPROC proc, LPARAM param) {
  Sw.modalDepth++;
  INT_PTR r = DialogBoxParamA(Sw.inst, tmpl, Sw.main, proc, param);
  Sw.modalDepth--;
  return r < 0 ? 0 : (int)r;
}

int CmdDlgCancel(HWND dlg, UINT msg, WPARAM wParam) {
  if (msg != WM_CLOSE && !(msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL)) return 0;
  EndDialog(dlg, 0);
  return 1;
}

namespace {

void Num(char* out, size_t size, double v, int digits) { snprintf(out, size, "%.*g", digits, v); }

void SetNum(HWND dlg, int id, double v, int digits = 9) {
  char t[64];
  Num(t, sizeof t, v, digits);
  SetDlgItemTextA(dlg, id, t);
}

int GetNum(HWND dlg, int id, double* v) {
  char t[256];
  GetDlgItemTextA(dlg, id, t, sizeof t);
  char* end = nullptr;
  double d = strtod(t, &end);
  if (end == t || !std::isfinite(d)) return 0;
  *v = d;
  return 1;
}

// --- CMD ---------------------------------------------------------------------
struct CmdDlg {
  char* line;
  size_t lineSize;
  char* file;
  size_t fileSize;
};

void FillCombo(HWND dlg, int id, int isFile) {
  HWND c = GetDlgItem(dlg, id);
  SendMessageA(c, CB_RESETCONTENT, 0, 0);
  int n = isFile ? SCRIPTFILE_MAX : CMDLINE_MAX;
  for (int i = 0; i < n; ++i) {
    const char* t = isFile ? MainSetup.scriptfile[i] : MainSetup.cmdline[i];
    if (t[0]) SendMessageA(c, CB_ADDSTRING, 0, (LPARAM)t);
  }
}

void HistoryDelete(char* list, int count, int width, const char* text) {
  for (int i = 0; i < count; ++i) {
    if (!text[0] || _stricmp(list + i * width, text) != 0) continue;
    memmove(list + i * width, list + (i + 1) * width, (size_t)(count - i - 1) * width);
    list[(count - 1) * width] = '\0';
    return;
  }
}

INT_PTR CALLBACK CmdProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (CmdDlgCancel(dlg, msg, wParam)) return TRUE;
  CmdDlg* d = (CmdDlg*)GetWindowLongPtrA(dlg, DWLP_USER);
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dlg, DWLP_USER, lParam);
      FillCombo(dlg, 109, 0);
      FillCombo(dlg, 1325, 1);
      SendDlgItemMessageA(dlg, 109, CB_LIMITTEXT, CMD_LINE_SIZE - 1, 0);
      SendDlgItemMessageA(dlg, 1325, CB_LIMITTEXT, SETUP_PATH_SIZE - 1, 0);
      CheckDlgButton(dlg, 2104, MainSetup.buildmode ? BST_CHECKED : BST_UNCHECKED);
      CheckDlgButton(dlg, 2105, MainSetup.cmdstep ? BST_CHECKED : BST_UNCHECKED);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case 1:
        case 1327:
          MainSetup.buildmode = IsDlgButtonChecked(dlg, 2104) == BST_CHECKED;
          MainSetup.cmdstep = IsDlgButtonChecked(dlg, 2105) == BST_CHECKED;
          if (LOWORD(wParam) == 1) {
            GetDlgItemTextA(dlg, 109, d->line, (int)d->lineSize);
            EndDialog(dlg, CMD_DLG_LINE);
          } else {
            GetDlgItemTextA(dlg, 1325, d->file, (int)d->fileSize);
            EndDialog(dlg, CMD_DLG_SCRIPT);
          }
          return TRUE;
        case 1326: {
          char path[MAX_PATH] = "";
          OPENFILENAMEA of = {};
          of.lStructSize = sizeof of;
          of.hwndOwner = dlg;
          of.lpstrFilter = "All Files\0*.*\0";
          of.lpstrFile = path;
          of.nMaxFile = sizeof path;
          of.lpstrTitle = "Available Files ... Click to return Script File";
          of.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
          if (GetOpenFileNameA(&of)) SetDlgItemTextA(dlg, 1325, path);
          return TRUE;
        }
        case 1328:
          if (MsgBoxShow(dlg, "Filename List will be Erased", "Cmd", MB_OKCANCEL) == IDOK)
            for (auto& f : MainSetup.scriptfile) f[0] = '\0';
          EndDialog(dlg, CMD_DLG_CANCEL);
          return TRUE;
        case 1329:
        case 1330: {
          int id = LOWORD(wParam) == 1329 ? 109 : 1325;
          char t[SETUP_PATH_SIZE];
          GetDlgItemTextA(dlg, id, t, sizeof t);
          if (id == 109)
            HistoryDelete(&MainSetup.cmdline[0][0], CMDLINE_MAX, CMDLINE_SIZE, t);
          else
            HistoryDelete(&MainSetup.scriptfile[0][0], SCRIPTFILE_MAX, SETUP_PATH_SIZE, t);
          FillCombo(dlg, id, id == 1325);
          SetDlgItemTextA(dlg, id, "");
          return TRUE;
        }
      }
      break;
  }
  return FALSE;
}

int CmdDialog(char* line, size_t lineSize, char* file, size_t fileSize) {
  CmdDlg d = {line, lineSize, file, fileSize};
  return CmdDlgModal("CMD", CmdProc, (LPARAM)&d);
}

// --- one edit dialogs: TEXT, NOCELL, LCELL, SCELL, NEWCELL ------------------
struct TextDlg {
  int edit;
  char* text;
  size_t size;
  int listButton;
  int check;     // SCELL's script check box
  int value;
};

int ListByName(HWND owner, char* out, size_t size);

INT_PTR CALLBACK TextProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (CmdDlgCancel(dlg, msg, wParam)) return TRUE;
  TextDlg* d = (TextDlg*)GetWindowLongPtrA(dlg, DWLP_USER);
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dlg, DWLP_USER, lParam);
      d = (TextDlg*)lParam;
      SetDlgItemTextA(dlg, d->edit, d->text);
      SendDlgItemMessageA(dlg, d->edit, EM_LIMITTEXT, d->size - 1, 0);
      if (d->edit == 1004)
        SetDlgItemTextA(dlg, 1417, Cell.name[0] ? "Cell is Loaded" : "No Cell is Loaded");
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case 1:
          GetDlgItemTextA(dlg, d->edit, d->text, (int)d->size);
          if (d->check) d->value = IsDlgButtonChecked(dlg, d->check) == BST_CHECKED;
          // Names may not be empty: the focus goes back to the field.
          if (d->edit != 155 && !d->text[0]) {
            SetFocus(GetDlgItem(dlg, d->edit));
            return TRUE;
          }
          EndDialog(dlg, 1);
          return TRUE;
        case 2009: {
          char name[CELL_NAME_SIZE] = "";
          if (ListByName(dlg, name, sizeof name)) SetDlgItemTextA(dlg, d->edit, name);
          return TRUE;
        }
      }
      break;
  }
  return FALSE;
}

int TextDialog(char* text, size_t size) {
  TextDlg d = {155, text, size, 0, 0, 0};
  return CmdDlgModal("TEXT", TextProc, (LPARAM)&d);
}

int NocellDialog(char* out, size_t size) {
  out[0] = '\0';
  TextDlg d = {2021, out, size < (size_t)CELL_NAME_SIZE ? size : (size_t)CELL_NAME_SIZE, 2009, 0, 0};
  return CmdDlgModal("NOCELL", TextProc, (LPARAM)&d);
}

int LoadDialog(char* out, size_t size) {
  snprintf(out, size, "%s", Cell.name[0] ? Cell.name : (Cell.recall[0][0] ? Cell.recall[0] : ""));
  TextDlg d = {1004, out, size < (size_t)CELL_NAME_SIZE - 3 ? size : (size_t)CELL_NAME_SIZE - 3, 2009, 0, 0};
  return CmdDlgModal("LCELL", TextProc, (LPARAM)&d);
}

int SaveDialog(char* name, size_t size, int* script) {
  for (;;) {
    TextDlg d = {1411, name, size < (size_t)CELL_NAME_SIZE - 3 ? size : (size_t)CELL_NAME_SIZE - 3, 0, 1329, 0};
    if (!CmdDlgModal("SCELL", TextProc, (LPARAM)&d)) return 0;
    for (char* p = name; *p; ++p) *p = (char)toupper((unsigned char)*p);
    if (CellNameCheck(name, 0)) return 0;
    if (_stricmp(name, Cell.name) == 0) {
      *script = d.value;
      return 1;
    }
    if (CellFind(name)) {
      WarningShow("Cell Already Exists");
      continue;
    }
    return MsgBoxShow(Sw.main, "Creating New Cell ...", "Quil " QUIL_VERSION, MB_OKCANCEL) == IDOK ? 2 : 0;
  }
}

// --- ANYLIST ----------------------------------------------------------------
struct ListDlg {
  int objects;  // 1: "Available Objects"
  char* out;
  size_t size;
};

INT_PTR CALLBACK ListProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (CmdDlgCancel(dlg, msg, wParam)) return TRUE;
  ListDlg* d = (ListDlg*)GetWindowLongPtrA(dlg, DWLP_USER);
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dlg, DWLP_USER, lParam);
      d = (ListDlg*)lParam;
      HWND lb = GetDlgItem(dlg, 1006);
      char row[64];
      if (d->objects) {
        SetDlgItemTextA(dlg, 1009, "Available Objects");
        SendMessageA(lb, LB_ADDSTRING, 0, (LPARAM) "BOX");
        SendMessageA(lb, LB_ADDSTRING, 0, (LPARAM) "POLY/PATH");
      } else {
        snprintf(row, sizeof row, "Cell Collection  %d Cells", CellTable.count);
        SetDlgItemTextA(dlg, 1009, row);
      }
      for (int i = 1; i <= CellTable.count; ++i) {
        int rank = CellTable.cells[i].rank & 0x1f;
        if (d->objects && rank >= Cell.rank) continue;
        snprintf(row, sizeof row, " %s (%d)", CellTable.cells[i].name, rank);
        SendMessageA(lb, LB_ADDSTRING, 0, (LPARAM)row);
      }
      return TRUE;
    }
    case WM_COMMAND:
      if ((LOWORD(wParam) == 1006 && HIWORD(wParam) == LBN_DBLCLK) || (LOWORD(wParam) == 1 && !d->objects)) {
        HWND lb = GetDlgItem(dlg, 1006);
        int i = (int)SendMessageA(lb, LB_GETCURSEL, 0, 0);
        if (i < 0) return TRUE;
        char row[80] = "";
        SendMessageA(lb, LB_GETTEXT, i, (LPARAM)row);
        if (d->objects && i == 0) snprintf(d->out, d->size, "B");
        else if (d->objects && i == 1) snprintf(d->out, d->size, "P");
        else {
          char name[64] = "";
          sscanf(row, " %63s", name);
          snprintf(d->out, d->size, "%s", name);
        }
        EndDialog(dlg, 1);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

int ListByName(HWND, char* out, size_t size) {
  ListDlg d = {0, out, size};
  return CmdDlgModal("ANYLIST", ListProc, (LPARAM)&d);
}

int ObjectList(char* out, size_t size) {
  ListDlg d = {1, out, size};
  return CmdDlgModal("ANYLIST", ListProc, (LPARAM)&d);
}

// --- ARC, SPIRAL ------------------------------------------------------------
INT_PTR CALLBACK ArcProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  if (CmdDlgCancel(dlg, msg, wParam)) return TRUE;
  switch (msg) {
    case WM_INITDIALOG:
      SetDlgItemTextA(dlg, 2023, strcmp(MainSetup.arcdir, "cw") == 0 ? "cw" : "ccw");
      SetDlgItemInt(dlg, 2024, (UINT)MainSetup.arcsegs, TRUE);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case 2023: {
          char t[8];
          GetDlgItemTextA(dlg, 2023, t, sizeof t);
          SetDlgItemTextA(dlg, 2023, strcmp(t, "cw") == 0 ? "ccw" : "cw");
          SetFocus(GetDlgItem(dlg, 1));
          return TRUE;
        }
        case 1: {
          BOOL ok = FALSE;
          int32_t n = (int32_t)GetDlgItemInt(dlg, 2024, &ok, TRUE);
          if (!ArcSegsAccept(&n)) {
            SetDlgItemInt(dlg, 2024, (UINT)n, TRUE);
            return TRUE;
          }
          MainSetup.arcsegs = n;
          GetDlgItemTextA(dlg, 2023, MainSetup.arcdir, 4);
          EndDialog(dlg, 1);
          return TRUE;
        }
      }
      break;
  }
  return FALSE;
}

int ArcDialog() { return CmdDlgModal("ARC", ArcProc, 0); }

void SpiralEnable(HWND dlg, int t) {
  EnableWindow(GetDlgItem(dlg, 1302), t >= 2);
  EnableWindow(GetDlgItem(dlg, 2030), t == 2 || t == 4 || t == 5);
  EnableWindow(GetDlgItem(dlg, 2031), t <= 2);
  EnableWindow(GetDlgItem(dlg, 2032), t <= 3);
}

void SpiralShow(HWND dlg) {
  const MainSetupState& m = MainSetup;
  CheckRadioButton(dlg, 1330, 1335, 1330 + (m.spiraltype < 0 || m.spiraltype > 5 ? 0 : m.spiraltype));
  SetNum(dlg, 2025, m.xarcctr);
  SetNum(dlg, 2028, m.yarcctr);
  SetNum(dlg, 2029, m.xarcradius);
  SetNum(dlg, 2030, m.yarcradius);
  SetNum(dlg, 2031, m.arcpitch);
  SetDlgItemInt(dlg, 1302, (UINT)m.turnsegs, TRUE);
  SetDlgItemInt(dlg, 2032, (UINT)m.arcturns, TRUE);
  SpiralEnable(dlg, m.spiraltype);
}

INT_PTR CALLBACK SpiralProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  if (CmdDlgCancel(dlg, msg, wParam)) return TRUE;
  switch (msg) {
    case WM_INITDIALOG:
      SpiralShow(dlg);
      return TRUE;
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (id >= 1330 && id <= 1335) {
        SpiralEnable(dlg, id - 1330);
        return TRUE;
      }
      if (id == 1) {
        MainSetupState& m = MainSetup;
        for (int t = 0; t < 6; ++t)
          if (IsDlgButtonChecked(dlg, 1330 + t) == BST_CHECKED) m.spiraltype = t;
        double v;
        if (GetNum(dlg, 2025, &v)) m.xarcctr = v;
        if (GetNum(dlg, 2028, &v)) m.yarcctr = v;
        if (GetNum(dlg, 2029, &v)) m.xarcradius = v;
        if (GetNum(dlg, 2030, &v)) m.yarcradius = v;
        if (GetNum(dlg, 2031, &v)) m.arcpitch = v;
        if (GetNum(dlg, 1302, &v) && v >= -1e6 && v <= 1e6) m.turnsegs = (int32_t)v;
        if (GetNum(dlg, 2032, &v) && v >= -1e6 && v <= 1e6) m.arcturns = (int32_t)v;
        int ok = SpiralSettingsNormalise();
        SpiralShow(dlg);
        if (ok) EndDialog(dlg, 1);
        return TRUE;
      }
      break;
    }
  }
  return FALSE;
}

int SpiralDialog() { return CmdDlgModal("SPIRAL", SpiralProc, 0); }

// --- PKEY/PKEX and INCMOV -----------------------------------------------------
struct PointDlg {
  double x, y;
};

INT_PTR CALLBACK PointProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (CmdDlgCancel(dlg, msg, wParam)) return TRUE;
  PointDlg* d = (PointDlg*)GetWindowLongPtrA(dlg, DWLP_USER);
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dlg, DWLP_USER, lParam);
      d = (PointDlg*)lParam;
      SetNum(dlg, 250, d->x);
      SetNum(dlg, 1205, d->y);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == 1) {
        double x, y;
        if (!GetNum(dlg, 250, &x) || !GetNum(dlg, 1205, &y)) {
          ErrorShow("Point is Out of Range");
          return TRUE;
        }
        d->x = x;
        d->y = y;
        EndDialog(dlg, 1);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

void IncShow(HWND dlg, const PointDlg* d) {
  char t[80];
  snprintf(t, sizeof t, "dx= %.*g\ndy= %.*g", 9, d->x / MainSetup.scale, 9, d->y / MainSetup.scale);
  SetDlgItemTextA(dlg, 1415, t);
}

INT_PTR CALLBACK IncProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (CmdDlgCancel(dlg, msg, wParam)) return TRUE;
  PointDlg* d = (PointDlg*)GetWindowLongPtrA(dlg, DWLP_USER);
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dlg, DWLP_USER, lParam);
      d = (PointDlg*)lParam;
      SetDlgItemTextA(dlg, 1336, KeyShiftHeld() ? "Cpy" : "Mov");
      IncShow(dlg, d);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case 1407: d->x += 1; break;
        case 1409: d->x -= 1; break;
        case 1410: d->y += 1; break;
        case 1414: d->y -= 1; break;
        case 1:
          EndDialog(dlg, 1);
          return TRUE;
        default:
          return FALSE;
      }
      IncShow(dlg, d);
      return TRUE;
  }
  return FALSE;
}

int PointDialog(int axis, double* x, double* y) {
  PointDlg d = {*x, *y};
  if (axis == 3) {
    d.x = d.y = 0;
    if (!CmdDlgModal("INCMOV", IncProc, (LPARAM)&d)) return 0;
  } else if (!CmdDlgModal(axis == 1 ? "PKEY" : "PKEX", PointProc, (LPARAM)&d)) {
    return 0;
  }
  *x = d.x;
  *y = d.y;
  return 1;
}

// --- NEWCELL ---------------------------------------------------------------
INT_PTR CALLBACK NewCellProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (CmdDlgCancel(dlg, msg, wParam)) return TRUE;
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dlg, DWLP_USER, lParam);
      SetDlgItemTextA(dlg, 1005, "1");
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == 1) {
        double v = 1;
        if (!GetNum(dlg, 1005, &v) || v < -1e6 || v > 1e6) v = 1;
        *(int*)GetWindowLongPtrA(dlg, DWLP_USER) = NewCellRank((long)v);
        EndDialog(dlg, 1);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

int NewCellRankAsk(const char*) {
  int rank = 0;
  if (!CmdDlgModal("NEWCELL", NewCellProc, (LPARAM)&rank)) return 0;
  return rank;
}

void PostHook(int what) {
  PostMessageA(Sw.main, what == CMD_POST_BACK ? WM_CMDBACK : WM_CMDRESUME, 0, 0);
}

void DoneHook(int mode) {
  // Selection commands end with bit 0x08: their highlight is drawn at once,
  // without waiting for a redraw.
  // The exclusive-or marks come off first, or drawing them again later
  // would leave their inverse on the highlight.
  if ((mode & 0x08) && !Sw.redrawing) {
    CursorClear();
    DisplaySelectedDraw(Sw.dc);
  }
  TogglePanelSync();
  TitleShow(0);
  DisplayPanesUpdate();
}

int ShiftHook() { return KeyShiftHeld(); }
int CtrlHook() { return KeyCtrlHeld(); }

}  // namespace

void CmdWinInstall() {
  CmdShell.post = PostHook;
  CmdShell.done = DoneHook;
  CmdShell.shiftHeld = ShiftHook;
  CmdShell.ctrlHeld = CtrlHook;
  CmdShell.progress = ProgressShow;
  CmdShell.escPoll = KeyEscAbort;
  CmdShell.cmdDialog = CmdDialog;
  CmdShell.textDialog = TextDialog;
  CmdShell.arcDialog = ArcDialog;
  CmdShell.spiralDialog = SpiralDialog;
  CmdShell.objectList = ObjectList;
  CmdShell.nocellDialog = NocellDialog;
  CmdShell.loadDialog = LoadDialog;
  CmdShell.saveDialog = SaveDialog;
  CmdShell.pointDialog = PointDialog;
  CellNameUi.newCellRank = NewCellRankAsk;
  CmdDialogsInstall();
}
