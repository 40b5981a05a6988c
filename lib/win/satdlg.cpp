// The common dialogs: MSGBOX and PAUSE as the frame binds them, RUNNER,
// ANYLIST and the base DISPLAY.
#include <cstdio>
#include <cstring>

#include "msgbox.h"
#include "satframe.h"
#include "satres.h"
#include "satsetup.h"
#include "satutil.h"

int MsgBoxShow(HWND owner, const char* text, const char* caption, UINT type) {
  MsgBoxBinding b = {SatWin.inst,  SatWin.main,  SatSetup.stdmsgbox || SatSetup.winemods,
                     SatWin.charW, SatWin.charH, SatWin.edgeW,
                     SatEditionGet().hideUnusedButtons, 0};
  int r = MsgBoxRun(b, owner, text, caption, type);
  return r < 0 ? IDCANCEL : r;
}

int PauseShow(HWND owner, int ms) {
  if (ms < 0) ms = -ms;
  return PauseRun(SatWin.inst, owner ? owner : SatWin.main, ms);
}

void FileSelInit(OPENFILENAMEA* ofn, char* file) {
  memset(ofn, 0, sizeof *ofn);
  ofn->lStructSize = sizeof *ofn;
  ofn->hwndOwner = SatWin.main;
  ofn->lpstrFilter = "All Files\0*.*\0";
  file[0] = '\0';
  ofn->lpstrFile = file;
  ofn->nMaxFile = SAT_PATH_SIZE;
  ofn->nMaxFileTitle = 512;
  ofn->lpstrInitialDir = SatFrame.startFolder;
  ofn->lpstrTitle = "File Select";
  ofn->Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_READONLY;
}

int SatBrowse(HWND dialog, int edit, const char* filter, const char* title) {
  OPENFILENAMEA ofn;
  char file[SAT_PATH_SIZE];
  FileSelInit(&ofn, file);
  ofn.hwndOwner = dialog;
  ofn.lpstrFilter = filter;
  ofn.lpstrTitle = title;
  if (!GetOpenFileNameA(&ofn)) return 0;
  SetDlgItemTextA(dialog, edit, file);
  return 1;
}

void SatSlotsShow(HWND dialog, const int* edits, int editCount, const int* checks, int checkCount, int firstCheck) {
  for (int k = 0; k < editCount; ++k)
    if (edits[k] > 0) SetDlgItemTextA(dialog, edits[k], UsfSlot(k));
  for (int k = 0; k < checkCount; ++k)
    CheckDlgButton(dialog, checks[k], UsfSlot(firstCheck + k)[0] == 'Y' ? BST_CHECKED : BST_UNCHECKED);
}

void SatSlotsTake(HWND dialog, const int* edits, int editCount, const int* checks, int checkCount, int firstCheck) {
  for (int k = 0; k < editCount; ++k)
    if (edits[k] > 0) GetDlgItemTextA(dialog, edits[k], UsfSlot(k), SAT_SLOT_SIZE);
  for (int k = 0; k < checkCount; ++k)
    snprintf(UsfSlot(firstCheck + k), SAT_SLOT_SIZE, "%s",
             IsDlgButtonChecked(dialog, checks[k]) == BST_CHECKED ? "Y" : "N");
}

namespace {

void ComboFill(HWND combo, char list[][SAT_PATH_SIZE]) {
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < SAT_RECENT && list[i][0]; ++i)
    if (SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)list[i]) < 0) break;
  SetWindowTextA(combo, list[0]);
}

void Browse(HWND dialog, int comboId, char* current) {
  static const char kApps[] = "All Files\0*.*\0EXE Files\0*.exe\0BAT Files\0*.bat\0";
  static const char kFiles[] =
      "All Files\0*.*\0TLC Files\0*.tlc\0TLD Files\0*.tld\0CIR Files\0*.cir\0NOD Files\0*.nod\0"
      "HDR Files\0*.hdr\0FTR Files\0*.ftr\0DRC Files\0*.drc\0GDS Files\0*.gds\0LDM Files\0*.ldm\0"
      "CIF Files\0*.cif\0DXF Files\0*.dxf\0LOG Files\0*.log\0";
  OPENFILENAMEA ofn;
  char file[SAT_PATH_SIZE];
  FileSelInit(&ofn, file);
  ofn.hwndOwner = dialog;
  ofn.lpstrFilter = comboId == IDC_RUN_APP ? kApps : kFiles;
  if (!GetOpenFileNameA(&ofn)) return;
  const char* chosen = SatSetup.winemods ? PathToUnix(file) : file;
  SetDlgItemTextA(dialog, comboId, chosen);
  snprintf(current, SAT_PATH_SIZE, "%s", chosen);
  SetCurrentDirectoryA(SatFrame.startFolder);
}

