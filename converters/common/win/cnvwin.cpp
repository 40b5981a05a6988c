#include "cnvwin.h"

#include <cstdio>

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
