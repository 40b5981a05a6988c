// QUILMX7.EXE: the matrix router on the common satellite frame. The engine
// (settings, node list, tracks, buses, run) is platform-free; this is its
// setup and omit dialogs, its tool bar and its Go.
#include <windows.h>

#include <cstdio>

#include "mx.h"
#include "satframe.h"
#include "satres.h"
#include "satsetup.h"
#include "satutil.h"

namespace {

enum {
  ID_OMIT = 13, ID_GO = 14,
  IDC_CELL = 100, IDC_BASE_LABEL = 133, IDC_LOW_LABEL = 127, IDC_HIGH_LABEL = 128,
  IDC_LIST = 402, IDC_NODBROWSE = 403, IDC_ENDBROWSE = 404, IDC_RESBROWSE = 405,
  IDC_PATHS = 115, IDC_BOXES = 116, IDC_SORT = 120, IDC_SHORT = 121, IDC_LONG = 122, IDC_HORIZ = 123,
  IDC_VERT = 124, IDC_POS = 125, IDC_NEG = 126, IDC_EXTEND = 129, IDC_STEP = 130, IDC_OMIT0 = 300,
};

MxState* Mx = nullptr;  // the program's one router state (large: on the heap)

void ApplyHook(void*, int check) { MxSetupApply(*Mx, check); }

int Run(void*) { return MxRun(*Mx); }

void Closing(void*, int result, char* text, size_t size) {
  if (SatWin.main) ShowWindow(SatWin.main, SW_RESTORE);
  MxResultText(*Mx, result, text, size);
}

const SatButton kButtons[] = {
    {SAT_ID_HELP, "Help", "MXPHELP"}, {SAT_ID_RUN, "Run", "MRUN"}, {SAT_ID_SETUP, "Setup", "MSETUP"},
    {ID_OMIT, "Omit", "MOMIT"},        {ID_GO, "Go", "MGO"},
};

SatProgram kProg = {
    "QuilMx", "QuilMx7", "QUILMX", "QUILMXAC", "QUILMX.HTM", "", {0, 0}, MxKeys, MxDefaults, nullptr,
    ApplyHook, Run, Closing, kButtons, 5, &SatEditionPlain, "Aborting ... OK ?",
};

// ---- SETUP ----

// Edits 100..114 hold slots 0..14; every check and radio button its slot.
const int kEdits[15] = {100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114};
const int kChecks[18] = {115, 116, 117, 118, 119, 120, 121, 122, 123, 124, 125, 126, 127, 128, 129, 130, 131, 132};

void Labels(HWND dialog) {
  bool hor = IsDlgButtonChecked(dialog, IDC_HORIZ) == BST_CHECKED;
  SetDlgItemTextA(dialog, IDC_BASE_LABEL, hor ? "Base Y" : "Base X");
  SetDlgItemTextA(dialog, IDC_LOW_LABEL, hor ? "Left" : "Bottom");
  SetDlgItemTextA(dialog, IDC_HIGH_LABEL, hor ? "Right" : "Top");
  EnableWindow(GetDlgItem(dialog, IDC_STEP), IsDlgButtonChecked(dialog, IDC_EXTEND) == BST_CHECKED);
  bool sort = IsDlgButtonChecked(dialog, IDC_SORT) == BST_CHECKED;
  EnableWindow(GetDlgItem(dialog, IDC_SHORT), sort);
  EnableWindow(GetDlgItem(dialog, IDC_LONG), sort);
}

void Browse(HWND dialog, int edit, const char* filter, const char* title) {
  char folder[SAT_PATH_SIZE];
  GetCurrentDirectoryA(sizeof folder, folder);
  if (SatBrowse(dialog, edit, filter, title)) {
    char file[SAT_PATH_SIZE];
    GetDlgItemTextA(dialog, edit, file, sizeof file);
    SetDlgItemTextA(dialog, edit, PathFix(file));
  }
  SetCurrentDirectoryA(folder);
}

INT_PTR CALLBACK MxSetupDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  if (SatDlgCancel(dialog, msg, wParam)) return TRUE;
  switch (msg) {
    case WM_INITDIALOG:
      SatSlotsShow(dialog, kEdits, 15, kChecks, 18, MX_PATH);
      Labels(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_HORIZ:
        case IDC_VERT:
        case IDC_EXTEND:
        case IDC_SORT:
          Labels(dialog);
          return TRUE;
        case IDC_LIST:
          if (DialogBoxParamA(SatWin.inst, "ANYLIST", dialog, AnyListProc, 0) == 1)
            SetDlgItemTextA(dialog, IDC_CELL, SatFrame.shared);
          return TRUE;
        case IDC_NODBROWSE:
          Browse(dialog, 102, "NOD Files\0*.nod\0", "NOD Files");
          return TRUE;
        case IDC_ENDBROWSE:
          Browse(dialog, 103, "End TLC Files\0*.tlc\0", "End TLC Files");
          return TRUE;
        case IDC_RESBROWSE:
          Browse(dialog, 101, "Connected TLC Files\0*.tlc\0", "Connected TLC Files");
          return TRUE;
        case IDOK:
          SatSlotsTake(dialog, kEdits, 15, kChecks, 18, MX_PATH);
          MxSetupApply(*Mx, 1);
          EndDialog(dialog, 1);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

// ---- OMIT ----

INT_PTR CALLBACK MxOmitDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  if (SatDlgCancel(dialog, msg, wParam)) return TRUE;
  if (msg == WM_INITDIALOG) {
    for (int i = 0; i < MX_OMITS; ++i) SetDlgItemTextA(dialog, IDC_OMIT0 + i, Mx->omit[i]);
    return TRUE;
  }
  if (msg == WM_COMMAND && LOWORD(wParam) == IDOK) {
    for (int i = 0; i < MX_OMITS; ++i) GetDlgItemTextA(dialog, IDC_OMIT0 + i, Mx->omit[i], SAT_SLOT_SIZE);
    EndDialog(dialog, 1);
    return TRUE;
  }
  return FALSE;
}

int Command(void*, HWND main, int id) {
  if (id != ID_OMIT) return 0;
  DialogBoxParamA(SatWin.inst, "OMIT", main, MxOmitDlgProc, 0);
  return 1;
}

int Message(HWND main, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_CHAR && wParam == 1) {
    char text[SAT_TEXT_SIZE];
    snprintf(text, sizeof text,
             "Version %s %s\n\n%d Cells\n%d Max Connectors/Cell\n%d Max Node Buses\n%d Max Connector Buses%s",
             QUIL_VERSION, QUIL_VERSION_TAG, (int)MX_MAX_CELLS, (int)MX_CONNECTORS, (int)MX_MAX_BUSES + 1,
             (int)MX_MAX_CONN_BUSES + 1, SatSetup.winemods ? "\n\nWine Mode is On" : "");
    MsgBoxShow(main, text, "Allocation", 0);
    return 1;
  }
  return 0;
}

int CellListRead() { return SatCrfReadAs("QUIL7.CRF File Error ... Keeping Valid Cells"); }

const SatWinProgram kWin = [] {
  SatWinProgram w = {&kProg, MxSetupDlgProc, nullptr, nullptr, Command, nullptr, nullptr};
  w.crfRead = CellListRead;
  w.message = Message;
  return w;
}();

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  Mx = new MxState();
  kProg.lists = MxLists(*Mx);
  int r = SatWinMain(instance, &kWin, Mx);
  delete Mx;
  return r;
}
