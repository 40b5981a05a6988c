// QUIL3D7.EXE: the 3D view builder on the common satellite frame. The engine
// (settings, projection, element loop, legend, run) is platform-free; this
// is its setup dialog, its help list and its Go.
#include <windows.h>

#include <cstdio>

#include "cnvcommon.h"
#include "q3d.h"
#include "satframe.h"
#include "satres.h"
#include "satsetup.h"

namespace {

enum {
  IDC_FILE = 100, IDC_SPACING = 101, IDC_ZANGLE = 102, IDC_XANGLE = 103, IDC_OLD = 104, IDC_BROWSE = 106,
  IDC_LAYER0 = 501, IDC_HELPLIST = 1000, IDC_HELPCAPTION = 1001, ID_GO = 13,
};

StackState* Stack = nullptr;  // the program's one state (large: on the heap)

void ApplyHook(void*, int check) { StackSetupApply(*Stack, check); }

int Run(void*) { return StackRun(*Stack) != STACK_ABORTED; }

void Closing(void*, int result, char* text, size_t size) {
  if (!result && Stack->outcome != STACK_ABORTED) Stack->outcome = STACK_ABORTED;
  StackResultText(*Stack, text, size);
}

const SatButton kButtons[] = {
    {SAT_ID_HELP, "Help", "MXPHELP"}, {SAT_ID_RUN, "Run", "MRUN"}, {SAT_ID_SETUP, "Setup", "MSETUP"},
    {ID_GO, "Go", "MGO"},
};

SatProgram kProg = {
    "Quil3D", "QUIL3D7", "QUIL3D", "QUIL3DAC", "", "Max Vertex %d\nMax Cells %d", {1024, 512}, StackKeys,
    StackDefaults, nullptr, ApplyHook, Run, Closing, kButtons, 4, &SatEditionPlain, "Aborting ... OK ?",
};

const char* const kHelp[] = {
    "Quil3D converts a flat 2-D TLC cell into a 3-D view cell,",
    "a picture of stacked layers for presentations.",
    "",
    "It does not model device structures: every layer is drawn",
    "flat, lifted to its place in the stack.",
    "",
    "It works only on the boxes, paths and texts of the cell.",
    "Lower cells placed in it are left out: flatten nested",
    "cells first with the cell flattener.",
    "",
    "Axes: X points right, Y points up, Z points out of the",
    "drawing plane.",
    "",
    "Layer List: the layers to draw and their stacking order,",
    "entry 1 at the bottom and upward from there. A blank",
    "entry leaves a gap in the stack; a layer not listed is",
    "left out.",
    "",
    "Spacing: the distance between stacked layers, in",
    "physical units.",
    "",
    "Z Angle: the rotation about the Z axis, in degrees.",
    "X Angle: the tilt about the X axis, in degrees.",
    "Usual values are 45 and 60 degrees.",
    "",
    "The new cell file has \"_3D\" appended to the cell name",
    "and carries a legend of the layer numbers.",
    "",
    "Use Import to register the new cell in the drawing.",
};

// ---- HELPLIST ----

INT_PTR CALLBACK HelpDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  if (SatDlgCancel(dialog, msg, wParam)) return TRUE;
  if (msg != WM_INITDIALOG) return FALSE;
  SetDlgItemTextA(dialog, IDC_HELPCAPTION, "Quil3D Help");
  HWND list = GetDlgItem(dialog, IDC_HELPLIST);
  for (const char* line : kHelp) SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)line);
  return TRUE;
}

// ---- SETUP ----

const int kEdits[] = {IDC_FILE, IDC_SPACING, IDC_ZANGLE, IDC_XANGLE};
const int kChecks[] = {IDC_OLD};

INT_PTR CALLBACK StackSetupDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  if (SatDlgCancel(dialog, msg, wParam)) return TRUE;
  switch (msg) {
    case WM_INITDIALOG:
      SatSlotsShow(dialog, kEdits, 4, kChecks, 1, STACK_OLD);
      for (int k = 0; k < STACK_LAYERS; ++k) SetDlgItemTextA(dialog, IDC_LAYER0 + k, Stack->layerText[k]);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_BROWSE:
          SatBrowse(dialog, IDC_FILE, "TLC Files\0*.tlc\0All Files\0*.*\0", "TLC Files");
          return TRUE;
        case IDOK:
          SatSlotsTake(dialog, kEdits, 4, kChecks, 1, STACK_OLD);
          for (int k = 0; k < STACK_LAYERS; ++k)
            GetDlgItemTextA(dialog, IDC_LAYER0 + k, Stack->layerText[k], SAT_SLOT_SIZE);
          StackSetupApply(*Stack, 1);
          EndDialog(dialog, 1);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

// ---- DISPLAY ----

INT_PTR CALLBACK StackDisplayDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      SatWin.display = dialog;
      SatWin.displayList = nullptr;
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        if (MsgBoxShow(dialog, "Aborting ... OK ?", "Quil3D", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES)
          SatFrame.abortFlag = 1;
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      return TRUE;  // closes with the run
    default:
      return FALSE;
  }
}

// Help shows the program's own help list.
int Message(HWND main, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_COMMAND && LOWORD(wParam) == SAT_ID_HELP) {
    if (!SatWin.display) DialogBoxParamA(SatWin.inst, "HELPLIST", main, HelpDlgProc, 0);
    return 1;
  }
  return 0;
}

const SatWinProgram kWin = [] {
  SatWinProgram w = {&kProg, StackSetupDlgProc, StackDisplayDlgProc, nullptr, nullptr, nullptr, nullptr};
  w.crfRead = CrfMissing;
  w.message = Message;
  return w;
}();

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  Stack = new StackState();
  kProg.lists = StackLists(*Stack);
  int r = SatWinMain(instance, &kWin, Stack);
  delete Stack;
  return r;
}
