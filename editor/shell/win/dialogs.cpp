// The editor's editions of the message box and the pause, its host seam, the
// STARTUP dialog and the LOGO splash.
#include <windows.h>
#include <commdlg.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host.h"
#include "mainsetup.h"
#include "msgbox.h"
#include "shellwin.h"
#include "view.h"

namespace {

int HostBox(const char* text, const char* caption, int kind, int type) {
  const char* cap = kProgramTitle;
  if (kind == HOST_CAP_ERROR) {
    cap = "Error ...";
    Sw.errorFlag = 1;
  } else if (kind == HOST_CAP_WARNING) {
    cap = "Warning ...";
  } else if (kind == HOST_CAP_OWN && caption) {
    cap = caption;
  }
  return MsgBoxWait(Sw.main, text, cap, type);
}

void HostStatusSet(const char* text) { PaneTextSet(602, text); }
void HostProgressSet(long, long) {}
int HostAbort() {
  if (GetAsyncKeyState(VK_ESCAPE) & 0x8000)
    return MsgBoxShow(Sw.main, "Aborting ... OK?", kProgramTitle, MB_YESNO) == IDYES;
  return 0;
}
void HostPauseRun(int ms) { PauseShow(ms); }

const HostOps kEditorHost = {HostBox, HostStatusSet, HostProgressSet, HostAbort, HostPauseRun};

struct StartupData {
  char* folder;
  size_t folderSize;
  char* cell;
  size_t cellSize;
  const char* message;
};

void StartupBrowse(HWND dlg) {
  char file[SHELL_PATH_SIZE] = "";
  char initial[SHELL_PATH_SIZE];
  GetDlgItemTextA(dlg, 1102, initial, sizeof initial);
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = dlg;
  ofn.lpstrFilter = "All Files and Folders\0*.*\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrTitle = "Available Folders ... Click Open to return folder";
  ofn.lpstrInitialDir = initial;
  ofn.Flags = 0x8080D;
  Sw.modalDepth++;
  BOOL ok = GetOpenFileNameA(&ofn);
  Sw.modalDepth--;
  if (!ok) return;
  char folder[SHELL_PATH_SIZE], cell[SHELL_PATH_SIZE];
  if (!ArgCellSplit(file, folder, sizeof folder, cell, sizeof cell)) return;
  char dir[SHELL_PATH_SIZE];
  DirNoSlash(dir, sizeof dir, folder);
  SetDlgItemTextA(dlg, 1102, dir);
  SetDlgItemTextA(dlg, 1103, cell);
}

INT_PTR CALLBACK StartupDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  StartupData* d = reinterpret_cast<StartupData*>(GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dlg, DWLP_USER, lParam);
      d = reinterpret_cast<StartupData*>(lParam);
      // The edit control wants CR LF line ends.
      char shown[1024];
      size_t j = 0;
      for (const char* p = d->message; *p && j + 3 < sizeof shown; ++p) {
        if (*p == '\n') shown[j++] = '\r';
        shown[j++] = *p;
      }
      shown[j] = '\0';
      SetDlgItemTextA(dlg, 1101, shown);
      char cur[SHELL_PATH_SIZE] = "";
      GetCurrentDirectoryA(sizeof cur, cur);
      SetDlgItemTextA(dlg, 1102, cur);
      SetDlgItemTextA(dlg, 1103, "");
      return TRUE;
    }
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (id == IDOK || id == 1104) {
        char folder[256];
        GetDlgItemTextA(dlg, 1102, folder, sizeof folder);
        // The install folder is never a drawing folder.
        if (IsInstallFolder(folder)) return TRUE;
        snprintf(d->folder, d->folderSize, "%s", folder);
        if (id == IDOK) {
          char cell[256];
          GetDlgItemTextA(dlg, 1103, cell, sizeof cell);
          snprintf(d->cell, d->cellSize, "%s", cell);
        }
        EndDialog(dlg, id == IDOK ? 1 : 2);
        return TRUE;
      }
      if (id == 1105) {
        StartupBrowse(dlg);
        return TRUE;
      }
      if (id == IDCANCEL) {
        EndDialog(dlg, 0);
        return TRUE;
      }
      return FALSE;
    }
    case WM_CLOSE:
      EndDialog(dlg, 0);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK PolarProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  double* angle = reinterpret_cast<double*>(GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dlg, DWLP_USER, lParam);
      char text[32];
      snprintf(text, sizeof text, "%.*g", 6, *reinterpret_cast<double*>(lParam));
      SetDlgItemTextA(dlg, 1001, text);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        char text[64];
        GetDlgItemTextA(dlg, 1001, text, sizeof text);
        char* end = nullptr;
        double v = strtod(text, &end);
        *angle = end == text ? 0.0 : v;
        EndDialog(dlg, 1);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dlg, 0);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