void DeleteEntry(HWND dialog, int comboId, char list[][SAT_PATH_SIZE]) {
  char text[SAT_PATH_SIZE];
  GetDlgItemTextA(dialog, comboId, text, sizeof text);
  if (!RecentDelete(list, text)) return;
  HWND combo = GetDlgItem(dialog, comboId);
  LRESULT i = SendMessageA(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text);
  if (i >= 0) SendMessageA(combo, CB_DELETESTRING, (WPARAM)i, 0);
  SetDlgItemTextA(dialog, comboId, "");
}

void EndRunner(HWND dialog, INT_PTR result) {
  if (SatEditionGet().runnerRestoresFolder) SetCurrentDirectoryA(SatFrame.startFolder);
  EndDialog(dialog, result);
}

}  // namespace

INT_PTR CALLBACK RunnerProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      SatWin.runner = dialog;
      SetWindowTextA(dialog, SatSetup.winemods ? "Run Linux Application" : "Run Windows Application");
      if (!SatFrame.recentApp[0][0]) snprintf(SatFrame.recentApp[0], SAT_PATH_SIZE, "%s", SatFrame.curApp);
      ComboFill(GetDlgItem(dialog, IDC_RUN_APP), SatFrame.recentApp);
      ComboFill(GetDlgItem(dialog, IDC_RUN_FILE), SatFrame.recentFile);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          GetDlgItemTextA(dialog, IDC_RUN_APP, SatFrame.curApp, SAT_PATH_SIZE);
          GetDlgItemTextA(dialog, IDC_RUN_FILE, SatFrame.curFile, SAT_PATH_SIZE);
          RecentPush(SatFrame.recentApp, SatFrame.curApp);
          RecentPush(SatFrame.recentFile, SatFrame.curFile);
          EndRunner(dialog, 1);
          return TRUE;
        case IDC_RUN_BROWSEAPP:
          Browse(dialog, IDC_RUN_APP, SatFrame.curApp);
          return TRUE;
        case IDC_RUN_BROWSEFILE:
          Browse(dialog, IDC_RUN_FILE, SatFrame.curFile);
          return TRUE;
        case IDC_RUN_DELAPP:
          DeleteEntry(dialog, IDC_RUN_APP, SatFrame.recentApp);
          return TRUE;
        case IDC_RUN_DELFILE:
          DeleteEntry(dialog, IDC_RUN_FILE, SatFrame.recentFile);
          return TRUE;
        case IDC_RUN_CLEANAPPS:
        case IDC_RUN_CLEANFILES: {
          int apps = LOWORD(wParam) == IDC_RUN_CLEANAPPS;
          if (MsgBoxShow(dialog, apps ? "Application List will be Erased" : "Filename List will be Erased", "Run",
                         MB_OKCANCEL) == IDOK)
            RecentClean(apps ? SatFrame.recentApp : SatFrame.recentFile);
          EndRunner(dialog, 0);
          return TRUE;
        }
        case IDCANCEL:
          EndRunner(dialog, 0);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_CLOSE:
      EndRunner(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK AnyListProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  if (SatDlgCancel(dialog, msg, wParam)) return TRUE;
  switch (msg) {
    case WM_INITDIALOG: {
      HWND list = GetDlgItem(dialog, IDC_ANYLIST);
      if (Cells.count > 0) {
        int longest = 0;
        for (int i = 1; i <= Cells.count; ++i) {
          int n = (int)strlen(CellInfoText(i));
          if (n > longest) longest = n;
        }
        SendMessageA(list, LB_SETCOLUMNWIDTH, (WPARAM)((longest + 5) * SatWin.charW), 0);
        for (int i = 1; i <= Cells.count; ++i) {
          char line[NAMLEN + 24];
          snprintf(line, sizeof line, " %s", CellInfoText(i));
          SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)line);
        }
      }
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_ANYLIST && HIWORD(wParam) == LBN_DBLCLK) {
        LRESULT i = SendMessageA(GetDlgItem(dialog, IDC_ANYLIST), LB_GETCURSEL, 0, 0);
        if (i >= 0 && i < Cells.count) {
          snprintf(SatFrame.shared, sizeof SatFrame.shared, "%s", Cells.cell[i + 1].name);
          EndDialog(dialog, 1);
        }
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK SatDisplayProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  const char* q = (SatFrame.prog && SatFrame.prog->abortQuestion) ? SatFrame.prog->abortQuestion : "Aborting ... OK?";
  switch (msg) {
    case WM_INITDIALOG:
      SatWin.display = dialog;
      SatWin.displayList = GetDlgItem(dialog, IDC_DISPLAY_LIST);
      if (SatWin.win && SatWin.win->displayInit) SatWin.win->displayInit(SatFrame.st, dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        if (MsgBoxShow(dialog, q, SatDisplayName(), 0x124) == IDYES) SatFrame.abortFlag = 1;
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      if (MsgBoxShow(dialog, q, SatDisplayName(), 0x124) == IDYES) {
        SatFrame.abortFlag = 1;
        DestroyWindow(dialog);
        SatWin.display = nullptr;
        SatWin.displayList = nullptr;
      }
      return TRUE;
    default:
      return FALSE;
  }
}
