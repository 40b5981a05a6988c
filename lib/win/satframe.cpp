#include "satframe.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host.h"
#include "satres.h"
#include "satsetup.h"
#include "satutil.h"
#include "version.h"

SatWinState SatWin;

namespace {

void MainCreate(HWND hwnd);
// WM_CLOSE and WM_DESTROY: nothing while refused (a run that may not be
// cut), else saveAndQuit once, and a close destroys the window. Returns 0.
LRESULT MainClose(HWND hwnd, UINT msg, int refused, void (*saveAndQuit)(HWND hwnd));

const SatProgram& Prog() { return *SatWin.win->prog; }

int GoId() { return Prog().buttons[Prog().buttonCount - 1].id; }

enum { WM_SAT_CLOSE = WM_APP + 7, TIMER_SAT_CLOSE = 7 };

void CloseWhenIdle(HWND hwnd) {
  if (SatWin.display) {
    SetTimer(hwnd, TIMER_SAT_CLOSE, 100, nullptr);
    return;
  }
  KillTimer(hwnd, TIMER_SAT_CLOSE);
  PostMessageA(hwnd, WM_CLOSE, 0, 0);
}

int SlotOfKey(const char* key) {
  for (int i = 0; Prog().keys && i < SAT_SLOTS && Prog().keys[i]; ++i)
    if (strcmp(Prog().keys[i], key) == 0) return i;
  return -1;
}

int SlotInt(const char* key) {
  int i = SlotOfKey(key);
  return i < 0 ? 0 : atoi(UsfSlot(i));
}

void SlotSetInt(const char* key, int v) {
  int i = SlotOfKey(key);
  if (i >= 0) snprintf(UsfSlot(i), SAT_SLOT_SIZE, "%d", v);
}

// ---- the host seam as the frame shows it ----

// Inside a run the engines poll Esc and pause so that the windows repaint,
// some of them after every record or cell. A pause less than RUN_PACE_MS
// after the previous one only lets the pending messages through (the
// counters and the message list still repaint) and the Esc key is read at
// most once in RUN_PACE_MS (a press is still seen within that time): a run
// no longer waits out thousands of short pause dialogs or key reads. A
// message box makes the next pause whole again, as the person answering it
// is meant to see it.
enum { RUN_PACE_MS = 50 };

struct RunPace {
  int paused = 0;      // a pause ended in this run
  DWORD pauseEnd = 0;  // when
  int keyRead = 0;     // the Esc key was read in this run
  DWORD keyTime = 0;   // when
};
RunPace Pace;

void PendingPump() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage((int)m.wParam);  // for the main loop, once the run is over
      return;
    }
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

int HostWinMsg(const char* text, const char* caption, int kind, int type) {
  Pace.paused = 0;
  const char* cap = SatDisplayName();
  UINT icon = 0;
  switch (kind) {
    case HOST_CAP_ERROR: cap = "Error ..."; icon = MB_ICONERROR; break;
    case HOST_CAP_WARNING: cap = "Warning ..."; icon = MB_ICONWARNING; break;
    case HOST_CAP_OWN: if (caption) cap = caption; break;
    default: break;
  }
  return MsgBoxShow(SatWin.main, text, cap, (UINT)type | icon);
}

void HostWinStatus(const char* text) {
  if (SatWin.display) SetDlgItemTextA(SatWin.display, 500, text);
}

void HostWinProgress(long, long) {}

int HostWinAbortPoll() {
  if (SatFrame.running) {
    DWORD now = GetTickCount();
    if (Pace.keyRead && now - Pace.keyTime < RUN_PACE_MS) return 0;
    Pace.keyRead = 1;
    Pace.keyTime = now;
  }
  if (!(GetAsyncKeyState(VK_ESCAPE) & 0x8000)) return 0;
  const char* q = Prog().abortQuestion ? Prog().abortQuestion : "Aborting ... OK?";
  return MsgBoxShow(SatWin.main, q, SatDisplayName(), 0x124) == IDYES;
}

void HostWinPause(int ms) {
  if (SatFrame.running && Pace.paused && GetTickCount() - Pace.pauseEnd < RUN_PACE_MS) {
    PendingPump();
    return;
  }
  PauseShow(SatOwner(), ms);
  Pace.paused = SatFrame.running;
  Pace.pauseEnd = GetTickCount();
}

const HostOps kFrameHost = {HostWinMsg, HostWinStatus, HostWinProgress, HostWinAbortPoll, HostWinPause};

void DispStatus(int id, const char* text, int counter) {
  if (!SatWin.display) return;
  SetDlgItemTextA(SatWin.display, id, text);
  if (counter) return;
  SetFocus(SatWin.display);
  if (SatSetup.winemods) PauseShow(SatWin.display, 20);
}

