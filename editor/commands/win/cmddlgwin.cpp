// The parameter dialogs of the view and setting commands: each shows the
// values, reads the fields and leaves every rule to the engine's side.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "cmddlgrule.h"
#include "cmdengine.h"
#include "cmdview.h"
#include "cmdwin.h"
#include "mainsetup.h"
#include "pending.h"
#include "redraw.h"
#include "shellwin.h"

namespace {

void SetInt(HWND dlg, int id, int v) {
  char t[24];
  snprintf(t, sizeof t, "%d", v);
  SetDlgItemTextA(dlg, id, t);
}

// --- SWIN ------------------------------------------------------------------------
INT_PTR CALLBACK SwinProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (CmdDlgCancel(dlg, msg, wParam)) return TRUE;
  if (msg == WM_INITDIALOG) {
    SetDlgItemTextA(dlg, 1335, lParam ? "Rwin" : "Swin");
    return TRUE;
  }
  if (msg == WM_COMMAND && LOWORD(wParam) >= 1338 && LOWORD(wParam) <= 1346) {
    EndDialog(dlg, LOWORD(wParam) - 1337);
    return TRUE;
  }
  return FALSE;
}

int SwinDialog(int restore) { return CmdDlgModal("SWIN", SwinProc, restore); }

// --- DPTH ------------------------------------------------------------------------
void DepthShow(HWND dlg) {
  SetInt(dlg, 1274, MainSetup.topdepth);
  SetInt(dlg, 1277, MainSetup.botdepth);
}

INT_PTR CALLBACK DepthProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  if (CmdDlgCancel(dlg, msg, wParam)) return TRUE;
  switch (msg) {
    case WM_INITDIALOG:
      DepthShow(dlg);
      SetInt(dlg, 1281, Rw.rankLimit);
      CheckDlgButton(dlg, 1317, Rw.rankMode ? BST_CHECKED : BST_UNCHECKED);
      return TRUE;
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (id == 1) {
        char top[32], bot[32], rank[32];
        GetDlgItemTextA(dlg, 1274, top, sizeof top);
        GetDlgItemTextA(dlg, 1277, bot, sizeof bot);
        GetDlgItemTextA(dlg, 1281, rank, sizeof rank);
        if (!DepthApply(top, bot, rank, IsDlgButtonChecked(dlg, 1317) == BST_CHECKED)) return TRUE;
        EndDialog(dlg, 1);
        return TRUE;
      }
      if (id == 1283) {
        EndDialog(dlg, 2);
        return TRUE;
      }
      if (DepthButton(id, Cell.rank)) {
        DepthShow(dlg);
        return TRUE;
      }
      break;
    }
  }
  return FALSE;
}

int DepthDialog() { return CmdDlgModal("DPTH", DepthProc, 0); }

// --- one-field dialogs: WDGRD, TSIZ/CSIZ, WDTH/CWTH ----------------------------------------
struct FieldDlg {
  int edit;
  char text[CMD_LINE_SIZE];
  int extended;  // WDTH/CWTH: -1 no radio pair, else the Extended state
};

