// QUILHPGL7.EXE: the HPGL plotter. The engine (settings, geometry, HP-GL
// writer, walk, texts) is platform-free; this is its window, its four setup
// dialogs, the help list and the progress dialog.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host.h"
#include "plot.h"
#include "plothelp.h"
#include "q7tlcrw.h"
#include "satframe.h"
#include "satlib.h"
#include "satsetup.h"

namespace {

enum {
  CMD_HELP = 10, CMD_RUN = 11, CMD_SETUP = 12, CMD_PARAMS = 13, CMD_PAPER = 14, CMD_LAYERS = 15, CMD_GO = 16,
  IDC_LIST = 123, IDC_FIT_CELL = 121, IDC_MAX_SCALE = 1119, IDC_ROTATE = 1123, IDC_FIT_PAPER = 1118,
  IDC_CENTER = 1094, IDC_LOWER_LEFT = 1104, IDC_HELP_LIST = 1000,
};

const SatButton kButtons[] = {
    {CMD_HELP, "Help", "MXPHELP"},   {CMD_RUN, "Run", "MRUN"},       {CMD_SETUP, "Setup", "MSETUP"},
    {CMD_PARAMS, "Param", "MPARAMS"}, {CMD_PAPER, "Paper", "MPAPER"}, {CMD_LAYERS, "Layers", "MLAYERS"},
    {CMD_GO, "Go", "MGO"},
};

SatProgram kProg = {
    "QuilHpgl", "QuilHpgl7", "QUILHPGL", "QUILHPGLAC", "QUILHPGL.HTM",
    "Max Cell Collection: %d Cells\n\nMax Objects/Cell:\n    5000000 Boxes\n    2500000 Paths\n    12500000 "
    "Vertices\n    %d Cells",
    {8190, 1000000}, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, kButtons, 7, &SatEditionEditor,
    "Abort Plot ... OK ?",
};

struct HpglWinState {
  int running = 0;
  unsigned polls = 0;
  char args[512] = "";
};
HpglWinState W;
PlotState Plot;  // the program's one plot state

// ---- host seam ----

int HostMsg(const char* text, const char* caption, int kind, int type) {
  const char* cap = "QuilHpgl";
  UINT icon = 0;
  switch (kind) {
    case HOST_CAP_ERROR: cap = "Error ..."; icon = MB_ICONERROR; break;
    case HOST_CAP_WARNING: cap = "Warning ..."; icon = MB_ICONWARNING; break;
    case HOST_CAP_OWN: if (caption) cap = caption; break;
    default: break;
  }
  return MsgBoxShow(SatOwner(), text, cap, (UINT)type | icon);
}

void HostNoStatus(const char*) {}
void HostNoProgress(long, long) {}

// Looked at after every object: the key state is cheap; the progress
// dialog's own messages are let through now and then so its Cancel works.
int HostAbort() {
  if (W.running && (++W.polls & 1023) == 0) {
    MSG m;
    while (PeekMessageA(&m, SatWin.display, 0, 0, PM_REMOVE)) {
      if (!SatWin.display || !IsDialogMessageA(SatWin.display, &m)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
      }
    }
  }
  if (!(GetAsyncKeyState(VK_ESCAPE) & 0x8000)) return 0;
  return MsgBoxShow(SatOwner(), "Abort Plot ... OK ?", "Pause ...", MB_YESNO) == IDYES;
}

void HostPauseFor(int ms) { PauseShow(SatOwner(), ms); }

const HostOps kHost = {HostMsg, HostNoStatus, HostNoProgress, HostAbort, HostPauseFor};

void Status(int id, const char* text) { StatusShow(id, text); }

// ---- dialogs ----

void Fill(HWND dialog, int id, int key) { SetDlgItemTextA(dialog, id, Plot.set.v[key]); }
void Take(HWND dialog, int id, int key) { GetDlgItemTextA(dialog, id, Plot.set.v[key], PLOT_TEXT); }
void Check(HWND dialog, int id, int key) {
  CheckDlgButton(dialog, id, Plot.set.v[key][0] == 'Y' ? BST_CHECKED : BST_UNCHECKED);
}
void TakeCheck(HWND dialog, int id, int key) {
  snprintf(Plot.set.v[key], PLOT_TEXT, "%s", IsDlgButtonChecked(dialog, id) == BST_CHECKED ? "Y" : "N");
}

const int kSetupEdits[][2] = {{100, PK_CLN}, {105, PK_PFN}, {106, PK_TFN}, {113, PK_WLF},
                              {114, PK_WBT}, {115, PK_WRT}, {116, PK_WTP}, {108, PK_PSC}};

void SetupWindowFill(HWND dialog) {
  for (int k = 3; k < 7; ++k) Fill(dialog, kSetupEdits[k][0], kSetupEdits[k][1]);
}

// Max Scale and Go need a window with area and a drawing scale.
int GeometryUsable() { return PlotGeometry(Plot) == 0 && Plot.geom.valid && Plot.geom.maxScale > 0; }

INT_PTR CALLBACK SetupProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  if (SatDlgCancel(dialog, msg, wParam)) return TRUE;
  if (msg == WM_INITDIALOG) {
    for (const auto& e : kSetupEdits) Fill(dialog, e[0], e[1]);
    Check(dialog, IDC_ROTATE, PK_ROT);
    return TRUE;
  }
  if (msg != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK:
      for (const auto& e : kSetupEdits) Take(dialog, e[0], e[1]);
      TakeCheck(dialog, IDC_ROTATE, PK_ROT);
      SetupApply(Plot);
      PlotGeometry(Plot);
      EndDialog(dialog, 1);
      return TRUE;
    case IDC_LIST:
      if (DialogBoxParamA(SatWin.inst, "ANYLIST", dialog, AnyListProc, 0) == 1)
        SetDlgItemTextA(dialog, 100, SatFrame.shared);
      return TRUE;
    case IDC_FIT_CELL: {
      char cell[PLOT_TEXT];
      GetDlgItemTextA(dialog, 100, cell, sizeof cell);
      FitToCell(Plot, cell);
      SetupApply(Plot);
      SetupWindowFill(dialog);
      return TRUE;
    }
    case IDC_MAX_SCALE:
      for (int k = 3; k < 8; ++k) Take(dialog, kSetupEdits[k][0], kSetupEdits[k][1]);
      TakeCheck(dialog, IDC_ROTATE, PK_ROT);
      SetupApply(Plot);
      if (GeometryUsable()) {
        PlotNumText(Plot.set.v[PK_PSC], PLOT_TEXT, Plot.geom.maxScale / Plot.set.lam, 9);
        Fill(dialog, 108, PK_PSC);
        PlotGeometry(Plot);
      }
      return TRUE;
    default:
      return FALSE;
  }
}