void DispClear() {
  if (SatWin.displayList) SendMessageA(SatWin.displayList, LB_RESETCONTENT, 0, 0);
}

void DispAdd(const char* text) {
  if (!SatWin.displayList) return;
  LRESULT i = SendMessageA(SatWin.displayList, LB_ADDSTRING, 0, (LPARAM)text);
  if (i >= 0) SendMessageA(SatWin.displayList, LB_SETTOPINDEX, (WPARAM)i, 0);
}

int DispExists() { return SatWin.display && SatWin.displayList; }

const SatDisplayOps kFrameDisplay = {DispStatus, DispClear, DispAdd, DispExists};

// ---- commands ----

void CmdHelp() {
  char prog[SAT_PATH_SIZE], arg[SAT_PATH_SIZE];
  if (!SatFormat(prog, sizeof prog, "%s\\QUIL7\\HELPRUN7.EXE", SatFrame.progDrive) ||
      !SatFormat(arg, sizeof arg, "%s\\QUIL7\\HELP\\QUILHELP.CHM::/%s", SatFrame.progDrive, Prog().helpPage)) {
    ErrorShow("Can't Find Help");
    return;
  }
  if (!RunProgram(prog, arg)) ErrorShow("Can't Find Help");
}

void CmdRun() {
  INT_PTR r = DialogBoxParamA(SatWin.inst, "RUNNER", SatWin.main, RunnerProc, 0);
  if (r == 1) {
    if (!SatFrame.curApp[0] && SatEditionGet().runNeedsApp)
      ErrorShow("No Application Given");
    else if (!RunProgram(SatFrame.curApp, SatFrame.curFile))
      ErrorShow("Can't Find Application");
  }
  SatWin.runner = nullptr;
}

void CmdGo() {
  DLGPROC proc = SatWin.win->displayProc ? SatWin.win->displayProc : SatDisplayProc;
  SatWin.display = CreateDialogParamA(SatWin.inst, "DISPLAY", SatWin.main, proc, (LPARAM)SatFrame.st);
  if (!SatWin.display) {
    ErrorShow("Unable to Show the Progress Dialog");
    return;
  }
  SatFrame.running = 1;
  Pace = RunPace();
  ShowWindow(SatWin.display, SW_SHOWNORMAL);
  SetFocus(SatWin.display);
  AbortPoll(10);
  int result = SatRunWork();
  ShowWindow(SatWin.main, SW_RESTORE);
  SatRunFinish(result);
  if (SatWin.display) DestroyWindow(SatWin.display);
  SatWin.display = nullptr;
  SatWin.displayList = nullptr;
  SatFrame.running = 0;
}

void CtrlA() {
  char limits[SAT_TEXT_SIZE];
  snprintf(limits, sizeof limits, Prog().limitsText ? Prog().limitsText : "", Prog().limits[0], Prog().limits[1]);
  char text[SAT_TEXT_SIZE];
  snprintf(text, sizeof text, "Version %s %s\n\n%s%s", QUIL_VERSION, QUIL_VERSION_TAG, limits,
           SatSetup.winemods ? "\n\nWine Mode is On" : "");
  MsgBoxShow(SatWin.main, text, "Allocation", 0);
}

void SaveAndQuit(HWND hwnd) {
  if (SatWin.win->settingsSave) {
    SatWin.win->settingsSave(hwnd);
  } else {
    RECT r;
    GetWindowRect(hwnd, &r);
    SlotSetInt("lft=", r.left);
    SlotSetInt("top=", r.top);
    SlotSetInt("rgt=", r.right);
    SlotSetInt("bot=", r.bottom);
    if (!SatFrame.startFail) UsfWrite();
  }
  PostQuitMessage(0);
}

int Busy() { return SatWin.win->busy ? SatWin.win->busy() : SatWin.display != nullptr; }

