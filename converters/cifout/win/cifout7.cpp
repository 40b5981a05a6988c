// CIFOUT7.EXE: TLC cells to a CIF file, on the common satellite frame. The
// conversion itself is the platform-free engine (cifout.h); this file holds
// the program table, its dialogs and the command line.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "cifout.h"
#include "cnvcommon.h"
#include "cnvdlg.h"
#include "cnvwin.h"
#include "host.h"
#include "satframe.h"
#include "satres.h"
#include "satsetup.h"

namespace {

enum {
  ID_LAYERS = 13, ID_GO = 14,
  IDC_TFN = 100, IDC_LFN = 101, IDC_CFN = 102, IDC_LAM = 103, IDC_FTR = 104,
  IDC_CG1 = 105, IDC_CG2 = 106, IDC_LTX = 107, IDC_MPP = 108, IDC_P2P = 109, IDC_B2P = 110,
  IDC_TMP = 111, IDC_UEC = 112, IDC_WR2 = 113,
  IDC_BROWSE_TLC = 602, IDC_BROWSE_LAYERS = 603,
  IDC_NEXT = 604, IDC_PREV = 605,
  IDC_LIST = 1020,
};

// The program's one conversion state: the dialogs and the run hooks reach it
// here, as the frame calls them without a context.
CifOutState Cout;

SatUsfList kLists[] = {
    {"template", CIFOUT_TEMPLATES, CIFOUT_VALLEN, &Cout.templates[0][0]},
    {nullptr, 0, 0, nullptr},
};

const char* const kDefaults[CIFOUT_NKEYS + 1] = {
    "", "", "", "1", "-", "Y", "N", "N", "N", "N", "N", "", "9", "CifOut.log", "", "", "", "", nullptr,
};

const SatButton kButtons[] = {
    {SAT_ID_HELP, "Help", "MXPHELP"}, {SAT_ID_RUN, "Run", "MRUN"}, {SAT_ID_SETUP, "Setup", "MSETUP"},
    {ID_LAYERS, "Layers", "MLAYER"},  {ID_GO, "Go", "MGO"},
};

void Apply(void* engine, int fromSetup) { CifOutSetupApply(static_cast<CifOutState*>(engine), fromSetup); }

// No Setup follows a command-line file: the stored filter holds.
void ArgTaken(void* engine) {
  CifOutState* st = static_cast<CifOutState*>(engine);
  CifOutSelParse(st, st->val[CK_FTR]);
}

// ---- run --------------------------------------------------------------------

void ScaleLine(const char* text) { CounterShow(530, text); }

void ShowCounts(const CifCounts* cur, const CifCounts* max) {
  const long v[10] = {cur->boxes, cur->polys, cur->wires, cur->texts, cur->calls,
                      max->boxes, max->polys, max->wires, max->texts, max->calls};
  char text[24];
  for (int k = 0; k < 5; ++k) {
    snprintf(text, sizeof text, "%ld", v[k]);
    CounterShow(511 + k, text);
    snprintf(text, sizeof text, "%ld", v[5 + k]);
    CounterShow(520 + k, text);
  }
}

int Convert(void* engine) { return CifOutConvert(static_cast<CifOutState*>(engine)); }
int Closing(void* engine, int result, char* text, int size) {
  return CifOutClosing(static_cast<CifOutState*>(engine), result, text, size);
}

const SatProgram kProgram = {"CifOut", "CifOut7", "CIFOUT", "CIFOUTAC", "CNVRTCIF.HTM", "%d Max TLC CelList",
                             {CIFOUT_MAXCELLS, 0}, CifOutKeys, kDefaults, kLists, CnvSetupApply, CnvRun,
                             CnvClosing, kButtons, CnvCount(kButtons), &SatEditionPlain,
                             "Aborting Convesion ... OK?"};

// ---- SETUP --------------------------------------------------------------------

const int kEdits[] = {IDC_TFN, IDC_LFN, IDC_CFN, IDC_LAM, IDC_FTR};
const int kChecks[] = {IDC_CG1, IDC_CG2, IDC_LTX, IDC_MPP, IDC_P2P, IDC_B2P};
const CnvBrowse kBrowse[] = {
    {IDC_BROWSE_TLC, IDC_TFN, "TLC Files\0*.tlc\0", "TLC File Select"},
    {IDC_BROWSE_LAYERS, IDC_LFN, "CIF Layer Files\0*.cif\0", "CIF Layer File Select"},
};
const CnvSetup kSetup = {kEdits, CnvCount(kEdits), kChecks, CnvCount(kChecks), CK_CG1, kBrowse, CnvCount(kBrowse)};

// A main cell on the command line replaces the stored one, and the CIF file
// follows it. No run is kept open.
CnvProgram Conv = {&Cout, {&Cout.val[0][0], CIFOUT_VALLEN, CIFOUT_NKEYS}, CK_TFN, {CK_CFN, CK_CFN}, Apply, ArgTaken,
                   Convert, Closing, -1, &kSetup, "Creating %s", CK_CFN, 0,
                   "??? ... Please do Setup first and then Layers", 1, IDC_LIST};

INT_PTR CALLBACK SetupDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    for (int i = 0; i < CIFOUT_TEMPLATES; ++i)
      if (Cout.templates[i][0]) SendDlgItemMessageA(dialog, IDC_TMP, CB_ADDSTRING, 0, (LPARAM)Cout.templates[i]);
    SetDlgItemTextA(dialog, IDC_TMP, UsfSlot(CK_TMP));
    SetDlgItemTextA(dialog, IDC_UEC, UsfSlot(CK_UEC));
    SetDlgItemTextA(dialog, IDC_WR2, UsfSlot(CK_WR2));
  }
  if (msg == WM_COMMAND && LOWORD(wParam) == IDOK) {
    // The controls the common part does not know, before it completes all.
    char t[CIFOUT_VALLEN];
    GetDlgItemTextA(dialog, IDC_TMP, t, sizeof t);
    CifTemplatePush(&Cout, t);
    snprintf(UsfSlot(CK_TMP), CIFOUT_VALLEN, "%s", t);
    GetDlgItemTextA(dialog, IDC_UEC, UsfSlot(CK_UEC), CIFOUT_VALLEN);
    GetDlgItemTextA(dialog, IDC_WR2, UsfSlot(CK_WR2), CIFOUT_VALLEN);
  }
  // OK or not, the filter now decides the layers.
  if (msg == WM_DESTROY) CifOutSelParse(&Cout, UsfSlot(CK_FTR));
  return CnvSetupDlg(dialog, msg, wParam, lParam);
}

// ---- commands -------------------------------------------------------------------

int Command(void* st, HWND main, int id) {
  CnvProgram* cp = static_cast<CnvProgram*>(st);
  if (id != ID_LAYERS) return 0;
  if (cp->setupNotDone) {
    ErrorShow("??? ... Please do Setup first");
    return 1;
  }
  CnvSlotsToEngine(cp);
  if (CifOutLayersRead(&Cout)) {
    CnvLayersDlg dlg = {Cout.layers, &Cout.allLayers, "%-7s%d", IDC_NEXT, IDC_PREV, 0};
    CnvLayersRun(main, &dlg);
    CifOutLayersApply(&Cout);
    CnvEngineToSlots(cp);
  }
  cp->layersNotDone = 0;
  return 1;
}

const SatWinProgram kWin = {&kProgram, SetupDlgProc, CnvDisplayDlgProc, CnvDisplayInit, Command, CnvCreated, CnvGoRefused};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) {
  CifOutReset(&Cout);
  CnvEngineWire(&Cout);
  Cout.scaleLine = ScaleLine;
  Cout.showCounts = ShowCounts;
  return CnvWinMain(instance, &kWin, &Conv, cmdLine);
}