struct RunnerData {
  char app[SHELL_PATH_SIZE];
  char file[SHELL_PATH_SIZE];
};

void ComboFill(HWND combo, char list[][SHELL_PATH_SIZE]) {
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  SetWindowTextA(combo, list[0]);
  for (int i = 0; i < RUN_LIST_MAX && list[i][0]; ++i)
    if (SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)list[i]) < 0) break;
}

void RunnerBrowse(HWND dlg, int combo, int apps) {
  char file[SHELL_PATH_SIZE] = "";
  char start[SHELL_PATH_SIZE] = "";
  GetCurrentDirectoryA(sizeof start, start);
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = Sw.main;
  ofn.lpstrFilter = apps ? "All Files\0*.*\0EXE Files\0*.exe\0BAT Files\0*.bat\0"
                         : "All Files\0*.*\0TLC Files\0*.tlc\0TLD Files\0*.tld\0CIR Files\0*.cir\0"
                           "NOD Files\0*.nod\0HDR Files\0*.hdr\0FTR Files\0*.ftr\0DRC Files\0*.drc\0"
                           "GDS Files\0*.gds\0LDM Files\0*.ldm\0CIF Files\0*.cif\0DXF Files\0*.dxf\0"
                           "LOG Files\0*.log\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.nMaxFileTitle = 512;
  ofn.lpstrInitialDir = start;
  ofn.lpstrTitle = "File Select";
  ofn.Flags = 0x8080D;
  Sw.modalDepth++;
  BOOL ok = GetOpenFileNameA(&ofn);
  Sw.modalDepth--;
  if (ok) {
    char shown[SHELL_PATH_SIZE];
    if (Sw.wineMode) UnixPathForm(shown, sizeof shown, file);
    else snprintf(shown, sizeof shown, "%s", file);
    SetDlgItemTextA(dlg, combo, shown);
  }
  // The drawing folder stays the current folder whatever the chooser did.
  SetCurrentDirectoryA(start);
}

INT_PTR CALLBACK RunnerProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  RunnerData* d = reinterpret_cast<RunnerData*>(GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dlg, DWLP_USER, lParam);
      SetWindowTextA(dlg, Sw.wineMode ? "Run Linux Application" : "Run Windows Application");
      ComboFill(GetDlgItem(dlg, 400), MainSetup.rdp);
      ComboFill(GetDlgItem(dlg, 401), MainSetup.rdf);
      if (!MainSetup.rdp[0][0]) SetDlgItemTextA(dlg, 400, "Notepad.exe");
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          GetDlgItemTextA(dlg, 400, d->app, sizeof d->app);
          GetDlgItemTextA(dlg, 401, d->file, sizeof d->file);
          if (d->app[0]) RunListPush(MainSetup.rdp, d->app);
          if (d->file[0]) RunListPush(MainSetup.rdf, d->file);
          EndDialog(dlg, 1);
          return TRUE;
        case 450:
        case 451:
          RunnerBrowse(dlg, LOWORD(wParam) == 450 ? 400 : 401, LOWORD(wParam) == 450);
          return TRUE;
        case 406:
        case 407: {
          int combo = LOWORD(wParam) == 406 ? 400 : 401;
          char text[SHELL_PATH_SIZE];
          GetDlgItemTextA(dlg, combo, text, sizeof text);
          if (RunListDelete(combo == 400 ? MainSetup.rdp : MainSetup.rdf, text)) {
            ComboFill(GetDlgItem(dlg, combo), combo == 400 ? MainSetup.rdp : MainSetup.rdf);
            SetDlgItemTextA(dlg, combo, "");
          }
          return TRUE;
        }
        case 402:
        case 403: {
          int apps = LOWORD(wParam) == 402;
          if (MsgBoxShow(dlg, apps ? "Application List will be Erased" : "Filename List will be Erased", "Run",
                         MB_OKCANCEL) == IDOK)
            RunListClean(apps ? MainSetup.rdp : MainSetup.rdf);
          EndDialog(dlg, 0);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dlg, 0);
          return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      EndDialog(dlg, 0);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK LogoProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

}  // namespace

