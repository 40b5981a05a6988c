// QUILCODE7.EXE: files to UU or Base64 text and back, and their check sums,
// on the common satellite frame. The coders are the platform-free engine
// (quilcode.h); this file holds the setup dialog, the Show Code display,
// the help list and the Go command.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "cnvcommon.h"
#include "host.h"
#include "quilcode.h"
#include "satframe.h"
#include "satres.h"
#include "satsetup.h"
#include "satutil.h"
#include "version.h"

namespace {

enum {
  ID_GO = 13,
  IDC_BROWSE = 102,
  IDC_INPUT = 110,
  IDC_OUTPUT = 111,
  IDC_SHOW = 201,
  IDC_ENCODE = 1008,
  IDC_DECODE = 1009,
  IDC_CRC = 1010,
  IDC_TEXT = 1011,
  IDC_BINARY = 1012,
  IDC_UU = 1013,
  IDC_B64 = 1014,
  IDC_OUTLABEL = 1015,
  IDC_HELPLIST = 1000,
  IDC_LINE0 = 501,
};

const char* const kKeys[] = {"lft=", "top=", "rgt=", "bot=", nullptr};

const SatButton kButtons[] = {
    {SAT_ID_HELP, "Help", "MXPHELP"},
    {SAT_ID_RUN, "Run", "MRUN"},
    {SAT_ID_SETUP, "Setup", "MSETUP"},
    {ID_GO, "Go", "MGO"},
};

const SatProgram kProgram = {
    "QuilCode",
    "QuilCode7",
    "QUILCODE",
    "QUILCODEAC",
    "",
    "",
    {0, 0},
    kKeys,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    kButtons,
    (int)(sizeof kButtons / sizeof kButtons[0]),
    &SatEditionPlain,
    "Aborting Conversion ... OK?",
};

const char* const kHelp[] = {
    "QuilCode turns a file into printable 7-bit text and back, so that a",
    "layout can pass through mail, and sums a file so that both ends can",
    "compare it.",
    "",
    "Setup: choose the input file, the action and the coding.",
    "  Encode writes <name>.uue (UU) or <name>.B64 (Base64) in the",
    "  output path.",
    "  Decode of UU writes the file named in its \"begin\" line into the",
    "  output path; decode of Base64 writes the output file (a name of",
    "  \"*\" takes the input's name).",
    "  CRC sums the input in Text or Binary mode.",
    "  Show Code shows the lines as they are coded; Esc then asks to",
    "  abort.",
    "Go runs the action and shows the check sum and the length.",
    "",
    "UU: a \"begin 644 name\" line, lines of up to 45 bytes as 60",
    "characters after a length character, a line holding \"`\" and",
    "\"end\". Base64: lines of 64 characters for 48 bytes, \"=\" filling",
    "the last group; no name and no header.",
    "",
    "The check sum is the CRC of POSIX cksum. In Binary mode it equals",
    "what cksum gives. In Text mode every run of blanks, tabs and line",
    "ends counts as one blank and the text as beginning and ending with",
    "one, so the same text sums alike whatever its line ends and spacing.",
    "",
    "A decode that fails or is aborted leaves no output behind and an",
    "existing file as it was.",
};

struct CodeWinState {
  HWND display = nullptr;
};
CodeWinState CodeWin;
CodeState Code;  // the program's one coder state, which its dialogs fill

// ---- the Show Code display ----------------------------------------------------

void DisplayLines(const char lines[][CODE_SHOW_WIDTH + 1], int count) {
  if (!CodeWin.display) return;
  for (int k = 0; k < CODE_SHOW_LINES; ++k)
    SetDlgItemTextA(CodeWin.display, IDC_LINE0 + k, k < count ? lines[k] : "");
}

void DisplayTitle(const char* text) {
  if (CodeWin.display) SetWindowTextA(CodeWin.display, text);
}

void DisplayGone() {
  CodeWin.display = nullptr;
  SatWin.display = nullptr;
}

INT_PTR CALLBACK DisplayDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) != IDCANCEL) return FALSE;
      [[fallthrough]];  // Cancel closes it
    case WM_CLOSE:
      DestroyWindow(dialog);
      DisplayGone();
      return TRUE;
  }
  return FALSE;
}

// ---- Go -----------------------------------------------------------------------

void Go(CodeState* st, HWND main) {
  if (!st->setupDone) {
    ErrorShow("??? ... Please do Setup");
    return;
  }
  if (st->showCode && st->action != CODE_CRC) {
    CodeWin.display = CreateDialogParamA(SatWin.inst, "DISPLAY", main, DisplayDlgProc, 0);
    SatWin.display = CodeWin.display;
    if (CodeWin.display) {
      for (int k = 0; k < CODE_SHOW_LINES; ++k) SetDlgItemTextA(CodeWin.display, IDC_LINE0 + k, "");
      ShowWindow(CodeWin.display, SW_SHOWNORMAL);
    }
  }
  st->show = DisplayLines;
  st->title = DisplayTitle;
  int shown = st->showCode;
  // Show Code only shows during a coder's run.
  if (!CodeWin.display) st->showCode = 0;
  SatFrame.running = 1;
  int result = CodeRun(st);
  SatFrame.running = 0;
  st->showCode = shown;
  char text[SAT_TEXT_SIZE];
  CodeResultText(st, result, text, sizeof text);
  LogNote(text);
  if (CodeWin.display) DestroyWindow(CodeWin.display);
  DisplayGone();
}

// ---- SETUP --------------------------------------------------------------------