int CloseRefused(HWND hwnd, UINT msg) {
  if (SatWin.win->closeRefused) return SatWin.win->closeRefused(hwnd, msg);
  return SatWin.display && !SatFrame.abortFlag;
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (SatWin.win->message && SatWin.win->message(hwnd, msg, wParam, lParam)) return 0;
  switch (msg) {
    case WM_CREATE: {
      MainCreate(hwnd);
      if (SatFrame.startFail) {
        SetupMissingShow();
      } else if (SatWin.win->crfRead ? SatWin.win->crfRead() : SatCrfRead()) {
        SatFrame.startFail = 1;
        CrfMissingShow();
      } else if (SatWin.win->settingsRead) {
        SatWin.win->settingsRead();
      } else {
        UsfRead();
      }
      if (!SatFrame.startFail && SatWin.win->created) SatWin.win->created(SatFrame.st);
      return 0;
    }
    case WM_SAT_CLOSE:
      CloseWhenIdle(hwnd);
      return 0;
    case WM_TIMER:
      if (wParam == TIMER_SAT_CLOSE) {
        CloseWhenIdle(hwnd);
        return 0;
      }
      return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_CLOSE:
    case WM_DESTROY:
      return MainClose(hwnd, msg, CloseRefused(hwnd, msg), SaveAndQuit);
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_CHAR:
      if (wParam == 1) {
        CtrlA();
        return 0;
      }
      return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_COMMAND: {
      if (Busy()) return 0;  // a run is going
      int id = LOWORD(wParam);
      if (id == ID_HELP_CMD) {
        CmdHelp();
      } else if (id == ID_RUN_CMD) {
        CmdRun();
      } else if (SatWin.win->command && SatWin.win->command(SatFrame.st, hwnd, id)) {
        // the program's own button
      } else if (id == ID_SETUP_CMD) {
        if (SatWin.win->setupProc) DialogBoxParamA(SatWin.inst, "SETUP", hwnd, SatWin.win->setupProc, (LPARAM)SatFrame.st);
      } else if (id == GoId()) {
        const char* refused = SatWin.win->goRefused ? SatWin.win->goRefused(SatFrame.st) : nullptr;
        if (refused)
          ErrorShow(refused);
        else
          CmdGo();
      }
      return 0;
    }
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

void MainCreate(HWND hwnd) {
  SatWin.main = hwnd;
  HDC dc = GetDC(hwnd);
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  ReleaseDC(hwnd, dc);
}

LRESULT MainClose(HWND hwnd, UINT msg, int refused, void (*saveAndQuit)(HWND hwnd)) {
  if (refused) return 0;
  if (msg == WM_DESTROY && !SatWin.main) return 0;
  saveAndQuit(hwnd);
  if (msg == WM_CLOSE) {
    SatWin.main = nullptr;
    DestroyWindow(hwnd);
  }
  return 0;
}

// Start: common controls, start folder, program drive, metrics.
void WinStart() {
  INITCOMMONCONTROLSEX icc;
  icc.dwSize = sizeof icc;
  icc.dwICC = 0xFF;
  InitCommonControlsEx(&icc);
  if (!GetCurrentDirectoryA(sizeof SatFrame.startFolder, SatFrame.startFolder)) SatFrame.startFolder[0] = '\0';
  ProgDrive();
  WinMetricsInit();
}

// The program table's window class, accelerators, button bitmaps, the
// window and its tool bar; null when the class or the window fails.
HWND WinCreate(HINSTANCE instance, WNDPROC proc) {
  WNDCLASSEXA wc;
  memset(&wc, 0, sizeof wc);
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, Prog().icon);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
  wc.lpszClassName = Prog().className;
  if (!RegisterClassExA(&wc)) return nullptr;
  SatWin.accel = LoadAcceleratorsA(instance, Prog().accel);
  for (int i = 0; i < Prog().buttonCount && i < 16; ++i)
    SatWin.bitmaps[i] = (HBITMAP)LoadImageA(instance, Prog().buttons[i].bitmap, IMAGE_BITMAP, 0, 0,
                                            LR_LOADMAP3DCOLORS);

  HWND main = CreateWindowExA(WS_EX_WINDOWEDGE, Prog().className, SatWin.title,
                              WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX, 0, 0, CW_USEDEFAULT,
                              CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  if (!main) return nullptr;
  SatWin.main = main;
  ToolbarPlace();
  return main;
}

void BitmapsFree() {
  for (HBITMAP& b : SatWin.bitmaps) {
    if (b) DeleteObject(b);
    b = nullptr;
  }
}

}  // namespace

HWND SatOwner() { return SatWin.display ? SatWin.display : SatWin.main; }

int SatDlgCancel(HWND dialog, UINT msg, WPARAM wParam) {
  if (msg != WM_CLOSE && !(msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL)) return 0;
  EndDialog(dialog, 0);
  return 1;
}

void WinMetricsInit() {
  SatWin.capH = GetSystemMetrics(SM_CYCAPTION);
  SatWin.menuBtnW = GetSystemMetrics(SM_CXMENUSIZE);
  SatWin.menuBtnH = GetSystemMetrics(SM_CYMENUSIZE);
  SatWin.capBtnW = GetSystemMetrics(SM_CXSIZE);
  SatWin.capBtnH = GetSystemMetrics(SM_CYSIZE);
  SatWin.menuH = GetSystemMetrics(SM_CYMENU);
  SatWin.frameW = GetSystemMetrics(SM_CXFRAME);
  SatWin.frameH = GetSystemMetrics(SM_CYFRAME);
  SatWin.fullW = GetSystemMetrics(SM_CXFULLSCREEN);
  SatWin.fullH = GetSystemMetrics(SM_CYFULLSCREEN);
  SatWin.screenW = GetSystemMetrics(SM_CXSCREEN);
  SatWin.screenH = GetSystemMetrics(SM_CYSCREEN);
  SatWin.edgeW = GetSystemMetrics(SM_CXEDGE);
  SatWin.edgeH = GetSystemMetrics(SM_CYEDGE);
  SatFrame.fullW = SatWin.fullW;
  SatFrame.fullH = SatWin.fullH;
  HDC dc = GetDC(nullptr);
  TEXTMETRICA tm;
  if (dc && GetTextMetricsA(dc, &tm)) {
    SatWin.charW = tm.tmAveCharWidth;
    SatWin.charMaxW = tm.tmMaxCharWidth;
    SatWin.charH = tm.tmHeight;
  }
  if (dc) ReleaseDC(nullptr, dc);
  snprintf(SatWin.title, sizeof SatWin.title, "%s %s %s", SatDisplayName(), QUIL_VERSION, QUIL_VERSION_TAG);
}

int ProgDrive() { return ProgDriveFrom(GetCommandLineA(), SatFrame.progDrive); }

int RunProgram(const char* program, const char* argument) {
  if (!RunCommandLine(SatWin.cmdLine, sizeof SatWin.cmdLine, program, argument)) return 0;
  STARTUPINFOA si;
  memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  memset(&pi, 0, sizeof pi);
  BOOL ok = CreateProcessA(nullptr, SatWin.cmdLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  if (ok) {
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  return ok ? 1 : 0;
}

INT_PTR CALLBACK ToolbarProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      if (!SatSetup.texttoolbar) {
        for (int i = 0; i < Prog().buttonCount && i < 16; ++i) {
          HWND b = GetDlgItem(dialog, Prog().buttons[i].id);
          if (b && SatWin.bitmaps[i]) SendMessageA(b, BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)SatWin.bitmaps[i]);
        }
      }
      return TRUE;
    case WM_COMMAND:
      SendMessageA(SatWin.main, WM_COMMAND, LOWORD(wParam), 0);
      return TRUE;
    default:
      return FALSE;
  }
}

