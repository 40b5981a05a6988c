// Import, Export and System Mode in the editor's window: the dialogs that
// gather what the user types, then the platform-free engines.
#include <windows.h>
#include <commdlg.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "celltable.h"
#include "host.h"
#include "impexp.h"
#include "launch.h"
#include "mainsetup.h"
#include "pending.h"
#include "satutil.h"
#include "shellwin.h"
#include "store.h"
#include "sysmode.h"
#include "view.h"

namespace {

struct SysWinState {
  HWND sys = nullptr;  // the System Mode dialog while it is open
  int ran = 0;         // an operation started: the current cell is reloaded
  char text[64] = "";  // the typed name of an Import or Export
  char folder[MAX_PATH] = "";
  int tld = 0, organize = 0;
};
SysWinState SysW;

void ItemText(HWND h, int id, char* out, int size) {
  out[0] = 0;
  GetDlgItemTextA(h, id, out, size);
}

// The file select of Browse: the folder and the name of the file chosen.
void BrowseFile(HWND h, int folderId, int nameId, int tld, const char* title) {
  char file[MAX_PATH] = "", dir[MAX_PATH];
  ItemText(h, folderId, dir, sizeof dir);
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = h;
  ofn.lpstrFilter = tld ? "TLD Files\0*.tld\0" : "TLC Files\0*.tlc\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrInitialDir = dir[0] ? dir : nullptr;
  ofn.lpstrTitle = title;
  ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameA(&ofn)) return;
  char* slash = strrchr(file, '\\');
  if (!slash) return;
  *slash = 0;
  char* name = slash + 1;
  if (char* dot = strrchr(name, '.')) *dot = 0;
  char folderText[MAX_PATH + 2];
  snprintf(folderText, sizeof folderText, "%s\\", file);
  SetDlgItemTextA(h, folderId, folderText);
  if (nameId) SetDlgItemTextA(h, nameId, name);
}

void TypeLabel(HWND h, int importing) {
  int tld = IsDlgButtonChecked(h, importing ? 1105 : 1205) == BST_CHECKED;
  if (importing)
    SetDlgItemTextA(h, 1106, tld ? "Filename" : "Filename\nor Wildcard");
  else
    SetDlgItemTextA(h, 1206, tld ? "Cellname\nor Filename" : "Cellname\nor Wildcard");
}

