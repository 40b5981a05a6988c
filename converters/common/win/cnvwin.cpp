#include "cnvwin.h"

#include <cstdio>

#include "host.h"
#include "satframe.h"
#include "satsetup.h"

CnvWinState CnvWin;

void CnvWinStart(const char* cmdLine, int aborted) {
  CnvWin = CnvWinState();
  CnvWin.setupNotDone = 1;
  CnvWin.lastResult = aborted;
  if (CnvArgTake(cmdLine, CnvWin.arg, sizeof CnvWin.arg)) CnvWin.cmdLineMode = CnvWin.argPending = 1;
}

void CnvSlotsToEngine(const CnvSlots* slots) { UsfSlotsToValues(slots->values, slots->size, slots->count); }

void CnvEngineToSlots(const CnvSlots* slots) { UsfValuesToSlots(slots->values, slots->size, slots->count); }

int CnvArgApply(char* file, int size, char* const* stale, int staleCount) {
  if (!CnvWin.argPending) return 0;
  CnvWin.argPending = 0;
  snprintf(file, (size_t)size, "%s", CnvWin.arg);
  for (int i = 0; i < staleCount; ++i) stale[i][0] = 0;
  CnvWin.setupNotDone = 0;
  return 1;
}

void CnvWinClosing(int result, int keepOpen) {
  CnvWin.lastResult = result;
  if (CnvWin.cmdLineMode && result != keepOpen) SatCloseAfterRun();
}

INT_PTR CnvSetupDlg(HWND dialog, UINT msg, WPARAM wParam, const CnvSetup* setup) {
  if (SatDlgCancel(dialog, msg, wParam)) return TRUE;
  switch (msg) {
    case WM_INITDIALOG:
      SatSlotsShow(dialog, setup->edits, setup->editCount, setup->checks, setup->checkCount, setup->firstCheck);
      return TRUE;
    case WM_COMMAND:
      for (int i = 0; i < setup->browseCount; ++i) {
        const CnvBrowse& b = setup->browse[i];
        if (LOWORD(wParam) == b.button) {
          SatBrowse(dialog, b.edit, b.filter, b.title);
          return TRUE;
        }
      }
      if (LOWORD(wParam) == IDOK) {
        SatSlotsTake(dialog, setup->edits, setup->editCount, setup->checks, setup->checkCount, setup->firstCheck);
        setup->apply(1);
        EndDialog(dialog, 1);
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      CnvWin.setupNotDone = 0;  // OK or not, Go may follow
      return FALSE;
  }
  return FALSE;
}

namespace {

// The dialog's "No" button: the layer keeps its number.
enum { LDM_KEEP = 7 };

INT_PTR CALLBACK LdmDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (SatDlgCancel(dialog, msg, wParam)) return TRUE;
  CnvLdmAsk* ask = reinterpret_cast<CnvLdmAsk*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      ask = reinterpret_cast<CnvLdmAsk*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      char caption[2 * CNV_PATHLEN + 16];
      CnvLdmCaption(ask->ldmPath, caption, sizeof caption);
      SetWindowTextA(dialog, caption);
      SetDlgItemTextA(dialog, ask->textId, ask->text);
      for (int i = 0; i < ask->fieldCount; ++i) SetDlgItemInt(dialog, ask->fieldIds[i], (UINT)ask->values[i], TRUE);
      return TRUE;
    }
    case WM_COMMAND:
      if (!ask) return FALSE;
      switch (LOWORD(wParam)) {
        case IDOK: {
          BOOL ok;
          for (int i = 0; i < ask->fieldCount; ++i)
            ask->values[i] = (int)GetDlgItemInt(dialog, ask->fieldIds[i], &ok, TRUE);
          EndDialog(dialog, IDOK);
          return TRUE;
        }
        case LDM_KEEP:
          EndDialog(dialog, LDM_KEEP);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

int CnvLdmAskShow(CnvLdmAsk* ask) {
  INT_PTR r = DialogBoxParamA(SatWin.inst, "LDM", SatOwner(), LdmDlgProc, reinterpret_cast<LPARAM>(ask));
  if (r == IDOK) return HOST_IDYES;
  return r == LDM_KEEP ? HOST_IDNO : HOST_IDCANCEL;
}