int MsgBoxShow(HWND owner, const char* text, const char* caption, int type) {
  if (!text) text = "Error ...";
  if (!caption) caption = "Error ...";
  MsgBoxBinding b = {Sw.inst,       Sw.main,       Sw.stdMsgBox || Sw.wineMode,
                     Sw.charWidth,  Sw.lineHeight, GetSystemMetrics(SM_CXEDGE),
                     0,             1};
  Sw.modalDepth++;
  int r = MsgBoxRun(b, owner, text, caption, (UINT)type);
  if (!b.plain && r <= 0) r = MessageBoxA(owner, text, caption, (UINT)type);  // template missing
  Sw.modalDepth--;
  return r;
}

int MsgBoxWait(HWND owner, const char* text, const char* caption, int type) {
  int r = MsgBoxShow(owner, text, caption, type);
  if (Sw.wineMode) PauseShow(20);
  return r;
}

int ErrorShow(const char* text) {
  Sw.errorFlag = 1;
  return MsgBoxWait(Sw.main, text, "Error ...", MB_OK);
}

int WarningShow(const char* text) { return MsgBoxWait(Sw.main, text, "Warning ...", MB_OK); }

int WarningAsk(const char* text) { return MsgBoxWait(Sw.main, text, "Warning ...", MB_OKCANCEL); }

int PauseShow(int ms) {
  Sw.modalDepth++;
  int r = PauseRun(Sw.inst, Sw.main, ms < 1 ? 1 : ms);
  Sw.modalDepth--;
  return r == 1 ? 1 : 0;
}

void EditorHostInstall() { HostSet(&kEditorHost); }

int StartupDlgRun(char* folder, size_t folderSize, char* cell, size_t cellSize, const char* message) {
  StartupData d = {folder, folderSize, cell, cellSize, message};
  Sw.modalDepth++;
  INT_PTR r = DialogBoxParamA(Sw.inst, "STARTUP", Sw.main, StartupDlgProc, (LPARAM)&d);
  Sw.modalDepth--;
  return r < 0 ? 0 : (int)r;
}

int RunnerRun() {
  RunnerData d = {"", ""};
  Sw.modalDepth++;
  INT_PTR r = DialogBoxParamA(Sw.inst, "RUNNER", Sw.main, RunnerProc, (LPARAM)&d);
  Sw.modalDepth--;
  if (r != 1) return 0;
  char line[2 * SHELL_PATH_SIZE + 8];
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!RunLineForm(line, sizeof line, d.app, d.file) ||
      !CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    ErrorShow("Can't Find Application");
    return 0;
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 1;
}

void PolarAsk() {
  double angle = View.polarAngle;
  Sw.modalDepth++;
  INT_PTR ok = DialogBoxParamA(Sw.inst, "POLAR", Sw.main, PolarProc, (LPARAM)&angle);
  Sw.modalDepth--;
  PolarSet(ok == 1, angle);
  TogglePanelSync();
}

HWND LogoShow() {
  HWND logo = CreateDialogParamA(Sw.inst, "LOGO", Sw.main, LogoProc, 0);
  if (!logo) return nullptr;
  int w = 326, h = 276;
  SetWindowPos(logo, HWND_TOP, (Sw.cxScreen - w) / 2, (Sw.cyScreen - h) / 2, w, h, SWP_SHOWWINDOW);
  HWND pic = GetDlgItem(logo, 1201);
  if (pic) SetWindowPos(pic, nullptr, 0, 0, w, h, SWP_NOZORDER);
  UpdateWindow(logo);
  return logo;
}