INT_PTR CALLBACK ImportProc(HWND h, UINT msg, WPARAM w, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      SetDlgItemTextA(h, 1101, SysW.folder);
      CheckRadioButton(h, 1104, 1105, SysW.tld ? 1105 : 1104);
      SetDlgItemTextA(h, 1107, SysW.text);
      CheckDlgButton(h, 1108, SysW.organize ? BST_CHECKED : BST_UNCHECKED);
      SetDlgItemInt(h, 1109, static_cast<UINT>(MainSetup.mctlayer), FALSE);
      TypeLabel(h, 1);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(w)) {
        case 1102:
          BrowseFile(h, 1101, 1107, IsDlgButtonChecked(h, 1105) == BST_CHECKED, "Import File Select");
          return TRUE;
        case 1103:
          SetDlgItemTextA(h, 1101, MainSetup.common);
          return TRUE;
        case 1104:
        case 1105:
          TypeLabel(h, 1);
          return TRUE;
        case IDOK: {
          ItemText(h, 1101, SysW.folder, sizeof SysW.folder);
          ItemText(h, 1107, SysW.text, sizeof SysW.text);
          SysW.tld = IsDlgButtonChecked(h, 1105) == BST_CHECKED;
          SysW.organize = IsDlgButtonChecked(h, 1108) == BST_CHECKED;
          char n[16];
          ItemText(h, 1109, n, sizeof n);
          int layer = atoi(n);
          if (layer > 0) MainSetup.mctlayer = layer > LAYER_MAX ? LAYER_MAX : layer;
          if (SysW.tld && !SysW.text[0]) {
            HostMsgBox("Cellname or Filename is Required", "Importing ...", HOST_CAP_OWN, HOST_OK);
            return TRUE;
          }
          EndDialog(h, 1);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(h, 0);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

// The cell picker (ANYLIST): "Source Cell Collection", one "%s (%d)" line
// per cell of the table, the list as wide as the longest name; a double
// click (or OK) picks the name.
INT_PTR CALLBACK PickProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(h, DWLP_USER, l);
      SetDlgItemTextA(h, 1009, "Source Cell Collection");
      HWND lb = GetDlgItem(h, 1006);
      size_t longest = 0;
      for (int i = 1; i <= CellTable.count; ++i) {
        char row[64];
        snprintf(row, sizeof row, "%s (%d)", CellTable.cells[i].name, CellTable.cells[i].rank & 0x1F);
        longest = strlen(row) > longest ? strlen(row) : longest;
        SendMessageA(lb, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
      }
      SendMessageA(lb, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(longest * 8), 0);
      return TRUE;
    }
    case WM_COMMAND:
      if ((LOWORD(w) == 1006 && HIWORD(w) == LBN_DBLCLK) || LOWORD(w) == IDOK) {
        HWND lb = GetDlgItem(h, 1006);
        LRESULT i = SendMessageA(lb, LB_GETCURSEL, 0, 0);
        if (i < 0 || SendMessageA(lb, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) >= 80) return TRUE;
        char row[80] = "";
        SendMessageA(lb, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(row));
        if (char* blank = strchr(row, ' ')) *blank = 0;
        char* out = reinterpret_cast<char*>(GetWindowLongPtrA(h, DWLP_USER));
        snprintf(out, CELL_NAME_SIZE, "%s", row);
        EndDialog(h, 1);
        return TRUE;
      }
      if (LOWORD(w) == IDCANCEL) {
        EndDialog(h, 0);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

// Puts the picked name into the dialog's field.
void CellPick(HWND h, int field) {
  char name[CELL_NAME_SIZE] = "";
  if (DialogBoxParamA(Sw.inst, "ANYLIST", h, PickProc, reinterpret_cast<LPARAM>(name)) == 1 && name[0])
    SetDlgItemTextA(h, field, name);
}

// Export's List: the cells of the source drawing (the current one).
void ExportList(HWND h) {
  CellTableState* saved = new CellTableState(CellTable);
  if (!CrfReadOther(""))
    HostMsgBox("No Source TLC Files", "Exporting ...", HOST_CAP_OWN, HOST_OK);
  else
    CellPick(h, 1207);
  CellTable = *saved;
  delete saved;
}

INT_PTR CALLBACK ExportProc(HWND h, UINT msg, WPARAM w, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      SetDlgItemTextA(h, 1201, SysW.folder);
      CheckRadioButton(h, 1204, 1205, SysW.tld ? 1205 : 1204);
      SetDlgItemTextA(h, 1207, SysW.text);
      CheckDlgButton(h, 1209, SysW.organize ? BST_CHECKED : BST_UNCHECKED);
      TypeLabel(h, 0);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(w)) {
        case 1202:
          BrowseFile(h, 1201, 0, IsDlgButtonChecked(h, 1205) == BST_CHECKED, "Export File Select");
          return TRUE;
        case 1204:
        case 1205:
          TypeLabel(h, 0);
          return TRUE;
        case 1208:
          ExportList(h);
          return TRUE;
        case IDOK: {
          ItemText(h, 1201, SysW.folder, sizeof SysW.folder);
          ItemText(h, 1207, SysW.text, sizeof SysW.text);
          SysW.tld = IsDlgButtonChecked(h, 1205) == BST_CHECKED;
          SysW.organize = IsDlgButtonChecked(h, 1209) == BST_CHECKED;
          if (SysW.tld && (!SysW.text[0] || strpbrk(SysW.text, "*?"))) {
            HostMsgBox("Cellname or Filename is Required", "Exporting ...", HOST_CAP_OWN, HOST_OK);
            return TRUE;
          }
          EndDialog(h, 1);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(h, 0);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

struct YnIn {
  const char* title;
  const char* label;
  const char* name;
};

INT_PTR CALLBACK YnProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_INITDIALOG: {
      const YnIn* in = reinterpret_cast<const YnIn*>(l);
      SetWindowTextA(h, in->title);
      SetDlgItemTextA(h, 1301, in->label);
      SetDlgItemTextA(h, 1302, in->name);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(w)) {
        case IDYES:
          EndDialog(h, YN_YES);
          return TRUE;
        case 1303:
          EndDialog(h, YN_YES_ALL);
          return TRUE;
        case 1304:
          EndDialog(h, YN_NO_ALL);
          return TRUE;
        case IDNO:
        case IDCANCEL:
          EndDialog(h, YN_NO);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

int YnBox(const char* title, const char* label, const char* name) {
  YnIn in = {title, label, name};
  INT_PTR r = DialogBoxParamA(Sw.inst, "YNBOX", SysW.sys ? SysW.sys : Sw.main, YnProc, reinterpret_cast<LPARAM>(&in));
  return r > 0 ? static_cast<int>(r) : YN_NO;
}

void OrganizeHook() { SysOrganize(MainSetup.alphasort); }

void EnginesReady() {
  ImpExp.ynbox = YnBox;
  ImpExp.organize = OrganizeHook;
  ImpExp.pauses = 1;
}

// The drawing after Import or System Mode: list and setup again, the cell
// reloaded when it still exists.
void DrawingReload(const char* cellWanted) {
  DrawingCrfRead();
  DrawingSetupWrite();
  char name[40];
  snprintf(name, sizeof name, "%s", cellWanted && cellWanted[0] ? cellWanted : Cell.name);
  if (name[0] && CellFind(name))
    CellLoadByName(name);
  else
    CellNoneSet();
}

int ImportDialogRun() {
  if (DialogBoxParamA(Sw.inst, "TLCIMP", SysW.sys ? SysW.sys : Sw.main, ImportProc, 0) != 1) return 0;
  EnginesReady();
  ImpExpParams p = {SysW.folder, "", SysW.text, SysW.tld, SysW.organize};
  int r = TlcImport(p);
  DrawingSetupWrite();  // the layers added
  return r;
}

int ExportDialogRun(const char* cellName) {
  snprintf(SysW.text, sizeof SysW.text, "%s", cellName ? cellName : "");
  if (DialogBoxParamA(Sw.inst, "TLCEXP", SysW.sys ? SysW.sys : Sw.main, ExportProc, 0) != 1) return 0;
  EnginesReady();
  ImpExpParams p = {"", SysW.folder, SysW.text, SysW.tld, SysW.organize};
  int r = TlcExport(p);
  DrawingCrfRead();  // Export read the list into the table
  return r == 1;
}

// --- System Mode ------------------------------------------------------------

struct NameIn {
  const char* caption;
  const char* label2;  // null: no second field
  const char* start2;
  const char* note;
  char first[64];
  char second[64];
};

INT_PTR CALLBACK NameProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  NameIn* in = reinterpret_cast<NameIn*>(GetWindowLongPtrA(h, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      in = reinterpret_cast<NameIn*>(l);
      SetWindowLongPtrA(h, DWLP_USER, l);
      SetWindowTextA(h, in->caption);
      SetDlgItemTextA(h, 1503, in->label2 ? in->label2 : "");
      SetDlgItemTextA(h, 1504, in->start2 ? in->start2 : "");
      SetDlgItemTextA(h, 1505, in->note ? in->note : "");
      if (!in->label2) ShowWindow(GetDlgItem(h, 1504), SW_HIDE);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(w)) {
        case 2009:
          CellPick(h, 1502);
          return TRUE;
        case IDOK:
          ItemText(h, 1502, in->first, sizeof in->first);
          ItemText(h, 1504, in->second, sizeof in->second);
          EndDialog(h, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(h, 0);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

int NameAsk(NameIn* in) { return DialogBoxParamA(Sw.inst, "SYSNAME", SysW.sys, NameProc, reinterpret_cast<LPARAM>(in)) == 1; }

INT_PTR CALLBACK OrganizeProc(HWND h, UINT msg, WPARAM w, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      CheckDlgButton(h, 1401, MainSetup.alphasort ? BST_CHECKED : BST_UNCHECKED);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(w) == IDYES) {
        MainSetup.alphasort = IsDlgButtonChecked(h, 1401) == BST_CHECKED;
        EndDialog(h, 1);
        return TRUE;
      }
      if (LOWORD(w) == IDNO || LOWORD(w) == IDCANCEL) {
        EndDialog(h, 0);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

int Operation(int id) {
  NameIn in = {};
  switch (id) {
    case 208:
      if (DialogBoxParamA(Sw.inst, "ORGANIZE", SysW.sys, OrganizeProc, 0) != 1) return 0;
      return SysOrganize(MainSetup.alphasort);
    case 203:
      in.caption = "Remove";
      return NameAsk(&in) ? SysRemove(in.first) : 0;
    case 204:
      in.caption = "ReName";
      in.label2 = "New Cellname";
      return NameAsk(&in) ? SysReName(in.first, in.second) : 0;
    case 205:
      in.caption = "ReSize";
      in.label2 = "Multiplier";
      in.start2 = "1";
      in.note = "Cellname= *  for all.   (0.01 to 100)";
      return NameAsk(&in) ? SysReSize(in.first, atof(in.second)) : 0;
    case 206:
      in.caption = "ReRank";
      in.label2 = "New Rank";
      in.note = "Cellname= *  to minimize all ranks\nCellname= name  to raise cell rank";
      return NameAsk(&in) ? SysReRank(in.first, atoi(in.second)) : 0;
    case 207: {
      in.caption = "ReLayer";
      in.label2 = "Layer  To Layer  Move, Copy or Delete";
      in.start2 = "0 0 Move";
      in.note = "Cellname= *  for ALL cells";
      if (!NameAsk(&in)) return 0;
      int a = 0, b = 0;
      char how[16] = "Move";
      sscanf(in.second, "%d %d %15s", &a, &b, how);
      int kind = (how[0] == 'C' || how[0] == 'c') ? 2 : (how[0] == 'D' || how[0] == 'd') ? 3 : 1;
      return SysReLayer(in.first, a, b, kind);
    }
    case 200: {
      char note[300];
      SysScaleNote(note, sizeof note);
      SetDlgItemTextA(SysW.sys, 1000, note);
      DrawingSetupWrite();
      return 1;
    }
    case 300:
      return ImportDialogRun();
    case 301:
      return ExportDialogRun(Cell.name);
    default:
      return 0;
  }
}

// Starts the program without waiting, in the drawing folder: 1 started.
int Start(const LaunchLine& line) {
  char cmd[sizeof line.commandLine];
  snprintf(cmd, sizeof cmd, "%s", line.commandLine);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 0;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 1;
}

// The launcher: 1 started (System Mode closes), 0 not.
int Launch(int id) {
  LaunchIn in = {};
  in.programFolder = Sw.progFolder;
  in.programDrive = Sw.progDrive;
  in.cellName = Cell.name;
  in.scale = MainSetup.scale;
  in.cx = View.cx;
  in.cy = View.cy;
  in.width = View.width;
  in.left = View.winLeft;
  in.right = View.winRight;
  in.bottom = View.winBottom;
  in.top = View.winTop;
  in.helpTopic = "";
  in.wineMode = Sw.wineMode;
  LaunchLine line;
  if (SatLaunchLine(id, in, &line) < 0) return 0;
  if (line.error[0]) {
    ErrorShow(line.error);
    return 0;
  }
  if (!Start(line)) {
    char msg[400];
    snprintf(msg, sizeof msg, "%s is Missing", line.program);
    ErrorShow(msg);
    return 0;
  }
  if (SysW.sys) PostMessageA(SysW.sys, WM_CLOSE, 0, 0);
  return 1;
}

INT_PTR CALLBACK SystemProc(HWND h, UINT msg, WPARAM w, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      SysW.sys = h;
      return TRUE;
    case WM_CLOSE:
      EndDialog(h, 0);
      return TRUE;
    case WM_COMMAND: {
      int id = LOWORD(w);
      if (id == 1013 || id == IDCANCEL) {
        EndDialog(h, 0);
        return TRUE;
      }
      if ((id < 200 || id > 208) && (id < 300 || id > 316)) break;
      SetDlgItemTextA(h, 1000, "");
      SetDlgItemTextA(h, 1001, "");
      if (id >= 302) {
        Launch(id);
        return TRUE;
      }
      if (id == 201 || id == 202) {
        ErrorShow(id == 201 ? "Clone is not available in this Edition" : "Show is not available in this Edition");
        return TRUE;
      }
      SysW.ran = 1;
      EnginesReady();
      int r = Operation(id);
      SetDlgItemTextA(h, 1001, r == 1 ? " ... Done !" : "Aborted !");
      SetFocus(GetDlgItem(h, 1013));
      return TRUE;
    }
  }
  return FALSE;
}

}  // namespace

int ImportRun() {
  SysW.sys = nullptr;
  int r = ImportDialogRun();
  DrawingReload(r == 1 && !SysW.tld && !strpbrk(SysW.text, "*?") ? SysW.text : nullptr);
  return r;
}

int ExportRun(const char* cellName) {
  SysW.sys = nullptr;
  return ExportDialogRun(cellName);
}

int SystemModeRun() {
  SysW.ran = 0;
  DialogBoxParamA(Sw.inst, "SYSTEM", Sw.main, SystemProc, 0);
  SysW.sys = nullptr;
  DrawingCrfRead();
  if (Cell.name[0] && !CellFind(Cell.name))
    CellNoneSet();
  else if (SysW.ran && Cell.name[0])
    CellLoadByName(Cell.name);
  return 0;
}

void OrganizeUnattended() { SysOrganize(MainSetup.alphasort); }
