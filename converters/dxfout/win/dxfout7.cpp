// DXFOUT7.EXE: TLC cells to a DXF file, on the common satellite frame. The
// conversion itself is the platform-free engine (dxfout.h); this file holds
// the program table, its dialogs and the command line.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "cnvcommon.h"
#include "cnvdlg.h"
#include "cnvwin.h"
#include "dxfout.h"
#include "host.h"
#include "satframe.h"
#include "satres.h"
#include "satsetup.h"

namespace {

enum {
  ID_LAYERS = 13, ID_GO = 14,
  IDC_TFN = 100, IDC_XFN = 101, IDC_FTR = 102, IDC_LYN = 103,
  IDC_TXT = 104, IDC_VXL = 105, IDC_VXW = 106, IDC_P2P = 107, IDC_IPE = 108, IDC_MPP = 109, IDC_B2S = 110,
  IDC_WR2 = 111,
  IDC_BROWSE_TLC = 403,
  IDC_NEXT = 603, IDC_PREV = 604,
  IDC_SCALE = 508, IDC_LIST = 1031,
};

// The program's one conversion state: the dialogs and the run hooks reach it
// here, as the frame calls them without a context.
DxfOutState Dout;

const char* const kDefaults[DXFOUT_NKEYS + 1] = {
    "", "", "1-256", "LAYER_", "Y", "N", "N", "N", "Y", "Y", "N", "DxfOut.log", "", "", "", "", nullptr,
};

const SatButton kButtons[] = {
    {SAT_ID_HELP, "Help", "MXPHELP"}, {SAT_ID_RUN, "Run", "MRUN"}, {SAT_ID_SETUP, "Setup", "MSETUP"},
    {ID_LAYERS, "Layers", "MLAYER"},  {ID_GO, "Go", "MGO"},
};

void Apply(void* engine, int fromSetup) { DxfOutSetupApply(static_cast<DxfOutState*>(engine), fromSetup); }

// No Setup follows a command-line file: the stored filter holds.
void ArgTaken(void* engine) {
  DxfOutState* st = static_cast<DxfOutState*>(engine);
  DxfOutSelParse(st, st->val[DK_FTR]);
}

// ---- run --------------------------------------------------------------------

void ScaleLine(const char* text) { CounterShow(IDC_SCALE, text); }

// The current cell's counts and the maxima so far: polylines, solids,
// texts and inserts.
void ShowCounts(const DxfCounts* cur, const DxfCounts* max) {
  const long v[8] = {cur->polylines, cur->solids, cur->texts, cur->inserts,
                     max->polylines, max->solids, max->texts, max->inserts};
  static const int kIds[8] = {502, 509, 503, 504, 505, 510, 506, 507};
  char text[24];
  for (int k = 0; k < 8; ++k) {
    snprintf(text, sizeof text, "%ld", v[k]);
    CounterShow(kIds[k], text);
  }
}

int Convert(void* engine) { return DxfOutRun(static_cast<DxfOutState*>(engine)); }
int Closing(void* engine, int result, char* text, int size) {
  return DxfOutClosing(static_cast<DxfOutState*>(engine), result, text, size);
}

const SatProgram kProgram = {"DxfOut", "DxfOut7", "DXFOUT", "DXFOUTAC", "CNVRTDXF.HTM", "%d Max TLC CelList",
                             {DXFOUT_MAXCELLS, 0}, DxfOutKeys, kDefaults, nullptr, CnvSetupApply, CnvRun,
                             CnvClosing, kButtons, CnvCount(kButtons), &SatEditionPlain,
                             "Aborting Convesion ... OK ?"};

// ---- SETUP --------------------------------------------------------------------

// Edit k holds slot k; the log name is the last slot of the dialog.
const int kEdits[] = {IDC_TFN, IDC_XFN, IDC_FTR, IDC_LYN, 0, 0, 0, 0, 0, 0, 0, IDC_WR2};
// vxl= has no check box: the missing control reads as unticked, "N".
const int kChecks[] = {IDC_TXT, IDC_VXL, IDC_VXW, IDC_P2P, IDC_IPE, IDC_MPP, IDC_B2S};
const CnvBrowse kBrowse[] = {
    {IDC_BROWSE_TLC, IDC_TFN, "TLC Files\0*.tlc\0", "TLC File Select"},
};
const CnvSetup kSetup = {kEdits, CnvCount(kEdits), kChecks, CnvCount(kChecks), DK_TXT, kBrowse, CnvCount(kBrowse)};

// A main cell on the command line replaces the stored one, and the DXF file
// follows it. No run is kept open.
CnvProgram Conv = {&Dout, {&Dout.val[0][0], DXFOUT_VALLEN, DXFOUT_NKEYS}, DK_TFN, {DK_XFN, DK_XFN}, Apply, ArgTaken,
                   Convert, Closing, -1, &kSetup, "Creating %s", DK_XFN, 0,
                   "??? ... Please do Setup first and then Layers", 1, IDC_LIST, "Aborting Conversion ... OK ?"};

INT_PTR CALLBACK SetupDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  // OK or not, the filter now decides the layers.
  if (msg == WM_DESTROY) DxfOutSelParse(&Dout, UsfSlot(DK_FTR));
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
  if (DxfOutLayersRead(&Dout)) {
    CnvLayersDlg dlg = {Dout.layers, &Dout.allLayers, "%-9s%d", IDC_NEXT, IDC_PREV, 0};
    CnvLayersRun(main, &dlg);
    DxfOutLayersApply(&Dout);
    CnvEngineToSlots(cp);
  }
  cp->layersNotDone = 0;
  return 1;
}

const SatWinProgram kWin = {&kProgram, SetupDlgProc, CnvDisplayDlgProc, CnvDisplayInit, Command, CnvCreated, CnvGoRefused};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) {
  DxfOutReset(&Dout);
  CnvEngineWire(&Dout);
  Dout.scaleLine = ScaleLine;
  Dout.showCounts = ShowCounts;
  return CnvWinMain(instance, &kWin, &Conv, cmdLine);
}