void SetupEnable(HWND dialog) {
  int code = Code.action != CODE_CRC;
  EnableWindow(GetDlgItem(dialog, IDC_TEXT), !code);
  EnableWindow(GetDlgItem(dialog, IDC_BINARY), !code);
  EnableWindow(GetDlgItem(dialog, IDC_OUTPUT), code);
  EnableWindow(GetDlgItem(dialog, IDC_UU), code);
  EnableWindow(GetDlgItem(dialog, IDC_B64), code);
  SetDlgItemTextA(dialog, IDC_OUTLABEL, CodeOutputLabel(Code.action, Code.base64));
}

// The output follows the input as the action and coding want it.
void OutputFollow(HWND dialog) {
  char input[CODE_PATHLEN], output[CODE_PATHLEN];
  GetDlgItemTextA(dialog, IDC_INPUT, input, sizeof input);
  CodeOutputDerive(input, Code.action, Code.base64, output, sizeof output);
  SetDlgItemTextA(dialog, IDC_OUTPUT, output);
}

INT_PTR CALLBACK SetupDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      SetDlgItemTextA(dialog, IDC_INPUT, Code.input);
      SetDlgItemTextA(dialog, IDC_OUTPUT, SatFrame.startFolder);
      CheckRadioButton(dialog, IDC_ENCODE, IDC_CRC, IDC_ENCODE + Code.action - 1);
      CheckRadioButton(dialog, IDC_UU, IDC_B64, Code.base64 ? IDC_B64 : IDC_UU);
      CheckRadioButton(dialog, IDC_TEXT, IDC_BINARY, Code.textMode ? IDC_TEXT : IDC_BINARY);
      CheckDlgButton(dialog, IDC_SHOW, Code.showCode ? BST_CHECKED : BST_UNCHECKED);
      SetupEnable(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_ENCODE:
        case IDC_DECODE:
        case IDC_CRC:
          Code.action = LOWORD(wParam) - IDC_ENCODE + 1;
          SetupEnable(dialog);
          OutputFollow(dialog);
          return TRUE;
        case IDC_UU:
        case IDC_B64:
          Code.base64 = LOWORD(wParam) == IDC_B64;
          SetupEnable(dialog);
          OutputFollow(dialog);
          return TRUE;
        case IDC_BROWSE:
          if (SatBrowse(dialog, IDC_INPUT, "All Files\0*.*\0", "Files to Code")) OutputFollow(dialog);
          return TRUE;
        case IDOK:
          GetDlgItemTextA(dialog, IDC_INPUT, Code.input, sizeof Code.input);
          GetDlgItemTextA(dialog, IDC_OUTPUT, Code.output, sizeof Code.output);
          Code.showCode = IsDlgButtonChecked(dialog, IDC_SHOW) == BST_CHECKED;
          Code.textMode = IsDlgButtonChecked(dialog, IDC_TEXT) == BST_CHECKED;
          Code.base64 = IsDlgButtonChecked(dialog, IDC_B64) == BST_CHECKED;
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
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

// ---- HELPLIST -----------------------------------------------------------------

INT_PTR CALLBACK HelpDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  if (SatDlgCancel(dialog, msg, wParam)) return TRUE;
  if (msg != WM_INITDIALOG) return FALSE;
  HWND list = GetDlgItem(dialog, IDC_HELPLIST);
  for (const char* line : kHelp) SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)line);
  return TRUE;
}

// ---- the main window ----------------------------------------------------------

// Commands wait for the run, even when its display was closed during it.
int Busy() { return SatFrame.running || CodeWin.display != nullptr; }

int Command(void* engine, HWND main, int id) {
  CodeState* st = static_cast<CodeState*>(engine);
  switch (id) {
    case SAT_ID_SETUP:
      DialogBoxParamA(SatWin.inst, "SETUP", main, SetupDlgProc, 0);
      st->setupDone = 1;  // OK or Cancel
      return 1;
    case ID_GO:
      Go(st, main);
      return 1;
  }
  return 0;
}

int Message(HWND main, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_CHAR && wParam == 1) {
    char text[SAT_TEXT_SIZE];
    snprintf(text, sizeof text, "Version %s %s%s", QUIL_VERSION, QUIL_VERSION_TAG,
             SatSetup.winemods ? "\n\nWine Mode is On" : "");
    MsgBoxShow(main, text, "Allocation", 0);
    return 1;
  }
  if (msg == WM_COMMAND && LOWORD(wParam) == SAT_ID_HELP) {
    if (!Busy()) DialogBoxParamA(SatWin.inst, "HELPLIST", main, HelpDlgProc, 0);
    return 1;
  }
  return 0;
}

int NoCrf() { return 0; }  // the coder needs no cell collection

void SettingsRead() { CodeUsfRead(); }

void SettingsSave(HWND main) {
  RECT r;
  GetWindowRect(main, &r);
  const int v[4] = {(int)r.left, (int)r.top, (int)r.right, (int)r.bottom};
  for (int k = 0; k < 4; ++k) snprintf(UsfSlot(k), SAT_SLOT_SIZE, "%d", v[k]);
  if (!SatFrame.startFail) CodeUsfWrite();
}

HWND* const kDialogs[] = {&CodeWin.display, nullptr};

SatWinProgram MakeWin() {
  SatWinProgram w = {&kProgram, SetupDlgProc, DisplayDlgProc, nullptr, Command, nullptr, nullptr};
  w.crfRead = NoCrf;
  w.settingsRead = SettingsRead;
  w.settingsSave = SettingsSave;
  w.message = Message;
  w.busy = Busy;
  w.dialogs = kDialogs;
  return w;
}

const SatWinProgram kWin = MakeWin();

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) {
  CodeReset(&Code);
  CodeWin = CodeWinState();
  // An input file may be named on the command line.
  char arg[CNV_PATHLEN + 1];
  if (CnvArgTake(cmdLine, arg, sizeof arg)) snprintf(Code.input, sizeof Code.input, "%s", arg);
  return SatWinMain(instance, &kWin, &Code);
}
