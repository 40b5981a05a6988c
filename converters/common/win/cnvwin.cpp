#include "cnvwin.h"

#include <commctrl.h>

#include <cstdio>

#include "host.h"
#include "satframe.h"
#include "satsetup.h"

void CnvWinStart(CnvProgram* cp, const char* cmdLine) {
  cp->setupNotDone = 1;
  cp->layersNotDone = cp->hasLayers;
  cp->cmdLineMode = cp->argPending = 0;
  cp->arg[0] = '\0';
  if (CnvArgTake(cmdLine, cp->arg, sizeof cp->arg)) cp->cmdLineMode = cp->argPending = 1;
}

int CnvWinMain(HINSTANCE instance, const SatWinProgram* win, CnvProgram* cp, const char* cmdLine) {
  CnvWinStart(cp, cmdLine);
  return SatWinMain(instance, win, cp);
}

void CnvSlotsToEngine(const CnvProgram* cp) {
  UsfSlotsToValues(cp->slots.values, cp->slots.size, cp->slots.count);
}

void CnvEngineToSlots(const CnvProgram* cp) {
  UsfValuesToSlots(cp->slots.values, cp->slots.size, cp->slots.count);
}

namespace {

char* Value(const CnvProgram* cp, int slot) { return cp->slots.values + (size_t)slot * (size_t)cp->slots.size; }

}  // namespace

void CnvSetupApply(void* st, int flag) {
  CnvProgram* cp = static_cast<CnvProgram*>(st);
  CnvSlotsToEngine(cp);
  if (cp->argPending) {
    // The command line's file replaces the stored one, and the names that
    // follow from it are made again.
    cp->argPending = 0;
    snprintf(Value(cp, cp->argSlot), (size_t)cp->slots.size, "%s", cp->arg);
    for (int slot : cp->staleSlots) Value(cp, slot)[0] = '\0';
    cp->setupNotDone = 0;
    cp->layersNotDone = 0;
    cp->apply(cp->engine, 0);
    if (cp->argTaken) cp->argTaken(cp->engine);
    CnvEngineToSlots(cp);
    UsfWrite();
    return;
  }
  cp->apply(cp->engine, flag == 1);
  CnvEngineToSlots(cp);
}

int CnvRun(void* st) {
  CnvProgram* cp = static_cast<CnvProgram*>(st);
  CnvSlotsToEngine(cp);
  int ok = cp->convert(cp->engine);
  CnvEngineToSlots(cp);  // a missing input file is shown as "?"
  return ok;
}

// A grown map keeps a command-line run open: the user must look at it first.
void CnvClosing(void* st, int result, char* text, size_t size) {
  CnvProgram* cp = static_cast<CnvProgram*>(st);
  int kept = cp->closing(cp->engine, result, text, (int)size);
  if (cp->cmdLineMode && kept != cp->keepOpen) SatCloseAfterRun();
}

void CnvDisplayInit(void* st, HWND dialog) {
  CnvProgram* cp = static_cast<CnvProgram*>(st);
  char title[CNV_PATHLEN + 16];
  snprintf(title, sizeof title, cp->displayTitle, UsfSlot(cp->displaySlot));
  SetWindowTextA(dialog, title);
  if (cp->progressId) SendDlgItemMessageA(dialog, cp->progressId, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
}

// Without a settings file the frame completes nothing: the command line's
// file is taken here.
void CnvCreated(void* st) {
  if (static_cast<CnvProgram*>(st)->argPending) CnvSetupApply(st, 0);
}

const char* CnvGoRefused(void* st) {
  const CnvProgram* cp = static_cast<const CnvProgram*>(st);
  return (cp->setupNotDone || cp->layersNotDone) ? cp->setupFirst : nullptr;
}

void CnvListLine(const char* text) { LogList(text, 1); }

namespace {

int AbortAsked(HWND dialog) {
  const CnvProgram* cp = reinterpret_cast<const CnvProgram*>(GetWindowLongPtrA(dialog, DWLP_USER));
  const char* question = cp && cp->displayQuestion ? cp->displayQuestion : "Aborting Conversion ... OK?";
  return MsgBoxShow(dialog, question, SatDisplayName(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

}  // namespace

INT_PTR CALLBACK CnvDisplayDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      SatWin.display = dialog;
      SatWin.displayList = GetDlgItem(dialog, reinterpret_cast<CnvProgram*>(lParam)->listId);
      CnvDisplayInit(reinterpret_cast<void*>(lParam), dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        if (AbortAsked(dialog)) SatFrame.abortFlag = 1;
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      if (AbortAsked(dialog)) {
        SatFrame.abortFlag = 1;
        DestroyWindow(dialog);
        SatWin.display = nullptr;
        SatWin.displayList = nullptr;
      }
      return TRUE;
  }
  return FALSE;
}

INT_PTR CnvSetupDlg(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (SatDlgCancel(dialog, msg, wParam)) return TRUE;
  if (msg == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lParam);
  CnvProgram* cp = reinterpret_cast<CnvProgram*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (!cp) return FALSE;
  const CnvSetup* setup = cp->setup;
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
        CnvSetupApply(cp, 1);
        EndDialog(dialog, 1);
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      cp->setupNotDone = 0;  // OK or not, Go may follow
      return FALSE;
  }
  return FALSE;
}

INT_PTR CALLBACK CnvSetupDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  return CnvSetupDlg(dialog, msg, wParam, lParam);
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
