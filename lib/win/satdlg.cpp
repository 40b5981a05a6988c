// The common dialogs: MSGBOX, PAUSE, RUNNER, ANYLIST and the base DISPLAY.
#include <cstdio>
#include <cstring>

#include "satframe.h"
#include "satres.h"
#include "satsetup.h"
#include "satutil.h"

namespace {

const int kMsgButtons[4] = {IDC_MSG_YES, IDC_MSG_NO, IDOK, IDCANCEL};

// Longest line (characters + 1) and the number of line breaks.
void MsgTextMeasure(const char* text, int* longest, int* breaks) {
  int len = 0;
  *longest = 0;
  *breaks = 0;
  for (const char* p = text;; ++p) {
    if (*p == '\n' || *p == '\0') {
      if (len + 1 > *longest) *longest = len + 1;
      len = 0;
      if (!*p) break;
      ++*breaks;
    } else {
      ++len;
    }
  }
}

void MsgBoxSize(HWND dialog) {
  int longest, breaks;
  MsgTextMeasure(SatWin.msgText, &longest, &breaks);
  RECT dr;
  GetWindowRect(dialog, &dr);
  int w = dr.right - dr.left;
  int need = (int)(0.9 * SatWin.charW * longest) + 4 * SatWin.edgeW;
  if (need < w) need = w;
  int addH = (int)(0.9 * breaks * SatWin.charH);
  int shift = (need - w) / 2;
  for (int id : kMsgButtons) {
    HWND b = GetDlgItem(dialog, id);
    RECT r;
    GetWindowRect(b, &r);
    MapWindowPoints(nullptr, dialog, (POINT*)&r, 2);
    SetWindowPos(b, nullptr, r.left + shift, r.top + addH, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }
  HWND t = GetDlgItem(dialog, IDC_MSG_TEXT);
  RECT tr;
  GetWindowRect(t, &tr);
  MapWindowPoints(nullptr, dialog, (POINT*)&tr, 2);
  RECT cr;
  GetClientRect(dialog, &cr);
  int clientW = cr.right + (need - w);
  SetWindowPos(t, nullptr, 0, 0, clientW - tr.left, tr.bottom - tr.top + addH, SWP_NOMOVE | SWP_NOZORDER);
  SetWindowTextA(t, SatWin.msgText);
  SetWindowPos(dialog, nullptr, dr.left - shift, dr.top - addH / 2, need, dr.bottom - dr.top + addH, SWP_NOZORDER);
}

}  // namespace

int MsgBoxShow(HWND owner, const char* text, const char* caption, UINT type) {
  if (SatSetup.stdmsgbox || SatSetup.winemods)
    return MessageBoxA(owner, text ? text : "Error ...", caption ? caption : "Error ...", type);
  snprintf(SatWin.msgCaption, sizeof SatWin.msgCaption, "%s", caption ? caption : "Error ...");
  snprintf(SatWin.msgText, sizeof SatWin.msgText, "%s", text ? text : "Error ...");
  INT_PTR r = DialogBoxParamA(SatWin.inst, "MSGBOX", SatWin.main, MsgBoxProc, (LPARAM)(type & 7));
  return r < 0 ? IDCANCEL : (int)r;
}

INT_PTR CALLBACK MsgBoxProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      int type = (int)lParam;
      int on[4] = {0, 0, 0, 0};  // Yes, No, OK, Cancel
      switch (type) {
        case 0: on[2] = 1; break;
        case 1: on[2] = on[3] = 1; break;
        case 3: on[0] = on[1] = on[3] = 1; break;
        case 4: on[0] = on[1] = 1; break;
        default:
          snprintf(SatWin.msgText, sizeof SatWin.msgText, "Message Type is Unknown ???");
          on[2] = 1;
          break;
      }
      HWND first = nullptr;
      for (int k = 0; k < 4; ++k) {
        HWND b = GetDlgItem(dialog, kMsgButtons[k]);
        if (SatEditionGet().hideUnusedButtons)
          ShowWindow(b, on[k] ? SW_SHOW : SW_HIDE);
        else
          EnableWindow(b, on[k] ? TRUE : FALSE);
        if (on[k] && !first) first = b;
      }
      SetWindowTextA(dialog, SatWin.msgCaption);
      MsgBoxSize(dialog);
      if (first) SetFocus(first);
      return FALSE;
    }
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (id == IDOK || id == IDCANCEL || id == IDC_MSG_YES || id == IDC_MSG_NO) {
        // Esc on a box without Cancel must not answer a question it never asked.
        if (!IsWindowEnabled(GetDlgItem(dialog, id)) || !IsWindowVisible(GetDlgItem(dialog, id))) return TRUE;
        EndDialog(dialog, id);
        return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

int PauseShow(HWND owner, int ms) {
  if (ms < 0) ms = -ms;
  return (int)DialogBoxParamA(SatWin.inst, "PAUSE", owner ? owner : SatWin.main, PauseProc, (LPARAM)ms);
}

INT_PTR CALLBACK PauseProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      SetTimer(dialog, 1, (UINT)lParam, nullptr);
      return TRUE;
    case WM_TIMER:
      if (wParam == 1) {
        KillTimer(dialog, 1);
        EndDialog(dialog, 0);
      }
      return TRUE;
    case WM_COMMAND:
      if (wParam == IDCANCEL) {
        KillTimer(dialog, 1);
        EndDialog(dialog, 1);
      }
      return TRUE;
    default:
      return FALSE;
  }
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
      if (SatWin.win && SatWin.win->displayInit) SatWin.win->displayInit(dialog);
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
