// QUILFLAT7.EXE: the cell flattener on the common satellite frame.
#include <windows.h>

#include <cstdio>
#include <initializer_list>

#include "flatten.h"
#include "satframe.h"
#include "satsetup.h"
#include "satres.h"

namespace {

// The program's one flattener state.
FlatState Flat;

enum {
  IDC_CELL = 100, IDC_PATH = 101, IDC_LOG = 102, IDC_LAYERS = 103,
  IDC_FLATTEN = 104, IDC_SMASH = 105, IDC_KEEPALL = 106, IDC_OLDTLC = 107,
  IDC_NODELYR = 108, IDC_CONLYR = 109, IDC_DEVLYR = 110, IDC_PARAMLYR = 111,
  IDC_LIST = 112,
};

void FlatOnlyEnable(HWND dialog) {
  BOOL on = IsDlgButtonChecked(dialog, IDC_FLATTEN) == BST_CHECKED;
  for (int id : {IDC_NODELYR, IDC_CONLYR, IDC_DEVLYR, IDC_PARAMLYR, IDC_KEEPALL})
    EnableWindow(GetDlgItem(dialog, id), on);
}

INT_PTR CALLBACK FlatSetupDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  static const int kText[] = {IDC_CELL, IDC_PATH, IDC_LOG, IDC_LAYERS};
  static const int kTextSlot[] = {FLAT_MCN, FLAT_FFP, FLAT_WR2, FLAT_LTC};
  static const int kLyr[] = {IDC_NODELYR, IDC_CONLYR, IDC_DEVLYR, IDC_PARAMLYR};
  static const int kChecks[] = {IDC_FLATTEN, IDC_SMASH, IDC_KEEPALL, IDC_OLDTLC};
  switch (msg) {
    case WM_INITDIALOG: {
      for (int k = 0; k < 4; ++k) SetDlgItemTextA(dialog, kText[k], UsfSlot(kTextSlot[k]));
      for (int k = 0; k < 4; ++k) SetDlgItemTextA(dialog, kLyr[k], UsfSlot(FLAT_NLY + k));
      int flat = UsfSlot(FLAT_FLT)[0] == 'Y';
      CheckDlgButton(dialog, IDC_FLATTEN, flat ? BST_CHECKED : BST_UNCHECKED);
      CheckDlgButton(dialog, IDC_SMASH, flat ? BST_UNCHECKED : BST_CHECKED);
      CheckDlgButton(dialog, IDC_KEEPALL, UsfSlot(FLAT_KAT)[0] == 'Y' ? BST_CHECKED : BST_UNCHECKED);
      CheckDlgButton(dialog, IDC_OLDTLC, UsfSlot(FLAT_OLD)[0] == 'Y' ? BST_CHECKED : BST_UNCHECKED);
      FlatOnlyEnable(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_FLATTEN:
        case IDC_SMASH:
          FlatOnlyEnable(dialog);
          return TRUE;
        case IDC_LIST:
          if (DialogBoxParamA(SatWin.inst, "ANYLIST", dialog, AnyListProc, 0) == 1)
            SetDlgItemTextA(dialog, IDC_CELL, SatFrame.shared);
          return TRUE;
        case IDOK: {
          for (int k = 0; k < 4; ++k) GetDlgItemTextA(dialog, kText[k], UsfSlot(kTextSlot[k]), SAT_SLOT_SIZE);
          for (int k = 0; k < 4; ++k) GetDlgItemTextA(dialog, kLyr[k], UsfSlot(FLAT_NLY + k), SAT_SLOT_SIZE);
          for (int k = 0; k < 4; ++k)
            snprintf(UsfSlot(FLAT_FLT + k), SAT_SLOT_SIZE, "%s",
                     IsDlgButtonChecked(dialog, kChecks[k]) == BST_CHECKED ? "Y" : "N");
          SetupApply(&Flat, 1);
          EndDialog(dialog, 1);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

void FlatDisplayInit(void*, HWND dialog) {
  const char* name = UsfSlot(FLAT_MCN);
  char caption[NAMLEN * 2 + 40];
  snprintf(caption, sizeof caption, Flat.flatten ? "Flattening %s to %s_FLAT ..." : "Smashing %s to %s_SMSH ...",
           name, name);
  SetWindowTextA(dialog, caption);
  snprintf(SatFrame.logLine, sizeof SatFrame.logLine, "%s\n", caption);
  LogPut();
}

const SatWinProgram kFlatWin = {&FlatProgram, FlatSetupDlgProc, nullptr, FlatDisplayInit, nullptr, nullptr, nullptr};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  FlatReset(&Flat);
  return SatWinMain(instance, &kFlatWin, &Flat);
}
