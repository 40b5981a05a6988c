// HELPRUN7.EXE: opens the compiled help in the Windows help viewer on the
// topic its argument names, then ends. A small window shows while it does.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "helprun.h"
#include "satframe.h"
#include "satutil.h"

namespace {

enum { WM_HELP_RUN = WM_USER + 1 };

const char kCaption[] = "QUIL 7 Helper";

struct HelpRunState {
  char arg[HELP_PATHLEN] = "";
  char drive[3] = "";
};
HelpRunState HelpRun;

void Launch(HWND hwnd) {
  char target[HELP_PATHLEN], windows[MAX_PATH], viewer[HELP_PATHLEN], line[2 * HELP_PATHLEN + 8];
  UINT n = GetWindowsDirectoryA(windows, sizeof windows);
  if (n == 0 || n >= sizeof windows) windows[0] = 0;
  int ok = HelpTarget(HelpRun.arg, HelpRun.drive, target, sizeof target) &&
           HelpViewerLine(windows, target, viewer, sizeof viewer, line, sizeof line) &&
           RunProgram(viewer, target);
  if (!ok) {
    char text[HELP_PATHLEN + 40];
    snprintf(text, sizeof text, "Can't Run HH.EXE on %s", target);
    MessageBoxA(hwnd, text, "HELPRUN7", MB_OK | MB_ICONERROR);
    MessageBoxA(hwnd,
                "The default HTML browser is HH.EXE. This is part of Windows 2000, XP, Vista, Win7 and Internet "
                "Explorer 4.0 or greater.\n\nIf for some reason you want to view or print using a standard "
                "browser, you can extract the HTML files from the QUILHELP.CHM file using the Start/Run "
                "command:\n\nhh.exe -decompile destinationfolder drive:\\quil7\\help\\quilhelp.chm",
                "Help for QUIL Help", MB_OK | MB_ICONINFORMATION);
  }
  PostMessageA(hwnd, WM_DESTROY, 0, 0);
}

LRESULT CALLBACK HelpWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      int charW = 8;
      HDC dc = GetDC(hwnd);
      if (dc) {
        SelectObject(dc, GetStockObject(SYSTEM_FONT));
        TEXTMETRICA tm;
        if (GetTextMetricsA(dc, &tm)) charW = tm.tmAveCharWidth;
        ReleaseDC(hwnd, dc);
      }
      MoveWindow(hwnd, 20, 20, 2 * charW * (int)strlen(kCaption), GetSystemMetrics(SM_CYSIZE), FALSE);
      ProgDriveFrom(GetCommandLineA(), HelpRun.drive);
      return 0;
    }
    case WM_HELP_RUN:
      Launch(hwnd);
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

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int show) {
  INITCOMMONCONTROLSEX icc;
  icc.dwSize = sizeof icc;
  icc.dwICC = 0xFF;
  InitCommonControlsEx(&icc);
  // The whole argument is the target, blanks and all.
  snprintf(HelpRun.arg, sizeof HelpRun.arg, "%s", cmdLine ? cmdLine : "");
  WNDCLASSEXA wc;
  memset(&wc, 0, sizeof wc);
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = HelpWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, "HELPRUN");
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
  wc.lpszMenuName = "HELPRUN7";
  wc.lpszClassName = "HELPRUN7";
  if (!RegisterClassExA(&wc)) return 1;
  HWND main = CreateWindowExA(0, "HELPRUN7", kCaption, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  if (!main) return 1;
  ShowWindow(main, show ? show : SW_SHOWNORMAL);
  PostMessageA(main, WM_HELP_RUN, 0, 0);
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return (int)m.wParam;
}