const int kParamEdits[][2] = {{1083, PK_TSR}, {1084, PK_PTS}, {1089, PK_MSZ}, {1090, PK_LAM},
                              {1091, PK_OPN}, {1092, PK_VEL}, {1120, PK_INI}, {1121, PK_FIN}};
const int kParamChecks[][2] = {{1085, PK_PPM}, {1086, PK_RET}, {1087, PK_PCL}, {1088, PK_DOL}};

INT_PTR CALLBACK ParamsProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  if (SatDlgCancel(dialog, msg, wParam)) return TRUE;
  if (msg == WM_INITDIALOG) {
    for (const auto& e : kParamEdits) Fill(dialog, e[0], e[1]);
    for (const auto& e : kParamChecks) Check(dialog, e[0], e[1]);
    return TRUE;
  }
  if (msg == WM_COMMAND && LOWORD(wParam) == IDOK) {
    for (const auto& e : kParamEdits) Take(dialog, e[0], e[1]);
    for (const auto& e : kParamChecks) TakeCheck(dialog, e[0], e[1]);
    ParamsApply(Plot);
    EndDialog(dialog, 1);
    return TRUE;
  }
  return FALSE;
}

const int kPaperEdits[][2] = {{1093, PK_PSU}, {1095, PK_PSZ}, {1096, PK_DSZ}, {1097, PK_FSZ}, {1098, PK_BDR},
                              {1100, PK_PBM}, {1101, PK_PLM}, {1102, PK_PTM}, {1103, PK_PRM}};

