// DXFIN7.EXE: a DXF drawing to TLC cells, on the common satellite frame. The
// conversion itself is the platform-free engine (dxfin.h); this file holds
// the program table, its dialogs and the command line.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "cnvcommon.h"
#include "cnvdlg.h"
#include "cnvwin.h"
#include "dxfin.h"
#include "host.h"
#include "satframe.h"
#include "satres.h"
#include "satsetup.h"

namespace {

enum {
  ID_LAYERS = 13, ID_GO = 14,
  IDC_DFN = 100, IDC_TFN = 101, IDC_TPH = 102, IDC_PSU = 103, IDC_LSU = 104,
  IDC_CVA = 105, IDC_CVC = 106, IDC_CVL = 107, IDC_CVS = 108, IDC_CTX = 109,
  IDC_COA = 110, IDC_COP = 111, IDC_CWP = 112, IDC_LYR = 113, IDC_OMT = 114, IDC_S2B = 115, IDC_OLD = 116,
  IDC_AGD = 117, IDC_SEG = 118, IDC_WR2 = 119,
  IDC_BROWSE_DXF = 403,
  IDC_MAP_NAME0 = 200, IDC_MAP_NUMBER0 = 250,
  IDC_NN_TEXT = 1057, IDC_NN_EDIT = 601,
  IDC_LIST = 1058,
};

// The program's one conversion state: the dialogs and the run hooks reach it
// here, as the frame calls them without a context.
DxfInState Din;

// The settings file's lnam%d= and lnum%d= rows, filled by WinMain.
SatUsfList kLists[3];

const SatButton kButtons[] = {
    {SAT_ID_HELP, "Help", "MXPHELP"}, {SAT_ID_RUN, "Run", "MRUN"}, {SAT_ID_SETUP, "Setup", "MSETUP"},
    {ID_LAYERS, "Layers", "MLAYER"},  {ID_GO, "Go", "MGO"},
};

void Apply(void* engine, int fromSetup) { DxfInSetupApply(static_cast<DxfInState*>(engine), fromSetup); }

// ---- run --------------------------------------------------------------------

void CounterCall(int id, const char* text) { CounterShow(id, text); }

// NEWNAME: a cell name for a block whose name can't be one.
int AskNewName(const char* illegal, char* tried) {
  CnvNewNameAsk ask = {{IDC_NN_TEXT}, {}, 1, IDC_NN_EDIT, DXFIN_NAMELEN, ""};
  snprintf(ask.texts[0], sizeof ask.texts[0], "Cellname %.300s is Illegal", illegal);
  snprintf(ask.name, sizeof ask.name, "%s", tried);
  if (!CnvNewNameAskShow(&ask)) return 0;
  snprintf(tried, DXFIN_NAMELEN + 1, "%s", ask.name);
  return 1;
}

int Convert(void* engine) { return DxfInRun(static_cast<DxfInState*>(engine)); }
int Closing(void* engine, int result, char* text, int size) {
  return DxfInClosing(static_cast<DxfInState*>(engine), result, text, size);
}

const SatProgram kProgram = {"DxfIn", "DxfIn7", "DXFIN", "DXFINAC", "CNVRTDXF.HTM", "%d Max DXF Blocks",
                             {DXFIN_MAXBLOCKS, 0}, DxfInKeys, DxfInDefaults, kLists, CnvSetupApply, CnvRun,
                             CnvClosing, kButtons, CnvCount(kButtons), &SatEditionPlain,
                             "Aborting Conversion ... OK?"};

// ---- SETUP --------------------------------------------------------------------

// Edit k holds slot k; the check boxes sit between the scale and the arc
// direction.
const int kEdits[] = {IDC_DFN, IDC_TFN, IDC_TPH, IDC_PSU, IDC_LSU, 0, 0, 0, 0, 0, 0,
                      0,       0,       0,       0,       0,       0, IDC_AGD, IDC_SEG, IDC_WR2};
const int kChecks[] = {IDC_CVA, IDC_CVC, IDC_CVL, IDC_CVS, IDC_CTX, IDC_COA,
                       IDC_COP, IDC_CWP, IDC_LYR, IDC_OMT, IDC_S2B, IDC_OLD};
const CnvBrowse kBrowse[] = {
    {IDC_BROWSE_DXF, IDC_DFN, "DXF Files\0*.dxf\0", "DXF File Select"},
};
const CnvSetup kSetup = {kEdits, CnvCount(kEdits), kChecks, CnvCount(kChecks), DI_CVA, kBrowse, CnvCount(kBrowse)};

// A DXF file on the command line replaces the stored one, and the main cell
// follows it. No run is kept open. Go waits for the layer scan alone.
CnvProgram Conv = {&Din, {&Din.val[0][0], DXFIN_VALLEN, DXFIN_NKEYS}, DI_DFN, {DI_TFN, DI_TFN}, Apply, nullptr,
                   Convert, Closing, -1, &kSetup, "Converting %s", DI_DFN, 0, DxfInLayersFirst, 0, IDC_LIST};

// ---- LAYERS ---------------------------------------------------------------------

// "Layer Map Setup": the scanned DXF layers, each with the TLC layer its
// figures go to.
INT_PTR CALLBACK LayersDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  if (SatDlgCancel(dialog, msg, wParam)) return TRUE;
  switch (msg) {
    case WM_INITDIALOG:
      for (int i = 0; i < DXFIN_LAYERROWS; ++i) {
        int used = i < Din.nLayers;
        SetDlgItemTextA(dialog, IDC_MAP_NAME0 + i, used ? Din.layers[i].name : "");
        SetDlgItemTextA(dialog, IDC_MAP_NUMBER0 + i, used ? Din.lnam[i] : "");
        EnableWindow(GetDlgItem(dialog, IDC_MAP_NUMBER0 + i), used);
      }
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        for (int i = 0; i < Din.nLayers; ++i) GetDlgItemTextA(dialog, IDC_MAP_NUMBER0 + i, Din.lnam[i], DXFIN_VALLEN);
        DxfInLayersTake(&Din);
        EndDialog(dialog, 1);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

// ---- commands -------------------------------------------------------------------

int Command(void* st, HWND main, int id) {
  CnvProgram* cp = static_cast<CnvProgram*>(st);
  if (id != ID_LAYERS) return 0;
  CnvSlotsToEngine(cp);
  DxfInSetupApply(&Din, 0);
  if (DxfInLayerScan(&Din)) DialogBoxParamA(SatWin.inst, "LAYERS", main, LayersDlgProc, 0);
  CnvEngineToSlots(cp);
  return 1;
}

// Go waits for a layer scan that found layers, in every run of the program.
const char* GoRefused(void*) { return Din.nLayers ? nullptr : DxfInLayersFirst; }

const SatWinProgram kWin = {&kProgram, CnvSetupDlgProc, CnvDisplayDlgProc, CnvDisplayInit, Command, CnvCreated, GoRefused};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) {
  DxfInReset(&Din);
  DxfInUsfLists(&Din, kLists);
  CnvEngineWire(&Din);
  Din.counter = CounterCall;
  Din.newName = AskNewName;
  return CnvWinMain(instance, &kWin, &Conv, cmdLine);
}
