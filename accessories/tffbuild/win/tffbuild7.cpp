// TFFBUILD7.EXE: puts a character drawing into a text font file. It has no
// visible window: a batch call ("font char.tlc A") runs once, else the
// TFFDLG dialog comes back after every attempt until Close. The work is the
// platform-free engine (tffbuild.h).
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "host.h"
#include "host_win.h"
#include "tffbuild.h"
#include "version.h"

namespace {

enum {
  WM_TFF_RUN = WM_USER + 1,
  IDC_FONT = 1000,
  IDC_CHARFILE = 1001,
  IDC_CLOSE = 1003,
  IDC_INFO = 1004,
  IDC_CHAR = 1005,
  IDC_LIST = 1006,
  IDC_LISTCAP = 1009,
};

struct TffWinState {
  HINSTANCE inst = nullptr;
  char title[64] = "";
  char picked[TFF_PATHLEN] = "";  // the TLC file picked from the list last time
};
TffWinState TffWin;
TffState Tff;  // the program's one font builder state, which TFFDLG fills

INT_PTR CALLBACK TffListDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: {
      SetDlgItemTextA(dialog, IDC_LISTCAP, "TLC Files");
      HWND list = GetDlgItem(dialog, IDC_LIST);
      WIN32_FIND_DATAA fd;
      HANDLE h = FindFirstFileA("*.TLC", &fd);
      if (h != INVALID_HANDLE_VALUE) {
        do {
          if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
          if (strcmp(fd.cFileName, ".TLC") == 0) continue;
          CharUpperA(fd.cFileName);
          SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)fd.cFileName);
        } while (FindNextFileA(h, &fd));
        FindClose(h);
      }
      if (TffWin.picked[0]) SendMessageA(list, LB_SELECTSTRING, (WPARAM)-1, (LPARAM)TffWin.picked);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_LIST && HIWORD(wParam) == LBN_DBLCLK) {
        HWND list = GetDlgItem(dialog, IDC_LIST);
        LRESULT i = SendMessageA(list, LB_GETCURSEL, 0, 0);
        if (i >= 0 && SendMessageA(list, LB_GETTEXTLEN, (WPARAM)i, 0) < (LRESULT)sizeof TffWin.picked) {
          SendMessageA(list, LB_GETTEXT, (WPARAM)i, (LPARAM)TffWin.picked);
          EndDialog(dialog, 1);
        }
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK TffDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowTextA(dialog, TffWin.title);
      SetDlgItemTextA(dialog, IDC_INFO,
                      "This program installs characters in a Text Font File from a character file.\n\n"
                      "A character file must be a TLC file written from a text character drawing.\n\n"
                      "Read the main QUIL help Text Generation topic.");
      SetDlgItemTextA(dialog, IDC_FONT, Tff.fontPath);
      SetDlgItemTextA(dialog, IDC_CHARFILE, Tff.charPath);
      SetDlgItemTextA(dialog, IDC_CHAR, "");
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: {
          char ch[8];
          GetDlgItemTextA(dialog, IDC_CHARFILE, Tff.charPath, sizeof Tff.charPath);
          GetDlgItemTextA(dialog, IDC_FONT, Tff.fontPath, sizeof Tff.fontPath);
          GetDlgItemTextA(dialog, IDC_CHAR, ch, sizeof ch);
          Tff.ch = ch[0] ? (unsigned char)ch[0] : (int)TFF_NO_CHAR;
          EndDialog(dialog, 2);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        case IDC_CLOSE:
          EndDialog(dialog, 1);
          return TRUE;
        case IDC_LIST:
          if (DialogBoxParamA(TffWin.inst, "ANYLIST", dialog, TffListDlgProc, 0) == 1)
            SetDlgItemTextA(dialog, IDC_CHARFILE, TffWin.picked);
          SetFocus(GetDlgItem(dialog, IDC_CHAR));
          return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      // The window's close box ends the program like Close.
      EndDialog(dialog, 1);
      return TRUE;
  }
  return FALSE;
}

int TffRun(TffState* st, HWND main) {
  if (st->count > 1) {
    TffBatch(st, st->count);
    return 1;
  }
  st->ch = TFF_NO_CHAR;
  for (;;) {
    INT_PTR r = DialogBoxParamA(TffWin.inst, "TFFDLG", main, TffDlgProc, 0);
    if (r == 1 || r < 0) return 1;
    if (r == 2) TffBuildOnce(st, st->fontPath, st->charPath, st->ch, 1);
  }
}

LRESULT CALLBACK TffWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      PostMessageA(hwnd, WM_TFF_RUN, 0, 0);
      return 0;
    case WM_TFF_RUN:
      HostWinSetOwner(hwnd);
      if (TffRun(&Tff, hwnd)) PostMessageA(hwnd, WM_DESTROY, 0, 0);
      return 0;
    case WM_CLOSE:
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) {
  TffWin = TffWinState();
  TffWin.inst = instance;
  TffReset(&Tff);
  snprintf(TffWin.title, sizeof TffWin.title, "%s %s %s", "TffBuild", QUIL_VERSION, QUIL_VERSION_TAG);
  HostWinInstall(nullptr, "TffBuild");
  if (!TffArgs(&Tff, cmdLine)) return 1;  // more than three tokens: said, and ended

  INITCOMMONCONTROLSEX icc;
  icc.dwSize = sizeof icc;
  icc.dwICC = 0xFF;
  InitCommonControlsEx(&icc);
  WNDCLASSEXA wc;
  memset(&wc, 0, sizeof wc);
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = TffWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, "TFFBUILD");
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
  wc.lpszMenuName = "TFFBUILD7";
  wc.lpszClassName = "TffBuild7";
  if (!RegisterClassExA(&wc)) return 1;
  HWND main = CreateWindowExA(0, "TffBuild7", TffWin.title, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                              CW_USEDEFAULT, 14 * GetSystemMetrics(SM_CXMENUSIZE), GetSystemMetrics(SM_CYMENU),
                              nullptr, nullptr, instance, nullptr);
  if (!main) return 1;
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return (int)m.wParam;
}