void PaperFill(HWND dialog) {
  for (const auto& e : kPaperEdits) Fill(dialog, e[0], e[1]);
  int center = Plot.set.v[PK_ORG][0] == 'C';
  CheckRadioButton(dialog, IDC_CENTER, IDC_LOWER_LEFT, center ? IDC_CENTER : IDC_LOWER_LEFT);
}

void OriginTake(HWND dialog) {
  snprintf(Plot.set.v[PK_ORG], PLOT_TEXT, "%s", IsDlgButtonChecked(dialog, IDC_CENTER) == BST_CHECKED ? "C" : "L");
}

INT_PTR CALLBACK PaperProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  if (SatDlgCancel(dialog, msg, wParam)) return TRUE;
  if (msg == WM_INITDIALOG) {
    PaperFill(dialog);
    return TRUE;
  }
  if (msg != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK:
      for (const auto& e : kPaperEdits) Take(dialog, e[0], e[1]);
      OriginTake(dialog);
      PaperApply(Plot);
      EndDialog(dialog, 1);
      return TRUE;
    case IDC_FIT_PAPER:
      Take(dialog, 1095, PK_PSZ);
      Take(dialog, 1098, PK_BDR);
      OriginTake(dialog);
      PaperApply(Plot);
      PaperFill(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK LayersProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_CLOSE || (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, 0);
    return TRUE;
  }
  if (msg == WM_INITDIALOG) {
    for (int r = 0; r < PLOT_ROWS; ++r)
      for (int c = 0; c < 4; ++c) Fill(dialog, 2000 + 100 * c + r, PK_L0 + 16 * c + r);
    return TRUE;
  }
  if (msg == WM_COMMAND && LOWORD(wParam) == IDOK) {
    for (int r = 0; r < PLOT_ROWS; ++r)
      for (int c = 0; c < 4; ++c) Take(dialog, 2000 + 100 * c + r, PK_L0 + 16 * c + r);
    LayerTableBuild(Plot);
    EndDialog(dialog, 1);
    return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK HelpProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  if (SatDlgCancel(dialog, msg, wParam)) return TRUE;
  if (msg == WM_INITDIALOG) {
    HWND list = GetDlgItem(dialog, IDC_HELP_LIST);
    for (int i = 0; i < PLOT_HELP_LINES; ++i) SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)PlotHelpText[i]);
    return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK DisplayProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) != IDCANCEL) return FALSE;
      if (MsgBoxShow(dialog, "Aborting Plot ... OK ?", "QuilHpgl", MB_YESNO) == IDYES) Plot.abortFlag = 1;
      return TRUE;
    case WM_CLOSE:
      if (MsgBoxShow(dialog, "Aborting Plot ... OK ?", "QuilHpgl", MB_YESNO) == IDYES) {
        Plot.abortFlag = 1;
        DestroyWindow(dialog);
        SatWin.display = nullptr;
      }
      return TRUE;
    default:
      return FALSE;
  }
}

// ---- commands ----