void ToolbarPlace() {
  SatWin.toolbar = CreateDialogParamA(SatWin.inst, SatSetup.texttoolbar ? "TOOLBAR1" : "TOOLBAR2", SatWin.main,
                                      ToolbarProc, 0);
  int btnW = 40, btnH = 30;
  if (SatWin.toolbar) {
    RECT r;
    HWND go = GetDlgItem(SatWin.toolbar, GoId());
    if (go && GetWindowRect(go, &r)) {
      btnW = r.right - r.left;
      btnH = r.bottom - r.top;
    }
  }
  int width = (int)strlen(SatWin.title) * SatWin.charW + btnW + 4 * SatWin.capBtnW;
  if (width < btnW * 124 / 24) width = btnW * 124 / 24;
  int height = SatWin.capH + 2 * SatWin.frameH + btnH + 10;
  int l = SlotInt("lft="), t = SlotInt("top="), r = SlotInt("rgt=");
  if (l > 0 && t > 0)
    MoveWindow(SatWin.main, l, t, r - l, height, FALSE);
  else
    MoveWindow(SatWin.main, 3 * SatWin.frameW, height, width, height, FALSE);
}

void SatCloseAfterRun() {
  if (SatWin.main) PostMessageA(SatWin.main, WM_SAT_CLOSE, 0, 0);
}

void SatMainQuit() { SaveAndQuit(SatWin.main); }

namespace {

// The program's modeless dialogs take their own keys first.
int DialogMessage(MSG* m) {
  if (!SatWin.win->dialogs) return SatWin.display && IsDialogMessageA(SatWin.display, m);
  for (HWND* const* d = SatWin.win->dialogs; *d; ++d)
    if (**d && IsDialogMessageA(**d, m)) return 1;
  return 0;
}

}  // namespace

int SatWinMain(HINSTANCE instance, const SatWinProgram* win, void* st) {
  SatWin = SatWinState();
  SatWin.inst = instance;
  SatWin.win = win;
  SatProgramSet(win->prog, st);
  HostSet(win->host ? win->host : &kFrameHost);
  SatDisplaySet(&kFrameDisplay);

  WinStart();
  SatFrame.startFail = UsfMainRead();
  if (win->started) win->started();

  HWND main = WinCreate(instance, MainProc);
  if (!main) return 1;
  if (win->placed) win->placed(main);
  ShowWindow(main, SW_SHOWNORMAL);
  UpdateWindow(main);
  SetFocus(main);
  if (SatWin.goAtStart && !SatFrame.startFail) PostMessageA(main, WM_COMMAND, (WPARAM)GoId(), 0);

  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    if (DialogMessage(&m)) continue;
    if (SatWin.accel && SatWin.main && TranslateAcceleratorA(SatWin.main, SatWin.accel, &m)) continue;
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  BitmapsFree();
  if (win->ended) win->ended();
  return (int)m.wParam;
}