INT_PTR CALLBACK FieldProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (CmdDlgCancel(dlg, msg, wParam)) return TRUE;
  FieldDlg* d = (FieldDlg*)GetWindowLongPtrA(dlg, DWLP_USER);
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dlg, DWLP_USER, lParam);
      d = (FieldDlg*)lParam;
      SetDlgItemTextA(dlg, d->edit, d->text);
      SendDlgItemMessageA(dlg, d->edit, EM_LIMITTEXT, sizeof d->text - 1, 0);
      if (d->extended >= 0) CheckRadioButton(dlg, 1412, 1413, d->extended ? 1412 : 1413);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == 1) {
        char typed[CMD_LINE_SIZE];
        GetDlgItemTextA(dlg, d->edit, typed, sizeof typed);
        if (d->extended >= 0)
          WidthDlgText(typed, IsDlgButtonChecked(dlg, 1412) == BST_CHECKED, d->text, sizeof d->text);
        else
          snprintf(d->text, sizeof d->text, "%s", typed);
        EndDialog(dlg, 1);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

int GridDialog(int display, int32_t initial, char* text, size_t size) {
  (void)display;
  FieldDlg d = {2006, "", -1};
  DlgLength(d.text, sizeof d.text, initial, MainSetup.scale);
  if (!CmdDlgModal("WDGRD", FieldProc, (LPARAM)&d)) return 0;
  snprintf(text, size, "%s", d.text);
  return 1;
}

// WidthAsk: until the width is one the editor takes, or Cancel.
int WidthAsk(int kind, int32_t initial, int32_t* width) {
  for (;;) {
    FieldDlg d = {163, "", initial < 0};
    DlgLength(d.text, sizeof d.text, initial < 0 ? -(double)initial : initial, MainSetup.scale);
    if (!CmdDlgModal(kind ? "CWTH" : "WDTH", FieldProc, (LPARAM)&d)) return 0;
    int star = 0;
    if (WidthAccept(d.text, MainSetup.scale, width, &star)) return 1;
  }
}

int WidthDialog(int32_t initial, int32_t* width) { return WidthAsk(0, initial, width); }

int SizeAsk(int kind, int32_t initial, int32_t* size) {
  for (;;) {
    FieldDlg d = {159, "", -1};
    DlgLength(d.text, sizeof d.text, initial, MainSetup.scale);
    if (!CmdDlgModal(kind ? "CSIZ" : "TSIZ", FieldProc, (LPARAM)&d)) return 0;
    if (SizeAccept(d.text, MainSetup.scale, size)) return 1;
  }
}

int SizeDialog(int32_t initial, int32_t* size) { return SizeAsk(0, initial, size); }

// --- SCALE -----------------------------------------------------------------------
INT_PTR CALLBACK ScaleProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  if (CmdDlgCancel(dlg, msg, wParam)) return TRUE;
  switch (msg) {
    case WM_INITDIALOG: {
      SetDlgItemTextA(dlg, 1020, MainSetup.physunit);
      SendDlgItemMessageA(dlg, 1020, EM_LIMITTEXT, PHYSUNIT_SIZE - 2, 0);
      char t[64];
      DlgNumber(t, sizeof t, MainSetup.scale, DLG_DIGITS_LENGTH);
      SetDlgItemTextA(dlg, 1021, t);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == 1) {
        char t[64];
        double scale;
        GetDlgItemTextA(dlg, 1021, t, sizeof t);
        // A scale the satellites can't read as a whole number asks again.
        if (!ScaleAccept(t, &scale)) {
          SetFocus(GetDlgItem(dlg, 1021));
          return TRUE;
        }
        MainSetup.scale = scale;
        GetDlgItemTextA(dlg, 1020, MainSetup.physunit, PHYSUNIT_SIZE - 1);
        EndDialog(dlg, 1);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

// --- STEP ------------------------------------------------------------------------
INT_PTR CALLBACK StepProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (CmdDlgCancel(dlg, msg, wParam)) return TRUE;
  StepAnswers* s = (StepAnswers*)GetWindowLongPtrA(dlg, DWLP_USER);
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dlg, DWLP_USER, lParam);
      s = (StepAnswers*)lParam;
      char t[64];
      SetInt(dlg, 2025, s->nx);
      SetInt(dlg, 2027, s->ny);
      DlgLength(t, sizeof t, s->dx, MainSetup.scale);
      SetDlgItemTextA(dlg, 2029, t);
      DlgLength(t, sizeof t, s->dy, MainSetup.scale);
      SetDlgItemTextA(dlg, 2030, t);
      CheckDlgButton(dlg, 1310, s->sequential ? BST_CHECKED : BST_UNCHECKED);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == 1) {
        char f[4][64];
        static const int ids[4] = {2025, 2029, 2027, 2030};
        for (int i = 0; i < 4; ++i) GetDlgItemTextA(dlg, ids[i], f[i], sizeof f[i]);
        if (!StepAccept(f[0], f[1], f[2], f[3], IsDlgButtonChecked(dlg, 1310) == BST_CHECKED, MainSetup.scale,
                        s))
          return TRUE;  // a field that is no number in range: the dialog stays
        EndDialog(dlg, 1);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

// --- CNFG ------------------------------------------------------------------------
// The text fields of the form and their controls: presets, resolutions,
// aspect and the common text.
void CnfgFields(CnfgForm* f, void (*each)(HWND, int, char*, size_t), HWND dlg) {
  for (int i = 0; i < GRID_PRESETS; ++i) {
    each(dlg, 1100 + i, f->wgrid[i], sizeof f->wgrid[i]);
    each(dlg, 1110 + i, f->dgrid[i], sizeof f->dgrid[i]);
  }
  each(dlg, 1337, f->drawres, sizeof f->drawres);
  each(dlg, 2101, f->celldrawres, sizeof f->celldrawres);
  each(dlg, 1338, f->aspect, sizeof f->aspect);
  each(dlg, 2100, f->common, sizeof f->common);
}

void FieldShow(HWND dlg, int id, char* text, size_t size) {
  SendDlgItemMessageA(dlg, id, EM_LIMITTEXT, size - 1, 0);
  SetDlgItemTextA(dlg, id, text);
}

void FieldRead(HWND dlg, int id, char* text, size_t size) { GetDlgItemTextA(dlg, id, text, (int)size); }

INT_PTR CALLBACK CnfgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  if (CmdDlgCancel(dlg, msg, wParam)) return TRUE;
  switch (msg) {
    case WM_INITDIALOG: {
      CnfgForm f;
      CnfgFormFill(&f);
      CnfgFields(&f, FieldShow, dlg);
      for (int i = 0; i < 17; ++i) CheckDlgButton(dlg, CnfgChecks[i].id, f.checks[i] ? BST_CHECKED : BST_UNCHECKED);
      for (int i = 0; i < 3; ++i) CheckDlgButton(dlg, CnfgOutlineIds[i], f.outline[i] ? BST_CHECKED : BST_UNCHECKED);
      // The list editors and the colour dialog come with the shell's dialogs.
      for (int id = 1232; id <= 1235; ++id) EnableWindow(GetDlgItem(dlg, id), CmdShell.listEditor != nullptr);
      EnableWindow(GetDlgItem(dlg, 1236), CmdShell.colorsDialog != nullptr);
      return TRUE;
    }
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (id >= 1232 && id <= 1235 && CmdShell.listEditor) {
        CmdShell.listEditor(id - 1232);
        return TRUE;
      }
      if (id == 1236 && CmdShell.colorsDialog) {
        CmdShell.colorsDialog();
        return TRUE;
      }
      if (id == 1) {
        CnfgForm f;
        CnfgFields(&f, FieldRead, dlg);
        for (int i = 0; i < 17; ++i) f.checks[i] = IsDlgButtonChecked(dlg, CnfgChecks[i].id) == BST_CHECKED;
        for (int i = 0; i < 3; ++i) f.outline[i] = IsDlgButtonChecked(dlg, CnfgOutlineIds[i]) == BST_CHECKED;
        int r = CnfgApply(f);
        if (r == CNFG_AGAIN) return TRUE;
        if (r & CNFG_RELAYOUT) PostMessageA(Sw.main, WM_RELAYOUT, 0, 0);
        if (r & CNFG_RESTART)
          MsgBoxShow(dlg, "Restart Required\n\nClose Drawing and Rerun QUIL", "Configuration Change ...", MB_OK);
        EndDialog(dlg, 1);
        return TRUE;
      }
      break;
    }
  }
  return FALSE;
}

}  // namespace

int CnfgDialogRun() { return CmdDlgModal("CNFG", CnfgProc, 0); }

int StepDialogRun(StepAnswers* s) {
  StepAnswers work = *s;
  if (!CmdDlgModal("STEP", StepProc, (LPARAM)&work)) return 0;
  *s = work;
  return 1;
}

int ScaleDialogRun() { return CmdDlgModal("SCALE", ScaleProc, 0); }

void CmdDialogsInstall() {
  CmdShell.swinDialog = SwinDialog;
  CmdShell.depthDialog = DepthDialog;
  CmdShell.gridDialog = GridDialog;
  CmdShell.widthDialog = WidthDialog;
  CmdShell.sizeDialog = SizeDialog;
  CmdShell.stepDialog = StepDialogRun;
}