void CmdGo() {
  SatWin.display = CreateDialogParamA(SatWin.inst, "DISPLAY", SatWin.main, DisplayProc, 0);
  if (!SatWin.display) return;
  ShowWindow(SatWin.display, SW_SHOWNORMAL);
  UpdateWindow(SatWin.display);
  W.running = 1;
  Plot.abortFlag = 0;
  if (HostAbortPoll())
    Plot.abortFlag = 1;
  else
    PauseShow(SatWin.display, 10);
  int result = Plot.abortFlag ? 0 : PlotRun(Plot);
  ShowWindow(SatWin.main, SW_RESTORE);
  if (SatWin.display) DestroyWindow(SatWin.display);
  SatWin.display = nullptr;
  SetWindowTextA(SatWin.main, "QuilHpgl");
  char text[SAT_TEXT_SIZE];
  PlotClosing(Plot, result, text, sizeof text);
  LogNote(text);
  TlcStoreReset();
  W.running = 0;
}

int Command(void*, HWND hwnd, int id) {
  switch (id) {
    case CMD_SETUP:
      DialogBoxParamA(SatWin.inst, "SETUP", hwnd, SetupProc, 0);
      Plot.setupChanged = 0;
      return 1;
    case CMD_PARAMS:
    case CMD_PAPER:
      DialogBoxParamA(SatWin.inst, id == CMD_PARAMS ? "PARAMS" : "PAPER", hwnd,
                      id == CMD_PARAMS ? ParamsProc : PaperProc, 0);
      Plot.setupChanged = 1;
      PlotSetupCheck(Plot);
      return 1;
    case CMD_LAYERS:
      DialogBoxParamA(SatWin.inst, "LAYERS", hwnd, LayersProc, 0);
      PlotSetupCheck(Plot);
      return 1;
    case CMD_GO:
      if (PlotSetupCheck(Plot) || SatFrame.startFail) return 1;
      CmdGo();
      return 1;
    default:
      return 0;
  }
}

int Busy() { return W.running; }

// Help shows the plotter's own help list, not the help file.
int Message(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
  if (msg != WM_COMMAND || LOWORD(wParam) != CMD_HELP) return 0;
  if (!W.running) DialogBoxParamA(SatWin.inst, "HELPLIST", hwnd, HelpProc, 0);
  return 1;
}

// Closing asks nothing of a run: the DISPLAY dialog's own question stops it.
int CloseRefused(HWND, UINT) { return W.running; }

void SettingsRead() {
  Plot.scale = SatSetup.scale;
  snprintf(Plot.physunit, sizeof Plot.physunit, "%s", SatSetup.physunit);
  HpglUsfRead(Plot);
}

void SettingsSave(HWND) {
  if (!SatFrame.startFail) HpglUsfWrite(Plot);
}

void Created(void*) {
  PlotArguments(Plot, W.args);
  MsgBoxShow(SatWin.main, "Please do Main Setup First ...", "Initial Setup ...", MB_OK);
}

void Started() {
  Plot.scale = SatSetup.scale;
  snprintf(Plot.physunit, sizeof Plot.physunit, "%s", SatSetup.physunit);
  PlotUseStore(Plot);
  Plot.walk.status = Status;
}

// Seven buttons: the window is at least 208/24 of the Go button wide.
void Placed(HWND main) {
  RECT go, wr;
  HWND button = SatWin.toolbar ? GetDlgItem(SatWin.toolbar, CMD_GO) : nullptr;
  if (!button || !GetWindowRect(button, &go) || !GetWindowRect(main, &wr)) return;
  int least = (go.right - go.left) * 208 / 24;
  if (wr.right - wr.left < least) MoveWindow(main, wr.left, wr.top, least, wr.bottom - wr.top, FALSE);
}

SatWinProgram WinTable() {
  SatWinProgram w = {};
  w.prog = &kProg;
  w.command = Command;
  w.created = Created;
  w.host = &kHost;
  w.started = Started;
  w.settingsRead = SettingsRead;
  w.settingsSave = SettingsSave;
  w.busy = Busy;
  w.message = Message;
  w.placed = Placed;
  w.closeRefused = CloseRefused;
  return w;
}
const SatWinProgram kWin = WinTable();

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR args, int) {
  snprintf(W.args, sizeof W.args, "%s", args ? args : "");
  return SatWinMain(instance, &kWin, &Plot);
}
